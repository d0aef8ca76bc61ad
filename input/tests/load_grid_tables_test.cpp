// The per-type tables of the load input grid.
#include <gtest/gtest.h>

#include "input/LoadDef.h"
#include "input/LoadGridTables.h"

using namespace loadgrid;

TEST(LoadGridTables, MasksAndFormatsOfEveryType) {
    struct Row {
        const char* with;
        const char* without;
        size_t formatsWith, formatsWithout;
    };
    // Columns 0-16, '1' open.
    const Row rows[LOAD_TYPE_COUNT] = {
        {"01111111111100000", "01111111111111000", 1, 3}, {"01111111111110000", "01111111111111111", 2, 6},
        {"01111111111110000", "01111111111111100", 2, 4}, {"01111111111111000", "01111111111111110", 5, 5},
        {"01111111001110000", "01111111111110000", 2, 2}, {"01111100001100000", "01111100000100000", 1, 1},
        {"01111111000100000", "01111111000111000", 1, 1}, {"01111111000110000", "01111111000111111", 2, 2},
        {"01111110111100000", "01111110111111000", 1, 3}, {"01111110101100000", "01111110001111000", 1, 3},
        {"01111110111110000", "01111110111111111", 2, 6}, {"01111000000000000", "01111000000000000", 0, 0},
        {"01111111001100000", "01111111001100000", 1, 1}, {"01111111111111111", "01111111111111111", 6, 6},
    };
    for (int t = 0; t < LOAD_TYPE_COUNT; ++t) {
        SCOPED_TRACE(t);
        EXPECT_EQ(CellMask(t, true), rows[t].with);
        EXPECT_EQ(CellMask(t, false), rows[t].without);
        EXPECT_EQ(CellMask(t, true).size(), size_t(kColumnCount));
        EXPECT_EQ(ValueFormats(t, true).size(), rows[t].formatsWith);
        EXPECT_EQ(ValueFormats(t, false).size(), rows[t].formatsWithout);
    }
    EXPECT_EQ(ValueFormats(LOAD_TRIANGLE, false), (std::vector<std::string>{"%.2lf m", "%.2lf kN/m", "%.2lf kN/m",
                                                                            "%.2lf kN/m"}));
    EXPECT_EQ(ValueFormats(LOAD_TEMPERATURE, true), (std::vector<std::string>{"%.2lf °K", "%.2lf °K"}));
    EXPECT_EQ(ValueFormats(LOAD_AREA, true), (std::vector<std::string>{"%.2lf kN/m²"}));
    EXPECT_TRUE(ValueFormats(LOAD_SELF_WEIGHT, true).empty());
}

TEST(LoadGridTables, Headers) {
    struct Case {
        int type;
        bool withDirection;
        int direction;
        const char* length;
        std::vector<std::string> values;
    };
    const Case cases[] = {
        {LOAD_POINT_FORCE_MOMENT, true, 2, "---", {"Pz", "My", "---", "---", "---", "---"}},
        {LOAD_POINT_FORCE_MOMENT, true, 1, "---", {"Py", "Mz", "---", "---", "---", "---"}},
        {LOAD_TEMPERATURE, true, 1, "Länge", {"T(-Y)", "T(+Y)", "---", "---", "---", "---"}},
        {LOAD_TEMPERATURE, false, 0, "Länge", {"T(-X)", "T(+X)", "---", "---", "---", "---"}},
        {LOAD_TRAPEZOID2, true, 2, "L(links)", {"L(mitte)", "L(rechts)", "P", "---", "---", "---"}},
        {LOAD_TRAPEZOID, false, -1, "Länge", {"Px1", "Py1", "Pz1", "Px2", "Py2", "Pz2"}},
        {LOAD_SELF_WEIGHT, false, -1, "---", {"---", "---", "---", "---", "---", "---"}},
        {LOAD_AREA, true, 2, "Länge", {"F", "---", "---", "---", "---", "---"}},
        // No load selected: a uniform load without direction.
        {-1, true, 2, "Länge", {"Px", "Py", "Pz", "---", "---", "---"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        const Header h = Headers(c.type, c.withDirection, c.direction);
        EXPECT_EQ(h.length, c.length);
        EXPECT_EQ(h.values, c.values);
    }
}
