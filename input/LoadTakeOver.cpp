#include "input/LoadTakeOver.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstring>
#include <filesystem>

#include "module/frame/BinaryArrays.h"
#include "module/frame/ProgDB.h"
#include "module/frame/Utilities.h"
#include "platform/lingo/lingo.h"
#include "platform/winsys/winsys.h"
#include "platform/zevud/conveniences.h"
#include "platform/zevud/results_tie.h"

namespace fs = std::filesystem;

namespace {

constexpr double kEps = 0.001;
// Larger counts in a damaged map element are refused.
constexpr int32_t kMaxMapEntries = 100000;

std::string Tr(const char* text) { return lingo::Translate("VKT Eingabe", "velor_i_common", "LUDlg", text); }

std::string Lower(std::string s) { return winsys::ToLowerAscii(std::move(s)); }

bool StartsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

// The larger of two values by magnitude; a on a tie.
double LargerMagnitude(double a, double b) { return std::fabs(b) > std::fabs(a) ? b : a; }

// The leading integer of a text (blanks skipped), like atoi; 0 when none.
int32_t LeadingInt(const std::string& s) {
    size_t i = 0;
    while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i]))) ++i;
    size_t consumed = 0;
    auto v = winsys::ParseInt(std::string_view(s).substr(i), &consumed);
    if (!v || *v > 2147483647LL || *v < -2147483647LL) return 0;
    return static_cast<int32_t>(*v);
}

void ReadMap(ZVELEM el, std::vector<int32_t>& map) {
    map.clear();
    if (!el) return;
    int32_t count = 0;
    const int n = ZEVUD_GetAttrCount(el);
    for (int i = 0; i < n; ++i) {
        const std::string name = zevud::GetAttrName(el, i);
        if (name == "dataLength") {
            count = std::clamp(ZEVUD_GetInt(el, "dataLength"), 0, kMaxMapEntries);
        } else if (name == "data") {
            // Entries the stored data does not hold stay 0.
            map.assign(static_cast<size_t>(count), 0);
            const std::vector<int32_t> stored = zevud::GetInts(el, "data", count);
            std::copy(stored.begin(), stored.end(), map.begin());
        }
    }
}

void WriteMap(ZVELEM lu, const char* name, const std::vector<int32_t>& map) {
    binarray::WriteCountedInts(lu, name, map);
}

bool IsPermanent(int32_t group) { return group == 0 || group == 4; }
bool IsVariable(int32_t group) { return group == 1 || group == 2; }

// Applies a sign reversal to five values starting at `first` (max, min, g,
// max-g, min-g), keeping max >= min.
void Reverse(CTakeOverLoad& l, int first) {
    for (int i = 0; i < 5; ++i) l.SetV(first + i, -l.V(first + i));
    if (!(l.V(first) >= l.V(first + 1))) {
        const double a = l.V(first), b = l.V(first + 1);
        l.SetV(first, b);
        l.SetV(first + 1, a);
    }
    if (!(l.V(first + 3) >= l.V(first + 4))) {
        const double a = l.V(first + 3), b = l.V(first + 4);
        l.SetV(first + 3, b);
        l.SetV(first + 4, a);
    }
}

int Pick(std::array<int, 4> codes, int r) { return codes[static_cast<size_t>(r)]; }

int CodeDirection(int code) {
    switch (code) {
        case 10: case -10: return 0;
        case 11: case -11: return 1;
        case 12: return 2;
        default: return -1;
    }
}

// Closes a document at the end of a scope.
struct DocCloser {
    ZVDOC doc = 0;
    ~DocCloser() {
        if (doc) ZEVUD_CloseDoc(doc);
    }
};

}  // namespace

// ---- kinds ---------------------------------------------------------------------

std::string GetModuleKey(ZVELEM root) {
    if (!root) return {};
    return MakeModuleKey(zevud::GetString(root, "progname"), zevud::GetString(root, "modulename"));
}

ELuFamily GetLuFamily(const std::string& key) {
    const std::string f = key.substr(0, std::min<size_t>(4, key.size()));
    if (f == "dach") return ELuFamily::Roof;
    if (f == "trae" || f == "rige" || f == "dene") return ELuFamily::Beam;
    if (f == "stue") return ELuFamily::Column;
    if (f == "wand") return ELuFamily::Wall;
    if (f == "plat") return ELuFamily::Plate;
    if (f == "vadu" || f == "kran") return ELuFamily::Crane;
    return ELuFamily::Other;
}

ELuSourceKind GetLuSourceKind(const std::string& key) {
    // This module's crane runways are crane sources; its member design and
    // the sister module are read the member-design way.
    if (StartsWith(key, "vadu") || StartsWith(key, "kranb")) return ELuSourceKind::Crane;
    if (key.find("rigel") != std::string::npos || key.find("deneb") != std::string::npos)
        return ELuSourceKind::MemberDesign;
    struct Row {
        const char* prefix;
        ELuSourceKind kind;
    };
    static const Row rows[] = {
        {"traeh1", ELuSourceKind::SpacedBeam},     {"traeh2", ELuSourceKind::SpacedBeam},
        {"traeh3", ELuSourceKind::SpacedBeam},     {"traeh4", ELuSourceKind::SpacedBeam},
        {"traeh5", ELuSourceKind::SpacedBeamLast}, {"traez1", ELuSourceKind::AxialBeam},
        {"traez2", ELuSourceKind::AxialBeam},      {"traez3", ELuSourceKind::AxialBeam},
        {"traez4", ELuSourceKind::AxialBeam},      {"traev", ELuSourceKind::FlaggedBeam},
        {"trael", ELuSourceKind::Light},           {"stuel", ELuSourceKind::Light},
        {"stueb", ELuSourceKind::StageColumn},     {"stuev", ELuSourceKind::FlaggedColumn},
        {"stue", ELuSourceKind::Column},           {"dach", ELuSourceKind::Roof},
        {"wand", ELuSourceKind::Wall},             {"plat", ELuSourceKind::Plate},
    };
    for (const Row& r : rows)
        if (StartsWith(key, r.prefix)) return r.kind;
    return ELuSourceKind::Other;
}

int GetLuSourceCategory(ELuSourceKind kind) {
    switch (kind) {
        case ELuSourceKind::Other: return 0;
        case ELuSourceKind::Plate: return 2;
        case ELuSourceKind::Crane: return 3;
        default: return 1;
    }
}

bool GetLuOwnGroups(ELuSourceKind kind) {
    switch (kind) {
        case ELuSourceKind::MemberDesign:
        case ELuSourceKind::FlaggedBeam:
        case ELuSourceKind::StageColumn:
        case ELuSourceKind::FlaggedColumn:
        case ELuSourceKind::Plate:
        case ELuSourceKind::Crane: return true;
        default: return false;
    }
}

void FillLoadValues(int loadType, int d, int m, double values[6], double F, double M) {
    for (int i = 0; i < 6; ++i) values[i] = 0.0;
    if (d < 0 || d > 2 || m < -1 || m > 2) return;
    switch (loadType) {
        case 0: values[d] = F; break;
        case 6: values[3 + (m == -1 ? d : m)] = M; break;
        case 10:
        case 13:
            values[d] = F;
            if (m != -1)
                values[3 + m] = M;
            else
                values[d == 0 ? 4 : d == 1 ? 3 : 5] = M;
            break;
        default: break;
    }
}

// ---- CTakeOverLoad ----------------------------------------------------------------

void CTakeOverLoad::Reset() { *this = CTakeOverLoad(); }

bool CTakeOverLoad::HasForces(double limit) const {
    for (int i = kFMax; i <= kFMinG; ++i)
        if (std::fabs(V(i)) > limit) return true;
    return false;
}

bool CTakeOverLoad::HasMoments(double limit) const {
    for (int i = kMMax; i <= kMMinG; ++i)
        if (std::fabs(V(i)) > limit) return true;
    return false;
}

// ---- LUData: records and document ---------------------------------------------------

LUData::LUData() { Reset(); }
LUData::~LUData() = default;

void LUData::Reset() {
    m_takeOverLoads.clear();
    m_loads.clear();
    m_strPosition.clear();
    m_strAuflager.clear();
    m_strSrcKey.clear();
    m_strDestKey.clear();
    m_iRichtung = m_iEinwModus = m_iEinwKatModus = 0;
    m_bEinzelLast = m_bStreckenLast = 0;
    m_xa.SetValue(0.0);
    m_xl.SetValue(0.0);
    m_e = 1.0;
    m_dFaktor = 1.0;
    m_bEModByUser = false;
    m_bAktiv = true;
    m_iEinwMod = 0;
    m_nVersion = 1;
    m_nCalcCount = 0;
    m_nIndex = 0;
    m_einwSrc2DestMax.clear();
    m_einwSrc2DestMin.clear();
    m_optionTexts.clear();
    m_optionTexts2.clear();
    m_groups.clear();
    m_assignedAltGroups.clear();
    m_current.Reset();
}

void LUData::SetModuleKeys(const std::string& sourceKey, const std::string& destKey) {
    m_strSrcKey = sourceKey;
    m_strDestKey = destKey;
    m_kind = GetLuSourceKind(sourceKey);
    m_nCategory = GetLuSourceCategory(m_kind);
    m_bOwnGroups = GetLuOwnGroups(m_kind);
}

bool LUData::ReadData(ZVELEM element, bool first, ZVELEM after) {
    if (!element) return false;
    ZVELEM lu = first ? ZEVUD_FindFirstChild(element, "lu") : (after ? ZEVUD_FindNextChild(after, "lu") : 0);
    m_hElement = lu;
    if (!lu) return false;
    m_nVersion = ZEVUD_GetInt(lu, "version");
    m_strPosition = zevud::GetString(lu, "position");
    m_strAuflager = zevud::GetString(lu, "auflager");
    SetModuleKeys(zevud::GetString(lu, "progModul"), m_strDestKey);
    m_iEinwModus = ZEVUD_GetInt(lu, "einwModus");
    m_iEinwKatModus = ZEVUD_GetInt(lu, "einwKatModus");
    m_iRichtung = ZEVUD_GetInt(lu, "richtung");
    m_xa = ReadFormulaValue(lu, "xa");
    m_xl = ReadFormulaValue(lu, "xl");
    m_e = ZEVUD_GetDouble(lu, "e");
    m_dFaktor = ZEVUD_GetDouble(lu, "Faktor");
    m_bEModByUser = ZEVUD_GetDouble(lu, "eModByUser") != 0.0;
    m_bEinzelLast = ZEVUD_GetInt(lu, "einzelLast");
    m_bStreckenLast = ZEVUD_GetInt(lu, "streckenLast");
    m_bAktiv = ZEVUD_GetInt(lu, "aktiv") != 0;
    m_iEinwMod = ZEVUD_GetInt(lu, "einwMod");
    if (!(m_e >= 0.001)) m_e = 1.0;  // also a value that is no number
    if (!(std::fabs(m_dFaktor) >= 0.001)) m_dFaktor = 1.0;
    ReadMap(ZEVUD_FindFirstChild(lu, "EinwSrc2DestMax"), m_einwSrc2DestMax);
    ReadMap(ZEVUD_FindFirstChild(lu, "EinwSrc2DestMin"), m_einwSrc2DestMin);
    m_loads.clear();
    for (ZVELEM l : zevud::Children(lu, "load")) {
        CLoadDef def;
        def.ReadData(l);
        m_loads.push_back(def);
    }
    m_bMapsBuilt = false;
    return true;
}

void LUData::WriteData(ZVELEM element) {
    if (!element) return;
    ZVELEM lu = ZEVUD_AddChildElement(element, "lu");
    if (!lu) return;
    ZEVUD_SetInt(lu, "version", m_nVersion);
    ZEVUD_SetString(lu, "position", m_strPosition.c_str());
    ZEVUD_SetString(lu, "auflager", m_strAuflager.c_str());
    ZEVUD_SetString(lu, "progModul", m_strSrcKey.c_str());
    ZEVUD_SetInt(lu, "einwModus", m_iEinwModus);
    ZEVUD_SetInt(lu, "einwKatModus", m_iEinwKatModus);
    ZEVUD_SetInt(lu, "richtung", m_iRichtung);
    WriteFormulaValue(lu, "xa", m_xa);
    WriteFormulaValue(lu, "xl", m_xl);
    ZEVUD_SetDouble(lu, "e", std::isfinite(m_e) ? m_e : 1.0);
    ZEVUD_SetDouble(lu, "Faktor", std::isfinite(m_dFaktor) ? m_dFaktor : 1.0);
    ZEVUD_SetInt(lu, "eModByUser", m_bEModByUser ? 1 : 0);
    ZEVUD_SetInt(lu, "einzelLast", m_bEinzelLast);
    ZEVUD_SetInt(lu, "streckenLast", m_bStreckenLast);
    ZEVUD_SetInt(lu, "aktiv", m_bAktiv ? 1 : 0);
    ZEVUD_SetInt(lu, "einwMod", m_iEinwMod);
    WriteMap(lu, "EinwSrc2DestMax", m_einwSrc2DestMax);
    WriteMap(lu, "EinwSrc2DestMin", m_einwSrc2DestMin);
    if (!m_bAktiv) return;
    const bool line = IsLineLoad();
    for (CLoadDef& def : m_loads) {
        if (line) {
            def.m_iLoadType = 13;
        } else {
            def.m_iLoadType = 10;
            def.m_length.SetValue(0.0);
        }
        def.WriteData(ZEVUD_AddChildElement(lu, "load"));
    }
}

std::string LUData::SourcePath() const {
    const std::string file = m_strPosition + ".vkx";
    fs::path p(winsys::ToSlashPath(file));
    if (p.is_absolute()) return p.string();
    // Positions of one project lie side by side: look beside the destination
    // document first, then take the name as it stands (current directory).
    if (m_pDest && m_pDest->GetDocument()) {
        const std::string own = zevud::GetCompleteFileName(m_pDest->GetDocument());
        if (!own.empty()) {
            fs::path beside = fs::path(own).parent_path() / p;
            fs::path resolved = winsys::ResolveCaseInsensitive(beside);
            std::error_code ec;
            if (fs::is_regular_file(resolved, ec)) return resolved.string();
        }
    }
    return p.string();
}

// ---- reading the source ---------------------------------------------------------------

int32_t LUData::SourceActionCount() const {
    return m_pSrcLK ? static_cast<int32_t>(m_pSrcLK->m_actions.size()) : 0;
}

const CActionRecord* LUData::SourceAction(int32_t n) const {
    if (!m_pSrcLK || m_pSrcLK->m_actions.empty()) return nullptr;
    if (n < 1) n = 1;
    if (n > SourceActionCount()) return nullptr;
    return &m_pSrcLK->m_actions[static_cast<size_t>(n - 1)];
}

int32_t LUData::MapStageAction(int32_t n) const {
    if (n == 1) return 1;
    if (!m_pSrcLK) return -1;
    int first = 0, second = 0;
    int32_t index = 0;
    for (const CActionRecord& a : m_pSrcLK->m_actions) {
        ++index;
        bool inFirst = false, inSecond = false;
        if (!m_bOwnGroups) {
            if (a.m_nFullGroup == 1) (a.m_nAltGroup != -1 ? inFirst : inSecond) = true;
        } else {
            inFirst = a.m_nFullGroup == 1;
            inSecond = a.m_nFullGroup == 2;
        }
        if (inFirst) {
            ++first;
            if (n >= 2 && n <= 6 && first == n - 1) return index;
        }
        if (inSecond) {
            ++second;
            if (n >= 7 && n <= 13 && second == n - 6) return index;
        }
        if (n == 14 && a.m_nFullGroup == 3) return index;
    }
    return -1;
}

void LUData::ReadValue(ZVELEM value) {
    const std::string desc = zevud::GetString(value, "desc");
    if (desc.empty()) return;
    const std::string unit = zevud::GetString(value, "unit");
    bool moment = false;
    if (unit == "kN") {
        m_current.m_iLoadType = 10;
    } else if (unit == "kNm") {
        m_current.m_iLoadType = 10;
        moment = true;
    } else if (unit == "kN/m") {
        m_current.m_iLoadType = 0;
    } else if (unit == "kNm/m") {
        m_current.m_iLoadType = 13;
        moment = true;
    }
    if (m_nCategory != 1) return;
    const double v = ZEVUD_GetDouble(value, "val");
    if (!std::isfinite(v)) return;
    const int base = moment ? CTakeOverLoad::kMMax : CTakeOverLoad::kFMax;
    if (m_kind == ELuSourceKind::MemberDesign) m_current.SetV(base, v);
    const std::string head = Lower(desc.substr(0, std::min<size_t>(3, desc.size())));
    if (head == "max") m_current.SetV(base, v);
    if (head == "min") m_current.SetV(base + 1, v);
    if (desc.find("(g)") != std::string::npos) m_current.SetV(base + 2, v);
    if (desc.find("(max-g)") != std::string::npos) m_current.SetV(base + 3, v);
    if (desc.find("(min-g)") != std::string::npos) m_current.SetV(base + 4, v);
}

void LUData::ReadDirectionFolder(ZVELEM folder) {
    if (m_kind == ELuSourceKind::AxialBeam) m_current.m_iDirection = 2;
    const std::string desc = zevud::GetString(folder, "desc");
    if (desc.empty() || m_nCategory != 1) return;
    if (desc == "x-x") m_current.m_iDirection = 0;
    else if (desc == "y-y") m_current.m_iDirection = 1;
    else if (desc == "z-z") m_current.m_iDirection = 2;
}

void LUData::ReadActionFolder(ZVELEM folder) {
    const std::string written = zevud::GetString(folder, "desc");
    if (written.empty() || m_nCategory != 1) return;
    const std::string desc = Lower(written);
    if (desc.find("extremal") != std::string::npos) {
        m_current.m_iAction = 0;
        m_current.m_strActionDesc = desc;
        return;
    }
    std::string number;
    bool hasNumber = false;
    if (m_kind == ELuSourceKind::MemberDesign) {
        m_current.m_iAction = -1;
        m_current.m_strActionDesc = desc;
        if (size_t p = desc.find("ew"); p != std::string::npos) {
            number = desc.substr(p + 2);
            hasNumber = true;
        }
    } else if (size_t p = desc.find(':'); p != std::string::npos) {
        number = desc.substr(0, p);
        hasNumber = true;
    }
    if (!hasNumber) return;
    int32_t n = LeadingInt(number);
    if (n <= 0) return;
    if (m_kind == ELuSourceKind::StageColumn) n = MapStageAction(n);
    m_current.m_iAction = n;
    m_current.m_strActionDesc = written;
}

void LUData::ReadFolder(ZVELEM folder) {
    for (ZVELEM v : zevud::Children(folder, "value")) ReadValue(v);
    bool any = false;
    for (int i = CTakeOverLoad::kFMax; i <= CTakeOverLoad::kMMinG; ++i)
        if (std::fabs(m_current.V(i)) > kEps) any = true;
    if (any && m_current.m_iAction >= 0) m_takeOverLoads.push_back(m_current);
    // The values belong to this folder alone: whether taken over or not, they
    // must not reach the loads of the folders that follow.
    m_current.SetV(0, 0.0);
    for (int i = 3; i < 15; ++i) m_current.SetV(i, 0.0);
    for (ZVELEM f : zevud::Children(folder, "folder")) {
        // The member-design kernel exports its design (factored) reactions
        // under "design", with an "Extremal" folder of their own: taken over
        // beside the characteristic values they would count the load twice,
        // and factored again in this position's combinations.
        if (m_kind == ELuSourceKind::MemberDesign && winsys::EqualsNoCase(zevud::GetString(f, "desc"), "design"))
            continue;
        ReadDirectionFolder(f);
        ReadActionFolder(f);
        ReadFolder(f);
    }
}

bool LUData::ReadExports(ZVELEM exports) {
    if (!exports) return false;
    std::vector<ZVELEM> matches;
    for (ZVELEM f : zevud::Children(exports, "folder"))
        if (winsys::EqualsNoCase(zevud::GetString(f, "desc"), m_strAuflager)) matches.push_back(f);
    if (matches.empty()) return false;
    m_takeOverLoads.clear();
    m_loads.clear();
    for (ZVELEM f : matches) {
        m_current.Reset();
        ReadFolder(f);
    }
    return true;
}

bool LUData::OpenSource(ZVDOC src) {
    ZVDOC dest = m_pDest ? m_pDest->GetDocument() : 0;
    if (!src || !dest) return false;
    ZVELEM srcRoot = ZEVUD_GetRootElement(src);
    ZVELEM destRoot = ZEVUD_GetRootElement(dest);
    SetModuleKeys(GetModuleKey(srcRoot), GetModuleKey(destRoot));
    ZVELEM srcInput = ZEVUD_FindFirstChild(srcRoot, "input");
    ZVELEM actions = srcInput;
    if (m_kind == ELuSourceKind::Roof || m_kind == ELuSourceKind::SpacedBeam ||
        m_kind == ELuSourceKind::SpacedBeamLast) {
        actions = ZEVUD_FindFirstChild(srcRoot, "export_einw");
    } else if (m_kind == ELuSourceKind::StageColumn) {
        ZVELEM einw = ZEVUD_FindFirstChild(srcInput, "Einwirkungen");
        actions = ZEVUD_FindFirstChild(einw, "BauZustand");
    }
    // A fresh copy of the source's actions on every calculation, so that the
    // loads follow the source's present state.
    m_pSrcLK = std::make_unique<CLKData>();
    m_pSrcLK->ReadData(actions);
    ZVELEM destInput = ZEVUD_FindFirstChild(destRoot, "input");
    ZVELEM destLk = ZEVUD_FindFirstChild(destInput, "lastUeberlagerung");
    m_pSrcLK->SetNorm(ZEVUD_GetInt(destLk, "lknorm"));
    if (!m_bMapsBuilt && m_pDestLK) m_pDestLK->ReadData(destInput);
    return true;
}

// ---- directions, load types, separation -------------------------------------------------

bool LUData::IsLineLoad() const {
    if (m_strDestKey.empty()) return true;
    const ELuFamily s = SrcFamily(), d = DestFamily();
    if (s == ELuFamily::Roof && (d == ELuFamily::Beam || d == ELuFamily::Wall) && m_bEinzelLast == 0) return true;
    if (s == ELuFamily::Beam && d == ELuFamily::Beam && m_bStreckenLast != 0) return true;
    if (s == ELuFamily::Wall && d == ELuFamily::Roof) return true;
    if (s == ELuFamily::Wall && d == ELuFamily::Beam && (m_iRichtung == 0 || m_iRichtung == 2)) return true;
    return false;
}

void LUData::AdjustDirection(CTakeOverLoad& load) {
    const ELuFamily s = SrcFamily(), d = DestFamily();
    const bool destColWall = d == ELuFamily::Column || d == ELuFamily::Wall;
    const bool srcColWall = s == ELuFamily::Column || s == ELuFamily::Wall;
    const int r = std::clamp(m_iRichtung, 0, 3);
    const int sd = load.m_iDirection;
    int F = 0, M = 0;
    m_optionTexts.clear();
    auto texts = [this](std::initializer_list<const char*> list) {
        for (const char* t : list) m_optionTexts.push_back(Tr(t));
    };
    const char* beamBeam[] = {"Ax wirkt in x-Richtg des Trägers", "Ax wirkt in y-Richtg des Trägers",
                              "Ax wirkt in negativer x-Richtg des Trägers", "Ax wirkt in negativer y-Richtg des Trägers"};
    const char* beamCol[] = {"Ax wirkt in x-Richtg der Stütze", "Ax wirkt in y-Richtg der Stütze",
                             "Ax wirkt in negativer x-Richtg der Stütze", "Ax wirkt in negativer y-Richtg der Stütze"};
    if (s == ELuFamily::Roof && destColWall) {
        if (sd == 2) F = 12;
        else if (sd == 0) F = Pick({10, 11, -10, -11}, r);
        texts({"Ah wirkt in x-Richtg der Stütze", "Ah wirkt in y-Richtg der Stütze",
               "Ah wirkt in negativer x-Richtg der Stütze", "Ah wirkt in negativer y-Richtg der Stütze"});
    } else if (s == ELuFamily::Roof && d == ELuFamily::Beam) {
        if (sd == 2) F = 12;
        else if (sd == 0) F = Pick({11, -11, 0, 0}, r);
        texts({"Ah wirkt in y-Richtg des Trägers", "Ah wirkt in negativer y-Richtg des Trägers"});
    } else if (s == ELuFamily::Beam && destColWall) {
        if (sd == 2) F = M = 12;
        else if (sd == 0) F = M = Pick({10, 11, -10, -11}, r);
        else if (sd == 1) F = M = Pick({11, 10, -11, -10}, r);
        texts({beamCol[0], beamCol[1], beamCol[2], beamCol[3]});
    } else if (s == ELuFamily::Beam && d == ELuFamily::Beam) {
        if (sd == 2) F = M = 12;
        else if (sd == 0) F = M = Pick({10, -11, -10, 11}, r);
        else if (sd == 1) F = M = Pick({11, 10, -11, -10}, r);
        texts({beamBeam[0], beamBeam[1], beamBeam[2], beamBeam[3]});
    } else if (s == ELuFamily::Beam && d == ELuFamily::Roof) {
        if (sd == 2) F = 12;
        else if (sd == 1) F = Pick({11, -11, 0, 0}, r);
        texts({"Ay wirkt in hor. Richtg des Dachs", "Ay wirkt in negativer hor. Richtg des Dachs"});
    } else if (srcColWall && d == ELuFamily::Beam) {
        if (sd == 2) F = M = 12;
        else if (sd == 0) {
            F = Pick({10, -11, -10, 11}, r);
            M = Pick({11, 10, -11, -10}, r);
        } else if (sd == 1) {
            F = Pick({11, 10, -11, -10}, r);
            M = Pick({10, -11, -10, 11}, r);
        }
        texts({beamBeam[0], beamBeam[1], beamBeam[2], beamBeam[3]});
    } else if (srcColWall && d == ELuFamily::Roof) {
        if (sd == 2) F = 10;
        else if (sd == 0 || sd == 1) F = Pick({11, 11, -11, -11}, r);
        texts({"Ax wirkt in hor. Richtg des Dachs", "Ay wirkt in hor. Richtg des Dachs",
               "Ax wirkt in negativer hor. Richtg des Dachs", "Ay wirkt in negativer hor. Richtg des Dachs"});
    } else if (srcColWall && destColWall) {
        if (sd == 2) F = M = 12;
        else if (sd == 0) {
            F = Pick({10, 11, -10, -11}, r);
            M = Pick({11, 10, -11, -10}, r);
        } else if (sd == 1) {
            F = Pick({11, 10, -11, -10}, r);
            M = Pick({10, 11, -10, -11}, r);
        }
        texts({beamCol[0], beamCol[1], beamCol[2], beamCol[3]});
    }
    if (F != 0) {
        load.m_iDirection = CodeDirection(F);
        if (F < 0) Reverse(load, CTakeOverLoad::kFMax);
    }
    if (M != 0) {
        load.m_iMomentDirection = CodeDirection(M);
        if (M < 0 && load.m_iDirection == CodeDirection(M)) Reverse(load, CTakeOverLoad::kMMax);
    }
}

void LUData::SetLoadTypeAndScale(CTakeOverLoad& load) {
    const ELuFamily s = SrcFamily(), d = DestFamily();
    const double f = m_e > 0.0001 ? 1.0 / m_e : 0.0;
    int type = 4;
    double scale = 1.0;
    auto rule = [&](int t, double factor) {
        type = t;
        scale = std::fabs(factor) > kEps ? factor : 1.0;
    };
    const bool destColWall = d == ELuFamily::Column || d == ELuFamily::Wall;
    const bool srcColWall = s == ELuFamily::Column || s == ELuFamily::Wall;
    if (s == ELuFamily::Roof && (d == ELuFamily::Beam || d == ELuFamily::Wall)) {
        if (m_bEinzelLast == 0) rule(13, 1.0);
        else rule(10, m_e);
    }
    if (s == ELuFamily::Roof && d == ELuFamily::Column) rule(10, m_e);
    if ((s == ELuFamily::Beam && (destColWall || d == ELuFamily::Roof)) ||
        (s == ELuFamily::Column && d == ELuFamily::Beam))
        rule(10, 1.0);
    if (s == ELuFamily::Wall && d == ELuFamily::Beam) rule((m_iRichtung == 0 || m_iRichtung == 2) ? 13 : 10, 1.0);
    if (s == ELuFamily::Column && d == ELuFamily::Roof) rule(10, 1.0);
    if (s == ELuFamily::Wall && d == ELuFamily::Roof) rule(13, 1.0);
    if (srcColWall && destColWall) rule(10, 1.0);
    if (s == ELuFamily::Beam && d == ELuFamily::Beam) {
        if (m_kind == ELuSourceKind::SpacedBeam) {
            if (m_bEinzelLast == 0) rule(13, 1.0);
            else rule(10, m_e);
        } else {
            if (m_bStreckenLast == 0) rule(10, 1.0);
            else rule(13, f);
        }
    }
    load.m_iLoadType = type;
    if (scale != 1.0)
        for (int i = CTakeOverLoad::kFMax; i <= CTakeOverLoad::kFMinG; ++i) load.SetV(i, load.V(i) * scale);
}

void LUData::AdjustLoad(CTakeOverLoad& load) {
    load.m_val[CTakeOverLoad::kXa] = CFormulaValue(m_xa.GetValue());
    load.m_val[CTakeOverLoad::kXl] = CFormulaValue(m_xl.GetValue());
    AdjustDirection(load);
    SetLoadTypeAndScale(load);
}

void LUData::SplitForceAndMoment() {
    std::vector<CTakeOverLoad> copies;
    for (CTakeOverLoad& l : m_takeOverLoads) {
        if (!l.HasMoments(0.01)) continue;
        const bool forces = l.HasForces(0.01);
        CTakeOverLoad copy = l;
        for (int i = CTakeOverLoad::kFMax; i <= CTakeOverLoad::kFMinG; ++i) l.SetV(i, 0.0);
        if (m_kind == ELuSourceKind::AxialBeam) l.m_iDirection = 2;
        for (int i = CTakeOverLoad::kMMax; i <= CTakeOverLoad::kMMinG; ++i) copy.SetV(i, 0.0);
        if (forces) copies.push_back(copy);
    }
    for (const CTakeOverLoad& c : copies)
        if (c.HasForces(kEps) || c.HasMoments(kEps)) m_takeOverLoads.push_back(c);
}

// ---- actions -----------------------------------------------------------------------

CActionRecord* LUData::DestAction(int32_t number) {
    if (!m_pDestLK || number < 1) return nullptr;
    for (CActionRecord& a : m_pDestLK->m_actions)
        if (a.m_nNumber == number) return &a;
    return nullptr;
}

int32_t LUData::MaxMapEntry(int32_t n) const {
    return n >= 0 && n < static_cast<int32_t>(m_einwSrc2DestMax.size()) ? m_einwSrc2DestMax[static_cast<size_t>(n)]
                                                                        : -1;
}
int32_t LUData::MinMapEntry(int32_t n) const {
    return n >= 0 && n < static_cast<int32_t>(m_einwSrc2DestMin.size()) ? m_einwSrc2DestMin[static_cast<size_t>(n)]
                                                                        : -1;
}

void LUData::SetMap(std::vector<int32_t>& map, int32_t n, int32_t dest) {
    if (n < 0 || n > kMaxMapEntries) return;
    if (static_cast<int32_t>(map.size()) <= n) map.resize(static_cast<size_t>(n) + 1, -1);
    map[static_cast<size_t>(n)] = dest;
}

int32_t LUData::CreateDestinationAction(int32_t group, int32_t category, int32_t altGroup) {
    if (!m_pDestLK) return -1;
    int32_t number = 0;
    for (const CActionRecord& a : m_pDestLK->m_actions) number = std::max(number, a.m_nNumber);
    ++number;
    if (DestAction(number)) return number;
    std::vector<std::string> groups, categories;
    m_pDestLK->GetGroupNames(groups);
    const std::string groupName = combor::GetLastGruppe(m_pDestLK->GetSession(), group);
    if (!groupName.empty()) m_pDestLK->GetCategoryNames(groupName, categories);
    const std::string catName =
        category >= 0 && category < static_cast<int32_t>(categories.size()) ? categories[static_cast<size_t>(category)]
                                                                           : std::string();
    CActionRecord a;
    a.m_nNumber = number;
    a.m_nFullGroup = group;
    const int32_t visible = m_pDestLK->GetVisibleGroupIndex(group);
    a.m_nGroup = visible >= 0 ? visible : group;
    a.m_nCategory = category;
    a.m_nAltGroup = altGroup;
    a.m_nLudaIndex = m_nIndex;
    const std::string format = Tr("%d: %s%s");
    a.m_strDesc = lingo::FormatTranslated("%d: %s%s", format, number,
                                          group == 3 ? Tr("außergew. ") : std::string(), catName);
    m_pDestLK->m_actions.push_back(a);
    return number;
}

int32_t LUData::FindFreeAlternativeGroup() const {
    if (!m_pDestLK) return 1;
    for (int32_t g = 1; g <= 99; ++g) {
        bool taken = false;
        for (const CActionRecord& a : m_pDestLK->m_actions)
            if (a.m_nAltGroup == g) taken = true;
        if (!taken) return g;
    }
    return 1;
}

void LUData::AssignAlternativeGroup(int32_t action, int32_t altGroup) {
    if (CActionRecord* a = DestAction(action)) a->m_nAltGroup = altGroup;
    if (std::find(m_assignedAltGroups.begin(), m_assignedAltGroups.end(), altGroup) == m_assignedAltGroups.end())
        m_assignedAltGroups.push_back(altGroup);
}

// A destination action of the source action's group, category and
// alternative group that neither map names yet; created when there is none.
int32_t LUData::FindOrCreateForSource(const CActionRecord& src) {
    const int32_t alt = std::max(src.m_nAltGroup, 0);
    if (m_pDestLK) {
        for (const CActionRecord& a : m_pDestLK->m_actions) {
            if (a.m_nNumber < 1 || a.m_nFullGroup != src.m_nFullGroup || a.m_nCategory != src.m_nCategory ||
                std::max(a.m_nAltGroup, 0) != alt)
                continue;
            if (std::find(m_einwSrc2DestMax.begin(), m_einwSrc2DestMax.end(), a.m_nNumber) != m_einwSrc2DestMax.end())
                continue;
            if (std::find(m_einwSrc2DestMin.begin(), m_einwSrc2DestMin.end(), a.m_nNumber) != m_einwSrc2DestMin.end())
                continue;
            return a.m_nNumber;
        }
    }
    return CreateDestinationAction(src.m_nFullGroup, src.m_nCategory, alt);
}

void LUData::BuildActionMaps() {
    m_einwSrc2DestMax.clear();
    m_einwSrc2DestMin.clear();
    if (m_pDestLK) {
        for (CActionRecord& a : m_pDestLK->m_actions)
            if (std::find(m_assignedAltGroups.begin(), m_assignedAltGroups.end(), a.m_nAltGroup) !=
                m_assignedAltGroups.end())
                a.m_nAltGroup = 0;
    }
    m_assignedAltGroups.clear();
    const int32_t count = SourceActionCount();
    for (int32_t n = 1; n <= count; ++n) {
        bool hasLoads = false, positive = false, negative = false;
        for (const CTakeOverLoad& l : m_takeOverLoads)
            if (std::max(l.m_iAction, 1) == n) hasLoads = true;
        if (!hasLoads) continue;
        const CActionRecord src = *SourceAction(n);
        if (m_iEinwModus == 0) {
            int32_t dest = -1;
            if (m_pDestLK) {
                for (const CActionRecord& a : m_pDestLK->m_actions) {
                    if (a.m_nNumber < 1) continue;
                    if (IsPermanent(src.m_nFullGroup) ? a.m_nFullGroup == 0 : IsVariable(a.m_nFullGroup)) {
                        dest = a.m_nNumber;
                        break;
                    }
                }
            }
            if (dest < 1) dest = CreateDestinationAction(IsPermanent(src.m_nFullGroup) ? 0 : 1, 0, 0);
            SetMap(m_einwSrc2DestMax, n, dest);
            continue;
        }
        // Signs of the loads of this source action's group and category.
        for (const CTakeOverLoad& l : m_takeOverLoads) {
            const CActionRecord* a = SourceAction(l.m_iAction);
            if (!a || a->m_nFullGroup != src.m_nFullGroup || a->m_nCategory != src.m_nCategory) continue;
            for (int i : {CTakeOverLoad::kFMax, CTakeOverLoad::kFMin, CTakeOverLoad::kMMax, CTakeOverLoad::kMMin}) {
                if (l.V(i) > kEps) positive = true;
                if (l.V(i) < -kEps) negative = true;
            }
        }
        const bool withMax = m_iEinwKatModus != 1 || positive;
        const bool withMin = m_iEinwKatModus == 2 || (m_iEinwKatModus == 1 && negative);
        if (withMax) SetMap(m_einwSrc2DestMax, n, FindOrCreateForSource(src));
        if (withMin) SetMap(m_einwSrc2DestMin, n, FindOrCreateForSource(src));
    }
}

int32_t LUData::MaxAction(int32_t n) {
    int32_t dest = MaxMapEntry(n);
    if (dest < 1) {
        const CActionRecord* src = SourceAction(n);
        if (!src) return -1;
        dest = FindOrCreateForSource(*src);
        SetMap(m_einwSrc2DestMax, n, dest);
    }
    return dest;
}

int32_t LUData::MinAction(int32_t n) {
    int32_t dest = MinMapEntry(n);
    if (dest < 1) {
        const CActionRecord* src = SourceAction(n);
        if (!src) return -1;
        dest = FindOrCreateForSource(*src);
        SetMap(m_einwSrc2DestMin, n, dest);
    }
    return dest;
}

// ---- loads ------------------------------------------------------------------------

void LUData::AddLoad(const CTakeOverLoad& from, int d, int m, double F, double M, int32_t action,
                     const std::string& desc) {
    CLoadDef def;
    double v[6];
    FillLoadValues(from.m_iLoadType, d, m, v, F, M);
    if (d < 0 || d > 2 || from.m_iLoadType < 0 || from.m_iLoadType > 13 || action < 1) return;
    bool any = false;
    for (double x : v)
        if (std::fabs(x) > kEps) any = true;
    if (!any) return;
    def.m_iLoadCase = action;
    def.m_iLoadType = from.m_iLoadType;
    def.m_iDirection = d;
    def.m_offset.SetValue(from.V(1));
    def.m_length.SetValue(from.V(2));
    def.m_ey.SetValue(from.V(3));
    def.m_ez.SetValue(from.V(4));
    for (int i = 0; i < 6; ++i) def.m_val[i].SetValue(v[i]);
    def.m_LCGen = from.m_LCGen;
    def.m_strDesc = desc;
    m_loads.push_back(def);
}

bool LUData::IsOneComponentAction(int32_t n) const {
    const CActionRecord* a = SourceAction(n);
    if (!a || a->m_nAltGroup < 1 || a->m_nAltGroup >= static_cast<int32_t>(m_groups.size())) return false;
    return m_groups[static_cast<size_t>(a->m_nAltGroup)].oneComponent;
}

void LUData::BuildLoads(const CTakeOverLoad& l) {
    const int d = l.m_iDirection, m = l.m_iMomentDirection;
    if (m_iEinwModus == 0) {
        if (l.m_iAction > 0) return;
        const double fg = l.V(CTakeOverLoad::kFG), mg = l.V(CTakeOverLoad::kMG);
        double fq = l.V(CTakeOverLoad::kFMaxG);
        if (std::fabs(fq) < kEps && std::fabs(fg) < kEps) fq = l.V(CTakeOverLoad::kFMax);
        double mq = l.V(CTakeOverLoad::kMMaxG);
        if (std::fabs(mq) < kEps && std::fabs(mg) < kEps)
            mq = LargerMagnitude(l.V(CTakeOverLoad::kMMax), l.V(CTakeOverLoad::kMMin));
        const struct {
            double F, M;
            int32_t action, group;
        } parts[] = {{fg, mg, 1, 0}, {fq, mq, 2, 1}};
        for (const auto& p : parts) {
            if (std::fabs(p.F) < kEps && std::fabs(p.M) < kEps) continue;
            if (m_pDestLK && static_cast<int32_t>(m_pDestLK->m_actions.size()) < p.action)
                CreateDestinationAction(p.group, 0, 0);
            AddLoad(l, d, m, p.F, p.M, p.action, "extremal");
        }
        return;
    }
    if (IsOneComponentAction(l.m_iAction)) return;
    const double fMax = l.V(CTakeOverLoad::kFMax), mMax = l.V(CTakeOverLoad::kMMax);
    double fMin = l.V(CTakeOverLoad::kFMin), mMin = l.V(CTakeOverLoad::kMMin);
    if (std::fabs(fMax - fMin) < kEps) fMin = 0.0;
    if (std::fabs(mMax - mMin) < kEps) mMin = 0.0;
    if ((std::fabs(LargerMagnitude(fMax, fMin)) < kEps && std::fabs(LargerMagnitude(mMax, mMin)) < kEps) ||
        l.m_iAction < 1)
        return;
    const CActionRecord* src = SourceAction(l.m_iAction);
    const std::string desc = "infolge Einw. " + (src ? src->m_strDesc : std::string());
    const int32_t maxAction = MaxAction(l.m_iAction);
    if (m_iEinwModus == 1) {
        AddLoad(l, d, m, fMax, LargerMagnitude(mMax, mMin), maxAction, desc);
    } else if (m_iEinwModus == 2) {
        AddLoad(l, d, m, fMax, LargerMagnitude(mMax, mMin), maxAction, desc);
        if (fMin < -kEps || mMin < -kEps) {
            const int32_t minAction = MinAction(l.m_iAction);
            AddLoad(l, d, m, fMin, mMin, minAction, desc);
            const int32_t g = FindFreeAlternativeGroup();
            AssignAlternativeGroup(maxAction, g);
            AssignAlternativeGroup(minAction, g);
        }
    } else {
        const int32_t minAction = MinAction(l.m_iAction);
        AddLoad(l, d, m, fMax, mMax, maxAction, desc);
        AddLoad(l, d, m, fMin, mMin, minAction, desc);
        const int32_t g = FindFreeAlternativeGroup();
        AssignAlternativeGroup(maxAction, g);
        AssignAlternativeGroup(minAction, g);
    }
}

void LUData::PrepareGroupArrays() {
    m_groups.clear();
    int32_t largest = 0;
    if (m_pSrcLK)
        for (const CActionRecord& a : m_pSrcLK->m_actions) largest = std::max(largest, a.m_nAltGroup);
    largest = std::min(largest, 199);
    m_groups.resize(static_cast<size_t>(largest) + 1);
    for (const CTakeOverLoad& l : m_takeOverLoads) {
        if (l.m_iAction < 1) continue;
        const CActionRecord* a = SourceAction(l.m_iAction);
        if (!a || a->m_nAltGroup < 1 || a->m_nAltGroup > largest) continue;
        if (l.m_iDirection < 0 || l.m_iDirection > 2) continue;
        GroupEnvelope& g = m_groups[static_cast<size_t>(a->m_nAltGroup)];
        const size_t d = static_cast<size_t>(l.m_iDirection);
        g.hasLoads = true;
        g.fMax[d] = std::max(g.fMax[d], l.V(CTakeOverLoad::kFMax));
        g.fMin[d] = std::min(g.fMin[d], l.V(CTakeOverLoad::kFMin));
        g.mMax[d] = std::max(g.mMax[d], l.V(CTakeOverLoad::kMMax));
        g.mMin[d] = std::min(g.mMin[d], l.V(CTakeOverLoad::kMMin));
    }
    for (size_t i = 1; i < m_groups.size(); ++i) {
        GroupEnvelope& g = m_groups[i];
        int components = 0;
        for (int d = 0; d < 3; ++d) {
            if (g.fMax[d] > kEps || g.fMin[d] < -kEps) ++components;
            if (g.mMax[d] > kEps || g.mMin[d] < -kEps) ++components;
        }
        g.oneComponent = components <= 1;
    }
}

void LUData::BuildGroupLoads() {
    if (m_iEinwModus < 1 || m_iEinwModus > 3 || !m_pSrcLK) return;
    for (size_t gi = 1; gi < m_groups.size(); ++gi) {
        const GroupEnvelope& g = m_groups[gi];
        if (!g.oneComponent || !g.hasLoads) continue;
        const int32_t group = static_cast<int32_t>(gi);
        // The group's source action: the first of the group with a maximum
        // destination; else the first of the group, mapped now.
        int32_t n = -1, first = -1;
        for (int32_t k = 1; k <= SourceActionCount(); ++k) {
            if (SourceAction(k)->m_nAltGroup != group) continue;
            if (first < 0) first = k;
            if (MaxMapEntry(k) >= 1) {
                n = k;
                break;
            }
        }
        if (n < 0) n = first;
        if (n < 0) continue;
        const int32_t maxAction = MaxAction(n);
        const std::string desc = "infolge Einw. " + SourceAction(n)->m_strDesc;
        CTakeOverLoad l;
        ResetLoad(l);
        AdjustLoad(l);
        int32_t minAction = -1;
        bool minMade = false;
        for (int d = 0; d < 3; ++d) {
            if (m_iEinwModus == 1) {
                AddLoad(l, d, l.m_iMomentDirection, g.fMax[d], LargerMagnitude(g.mMax[d], g.mMin[d]), maxAction, desc);
                continue;
            }
            AddLoad(l, d, l.m_iMomentDirection, g.fMax[d], g.mMax[d], maxAction, desc);
            if (m_iEinwModus == 3 || g.fMin[d] < -kEps || g.mMin[d] < -kEps) {
                if (minAction < 1) minAction = MinAction(n);
                AddLoad(l, d, l.m_iMomentDirection, g.fMin[d], g.mMin[d], minAction, desc);
                minMade = true;
            }
        }
        if (minMade) {
            AssignAlternativeGroup(maxAction, group);
            AssignAlternativeGroup(minAction, group);
        }
    }
}

void LUData::ResetLoad(CTakeOverLoad& load) const { load.Reset(); }

// ---- developer dumps -----------------------------------------------------------------

namespace {

void DumpTakeOverLoads(FILE* f, const LUData& r) {
    for (const CTakeOverLoad& l : r.m_takeOverLoads) {
        std::fprintf(f, "Position=%s, Auflager=%s\n", r.m_strPosition.c_str(), r.m_strAuflager.c_str());
        std::fprintf(f, "desc=%s,  EinwDesc=%s\n", l.m_strDesc.c_str(), l.m_strActionDesc.c_str());
        std::fprintf(f, "iEinw=%2d, iRichtg=%d, iRichtgM=%d, iLastTyp=%d\n", l.m_iAction, l.m_iDirection,
                     l.m_iMomentDirection, l.m_iLoadType);
        std::fprintf(f, "Amax=%8.2lf, Amin=%8.2lf, Ag=%8.2lf, Amax-g=%8.2lf, Amin-g=%8.2lf\n", l.V(5), l.V(6), l.V(7),
                     l.V(8), l.V(9));
        std::fprintf(f, "Mmax=%8.2lf, Mmin=%8.2lf, Mg=%8.2lf, Mmax-g=%8.2lf, Mmin-g=%8.2lf\n", l.V(10), l.V(11),
                     l.V(12), l.V(13), l.V(14));
    }
}

void DumpActions(FILE* f, const CLKData* lk) {
    if (!lk) return;
    int i = 0;
    for (const CActionRecord& a : lk->m_actions)
        std::fprintf(f, "i=%2d, EinwNr=%2d, GruppeHHHH=%d, Kategorie=%2d,  AlternativGrp=%d,  indexLuda=%d,  desc=%s\n",
                     i++, a.m_nNumber, a.m_nFullGroup, a.m_nCategory, a.m_nAltGroup, a.m_nLudaIndex,
                     a.m_strDesc.c_str());
}

}  // namespace

void LUData::DumpRecord(FILE* f) const {
    std::fprintf(f, "PosName=%s,  AuflName=%s\n", m_strPosition.c_str(), m_strAuflager.c_str());
    std::fprintf(f, "ProgModusl=%s,  ProgModulDest=%s\n", m_strSrcKey.c_str(), m_strDestKey.c_str());
    std::fprintf(f, "m_bEinwIsOK=%d\n", SourceActionCount() > 0 ? 1 : 0);
    std::fprintf(f, "iRichtg= %d, iEinwModus=%d, iEinwKatModus=%d, m_iEinwModusHHHH=%d \n", m_iRichtung, m_iEinwModus,
                 m_iEinwKatModus, m_bOwnGroups ? 1 : 0);
    std::fprintf(f, "Einwirkung-Source\n");
    std::fprintf(f, "Norm Lastüberlagerung (source) lknorm=%d\n", m_pSrcLK ? m_pSrcLK->GetNorm() : 0);
    DumpActions(f, m_pSrcLK.get());
    std::fprintf(f, "\nEinwirkung-Dest\n");
    std::fprintf(f, "Norm Lastüberlagerung (dest) lknorm=%d\n", m_pDestLK ? m_pDestLK->GetNorm() : 0);
    DumpActions(f, m_pDestLK);
    std::fprintf(f, "\nEinwirkung-Max/Min\n");
    std::fprintf(f, "Index==EinwNrSrc,  Inhalt(Index)=EinwNrDestMax/Min\n");
    const size_t n = std::max(m_einwSrc2DestMax.size(), m_einwSrc2DestMin.size());
    for (size_t i = 0; i < n; ++i)
        std::fprintf(f, "i=%2d,  EinwMax=%2d,  EinwMin=%2d\n", static_cast<int>(i),
                     MaxMapEntry(static_cast<int32_t>(i)), MinMapEntry(static_cast<int32_t>(i)));
    DumpTakeOverLoads(f, *this);
    std::fprintf(f, "\nWeggeschriebene Lasten m_load\n");
    for (const CLoadDef& l : m_loads)
        std::fprintf(f,
                     "Einw=%2d, Typ=%2d, Richtung=%d, xa=%6.2lf, xl=%6.2lf, val0=%7.2lf, val1=%7.2lf, val2=%7.2lf, "
                     "val3=%7.2lf, val4=%7.2lf, val5=%7.2lf\n",
                     l.m_iLoadCase, l.m_iLoadType, l.m_iDirection, l.m_offset.GetValue(), l.m_length.GetValue(),
                     l.m_val[0].GetValue(), l.m_val[1].GetValue(), l.m_val[2].GetValue(), l.m_val[3].GetValue(),
                     l.m_val[4].GetValue(), l.m_val[5].GetValue());
}

void LUData::DumpLoads(const char* file, const char* title) const {
    if (!IsDeveloperDumpOn()) return;
    FILE* f = std::fopen(file, "w");
    if (!f) return;
    std::fprintf(f, "%s", title);
    DumpTakeOverLoads(f, *this);
    std::fclose(f);
}

// ---- the calculation -------------------------------------------------------------------

void LUData::Calc() {
    if (m_strPosition.empty() || !m_pDest || !m_pDest->GetDocument()) return;
    // The source is opened once per calculation and closed at its end.
    DocCloser source{ZEVUD_OpenDoc(SourcePath().c_str())};
    if (!source.doc) return;
    if (!OpenSource(source.doc)) return;

    ++m_nCalcCount;
    FILE* dump = nullptr;
    if (IsDeveloperDumpOn()) {
        dump = std::fopen(winsys::FormatC("LuData_%d.log", m_nCalcCount).c_str(), "w");
        if (dump) {
            std::fprintf(dump, "Calc() Anfang\n");
            DumpRecord(dump);
        }
    }
    struct DumpCloser {
        FILE*& f;
        const LUData& r;
        ~DumpCloser() {
            if (!f) return;
            std::fprintf(f, "Calc() Ende\n");
            r.DumpRecord(f);
            std::fclose(f);
        }
    } closeDump{dump, *this};

    ZVELEM srcRoot = ZEVUD_GetRootElement(source.doc);
    if (m_bEModByUser) {
        // the user's value stays
    } else if (m_kind == ELuSourceKind::Roof || m_kind == ELuSourceKind::SpacedBeam ||
               m_kind == ELuSourceKind::SpacedBeamLast) {
        ZVELEM quer = ZEVUD_FindFirstChild(ZEVUD_FindFirstChild(srcRoot, "input"), "quer");
        m_e = quer ? ZEVUD_GetDouble(quer, "e") : 0.0;
        if (!std::isfinite(m_e)) m_e = 0.0;
    } else {
        m_e = 1.0;
    }
    if (!IsLineLoad()) m_xl.SetValue(0.0);
    if (SourceActionCount() == 0) {
        winsys::MessageBox(winsys::FormatC("LUData: Lasten von Pos. %s können nicht übernommen werden, da in Pos. %s "
                                           "keine Einwirkungen definiert sind",
                                           m_strPosition.c_str(), m_strPosition.c_str()),
                           "", winsys::Buttons::Ok, winsys::Icon::None);
        return;
    }
    m_iEinwKatModus = m_iEinwModus == 2 ? 1 : m_iEinwModus == 3 ? 2 : 0;
    // Results that belong to other input than the source holds are taken
    // over as from a position without results: not at all.
    const bool staleResults = zevud::ResultsOfOtherInput(source.doc);
    if (staleResults || !ReadExports(ZEVUD_FindFirstChild(srcRoot, "exports"))) {
        // The stored loads stay; the user learns why they were not renewed.
        const char* format = "Lastübernahme: Auflagerung %s wurde nicht in Pos. %s gefunden";
        winsys::MessageBox(lingo::FormatTranslated(format, Tr(format), m_strAuflager, m_strPosition), "",
                           winsys::Buttons::Ok, winsys::Icon::None);
        return;
    }
    DumpLoads("Lasten.log", "Lasten angelesen\n");
    SplitForceAndMoment();
    DumpLoads("LastenGetrenntt.log", "Lasten angelesen und getrennt\n");
    for (CTakeOverLoad& l : m_takeOverLoads) AdjustLoad(l);
    for (CActionRecord& a : m_pSrcLK->m_actions) {
        if (m_bOwnGroups && a.m_nFullGroup == 2) {
            a.m_nFullGroup = 1;
            if (m_kind == ELuSourceKind::StageColumn) a.m_nAltGroup = -1;
        }
    }
    m_bOwnGroups = false;
    PrepareGroupArrays();
    BuildActionMaps();
    for (const CTakeOverLoad& l : m_takeOverLoads) BuildLoads(l);
    BuildGroupLoads();
    // A stable order: loads of equal actions keep their order between runs,
    // so that an unchanged source gives an unchanged input.
    std::stable_sort(m_loads.begin(), m_loads.end(),
                     [](const CLoadDef& a, const CLoadDef& b) { return a.m_iLoadCase < b.m_iLoadCase; });
    for (CLoadDef& l : m_loads)
        for (CFormulaValue& v : l.m_val) v.SetValue(v.GetValue() * m_dFaktor);
    if (m_pDestLK) {
        for (int32_t g : m_assignedAltGroups) {
            int carriers = 0;
            for (const CActionRecord& a : m_pDestLK->m_actions)
                if (a.m_nAltGroup == g) ++carriers;
            if (carriers < 2)
                for (CActionRecord& a : m_pDestLK->m_actions)
                    if (a.m_nAltGroup == g) a.m_nAltGroup = 0;
        }
    }
}

// ---- LUDataList ------------------------------------------------------------------------

LUDataList::LUDataList() { Reset(); }
LUDataList::~LUDataList() = default;

void LUDataList::Reset() {
    m_records.clear();
    m_bFlag = 1;
}

void LUDataList::ReadData(ZVELEM element) {
    m_records.clear();
    ZVELEM lu = element ? ZEVUD_FindFirstChild(element, "lastUebernahme") : 0;
    if (!lu) return;
    ZVELEM previous = 0;
    for (bool first = true;; first = false) {
        auto rec = std::make_unique<LUData>();
        if (!rec->ReadData(lu, first, previous)) break;
        previous = rec->m_hElement;
        m_records.push_back(std::move(rec));
    }
}

void LUDataList::WriteData(ZVELEM element) {
    if (!element) return;
    // A list without records leaves no element behind: a removed take-over
    // must not come back at the next read.
    for (ZVELEM e = ZEVUD_FindFirstChild(element, "lastUebernahme"); e;
         e = ZEVUD_FindFirstChild(element, "lastUebernahme"))
        ZEVUD_DeleteElement(e);
    if (m_records.empty()) return;
    ZVELEM lu = ZEVUD_AddChildElement(element, "lastUebernahme");
    for (auto& rec : m_records) rec->WriteData(lu);
    if (m_pDestLK) m_pDestLK->WriteData(element);
}

void LUDataList::SetOwner(CLoadDestination* owner) {
    m_pOwner = owner;
    if (owner) {
        if (auto* holder = dynamic_cast<CLKDataHolder*>(owner->GetLoadCombination())) m_pDestLK = &holder->GetLKData();
    }
    for (auto& rec : m_records) {
        rec->m_pDest = owner;
        if (owner) rec->m_xa.SetVariableTable(&owner->GetVariableTable()), rec->m_xl.SetVariableTable(&owner->GetVariableTable());
    }
}

void LUDataList::Recalc() {
    if (m_pDestLK) {
        auto& actions = m_pDestLK->m_actions;
        for (size_t i = actions.size(); i-- > 0;)
            if (actions[i].m_nLudaIndex > 0) actions.erase(actions.begin() + static_cast<std::ptrdiff_t>(i));
        int counts[200] = {};
        for (const CActionRecord& a : actions)
            if (a.m_nAltGroup >= 1 && a.m_nAltGroup <= 199) ++counts[a.m_nAltGroup];
        for (CActionRecord& a : actions)
            if (a.m_nAltGroup >= 1 && a.m_nAltGroup <= 199 && counts[a.m_nAltGroup] < 2) a.m_nAltGroup = 0;
    }
    for (size_t i = 0; i < m_records.size(); ++i) {
        LUData& r = *m_records[i];
        if (!r.m_bAktiv) continue;
        r.m_pDest = m_pOwner;
        r.m_pDestLK = m_pDestLK;
        r.m_bMapsBuilt = true;
        r.m_nIndex = static_cast<int32_t>(i) + 1;
        if (!r.m_strPosition.empty() && !r.m_strAuflager.empty()) r.Calc();
    }
}
