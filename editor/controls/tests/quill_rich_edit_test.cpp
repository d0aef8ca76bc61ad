// The editor's text control: markers, display markers and command list,
// keys, zoom, new documents, find and replace, symbols and tables, the
// embedded-object storage, and how it looks.
#include <gtest/gtest.h>

#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextTable>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "editor/controls/QuillRichEdit.h"
#include "editor/core/PageBufferList.h"
#include "platform/wl/testing/gui_test.h"
#include "platform/winsys/winsys.h"

namespace {

namespace fs = std::filesystem;
using richedit::CFE_BOLD;
using richedit::CFM_BOLD;

// A text control holding text, Arial 10 pt, plain.
struct Control {
    explicit Control(const std::string& text = "") {
        EXPECT_TRUE(edit.Create(nullptr));
        edit.richedit::RichEdit::SetRtf("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 }");
        edit.ReplaceSel(text);
    }
    std::string Text() const { return edit.GetText(); }
    std::pair<int, int> Sel() const {
        int s = 0, e = 0;
        edit.GetSel(s, e);
        return {s, e};
    }
    QTextCharFormat FormatAt(int pos) const {
        QTextCursor c(edit.Document());
        c.setPosition(pos);
        c.setPosition(pos + 1, QTextCursor::KeepAnchor);
        return c.charFormat();
    }
    CQuillRichEdit edit;
};

TEST(QuillRichEdit, MarkersWrapTheSelection) {
    struct Case {
        const char* what;
        std::string text;
        int start, end;
        std::function<void(CQuillRichEdit&)> op;
        std::string expected;
        std::pair<int, int> selection;
        const char* message;  // "" for none
    };
    const std::vector<Case> cases = {
        {"hide, empty selection", "x", 1, 1, [](CQuillRichEdit& e) { e.HideSelection(); }, "x", {1, 1},
         "Bitte markieren Sie zunächst den zu verbergenden Text"},
        {"hide", "x", 0, 1, [](CQuillRichEdit& e) { e.HideSelection(); }, "/*x*/", {0, 5}, ""},
        {"sum range", "a b", 0, 3, [](CQuillRichEdit& e) { e.MarkSumRange(); }, "/*S+*/a b/*S-*/", {0, 15}, ""},
        {"sum range, empty selection", "ab", 0, 0, [](CQuillRichEdit& e) { e.MarkSumRange(); }, "ab", {0, 0},
         "Bitte markieren Sie zunächst den Bereich, der aufsummiert werden soll"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        winsys::ScopedRecordingSink sink;
        Control t(c.text);
        t.edit.SetSel(c.start, c.end);
        c.op(t.edit);
        EXPECT_EQ(t.Text(), c.expected);
        EXPECT_EQ(t.Sel(), c.selection);
        if (*c.message) {
            ASSERT_EQ(sink.messages.size(), 1u);
            EXPECT_EQ(sink.messages[0].text, c.message);
        } else {
            EXPECT_TRUE(sink.messages.empty());
        }
    }
}

TEST(QuillRichEdit, DisplayMarkersAndCommandList) {
    Control t("d = $SYMBOL_D$ 5\nA = $FC2$x$FC0$\nq$R$\n$C_LT(\"a\\b\",\"v\") $C_NAME \"z\"");
    t.edit.ApplyDisplayMarkers();
    const std::string text = t.Text();
    EXPECT_EQ(text.find('$' + std::string("SYMBOL")), std::string::npos) << text;
    EXPECT_EQ(text.find("$FC"), std::string::npos) << text;
    EXPECT_EQ(text.find("$R$"), std::string::npos) << text;
    // The Symbol character 0xC6 in the font "Symbol", written back as that byte.
    const int d = static_cast<int>(QString::fromStdString(text).indexOf(QStringLiteral("d = ")) + 4);
    EXPECT_EQ(t.FormatAt(d).fontFamilies().toStringList().value(0), "Symbol");
    EXPECT_NE(t.edit.richedit::RichEdit::GetRtf().find("\\'c6"), std::string::npos);
    // "x" in the formula colour, the "q" paragraph right-aligned.
    const int x = static_cast<int>(QString::fromStdString(text).indexOf(QStringLiteral("A = ")) + 4);
    EXPECT_EQ(t.FormatAt(x).foreground().color(), QColor(7, 13, 255));
    QTextBlock q = t.edit.Document()->findBlockByNumber(2);
    EXPECT_EQ(q.text(), "q");
    EXPECT_TRUE(q.blockFormat().alignment() & Qt::AlignRight);
    // The field code gives one entry; a name without "(" none.
    EXPECT_EQ(t.edit.CommandList(), (std::vector<std::string>{"LT|a\\b|v"}));
    EXPECT_EQ(CQuillRichEdit::ParseCommands("$C_LT(\"p\",\"v\",\"x\") $C_A(\"1\""), (std::vector<std::string>{"LT|p|v|x"}));
}

TEST(QuillRichEdit, KeysZoomAndFormulaColour) {
    Control t("ab");
    // Tab goes into the text.
    t.edit.SetSel(1, 1);
    QTest::keyClick(t.edit.Edit(), Qt::Key_Tab);
    EXPECT_EQ(t.Text(), "a\tb");
    // Ctrl+F on partly bold text follows the selection's reported state.
    t.edit.SetSel(0, 1);
    t.edit.SetEffects(CFM_BOLD, CFE_BOLD);
    t.edit.SetSel(0, 3);
    const bool reportedBold = (t.edit.GetCharFormat().effects & CFE_BOLD) != 0;
    QTest::keyClick(t.edit.Edit(), Qt::Key_F, Qt::ControlModifier);
    for (int pos : {0, 1, 2}) EXPECT_EQ(t.FormatAt(pos).fontWeight() == QFont::Bold, !reportedBold) << pos;
    EXPECT_EQ(t.Text(), "a\tb");  // Ctrl+F formats, it does not search
    QTest::keyClick(t.edit.Edit(), Qt::Key_K, Qt::ControlModifier);
    EXPECT_TRUE(t.FormatAt(1).fontItalic());
    // A zoom ratio of 3/2 reads 150 %.
    ASSERT_TRUE(t.edit.SetZoomRatio(3, 2));
    EXPECT_EQ(t.edit.GetZoom(), 150);
    t.edit.SetSel(0, 1);
    t.edit.SetFormulaColour(true);
    EXPECT_EQ(t.edit.GetCharFormat().colour, CQuillRichEdit::kFormulaColour);
    t.edit.SetFormulaColour(false);
    EXPECT_NE(t.edit.GetCharFormat().colour, CQuillRichEdit::kFormulaColour);
}

TEST(QuillRichEdit, ParagraphLevelsAndPages) {
    Control t("Titel\nText");
    t.edit.SetSel(1, 2);
    t.edit.SetParagraphLevel(2);
    EXPECT_EQ(t.Sel(), std::make_pair(1, 2));
    EXPECT_EQ(t.edit.GetParagraphLevel(), 2);
    EXPECT_EQ(t.FormatAt(0).fontWeight(), QFont::Bold);
    EXPECT_NE(t.FormatAt(7).fontWeight(), QFont::Bold);
    t.edit.SetSel(0, 8);
    EXPECT_EQ(t.edit.GetParagraphLevel(), 0);  // mixed
    t.edit.SetParagraphLevel(1);
    EXPECT_EQ(t.edit.GetParagraphLevel(), 1);
    EXPECT_NE(t.FormatAt(0).fontWeight(), QFont::Bold);
    // Pages out and in.
    CPageBufferList pages;
    pages.AddText("old");
    t.edit.GetRtf(pages);
    ASSERT_EQ(pages.GetSize(), 1);
    EXPECT_EQ(pages.GetText(0).rfind("{\\rtf", 0), 0u);
    Control back;
    EXPECT_TRUE(back.edit.SetRtf(pages).read);
    EXPECT_EQ(back.Text(), "Titel\nText");
}

TEST(QuillRichEdit, NewDocumentFromTheTemplateOrEmpty) {
    struct Case {
        const char* what;
        fs::path root;
        bool templateThere;
    };
    const fs::path empty = fs::path(RIGEL_TEST_TMP) / "quill_no_template";
    fs::create_directories(empty / "bin");
    for (const Case& c : {Case{"shipped template", fs::path(RIGEL_BUILD_ROOT), true}, Case{"no template", empty, false}}) {
        SCOPED_TRACE(c.what);
        winsys::SetHostExecutablePath(c.root / "bin" / "velor2005");
        ASSERT_EQ(fs::exists(c.root / "Vorlagen" / "Freie Textvorlage.rtf"), c.templateThere);
        Control t("alter Text");
        t.edit.SetSel(0, 4);
        t.edit.SetEffects(CFM_BOLD, CFE_BOLD);
        t.edit.NewDocument();
        EXPECT_EQ(t.Text(), "");
        const richedit::CharFormat f = t.edit.GetCharFormat();
        EXPECT_EQ(f.face, "Arial");
        EXPECT_EQ(f.height, 200);
        EXPECT_EQ(f.effects & CFE_BOLD, 0u);
        EXPECT_EQ(t.edit.GetParagraphLevel(), 1);
        EXPECT_EQ(t.Sel(), std::make_pair(0, 0));
        // No pages also starts a new document.
        CPageBufferList none;
        t.edit.ReplaceSel("x");
        EXPECT_TRUE(t.edit.SetRtf(none).read);
        EXPECT_EQ(t.Text(), "");
    }
    winsys::SetHostExecutablePath(fs::path(RIGEL_BUILD_ROOT) / "bin" / "velor2005");
}

TEST(QuillRichEdit, FindAndReplace) {
    struct Case {
        const char* what;
        std::function<void(CQuillRichEdit&)> op;
        std::vector<int> answers;  // to the questions, in order
        std::string text;
        size_t notFoundMessages;
        size_t questions;
    };
    const std::vector<Case> cases = {
        {"replace one without asking",
         [](CQuillRichEdit& e) { e.Replace("ab", "X", false, false, true, false, false); }, {}, "X ab ab", 0, 0},
        {"replace all without asking ends silently",
         [](CQuillRichEdit& e) { e.Replace("ab", "X", false, false, true, false, true); }, {}, "X X X", 0, 0},
        {"ask, No then Yes, all: goes on past the refused match",
         [](CQuillRichEdit& e) { e.Replace("ab", "X", false, false, true, true, true); },
         {winsys::IdNo, winsys::IdYes, winsys::IdYes}, "ab X X", 1, 3},
        {"ask, No, one: ends", [](CQuillRichEdit& e) { e.Replace("ab", "X", false, false, true, true, false); },
         {winsys::IdNo}, "ab ab ab", 0, 1},
        {"Cancel ends at once", [](CQuillRichEdit& e) { e.Replace("ab", "X", false, false, true, true, true); },
         {winsys::IdYes, winsys::IdCancel}, "X ab ab", 0, 2},
        {"not found", [](CQuillRichEdit& e) { e.Replace("zz", "X", false, false, true, true, true); }, {},
         "ab ab ab", 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        winsys::ScopedRecordingSink sink;
        sink.scriptedAnswers = c.answers;
        Control t("ab ab ab");
        t.edit.SetSel(0, 0);
        c.op(t.edit);
        EXPECT_EQ(t.Text(), c.text);
        size_t notFound = 0, questions = 0;
        for (const auto& m : sink.messages) {
            notFound += m.text == "Suchtext nicht gefunden!";
            questions += m.text == "Diesen Text ersetzen?";
        }
        EXPECT_EQ(notFound, c.notFoundMessages);
        EXPECT_EQ(questions, c.questions);
    }
    // Find: a match is selected and gives 1; none gives 0 with the message
    // unless silent.
    winsys::ScopedRecordingSink sink;
    Control t("eins zwei");
    t.edit.SetSel(0, 0);
    EXPECT_EQ(t.edit.FindText("zwei", false, false, true, false), 1);
    EXPECT_EQ(t.Sel(), std::make_pair(5, 9));
    EXPECT_EQ(t.edit.FindText("drei", false, false, true, true), 0);
    EXPECT_TRUE(sink.messages.empty());
    EXPECT_EQ(t.edit.FindText("drei", false, false, true, false), 0);
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].icon, winsys::Icon::Information);
    EXPECT_EQ(t.Sel(), std::make_pair(5, 9));
}

TEST(QuillRichEdit, SymbolButtonAndTable) {
    Control t("ab");
    t.edit.SetSel(1, 1);
    const CSymbolButton alpha(&t.edit, 'a');
    EXPECT_EQ(alpha.Caption(), "α");
    alpha.OnClicked(2);
    EXPECT_EQ(t.Text(), "aαb");
    EXPECT_EQ(t.FormatAt(1).fontFamilies().toStringList().value(0), "Symbol");
    EXPECT_DOUBLE_EQ(t.FormatAt(1).fontPointSize(), 12.0);
    EXPECT_EQ(t.Sel(), std::make_pair(2, 2));
    const richedit::CharFormat caret = t.edit.GetCharFormat();
    EXPECT_EQ(caret.face, "Arial");
    EXPECT_EQ(caret.height, 200);

    // A table at the selection, undone in one step.
    Control u("xy");
    u.edit.SetSel(0, 2);
    InsertTable(u.edit, 2, 2, {1000, 2000}, {"a", "", "c", "d"});
    QTextCursor c(u.edit.Document());
    bool table = false;
    for (QTextBlock b = u.edit.Document()->begin(); b.isValid(); b = b.next()) {
        c.setPosition(b.position());
        table = table || c.currentTable() != nullptr;
    }
    EXPECT_TRUE(table);
    EXPECT_EQ(u.Text().find("xy"), std::string::npos);
    ASSERT_TRUE(u.edit.CanUndo());
    u.edit.Undo();
    EXPECT_EQ(u.Text(), "xy");
}

TEST(QuillRichEdit, EmbeddedObjectStorage) {
    COleRichEditCtrl edit;
    CRichEditOleCallback* cb = edit.Callback();
    ASSERT_NE(cb, nullptr);
    CRichEditOleCallback* got = nullptr;
    EXPECT_EQ(cb->QueryInterface(CRichEditOleCallback::kRichEditOleCallback, &got), kS_OK);
    EXPECT_EQ(got, cb);
    EXPECT_EQ(cb->Release(), 1u);
    EXPECT_EQ(cb->QueryInterface(CRichEditOleCallback::kOther, &got), kE_NOINTERFACE);
    EXPECT_EQ(got, nullptr);
    EXPECT_EQ(cb->GetNewStorage(), "REOLEStorage1");
    EXPECT_EQ(cb->GetNewStorage(), "REOLEStorage2");
    EXPECT_TRUE(cb->Storage().HasSubStorage("REOLEStorage2"));
    EXPECT_EQ(cb->GetClipboardData(), kE_NOTIMPL);
    EXPECT_EQ(cb->GetContextMenu(), kS_OK);
    COleStorage s;
    s.CreateSubStorage("REOLEStorage1");
    EXPECT_THROW(s.CreateSubStorage("REOLEStorage1"), COleException);
}

TEST(QuillRichEdit, Screenshot) {
    Control t("b = 20\nA = b*h = 600.00");
    t.edit.Widget()->resize(360, 120);
    t.edit.Widget()->show();
    t.edit.SetSel(7, 24);
    t.edit.SetFormulaColour(true);
    t.edit.SetSel(0, 0);
    const QImage img = wl::guitest::GrabToPng(t.edit.Widget(), "editor_quill_rich_edit");
    const int formula = wl::guitest::CountPixels(img, img.rect(), [](QRgb p) {
        return wl::guitest::Near(p, qRgb(7, 13, 255), 40);
    });
    EXPECT_GT(formula, 20);
}

}  // namespace
