// A roof beam calculated by the kernel library; a main beam takes its
// exported support reaction over as a point load.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "input/LoadTakeOver.h"
#include "input/tests/support/test_destination.h"
#include "testsupport/position_doc.h"
#include "testsupport/kernel_library.h"
#include "platform/winsys/winsys.h"
#include "platform/zidezaz/zidezaz.h"

namespace {

using kernel_library_test::MakeSectionFile;
using results_test::PositionDoc;
using results_test::ScratchDir;

using DestData = TestDestination;

TEST(TakeOverKernel, MainBeamTakesTheRoofBeamsReactionOver) {
    void* lib = dlopen(RIGEL_BUILD_ROOT "/bin/libTovik.so", RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(lib, nullptr) << dlerror();
    auto calc = reinterpret_cast<void (*)(uint32_t, int32_t)>(dlsym(lib, "RIREZ_Aver"));
    ASSERT_NE(calc, nullptr);
    ScratchDir dir("takeover");
    winsys::ScopedRecordingSink sink;

    // The roof beam: simply supported, 5 m, 4 kN/m; reactions qL/2 = 10 kN.
    const double L = 5.0, q = 4.0;
    const std::string roofPath = (dir.path() / "dach.vkx").string();
    {
        PositionDoc roof(roofPath);
        roof.AddField(L, "IPE 300", 53.8);
        roof.AddLineLoadZ("1", q, L);
        roof.AddCombination("Ed,perm", "1.0*(1)");
        roof.AddCombination("AK", "1.0*(1)");
        roof.AddCombination("Ed", "1.35*(1)");
        // load case 1 in the permanent action 1
        ZVELEM a = ZEVUD_AddChildElement(roof.einwirkungen, "einwirkung");
        ZEVUD_SetInt(a, "einw", 1);
        ZEVUD_SetString(a, "desc", "1: ständig");
        ZVELEM lc = ZEVUD_AddChildElement(ZEVUD_AddChildElement(roof.lastUeb, "lastfaelle"), "lastfall");
        ZEVUD_SetInt(lc, "lf", 1);
        ZEVUD_SetInt(lc, "einw", 1);
        ASSERT_TRUE(MakeSectionFile(roofPath, "IPE 300", "\\IPE\\IPE 300"));
        calc(roof.doc, 0);
        ASSERT_EQ(ZEVUD_GetInt(ZEVUD_FindFirstChild(roof.root, "result"), "abbruch"), 0);
        ASSERT_EQ(ZEVUD_SaveDoc(roof.doc), 1);
    }
    dlclose(lib);

    // The main beam takes support 2 over at 3 m, all into one action.
    DestData main;
    main.m_hDoc = ZEVUD_CreateDoc((dir.path() / "haupt.vkx").c_str());
    ZVELEM root = ZEVUD_GetRootElement(main.m_hDoc);
    ZEVUD_SetString(root, "progname", "RIGEL");
    ZEVUD_SetString(root, "modulename", "");
    ZEVUD_AddChildElement(root, "info");
    ZEVUD_AddChildElement(root, "input");
    main.SetLoadCombination(std::make_unique<CLKDataPart>());
    auto owned = std::make_unique<LUDataList>();
    LUDataList& list = *owned;
    main.SetLoadTakeOver(std::move(owned));
    auto rec = std::make_unique<LUData>();
    rec->m_strPosition = "dach";
    rec->m_strAuflager = "auflager 2";
    rec->m_iEinwModus = 0;
    rec->m_xa.SetValue(3.0);
    list.m_records.push_back(std::move(rec));
    list.SetOwner(&main);
    list.Recalc();

    const LUData& r = *list.m_records[0];
    // the characteristic reaction only; the design values stay with the roof
    ASSERT_EQ(r.m_takeOverLoads.size(), 1u);
    ASSERT_EQ(r.m_loads.size(), 1u) << (sink.messages.empty() ? "" : sink.messages[0].text);
    const CLoadDef& load = r.m_loads[0];
    EXPECT_EQ(load.m_iLoadType, 10);
    EXPECT_EQ(load.m_iDirection, 2);
    EXPECT_EQ(load.m_iLoadCase, 2);  // the variable action of "all into one"
    EXPECT_EQ(load.m_strDesc, "extremal");
    EXPECT_DOUBLE_EQ(load.m_offset.GetValue(), 3.0);
    EXPECT_NEAR(load.m_val[2].GetValue(), q * L / 2, 1e-3 * q * L / 2);
    for (int i : {0, 1, 3, 4, 5}) EXPECT_NEAR(load.m_val[i].GetValue(), 0.0, 1e-9) << i;
    ZEVUD_CloseDoc(main.m_hDoc);
    main.m_hDoc = 0;
}

}  // namespace
