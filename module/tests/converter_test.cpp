// Position converter: crane runways of older versions, bracket splits,
// guarded and marked conversions, and the catalogue classifying a converted
// file under its new module.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "ModuleSandbox.h"
#include "module/frame/ModuleState.h"
#include "module/frame/PositionConverter.h"
#include "module/frame/ProgDB.h"
#include "module/frame/Utilities.h"
#include "platform/winsys/winsys.h"

namespace fs = std::filesystem;

namespace {

class Converter : public ::testing::Test {
protected:
    // Writes a position file with the root names, the version and int values
    // by path ("input\\geom" -> {"form", 2}).
    fs::path Position(const std::string& name, const char* prog, const char* module, const char* version,
                      const std::map<std::string, std::map<std::string, int>>& values = {}) {
        const fs::path file = box_.Root() / name;
        ZVDOC doc = ZEVUD_CreateDoc("");
        ZVELEM root = ZEVUD_GetRootElement(doc);
        ZEVUD_SetString(root, "progname", prog);
        ZEVUD_SetString(root, "modulename", module);
        ZEVUD_SetString(root, "version", version);
        for (const auto& [path, attrs] : values) {
            ZVELEM cur = root;
            std::vector<std::string> parts;
            SplitString(path, '\\', parts);
            for (const std::string& p : parts) {
                ZVELEM next = ZEVUD_FindFirstChild(cur, p.c_str());
                cur = next ? next : ZEVUD_AddChildElement(cur, p.c_str());
            }
            for (const auto& [key, v] : attrs) ZEVUD_SetInt(cur, key.c_str(), v);
        }
        EXPECT_EQ(ZEVUD_SaveDocAs(doc, file.c_str()), 1);
        ZEVUD_CloseDoc(doc);
        return file;
    }
    static std::string Attr(const fs::path& file, const char* attr) {
        std::string prog, module;
        ReadVkxHead(file.string(), prog, module);
        return std::string(attr) == "progname" ? prog : module;
    }
    static int32_t IntAt(const fs::path& file, const char* path, const char* key) {
        ZVDOC doc = ZEVUD_OpenDocQuiet(file.c_str());
        const int32_t v = ZEVUD_GetIntByPath(doc, path, key, -999999);
        ZEVUD_CloseDoc(doc);
        return v;
    }
    // Converts with the names and version the file carries.
    int Convert(const fs::path& file) {
        std::string prog, module, version;
        ReadVkxHead(file.string(), prog, module, &version);
        return conv_.Convert(file.string(), prog, module, version);
    }

    // Catalogue entries of the crane-runway program for the module names
    // "KB" and "KBDIN".
    void WriteCranePi();

    moduletest::Sandbox box_;
    winsys::ScopedRecordingSink sink_;
    CPositionConverter conv_;
};

TEST_F(Converter, CraneRunwaysOfOlderVersionsGetDinAppended) {
    struct Case {
        const char* module;
        const char* version;
        const char* expect;
    } cases[] = {
        {"KB", "2012.019", "KB"},      {"KB", "2012.0189", "KBDIN"}, {"KBEC", "2005.10", "KBECDIN"},
        {"KB", "1.0", "KB"},           {"KB", "1", "KB"},            {"KB", "2013.05", "KB"},
        {"KB", "kaputt", "KB"},
    };
    int n = 0;
    for (const Case& c : cases) {
        const fs::path file = Position("kb" + std::to_string(n++) + ".vkx", "VADU", c.module, c.version);
        EXPECT_EQ(Convert(file), 1) << c.version;
        EXPECT_EQ(Attr(file, "modulename"), c.expect) << c.version;
        EXPECT_EQ(IntAt(file, "info", "bModularisieren"), -999999) << c.version;
    }
    EXPECT_TRUE(sink_.messages.empty());
}

TEST_F(Converter, UnknownKeyIsLeftAlone) {
    const fs::path file = Position("x.vkx", "RIGEL", "", "1.0");
    const auto before = fs::last_write_time(file);
    EXPECT_EQ(Convert(file), 0);
    EXPECT_EQ(fs::last_write_time(file), before);
    EXPECT_FALSE(conv_.HasConverter(MakeModuleKey("RIGEL", "")));
    EXPECT_TRUE(conv_.HasConverter(MakeModuleKey("VADU", "KB")));
    // a key that no file opens behind: nothing is opened, nothing is said
    EXPECT_EQ(conv_.Convert((box_.Root() / "fehlt.vkx").string(), "VADU", "KB", "2000.0"), 1);
    EXPECT_TRUE(sink_.messages.empty());
}

TEST_F(Converter, CatalogueClassifiesTheConvertedFileUnderItsNewModule) {
    WriteCranePi();
    CProgDB db(box_.Pi().string());
    db.SetPositionConverter(&conv_);
    const fs::path old = Position("alt.vkx", "VADU", "KB", "2012.0189");
    const fs::path current = Position("neu.vkx", "VADU", "KB", "2012.019");
    const CProgDBEntry* a = db.FindProgramByFile(old.string());
    const CProgDBEntry* b = db.FindProgramByFile(current.string());
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(a->m_strShortModuleName, "KBDIN");
    EXPECT_EQ(b->m_strShortModuleName, "KB");
    EXPECT_EQ(Attr(old, "modulename"), "KBDIN");
}

void Converter::WriteCranePi() {
    for (const char* module : {"KB", "KBDIN"}) {
        ZVDOC doc = ZEVUD_CreateDoc("");
        ZVELEM root = ZEVUD_GetRootElement(doc);
        ZEVUD_SetString(root, "shortProgName", "VADU");
        ZEVUD_SetString(root, "shortModuleName", module);
        ZEVUD_SetString(root, "progName", module);
        ZEVUD_SetString(root, "progVersion", "2013.0");
        ZVELEM i = ZEVUD_AddChildElement(root, "interface");
        ZEVUD_SetString(i, "ProcName", "interfaceFunc");
        ZEVUD_SetInt(root, "bModularisieren", 1);
        ZEVUD_AddChildElement(root, "icon");
        ZEVUD_SetInt(ZEVUD_AddChildElement(root, "additionalFiles"), "num", 0);
        EXPECT_EQ(ZEVUD_SaveDocAs(doc, (box_.Pi() / (std::string(module) + ".pi")).c_str()), 1);
        ZEVUD_CloseDoc(doc);
    }
}

TEST_F(Converter, TheModuleCatalogueConvertsOlderFiles) {
    WriteCranePi();
    const fs::path old = Position("alt.vkx", "VADU", "KB", "2010.5");
    const CProgDBEntry* e = GetProgDB().FindProgramByFile(old.string());
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->m_strShortModuleName, "KBDIN");
    ModuleTeardown();
}

TEST_F(Converter, BracketPositionsAreSplitOrRenamed) {
    struct Case {
        int bracket, beam;
        const char* module;  // of the file in place; null: split
    } cases[] = {{1, 1, nullptr}, {1, 0, "Konsole"}, {0, 1, "Balken"}, {0, 0, "alt"}};
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(n);
        const std::string stem = "kons" + std::to_string(n++);
        const fs::path file =
            Position(stem + ".vkx", "KONS", "", "1.0", {{"input\\geom", {{"mitkonsole", c.bracket}, {"mitbalken", c.beam}}}});
        {
            // the module name before: a fixed text to see that nothing changes
            ZVDOC d = ZEVUD_OpenDoc(file.c_str());
            ZEVUD_SetString(ZEVUD_GetRootElement(d), "modulename", "alt");
            ZEVUD_SaveDoc(d);
            ZEVUD_CloseDoc(d);
        }
        EXPECT_EQ(conv_.Convert(file.string(), "KONS", "", "1.0"), 1);
        if (c.module) {
            EXPECT_EQ(Attr(file, "modulename"), c.module);
            continue;
        }
        EXPECT_FALSE(fs::exists(file));
        EXPECT_EQ(Attr(box_.Root() / (stem + " (konsole).vkx"), "modulename"), "Konsole");
        EXPECT_EQ(Attr(box_.Root() / (stem + " (balken).vkx"), "modulename"), "Balken");
    }
    // a missing flag counts as set
    const fs::path both = Position("ohne.vkx", "KONS", "", "1.0");
    conv_.Convert(both.string(), "KONS", "", "1.0");
    EXPECT_FALSE(fs::exists(both));
    EXPECT_TRUE(fs::exists(box_.Root() / "ohne (konsole).vkx"));
}

TEST_F(Converter, BracketSplitKeepsTheOldFileWhenASaveFails) {
    const fs::path file = Position("k.vkx", "KONS", "", "1.0", {{"input\\geom", {{"mitkonsole", 1}, {"mitbalken", 1}}}});
    // a folder in the way of the second new file
    fs::create_directories(box_.Root() / "k (balken).vkx");
    EXPECT_EQ(conv_.Convert(file.string(), "KONS", "", "1.0"), 1);
    EXPECT_TRUE(fs::exists(file));
    EXPECT_EQ(Attr(file, "modulename"), "");
    EXPECT_FALSE(sink_.messages.empty());  // the failed save is said
}

TEST_F(Converter, GuardedAndMarkedConversions) {
    constexpr int32_t kAny = -1000001;  // mark not checked
    struct Case {
        const char* prog;
        const char* module;
        std::map<std::string, std::map<std::string, int>> values;
        const char* expectProg;
        const char* expectModule;
        int32_t mark;
    } cases[] = {
        {"FUND", "", {{"input\\geom", {{"form", 2}}}}, "FUND", "Block", -999999},
        {"FUND", "", {{"input\\geom", {{"form", 7}}}}, "FUND", "", -999999},
        {"FUND", "", {}, "FUND", "", -999999},
        {"GRUEND", "", {{"input\\steu", {{"system", 1}}}}, "FUND", "Platte", -999999},
        {"TREPPE", "", {{"input\\steu", {{"berart", 3}}}}, "TREPPE", "Podest", -999999},
        {"ANSS", "", {}, "ANSS", "Stirnplatte", 1},
        {"RAHM", "", {{"info", {{"bModularisieren", 0}}}}, "RAHM", "Zweigelenk", 1},
        {"RAHM", "", {}, "RAHM", "", -999999},
        {"RAHM", "", {{"info", {{"bModularisieren", 1}}}}, "RAHM", "", 1},
        {"QSW", "", {{"input\\system", {{"Querschnitt", 2}}}}, "QSW", "Profil", 1},
        {"TYPW", "", {}, "TYPW", "Mehrfach", 1},
        {"ALTS", "DL", {}, "ALTS", "Durchlauf", 1},
        {"DACH2", "P", {{"input\\steu", {{"dachtyp", 4}}}, {"info", {{"norm", 1}}}}, "DACH", "Walmdach", kAny},
        // the newer roof program is not installed: the older generation stays
        {"DACHALT", "", {{"input\\steu", {{"dachtyp", 1}}}, {"info", {{"norm", 1}}}}, "DACHALT", "", kAny},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.prog) + c.module + " " + std::to_string(n));
        const fs::path file = Position("p" + std::to_string(n++) + ".vkx", c.prog, c.module, "1.0", c.values);
        EXPECT_EQ(Convert(file), 1);
        EXPECT_EQ(Attr(file, "progname"), c.expectProg);
        EXPECT_EQ(Attr(file, "modulename"), c.expectModule);
        if (c.mark != kAny) {
            EXPECT_EQ(IntAt(file, "info", "bModularisieren"), c.mark);
        }
    }
    // the later roof generation gets the design code 5
    EXPECT_EQ(IntAt(box_.Root() / "p12.vkx", "info", "norm"), 5);
    EXPECT_EQ(IntAt(box_.Root() / "p13.vkx", "info", "norm"), 1);
}

TEST_F(Converter, MarkedOnceConvertsOnlyOnce) {
    const fs::path file = Position("m.vkx", "FACH", "", "1.0", {{"info", {{"bModularisieren", 0}}}});
    EXPECT_EQ(Convert(file), 1);
    EXPECT_EQ(Attr(file, "modulename"), "Fachwerk");
    EXPECT_EQ(IntAt(file, "info", "bModularisieren"), 1);
    // renamed by hand afterwards: a second conversion leaves it
    ZVDOC d = ZEVUD_OpenDoc(file.c_str());
    ZEVUD_SetString(ZEVUD_GetRootElement(d), "modulename", "");
    ZEVUD_SaveDoc(d);
    ZEVUD_CloseDoc(d);
    EXPECT_EQ(conv_.Convert(file.string(), "FACH", "", "1.0"), 1);
    EXPECT_EQ(Attr(file, "modulename"), "");
}

}  // namespace
