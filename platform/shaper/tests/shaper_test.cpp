// The section generator: the sections built from dimensions against the
// same plates entered as wall lines and against closed-form values, the
// refused dimensions, copies, the editor hook and the drawing calls.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "platform/kurvo/kurvo.h"
#include "platform/shaper/shaper.h"
#include "platform/zidezaz/zidezaz.h"

namespace {

SektGqs Gross(int section) {
    SektGqs g{};
    SEKT_PRO_GetResultGqs(section, &g);
    return g;
}

// The plates of a welded I entered directly as wall lines.
int DirectI(double h, double tw, double bo, double to, double bu, double tu) {
    const int p = SEKT_PRO_Create();
    SEKT_PRO_Init(p, 0);
    SEKT_PRO_AddWLine(p, zidezaz::MakeWLine(-bo / 2, to / 2, bo / 2, to / 2, to));
    SEKT_PRO_AddWLine(p, zidezaz::MakeWLine(0, to / 2, 0, h - tu / 2, tw));
    SEKT_PRO_AddWLine(p, zidezaz::MakeWLine(-bu / 2, h - tu / 2, bu / 2, h - tu / 2, tu));
    return p;
}

class Recorder : public kurvo::Control {
public:
    int32_t Invoke(int dispid, const kurvo::Args& args) override {
        calls.emplace_back(dispid, args);
        return 0;
    }
    std::vector<std::pair<int, kurvo::Args>> calls;
};

}  // namespace

TEST(Shaper, WeldedIHasTheValuesOfItsPlates) {
    struct Case {
        int type;
        std::vector<double> dims;
        double h, tw, bo, to, bu, tu;
    };
    const Case cases[] = {
        {SHAPER_WELDED_I, {40, 1, 20, 2}, 40, 1, 20, 2, 20, 2},
        {SHAPER_WELDED_I_MONO, {50, 1.2, 20, 2, 30, 2.5}, 50, 1.2, 20, 2, 30, 2.5},
    };
    for (const Case& c : cases) {
        ShaperContour s{c.type, c.dims, -1};
        ASSERT_EQ(Shaper_BuildSection(s), 0);
        const int direct = DirectI(c.h, c.tw, c.bo, c.to, c.bu, c.tu);
        const SektGqs a = Gross(s.section), b = Gross(direct);
        for (auto [x, y, name] : {std::tuple{a.A, b.A, "A"}, std::tuple{a.Ayy, b.Ayy, "Iy"}, std::tuple{a.Azz, b.Azz, "Iz"},
                                  std::tuple{a.Ito + a.Itg, b.Ito + b.Itg, "It"}, std::tuple{a.Bww, b.Bww, "Iw"}})
            EXPECT_NEAR(x, y, 1e-9 * std::fabs(y)) << c.type << " " << name;
        // Closed form: area and second moments of the three rectangles.
        const double hw = c.h - c.to - c.tu;
        const double A = c.bo * c.to + c.bu * c.tu + c.tw * hw;
        const double zc = (c.bo * c.to * c.to / 2 + c.tw * hw * (c.to + hw / 2) + c.bu * c.tu * (c.h - c.tu / 2)) / A;
        const double Iy = c.bo * std::pow(c.to, 3) / 12 + c.bo * c.to * std::pow(zc - c.to / 2, 2) +
                          c.tw * std::pow(hw, 3) / 12 + c.tw * hw * std::pow(c.to + hw / 2 - zc, 2) +
                          c.bu * std::pow(c.tu, 3) / 12 + c.bu * c.tu * std::pow(c.h - c.tu / 2 - zc, 2);
        const double Iz = c.to * std::pow(c.bo, 3) / 12 + c.tu * std::pow(c.bu, 3) / 12 + hw * std::pow(c.tw, 3) / 12;
        EXPECT_NEAR(a.A, A, 1e-9 * A) << c.type;
        EXPECT_NEAR(a.z0, zc, 1e-9 * zc) << c.type;
        EXPECT_NEAR(a.Ayy, Iy, 1e-9 * Iy) << c.type;
        EXPECT_NEAR(a.Azz, Iz, 1e-9 * Iz) << c.type;
        if (c.type == SHAPER_WELDED_I) {
            // Doubly symmetric: Iw = If * hs^2 / 2 with the flanges' distance hs.
            const double Iw = c.to * std::pow(c.bo, 3) / 12 * std::pow(c.h - c.to, 2) / 2;
            EXPECT_NEAR(a.Bww, Iw, 1e-3 * Iw);
        }
        SEKT_PRO_Delete(direct);
        Shaper_ReleaseContour(s);
    }
}

TEST(Shaper, BoxAndFlatAgainstClosedForm) {
    ShaperContour box{SHAPER_BOX, {40, 30, 1.5, 2}, -1};
    ASSERT_EQ(Shaper_BuildSection(box), 0);
    const SektGqs g = Gross(box.section);
    EXPECT_NEAR(g.A, 2 * 30 * 2 + 2 * 1.5 * 36, 1e-9);
    const double Iy = 2 * (30 * 8 / 12.0 + 30 * 2 * 19 * 19) + 2 * 1.5 * std::pow(36, 3) / 12;
    EXPECT_NEAR(g.Ayy, Iy, 1e-9 * Iy);
    // A closed cell: Bredt's torsion constant dominates, 4 A_m^2 / sum(s/t).
    const double am = (30 - 1.5) * 38, bredt = 4 * am * am / (2 * (30 - 1.5) / 2 + 2 * 38 / 1.5);
    EXPECT_NEAR(g.Ito + g.Itg, bredt, 0.02 * bredt);
    ShaperContour flat{SHAPER_FLAT, {20, 1}, -1};
    ASSERT_EQ(Shaper_BuildSection(flat), 0);
    EXPECT_NEAR(Gross(flat.section).A, 20, 1e-12);
    EXPECT_NEAR(Gross(flat.section).Ayy, 1 * 8000 / 12.0, 1e-9);
    Shaper_ReleaseContour(box);
    Shaper_ReleaseContour(flat);
}

TEST(Shaper, DimensionsThatMakeNoSectionAreRefusedByField) {
    struct Case {
        int type;
        std::vector<double> dims;
        const char* field;
    };
    const Case cases[] = {
        {SHAPER_WELDED_I, {40, 0, 20, 2}, "Abmessung tw"},
        {SHAPER_WELDED_I, {-40, 1, 20, 2}, "Abmessung h"},
        {SHAPER_WELDED_I, {40, 25, 20, 2}, "Abmessung tw"},
        {SHAPER_WELDED_I_MONO, {40, 12, 20, 2, 10, 2}, "Abmessung tw"},
        {SHAPER_WELDED_I, {4, 1, 20, 2}, "Abmessung h"},
        {SHAPER_BOX, {40, 30, 15, 2}, "Abmessung tw"},
        {SHAPER_BOX, {40, 30, 1, 20}, "Abmessung tf"},
        {SHAPER_FLAT, {20, std::nan("")}, "Abmessung t"},
        {SHAPER_FLAT, {20}, "Zahl der Abmessungen"},
    };
    for (const Case& c : cases) {
        std::string message;
        EXPECT_FALSE(Shaper_CheckDimensions(c.type, c.dims, message)) << c.field;
        EXPECT_NE(message.find(c.field), std::string::npos) << message;
        // Building refuses too and leaves the section as it was.
        ShaperContour s{SHAPER_FLAT, {10, 1}, -1};
        ASSERT_EQ(Shaper_BuildSection(s), 0);
        const double before = Gross(s.section).A;
        s.type = c.type;
        s.dims = c.dims;
        EXPECT_EQ(Shaper_BuildSection(s), -1);
        EXPECT_EQ(Gross(s.section).A, before);
        Shaper_ReleaseContour(s);
    }
}

TEST(Shaper, TypesEditorAndCopies) {
    EXPECT_EQ(Shaper_GetNumOfSectionTypeIDs(), 4);
    int32_t ids[8] = {};
    ASSERT_EQ(Shaper_GetSectionTypeIDs(ids, 8), 4);
    EXPECT_EQ((std::vector<int32_t>(ids, ids + 4)),
              (std::vector<int32_t>{SHAPER_WELDED_I, SHAPER_WELDED_I_MONO, SHAPER_BOX, SHAPER_FLAT}));
    EXPECT_EQ(Shaper_GetDimensionNames(SHAPER_WELDED_I_MONO),
              (std::vector<std::string>{"h", "tw", "bo", "to", "bu", "tu"}));

    ShaperContour s{SHAPER_WELDED_I, {40, 1, 20, 2}, -1};
    ASSERT_EQ(Shaper_BuildSection(s), 0);
    const int original = s.section;
    // Without an editor nothing changes.
    Shaper_SetEditor(nullptr);
    EXPECT_EQ(Shaper_EditSection(s, nullptr, 0), 0);
    EXPECT_EQ(s.section, original);
    // An editor that cancels after changing its copy: nothing changes.
    static std::vector<int32_t> offered;
    Shaper_SetEditor([](ShaperContour& c, const std::vector<int32_t>& types) {
        offered = types;
        c.dims[0] = 80;
        return 0;
    });
    EXPECT_EQ(Shaper_EditSection(s, ids, 2), 0);
    EXPECT_EQ(offered, (std::vector<int32_t>{SHAPER_WELDED_I, SHAPER_WELDED_I_MONO}));
    EXPECT_EQ(s.dims[0], 40);
    EXPECT_EQ(s.section, original);
    EXPECT_NEAR(Gross(original).A, 116, 1e-9);
    // OK: the new type and dimensions in a section of their own.
    Shaper_SetEditor([](ShaperContour& c, const std::vector<int32_t>&) {
        c.type = SHAPER_FLAT;
        c.dims = {30, 2};
        return 1;
    });
    EXPECT_EQ(Shaper_EditSection(s, nullptr, 0), 1);
    EXPECT_EQ(s.type, SHAPER_FLAT);
    EXPECT_NE(s.section, original);
    EXPECT_NEAR(Gross(s.section).A, 60, 1e-9);
    EXPECT_NEAR(Gross(original).A, 116, 1e-9);  // the old section is the caller's
    // Refused dimensions from the editor change nothing.
    Shaper_SetEditor([](ShaperContour& c, const std::vector<int32_t>&) {
        c.dims = {30, -2};
        return 1;
    });
    const int flat = s.section;
    EXPECT_EQ(Shaper_EditSection(s, nullptr, 0), 0);
    EXPECT_EQ(s.section, flat);
    EXPECT_EQ(s.dims, (std::vector<double>{30, 2}));
    Shaper_SetEditor(nullptr);
    // A copy owns a section of its own with the same wall lines.
    ShaperContour copy = Shaper_CopyContour(s);
    EXPECT_NE(copy.section, s.section);
    EXPECT_NEAR(Gross(copy.section).A, 60, 1e-9);
    Shaper_ReleaseContour(copy);
    Shaper_ReleaseContour(s);
    SEKT_PRO_Delete(original);
}

TEST(Shaper, DrawsEachPlateWithItsNumber) {
    ShaperContour s{SHAPER_WELDED_I, {40, 1, 20, 2}, -1};
    ASSERT_EQ(Shaper_BuildSection(s), 0);
    Recorder r;
    EXPECT_EQ(Shaper_DrawSection(s.section, &r, 1.5), 3);
    std::vector<std::string> numbers;
    int polygons = 0;
    const kurvo::Args* window = nullptr;
    for (const auto& [id, args] : r.calls) {
        if (id == 5) {
            ++polygons;
            EXPECT_EQ(args[0].num, 4);
        }
        if (id == 7) numbers.push_back(args[4].text);
        if (id == 34) window = &args;
    }
    EXPECT_EQ(polygons, 3);
    EXPECT_EQ(numbers, (std::vector<std::string>{"1", "2", "3"}));
    ASSERT_NE(window, nullptr);
    // 20 x 40 enlarged by 1.5 about its middle: 60 wide.
    EXPECT_NEAR((*window)[2].num - (*window)[0].num, 60, 1e-9);
    EXPECT_EQ(r.calls.back().first, 15);
    EXPECT_EQ(Shaper_DrawSection(-1, &r, 1.5), -1);
    EXPECT_EQ(Shaper_DrawSection(s.section, nullptr, 1.5), -1);
    Shaper_ReleaseContour(s);
}
