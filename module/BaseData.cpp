#include "module/BaseData.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>

#include <sys/stat.h>

#include "formula/ExpressionParser.h"
#include "module/frame/CalcDLL.h"
#include "module/frame/ModuleMessages.h"
#include "module/frame/ModuleState.h"
#include "module/frame/ProgDB.h"
#include "module/frame/RegSettings.h"
#include "module/frame/SideFiles.h"
#include "module/frame/Utilities.h"
#include "platform/lingo/lingo.h"
#include "platform/winsys/winsys.h"
#include "platform/zevud/results_tie.h"

namespace {

constexpr const char* kArea = "BaseData";

ZVELEM Root(ZVDOC doc) { return doc ? ZEVUD_GetRootElement(doc) : 0; }

ZVELEM FindOrAdd(ZVELEM parent, const char* name) {
    if (!parent) return 0;
    ZVELEM e = ZEVUD_FindFirstChild(parent, name);
    return e ? e : ZEVUD_AddChildElement(parent, name);
}

void DeleteFirstChild(ZVELEM parent, const char* name) {
    if (ZVELEM e = ZEVUD_FindFirstChild(parent, name)) ZEVUD_DeleteElement(e);
}

int Setting(const char* name, int def) { return GetRegSettings().GetInt("", name, def); }

void RemoveFile(const std::string& file) {
    std::error_code ec;
    if (!file.empty()) std::filesystem::remove(file, ec);
}

bool DefaultDocumentToolOpener(const std::string& file) {
    // A report lister the user set up (a program that is there) gets the
    // report; otherwise the desktop's application for RTF files opens it.
    const std::string& lister = GetRegSettings().m_strLister;
    std::error_code ec;
    if (!lister.empty() && std::filesystem::is_regular_file(lister, ec) && ::access(lister.c_str(), X_OK) == 0)
        return RunProcess({lister, file}) != 0;
    // The desktop's shell alone (no window part installed) needs the
    // freedesktop opener; without it the report is there all the same.
    if (dynamic_cast<winsys::DesktopShell*>(winsys::GetShellService()) != nullptr &&
        winsys::FindProgram("xdg-open").empty()) {
        rigel::ShowCommonMessage(kArea,
                                 "Der Bericht wurde geschrieben: %s\nEs ist kein Programm zum Öffnen von RTF-Dateien "
                                 "eingerichtet; öffnen Sie den Bericht mit einer Textverarbeitung.",
                                 std::filesystem::absolute(file, ec).string().c_str());
        return false;
    }
    return winsys::ShellOpen(file);
}

DocumentToolOpener g_opener = nullptr;

}  // namespace

DocumentToolOpener SetDocumentToolOpener(DocumentToolOpener opener) {
    DocumentToolOpener previous = g_opener;
    g_opener = opener;
    return previous;
}

bool OpenWithDocumentTool(const std::string& file) {
    // The file must open for reading; the path then goes to the program as
    // one argument of its own, never through a shell.
    std::FILE* f = std::fopen(file.c_str(), "r");
    if (!f) {
        rigel::ShowCommonMessage(kArea, "Fehler beim Öffnen der Datei %s", file.c_str());
        return false;
    }
    std::fclose(f);
    return g_opener ? g_opener(file) : DefaultDocumentToolOpener(file);
}

// ===========================================================================

namespace {
EditorDocumentFactory g_editorFactory = nullptr;
}  // namespace

EditorDocumentFactory SetEditorDocumentFactory(EditorDocumentFactory factory) {
    EditorDocumentFactory previous = g_editorFactory;
    g_editorFactory = factory;
    return previous;
}

CBaseData::CBaseData() {
    m_varTable.SetParent(&GetGlobalVariableTable());
    if (g_editorFactory) m_pEditor = g_editorFactory(*this);
}

CBaseData::~CBaseData() = default;

void CBaseData::SetLoadTakeOver(std::unique_ptr<CBaseLoadTakeOver> lu) {
    m_pLUData = std::move(lu);
    if (m_pLUData) m_pLUData->SetOwner(this);
}

CProgDBEntry* CBaseData::FindProgramRecord() const { return GetProgDB().FindProgram(m_strProgName, m_strModuleName); }

bool CBaseData::CheckInput(CPlauMessageList&, int) { return true; }

void CBaseData::Init() {
    m_nCurrentIndex = -1;
    m_strResultMessage.clear();
    m_varTable.RemoveAll();
    m_varTable.SetParent(&GetGlobalVariableTable());
    m_varDefs.RemoveAll();
    if (m_pEditor) m_pEditor->Clear();
    m_nPage = 1;
    m_strFreeText.clear();
}

void CBaseData::DefineVariables() {
    m_varTable.RemoveAll();
    const int bQuill = Setting("bQuill", 0);
    std::vector<std::string> names, descriptions, units;
    std::vector<double> values;
    m_varDefs.CollectVariables(names, descriptions, units, values, false);
    for (size_t i = 0; i < names.size() && i < descriptions.size() && i < units.size() && i < values.size(); ++i)
        m_varTable.Define(names[i], descriptions[i], units[i], values[i]);
    if (bQuill && m_pEditor) m_pEditor->DefineVariables(m_varTable);
}

// ---- files and fingerprints ----------------------------------------------------

std::string CBaseData::GetSideFileName(const std::string& ext) const {
    const std::string name = zevud::GetCompleteFileName(m_hDoc);
    return name.empty() ? std::string() : winsys::SideFileName(name, ext);
}

std::string CBaseData::GetRtfFileName() const {
    // A report being written for a calculation whose side files are held goes
    // to the file staged for it.
    return sidefiles::RedirectedName(m_hDoc, GetSideFileName(".rtf"));
}

ZVELEM CBaseData::InfoElement() const {
    ZVELEM root = Root(m_hDoc);
    return root ? ZEVUD_FindFirstChild(root, "info") : 0;
}

CFingerprint CBaseData::GetInputFingerprint() const {
    CFingerprint fp;
    ZVELEM root = Root(m_hDoc);
    ZVELEM input = root ? ZEVUD_FindFirstChild(root, "input") : 0;
    if (input) fp.FromElement(input);
    return fp;
}

bool CBaseData::IsInputChanged() const {
    ZVELEM root = Root(m_hDoc);
    if (!root || !ZEVUD_FindFirstChild(root, "result")) return true;
    CFingerprint stored;
    std::vector<unsigned char> bytes = zevud::GetBinData(InfoElement(), "input_fingerprint");
    if (bytes.size() != 16) return true;
    std::copy(bytes.begin(), bytes.end(), stored.Bytes());
    return stored != GetInputFingerprint();
}

void CBaseData::WriteFingerprint(const char* name, const unsigned char* bytes) {
    ZVELEM info = InfoElement();
    if (info) ZEVUD_SetBinData(info, name, 16, bytes, 1);
}

void CBaseData::StoreInputFingerprint() { WriteFingerprint("input_fingerprint", GetInputFingerprint().Bytes()); }

void CBaseData::ClearInputFingerprint() {
    const unsigned char zero[16] = {};
    WriteFingerprint("input_fingerprint", zero);
}

bool CBaseData::IsOutputChanged() const {
    CFingerprint file;
    const std::string rtf = GetRtfFileName();
    if (!rtf.empty()) file.FromFile(rtf);
    std::vector<unsigned char> bytes = zevud::GetBinData(InfoElement(), "output_fingerprint");
    if (bytes.size() != 16) return true;
    CFingerprint stored;
    std::copy(bytes.begin(), bytes.end(), stored.Bytes());
    return stored != file;
}

void CBaseData::StoreOutputFingerprint() {
    CFingerprint fp;
    const std::string rtf = GetRtfFileName();
    if (!rtf.empty() && FileExists(rtf)) {
        if (std::FILE* f = std::fopen(rtf.c_str(), "a")) {
            std::fclose(f);
            fp.FromFile(rtf);
        }
    }
    WriteFingerprint("output_fingerprint", fp.Bytes());
}

void CBaseData::ClearOutputFingerprint() {
    const unsigned char zero[16] = {};
    WriteFingerprint("output_fingerprint", zero);
}

// ---- the calculation run ----------------------------------------------------------

CRecalcResult CBaseData::Recalc(int bReport, int bRedraw) {
    if (m_bCalculating) return {0, 1, 0, 0};
    m_bCalculating = 1;
    struct RunMark {
        int32_t& mark;
        ~RunMark() { mark = 0; }
    } runMark{m_bCalculating};
    if (!m_hDoc) return {0, 1, 0, 0};

    const int bSaveAlways = Setting("bSaveAlways", 0);
    WriteData(m_hDoc);

    const CProgDBEntry* record = FindProgramRecord();
    if (!record) {
        rigel::ShowCommonMessage(kArea, "Unbekannte Programm-Kennung %s/%s", m_strProgName, m_strModuleName);
        return {0, 0, 0, 0};
    }
    // The record's names, taken now: the catalogue may change while dialogs run.
    const std::string calcLib = record->m_strCalcDLLName, calcProc = record->m_strCalcProcName;
    const std::string rtfLib = record->m_strRtfDLLName, rtfProc = record->m_strRtfProcName;

    bool changed = IsInputChanged();
    bool needReport = false;
    // The old report stays until a complete new one replaces it: a report
    // that cannot be written leaves it as it was (and says so).
    const std::string rtf = GetRtfFileName();
    if (bReport) needReport = changed || rtf.empty() || !FileExists(rtf) ? true : IsOutputChanged();
    m_strReportFailure.clear();
    // Without a report routine of its own the calculation writes the report,
    // so a missing or altered report forces a calculation.
    if (rtfLib.empty() && rtfProc.empty()) changed = changed || needReport;

    if (needReport) {
        if (m_pLKData) m_pLKData->StoreProtocolFiles();
        StoreRtfParts();
    }

    CRecalcResult result;
    bool valid = false;
    // The texts of the plausibility check that stopped the calculation.
    std::vector<std::string> stoppedBy;
    if (changed) {
        if (bSaveAlways) ZEVUD_SaveDoc(m_hDoc);
        if (m_bPlauRecordRoute) {
            CPlauMessageList messages;
            valid = CheckInput(messages, 0);
            for (const CPlauMessage& m : messages.m_messages)
                if (m.type == PLAU_ERROR) stoppedBy.push_back(m.text);
            if (!valid || messages.CountWarnings() > 0) {
                CPlauMessage selected;
                const int answer = GetPlauDialogs().ShowPlauCtrlV2(messages, selected);
                if (answer == PLAU_RESULT_JUMP) {
                    messages.GoToField(selected);
                    valid = false;
                } else if (answer != PLAU_RESULT_START) {
                    // Cancelled, or the window closed: never a calculation.
                    result.bCancelled = 1;
                    valid = false;
                }
                ClearInputFingerprint();
            }
        } else {
            std::vector<std::string> messages;
            valid = CheckInputMessages(messages, 0);
            stoppedBy = messages;
            if (!valid) {
                if (!messages.empty()) GetPlauDialogs().ShowPlauCtrlDlg(messages);
                ClearInputFingerprint();
            }
        }
        if (valid) {
            CCalcDLL routine(calcLib, calcProc);
            ZVELEM root = Root(m_hDoc);
            for (const char* name : {"result", "results", "exports"}) DeleteFirstChild(root, name);
            const int32_t flag = (bReport && rtfLib.empty()) ? 1 : 0;
            routine.Call(m_hDoc, flag);
            root = Root(m_hDoc);
            ZVELEM res = ZEVUD_FindFirstChild(root, "result");
            if (!res) res = ZEVUD_FindFirstChild(root, "results");
            if (res) {
                result.bCalculated = ZEVUD_GetIntWithDefault(res, "abbruch", 0) == 0;
            } else {
                result.bCalculated = 0;
                result.bNoResult = 1;
            }
            StoreInputFingerprint();
        } else {
            // The check stopped the calculation: no report of old results.
            // The results still in the document belong to other input; the
            // zeroed input fingerprint says so to every reader. A run without
            // a user says why in the document's "result" (the run saves
            // nothing, so the file keeps its old results).
            needReport = false;
            result.bCalculated = 0;
            if (IsBatchRun()) WritePlausibilityStop(stoppedBy);
        }
    }

    if (needReport && !rtfLib.empty() && !rtfProc.empty() && !rtf.empty()) {
        // While the document's owner holds its side files the report goes to
        // a file of its own and replaces the old one after the position is
        // saved; otherwise the writer replaces it at once, and only whole.
        const bool staged = sidefiles::IsHeld(m_hDoc);
        const std::string into = staged ? sidefiles::StageFile(m_hDoc, rtf) : rtf;
        const winsys::FileIdentity before = winsys::IdentityOf(into);
        sidefiles::Redirect redirect(m_hDoc, rtf, into);
        {
            CCalcDLL report(rtfLib, rtfProc);
            report.Call(m_hDoc, 1);
        }
        const winsys::FileIdentity after = winsys::IdentityOf(into);
        if (after.exists && !(after == before)) {
            StoreOutputFingerprint();
        } else {
            if (staged) sidefiles::DropFile(m_hDoc, rtf);
            m_strReportFailure = rigel::TranslateFormat(rigel::kSectionCommon, kArea,
                                                        FileExists(rtf) ? "Der Bericht '%s' konnte nicht geschrieben "
                                                                          "werden; der bisherige Bericht bleibt "
                                                                          "erhalten."
                                                                        : "Der Bericht '%s' konnte nicht geschrieben "
                                                                          "werden.",
                                                        rtf.c_str());
            // The report beside the position is not this calculation's.
            ClearOutputFingerprint();
        }
    } else if (bReport) {
        StoreOutputFingerprint();
    } else if (changed) {
        ClearOutputFingerprint();
    }

    ReadResults(m_hDoc);
    if (!bReport && bRedraw) DrawSystem2D(0);
    DeleteFirstChild(Root(m_hDoc), "rtfFiles");
    if (bSaveAlways) ZEVUD_SaveDoc(m_hDoc);

    result.bInputValid = valid;
    return result;
}

void CBaseData::WritePlausibilityStop(const std::vector<std::string>& errors) {
    ZVELEM root = Root(m_hDoc);
    if (!root) return;
    for (const char* name : {"result", "results"}) DeleteFirstChild(root, name);
    std::string text = rigel::TranslateFormat(
        rigel::kSectionCommon, kArea,
        errors.empty()
            ? "Die Berechnung wurde nicht ausgeführt; die Plausibilitätskontrolle wurde abgebrochen."
            : "Die Berechnung wurde nicht ausgeführt; die Plausibilitätskontrolle hat Fehler gefunden:");
    for (const std::string& line : errors) text += "\n  " + line;
    ZVELEM result = ZEVUD_AddChildElement(root, "result");
    ZEVUD_SetInt(result, "abbruch", 1);
    ZEVUD_SetInt(result, "refused", 1);
    ZEVUD_SetString(result, "errorMsg", text.c_str());
    ClearInputFingerprint();
}

// ---- input a run without a user cannot use ------------------------------------------

void CBaseData::RefuseInput(const std::string& field, const std::string& value, const std::string& reason) {
    // A long value (a whole formula, a pasted text) is echoed shortened.
    std::string line = field + ": '" + winsys::ShortenForMessage(value) + "'";
    if (!reason.empty()) line += " - " + reason;
    for (const std::string& l : m_inputRefusals)
        if (l == line) return;
    m_inputRefusals.push_back(line);
}

namespace {

// The path of an element below "input", parts separated by '\'.
std::string InputPath(ZVELEM e) {
    std::string path;
    for (ZVELEM p = e; p; p = ZEVUD_GetParentElement(p)) {
        const std::string name = zevud::GetElementName(p);
        if (name == "input" || name == "root") break;
        path = path.empty() ? name : name + "\\" + path;
    }
    return path;
}

void CollectFormulas(ZVELEM e, std::vector<std::pair<ZVELEM, ZVELEM>>& out, int depth) {
    if (depth > 64) return;
    for (ZVELEM c = ZEVUD_GetFirstChild(e); c; c = ZEVUD_GetNextChild(c)) {
        if (ZEVUD_HasAttr(c, "exp") && ZEVUD_HasAttr(e, zevud::GetElementName(c).c_str())) out.emplace_back(e, c);
        CollectFormulas(c, out, depth + 1);
    }
}

}  // namespace

void CBaseData::RefuseUnevaluableFormulas() {
    ZVELEM root = Root(m_hDoc);
    ZVELEM input = root ? ZEVUD_FindFirstChild(root, "input") : 0;
    if (!input) return;
    std::vector<std::pair<ZVELEM, ZVELEM>> formulas;
    CollectFormulas(input, formulas, 0);
    CVariableTable& table = FormulaTable();
    for (const auto& [owner, child] : formulas) {
        std::string text = zevud::GetString(child, "exp");
        if (text.empty()) continue;
        // Stored formulas use "." for decimals; a "," there separates arguments.
        std::replace(text.begin(), text.end(), ',', ';');
        double value = 0.0;
        const bool evaluated = table.Evaluate(text, value) != 0;
        // An undefined name evaluates as 0 with a note: that is no value
        // either. A note that a variable was defined again is harmless.
        const auto& messages = table.GetMessages();
        const bool undefined = std::any_of(messages.begin(), messages.end(), [](const CFormulaMessage& m) {
            return m.m_nCode != kFormulaOverwritten;
        });
        if (evaluated && !undefined) continue;
        std::string why;
        for (const CFormulaMessage& m : messages) {
            if (m.m_nCode == kFormulaOverwritten) continue;
            if (!why.empty()) why += "; ";
            why += m.m_strText;
        }
        const std::string name = zevud::GetElementName(child);
        const std::string path = InputPath(owner);
        RefuseInput(path.empty() ? name : path + "\\" + name, zevud::GetString(child, "exp"),
                    "Formel kann nicht ausgewertet werden" + (why.empty() ? std::string() : " (" + why + ")"));
    }
}

bool CBaseData::WriteInputRefusal() {
    if (m_inputRefusals.empty()) return false;
    ZVELEM root = Root(m_hDoc);
    if (!root) return true;
    for (const char* name : {"result", "results"}) DeleteFirstChild(root, name);
    std::string text = rigel::TranslateFormat(rigel::kSectionCommon, kArea,
                                              "Die Berechnung wurde nicht ausgeführt; diese Eingaben sind nicht "
                                              "verwendbar:");
    for (const std::string& line : m_inputRefusals) text += "\n  " + line;
    ZVELEM result = ZEVUD_AddChildElement(root, "result");
    ZEVUD_SetInt(result, "abbruch", 1);
    ZEVUD_SetInt(result, "refused", 1);
    ZEVUD_SetString(result, "errorMsg", text.c_str());
    return true;
}

void CBaseData::SilentCalc() {
    m_varDefs.RefreshImportedValues();
    DefineVariables();
    if (IsBatchRun()) {
        RefuseUnevaluableFormulas();
        if (WriteInputRefusal()) return;
    }
    Recalc(1, 1);
    ZVELEM root = Root(m_hDoc);
    ZVELEM input = root ? ZEVUD_FindFirstChild(root, "input") : 0;
    if (!input) return;
    ZVELEM exports = FindOrAdd(root, "exports");
    m_varDefs.WriteExports(exports);
    if (m_pEditor && m_pEditor->IsInUse()) {
        // The free text keeps the values its formulas calculated; writing
        // them back is part of this calculation, not a change of its input,
        // so results that belonged to the input still do afterwards.
        const bool current = HasCurrentResults();
        m_pEditor->Save(FindOrAdd(input, "Quill"), exports);
        if (current) StoreInputFingerprint();
    }
}

bool CBaseData::HasCurrentResults() const { return zevud::ResultsBelongToInput(m_hDoc); }

std::string CBaseData::StaleResultsText() {
    return rigel::TranslateFormat(rigel::kSectionCommon, kArea,
                                  "Die Position muss neu berechnet werden: die gespeicherten Ergebnisse gehören "
                                  "nicht zur aktuellen Eingabe.");
}

void CBaseData::ShowOutput(CBaseOutputWindow* window) {
    if (!window) return;
    Recalc(1, 1);
    const std::string rtf = GetRtfFileName();
    // A report of results that belong to other input is not shown.
    if (ZEVUD_FindFirstChild(Root(m_hDoc), "result") && !HasCurrentResults())
        window->SetText("\n\n" + StaleResultsText());
    else if (!rtf.empty() && FileExists(rtf))
        window->ShowRtfFile(rtf);
    else
        window->SetText(rigel::TranslateFormat(rigel::kSectionCommon, kArea, "\n\nAusgabedatei nicht vorhanden!"));
}

void CBaseData::EditOutput() {
    Recalc(1, 1);
    const std::string rtf = GetRtfFileName();
    if (ZEVUD_FindFirstChild(Root(m_hDoc), "result") && !HasCurrentResults()) return;
    // A report that could not be written is not stood for by the old one
    // beside the position: the user is told, and nothing is opened.
    if (!m_strReportFailure.empty()) {
        winsys::MessageBox(m_strReportFailure, "", winsys::Buttons::Ok, winsys::Icon::Warning);
        return;
    }
    if (!rtf.empty() && FileExists(rtf)) OpenWithDocumentTool(rtf);
}

void CBaseData::RecalcAndEditOutput() {
    ClearInputFingerprint();
    EditOutput();
}

// ---- report parts, pages, norms ------------------------------------------------------

void CBaseData::StoreRtfParts() {
    if (m_strProgName == "Quill") return;
    ZVELEM root = Root(m_hDoc);
    const std::string tmp = GetSideFileName(".tmp.rtf");
    if (!root || tmp.empty()) return;
    if (Setting("bQuill", 0) && m_strProgName != "REVU") {
        if (!m_pEditor || m_pEditor->IsBusy() || !m_pEditor->IsInUse()) return;
        const int page = m_pEditor->CalcEditorDocument(0xFF0D07, tmp);
        ZVELEM rtfFiles = FindOrAdd(root, "rtfFiles");
        if (page >= 0 && page <= 9)
            ZEVUD_StoreFileInAttr(rtfFiles, "vardef", tmp.c_str(), 1);
        else
            ZEVUD_DeleteAttr(rtfFiles, "vardef");
        RemoveFile(tmp);
    } else if (m_varDefs.GetSize() > 0) {
        if (m_varDefs.WriteRtf(tmp, false)) ZEVUD_StoreFileInAttr(FindOrAdd(root, "rtfFiles"), "vardef", tmp.c_str(), 1);
        RemoveFile(tmp);
    }
}

void CBaseData::SetLastPage(int page) { m_lastPages[m_hDoc] = page; }

int CBaseData::GetStartPage(int defaultPage) {
    if (Setting("bAlwaysQuillTab", 0)) return 0;
    ZVELEM root = Root(m_hDoc);
    if (root && ZEVUD_GetInt(root, "bJustLoaded") != 0) {
        ZEVUD_DeleteAttr(root, "bJustLoaded");
        return defaultPage;
    }
    auto it = m_lastPages.find(m_hDoc);
    return it == m_lastPages.end() ? defaultPage : it->second;
}

std::string CBaseData::GetVortextCaption() const {
    return rigel::TranslateFormat(rigel::kSectionCommon, kArea, Setting("bQuill", 0) ? "Quill Vortext" : "Vortexttabelle");
}

namespace {
bool ApplyNormSetting(int32_t& field, int din, int ec, int sia, int ecna) {
    const std::string& norm = GetRegSettings().m_strDefaultNorm;
    int32_t value = field;
    if (winsys::EqualsNoCase(norm, "DIN"))
        value = din;
    else if (winsys::EqualsNoCase(norm, "EC"))
        value = ec;
    else if (winsys::EqualsNoCase(norm, "SIA"))
        value = sia;
    else if (winsys::EqualsNoCase(norm, "ECNA"))
        value = ecna;
    const bool changed = value != field;
    field = value;
    return changed;
}
}  // namespace

bool CBaseData::ApplyDefaultNorm(int dinValue, int ecValue, int siaValue, int ecnaValue) {
    if (!m_info.m_bIsTemplate) return false;
    return ApplyNormSetting(m_info.m_nNorm, dinValue, ecValue, siaValue, ecnaValue);
}

bool CBaseData::ApplyDefaultLkNorm(int dinValue, int ecValue, int siaValue, int ecnaValue) {
    if (!m_info.m_bIsTemplate) return false;
    return ApplyNormSetting(m_info.m_nLkNorm, dinValue, ecValue, siaValue, ecnaValue);
}

// ---- the common part of the document ---------------------------------------------------

void CBaseData::WriteInfo(ZVELEM root) {
    ZVELEM info = FindOrAdd(root, "info");
    if (!info) return;
    ZEVUD_SetString(info, "comment", m_info.m_strComment.c_str());
    ZEVUD_SetString(info, "owner", m_info.m_strOwner.c_str());
    ZEVUD_SetString(info, "creationdate", m_info.m_strCreationDate.c_str());
    ZEVUD_SetString(info, "lastuser", m_info.m_strLastUser.c_str());
    ZEVUD_SetInt(info, "errors", m_info.m_nErrors);
    ZEVUD_SetInt(info, "materialgroup", m_info.m_nMaterialGroup);
    ZEVUD_SetInt(info, "norm", m_info.m_nNorm);
    ZEVUD_SetInt(info, "laendercode", m_info.m_nCountryCode);
    ZEVUD_SetInt(info, "lknorm", m_info.m_nLkNorm);
    ZEVUD_SetInt(info, "bModularisieren", 1);
    // A saved position is never a template, and never marked as coming from
    // the model hub.
    ZEVUD_SetInt(info, "bIsTemplate", 0);
    ZEVUD_SetInt(info, "ModelHub", 0);
    m_info.m_bModelHub = false;
}

void CBaseData::WriteAnnotations(ZVELEM input) {
    if (m_annotations.empty()) return;
    ZVELEM element = FindOrAdd(input, "annotations");
    for (const CAnnotation& a : m_annotations) ZEVUD_SetString(element, a.m_strKey.c_str(), a.m_strValue.c_str());
}

void CBaseData::ReadAnnotations(ZVELEM input) {
    ZVELEM element = input ? ZEVUD_FindFirstChild(input, "annotations") : 0;
    if (!element) return;
    for (CAnnotation& a : m_annotations) a.m_strValue = zevud::GetString(element, a.m_strKey);
}

void CBaseData::WriteData(ZVDOC hDoc) {
    ZVELEM root = Root(hDoc);
    if (!root) return;
    ZEVUD_SetString(root, "progname", m_strProgName.c_str());
    ZEVUD_SetString(root, "modulename", m_strModuleName.c_str());
    const CProgDBEntry* record = FindProgramRecord();
    if (record) m_dVersion = record->m_progVersion;
    if (!std::isfinite(m_dVersion)) m_dVersion = 0.0;
    ZEVUD_SetString(root, "version", winsys::FormatDoubleC("%.2lf", m_dVersion).c_str());
    WriteInfo(root);
    if (record) ZEVUD_SetString(ZEVUD_FindFirstChild(root, "info"), "progDesc", record->m_strProgName.c_str());
    ZVELEM input = FindOrAdd(root, "input");
    m_varDefs.WriteData(input);
    ZVELEM exports = FindOrAdd(root, "exports");
    m_varDefs.WriteExports(exports);
    if (m_pEditor && m_pEditor->IsInUse()) m_pEditor->Save(FindOrAdd(input, "Quill"), exports);
    ZEVUD_SetInt(input, "nPage", m_nPage);
    ZEVUD_SetString(input, "freeText", m_strFreeText.c_str());
    ZEVUD_SetString(input, "posDesc", m_strPosDesc.c_str());
    ZEVUD_SetInt(input, "dickeLinie", m_bDickeLinie ? 1 : 0);
    if (m_bUseLKData && m_pLKData) m_pLKData->WriteData(input);
    if (m_pLUData) m_pLUData->WriteData(input);
    WriteAnnotations(input);
}

void CBaseData::ReadData(ZVDOC hDoc) {
    ZVELEM root = Root(hDoc);
    if (!root) return;
    m_strProgName = zevud::GetString(root, "progname");
    m_strModuleName = zevud::GetString(root, "modulename");
    // The version is stored as text; it is read without regard to the locale.
    m_dVersion = winsys::ParseDouble(zevud::GetString(root, "version")).value_or(0.0);

    if (const CProgDBEntry* record = FindProgramRecord(); record && record->m_progVersion < m_dVersion) {
        rigel::ShowCommonMessage(kArea,
                                 "Die einzulesende Datei ist mit der Version %.2lf\ndes Programms VK-%s erstellt "
                                 "worden.\nDas Programm liegt jedoch in Version %.2lf vor.\n\nEs wird versucht, die "
                                 "Datei einzulesen, Sie sollten jedoch alle\nanderen geöffneten Positionen sichern "
                                 "und die Eingaben dieser\nPosition überprüfen!",
                                 m_dVersion, m_strProgName, record->m_progVersion);
    }

    ZVELEM info = ZEVUD_FindFirstChild(root, "info");
    if (!info) return;
    ZVELEM input = ZEVUD_FindFirstChild(root, "input");
    if (input) {
        m_nPage = ZEVUD_GetIntWithDefault(input, "nPage", 1);
        m_strFreeText = zevud::GetString(input, "freeText");
        m_strPosDesc = zevud::GetString(input, "posDesc");
        m_bDickeLinie = ZEVUD_GetInt(input, "dickeLinie") != 0;
    }
    m_info.m_strComment = zevud::GetString(info, "comment");
    m_info.m_strOwner = zevud::GetString(info, "owner");
    m_info.m_strCreationDate = zevud::GetString(info, "creationdate");
    m_info.m_strLastUser = zevud::GetString(info, "lastuser");
    m_info.m_nErrors = ZEVUD_GetInt(info, "errors");
    m_info.m_nMaterialGroup = ZEVUD_GetInt(info, "materialgroup");
    m_info.m_nNorm = ZEVUD_GetInt(info, "norm");
    m_info.m_nCountryCode = ZEVUD_GetInt(info, "laendercode");
    m_info.m_nLkNorm = ZEVUD_GetInt(info, "lknorm");
    m_info.m_bIsTemplate = ZEVUD_GetInt(info, "bIsTemplate");
    m_info.m_bModelHub = ZEVUD_GetInt(info, "ModelHub") != 0;

    m_varDefs.ReadData(input);
    ZVELEM quill = input ? ZEVUD_FindFirstChild(input, "Quill") : 0;
    if (quill && m_pEditor) m_pEditor->Load(quill);
    if (Setting("bQuill", 0) && m_strProgName != "Quill" && m_strProgName != "REVU" && m_varDefs.GetSize() > 0 &&
        m_pEditor && !m_pEditor->HasPages())
        m_varDefs.TransferRtfToQuill(m_pEditor->Target());
    if (m_bUseLKData && m_pLKData) {
        m_pLKData->ReadData(input);
        m_pLKData->SetNorm(m_info.m_nLkNorm);
    }
    if (m_pLUData) {
        m_pLUData->ReadData(input);
        m_pLUData->SetOwner(this);
        m_pLUData->Recalc();
    }
    ReadResults(hDoc);
    ReadAnnotations(input);
}

void CBaseData::ReadResults(ZVDOC hDoc) {
    m_resultSets.clear();
    m_strResultMessage.clear();
    ZVELEM root = Root(hDoc);
    ZVELEM result = root ? ZEVUD_FindFirstChild(root, "result") : 0;
    if (!result) return;
    m_strResultMessage = zevud::GetString(result, "message");
    const int32_t nodes = ZEVUD_GetInt(result, "nNode");
    const int32_t elements = ZEVUD_GetInt(result, "nElem");
    for (ZVELEM child = ZEVUD_GetFirstChild(result); child; child = ZEVUD_GetNextChild(child))
        ReadResultSeries(child, "", nodes, elements, m_resultSets);
}
