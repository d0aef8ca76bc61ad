// Load-combination settings: norm and mode, the lists taken from the
// generator session, the action list and the document element
// "lastUeberlagerung".
#include "input/LKData.h"

#include <algorithm>

#include "module/frame/ModuleMessages.h"
#include "platform/common/norm_codes.h"

namespace {

constexpr const char* kArea = "LKDlg";
constexpr const char* kElement = "lastUeberlagerung";
constexpr int32_t kMaxActionNumber = 100000;

std::string Tr(const std::string& text) {
    return lingo::Translate(rigel::kAppInput, rigel::kSectionCommon, kArea, text);
}

bool IsGermanFrame(int32_t norm) { return norm == kLkDin1055 || norm == kLkEcNad || norm == kLkEcNaf; }

// Category remaps between the twelve categories of norms 0, 4, 5 and the
// seventeen of norm 3.
constexpr int kTo3[12] = {1, 3, 4, 5, 6, 7, 8, 11, 10, 12, 15, 16};
constexpr int kFrom3[17] = {0, 0, 1, 1, 2, 3, 4, 5, 6, 8, 8, 7, 9, 11, 11, 10, 11};

std::string GetStr(ZVELEM e, const char* attr) { return zevud::GetString(e, attr); }

}  // namespace

const char* const CLKData::kGammaNames[CLKData::kNumGamma] = {
    "gamma_g_guenstig", "gamma_g_unguenstig", "gamma_q_guenstig", "gamma_q_unguenstig", "gamma_g_sup",
    "gamma_g_inf",      "gamma_a",            "gamma_g_stb1",     "gamma_g_stb2",       "gamma_g_stb3",
    "gamma_g_dst1",     "gamma_g_dst2",       "gamma_g_dst3",     "gamma_q_dst1",       "gamma_q_dst2",
    "gamma_q_dst3",     "gamma_g_1",          "gamma_g_2",        "gamma_g_3",          "gamma_q_1",
    "gamma_q_2",        "gamma_q_3",          "gamma_e0g_1",      "gamma_e0g_2",        "gamma_e0g_3"};

void CActionRecord::AssignFrom(const CActionRecord& o) {
    if (this == &o) return;
    const ZVELEM element = m_hElement;
    const bool readOnly = m_bReadOnly;
    *this = o;
    m_hElement = element;
    m_bReadOnly = readOnly;
}

// ---------------------------------------------------------------------------
// construction and copy

CLKData::CLKData() : m_hSession(COMBOR_StartSession()) {}

CLKData::CLKData(const CLKData& o) : m_hSession(COMBOR_StartSession()) { *this = o; }

CLKData::~CLKData() {
    if (m_hSession) COMBOR_CloseSession(m_hSession);
}

CLKData& CLKData::operator=(const CLKData& o) {
    if (this == &o) return *this;
    m_pOwner = o.m_pOwner;
    m_ownerDocument = o.m_ownerDocument;
    m_nNorm = o.m_nNorm;
    m_nModus = o.m_nModus;
    m_nVersion = o.m_nVersion;
    m_bSyncActions = o.m_bSyncActions;
    m_bShowDurationClass = o.m_bShowDurationClass;
    m_bShowNotSplit = o.m_bShowNotSplit;
    m_bShowCategory = o.m_bShowCategory;
    m_bAltLoads = o.m_bAltLoads;
    m_bAltGroups = o.m_bAltGroups;
    m_nAltGroupCount = o.m_nAltGroupCount;
    m_bAllowGroupType5 = o.m_bAllowGroupType5;
    m_bAllowGroupType6 = o.m_bAllowGroupType6;
    m_bGenerationOff = o.m_bGenerationOff;
    m_bShowRulesButton = o.m_bShowRulesButton;
    m_bRulesEditable = o.m_bRulesEditable;
    // Every check switch, the no-gamma/psi and read-factors switches and the
    // gamma_G,inf factor are settings too: a restored backup must bring them
    // back.
    std::copy(std::begin(o.m_bChecks), std::end(o.m_bChecks), std::begin(m_bChecks));
    m_bNoGammaPsi = o.m_bNoGammaPsi;
    m_bReadFactors = o.m_bReadFactors;
    m_dGInfFactor = o.m_dGInfFactor;
    m_bWriteGammaPsiProtocol = o.m_bWriteGammaPsiProtocol;
    m_bWriteRulesProtocol = o.m_bWriteRulesProtocol;
    m_strGammaPsiFile = o.m_strGammaPsiFile;
    m_strRulesFile = o.m_strRulesFile;
    m_bShowGInfOption = o.m_bShowGInfOption;
    m_bCheckWithGInf = o.m_bCheckWithGInf;
    m_dSnowHeight = o.m_dSnowHeight;
    m_dCranePsi2 = o.m_dCranePsi2;
    std::copy(std::begin(o.m_gamma), std::end(o.m_gamma), std::begin(m_gamma));
    m_psiRows = o.m_psiRows;
    m_loadCases = o.m_loadCases;
    m_actions.resize(o.m_actions.size());
    for (size_t i = 0; i < o.m_actions.size(); ++i) m_actions[i].AssignFrom(o.m_actions[i]);
    m_combinations = o.m_combinations;
    // The session follows the copied norm, so that its groups and categories
    // match the actions' indices.
    if (m_bNormSet) {
        const char* name = NormName(m_nNorm);
        COMBOR_SetNorm(m_hSession, name ? name : "");
    }
    return *this;
}

void CLKData::SetOwner(CLoadDestination* owner, std::function<ZVDOC()> document) {
    m_pOwner = owner;
    m_ownerDocument = std::move(document);
}

// ---------------------------------------------------------------------------
// norm and mode

const char* CLKData::NormName(int32_t norm) {
    static const char* const names[] = {"DIN 1055-100", "DIN 18800", "SIA 260:2003", "EC", "EC_NAD", "EC_NAF"};
    return norm >= 0 && norm < 6 ? names[norm] : nullptr;
}

void CLKData::SetNorm(int32_t norm) {
    const int32_t old = m_nNorm;
    m_nNorm = norm;
    if (IsGermanFrame(old) && norm == 3) {
        for (auto& a : m_actions)
            if ((a.m_nGroup == 1 || a.m_nGroup == 2) && a.m_nCategory >= 0 && a.m_nCategory < 12)
                a.m_nCategory = kTo3[a.m_nCategory];
    } else if (old == 3 && IsGermanFrame(norm)) {
        for (auto& a : m_actions)
            if ((a.m_nGroup == 1 || a.m_nGroup == 2) && a.m_nCategory >= 0 && a.m_nCategory < 17)
                a.m_nCategory = kFrom3[a.m_nCategory];
    }
    m_bNormSet = true;
    const char* name = NormName(norm);
    // Any other index sets no norm in the session.
    COMBOR_SetNorm(m_hSession, name ? name : "");
}

void CLKData::ChangeNorm(int32_t norm) {
    if (norm == m_nNorm) return;
    SetNorm(norm);
    if (norm == 3 || norm == 4)
        for (auto& a : m_actions) a.m_nDurationClass = GetDefaultDurationClass(a.m_nFullGroup, a.m_nCategory);
    m_combinations.clear();
}

void CLKData::SetModus(int32_t modus) {
    if (modus < 1 || modus > 3) rigel::ShowCommonMessage(kArea, "CLKData::SetModus unzulässiger Modus vorgegeben");
    m_nModus = modus;
}

// ---------------------------------------------------------------------------
// lists from the session

std::string CLKData::SessionGroupName(int32_t full) { return combor::GetLastGruppe(m_hSession, full); }

int32_t CLKData::SessionCategoryCount() { return COMBOR_GetNumOfLastKat(m_hSession); }

void CLKData::GetGroupNames(std::vector<std::string>& names) {
    names.clear();
    m_visibleGroups.clear();
    const int n = COMBOR_GetNumOfLastGruppen(m_hSession);
    for (int i = 0; i < n; ++i) {
        const std::string name = combor::GetLastGruppe(m_hSession, i);
        const int type = COMBOR_GetLastGruppeType(m_hSession, i);
        if (type == 2 && !m_bAltLoads) continue;
        if (type == 5 && !m_bAllowGroupType5) continue;
        if (type == 6 && !m_bAllowGroupType6) continue;
        if (m_nModus == 1 && (type == 2 || type == 3 || type == 4)) continue;
        names.push_back(name);
        m_visibleGroups.push_back(i);
    }
}

void CLKData::GetCategoryNames(const std::string& group, std::vector<std::string>& names) {
    names.clear();
    COMBOR_SetLastGruppe(m_hSession, group.c_str());
    const int n = COMBOR_GetNumOfLastKat(m_hSession);
    for (int k = 0; k < n; ++k) names.push_back(combor::GetLastKat(m_hSession, k));
}

void CLKData::GetDurationClassNames(std::vector<std::string>& names) {
    names = {"ständig", "lang", "mittel", "kurz", "sehr kurz"};
}

int32_t CLKData::GetFullGroupIndex(int32_t visible) const {
    if (visible < 0 || visible >= static_cast<int32_t>(m_visibleGroups.size())) return -1;
    return m_visibleGroups[static_cast<size_t>(visible)];
}

int32_t CLKData::GetVisibleGroupIndex(int32_t full) const {
    if (full < 0) return -1;
    for (size_t i = 0; i < m_visibleGroups.size(); ++i)
        if (m_visibleGroups[i] == full) return static_cast<int32_t>(i);
    return -1;
}

int32_t CLKData::GetDefaultDurationClass(int32_t fullGroup, int32_t category) {
    if (m_nNorm == 1) return 0;
    // The categories of the action's own group count.
    if (fullGroup >= 0 && fullGroup < COMBOR_GetNumOfLastGruppen(m_hSession))
        COMBOR_SetLastGruppe(m_hSession, SessionGroupName(fullGroup).c_str());
    if (category > SessionCategoryCount() || fullGroup == 0) return 0;
    if (fullGroup == 3) return 4;
    if (fullGroup == 4) return 0;
    if (m_nNorm == 0 || m_nNorm == 2 || m_nNorm == 4 || m_nNorm == 5) {
        if (category == 2) return 1;
        if (category == 3 || category == 5 || category == 6 || category == 7) return 3;
        return 2;
    }
    if (m_nNorm == 3 && (category == 8 || category == 11)) return 3;
    return 2;
}

bool CLKData::IsNotSplitCategory(int32_t category) {
    if (m_nNorm == 1 || category > SessionCategoryCount()) return false;
    if (category == 6 && (m_nNorm == 0 || m_nNorm == 2 || m_nNorm == 4)) return true;
    if (category == 8 && m_nNorm == 3) return true;
    return false;
}

void CLKData::GetActionTexts(std::vector<std::string>& texts) {
    texts.clear();
    std::vector<std::string> groups;
    GetGroupNames(groups);
    for (const auto& a : m_actions) {
        std::string group, category;
        if (a.m_nGroup >= 0 && a.m_nGroup < static_cast<int32_t>(groups.size())) {
            group = groups[static_cast<size_t>(a.m_nGroup)];
            if (a.m_nCategory != 0 && m_nModus != 1) {
                std::vector<std::string> cats;
                GetCategoryNames(group, cats);
                if (a.m_nCategory > 0 && a.m_nCategory < static_cast<int32_t>(cats.size()))
                    category = cats[static_cast<size_t>(a.m_nCategory)];
            }
        }
        if (!category.empty())
            texts.push_back(winsys::FormatC("%d: %s, %s", a.m_nNumber, Tr(group).c_str(), Tr(category).c_str()));
        else
            texts.push_back(winsys::FormatC("%d: %s", a.m_nNumber, Tr(group).c_str()));
    }
}

// ---------------------------------------------------------------------------
// actions

std::string CLKData::GetLoadCaseText(int32_t action) const {
    if (action < 1 || action >= static_cast<int32_t>(m_loadCaseTexts.size())) return {};
    return m_loadCaseTexts[static_cast<size_t>(action)];
}

CActionRecord CLKData::GetActionByNumber(int32_t action) const {
    for (const auto& a : m_actions)
        if (a.m_nNumber == action) return a;
    return CActionRecord{};
}

void CLKData::UpdateActionsFromLoadCases() {
    m_loadCaseTexts.clear();
    for (const auto& lc : m_loadCases) {
        // The text list is indexed by action number: numbers beyond any real
        // position (a damaged document) get no text rather than a list of
        // billions of entries.
        if (lc.m_nAction < 0 || lc.m_nAction > kMaxActionNumber) continue;
        const size_t e = static_cast<size_t>(lc.m_nAction);
        if (m_loadCaseTexts.size() <= e) m_loadCaseTexts.resize(e + 1);
        std::string& t = m_loadCaseTexts[e];
        if (!t.empty()) t += ", ";
        t += std::to_string(lc.m_nLoadCase) + " ";
    }
    for (size_t e = 1; e < m_loadCaseTexts.size(); ++e) {
        auto it = std::find_if(m_actions.begin(), m_actions.end(),
                               [&](const CActionRecord& a) { return a.m_nNumber == static_cast<int32_t>(e); });
        if (it != m_actions.end()) {
            it->m_strLoadCases = m_loadCaseTexts[e];
        } else {
            CActionRecord a;
            a.m_nNumber = static_cast<int32_t>(e);
            a.m_strLoadCases = m_loadCaseTexts[e];
            m_actions.push_back(a);
        }
    }
    if (m_bSyncActions) {
        for (size_t i = m_actions.size(); i-- > 0;) {
            const int32_t n = m_actions[i].m_nNumber;
            const bool used = std::any_of(m_loadCases.begin(), m_loadCases.end(),
                                          [&](const CLoadCaseAssignment& lc) { return lc.m_nAction == n; });
            if (!used) m_actions.erase(m_actions.begin() + static_cast<std::ptrdiff_t>(i));
        }
    }
}

bool CLKData::CreateSimplifiedActions() {
    if (m_nModus != 1 && !m_actions.empty()) return false;
    for (const auto& lc : m_loadCases)
        if (lc.m_nAction > 3) {
            rigel::ShowCommonMessage(kArea, "vereinfachte Kombinationsregeln können nicht generiert werden, da "
                                            "EinwirkungsNr. > 3 vorhanden");
            return false;
        }
    m_actions.clear();
    CActionRecord a1;
    a1.m_nNumber = 1;
    CActionRecord a2;
    a2.m_nNumber = 2;
    a2.m_nGroup = 1;
    a2.m_nFullGroup = 1;
    a2.m_nDurationClass = 2;
    CActionRecord a3;
    a3.m_nNumber = 3;
    a3.m_nGroup = 1;
    a3.m_nFullGroup = 1;
    a3.m_nCategory = 6;
    a3.m_nDurationClass = 3;
    a3.m_bNotSplit = true;
    m_actions = {a1, a2, a3};
    UpdateActionsFromLoadCases();
    return true;
}

// ---------------------------------------------------------------------------
// document

void CLKData::ReadData(ZVELEM parent) {
    if (!parent) return;
    SetNorm(1);
    ZVELEM e = ZEVUD_FindFirstChild(parent, kElement);
    if (!e) return;
    // A missing mode keeps the current one (mode 0 would generate nothing).
    m_nModus = ZEVUD_GetIntWithDefault(e, "modus", m_nModus);
    SetNorm(ZEVUD_GetIntWithDefault(e, "lknorm", 0));
    m_nVersion = ZEVUD_GetIntWithDefault(e, "version", 0);
    m_bCheckWithGInf = ZEVUD_GetIntWithDefault(e, "nachweisMitGammaInf", 1) != 0;
    m_bAltLoads = ZEVUD_GetIntWithDefault(e, "mitAlternativLasten", m_bAltLoads ? 1 : 0) != 0;
    m_bAltGroups = ZEVUD_GetIntWithDefault(e, "mitAlternativGruppen", m_bAltGroups ? 1 : 0) != 0;
    m_dSnowHeight = ZEVUD_GetDouble(e, "schneeHoehe");
    m_dGInfFactor = ZEVUD_GetDoubleWithDefault(e, "GInfFactor", 1.0);
    m_dCranePsi2 = 0.77;

    if (ZVELEM sb = ZEVUD_FindFirstChild(e, "sicherheitsbeiwerte")) {
        m_psiRows.clear();
        for (ZVELEM k = ZEVUD_FindFirstChild(sb, "kombinationsbeiwerte"); k;
             k = ZEVUD_FindNextChild(k, "kombinationsbeiwerte")) {
            CPsiRecord r;
            r.m_strName = GetStr(k, "name");
            r.m_dPsi0 = ZEVUD_GetDouble(k, "psi0");
            r.m_dPsi1 = ZEVUD_GetDouble(k, "psi1");
            r.m_dPsi2 = ZEVUD_GetDouble(k, "psi2");
            m_psiRows.push_back(r);
        }
        for (int i = 0; i < kNumGamma; ++i) m_gamma[i] = ZEVUD_GetDouble(sb, kGammaNames[i]);
    }

    m_loadCases.clear();
    if (ZVELEM lfs = ZEVUD_FindFirstChild(e, "lastfaelle"))
        for (ZVELEM l = ZEVUD_FindFirstChild(lfs, "lastfall"); l; l = ZEVUD_FindNextChild(l, "lastfall")) {
            CLoadCaseAssignment a;
            a.m_nLoadCase = ZEVUD_GetInt(l, "lf");
            a.m_nAction = ZEVUD_GetInt(l, "einw");
            a.m_hElement = l;
            m_loadCases.push_back(a);
        }

    m_actions.clear();
    if (ZVELEM ews = ZEVUD_FindFirstChild(e, "einwirkungen"))
        for (ZVELEM w = ZEVUD_FindFirstChild(ews, "einwirkung"); w; w = ZEVUD_FindNextChild(w, "einwirkung")) {
            CActionRecord a;
            a.m_hElement = w;
            a.m_nNumber = ZEVUD_GetInt(w, "einw");
            a.m_strTitle = GetStr(w, "title");
            a.m_strLoadCases = GetStr(w, "lastfaelle");
            a.m_nGroup = ZEVUD_GetInt(w, "indexGruppe");
            a.m_nFullGroup = ZEVUD_GetInt(w, "indexGruppeHHHH");
            a.m_nCategory = ZEVUD_GetInt(w, "indexKategorie");
            a.m_nDurationClass = ZEVUD_GetInt(w, "indexKLED");
            a.m_bNotSplit = ZEVUD_GetInt(w, "einwNichtAufteilen") != 0;
            a.m_nMaxLoadCase = ZEVUD_GetInt(w, "lastfallMax");
            a.m_nMinLoadCase = ZEVUD_GetInt(w, "lastfallMin");
            a.m_nAltGroup = ZEVUD_GetInt(w, "alternativgruppe");
            a.m_strDesc = GetStr(w, "desc");
            a.m_bReadOnly = ZEVUD_GetInt(w, "readonly") != 0;
            a.m_nMaxMin = ZEVUD_GetInt(w, "maxmin");
            a.m_nLudaIndex = ZEVUD_GetInt(w, "indexLuda");

            if (a.m_nFullGroup == 0 && a.m_nGroup > 0) a.m_nFullGroup = a.m_nGroup;
            if (m_nVersion < 1) {
                // Old format: fifteen groups folded into five.
                const int32_t g = a.m_nFullGroup;
                int32_t full = g;
                if (g <= 0) full = 0;
                else if (g <= 5) full = 1;
                else if (g <= 12) full = 2;
                else if (g == 13) full = 3;
                else if (g == 14) full = 4;
                a.m_nFullGroup = full;
                if (m_bAltLoads) {
                    a.m_nGroup = full;
                } else if (full == 0) {
                    a.m_nGroup = 0;
                } else if (full == 1) {
                    a.m_nGroup = 1;
                } else if (full == 3) {
                    a.m_nGroup = 2;
                } else if (full == 4) {
                    a.m_nGroup = 3;
                } else if (full == 2) {
                    winsys::MessageBox(
                        "Beim Konvertieren der Einwirkungen ist ein Fehler mit einer alternativen Einwirkung "
                        "aufgetreten");
                }
                if (m_nNorm != 1) {
                    static const int32_t map[10] = {0, 0, 1, 2, 6, 7, 8, 9, 10, 11};
                    if (a.m_nCategory >= 1 && a.m_nCategory <= 9) a.m_nCategory = map[a.m_nCategory];
                    if (a.m_nFullGroup == 4) a.m_nCategory = 0;
                } else {
                    a.m_nCategory = 0;
                }
            }
            if (a.m_nFullGroup == 0) {
                a.m_nCategory = 0;
                a.m_nAltGroup = 0;
                a.m_bNotSplit = false;
                a.m_nDurationClass = 0;
            }
            m_actions.push_back(a);
        }
    if (m_actions.empty()) CreateSimplifiedActions();

    m_combinations.clear();
    if (ZVELEM rs = ZEVUD_FindFirstChild(e, "results"))
        for (ZVELEM r = ZEVUD_FindFirstChild(rs, "result"); r; r = ZEVUD_FindNextChild(r, "result")) {
            CCombinationRecord c;
            c.m_strType = GetStr(r, "art");
            c.m_strRule = GetStr(r, "regel");
            c.m_strRuleUser = GetStr(r, "regelUser");
            c.m_strDesc = GetStr(r, "desc");
            m_combinations.push_back(c);
        }
}

void CLKData::SetSessionVariables(bool withGInf) {
    if (m_nNorm == 2) COMBOR_SetVariable(m_hSession, "h", m_dSnowHeight > 1.0 ? m_dSnowHeight : 1.0);
    if (m_nNorm == 3 || m_nNorm == 4 || m_nNorm == 5) COMBOR_SetVariable(m_hSession, "psi2_vadu", m_dCranePsi2);
    if (withGInf) COMBOR_SetVariable(m_hSession, "GInfFactor", m_dGInfFactor);
}

void CLKData::WriteData(ZVELEM parent) {
    if (!parent || !m_bNormSet) return;
    for (ZVELEM old = ZEVUD_FindFirstChild(parent, kElement); old; old = ZEVUD_FindFirstChild(parent, kElement))
        if (!ZEVUD_DeleteElement(old)) break;
    ZVELEM e = ZEVUD_AddChildElement(parent, kElement);
    if (!e) return;
    ZEVUD_SetInt(e, "modus", m_nModus);
    ZEVUD_SetInt(e, "lknorm", m_nNorm);
    ZEVUD_SetInt(e, "version", 2);
    ZEVUD_SetInt(e, "nachweisMitGammaInf", m_bCheckWithGInf ? 1 : 0);
    ZEVUD_SetInt(e, "mitAlternativLasten", m_bAltLoads ? 1 : 0);
    ZEVUD_SetInt(e, "mitAlternativGruppen", m_bAltGroups ? 1 : 0);
    ZEVUD_SetDouble(e, "schneeHoehe", m_dSnowHeight);
    ZEVUD_SetDouble(e, "psi2_vadu", m_dCranePsi2);
    ZEVUD_SetDouble(e, "GInfFactor", m_dGInfFactor);

    SetSessionVariables(false);

    std::vector<std::string> titles;
    GetActionTexts(titles);
    for (size_t i = 0; i < m_actions.size() && i < titles.size(); ++i) m_actions[i].m_strTitle = titles[i];

    RefreshFactors();

    ZVELEM sb = ZEVUD_FindFirstChild(e, "sicherheitsbeiwerte");
    if (!sb) sb = ZEVUD_AddChildElement(e, "sicherheitsbeiwerte");
    for (const auto& r : m_psiRows) {
        ZVELEM k = ZEVUD_AddChildElement(sb, "kombinationsbeiwerte");
        ZEVUD_SetString(k, "name", r.m_strName.c_str());
        ZEVUD_SetDouble(k, "psi0", r.m_dPsi0);
        ZEVUD_SetDouble(k, "psi1", r.m_dPsi1);
        ZEVUD_SetDouble(k, "psi2", r.m_dPsi2);
    }
    for (int i = 0; i < kNumGamma; ++i) ZEVUD_SetDouble(sb, kGammaNames[i], m_gamma[i]);

    // Descriptions: the category, else the kind of the group (untranslated).
    std::vector<std::string> groups;
    GetGroupNames(groups);
    for (auto& a : m_actions) {
        std::string text;
        if (a.m_nCategory >= 0 && m_nModus != 1 && a.m_nGroup >= 0 && a.m_nGroup < static_cast<int32_t>(groups.size())) {
            std::vector<std::string> cats;
            GetCategoryNames(groups[static_cast<size_t>(a.m_nGroup)], cats);
            if (a.m_nCategory < static_cast<int32_t>(cats.size())) text = cats[static_cast<size_t>(a.m_nCategory)];
        }
        if (text.empty()) {
            if (a.m_nFullGroup == 0 || a.m_nFullGroup == 4) text = "ständig";
            else if (a.m_nFullGroup == 1 || a.m_nFullGroup == 2) text = "veränderlich";
            else if (a.m_nFullGroup == 3) text = "außergewöhnlich";
        }
        a.m_strDesc = text.empty() ? std::to_string(a.m_nNumber)
                                   : winsys::FormatC("%d: %s", a.m_nNumber, text.c_str());
    }

    const bool anyLoadCase = std::any_of(m_loadCases.begin(), m_loadCases.end(), [](const CLoadCaseAssignment& l) {
        return l.m_nLoadCase > 0 && l.m_nAction > 0;
    });
    if (anyLoadCase) {
        ZVELEM lfs = ZEVUD_AddChildElement(e, "lastfaelle");
        for (const auto& l : m_loadCases) {
            if (l.m_nLoadCase <= 0 || l.m_nAction <= 0) continue;
            ZVELEM x = ZEVUD_AddChildElement(lfs, "lastfall");
            ZEVUD_SetInt(x, "lf", l.m_nLoadCase);
            ZEVUD_SetInt(x, "einw", l.m_nAction);
        }
    }
    if (!m_actions.empty()) {
        ZVELEM ews = ZEVUD_AddChildElement(e, "einwirkungen");
        for (auto& a : m_actions) {
            if (a.m_nNumber <= 0) continue;
            if (a.m_nAltGroup < 0) a.m_nAltGroup = 0;
            ZVELEM w = ZEVUD_AddChildElement(ews, "einwirkung");
            ZEVUD_SetInt(w, "einw", a.m_nNumber);
            ZEVUD_SetString(w, "title", a.m_strTitle.c_str());
            ZEVUD_SetString(w, "lastfaelle", a.m_strLoadCases.c_str());
            ZEVUD_SetInt(w, "indexGruppe", a.m_nGroup);
            ZEVUD_SetInt(w, "indexGruppeHHHH", a.m_nFullGroup);
            ZEVUD_SetInt(w, "indexKategorie", a.m_nCategory);
            ZEVUD_SetInt(w, "indexKLED", a.m_nDurationClass);
            ZEVUD_SetInt(w, "einwNichtAufteilen", a.m_bNotSplit ? 1 : 0);
            ZEVUD_SetInt(w, "lastfallMax", a.m_nMaxLoadCase);
            ZEVUD_SetInt(w, "lastfallMin", a.m_nMinLoadCase);
            ZEVUD_SetInt(w, "alternativgruppe", a.m_nAltGroup);
            ZEVUD_SetString(w, "desc", a.m_strDesc.c_str());
            ZEVUD_SetInt(w, "readonly", a.m_bReadOnly ? 1 : 0);
            ZEVUD_SetInt(w, "maxmin", a.m_nMaxMin);
            ZEVUD_SetInt(w, "indexLuda", a.m_nLudaIndex);
        }
    }
    ZVELEM rs = ZEVUD_AddChildElement(e, "results");
    for (const auto& c : m_combinations) {
        ZVELEM r = ZEVUD_AddChildElement(rs, "result");
        ZEVUD_SetString(r, "art", c.m_strType.c_str());
        ZEVUD_SetString(r, "regel", c.m_strRule.c_str());
        ZEVUD_SetString(r, "regelUser", c.m_strRuleUser.c_str());
        if (!c.m_strDesc.empty()) ZEVUD_SetString(r, "desc", c.m_strDesc.c_str());
    }
}

void CLKData::RefreshFactors() {
    m_psiRows.clear();
    SetNorm(m_nNorm);
    COMBOR_SetVariable(m_hSession, "GInfFactor", m_dGInfFactor);

    const int groups = COMBOR_GetNumOfLastGruppen(m_hSession);
    int group = -1;
    for (int i = 0; i < groups; ++i)
        if (COMBOR_GetLastGruppeType(m_hSession, i) == 1) {
            group = i;
            break;
        }
    // Without a group of type 1 the last group gives the rows; a norm
    // without groups gives none.
    if (group < 0 && groups > 0) group = groups - 1;
    if (group >= 0) {
        COMBOR_SetLastGruppe(m_hSession, SessionGroupName(group).c_str());
        const int n = COMBOR_GetNumOfLastKat(m_hSession);
        for (int k = 0; k < n; ++k) {
            double psi[3] = {0, 0, 0};
            COMBOR_GetPsi(m_hSession, group, k, psi);
            CPsiRecord r;
            r.m_strName = combor::GetLastKat(m_hSession, k);
            r.m_dPsi0 = psi[0];
            r.m_dPsi1 = psi[1];
            r.m_dPsi2 = psi[2];
            m_psiRows.push_back(r);
        }
    }

    enum { G_FAV, G_UNF, Q_FAV, Q_UNF, G_SUP, G_INF, G_A, STB1, STB2, STB3, DST1, DST2, DST3, QDST1, QDST2, QDST3,
           G1, G2, G3, Q1, Q2, Q3, E0G1, E0G2, E0G3 };
    struct Row {
        int a, b, first, second;  // -1 = not used
    };
    static const Row rows[] = {
        {0, 0, G_FAV, G_UNF}, {1, 0, Q_FAV, Q_UNF}, {0, 6, G_INF, G_SUP}, {3, 1, G_A, -1},
        {0, 6, STB1, DST1},   {0, 7, STB2, DST2},   {0, 8, STB3, DST3},   {1, 6, -1, QDST1},
        {1, 7, -1, QDST2},    {1, 8, -1, QDST3},    {0, 9, -1, G1},       {0, 10, -1, G2},
        {0, 11, -1, G3},      {1, 9, -1, Q1},       {1, 10, -1, Q2},      {1, 11, -1, Q3},
    };
    for (const Row& r : rows) {
        double g[2] = {0, 0};
        COMBOR_GetGamma(m_hSession, r.a, r.b, g);
        if (r.first >= 0) m_gamma[r.first] = g[0];
        if (r.second >= 0) m_gamma[r.second] = g[1];
    }
    m_gamma[E0G1] = 1.2;
    m_gamma[E0G2] = 1.1;
    m_gamma[E0G3] = 1.0;
}
