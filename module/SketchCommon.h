// Helpers shared by the drawings of the member sketch (member view, loads,
// section view, 3-D view) and its events; not for use outside module/.
#pragma once

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "module/ModuleData.h"
#include "module/SnapPoints.h"
#include "platform/lingo/lingo.h"

namespace sketch {

constexpr int32_t kBandColour = 0xA2834B;
constexpr int32_t kCutColour = 0x808080;
constexpr int32_t kSelectedColour = 0x4040C0;
constexpr int32_t kSpringColour = 0x40C040;
constexpr int32_t kHingeColour = 0xC0C0C0;
constexpr int32_t kLoadColour = 0xFF5A5A;
constexpr int32_t kDimmedColour = 0xD4D4D4;

// Page ids of the input dialog that the items belong to.
constexpr int kPageSystem = 2;
constexpr int kPageSprings = 3;
constexpr int kPageHinges = 5;
constexpr int kPageLoads = 6;
constexpr int kPageNotchCases = 7;

// The parts of a stored outline: a section's outline holds its parts one
// after the other, each closed by its first point again (flange halves,
// web, root fillets); an unclosed rest is one more part. [first, last).
inline std::vector<std::pair<size_t, size_t>> OutlineParts(const std::vector<double>& x, const std::vector<double>& y,
                                                    size_t n) {
    std::vector<std::pair<size_t, size_t>> parts;
    size_t start = 0;
    for (size_t i = 1; i < n; ++i) {
        if (i > start + 1 && x[i] == x[start] && y[i] == y[start]) {
            parts.emplace_back(start, i + 1);
            start = i + 1;
            ++i;
        }
    }
    if (start < n) parts.emplace_back(start, n);
    return parts;
}

// A number that reaches a graph control: anything not finite becomes 0.
inline double Finite(double v) { return std::isfinite(v) ? v : 0.0; }

inline SketchItemCounts ItemCounts(const CModuleData& d) {
    SketchItemCounts c;
    c.nodes = static_cast<int32_t>(d.m_fieldLengths.size());
    c.springs = static_cast<int32_t>(d.m_springs.size());
    c.hinges = static_cast<int32_t>(d.m_hinges.size());
    c.loads = static_cast<int32_t>(d.m_loads.size());
    return c;
}

// The total member length (field elements 1..n-1).
inline double MemberLength(const CModuleData& d) {
    double L = 0.0;
    for (size_t k = 1; k < d.m_fieldLengths.size(); ++k) L += d.m_fieldLengths[k].GetValue();
    return L;
}

// The sketch's texts in the module's translation area.
inline std::string Tr(const char* text) { return lingo::Translate("VKT Eingabe", "velor_i_rigel", "RigelData", text); }

template <class... A>
std::string TrFormat(const char* format, A... args) {
    return lingo::FormatTranslated(format, Tr(format), args...);
}

// printf into a string.
template <class... A>
std::string Format(const char* format, A... args) {
    const int n = std::snprintf(nullptr, 0, format, args...);
    std::string s(n > 0 ? static_cast<size_t>(n) : 0, '\0');
    if (n > 0) std::snprintf(s.data(), s.size() + 1, format, args...);
    return s;
}

// The band values at x: centre offset and half size in the view (view 1:
// the plan, centred on half the largest width, sized by the width).
struct Band {
    double centre = 0.0, half = 0.0, halfB = 0.0, width = 0.0, height = 0.0;
};
inline Band BandAt(const CModuleData& d, double x, int view) {
    Band b;
    double offset = 0.0;
    d.GetSectionBandAt(x, b.halfB, offset, b.width, b.height);
    b.centre = view == 1 ? b.halfB : offset;
    b.half = (view == 1 ? b.width : b.height) / 2.0;
    return b;
}

}  // namespace sketch
