// The editor's main dialog: filling and committing, the toolbar state and
// its commands, zoom, the calculation, the load-transfer protocol, and how
// the dialog looks.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextList>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "editor/controls/SubDlg.h"
#include "editor/controls/tests/support/editor_fixture.h"
#include "editor/core/EditorDocument.h"
#include "module/frame/ModuleState.h"
#include "module/frame/RegSettings.h"
#include "platform/wl/testing/gui_test.h"
#include "platform/winsys/winsys.h"
#include "platform/zevud/zevud.h"

namespace {

using namespace richedit;

using editortest::Editor;
using editortest::Page;

TEST(SubDlg, FillCalculateAndCommit) {
    Editor e;
    e.Fill(Page({"b = 20", "h = 30", "A = b*h = #.##"}, {true, true, true}));
    // Filling calculates the formula lines.
    EXPECT_NE(e.Text().find("600.00"), std::string::npos) << e.Text();
    ASSERT_EQ(e.doc.pages.GetSize(), 1);
    EXPECT_NE(e.doc.pages.GetText(0).find("600.00"), std::string::npos);
    // isEmpty: only the final paragraph mark, or one character.
    struct Case {
        std::string text;
        int isEmpty;
    };
    for (const Case& c : {Case{"", 1}, Case{"x", 0}}) {
        e.dlg.Text().NewDocument();
        e.dlg.Text().ReplaceSel(c.text);
        e.dlg.TransferData(true);
        EXPECT_EQ(e.doc.isEmpty, c.isEmpty) << c.text;
    }
}

TEST(SubDlg, ConvertedTextPassesTheRtfLayerAndLeavesTheClipboard) {
    wl::guitest::ScriptedUi ui;
    ui.clipboardText = "vom Anwender kopiert";
    ui.clipboardRtf = std::string("{\\rtf1 vom Anwender}");
    Editor e;
    e.doc.bConvertedText = 1;
    e.Fill(Page({"Liste", "a = 2", "c = a*3 = #.##"}, {false, true, true}));
    EXPECT_EQ(e.doc.bConvertedText, 0);
    EXPECT_NE(e.Text().find("6.00"), std::string::npos) << e.Text();
    EXPECT_EQ(ui.clipboardText, "vom Anwender kopiert");
    EXPECT_EQ(ui.clipboardRtf, std::string("{\\rtf1 vom Anwender}"));
}

TEST(SubDlg, DamagedPageIsKeptUntilEdited) {
    Editor e;
    const std::string damaged = "{\\rtf1\\ansi Anfang \\par {\\b fett";  // no closing braces
    e.doc.pages.AddText(damaged);
    e.dlg.TransferData(false);
    EXPECT_NE(e.Text().find("Anfang"), std::string::npos);
    e.dlg.TransferData(true);
    EXPECT_EQ(e.doc.pages.GetText(0), damaged);
    e.dlg.Text().SetSel(0, 0);
    QTest::keyClicks(e.dlg.Text().Edit(), "neu ");
    e.dlg.TransferData(true);
    EXPECT_NE(e.doc.pages.GetText(0), damaged);
    EXPECT_NE(e.doc.pages.GetText(0).find("neu"), std::string::npos);
}

TEST(SubDlg, ToolbarStateAndCommands) {
    Editor e;
    e.Fill("");
    CQuillRichEdit& t = e.dlg.Text();
    t.ReplaceSel("ab\ncd");
    // The state follows a selection change: bold, formula colour, heading, centred.
    t.SetSel(0, 1);
    t.SetEffects(CFM_BOLD, CFE_BOLD);
    t.SetFormulaColour(true);
    t.SetParagraphLevel(2);
    t.SetAlignment(PFA_CENTER);
    t.SetSel(3, 3);
    t.SetSel(0, 1);
    EXPECT_EQ(e.dlg.bold, 1);
    EXPECT_EQ(e.dlg.formula, 1);
    EXPECT_EQ(e.dlg.style, 1);
    EXPECT_EQ(e.dlg.alignment, 1);
    EXPECT_TRUE(e.dlg.Toolbar1().IsButtonChecked(11503));
    EXPECT_TRUE(e.dlg.Toolbar1().IsButtonChecked(11525));
    EXPECT_TRUE(e.dlg.Toolbar2().IsButtonChecked(11507));
    EXPECT_EQ(e.dlg.StyleCombo()->GetCurSel(), 1);
    EXPECT_EQ(e.dlg.SizeText(), "10");
    t.SetSel(3, 4);
    EXPECT_EQ(e.dlg.bold, 0);
    EXPECT_EQ(e.dlg.formula, 0);
    EXPECT_EQ(e.dlg.style, 0);
    EXPECT_EQ(e.dlg.alignment, 0);

    // Size combo index 12: 36 pt, 720 twips.
    t.SetSel(3, 5);
    e.dlg.SizeCombo()->SetCurSel(12);
    e.dlg.SendCommand(CSubDlg::kSizeComboId, wl::CBN_SELCHANGE);
    EXPECT_EQ(t.GetCharFormat().height, 720);
    // Subscript on clears superscript.
    e.dlg.Toolbar1().PressButton(11527);
    EXPECT_TRUE(t.GetCharFormat().effects & CFE_SUPERSCRIPT);
    e.dlg.Toolbar1().PressButton(11526);
    EXPECT_TRUE(t.GetCharFormat().effects & CFE_SUBSCRIPT);
    EXPECT_FALSE(t.GetCharFormat().effects & CFE_SUPERSCRIPT);
    EXPECT_EQ(e.dlg.superscript, 0);
    // Outdent never goes below 0.
    t.SetIndents(300, 0);
    e.dlg.UpdateToolbarState();
    e.dlg.SendCommand(11534);
    EXPECT_EQ(t.GetParaFormat().startIndent, 0);
    e.dlg.SendCommand(11533);
    EXPECT_EQ(t.GetParaFormat().startIndent, 567);
    // Bullets on a numbered paragraph switch bullets on, on a bulleted one off.
    t.SetNumbering(PFN_ARABIC);
    e.dlg.UpdateToolbarState();
    e.dlg.SendCommand(11532);
    EXPECT_EQ(t.GetParaFormat().numbering, PFN_BULLET);
    EXPECT_EQ(t.GetParaFormat().offset, 227);
    e.dlg.SendCommand(11532);
    EXPECT_EQ(t.GetParaFormat().numbering, PFN_NONE);
    // F9 flips the formula mark.
    t.SetSel(0, 2);
    e.dlg.SendCommand(40034);
    EXPECT_EQ(t.GetCharFormat().colour, CQuillRichEdit::kFormulaColour);
    // The editor's further dialogs open from their commands; the value
    // import of other positions needs a position, which this text has not.
    {
        wl::guitest::ScriptedUi ui;
        for (int templ : {11510, 11511, 11503, 11505, 104, 103, 11512})
            ui.OnModal(templ, [](wl::Dialog& d) { wl::guitest::Click(d, wl::IDCANCEL); });
        for (int id : {11539, 11540, 11541, 11545, 11547, 40003, 40011, 40043}) e.dlg.SendCommand(id);
        EXPECT_EQ(ui.modalRuns, (std::vector<int>{11510, 11511, 11503, 11505, 104, 103, 11512}));
    }
}

TEST(SubDlg, Zoom) {
    struct Case {
        const char* what;
        int storedIndex;
        int expectedIndex;
    };
    for (const Case& c : {Case{"stored", 1, 1}, Case{"out of the list", 25, CSubDlg::kDefaultZoomIndex}}) {
        GetRegSettings().SetInt("Quill", "iZoom", c.storedIndex);
        CSubDlg dlg;
        ASSERT_TRUE(dlg.Create(nullptr));
        EXPECT_EQ(dlg.ZoomCombo()->GetCurSel(), c.expectedIndex) << c.what;
    }
    Editor e;
    EXPECT_EQ(e.dlg.ZoomCombo()->GetLBText(CSubDlg::kDefaultZoomIndex), "100 %");
    e.dlg.ZoomCombo()->SetCurSel(1);
    e.dlg.SendCommand(CSubDlg::kZoomComboId, wl::CBN_SELCHANGE);
    EXPECT_EQ(e.dlg.Text().GetZoom(), 50);
    // The page's width in a window too narrow to lay out is not applied;
    // 650 pixels of text area are 100 %, applied again after a resize.
    e.dlg.Widget()->show();
    e.dlg.Widget()->resize(12, 300);
    wl::guitest::ProcessEventsFor(20);
    e.dlg.ZoomCombo()->SetCurSel(0);
    e.dlg.ApplyZoom();
    EXPECT_EQ(e.dlg.Text().GetZoom(), 50);
    e.dlg.Widget()->resize(1310 + 40, 300);
    // The resize reaches the text control through the event queue; on a
    // loaded machine that can take longer than a fixed pause, so wait for it.
    const auto viewportWidth = [&] { return e.dlg.Text().Edit()->viewport()->width(); };
    QTest::qWaitFor([&] { return viewportWidth() > 1200 && e.dlg.Text().GetZoom() == viewportWidth() * 100 / 650; },
                    10000);
    const int width = viewportWidth();
    EXPECT_GT(width, 1200);
    EXPECT_EQ(e.dlg.Text().GetZoom(), width * 100 / 650);
    GetRegSettings().SetInt("Quill", "iZoom", 9);
}

TEST(SubDlg, LoadTransferProtocol) {
    CImportValue v;
    v.m_strSourcePath = "Dach\\Auflager 1\\Az";
    v.m_strVarName = "Dach_A1";
    v.m_strUnit = "kN";
    struct Case {
        int hide, cmd;
        bool codeHidden, wrapped, code;
    };
    for (const Case& c : {Case{0, 1, true, false, true}, Case{1, 1, false, true, true}, Case{0, 0, false, false, false}}) {
        SCOPED_TRACE(testing::Message() << "ltHide " << c.hide << " ltCmd " << c.cmd);
        GetRegSettings().SetInt("Quill", "ltHide", c.hide);
        GetRegSettings().SetInt("Quill", "ltCmd", c.cmd);
        Editor e;
        e.Fill("");
        e.dlg.importedValues = [&] { return std::vector<CImportValue>{v}; };
        e.dlg.InsertLoadTransferProtocol();
        const std::string text = e.Text();
        EXPECT_NE(text.find("Dach - Auflager 1 - Az"), std::string::npos) << text;
        EXPECT_NE(text.find("Dach_A1"), std::string::npos);
        EXPECT_NE(text.find("[kN]"), std::string::npos);
        EXPECT_EQ(text.find("/*") == 0, c.wrapped) << text;
        EXPECT_EQ(text.find("*/") != std::string::npos, c.wrapped) << text;
        EXPECT_EQ(text.find("$C_LT(\"Dach\\Auflager 1\\Az\",\"Dach_A1\")") != std::string::npos, c.code) << text;
        // Hidden text is written back as such.
        const std::string rtf = e.dlg.Text().richedit::RichEdit::GetRtf();
        EXPECT_EQ(rtf.find("\\v0") != std::string::npos, c.codeHidden) << rtf;
    }
    GetRegSettings().SetInt("Quill", "ltHide", 0);
    GetRegSettings().SetInt("Quill", "ltCmd", 0);
    winsys::ScopedRecordingSink sink;
    Editor e;
    e.Fill("");
    e.dlg.importedValues = [] { return std::vector<CImportValue>{}; };
    e.dlg.InsertLoadTransferProtocol();
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].text, "Es sind keine Lastübernahmen in der aktuellen Position vorhanden!");
    // The calculation takes the field codes "LT" in any case with exactly
    // three parts as load transfers.
    const auto lt = CSubDlg::LoadTransfersOf({"LT|a\\b|v", "lt|c|w", "LT|x", "LT|p|q|r", "XY|p|q"});
    ASSERT_EQ(lt.size(), 2u);
    EXPECT_EQ(lt[0].m_strSourcePath, "a\\b");
    EXPECT_EQ(lt[0].m_strVarName, "v");
    EXPECT_EQ(lt[1].m_strVarName, "w");
}

TEST(SubDlg, ContextMenuAndBuildingBlock) {
    namespace fs = std::filesystem;
    const fs::path root = fs::path(RIGEL_TEST_TMP) / "subdlg_block";
    fs::remove_all(root);
    fs::create_directories(root / "bin");
    fs::create_directories(root / "Vorlagen");
    winsys::SetHostExecutablePath(root / "bin" / "velor2005");
    wl::guitest::ScriptedUi ui;
    winsys::ScopedRecordingSink sink;
    Editor e;
    e.Fill("");
    e.dlg.Text().ReplaceSel("x Baustein");
    // The right button opens the context menu; "In Ausgabe verbergen" hides the selection.
    e.dlg.Text().SetSel(0, 1);
    ui.menuAnswers.push_back(106);
    QContextMenuEvent menu(QContextMenuEvent::Mouse, QPoint(10, 10));
    QApplication::sendEvent(e.dlg.Text().Edit()->viewport(), &menu);
    EXPECT_EQ(e.Text(), "/*x*/ Baustein");
    // Building block: without a selection a message; without the template
    // nothing is written; with it the selection becomes the block's text.
    e.dlg.Text().SetSel(3, 3);
    e.dlg.SaveAsBuildingBlock();
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].text, "Bitte zunächst den gewünschten Bereich markieren!");
    const fs::path block = root / "block.vkx";
    e.dlg.Text().SetSel(6, 14);
    ui.fileAnswers.push_back(block.string());
    e.dlg.SaveAsBuildingBlock();
    EXPECT_FALSE(fs::exists(block));
    {
        ZVDOC t = ZEVUD_CreateDoc((root / "Vorlagen" / "VK-Quill Vorbelegung.vkx").string().c_str());
        ZVELEM quill = ZEVUD_AddChildElement(ZEVUD_AddChildElement(ZEVUD_GetRootElement(t), "input"), "Quill");
        ZEVUD_SetBinData(quill, "rtfData", 1, "", 1);
        ASSERT_TRUE(ZEVUD_SaveDoc(t));
        ZEVUD_CloseDoc(t);
    }
    ui.fileAnswers.push_back(std::nullopt);  // declined: nothing
    e.dlg.SaveAsBuildingBlock();
    EXPECT_FALSE(fs::exists(block));
    ui.fileAnswers.push_back(block.string());
    e.dlg.SaveAsBuildingBlock();
    ASSERT_TRUE(fs::exists(block));
    ZVDOC b = ZEVUD_OpenDoc(block.string().c_str());
    ASSERT_NE(b, 0u);
    CEditorDocument back;
    back.Load(ZEVUD_FindFirstChild(ZEVUD_FindFirstChild(ZEVUD_GetRootElement(b), "input"), "Quill"));
    ZEVUD_CloseDoc(b);
    ASSERT_EQ(back.pages.GetSize(), 1);
    Editor shown;
    shown.Fill(back.pages.GetText(0));
    EXPECT_EQ(shown.Text(), "Baustein");
    EXPECT_EQ(sink.messages.size(), 1u);
    winsys::SetHostExecutablePath(fs::path(RIGEL_BUILD_ROOT) / "bin" / "velor2005");
}

TEST(SubDlg, Screenshot) {
    Editor e;
    e.dlg.Widget()->show();
    e.Fill(Page({"Rechteckquerschnitt", "b = 20", "h = 30", "A = b*h = #.##"}, {false, true, true, true}));
    wl::guitest::ProcessEventsFor(50);
    const QImage img = wl::guitest::GrabToPng(e.dlg, "editor_sub_dlg");
    const QRect text = wl::guitest::RectIn(e.dlg.Text().Widget(), e.dlg.Widget());
    const int formula = wl::guitest::CountPixels(img, text, [](QRgb p) { return wl::guitest::Near(p, qRgb(7, 13, 255), 40); });
    EXPECT_GT(formula, 30);
    EXPECT_EQ(e.dlg.StyleCombo()->Widget()->width(), 90);
    EXPECT_EQ(e.dlg.SizeCombo()->Widget()->width(), 40);
    EXPECT_EQ(e.dlg.ZoomCombo()->Widget()->width(), 90);
    // The text area lies below both toolbars.
    EXPECT_GE(text.top(), e.dlg.Toolbar2().Widget()->geometry().bottom());
}

}  // namespace
