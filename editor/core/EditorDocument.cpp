#include "editor/core/EditorDocument.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "editor/core/RtfHeaderTables.h"
#include "formula/Exports.h"
#include "formula/FormulaValue.h"
#include "formula/ImportValue.h"
#include "formula/VarDef.h"
#include "module/frame/ModuleState.h"
#include "module/frame/RegSettings.h"
#include "module/frame/Utilities.h"
#include "platform/winsys/winsys.h"
#include "platform/zadevoz/zadevoz.h"
#include "platform/zevud/zevud.h"
#include "platform/zozudeda/zozudeda.h"

namespace fs = std::filesystem;

namespace {

void DeleteChildren(ZVELEM parent, const char* name) {
    while (ZVELEM e = ZEVUD_FindFirstChild(parent, name)) ZEVUD_DeleteElement(e);
}

ZVELEM Replace(ZVELEM parent, const char* name) {
    DeleteChildren(parent, name);
    return ZEVUD_AddChildElement(parent, name);
}

std::string Str(ZVELEM e, const std::string& attr) { return zevud::GetString(e, attr); }

CNamedValue ReadNamedValue(ZVELEM e) {
    CNamedValue v;
    v.desc = Str(e, "desc");
    v.varName = Str(e, "varName");
    v.value = ZEVUD_GetDouble(e, "val");
    v.unit = Str(e, "unit");
    return v;
}

void WriteNamedValue(ZVELEM e, const CNamedValue& v) {
    ZEVUD_SetString(e, "desc", v.desc.c_str());
    ZEVUD_SetString(e, "varName", v.varName.c_str());
    ZEVUD_SetDouble(e, "val", v.value);
    ZEVUD_SetString(e, "unit", v.unit.c_str());
}

std::string Bytes(ZVELEM e, const char* attr) {
    const int n = ZEVUD_GetBinDataLength(e, attr);
    if (n <= 0) return std::string();
    std::string data(static_cast<size_t>(n), '\0');
    const int got = ZEVUD_GetBinData(e, attr, data.data(), n);
    data.resize(static_cast<size_t>(got > 0 ? got : 0));
    return data;
}

// RTF text made of a UTF-8 text (the product name in the report header).
std::string RtfText(const std::string& text) { return EscapeRtfMessage(text); }

}  // namespace

// ---- table defaults --------------------------------------------------------------------

CTableDefaults::CTableDefaults() : colWidths{2835, 850, 283, 2948, 397, 964, 737} {}

// ---- construction ---------------------------------------------------------------------------

CEditorDocument::CEditorDocument(CBaseData* owner) : m_pOwner(owner) { m_session = ZOZUDEDA_StartSession(); }

CEditorDocument::~CEditorDocument() {
    if (m_session) ZOZUDEDA_EndSession(m_session);
}

void CEditorDocument::Clear() {
    exportValues.clear();
    inputValues.clear();
    pages.RemoveAll();
    isEmpty = 1;
    macroText.clear();
    iPage = 1;
}

std::string CEditorDocument::GetDocumentFileName() const {
    return m_pOwner ? zevud::GetCompleteFileName(m_pOwner->m_hDoc) : std::string();
}

CVariableTable* CEditorDocument::OwnerTable() const { return m_pOwner ? &m_pOwner->m_varTable : nullptr; }

// ---- storage -----------------------------------------------------------------------------------

void CEditorDocument::Load(ZVELEM quill) {
    if (!quill) return;
    iPage = ZEVUD_GetIntWithDefault(quill, "iPage", 1);
    // The element's page replaces whatever the list held.
    pages.RemoveAll();
    if (ZEVUD_HasAttr(quill, "rtfData")) {
        std::string data = Bytes(quill, "rtfData");
        if (data.empty() || data.back() != '\0') data.push_back('\0');
        pages.AddCopy(data.data(), static_cast<int>(data.size()));
    }
    const std::string macro = Bytes(quill, "VBScript");
    macroText = macro.substr(0, std::min(macro.size(), std::strlen(macro.c_str())));
    isEmpty = ZEVUD_GetIntWithDefault(quill, "isEmpty", isEmpty);

    if (ZVELEM t = ZEVUD_FindFirstChild(quill, "tableProp")) {
        tableDefaults.nCol = ZEVUD_GetIntWithDefault(t, "nCol", tableDefaults.nCol);
        tableDefaults.nRow = ZEVUD_GetIntWithDefault(t, "nRow", tableDefaults.nRow);
        tableDefaults.nWidth = ZEVUD_GetIntWithDefault(t, "nWidth", tableDefaults.nWidth);
        // A damaged count reads no further than the stored values go.
        const int nCol = std::clamp(tableDefaults.nCol, 0, 1000);
        if (static_cast<int>(tableDefaults.colWidths.size()) < nCol) tableDefaults.colWidths.resize(static_cast<size_t>(nCol), 0);
        for (int i = 0; i < nCol; ++i) {
            const std::string key = "colWidth_" + std::to_string(i);
            tableDefaults.colWidths[static_cast<size_t>(i)] =
                ZEVUD_GetIntWithDefault(t, key.c_str(), tableDefaults.colWidths[static_cast<size_t>(i)]);
        }
        const int n = std::clamp(ZEVUD_GetInt(t, "numOfDefaultText"), 0, 100000);
        tableDefaults.defaultTexts.clear();
        for (int i = 0; i < n; ++i) {
            const std::string key = "defaultText_" + std::to_string(i);
            if (!ZEVUD_HasAttr(t, key.c_str())) break;
            tableDefaults.defaultTexts.push_back(Str(t, key));
        }
    }
    if (ZVELEM s = ZEVUD_FindFirstChild(quill, "searchReplaceSettings")) {
        searchStr = Str(s, "searchStr");
        replaceStr = Str(s, "replaceStr");
        bWord = ZEVUD_GetInt(s, "bWord");
        bCase = ZEVUD_GetInt(s, "bCase");
        bDirection = ZEVUD_GetIntWithDefault(s, "bDirection", 1);
    }
    if (ZVELEM m = ZEVUD_FindFirstChild(quill, "matImportSettings")) {
        lastPath = Str(m, "lastPath");
        lastObj = Str(m, "lastObj");
        for (ZVELEM c = ZEVUD_FindFirstChild(m, "pathCheck"); c; c = ZEVUD_FindNextChild(c, "pathCheck"))
            pathChecks[Str(c, "path")] = ZEVUD_GetInt(c, "check");
    }
    if (ZVELEM ev = ZEVUD_FindFirstChild(quill, "exportValues"))
        for (ZVELEM c = ZEVUD_FindFirstChild(ev, "exportValue"); c; c = ZEVUD_FindNextChild(c, "exportValue"))
            exportValues.push_back(ReadNamedValue(c));
    if (ZVELEM iv = ZEVUD_FindFirstChild(quill, "importValues"); iv && m_pOwner) {
        for (ZVELEM c = ZEVUD_FindFirstChild(iv, "importValue"); c; c = ZEVUD_FindNextChild(c, "importValue")) {
            auto entry = std::make_unique<CVarDefImport>();
            entry->m_import.ReadData(c);
            m_pOwner->m_varDefs.Add(std::move(entry));
        }
    }
    if (ZVELEM iv = ZEVUD_FindFirstChild(quill, "inputValues"))
        for (ZVELEM c = ZEVUD_FindFirstChild(iv, "inputValue"); c; c = ZEVUD_FindNextChild(c, "inputValue"))
            inputValues.push_back(ReadNamedValue(c));

    LoadMacros(1);
    FireScriptEvent(1);
}

void CEditorDocument::Save(ZVELEM quill, ZVELEM exports) {
    if (!quill) return;
    ZEVUD_SetInt(quill, "iPage", iPage);
    if (pages.GetSize() > 0) ZEVUD_SetBinData(quill, "rtfData", pages.GetBufferSize(0), pages.GetBuffer(0), 1);
    if (macroText.empty())
        ZEVUD_DeleteAttr(quill, "VBScript");
    else
        ZEVUD_SetBinData(quill, "VBScript", static_cast<int>(macroText.size()), macroText.data(), 1);
    ZEVUD_SetInt(quill, "isEmpty", isEmpty);

    ZVELEM t = Replace(quill, "tableProp");
    ZEVUD_SetInt(t, "nCol", tableDefaults.nCol);
    ZEVUD_SetInt(t, "nRow", tableDefaults.nRow);
    ZEVUD_SetInt(t, "nWidth", tableDefaults.nWidth);
    for (size_t i = 0; i < tableDefaults.colWidths.size(); ++i)
        ZEVUD_SetInt(t, ("colWidth_" + std::to_string(i)).c_str(), tableDefaults.colWidths[i]);
    ZEVUD_SetInt(t, "numOfDefaultText", static_cast<int32_t>(tableDefaults.defaultTexts.size()));
    for (size_t i = 0; i < tableDefaults.defaultTexts.size(); ++i)
        ZEVUD_SetString(t, ("defaultText_" + std::to_string(i)).c_str(), tableDefaults.defaultTexts[i].c_str());

    ZVELEM s = Replace(quill, "searchReplaceSettings");
    ZEVUD_SetString(s, "searchStr", searchStr.c_str());
    ZEVUD_SetString(s, "replaceStr", replaceStr.c_str());
    ZEVUD_SetInt(s, "bWord", bWord);
    ZEVUD_SetInt(s, "bCase", bCase);
    ZEVUD_SetInt(s, "bDirection", bDirection);

    ZVELEM m = Replace(quill, "matImportSettings");
    ZEVUD_SetString(m, "lastPath", lastPath.c_str());
    ZEVUD_SetString(m, "lastObj", lastObj.c_str());
    for (const auto& [path, check] : pathChecks) {
        ZVELEM c = ZEVUD_AddChildElement(m, "pathCheck");
        ZEVUD_SetString(c, "path", path.c_str());
        ZEVUD_SetInt(c, "check", check);
    }

    ZVELEM ev = Replace(quill, "exportValues");
    for (const CNamedValue& v : exportValues) WriteNamedValue(ZEVUD_AddChildElement(ev, "exportValue"), v);
    ZVELEM iv = Replace(quill, "inputValues");
    for (const CNamedValue& v : inputValues) WriteNamedValue(ZEVUD_AddChildElement(iv, "inputValue"), v);

    if (exports) {
        for (const CNamedValue& v : exportValues) {
            const std::string path = v.desc.empty() ? std::string() : zevud::MakeValidElementName(v.desc);
            WriteExportToFolder(exports, path, v.desc.empty() ? v.varName : v.desc, v.varName, v.value, v.unit);
        }
    }
    FireScriptEvent(2);
}

// ---- macros and events ------------------------------------------------------------------------

void SetupMacroFiles(std::string& vktFile, std::string& userFile) {
    std::string root = GetInstallRoot();
    if (!root.empty() && root.back() != '/' && root.back() != '\\') root += '/';
    // An empty setting counts as none.
    vktFile = GetRegSettings().GetString("Quill", "vktMacroFile", "");
    userFile = GetRegSettings().GetString("Quill", "userMacroFile", "");
    if (vktFile.empty()) vktFile = root + "VBScriptVKT.bas";
    if (userFile.empty()) userFile = root + "VBScriptUSER.bas";
}

namespace {
// Opens the engine's editor on a macro file with the error and writes the
// corrected text back.
void EditMacroFile(int session, const std::string& file, const std::string& error, int line, int column) {
    std::string text;
    {
        std::ifstream in(file, std::ios::binary);
        if (!in) return;
        text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    const std::string edited = ZOZUDEDA_EditMacro(session, text, error, line, column);
    if (edited == text) return;
    // Through a temporary file: a failed write leaves the old macros whole.
    std::string reason;
    if (!winsys::WriteFileAtomic(file, edited, reason))
        winsys::MessageBox(winsys::FormatC("Die Datei '%s' kann nicht geschrieben werden: %s", file.c_str(),
                                           reason.c_str()),
                           "", winsys::Buttons::Ok, winsys::Icon::Warning);
}
}  // namespace

// A macro error nobody is asked about (a silent load, an event) still goes
// on standard error: the engine's text names the macro and the reason.
static void ReportMacroError(const std::string& error) {
    if (error.empty()) return;
    const std::string line = error + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

int CEditorDocument::LoadMacros(int bSilent) {
    std::string vktFile, userFile;
    SetupMacroFiles(vktFile, userFile);
    ZOZUDEDA_ClearSession(m_session);
    int line = -1, column = -1;
    for (const std::string& file : {vktFile, userFile}) {
        ZOZUDEDA_LoadMacroFile(m_session, file);
        const std::string error = ZOZUDEDA_GetLastError(m_session, &line, &column);
        if (bSilent) {
            // The load goes on without the failed macros.
            ReportMacroError(error);
            continue;
        }
        if (!error.empty()) {
            EditMacroFile(m_session, file, error, line, column);
            return 0;
        }
    }
    ZOZUDEDA_AddMacro(m_session, macroText);
    const std::string error = ZOZUDEDA_GetLastError(m_session, &line, &column);
    if (bSilent) {
        ReportMacroError(error);
        return 1;
    }
    if (!error.empty()) {
        macroText = ZOZUDEDA_EditMacro(m_session, macroText, error, line, column);
        return 0;
    }
    return 1;
}

void CEditorDocument::FireScriptEvent(int event) {
    if (!m_pOwner) return;
    static const char* const names[] = {"OnInitDocument", "OnExitDocument", "OnStartCalculation", "OnEndCalculation"};
    if (event < 1 || event > 4) {
        ZOZUDEDA_Execute(m_session, "");
        return;
    }
    const std::string file = GetDocumentFileName();
    const size_t slash = file.find_last_of("/\\");
    std::string name = slash == std::string::npos ? file : file.substr(slash + 1);
    name = name.size() >= 4 ? name.substr(0, name.size() - 4) : std::string();
    const std::string folder = slash == std::string::npos ? std::string() : file.substr(0, slash);
    // The texts travel as quoted arguments: a quote inside is doubled.
    auto quoted = [](std::string s) {
        for (size_t p = s.find('"'); p != std::string::npos; p = s.find('"', p + 2)) s.insert(p, 1, '"');
        return "\"" + s + "\"";
    };
    ZOZUDEDA_Execute(m_session, std::string(names[event - 1]) + "( " + quoted(name) + ", " + quoted(folder) + ")");
    // The events are optional: only a macro that exists and fails is reported.
    const std::string error = ZOZUDEDA_GetLastError(m_session);
    if (error.rfind("Unbekannte Makrofunktion", 0) != 0) ReportMacroError(error);
}

// ---- values and calculation ---------------------------------------------------------------------

void CEditorDocument::UpdateValues(int bSkipEvaluation, CVariableTable* table) {
    if (!m_pOwner || GetPageCount() != 1) return;
    if (!table) table = OwnerTable();
    std::vector<CImportValue> imported;
    m_pOwner->m_varDefs.GetImportedValues(imported);
    for (const CImportValue& v : imported) {
        const size_t slash = v.m_strSourcePath.rfind('\\');
        const std::string path =
            (slash == std::string::npos ? std::string() : v.m_strSourcePath.substr(0, slash + 1)) + v.m_strVarName;
        table->Define(path, v.m_strDescription, v.m_strUnit, v.m_dValue);
    }
    if (!bSkipEvaluation) {
        std::vector<CFormulaRecord> dropped;
        CalculateRtfFormulas(pages, kFormulaColour, dropped, m_session, nullptr, table);
    }
}

void CEditorDocument::DefineVariables(CVariableTable& table) { UpdateValues(0, &table); }

void CEditorDocument::RefreshImportedValues() {
    if (!m_pOwner) return;
    m_pOwner->m_varDefs.RefreshImportedValues();
    UpdateValues(0);
}

int CEditorDocument::CalcEditorDocument(CPageBufferList& target, uint32_t formulaColour, CVariableTable* table) {
    if (!table) table = OwnerTable();
    CVariableTable scratch;
    if (!table) table = &scratch;
    table->RemoveAll();
    UpdateValues(1, table);
    FireScriptEvent(3);
    CalculateRtfFormulas(target, formulaColour, records, m_session, nullptr, table);
    // Lines without a number and failed macro calls are said on standard
    // error as well, where a calculation without a window shows its messages.
    for (const CFormulaRecord& r : records) {
        if (r.noNumber)
            ReportMacroError("Formel '" + r.plain + "': " + r.messageText);
        else if (r.messageText.rfind("Makro '", 0) == 0 || r.messageText.rfind("Unbekannte Makrofunktion", 0) == 0)
            ReportMacroError("Formel '" + r.plain + "': " + r.messageText);
    }
    FireScriptEvent(4);
    for (size_t i = 0; i < exportValues.size();) {
        CFormulaValue v;
        v.SetVariableTable(table);
        v.SetFromText(exportValues[i].varName.c_str());
        const double value = v.GetValue();
        if (!table->GetMessages().empty()) {
            exportValues.erase(exportValues.begin() + static_cast<long>(i));
            continue;
        }
        exportValues[i].value = value;
        ++i;
    }
    return 1;
}

std::string GetReportFrameFile() {
    const std::string file = GetRegSettings().GetString("Quill", "reportFrame", "");
    return file.empty() ? (fs::path(GetDataDir()) / "Vorlagen" / "Quill Berichtsrahmen.rtf").string() : file;
}

bool CEditorDocument::ExportEditorDocumentRtf(const std::string& documentPath, const CPageBufferList& source) {
    if (source.GetSize() < 1) return false;
    CPageBufferList copy;
    copy.AddText(source.GetText(0));
    ConvertForReport(GetReportFrameFile(), copy);

    std::string header = "nologo";
    header += '\0';
    header += "Name=" + RtfText("VK-Quill");
    header += '\0';
    header += "Titel=Quill";
    header += '\0';
    header += "Version=V ";
    header += '\0';
    header += '\0';

    zadevoz::RtfResetReport();                  // ordinal 22
    zadevoz::RtfSetOutputFile(documentPath);    // ordinal 26: the output path
    if (!zadevoz::RtfOpenDocument("", 0, 0, 1, header)) return false;  // ordinal 1 with the header
    zadevoz::RtfWriteRaw(copy.GetText(0));      // ordinal 3
    return zadevoz::RtfCloseDocument() == 1;    // ordinal 2
}

int CEditorDocument::CalcEditorDocument(uint32_t colour, const std::string& rtfFile) {
    if (m_bBusy || GetPageCount() != 1) return -1;
    m_bBusy = true;
    CalcEditorDocument(pages, colour);
    const bool written = ExportEditorDocumentRtf(rtfFile, pages);
    m_bBusy = false;
    return written ? 0 : -1;
}

// ---- the factory ----------------------------------------------------------------------------------

void InstallEditorDocumentFactory() {
    SetEditorDocumentFactory([](CBaseData& owner) -> std::unique_ptr<CBaseEditorDocument> {
        return std::make_unique<CEditorDocument>(&owner);
    });
}

namespace {
// Loaded with the module, the editor library makes every position carry its
// editor document.
const bool g_factoryInstalled = [] {
    InstallEditorDocumentFactory();
    return true;
}();
}  // namespace
