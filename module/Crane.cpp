#include "module/Crane.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "module/ModuleData.h"
#include "module/RecordOwner.h"
#include "module/Settings.h"
#include "platform/ferrum/ferrum.h"
#include "platform/lingo/lingo.h"
#include "platform/winsys/winsys.h"

namespace {

std::string Tr(const std::string& text) { return lingo::Translate("VKT Eingabe", "velor_i_rigel", "RigelData", text); }

std::string AxisKey(int axis, int kind) { return "axisVal_" + std::to_string(axis) + "_" + std::to_string(kind); }

const char* const kKindCaptions[20] = {
    "Achsabstand",
    "Max.vert.Radlast ständig",
    "Zugeh.vert.Radlast ständig",
    "Max.vert.Radlast aus Hub",
    "Zugeh.vert.Radlast aus Hub",
    "Massenkraft Trägerlängsrichtung",
    "Zugeh.Massenkraft Trägerquerrichtung",
    "Massenkraft Trägerquerrichtung",
    "Zugeh.Spurführungskraft",
    "Spurführungskraft",
    "Anfahren/Bremsen Laufkatze",
    "Wind in Betrieb",
    "Prüflast",
    "Anpralllast in Trägerlängsrichtung",
    "Anpralllast in Trägerquerrichtung",
    "Kippkraft in Trägerquerrichtung",
    "Qcmax",
    "Qcmin",
    "Qhmax",
    "Qhmin",
};

const char* const kGroupNames[CCrane::kGroups] = {
    "Gruppe 1 (Tragsicherheit)",
    "Gruppe 2 (Tragsicherheit)",
    "Gruppe 3 (Tragsicherheit)",
    "Gruppe 4 (Tragsicherheit)",
    "Gruppe 5 (Tragsicherheit)",
    "Gruppe 6 (Tragsicherheit)",
    "Gruppe 7 (Tragsicherheit)",
    "Gruppe 8 (Prüflast)",
    "Gruppe 9 (Außergewöhnlich)",
    "Gruppe 10 (Außergewöhnlich)",
    "Gruppe 11A1 (Max.ständig+Hub+Massenkraft)",
    "Gruppe 11B1 (Max.ständig+Massenkraft)",
    "Gruppe 11C1 (Zugeh.ständig+Hub+Massenkraft)",
    "Gruppe 11D1 (Zugeh.ständig+Massenkraft)",
    "Gruppe 11A2 (Max.ständig+Hub+Schräglauf)",
    "Gruppe 11B2 (Max.ständig+Schräglauf)",
    "Gruppe 11C2 (Zugeh.ständig+Hub+Schräglauf)",
    "Gruppe 11D2 (Zugeh.ständig+Schräglauf)",
    "Gruppe 14 (Ermüdung)",
};

const char* const kGroupIds[CCrane::kGroups] = {
    "ULS1",    "ULS2",    "ULS3",    "ULS4",    "ULS5",    "ULS6",    "ULS7",    "PROOF",   "ACC9", "ACC10",
    "SLS11A1", "SLS11B1", "SLS11C1", "SLS11D1", "SLS11A2", "SLS11B2", "SLS11C2", "SLS11D2", "FAT",
};

int ClampAxes(int n) { return std::clamp(n, 0, CCrane::kMaxAxes); }

}  // namespace

CCrane::CCrane() { Init(); }

void CCrane::Init()
{
    m_strDesc.clear();
    const double phi[9] = {1.1, 1.17, 0.0, 1.0, 1.5, 0.0, 0.0, 0.0, 0.0};
    for (int i = 0; i < 9; ++i) m_phi[i].SetValue(phi[i]);
    m_eta.SetValue(0.0);
    m_numOfAxis = 2;
    m_refusedAxisCount = 0;
    m_hubKlasse = 1;
    m_BGruppe = 2;
    for (int g = 0; g < kGroups; ++g) {
        m_groupClass[g] = g < 7 ? CLASS_ULS : g == 7 ? CLASS_PROOF : g < 10 ? CLASS_ACCIDENTAL : g < 18 ? CLASS_SLS
                                                                                                    : CLASS_FATIGUE;
        static const int start[kGroupColumns] = {1, 3, 5, 7, 9, 10, 11, 12, 13, 14, 15};
        std::copy(start, start + kGroupColumns, m_loadKinds[g]);
        m_loadCaseNr[g] = -1;
        m_groupNumber[g] = g < 10 ? g + 1 : g < 14 ? 13 : g < 18 ? 12 : 14;
    }
    // Serviceability groups without hoist load, or with the associated values.
    m_loadKinds[11][1] = -1;                                                   // 11B1
    m_loadKinds[12][0] = 2, m_loadKinds[12][1] = 4, m_loadKinds[12][3] = 6;   // 11C1
    m_loadKinds[13][0] = 2, m_loadKinds[13][1] = -1, m_loadKinds[13][3] = 6;  // 11D1
    m_loadKinds[15][1] = -1;                                                   // 11B2
    m_loadKinds[16][0] = 2, m_loadKinds[16][1] = 4, m_loadKinds[16][4] = 8;   // 11C2
    m_loadKinds[17][0] = 2, m_loadKinds[17][1] = -1, m_loadKinds[17][4] = 8;  // 11D2

    m_axisVal.clear();
    m_wheelLoads.clear();
    SetAxisCount();
    for (int a = 0; a < 2; ++a) {
        AxisValue(a, 0)->SetValue(a == 0 ? 0.0 : 2.5);
        AxisValue(a, 1)->SetValue(11.25);
        AxisValue(a, 2)->SetValue(6.75);
        AxisValue(a, 3)->SetValue(23.75);
        AxisValue(a, 4)->SetValue(1.25);
        AxisValue(a, 6)->SetValue(a == 0 ? 7.95 : -7.95);
        AxisValue(a, 8)->SetValue(8.86);
        AxisValue(a, 13)->SetValue(34.54);
        AxisValue(a, 14)->SetValue(6.0);
    }
}

void CCrane::SetAxisCount()
{
    m_numOfAxis = ClampAxes(m_numOfAxis);
    const size_t n = static_cast<size_t>(m_numOfAxis);
    CVariableTable* table = m_phi[0].GetVariableTable();
    const size_t oldSize = m_axisVal.size();
    m_axisVal.resize(n * kKinds);
    for (size_t i = oldSize; i < m_axisVal.size(); ++i) {
        m_axisVal[i].SetValue(0.0);
        m_axisVal[i].SetVariableTable(table);
    }
    m_wheelLoads.resize(n * kGroups * kWheelValues);
}

CFormulaValue* CCrane::AxisValue(int axis, int kind)
{
    if (axis < 0 || axis >= m_numOfAxis || kind < 0 || kind >= kKinds) return nullptr;
    const size_t i = static_cast<size_t>(axis) * kKinds + static_cast<size_t>(kind);
    return i < m_axisVal.size() ? &m_axisVal[i] : nullptr;
}

double CCrane::GetAxisValue(int axis, int kind) const
{
    const CFormulaValue* v = const_cast<CCrane*>(this)->AxisValue(axis, kind);
    return v ? v->GetValue() : 0.0;
}

double CCrane::GetWheelLoad(int axis, int group, int k) const
{
    if (axis < 0 || axis >= m_numOfAxis || group < 0 || group >= kGroups || k < 0 || k >= kWheelValues) return 0.0;
    const size_t i = (static_cast<size_t>(axis) * kGroups + static_cast<size_t>(group)) * kWheelValues +
                     static_cast<size_t>(k);
    return i < m_wheelLoads.size() ? m_wheelLoads[i].GetValue() : 0.0;
}

int CCrane::GetGeneratorInputKind(int group, int column) const
{
    if (group < 0 || group >= kGroups || column < 0 || column >= kGroupColumns) return -1;
    const int kind = m_loadKinds[group][column];
    // The ultimate groups 1 to 7 and the test-load group 8 carry phi5 HT
    // (groups 1 to 4 and 8) and HS (group 5) of EN 1991-3 Table 2.2. The
    // input holds them twice: with the maximum wheel loads ("Massenkraft
    // Trägerquerrichtung", "Spurführungskraft") and with the associated ones
    // ("Zugeh. ..."), the rail of the second girder. When the second girder
    // is designed too, the larger of the two acts with the maximum wheel
    // loads (on the safe side for both girders); else the maximum rail's.
    constexpr int kLateralMax = 7, kGuideMax = 9;
    if (group >= 8 || (kind != kLateralMax && kind != kGuideMax)) return kind;
    const CCraneSettings* s = m_pOwner ? m_pOwner->GetCraneSettings() : nullptr;
    if (!s || s->m_bSecondBeam == 0) return kind;
    double own = 0.0, associated = 0.0;
    for (int a = 0; a < m_numOfAxis; ++a) {
        own += std::fabs(GetAxisValue(a, kind));
        associated += std::fabs(GetAxisValue(a, kind - 1));
    }
    return associated > own ? kind - 1 : kind;
}

double CCrane::GetGeneratorInput(int axis, int group, int column) const
{
    const int kind = GetGeneratorInputKind(group, column);
    return kind < 0 ? 0.0 : GetAxisValue(axis, kind);
}

int CCrane::GetGeneratorKind(int group) const
{
    if (group < 0 || group >= kGroups) return 0;
    int kind = m_groupNumber[group];
    if (kind == 14 && m_pOwner) {
        const CCraneSettings* s = m_pOwner->GetCraneSettings();
        if (s && s->m_horizontalFatForce != 0) kind = 15;
    }
    return kind;
}

void CCrane::GenerateLoads()
{
    SetAxisCount();
    auto store = [this](int a, int g, int k, double v) {
        const size_t i = (static_cast<size_t>(a) * kGroups + static_cast<size_t>(g)) * kWheelValues +
                         static_cast<size_t>(k);
        m_wheelLoads[i].SetValue(v);
    };
    // The last field carries the crane's share eta of the hoist load that
    // remains without payload (group 7); 0.0 would drop that load.
    const double eta = m_eta.GetValue();
    auto fill = [this, eta](FER_VaduLoadInput& in, int a, int g, int kind, const double* phi) {
        in = FER_VaduLoadInput{};
        in.kind = kind;
        for (int c = 0; c < kGroupColumns; ++c) in.column[c] = GetGeneratorInput(a, g, c);
        for (int i = 0; i < 9; ++i) in.phi[i] = phi[i];
        in.eta = eta;
    };
    for (int a = 0; a < m_numOfAxis; ++a) {
        double phi[9];
        for (int i = 0; i < 9; ++i) phi[i] = m_phi[i].GetValue();
        for (int g = 0; g < kGroups; ++g) {
            FER_VaduLoadInput in;
            FER_VaduLoadOutput out{};
            fill(in, a, g, GetGeneratorKind(g), phi);
            FER_GenerateVaduLoad(&in, &out);
            store(a, g, 0, out.value[1]);
            store(a, g, 1, out.value[2]);
            store(a, g, 2, out.value[0]);
        }
        if (a != 0) continue;
        // Ratios of the loads with dynamic factors lowered by 0.1 to the
        // loads generated above; each group with its own inputs.
        double lowered[9];
        for (int i = 0; i < 9; ++i) lowered[i] = i < 7 ? std::max(phi[i] - 0.1, 0.0) : phi[i];
        for (int g = 0; g < kGroups; ++g) {
            FER_VaduLoadInput in;
            FER_VaduLoadOutput out{};
            fill(in, a, g, m_groupNumber[g], lowered);
            FER_GenerateVaduLoad(&in, &out);
            auto ratio = [](double num, double den) { return std::fabs(den) <= 0.0001 ? 1.0 : num / den; };
            const double r0 = ratio(out.value[1], GetWheelLoad(0, g, 0));
            const double r1 = ratio(out.value[2], GetWheelLoad(0, g, 1));
            const double r2 = ratio(out.value[0], GetWheelLoad(0, g, 2));
            store(0, g, 3, r0);
            store(0, g, 4, r1);
            store(0, g, 5, r2);
            store(0, g, 6, r1 > r2 ? r1 : r2);
            store(0, g, 7, r2);
            store(0, g, 8, r1);
        }
    }
}

void CCrane::ClearUnusedLoadKinds()
{
    const CCraneSettings* s = m_pOwner ? m_pOwner->GetCraneSettings() : nullptr;
    if (!s || s->m_craneTyp != 1 || s->m_bSecondBeam != 0) return;
    for (int a = 0; a < 2 && a < m_numOfAxis; ++a)
        for (int k : {2, 4, 6, 8}) AxisValue(a, k)->SetValue(0.0);
}

void CCrane::ReadData(ZVELEM e)
{
    m_strDesc = zevud::GetString(e, "desc");
    for (int i = 0; i < 9; ++i) m_phi[i].ReadFromDom(e, "phi_" + std::to_string(i));
    m_eta.ReadFromDom(e, "eta");
    const int stored = ZEVUD_GetInt(e, "numOfAxis");
    m_numOfAxis = ClampAxes(stored);
    m_refusedAxisCount = stored > kMaxAxes ? stored : 0;
    if (m_numOfAxis != stored)
    {
        const char* fmt = "Kran \"%s\": die gespeicherte Achsanzahl %d liegt außerhalb von 0 bis %d und wird auf %d "
                          "begrenzt.";
        winsys::MessageBox(lingo::FormatTranslated(fmt, Tr(fmt), m_strDesc, stored, int(kMaxAxes), m_numOfAxis), "",
                           winsys::Buttons::Ok, winsys::Icon::Warning);
    }
    m_hubKlasse = ZEVUD_GetInt(e, "hubKlasse");
    m_BGruppe = ZEVUD_GetInt(e, "BGruppe");
    SetAxisCount();
    for (int a = 0; a < m_numOfAxis; ++a)
        for (int k = 0; k < kKinds; ++k) AxisValue(a, k)->ReadFromDom(e, AxisKey(a, k));
    GenerateLoads();
}

void CCrane::WriteData(ZVELEM e)
{
    ClearUnusedLoadKinds();
    ZEVUD_SetString(e, "desc", m_strDesc.c_str());
    for (int i = 0; i < 9; ++i) m_phi[i].WriteToDom(e, "phi_" + std::to_string(i));
    m_eta.WriteToDom(e, "eta");
    ZEVUD_SetInt(e, "numOfAxis", m_numOfAxis);
    ZEVUD_SetInt(e, "hubKlasse", m_hubKlasse);
    ZEVUD_SetInt(e, "BGruppe", m_BGruppe);
    for (int a = 0; a < m_numOfAxis; ++a)
        for (int k = 0; k < kKinds; ++k) AxisValue(a, k)->WriteToDom(e, AxisKey(a, k));
}

void CCrane::SetVariableTable(CVariableTable* table)
{
    for (CFormulaValue& v : m_phi) v.SetVariableTable(table);
    m_eta.SetVariableTable(table);
    for (CFormulaValue& v : m_axisVal) v.SetVariableTable(table);
}

void ConstructCranes(void* memory, int n)
{
    CCrane* cranes = static_cast<CCrane*>(memory);
    for (int i = 0; i < n; ++i) new (cranes + i) CCrane();
}

int GetCraneLoadKindNames(std::vector<std::string>& captions, std::vector<std::string>& units)
{
    captions.clear();
    units.clear();
    for (int i = 0; i < 20; ++i) {
        captions.push_back(Tr(kKindCaptions[i]));
        units.push_back(i == 0 ? "[m]" : "[kN]");
    }
    return 20;
}

int GetCraneLoadGroupNames(std::vector<std::string>& names, std::vector<std::string>& ids, int craneNo)
{
    names.clear();
    ids.clear();
    const std::string prefix = lingo::FormatTranslated("K%ld.", Tr("K%ld."), static_cast<long>(craneNo));
    for (int g = 0; g < CCrane::kGroups; ++g) {
        names.push_back(Tr(kGroupNames[g]));
        ids.push_back(prefix + kGroupIds[g]);
    }
    return CCrane::kGroups;
}

// ---- axles and load groups ------------------------------------------------------------

namespace {

// A wheel load below this magnitude counts as none.
constexpr double kNoLoad = 0.0001;

}  // namespace

int CCrane::GetGroupCheck(int group) {
    if (group < 0 || group >= kGroups) return -1;
    if (group <= 6) return 0;  // ULS1..ULS7
    if (group == 7) return 2;  // test load
    if (group <= 9) return 1;  // accidental
    if (group <= 17) return 3; // serviceability
    return 4;                  // fatigue
}

bool CCrane::IsLoadGroupRelevant(const CModuleData& module, int group, int check) const {
    if (group < 0 || group >= kGroups) return false;
    bool loads = false;
    for (int a = 0; a < m_numOfAxis && !loads; ++a)
        for (int k = 0; k < 3 && !loads; ++k) loads = std::fabs(GetWheelLoad(a, group, k)) > kNoLoad;
    if (!loads) return false;
    const CCraneSettings& s = module.m_craneSettings;
    if ((group == 12 || group == 13 || group == 16 || group == 17) && s.m_bSecondBeam == 0) return false;
    const int k = GetGroupCheck(group);
    if (s.m_checkEnabled[k] == 0) return false;
    return check == -1 || check == k;
}

void CCrane::SumMaxWheelLoads(double& sum1, double& sum3) const {
    sum1 = sum3 = 0.0;
    for (int a = 0; a < m_numOfAxis; ++a) {
        sum1 += GetAxisValue(a, 1);
        sum3 += GetAxisValue(a, 3);
    }
}

double CCrane::GetAxisSpan() const {
    double s = 0.0;
    for (int a = 1; a < m_numOfAxis; ++a) s += GetAxisValue(a, 0);
    return s;
}

double CCrane::GetAxisOffset(int axis) const {
    // The crane's position is the middle of its axles; the spacing of axle 0
    // is its distance to the crane in front and takes no part here.
    double offset = 0.0 - 0.5 * GetAxisSpan();  // never -0.0 (a "+-0.000" offset text)
    for (int a = 1; a <= axis && a < m_numOfAxis; ++a) offset += GetAxisValue(a, 0);
    return offset;
}

double CCrane::ShiftToResultant(double x, int m) const {
    if (m_numOfAxis != 2) return x;
    const double s0 = GetAxisValue(0, 1) + GetAxisValue(0, 3);
    const double s1 = GetAxisValue(1, 1) + GetAxisValue(1, 3);
    if (std::fabs(s0) <= kNoLoad) return x;  // no load on the first axle: no resultant to move to
    const double h = GetAxisValue(1, 0) / 2.0;
    const double f = m == 1 ? 1.0 : 1.0 / (m + 1);
    return x + (h - h * s1 / s0) * f;
}
