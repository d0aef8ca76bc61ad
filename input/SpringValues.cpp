#include "input/SpringValues.h"

#include <cmath>
#include <cstdio>
#include <numbers>

namespace springs {

namespace {
constexpr double F = -1.0;  // fixed
struct Preset {
    const char* name;
    bool keeps;
    std::array<double, kDirections> values;
};
const Preset kPresets[kPresetCount] = {
    {"--------------------------------------", true, {}},
    {"freie Lagerung", false, {0, 0, 0, 0, 0, 0, 0}},
    {"Gelenkig", false, {F, F, F, 0, 0, 0, 0}},
    {"Gelenkig + Torsion", false, {F, F, F, F, 0, 0, 0}},
    {"Gelenkig + Torsion mit Wölbbehinderung", false, {F, F, F, F, 0, 0, F}},
    {"Volleinspannung", false, {F, F, F, F, F, F, F}},
};
}  // namespace

std::string PresetName(int index) { return index >= 0 && index < kPresetCount ? kPresets[index].name : ""; }

std::optional<std::array<double, kDirections>> PresetValues(int index) {
    if (index <= 0 || index >= kPresetCount) return std::nullopt;
    return kPresets[index].values;
}

int DetectPreset(const std::array<double, kDirections>& values) {
    for (int i = 1; i < kPresetCount; ++i)
        if (kPresets[i].values == values) return i;
    return 0;
}

SectionValues RectangleSection(double widthCm, double depthCm) {
    const double b = widthCm * 0.01;
    const double d = depthCm * 0.01;
    return {b * d, b * d * d * d / 12.0};
}

SectionValues CircleSection(double diameterCm) {
    const double r = diameterCm * 0.005;
    return {std::numbers::pi * r * r, std::numbers::pi / 4.0 * r * r * r * r};
}

SectionValues CatalogueSection(double areaCm2, double inertiaCm4) {
    // The catalogue's area is in cm² like its second moment in cm⁴: both to m.
    return {areaCm2 * 1e-4, inertiaCm4 * 1e-8};
}

namespace {
std::string HeightMessage(const char* which, double h) {
    char buffer[160];
    std::snprintf(buffer, sizeof buffer, "Die Höhe des Bauteils %s (%g m) muss größer als 0 sein.", which, h);
    return buffer;
}
}  // namespace

SpringResult ComputeSpring(bool rotational, const Member& below, const Member& above) {
    SpringResult r;
    if (!rotational) {
        if (!below.enabled) {
            r.ok = true;
            return r;
        }
        if (!(below.height > 0.0) || !std::isfinite(below.height)) {
            r.message = HeightMessage("unten", below.height);
            return r;
        }
        r.value = below.section.area * below.eModulus * 1000.0 / below.height;
        r.ok = true;
        return r;
    }
    double c = 0.0;
    const std::pair<const Member*, const char*> members[] = {{&below, "unten"}, {&above, "oben"}};
    for (const auto& [m, which] : members) {
        if (!m->enabled) continue;
        if (!(m->height > 0.0) || !std::isfinite(m->height)) {
            r.message = HeightMessage(which, m->height);
            return r;
        }
        c += (3.0 + m->fixity * 0.01) * m->eModulus * m->section.inertia * 1000.0 / m->height;
    }
    r.value = c;
    r.ok = true;
    return r;
}

}  // namespace springs
