// Example: the elastic critical moment of lateral-torsional buckling of a
// single-span IPE 300 through the kernel's C++ interface.
//
// A member of 6 m on fork supports (lateral deflection and twist held at both
// ends, warping free) under equal and opposite end moments, i.e. a uniform
// moment My = 1 kNm. The buckling analysis (mode 1 of RechneDltr3D) answers
// the critical load factor, which for a unit moment is the critical moment
// itself. It is compared with the closed form for this case (e.g.
// Timoshenko & Gere, Theory of Elastic Stability, 6.3; EN 1993-1-1 NCCI SN003
// with C1 = 1):
//   Mcr = pi / L * sqrt(E Iz G IT (1 + pi^2 E Iw / (L^2 G IT)))
#include <cmath>
#include <cstdio>
#include <memory>

#include "kernel/ModelRecord.h"
#include "kernel/fe/FeSolver.h"
#include "testsupport/ipe300.h"

int main() {
    using namespace tovik;
    const double L = 6.0;  // m

    // The model record, as the kernel's readers fill it from a position.
    auto run = std::make_unique<RunState>();
    ModelRecord& m = run->cdltr;
    m.nFeld = 1;
    m.Feld_L[0] = static_cast<float>(L);
    m.nTeilung[0] = 10;  // finite elements in the span
    // Fork supports at input nodes 0 and 1: u held at the first only.
    SupportType fork;
    fork.cx = -1;
    fork.cy = fork.cz = fork.cmx = -1;
    m.LagerTyp[0] = fork;
    fork.cx = 0;
    m.LagerTyp[1] = fork;
    m.nLagerTyp = 2;
    m.Kn_Lager[0] = 1;
    m.Kn_Lager[1] = 2;
    // Load case 1: My = +1 kNm at the start, -1 kNm at the end.
    for (const auto& [x, My] : {std::pair{0.0, 1.0}, std::pair{L, -1.0}}) {
        PointMoment p;
        p.LCGen = 1;
        p.node = 1;
        p.offset = static_cast<float>(x);
        p.My = static_cast<float>(My);
        m.EinzelM.Append(p);
    }
    // One serviceability and one ultimate combination: 1.0 * (load case 1).
    m.nLf = 1;
    m.nRegelLk = m.nKnickLk = 1;
    m.nRegelTerm = m.nKnickTerm = 1;
    m.RegelTerm = {CombinationTerm{1, 0, 1.0f}};
    m.KnickTerm = {CombinationTerm{1, 0, 1.0f}};

    // The section values of the solver: IPE 300 along the whole member.
    ipe300::Sections sections;
    fe::State(*run).sections = &sections;

    // The driver's phases for this model: data preparation, loads, buckling.
    if (fe::PrepareSystemData(*run) != 0 || fe::ApplyLoads(*run) != 0 || fe::RechneDltr3D(*run, 1, 0) != 0) {
        std::printf("the buckling analysis failed\n");
        return 1;
    }
    const double Mcr = std::fabs(fe::State(*run).results.ultimate[0].eigenValues[0]);

    const double pi = std::acos(-1.0);
    const double closed = pi / L * std::sqrt(ipe300::EIz * ipe300::GIT *
                                             (1 + pi * pi * ipe300::EIw / (L * L * ipe300::GIT)));
    std::printf("IPE 300, L = %.1f m, fork supports, uniform moment\n", L);
    std::printf("Mcr = %.2f kNm (closed form %.2f kNm)\n", Mcr, closed);
    return std::fabs(Mcr - closed) <= 1e-3 * closed ? 0 : 1;
}
