// Load transfer ("Lastweiterleitung"): the support and spring reactions of
// the result tree turned into exported values that other positions import as
// variables. The values go into the root's "exports" element: nested
// "folder" elements (string "desc") holding "value" elements (strings
// "desc", "varName", "unit" and the double "val").
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "kernel/ModelRecord.h"
#include "platform/zevud/zevud.h"

namespace tovik::results {

// Two extremes closer than this (and values smaller than this) count as
// one value (as no value); a point lies on a support or spring within it.
inline constexpr float kTransferTolerance = 0.01f;

class LoadTransferTable {
public:
    // Support positions: the input nodes 0..nFeld; spring positions: each
    // single spring's reference node plus its offset.
    void SetPositions(std::vector<float> supports, std::vector<float> springs);
    void SetPositions(const ModelRecord& m);

    // Appends the values of the series at seriesPath of the document's
    // "result". pathFormat and nameFormat carry "{n}" for the support or
    // spring number and "{s}" for the suffix ("", "min", "max"). A series
    // that is missing or empty adds nothing.
    void AddSeries(ZVDOC doc, const std::string& seriesPath, const std::string& pathFormat,
                   const std::string& nameFormat);

    // Deletes the root's "exports", adds it anew and writes every entry.
    void WriteExports(ZVDOC doc) const;

    // Every series of the load transfer of a member-design run, in order:
    // characteristic envelopes, per action, per design case, design envelope.
    void AddAllSeries(ZVDOC doc, const std::vector<int32_t>& actionsWithResults, int32_t nEd);

    std::vector<std::string> paths, units, descriptions, varNames;
    std::vector<float> values;
    std::vector<float> supportPositions, springPositions;
};

// Writes one value below parent: the path's leading components are folders
// (found by "desc", else added); the value is found in its folder by its
// description, else added.
void WriteExports(ZVELEM parent, const std::string& path, const std::string& description,
                  const std::string& varName, double value, const std::string& unit);

}  // namespace tovik::results
