// Every tab page of both programs laid out inside its tab: the main window
// at 1280 x 800 and at 1920 x 1080, each tab chosen as the user chooses it,
// its picture written under the build tree, and its geometry checked: every
// tab of the row visible, no control over the tabs, every control inside the
// tab control and every control of a page inside the page, and the page
// filling the tab.
#include <gtest/gtest.h>

#include <QAbstractScrollArea>
#include <QApplication>
#include <QMainWindow>
#include <QTabBar>
#include <QTest>

#include <unistd.h>

#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "host/Host.h"
#include "host/Module.h"
#include "host/window/EditWindow.h"
#include "platform/winsys/winsys.h"
#include "platform/wl/message_sink.h"
#include "platform/wl/testing/gui_test.h"

namespace fs = std::filesystem;

namespace {

// Until the window is shown on the platform and its events are handled (a
// calculation started by a tab posts more of them): never one round only.
void Settle(QWidget* w) {
    if (w) (void)QTest::qWaitForWindowExposed(w, 2000);
    for (int i = 0; i < 10; ++i) QApplication::processEvents(QEventLoop::AllEvents, 20);
}

std::string Describe(const QWidget* w) {
    std::ostringstream s;
    s << w->metaObject()->className();
    if (!w->objectName().isEmpty()) s << " '" << w->objectName().toStdString() << "'";
    if (const auto* b = qobject_cast<const QAbstractButton*>(w)) s << " \"" << b->text().toStdString() << "\"";
    return s.str();
}

std::string Str(const QRect& r) {
    std::ostringstream s;
    s << "(" << r.x() << "," << r.y() << " " << r.width() << "x" << r.height() << ")";
    return s.str();
}

// Whether a widget lies in a scrolled area below `top` (such a widget may
// reach beyond the viewport that clips it).
bool InsideScrollArea(const QWidget* w, const QWidget* top) {
    for (const QWidget* p = w->parentWidget(); p && p != top; p = p->parentWidget())
        if (qobject_cast<const QAbstractScrollArea*>(p)) return true;
    return false;
}

// The geometry faults of the shown tab: every text names the control.
std::vector<std::string> LayoutFaults(QWidget* dialog, QTabBar* bar) {
    std::vector<std::string> faults;
    QWidget* row = bar->parentWidget();  // the tab control
    const QRect tabControl = wl::guitest::RectIn(row, dialog);
    const QRect barRect = wl::guitest::RectIn(bar, dialog);
    // All tabs in the row, none behind the scroll buttons.
    QRect tabs;
    for (int i = 0; i < bar->count(); ++i) {
        const QRect r = bar->tabRect(i).translated(barRect.topLeft());
        tabs = tabs.united(r);
        if (r.left() < barRect.left() || r.right() > barRect.right())
            faults.push_back("tab \"" + bar->tabText(i).toStdString() + "\" " + Str(r) + " outside the row " +
                             Str(barRect));
    }
    // The dialog's own controls and the shown page.
    for (QWidget* child : dialog->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (!child->isVisible() || child == row) continue;
        const QRect r = wl::guitest::RectIn(child, dialog);
        if (r.intersects(tabs)) faults.push_back(Describe(child) + " " + Str(r) + " over the tabs " + Str(tabs));
        if (!tabControl.contains(r))
            faults.push_back(Describe(child) + " " + Str(r) + " outside the tab control " + Str(tabControl));
        if (qobject_cast<QAbstractButton*>(child)) continue;
        // A page: below the tab row, filling the tab control but for its
        // margins, and every control of it inside it.
        if (r.top() <= barRect.bottom())
            faults.push_back("page " + Describe(child) + " " + Str(r) + " reaches into the tab row " + Str(barRect));
        if (r.width() < tabControl.width() - 40 || r.bottom() < tabControl.bottom() - 30)
            faults.push_back("page " + Describe(child) + " " + Str(r) + " does not fill the tab " + Str(tabControl));
        for (QWidget* control : child->findChildren<QWidget*>()) {
            if (!control->isVisible() || InsideScrollArea(control, child)) continue;
            const QRect c = wl::guitest::RectIn(control, dialog);
            if (c.isEmpty()) continue;
            if (!r.contains(c))
                faults.push_back(Describe(control) + " " + Str(c) + " leaves its page " + Str(r));
            if (c.intersects(tabs)) faults.push_back(Describe(control) + " " + Str(c) + " over the tabs " + Str(tabs));
        }
    }
    return faults;
}

// The lowest edge of the shown page's grids and lists, measured from the
// page's top, as a share of the page's height; -1 for a page without any
// (a form of fields and buttons keeps its size).
double UsedHeight(QWidget* dialog, QTabBar* bar) {
    QWidget* row = bar->parentWidget();
    for (QWidget* child : dialog->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (!child->isVisible() || child == row || qobject_cast<QAbstractButton*>(child)) continue;
        int bottom = -1;
        for (QAbstractScrollArea* area : child->findChildren<QAbstractScrollArea*>())
            if (area->isVisible() && !InsideScrollArea(area, child))
                bottom = std::max(bottom, wl::guitest::RectIn(area, child).bottom());
        if (bottom < 0) return -1.0;
        return child->height() > 0 ? double(bottom) / child->height() : 0.0;
    }
    return -1.0;
}

struct Program {
    const char* example;
    const char* name;
};

class PageLayout : public ::testing::TestWithParam<std::tuple<Program, QSize>> {
protected:
    void SetUp() override {
        winsys::SetHostExecutablePath(fs::path(RIGEL_BUILD_ROOT) / "bin" / "velor2005");
        dir = fs::path(RIGEL_TEST_TMP) / ("page_layout_" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        std::ostringstream err;
        ASSERT_TRUE(module.Load(err, false)) << err.str();
    }
    void TearDown() override {
        session.reset();
        module.Teardown();
        std::error_code ec;
        fs::remove_all(dir, ec);
    }

    fs::path dir;
    host::Module module;
    std::unique_ptr<host::EditSession> session;
};

}  // namespace

TEST_P(PageLayout, EveryTabLiesInsideItsTab) {
    const auto& [program, size] = GetParam();
    // The report programs and message boxes of the results tabs stay quiet.
    winsys::ScopedRecordingSink sink;
    const fs::path file = dir / program.example;
    fs::copy_file(fs::path(RIGEL_SOURCE_DIR) / "examples" / program.example, file);
    std::ostringstream err;
    const ZVDOC doc = host::OpenPositionDocument(file, err);
    ASSERT_NE(doc, 0u) << err.str();
    session = std::make_unique<host::EditSession>(module, doc, file);
    ASSERT_TRUE(session->Open(err)) << err.str();
    QMainWindow* w = session->MainWindow();
    w->resize(size);
    w->show();
    Settle(w);
    ASSERT_EQ(w->size(), size);

    QWidget* dialog = nullptr;
    for (QWidget* child : session->InputArea()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (child->isVisible()) dialog = child;
    ASSERT_NE(dialog, nullptr);
    QTabBar* bar = nullptr;
    for (QTabBar* b : dialog->findChildren<QTabBar*>())
        if (b->isVisible() && b->parentWidget()->parentWidget() == dialog) bar = b;
    ASSERT_NE(bar, nullptr);
    ASSERT_GE(bar->count(), 7);

    const std::string prefix = std::string("page_layout_") + program.name + "_" + std::to_string(size.width()) +
                               "x" + std::to_string(size.height()) + "_";
    for (int i = 0; i < bar->count(); ++i) {
        const QString text = bar->tabText(i);
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(i).center());
        Settle(w);
        ASSERT_EQ(bar->currentIndex(), i) << text.toStdString();
        std::string name = text.toStdString();
        for (char& c : name)
            if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
        const QImage img = wl::guitest::GrabToPng(w, prefix + std::to_string(i) + "_" + name);
        EXPECT_FALSE(img.isNull());
        for (const std::string& fault : LayoutFaults(dialog, bar))
            ADD_FAILURE() << program.name << " " << size.width() << "x" << size.height() << " tab \""
                          << text.toStdString() << "\": " << fault;
        // A page of grids uses its height: its lowest grid reaches the page's foot.
        const double used = UsedHeight(dialog, bar);
        if (used >= 0) EXPECT_GT(used, 0.95) << program.name << " " << text.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    BothProgramsBothSizes, PageLayout,
    ::testing::Combine(::testing::Values(Program{"Einfeldtraeger.vkx", "rigel"}, Program{"Kranbahntraeger.vkx", "crane"}),
                       ::testing::Values(QSize(1280, 800), QSize(1920, 1080))),
    [](const auto& info) {
        return std::string(std::get<0>(info.param).name) + "_" + std::to_string(std::get<1>(info.param).width());
    });
