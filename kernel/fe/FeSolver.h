// The finite-element analysis of one member: data preparation and load
// placement, the load-case analyses (first order, buckling eigenvalue,
// second order), imperfections and envelopes.
//
// The solver keeps its per-run data in FeState, a cache of the run state
// (run.Cache<FeState>()). The run driver sets the section provider before
// PrepareSystemData and reads the results from FeState::results.
//
// Units: kN and m inside; displacements in m and rad, end forces in kN,
// kNm and kNm² (bimoment); stresses in kN/cm².
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "kernel/ModelRecord.h"
#include "kernel/fe/BeamElement.h"
#include "kernel/fe/FeSection.h"
#include "kernel/fe/Skyline.h"

namespace tovik::fe {

// One placed load, bedding or spring: where it sits (element for pieces
// along the member, node for loads at a point; -1 when no node lies
// there), its load case (0 for beddings and springs), and its values. v[0]
// is the combination factor of the current load case.
struct PlacedRecord {
    int32_t where = -1;
    int32_t lc = 0;
    int32_t mark = 0;
    std::array<double, 15> v{};
};

// Value slots of the placed lists (index into PlacedRecord::v).
namespace slot {
// beddings: cx start, end; cy start, end; cz start, end; ey, ez from the
// shear centre in the reference axes (m); cmx
inline constexpr int kBedCx = 1, kBedCy = 3, kBedCz = 5, kBedEy = 7, kBedEz = 8, kBedCmx = 9;
// springs: cy, cz (reference axes); ey, ez from the shear centre (reference
// axes, m); principal-axis angle at the spring
inline constexpr int kSprCy = 1, kSprCz = 2, kSprEy = 3, kSprEz = 4, kSprAlpha = 5;
// point loads: Px; Py, Pz (principal axes); ey, ez point of attack for
// torsion and load height (m, principal axes); eyc, ezc of the axial force
// from the centroid (m, principal axes)
inline constexpr int kPtPx = 1, kPtPy = 2, kPtPz = 3, kPtEy = 4, kPtEz = 5, kPtEyc = 6, kPtEzc = 7;
// moments: Mx, My, Mz (My, Mz in the principal axes)
inline constexpr int kMomMx = 1, kMomMy = 2, kMomMz = 3;
// line-load pieces: px start, end; py start, end; pz start, end (principal
// axes); ey, ez from the shear centre for the element's middle (principal axes)
inline constexpr int kLinPx = 1, kLinPy = 3, kLinPz = 5, kLinEy = 7, kLinEz = 8;
// temperature-table pieces: line moment start, end; dT0, dT1, dT2
inline constexpr int kTmpMa = 1, kTmpMb = 2, kTmpT0 = 3, kTmpT1 = 4, kTmpT2 = 5;
// prescribed displacements: du, dv, dw (m), dphi, dpsi, dtet (rad)
inline constexpr int kZw = 1;
}  // namespace slot

// Results of one load case of one kind.
struct FeCaseResult {
    int32_t code = 0;               // analysis code (0, 2, 99, -1)
    int32_t failCode = 0;           // first nonzero code of any analysis of the case
    bool eigenFound = false;        // the buckling analysis found its eigenvalues
    bool computed = false;          // false when the case had no load
    std::vector<double> displacements;  // 7 per node
    std::vector<double> reactions;      // 7 per node
    std::vector<double> endForces;      // 14 per element, internal forces
    std::vector<double> stresses;       // 5 per element end: sigma max, sigma min, |tau| max, sigma_v max, utilisation
    // Ultimate cases only:
    std::vector<double> eigenVectors;   // 2 slots x 7 per node
    std::array<double, 6> eigenValues{};  // per slot: factor, v and w at their extremes
    std::vector<double> imperfection;   // 4 per node: vI, wI, psiY, psiZ
    int32_t passes = 0;                 // passes of the last analysis
    int32_t eigenSteps = 0;             // conjugate-gradient steps of the eigen solution
};

// The first-order record of the last buckling analysis.
struct FirstOrderRecord {
    double vL = 0, wL = 0, thetaL = 0;
    double signYM = 1, signZM = 1;
};

struct FeEnvelope {
    bool present = false;
    std::vector<int32_t> supportNodes;       // finite-element nodes of the supports
    std::vector<double> reactions;           // 98 per support node
    std::vector<double> endMax, endMin;      // 7 per element end (2 per element)
    std::vector<double> stressMax, stressMin;  // 5 per element
};

struct FeResults {
    std::vector<FeCaseResult> service;   // index = serviceability combination (0-based)
    std::vector<FeCaseResult> ultimate;  // index = ultimate combination (0-based)
    FeEnvelope serviceEnvelope, ultimateEnvelope;
};

// What the analyses of one run share and never change: the skyline layout,
// the values of every element, the material and stress points, and the
// stiffness of the system without geometric terms, assembled and factored
// once. Built by the first analysis after the model and its sections are
// set; the phases that change them drop it.
struct FeRunConstants {
    int32_t nn = 0, ne = 0, N = 0, nwk = 0, nband = 0;
    std::vector<LmVector> lms;      // equation numbers per element
    std::vector<ElementPositions> positions;  // skyline positions of each element's entries
    std::vector<int32_t> maxa;      // diagonal addresses
    std::vector<ElementValues> values;
    std::vector<Vec14> hinges;
    std::vector<char> hinged;       // the element releases an end entry
    // Elastic and bedding stiffness of each element without released
    // entries (first order: principal moments not separated).
    std::vector<Mat14> elastic;
    bool haveSections = false;
    FeMaterial material;
    std::vector<std::vector<FeStressPoint>> stressPoints;  // per element
    // The stiffness without geometric terms: [0] of the first-order
    // analysis, [1] of the buckling analysis (equal principal moments
    // separated slightly).
    struct System {
        bool built = false;
        std::vector<double> assembled;    // before springs and supports (reactions)
        std::vector<double> withSprings;  // springs added (prescribed displacements)
        std::vector<double> supported;    // supports applied
        std::vector<double> factor;       // LDL^T factor of supported
        int32_t factorError = 0;          // last equation with a non-positive pivot
    };
    System system[2];
};

// Vectors and matrices of one analysis, kept between analyses so that a
// pass allocates nothing once they have their size.
struct FeWorkspace {
    std::vector<double> K, Kcopy, G, u, p, pLoads, u0, Ku0, p0, ef, efNew, r;
    std::vector<Mat14> Ke;           // element matrices of the pass
    std::vector<Vec14> fixedEnd;     // element fixed-end forces of the pass
    std::vector<LinePieceRecord> list;
    std::vector<double> eigenOut;
    // Eigen solver: x, K x, G x, gradient, preconditioned gradient,
    // direction, K p, G p.
    std::vector<double> x, y1, y2, g, h, dir, z1, z2;
};

// An error or warning line of an analysis that runs on a worker thread,
// written by the calling thread in the order of the combinations.
struct DeferredLine {
    int32_t kind = 0;
    std::string text;
};

class FeState : public RunCache {
public:
    const IFeSectionProvider* sections = nullptr;

    // Placed lists.
    std::vector<PlacedRecord> beddings, springs, points, moments, lines, temps, zwang;
    std::vector<std::vector<int32_t>> linesOfElement;  // line-load pieces per element
    std::vector<std::vector<int32_t>> tempsOfElement;
    std::vector<std::vector<int32_t>> beddingsOfElement;
    // Support vector per equation (1-based), from the support types.
    std::vector<double> lager;
    bool prepared = false;

    FirstOrderRecord firstOrder;
    FeResults results;
    std::vector<std::string> errorLines;  // copies of the lines written, for tests and traces
    std::vector<double> lastEndForces;    // end forces of the last analysis (14 per element)

    // Analysis settings.
    int32_t iterationCount = 20;          // passes of modus 2: three times this many at most
    double convergenceThreshold = 0.1;    // per cent
    // Worker threads of the ultimate combinations: 0 = from the environment
    // variable TOVIK_THREADS, else from the hardware; 1 = on the calling
    // thread.
    int32_t threads = 0;

    // Run constants (shared with the workers of the run), null until the
    // first analysis; and this state's own work space.
    std::shared_ptr<FeRunConstants> constants;
    std::unique_ptr<FeWorkspace> workspace;
    // Lines of an analysis on a worker: collected here instead of written.
    std::vector<DeferredLine>* deferred = nullptr;

    // Drops the run constants: the model or its sections have changed.
    void ModelChanged() { constants.reset(); }
};

FeState& State(RunState& run);

// Writes an error (kind 1) or warning (kind 0) line and keeps a copy.
void FeErrorLine(RunState& run, int32_t kind, const std::string& text);
// The same for the analysis state st: collected when st runs on a worker.
void FeErrorLine(RunState& run, FeState& st, int32_t kind, const std::string& text);

// The run constants of st, built when missing (the first-order or buckling
// system only when asked for: variant 0 or 1, -1 none).
const FeRunConstants& RunConstants(RunState& run, FeState& st, int32_t variant = -1);

// Data preparation: girder length and support fields.
int32_t PrepareSystemData(RunState& run);
// Nodes, element data, placement of beddings, springs and loads, and the
// check of the result layout. Returns 0, or a fault code (the run stops).
int32_t ApplyLoads(RunState& run);
// Combines load combination k (0-based) of the modus into the factors of
// the loads: -1 when there is no load, else the number of loads given a
// factor minus 1.
int32_t AktLast(RunState& run, int32_t modus, int32_t k);
int32_t AktLast(const RunState& run, FeState& st, int32_t modus, int32_t k);
// Node whose x lies within 0.001 of x, or -1.
int32_t FindNodeAtX(const RunState& run, double x);
// Turns a (y, z) pair into the principal axes (angle in radians; below
// 0.1 degrees it counts as 0).
void RotatePair(double alpha, double& y, double& z);

// Fills ev and the hinge vector of element e.
int32_t GetElementValues(RunState& run, ElementValues& ev, Vec14& hinges, int32_t e);
// Fixed-end forces (equivalent nodal loads) and line-load list of element
// e for the current factors. Returns the number of line-load pieces, or -1
// when the element's list is full.
int32_t ElementLoads(RunState& run, const ElementValues& ev, int32_t e, Vec14& fixedEnd,
                     std::vector<LinePieceRecord>& list);
int32_t ElementLoads(const RunState& run, const FeState& st, const ElementValues& ev, int32_t e,
                     Vec14& fixedEnd, std::vector<LinePieceRecord>& list);

// The analyses of RechneDltr3D ("modus"): first order on a serviceability
// combination, buckling eigenvalues and second order on an ultimate one.
enum AnalysisMode : int32_t { kFirstOrder = 0, kBuckling = 1, kSecondOrder = 2 };

// One analysis of load combination k in the given mode (an AnalysisMode).
// Returns 0, 2, 99 or -1.
int32_t RechneDltr3D(RunState& run, int32_t modus, int32_t k);

// The outcome of one ultimate combination run on a worker: the codes of
// the buckling and the second-order analysis and the lines each step
// wrote.
struct UltimateOutcome {
    int32_t bucklingCode = 0, secondOrderCode = 0;
    std::vector<DeferredLine> bucklingLines, imperfectionLines, secondOrderLines;
};
// Called on the calling thread once per combination (0-based), in order;
// false stops the combinations not yet started.
using UltimateDone = std::function<bool(int32_t k, const UltimateOutcome& outcome)>;
// The buckling analysis, the imperfection and the second-order analysis of
// every ultimate combination (nKnickLk of them), on worker threads each with its own load
// factors and work space (threads: 1 = all on the calling thread, 0 = the
// state's setting). The results are those of the calls one after the other.
void RunUltimateCombinations(RunState& run, int32_t threads, const UltimateDone& done);
// The outcome of one serviceability combination run on a worker: the code
// of its first-order analysis and the lines it wrote.
struct ServiceOutcome {
    int32_t code = 0;
    std::vector<DeferredLine> lines;
};
// Called on the calling thread once per combination (0-based), in order;
// false stops the combinations not yet started.
using ServiceDone = std::function<bool(int32_t k, const ServiceOutcome& outcome)>;
// The first-order analysis of every serviceability combination (nRegelLk of
// them) and the three steps of every ultimate combination (nKnickLk), all
// on one pool of worker threads, each worker with its own load factors and
// work space; every first-order analysis solves with the one factored
// stiffness of the run (threads: 1 = all on the calling thread, 0 = the
// state's setting). On the calling thread, in this order: `service` once
// per serviceability combination, then `between` once, then `ultimate` once
// per ultimate combination; a false from any of them stops what is not yet
// started. The results, the stresses kept for the user's points, the load
// factors, the first-order record and the last end forces left in the run's
// state are those of the analyses one after the other.
void RunCombinations(RunState& run, int32_t threads, const ServiceDone& service, const std::function<bool()>& between,
                     const UltimateDone& ultimate);
// The number of worker threads for n combinations: the setting, else
// TOVIK_THREADS, else the hardware's; never more than n, at least 1.
int32_t UltimateThreadCount(const FeState& st, int32_t n);

// Turns the end forces of one element into its deformed axes (modus 2).
void TransformEndForces(double* endForces14, const double* nodeDispA, const double* nodeDispB,
                        int32_t modus);

// Stresses at every end of every element from the end forces.
void CalcStresses(RunState& run, const std::vector<double>& endForces, int32_t elements,
                  int32_t modus, int32_t k, std::vector<double>& stresses);
void CalcStresses(RunState& run, FeState& st, const std::vector<double>& endForces, int32_t elements,
                  int32_t modus, int32_t k, std::vector<double>& stresses);

// Buckling eigenvalue: lowest eigenpair of K x = lambda G x (Skyline.h
// storage). out gets 2 (n + 1) values: two vectors, then two eigenvalues;
// only the first slot is filled. Returns 0 or -1; steps gets the number of
// conjugate-gradient steps.
int32_t SolveEigen(std::vector<double>& K, const std::vector<double>& G,
                   const std::vector<int32_t>& maxa, int32_t n, int32_t nwk,
                   std::vector<double>& out, int32_t* steps = nullptr);
// The same with K given as its factor and the matrix itself (unchanged);
// the vectors of the iteration live in ws.
int32_t SolveEigenFactored(const std::vector<double>& factor, const std::vector<double>& K,
                           const std::vector<double>& G, const std::vector<int32_t>& maxa, int32_t n,
                           int32_t nwk, std::vector<double>& out, int32_t* steps, FeWorkspace& ws);
// The start-vector generator: (1, seed) seeds it and returns 0; (0, .)
// returns the next value in [-1, 1). Its state is the calling thread's.
double RandomStart(int32_t mode, double seed);

// Imperfection of ultimate combination k into its region.
void SetImperfection(RunState& run, int32_t k);
void SetImperfection(RunState& run, FeState& st, FeResults& results, int32_t k);
// Sine half-wave (or 1 - cos for a cantilever field) shape at x.
void ImperfectionShape(const RunState& run, double x, double& y, double& z);
// Equivalent loads of the imperfection (second order): the geometric
// stiffness of every element, from its end forces of the previous pass,
// acting on the initial deformation, p -= Kg u0. This holds the sway loads
// of the compressed elements (N times the slopes; none in tension) and the
// torsion of the bending moments on the crooked member (My v0'', Mz w0'',
// which includes the lever of the loads at the deviated axis).
void SwayImperfectionLoads(RunState& run, const std::vector<double>& imperfection,
                           std::vector<double>& p, const std::vector<double>& endForces);
void SwayImperfectionLoads(RunState& run, FeState& st, const std::vector<double>& imperfection,
                           std::vector<double>& p, const std::vector<double>& endForces);
// Initial deformation of element e: v, w and the rotations at its nodes
// from the imperfection region (14 values, element order).
Vec14 InitialDeformation(const RunState& run, const std::vector<double>& imperfection, int32_t e);

// Envelopes over the load cases of a kind: 1 serviceability, 0 ultimate.
int32_t BuildEnvelopes(RunState& run, int32_t kind);
// Per column the largest and smallest value over rows (row-major, width).
void MinMaxOverCases(std::vector<double>& mx, std::vector<double>& mn,
                     const std::vector<double>& rows, int32_t nRows, int32_t width);
// Extreme superposition of load-case rows by action type; result gets
// 2 * width * width values (per component the maximising vector, then the
// minimising one). Nothing is written for zero rows.
void SuperposeExtremes(const std::vector<double>& rows, int32_t width, int32_t count,
                       const std::vector<int32_t>& types, const std::vector<double>& factors,
                       std::vector<double>& result);

}  // namespace tovik::fe
