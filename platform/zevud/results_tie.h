// Whether the results a position document holds belong to the input it
// holds. A calculation stores the fingerprint of the root's "input" element
// as "input_fingerprint" (16 bytes) in the root's "info" element; an input
// changed afterwards, a calculation stopped before it ran (the fingerprint is
// then zeroed) or a document without results no longer matches. Every reader
// that presents stored results (summaries, reports, result pages, values
// taken over by other positions) asks this first and shows nothing of
// results that belong to other input.
#pragma once

#include <vector>

#include "platform/zevud/zevud.h"

namespace zevud {

// The document's root has a "result" (or "results") element and the stored
// input fingerprint is that of its "input" element now.
inline bool ResultsBelongToInput(ZVDOC doc) {
    const ZVELEM root = doc ? ZEVUD_GetRootElement(doc) : 0;
    if (!root) return false;
    if (!ZEVUD_FindFirstChild(root, "result") && !ZEVUD_FindFirstChild(root, "results")) return false;
    const ZVELEM input = ZEVUD_FindFirstChild(root, "input");
    const ZVELEM info = ZEVUD_FindFirstChild(root, "info");
    if (!input || !info) return false;
    const std::vector<unsigned char> stored = GetBinData(info, "input_fingerprint");
    if (stored.size() != 16) return false;
    Fingerprint kept;
    bool zero = true;
    for (size_t i = 0; i < 16; ++i) {
        kept.bytes[i] = stored[i];
        zero = zero && stored[i] == 0;
    }
    // Zeros are written when a run ends without a calculation.
    return !zero && kept == FingerPrint(input);
}

// The document holds results and says that they were computed from other
// input: its stored input fingerprint (zeros after a stopped calculation)
// differs from that of its "input". A document that keeps no fingerprint at
// all (written by a program that stores none) is not judged here; readers of
// other programs' positions (values and loads taken over) ask this.
inline bool ResultsOfOtherInput(ZVDOC doc) {
    const ZVELEM root = doc ? ZEVUD_GetRootElement(doc) : 0;
    if (!root) return false;
    if (!ZEVUD_FindFirstChild(root, "result") && !ZEVUD_FindFirstChild(root, "results")) return false;
    const ZVELEM info = ZEVUD_FindFirstChild(root, "info");
    if (!info || GetBinData(info, "input_fingerprint").size() != 16) return false;
    return !ResultsBelongToInput(doc);
}

}  // namespace zevud
