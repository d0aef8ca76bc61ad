// A whole calculation through the kernel library as the module loads it: a
// simply supported IPE 300 of 6 m under a uniform load, calculated by
// RIREZ_Aver, leaves its moment series and its support reactions as
// exported values in the position document.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "formula/ImportValue.h"
#include "kernel_results/ResultTree.h"
#include "platform/winsys/winsys.h"
#include "platform/zidezaz/zidezaz.h"
#include "testsupport/position_doc.h"
#include "testsupport/kernel_library.h"

namespace {

using kernel_library_test::Library;
using kernel_library_test::MakeSectionFile;
using results_test::PositionDoc;
using results_test::ScratchDir;
using results_test::Series;

// Names, descriptions and values of every exported value, with the folder path.
struct Export {
    std::string path, desc, varName, unit;
    double val;
};
void CollectExports(ZVELEM e, const std::string& path, std::vector<Export>& out) {
    for (ZVELEM c = ZEVUD_GetFirstChild(e); c; c = ZEVUD_GetNextChild(c)) {
        const std::string kind = zevud::GetElementName(c), desc = zevud::GetString(c, "desc");
        if (kind == "folder")
            CollectExports(c, path.empty() ? desc : path + "\\" + desc, out);
        else if (kind == "value")
            out.push_back({path, desc, zevud::GetString(c, "varName"), zevud::GetString(c, "unit"),
                           ZEVUD_GetDouble(c, "val")});
    }
}

const Export* FindVar(const std::vector<Export>& list, const std::string& name) {
    for (const Export& e : list)
        if (e.varName == name) return &e;
    return nullptr;
}

int CountChildren(ZVELEM parent, const char* name) {
    int n = 0;
    for (ZVELEM e = ZEVUD_FindFirstChild(parent, name); e; e = ZEVUD_FindNextChild(e, name)) ++n;
    return n;
}

TEST(ResultsEndToEnd, SimplySupportedBeamGivesClosedFormMomentAndReactions) {
    ScratchDir dir("e2e");
    winsys::ScopedRecordingSink sink;
    Library lib;
    ASSERT_NE(lib.handle, nullptr) << dlerror();
    auto calc = reinterpret_cast<void (*)(uint32_t, int32_t)>(dlsym(lib.handle, "RIREZ_Aver"));
    ASSERT_NE(calc, nullptr);

    const double L = 6.0, q = 10.0;  // m, kN/m
    const std::string docPath = (dir.path() / "pos1.vkx").string();
    PositionDoc d(docPath);
    d.AddField(L, "IPE 300", 53.8);
    d.AddLineLoadZ("1", q, L);
    d.AddCombination("Ed,perm", "1.0*(1)");
    d.AddCombination("AK", "1.0*(1)");
    d.AddCombination("Ed", "1.35*(1)");
    ASSERT_TRUE(MakeSectionFile(docPath, "IPE 300", "\\IPE\\IPE 300"));

    calc(d.doc, 0);
    ZVELEM result = ZEVUD_FindFirstChild(d.root, "result");
    ASSERT_NE(result, 0u);
    EXPECT_EQ(ZEVUD_GetInt(result, "abbruch"), 0);
    EXPECT_EQ(zevud::GetString(result, "errorMsg"), "");
    // Serviceability deflection: 5qL^4/(384 EI) with Iy = 8356 cm^4, as a
    // utilisation of L/300.
    const double w = 5 * q * L * L * L * L / (384 * 2.1e8 * 8356e-8);
    EXPECT_NEAR(ZEVUD_GetDouble(result, "dMaxAusGebr"), w / L * 300, 0.02 * w / L * 300);
    const int32_t nNode = ZEVUD_GetInt(result, "nNode");
    ASSERT_GT(nNode, 2);
    EXPECT_EQ(ZEVUD_GetInt(result, "nElem"), 2 * nNode - 2);

    // Moment envelope of the serviceability combination: maximum qL²/8 at
    // midspan (45 kNm).
    ZVELEM my = Series(result, {"Gebrauchstauglichkeit", "Extremal", "Schnittgrößen", "Biegemoment My"});
    ASSERT_NE(my, 0u) << zevud::GetDocText(d.doc).substr(0, 4000);
    const std::vector<float> data = tovik::results::ReadSeriesData(my);
    ASSERT_EQ(ZEVUD_GetInt(my, "type"), 2);
    ASSERT_EQ(data.size(), static_cast<size_t>(3 * (2 * nNode - 2)));
    float maxM = -1e30f, xAtMax = 0;
    for (size_t i = 0; i < data.size(); i += 3)
        if (data[i + 1] > maxM) {
            maxM = data[i + 1];
            xAtMax = data[i];
        }
    EXPECT_NEAR(maxM, q * L * L / 8, 1e-3 * q * L * L / 8);
    EXPECT_NEAR(xAtMax, L / 2, 1e-4);
    EXPECT_EQ(zevud::GetString(my, "unit"), "kNm");
    EXPECT_EQ(ZEVUD_GetInt(my, "resType"), 0x1004);

    // Ultimate part: the stress utilisation of 1.35 q, with its decisive
    // case per element end; an IPE 300 in bending is of class 1.
    ZVELEM util = Series(result, {"Tragsicherheit", "Extremal", "Spannungen", "Ausnutzung"});
    ASSERT_NE(util, 0u);
    EXPECT_EQ(ZEVUD_GetInt(util, "default"), 1);
    EXPECT_EQ(tovik::results::DecodeInts(zevud::GetBinData(result, "tragSVRelKol")),
              std::vector<int32_t>(static_cast<size_t>(2 * nNode - 2), 0));
    // sigma = M / Wy = 1.35 * 45 kNm / 557 cm³, against fy / gamma_M = 235 / 1.1 N/mm².
    const double sigma = 1.35 * q * L * L / 8 * 100 / 557.0 * 10;
    EXPECT_NEAR(ZEVUD_GetDouble(result, "dMaxAusTragSV"), sigma / (235 / 1.1), 0.02 * sigma / (235 / 1.1));
    EXPECT_EQ(ZEVUD_GetInt(result, "iClass"), 1);

    // Exported characteristic reactions: qL/2 = 30 kN at supports 1 and 2.
    std::vector<Export> ex;
    CollectExports(ZEVUD_FindFirstChild(d.root, "exports"), "", ex);
    for (const char* name : {"A1_Az_extr_c", "A2_Az_extr_c"}) {
        const Export* e = FindVar(ex, name);
        ASSERT_NE(e, nullptr) << name;
        EXPECT_NEAR(e->val, q * L / 2, 1e-3 * q * L / 2) << name;
        EXPECT_EQ(e->desc, " Az");
        EXPECT_EQ(e->unit, "kN");
    }
    EXPECT_EQ(FindVar(ex, "A1_Az_extr_c")->path, "Auflager 1\\z-z\\Extremal(Char.)");
    // Design reactions of the one ultimate case: 1.35 qL/2.
    const Export* dz = FindVar(ex, "A2_Az_LK1_d");
    ASSERT_NE(dz, nullptr);
    EXPECT_NEAR(dz->val, 1.35 * q * L / 2, 1e-3 * q * L);
    EXPECT_EQ(dz->path, "Auflager 2\\z-z\\design\\LK   1");

    // Another position takes the reaction over from the saved document.
    CImportValue import;
    import.m_strSourcePath = (dir.path() / "pos1").string() + "\\Auflager 2\\z-z\\Extremal(Char.)\\ Az";
    EXPECT_EQ(import.ImportData(), 0) << import.m_strMessage;
    EXPECT_NEAR(import.m_dValue, q * L / 2, 1e-3 * q * L / 2);
    EXPECT_EQ(import.m_strUnit, "kN");

    // A second run on the same document gives the same tree.
    const std::string first = zevud::GetDocText(d.doc);
    ASSERT_TRUE(MakeSectionFile(docPath, "IPE 300", "\\IPE\\IPE 300"));
    calc(d.doc, 0);
    EXPECT_EQ(CountChildren(d.root, "result"), 1);
    EXPECT_EQ(CountChildren(d.root, "exports"), 1);
    EXPECT_EQ(zevud::GetDocText(d.doc), first);
}

}  // namespace
