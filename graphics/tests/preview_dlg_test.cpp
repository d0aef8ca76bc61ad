// The preview beside the input dialog: its tabs and the data's lists of
// graph windows, the buttons and raster edit per tab, the events of the 2-D
// views reaching the position data, a drag end to end on an example
// position, the report tab, the layout of the combined mode, the window
// maker of "CreatePreviewDlg", and screenshots of every tab of the three
// example positions.
#include <gtest/gtest.h>

#include <algorithm>

#include <QApplication>
#include <QMouseEvent>
#include <QTest>
#include <QWidget>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "graphics/PreviewDlg.h"
#include "module/ModuleData.h"
#include "module/ModuleDataDialog.h"
#include "module/frame/HostRoutines.h"
#include "module/frame/ModuleState.h"
#include "module/frame/ProgDB.h"
#include "module/tests/support/module_commands.h"
#include "platform/winsys/winsys.h"
#include "platform/wl/templates.h"
#include "platform/wl/testing/gui_test.h"
#include "platform/zevud/zevud.h"

namespace fs = std::filesystem;
namespace guitest = wl::guitest;

namespace {

using moduletest::Send;
using moduletest::Value;

// The host's window.
struct Host {
    QWidget widget;
    wl::Window window;
    Host() {
        widget.resize(1000, 640);
        window.Attach(&widget);
        widget.show();
    }
    ~Host() { window.Detach(); }
    int64_t Handle() const { return static_cast<int64_t>(window.GetSafeHwnd()); }
};

std::vector<std::string> g_tips;
void RecordTip(const char* file) { g_tips.emplace_back(file); }

std::vector<std::string> Titles(wl::TabCtrl& tab) {
    std::vector<std::string> out;
    for (int i = 0; i < tab.GetItemCount(); ++i) out.push_back(tab.GetItemText(i));
    return out;
}

QPoint Px(kurvo::Graph2D& g, double x, double y) {
    const kurvo::PointF p = g.ToPixel({x, y});
    return QPoint(static_cast<int>(std::lround(p.x)), static_cast<int>(std::lround(p.y)));
}

// A move with the left button down, as the widget gets it.
void Move(QWidget* w, QPoint at) {
    QMouseEvent move(QEvent::MouseMove, QPointF(at), QPointF(w->mapToGlobal(at)), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(w, &move);
}

// A pixel of the view where the control finds group id.
std::optional<QPoint> PixelOf(kurvo::Graph2D& g, int32_t id) {
    const kurvo::BoxF b = g.GroupBox(id);
    if (b.empty) return std::nullopt;
    const QPoint a = Px(g, b.x1, b.y2), c = Px(g, b.x2, b.y1);
    for (int y = std::min(a.y(), c.y()); y <= std::max(a.y(), c.y()); ++y)
        for (int x = std::min(a.x(), c.x()); x <= std::max(a.x(), c.x()); ++x)
            if (g.HitTest({static_cast<double>(x), static_cast<double>(y)}) == id) return QPoint(x, y);
    return std::nullopt;
}

// An example position opened from a scratch copy, shown by the windowless
// input dialog of the host interface, with the window preview beside it.
class ExamplePreview : public ::testing::Test {
protected:
    static void SetUpTestSuite() { winsys::SetHostExecutablePath(fs::path(RIGEL_BUILD_ROOT) / "bin" / "velor2005"); }
    void Open(const std::string& example) {
        dir = fs::path(RIGEL_TEST_TMP) / ("preview_" + example + "_" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        file = dir / (example + ".vkx");
        fs::copy_file(fs::path(RIGEL_SOURCE_DIR) / "examples" / (example + ".vkx"), file);
        doc = ZEVUD_OpenDoc(file.string().c_str());
        ASSERT_NE(doc, 0u);
        dlg = reinterpret_cast<CMainDialogBase*>(static_cast<uintptr_t>(Send("CreateInputDlg", {{"CWnd*", 0}})));
        ASSERT_NE(dlg, nullptr);
        Send("SetData", {{"CWnd*", Value(dlg)}, {"int", doc}});
        const int64_t v = Send("CreatePreviewDlg", {{"CWnd*", host.Handle()}, {"CWnd*", Value(dlg)}, {"BOOL", 1}});
        preview = dynamic_cast<CPreviewDlg*>(reinterpret_cast<CPreviewDialogBase*>(static_cast<uintptr_t>(v)));
        ASSERT_NE(preview, nullptr);
        preview->MoveWindow(0, 0, 1000, 640);
    }
    void TearDown() override {
        RigelModuleTeardown();
        SetShowRtfTipFunc(nullptr);
        if (doc) ZEVUD_CloseDoc(doc);
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    CModuleData& Data() { return dlg->m_data; }

    Host host;
    winsys::ScopedRecordingSink sink;
    fs::path dir, file;
    ZVDOC doc = 0;
    CMainDialogBase* dlg = nullptr;
    CPreviewDlg* preview = nullptr;
};

// ---- tabs, lists of graph windows, buttons -------------------------------------------------------

TEST_F(ExamplePreview, DefaultViewSetTabsListsAndTips) {
    Send("RegisterShowRtfTip", {{"TYPE_SHOWRTFTIP", static_cast<int64_t>(reinterpret_cast<uintptr_t>(&RecordTip))}});
    g_tips.clear();
    Open("Einfeldtraeger");
    CPreviewDlg& p = *preview;
    EXPECT_EQ(p.m_pModuleData, &Data());
    EXPECT_EQ(Data().m_pPreviewDlg, static_cast<CPreviewDialogBase*>(&p));
    EXPECT_EQ(p.GetParent(), &host.window);
    EXPECT_TRUE(p.IsWindowVisible());
    EXPECT_EQ(Titles(p.m_tab),
              (std::vector<std::string>{"3D - Ansicht", "XZ - Ansicht", "XY - Ansicht", "Vorschau Ausgabe"}));
    EXPECT_EQ(p.m_tab.GetCurSel(), 1);
    // XZ: the plane view at the head, the section at the tail; view 0.
    EXPECT_EQ(Data().m_Sketch2DList, (std::vector<CKurvo2D*>{&p.m_xz, &p.m_section}));
    EXPECT_TRUE(Data().m_Sketch3DList.empty());
    EXPECT_EQ(Data().m_nSketchView, 0);
    EXPECT_GT(p.m_wndXZ.Graph().ElementCount(), 10u) << "the data drew the member";
    EXPECT_EQ(g_tips, std::vector<std::string>{"common_Preview2D.rtf"});

    ASSERT_TRUE(guitest::ClickTab(p, IDC_PREVIEW_TAB, 0));
    EXPECT_TRUE(Data().m_Sketch2DList.empty());
    EXPECT_EQ(Data().m_Sketch3DList, std::vector<CKurvo3D*>{&p.m_3d});
    EXPECT_EQ(Data().m_nSketchView, 1);
    EXPECT_TRUE(p.m_wnd3D.IsWindowVisible());
    EXPECT_FALSE(p.m_wndXZ.IsWindowVisible());
    EXPECT_EQ(g_tips.back(), "common_Preview3D.rtf");

    ASSERT_TRUE(guitest::ClickTab(p, IDC_PREVIEW_TAB, 2));
    EXPECT_EQ(Data().m_Sketch2DList, (std::vector<CKurvo2D*>{&p.m_xy, &p.m_section}));
    EXPECT_EQ(Data().m_nSketchView, 1);
    EXPECT_EQ(p.m_nLastDrawingView, CPreviewDlg::CODE_XY);
    EXPECT_EQ(g_tips.back(), "common_Preview2D.rtf");

    // Without a registered tip routine no tip is shown (and nothing breaks).
    SetShowRtfTipFunc(nullptr);
    const size_t tips = g_tips.size();
    ASSERT_TRUE(guitest::ClickTab(p, IDC_PREVIEW_TAB, 1));
    EXPECT_EQ(g_tips.size(), tips);
}

TEST_F(ExamplePreview, ButtonsOnTheReportTabRasterOnTheDrawingTabs) {
    Open("Einfeldtraeger");
    CPreviewDlg& p = *preview;
    auto visible = [&](int id) { return p.GetDlgItem(id)->IsWindowVisible(); };
    struct Case {
        int tab;
        bool showRaster;
        bool buttons, raster;
    };
    const Case cases[] = {{1, true, false, true}, {0, true, false, true}, {2, false, false, false},
                          {3, true, true, false}};
    winsys::RecordingShell shell;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tab);
        p.m_bShowRaster = c.showRaster;
        ASSERT_TRUE(guitest::ClickTab(p, IDC_PREVIEW_TAB, c.tab));
        EXPECT_EQ(visible(IDC_PREVIEW_EDIT), c.buttons);
        EXPECT_EQ(visible(IDC_PREVIEW_PRINT), c.buttons);
        EXPECT_EQ(visible(IDC_PREVIEW_RASTER), c.raster);
        EXPECT_EQ(visible(IDC_PREVIEW_RASTER_LABEL), c.raster);
        EXPECT_EQ(p.m_richText.IsWindowVisible(), c.buttons);
        EXPECT_EQ(p.m_richText.IsWindowEnabled(), c.buttons);
    }
    EXPECT_EQ(p.m_nLastDrawingView, CPreviewDlg::CODE_XY) << "the report tab keeps the last drawing view";
    // "drucken" prints the position's report through the shell service.
    const std::string rtf = Data().GetRtfFileName();
    ASSERT_TRUE(fs::exists(rtf));
    ASSERT_TRUE(guitest::Click(p, IDC_PREVIEW_PRINT));
    ASSERT_EQ(shell.calls.size(), 1u);
    EXPECT_EQ(shell.calls[0].first, "print");
    EXPECT_EQ(shell.calls[0].second, fs::path(rtf));
    // F1 opens the preview's help file.
    sink.messages.clear();
    guitest::PressKey(p, Qt::Key_F1);
    ASSERT_FALSE(sink.messages.empty());
    EXPECT_NE(sink.messages.back().text.find("vk-velor.chm"), std::string::npos);
}

// ---- events of the 2-D views ---------------------------------------------------------------------

// Position data that records the sketch's events instead of acting on them.
struct SpyData : CModuleData {
    std::vector<std::string> log;
    std::vector<CKurvo2D*> graphs;
    void OnSketchClick(CKurvo2D* g, int id) override {
        log.push_back("click " + std::to_string(id));
        graphs.push_back(g);
    }
    void OnSketchDrag(CKurvo2D* g, int id, double dx, double dy, double step, int mode) override {
        char text[128];
        std::snprintf(text, sizeof text, "drag %d %.3f %.3f %.4f %d", id, dx, dy == 0 ? 0.0 : dy, step, mode);
        log.emplace_back(text);
        graphs.push_back(g);
    }
    int OnSketchDrop(int id) override {
        log.push_back("drop " + std::to_string(id));
        return 1;
    }
    void OnSketchCommand(CKurvo2D* g, int command) override {
        log.push_back("command " + std::to_string(command));
        graphs.push_back(g);
    }
    void DrawSystem2D(int) override {}
    void DrawSystem3D(int) override {}
};

// Two pickable squares in a view: group 5 on the left, 6 on the right, on a
// window of 10 x 4 drawing units.
void DrawItems(kurvo::Graph2D& g) {
    using kurvo::Arg;
    g.Invoke(1, {});
    g.Invoke(34, {Arg::D(0), Arg::D(0), Arg::D(10), Arg::D(4)});
    g.Invoke(21, {Arg::L(5), Arg::L(0)});
    g.Invoke(6, {Arg::D(1), Arg::D(1), Arg::D(3), Arg::D(3)});
    g.Invoke(21, {Arg::L(6), Arg::L(0)});
    g.Invoke(6, {Arg::D(6), Arg::D(1), Arg::D(8), Arg::D(3)});
}

TEST(PreviewEvents, PressMoveReleaseAndCommandReachTheData) {
    Host host;
    SpyData data;
    CMainDialogBase dlg;
    CPreviewDlg p;
    p.m_pModuleData = &data;
    p.m_pMainDlg = &dlg;
    ASSERT_TRUE(p.CreateModeless());
    p.SetParentWindow(host.Handle());
    p.Show();
    p.MoveWindow(0, 0, 1000, 640);
    struct Case {
        int tab;  // the tab showing the view
        kurvoqt::Graph2DWindow* wnd;
        CKurvo2D* graph;
        int mode;
    };
    const Case cases[] = {{1, &p.m_wndXZ, &p.m_xz, 0},
                          {2, &p.m_wndXY, &p.m_xy, 1},
                          {3, &p.m_wndYZ, &p.m_yz, 2},
                          {1, &p.m_wndSection, &p.m_section, 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        ASSERT_TRUE(guitest::ClickTab(p, IDC_PREVIEW_TAB, c.tab));
        ASSERT_TRUE(c.wnd->IsWindowVisible());
        kurvo::Graph2D& g = c.wnd->Graph();
        QWidget* w = c.wnd->Widget();
        DrawItems(g);
        guitest::ProcessEventsFor(10);
        const QPoint five = Px(g, 2, 2), six = Px(g, 7, 2), empty = Px(g, 5, 3.8);
        ASSERT_EQ(g.HitTest({double(five.x()), double(five.y())}), 5);
        const int step = 20;
        const double metres = step / g.Scale();
        char dragged[128];
        std::snprintf(dragged, sizeof dragged, "drag 5 %.3f 0.000 0.0500 %d", metres, c.mode);
        char further[128];
        std::snprintf(further, sizeof further, "drag 5 %.3f 0.000 0.0500 %d", metres, c.mode);
        data.log.clear();
        data.graphs.clear();
        p.m_nCurrentItem = 0;
        // First press on 5: it only selects; the move drags nothing.
        QTest::mousePress(w, Qt::LeftButton, {}, five);
        Move(w, five + QPoint(step, 0));
        QTest::mouseRelease(w, Qt::LeftButton, {}, five + QPoint(step, 0));
        // Second press on 5 arms the drag: two moves pass their steps.
        QTest::mousePress(w, Qt::LeftButton, {}, five);
        Move(w, five + QPoint(step, 0));
        Move(w, five + QPoint(2 * step, 0));
        QTest::mouseRelease(w, Qt::LeftButton, {}, five + QPoint(2 * step, 0));
        // Another item only selects; empty space neither drags nor drops.
        QTest::mousePress(w, Qt::LeftButton, {}, six);
        Move(w, six + QPoint(step, 0));
        QTest::mouseRelease(w, Qt::LeftButton, {}, six);
        QTest::mousePress(w, Qt::LeftButton, {}, empty);
        QTest::mousePress(w, Qt::LeftButton, {}, empty);
        Move(w, empty + QPoint(step, 0));
        QTest::mouseRelease(w, Qt::LeftButton, {}, empty);
        // Menu commands: a non-zero one reaches the data.
        g.MenuCommand(1002);
        g.MenuCommand(0);
        const std::vector<std::string> expected = {"click 5", "drop 5",  "click 5", dragged, further, "drop 5",
                                                   "click 6", "drop 6",  "click 0", "click 0", "command 1002"};
        EXPECT_EQ(data.log, expected);
        for (CKurvo2D* graph : data.graphs) EXPECT_EQ(graph, c.graph);
    }

    // The raster edit gives the step in metres; text that is no number keeps
    // the last good raster and its text.
    kurvo::Graph2D& g = p.m_wndXY.Graph();
    ASSERT_TRUE(guitest::ClickTab(p, IDC_PREVIEW_TAB, 2));
    DrawItems(g);
    const QPoint five = Px(g, 2, 2);
    for (const auto& [text, step] : std::vector<std::pair<std::string, double>>{{"2,5", 0.025}, {"abc", 0.025}, {"10", 0.1}}) {
        ASSERT_TRUE(guitest::TypeText(p, IDC_PREVIEW_RASTER, text));
        data.log.clear();
        p.m_nCurrentItem = 5;
        QTest::mousePress(p.m_wndXY.Widget(), Qt::LeftButton, {}, five);
        Move(p.m_wndXY.Widget(), five + QPoint(10, 0));
        QTest::mouseRelease(p.m_wndXY.Widget(), Qt::LeftButton, {}, five + QPoint(10, 0));
        ASSERT_EQ(data.log.size(), 3u) << text;
        char expected[32];
        std::snprintf(expected, sizeof expected, " %.4f 1", step);
        EXPECT_NE(data.log[1].find(expected), std::string::npos) << text << ": " << data.log[1];
        EXPECT_EQ(p.GetDlgItemText(IDC_PREVIEW_RASTER), text);
    }
}

// A drag on the example: the support at the end of field 1 pressed twice
// and dragged by 0.06 m and once more by 0.06 m (raster 5 cm): field 1 is
// 6.10 m long (6.00 + 0.12 rounded to 0.05), and the drop redraws the
// member and the section view.
TEST_F(ExamplePreview, DragOfTheEndSupportLengthensField1) {
    Open("Einfeldtraeger");
    CPreviewDlg& p = *preview;
    ASSERT_EQ(Data().m_fieldLengths.size(), 2u);
    ASSERT_NEAR(Data().m_fieldLengths[1].GetValue(), 6.0, 1e-9);
    ASSERT_EQ(Data().m_Sketch2DList, (std::vector<CKurvo2D*>{&p.m_xz, &p.m_section}));
    kurvo::Graph2D& g = p.m_wndXZ.Graph();
    guitest::ProcessEventsFor(10);
    const int32_t id = Data().GetSketchItemId(3, 1);
    const std::optional<QPoint> at = PixelOf(g, id);
    ASSERT_TRUE(at.has_value());
    QWidget* w = p.m_wndXZ.Widget();
    const QPoint half(static_cast<int>(std::lround(0.06 * g.Scale())), 0);
    const QPoint whole(static_cast<int>(std::lround(0.12 * g.Scale())), 0);
    QTest::mousePress(w, Qt::LeftButton, {}, *at);
    QTest::mouseRelease(w, Qt::LeftButton, {}, *at);
    QTest::mousePress(w, Qt::LeftButton, {}, *at);
    Move(w, *at + half);
    Move(w, *at + whole);
    EXPECT_NEAR(Data().m_fieldLengths[1].GetValue(), 6.10, 1e-9);
    // Both views empty before the drop: what they show then is redrawn.
    g.Invoke(1, {});
    p.m_wndSection.Graph().Invoke(1, {});
    ASSERT_EQ(g.ElementCount(), 0u);
    QTest::mouseRelease(w, Qt::LeftButton, {}, *at + whole);
    EXPECT_NEAR(Data().m_fieldLengths[1].GetValue(), 6.10, 1e-9);
    EXPECT_GT(g.ElementCount(), 10u);
    EXPECT_GT(p.m_wndSection.Graph().ElementCount(), 3u);
}

// ---- the report tab -----------------------------------------------------------------------------

int64_t g_getDataCalls = 0;
bool g_reportExistedAtGetData = true;
std::string g_reportFile;
int64_t SpyInterface(uint32_t command) {
    if (GetCommandAction(command) == "GetData") {
        ++g_getDataCalls;
        g_reportExistedAtGetData = fs::exists(g_reportFile);
    }
    return interfaceFunc(command);  // the module does its part
}

TEST_F(ExamplePreview, ReportTabSendsGetDataThenShowsTheCalculatedReport) {
    Open("Einfeldtraeger");
    CProgDBEntry* entry = GetProgDB().FindProgram(Data().m_strProgName, Data().m_strModuleName);
    ASSERT_NE(entry, nullptr);
    const CProgDBEntry saved = *entry;
    const uintptr_t address = reinterpret_cast<uintptr_t>(&SpyInterface);
    RegisterHostRoutine(HostRoutineKind::ModuleInterface, address);
    char text[32];
    std::snprintf(text, sizeof text, "%lX", static_cast<unsigned long>(address));
    entry->m_strDLLName = kHostProgramName;
    entry->m_strProcName = text;
    entry->m_hLib = nullptr;
    entry->m_pProc = nullptr;
    g_reportFile = Data().GetRtfFileName();
    fs::remove(g_reportFile);
    g_getDataCalls = 0;

    ASSERT_TRUE(guitest::ClickTab(*preview, IDC_PREVIEW_TAB, 3));
    EXPECT_EQ(g_getDataCalls, 1);
    EXPECT_FALSE(g_reportExistedAtGetData) << "GetData comes before the calculation writes the report";
    const std::string shown = preview->m_richText.Control().GetText();
    EXPECT_GT(shown.size(), 500u);
    EXPECT_NE(shown.find("IPE"), std::string::npos) << shown.substr(0, 300);
    EXPECT_TRUE(Data().m_Sketch2DList.empty());

    // A position whose program record cannot be found: no GetData.
    Data().m_strProgName = "UNBEKANNT";
    ASSERT_EQ(GetProgDB().FindProgram(Data().m_strProgName, Data().m_strModuleName), nullptr);
    g_getDataCalls = 0;
    ASSERT_TRUE(guitest::ClickTab(*preview, IDC_PREVIEW_TAB, 1));
    ASSERT_TRUE(guitest::ClickTab(*preview, IDC_PREVIEW_TAB, 3));
    EXPECT_EQ(g_getDataCalls, 0);
    *entry = saved;
    UnregisterHostRoutine(HostRoutineKind::ModuleInterface, address);
}

TEST(PreviewReport, WithoutDataTheMessageAndTheBoxStaysAsItWas) {
    Host host;
    winsys::ScopedRecordingSink sink;
    CPreviewDlg p;
    ASSERT_TRUE(p.CreateModeless());
    p.SetParentWindow(host.Handle());
    p.Show();
    EXPECT_EQ(p.m_richText.Control().GetText(), "Moment bitte...");
    ASSERT_TRUE(guitest::ClickTab(p, IDC_PREVIEW_TAB, 4));
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].text, "Fehler: CPreviewDlg::m_pInputDlg nicht gesetzt!!");
    EXPECT_EQ(p.m_richText.Control().GetText(), "Moment bitte...");
}

// ---- layout -------------------------------------------------------------------------------------

TEST(PreviewLayout, CombinedViewsStandSideBySideAtEverySize) {
    Host host;
    CPreviewDlg p;
    p.m_bCombined = true;
    ASSERT_TRUE(p.CreateModeless());
    p.SetParentWindow(host.Handle());
    p.Show();
    EXPECT_EQ(Titles(p.m_tab), (std::vector<std::string>{"2D/3D", "Vorschau Ausgabe"}));
    EXPECT_EQ(p.m_tab.GetCurSel(), 0);
    // d and e as the template has them: the 3-D view's place in the tab.
    const int d = wl::DluToPixelX(8) - wl::DluToPixelX(4);
    const int e = wl::DluToPixelY(22) - wl::DluToPixelY(4);
    auto pct = [](int percent, int length) { return static_cast<int>(std::lround(percent * length / 100.0)); };
    for (const QSize size : {QSize(1000, 600), QSize(720, 480)}) {
        SCOPED_TRACE(size.width());
        p.MoveWindow(0, 0, size.width(), size.height());
        const int W = p.GetClientRect().Width(), H = p.GetClientRect().Height();
        ASSERT_EQ(W, size.width());
        // 3-D, YZ, XZ at 25 % each, XY without width, the section at 25 %.
        EXPECT_EQ(p.m_wnd3D.GetWindowRect(), (wl::Rect{2 * d, d + e + 1, pct(25, W) - d / 2, H - 2 * d}));
        EXPECT_EQ(p.m_wndYZ.GetWindowRect(), (wl::Rect{pct(25, W) + d / 2, d + e, pct(50, W) - d / 2, H - 2 * d}));
        EXPECT_EQ(p.m_wndXZ.GetWindowRect(), (wl::Rect{pct(50, W) + d / 2, d + e, pct(75, W) - d / 2, H - 2 * d}));
        EXPECT_EQ(p.m_wndSection.GetWindowRect(), (wl::Rect{pct(75, W) + d / 2, d + e, W - 2 * d, H - 2 * d}));
        EXPECT_LE(p.m_wndXY.GetWindowRect().Width(), 1);
        EXPECT_EQ(p.m_tab.GetWindowRect(), (wl::Rect{d, d, W - d, H - d}));
        EXPECT_EQ(p.m_richText.GetWindowRect(), (wl::Rect{2 * d, d + e, W - 2 * d, H - 2 * d}));
        // The graph controls were told their places: their pictures' sizes.
        EXPECT_EQ(p.m_wndXZ.Widget()->geometry(), guitest::RectIn(p.m_wndXZ.Widget(), p.Widget()));
        for (kurvoqt::Graph2DWindow* w : {&p.m_wndYZ, &p.m_wndXZ, &p.m_wndSection})
            EXPECT_TRUE(w->IsWindowVisible());
        EXPECT_TRUE(p.m_wnd3D.IsWindowVisible());
    }
    EXPECT_EQ(p.m_layout.GetCount(), 7) << "anchors registered once";
    p.LayoutViews();
    EXPECT_EQ(p.m_layout.GetCount(), 7);
}

TEST(PreviewLayout, PlaneViewsLeaveTheSectionItsFifth) {
    Host host;
    CPreviewDlg p;
    ASSERT_TRUE(p.CreateModeless());
    p.SetParentWindow(host.Handle());
    p.Show();
    p.MoveWindow(0, 0, 900, 500);
    const int d = wl::DluToPixelX(8) - wl::DluToPixelX(4);
    const int e = wl::DluToPixelY(22) - wl::DluToPixelY(4);
    const int W = 900, H = 500;
    EXPECT_EQ(p.m_wndXZ.GetWindowRect(), (wl::Rect{2 * d, d + e, 720 - d, H - 2 * d}));
    EXPECT_EQ(p.m_wndSection.GetWindowRect(), (wl::Rect{720, d + e, W - 2 * d, H - 2 * d}));
    EXPECT_EQ(p.m_wnd3D.GetWindowRect(), (wl::Rect{2 * d, d + e, W - 2 * d, H - 2 * d}));
    EXPECT_EQ(p.m_layout.GetCount(), 7);
}

// ---- the window maker of "CreatePreviewDlg" -------------------------------------------------------

TEST(PreviewMaker, WindowPreviewOnlyForALiveParent) {
    Host host;
    const int64_t dlgValue = Send("CreateInputDlg", {{"CWnd*", 0}});
    for (const int64_t parent : {host.Handle(), int64_t{0}, int64_t{77}}) {
        SCOPED_TRACE(parent);
        const int64_t v = Send("CreatePreviewDlg", {{"CWnd*", parent}, {"CWnd*", dlgValue}, {"BOOL", 0}});
        auto* base = reinterpret_cast<CPreviewDialogBase*>(static_cast<uintptr_t>(v));
        ASSERT_NE(base, nullptr);
        auto* window = dynamic_cast<CPreviewDlg*>(base);
        EXPECT_EQ(window != nullptr, parent == host.Handle());
        EXPECT_EQ(base->m_views & CPreviewDialogBase::VIEW_YZ, 0u);
        EXPECT_EQ(base->m_parent, parent);
        EXPECT_TRUE(base->m_bVisible);
        if (window) {
            EXPECT_EQ(window->GetParent(), &host.window);
            EXPECT_TRUE(window->IsWindowVisible());
        }
    }
    RigelModuleTeardown();
}

// ---- screenshots of every tab of the three examples ---------------------------------------------------

class PreviewScreens : public ExamplePreview, public ::testing::WithParamInterface<const char*> {};

TEST_P(PreviewScreens, EveryTab) {
    Open(GetParam());
    CPreviewDlg& p = *preview;
    const char* names[] = {"3d", "xz", "xy", "report"};
    const QRgb band = qRgb(0x4B, 0x83, 0xA2);
    for (int tab = 0; tab < 4; ++tab) {
        SCOPED_TRACE(names[tab]);
        ASSERT_TRUE(guitest::ClickTab(p, IDC_PREVIEW_TAB, tab));
        guitest::ProcessEventsFor(20);
        const QImage img = guitest::GrabToPng(p, std::string("preview_") + GetParam() + "_" + names[tab]);
        ASSERT_FALSE(img.isNull());
        auto area = [&](wl::Window& w) { return guitest::RectIn(w.Widget(), p.Widget()); };
        if (tab == 0) {
            const int ink = guitest::CountPixels(img, area(p.m_wnd3D),
                                                 [](QRgb c) { return !guitest::Near(c, qRgb(255, 255, 255), 20); });
            EXPECT_GT(ink, area(p.m_wnd3D).width() * area(p.m_wnd3D).height() / 50);
        } else if (tab == 1) {
            EXPECT_GT(guitest::CountPixels(img, area(p.m_wndXZ), [&](QRgb c) { return guitest::Near(c, band, 8); }),
                      100);
            EXPECT_GT(guitest::CountPixels(img, area(p.m_wndSection), [&](QRgb c) { return guitest::Near(c, band, 8); }),
                      50);
        } else if (tab == 2) {
            EXPECT_GT(guitest::CountInk(img, area(p.m_wndXY), qRgb(255, 255, 255)), 100);
        } else {
            const QRect box = area(p.m_richText);
            EXPECT_GT(guitest::CountPixels(img, box, [](QRgb c) { return qGray(c) < 100; }), 500);
            EXPECT_GT(p.m_richText.Control().GetText().size(), 300u);
            // The pictures at the report's top are drawn (the member's
            // coloured loads and supports, the crane runway's light blue
            // section), not stood for by a grey frame, which has no colour.
            const int coloured = guitest::CountPixels(img, box, [](QRgb c) {
                return std::max({qRed(c), qGreen(c), qBlue(c)}) - std::min({qRed(c), qGreen(c), qBlue(c)}) > 40;
            });
            EXPECT_GT(coloured, 100);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Examples, PreviewScreens,
                         ::testing::Values("Einfeldtraeger", "Durchlauftraeger_Kragarm", "Kranbahntraeger"));

}  // namespace
