// UI services: file filters, popup menus and the clipboard, through the
// toolkit's service and through the scripted one.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QTimer>

#include "platform/wl/testing/gui_test.h"
#include "platform/wl/ui.h"

using namespace wl;

TEST(UiService, FileFiltersAreConvertedAndMalformedOnesMeanAllFiles) {
    struct Case {
        const char* filter;
        const char* toolkit;
    };
    const Case cases[] = {
        {"RTF-Dateien (*.rtf)|*.rtf||", "RTF-Dateien (*.rtf)"},
        {"Positionen|*.vkx;*.VKX|Alle Dateien (*.*)|*.*||", "Positionen (*.vkx *.VKX);;Alle Dateien (*.*)"},
        {"Nur Text", "Alle Dateien (*)"},
        {"Text|", "Alle Dateien (*)"},
        {"", "Alle Dateien (*)"},
        {"Vorlagen|*.ttp", "Vorlagen (*.ttp)"},
    };
    for (const Case& c : cases) EXPECT_EQ(ToToolkitFilter(c.filter), c.toolkit) << c.filter;
}

TEST(UiService, ToolkitMenusAnswerTheChosenIdOrZero) {
    Menu menu;
    menu.items = {{10, "Einfügen"}, {0, ""}, {0, "Ansicht", false, false, {{20, "3D"}, {21, "2D", true}}}};
    for (int wanted : {21, 0}) {
        QTimer::singleShot(0, [wanted] {
            auto* m = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            ASSERT_NE(m, nullptr);
            if (wanted == 0) {
                m->close();
                return;
            }
            // The sub-menu's entry.
            for (QAction* a : m->actions())
                if (a->menu())
                    for (QAction* s : a->menu()->actions())
                        if (s->data().toInt() == wanted) {
                            EXPECT_TRUE(s->isChecked());
                            s->trigger();
                            m->close();
                        }
        });
        EXPECT_EQ(GetUi().TrackPopupMenu(menu, Point{10, 10}, nullptr), wanted);
    }
}

TEST(UiService, ClipboardKeepsTextAndRtf) {
    Ui& ui = GetUi();
    ui.SetClipboardText("Träger 1");
    EXPECT_EQ(ui.GetClipboardText(), "Träger 1");
    EXPECT_EQ(ui.GetClipboardRtf(), std::nullopt);
    ui.SetClipboardRtf("{\\rtf1 Tr\\'e4ger}", "Träger");
    EXPECT_EQ(ui.GetClipboardRtf(), std::optional<std::string>("{\\rtf1 Tr\\'e4ger}"));
    EXPECT_EQ(ui.GetClipboardText(), "Träger");
}

TEST(UiService, ScriptedServiceAnswersFromItsQueues) {
    guitest::ScriptedUi ui;
    EXPECT_EQ(&GetUi(), &ui);
    ui.fileAnswers = {std::string("/tmp/a.rtf"), std::nullopt};
    FileRequest r;
    r.filter = "RTF-Dateien (*.rtf)|*.rtf||";
    EXPECT_EQ(GetUi().GetOpenFileName(r, nullptr), std::optional<std::string>("/tmp/a.rtf"));
    EXPECT_EQ(GetUi().GetSaveFileName(r, nullptr), std::nullopt);
    EXPECT_EQ(GetUi().GetSaveFileName(r, nullptr), std::nullopt);  // nothing queued: cancelled
    EXPECT_EQ(ui.fileRequests.size(), 3u);
    ui.menuAnswers = {7};
    EXPECT_EQ(GetUi().TrackPopupMenu(Menu{}, Point{}, nullptr), 7);
    EXPECT_EQ(GetUi().TrackPopupMenu(Menu{}, Point{}, nullptr), 0);
    GetUi().SetClipboardRtf("{\\rtf1}", "x");
    EXPECT_EQ(ui.clipboardRtf, std::optional<std::string>("{\\rtf1}"));
}
