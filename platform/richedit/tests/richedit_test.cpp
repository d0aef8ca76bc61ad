// The rich-edit control and the rich-text box.
#include <gtest/gtest.h>

#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>
#include <QTextTable>
#include <string>

#include "platform/richedit/richedit.h"
#include "platform/wl/testing/gui_test.h"

namespace {

using richedit::RichEdit;

std::string Page(const std::string& body) {
    return "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fnil\\fcharset0 Arial;}{\\f1\\fnil\\fcharset2 Symbol;}}"
           "{\\colortbl ;\\red0\\green0\\blue0;\\red7\\green13\\blue255;}"
           "{\\*\\generator Msftedit 5.41.15.1503;}\\viewkind4\\uc1\\pard\\f0\\fs20 " + body + "}";
}

struct Editor {
    RichEdit edit;
    Editor() {
        EXPECT_TRUE(edit.Create(nullptr));
        edit.Widget()->resize(640, 480);
    }
};

TEST(RichEditTest, ZoomRatioReadsAsRoundedPercent) {
    Editor e;
    EXPECT_EQ(e.edit.GetZoom(), 100);
    ASSERT_TRUE(e.edit.SetZoomRatio(3, 2));
    EXPECT_EQ(e.edit.GetZoom(), 150);
    ASSERT_TRUE(e.edit.SetZoomRatio(2, 3));
    EXPECT_EQ(e.edit.GetZoom(), 67);
    EXPECT_FALSE(e.edit.SetZoomRatio(1, 0));
    EXPECT_EQ(e.edit.GetZoom(), 67);
}

TEST(RichEditTest, RtfAtTheSelectionIsOneUndoStep) {
    Editor e;
    ASSERT_TRUE(e.edit.SetRtf(Page("alt und neu\\par")).Clean());
    e.edit.SetSel(4, 7);
    auto r = e.edit.SetRtf(Page("{\\b fett} \\cf2 A = 1\\par"), true);
    ASSERT_TRUE(r.Clean()) << r.Message();
    EXPECT_EQ(e.edit.GetText(), "alt fett A = 1 neu");
    ASSERT_TRUE(e.edit.CanUndo());
    e.edit.Undo();
    EXPECT_EQ(e.edit.GetText(), "alt und neu");
    // Damaged RTF at the selection is read as far as it goes and reported.
    e.edit.SetSel(0, 0);
    r = e.edit.SetRtf("{\\rtf1 x{", true);
    EXPECT_TRUE(r.read);
    EXPECT_FALSE(r.Clean());
    // Not RTF at all: nothing changes.
    e.edit.SetSel(0, 3);
    EXPECT_FALSE(e.edit.SetRtf("plain", true).read);
    EXPECT_EQ(e.edit.GetText(), "xalt und neu");
}

TEST(RichEditTest, FindHonoursWholeWordAndCase) {
    Editor e;
    ASSERT_TRUE(e.edit.SetRtf(Page("Wertung wert Wert\\par")).Clean());
    struct Case { bool matchCase, wholeWord; int found; };
    for (Case c : {Case{false, false, 0}, Case{false, true, 8}, Case{true, true, 13}, Case{true, false, 0}}) {
        e.edit.SetSel(0, 0);
        EXPECT_EQ(e.edit.FindText("Wert", c.matchCase, c.wholeWord), c.found) << c.matchCase << c.wholeWord;
        int s, t;
        e.edit.GetSel(s, t);
        EXPECT_EQ(s, c.found);
        EXPECT_EQ(t, c.found + 4);
    }
    e.edit.SetSel(14, 14);
    EXPECT_EQ(e.edit.FindText("Wert", true, true), -1);
}

TEST(RichEditTest, ReadOnlyRefusesTyping) {
    Editor e;
    e.edit.Widget()->show();
    QTest::keyClicks(e.edit.Edit(), "ab");
    EXPECT_EQ(e.edit.GetText(), "ab");
    e.edit.SetReadOnly(true);
    QTest::keyClicks(e.edit.Edit(), "cd");
    e.edit.Paste();
    EXPECT_EQ(e.edit.GetText(), "ab");
}

TEST(RichEditTest, SelectionAcrossAParagraphEndCountsItOnce) {
    Editor e;
    ASSERT_TRUE(e.edit.SetRtf(Page("abc\\par def\\par")).Clean());
    e.edit.SetSel(2, 5);
    EXPECT_EQ(e.edit.GetSelText(), "c\nd");
    int s, t;
    e.edit.GetSel(s, t);
    EXPECT_EQ(t - s, 3);
    int seen = -1;
    e.edit.onSelectionChange = [&](int a, int b) { seen = b - a; };
    e.edit.SetSel(0, -1);
    EXPECT_EQ(seen, 7);
}

TEST(RichEditTest, CharacterFormatAnswersUniformOnlyWhenItIs) {
    Editor e;
    ASSERT_TRUE(e.edit.SetRtf(Page("\\b bold\\b0  \\cf2\\fs28 blue\\par")).Clean());
    e.edit.SetSel(0, 4);
    auto cf = e.edit.GetCharFormat();
    EXPECT_TRUE(cf.mask & richedit::CFM_BOLD);
    EXPECT_TRUE(cf.effects & richedit::CFE_BOLD);
    EXPECT_TRUE(cf.effects & richedit::CFE_AUTOCOLOR);
    EXPECT_EQ(cf.face, "Arial");
    EXPECT_EQ(cf.height, 200);
    e.edit.SetSel(0, 9);
    cf = e.edit.GetCharFormat();
    EXPECT_FALSE(cf.mask & richedit::CFM_BOLD);
    EXPECT_FALSE(cf.mask & richedit::CFM_COLOR);
    EXPECT_FALSE(cf.mask & richedit::CFM_SIZE);
    EXPECT_TRUE(cf.mask & richedit::CFM_FACE);
    e.edit.SetSel(5, 9);
    cf = e.edit.GetCharFormat();
    EXPECT_EQ(cf.colour, 0xFF0D07u);
    EXPECT_EQ(cf.height, 280);
    // Ctrl+F on a partly bold selection follows the reported state: all bold.
    e.edit.SetSel(0, 9);
    QTest::keyClick(e.edit.Edit(), Qt::Key_F, Qt::ControlModifier);
    EXPECT_TRUE(e.edit.GetCharFormat().effects & richedit::CFE_BOLD);
    EXPECT_TRUE(e.edit.GetCharFormat().mask & richedit::CFM_BOLD);
    e.edit.SetAutoColour(false);
    e.edit.SetSel(5, 9);
    EXPECT_TRUE(e.edit.GetCharFormat().effects & richedit::CFE_AUTOCOLOR);
    e.edit.SetSel(0, 4);
    e.edit.SetEffects(richedit::CFM_SUPERSCRIPT, richedit::CFE_SUPERSCRIPT);
    e.edit.SetFace("Symbol");
    e.edit.SetHeight(240);
    cf = e.edit.GetCharFormat();
    EXPECT_TRUE(cf.effects & richedit::CFE_SUPERSCRIPT);
    EXPECT_EQ(cf.face, "Symbol");
    EXPECT_EQ(cf.height, 240);
}

TEST(RichEditTest, ParagraphFormatsReachTheRtf) {
    Editor e;
    ASSERT_TRUE(e.edit.SetRtf(Page("one\\par two\\par")).Clean());
    e.edit.SetSel(0, 5);
    e.edit.SetAlignment(richedit::PFA_RIGHT);
    e.edit.SetIndents(360, 180);
    e.edit.SetLineSpacing(1, 0);
    e.edit.SetNumbering(richedit::PFN_BULLET);
    auto p = e.edit.GetParaFormat();
    EXPECT_EQ(p.alignment, richedit::PFA_RIGHT);
    EXPECT_EQ(p.numbering, richedit::PFN_BULLET);
    EXPECT_EQ(p.startIndent, 360);
    EXPECT_EQ(p.offset, 180);
    EXPECT_EQ(p.lineSpacingRule, 1);
    std::string rtf = e.edit.GetRtf();
    EXPECT_NE(rtf.find("\\pnlvlblt"), std::string::npos) << rtf;
    EXPECT_NE(rtf.find("\\qr\\li540\\fi-180\\sl360\\slmult1"), std::string::npos) << rtf;
}

TEST(RichEditTest, CopyAndPasteCarryRtfAndPlainText) {
    wl::guitest::ScriptedUi ui;
    Editor e;
    ASSERT_TRUE(e.edit.SetRtf(Page("x \\cf2 blau\\cf0  y\\par")).Clean());
    e.edit.SetSel(2, 6);
    e.edit.Copy();
    ASSERT_TRUE(ui.clipboardRtf.has_value());
    EXPECT_NE(ui.clipboardRtf->find("\\cf2 blau"), std::string::npos);
    EXPECT_EQ(ui.clipboardText, "blau");
    e.edit.SetSel(0, 0);
    e.edit.Paste();
    EXPECT_EQ(e.edit.GetText(), "blaux blau y");
    e.edit.SetSel(0, 1);
    EXPECT_EQ(e.edit.GetCharFormat().colour, 0xFF0D07u);
    e.edit.SetSel(0, 4);
    e.edit.Cut();
    EXPECT_EQ(e.edit.GetText(), "x blau y");
}

TEST(RichEditTest, LineWidthAndMargins) {
    Editor e;
    e.edit.SetLineWidth(9086);
    EXPECT_EQ(e.edit.Edit()->lineWrapMode(), QTextEdit::FixedPixelWidth);
    EXPECT_EQ(e.edit.Edit()->lineWrapColumnOrWidth(), 606);
    e.edit.SetMargins(20, 5);
    EXPECT_EQ(e.edit.Edit()->viewport()->geometry().topLeft(), QPoint(20, 5) + e.edit.Edit()->contentsRect().topLeft());
}

// A page of the editor as the user sees it.
TEST(RichEditTest, ScreenshotOfAPage) {
    Editor e;
    std::string body =
        "\\b Fett\\b0  und \\i kursiv\\i0\\par "
        "{\\pntext\\'b7\\tab}{\\*\\pn\\pnlvlblt\\pnindent0{\\pntxtb\\'b7}}erster Punkt\\par "
        "{\\pntext\\'b7\\tab}zweiter Punkt\\par\\pard "
        "\\trowd\\trgaph28\\cellx1500\\cellx4500\\pard\\intbl a\\cell b\\cell\\row"
        "\\trowd\\trgaph28\\cellx1500\\cellx4500\\pard\\intbl c\\cell d\\cell\\row\\pard "
        "\\cf2\\fs28 A = b*h = 12.50\\cf0\\fs20\\par "
        "Winkel \\f1 abgd\\f0  griechisch\\par";
    auto r = e.edit.SetRtf(Page(body));
    ASSERT_TRUE(r.Clean()) << r.Message();
    e.edit.Widget()->show();
    QImage img = wl::guitest::GrabToPng(e.edit, "richedit_page");
    ASSERT_FALSE(img.isNull());

    QTextEdit* edit = e.edit.Edit();
    QAbstractTextDocumentLayout* layout = edit->document()->documentLayout();
    QPoint origin = edit->viewport()->mapTo(edit, QPoint(0, 0));
    // The formula line holds the formula colour.
    QTextBlock formula = edit->document()->findBlock(edit->document()->find("A = b*h").position());
    QRect line = layout->blockBoundingRect(formula).toRect().translated(origin);
    int blue = wl::guitest::CountPixels(img, line, [](QRgb p) { return wl::guitest::Near(p, qRgb(7, 13, 255), 60); });
    EXPECT_GT(blue, 30);
    EXPECT_EQ(wl::guitest::CountPixels(img, QRect(0, 0, img.width(), line.top()),
                                       [](QRgb p) { return wl::guitest::Near(p, qRgb(7, 13, 255), 60); }), 0);
    // The Greek line shows the Symbol text as Greek letters.
    EXPECT_TRUE(edit->toPlainText().contains(QString::fromUtf8("αβγδ")));
    // Table borders stand where the twips put them: 1500 and 4500 twips from the table's left edge.
    QTextTable* table = nullptr;
    for (QTextFrame* f : edit->document()->rootFrame()->childFrames())
        if ((table = qobject_cast<QTextTable*>(f))) break;
    ASSERT_NE(table, nullptr);
    QRect frame = layout->frameBoundingRect(table).toRect().translated(origin);
    int y = frame.center().y();
    auto dark = [&](int x, int tolerance) {
        for (int dx = -tolerance; dx <= tolerance; ++dx)
            if (qGray(img.pixel(x + dx, y)) < 128) return true;
        return false;
    };
    // The table's left border line, then the cell borders 100 and 300 px
    // (1500 and 4500 twips at 96 dpi) to its right.
    int left = -1;
    for (int x = std::max(frame.left() - 8, 0); x < frame.left() + 8 && left < 0; ++x)
        if (dark(x, 0)) left = x;
    ASSERT_GE(left, 0) << frame.left();
    EXPECT_TRUE(dark(left + 1500 / 15, 1));
    EXPECT_TRUE(dark(left + 4500 / 15, 1));
    EXPECT_FALSE(dark(left + 3000 / 15, 3));
    EXPECT_FALSE(dark(left + 4500 / 15 + 6, 3)) << "nothing beyond the last border";
}

TEST(RichTextTest, ShowsAReportFileAndPlainText) {
    richedit::RichText box;
    ASSERT_TRUE(box.Create(nullptr));
    std::string path = std::string(RIGEL_TEST_TMP) + "/richtext_report.rtf";
    {
        QFile f(QString::fromStdString(path));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(Page("\\b Bericht\\b0\\par Zeile\\par").c_str());
    }
    EXPECT_TRUE(box.ShowRtfFile(path));
    EXPECT_EQ(box.LastMessage(), "");
    EXPECT_EQ(box.Control().GetText(), "Bericht\nZeile");
    EXPECT_TRUE(box.Control().IsReadOnly());
    box.SetProperty5(0);
    box.SetProperty8(0);
    EXPECT_EQ(box.Control().GetText(), "Bericht\nZeile");
    EXPECT_FALSE(box.LoadFile(path + ".missing"));
    EXPECT_EQ(box.Control().GetText(), "Bericht\nZeile");
    EXPECT_FALSE(box.LastMessage().empty());
    box.SetText("nur Text {}");
    EXPECT_EQ(box.Control().GetText(), "nur Text {}");
    EXPECT_EQ(box.GetControlWindow(), box.Widget());
}

}  // namespace
