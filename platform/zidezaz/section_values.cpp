// The values of a calculated section as the reports show them, and their
// block in the open report (ordinal 16).
#include <algorithm>
#include <cmath>
#include <string>

#include "platform/zadevoz/zadevoz.h"
#include "platform/zidezaz/proofs.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

// Round-off below the last printed digit shows as 0, not "-0.00".
double Clean(double v) { return std::fabs(v) < 0.005 ? 0.0 : v; }

}  // namespace

bool zidezaz::SectionValuesOf(int pro, SectionValues& out) {
    SektGqs g{};
    if (SEKT_PRO_GetResultGqs(pro, &g) != 0 || !(g.A > 0)) return false;  // the query calculates first
    SectionValues v;
    const double c = std::cos(g.phi), s = std::sin(g.phi);
    v.A = g.A;
    v.y0 = g.y0;
    v.z0 = g.z0;
    v.Iy = g.Azz * s * s - 2 * g.Ayz * s * c + g.Ayy * c * c;
    v.Iz = g.Azz * c * c + 2 * g.Ayz * s * c + g.Ayy * s * s;
    v.phiDeg = g.phi * 180.0 / kPi;
    v.yM = g.ym - g.y0;
    v.zM = g.zm - g.z0;
    v.It = g.Ito + g.Itg;
    v.Iw = g.Bww;
    v.iy = std::sqrt(std::max(v.Iy, 0.0) / g.A);
    v.iz = std::sqrt(std::max(v.Iz, 0.0) / g.A);
    v.iM2 = v.iy * v.iy + v.iz * v.iz + v.yM * v.yM + v.zM * v.zM;
    v.ry = v.Iz > 0 ? g.Bzz / v.Iz - 2 * v.yM : 0.0;
    v.rz = v.Iy > 0 ? g.Byy / v.Iy - 2 * v.zM : 0.0;
    // r_w = 1/Iw * integral of omega (y² + z²) dA over the walls.
    SektTqs tq{};
    if (g.Bww > 0 && SEKT_PRO_GetResultTqs(pro, 0, &tq) == 0) {
        const int ne = SEKT_PRO_GetnTqe(pro, 0);
        double sum = 0;
        for (int k = 0; k < ne; ++k) {
            SektTqe e{};
            if (SEKT_PRO_GetResultTqe(pro, 0, k, &e) != 0 || e.exclude) continue;
            auto f = [&](double r) {
                const double y = e.ya + r * (e.ye - e.ya), z = e.za + r * (e.ze - e.za);
                const double w = (e.wa + r * (e.we - e.wa)) - (z * tq.ym - y * tq.zm);
                const double yc = y - g.y0, zc = z - g.z0;
                return w * (yc * yc + zc * zc);
            };
            const double L = std::hypot(e.ye - e.ya, e.ze - e.za), t = 0.5 * (e.ta + e.te);
            sum += t * L / 6.0 * (f(0) + 4 * f(0.5) + f(1));
        }
        v.rw = sum / g.Bww;
    }
    // Elastic moduli: the extreme fibres are corners of the plates (centre
    // line +- half the thickness at either end); root fillets lie inside.
    const int nl = SEKT_PRO_GetnWLine(pro);
    for (int i = 0; i < nl; ++i) {
        SektWLine l{};
        if (SEKT_PRO_GetWLine(pro, i, &l) != 0 || l.type != SEKT_WLINE_PLATE) continue;
        const double L = std::hypot(l.ye - l.ya, l.ze - l.za);
        if (!(L > 0)) continue;
        const double ny = -(l.ze - l.za) / L, nz = (l.ye - l.ya) / L;
        for (int end = 0; end < 2; ++end) {
            const double py = end ? l.ye : l.ya, pz = end ? l.ze : l.za, t = 0.5 * (end ? l.te : l.ta);
            for (int side : {-1, 1}) {
                const double y = py + side * t * ny - g.y0, z = pz + side * t * nz - g.z0;
                v.yExtreme = std::max(v.yExtreme, std::fabs(y * c + z * s));
                v.zExtreme = std::max(v.zExtreme, std::fabs(-y * s + z * c));
            }
        }
    }
    v.Wy = v.zExtreme > 0 ? v.Iy / v.zExtreme : 0.0;
    v.Wz = v.yExtreme > 0 ? v.Iz / v.yExtreme : 0.0;
    out = v;
    return true;
}

int ZAZUZER_WriteSectionValues(int pro, int kind, const char* title, int /*reserved1*/, int /*reserved2*/,
                               double* work) {
    zidezaz::SectionValues v;
    if (kind != -1 || !zidezaz::SectionValuesOf(pro, v)) return -1;
    if (work) {
        const double* p = &v.A;
        std::copy(p, p + ZAZ_SECTION_VALUE_COUNT, work);
    }
    if (title && *title) zadevoz::RtfWriteText(0, title);
    zadevoz::RtfBeginTable({2.2, 2.6, 1.3, 2.2, 2.6, 1.3});
    zadevoz::RtfBeginRow(0);
    auto cell = [](const char* name, double value, const char* format, const char* unit) {
        zadevoz::RtfWriteCell(name);
        zadevoz::RtfWriteNumberCell(format, Clean(value));
        zadevoz::RtfWriteCell(unit);
    };
    const char* cm = "cm";
    const char* cm2 = "cm{\\super 2}";
    const char* cm3 = "cm{\\super 3}";
    const char* cm4 = "cm{\\super 4}";
    cell("A", v.A, "\\qr @2", cm2);
    cell("{\\f2 j}", v.phiDeg, "\\qr @2", "Grad");
    cell("y{\\sub S}", v.y0, "\\qr @2", cm);
    cell("z{\\sub S}", v.z0, "\\qr @2", cm);
    cell("I{\\sub y}", v.Iy, "\\qr @2", cm4);
    cell("I{\\sub z}", v.Iz, "\\qr @2", cm4);
    cell("W{\\sub y}", v.Wy, "\\qr @2", cm3);
    cell("W{\\sub z}", v.Wz, "\\qr @2", cm3);
    cell("i{\\sub y}", v.iy, "\\qr @2", cm);
    cell("i{\\sub z}", v.iz, "\\qr @2", cm);
    cell("y{\\sub M}", v.yM, "\\qr @2", cm);
    cell("z{\\sub M}", v.zM, "\\qr @2", cm);
    cell("I{\\sub T}", v.It, "\\qr @2", cm4);
    cell("I{\\sub \\f2 w\\f1 }", v.Iw, "\\qr @0", "cm{\\super 6}");
    cell("i{\\sub M}{\\super 2}", v.iM2, "\\qr @2", cm2);
    cell("r{\\sub \\f2 w\\f1 }", v.rw, "\\qr @2", cm);
    cell("r{\\sub y}", v.ry, "\\qr @2", cm);
    cell("r{\\sub z}", v.rz, "\\qr @2", cm);
    zadevoz::RtfEndTable();
    return 0;
}
