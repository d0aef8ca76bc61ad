// Section values of a girder with a part added to it (the crane rail on the
// top flange): area, centroid and second moments about the common centroid
// by the parallel-axis theorem, each part with its own transfer term.
//
// Header-only, so that the module's report values and the kernel's section
// values use the same formulas without a link between them.
#pragma once

namespace ferrum {

// Values of one section about its own centroid (y0, z0); Iyy = integral z^2 dA,
// Izz = integral y^2 dA, Iyz = integral y z dA.
struct SectionPart {
    double A = 0;
    double y0 = 0, z0 = 0;
    double Iyy = 0, Izz = 0, Iyz = 0;
};

// Adds part p to section s in place: s becomes the composite about the
// common centroid. Nothing changes when the composite area is not positive.
// Returns the centroid shift (dy, dz) of s through the out arguments.
inline void AddPartToSection(SectionPart& s, const SectionPart& p, double* dy = nullptr, double* dz = nullptr)
{
    const double A = s.A + p.A;
    if (dy) *dy = 0;
    if (dz) *dz = 0;
    if (!(A > 0)) return;
    const double y = (s.A * s.y0 + p.A * p.y0) / A;
    const double z = (s.A * s.z0 + p.A * p.z0) / A;
    const double sy = s.y0 - y, sz = s.z0 - z, py = p.y0 - y, pz = p.z0 - z;
    s.Iyy += s.A * sz * sz + p.Iyy + p.A * pz * pz;
    s.Izz += s.A * sy * sy + p.Izz + p.A * py * py;
    s.Iyz += s.A * sy * sz + p.Iyz + p.A * py * pz;
    if (dy) *dy = y - s.y0;
    if (dz) *dz = z - s.z0;
    s.A = A;
    s.y0 = y;
    s.z0 = z;
}

// The crane rail (worn values) standing centrally (y = 0) on the girder's
// upper edge zTop, its centroid e1 above that edge (z counts downward).
inline SectionPart RailPart(double A, double Iy, double Iz, double e1, double zTop)
{
    SectionPart r;
    r.A = A;
    r.y0 = 0;
    r.z0 = zTop - e1;
    r.Iyy = Iy;
    r.Izz = Iz;
    return r;
}

}  // namespace ferrum
