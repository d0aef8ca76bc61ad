// The symbol palette: button codes, settings, inserting a symbol through
// the editor's command, closing and reopening, and how it looks.
#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QWidget>
#include <string>

#include "editor/controls/DlgSymbol.h"
#include "editor/controls/SubDlg.h"
#include "editor/core/EditorDocument.h"
#include "module/frame/ModuleState.h"
#include "module/frame/RegSettings.h"
#include "platform/winsys/winsys.h"
#include "platform/wl/testing/gui_test.h"

namespace {

namespace gt = wl::guitest;

struct Editor {
    Editor() {
        EXPECT_TRUE(dlg.Create(nullptr));
        dlg.Widget()->resize(760, 420);
        dlg.SetDocument(&doc);
        doc.pages.AddText("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 ab}");
        dlg.TransferData(false);
    }
    CEditorDocument doc;
    CSubDlg dlg;
};

TEST(DlgSymbol, ButtonCodes) {
    struct Case {
        int id;
        unsigned char code;
    };
    // Lower-case Greek from 'a', upper-case from 'A', the sign set from 0xA1;
    // the last button is the perpendicular sign 0x5E.
    for (const Case& c : {Case{11570, 0x61}, Case{11595, 0x7A}, Case{11596, 0x41}, Case{11621, 0x5A},
                          Case{11622, 0xA1}, Case{11713, 0xFC}, Case{11714, 0x5E}, Case{11569, 0}, Case{11715, 0}})
        EXPECT_EQ(CDlgSymbol::SymbolCode(c.id), c.code) << c.id;
    EXPECT_EQ(CDlgSymbol::kButtonCount, 145);
}

// The first test of the process sees an empty registry: the defaults.
TEST(DlgSymbol, DefaultsThenInsertThroughTheEditorCommand) {
    Editor e;
    e.dlg.Widget()->show();
    e.dlg.Text().SetSel(1, 1);
    e.dlg.SendCommand(40051);  // Alt+S
    ASSERT_TRUE(e.dlg.symbolDlg);
    CDlgSymbol& s = *e.dlg.symbolDlg;
    EXPECT_EQ(e.dlg.symbolDlgCreated, 1);
    EXPECT_EQ(e.dlg.symbolDlgWanted, 1);
    EXPECT_TRUE(s.Widget()->isVisible());
    EXPECT_EQ(s.GetWindowRect().left, 300);
    EXPECT_EQ(s.GetWindowRect().top, 200);
    EXPECT_EQ(s.GetDlgItemText(CDlgSymbol::kHeightEditId), "2");
    int lo = -1, hi = -1;
    s.spin.GetRange(lo, hi);
    EXPECT_EQ(lo, 0);
    EXPECT_EQ(hi, 32);

    // 10-point text, default increase 2: the symbol is 12 points (240
    // twips) in "Symbol", typing goes on in 10-point "Arial".
    ASSERT_TRUE(gt::Click(s, 11596));  // capital alpha
    EXPECT_EQ(e.dlg.Text().GetText(), "a\xCE\x91" "b");
    EXPECT_EQ(e.dlg.Text().GetCharFormat().face, "Arial");
    EXPECT_EQ(e.dlg.Text().GetCharFormat().height, 200);
    e.dlg.Text().SetSel(1, 2);
    EXPECT_EQ(e.dlg.Text().GetCharFormat().face, "Symbol");
    EXPECT_EQ(e.dlg.Text().GetCharFormat().height, 240);

    // A typed increase of 5 points: 15 points.
    e.dlg.Text().SetSel(0, 0);
    ASSERT_TRUE(gt::TypeText(s, CDlgSymbol::kHeightEditId, "5"));
    ASSERT_TRUE(gt::Click(s, 11570));  // small alpha
    e.dlg.Text().SetSel(0, 1);
    EXPECT_EQ(e.dlg.Text().GetCharFormat().height, 300);
    EXPECT_EQ(e.dlg.Text().GetText(), "\xCE\xB1" "a\xCE\x91" "b");

    // Not a number: a message, nothing inserted.
    winsys::ScopedRecordingSink sink;
    e.dlg.Text().SetSel(0, 0);
    ASSERT_TRUE(gt::TypeText(s, CDlgSymbol::kHeightEditId, "x"));
    gt::Click(s, 11570);
    EXPECT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(e.dlg.Text().GetText(), "\xCE\xB1" "a\xCE\x91" "b");
}

TEST(DlgSymbol, ClosingHidesAndTheNextEditorOpensItWhereItWasLeft) {
    {
        Editor e;
        e.dlg.Widget()->show();
        e.dlg.SendCommand(310);  // context menu "Einfügen \ Sonderzeichen"
        ASSERT_TRUE(e.dlg.symbolDlg);
        CDlgSymbol& s = *e.dlg.symbolDlg;
        s.Widget()->move(123, 145);
        ASSERT_TRUE(gt::TypeText(s, CDlgSymbol::kHeightEditId, "4"));

        // Closing hides it and clears the wish to see it with the editor.
        gt::CloseBox(s);
        EXPECT_FALSE(s.Widget()->isVisible());
        EXPECT_EQ(e.dlg.symbolDlgWanted, 0);
        e.dlg.Widget()->hide();
        e.dlg.Widget()->show();
        EXPECT_FALSE(s.Widget()->isVisible());

        // Shown again: the same window, still not wanted with the editor.
        e.dlg.SendCommand(40051);
        EXPECT_EQ(e.dlg.symbolDlg.get(), &s);
        EXPECT_TRUE(s.Widget()->isVisible());
        EXPECT_EQ(e.dlg.symbolDlgWanted, 0);
    }
    CRegSettings& reg = GetRegSettings();
    EXPECT_EQ(reg.GetInt("Quill", "symbolDlgPosX", 0), 123);
    EXPECT_EQ(reg.GetInt("Quill", "symbolDlgPosY", 0), 145);
    EXPECT_EQ(reg.GetInt("Quill", "symbolH", 0), 4);

    Editor again;
    again.dlg.Widget()->show();
    again.dlg.SendCommand(40051);
    ASSERT_TRUE(again.dlg.symbolDlg);
    EXPECT_EQ(again.dlg.symbolDlg->GetWindowRect().left, 123);
    EXPECT_EQ(again.dlg.symbolDlg->GetWindowRect().top, 145);
    EXPECT_EQ(again.dlg.symbolDlg->GetDlgItemText(CDlgSymbol::kHeightEditId), "4");
}

TEST(DlgSymbol, WantedPaletteFollowsTheEditor) {
    Editor e;
    e.dlg.Widget()->show();
    e.dlg.ShowSymbolDialog();
    ASSERT_TRUE(e.dlg.symbolDlg);
    QWidget* palette = e.dlg.symbolDlg->Widget();
    e.dlg.Widget()->hide();
    EXPECT_FALSE(palette->isVisible());
    e.dlg.Widget()->show();
    EXPECT_TRUE(palette->isVisible());
}

TEST(DlgSymbol, Screenshot) {
    Editor e;
    e.dlg.Widget()->show();
    e.dlg.ShowSymbolDialog();
    ASSERT_TRUE(e.dlg.symbolDlg);
    CDlgSymbol& s = *e.dlg.symbolDlg;
    const QImage img = gt::GrabToPng(s, "editor_symbol_dialog");
    ASSERT_FALSE(img.isNull());
    // Every button draws its character: ink inside each button beyond the
    // button face (sampled at its left edge). Greek letters are large
    // glyphs; some signs (a dot, a prime) are only a few pixels.
    for (int id = CDlgSymbol::kFirstButtonId; id <= CDlgSymbol::kLastButtonId; ++id) {
        QWidget* b = s.GetDlgItemWidget(id);
        ASSERT_NE(b, nullptr) << id;
        const QRect r = gt::RectIn(b, s.Widget());
        ASSERT_TRUE(img.rect().contains(r)) << id;
        const QRect inner = r.adjusted(4, 4, -4, -4);
        const int least = id < 11622 ? 20 : 2;
        EXPECT_GT(gt::CountInk(img, inner, img.pixel(r.left() + 3, r.top() + r.height() / 2)), least) << id;
        // The Greek letters come from the button's own face, not from a
        // fallback that a system may or may not have.
        const QString caption =
            QString::fromStdString(s.buttons[static_cast<size_t>(id - CDlgSymbol::kFirstButtonId)].Caption());
        ASSERT_FALSE(caption.isEmpty()) << id;
        if (id < 11622) EXPECT_TRUE(QFontMetrics(b->font()).inFontUcs4(caption.toUcs4().front())) << id;
    }
    // The buttons keep inside their group boxes and above the height edit.
    const QRect last = gt::RectIn(s.GetDlgItemWidget(CDlgSymbol::kLastButtonId), s.Widget());
    const QRect edit = gt::RectIn(s.GetDlgItemWidget(CDlgSymbol::kHeightEditId), s.Widget());
    EXPECT_LT(last.bottom(), edit.top());
}

}  // namespace
