// The "result" element of a position document: series as nested "node"
// elements addressed by backslash title paths, with their data as
// little-endian 32-bit floats. These helpers write and read that shape; the
// result writer and the load transfer build on them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/zevud/zevud.h"

namespace tovik::results {

// A series value counts as present above this magnitude.
inline constexpr float kSeriesThreshold = 0.0001f;

// Values per point of a series "type": 2 for type 0, else 3.
inline int32_t ValuesPerPoint(int32_t type) { return type != 0 ? 3 : 2; }

// The load case component "LK %3d": right-aligned in three characters,
// widened for a fourth digit.
std::string CaseComponent(int32_t caseNumber);

// Child of parent whose string "title" equals title, or 0.
ZVELEM FindTitledChild(ZVELEM parent, const std::string& title);

// Descends from parent along the backslash path; creates missing "node"
// elements (with their "title") when create is set, else answers 0 when a
// component is missing.
ZVELEM WalkTitlePath(ZVELEM parent, const std::string& path, bool create);

// Writes one series below parent. data holds (x, value[, value]) per point,
// as many values per point as the type asks. Nothing is written (and 0 is
// answered) when no value other than x exceeds kSeriesThreshold in
// magnitude. lkNr and resType are left out when -1. Answers the leaf.
ZVELEM WriteResultSeries(ZVELEM parent, const std::string& titlePath, const std::vector<float>& data,
                         int32_t type, int32_t lkNr, int32_t resType, const std::string& unit);

// Little-endian encoding of float and int32 arrays for byte blocks.
std::vector<unsigned char> EncodeFloats(const std::vector<float>& values);
std::vector<unsigned char> EncodeInts(const std::vector<int32_t>& values);
std::vector<float> DecodeFloats(const std::vector<unsigned char>& bytes);
std::vector<int32_t> DecodeInts(const std::vector<unsigned char>& bytes);

// Reads the "data" byte block of a series leaf as floats.
std::vector<float> ReadSeriesData(ZVELEM leaf);

}  // namespace tovik::results
