// IPE 300 in S 235 for the finite-element benchmarks, tests and examples
// (kN, m): the values of one beam element, the section values and a constant
// section along a member, and a two-span girder of 2 x 6 m under a uniform load on the top flange and a
// point load with lateral and axial components.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "kernel/ModelRecord.h"
#include "kernel/fe/BeamElement.h"
#include "kernel/fe/FeSolver.h"

namespace ipe300 {

// One beam element of length l.
inline tovik::fe::ElementValues Element(double l) {
    tovik::fe::ElementValues ev;
    ev.l = l;
    ev.E = 2.1e8;
    ev.G = 8.1e7;
    ev.A = 53.81e-4;
    ev.Iy = 8356e-8;
    ev.Iz = 603.8e-8;
    ev.IT = 20.12e-8;
    ev.Iw = 125900e-12;
    ev.ip2 = (ev.Iy + ev.Iz) / ev.A;
    return ev;
}

// Elastic constants of steel (kN/m²).
inline constexpr double kE = 2.1e8;
inline constexpr double kG = 8.1e7;

// The section values of the finite-element solver.
inline tovik::fe::FeSectionValues Values() {
    tovik::fe::FeSectionValues s;
    s.E = kE;
    s.G = kG;
    s.A = 53.81e-4;
    s.Ayy = 8356e-8;
    s.Azz = 603.8e-8;
    s.IT = 20.12e-8;
    s.Iw = 125900e-12;
    s.ip2 = (s.Ayy + s.Azz) / s.A;
    s.hy = 0.150;
    s.hz = 0.300;
    return s;
}
// Stiffnesses (kN, m): bending about y and z, St. Venant torsion, warping.
inline const double EIy = kE * 8356e-8, EIz = kE * 603.8e-8, GIT = kG * 20.12e-8, EIw = kE * 125900e-12;

// The same section at every node of the member (the values may be changed).
class Sections : public tovik::fe::IFeSectionProvider {
public:
    tovik::fe::FeSectionValues values = Values();
    bool Constant() const override { return true; }
    tovik::fe::FeSectionValues AtNode(int32_t) const override { return values; }
    tovik::fe::FeSectionValues AtInputNode(int32_t, double) const override { return values; }
    std::vector<tovik::fe::FeStressPoint> StressPoints(int32_t) const override { return {}; }
    tovik::fe::FeMaterial Material() const override { return {}; }
};

// The system of the two-span girder: two fields of 6 m, divided into the
// given number of elements, on fork supports (the first one also holding
// the girder lengthwise).
inline void TwoSpanGirderSystem(tovik::ModelRecord& m, int32_t elements) {
    using namespace tovik;
    m.nFeld = 2;
    m.Feld_L[0] = m.Feld_L[1] = 6.0f;
    m.nTeilung[0] = elements / 2;
    m.nTeilung[1] = elements - elements / 2;
    SupportType fork{-1, -1, -1, -1, 0, 0, 0};
    m.LagerTyp[0] = fork;
    fork.cx = 0;
    m.LagerTyp[1] = fork;
    m.nLagerTyp = 2;
    m.Kn_Lager[0] = 1;
    m.Kn_Lager[1] = m.Kn_Lager[2] = 2;
}

// Load case 1 of the two-span girder: 10 kN/m down on the top flange over
// both fields, and a point load at 3 m (50 kN compression, 2 kN lateral,
// 20 kN down).
inline void TwoSpanGirderLoadCase1(tovik::ModelRecord& m) {
    using namespace tovik;
    LineLoad q;
    q.LCGen = 1;
    q.node = 1;
    q.length = 12;
    q.pz0 = q.pz1 = 10;
    q.ez0 = q.ez1 = -15;
    m.StreckenL.Append(q);
    PointForce p;
    p.LCGen = 1;
    p.node = 1;
    p.offset = 3;
    p.Px = -50;
    p.Py = 2;
    p.Pz = 20;
    m.EinzelF.Append(p);
}

// The two-span girder with the given number of elements, its system data
// prepared and its loads applied; one load case, by default one service
// combination (factor 1; combination k of several gets 1 + 0.01 k) and one
// ultimate combination (factor 1.35; combination k of several gets
// 1.35 + 0.01 k), imperfection affine to the mode.
inline std::unique_ptr<tovik::RunState> TwoSpanGirder(int32_t elements, const Sections& sections,
                                                      int32_t ultimateCombinations = 1,
                                                      int32_t serviceCombinations = 1) {
    using namespace tovik;
    using namespace tovik::fe;
    auto run = std::make_unique<RunState>();
    ModelRecord& m = run->cdltr;
    TwoSpanGirderSystem(m, elements);
    TwoSpanGirderLoadCase1(m);
    m.nLf = 1;
    m.nRegelLk = m.nRegelTerm = serviceCombinations;
    m.RegelTerm.clear();
    for (int32_t k = 0; k < serviceCombinations; ++k)
        m.RegelTerm.push_back(CombinationTerm{k + 1, 0, 1.0f + 0.01f * static_cast<float>(k)});
    m.nKnickLk = m.nKnickTerm = ultimateCombinations;
    m.KnickTerm.clear();
    for (int32_t k = 0; k < ultimateCombinations; ++k)
        m.KnickTerm.push_back(CombinationTerm{k + 1, 0, 1.35f + 0.01f * static_cast<float>(k)});
    m.vorvType = 2;
    m.ausmitte = 2;
    State(*run).sections = &sections;
    PrepareSystemData(*run);
    ApplyLoads(*run);
    return run;
}

}  // namespace ipe300
