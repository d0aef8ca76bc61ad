#include "platform/ferrum/plate_roles.h"

#include <algorithm>
#include <cmath>

namespace ferrum {

std::vector<int> FindPlateRoles(const std::vector<PlateLine>& plates, double tol)
{
    std::vector<int> roles(plates.size(), 0);
    int webs = 0, other = 0;
    size_t web = 0;
    for (size_t k = 0; k < plates.size(); ++k) {
        const PlateLine& x = plates[k];
        if (std::fabs(x.za - x.ze) <= tol) continue;  // horizontal
        if (std::fabs(x.ya - x.ye) <= tol) ++webs, web = k;
        else ++other;
    }
    if (webs != 1 || other != 0) return roles;
    const PlateLine& w = plates[web];
    const double zt = std::min(w.za, w.ze), zb = std::max(w.za, w.ze);
    double adjTop = -1e300, adjBot = 1e300;
    for (size_t k = 0; k < plates.size(); ++k) {
        if (k == web) continue;
        const double z = plates[k].za;
        if (z < zt + tol) adjTop = std::max(adjTop, z);
        if (z > zb - tol) adjBot = std::min(adjBot, z);
    }
    roles[web] = 3;
    for (size_t k = 0; k < plates.size(); ++k) {
        if (k == web) continue;
        const double z = plates[k].za;
        if (z < zt + tol) roles[k] = std::fabs(z - adjTop) <= tol ? 1 : 5;
        else if (z > zb - tol) roles[k] = std::fabs(z - adjBot) <= tol ? 2 : 6;
    }
    return roles;
}

}  // namespace ferrum
