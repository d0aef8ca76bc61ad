// The rail-to-flange weld under one wheel; the rules with their clauses are
// listed in vadu_rail_weld.h.
#include "platform/ferrum/vadu_rail_weld.h"

#include <algorithm>
#include <cmath>

#include "platform/ferrum/onfly_section.h"
#include "platform/ferrum/rail_composite.h"
#include "platform/ferrum/vadu_local_rules.h"
#include "platform/zidezaz/zidezaz.h"

namespace {

// First moment of the worn rail about the centroid of girder and rail
// together, divided by their second moment, 1/cm (0 without values).
double RailShearFlowFactor(const ferrum::OnTheFlySection& s, const FER_VaduLocalInput& in) {
    SektTqs girder{};
    if (SEKT_PRO_GetResultTqs(s.profile, 0, &girder) != 0 || !(girder.A > 0)) return 0.0;
    ferrum::SectionPart c;
    c.A = girder.A;
    c.y0 = girder.y0;
    c.z0 = girder.z0;
    c.Iyy = girder.Ayy;
    c.Izz = girder.Azz;
    c.Iyz = girder.Ayz;
    const ferrum::SectionPart rail = ferrum::RailPart(in.railA75, in.railIy75, 0.0, in.railE175, girder.zmi);
    ferrum::AddPartToSection(c, rail);
    if (!(c.Iyy > 0)) return 0.0;
    return rail.A * std::fabs(c.z0 - rail.z0) / c.Iyy;
}

}  // namespace

namespace ferrum {

bool WeldStrength(double fy, double& fu, double& betaW) {
    // EN 1993-1-1 Table 3.1 (fu), EN 1993-1-8 Table 4.1 (beta_w).
    struct Grade {
        double fy, fu, betaW;
    };
    static const Grade kGrades[] = {
        {235, 360, 0.8}, {275, 430, 0.85}, {355, 510, 0.9}, {420, 520, 1.0}, {460, 540, 1.0}};
    fu = betaW = 0.0;
    for (const Grade& g : kGrades) {
        if (std::fabs(fy - g.fy) < 0.5) {
            fu = g.fu;
            betaW = g.betaW;
            return true;
        }
        if (fy > g.fy) {
            fu = g.fu;  // the next lower grade so far
            betaW = 1.0;
        }
    }
    return fu > 0;
}

}  // namespace ferrum

int FER_hCalcVaduSchieneSchweissnaht(int h, double aw, double Hy, double Hx, double Qz, double Qy,
                                     const FER_VaduLocalInput* local, FER_VaduLocalSection* points,
                                     FER_VaduRailWeldResult* result) {
    (void)Qy;  // no shear flow through the welds of a centrally standing rail
    if (!result) return -1;
    *result = FER_VaduRailWeldResult{};
    if (!local) return -1;
    if (points) {
        *points = FER_VaduLocalSection{};
        FER_hCalcVaduLocal(h, local, points, 0);
    }
    if (!(aw > 0)) return 0;
    const ferrum::OnTheFlySection* s = ferrum::FindOnTheFly(h);
    if (!s || s->profile <= 0) return -1;
    const ferrum::LocalGeometry g = ferrum::FindLocalGeometry(*s, 1);
    double fu, betaW;
    if (!g.ok || !(local->railIy75 > 0) || !(local->railB1 > 0) || !ferrum::WeldStrength(local->fy, fu, betaW) ||
        !(s->gM2 > 0) || !std::isfinite(aw + Hy + Hx + Qz + local->F))
        return -1;
    double additional[FER_H_MAX_ADDITIONAL] = {};
    FER_hGetAdditionalValues(h, additional);
    double intermittent = 1.0;
    if (additional[3] == 1.0) {
        if (!(additional[4] > 0) || additional[5] < 0) return -1;
        intermittent = (additional[4] + additional[5]) / additional[4];
    }

    // mm and N.
    const double tw = 10.0 * g.tw, Ir = 1.0e4 * local->railIy75;
    const double l = 3.25 * std::cbrt(Ir / tw);  // EN 1993-6 Table 5.1 (b), If,eff = 0
    const double b1 = 10.0 * local->railB1, h75 = 10.0 * local->railH75, e = 10.0 * additional[6];
    const double shearFlow = 100.0 * Qz * RailShearFlowFactor(*s, *local);  // N/mm
    // Hx and the shear flow may act in either sense: their magnitudes add.
    const double tauPar = std::fabs(1000.0 * Hx) / (2.0 * aw * l) + std::fabs(shearFlow) / (2.0 * aw);
    const double M = 1000.0 * (Hy * h75 + local->F * e);
    const double Fperp = std::fabs(M) / b1 + 0.5 * std::fabs(1000.0 * Hy);
    const double sigmaPerp = Fperp / (std::sqrt(2.0) * aw * l);

    result->Pz = local->F;
    result->length = l;
    result->tauPar = tauPar * intermittent;
    result->sigmaPerp = sigmaPerp * intermittent;
    result->tauPerp = result->sigmaPerp;
    // EN 1993-1-8 4.5.3.2(6), eq. (4.1).
    result->sigmaV = std::sqrt(result->sigmaPerp * result->sigmaPerp +
                               3.0 * (result->tauPerp * result->tauPerp + result->tauPar * result->tauPar));
    result->limitV = fu / (betaW * s->gM2);
    result->limitPerp = 0.9 * fu / s->gM2;
    result->utilisation = std::max(result->sigmaV / result->limitV, result->sigmaPerp / result->limitPerp);
    return 0;
}
