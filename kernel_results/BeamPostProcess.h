// Post-processing of the result series of beam documents: the span layout of
// the document (supported field ends, spans with their allowable deflection
// ratios), the list of all elements of a subtree, and the pass that pulls
// coincident abscissae apart and marks the points to be labelled ("poi").
#pragma once

#include <cstdint>
#include <vector>

#include "platform/zevud/zevud.h"

namespace tovik::results {

// Appends every child of the element and, right after each child,
// everything below it (depth first, document order).
void CollectElements(ZVELEM element, std::vector<ZVELEM>& out);

// Positions (m from the member start) of the field ends whose support has a
// spring or fixity in any direction, from input/system/field in order.
void ReadStabFields(ZVELEM input, std::vector<double>& out);

// Axis bits of ReadAllowableDeflections.
inline constexpr int32_t kAxisX = 1, kAxisY = 2, kAxisZ = 4;

// The spans between supported points (supported in a direction of the mask)
// and the member ends: their end positions (the first entry is the member
// start) and one allowable ratio per span (cantilever ratio for a span with
// an unsupported member end).
void ReadAllowableDeflections(ZVDOC doc, std::vector<float>& spanEnds, std::vector<int32_t>& ratios,
                              int32_t mask);

// Rewrites the series below the root's "result": neighbouring records at the
// same x are moved 0.00005 apart, and each series of type 0 or 2 gets a
// "poi" array (one int32 per record) that marks series ends, local extremes,
// supports, point loads and hinges.
void PostProcessStabResults(ZVDOC doc);

// Series data as little-endian 32-bit floats (helpers shared with the beam
// result writer).
std::vector<float> ReadFloats(ZVELEM element, const char* attr);
void WriteFloats(ZVELEM element, const char* attr, const std::vector<float>& values);

}  // namespace tovik::results
