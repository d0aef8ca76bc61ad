// The axis captions the system pictures of a report draw: written into a
// recording graph and compared with what the views' headings call for.
// Header-only.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "graphics/core/Kurvo.h"
#include "report_capture.h"

namespace report_test {

// The axis-caption calls of what write draws into a recording graph.
inline std::vector<std::string> RecordedAxes(const std::function<void(CKurvo2D*)>& write) {
    CKurvoRecorder rec;
    CKurvo2D recorded(&rec);
    WriteAndRead([&] { write(&recorded); });
    return rec.Matching("Method54(");
}

// The calls the views' headings call for: "Y" across the plan, "Z" across
// the elevation.
inline std::vector<std::string> AxesOfViews(const std::vector<std::string>& headings) {
    std::vector<std::string> axes;
    for (const std::string& h : headings)
        axes.push_back(h == "Ansicht XY-Ebene" ? "Method54(1,0,\"X\",0,\"Y\")" : "Method54(1,0,\"X\",0,\"Z\")");
    return axes;
}

}  // namespace report_test
