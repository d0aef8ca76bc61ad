// Spring presets of a support and springs from the connected members.
#include <gtest/gtest.h>

#include "input/SpringValues.h"

using namespace springs;

TEST(SpringPresets, ValuesAndDetection) {
    using A = std::array<double, kDirections>;
    EXPECT_EQ(PresetName(1), "freie Lagerung");
    EXPECT_EQ(PresetName(2), "Gelenkig");
    EXPECT_FALSE(PresetValues(0).has_value());  // the first entry leaves the values
    EXPECT_EQ(*PresetValues(2), (A{-1, -1, -1, 0, 0, 0, 0}));
    EXPECT_EQ(*PresetValues(4), (A{-1, -1, -1, -1, 0, 0, -1}));
    EXPECT_EQ(*PresetValues(5), (A{-1, -1, -1, -1, -1, -1, -1}));
    EXPECT_FALSE(PresetValues(6).has_value());

    EXPECT_EQ(DetectPreset(A{0, 0, 0, 0, 0, 0, 0}), 1);
    EXPECT_EQ(DetectPreset(A{-1, -1, -1, -1, 0, 0, 0}), 3);
    EXPECT_EQ(DetectPreset(A{0, 0, 12345, 0, 0, 0, 0}), 0);  // one spring: no preset
    for (int i = 1; i < kPresetCount; ++i) EXPECT_EQ(DetectPreset(*PresetValues(i)), i);
}

TEST(SpringFromMembers, Table) {
    // Hand calculations, E in MN/m², h in m, the factor 1000 from MN to kN:
    //  rectangle 0.2 x 0.3 m: I = 0.2 * 0.3^3 / 12 = 4.5e-4 m4;
    //    c = (3 + 1.0) * 4.5e-4 * 25000 * 1000 / 3.0 = 15000 kNm/rad
    //  circle d = 0.30 m: A = pi * 0.15^2 = 0.0706858 m2;
    //    c = 0.0706858 * 25000 * 1000 / 3.0 = 589048.6 kN/m
    //  IPE 300: A = 53.81 cm2 = 5.381e-3 m2; c = 5.381e-3 * 210000 * 1000 / 3.0 = 376670 kN/m
    Member rect{true, 25000, 100, 3.0, RectangleSection(20.0, 30.0)};
    Member circle{true, 25000, 100, 3.0, CircleSection(30.0)};
    Member ipe{true, 210000, 100, 3.0, CatalogueSection(53.81, 8356.0)};
    Member off;
    struct Case {
        const char* name;
        bool rotational;
        Member below, above;
        double expected, tolerance;
    };
    const Case cases[] = {
        {"rectangle below, rotational", true, rect, off, 15000.0, 1e-6},
        {"both members off, rotational", true, off, off, 0.0, 0.0},
        {"circle below, translational", false, circle, off, 589048.6, 0.05},
        {"catalogue profile below, translational", false, ipe, off, 376670.0, 1e-3},
        {"rectangle below and above at 50 %", true, rect, Member{true, 25000, 50, 3.0, RectangleSection(20.0, 30.0)},
         15000.0 + 3.5 * 4.5e-4 * 25000 * 1000 / 3.0, 1e-6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const SpringResult r = ComputeSpring(c.rotational, c.below, c.above);
        ASSERT_TRUE(r.ok) << r.message;
        EXPECT_NEAR(r.value, c.expected, c.tolerance);
    }
}

TEST(SpringFromMembers, TickedMemberWithoutHeightIsRefused) {
    Member flat{true, 25000, 100, 0.0, RectangleSection(20.0, 30.0)};
    Member fine{true, 25000, 100, 3.0, RectangleSection(20.0, 30.0)};
    SpringResult r = ComputeSpring(true, fine, flat);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.message.find("oben"), std::string::npos);
    EXPECT_NE(r.message.find("0 m"), std::string::npos);
    r = ComputeSpring(false, flat, fine);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.message.find("unten"), std::string::npos);
    // A member not ticked does not count, whatever its height.
    flat.enabled = false;
    EXPECT_TRUE(ComputeSpring(true, fine, flat).ok);
}
