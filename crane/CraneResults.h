// The value ids of a crane-runway run's results (the columns of the
// superposition's work table and of the envelope tables) with the result
// codes under which the kernel stores their series.
//
// Ids 0..33 are fixed; evaluation point u adds the eight ids 34 + 8u ..
// 41 + 8u (codes 13 + 8u .. 20 + 8u); then plate p of the section adds
// 34 + 8 points + 2p and the next one (codes 1024 + 2p, 1025 + 2p: its
// smallest normal stress and largest shear stress).
//
// The envelope tables of a check ("craneResult"): slots 0/1 the minimum and
// maximum over all design combinations and crane positions, slots 2/3 those
// of the lateral-torsional buckling runs. The second table ("akResult",
// checks 0-2): slots 0/1 the minimum and maximum of the characteristic
// combinations; with "bDetailedReactions" slots 2j+2/2j+3 those of load case
// j alone.
#pragma once

#include <cstdint>
#include <vector>

namespace crane_ids {

constexpr int32_t kDisplacementY = 5;
constexpr int32_t kNormalForce = 11;  // 11..17: N, Vy, Vz, Mx, My, Mz, Mw
constexpr int32_t kMw = 17;
constexpr int32_t kReactionAx = 18;   // 18..23: Ax, Ay, Az, Mx, My, Mz
constexpr int32_t kReactionAz = 20;
constexpr int32_t kReactionMz = 23;
constexpr int32_t kSpringFirst = 24;  // 24..28: springs and beddings
constexpr int32_t kMinSigma = 29;
constexpr int32_t kMaxSigma = 30;
constexpr int32_t kMaxTau = 31;
constexpr int32_t kEquivalent = 32;
constexpr int32_t kUtilisation = 33;
constexpr int32_t kFixedIds = 34;
constexpr int32_t kIdsPerPoint = 8;
constexpr int32_t kIdsPerPlate = 2;
// Coefficients per stress point of the kernel's stress-point block.
constexpr int32_t kEspGroup = 7;

// Id k (0..7) of evaluation point u.
constexpr int32_t PointValue(int u, int k) { return kFixedIds + kIdsPerPoint * u + k; }
// The first id of plate p with the given number of evaluation points.
constexpr int32_t PlateValue(int points, int p) { return kFixedIds + kIdsPerPoint * points + kIdsPerPlate * p; }

// The result codes of all ids of a run.
std::vector<int32_t> ResultCodes(int points, int plates);

}  // namespace crane_ids
