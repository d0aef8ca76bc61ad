// Plausibility messages: the list, the jump to an input field and what the
// record-route dialog shows.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "module/PlauMessage.h"
#include "platform/winsys/winsys.h"

namespace {

// A main dialog, its tab control, a grid and a control that write down what
// was done to them.
struct Trace {
    std::vector<std::string> calls;
};

class FakeTab : public CPlauTabCtrl {
public:
    FakeTab(Trace& t, bool vkt, int current) : trace_(t), vkt_(vkt), current_(current) {}
    bool IsVKTTabCtrl() const override { return vkt_; }
    int GetCurPageId() const override { return vkt_ ? current_ : -99; }
    int GetCurSel() const override { return vkt_ ? -99 : current_; }
    void SetCurSel(int page) override {
        trace_.calls.push_back("tab " + std::to_string(page));
        current_ = page;
    }

private:
    Trace& trace_;
    bool vkt_;
    int current_;
};

class FakeDialog : public CPlauMainDialog {
public:
    explicit FakeDialog(Trace& t) : trace_(t) {}
    void ShowPage(int page) override { trace_.calls.push_back("show " + std::to_string(page)); }
    void Redraw() override { trace_.calls.push_back("redraw"); }

private:
    Trace& trace_;
};

class FakeGrid : public CPlauGrid {
public:
    explicit FakeGrid(Trace& t) : trace_(t) {}
    void SelectCell(int row, int column) override {
        trace_.calls.push_back("cell " + std::to_string(row) + "," + std::to_string(column));
    }
    int GetPageId() const override { return pageId; }
    int pageId = -1;

private:
    Trace& trace_;
};

class FakeControl : public CPlauControl {
public:
    explicit FakeControl(Trace& t) : trace_(t) {}
    void SetFocus() override { trace_.calls.push_back("focus"); }
    int GetDlgCtrlID() const override { return 1234; }
    void SendParentCommand(int id) override { trace_.calls.push_back("command " + std::to_string(id)); }

private:
    Trace& trace_;
};

}  // namespace

TEST(PlauMessageList, RecordsAndCounts) {
    Trace trace;
    FakeGrid grid(trace);
    FakeControl control(trace);
    CPlauMessageList list;
    list.AddGridMessage(PLAU_ERROR, "Kapitel 'Lasten': Es wurden keine Lasten eingegeben", 2, &grid, 3, 1);
    list.AddControlMessage(PLAU_WARNING, "Warnung", 1, &control, true);
    list.AddGridMessage(PLAU_WARNING, "ohne Ziel", -1, nullptr, -1, -1);
    ASSERT_EQ(list.GetSize(), 3);
    EXPECT_EQ(list.CountErrors(), 1);
    EXPECT_EQ(list.CountWarnings(), 2);
    const CPlauMessage& e = list.GetAt(0);
    EXPECT_FALSE(e.bWarning);
    EXPECT_EQ(e.type, 0x2000);
    EXPECT_EQ(e.grid, &grid);
    EXPECT_EQ(e.row, 3);
    EXPECT_EQ(e.control, nullptr);
    const CPlauMessage& w = list.GetAt(1);
    EXPECT_TRUE(w.bWarning);
    EXPECT_EQ(w.type, 0x3000);
    EXPECT_EQ(w.grid, nullptr);
    EXPECT_EQ(w.row, -1);
    EXPECT_EQ(w.column, -1);
    EXPECT_TRUE(w.bNotify);
    EXPECT_TRUE(e.HasTarget());
    EXPECT_TRUE(w.HasTarget());
    EXPECT_FALSE(list.GetAt(2).HasTarget());
    EXPECT_FALSE(list.GetAt(7).HasTarget());  // outside: an empty message
    list.RemoveAll();
    EXPECT_EQ(list.GetSize(), 0);
}

TEST(PlauMessageList, GoToFieldReachesItsTarget) {
    struct Case {
        const char* name;
        bool vkt;
        int currentPage;
        bool grid, control, notify;
        int page;
        std::vector<std::string> expect;
        int gridPage = -1;  // the page that holds the grid, when it says
    };
    const Case cases[] = {
        {"grid on another page", true, 0, true, false, false, 2, {"tab 2", "show 2", "cell 3,1", "redraw"}},
        {"current page not selected again", false, 2, true, false, false, 2, {"cell 3,1", "redraw"}},
        {"page 0 always selected", true, 0, false, true, false, 0, {"tab 0", "show 0", "focus", "redraw"}},
        {"control with notification", false, 0, false, true, true, 1,
         {"tab 1", "show 1", "focus", "command 1234", "redraw"}},
        // A message naming another page than the grid's goes to the grid's page.
        {"grid on its own page", true, 0, true, false, false, 2, {"tab 6", "show 6", "cell 3,1", "redraw"}, 6},
    };
    for (const Case& c : cases) {
        Trace trace;
        FakeTab tab(trace, c.vkt, c.currentPage);
        FakeDialog dialog(trace);
        FakeGrid grid(trace);
        grid.pageId = c.gridPage;
        FakeControl control(trace);
        CPlauMessageList list;
        list.m_pMainDlg = &dialog;
        list.m_pTabCtrl = &tab;
        if (c.grid)
            list.AddGridMessage(PLAU_ERROR, "x", c.page, &grid, 3, 1);
        else
            list.AddControlMessage(PLAU_ERROR, "x", c.page, &control, c.notify);
        list.GoToField(list.GetAt(0));
        EXPECT_EQ(trace.calls, c.expect) << c.name;
    }
}

TEST(PlauMessageList, GoToFieldDoesNothingWithoutTargetOrWindows) {
    Trace trace;
    FakeTab tab(trace, true, 0);
    FakeDialog dialog(trace);
    FakeGrid grid(trace);
    CPlauMessageList list;
    list.AddGridMessage(PLAU_ERROR, "ohne Ziel", -1, nullptr, -1, -1);
    list.AddGridMessage(PLAU_ERROR, "mit Ziel", 1, &grid, 0, 0);
    list.GoToField(list.GetAt(1));  // no windows set yet
    list.m_pMainDlg = &dialog;
    list.m_pTabCtrl = &tab;
    list.GoToField(list.GetAt(0));  // no target
    EXPECT_TRUE(trace.calls.empty());
}

TEST(PlauCtrlV2, ButtonsFollowErrorsAndWarnings) {
    Trace trace;
    FakeGrid grid(trace);
    struct Case {
        std::vector<int32_t> types;
        bool firstHasTarget;
        CPlauCtrlV2State expect;
    };
    const Case cases[] = {
        {{PLAU_WARNING, PLAU_WARNING}, true, {0, 2, false, true, true}},
        {{PLAU_WARNING, PLAU_ERROR}, false, {1, 1, true, false, false}},
        {{}, false, {0, 0, false, true, false}},
    };
    for (const Case& c : cases) {
        CPlauMessageList list;
        bool first = true;
        for (int32_t t : c.types) {
            if (first && c.firstHasTarget)
                list.AddGridMessage(t, "m", 0, &grid, 1, 1);
            else
                list.AddGridMessage(t, "m", -1, nullptr, -1, -1);
            first = false;
        }
        CPlauCtrlV2State s = MakePlauCtrlV2State(list);
        EXPECT_EQ(s.errors, c.expect.errors);
        EXPECT_EQ(s.warnings, c.expect.warnings);
        EXPECT_EQ(s.showCancel, c.expect.showCancel);
        EXPECT_EQ(s.showStart, c.expect.showStart);
        EXPECT_EQ(s.jumpEnabled, c.expect.jumpEnabled);
    }
}

// Until the dialog windows exist the dialogs ask through the message sink.
TEST(PlauCtrlV2, MessageSinkDialogAnswers) {
    struct Case {
        int32_t type;
        int answer;
        int expect;
        winsys::Buttons buttons;
    };
    const Case cases[] = {
        {PLAU_ERROR, winsys::IdOk, PLAU_RESULT_JUMP, winsys::Buttons::OkCancel},
        {PLAU_ERROR, winsys::IdCancel, PLAU_RESULT_CANCEL, winsys::Buttons::OkCancel},
        {PLAU_WARNING, winsys::IdYes, PLAU_RESULT_START, winsys::Buttons::YesNoCancel},
        {PLAU_WARNING, winsys::IdNo, PLAU_RESULT_JUMP, winsys::Buttons::YesNoCancel},
        {PLAU_WARNING, winsys::IdCancel, PLAU_RESULT_CANCEL, winsys::Buttons::YesNoCancel},
    };
    for (const Case& c : cases) {
        winsys::ScopedRecordingSink sink;
        sink.scriptedAnswers = {c.answer};
        CPlauMessageList list;
        list.AddGridMessage(c.type, "Kapitel 'System': Länge fehlt", 1, nullptr, 2, 0);
        CPlauMessage selected;
        EXPECT_EQ(DefaultPlauDialogs().ShowPlauCtrlV2(list, selected), c.expect);
        ASSERT_EQ(sink.messages.size(), 1u);
        EXPECT_EQ(sink.messages[0].buttons, c.buttons);
        EXPECT_NE(sink.messages[0].text.find("Länge fehlt"), std::string::npos);
        EXPECT_EQ(selected.text, "Kapitel 'System': Länge fehlt");
    }
}
