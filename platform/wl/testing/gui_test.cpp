#include "platform/wl/testing/gui_test.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabBar>
#include <QTest>
#include <cstdlib>


namespace wl::guitest {

std::filesystem::path ScreenshotFolder() {
    const char* dir = std::getenv("RIGEL_SCREENSHOTS");
    std::filesystem::path p = dir && *dir ? std::filesystem::path(dir) : std::filesystem::temp_directory_path() / "screenshots";
    std::error_code ec;
    std::filesystem::create_directories(p, ec);
    return p;
}

QImage GrabToPng(QWidget* w, const std::string& name) {
    if (!w) return {};
    w->ensurePolished();
    QApplication::processEvents();
    QImage img = w->grab().toImage().convertToFormat(QImage::Format_RGB32);
    std::filesystem::path file = ScreenshotFolder() / (name + ".png");
    if (!img.save(QString::fromStdString(file.string()), "PNG")) return {};
    return img;
}

QImage GrabToPng(const Window& w, const std::string& name) { return GrabToPng(w.Widget(), name); }

int CountPixels(const QImage& img, const QRect& rect, const std::function<bool(QRgb)>& pred) {
    QRect r = rect.intersected(img.rect());
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (pred(img.pixel(x, y))) ++n;
    return n;
}

bool Near(QRgb a, QRgb b, int tolerance) {
    return std::abs(qRed(a) - qRed(b)) <= tolerance && std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

int CountInk(const QImage& img, const QRect& rect, QRgb background, int tolerance) {
    return CountPixels(img, rect, [&](QRgb c) { return !Near(c, background, tolerance); });
}

QRect BoundingBox(const QImage& img, const std::function<bool(QRgb)>& pred) {
    int l = img.width(), t = img.height(), r = -1, b = -1;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (pred(img.pixel(x, y))) {
                l = std::min(l, x);
                t = std::min(t, y);
                r = std::max(r, x);
                b = std::max(b, y);
            }
    return r < 0 ? QRect() : QRect(QPoint(l, t), QPoint(r, b));
}

QRect RectIn(const QWidget* control, const QWidget* ancestor) {
    if (!control || !ancestor) return {};
    QPoint tl = control->mapTo(ancestor, QPoint(0, 0));
    return QRect(tl, control->size());
}

bool Click(Window& parent, int id) {
    auto* b = qobject_cast<QAbstractButton*>(parent.GetDlgItemWidget(id));
    if (!b || !b->isEnabled()) return false;
    b->click();
    return true;
}

bool ChooseComboItem(Window& parent, int id, int index) {
    auto* c = qobject_cast<QComboBox*>(parent.GetDlgItemWidget(id));
    if (!c || !c->isEnabled() || index < 0 || index >= c->count()) return false;
    c->setCurrentIndex(index);
    emit c->activated(index);
    return true;
}

bool TypeText(Window& parent, int id, const std::string& text) {
    QWidget* w = parent.GetDlgItemWidget(id);
    if (auto* c = qobject_cast<QComboBox*>(w)) w = c->lineEdit();
    QString t = QString::fromStdString(text);
    if (auto* e = qobject_cast<QLineEdit*>(w)) {
        e->selectAll();
        e->del();
        QTest::keyClicks(e, t);
        return true;
    }
    if (auto* p = qobject_cast<QPlainTextEdit*>(w)) {
        p->selectAll();
        QTest::keyClicks(p, t);
        return true;
    }
    return false;
}

bool ClickTab(Window& parent, int id, int index) {
    QWidget* row = parent.GetDlgItemWidget(id);
    auto* bar = row ? row->findChild<QTabBar*>() : nullptr;
    if (!bar || index < 0 || index >= bar->count()) return false;
    bar->setCurrentIndex(index);
    return true;
}

void PressKey(Window& w, int qtKey) {
    if (w.Widget()) QTest::keyClick(w.Widget(), static_cast<Qt::Key>(qtKey));
}

void CloseBox(Window& w) {
    if (w.Widget()) w.Widget()->close();
}

void ProcessEventsFor(int milliseconds) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < milliseconds) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QTest::qWait(1);
    }
}

// ---------------------------------------------------------------------------
ScriptedUi::ScriptedUi() : previous_(SetUi(this)) {}
ScriptedUi::~ScriptedUi() { SetUi(previous_); }

int ScriptedUi::RunModal(Dialog& dlg) {
    int id = dlg.TemplateId();
    modalRuns.push_back(id);
    if (!dlg.BeginModal(GetMainWindow())) return -1;
    if (!dlg.ModalEnded()) {
        auto it = scripts_.find(id);
        if (it == scripts_.end()) {
            ADD_FAILURE() << "no script for the modal dialog " << id;
        } else {
            it->second(dlg);
        }
        if (!dlg.ModalEnded()) {
            ADD_FAILURE() << "the script left the modal dialog " << id << " open";
            dlg.EndDialog(-1);
        }
    }
    return dlg.FinishModal();
}

std::optional<std::string> ScriptedUi::GetOpenFileName(const FileRequest& r, Window*) {
    fileRequests.push_back(r);
    if (fileAnswers.empty()) return std::nullopt;
    auto a = fileAnswers.front();
    fileAnswers.pop_front();
    return a;
}

std::optional<std::string> ScriptedUi::GetSaveFileName(const FileRequest& r, Window* owner) {
    return GetOpenFileName(r, owner);
}

int ScriptedUi::TrackPopupMenu(const Menu& menu, Point, Window*) {
    menus.push_back(menu);
    if (menuAnswers.empty()) return 0;
    int a = menuAnswers.front();
    menuAnswers.pop_front();
    return a;
}

void ScriptedUi::SetClipboardText(const std::string& text) {
    clipboardText = text;
    clipboardRtf.reset();
}

bool ScriptedUi::PrintSetup(QPrinter& printer, Window*) {
    ++printDialogs;
    return printSetup ? printSetup(printer) : false;
}

void ScriptedUi::SetClipboardRtf(const std::string& rtf, const std::string& plain) {
    clipboardRtf = rtf;
    clipboardText = plain;
}

}  // namespace wl::guitest
