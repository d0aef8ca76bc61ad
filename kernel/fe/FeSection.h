// What the finite-element solver needs of the member's cross-sections. The
// section layer implements IFeSectionProvider; tests hand values directly.
#pragma once

#include <cstdint>
#include <vector>

namespace tovik::fe {

// Values of one cross-section in finite-element units (kN, m). Second
// moments and the shear centre are given about the centroid in the section's
// reference axes; the solver turns them into the principal axes itself.
struct FeSectionValues {
    double E = 0, G = 0;             // kN/m²
    double A = 0;                    // m²
    double Ayy = 0;                  // integral z² dA, m⁴
    double Azz = 0;                  // integral y² dA, m⁴
    double Ayz = 0;                  // integral y z dA, m⁴
    double IT = 0, Iw = 0;           // m⁴, m⁶
    double yM = 0, zM = 0;           // shear centre from the centroid, reference axes, m
    double ip2 = 0;                  // polar radius of gyration about the shear centre, squared, m²
    double ry = 0, rz = 0, rw = 0;   // Wagner asymmetry radii in the principal axes, m
    double hy = 0, hz = 0;           // extents of the section in y and z, m
};

// The section in its principal axes.
struct PrincipalSection {
    double Iy = 0, Iz = 0;   // principal second moments (Iy about the principal y axis)
    double alpha = 0;        // angle of the principal y axis from the reference y axis, rad
    double yM = 0, zM = 0;   // shear centre in the principal axes, m
};

// Principal second moments from Ayy, Azz and Ayz; the angle follows the
// rotation y' = cos a y + sin a z, z' = cos a z - sin a y (the rotation of
// loads and eccentricities into the principal axes).
PrincipalSection ToPrincipalAxes(const FeSectionValues& s);

// Unit stresses of one stress point: the stress that one unit of each
// internal force produces there (forces in kN, moments in kNcm, bimoment in
// kNcm²; stresses in kN/cm²). The bending values refer to moments about the
// reference axes.
struct FeStressPoint {
    double sN = 0, sMy = 0, sMz = 0, sMw = 0;  // normal stress per N, My, Mz, Mw
    double tVy = 0, tVz = 0, tMx = 0;          // shear stress per Vy, Vz, Mx
};

// Material values for the stresses: yield strength (kN/cm²), the partial
// factor and its accidental twin, the utilisation above which the
// equivalent stress is checked, and the equivalent-stress limit (kN/cm²,
// before division by the partial factor).
struct FeMaterial {
    double fy = 0;
    double gammaM = 1.1;
    double gammaMA = 1.0;
    double interaction = 0.5;
    double sigmaVLimit = 0;
};

class IFeSectionProvider {
public:
    virtual ~IFeSectionProvider() = default;
    // True when the member has one section for its whole length.
    virtual bool Constant() const = 0;
    // The section at finite-element node k (0-based); with a constant
    // section any k gives the same values.
    virtual FeSectionValues AtNode(int32_t k) const = 0;
    // The section at distance d (m) behind input node b (1-based); used to
    // place loads, springs and beddings.
    virtual FeSectionValues AtInputNode(int32_t b, double d) const = 0;
    // The section just inside the start (end 0) or the end (end 1) of
    // element e. Where two different sections meet at a node, AtNode cannot
    // tell which one an element sees; this can.
    virtual FeSectionValues AtElementEnd(int32_t e, int32_t end) const { return AtNode(e + (end ? 1 : 0)); }
    // Stress points of the section of element e (may be empty).
    virtual std::vector<FeStressPoint> StressPoints(int32_t e) const = 0;
    // Material of the member.
    virtual FeMaterial Material() const = 0;
    // Stresses of one stress point at one end (0 or 1) of element e in
    // serviceability combination k (0-based), for the per-point extremes
    // that the section layer keeps; the default keeps nothing.
    virtual void PointStress(int32_t /*e*/, int32_t /*end*/, int32_t /*point*/, int32_t /*k*/,
                             double /*sigma*/, double /*tau*/) const {}
};

}  // namespace tovik::fe
