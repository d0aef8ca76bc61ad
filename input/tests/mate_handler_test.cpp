// Material handler: name lists and their priorities, object lookup with its
// cache, formulas of properties, the transfer of a position's material into
// the user database, and the shipped catalogue's values.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "input/MateHandler.h"
#include "platform/winsys/winsys.h"
#include "platform/zarida/zarida.h"

namespace fs = std::filesystem;

namespace {

ZVELEM Add(ZVELEM parent, const char* element, const std::string& name, const char* prio = nullptr) {
    const ZVELEM e = ZEVUD_AddChildElement(parent, element);
    ZEVUD_SetString(e, "Name", name.c_str());
    if (prio) ZEVUD_SetString(e, "Prioritaet", prio);
    return e;
}

ZVELEM Prop(ZVELEM parent, const std::string& key, const std::string& value, const std::string& formula = "") {
    const ZVELEM e = ZEVUD_AddChildElement(parent, "Eigenschaft");
    ZEVUD_SetString(e, "Kurzname", key.c_str());
    ZEVUD_SetString(e, "Wert01", value.c_str());
    ZEVUD_SetString(e, "Formel", formula.c_str());
    return e;
}

std::string Slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class MateHandlerTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::path(RIGEL_TEST_TMP) / ("mate_" + std::to_string(getpid()) + "_" +
                                          ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        stdFile = dir / "standard.dat";
        userFile = dir / "user.dat";
        doc = ZEVUD_CreateDoc(stdFile.c_str());
        root = ZEVUD_GetRootElement(doc);
        ZARIDA_SetFiles(stdFile.c_str(), userFile.c_str());
    }
    void TearDown() override {
        handler.reset();
        if (doc) ZEVUD_CloseDoc(doc);
        ZARIDA_SetFiles(nullptr, nullptr);
        fs::remove_all(dir);
    }
    // Writes the standard database built under root and opens the handler.
    CMateHandler& Open() {
        EXPECT_EQ(ZEVUD_SaveDoc(doc), 1);
        handler = std::make_unique<CMateHandler>();
        return *handler;
    }
    // A steel norm "Stahl" / "Baustahl" / norm in the standard database.
    ZVELEM SteelNorm(const std::string& norm) {
        return Add(Add(Add(root, "Kategorie", "Stahl", "0"), "Unterkategorie", "Baustahl", "0"), "Norm", norm, "0");
    }

    fs::path dir, stdFile, userFile;
    ZVDOC doc = 0;
    ZVELEM root = 0;
    std::unique_ptr<CMateHandler> handler;
    winsys::ScopedRecordingSink sink;
};

TEST_F(MateHandlerTest, EmptyDatabaseGivesOneEmptyCategoryAndNoObjects) {
    CMateHandler& h = Open();
    std::vector<std::string> names{"stale"};
    EXPECT_EQ(h.GetCategoryNames(names), 1);
    EXPECT_EQ(names, std::vector<std::string>{""});
    EXPECT_EQ(h.GetObjectNames("Stahl", "Baustahl", "EC 3", names), 0);
    EXPECT_TRUE(names.empty());
    EXPECT_EQ(h.GetDefaultObjectName("Stahl", "Baustahl", "EC 3"), "");
    EXPECT_EQ(h.GetDefaultObjectIndex("Stahl", "Baustahl", "EC 3"), 0);
}

struct PrioCase {
    const char* what;
    std::vector<std::pair<std::string, std::string>> categories;  // name, priority text
    std::vector<std::string> expected;  // "*" stands for either of the two doubled names
};

class CategoryPriorities : public MateHandlerTest, public ::testing::WithParamInterface<PrioCase> {};

TEST_P(CategoryPriorities, NamesArePlacedAtTheirPriority) {
    for (const auto& [name, prio] : GetParam().categories) Add(root, "Kategorie", name, prio.c_str());
    CMateHandler& h = Open();
    std::vector<std::string> names;
    EXPECT_EQ(h.GetCategoryNames(names), static_cast<int>(GetParam().expected.size()));
    ASSERT_EQ(names.size(), GetParam().expected.size());
    std::vector<std::string> either;  // the names in the "*" slots
    for (size_t i = 0; i < names.size(); ++i) {
        if (GetParam().expected[i] == "*") {
            either.push_back(names[i]);
        } else {
            EXPECT_EQ(names[i], GetParam().expected[i]) << i;
        }
    }
    std::sort(either.begin(), either.end());
    if (!either.empty()) {
        EXPECT_EQ(either, (std::vector<std::string>{"B", "C"}));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CategoryPriorities,
    ::testing::Values(
        // 0, 2, 2: the first at 0, an empty slot at 1, one at 2, the other appended.
        PrioCase{"doubled", {{"A", "0"}, {"B", "2"}, {"C", "2"}}, {"A", "", "*", "*"}},
        PrioCase{"repeated name keeps its first priority", {{"A", "1"}, {"A", "0"}}, {"", "A"}},
        // Negative and huge priorities are appended instead of indexing outside.
        PrioCase{"negative", {{"A", "-3"}, {"B", "0"}}, {"B", "A"}},
        PrioCase{"huge", {{"A", "2000000000"}, {"B", "1"}}, {"", "B", "A"}}),
    [](const auto& info) {
        std::string n = info.param.what;
        for (char& c : n)
            if (!isalnum(static_cast<unsigned char>(c))) c = '_';
        return n;
    });

TEST_F(MateHandlerTest, ObjectsWithoutPriorityFollowTheNumberedOnes) {
    const ZVELEM norm = SteelNorm("EC 3");
    Add(norm, "Objekt", "S355", "1");
    Add(norm, "Objekt", "S235");
    Add(norm, "Objekt", "S275", "");
    const ZVELEM def = Add(norm, "Objekt", "S460", "-1");  // negative: kept at the end
    ZEVUD_SetInt(def, "default", 1);
    Add(norm, "Objekt", "S690", "2147483647");  // beyond the slots: kept at the end
    CMateHandler& h = Open();
    std::vector<std::string> names;
    EXPECT_EQ(h.GetObjectNames("Stahl", "Baustahl", "EC 3", names), 6);
    EXPECT_EQ(names, (std::vector<std::string>{"", "S355", "S235", "S275", "S460", "S690"}));
    EXPECT_EQ(h.GetDefaultObjectName("Stahl", "Baustahl", "EC 3"), "S460");
    EXPECT_EQ(h.GetDefaultObjectIndex("Stahl", "Baustahl", "EC 3"), 4);
    EXPECT_TRUE(sink.messages.empty());
}

TEST_F(MateHandlerTest, NormAndReinforcingSteelNamesAreMapped) {
    Prop(Add(SteelNorm("DIN 1045-1"), "Objekt", "S235"), "fyk", "235");
    Prop(Add(Add(Add(Add(root, "Kategorie", "Stahl", "1"), "Unterkategorie", "Betonstahl", "0"), "Norm", "EC2", "0"),
             "Objekt", "B500A"),
         "fyk", "500");
    CMateHandler& h = Open();
    CMateList a, b, c;
    h.FindObject(a, "Stahl", "Baustahl", "DIN 1045-I", "S235");
    h.FindObject(b, "Stahl", "Baustahl", "DIN 1045-1", "S235");
    EXPECT_EQ(a.GetValue("fyk"), "235");
    EXPECT_EQ(a.GetElement(), b.GetElement());
    EXPECT_EQ(h.FindNorm("Stahl", "Baustahl", "DIN 1045-I", 0), h.FindNorm("Stahl", "Baustahl", "DIN 1045-1", 0));
    h.FindObject(c, "Stahl", "Betonstahl", "EC2", "BSt 500 SA");
    EXPECT_EQ(c.GetValue("fyk"), "500");
}

TEST_F(MateHandlerTest, FindObjectReadsPropertiesOfAllLevelsAndCachesTheSet) {
    const ZVELEM norm = SteelNorm("EC 3");
    Prop(ZEVUD_GetParentElement(ZEVUD_GetParentElement(norm)), "E", "210000");
    Prop(norm, "gamma_m1", "1.0");
    const ZVELEM obj = Add(norm, "Objekt", "S235", "4");
    const ZVELEM fyk = Prop(obj, "fyk", "235");
    CMateHandler& h = Open();
    CMateList set;
    h.FindObject(set, "Stahl", "Baustahl", "EC 3", "S235");
    EXPECT_EQ(set.GetValue("fyk"), "235");
    EXPECT_EQ(set.GetPropertyValue("E"), "210000");
    EXPECT_EQ(set.GetValue("gamma_m1"), "1.0");
    EXPECT_EQ(set.GetValue("missing"), "");
    EXPECT_EQ(set.GetPriority(), 4);
    EXPECT_EQ(set.GetUserFlag(), 0);
    EXPECT_EQ(set.Elements().size(), 3u);
    (void)fyk;
    // The handler reads its own open copy; change the value there.
    ZEVUD_SetString(set.Elements().front(), "Wert01", "999");
    CMateList again;
    h.FindObject(again, "Stahl", "Baustahl", "EC 3", "S235");
    EXPECT_EQ(again.GetValue("fyk"), "235");  // the cached set; the database was not read
    h.OpenUserDb(false);
    h.OpenUserDb(true);
    h.FindObject(again, "Stahl", "Baustahl", "EC 3", "S235");
    EXPECT_EQ(again.GetValue("fyk"), "999");  // read again after a database was reopened
    CMateList none;
    h.FindObject(none, "Stahl", "Baustahl", "EC 3", "S999");
    EXPECT_TRUE(none.IsEmpty());
    EXPECT_EQ(none.GetElement(), 0u);
}

TEST_F(MateHandlerTest, FormulasGetTheirFinalValueWhateverTheOrder) {
    // b uses c, c uses a: in either element order b ends as 2 * (a + 1).
    const ZVELEM norm = SteelNorm("EC 3");
    const ZVELEM o1 = Add(norm, "Objekt", "first");
    Prop(o1, "b", "0", "c*2");
    Prop(o1, "c", "0", "a+1");
    Prop(o1, "a", "2");
    const ZVELEM o2 = Add(norm, "Objekt", "second");
    Prop(o2, "a", "2");
    Prop(o2, "c", "0", "a+1");
    Prop(o2, "b", "0", "c*2");
    CMateHandler& h = Open();
    for (const char* name : {"first", "second"}) {
        CMateList set;
        h.FindObject(set, "Stahl", "Baustahl", "EC 3", name);
        EXPECT_EQ(set.GetValue("c"), "3") << name;
        EXPECT_EQ(set.GetValue("b"), "6") << name;
        // The new texts are written back into the database's elements.
        const ZVELEM b = ZEVUD_FindFirstChildWithAttr(set.GetElement(), "Kurzname", "b");
        EXPECT_EQ(zevud::GetString(b, "Wert01"), "6") << name;
        EXPECT_EQ(zevud::GetString(b, "Formel"), "c*2") << name;
    }
}

TEST_F(MateHandlerTest, NamedNumbersOfTheSetAreVariablesOfItsFormulas) {
    const ZVDOC pos = ZEVUD_CreateDoc("");
    const ZVELEM obj = ZEVUD_AddChildElement(ZEVUD_GetRootElement(pos), "Objekt");
    Prop(obj, "fyd", "0", "fyk/t");
    Prop(obj, "fyk", "235");
    CMateList set(obj, 1);
    EXPECT_EQ(set.GetValue("fyd"), "0");  // t is not known yet: the value stays
    set.m_varNames = {"t"};
    set.m_varValues = {2};
    set.EvaluateFormulas();
    EXPECT_EQ(set.GetValue("fyd"), "117.5");
    EXPECT_EQ(zevud::GetString(ZEVUD_FindFirstChildWithAttr(obj, "Kurzname", "fyd"), "Wert01"), "117.5");
    CMateList copy;
    copy = set;
    EXPECT_EQ(copy.m_varNames, set.m_varNames);
    EXPECT_EQ(copy.GetValue("fyd"), "117.5");
    ZEVUD_CloseDoc(pos);
}

TEST_F(MateHandlerTest, WriteToDomCopiesThePropertiesOfAllLevels) {
    const ZVELEM norm = SteelNorm("EC 3");
    Prop(norm, "gamma_m", "1.0");
    Prop(Add(norm, "Objekt", "S235"), "fyk", "235");
    CMateHandler& h = Open();
    CMateList set;
    h.FindObject(set, "Stahl", "Baustahl", "EC 3", "S235");
    const ZVDOC pos = ZEVUD_CreateDoc("");
    const ZVELEM obj = ZEVUD_AddChildElement(ZEVUD_AddChildElement(ZEVUD_GetRootElement(pos), "mate"), "Objekt");
    set.WriteToDom(obj);
    EXPECT_EQ(zevud::GetString(ZEVUD_FindFirstChildWithAttr(obj, "Kurzname", "fyk"), "Wert01"), "235");
    EXPECT_EQ(zevud::GetString(ZEVUD_FindFirstChildWithAttr(obj, "Kurzname", "gamma_m"), "Wert01"), "1.0");
    CMateList fromPosition(obj, 1);
    EXPECT_EQ(fromPosition.GetValue("fyk"), "235");
    EXPECT_EQ(fromPosition.GetUserFlag(), 1);
    EXPECT_EQ(fromPosition.GetPriority(), -1);
    ZEVUD_CloseDoc(pos);
}

// A position's material object "S999" with one property.
struct Position {
    Position(const fs::path& file, const char* name, const char* fyk) {
        doc = ZEVUD_CreateDoc(file.c_str());
        obj = ZEVUD_AddChildElement(ZEVUD_AddChildElement(ZEVUD_GetRootElement(doc), "mate"), "Objekt");
        ZEVUD_SetString(obj, "Name", name);
        Prop(obj, "fyk", fyk);
    }
    ~Position() { ZEVUD_CloseDoc(doc); }
    ZVDOC doc;
    ZVELEM obj;
};

TEST_F(MateHandlerTest, SilentCheckOfAMissingObjectKeepsItInTheOpenUserDatabaseOnly) {
    SteelNorm("EC 3");
    // A user database on disk that must not change.
    {
        const ZVDOC u = ZEVUD_CreateDoc(userFile.c_str());
        Add(ZEVUD_GetRootElement(u), "Kategorie", "Holz", "0");
        ASSERT_EQ(ZEVUD_SaveDoc(u), 1);
        ZEVUD_CloseDoc(u);
    }
    const std::string before = Slurp(userFile);
    CMateHandler& h = Open();
    Position pos(dir / "pos1.vkx", "S999", "777");
    h.CheckAgainstDatabase("Stahl", "Baustahl", "EC 3", pos.obj, 1);
    CMateList set;
    h.FindObject(set, "Stahl", "Baustahl", "EC 3", "S999");
    EXPECT_EQ(set.GetValue("fyk"), "777");
    EXPECT_EQ(set.GetUserFlag(), 1);
    EXPECT_TRUE(sink.messages.empty());
    EXPECT_EQ(Slurp(userFile), before);
}

TEST_F(MateHandlerTest, AnsweredCheckSavesTheUserDatabase) {
    SteelNorm("EC 3");
    CMateHandler& h = Open();
    Position pos(dir / "pos1.vkx", "S999", "777");
    sink.scriptedAnswers = {winsys::IdYes};
    h.CheckAgainstDatabase("Stahl", "Baustahl", "EC 3", pos.obj, 0);
    ASSERT_EQ(sink.messages.size(), 2u);
    EXPECT_NE(sink.messages[0].text.find("Stahl / Baustahl / EC 3 / S999"), std::string::npos);
    EXPECT_EQ(sink.messages[1].text, "'Stahl / Baustahl / EC 3 /S999' übertragen.");
    ASSERT_TRUE(fs::exists(userFile));
    // A position with other values: asked, and a copy under a new name.
    Position other(dir / "Halle 3.vkx", "S999", "555");
    sink.Clear();
    sink.scriptedAnswers = {winsys::IdYes};
    h.CheckAgainstDatabase("Stahl", "Baustahl", "EC 3", other.obj, 0);
    ASSERT_EQ(sink.messages.size(), 2u);
    EXPECT_NE(sink.messages[0].text.find("wurde mitunterschiedlichen Werten gefunden"), std::string::npos);
    EXPECT_EQ(zevud::GetString(other.obj, "Name"), "S999(Halle 3)");
    CMateList copy;
    h.FindObject(copy, "Stahl", "Baustahl", "EC 3", "S999(Halle 3)");
    EXPECT_EQ(copy.GetValue("fyk"), "555");
    // The same values again: nothing is asked.
    sink.Clear();
    Position same(dir / "pos2.vkx", "S999", "777");
    h.CheckAgainstDatabase("Stahl", "Baustahl", "EC 3", same.obj, 0);
    EXPECT_TRUE(sink.messages.empty());
}

TEST_F(MateHandlerTest, MaterialEditorThatIsNotInstalledIsSaidAndTheDatabasesStayOpen) {
    CMateHandler& h = Open();
    const std::string path = winsys::GetEnv("PATH").value_or("");
    setenv("PATH", dir.c_str(), 1);
    h.OpenMaterialEditor("Stahl", "Baustahl", "EC 3", "S235", 1);
    setenv("PATH", path.c_str(), 1);
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_NE(sink.messages[0].text.find("stoffEdit"), std::string::npos);
    EXPECT_NE(h.StandardRoot(), 0u);
    EXPECT_NE(h.UserRoot(), 0u);
}

TEST_F(MateHandlerTest, InstalledMaterialEditorGetsItsArgumentsWhileTheDatabasesAreClosed) {
    Add(root, "Kategorie", "Stahl", "0");
    CMateHandler& h = Open();
    // A stand-in editor that records its arguments and whether it could
    // replace the standard file (closed databases hold no copy in memory).
    const fs::path args = dir / "args.txt";
    {
        std::ofstream script(dir / "stoffEdit");
        script << "#!/bin/sh\nfor a in \"$@\"; do echo \"$a\"; done > '" << args.string() << "'\n";
    }
    fs::permissions(dir / "stoffEdit", fs::perms::owner_all);
    const std::string path = winsys::GetEnv("PATH").value_or("");
    setenv("PATH", (dir.string() + ":" + path).c_str(), 1);
    h.OpenMaterialEditor("Stahl", "Betonstahl", "DIN 1045-I", "BSt 500 SA", 1);
    setenv("PATH", path.c_str(), 1);
    EXPECT_TRUE(sink.messages.empty());
    EXPECT_EQ(Slurp(args), "kat=Stahl\nukat=Betonstahl\nnorm=DIN 1045-1\nobjekt=BSt 500 SA\nvktMode\n");
    // Both databases are open again afterwards.
    EXPECT_NE(h.StandardRoot(), 0u);
    EXPECT_NE(h.UserRoot(), 0u);
    std::vector<std::string> names;
    h.GetCategoryNames(names);
    EXPECT_EQ(names, std::vector<std::string>{"Stahl"});
}

TEST_F(MateHandlerTest, ClosedStandardDatabaseHidesTheUserDatabaseToo) {
    CMateHandler& h = Open();
    h.EnsurePath("Stahl", "Baustahl", "EC 3", 1);
    std::vector<std::string> names;
    h.GetCategoryNames(names);
    EXPECT_EQ(names, std::vector<std::string>{"Stahl"});
    h.OpenStandardDb(false);
    h.GetCategoryNames(names);
    EXPECT_EQ(names, std::vector<std::string>{""});
}

// The shipped catalogue: values of the norms, checked against the tables.
struct Shipped {
    const char *category, *subcategory, *norm, *object, *key;
    double value;
};

class ShippedCatalogue : public ::testing::TestWithParam<Shipped> {};

TEST_P(ShippedCatalogue, HoldsTheNormValue) {
    ZARIDA_SetFiles((std::string(RIGEL_BUILD_ROOT) + "/material/standard.material.dat").c_str(),
                    (fs::path(RIGEL_TEST_TMP) / ("mate_none_" + std::to_string(getpid()) + ".dat")).c_str());
    {
        CMateHandler h;
        const Shipped& s = GetParam();
        CMateList set;
        h.FindObject(set, s.category, s.subcategory, s.norm, s.object);
        ASSERT_FALSE(set.IsEmpty());
        EXPECT_NEAR(winsys::ParseDouble(set.GetValue(s.key)).value_or(-1), s.value, 1e-9 + 1e-6 * s.value);
    }
    ZARIDA_SetFiles(nullptr, nullptr);
}

// Flat bar 60 x 40 worn by 25 %: h' = 3 cm, A' = 18 cm², I' = 6 * 27 / 12.
INSTANTIATE_TEST_SUITE_P(
    Norms, ShippedCatalogue,
    ::testing::Values(Shipped{"Stahl", "Baustahl", "EC3 NA (DE)", "S235", "fyk", 235},
                      Shipped{"Stahl", "Baustahl", "EC3 NA (DE)", "S355", "fykt", 335},
                      Shipped{"Stahl", "Baustahl", "EC3 NA (DE)", "S235", "gamma_m1", 1.1},
                      Shipped{"Stahl", "Baustahl", "EC 3", "S460", "fuk", 540},
                      Shipped{"Stahl", "Baustahl", "EC 3", "S235", "gamma_m1", 1.0},
                      Shipped{"Stahl", "Baustahl", "DIN 18800", "S235", "fyk", 240},
                      Shipped{"Stahl", "Baustahl", "DIN 18800", "S355", "fyk", 360},
                      Shipped{"Stahl", "Baustahl", "Nachrechnung", "S275", "E", 210000},
                      Shipped{"Stahl", "Baustahl", "EC 3", "S420", "gamma", 78.5},
                      Shipped{"Aluminium", "Aluminium", "EC9", "EN AW-6082 T6 (t ≤ 5 mm)", "fo", 250},
                      Shipped{"Aluminium", "Aluminium", "EC9", "EN AW-6060 T6 (t ≤ 3 mm)", "E", 70000},
                      Shipped{"Kranschienen", "Flachstahlschienen", "DIN EN 10058", "Fl 60x40", "h75", 3},
                      Shipped{"Kranschienen", "Flachstahlschienen", "DIN EN 10058", "Fl 60x40", "A75", 18},
                      Shipped{"Kranschienen", "Flachstahlschienen", "DIN EN 10058", "Fl 60x40", "Iy75", 13.5},
                      Shipped{"Kranschienen", "Flachstahlschienen", "DIN EN 10058", "Fl 60x40", "e175", 1.5},
                      Shipped{"Kranschienen", "A-Schienen", "DIN 536-1", "A 75", "A", 71.6},
                      Shipped{"Kranschienen", "A-Schienen", "DIN 536-1", "A 75", "k", 7.5}));

TEST(ShippedCatalogueDefaults, EveryNormHasTheDefaultObject) {
    ZARIDA_SetFiles((std::string(RIGEL_BUILD_ROOT) + "/material/standard.material.dat").c_str(),
                    (fs::path(RIGEL_TEST_TMP) / ("mate_none2_" + std::to_string(getpid()) + ".dat")).c_str());
    {
        CMateHandler h;
        for (const char* norm : {"DIN 18800", "EC 3", "EC3 NA (DE)", "Nachrechnung"})
            EXPECT_EQ(h.GetDefaultObjectName("Stahl", "Baustahl", norm), "S235") << norm;
        EXPECT_FALSE(h.GetDefaultObjectName("Aluminium", "Aluminium", "EC9").empty());
        std::vector<std::string> names;
        EXPECT_EQ(h.GetNormNames("Stahl", "Baustahl", names), 4);
        EXPECT_EQ(names, (std::vector<std::string>{"DIN 18800", "EC 3", "EC3 NA (DE)", "Nachrechnung"}));
    }
    ZARIDA_SetFiles(nullptr, nullptr);
}

TEST(ShippedCatalogueDefaults, EveryCraneRailNamesItsSectionFolder) {
    ZARIDA_SetFiles((std::string(RIGEL_BUILD_ROOT) + "/material/standard.material.dat").c_str(),
                    (fs::path(RIGEL_TEST_TMP) / ("mate_none3_" + std::to_string(getpid()) + ".dat")).c_str());
    {
        CMateHandler h;
        std::vector<std::string> types, norms, objects;
        ASSERT_GT(h.GetSubcategoryNames("Kranschienen", types), 0);
        for (const std::string& type : types) {
            ASSERT_GT(h.GetNormNames("Kranschienen", type, norms), 0) << type;
            for (const std::string& norm : std::vector<std::string>(norms)) {
                h.GetObjectNames("Kranschienen", type, norm, objects);
                for (const std::string& object : std::vector<std::string>(objects)) {
                    CMateList rail;
                    h.FindObject(rail, "Kranschienen", type, norm, object);
                    EXPECT_EQ(rail.GetValue("skwdir"), "\\Kranschienen\\" + type) << object;
                }
            }
        }
    }
    ZARIDA_SetFiles(nullptr, nullptr);
}

}  // namespace
