#include "kernel_results/BeamPostProcess.h"

#include <cmath>
#include <cstring>
#include <string>

#include "platform/winsys/winsys.h"
#include "platform/zevud/conveniences.h"
#include "kernel/KernelUtil.h"

namespace tovik::results {

namespace {

// Tolerance of coincident positions and equal values.
constexpr double kTol = 0.0001;
constexpr float kShift = 0.00005f;

ZVELEM Child(ZVELEM parent, const char* name) { return parent ? ZEVUD_FindFirstChild(parent, name) : 0; }

}  // namespace

std::vector<float> ReadFloats(ZVELEM element, const char* attr) {
    return zevud::GetFloats(element, attr);
}

void WriteFloats(ZVELEM element, const char* attr, const std::vector<float>& values) {
    zevud::SetFloats(element, attr, values);
}

void CollectElements(ZVELEM element, std::vector<ZVELEM>& out) {
    for (ZVELEM c = ZEVUD_GetFirstChild(element); c; c = ZEVUD_GetNextChild(c)) {
        out.push_back(c);
        CollectElements(c, out);
    }
}

void ReadStabFields(ZVELEM input, std::vector<double>& out) {
    ZVELEM system = Child(input, "system");
    double sum = 0;
    static const char* const kSprings[6] = {"cx", "cy", "cz", "cmx", "cmy", "cmz"};
    for (ZVELEM f = Child(system, "field"); f; f = ZEVUD_FindNextChild(f, "field")) {
        sum += ZEVUD_GetDouble(f, "length");
        ZVELEM s = ZEVUD_FindFirstChild(f, "support");
        if (!s) continue;
        bool held = false;
        for (const char* a : kSprings) held = held || ZEVUD_GetInt(s, a) != 0;
        if (held) out.push_back(sum);
    }
}

void ReadAllowableDeflections(ZVDOC doc, std::vector<float>& spanEnds, std::vector<int32_t>& ratios, int32_t mask) {
    spanEnds.clear();
    ratios.clear();
    int32_t field = 300, cantilever = 150;
    ZVELEM input = Child(ZEVUD_GetRootElement(doc), "input");
    if (ZVELEM ctrl = Child(input, "ctrl")) {
        field = ZEVUD_GetInt(ctrl, "zulDefField");
        cantilever = ZEVUD_GetInt(ctrl, "zulDefKrag");
    }
    ZVELEM system = Child(input, "system");
    const int32_t n = ZEVUD_GetInt(system, "numOfFields");
    std::vector<bool> supported;
    for (int32_t i = 0; i < n && system; ++i) {
        ZVELEM f = ZEVUD_FindFirstChildWithAttr(system, "fieldNr", winsys::FormatC("%d", i).c_str());
        if (!f) continue;
        const float last = spanEnds.empty() ? 0.0f : spanEnds.back();
        spanEnds.push_back(last + static_cast<float>(ZEVUD_GetDouble(f, "length")));
        ZVELEM s = ZEVUD_FindFirstChild(f, "support");
        const bool held = s && (((mask & kAxisX) && ZEVUD_GetDouble(s, "cx") != 0.0) ||
                                ((mask & kAxisY) && ZEVUD_GetDouble(s, "cy") != 0.0) ||
                                ((mask & kAxisZ) && ZEVUD_GetDouble(s, "cz") != 0.0));
        supported.push_back(held);
    }
    // Only supported points and the member ends bound a span.
    std::vector<float> ends;
    std::vector<bool> held;
    for (size_t i = 0; i < spanEnds.size(); ++i) {
        if (i == 0 || i + 1 == spanEnds.size() || supported[i]) {
            ends.push_back(spanEnds[i]);
            held.push_back(supported[i]);
        }
    }
    spanEnds = ends;
    if (spanEnds.size() < 2) return;
    ratios.assign(spanEnds.size() - 1, field);
    if (!held.front()) ratios.front() = cantilever;
    if (!held.back()) ratios.back() = cantilever;
}

namespace {

// One series: records of x and one (type 0) or two (type 2) values.
struct Series {
    std::vector<float>& data;
    int32_t width;  // floats per record
    int32_t count;
    float X(int32_t i) const { return data[Z(i * width)]; }
    float V(int32_t i, int32_t k) const { return data[Z(i * width + 1 + k)]; }
    int32_t Values() const { return width - 1; }
};

void MarkX(const Series& s, std::vector<int32_t>& flags, float x) {
    for (int32_t i = 0; i < s.count; ++i)
        if (s.X(i) == x) flags[Z(i)] = 1;
}

void MarkExtremes(const Series& s, std::vector<int32_t>& flags) {
    if (s.count <= 0) return;
    MarkX(s, flags, s.X(0));
    MarkX(s, flags, s.X(s.count - 1));
    // Plateaus: runs whose values stay within the tolerance of their first record.
    struct Plateau {
        int32_t first;
        double v[2];
    };
    std::vector<Plateau> plateaus;
    for (int32_t i = 0; i < s.count;) {
        Plateau p{i, {s.V(i, 0), s.Values() > 1 ? s.V(i, 1) : 0.0}};
        int32_t j = i + 1;
        while (j < s.count) {
            bool same = true;
            for (int32_t k = 0; k < s.Values(); ++k) same = same && std::fabs(s.V(j, k) - p.v[k]) < kTol;
            if (!same) break;
            ++j;
        }
        plateaus.push_back(p);
        i = j;
    }
    for (size_t p = 1; p + 1 < plateaus.size(); ++p) {
        bool interest = false;
        for (int32_t k = 0; k < s.Values(); ++k) {
            double v = plateaus[p].v[k], prev = plateaus[p - 1].v[k], next = plateaus[p + 1].v[k];
            // A neighbour closer than the tolerance counts as the same value.
            if (std::fabs(prev - v) < kTol) prev = v = 0.5 * (prev + v);
            if (std::fabs(next - v) < kTol) next = v = 0.5 * (next + v);
            // Type 2: the minimum below both neighbouring minima, or the
            // maximum above both neighbouring maxima.
            const bool below = v < prev && v < next, above = v > prev && v > next;
            if (s.Values() == 1 ? (below || above) : (k == 0 ? below : above)) interest = true;
        }
        if (interest) MarkX(s, flags, s.X(plateaus[p].first));
    }
}

}  // namespace

void PostProcessStabResults(ZVDOC doc) {
    ZVELEM root = ZEVUD_GetRootElement(doc);
    ZVELEM input = Child(root, "input");
    // Points of interest: span ends, point loads and hinges.
    std::vector<float> spans;
    std::vector<int32_t> ratios;
    ReadAllowableDeflections(doc, spans, ratios, kAxisX | kAxisY);
    std::vector<float> poi = spans;
    auto at = [&](ZVELEM e) {
        const int32_t node = ZEVUD_GetInt(e, "node");
        // A node beyond the span ends has no position: it marks nothing.
        if (node >= 0 && Z(node) < spans.size())
            poi.push_back(spans[Z(node)] + static_cast<float>(ZEVUD_GetDouble(e, "offset")));
    };
    for (ZVELEM l = Child(Child(input, "impact"), "load"); l; l = ZEVUD_FindNextChild(l, "load"))
        if (ZEVUD_GetInt(l, "ltype") == 10) at(l);
    for (ZVELEM g = Child(Child(input, "gelenke"), "gelenk"); g; g = ZEVUD_FindNextChild(g, "gelenk")) at(g);

    ZVELEM result = Child(root, "result");
    if (!result) return;
    std::vector<ZVELEM> elements;
    CollectElements(result, elements);
    for (ZVELEM e : elements) {
        const int32_t n = ZEVUD_GetInt(e, "dataLength");
        const int32_t type = ZEVUD_GetInt(e, "type");
        if (n <= 0 || (type != 0 && type != 2)) continue;
        const int32_t width = type == 0 ? 2 : 3;
        std::vector<float> data = ReadFloats(e, "data");
        // A series whose data is shorter than its length says is left alone.
        if (data.size() < Z(n) * Z(width)) continue;
        Series s{data, width, n};
        bool moved = false;
        for (int32_t i = 0; i + 1 < n; ++i) {
            float& a = data[Z(i * width)];
            float& b = data[Z((i + 1) * width)];
            if (std::fabs(static_cast<double>(b) - a) < kTol) {
                a -= kShift;
                b += kShift;
                moved = true;
            }
        }
        if (moved) WriteFloats(e, "data", data);
        std::vector<int32_t> flags(Z(n), 0);
        for (int32_t i = 0; i < n; ++i)
            for (float p : poi)
                if (std::fabs(static_cast<double>(s.X(i)) - p) < kTol) flags[Z(i)] = 1;
        MarkExtremes(s, flags);
        zevud::SetInts(e, "poi", flags);
    }
}

}  // namespace tovik::results
