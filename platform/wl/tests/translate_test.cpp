// Translation of whole windows and the message box of the message service.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <fstream>

#include "platform/lingo/lingo.h"
#include "platform/winsys/winsys.h"
#include "platform/wl/message_sink.h"
#include "platform/wl/testing/gui_test.h"
#include "platform/wl/translate.h"
#include "support/test_dialog.h"

using namespace wl;
using namespace wltest;

TEST(Translate, OneEntryCatalogueChangesThatControlOnly) {
    RegisterTestTemplates();
    std::filesystem::path file = std::filesystem::path(RIGEL_TEST_TMP) / "wl_translate.cat";
    std::filesystem::create_directories(file.parent_path());
    { std::ofstream(file) << "VKT Eingabe|velor_i_rigel|TestDlg|Aktiv=Active\n"; }
    ASSERT_TRUE(lingo::LoadCatalogue(file.string()));
    TestDialog dlg;
    ASSERT_TRUE(dlg.Create(nullptr));
    const int ids[] = {IDC_TITLE, IDC_NAME_LABEL, IDC_LEFT, IDC_RIGHT, IDC_DIRECTION_GROUP, IDOK, IDCANCEL};
    std::vector<std::string> before;
    for (int id : ids) before.push_back(dlg.GetDlgItemText(id));
    EXPECT_TRUE(LINGO_HWNDTranslate(&dlg, "VKT Eingabe", "velor_i_rigel", "TestDlg"));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_ACTIVE), "Active");
    for (size_t i = 0; i < std::size(ids); ++i) EXPECT_EQ(dlg.GetDlgItemText(ids[i]), before[i]) << ids[i];
    EXPECT_EQ(dlg.GetWindowText(), "Testdialog");
    // Another dialog name leaves everything as it is.
    TestDialog other;
    ASSERT_TRUE(other.Create(nullptr));
    EXPECT_TRUE(LINGO_HWNDTranslate(&other, "VKT Eingabe", "velor_i_rigel", "AndererDlg"));
    EXPECT_EQ(other.GetDlgItemText(IDC_ACTIVE), "Aktiv");
    EXPECT_FALSE(LINGO_HWNDTranslate(nullptr, "VKT Eingabe", "velor_i_rigel", "TestDlg"));

    // Caption, group and the entries of a combo marked translatable.
    { std::ofstream(file) << "A|S|D|Testdialog=Test dialog\nA|S|D|Richtung=Direction\nA|S|D|Frankreich=France\n"; }
    ASSERT_TRUE(lingo::LoadCatalogue(file.string()));
    EXPECT_TRUE(LINGO_HWNDTranslate(&other, "A", "S", "D"));
    EXPECT_EQ(other.GetWindowText(), "Test dialog");
    EXPECT_EQ(other.GetDlgItemText(IDC_DIRECTION_GROUP), "Direction");
    auto* combo = qobject_cast<QComboBox*>(other.GetDlgItemWidget(IDC_COUNTRY));
    EXPECT_EQ(combo->itemText(1), QStringLiteral("France"));
    EXPECT_EQ(combo->itemText(0), QStringLiteral("Deutschland"));
    lingo::LoadCatalogue("");
}

TEST(QtMessageSinkTest, ButtonsAnswerWithTheirResults) {
    QtMessageSink sink;
    winsys::MessageSink* previous = winsys::SetMessageSink(&sink);
    struct Case {
        winsys::Buttons buttons;
        const char* press;
        int answer;
    };
    const Case cases[] = {
        {winsys::Buttons::YesNo, "Nein", winsys::IdNo},
        {winsys::Buttons::YesNoCancel, "Ja", winsys::IdYes},
        {winsys::Buttons::RetryCancel, "Wiederholen", winsys::IdRetry},
        {winsys::Buttons::OkCancel, "Abbrechen", winsys::IdCancel},
        {winsys::Buttons::Ok, "OK", winsys::IdOk},
    };
    for (const Case& c : cases) {
        QStringList seen;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            for (QAbstractButton* b : box->buttons()) seen << b->text();
            EXPECT_EQ(box->icon(), QMessageBox::Question);
            for (QAbstractButton* b : box->buttons())
                if (b->text() == QString::fromUtf8(c.press)) b->click();
        });
        EXPECT_EQ(winsys::MessageBox("Position speichern?", "Frage", c.buttons, winsys::Icon::Question), c.answer)
            << c.press;
        EXPECT_TRUE(seen.contains(QString::fromUtf8(c.press))) << seen.join(",").toStdString();
    }
    winsys::SetMessageSink(previous);
}
