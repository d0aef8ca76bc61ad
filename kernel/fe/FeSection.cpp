#include "kernel/fe/FeSection.h"

#include <cmath>

namespace tovik::fe {

PrincipalSection ToPrincipalAxes(const FeSectionValues& s) {
    PrincipalSection p;
    const double mean = 0.5 * (s.Ayy + s.Azz);
    const double half = 0.5 * (s.Ayy - s.Azz);
    if (std::fabs(s.Ayz) <= 1e-12 * (std::fabs(s.Ayy) + std::fabs(s.Azz))) {
        p.Iy = s.Ayy;
        p.Iz = s.Azz;
        p.alpha = 0.0;
    } else {
        // tan 2a = 2 Ayz / (Azz - Ayy) makes the product moment vanish. Of
        // the two solutions take the axes nearest to the reference axes
        // (|a| <= pi/4), so that the principal y axis is the one the
        // reference y axis turns into and a vanishing Ayz gives a = 0, as in
        // the branch above; atan2 would turn the axes by about 90 degrees
        // when Ayy > Azz and exchange the strong and the weak axis.
        const double d = s.Azz - s.Ayy;
        if (d == 0.0) p.alpha = (s.Ayz > 0 ? 0.25 : -0.25) * M_PI;
        else p.alpha = 0.5 * std::atan(2.0 * s.Ayz / d);
        const double c2 = std::cos(2 * p.alpha), s2 = std::sin(2 * p.alpha);
        p.Iy = mean + half * c2 - s.Ayz * s2;
        p.Iz = mean - half * c2 + s.Ayz * s2;
    }
    const double c = std::cos(p.alpha), sn = std::sin(p.alpha);
    p.yM = c * s.yM + sn * s.zM;
    p.zM = c * s.zM - sn * s.yM;
    return p;
}

}  // namespace tovik::fe
