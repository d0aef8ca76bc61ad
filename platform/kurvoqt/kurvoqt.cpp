#include "platform/kurvoqt/kurvoqt.h"

#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QWheelEvent>
#include <cmath>

#include "platform/wl/draw.h"
#include "platform/wl/ui.h"

namespace kurvoqt {

namespace {

QColor Colour(kurvo::COLORREF c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }

class QtCanvas : public kurvo::Canvas {
public:
    explicit QtCanvas(QPainter& p) : p_(p) { p_.setRenderHint(QPainter::Antialiasing, false); }
    void Clear(kurvo::COLORREF background) override {
        p_.fillRect(QRect(QPoint(0, 0), p_.device() ? QSize(p_.device()->width(), p_.device()->height()) : QSize()),
                    Colour(background));
    }
    void Polygon(const std::vector<kurvo::PointF>& pts, const kurvo::Pen& pen,
                 std::optional<kurvo::COLORREF> fill) override {
        QPolygonF poly;
        for (const auto& q : pts) poly << QPointF(q.x, q.y);
        p_.setPen(MakePen(pen));
        p_.setBrush(fill ? QBrush(Colour(*fill)) : QBrush(Qt::NoBrush));
        p_.drawPolygon(poly, Qt::OddEvenFill);
    }
    void Polyline(const std::vector<kurvo::PointF>& pts, const kurvo::Pen& pen) override {
        QPolygonF poly;
        for (const auto& q : pts) poly << QPointF(q.x, q.y);
        p_.setPen(MakePen(pen));
        p_.setBrush(Qt::NoBrush);
        p_.drawPolyline(poly);
    }
    void Text(kurvo::PointF at, double angle, double heightPx, std::string_view text, kurvo::COLORREF colour, int align,
              bool bold) override {
        wl::LogFont lf;
        lf.faceName = "Arial";
        lf.height = -std::max(1, static_cast<int>(std::lround(heightPx)));
        lf.weight = bold ? 700 : 400;
        QFont f = wl::ToQFont(lf);
        f.setPixelSize(std::max(1, static_cast<int>(std::lround(heightPx))));
        p_.save();
        p_.setFont(f);
        p_.setPen(Colour(colour));
        p_.translate(at.x, at.y);
        p_.rotate(-angle);
        const QString s = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
        const double w = p_.fontMetrics().horizontalAdvance(s);
        const double x = align == 1 ? -w : (align == 2 ? -w / 2 : 0);
        p_.drawText(QPointF(x, 0), s);
        p_.restore();
    }

    double TextWidth(double heightPx, std::string_view text) override {
        wl::LogFont lf;
        lf.faceName = "Arial";
        lf.height = -std::max(1, static_cast<int>(std::lround(heightPx)));
        QFont f = wl::ToQFont(lf);
        f.setPixelSize(std::max(1, static_cast<int>(std::lround(heightPx))));
        return QFontMetricsF(f).horizontalAdvance(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    }

private:
    static QPen MakePen(const kurvo::Pen& pen) {
        if (pen.width <= 0) return QPen(Qt::NoPen);
        QPen q(Colour(pen.colour));
        q.setWidth(pen.width);
        if (pen.dash == 1) q.setStyle(Qt::DashLine);
        if (pen.dash == 2) q.setStyle(Qt::DotLine);
        return q;
    }
    QPainter& p_;
};

// A widget showing a picture: repaints and moves when the picture asks.
template <class G>
class GraphWidget : public QWidget {
public:
    GraphWidget(G& g, QWidget* parent) : QWidget(parent), g_(g) {
        setAttribute(Qt::WA_OpaquePaintEvent);
        g_.SetRepaint([this] { update(); });
        g_.SetMove([this](int l, int t, int w, int h) { setGeometry(l, t, std::max(1, w), std::max(1, h)); });
    }
    ~GraphWidget() override {
        g_.SetRepaint(nullptr);
        g_.SetMove(nullptr);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        g_.SetSize(width(), height());
        QPainter p(this);
        QtCanvas c(p);
        g_.Render(c);
    }
    G& g_;
};

class Widget2D : public GraphWidget<kurvo::Graph2D> {
public:
    Widget2D(kurvo::Graph2D& g, QWidget* parent) : GraphWidget(g, parent) {}

protected:
    void resizeEvent(QResizeEvent*) override { g_.SetSize(width(), height()); }
    void mousePressEvent(QMouseEvent* e) override {
        g_.SetSize(width(), height());
        if (e->button() == Qt::RightButton && !g_.Menu().empty()) return;  // the context menu follows
        g_.MousePress({e->position().x(), e->position().y()}, (e->modifiers() & Qt::ShiftModifier) != 0,
                      e->button() == Qt::RightButton);
    }
    void mouseMoveEvent(QMouseEvent* e) override { g_.MouseMove({e->position().x(), e->position().y()}); }
    void mouseReleaseEvent(QMouseEvent* e) override { g_.MouseRelease({e->position().x(), e->position().y()}); }
};

class Widget3D : public GraphWidget<kurvo::Graph3D> {
public:
    Widget3D(kurvo::Graph3D& g, QWidget* parent) : GraphWidget(g, parent) {}

protected:
    void mousePressEvent(QMouseEvent* e) override { last_ = e->position(); }
    void mouseMoveEvent(QMouseEvent* e) override {
        const QPointF d = e->position() - last_;
        last_ = e->position();
        g_.Rotate(d.x() * 0.5, d.y() * 0.5);
    }
    void mouseDoubleClickEvent(QMouseEvent*) override { g_.Fit(); }
    void wheelEvent(QWheelEvent* e) override { g_.Zoom(e->angleDelta().y() > 0 ? 1.2 : 1 / 1.2); }

private:
    QPointF last_;
};

template <class G>
QImage RenderImage(G& graph, int width, int height) {
    QImage img(std::max(1, width), std::max(1, height), QImage::Format_RGB32);
    graph.SetSize(img.width(), img.height());
    QPainter p(&img);
    QtCanvas c(p);
    graph.Render(c);
    return img;
}

}  // namespace

Graph2DWindow::Graph2DWindow() = default;
// The widget refers to the picture: it goes first.
Graph2DWindow::~Graph2DWindow() { DestroyWindow(); }

// The window layer reports the context-menu request: the picture's entries
// go through the UI service, the chosen command back to the picture.
void Graph2DWindow::OnContextMenu(wl::Window*, wl::Point pos) {
    if (graph_.Menu().empty()) return;
    wl::Menu menu;
    for (const auto& m : graph_.Menu()) menu.items.push_back({m.command, m.text, m.checked, !m.enabled});
    const int id = wl::GetUi().TrackPopupMenu(menu, pos, this);
    if (id != 0) graph_.MenuCommand(id);
}

QWidget* Graph2DWindow::CreateControlWidget(QWidget* parent) { return new Widget2D(graph_, parent); }

bool Graph2DWindow::Create(QWidget* parent, int width, int height) {
    QWidget* w = CreateControlWidget(parent);
    w->resize(width, height);
    return AttachOwned(w);
}

Graph3DWindow::Graph3DWindow() = default;
Graph3DWindow::~Graph3DWindow() { DestroyWindow(); }

QWidget* Graph3DWindow::CreateControlWidget(QWidget* parent) { return new Widget3D(graph_, parent); }

bool Graph3DWindow::Create(QWidget* parent, int width, int height) {
    QWidget* w = CreateControlWidget(parent);
    w->resize(width, height);
    return AttachOwned(w);
}

QImage Render(kurvo::Graph2D& graph, int width, int height) { return RenderImage(graph, width, height); }
QImage Render(kurvo::Graph3D& graph, int width, int height) { return RenderImage(graph, width, height); }

}  // namespace kurvoqt
