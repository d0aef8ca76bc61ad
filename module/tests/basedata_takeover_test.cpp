// The position's common data and its load take-overs: reading a position
// reads its take-overs and recalculates them into the position's settings.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "input/LoadTakeOver.h"
#include "module/BaseData.h"
#include "platform/winsys/winsys.h"

namespace fs = std::filesystem;

namespace {

class DestData : public CBaseData {
public:
    bool CheckInputMessages(std::vector<std::string>&, int) override { return true; }
};

CActionRecord Action(int number, int full, int category = 0, const char* desc = "") {
    CActionRecord a;
    a.m_nNumber = number;
    a.m_nGroup = full;
    a.m_nFullGroup = full;
    a.m_nCategory = category;
    a.m_strDesc = desc;
    return a;
}

// A folder path "a\b\c" below a parent with one value in its last folder.
void AddValue(ZVELEM parent, const std::vector<std::string>& path, const char* desc, const char* unit,
              double val) {
    ZVELEM cur = parent;
    for (const std::string& p : path) {
        cur = ZEVUD_AddChildElement(cur, "folder");
        ZEVUD_SetString(cur, "desc", p.c_str());
    }
    ZVELEM e = ZEVUD_AddChildElement(cur, "value");
    ZEVUD_SetString(e, "desc", desc);
    ZEVUD_SetString(e, "unit", unit);
    ZEVUD_SetDouble(e, "val", val);
}

// The position reader of the base data reads the take-overs and recalculates
// them at once; the actions land in the position's own settings.
TEST(BaseDataTakeOver, BaseDataReadsAndRecalculatesTheTakeOvers) {
    const fs::path dir = fs::path(RIGEL_TEST_TMP) / ("basedata_takeover_" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    winsys::ScopedRecordingSink sink;

    // The source position "col" exports 6 kN at support S in action 2.
    {
        ZVDOC src = ZEVUD_CreateDoc((dir / "col.vkx").c_str());
        ZVELEM root = ZEVUD_GetRootElement(src);
        ZEVUD_SetString(root, "progname", "STUE");
        ZEVUD_SetString(root, "modulename", "A");
        CLKData lk;
        lk.SetNorm(3);
        lk.SetModus(3);
        lk.m_actions = {Action(1, 0), Action(2, 1, 9, "2: Wind")};
        lk.WriteData(ZEVUD_AddChildElement(root, "input"));
        AddValue(ZEVUD_AddChildElement(root, "exports"), {"S", "z-z", "2: Wind"}, "max N", "kN", 6.0);
        ASSERT_EQ(ZEVUD_SaveDoc(src), 1);
        ZEVUD_CloseDoc(src);
    }

    // The destination document with its settings and one take-over record
    // that still carries the loads of an older calculation.
    ZVDOC doc = ZEVUD_CreateDoc((dir / "main.vkx").c_str());
    ZVELEM root = ZEVUD_GetRootElement(doc);
    ZEVUD_SetString(root, "progname", "RIGEL");
    ZEVUD_SetString(root, "modulename", "");
    ZVELEM destInput = ZEVUD_AddChildElement(root, "input");
    {
        DestData dest;
        dest.m_hDoc = doc;
        CLKData destLK;
        destLK.SetNorm(3);
        destLK.m_actions = {Action(1, 0, 0, "1: ständig")};
        destLK.WriteData(destInput);
        LUDataList list;
        list.SetDestinationSettings(&destLK);
        auto r = std::make_unique<LUData>();
        r->m_strPosition = "col";
        r->m_strAuflager = "S";
        r->m_iEinwModus = 1;
        r->m_loads.resize(3);  // stale loads of an older calculation
        list.m_records.push_back(std::move(r));
        list.SetOwner(&dest);
        list.WriteData(destInput);
        dest.m_hDoc = 0;
    }
    ZEVUD_AddChildElement(root, "info");

    DestData pos;
    pos.SetLoadCombination(std::make_unique<CLKDataPart>());
    pos.SetLoadTakeOver(std::make_unique<LUDataList>());
    pos.m_hDoc = doc;
    pos.ReadData(doc);
    auto* list = dynamic_cast<LUDataList*>(pos.GetLoadTakeOver());
    ASSERT_NE(list, nullptr);
    CLKData& lk = dynamic_cast<CLKDataPart*>(pos.GetLoadCombination())->GetLKData();
    EXPECT_EQ(list->GetDestinationSettings(), &lk);
    ASSERT_EQ(list->m_records.size(), 1u);
    const LUData& back = *list->m_records[0];
    ASSERT_EQ(back.m_loads.size(), 1u);
    EXPECT_DOUBLE_EQ(back.m_loads[0].m_val[2].GetValue(), 6.0);
    const CActionRecord a = lk.GetActionByNumber(back.m_loads[0].m_iLoadCase);
    EXPECT_EQ(a.m_nLudaIndex, 1);
    EXPECT_EQ(a.m_nCategory, 9);
    pos.m_hDoc = 0;  // the document is closed here
    ZEVUD_CloseDoc(doc);
    fs::remove_all(dir);
}

}  // namespace
