// Post-processing of beam result series: span layout, coincident abscissae
// and the points of interest.
#include <gtest/gtest.h>

#include <vector>

#include "kernel_results/BeamPostProcess.h"
#include "platform/zevud/zevud.h"

using namespace tovik::results;

namespace {

class BeamPostProcessTest : public ::testing::Test {
protected:
    void SetUp() override {
        doc_ = ZEVUD_CreateDoc("");
        root_ = ZEVUD_GetRootElement(doc_);
        input_ = ZEVUD_AddChildElement(root_, "input");
        system_ = ZEVUD_AddChildElement(input_, "system");
        result_ = ZEVUD_AddChildElement(root_, "result");
    }
    void TearDown() override { ZEVUD_CloseDoc(doc_); }

    // Fields in order: length and the support's (cx, cy, cz); field 0 is the
    // member start with length 0.
    void Fields(const std::vector<std::array<double, 4>>& fields) {
        ZEVUD_SetInt(system_, "numOfFields", static_cast<int>(fields.size()));
        for (size_t i = 0; i < fields.size(); ++i) {
            ZVELEM f = ZEVUD_AddChildElement(system_, "field");
            ZEVUD_SetString(f, "fieldNr", std::to_string(i).c_str());
            ZEVUD_SetDouble(f, "length", fields[i][0]);
            ZVELEM s = ZEVUD_AddChildElement(f, "support");
            ZEVUD_SetDouble(s, "cx", fields[i][1]);
            ZEVUD_SetDouble(s, "cy", fields[i][2]);
            ZEVUD_SetDouble(s, "cz", fields[i][3]);
        }
    }
    ZVELEM AddSeries(const char* name, int type, int width, const std::vector<float>& data) {
        ZVELEM e = ZEVUD_AddChildElement(result_, name);
        if (type >= 0) ZEVUD_SetInt(e, "type", type);
        ZEVUD_SetInt(e, "dataLength", static_cast<int>(data.size()) / width);
        WriteFloats(e, "data", data);
        return e;
    }
    static std::vector<int32_t> Poi(ZVELEM e) {
        const std::vector<unsigned char> b = zevud::GetBinData(e, "poi");
        std::vector<int32_t> out(b.size() / 4);
        for (size_t i = 0; i < out.size(); ++i)
            out[i] = static_cast<int32_t>(b[4 * i] | (b[4 * i + 1] << 8) | (b[4 * i + 2] << 16) | (b[4 * i + 3] << 24));
        return out;
    }

    ZVDOC doc_ = 0;
    ZVELEM root_ = 0, input_ = 0, system_ = 0, result_ = 0;
};

TEST_F(BeamPostProcessTest, CollectElementsListsParentsBeforeTheirChildren) {
    ZVELEM a = ZEVUD_AddChildElement(result_, "a");
    ZVELEM a1 = ZEVUD_AddChildElement(a, "a1");
    ZVELEM a11 = ZEVUD_AddChildElement(a1, "a11");
    ZVELEM b = ZEVUD_AddChildElement(result_, "b");
    std::vector<ZVELEM> list;
    CollectElements(result_, list);
    EXPECT_EQ(list, (std::vector<ZVELEM>{a, a1, a11, b}));
}

TEST_F(BeamPostProcessTest, SpansBetweenSupportedPointsWithTheirRatios) {
    struct Case {
        const char* what;
        std::vector<std::array<double, 4>> fields;
        int32_t mask;
        std::vector<float> ends;
        std::vector<int32_t> ratios;
    };
    const Case cases[] = {
        {"two spans", {{0, 0, 0, -1}, {4, 0, 0, -1}, {3, 0, 0, -1}}, kAxisZ, {0, 4, 7}, {300, 300}},
        {"inner point unsupported merges spans", {{0, 0, 0, -1}, {4, 0, 0, 0}, {3, 0, 0, -1}}, kAxisZ, {0, 7}, {300}},
        {"first end free: cantilever", {{0, 0, 0, 0}, {2, 0, 0, -1}, {5, 0, 0, -1}}, kAxisZ, {0, 2, 7}, {150, 300}},
        {"last end free: cantilever", {{0, 0, 0, -1}, {5, 0, 0, -1}, {2, 0, 0, 0}}, kAxisZ, {0, 5, 7}, {300, 150}},
        {"mask selects the direction", {{0, 0, 5, 0}, {4, 0, 0, 0}, {3, 0, 5, 0}}, kAxisY, {0, 7}, {300}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ZEVUD_DeleteElement(system_);
        system_ = ZEVUD_AddChildElement(input_, "system");
        Fields(c.fields);
        std::vector<float> ends;
        std::vector<int32_t> ratios;
        ReadAllowableDeflections(doc_, ends, ratios, c.mask);
        EXPECT_EQ(ends, c.ends);
        EXPECT_EQ(ratios, c.ratios);
    }
    // The document's own ratios when input/ctrl exists.
    ZVELEM ctrl = ZEVUD_AddChildElement(input_, "ctrl");
    ZEVUD_SetInt(ctrl, "zulDefField", 250);
    ZEVUD_SetInt(ctrl, "zulDefKrag", 125);
    std::vector<float> ends;
    std::vector<int32_t> ratios;
    ReadAllowableDeflections(doc_, ends, ratios, kAxisY);
    EXPECT_EQ(ratios, (std::vector<int32_t>{250}));
    ReadAllowableDeflections(doc_, ends, ratios, kAxisZ);
    EXPECT_EQ(ratios, (std::vector<int32_t>{125}));
}

TEST_F(BeamPostProcessTest, SupportedFieldEndsAreRunningSums) {
    Fields({{0, 0, 0, -1}, {4, 0, 0, 0}, {3, 0, 1, 0}, {2, 0, 0, 0}});
    std::vector<double> out;
    ReadStabFields(input_, out);
    EXPECT_EQ(out, (std::vector<double>{0.0, 7.0}));
}

TEST_F(BeamPostProcessTest, CoincidentRecordsArePulledApart) {
    Fields({{0, 0, 0, -1}, {4, 0, 0, -1}});
    ZVELEM s = AddSeries("moment", 2, 3, {0, 0, 0, 2, 5, 6, 2, 5, 6, 4, 0, 0});
    PostProcessStabResults(doc_);
    const std::vector<float> d = ReadFloats(s, "data");
    ASSERT_EQ(d.size(), 12u);
    EXPECT_FLOAT_EQ(d[3], 1.99995f);
    EXPECT_FLOAT_EQ(d[6], 2.00005f);
    EXPECT_EQ(d[0], 0.0f);
    EXPECT_EQ(d[9], 4.0f);
}

TEST_F(BeamPostProcessTest, ConstantSeriesMarksOnlyItsEnds) {
    Fields({{0, 0, 0, 0}, {6, 0, 0, 0}});  // no support inside: only the ends are span ends
    ZEVUD_DeleteElement(system_);
    system_ = ZEVUD_AddChildElement(input_, "system");
    ZVELEM s = AddSeries("const", 0, 2, {0, 3, 1, 3, 2, 3, 3, 3, 4, 3});
    PostProcessStabResults(doc_);
    EXPECT_EQ(Poi(s), (std::vector<int32_t>{1, 0, 0, 0, 1}));
}

TEST_F(BeamPostProcessTest, ExtremesSupportsPointLoadsAndHingesAreMarked) {
    // Held in y: the points of interest follow the supports in x and y.
    Fields({{0, 0, -1, -1}, {4, 0, -1, -1}, {4, 0, -1, -1}});
    ZVELEM impact = ZEVUD_AddChildElement(input_, "impact");
    ZVELEM load = ZEVUD_AddChildElement(impact, "load");
    ZEVUD_SetInt(load, "ltype", 10);
    ZEVUD_SetInt(load, "node", 1);
    ZEVUD_SetDouble(load, "offset", 1.0);  // x = 5
    ZVELEM other = ZEVUD_AddChildElement(impact, "load");
    ZEVUD_SetInt(other, "ltype", 0);
    ZEVUD_SetInt(other, "node", 0);
    ZEVUD_SetDouble(other, "offset", 3.0);  // not a point load: x = 3 not marked
    ZVELEM far = ZEVUD_AddChildElement(impact, "load");
    ZEVUD_SetInt(far, "ltype", 10);
    ZEVUD_SetInt(far, "node", 9);  // beyond the span ends: marks nothing
    // x:      0  1  2  3  4  5  6  7  8
    // value:  0  3  4  3  0  1  1  1  0   (max at 2; a plateau 5..7 above both neighbours)
    ZVELEM s = AddSeries("v", 0, 2, {0, 0, 1, 3, 2, 4, 3, 3, 4, 0, 5, 1, 6, 1, 7, 1, 8, 0});
    // Stress series carry no type: they count as type 0. Type 1 and empty
    // series get no flags.
    ZVELEM t1 = AddSeries("def3d", 1, 2, {0, 0, 1, 1});
    ZVELEM empty = ZEVUD_AddChildElement(result_, "empty");
    ZEVUD_SetInt(empty, "type", 2);
    ZEVUD_SetInt(empty, "dataLength", 0);
    ZVELEM stress = AddSeries("stress", -1, 2, {0, 1, 4, 1, 8, 1});
    PostProcessStabResults(doc_);
    EXPECT_EQ(Poi(s), (std::vector<int32_t>{1, 0, 1, 0, 1, 1, 0, 0, 1}));
    EXPECT_EQ(Poi(t1).size(), 0u);
    EXPECT_FALSE(ZEVUD_HasAttr(empty, "poi"));
    EXPECT_EQ(Poi(stress), (std::vector<int32_t>{1, 1, 1}));
}

TEST_F(BeamPostProcessTest, TypeTwoJudgesMinimaAndMaximaApart) {
    Fields({{0, 0, 0, 0}, {10, 0, 0, 0}});
    ZEVUD_DeleteElement(system_);
    system_ = ZEVUD_AddChildElement(input_, "system");
    // x, min, max: a minimum dip at x = 2 and a maximum peak at x = 6.
    ZVELEM s = AddSeries("f", 2, 3, {0, 0, 1, 1, -1, 1, 2, -3, 1, 3, -1, 1, 4, -1, 2, 5, -1, 3, 6, -1, 5, 7, -1, 2, 8, 0, 0});
    PostProcessStabResults(doc_);
    EXPECT_EQ(Poi(s), (std::vector<int32_t>{1, 0, 1, 0, 0, 0, 1, 0, 1}));
}

}  // namespace
