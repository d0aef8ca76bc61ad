#include "graphics/GradientDlg.h"

#include <QApplication>
#include <QCheckBox>
#include <QEvent>
#include <QLabel>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QRadioButton>
#include <cmath>
#include <cstdio>

#include "graphics/SysColors.h"
#include "module/frame/ModuleState.h"
#include "platform/wl/resources.h"

using namespace graphics;

struct CGradientDlg::State {
    QImage bitmap;
    int layout = 0;
    bool on[3] = {false, false, false};
    uint32_t start[3] = {0, 0, 0};
    uint32_t end[3] = {0, 0, 0};
    uint32_t text = 0;
    double topShare = 0.25;
    double bottomShare = 0.1;
};

// Paints the background before the dialog's own painting and moves the
// dialog when it is dragged by its client area.
class CGradientDlg::Painter : public QObject {
public:
    explicit Painter(CGradientDlg* dlg) : dlg_(dlg) {}
    bool eventFilter(QObject* o, QEvent* e) override {
        QWidget* w = dlg_->Widget();
        if (o != w) return false;
        switch (e->type()) {
        case QEvent::Paint: {
            QPainter p(w);
            dlg_->PaintBackground(p, w->size());
            return false;
        }
        case QEvent::MouseButtonPress: {
            auto* m = static_cast<QMouseEvent*>(e);
            if (dlg_->drag_ && m->button() == Qt::LeftButton) {
                dragging_ = true;
                grab_ = m->globalPosition().toPoint() - w->window()->pos();
            }
            return false;
        }
        case QEvent::MouseMove: {
            auto* m = static_cast<QMouseEvent*>(e);
            if (dragging_ && (m->buttons() & Qt::LeftButton)) w->window()->move(m->globalPosition().toPoint() - grab_);
            return false;
        }
        case QEvent::MouseButtonRelease:
            dragging_ = false;
            return false;
        default:
            return false;
        }
    }

private:
    CGradientDlg* dlg_;
    bool dragging_ = false;
    QPoint grab_;
};

CGradientDlg::CGradientDlg(int templateId) : wl::Dialog(templateId), s_(std::make_unique<State>()) { Reset(0); }

CGradientDlg::~CGradientDlg() {
    if (Widget() && painter_) Widget()->removeEventFilter(painter_.get());
    Reset(1);
}

void CGradientDlg::Reset(int deleteBitmap) {
    if (deleteBitmap == 1) s_->bitmap = QImage();
    s_->bitmap = QImage();
    s_->layout = 0;
    s_->text = 0;
    drag_ = false;
    s_->topShare = 0.25;
    s_->bottomShare = 0.1;
}

bool CGradientDlg::SetBand(int band, bool on, uint32_t start, uint32_t end) {
    if (band < 0 || band > 2) return false;
    s_->on[band] = on;
    s_->start[band] = start;
    s_->end[band] = end;
    if (Widget()) Widget()->update();
    return true;
}

bool CGradientDlg::SetBitmap(int bitmapId, int layout) {
    const QImage img = wl::FindBitmap(bitmapId);
    if (img.isNull() || layout < 0 || layout > 12) return false;
    s_->bitmap = img;
    s_->layout = layout;
    if (Widget()) Widget()->update();
    return true;
}

void CGradientDlg::SetTextColor(uint32_t color) {
    s_->text = color;
    if (!Widget()) return;
    // Static texts: transparent, in the text colour.
    for (QWidget* c : Widget()->findChildren<QWidget*>()) {
        if (!qobject_cast<QLabel*>(c) && !qobject_cast<QCheckBox*>(c) && !qobject_cast<QRadioButton*>(c)) continue;
        c->setAutoFillBackground(false);
        QPalette pal = c->palette();
        pal.setColor(QPalette::WindowText, ToQColor(color));
        pal.setColor(QPalette::ButtonText, ToQColor(color));
        c->setPalette(pal);
    }
}

void CGradientDlg::SetBandShares(double top, double bottom) {
    s_->topShare = top;
    s_->bottomShare = bottom;
}

bool CGradientDlg::OnInitDialog() {
    painter_ = std::make_unique<Painter>(this);
    Widget()->installEventFilter(painter_.get());
    SetTextColor(s_->text);
    return wl::Dialog::OnInitDialog();
}

void CGradientDlg::OnDrawBackground(QPainter&) {}

std::vector<QRect> CGradientDlg::BitmapPlacements(int layout, const QSize& client, const QSize& bitmap) {
    const int W = client.width(), H = client.height(), w = bitmap.width(), h = bitmap.height();
    std::vector<QRect> out;
    if (w < 1 || h < 1 || W < 1 || H < 1) return out;
    auto tileRow = [&](int y) {
        for (int x = 0; x < W; x += w) out.emplace_back(x, y, w, h);
    };
    auto tileColumn = [&](int x) {
        for (int y = 0; y < H; y += h) out.emplace_back(x, y, w, h);
    };
    switch (layout) {
    case 0:
        for (int y = 0; y < H; y += h) tileRow(y);
        break;
    case 1:
        out.emplace_back((W - w) / 2, (H - h) / 2, w, h);
        break;
    case 2:
        out.emplace_back(0, 0, W, H);
        break;
    case 3:
        tileRow(0);
        break;
    case 4:
        tileRow(H - h);
        break;
    case 5:
        tileColumn(0);
        break;
    case 6:
        tileColumn(W - w);
        break;
    case 7:
        out.emplace_back(0, 0, w, h);
        break;
    case 8:
        out.emplace_back(W - w, 0, w, h);
        break;
    case 9:
        out.emplace_back((W - w) / 2, 0, w, h);
        break;
    case 10:
        out.emplace_back(0, H - h, w, h);
        break;
    case 11:
        out.emplace_back(W - w, H - h, w, h);
        break;
    case 12:
        out.emplace_back((W - w) / 2, H - h, w, h);
        break;
    default:
        break;
    }
    return out;
}

bool CGradientDlg::PaintBackground(QPainter& p, const QSize& client) {
    const int W = client.width(), H = client.height();
    bool painted = false;
    for (int band = 0; band < 3; ++band) {
        if (!s_->on[band]) continue;
        QRect r(0, 0, W, H);
        if (band == 1) r.setBottom(static_cast<int>(H * s_->topShare) - 1);
        if (band == 2) r.setTop(static_cast<int>((1.0 - s_->bottomShare) * H));
        if (r.isEmpty()) continue;
        QLinearGradient g(r.left(), 0, r.left() + r.width(), 0);
        g.setColorAt(0, ToQColor(s_->start[band]));
        g.setColorAt(1, ToQColor(s_->end[band]));
        p.fillRect(r, g);
        painted = true;
    }
    if (painted) {
        OnDrawBackground(p);
        return true;
    }
    if (s_->bitmap.isNull()) return false;
    // Composed off screen, then copied.
    QImage area(client, QImage::Format_ARGB32);
    area.fill(SysQColor(COLOR_BTNFACE));
    {
        QPainter ap(&area);
        for (const QRect& r : BitmapPlacements(s_->layout, client, s_->bitmap.size()))
            ap.drawImage(r, s_->bitmap);
    }
    p.drawImage(0, 0, area);
    OnDrawBackground(p);
    return true;
}

// ---- font cache ---------------------------------------------------------------------

CFontCache& CFontCache::Instance() {
    static CFontCache* cache = [] {
        AddTeardownStep([] { CFontCache::Instance().Clear(); });
        return new CFontCache;
    }();
    return *cache;
}

std::string CFontCache::Key(const std::string& face, int italic, int underline, int height, int weight) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "-%d-%d-%d-%d", italic, underline, height, weight);
    return face + buf;
}

const QFont* CFontCache::GetFont(const std::string& face, int italic, int underline, int height, int weight) {
    const std::string key = Key(face, italic, underline, height, weight);
    auto it = fonts_.find(key);
    if (it != fonts_.end()) return it->second.get();
    auto f = std::make_unique<QFont>(QString::fromUtf8(face.c_str()));
    if (height != 0) f->setPixelSize(std::abs(height));
    f->setWeight(static_cast<QFont::Weight>(std::clamp(weight == 0 ? 400 : weight, 1, 1000)));
    f->setItalic(italic != 0);
    f->setUnderline(underline != 0);
    f->setStrikeOut(false);
    const QFont* out = f.get();
    fonts_[key] = std::move(f);
    return out;
}

void CFontCache::SetBoldFont(wl::Window* window) {
    if (!window || !window->Widget()) return;
    const QFont f = window->GetFont();
    const int height = f.pixelSize() > 0 ? -f.pixelSize() : -static_cast<int>(std::lround(f.pointSizeF() * 96.0 / 72.0));
    const QFont* bold = GetFont(f.family().toUtf8().toStdString(), f.italic(), f.underline(), height, 700);
    if (bold) window->SetFont(*bold);
}

void CFontCache::Clear() { fonts_.clear(); }
