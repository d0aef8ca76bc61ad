#include "module/ModuleData.h"

#include "platform/zidezaz/zidezaz.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <mutex>

#include "input/LoadTakeOver.h"
#include "input/MateHandler.h"
#include "input/StdProfile.h"
#include "module/CraneRoad.h"
#include "module/ModuleDataDialog.h"
#include "module/frame/ModuleMessages.h"
#include "platform/common/norm_codes.h"
#include "platform/lingo/lingo.h"
#include "platform/winsys/winsys.h"
#include "platform/zevud/conveniences.h"

namespace {

constexpr const char* kAppInput = "VKT Eingabe";
constexpr const char* kAppOutput = "VKT Ausgabe";
constexpr const char* kSection = "velor_i_rigel";
constexpr const char* kAreaData = "RigelData";

std::string Tr(const char* text) { return lingo::Translate(kAppInput, kSection, kAreaData, text); }

template <class... A>
std::string TrFormat(const char* format, A... args) {
    return lingo::FormatTranslated(format, Tr(format), args...);
}

// ---- section files shared by several data objects ----------------------------------
std::mutex g_claimsMutex;
std::map<std::string, int>& Claims() {
    static std::map<std::string, int>* claims = new std::map<std::string, int>();  // never destroyed
    return *claims;
}

void AddClaim(const std::string& path) {
    std::lock_guard<std::mutex> lock(g_claimsMutex);
    ++Claims()[path];
}

void DropClaim(const std::string& path) {
    bool last = false;
    {
        std::lock_guard<std::mutex> lock(g_claimsMutex);
        auto it = Claims().find(path);
        if (it == Claims().end()) return;
        if (--it->second <= 0) {
            Claims().erase(it);
            last = true;
        }
    }
    if (last) {
        std::error_code ec;
        std::filesystem::remove(path, ec);
    }
}


// ---- document helpers ----------------------------------------------------------------
int CountChildren(ZVELEM parent, const char* name) {
    int n = 0;
    for (ZVELEM e = ZEVUD_FindFirstChild(parent, name); e; e = ZEVUD_FindNextChild(e, name)) ++n;
    return n;
}

std::vector<int32_t> GetIntList(ZVELEM e, const char* key) { return zevud::GetInts(e, key); }

}  // namespace

// ---- free helpers ---------------------------------------------------------------------

std::string GetNormName(int norm, int existingBuilding) {
    if (existingBuilding) return "Nachrechnung";
    return norm == kNormDin18800 ? "DIN 18800" : norm == kNormEc3 ? "EC 3" : "EC3 NA (DE)";
}

void UpdateSectionMaterialForNorm(CSection& section, int norm, int existingBuilding) {
    if (section.m_iNorm == norm && !existingBuilding) {
        section.m_iNorm = norm;
        return;
    }
    const bool alu = norm == kNormEc9;
    const std::string category = alu ? "Aluminium" : "Stahl";
    const std::string subcategory = alu ? "Aluminium" : "Baustahl";
    const std::string normName = alu ? "EC9" : GetNormName(norm, existingBuilding);
    std::vector<std::string> names;
    GetMateHandler().GetObjectNames(category, subcategory, normName, names);
    if (!names.empty()) {
        const std::string def = GetMateHandler().GetDefaultObjectName(category, subcategory, normName);
        if (!def.empty()) section.m_strMaterial = def;
    }
    section.m_iNorm = norm;
}

int GetSectionFileClaims(const std::string& path) {
    std::lock_guard<std::mutex> lock(g_claimsMutex);
    auto it = Claims().find(path);
    return it == Claims().end() ? 0 : it->second;
}

void CCraneReactions::Clear() { *this = CCraneReactions(); }

// ---- construction --------------------------------------------------------------------

CModuleData::CModuleData() {
    auto lk = std::make_unique<CModuleLoadCombination>();
    m_pLK = lk.get();
    SetLoadCombination(std::move(lk));
    LK().SetOwner(this, [this] { return m_hDoc; });
    // The take-overs create their actions in this position's settings; the
    // base data reads, recalculates and writes the list with the position.
    auto lu = std::make_unique<LUDataList>();
    lu->SetDestinationSettings(&LK());
    m_pLU = lu.get();
    SetLoadTakeOver(std::move(lu));
    m_bPlauRecordRoute = true;

    m_bSectionConst = 1;
    m_cranes.resize(1);
    m_cranes[0].m_pOwner = this;
    LK().SetNorm(4);
    LK().SetModus(3);
    LK().m_bShowRulesButton = true;
    LK().m_bGenerationOff = false;
    LK().m_bShowNotSplit = false;
    LK().m_bAltLoads = true;
    LK().m_bSyncActions = false;
    LK().m_bShowDurationClass = false;
    m_moduleVars.SetParent(&m_varTable);
    m_rtfOptions.assign(kReportOptions, 0);
    m_rtfWizOptions.assign(kWizardOptions, 0);
    m_craneRtfOptions.assign(kCraneReportOptions, 1);
    m_inputAnnotations.assign(kAnnotations, std::string());
    m_fieldLengths.resize(1);
    m_supports.resize(1);
    m_bucklFields.assign(1, 1);
    m_groupValues[0].assign(kCraneGroups, 0.0);
    m_groupValues[1].assign(kCraneGroups, 0.0);
    m_steelSections.Reset();
    // The profile catalogue is loaded by its first query, when a position
    // names a catalogue profile.
}

CModuleData::~CModuleData() {
    Init();
    RemoveTempSectionFile();
}

bool CModuleData::IsCraneRunway() const {
    return m_strModuleName == "VADU" || IsCraneRunwayWithBedding() ||
           (m_strModuleName.empty() && m_strProgName == "VADU");
}

bool CModuleData::IsCraneRunwayWithBedding() const { return m_strModuleName == "VADU2"; }

void CModuleData::Init() {
    CBaseData::Init();
    m_matBB = 0;
    m_nShownLoadCase = 0;
    m_nSketchView = 0;
    m_dCutX = 0.0;
    SetNormAndMaterialClass(7, 1);

    m_fieldLengths.assign(1, CFormulaValue(0.0));
    m_supports.assign(1, CSupport());
    m_supports[0].m_cx.SetValue(kRigidSpring);
    m_supports[0].m_cz.SetValue(kRigidSpring);
    m_supports[0].m_cwoelb.SetValue(kRigidSpring);
    m_bucklFields.assign(1, 1);

    m_inputAnnotations.assign(kAnnotations, std::string());
    m_sections.clear();
    m_notchCases.clear();
    m_springs.clear();
    m_loads.clear();
    m_hinges.clear();

    m_rtfOptions.resize(kReportOptions, 0);
    m_rtfWizOptions.resize(kWizardOptions, 0);
    m_craneRtfOptions.assign(kCraneReportOptions, 1);
    m_craneShortSummery = 0;
    m_rtfLKgebr = m_rtfLKTragSV = 0;
    m_bRtfChapterInput = m_bRtfChapterGebr = m_bRtfChapterTragSV = m_bRtfChapterCT = 1;
    m_bRtfCalcSinglePoint = 0;
    m_bRtfSinglePointLayout = 1;

    m_fatDetail.Clear();
    m_nCurCranePos = 0;

    m_cranes.assign(3, CCrane());
    for (CCrane& c : m_cranes) {
        c.m_pOwner = this;
        c.Init();
    }
    m_rail.Init();
    m_craneSettings = CCraneSettings();
    m_vorvSettings = CImperfectionSettings();
    m_steelSections.Reset();

    m_bRunning = 0;
    m_groupValues[0].assign(kCraneGroups, 0.0);
    m_groupValues[1].assign(kCraneGroups, 0.0);
    m_reactions.Clear();
    for (CCraneReactions& r : m_checkReactions) r.Clear();
}

// ---- section file --------------------------------------------------------------------

std::string CModuleData::GetTempSectionFileName() const { return GetSideFileName(".temp.skw"); }

void CModuleData::ClaimSectionFile(const std::string& path) {
    if (path == m_strSectionFile) return;
    const std::string old = m_strSectionFile;
    m_strSectionFile = path;
    if (!path.empty()) AddClaim(path);
    if (!old.empty()) DropClaim(old);
}

void CModuleData::RemoveTempSectionFile() { ClaimSectionFile(std::string()); }

void CModuleData::WriteSectionFile() {
    const std::string file = GetTempSectionFileName();
    if (file.empty()) return;
    // The file is rebuilt under this document's name and becomes this
    // object's section file.
    ClaimSectionFile(file);
    std::error_code ec;
    std::filesystem::remove(file, ec);
    for (size_t i = 0; i < m_sections.size(); ++i) {
        CSection& s = m_sections[i];
        s.m_pOwner = this;
        s.m_iField = static_cast<int>(i);
        if (s.m_profSelType != 0) {
            s.m_profile.SaveToDatabase(file.c_str(), "", s.GetProfileKey(0).c_str());
            if (s.m_bVoute) s.m_profile2.SaveToDatabase(file.c_str(), "", s.GetProfileKey(1).c_str());
        } else if (s.m_iFamily != -1 && s.m_iProfile != -1) {
            GetStdProfile().CopyProfileToDatabase(s.m_iFamily, s.m_iProfile, file, "", i == 0 ? 1 : 0);
            if (s.m_bVoute && s.m_iProfile2 != -1)
                GetStdProfile().CopyProfileToDatabase(s.m_iFamily, s.m_iProfile2, file, "", 0);
        }
    }
}

void CModuleData::CompleteSectionFile() {
    const std::string file = GetSectionFile();
    std::error_code ec;
    if (file.empty() || !std::filesystem::is_regular_file(file, ec)) return;
    auto holds = [&](const std::string& name) {
        const int db = SEKT_DB_Open(file.c_str(), 0);
        if (db < 0) return false;
        const int pro = SEKT_PRO_Create();
        const bool found = pro > 0 && SEKT_DB_GetProject(db, ("\\" + name).c_str(), pro) >= 0;
        if (pro > 0) SEKT_PRO_Delete(pro);
        SEKT_DB_Close(db);
        return found;
    };
    for (const CSection& s : m_sections) {
        if (s.m_profSelType != 0 || s.m_iFamily < 0) continue;
        if (s.m_iProfile >= 0 && !s.m_profName.empty() && !holds(s.m_profName))
            GetStdProfile().CopyProfileToDatabase(s.m_iFamily, s.m_iProfile, file, "", 0);
        if (s.m_bVoute && s.m_iProfile2 >= 0 && !s.m_profName2.empty() && !holds(s.m_profName2))
            GetStdProfile().CopyProfileToDatabase(s.m_iFamily, s.m_iProfile2, file, "", 0);
    }
}

void CModuleData::ExtractSectionFile(ZVELEM root) {
    if (CountChildren(root, "dataFile") != 1) return;
    ZVELEM dataFile = ZEVUD_FindFirstChild(root, "dataFile");
    const std::string file = GetTempSectionFileName();
    if (file.empty() || !ZEVUD_HasAttr(dataFile, "skwFile")) return;
    if (ZEVUD_LoadFileFromAttr(dataFile, "skwFile", file.c_str()) == 1) ClaimSectionFile(file);
}

// ---- norms -----------------------------------------------------------------------------

void CModuleData::SetNormAndMaterialClass(int norm, int combinationNorm) {
    m_info.m_nNorm = norm;
    m_info.m_nLkNorm = combinationNorm;
    for (CSection& s : m_sections) UpdateSectionMaterialForNorm(s, norm, m_matBB);
    CLKData& lk = LK();
    lk.SetNorm(combinationNorm);
    lk.SetModus(3);
    lk.m_bNoGammaPsi = m_calcSettings.m_bNoGammaPsi != 0;
    lk.m_bShowDurationClass = false;
    lk.m_bShowCategory = combinationNorm != 1;
    lk.m_bAltLoads = true;
    lk.m_bRulesEditable = false;
    lk.m_bWriteGammaPsiProtocol = true;
    lk.m_bWriteRulesProtocol = true;
    lk.m_bShowGInfOption = true;
    lk.m_bChecks[0] = lk.m_bChecks[1] = lk.m_bChecks[14] = true;
    for (int k = 0; k < 4; ++k)
        lk.m_bChecks[3 + k] = combinationNorm == 1 ? k == 0 : k == m_calcSettings.m_gebrNachweis;
}

void CModuleData::GetProgramTitle(std::string& title) const {
    if (IsCraneRunway())
        title = Tr(m_strModuleName == "VADU2" ? "Kranbahnträger 2" : "Kranbahnträger 1");
    else
        title = Tr("Einfeld- und Durchlaufträger");
}

double CModuleData::GetFieldStart(int i) const {
    if (i <= 0 || i >= static_cast<int>(m_fieldLengths.size())) return 0.0;
    double x = 0.0;
    for (int k = 1; k <= i; ++k) x += m_fieldLengths[static_cast<size_t>(k)].GetValue();
    return x;
}

void CModuleData::UpdateViews(int flag) {
    if (!m_pDialog) return;
    // Pages into the data: a page that asks for its views to be updated has
    // just been edited, and its edit must reach the data before the sketch
    // draws it (data to pages would throw the edit away).
    m_pDialog->ExchangeData(1);
    DrawSystem2D(flag);
    DrawSystem3D(flag);
}

// ---- variables --------------------------------------------------------------------------

void CModuleData::DefineVariables() {
    CBaseData::DefineVariables();
    for (CFormulaValue& l : m_fieldLengths) l.SetVariableTable(&m_varTable);
    if (IsCraneRunway()) SetCurrentCranePosition();

    m_moduleVars.RemoveAll();
    m_moduleVars.SetParent(&m_varTable);
    double total = 0.0;
    for (size_t k = 1; k < m_fieldLengths.size(); ++k) {
        const double l = m_fieldLengths[k].GetValue();
        total += l;
        m_moduleVars.Define(TrFormat("System\\l%ld", static_cast<long>(k)), TrFormat("Länge Feld %ld", static_cast<long>(k)),
                            "m", l);
    }
    m_moduleVars.Define(Tr("System\\tl"), Tr("Gesamtlänge"), "m", total);

    if (IsCraneRunway()) {
        CRailValues rv;
        m_rail.GetRailValues(rv);
        m_moduleVars.Define(Tr("Schiene\\b"), Tr("Kopfbreite"), "cm", rv.b1);
        m_craneSettings.m_loadEcc.SetVariableTable(&m_moduleVars);
    }

    for (size_t i = 0; i < m_sections.size(); ++i) {
        const long n = static_cast<long>(i + 1);
        CSection& s = m_sections[i];
        double ya1 = 0, za1 = 0, ya2 = 0, za2 = 0, ye1 = 0, ze1 = 0, ye2 = 0, ze2 = 0;
        s.ComputeGeometry(0, ya1, za1, ya2, za2);
        s.ComputeGeometry(1, ye1, ze1, ye2, ze2);
        // The outline of the section layer is in cm already.
        const double hA = std::fabs(za2 - za1), hE = std::fabs(ze2 - ze1);
        const double bA = std::fabs(ya2 - ya1), bE = std::fabs(ye2 - ye1);
        if (hA == hE) {
            m_moduleVars.Define(TrFormat("Profil Feld %ld\\prof%ldH", n, n), Tr("Profilhöhe"), "cm", hA);
        } else {
            m_moduleVars.Define(TrFormat("Profil Feld %ld\\prof%ldHa", n, n), Tr("Profilhöhe Anfang"), "cm", hA);
            m_moduleVars.Define(TrFormat("Profil Feld %ld\\prof%ldHe", n, n), Tr("Profilhöhe Ende"), "cm", hE);
        }
        if (bA == bE) {
            m_moduleVars.Define(TrFormat("Profil Feld %ld\\prof%ldB", n, n), Tr("Profilbreite"), "cm", bA);
        } else {
            m_moduleVars.Define(TrFormat("Profil Feld %ld\\prof%ldBa", n, n), Tr("Profilbreite Anfang"), "cm", bA);
            m_moduleVars.Define(TrFormat("Profil Feld %ld\\prof%ldBe", n, n), Tr("Profilbreite Ende"), "cm", bE);
        }
    }

    for (CSupport& s : m_springs) s.SetVariableTable(&m_moduleVars);
    for (CLoadDef& l : m_loads) l.SetVariableTable(&m_moduleVars);
    for (CHinge& h : m_hinges) h.SetVariableTable(&m_moduleVars);
    m_craneSettings.m_loadDistOnBottomFlange.SetVariableTable(&m_moduleVars);
}

// ---- crane positions ------------------------------------------------------------------

void CModuleData::GenerateCranePositions() {
    if (ICraneRoad* road = GetCraneRoad()) road->GeneratePositions(*this);
}

// The crane-position variables "pos0".."pos<n-1>" at the current crane
// position (kept within the list of positions).
void CModuleData::SetCurrentCranePosition() {
    const size_t n = m_cranes.size();
    if (n == 0 || m_cranePositions.empty()) return;
    const int positions = static_cast<int>(m_cranePositions.size() / n);
    if (positions == 0) return;
    if (m_nCurCranePos >= positions) m_nCurCranePos = positions - 1;
    if (m_nCurCranePos < 0) m_nCurCranePos = 0;
    const std::string desc = lingo::Translate("VKT Eingabe", "velor_i_rigel", "RigelData", "Kranposition");
    for (size_t i = 0; i < n; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "pos%ld", static_cast<long>(i));
        m_varTable.Define(name, desc, "m", m_cranePositions[static_cast<size_t>(m_nCurCranePos) * n + i]);
    }
}

// ---- results -------------------------------------------------------------------------

void CModuleData::ReadResults(ZVDOC hDoc) {
    CBaseData::ReadResults(hDoc);
    m_resultIndex.clear();
    const char* app = m_bOutput ? kAppOutput : kAppInput;
    for (size_t i = 0; i < m_resultSets.size(); ++i) {
        CResultSet& set = m_resultSets[i];
        if (set.m_type == 3) set.m_type = 2;
        if (!set.m_strTitle.empty()) {
            m_resultIndex[set.m_strTitle] = static_cast<int>(i);
            set.m_strTitle = lingo::Translate(app, kSection, "RigelOutputWiz", set.m_strTitle);
        }
    }
    ZVELEM root = hDoc ? ZEVUD_GetRootElement(hDoc) : 0;
    ZVELEM result = root ? ZEVUD_FindFirstChild(root, "result") : 0;
    if (!result) return;
    m_tragSVMaxLK = ZEVUD_GetInt(result, "tragSVMaxLK");
    m_gebrMaxLK = ZEVUD_GetInt(result, "gebrMaxLK");
    m_gebrKolOffset = ZEVUD_GetInt(result, "gebrKolOffset");
    // Flags per load combination; indices beyond any sane list are damage
    // and are left out.
    auto flags = [&](const char* key, int offset, std::vector<int32_t>& out) {
        out.assign(LK().m_combinations.size(), 0);
        for (int32_t idx : GetIntList(result, key)) {
            const int64_t at = static_cast<int64_t>(idx) + offset;
            if (at < 0 || at > 1000000) continue;
            if (static_cast<size_t>(at) >= out.size()) out.resize(static_cast<size_t>(at) + 1, 0);
            out[static_cast<size_t>(at)] = 1;
        }
    };
    flags("tragSVRelKol", 0, m_tragSVRelKol);
    flags("gebrRelKol", m_gebrKolOffset, m_gebrRelKol);
    m_tragSVCaseOfPoint = GetIntList(result, "tragSVRelKol");
    m_gebrCaseOfPoint = GetIntList(result, "gebrRelKol");
    m_dMaxAusGebr = ZEVUD_GetDouble(result, "dMaxAusGebr");
    m_dMaxAusTragSV = ZEVUD_GetDouble(result, "dMaxAusTragSV");
    m_iClass = ZEVUD_GetInt(result, "iClass");
    m_strErrorMsg = zevud::GetString(result, "errorMsg");
}

// ---- checks -------------------------------------------------------------------------------

bool CModuleData::CheckInputMessages(std::vector<std::string>&, int) { return true; }

void CModuleData::CheckLoadCases(std::string& out) const {
    out.clear();
    std::map<int, int> actionOf;
    for (const CLoadDef& l : m_loads) {
        CNumberList cases = l.m_LCGen;
        cases.Parse();
        if (cases.m_numbers.empty()) {
            out = Tr("Fehler! In der Lasteingabe fehlt die Lastfallnummer.");
            return;
        }
        const int c = cases.m_numbers[0];
        if (c == 0) {
            out = Tr("Fehler! Lastfallnummer 0 ist unzulässig.");
            return;
        }
        auto it = actionOf.find(c);
        if (it != actionOf.end() && it->second != 0 && it->second != l.m_iLoadCase) {
            out = TrFormat("Fehler! Lastfall '%ld' ist mehr als einer Einwirkung zugeordnet.", static_cast<long>(c));
            return;
        }
        actionOf[c] = l.m_iLoadCase;
    }
}

void CModuleData::BuildLoadCaseActionTable() {
    CLKData& lk = LK();
    std::vector<CLoadDef> all = m_loads;
    for (CLoadDef& l : GetTakeOverLoads()) all.push_back(std::move(l));
    if (all.empty()) {
        lk.m_loadCases.clear();
        return;
    }
    std::map<int, int> actionOf;
    int highest = 0;
    for (const CLoadDef& l : all) {
        CNumberList cases = l.m_LCGen;
        cases.Parse();
        int c = cases.m_numbers.empty() ? 1 : cases.m_numbers[0];
        if (c < 1) c = 1;
        // A load-case number beyond any real position is left out.
        if (c > static_cast<int>(kMaxListCount) * 10) continue;
        int action = 0;
        const int idx = l.m_iLoadCase;
        if (idx >= 1 && idx <= static_cast<int>(lk.m_actions.size()))
            action = lk.m_actions[static_cast<size_t>(idx - 1)].m_nNumber;
        actionOf[c] = action;
        highest = std::max(highest, c);
    }
    lk.m_loadCases.assign(static_cast<size_t>(highest), CLoadCaseAssignment());
    for (int i = 0; i < highest; ++i) {
        lk.m_loadCases[static_cast<size_t>(i)].m_nLoadCase = i + 1;
        auto it = actionOf.find(i + 1);
        lk.m_loadCases[static_cast<size_t>(i)].m_nAction = it == actionOf.end() ? 0 : it->second;
    }
}

// ---- span-wise arrangement ----------------------------------------------------------------

void CModuleData::BuildSpanShares() {
    CLKData& lk = LK();
    lk.m_spanShares.clear();
    m_spanShareLoads.clear();
    const int spans = static_cast<int>(m_fieldLengths.size()) - 1;
    if (spans < 2 || IsCraneRunway()) return;
    std::vector<double> nodes;  // x of the supports 0 .. spans
    for (int k = 0; k <= spans; ++k) nodes.push_back(GetFieldStart(k));

    std::vector<CLoadDef> all = m_loads;
    for (CLoadDef& l : GetTakeOverLoads()) all.push_back(std::move(l));
    std::vector<std::vector<int>> casesOf(all.size());
    int next = 0;
    for (size_t i = 0; i < all.size(); ++i) {
        CNumberList cases = all[i].m_LCGen;
        cases.Parse();
        casesOf[i] = cases.m_numbers;
        for (int c : cases.m_numbers) next = std::max(next, c);
    }
    for (const CLoadCaseAssignment& a : lk.m_loadCases) next = std::max(next, a.m_nLoadCase);
    ++next;

    auto arranged = [&](int action) {
        for (const CActionRecord& a : lk.m_actions)
            if (a.m_nNumber == action) return !a.m_bNotSplit && (a.m_nFullGroup == 1 || a.m_nFullGroup == 2);
        return false;
    };
    for (const CLoadCaseAssignment& assignment : lk.m_loadCases) {
        const int lc = assignment.m_nLoadCase;
        if (lc < 1 || !arranged(assignment.m_nAction)) continue;
        // The parts of the load case's loads, per span.
        std::vector<std::vector<CLoadDef>> parts(static_cast<size_t>(spans));
        bool whole = false;
        for (size_t i = 0; i < all.size() && !whole; ++i) {
            if (std::find(casesOf[i].begin(), casesOf[i].end(), lc) == casesOf[i].end()) continue;
            const CLoadDef& l = all[i];
            const int type = l.m_iLoadType;
            if (type == LOAD_TEMPERATURE || type == LOAD_IMPOSED_DEFORMATION || type == LOAD_SELF_WEIGHT) {
                whole = true;
                break;
            }
            const bool line = type == LOAD_UNIFORM || type == LOAD_TRAPEZOID || type == LOAD_LINE_MOMENT ||
                              type == LOAD_LINE_MOMENT_TRAPEZOID;
            const bool point = type == LOAD_POINT_FORCE_MOMENT;
            if (!line && !point) continue;  // kinds the calculation does not apply
            if (l.m_iNode < 0 || l.m_iNode > spans) {
                whole = true;
                break;
            }
            double a = 0.0, b = 0.0;
            l.GetRange(nodes, a, b);
            for (int j = 0; j < spans; ++j) {
                const double s = nodes[static_cast<size_t>(j)], e = nodes[static_cast<size_t>(j + 1)];
                CLoadDef part = l;
                part.m_iNode = j;
                part.m_LCGen.m_strText.clear();
                if (point) {
                    // A point load on a support belongs to the span that it starts.
                    const bool inside = a >= s && (a < e || (j == spans - 1 && a <= e + 1e-9));
                    if (!inside) continue;
                    part.m_offset.SetValue(a - s);
                } else {
                    const double ca = std::max(a, s), cb = std::min(b, e);
                    if (cb - ca <= 1e-6) continue;
                    part.m_offset.SetValue(ca - s);
                    part.m_length.SetValue(cb - ca);
                    if (type == LOAD_TRAPEZOID || type == LOAD_LINE_MOMENT_TRAPEZOID) {
                        // Linear between the load's start and end values.
                        const double v0 = l.m_val[0].GetValue(), v1 = l.m_val[1].GetValue();
                        auto at = [&](double x) { return b - a > 0 ? v0 + (v1 - v0) * (x - a) / (b - a) : v0; };
                        part.m_val[0].SetValue(at(ca));
                        part.m_val[1].SetValue(at(cb));
                    }
                }
                parts[static_cast<size_t>(j)].push_back(std::move(part));
            }
        }
        if (whole) continue;
        int loaded = 0;
        for (const auto& p : parts) loaded += p.empty() ? 0 : 1;
        if (loaded < 2) continue;  // a load case in one span is its own arrangement
        for (int j = 0; j < spans; ++j) {
            if (parts[static_cast<size_t>(j)].empty()) continue;
            const int share = next++;
            lk.m_spanShares.push_back({share, lc, j + 1});
            for (CLoadDef& part : parts[static_cast<size_t>(j)]) {
                part.m_LCGen.m_strText = std::to_string(share);
                part.m_LCGen.Parse();
                part.m_strDesc = TrFormat("Lastfall %d, Feld %d", lc, j + 1);
                m_spanShareLoads.push_back(std::move(part));
            }
        }
    }
}

// ---- loads taken over from other positions ----------------------------------------------

std::vector<CLoadDef> CModuleData::GetTakeOverLoads() const {
    std::vector<std::string> problems;
    return CollectTakeOverLoads(problems);
}

std::vector<CLoadDef> CModuleData::CollectTakeOverLoads(std::vector<std::string>& problems) const {
    std::vector<CLoadDef> out;
    if (!m_pLU) return out;
    const CLKData& lk = LK();
    // The take-over's load cases follow the highest load case of the user's loads.
    int highest = 0;
    for (const CLoadDef& l : m_loads) {
        CNumberList cases = l.m_LCGen;
        cases.Parse();
        for (int c : cases.m_numbers)
            if (c <= static_cast<int>(kMaxListCount) * 10) highest = std::max(highest, c);
    }
    // One load case per action that receives take-over loads, in the order of
    // the action numbers.
    std::map<int, int> caseOfAction;
    for (const auto& rec : m_pLU->m_records)
        if (rec->m_bAktiv)
            for (const CLoadDef& l : rec->m_loads) caseOfAction[l.m_iLoadCase] = 0;
    auto actionIndex = [&](int number) {
        for (size_t i = 0; i < lk.m_actions.size(); ++i)
            if (lk.m_actions[i].m_nNumber == number) return static_cast<int>(i) + 1;
        return 0;
    };
    for (auto& [action, lc] : caseOfAction)
        if (action >= 1 && actionIndex(action) > 0) lc = ++highest;

    for (size_t r = 0; r < m_pLU->m_records.size(); ++r) {
        const LUData& rec = *m_pLU->m_records[r];
        if (!rec.m_bAktiv) continue;
        bool lostAction = false, lostMoment = false;
        for (const CLoadDef& l : rec.m_loads) {
            const int lc = caseOfAction[l.m_iLoadCase];
            if (lc < 1) {
                lostAction = true;
                continue;
            }
            CLoadDef base;
            base.m_iLoadCase = actionIndex(l.m_iLoadCase);
            base.m_iNode = l.m_iNode;
            base.m_offset.SetValue(l.m_offset.GetValue());
            base.m_bHasDirection = 1;
            base.m_LCGen.m_numbers = {lc};
            base.m_LCGen.Format();
            base.m_strDesc = l.m_strDesc;
            auto add = [&](int type, int direction, double value, int slot, double length) {
                CLoadDef d = base;
                d.m_iLoadType = type;
                d.m_iDirection = direction;
                d.m_length.SetValue(length);
                d.m_val[slot].SetValue(value);
                out.push_back(d);
            };
            double v[6];
            for (int i = 0; i < 6; ++i) v[i] = l.m_val[i].GetValue();
            // The moment about x, y, z goes with the point load of direction
            // 0, 2, 1 (torsion, bending in the x-z and in the x-y plane).
            static const int kMomentDirection[3] = {0, 2, 1};
            if (l.m_iLoadType == LOAD_POINT_FORCE_MOMENT) {
                for (int k = 0; k < 3; ++k)
                    if (v[k] != 0.0) add(LOAD_POINT_FORCE_MOMENT, k, v[k], 0, 0.0);
                for (int k = 0; k < 3; ++k)
                    if (v[3 + k] != 0.0) add(LOAD_POINT_FORCE_MOMENT, kMomentDirection[k], v[3 + k], 1, 0.0);
            } else if (l.m_iLoadType == LOAD_LINE_FORCE_MOMENT) {
                const double length = l.m_length.GetValue();
                for (int k = 0; k < 3; ++k)
                    if (v[k] != 0.0) add(LOAD_UNIFORM, k, v[k], 0, length);
                if (v[3] != 0.0) add(LOAD_LINE_MOMENT, 0, v[3], 0, length);
                if (v[4] != 0.0 || v[5] != 0.0) lostMoment = true;
            } else {
                CLoadDef d = l;
                d.m_iLoadCase = base.m_iLoadCase;
                d.m_LCGen = base.m_LCGen;
                out.push_back(d);
            }
        }
        if (lostAction)
            problems.push_back(TrFormat("Kapitel 'Lastübernahme': Lasten von Pos. %s gehören zu keiner Einwirkung "
                                        "und werden nicht berechnet!",
                                        rec.m_strPosition.c_str()));
        if (lostMoment)
            problems.push_back(TrFormat("Kapitel 'Lastübernahme': Streckenmomente My, Mz von Pos. %s können nicht "
                                        "berechnet werden!",
                                        rec.m_strPosition.c_str()));
    }
    return out;
}

bool CModuleData::CheckInput(CPlauMessageList& list, int) {
    if (m_bRunning) return true;
    m_nCurrentIndex = -1;
    if (IsCraneRunway()) return true;
    list.RemoveAll();
    // The dialog's grids and controls, when a window shows the data; without
    // one the messages name their places only.
    const CPlauTargets targets = m_pDialog ? m_pDialog->GetPlauTargets() : CPlauTargets{};
    list.m_pMainDlg = targets.mainDlg;
    list.m_pTabCtrl = targets.tabCtrl;
    CPlauGrid* systemGrid = targets.systemGrid;
    CPlauGrid* loadGrid = targets.loadGrid;
    CPlauGrid* springGrid = targets.springGrid;

    if (m_fieldLengths.size() < 2)
        list.AddGridMessage(PLAU_ERROR, Tr("Kapitel 'System': Es wurden keine Felder eingegeben"), 2, systemGrid, 2, 2);
    // The kernel calculates at most kMaxFields fields: more are refused here,
    // at once, not by the kernel after the load preparation.
    if (m_fieldLengths.size() > static_cast<size_t>(kMaxFields) + 1)
        list.AddGridMessage(PLAU_ERROR,
                            TrFormat("Kapitel 'System': Es wurden %d Felder eingegeben, berechnet werden höchstens %d.",
                                     static_cast<int>(m_fieldLengths.size() - 1), kMaxFields),
                            2, systemGrid, 2, 2);
    // Loads taken over from other positions count as loads of the member.
    std::vector<std::string> takeOverProblems;
    const std::vector<CLoadDef> takeOverLoads = CollectTakeOverLoads(takeOverProblems);
    if (m_loads.empty() && takeOverLoads.empty())
        list.AddGridMessage(PLAU_ERROR, Tr("Kapitel 'Lasten': Es wurden keine Lasten eingegeben"), 2, loadGrid, 1, 1);
    for (const std::string& text : takeOverProblems) list.AddGridMessage(PLAU_WARNING, text, 6, loadGrid, 1, 1);

    int count[6] = {};
    for (const CSupport& s : m_supports) {
        const CFormulaValue* v[6] = {&s.m_cx, &s.m_cy, &s.m_cz, &s.m_cmx, &s.m_cmy, &s.m_cmz};
        for (int d = 0; d < 6; ++d)
            if (v[d]->GetValue() != 0.0) ++count[d];
    }
    for (const CSupport& s : m_springs) {
        const CFormulaValue* v[6] = {&s.m_cx, &s.m_cy, &s.m_cz, &s.m_cmx, &s.m_cmy, &s.m_cmz};
        const int add = s.m_length.GetValue() == 0.0 ? 1 : 2;
        for (int d = 0; d < 6; ++d)
            if (v[d]->GetValue() != 0.0) count[d] += add;
    }
    if (count[0] == 0 || count[1] == 0 || count[2] == 0) {
        const char* dir = count[1] == 0 ? "Y" : count[2] == 0 ? "Z" : "X";
        list.AddGridMessage(
            PLAU_ERROR,
            TrFormat("Kapitel 'System', bzw. 'Federn/Bettungen': In %s-Richtung ist das System verschieblich!", dir), 2,
            springGrid, 2, 4);
    }
    const bool zFree = count[1] == 1 && count[5] == 0;
    const bool xFree = count[3] == 0;
    const bool yFree = count[2] == 1 && count[4] == 0;
    if (xFree || zFree || yFree) {
        const char* axis = zFree ? "Z" : xFree ? "X" : "Y";
        list.AddGridMessage(
            PLAU_ERROR,
            TrFormat("Kapitel 'System', bzw. 'Federn/Bettungen': Das System ist frei drehbar um die %s-Achse!", axis),
            2, springGrid, 2, 4);
        return false;
    }

    std::map<int, int> actionOf;
    for (size_t i = 0; i < m_loads.size(); ++i) {
        const CLoadDef& l = m_loads[i];
        CNumberList cases = l.m_LCGen;
        cases.Parse();
        const int row = static_cast<int>(i + 1);
        if (cases.m_numbers.empty() || cases.m_numbers[0] == 0) {
            list.AddGridMessage(PLAU_ERROR, Tr("Kapitel 'Lasten': Einer Last wurde kein Lastfall zugeordnet!"), 6,
                                loadGrid, row, 2);
            continue;
        }
        const int c = cases.m_numbers[0];
        auto it = actionOf.find(c);
        if (it != actionOf.end() && it->second != 0 && it->second != l.m_iLoadCase)
            list.AddGridMessage(PLAU_ERROR,
                                Tr("Kapitel 'Lasten': Ein Lastfall wurde mehreren Einwirkungen zugeordnet!"), 6,
                                loadGrid, row, 2);
        actionOf[c] = l.m_iLoadCase;
    }

    if (m_fieldLengths.size() >= 2) {
        const int last = static_cast<int>(m_fieldLengths.size()) - 1;
        const double end = GetFieldStart(last);
        for (size_t i = 0; i < m_springs.size(); ++i) {
            const CSupport& s = m_springs[i];
            const double start = GetFieldStart(s.m_iNode) + s.m_posX.GetValue();
            if (start < -0.01 || start + s.m_length.GetValue() > end + 0.01)
                list.AddGridMessage(PLAU_ERROR,
                                    Tr("Kapitel 'Federn/Bettungen': Eine Feder/Bettung liegt ausserhalb des Systems!"),
                                    3, springGrid, static_cast<int>(i + 1), 2);
        }
        std::vector<double> nodes;
        for (int k = 0; k <= last; ++k) nodes.push_back(GetFieldStart(k));
        for (size_t i = 0; i < m_loads.size(); ++i) {
            double a = 0.0, b = 0.0;
            m_loads[i].GetRange(nodes, a, b);
            if (a < -0.01 || b > end + 0.01)
                list.AddGridMessage(PLAU_WARNING, Tr("Kapitel 'Belastung': Eine Last liegt ausserhalb des Systems!"), 6,
                                    loadGrid, static_cast<int>(i + 1), 2);
        }
    }

    if (m_calcSettings.m_resultGebrLK == 2 && LK().m_combinations.size() > 200)
        list.AddControlMessage(PLAU_WARNING, Tr("Kapitel 'Steuerung': Ergebnisse für alle LKs kann sehr lange dauern!"),
                               1, targets.settingsControl, true);

    for (CSection& s : m_sections) {
        // The calculator's type of the start profile: 1 marks a thick-walled one.
        SektSqs sq{};
        if (s.m_profSelType != 0) {
            if (!s.m_profile.IsValid()) continue;
            s.m_profile.GetStressValues(sq);
        } else {
            int series = -1, profile = -1;
            GetStdProfile().FindProfile(s.m_profFamily, s.m_profName, series, profile);
            SektGqs gross{};
            if (series < 0 || profile < 0 || !GetStdProfile().GetValues(series, profile, gross, sq, nullptr)) continue;
        }
        if (sq.Ptyp == 1)
            list.AddGridMessage(PLAU_ERROR,
                                Tr("Das gewählte Profil ist dickwandig! Biegetorsionstheorie nicht anwendbar."), 2,
                                systemGrid, 2, 2);
    }
    return list.CountErrors() == 0;
}

// ---- the calculation -----------------------------------------------------------------

CRecalcResult CModuleData::Recalc(int bReport, int bRedraw) {
    if (IsCraneRunway()) {
        if (ICraneRoad* road = GetCraneRoad()) return road->Recalc(*this, bReport, bRedraw);
        // A module built without its crane-runway calculation calculates no
        // crane runway, and says so.
        if (ZVELEM root = m_hDoc ? ZEVUD_GetRootElement(m_hDoc) : 0) {
            for (const char* name : {"result", "results"})
                if (ZVELEM old = ZEVUD_FindFirstChild(root, name)) ZEVUD_DeleteElement(old);
            ZVELEM result = ZEVUD_AddChildElement(root, "result");
            ZEVUD_SetInt(result, "abbruch", 1);
            ZEVUD_SetString(result, "errorMsg", Tr("Die Kranbahnberechnung ist nicht verfügbar.").c_str());
        }
        return CRecalcResult{};
    }
    // A member of more fields than the kernel calculates goes straight to the
    // plausibility check, which refuses it: preparing its loads and
    // combinations would take long for nothing.
    if (m_fieldLengths.size() > static_cast<size_t>(kMaxFields) + 1) return CBaseData::Recalc(bReport, bRedraw);
    // The load cases of the loads go to their actions, then the combinations
    // are generated for the kernel.
    BuildLoadCaseActionTable();
    LK().UpdateActionsFromLoadCases();
    BuildSpanShares();
    LK().Generate();
    if (LK().GenerationRefused()) {
        // Without the combinations of this input nothing may be calculated:
        // old combinations would hide the failure.
        if (ZVELEM root = m_hDoc ? ZEVUD_GetRootElement(m_hDoc) : 0) {
            for (const char* name : {"result", "results"})
                if (ZVELEM old = ZEVUD_FindFirstChild(root, name)) ZEVUD_DeleteElement(old);
            ZVELEM result = ZEVUD_AddChildElement(root, "result");
            ZEVUD_SetInt(result, "abbruch", 1);
            ZEVUD_SetString(result, "errorMsg",
                            (Tr("Die Lastfallkombinationen konnten nicht erzeugt werden: ") + LK().GetRefusal()).c_str());
        }
        CRecalcResult r;
        r.bInputValid = 0;
        return r;
    }
    return CBaseData::Recalc(bReport, bRedraw);
}

// ---- counts of the document --------------------------------------------------------------

int32_t CModuleData::ReadCount(ZVELEM element, const char* name) {
    const int32_t n = ZEVUD_GetInt(element, name);
    if (n < 0) return 0;
    if (n > kMaxListCount) {
        winsys::MessageBox(TrFormat("Die Position ist beschädigt: \"%s\" = %ld ist keine gültige Anzahl. Die "
                                    "Angaben werden nicht gelesen.",
                                    name, static_cast<long>(n)),
                           "", winsys::Buttons::Ok, winsys::Icon::Error);
        return -1;
    }
    return n;
}
