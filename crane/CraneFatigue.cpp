// The fatigue check of a crane runway: every active stress point, crane and
// node of the cranes' fatigue tables through the steel-design library's
// fatigue rules, into the fatigue detail table, the fatigue tables and the
// envelope of the fatigue check.
#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <string>
#include <vector>

#include "crane/CraneOperations.h"
#include "module/ModuleData.h"
#include "platform/ferrum/vadu_fatigue.h"
#include "platform/lingo/lingo.h"
#include "platform/winsys/winsys.h"

namespace {

std::string Tr(const char* text) { return lingo::Translate("VKT Eingabe", "velor_i_rigel", "RigelData", text); }

// Detail categories Delta sigma_C (Delta tau_C) in N/mm² by notch index.
constexpr int kNotchCases = 14;
constexpr int kDetailCategory[kNotchCases] = {36, 40, 45, 50, 56, 63, 71, 80, 90, 100, 112, 125, 140, 160};

constexpr int kFatigueCheck = 4;
constexpr int kFatigueGroup = 18;
constexpr int kMaxCranes = 3;

// Value ids of stress point p.
int SigmaX(int p) { return 34 + 8 * p; }
int TauXZ(int p) { return 35 + 8 * p; }
int WeldUtil(int p) { return 38 + 8 * p; }
int Util(int p) { return 39 + 8 * p; }
int Interaction(int p) { return 40 + 8 * p; }
int WeldInteraction(int p) { return 41 + 8 * p; }

// The point of interest of stress point p: the last one of the same name,
// else the first; null without points of interest.
const CNotchCase* NotchCaseOf(const CModuleData& d, int p) {
    if (d.m_notchCases.empty()) return nullptr;
    const std::string& name = d.m_userPointNames[static_cast<size_t>(p)];
    const CNotchCase* found = &d.m_notchCases.front();
    for (const CNotchCase& n : d.m_notchCases)
        if (n.m_strName == name) found = &n;
    return found;
}

// Stress point p takes part when point of interest p exists and is active.
bool IsStressPointActive(const CModuleData& d, int p) {
    return static_cast<size_t>(p) < d.m_notchCases.size() && d.m_notchCases[static_cast<size_t>(p)].m_bActiv != 0;
}

bool HasWeldResults(const CNotchCase& n) { return std::fabs(n.m_tWeld.GetValue()) > 0.01; }
bool IsWeldDetail(const CNotchCase& n) { return n.m_geomType == 2 && HasWeldResults(n); }

// The record's values 1 .. 24 from the library's last values.
void RecordValues(const FER_VaduFatLastValues& v, double out[24]) {
    const double* last = &v.reserved0;
    static const int kFrom[24] = {3, 4, 1, 18, 2, 19, 20, 21, 22, 23, 15, 16, 17, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 24};
    for (int k = 0; k < 24; ++k) out[k] = last[kFrom[k]];
}

// Makes the value ids present in a valid table (their values 0), keeping
// every value the table holds: the superposition of the fatigue check
// carries only the stresses of the stress points, the check adds their
// utilisations and interactions.
void AddValueIds(CResultTable& t, std::initializer_list<int> ids) {
    if (!t.IsValid()) return;
    bool missing = false;
    for (int id : ids) missing = missing || (id >= 0 && id < t.GetNumValues() && !t.HasValue(id));
    if (!missing) return;
    CResultTable grown = t;
    for (int id : ids)
        if (id >= 0 && id < t.GetNumValues()) grown.m_valIdx[static_cast<size_t>(id)] = 0;
    if (!grown.Init(t.GetNumLoadCases(), t.GetNumNodes(), t.GetNumValues())) return;
    grown.m_tags = t.m_tags;
    std::vector<double> row(static_cast<size_t>(t.GetNumNodes()));
    for (int lc = 0; lc < t.GetNumLoadCases(); ++lc)
        for (int v = 0; v < t.GetNumValues(); ++v) {
            if (!t.HasValue(v)) continue;
            t.GetRow(lc, v, row.data(), 0, 1);
            grown.SetRow(lc, v, row.data(), 0, 1);
        }
    t = std::move(grown);
}

// Whether the table holds section forces of the crane but no stress at all
// at stress point p (sigma_x and tau zero at every node of the minimum and
// maximum): the point's stresses did not reach the table.
bool PointStressesMissing(const CResultTable& t, int p) {
    bool forces = false, stresses = false;
    for (int lc = 0; lc < 2; ++lc)
        for (int n = 0; n < t.GetNumNodes(); ++n) {
            for (int id = 11; id <= 17; ++id) forces = forces || std::fabs(t.GetValue(lc, n, id)) > 1e-6;
            stresses = stresses || std::fabs(t.GetValue(lc, n, SigmaX(p))) > 1e-9 ||
                       std::fabs(t.GetValue(lc, n, TauXZ(p))) > 1e-9;
        }
    return forces && !stresses;
}

// One fatigue run at a node: the library calls of one stress point, crane
// and pass, with the running utilisations and interactions.
struct FatigueRun {
    CModuleData& d;
    const CNotchCase& poi;
    int point, entry, craneClass;
    double gammaMf, x;
    double s1 = 0, s2 = 0, t1 = 0, t2 = 0;
    double plateUtil = 0, plateInteraction = 0, weldUtil = 0, weldInteraction = 0;
    bool incomplete = false;

    // One call; kind 0 plate, 1 weld. Stores the record.
    void Call(int kind, bool stresses, double tPlate, double tWeld, const FER_VaduLocalInput* local,
              const FER_VaduLocalSection* section) {
        const int category = kDetailCategory[kind == 0 ? poi.m_iKerbGruppe : poi.m_iKerbGruppeW];
        const int h = d.m_steelSections.GetSteelCheckSectionHandle(x);
        FER_VaduFatResult result{};
        const int rc = FER_hCalcVaduFat(h, stresses ? s1 : 0.0, stresses ? s2 : 0.0, stresses ? t1 : 0.0,
                                        stresses ? t2 : 0.0, gammaMf, poi.m_iPlace, craneClass, category, poi.m_iSpTyp,
                                        tPlate, tWeld, local, section, &result);
        if (rc != 0) incomplete = true;
        FER_VaduFatLastValues last{};
        FER_hGetLastValues(h, &last);
        double& util = kind == 0 ? plateUtil : weldUtil;
        double& inter = kind == 0 ? plateInteraction : weldInteraction;
        util = std::max(util, result.utilisation);
        inter = std::max(inter, last.interaction);
        double values[24];
        RecordValues(last, values);
        d.m_fatDetail.UpdateFatigueResult(point, entry, x, kind, values, values[22], values[23]);
    }
};

}  // namespace

double GetPanelLength(const CModuleData& d, double x) {
    const size_t field = static_cast<size_t>(d.FindFieldAtX(x)) + 1;
    const double length = field < d.m_fieldLengths.size() ? d.m_fieldLengths[field].GetValue() : 0.0;
    // No count of buckling fields (or a damaged one) is one field.
    const int panels = field < d.m_bucklFields.size() ? std::max(1, d.m_bucklFields[field]) : 1;
    return length / panels;
}

std::string CheckFatigueInput(const CModuleData& d) {
    if (d.m_cranes.size() > static_cast<size_t>(kMaxCranes)) return Tr("Es können höchstens drei Krane berechnet werden.");
    bool anyPoint = false;
    for (size_t p = 0; p < d.m_userPointNames.size(); ++p) {
        if (!IsStressPointActive(d, static_cast<int>(p))) continue;
        anyPoint = true;
        const CNotchCase& n = *NotchCaseOf(d, static_cast<int>(p));
        const bool plateBad = n.m_iKerbGruppe < 0 || n.m_iKerbGruppe >= kNotchCases;
        const bool weldBad = IsWeldDetail(n) && (n.m_iKerbGruppeW < 0 || n.m_iKerbGruppeW >= kNotchCases);
        if (plateBad || weldBad)
            return lingo::FormatTranslated("Der Kerbfall %ld des Punktes '%s' ist ungültig.",
                                           Tr("Der Kerbfall %ld des Punktes '%s' ist ungültig."),
                                           static_cast<long>(plateBad ? n.m_iKerbGruppe : n.m_iKerbGruppeW),
                                           d.m_userPointNames[p]);
        if (n.m_iSpTyp < 0 || n.m_iSpTyp > 2)
            return lingo::FormatTranslated("Die Spannungsart %ld des Punktes '%s' ist ungültig.",
                                           Tr("Die Spannungsart %ld des Punktes '%s' ist ungültig."),
                                           static_cast<long>(n.m_iSpTyp), d.m_userPointNames[p]);
    }
    if (!anyPoint) return {};
    for (size_t c = 0; c < d.m_cranes.size(); ++c)
        if (d.m_cranes[c].m_BGruppe < 0 || d.m_cranes[c].m_BGruppe >= FER_FAT_CLASSES)
            return lingo::FormatTranslated(
                "Die Beanspruchungsgruppe S%ld des Krans %ld ist ungültig (S0 bis S9).",
                Tr("Die Beanspruchungsgruppe S%ld des Krans %ld ist ungültig (S0 bis S9)."),
                static_cast<long>(d.m_cranes[c].m_BGruppe), static_cast<long>(c + 1));
    if (!d.m_cranes.empty() && (d.m_sections.empty() || !(d.m_sections.front().m_gamma_mf > 0)))
        return Tr("Der Teilsicherheitsbeiwert gamma_Mf des Materials fehlt.");
    return {};
}

bool CalcFatigue(CModuleData& d) {
    d.m_fatDetail.Clear();
    d.m_bFatigueUnproven = false;
    if (!CheckFatigueInput(d).empty()) return false;

    FER_VaduLocalSection section{};
    FillFER_VaduLocalResultWithPOI(d, section);
    const FER_VaduLocalSection* sectionOfAxles = d.m_craneSettings.m_autoPOI ? nullptr : &section;
    const double gammaMf = d.m_sections.empty() ? 0.0 : d.m_sections.front().m_gamma_mf;
    const int K = static_cast<int>(d.m_cranes.size());
    const int P = static_cast<int>(d.m_userPointNames.size());
    const int E = K > 1 ? K + 1 : 1;
    d.m_fatDetail.SetSize(E, P);
    CResultTable& env = d.m_craneResults[kFatigueCheck];
    const bool railCounts = d.m_rail.m_bCalculation != 0;
    bool incomplete = false, anyPoint = false;
    std::string missing;  // the points without stresses, named for the message

    for (int p = 0; p < P; ++p) {
        if (!IsStressPointActive(d, p)) continue;
        anyPoint = true;
        for (CResultTable* t : {&d.m_fatResults[0], &d.m_fatResults[1], &d.m_fatResults[2], &env})
            AddValueIds(*t, {WeldUtil(p), Util(p), Interaction(p), WeldInteraction(p)});
        const CNotchCase& poi = *NotchCaseOf(d, p);
        const bool weld = IsWeldDetail(poi);
        // Both paths give the library the thicknesses in cm.
        const double tPlate = poi.m_thickness / 10.0, tWeld = poi.m_tWeld / 10.0;

        for (int c = 0; c < K; ++c) {
            CResultTable& fat = d.m_fatResults[c];
            // A crane without fatigue load case has no sized table: nothing to check.
            if (!fat.IsValid() || fat.GetNumNodes() <= 0 || fat.GetNumLoadCases() < 3) continue;
            const CCrane& crane = d.m_cranes[static_cast<size_t>(c)];
            const std::string quoted = "'" + d.m_userPointNames[static_cast<size_t>(p)] + "'";
            if (PointStressesMissing(fat, p) && missing.find(quoted) == std::string::npos)
                missing += (missing.empty() ? "" : ", ") + quoted;
            const std::vector<double>& xs = fat.GetXData();
            for (int n = 0; n < fat.GetNumNodes(); ++n) {
                const double x = static_cast<size_t>(n) < xs.size() ? xs[static_cast<size_t>(n)] : 0.0;
                for (int pass = 0; pass < (K > 1 ? 2 : 1); ++pass) {
                    const CResultTable& src = pass == 0 ? fat : env;
                    FatigueRun run{d, poi, p, pass == 0 ? c : K,
                                   pass == 0 ? crane.m_BGruppe : std::max(0, crane.m_BGruppe - K), gammaMf, x};
                    run.s1 = src.GetValue(1, n, SigmaX(p));
                    run.s2 = src.GetValue(0, n, SigmaX(p));
                    run.t1 = src.GetValue(1, n, TauXZ(p));
                    run.t2 = src.GetValue(0, n, TauXZ(p));
                    if (poi.m_iPlace != 0 && crane.m_numOfAxis >= 2) {
                        FER_VaduLocalInput in{};
                        for (int a = 0; a + 1 < crane.m_numOfAxis; ++a) {
                            // The panel length for the web bending.
                            const double additional[3] = {210000.0, 81000.0, GetPanelLength(d, x)};
                            FER_hSetAdditionalValues(d.m_steelSections.GetSteelCheckSectionHandle(x), additional, 3);
                            FillVaduLocalInput(crane, d, in, kFatigueGroup, a, a + 1);
                            run.Call(0, true, 0.0, 0.0, &in, sectionOfAxles);
                            FillVaduLocalInput(crane, d, in, kFatigueGroup, a + 1, a);
                            run.Call(0, true, 0.0, 0.0, &in, sectionOfAxles);
                            if (weld) {
                                // Without the rail in the section the weld takes the wheel's stresses only.
                                FillVaduLocalInput(crane, d, in, kFatigueGroup, a, a + 1);
                                run.Call(1, railCounts, tPlate, tWeld, &in, sectionOfAxles);
                                FillVaduLocalInput(crane, d, in, kFatigueGroup, a + 1, a);
                                run.Call(1, railCounts, tPlate, tWeld, &in, sectionOfAxles);
                            }
                        }
                    } else {
                        run.Call(0, true, 0.0, 0.0, nullptr, nullptr);
                        if (weld) run.Call(1, true, tPlate, tWeld, nullptr, nullptr);
                    }
                    incomplete = incomplete || run.incomplete;
                    const int lc = pass == 0 ? 1 : 2;
                    fat.SetValue(lc, n, Util(p), run.plateUtil);
                    fat.SetValue(lc, n, Interaction(p), run.plateInteraction);
                    if (HasWeldResults(poi)) {
                        fat.SetValue(lc, n, WeldUtil(p), run.weldUtil);
                        fat.SetValue(lc, n, WeldInteraction(p), run.weldInteraction);
                    }
                }
            }
        }

        // Into the envelope table: the resultant's values by maximum, the
        // cranes alone by maximum (utilisations) and by sum (interactions,
        // D = sum D_i + D_dup, EN 1993-6 9.4.2).
        std::vector<double> row;
        auto merge = [&](int c, int lc, int id, int into, bool sum) {
            CResultTable& fat = d.m_fatResults[c];
            row.assign(static_cast<size_t>(fat.GetNumNodes()), 0.0);
            fat.GetRow(lc, id, row.data(), 0, 1);
            if (sum) env.ResampleSum(into, id, fat.GetNumNodes(), fat.GetXData().data(), row.data());
            else env.ResampleMax(into, id, fat.GetNumNodes(), fat.GetXData().data(), row.data());
        };
        auto sized = [&](int c) {
            const CResultTable& fat = d.m_fatResults[c];
            return fat.IsValid() && fat.GetNumNodes() > 0 && fat.GetNumLoadCases() >= 3 &&
                   fat.GetXData().size() >= static_cast<size_t>(fat.GetNumNodes());
        };
        if (K > 1)
            for (int c = 0; c < K; ++c) {
                if (!sized(c)) continue;
                for (int id : {Util(p), WeldUtil(p), Interaction(p), WeldInteraction(p)}) {
                    merge(c, 2, id, 1, false);
                    merge(c, 2, id, 2, false);
                }
            }
        for (int c = 0; c < K; ++c) {
            if (!sized(c)) continue;
            merge(c, 1, Util(p), 1, false);
            merge(c, 1, WeldUtil(p), 1, false);
            merge(c, 1, Interaction(p), 1, true);
            merge(c, 1, WeldInteraction(p), 1, true);
        }
        if (K > 1 && env.IsValid() && env.GetXData().size() >= static_cast<size_t>(env.GetNumNodes())) {
            const int nodes = env.GetNumNodes();
            for (const auto& [id, from] : {std::pair{Util(p), Interaction(p)}, std::pair{WeldUtil(p), WeldInteraction(p)}}) {
                row.assign(static_cast<size_t>(nodes), 0.0);
                env.GetRow(1, from, row.data(), 0, 1);
                env.ResampleMax(1, id, nodes, env.GetXData().data(), row.data());
            }
        }
    }

    // The check's envelope over the crane positions: the maximum side of
    // every value of load case 1.
    if (anyPoint && env.IsValid()) {
        CEnvelope& summary = d.m_summaries[kFatigueCheck];
        if (summary.GetSize() == 0) summary.SetSize(env.GetNumValues());
        const int nodes = env.GetNumNodes();
        std::vector<double> values(static_cast<size_t>(nodes));
        for (int id = 0; id < env.GetNumValues(); ++id) {
            if (!env.HasValue(id)) continue;
            env.GetRow(1, id, values.data(), 0, 1);
            summary.Update(1, id, -1, nodes, 0, 1, values, env.GetXData(), 0);
        }
    }
    if (incomplete)
        winsys::MessageBox(Tr("Die lokalen Spannungen aus Radlasten konnten nicht an allen Nachweispunkten "
                              "ermittelt werden; der Ermüdungsnachweis ist unvollständig."));
    // Stresses missing at a point (one that lies on no wall element of the
    // section, for instance) are said and the check counts as not proven;
    // the utilisations stand as far as they go (the local stresses are
    // there).
    // A fatigue check without any check point has checked nothing: it is not
    // proven, with its reason (the details of EN 1993-1-9 Tables 8.1-8.10
    // are checked at the points).
    d.m_bFatigueUnproven = !missing.empty() || !anyPoint;
    d.m_fatigueUnprovenReason = !anyPoint ? Tr("es gibt keine aktiven Nachweispunkte")
                                : d.m_bFatigueUnproven
                                    ? Tr("für Nachweispunkte fehlen die Spannungen aus der Berechnung")
                                    : std::string();
    if (!missing.empty()) {
        const char* format = "Für die Nachweispunkte %s liegen Schnittgrößen, aber keine Spannungen aus der "
                             "Berechnung vor; der Ermüdungsnachweis ist unvollständig.";
        winsys::MessageBox(lingo::FormatTranslated(format, Tr(format), missing));
    }
    return !incomplete;
}
