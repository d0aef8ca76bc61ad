#include "kernel_results/LoadTransfer.h"

#include <algorithm>
#include <cmath>

#include "kernel/KernelUtil.h"
#include "kernel_results/ResultTree.h"
#include "platform/winsys/winsys.h"

namespace tovik::results {

namespace {

// Replaces every "{n}" by the number and every "{s}" by the suffix.
std::string Fill(const std::string& format, int32_t number, const std::string& suffix) {
    std::string out;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format.compare(i, 3, "{n}") == 0) {
            out += std::to_string(number);
            i += 2;
        } else if (format.compare(i, 3, "{s}") == 0) {
            out += suffix;
            i += 2;
        } else {
            out += format[i];
        }
    }
    return out;
}

ZVELEM FindChildByDesc(ZVELEM parent, const std::string& desc) {
    for (ZVELEM c = ZEVUD_GetFirstChild(parent); c; c = ZEVUD_GetNextChild(c))
        if (ZEVUD_HasAttr(c, "desc") && zevud::GetString(c, "desc") == desc) return c;
    return 0;
}

// Number (from 1) of the last position within the tolerance of x, or 0.
int32_t LastMatch(const std::vector<float>& positions, float x) {
    int32_t found = 0;
    for (size_t i = 0; i < positions.size(); ++i)
        if (std::fabs(positions[i] - x) < kTransferTolerance) found = static_cast<int32_t>(i + 1);
    return found;
}

struct Quantity {
    const char* series;  // quantity in the series path
    const char* axis;    // axis folder
    const char* value;   // quantity in the value's path and variable name
};

constexpr Quantity kSupportQuantities[] = {{"Ax", "x-x", "Ax"},   {"Ay", "y-y", "Ay"},   {"Az", "z-z", "Az"},
                                           {"AMx", "x-x", "AMx"}, {"AMy", "y-y", "AMy"}, {"AMz", "z-z", "AMz"}};
constexpr Quantity kSpringQuantities[] = {{"Ay", "y-y", "Ay"}, {"Az", "z-z", "Az"}};
// The design spring values are imported by other positions as "AMy"/"AMz".
constexpr Quantity kDesignSpringQuantities[] = {{"Ay", "y-y", "AMy"}, {"Az", "z-z", "AMz"}};

}  // namespace

void LoadTransferTable::SetPositions(std::vector<float> supports, std::vector<float> springs) {
    supportPositions = std::move(supports);
    springPositions = std::move(springs);
}

void LoadTransferTable::SetPositions(const ModelRecord& m) {
    std::vector<float> supports, springs;
    const int32_t nFeld = std::clamp(m.nFeld, 0, limits::kMaxFields);
    for (int32_t i = 0; i <= nFeld; ++i) supports.push_back(static_cast<float>(m.KnotenPos[static_cast<size_t>(i)]));
    const int32_t nFeder = std::clamp(m.nFeder, 0, limits::kMaxSprings);
    for (int32_t i = 0; i < nFeder; ++i) {
        const Spring& s = m.Feder[static_cast<size_t>(i)];
        const double base = (s.node >= 0 && s.node <= nFeld) ? m.KnotenPos[static_cast<size_t>(s.node)] : 0.0;
        springs.push_back(static_cast<float>(base + s.posX));
    }
    SetPositions(std::move(supports), std::move(springs));
}

void LoadTransferTable::AddSeries(ZVDOC doc, const std::string& seriesPath, const std::string& pathFormat,
                                  const std::string& nameFormat) {
    ZVELEM result = ZEVUD_FindFirstChild(ZEVUD_GetRootElement(doc), "result");
    if (!result) return;
    std::vector<std::string> parts;
    SplitString(seriesPath, '\\', parts);
    if (parts.empty()) return;
    ZVELEM leaf = result;
    for (const std::string& p : parts) {
        leaf = FindTitledChild(leaf, p);
        if (!leaf) return;
    }
    const std::vector<float> data = ReadSeriesData(leaf);
    if (data.empty()) return;
    const int32_t s = ValuesPerPoint(ZEVUD_GetInt(leaf, "type"));
    const std::string unit = zevud::GetString(leaf, "unit");
    const std::string& quantity = parts.back();
    for (size_t i = 0; i + static_cast<size_t>(s) <= data.size(); i += static_cast<size_t>(s)) {
        const float x = data[i], a = data[i + 1], b = s == 3 ? data[i + 2] : a;
        int32_t number = LastMatch(supportPositions, x);
        if (number == 0) number = LastMatch(springPositions, x);
        if (std::fabs(a) <= kTransferTolerance && std::fabs(b) <= kTransferTolerance) continue;
        auto add = [&](const std::string& suffix, const std::string& label, float v) {
            paths.push_back(Fill(pathFormat, number, suffix));
            varNames.push_back(Fill(nameFormat, number, suffix));
            descriptions.push_back(label + " " + quantity);
            units.push_back(unit);
            values.push_back(v);
        };
        if (std::fabs(a - b) > kTransferTolerance) {
            add("min", "Min", b);
            add("max", "Max", a);
        } else {
            add("", "", b);
        }
    }
}

void LoadTransferTable::AddAllSeries(ZVDOC doc, const std::vector<int32_t>& actionsWithResults, int32_t nEd) {
    struct Group {
        std::string seriesBase;  // series path without the quantity
        std::string folder;      // folder between axis and value
        std::string tail;        // end of the variable name
        bool spring;
        bool design;
    };
    std::vector<Group> groups;
    groups.push_back({"Gebrauchstauglichkeit\\Char. Auflagerkraft\\Extremal\\", "Extremal(Char.)", "_extr_c", false, false});
    groups.push_back({"Gebrauchstauglichkeit\\Char. Federkräfte\\Extremal\\", "Extremal(Char.)", "_extr_c", true, false});
    for (int32_t i : actionsWithResults) {
        const std::string ew = "EW " + std::to_string(i);
        groups.push_back({"Gebrauchstauglichkeit\\Char. Auflagerkraft\\" + ew + "\\", ew,
                          "_EW" + std::to_string(i) + "_c", false, false});
        groups.push_back({"Gebrauchstauglichkeit\\Char. Federkräfte\\" + ew + "\\", ew,
                          "_EW" + std::to_string(i) + "_c", true, false});
    }
    for (int32_t n = 1; n <= nEd; ++n) {
        const std::string lk = CaseComponent(n);
        const std::string tail = "_LK" + std::to_string(n) + "_d";
        groups.push_back({"Tragsicherheit\\" + lk + "\\Auflagerkraft (design)\\", "design\\" + lk, tail, false, true});
        groups.push_back({"Tragsicherheit\\" + lk + "\\Federkräfte (design)\\", "design\\" + lk, tail, true, true});
    }
    groups.push_back({"Tragsicherheit\\Extremal\\Auflagerkraft (design)\\", "design\\Extremal", "_extr_d", false, true});
    groups.push_back({"Tragsicherheit\\Extremal\\Federkräfte (design)\\", "design\\Extremal", "_extr_d", true, true});

    for (const Group& g : groups) {
        const Quantity* begin = g.spring ? (g.design ? kDesignSpringQuantities : kSpringQuantities) : kSupportQuantities;
        const size_t count = g.spring ? 2 : 6;
        for (size_t q = 0; q < count; ++q) {
            const Quantity& qu = begin[q];
            const std::string head = g.spring ? "Feder {n}\\" : "Auflager {n}\\";
            const std::string letter = g.spring ? "F" : "A";
            AddSeries(doc, g.seriesBase + qu.series, head + qu.axis + "\\" + g.folder + "\\{s}" + qu.value,
                      letter + "{n}_{s}" + qu.value + g.tail);
        }
    }
}

void LoadTransferTable::WriteExports(ZVDOC doc) const {
    ZVELEM root = ZEVUD_GetRootElement(doc);
    if (!root) return;
    if (ZVELEM old = ZEVUD_FindFirstChild(root, "exports")) ZEVUD_DeleteElement(old);
    ZVELEM exports = ZEVUD_AddChildElement(root, "exports");
    for (size_t i = 0; i < paths.size(); ++i)
        results::WriteExports(exports, paths[i], descriptions[i], varNames[i], static_cast<double>(values[i]),
                              units[i]);
}

void WriteExports(ZVELEM parent, const std::string& path, const std::string& description,
                  const std::string& varName, double value, const std::string& unit) {
    ZVELEM cur = parent;
    std::string rest = path;
    size_t p;
    while (cur && (p = rest.find('\\')) != std::string::npos) {
        const std::string head = rest.substr(0, p);
        rest = rest.substr(p + 1);
        ZVELEM folder = FindChildByDesc(cur, head);
        if (!folder) {
            folder = ZEVUD_AddChildElement(cur, "folder");
            ZEVUD_SetString(folder, "desc", head.c_str());
        }
        cur = folder;
    }
    if (!cur) return;
    ZVELEM v = FindChildByDesc(cur, description);
    if (!v) v = ZEVUD_AddChildElement(cur, "value");
    ZEVUD_SetString(v, "desc", description.c_str());
    ZEVUD_SetString(v, "varName", varName.c_str());
    ZEVUD_SetDouble(v, "val", value);
    ZEVUD_SetString(v, "unit", unit.c_str());
}

}  // namespace tovik::results
