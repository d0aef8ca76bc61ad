// Load transfer: reaction series of the result tree turned into exported
// values, and the folder layout of "exports".
#include <gtest/gtest.h>

#include "kernel_results/LoadTransfer.h"
#include "kernel_results/ResultTree.h"
#include "testsupport/position_doc.h"

namespace {

using namespace tovik::results;

struct Value {
    std::string path, desc, varName, unit;
    double val;
};

void Collect(ZVELEM e, const std::string& path, std::vector<Value>& out) {
    for (ZVELEM c = ZEVUD_GetFirstChild(e); c; c = ZEVUD_GetNextChild(c)) {
        const std::string kind = zevud::GetElementName(c), desc = zevud::GetString(c, "desc");
        if (kind == "folder")
            Collect(c, path.empty() ? desc : path + "\\" + desc, out);
        else
            out.push_back({path, desc, zevud::GetString(c, "varName"), zevud::GetString(c, "unit"),
                           ZEVUD_GetDouble(c, "val")});
    }
}

class Transfer : public ::testing::Test {
protected:
    Transfer() {
        doc = ZEVUD_CreateDoc("");
        root = ZEVUD_GetRootElement(doc);
        result = ZEVUD_AddChildElement(root, "result");
        // A single span of 5 m: supports at 0 and 5, a spring at 2.5.
        table.SetPositions({0.0f, 5.0f}, {2.5f});
    }
    ~Transfer() override { ZEVUD_CloseDoc(doc); }
    std::vector<Value> Exports() {
        table.WriteExports(doc);
        std::vector<Value> v;
        Collect(ZEVUD_FindFirstChild(root, "exports"), "", v);
        return v;
    }
    ZVDOC doc = 0;
    ZVELEM root = 0, result = 0;
    LoadTransferTable table;
};

TEST_F(Transfer, CloseExtremesGiveOneValueDistinctOnesAMinAndAMax) {
    // Envelope (x, max, min) at the two supports and at a point between.
    WriteResultSeries(result, "Gebrauchstauglichkeit\\Char. Auflagerkraft\\Extremal\\Ax",
                      {0.0f, 12.005f, 12.0f, 2.0f, 0.0f, 0.0f, 5.0f, 3.5f, 3.0f}, 3, -1, -1, "kN");
    table.AddAllSeries(doc, {}, 0);
    const std::vector<Value> v = Exports();
    ASSERT_EQ(v.size(), 3u);
    EXPECT_EQ(v[0].varName, "A1_Ax_extr_c");
    EXPECT_EQ(v[0].desc, " Ax");
    EXPECT_EQ(v[0].path, "Auflager 1\\x-x\\Extremal(Char.)");
    EXPECT_NEAR(v[0].val, 12.0, 1e-6);  // the minimum stands for both
    EXPECT_EQ(v[0].unit, "kN");
    EXPECT_EQ(v[1].varName, "A2_minAx_extr_c");
    EXPECT_EQ(v[1].desc, "Min Ax");
    EXPECT_NEAR(v[1].val, 3.0, 1e-6);
    EXPECT_EQ(v[2].varName, "A2_maxAx_extr_c");
    EXPECT_EQ(v[2].desc, "Max Ax");
    EXPECT_NEAR(v[2].val, 3.5, 1e-6);
    EXPECT_EQ(v[2].path, "Auflager 2\\x-x\\Extremal(Char.)");
}

TEST_F(Transfer, GroupsNameTheirFoldersAndVariables) {
    const struct {
        const char* series;
        std::vector<int32_t> actions;
        int32_t nEd;
        const char* path;
        const char* varName;
        const char* desc;
    } cases[] = {
        {"Gebrauchstauglichkeit\\Char. Auflagerkraft\\EW 3\\AMy", {3}, 0, "Auflager 2\\y-y\\EW 3", "A2_AMy_EW3_c", " AMy"},
        {"Gebrauchstauglichkeit\\Char. Federkräfte\\Extremal\\Az", {}, 0, "Feder 1\\z-z\\Extremal(Char.)", "F1_Az_extr_c",
         " Az"},
        {"Gebrauchstauglichkeit\\Char. Federkräfte\\EW 2\\Ay", {2}, 0, "Feder 1\\y-y\\EW 2", "F1_Ay_EW2_c", " Ay"},
        {"Tragsicherheit\\LK   1\\Auflagerkraft (design)\\Az", {}, 1, "Auflager 2\\z-z\\design\\LK   1",
         "A2_Az_LK1_d", " Az"},
        {"Tragsicherheit\\LK  12\\Federkräfte (design)\\Ay", {}, 12, "Feder 1\\y-y\\design\\LK  12", "F1_AMy_LK12_d",
         " Ay"},
        {"Tragsicherheit\\Extremal\\Federkräfte (design)\\Az", {}, 0, "Feder 1\\z-z\\design\\Extremal", "F1_AMz_extr_d",
         " Az"},
        {"Tragsicherheit\\Extremal\\Auflagerkraft (design)\\AMx", {}, 0, "Auflager 2\\x-x\\design\\Extremal",
         "A2_AMx_extr_d", " AMx"},
    };
    for (const auto& c : cases) {
        ZVELEM r = ZEVUD_FindFirstChild(root, "result");
        if (r) ZEVUD_DeleteElement(r);
        result = ZEVUD_AddChildElement(root, "result");
        // A point at the spring for spring series, else at the end support.
        const float x = std::string(c.series).find("Feder") != std::string::npos ? 2.5f : 5.0f;
        WriteResultSeries(result, c.series, {x, 4.0f, 4.0f}, 3, -1, -1, "kN");
        LoadTransferTable t;
        t.SetPositions({0.0f, 5.0f}, {2.5f});
        t.AddAllSeries(doc, c.actions, c.nEd);
        ASSERT_EQ(t.paths.size(), 1u) << c.series;
        t.WriteExports(doc);
        std::vector<Value> v;
        Collect(ZEVUD_FindFirstChild(root, "exports"), "", v);
        ASSERT_EQ(v.size(), 1u) << c.series;
        EXPECT_EQ(v[0].path, c.path) << c.series;
        EXPECT_EQ(v[0].varName, c.varName) << c.series;
        EXPECT_EQ(v[0].desc, c.desc) << c.series;
        EXPECT_NEAR(v[0].val, 4.0, 1e-6);
    }
}

TEST_F(Transfer, SmallValuesMissingSeriesAndUnmatchedPoints) {
    // Values within 0.01 give nothing; a two-value (type 0) series is read
    // as value = value; a point on no support or spring gets number 0.
    WriteResultSeries(result, "Gebrauchstauglichkeit\\Char. Auflagerkraft\\Extremal\\Az",
                      {0.0f, 0.01f, 1.0f, 7.0f}, 0, -1, -1, "kN");
    table.AddAllSeries(doc, {}, 0);
    const std::vector<Value> v = Exports();
    ASSERT_EQ(v.size(), 1u);
    EXPECT_EQ(v[0].varName, "A0_Az_extr_c");
    EXPECT_EQ(v[0].path, "Auflager 0\\z-z\\Extremal(Char.)");
}

TEST_F(Transfer, LastSupportWithinToleranceGivesTheNumber) {
    LoadTransferTable t;
    t.SetPositions({0.0f, 0.005f, 4.0f}, {});
    WriteResultSeries(result, "Gebrauchstauglichkeit\\Char. Auflagerkraft\\Extremal\\Ax", {0.0f, 1.0f, 1.0f}, 3, -1,
                      -1, "kN");
    t.AddSeries(doc, "Gebrauchstauglichkeit\\Char. Auflagerkraft\\Extremal\\Ax", "Auflager {n}\\x-x\\{s}Ax",
                "A{n}_{s}Ax");
    ASSERT_EQ(t.varNames.size(), 1u);
    EXPECT_EQ(t.varNames[0], "A2_Ax");
}

TEST_F(Transfer, SameDescriptionInOneFolderKeepsTheLaterValue) {
    ZVELEM exports = ZEVUD_AddChildElement(root, "exports");
    WriteExports(exports, "Feder 0\\y-y\\Extremal(Char.)\\Ay", " Ay", "F0_Ay_extr_c", 1.0, "kN");
    WriteExports(exports, "Feder 0\\y-y\\Extremal(Char.)\\Ay", " Ay", "F0_Ay_extr_c", 2.0, "kN");
    std::vector<Value> v;
    Collect(exports, "", v);
    ASSERT_EQ(v.size(), 1u);
    EXPECT_EQ(v[0].val, 2.0);
    EXPECT_EQ(zevud::GetElementName(ZEVUD_GetFirstChild(exports)), "folder");
}

TEST_F(Transfer, WritingReplacesTheExportsElement) {
    ZVELEM old = ZEVUD_AddChildElement(root, "exports");
    ZEVUD_SetString(ZEVUD_AddChildElement(old, "value"), "desc", "alt");
    EXPECT_TRUE(Exports().empty());
    int n = 0;
    for (ZVELEM e = ZEVUD_FindFirstChild(root, "exports"); e; e = ZEVUD_FindNextChild(e, "exports")) ++n;
    EXPECT_EQ(n, 1);
}

}  // namespace
