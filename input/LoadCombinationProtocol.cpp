// Load-combination generation run of the settings and the generator's
// protocol files stored in the position document.
#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>

#include "input/LKData.h"
#include "module/frame/ModuleMessages.h"

namespace {

constexpr const char* kArea = "LKDlg";

// Check indices passed for each norm: the settings' switch that feeds each
// index (-1 = the accidental flag); an index missing from a norm's list is
// not passed.
const std::vector<int>& CheckSwitches(int32_t norm) {
    static const std::vector<int> none;
    static const std::vector<int> n1 = {0, -1, 3, 14, 14, 15};
    static const std::vector<int> n2 = {0, -1, 3, 4, 6, 7, 8, 9, 10, 11, 12, 13, 14, 14, 15};
    static const std::vector<int> n3 = {0, -1, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 14, 14, 15};
    static const std::vector<int> n045 = {0, -1, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 14, 15};
    switch (norm) {
        case 0: case 4: case 5: return n045;
        case 1: return n1;
        case 2: return n2;
        case 3: return n3;
        default: return none;
    }
}

// Replaces every load-case marker "(j)" of a rule by the name of load case j,
// in one pass over the rule (a name that itself looks like a marker is not
// replaced again).
std::string NameLoadCases(const std::string& rule, const std::vector<std::string>& names) {
    std::string out;
    size_t i = 0;
    while (i < rule.size()) {
        if (rule[i] == '(') {
            size_t j = i + 1;
            while (j < rule.size() && std::isdigit(static_cast<unsigned char>(rule[j]))) ++j;
            if (j > i + 1 && j < rule.size() && rule[j] == ')' && j - i - 1 <= 9) {
                const long lc = std::stol(rule.substr(i + 1, j - i - 1));
                if (lc >= 1 && static_cast<size_t>(lc) <= names.size()) {
                    out += names[static_cast<size_t>(lc - 1)];
                    i = j + 1;
                    continue;
                }
            }
        }
        out += rule[i++];
    }
    return out;
}

}  // namespace

bool CLKData::CheckDuplicateActions() {
    for (size_t i = 0; i < m_actions.size(); ++i) {
        const int32_t n = m_actions[i].m_nNumber;
        if (n <= 0) continue;
        for (size_t k = 0; k < m_actions.size(); ++k)
            if (k != i && m_actions[k].m_nNumber == n) {
                rigel::ShowCommonMessage(kArea, "Einwirkung %d ist mehrfach definiert worden", n);
                return false;
            }
    }
    return true;
}

bool CLKData::Generate(int /*unused*/) {
    m_strRefusal.clear();
    if (m_bGenerationOff) return false;
    std::vector<std::string> groupNames;
    GetGroupNames(groupNames);
    COMBOR_ClearLFEW(m_hSession);
    COMBOR_SetNoGammaPsi(m_hSession, m_bNoGammaPsi ? 1 : 0);
    const int groups = COMBOR_GetNumOfLastGruppen(m_hSession);

    bool accidental = false;
    int passed = 0;
    std::vector<std::string> names;  // generated load cases (modes 1 and 2), index = case - 1
    auto visibleToFull = [&](CActionRecord& a) {
        if (a.m_nGroup >= 0 && a.m_nGroup < static_cast<int32_t>(m_visibleGroups.size()))
            a.m_nFullGroup = m_visibleGroups[static_cast<size_t>(a.m_nGroup)];
    };

    if (m_nModus == 3) {
        for (const auto& lc : m_loadCases)
            if (lc.m_nAction != 0) {
                COMBOR_SetLastfall(m_hSession, lc.m_nLoadCase, lc.m_nAction);
                ++passed;
            }
        for (const CSpanShare& sh : m_spanShares)
            COMBOR_SetFeldanteil(m_hSession, sh.m_nShare, sh.m_nLoadCase, sh.m_nSpan);
        for (auto& a : m_actions) {
            if (a.m_nNumber <= 0 || a.m_nFullGroup < 0) continue;
            const bool favourable = !(a.m_nFullGroup == 0 && !m_bCheckWithGInf);
            if (groups > 0 && a.m_nFullGroup > groups - 1) a.m_nFullGroup = 0;
            COMBOR_SetLastGruppe(m_hSession, combor::GetLastGruppe(m_hSession, a.m_nFullGroup).c_str());
            const int cats = COMBOR_GetNumOfLastKat(m_hSession);
            if (cats > 0 && (a.m_nCategory < 0 || a.m_nCategory > cats - 1)) a.m_nCategory = 0;
            COMBOR_DefEinw(m_hSession, a.m_nNumber, a.m_nFullGroup, a.m_nCategory, favourable ? 1 : 0);
            // A load the user has not kept whole is arranged span by span.
            COMBOR_SetEinwFeldweise(m_hSession, a.m_nNumber, a.m_bNotSplit ? 0 : 1);
            if (a.m_nFullGroup == 3) accidental = true;
            a.m_nMaxLoadCase = 0;
            a.m_nMinLoadCase = 0;
            visibleToFull(a);
        }
    } else {
        // Load cases generated from the actions, in lists that grow with them.
        std::vector<int32_t> actionOf;
        for (auto& a : m_actions) {
            if (a.m_nNumber <= 0 || a.m_nFullGroup < 0) continue;
            const std::string& t = a.m_strLoadCases;
            const int32_t c = static_cast<int32_t>(actionOf.size()) + 1;
            if (a.m_nGroup == 0) {
                a.m_nMaxLoadCase = c;
                a.m_nMinLoadCase = 0;
                actionOf.push_back(a.m_nNumber);
                names.push_back("(" + t + ")");
            } else {
                a.m_nMaxLoadCase = c;
                a.m_nMinLoadCase = c + 1;
                actionOf.push_back(a.m_nNumber);
                actionOf.push_back(a.m_nNumber);
                names.push_back("(max " + t + ")");
                names.push_back("(min " + t + ")");
            }
            visibleToFull(a);
        }
        for (size_t j = 0; j < actionOf.size(); ++j) {
            COMBOR_SetLastfall(m_hSession, static_cast<int>(j + 1), actionOf[j]);
            ++passed;
        }
        for (const auto& a : m_actions) {
            if (a.m_nNumber <= 0 || a.m_nFullGroup < 0) continue;
            if (a.m_nFullGroup == 0) {
                COMBOR_DefEinw(m_hSession, a.m_nNumber, 0, 0, m_bCheckWithGInf ? 1 : 0);
            } else if (a.m_nFullGroup == 1 || a.m_nFullGroup == 2) {
                COMBOR_DefEinw(m_hSession, a.m_nNumber, 2, a.m_nCategory, 0);
            } else if (a.m_nFullGroup == 3) {
                COMBOR_DefEinw(m_hSession, a.m_nNumber, 3, a.m_nCategory, 0);
                accidental = true;
            }
        }
    }
    m_generatedNames = names;

    if (passed == 0) return false;
    if (m_actions.empty()) {
        rigel::ShowCommonMessage(kArea, "Es ist keine Einwirkung definiert worden");
        return false;
    }
    if (!CheckDuplicateActions()) return false;

    for (size_t i = 0; i < m_varNames.size() && i < m_varValues.size(); ++i)
        COMBOR_SetVariable(m_hSession, m_varNames[i].c_str(), m_varValues[i]);
    SetSessionVariables(true);

    const auto& switches = CheckSwitches(m_nNorm);
    const bool a = (m_bChecks[1] && accidental) || m_bChecks[2];
    for (size_t idx = 0; idx < switches.size(); ++idx) {
        const int sw = switches[idx];
        COMBOR_EnableNachweis(m_hSession, static_cast<int>(idx), (sw < 0 ? a : m_bChecks[sw]) ? 1 : 0);
    }

    if (!COMBOR_Calc(m_hSession)) {
        // The generator refused (invalid input or too many combinations):
        // say why and keep the combinations as they were.
        m_strRefusal = combor::GetLastError(m_hSession);
        if (m_strRefusal.empty()) m_strRefusal = "?";
        rigel::ShowCommonMessage(kArea, "Die Lastfallkombinationen konnten nicht erzeugt werden:\n%s", m_strRefusal);
        return false;
    }

    m_combinations.clear();
    const int n = COMBOR_GetNumOfKombi(m_hSession);
    m_combinations.resize(static_cast<size_t>(std::max(n, 0)));
    for (int k = 0; k < n; ++k) {
        CCombinationRecord& c = m_combinations[static_cast<size_t>(k)];
        c.m_strType = combor::GetKombiTypStr(m_hSession, k);
        c.m_strRule = combor::GetKombiStr(m_hSession, k);
        c.m_strRuleUser = c.m_strRule;
        if (m_bReadFactors) {
            const int f = COMBOR_GetNumOfFaktoren(m_hSession, k);
            c.m_factors.assign(static_cast<size_t>(std::max(f, 0)), 0.0);
            if (f > 0) COMBOR_GetKombi(m_hSession, k, c.m_factors.data(), f);
        }
    }
    if (m_nModus != 3)
        for (auto& c : m_combinations) c.m_strRuleUser = NameLoadCases(c.m_strRule, names);
    return true;
}

void CLKData::StoreProtocolFiles() {
    if (!m_bNormSet) return;
    const ZVDOC doc = m_ownerDocument ? m_ownerDocument() : 0;
    const ZVELEM root = doc ? ZEVUD_GetRootElement(doc) : 0;
    if (!root) return;
    // The files are written to unique temporary names, so that positions
    // calculated side by side never share them; the attributes keep their
    // names.
    auto store = [&](int gammaPsi, int rules, const std::string& name, const char* attr) {
        const std::filesystem::path stem = std::filesystem::path(name).stem();
        const std::filesystem::path file = winsys::UniqueTempFile(stem.string(), ".rtf");
        if (file.empty()) return;
        if (COMBOR_Protokoll(m_hSession, gammaPsi, rules, file.c_str())) {
            ZVELEM files = ZEVUD_FindFirstChild(root, "rtfFiles");
            if (!files) files = ZEVUD_AddChildElement(root, "rtfFiles");
            ZEVUD_StoreFileInAttr(files, attr, file.c_str(), 1);
        }
        std::error_code ec;
        std::filesystem::remove(file, ec);
    };
    if (m_bWriteGammaPsiProtocol) store(1, 0, m_strGammaPsiFile, "lastueberlagerung_gammaPsi");
    if (m_bWriteRulesProtocol) {
        if (m_bRulesEditable) {
            COMBOR_SetNumOfKombi(m_hSession, static_cast<int>(m_combinations.size()));
            for (size_t k = 0; k < m_combinations.size(); ++k) {
                COMBOR_SetKombiStr(m_hSession, static_cast<int>(k), m_combinations[k].m_strRule.c_str());
                COMBOR_SetKombiTypStr(m_hSession, static_cast<int>(k), m_combinations[k].m_strType.c_str());
            }
        }
        store(0, 1, m_strRulesFile, "lastueberlagerung_kombRegeln");
    }
}
