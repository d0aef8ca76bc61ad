// Crane wheel loads by the groups of loads of EN 1991-3, Table 2.2.
#include "platform/ferrum/ferrum.h"

namespace {

struct Forces {
    double v = 0, hx = 0, hy = 0;
};

// The horizontal forces of crane acceleration with the factor f on both
// drive forces, plus the in-service wind across the girder.
void AddAcceleration(Forces& f, const double* c, double factor, bool wind)
{
    f.hx += factor * c[FER_VADU_HL];
    f.hy += factor * c[FER_VADU_HT];
    if (wind) f.hy += c[FER_VADU_WIND];
}

bool Generate(const FER_VaduLoadInput& in, Forces& f)
{
    const double* c = in.column;
    const double qc = c[FER_VADU_QC], qh = c[FER_VADU_QH];
    const double phi1 = in.phi[0], phi2 = in.phi[1], phi3 = in.phi[2], phi4 = in.phi[3];
    const double phi5 = in.phi[4], phi6 = in.phi[5], phi7 = in.phi[6];
    switch (in.kind) {
    case 1:  // hoisting
        f.v = phi1 * qc + phi2 * qh;
        AddAcceleration(f, c, phi5, true);
        return true;
    case 2:  // sudden release of the payload
        f.v = phi1 * qc + phi3 * qh;
        AddAcceleration(f, c, phi5, true);
        return true;
    case 3:  // crane without payload
        f.v = qc;
        AddAcceleration(f, c, phi5, true);
        return true;
    case 4:  // travelling, acceleration
        f.v = phi4 * (qc + qh);
        AddAcceleration(f, c, phi5, true);
        return true;
    case 5:  // travelling, skewing
        f.v = phi4 * (qc + qh);
        f.hy = c[FER_VADU_HS] + c[FER_VADU_WIND];
        return true;
    case 6:  // travelling, crab acceleration
        f.v = phi4 * (qc + qh);
        f.hy = c[FER_VADU_HT3];
        return true;
    case 7:  // payload removed, the share eta of the hoist load remains
        f.v = qc + in.eta * qh;
        return true;
    case 8:  // test load
        f.v = phi1 * qc + phi6 * c[FER_VADU_QT];
        AddAcceleration(f, c, phi5, true);
        return true;
    case 9:  // buffer forces
        f.v = qc + qh;
        f.hx = phi7 * c[FER_VADU_HB_X];
        f.hy = phi7 * c[FER_VADU_HB_Y];
        return true;
    case 10:  // tilting force
        f.v = qc + qh;
        f.hy = c[FER_VADU_HTA];
        return true;
    case 12:  // serviceability: skewing, characteristic values
        f.v = qc + qh;
        f.hy = c[FER_VADU_HS];
        return true;
    case 13:  // serviceability: acceleration, characteristic values
        f.v = qc + qh;
        AddAcceleration(f, c, 1.0, false);
        return true;
    case 14:  // fatigue: vertical wheel load only
    case 15:  // fatigue with the horizontal forces of acceleration
        f.v = 0.5 * (1.0 + phi1) * qc + 0.5 * (1.0 + phi2) * qh;
        if (in.kind == 15) AddAcceleration(f, c, 1.0, false);
        return true;
    default:
        return false;
    }
}

}  // namespace

FERRUM_API int FER_GenerateVaduLoad(const FER_VaduLoadInput* input, FER_VaduLoadOutput* output)
{
    if (!output) return 0;
    Forces f;
    bool known = input && Generate(*input, f);
    output->value[0] = f.v;
    output->value[1] = f.hx;
    output->value[2] = f.hy;
    return known ? 1 : 0;
}
