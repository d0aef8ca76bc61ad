// The spring values of a support: the presets of the spring dialog and
// their detection, and the spring computed from the members connected
// below and above a support (section values from a rectangle, a circle or
// a catalogue profile). Lengths in m, E in MN/m², springs in kN/m or
// kNm/rad.
#pragma once

#include <array>
#include <optional>
#include <string>

namespace springs {

inline constexpr int kDirections = 7;  // Cx, Cy, Cz, CMx, CMy, CMz, CWölb
inline constexpr int kPresetCount = 6;

// The preset entry's text ("freie Lagerung", ...); "" outside the table.
std::string PresetName(int index);
// The seven values of a preset (-1 fixed, 0 free); nullopt for entry 0
// (leaves the values) and outside the table.
std::optional<std::array<double, kDirections>> PresetValues(int index);
// The preset whose pattern the values match exactly, else 0.
int DetectPreset(const std::array<double, kDirections>& values);

// Section kinds of a connected member.
enum SectionKind { SECTION_RECTANGLE = 0, SECTION_CIRCLE = 1, SECTION_CATALOGUE = 2 };

struct SectionValues {
    double area = 0.0;     // m²
    double inertia = 0.0;  // m⁴
};

// Rectangle of width and depth in cm (bending about the width).
SectionValues RectangleSection(double widthCm, double depthCm);
// Circle of the diameter in cm.
SectionValues CircleSection(double diameterCm);
// A catalogue profile: the catalogue gives the area in cm² and the second
// moment in cm⁴; both are turned into m.
SectionValues CatalogueSection(double areaCm2, double inertiaCm4);

struct Member {
    bool enabled = false;
    double eModulus = 0.0;  // MN/m²
    double fixity = 100.0;  // degree of fixity in per cent
    double height = 0.0;    // m
    SectionValues section;
};

struct SpringResult {
    bool ok = false;
    double value = 0.0;
    std::string message;  // why it was refused
};

// Translational (rotational false): c = A E 1000 / h of the member below.
// Rotational: c = sum over the ticked members of (3 + fixity/100) E I 1000 / h.
// A ticked member without a positive height is refused with a message.
SpringResult ComputeSpring(bool rotational, const Member& below, const Member& above);

}  // namespace springs
