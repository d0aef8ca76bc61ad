// The editor's main dialog: the commands that open the editor's further
// dialogs and act on their results.
#include <algorithm>
#include <filesystem>

#include "dialogs/ImportValDlg.h"
#include "dialogs/SimpleImportDlg.h"
#include "editor/controls/DlgFormula.h"
#include "editor/controls/DlgInputVal.h"
#include "editor/controls/DlgSearch.h"
#include "editor/controls/DlgVBS.h"
#include "editor/controls/GridDlg.h"
#include "editor/controls/MatDlg.h"
#include "editor/controls/QuillDlgImportDoc.h"
#include "editor/controls/SubDlg.h"
#include "editor/core/EditorDocument.h"
#include "formula/ImportValueList.h"
#include "module/frame/ModuleState.h"
#include "module/frame/RegSettings.h"
#include "module/frame/Utilities.h"
#include "platform/lingo/lingo.h"
#include "platform/winsys/winsys.h"
#include "platform/wl/ui.h"

namespace {

std::string Tr(const std::string& text) { return lingo::Translate("VKT Eingabe", "velor_i_Quill", "SubDlg", text); }

void Inform(const std::string& text) {
    winsys::MessageBox(Tr(text), "", winsys::Buttons::Ok, winsys::Icon::Information);
}

}  // namespace

// ---- find and replace -------------------------------------------------------------------------

namespace {

// The search settings the document keeps between searches, into a search or
// replace dialog and back.
void LoadSearchSettings(CDlgSearchBase& dlg, const CEditorDocument& doc) {
    dlg.searchText = doc.searchStr;
    dlg.bCase = doc.bCase;
    dlg.bWord = doc.bWord;
    dlg.direction = doc.bDirection;
}

void StoreSearchSettings(const CDlgSearchBase& dlg, CEditorDocument& doc) {
    doc.searchStr = dlg.searchText;
    doc.bCase = dlg.bCase;
    doc.bWord = dlg.bWord;
    doc.bDirection = dlg.direction;
}

// The whole text: searched downwards from its start, whatever direction was chosen.
void StartSearch(CDlgSearchBase& dlg, CQuillRichEdit& text) {
    if (!dlg.bWholeText) return;
    dlg.direction = 1;
    text.SetSel(0, 0);
}

}  // namespace

void CSubDlg::Find() {
    if (!document_) return;
    CDlgSearch dlg(this);
    LoadSearchSettings(dlg, *document_);
    if (dlg.DoModal() != wl::IDOK) return;
    StartSearch(dlg, text_);
    StoreSearchSettings(dlg, *document_);
    text_.FindText(dlg.searchText, dlg.bCase != 0, dlg.bWord != 0, dlg.direction != 0, false);
}

void CSubDlg::FindAgain() {
    if (!document_) return;
    text_.FindText(document_->searchStr, document_->bCase != 0, document_->bWord != 0, document_->bDirection != 0,
                   false);
}

void CSubDlg::ReplaceText() {
    if (!document_) return;
    CDlgReplace dlg(this);
    LoadSearchSettings(dlg, *document_);
    dlg.replaceText = document_->replaceStr;
    if (dlg.DoModal() != wl::IDOK) return;
    StartSearch(dlg, text_);
    StoreSearchSettings(dlg, *document_);
    document_->replaceStr = dlg.replaceText;
    text_.Replace(dlg.searchText, dlg.replaceText, dlg.bCase != 0, dlg.bWord != 0, dlg.direction != 0,
                  dlg.bAsk != 0, dlg.bAll != 0);
}

void CSubDlg::ReplaceAgain() {
    if (!document_) return;
    // Asking and replace-all are not stored: one occurrence, asked for.
    text_.Replace(document_->searchStr, document_->replaceStr, document_->bCase != 0, document_->bWord != 0,
                  document_->bDirection != 0, true, false);
}

// ---- formula overview -------------------------------------------------------------------------------

void CSubDlg::FormulaOverview() {
    if (!document_) return;
    // The text evaluated afresh on a scratch copy of the page; the shown
    // text stays as it is.
    CVariableTable scratchTable;
    CVariableTable* table = document_->GetOwner() ? &document_->GetOwner()->m_varTable : &scratchTable;
    table->RemoveAll();
    document_->UpdateValues(1, table);
    CPageBufferList scratch;
    text_.GetRtf(scratch);
    std::vector<CFormulaRecord> records;
    CalculateRtfFormulas(scratch, CQuillRichEdit::kFormulaColour, records, document_->GetSession(), nullptr, table);
    // Formula-coloured stretches that hold no formula get no row.
    records.erase(std::remove_if(records.begin(), records.end(),
                                 [](const CFormulaRecord& r) { return r.kind == CFormulaRecord::None; }),
                  records.end());
    CDlgFormula dlg(this);
    dlg.grid.records = &records;
    dlg.grid.exportValues = &document_->exportValues;
    dlg.grid.inputValues = &document_->inputValues;
    dlg.DoModal();
    text_.SetFocus();
}

// ---- tables -------------------------------------------------------------------------------------------

void CSubDlg::NewTable() {
    if (!document_) return;
    CTableDefaults& defaults = document_->tableDefaults;
    std::string rtf;
    BuildTableRtf(defaults.nRow, defaults.nCol, defaults.colWidths, defaults.defaultTexts, rtf);
    CGridDlg dlg(this);
    ParseTableRtf(rtf, dlg.rows);
    if (dlg.DoModal() != wl::IDOK) return;
    // The layout chosen becomes the default of the next new table.
    defaults.nCol = dlg.columnCount;
    defaults.nRow = dlg.rowCount;
    if (!dlg.rows.empty()) {
        defaults.colWidths.clear();
        int left = 0;
        for (int b : dlg.rows.front().borders) {
            defaults.colWidths.push_back(b - left);
            left = b;
        }
    }
    WriteRowsBack(rtf, dlg.rows, "\\par}");
    text_.InsertRtf(rtf);
    text_.SetFocus();
}

void CSubDlg::ChangeTable() {
    if (!document_) return;
    std::string rtf = text_.richedit::RichEdit::GetRtf(true);
    CGridDlg dlg(this);
    const int found = ParseTableRtf(rtf, dlg.rows);
    if (found < 0) {
        Inform("Verschachtelte Tabellen bitte in MS-WORD bearbeiten.");
        return;
    }
    if (found == 0) {
        Inform("Bitte zunächst die zu ändernde Tabelle markieren.");
        return;
    }
    if (dlg.DoModal() != wl::IDOK) return;
    WriteRowsBack(rtf, dlg.rows, "}");
    text_.InsertRtf(rtf);
    text_.SetFocus();
}

// ---- macros and settings ---------------------------------------------------------------------------

void CSubDlg::Macros() {
    if (!document_) return;
    CDlgVBS dlg(this);
    SetupMacroFiles(dlg.vktMacroFile, dlg.userMacroFile);
    dlg.macroText = document_->macroText;
    dlg.session = document_->GetSession();
    for (;;) {
        if (dlg.DoModal() != wl::IDOK) return;
        GetRegSettings().SetString("Quill", "vktMacroFile", dlg.vktMacroFile);
        GetRegSettings().SetString("Quill", "userMacroFile", dlg.userMacroFile);
        document_->macroText = dlg.macroText;
        if (document_->LoadMacros(0)) return;
        // The text as the error editor left it, for the next round.
        dlg.macroText = document_->macroText;
    }
}

void CSubDlg::Settings() {
    if (!document_) return;
    CDlgSettings dlg(this);
    dlg.startPage = document_->iPage;
    if (dlg.DoModal() == wl::IDOK) document_->iPage = dlg.startPage;
}

// ---- database import -----------------------------------------------------------------------------

void CSubDlg::DatabaseImport() {
    if (!document_) return;
    CMatDlg dlg(this);
    dlg.document = document_;
    if (dlg.DoModal() != wl::IDOK) return;
    std::vector<const CMatGrid::Row*> active;
    for (const CMatGrid::Row& r : dlg.grid.rows)
        if (r.active) active.push_back(&r);
    if (active.empty()) return;
    std::vector<std::string> texts;
    if (active.size() >= 2) texts = {"\\b " + EscapeRtfMessage(dlg.title) + "\\b0", "", "", "", ""};
    for (const CMatGrid::Row* r : active) {
        texts.push_back(active.size() == 1 ? EscapeRtfMessage(dlg.title + " - " + r->name) : EscapeRtfMessage(r->name));
        // Symbols and units of the catalogues carry RTF control words of
        // their own ("I\\sub y\\nosupersub "): only their other characters are escaped.
        texts.push_back(winsys::FormatC("\\cf%ld %s", 2L, EscapeRtfNonAscii(r->variable).c_str()));
        texts.push_back("=");
        texts.push_back("\\qr " + EscapeRtfMessage(r->value));
        texts.push_back("\\qr [" + EscapeRtfNonAscii(r->unit) + "]\\cf0 ");
    }
    const int rows = static_cast<int>(texts.size() / 5);
    InsertTable(text_, rows, 5, {4535, 1701, 397, 1134, 1304}, texts);
}

// ---- documents and values of other positions ----------------------------------------------------

void CSubDlg::InsertDocument(int kind) {
    CCurDirKeeper keep;
    std::string folder = GetCurrentDir();
    if (kind == 1) folder = (std::filesystem::path(GetDataDir()) / "Vorlagen" / "Anwendervorlagen").string();
    if (kind == 2) folder = (std::filesystem::path(GetDataDir()) / "Vorlagen" / "VK-Quill Bibliotheken").string();
    CQuillDlgImportDoc dlg(true, "", "", 6, Tr("VK-VELOR Positionen|*.vkx||"), this);
    dlg.folder = folder;
    dlg.editor = this;
    if (dlg.DoModal() != wl::IDOK || !dlg.imported) return;
    // The import dialog put the chosen text on the clipboard.
    text_.Paste();
}

void CSubDlg::ApplyInputValues(int bForce, CEditorDocument* document) {
    if (!document || document->inputValues.empty()) return;
    if (!bForce) {
        // Only a position marked as a template asks by itself.
        const CBaseData* owner = document->GetOwner();
        const ZVELEM root = owner && owner->GetDocument() ? ZEVUD_GetRootElement(owner->GetDocument()) : 0;
        const ZVELEM info = root ? ZEVUD_FindFirstChild(root, "info") : 0;
        if (!info || ZEVUD_GetInt(info, "bIsTemplate") == 0) return;
    }
    CDlgInputVal dlg(this);
    dlg.values = &document->inputValues;
    if (dlg.DoModal() != wl::IDOK || document->pages.GetSize() == 0) return;
    std::vector<CFormulaRecord> records;
    SplitRtfIntoRecords(document->pages, records, CQuillRichEdit::kFormulaColour);
    for (CFormulaRecord& r : records) ParseFormulaRecord(r);
    CVariableTable scratch;
    CVariableTable& table = document->GetOwner() ? document->GetOwner()->m_varTable : scratch;
    for (const CNamedValue& v : document->inputValues) {
        for (size_t i = 0; i < records.size(); ++i) {
            CFormulaRecord& r = records[i];
            if (r.kind != CFormulaRecord::Definition || r.resultPos < 0 || r.name != v.varName) continue;
            r.expression = r.result = winsys::FormatC("%.*lf", r.decimals, v.value);
            EvaluateFormulaRecord(records, static_cast<int>(i), document->GetSession(), table, std::string());
        }
    }
    ReassembleRtf(document->pages, records);
}

void CSubDlg::InputValuesAndRecalculate() {
    if (!document_) return;
    TransferData(true);
    if (CBaseData* owner = document_->GetOwner(); owner && owner->GetDocument()) owner->WriteData(owner->GetDocument());
    ApplyInputValues(1, document_);
    TransferData(false);
    Calculate();
}

void CSubDlg::ValueImport() {
    CBaseData* owner = document_ ? document_->GetOwner() : nullptr;
    if (!owner) return;
    CDlgImportVal dlg;
    dlg.SetBaseData(owner);
    if (dlg.DoModal() != wl::IDOK) return;
    owner->DefineVariables();
    Calculate();
}

void CSubDlg::SingleValue() {
    CDlgSimpleImportVal dlg;
    if (dlg.DoModal() != wl::IDOK) return;
    text_.ReplaceSel(dlg.m_result.m_strVarName);
    if (!document_ || !document_->GetOwner()) return;
    CBaseData* owner = document_->GetOwner();
    AddImportValueToListAndNotify(dlg.m_result, owner->m_varDefs, [owner] { owner->DefineVariables(); });
}
