// Templates, data exchange, modal runs through the scripted UI service and
// the notification rules of the controls.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>

#include "platform/winsys/winsys.h"
#include "platform/wl/testing/gui_test.h"
#include "support/test_dialog.h"

using namespace wl;
using namespace wltest;

namespace {

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override { RegisterTestTemplates(); }
    winsys::ScopedRecordingSink messages;
};

QRect Geometry(Window& dlg, int id) { return dlg.GetDlgItemWidget(id)->geometry(); }

}  // namespace

TEST_F(DialogTest, DialogUnitsBecomePixelsWithFixedBaseUnits) {
    // x * 6 / 4 and y * 13 / 8, rounded half away from zero.
    EXPECT_EQ(DluToPixels(15, 34, 154, 13), (Rect{23, 55, 23 + 231, 55 + 21}));
    EXPECT_EQ(MulDiv(-15, 6, 4), -23);
    EXPECT_EQ(MulDiv(5, 1, 0), -1);

    TestDialog dlg;
    ASSERT_TRUE(dlg.Create(nullptr));
    EXPECT_EQ(Geometry(dlg, IDC_NAME), QRect(23, 55, 231, 21));
    EXPECT_EQ(dlg.GetDlgItem(IDC_NAME)->GetWindowRect(), (Rect{23, 55, 254, 76}));
    EXPECT_EQ(dlg.GetClientRect(), (Rect{0, 0, 480, 309}));
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(DialogTest, RegistrationRefusesDuplicatesUnknownKindsAndNamelessCustomControls) {
    struct Case {
        DialogTemplate t;
        const char* why;
    };
    std::vector<Case> cases = {
        {DialogTemplate{kTestDialog, "Zweiter", 10, 10, 0, {}}, "bereits vorhanden"},
        {DialogTemplate{150, "", 10, 10, 0, {{1, static_cast<Kind>(99), "", 0, 0, 5, 5}}}, "unbekannte Art"},
        {DialogTemplate{151, "", 10, 10, 0, {{1, Kind::Custom, "", 0, 0, 5, 5}}}, "keine Fensterklasse"},
    };
    for (const Case& c : cases) {
        messages.Clear();
        const DialogTemplate* before = FindTemplate(c.t.id);
        std::string caption = before ? before->caption : "";
        EXPECT_FALSE(RegisterTemplate(c.t)) << c.why;
        ASSERT_EQ(messages.messages.size(), 1u) << c.why;
        EXPECT_NE(messages.messages[0].text.find(c.why), std::string::npos) << messages.messages[0].text;
        // Nothing replaced, nothing half registered.
        if (before) {
            EXPECT_EQ(FindTemplate(c.t.id)->caption, caption);
        } else {
            EXPECT_EQ(FindTemplate(c.t.id), nullptr);
        }
    }
    Dialog unknown(9999);
    messages.Clear();
    EXPECT_FALSE(unknown.Create(nullptr));
    EXPECT_EQ(messages.messages.size(), 1u);
    EXPECT_FALSE(unknown.IsWindow());
}

TEST_F(DialogTest, ExchangeRoundTripsEveryKindOfValue) {
    TestDialog dlg;
    ASSERT_TRUE(dlg.Create(nullptr));
    EXPECT_EQ(dlg.inits, 1);
    // OnInitDialog loaded the members into the controls.
    EXPECT_EQ(dlg.GetDlgItemText(IDC_NAME), "Träger 1");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_FACTOR), "2.5");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_COUNT), "3");
    EXPECT_TRUE(qobject_cast<QRadioButton*>(dlg.GetDlgItemWidget(IDC_RIGHT))->isChecked());
    EXPECT_FALSE(qobject_cast<QRadioButton*>(dlg.GetDlgItemWidget(IDC_LEFT))->isChecked());

    dlg.title = "Neuer Titel";
    dlg.name = "Stütze";
    dlg.active = 0;
    dlg.direction = 0;
    dlg.country = 1;
    dlg.countryText = "Frankreich";
    dlg.factor = 0.125;
    dlg.count = -7;
    dlg.slider = 75;
    ASSERT_TRUE(dlg.UpdateData(false));
    dlg.title.clear();
    dlg.name.clear();
    dlg.active = 5;
    dlg.direction = 5;
    dlg.country = 5;
    dlg.factor = 0;
    dlg.count = 0;
    dlg.slider = 0;
    ASSERT_TRUE(dlg.UpdateData(true));
    EXPECT_EQ(dlg.title, "Neuer Titel");
    EXPECT_EQ(dlg.name, "Stütze");
    EXPECT_EQ(dlg.active, 0);
    EXPECT_EQ(dlg.direction, 0);
    EXPECT_EQ(dlg.country, 1);
    EXPECT_EQ(dlg.countryText, "Frankreich");
    EXPECT_DOUBLE_EQ(dlg.factor, 0.125);
    EXPECT_EQ(dlg.count, -7);
    EXPECT_EQ(dlg.slider, 75);

    // No radio checked reads as -1.
    dlg.direction = -1;
    ASSERT_TRUE(dlg.UpdateData(false));
    dlg.direction = 3;
    ASSERT_TRUE(dlg.UpdateData(true));
    EXPECT_EQ(dlg.direction, -1);
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(DialogTest, NumbersReadWithPointOrCommaAndBadNumbersStopTheExchange) {
    struct Case {
        int id;
        const char* text;
        bool ok;
        double value;
    };
    const Case cases[] = {
        {IDC_FACTOR, "2,5", true, 2.5},   {IDC_FACTOR, " 1e3 ", true, 1000},
        {IDC_FACTOR, "abc", false, 0},    {IDC_FACTOR, "2.5x", false, 0},
        {IDC_FACTOR, "", false, 0},       {IDC_FACTOR, "inf", false, 0},
        {IDC_COUNT, "42", true, 42},      {IDC_COUNT, "2,5", false, 0},
        {IDC_COUNT, "99999999999", false, 0},
    };
    for (const Case& c : cases) {
        TestDialog dlg;
        ASSERT_TRUE(dlg.Create(nullptr));
        dlg.Widget()->show();
        messages.Clear();
        dlg.SetDlgItemText(c.id, c.text);
        dlg.SetDlgItemText(IDC_NAME, "geändert");
        double factorBefore = dlg.factor;
        int countBefore = dlg.count;
        EXPECT_EQ(dlg.UpdateData(true), c.ok) << c.text;
        double got = c.id == IDC_FACTOR ? dlg.factor : dlg.count;
        if (c.ok) {
            EXPECT_DOUBLE_EQ(got, c.value) << c.text;
            EXPECT_TRUE(messages.messages.empty()) << c.text;
        } else {
            // German message, focus on the field, member unchanged.
            ASSERT_EQ(messages.messages.size(), 1u) << c.text;
            EXPECT_NE(messages.messages[0].text.find("Zahl ein"), std::string::npos);
            EXPECT_EQ(dlg.factor, factorBefore);
            EXPECT_EQ(dlg.count, countBefore);
            EXPECT_EQ(dlg.Widget()->focusWidget(), dlg.GetDlgItemWidget(c.id)) << c.text;
        }
        // Fields before the failing one were taken.
        EXPECT_EQ(dlg.name, "geändert");
    }
}

TEST_F(DialogTest, ExchangeOnAMissingIdIsRefusedWithAMessage) {
    TestDialog dlg;
    dlg.exchangeMissing = true;
    ASSERT_TRUE(dlg.Create(nullptr));
    ASSERT_EQ(messages.messages.size(), 1u);  // the load in OnInitDialog
    EXPECT_NE(messages.messages[0].text.find("4711"), std::string::npos);
    messages.Clear();
    dlg.name = "bleibt";
    EXPECT_FALSE(dlg.UpdateData(true));
    EXPECT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(dlg.name, "bleibt");
}

TEST_F(DialogTest, ModalRunsThroughTheScriptWithoutAnEventLoop) {
    guitest::ScriptedUi ui;
    int queuedRuns = 0;
    Dialog host(kChildPage);
    ASSERT_TRUE(host.Create(nullptr));
    host.MapCommand(77, [&] { ++queuedRuns; });

    struct Case {
        const char* what;
        std::function<void(Dialog&)> script;
        int result;
        std::string name;
        int oks, cancels;
    };
    const Case cases[] = {
        {"OK after typing",
         [](Dialog& d) {
             guitest::TypeText(d, IDC_NAME, "HEB 200");
             guitest::Click(d, IDOK);
         },
         IDOK, "HEB 200", 1, 0},
        {"Abbrechen",
         [](Dialog& d) {
             guitest::TypeText(d, IDC_NAME, "verworfen");
             guitest::Click(d, IDCANCEL);
         },
         IDCANCEL, "Träger 1", 0, 1},
        {"close box",
         [](Dialog& d) {
             guitest::TypeText(d, IDC_NAME, "verworfen");
             guitest::CloseBox(d);
         },
         IDCANCEL, "Träger 1", 0, 1},
        {"Enter",
         [](Dialog& d) {
             guitest::TypeText(d, IDC_NAME, "IPE 300");
             guitest::PressKey(d, Qt::Key_Return);
         },
         IDOK, "IPE 300", 1, 0},
        {"Escape", [](Dialog& d) { guitest::PressKey(d, Qt::Key_Escape); }, IDCANCEL, "Träger 1", 0, 1},
        {"OK with a bad number stays open, then Abbrechen",
         [](Dialog& d) {
             guitest::TypeText(d, IDC_FACTOR, "zwei");
             guitest::Click(d, IDOK);
             EXPECT_FALSE(static_cast<TestDialog&>(d).ModalEnded());
             guitest::Click(d, IDCANCEL);
         },
         IDCANCEL, "Träger 1", 1, 1},
    };
    for (const Case& c : cases) {
        ui.OnModal(kTestDialog, c.script);
        host.PostCommand(77);
        TestDialog dlg;
        EXPECT_EQ(dlg.DoModal(), c.result) << c.what;
        EXPECT_EQ(dlg.name, c.name) << c.what;
        EXPECT_EQ(dlg.oks, c.oks) << c.what;
        EXPECT_EQ(dlg.cancels, c.cancels) << c.what;
        EXPECT_FALSE(dlg.IsWindow()) << c.what;
        // The posted command waits: the modal run processed no events.
        EXPECT_EQ(queuedRuns, 0) << c.what;
        PumpMessages();
        EXPECT_EQ(queuedRuns, 1) << c.what;
        queuedRuns = 0;
    }
    EXPECT_EQ(ui.modalRuns.size(), std::size(cases));
}

namespace {
// Records the notifications it gets.
class Recorder : public TestDialog {
public:
    std::vector<std::pair<int, int>> got;

protected:
    bool OnNotify(const Notify& n, std::intptr_t&) override {
        got.push_back({n.id, n.code});
        return true;
    }
};
}  // namespace

TEST_F(DialogTest, UserActionsNotifyProgrammaticSelectionsDoNot) {
    Recorder dlg;
    ASSERT_TRUE(dlg.Create(nullptr));
    dlg.got.clear();
    // Loads of checks, radios, combos and sliders are silent.
    dlg.active = 0;
    dlg.direction = 0;
    dlg.country = 1;
    dlg.slider = 10;
    dlg.UpdateData(false);
    auto withoutEditChanges = [&] {
        std::vector<std::pair<int, int>> v;
        for (auto& p : dlg.got)
            if (p.second != EN_CHANGE) v.push_back(p);
        return v;
    };
    EXPECT_TRUE(withoutEditChanges().empty());
    // Setting an edit's text notifies.
    dlg.got.clear();
    dlg.SetDlgItemText(IDC_NAME, "neu");
    EXPECT_EQ(dlg.got, (std::vector<std::pair<int, int>>{{IDC_NAME, EN_CHANGE}}));
    // User actions notify.
    dlg.got.clear();
    guitest::Click(dlg, IDC_ACTIVE);
    guitest::Click(dlg, IDC_RIGHT);
    guitest::ChooseComboItem(dlg, IDC_COUNTRY, 0);
    guitest::ClickTab(dlg, IDC_TABS, 0);  // no tabs: nothing happens
    EXPECT_EQ(dlg.got, (std::vector<std::pair<int, int>>{
                           {IDC_ACTIVE, BN_CLICKED}, {IDC_RIGHT, BN_CLICKED}, {IDC_COUNTRY, CBN_SELCHANGE}}));
    dlg.UpdateData(true);
    EXPECT_EQ(dlg.active, 1);
    EXPECT_EQ(dlg.direction, 1);
    EXPECT_EQ(dlg.country, 0);
}

TEST_F(DialogTest, HandlersByIdTakePrecedenceAndReturnTheirResult) {
    TestDialog dlg;
    ASSERT_TRUE(dlg.Create(nullptr));
    int clicks = 0;
    dlg.MapCommand(IDC_ACTIVE, [&] { ++clicks; });
    dlg.MapNotify(IDC_COUNTRY, CBN_SELCHANGE, [](const Notify& n) { return std::intptr_t{100 + n.index}; });
    // A handler mapped for IDOK replaces OnOK.
    int okHandler = 0;
    dlg.MapCommand(IDOK, [&] { ++okHandler; });
    guitest::Click(dlg, IDC_ACTIVE);
    EXPECT_EQ(clicks, 1);
    Notify n;
    n.id = IDC_COUNTRY;
    n.code = CBN_SELCHANGE;
    n.index = 1;
    EXPECT_EQ(dlg.SendNotify(n), 101);
    guitest::Click(dlg, IDOK);
    EXPECT_EQ(okHandler, 1);
    EXPECT_EQ(dlg.oks, 0);
    // Without a handler, Escape still reaches OnCancel.
    guitest::PressKey(dlg, Qt::Key_Escape);
    EXPECT_EQ(dlg.cancels, 1);
}
