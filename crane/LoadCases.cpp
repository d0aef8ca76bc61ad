// The actions, self weights, load cases and combinations of one crane check:
// every load case is calculated by the kernel on its own (combined once with
// the factor 1.00); the design combinations are formed afterwards from the
// load-case results with the factors set up here.
#include <algorithm>
#include <cmath>
#include <string>

#include "crane/CraneOperations.h"
#include "module/ModuleData.h"
#include "platform/lingo/lingo.h"

namespace {

std::string Tr(const char* text) { return lingo::Translate("VKT Eingabe", "velor_i_rigel", "RigelData", text); }

// Combination norms of the crane run: EN 1990 with the German or the French
// national annex.
constexpr int kNormEcNad = 4;
constexpr int kNormEcNaf = 5;
// Load categories of the crane actions in those norms.
constexpr int kCategoryCrane = 13;
constexpr int kCategoryTestLoad = 14;
// Proof-type switches of the combination settings, numbered from 1.
bool& Switch(CLKData& lk, int number) { return lk.m_bChecks[number - 1]; }

CActionRecord MakeAction(int number, const std::string& desc, int group, int category) {
    CActionRecord a;
    a.m_nNumber = number;
    a.m_strDesc = desc;
    a.m_nGroup = group;
    a.m_nFullGroup = group;
    a.m_nCategory = category;
    a.m_nDurationClass = 0;
    a.m_bNotSplit = true;
    a.m_nAltGroup = 0;
    a.m_bReadOnly = false;
    return a;
}

}  // namespace

void DefineCraneActions(CModuleData& d, int bit) {
    CLKData& lk = d.LK();
    const bool france = d.m_info.m_nCountryCode != 0;
    lk.m_actions.clear();
    lk.SetNorm(france ? kNormEcNaf : kNormEcNad);
    lk.m_actions.push_back(MakeAction(1, Tr("ständig"), 0, 0));
    lk.m_actions.push_back(MakeAction(2, Tr("aussergewöhnlich"), 3, 0));
    for (long i = 1; i <= 3; ++i)
        lk.m_actions.push_back(MakeAction(static_cast<int>(i + 2),
                                          lingo::FormatTranslated("Vadu %ld alternativ", Tr("Vadu %ld alternativ"), i),
                                          2, bit == 4 ? kCategoryTestLoad : kCategoryCrane));
    // The accidental check: every accidental load group of every crane is an
    // accidental action of its own, so that each accidental combination holds
    // one of them (EN 1990 6.4.3.3; EN 1991-3 Table 2.2, groups 9 and 10).
    // Crane 1's buffer forces keep action 2; the others follow the crane
    // actions (AccidentalAction).
    const int extraAccidental =
        bit == 2 ? AccidentalActionCount(static_cast<int>(d.m_cranes.size())) - 1 : 0;
    for (int i = 1; i <= extraAccidental; ++i)
        lk.m_actions.push_back(MakeAction(5 + i, Tr("aussergewöhnlich"), 3, 0));
    // Fundamental, accidental, (seismic,) characteristic combinations.
    lk.m_bChecks[0] = bit == 1;
    lk.m_bChecks[1] = bit == 2;
    lk.m_bChecks[2] = false;
    lk.m_bChecks[3] = bit == 8 || bit == 16;

    // psi0, psi1, psi2 per action; crane actions psi0 = 1.0, psi1 = 0.9
    // (EN 1991-3, Table A.2).
    d.m_combinationFactors.assign(6, 0.0);
    for (int i = 0; i < 3; ++i) d.m_combinationFactors.insert(d.m_combinationFactors.end(), {1.0, 0.9, 0.9});

    // Partial factors (EN 1990, Tables A1.2(B) and A1.3; EN 1991-3, Table
    // A.1: gamma_Q = 1.35 for crane loads, 1.1 for the test load). The French
    // annex takes gamma_Q = 1.5 for crane loads, and the combination
    // generator of norm "EC_NAF" applies it to every crane action: the three
    // crane actions carry it here too.
    switch (bit) {
    case 1:
        d.m_partialFactors = {1.35, 1.0, 1.35, 1.35, 1.35};
        if (france) std::fill(d.m_partialFactors.begin() + 2, d.m_partialFactors.end(), 1.5);
        break;
    case 2:
    case 8:
    case 16:
        d.m_partialFactors.assign(5, 1.0);
        break;
    case 4:
        d.m_partialFactors = {1.35, 1.0, 1.1, 1.1, 1.1};
        break;
    default:
        d.m_partialFactors.clear();
        break;
    }
    // The further accidental actions: gamma_A = 1.0 (EN 1990 Table A1.3), no
    // combination factors.
    if (extraAccidental > 0) {
        d.m_partialFactors.insert(d.m_partialFactors.end(), static_cast<size_t>(extraAccidental), 1.0);
        d.m_combinationFactors.insert(d.m_combinationFactors.end(), 3 * static_cast<size_t>(extraAccidental), 0.0);
    }
}

void AddSelfWeightLoads(CModuleData& d, std::vector<CLoadDef>& loads, int& nextLoadCase, std::vector<std::string>& names) {
    names.push_back("G");
    const int lc = nextLoadCase++;
    d.m_loadCaseRatios.insert(d.m_loadCaseRatios.end(), 6, 1.0);
    // Every self weight acts downward (direction z) in the permanent action.
    auto make = [&](const char* desc, int type) {
        CLoadDef l;
        l.SetVariableTable(&d.m_varTable);
        l.m_iLoadCase = 1;
        l.m_iLoadType = type;
        l.m_iNode = 0;
        l.m_iDirection = 2;
        l.m_bHasDirection = 1;
        l.m_ey.SetValue(0.0);
        l.m_ez.SetValue(0.0);
        l.m_LCGen.m_numbers = {lc};
        l.m_LCGen.Format();
        l.m_strDesc = Tr(desc);
        return l;
    };
    CLoadDef girder = make("G(Träger)", LOAD_SELF_WEIGHT);
    const double gamma = d.m_sections.empty() ? 0.0 : d.m_sections.front().m_gamma;
    girder.m_val[0].SetValue(gamma);
    loads.push_back(girder);

    // Loads over the whole girder: the length is the total length "tl".
    auto whole = [&](const char* desc, double value) {
        CLoadDef l = make(desc, LOAD_UNIFORM);
        l.m_length.SetVariableTable(&d.m_moduleVars);
        l.m_length.SetFromText("tl");
        l.m_val[0].SetValue(value);
        loads.push_back(l);
    };
    if (d.m_craneSettings.m_craneTyp == 0) {
        CRailValues rail;
        const double area = d.m_rail.GetRailValues(rail) ? rail.A : 0.0;
        whole("G(Schiene)", area * gamma * 0.0001);  // cm² x kN/m³ -> kN/m
    }
    whole("G(Zusatz)", d.m_craneSettings.m_craneAddLoad.GetValue());
}

void PrepareLoadCases(CModuleData& d, int check, int& nextLoadCase, std::vector<std::string>& names,
                      std::vector<double>* eyOut, std::vector<double>* ezOut) {
    if (check < 0 || check >= CModuleData::kCraneChecks) return;
    const int mask = 1 << check;
    DefineCraneActions(d, mask);
    d.m_loads.clear();
    // Six reaction factors for each load case numbered so far.
    const size_t before = static_cast<size_t>(std::max(0, nextLoadCase - 1)) * 6;
    if (d.m_loadCaseRatios.size() > before) d.m_loadCaseRatios.resize(before);
    d.m_loadCaseRatios.resize(before, 1.0);

    AddSelfWeightLoads(d, d.m_loads, nextLoadCase, names);

    // Half the girder's depth in cm, the largest over all sections and ends
    // (the outline is in cm).
    double depth = 0.0;
    for (CSection& s : d.m_sections)
        for (int end = 0; end < 2; ++end) {
            double y1 = 0, z1 = 0, y2 = 0, z2 = 0;
            s.ComputeGeometry(end, y1, z1, y2, z2);
            depth = std::max(depth, z2 - z1);
        }
    depth *= 0.5;
    CRailValues rail;
    d.m_rail.GetRailValues(rail);

    const int craneTyp = d.m_craneSettings.m_craneTyp;
    const size_t nCranes = d.m_cranes.size();
    if (eyOut) eyOut->assign(nCranes, 0.0);
    if (ezOut) ezOut->assign(nCranes, 0.0);
    double permanent = 0.0, hoist = 0.0;  // of the crane with the largest permanent share
    for (size_t c = 0; c < nCranes; ++c) {
        CCrane& crane = d.m_cranes[c];
        double ey = 0.0, ez = 0.0;
        if (craneTyp == 0) {
            // Rail on top: the wheel load stands eccentric on the rail head
            // (EN 1993-6, 5.6.2: e_y = 0.25 b_r, "loadEcc") always with the
            // switch, else in the fatigue check for cranes of class S3 and
            // above.
            ey = d.m_dLateralEcc;
            if (d.m_bLoadEccAlways == 1 || (check == 4 && crane.m_BGruppe >= 3))
                ey += d.m_craneSettings.m_loadEcc.GetValue();
            ez = -depth - rail.h;
        } else {
            // Underhung crane: the mean lateral place of the wheel-load points.
            double sum = 0.0;
            int count = 0;
            for (const CNotchCase& p : d.m_notchCases) {
                if (p.m_iPlace != 4) continue;
                double a = 0.0, b = 0.0;
                d.GetSectionPlateAt(0, p.m_tqe, p.m_idx.GetValue(), a, b);
                sum += a;
                ++count;
            }
            ey = count > 0 ? 100.0 * sum / count : 0.0;  // m -> cm
            ez = depth;
        }
        crane.ClearUnusedLoadKinds();
        AppendCraneLoads(d, static_cast<int>(c), d.m_loads, mask, static_cast<int>(c) + 3, nextLoadCase, names,
                         d.m_loadCaseRatios, ey, ez);
        double qc = 0.0, qh = 0.0;
        crane.SumMaxWheelLoads(qc, qh);
        if (qc > permanent) {
            permanent = qc;
            hoist = qh;
        }
        if (eyOut) (*eyOut)[c] = ey;
        if (ezOut) (*ezOut)[c] = ez;
    }

    // Fatigue: a small load at every active detail, so that the kernel
    // gives results at its place.
    if (check == 4)
        for (const CNotchCase& p : d.m_notchCases) {
            if (p.m_bActiv != 1) continue;
            CLoadDef l;
            l.SetVariableTable(&d.m_varTable);
            l.m_strDesc = Tr("G(Dummy)");
            l.m_iLoadCase = 1;
            l.m_iLoadType = LOAD_POINT_FORCE_MOMENT;
            l.m_iDirection = 2;
            l.m_bHasDirection = 1;
            l.m_offset.SetValue(p.m_xPos.GetValue());
            l.m_ey.SetValue(0.0);
            l.m_val[0].SetValue(0.01);
            l.m_LCGen.m_numbers = {1};
            l.m_LCGen.Format();
            d.m_loads.push_back(l);
        }

    // The actions' load-case texts: the names of the load cases of their loads.
    CLKData& lk = d.LK();
    for (const CLoadDef& l : d.m_loads) {
        CNumberList cases = l.m_LCGen;
        cases.Parse();
        if (cases.m_numbers.empty()) continue;
        const int n = cases.m_numbers.front();
        const int a = l.m_iLoadCase - 1;
        if (n < 1 || n > static_cast<int>(names.size()) || a < 0 || a >= static_cast<int>(lk.m_actions.size()))
            continue;
        const std::string& name = names[static_cast<size_t>(n - 1)];
        std::string& text = lk.m_actions[static_cast<size_t>(a)].m_strLoadCases;
        if (text.empty()) text = name;
        else if (text.find(name) == std::string::npos) text += ", " + name;
    }

    // psi2 of the crane loads: the permanent share of the crane with the
    // largest permanent load, Q_c / (Q_c + Q_h) (EN 1991-3, Table A.2).
    // Without crane load there is no share: the value stays.
    if (permanent + hoist > 0.0) {
        const double psi2 = permanent / (permanent + hoist);
        d.m_dCranePsi2 = psi2;
        lk.m_dCranePsi2 = psi2;
        for (CPsiRecord& r : lk.m_psiRows)
            if (r.m_strName.rfind("Kranlasten", 0) == 0) r.m_dPsi2 = psi2;
    }

    d.DefineVariables();
    d.BuildLoadCaseActionTable();

    const int k = d.m_craneSettings.m_iReserved;
    Switch(lk, 1) = check == 0 || check == 2;
    Switch(lk, 2) = check == 1;
    Switch(lk, 3) = false;
    Switch(lk, 4) = check == 3 && k == 0;
    Switch(lk, 5) = check == 3 && k == 1;
    Switch(lk, 6) = check == 3 && k == 2;
    Switch(lk, 7) = check == 4 || (check == 3 && k == 3);
    Switch(lk, 15) = check <= 2;
    Switch(lk, 16) = false;
    lk.Generate(1);

    // Every load case on its own, with the factor 1.00.
    const int count = std::max(0, nextLoadCase - 1);
    lk.m_combinations.assign(static_cast<size_t>(count), CCombinationRecord());
    for (int i = 1; i <= count; ++i) {
        CCombinationRecord& r = lk.m_combinations[static_cast<size_t>(i - 1)];
        r.m_strType = "Ed,perm";
        r.m_strRule = "1.00*(" + std::to_string(i) + ")";
        r.m_strRuleUser = r.m_strRule;
        if (static_cast<size_t>(i - 1) < names.size()) r.m_strDesc = names[static_cast<size_t>(i - 1)];
    }

    if (check == 3) {
        d.m_fieldLength0.clear();
        for (size_t j = 1; j < d.m_fieldLengths.size(); ++j) d.m_fieldLength0.push_back(d.m_fieldLengths[j].GetValue());
        d.m_fieldLength1 = d.m_fieldLength0;
    }
}
