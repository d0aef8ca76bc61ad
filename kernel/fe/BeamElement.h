// The thin-walled beam element: seven degrees of freedom per node
// (u, v, w, twist, rotation about y = -w', rotation about z = v', warping
// = -twist'), elastic and bedding stiffness, the geometric stiffness of the
// second-order theory with the Wagner and load-height terms, and the static
// condensation of hinges. Units inside the element: kN and m.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tovik::fe {

// Local degree-of-freedom indices of one node; node b adds 7.
enum Dof : int32_t { kU = 0, kV = 1, kW = 2, kTheta = 3, kPhiY = 4, kPhiZ = 5, kPsi = 6 };

using Mat14 = std::array<double, 196>;  // row-major 14 x 14
using Vec14 = std::array<double, 14>;

inline double& At(Mat14& m, int32_t r, int32_t c) { return m[static_cast<size_t>(r * 14 + c)]; }
inline double At(const Mat14& m, int32_t r, int32_t c) { return m[static_cast<size_t>(r * 14 + c)]; }

// Values of one element, filled before each element call.
struct ElementValues {
    double l = 0;             // length, m
    double E = 0, G = 0;      // kN/m²
    double A = 0;             // m²
    double Iy = 0, Iz = 0;    // principal second moments, m⁴
    double IT = 0, Iw = 0;    // m⁴, m⁶ (Iw below 1e-11 counts as 0)
    double yM = 0, zM = 0;    // shear centre from the centroid, principal axes, m
    double ip2 = 0;           // polar radius of gyration about the shear centre, squared, m²
    double ry = 0, rz = 0, rw = 0;  // Wagner asymmetry radii, m
    double alpha = 0;         // angle of the principal axes to the reference axes, rad
    double hy = 0, hz = 0;    // extents of the section in y and z, m
    double cX = 0, cY = 0, cZ = 0, cT = 0;  // bedding: axial, lateral v, lateral w, torsional
    double betaBed = 0;       // bedding angle (carried, not used by the matrices)
    // Eccentric beddings, summed over the beddings of the element: a lateral
    // bedding cy whose line lies ez below the shear centre moves by
    // v - ez * twist, a vertical bedding cz at the lateral offset ey by
    // w + ey * twist (as the single springs do).
    double cYez = 0, cYez2 = 0;  // sum of cy * ez (kN/m) and cy * ez^2 (kN)
    double cZey = 0, cZey2 = 0;  // sum of cz * ey (kN/m) and cz * ey^2 (kN)
    double slopeZ = 0;        // (z of node b - z of node a) / l
};

// One line-load piece of the element as the load-height term reads it:
// start and end of the piece, py and pz at start and end (kN/m, already
// times the combination factor), and the point of attack ey, ez measured
// from the shear centre (m).
struct LinePieceRecord {
    double xa = 0, xe = 0;
    double pya = 0, pyb = 0, pza = 0, pzb = 0;
    double ey = 0, ez = 0;
};
inline constexpr int32_t kMaxLinePiecesPerElement = 250;

using ErrorLineFn = std::function<void(const std::string&)>;

// Builds the element stiffness K (elastic plus bedding) and the geometric
// stiffness Kg from the end forces of the previous pass (internal forces;
// nullptr: none, Kg stays zero). With notBuckling, K receives K + Kg. The
// fixed-end vector (may be null) and both matrices are condensed for the
// released hinge entries. Returns 0.
int32_t CalcElementMatrices(int32_t modus, const ElementValues& ev, const Vec14& hinges, Mat14& K,
                            Mat14& Kg, const Vec14* endForces, bool notBuckling,
                            const std::vector<LinePieceRecord>& loads, Vec14* fixedEnd,
                            const ErrorLineFn& errorLine = {});

// Elastic stiffness only (no bedding, no geometric terms).
void ElasticStiffness(const ElementValues& ev, bool notBuckling, Mat14& K);
// Bedding stiffness, added to K.
void AddBeddingStiffness(const ElementValues& ev, Mat14& K);
// Geometric stiffness from internal end forces f and the line loads.
void GeometricStiffness(const ElementValues& ev, const Vec14& f,
                        const std::vector<LinePieceRecord>& loads, Mat14& Kg);
// Static condensation of the released entries (hinge value nonzero) of K,
// Kg (with the transformation of K) and the fixed-end vector.
void ReleaseHinges(const Vec14& hinges, Mat14& K, Mat14& Kg, Vec14* fixedEnd,
                   const ErrorLineFn& errorLine);

}  // namespace tovik::fe
