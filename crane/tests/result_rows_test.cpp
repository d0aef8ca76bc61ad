// The result value table of a crane run: labels, check names, the rows that
// a check leaves out, and the kernel's triples turned into pairs.
#include <gtest/gtest.h>

#include <cstring>

#include "crane/CraneOperations.h"
#include "crane/RunPreparation.h"
#include "module/ModuleData.h"

namespace {

TEST(ResultRows, PathLabelsAndUnits) {
    CModuleData d;
    const std::vector<std::string> points = {"Stegansatz", "Rand %d"};
    struct Case {
        int row, check, craneTyp;
        const char* label;
        const char* unit;
    };
    const Case cases[] = {
        {0, 0, 0, "Verformung\\Y-Richtung\\wy", "mm"},
        {10, 0, 0, "Verformung\\Verdrehung um X", "rad/1000"},
        {17, 0, 0, "Schnittgrößen\\Mw", "kNm²"},
        {33, 0, 0, "Spannungen\\Ausnutzung", "-"},
        // Stress point rows: eight per point, the point's name put in as it is.
        {34, 0, 0, "Spannungen\\Stegansatz\\SigmaX", "MN/m²"},
        {42, 0, 0, "Spannungen\\Rand %d\\SigmaX", "MN/m²"},
        {38, 0, 0, "Spannungen\\Stegansatz\\SigmaV", "MN/m²"},
        {38, 4, 0, "Spannungen\\Stegansatz\\Schweißnaht Ausnutzung", "-"},
        {46, 4, 0, "Spannungen\\Rand %d\\Schweißnaht Ausnutzung", "-"},
        {36, 0, 0, "Spannungen\\Stegansatz\\SigmaZ(Rad)", "MN/m²"},
        {37, 0, 0, "Spannungen\\Stegansatz\\TauXZ(Rad)", "MN/m²"},
        {36, 0, 1, "Spannungen\\Stegansatz\\SigmaY(Rad)", "MN/m²"},
        {45, 3, 1, "Spannungen\\Rand %d\\SigmaX(Rad)", "MN/m²"},
        {41, 0, 0, "Spannungen\\Stegansatz\\Schweißnaht Interaktion", "-"},
        // Two points: the plates start at 34 + 8 * 2, two rows per plate.
        {50, 0, 0, "Spannungen\\Bleche\\Blech 1\\min SigmaX", "MN/m²"},
        {51, 0, 0, "Spannungen\\Bleche\\Blech 1\\max TauXZ", "MN/m²"},
        {52, 0, 0, "Spannungen\\Bleche\\Blech 2\\min SigmaX", "MN/m²"},
        {-1, 0, 0, "", ""},
    };
    for (const Case& k : cases) {
        d.m_craneSettings.m_craneTyp = k.craneTyp;
        std::string label = "x", unit = "x";
        GetResultLabel(d, k.row, k.check, label, unit, points);
        EXPECT_EQ(label, k.label) << k.row << " check " << k.check;
        EXPECT_EQ(unit, k.unit) << k.row;
    }
    // Without stress points row 34 is the first plate's.
    std::string label, unit;
    GetResultLabel(d, 35, 0, label, unit, {});
    EXPECT_EQ(label, "Spannungen\\Bleche\\Blech 1\\max TauXZ");
}

TEST(ResultRows, RtfLabels) {
    CModuleData d;
    const std::vector<std::string> points = {"P1"};
    struct Case {
        int row, check, craneTyp, plasticLTB;
        bool crossSection;
        const char* label;
        const char* unit;
    };
    const Case cases[] = {
        {0, 0, 0, 0, false, "Verformung\\w{\\sub y %s}", "mm"},
        {2, 0, 0, 0, false, "Verformung\\Ausn.w{\\sub y}", ""},
        {33, 0, 0, 1, true, "Querschnitt\\Ausn.", ""},
        {33, 0, 0, 0, true, "Spannungen\\Ausn.", ""},
        {33, 0, 0, 1, false, "Spannungen\\Ausn.", ""},
        // The point's name goes in; the second placeholder stays for the
        // caller ("%%s" gives "%s").
        {34, 0, 0, 0, false, "P1\\{\\f2 s}{\\sub x %s}", "MN/m²"},
        {38, 4, 0, 0, false, "P1\\Ausn{\\sub s-naht}", ""},
        {37, 0, 1, 0, false, "P1\\{\\f2 s}{\\sub x Rad}", "MN/m²"},
        {43, 0, 0, 0, false, "Blech 1\\{\\f2 t}{\\sub xz max}", "MN/m²"},
    };
    for (const Case& k : cases) {
        d.m_craneSettings.m_craneTyp = k.craneTyp;
        d.m_craneSettings.m_plasticLTB = k.plasticLTB;
        std::string label, unit;
        GetResultLabelRtf(d, k.row, k.check, k.crossSection, label, unit, points);
        EXPECT_EQ(label, k.label) << k.row;
        EXPECT_EQ(unit, k.unit) << k.row;
    }
}

TEST(ResultRows, CheckNames) {
    const char* expected[] = {"Tragsicherheit S/V", "Tragsicherheit A", "Tragsicherheit Prüflast",
                              "Gebrauchstauglichkeit", "Ermüdung"};
    for (int c = 0; c < 5; ++c) {
        std::string name;
        GetCheckName(c, name);
        EXPECT_EQ(name, expected[c]);
    }
    for (int c : {-1, 5}) {
        std::string name = "old";
        GetCheckName(c, name);
        EXPECT_EQ(name, "") << c;
    }
}

CNotchCase Poi(const char* name, int place) {
    CNotchCase p;
    p.m_strName = name;
    p.m_iPlace = place;
    return p;
}

// The rows of the value index that hold -1.
std::vector<int> Masked(const CResultTable& t) {
    std::vector<int> rows;
    for (size_t r = 0; r < t.m_valIdx.size(); ++r)
        if (t.m_valIdx[r] == -1) rows.push_back(static_cast<int>(r));
    return rows;
}

std::vector<int> Range(std::initializer_list<std::pair<int, int>> spans) {
    std::vector<int> rows;
    for (auto [a, b] : spans)
        for (int r = a; r <= b; ++r) rows.push_back(r);
    return rows;
}

TEST(ResultRows, MaskPerCheck) {
    CModuleData d;
    // Stress points A (rows 34..41) and B (42..49), one plate (rows 50, 51).
    d.m_userPointNames = {"A", "B"};
    d.m_bucklRes.m_numOfPlates = 1;
    // B's point of interest is the last one of that name (place 2).
    d.m_notchCases = {Poi("A", 0), Poi("B", 0), Poi("B", 2)};
    struct Case {
        int check;
        std::vector<int> rows;
    };
    const Case cases[] = {
        {0, Range({{0, 10}, {34, 41}})},
        {2, Range({{0, 10}, {34, 41}})},
        {3, Range({{18, 28}, {34, 41}, {50, 51}})},
        // Fatigue: a point of place 0 loses only its two wheel-load rows.
        {4, Range({{0, 10}, {18, 33}, {36, 37}, {50, 51}})},
    };
    for (const Case& k : cases) {
        CResultTable t;
        MaskResultRows(d, t, k.check);
        EXPECT_EQ(Masked(t), k.rows) << k.check;
        for (int32_t v : t.m_valIdx) EXPECT_TRUE(v == 0 || v == -1);
    }
    // Place 1: all eight rows in the girder checks, none in the fatigue check.
    d.m_notchCases = {Poi("A", 1), Poi("B", 2)};
    CResultTable t;
    MaskResultRows(d, t, 1);
    EXPECT_EQ(Masked(t), Range({{0, 10}, {34, 41}}));
    CResultTable f;
    MaskResultRows(d, f, 4);
    EXPECT_EQ(Masked(f), Range({{0, 10}, {18, 33}, {50, 51}}));
    // A name without a point of interest takes the first one.
    d.m_notchCases = {Poi("X", 0)};
    CResultTable u;
    MaskResultRows(d, u, 0);
    EXPECT_EQ(Masked(u), Range({{0, 10}, {34, 49}}));
    // An existing index keeps its other entries; a check outside 0..4 marks nothing.
    CResultTable e;
    e.m_valIdx.assign(60, 3);
    MaskResultRows(d, e, 7);
    EXPECT_TRUE(Masked(e).empty());
}

TEST(ResultRows, MaskWithoutPointsOfInterest) {
    CModuleData d;
    d.m_userPointNames = {"A"};
    d.m_bucklRes.m_numOfPlates = 2;
    CResultTable t;
    MaskResultRows(d, t, 3);
    // The point rows stay; the plate rows 42..45 go.
    EXPECT_EQ(Masked(t), Range({{18, 28}, {42, 45}}));
    EXPECT_EQ(t.m_valIdx.size(), 46u);
}

TEST(ResultRows, TriplesToPairs) {
    // The first word of a triple is kept bit for bit (here a NaN pattern).
    float tag;
    const uint32_t bits = 0x7fa00001u;
    std::memcpy(&tag, &bits, sizeof tag);
    std::vector<float> w = {1.0f, 5.0f, 2.0f, tag, 1.5f, 0.25f, 3.0f};
    ConvertTriplesToPairs(w);
    ASSERT_EQ(w.size(), 4u);
    EXPECT_EQ(w[0], 1.0f);
    EXPECT_EQ(w[1], 3.0f);
    uint32_t back = 0;
    std::memcpy(&back, &w[2], sizeof back);
    EXPECT_EQ(back, bits);
    EXPECT_EQ(w[3], 1.25f);
    std::vector<float> two = {1.0f, 2.0f};
    ConvertTriplesToPairs(two);
    EXPECT_TRUE(two.empty());
}

}  // namespace
