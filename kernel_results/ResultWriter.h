// The result writer: turns the results of the finite-element run into the
// "result" element of the position document (series of deflections,
// internal forces, stresses, support, spring and bedding forces,
// utilisations, buckling modes and the summary values) and hands over to the
// load transfer and the cross-section check.
//
// Every series comes from one mechanism: a SeriesDefinition says where its
// values come from and what to write, and is evaluated over its load cases
// and points.
#pragma once

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "kernel/ModelRecord.h"
#include "platform/zevud/zevud.h"

namespace tovik::results {

// Result blocks of the analysis (source >= 0 of a definition).
enum Block : int32_t {
    kSvcDisplacements = 0,  // 7 per node, m and rad
    kSvcReactions,          // 7 per node
    kSvcEndForces,          // 14 per element
    kSvcStresses,           // 10 per element: 5 per end (max sigX, min sigX, |tau|, sigV, utilisation)
    kUltDisplacements,
    kUltReactions,
    kUltEndForces,
    kUltStresses,
    kImperfections,         // 4 per node (m)
    kBucklingModes,         // 2 slots x 7 per node; slot 1 first
};

// Computed sources (source < 0).
namespace computed {
inline constexpr int32_t kUltSpringY = -1, kUltSpringZ = -2, kSvcSpringY = -3, kSvcSpringZ = -4;
inline constexpr int32_t kUltBedding = -5;   // -5..-8: x, y, z, moment x
inline constexpr int32_t kSvcBedding = -9;   // -9..-12
inline constexpr int32_t kDeflY = -13, kDeflZ = -14, kDeflMax = -15;
inline int32_t UserSigX(int32_t u) { return -16 - 4 * u; }
inline int32_t UserTau(int32_t u) { return -17 - 4 * u; }
inline int32_t PlateSigX(int32_t j) { return -18 - 4 * j; }
inline int32_t PlateTau(int32_t j) { return -19 - 4 * j; }
}  // namespace computed

// Output bits of a definition.
inline constexpr int32_t kOutCases = 1, kOutMin = 2, kOutMax = 4, kOutEnvelope = kOutMin | kOutMax;

class WriterContext;

// What one result series is made of (SeriesDefinition::Set).
struct SeriesSpec {
    std::string title;          // title path template, "%s" for the case or component
    std::string unit;
    int32_t source = 0;         // result block or computed series
    std::vector<int32_t> cases;
    bool atNodes = false;       // values per node ...
    bool perEnd = false;        // ... or per element end
    int32_t stride = 0;         // values per point in the source
    int32_t comp0 = 0, comp1 = 0;  // component at the start and at the end of an element
    double scale = 1.0;
    int32_t output = 0;         // kOutCases, kOutEnvelope, kOutMax
    int32_t pairType = 0;
    int32_t resType = 0;
    std::vector<float> xPositions;
};

struct SeriesDefinition {
    std::vector<float> xPositions;
    std::string titleTemplate;
    std::string unit;
    int32_t source = 0;
    // The load case indices evaluated, in order (serviceability or ultimate
    // list). Empty: the definition is not evaluated.
    std::vector<int32_t> cases;
    // Block case used in place of each case index (-1: the case itself).
    int32_t blockCase = -1;
    bool atNodes = true;
    bool perEnd = false;
    int32_t stride = 1;
    int32_t endComp[2] = {0, 0};
    double scale = 1.0;
    int32_t nDigits = 2;
    int32_t output = 0;
    int32_t pairType = 0;
    int32_t resType = -1;
    bool isDefault = false;
    bool needResType = false;
    int32_t caseNumberOffset = 0;
    int32_t selectMode = 2;
    int32_t selectCase = -1;
    std::set<int32_t> selectSet;
    // Filled by Evaluate.
    std::vector<float> pointMax, pointMin;
    std::vector<int32_t> caseOfMax;
    int32_t globalMaxCase = -1, globalMaxPoint = -1;
    float globalMax = -1e10f, globalMin = 1e10f;
    bool evaluated = false;
    // Deflection spans in y (0) and z (1).
    std::vector<float> spanEnds[2];
    std::vector<int32_t> spanLimits[2];

    // Assigns what one series needs; isDefault off, nDigits 2, blockCase -1.
    // Selection, caseNumberOffset, needResType and the span tables stay.
    void Set(const SeriesSpec& spec);

    // Evaluates over all cases and points; writes below element when it is
    // not 0. Answers false when the definition was skipped.
    bool Evaluate(const WriterContext& ctx, ZVELEM element);

    bool Selected(int32_t k) const;
};

// What one writer call works on: the run, the document flags and point
// positions. Tests build it over a hand-made run.
class WriterContext {
public:
    explicit WriterContext(RunState& run);

    RunState& run;
    bool crane = false;
    std::vector<float> nodeX, endX;
    int32_t nNode = 0;

    // One value of a definition at (case k, point p), scaled.
    float Value(const SeriesDefinition& d, int32_t k, int32_t p) const;
    // Name of the load case component of case index k.
    std::string CaseName(int32_t caseNumber) const;
    // Spring force y (dir 0) or z (dir 1) at node p of case k.
    double SpringForce(bool ultimate, int32_t k, int32_t node, int32_t dir) const;
    // Bedding value (0 x, 1 y, 2 z, 3 moment x) at element end point p.
    double BeddingForce(bool ultimate, int32_t k, int32_t point, int32_t which) const;
    // Deflection utilisation at node p of serviceability case k: which 0 y,
    // 1 z, 2 the larger (z on a tie).
    double DeflectionUtilisation(const SeriesDefinition& d, int32_t k, int32_t node, int32_t which) const;

private:
    const std::vector<double>* BlockOf(int32_t block, int32_t k) const;
};

// Reads the deflection spans for y (mask 2) or z (mask 4) into the
// definition's tables (index 0 for y, 1 for z).
void ReadDeflectionSpans(ZVDOC doc, SeriesDefinition& d, int32_t mask);

// The proofs and checks that the writer stores with the results. The
// library's own are StandardProofs(); a writer handed a set without one of
// them leaves its part out (tests of the result series alone).
struct ResultProofs {
    // Single-point proof of the elastic check stored into element.
    std::function<void(RunState&, const SeriesDefinition&, int32_t lk, int32_t point, ZVELEM)> WriteElasticProofRtf;
    // Plastic utilisation at a point; with an element the proof is stored.
    std::function<double(RunState&, const SeriesDefinition&, int32_t lk, int32_t point, ZVELEM)> WritePlasticProofRtf;
    // c/t check report into fileName; answers the cross-section class.
    std::function<int32_t(RunState&, int32_t nEd, const std::string& fileName, int32_t plastic)> WriteCtCheckReport;
};
// The single-point proofs and the c/t check of this library.
ResultProofs StandardProofs();

// Plastic utilisation: pairs (element-end point, ultimate case), by the
// plastic proof of the set. Answers false when the set has none.
bool EvaluatePlasticPairs(const WriterContext& ctx, SeriesDefinition& d, ZVELEM element,
                          const std::vector<int32_t>& points, const std::vector<int32_t>& cases,
                          const ResultProofs& proofs);

// The module variant of plastic design, compared without regard to case.
inline constexpr const char* kPlasticVariantName = "Deneb";

// An ultimate combination whose design cannot be proven: its buckling load
// factor is at or below 1, or its analysis ended unstable (2) or without
// convergence (99). Its results are no results, so the design fails there.
struct FailedCombination {
    int32_t number = 0;   // 1-based ultimate combination
    std::string reason;   // e.g. "kritischer Lastfaktor 0.850 <= 1"
};
std::vector<FailedCombination> FailedUltimateCombinations(RunState& run);

// The stored form in "result": "tragSVFailed" 1, "tragSVFailedLK" the numbers
// of the failed combinations separated by blanks, and "dMaxAusTragSV" raised
// to kFailedUtilisation, so that no reader takes the position as fulfilled;
// the utilisation of the other combinations stays in "dMaxAusTragSVOhne".
inline constexpr double kFailedUtilisation = 999.0;

// Writes the whole "result" and "exports" of a member-design or crane run.
void WriteResultsToDom(RunState& run, ZVDOC doc, const std::string& errorText,
                       const ResultProofs& proofs = StandardProofs());

}  // namespace tovik::results
