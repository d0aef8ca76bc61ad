// Load-combination settings: norm and mode, action list, document element.
#include <gtest/gtest.h>

#include "input/LKData.h"
#include "platform/winsys/winsys.h"

namespace {

// A document with an "input" element, closed at the end.
struct Doc {
    ZVDOC doc = ZEVUD_CreateDoc("");
    ZVELEM input = ZEVUD_AddChildElement(ZEVUD_GetRootElement(doc), "input");
    ~Doc() { ZEVUD_CloseDoc(doc); }
    int Count(const char* name) const {
        int n = 0;
        for (ZVELEM e = ZEVUD_FindFirstChild(input, name); e; e = ZEVUD_FindNextChild(e, name)) ++n;
        return n;
    }
};

CActionRecord Action(int number, int group, int full, int category) {
    CActionRecord a;
    a.m_nNumber = number;
    a.m_nGroup = group;
    a.m_nFullGroup = full;
    a.m_nCategory = category;
    return a;
}

TEST(LkSettings, MissingElementSetsNorm1AndKeepsTheRest) {
    Doc d;
    CLKData lk;
    lk.SetNorm(4);
    lk.SetModus(2);
    lk.m_dSnowHeight = 700.0;
    lk.m_actions = {Action(1, 0, 0, 0), Action(2, 1, 1, 6)};
    lk.ReadData(d.input);
    EXPECT_EQ(lk.GetNorm(), 1);
    EXPECT_EQ(lk.GetModus(), 2);
    EXPECT_EQ(lk.m_dSnowHeight, 700.0);
    ASSERT_EQ(lk.m_actions.size(), 2u);
    EXPECT_EQ(lk.m_actions[1].m_nCategory, 6);
}

TEST(LkSettings, WritingTwiceLeavesOneElementThatReadsBack) {
    Doc d;
    CLKData lk;
    lk.SetNorm(4);
    lk.SetModus(3);
    lk.m_dCranePsi2 = 0.5;
    lk.m_dSnowHeight = 250.0;
    lk.m_bAltLoads = true;
    lk.m_loadCases = {{1, 1, 0}, {2, 2, 0}, {3, 0, 0}};
    CActionRecord a2 = Action(2, 2, 2, 6);
    a2.m_nDurationClass = 3;
    a2.m_bNotSplit = true;
    a2.m_nAltGroup = -4;
    a2.m_bReadOnly = true;
    a2.m_nLudaIndex = 7;
    lk.m_actions = {Action(1, 0, 0, 0), a2, Action(0, 1, 1, 0)};
    lk.m_combinations = {{"Ed", "1.35*(1)", "1.35*(1)", "", {}}, {"Ed,perm", "1.00*(1)", "1.00*(1)", "d", {}}};
    lk.WriteData(d.input);
    lk.WriteData(d.input);
    ASSERT_EQ(d.Count("lastUeberlagerung"), 1);
    ZVELEM e = ZEVUD_FindFirstChild(d.input, "lastUeberlagerung");
    EXPECT_EQ(ZEVUD_GetInt(e, "version"), 2);
    EXPECT_EQ(ZEVUD_HasAttr(e, "psi2_vadu"), 1);
    EXPECT_DOUBLE_EQ(ZEVUD_GetDouble(e, "psi2_vadu"), 0.5);
    // Load case 3 has no action: not written. Action 0 is not written either.
    int lfs = 0;
    for (ZVELEM l = ZEVUD_FindFirstChild(ZEVUD_FindFirstChild(e, "lastfaelle"), "lastfall"); l;
         l = ZEVUD_FindNextChild(l, "lastfall"))
        ++lfs;
    EXPECT_EQ(lfs, 2);
    int actions = 0;
    for (ZVELEM w = ZEVUD_FindFirstChild(ZEVUD_FindFirstChild(e, "einwirkungen"), "einwirkung"); w;
         w = ZEVUD_FindNextChild(w, "einwirkung"))
        ++actions;
    EXPECT_EQ(actions, 2);

    CLKData back;
    back.ReadData(d.input);
    EXPECT_EQ(back.GetNorm(), 4);
    EXPECT_EQ(back.GetModus(), 3);
    EXPECT_EQ(back.m_nVersion, 2);
    EXPECT_DOUBLE_EQ(back.m_dCranePsi2, 0.77);
    EXPECT_DOUBLE_EQ(back.m_dSnowHeight, 250.0);
    EXPECT_TRUE(back.m_bAltLoads);
    ASSERT_EQ(back.m_actions.size(), 2u);
    const CActionRecord& r = back.m_actions[1];
    EXPECT_EQ(r.m_nNumber, 2);
    EXPECT_EQ(r.m_nFullGroup, 2);
    EXPECT_EQ(r.m_nCategory, 6);
    EXPECT_EQ(r.m_nDurationClass, 3);
    EXPECT_TRUE(r.m_bNotSplit);
    EXPECT_EQ(r.m_nAltGroup, 0);
    EXPECT_TRUE(r.m_bReadOnly);
    EXPECT_EQ(r.m_nLudaIndex, 7);
    EXPECT_EQ(r.m_strDesc, "2: Schnee- und Eislasten, Orte bis NN + 1000 m");
    EXPECT_EQ(back.m_actions[0].m_strDesc, "1: ständig");
    ASSERT_EQ(back.m_combinations.size(), 2u);
    EXPECT_EQ(back.m_combinations[1].m_strDesc, "d");
    // German annex: psi of categories A/B and the gamma factors.
    ASSERT_GE(back.m_psiRows.size(), 12u);
    EXPECT_DOUBLE_EQ(back.m_psiRows[0].m_dPsi0, 0.7);
    EXPECT_DOUBLE_EQ(back.m_psiRows[0].m_dPsi2, 0.3);
    EXPECT_DOUBLE_EQ(back.m_gamma[1], 1.35);  // gamma_g_unguenstig
    EXPECT_DOUBLE_EQ(back.m_gamma[3], 1.5);   // gamma_q_unguenstig
    EXPECT_DOUBLE_EQ(back.m_gamma[22], 1.2);  // gamma_e0g_1
}

TEST(LkSettings, NothingIsWrittenBeforeANormIsSet) {
    Doc d;
    CLKData lk;
    lk.WriteData(d.input);
    EXPECT_EQ(d.Count("lastUeberlagerung"), 0);
}

TEST(LkSettings, OldFormatGroupsAndCategoriesAreConverted) {
    struct Case {
        bool altLoads;
        int expectedGroup;
        size_t messages;
    };
    for (const Case& c : {Case{false, 5, 1}, Case{true, 2, 0}}) {
        Doc d;
        ZVELEM e = ZEVUD_AddChildElement(d.input, "lastUeberlagerung");
        ZEVUD_SetInt(e, "modus", 3);
        ZEVUD_SetInt(e, "lknorm", 0);
        ZEVUD_SetInt(e, "mitAlternativLasten", c.altLoads ? 1 : 0);
        ZVELEM ews = ZEVUD_AddChildElement(e, "einwirkungen");
        ZVELEM w = ZEVUD_AddChildElement(ews, "einwirkung");
        ZEVUD_SetInt(w, "einw", 1);
        ZEVUD_SetInt(w, "indexGruppe", 5);
        ZEVUD_SetInt(w, "indexGruppeHHHH", 7);
        ZEVUD_SetInt(w, "indexKategorie", 4);
        ZVELEM p = ZEVUD_AddChildElement(ews, "einwirkung");
        ZEVUD_SetInt(p, "einw", 2);
        ZEVUD_SetInt(p, "indexGruppeHHHH", 0);
        ZEVUD_SetInt(p, "indexKategorie", 3);
        ZEVUD_SetInt(p, "indexKLED", 2);
        ZEVUD_SetInt(p, "alternativgruppe", 4);
        winsys::ScopedRecordingSink sink;
        CLKData lk;
        lk.ReadData(d.input);
        ASSERT_EQ(lk.m_actions.size(), 2u);
        EXPECT_EQ(lk.m_actions[0].m_nFullGroup, 2);
        EXPECT_EQ(lk.m_actions[0].m_nGroup, c.expectedGroup);
        EXPECT_EQ(lk.m_actions[0].m_nCategory, 6);
        // A permanent action has no category, duration class or alternative group.
        EXPECT_EQ(lk.m_actions[1].m_nCategory, 0);
        EXPECT_EQ(lk.m_actions[1].m_nDurationClass, 0);
        EXPECT_EQ(lk.m_actions[1].m_nAltGroup, 0);
        ASSERT_EQ(sink.messages.size(), c.messages);
        if (c.messages)
            EXPECT_EQ(sink.messages[0].text,
                      "Beim Konvertieren der Einwirkungen ist ein Fehler mit einer alternativen Einwirkung aufgetreten");
    }
}

TEST(LkSettings, MissingModeKeepsTheCurrentMode) {
    Doc d;
    ZVELEM e = ZEVUD_AddChildElement(d.input, "lastUeberlagerung");
    ZEVUD_SetInt(e, "lknorm", 4);
    CLKData lk;
    lk.SetModus(2);
    lk.ReadData(d.input);
    EXPECT_EQ(lk.GetModus(), 2);
    EXPECT_EQ(lk.GetNorm(), 4);
}

TEST(LkSettings, LoadCaseTextsAndActionsFollowTheLoadCases) {
    CLKData lk;
    lk.SetNorm(4);
    lk.m_loadCases = {{1, 1, 0}, {2, 1, 0}, {5, 1, 0}, {3, 3, 0}};
    lk.m_actions = {Action(1, 0, 0, 0), Action(2, 1, 1, 0)};
    lk.UpdateActionsFromLoadCases();
    EXPECT_EQ(lk.GetLoadCaseText(1), "1 , 2 , 5 ");
    EXPECT_EQ(lk.GetLoadCaseText(3), "3 ");
    EXPECT_EQ(lk.GetLoadCaseText(0), "");
    EXPECT_EQ(lk.GetLoadCaseText(4), "");
    // Action 2 has no load case and disappears; action 3 is created.
    ASSERT_EQ(lk.m_actions.size(), 2u);
    EXPECT_EQ(lk.m_actions[0].m_strLoadCases, "1 , 2 , 5 ");
    EXPECT_EQ(lk.m_actions[1].m_nNumber, 3);
    EXPECT_EQ(lk.GetActionByNumber(3).m_strLoadCases, "3 ");
    EXPECT_EQ(lk.GetActionByNumber(9).m_nNumber, 0);
}

TEST(LkSettings, AbsurdActionNumbersGetNoText) {
    CLKData lk;
    lk.m_loadCases = {{1, 2000000000, 0}, {2, 1, 0}};
    lk.UpdateActionsFromLoadCases();
    EXPECT_EQ(lk.GetLoadCaseText(1), "2 ");
    EXPECT_EQ(lk.GetLoadCaseText(2000000000), "");
}

TEST(LkSettings, NormChangesRemapCategories) {
    struct Case {
        int from, to, category, expected;
    };
    for (const Case& c : {Case{0, 3, 4, 6}, Case{3, 0, 16, 11}, Case{4, 3, 11, 16}, Case{3, 5, 9, 8},
                          Case{0, 3, 12, 12}, Case{1, 3, 4, 4}}) {
        CLKData lk;
        lk.SetNorm(c.from);
        lk.m_actions = {Action(1, 1, 1, c.category), Action(2, 0, 0, c.category)};
        lk.SetNorm(c.to);
        EXPECT_EQ(lk.m_actions[0].m_nCategory, c.expected) << c.from << "->" << c.to;
        EXPECT_EQ(lk.m_actions[1].m_nCategory, c.category) << "permanent actions keep theirs";
    }
}

TEST(LkSettings, ChangeNormSetsDurationClassesAndEmptiesCombinations) {
    CLKData lk;
    lk.SetNorm(0);
    lk.m_actions = {Action(1, 1, 1, 6)};
    lk.m_combinations.resize(3);
    lk.ChangeNorm(3);
    EXPECT_EQ(lk.m_actions[0].m_nCategory, 8);
    EXPECT_EQ(lk.m_actions[0].m_nDurationClass, 3);  // snow: short
    EXPECT_TRUE(lk.m_combinations.empty());
}

TEST(LkSettings, ListsFromTheSession) {
    CLKData lk;
    lk.SetNorm(4);
    lk.SetModus(1);
    std::vector<std::string> groups;
    lk.GetGroupNames(groups);
    EXPECT_EQ(groups, (std::vector<std::string>{"ständig", "veränderlich"}));
    lk.SetModus(3);
    lk.m_bAltLoads = true;
    lk.GetGroupNames(groups);
    ASSERT_EQ(groups.size(), 5u);
    EXPECT_EQ(lk.GetFullGroupIndex(2), 2);
    EXPECT_EQ(lk.GetFullGroupIndex(5), -1);
    EXPECT_EQ(lk.GetVisibleGroupIndex(-1), -1);
    lk.m_bAltLoads = false;
    lk.GetGroupNames(groups);
    EXPECT_EQ(lk.GetFullGroupIndex(2), 3);
    EXPECT_EQ(lk.GetVisibleGroupIndex(3), 2);
    EXPECT_EQ(lk.GetVisibleGroupIndex(2), -1);
    std::vector<std::string> cats;
    lk.GetCategoryNames("veränderlich", cats);
    EXPECT_GE(cats.size(), 15u);
    EXPECT_EQ(lk.GetDefaultDurationClass(1, 2), 1);
    EXPECT_EQ(lk.GetDefaultDurationClass(1, 6), 3);
    EXPECT_EQ(lk.GetDefaultDurationClass(3, 0), 4);
    EXPECT_EQ(lk.GetDefaultDurationClass(0, 5), 0);
    // The not-split test counts the categories of the group selected last.
    lk.GetCategoryNames("veränderlich", cats);
    EXPECT_TRUE(lk.IsNotSplitCategory(6));
    EXPECT_FALSE(lk.IsNotSplitCategory(7));
    lk.m_actions = {Action(1, 0, 0, 0), Action(2, 1, 1, 7)};
    std::vector<std::string> texts;
    lk.GetActionTexts(texts);
    EXPECT_EQ(texts, (std::vector<std::string>{"1: ständig", "2: veränderlich, Windlasten"}));
}

TEST(LkSettings, SimplifiedActions) {
    CLKData lk;
    lk.SetNorm(0);
    lk.m_loadCases = {{1, 1, 0}, {2, 2, 0}, {3, 3, 0}};
    EXPECT_TRUE(lk.CreateSimplifiedActions());
    ASSERT_EQ(lk.m_actions.size(), 3u);
    EXPECT_EQ(lk.m_actions[2].m_nCategory, 6);
    EXPECT_TRUE(lk.m_actions[2].m_bNotSplit);
    EXPECT_FALSE(lk.CreateSimplifiedActions());  // mode 3 with actions
    winsys::ScopedRecordingSink sink;
    CLKData other;
    other.SetModus(1);
    other.m_loadCases = {{1, 4, 0}};
    EXPECT_FALSE(other.CreateSimplifiedActions());
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_NE(sink.messages[0].text.find("EinwirkungsNr. > 3"), std::string::npos);
}

TEST(LkSettings, InvalidModeIsSaidAndStored) {
    winsys::ScopedRecordingSink sink;
    CLKData lk;
    lk.SetModus(7);
    EXPECT_EQ(lk.GetModus(), 7);
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].text, "CLKData::SetModus unzulässiger Modus vorgegeben");
}

TEST(LkSettings, AssignmentCopiesEverySettingAndKeepsTheSession) {
    CLKData source;
    source.SetNorm(3);
    for (int i = 0; i < CLKData::kNumChecks; ++i) source.m_bChecks[i] = (i % 2) == 0;
    source.m_bNoGammaPsi = true;
    source.m_bReadFactors = true;
    source.m_dGInfFactor = 1.111111111111111;
    CActionRecord a = Action(4, 1, 1, 2);
    a.m_bReadOnly = true;
    source.m_actions = {a};
    CLKData backup;
    const COMBOR_HANDLE own = backup.GetSession();
    backup.SetNorm(4);
    backup = source;
    EXPECT_EQ(backup.GetSession(), own);
    EXPECT_NE(backup.GetSession(), source.GetSession());
    for (int i = 0; i < CLKData::kNumChecks; ++i) EXPECT_EQ(backup.m_bChecks[i], (i % 2) == 0) << i;
    EXPECT_TRUE(backup.m_bNoGammaPsi);
    EXPECT_TRUE(backup.m_bReadFactors);
    EXPECT_EQ(backup.m_dGInfFactor, 1.111111111111111);
    EXPECT_EQ(backup.GetNorm(), 3);
    EXPECT_EQ(combor::GetNorm(backup.GetSession()), "EC");
    ASSERT_EQ(backup.m_actions.size(), 1u);
    EXPECT_EQ(backup.m_actions[0].m_nCategory, 2);
    EXPECT_FALSE(backup.m_actions[0].m_bReadOnly);
}

TEST(LkSettings, EachObjectClosesItsOwnSession) {
    const int before = COMBOR_GetNumOfSessions();
    {
        CLKData a;
        CLKData b(a);
        EXPECT_NE(a.GetSession(), b.GetSession());
        std::vector<CLKData> many(3);
        EXPECT_EQ(COMBOR_GetNumOfSessions(), before + 5);
    }
    EXPECT_EQ(COMBOR_GetNumOfSessions(), before);
}

TEST(LkSettings, FactorsWithoutANormOfTheSession) {
    // An index outside the norm table sets no norm in the session: no groups,
    // no psi rows, and the writer still works.
    Doc d;
    CLKData lk;
    lk.SetNorm(9);
    lk.m_psiRows.resize(2);
    lk.WriteData(d.input);
    EXPECT_TRUE(lk.m_psiRows.empty());
    EXPECT_EQ(d.Count("lastUeberlagerung"), 1);
}

TEST(LkSettings, SnowHeightReachesTheSession) {
    struct Case {
        double height, psi2;
    };
    for (const Case& c : {Case{0.5, 0.0}, Case{1200.0, 0.2}}) {
        Doc d;
        CLKData lk;
        lk.SetNorm(2);
        lk.m_dSnowHeight = c.height;
        lk.WriteData(d.input);
        ASSERT_GE(lk.m_psiRows.size(), 7u);
        EXPECT_EQ(lk.m_psiRows[6].m_strName, "Schnee");
        EXPECT_DOUBLE_EQ(lk.m_psiRows[6].m_dPsi2, c.psi2) << c.height;
    }
}

}  // namespace
