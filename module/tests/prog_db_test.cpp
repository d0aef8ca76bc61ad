// The program catalogue from a fixture "pi" folder, and the classification of
// files by their kind and head.
#include <gtest/gtest.h>
#include <zip.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "ModuleSandbox.h"
#include "module/frame/ProgDB.h"
#include "module/frame/RegSettings.h"
#include "platform/winsys/winsys.h"
#include "platform/zevud/zevud.h"

namespace fs = std::filesystem;

namespace {

struct PiSpec {
    std::string shortProg = "TEST";
    std::string shortModule = "M1";
    std::string version = "1.0";
    int modularisieren = 1;
    int progType = 0;
    std::string dllName;  // empty: always installed
    bool withInterface = true, withIcon = true, withFiles = true;
    int num = 1;
    std::vector<std::string> masks = {"%s.rtf"};
    std::string iconName = "Rigel";
    std::string plugInExt, plugInExe;
    std::string tag;  // kept in "progName" to tell files apart
};

void WritePi(const fs::path& file, const PiSpec& s) {
    ZVDOC doc = ZEVUD_CreateDoc("");
    ZVELEM root = ZEVUD_GetRootElement(doc);
    ZEVUD_SetString(root, "shortProgName", s.shortProg.c_str());
    ZEVUD_SetString(root, "progName", s.tag.c_str());
    ZEVUD_SetString(root, "shortModuleName", s.shortModule.c_str());
    ZEVUD_SetString(root, "moduleName", "Modul");
    ZEVUD_SetInt(root, "progType", s.progType);
    ZEVUD_SetInt(root, "bModularisieren", s.modularisieren);
    ZEVUD_SetString(root, "progVersion", s.version.c_str());
    ZEVUD_SetString(root, "iconName", s.iconName.c_str());
    if (s.withInterface) {
        ZVELEM i = ZEVUD_AddChildElement(root, "interface");
        ZEVUD_SetString(i, "DLLName", s.dllName.c_str());
        ZEVUD_SetString(i, "ProcName", "interfaceFunc");
        ZEVUD_SetString(i, "calcDLLName", "Tovik.dll");
        ZEVUD_SetString(i, "calcProcName", "RIREZ_Aver");
        if (s.progType == 6) {
            ZEVUD_SetString(i, "plugInExt", s.plugInExt.c_str());
            ZEVUD_SetString(i, "plugInExe", s.plugInExe.c_str());
        }
    }
    if (s.withIcon) ZEVUD_AddChildElement(root, "icon");
    if (s.withFiles) {
        ZVELEM f = ZEVUD_AddChildElement(root, "additionalFiles");
        ZEVUD_SetInt(f, "num", s.num);
        for (size_t k = 0; k < s.masks.size(); ++k)
            ZEVUD_SetString(f, ("mask_" + std::to_string(k)).c_str(), s.masks[k].c_str());
    }
    ZVELEM m = ZEVUD_AddChildElement(root, "contextmenue");
    ZEVUD_SetString(m, "desc", "Öffnen");
    ZEVUD_SetString(m, "command", "open");
    ASSERT_EQ(ZEVUD_SaveDocAs(doc, file.c_str()), 1);
    ZEVUD_CloseDoc(doc);
}

class ProgDB : public testing::Test {
protected:
    std::unique_ptr<CProgDB> Read() { return std::make_unique<CProgDB>(box_.Pi().string()); }
    moduletest::Sandbox box_;
    winsys::ScopedRecordingSink sink_;
};

TEST_F(ProgDB, ReadsAnEntryWithAllItsParts) {
    PiSpec s;
    s.tag = "Testprogramm";
    s.num = 2;
    s.masks = {"%s.rtf", "%s.skw"};
    WritePi(box_.Pi() / "test.pi", s);
    auto db = Read();
    CProgDBEntry* e = db->FindProgram("TEST", "M1");
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->m_strProgName, "Testprogramm");
    EXPECT_EQ(e->m_strProgNameTrans, "Testprogramm");
    EXPECT_EQ(e->m_strProcName, "interfaceFunc");
    EXPECT_EQ(e->m_strCalcDLLName, "Tovik.dll");
    EXPECT_EQ(e->m_strCalcProcName, "RIREZ_Aver");
    EXPECT_EQ(e->m_masks, (std::vector<std::string>{"%s.rtf", "%s.skw"}));
    EXPECT_EQ(e->m_contextMenuDesc, std::vector<std::string>{"Öffnen"});
    EXPECT_EQ(e->m_contextMenuCommand, std::vector<std::string>{"open"});
    EXPECT_EQ(e->m_icon, GetIconIdByName("Rigel"));
    EXPECT_DOUBLE_EQ(e->m_progVersion, 1.0);
    EXPECT_GT(e->m_fileTime, 0);
    EXPECT_TRUE(sink_.messages.empty());
}

TEST_F(ProgDB, HigherVersionWinsInEitherOrderEqualVersionsKeepTheFirst) {
    const struct {
        const char* firstVersion;   // in the file read first ("a.pi")
        const char* secondVersion;  // in "b.pi"
        const char* winner;
    } cases[] = {{"2.1", "2.3", "b"}, {"2.3", "2.1", "a"}, {"2.2", "2.2", "a"}};
    for (const auto& c : cases) {
        fs::remove_all(box_.Pi());
        fs::create_directories(box_.Pi());
        PiSpec a, b;
        a.version = c.firstVersion;
        a.tag = "a";
        b.version = c.secondVersion;
        b.tag = "b";
        WritePi(box_.Pi() / "a.pi", a);
        WritePi(box_.Pi() / "b.pi", b);
        auto db = Read();
        CProgDBEntry* e = db->FindProgram("TEST", "M1");
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(e->m_strProgName, c.winner) << c.firstVersion << " / " << c.secondVersion;
    }
}

TEST_F(ProgDB, IncompleteOrUnwantedFilesAreSkipped) {
    PiSpec notModular;
    notModular.shortProg = "NOMOD";
    notModular.modularisieren = 0;
    PiSpec noFiles;
    noFiles.shortProg = "NOFILES";
    noFiles.withFiles = false;
    PiSpec noIcon;
    noIcon.shortProg = "NOICON";
    noIcon.withIcon = false;
    PiSpec notInstalled;
    notInstalled.shortProg = "NOTINST";
    notInstalled.dllName = "Missing.dll";
    PiSpec installed;
    installed.shortProg = "INST";
    installed.dllName = "Present.dll";
    box_.WriteFile(box_.Bin() / "libPresent.so", "x");
    PiSpec noMasks;
    noMasks.shortProg = "NOMASKS";
    noMasks.num = 0;
    PiSpec hugeCount;
    hugeCount.shortProg = "HUGE";
    hugeCount.num = 2000000000;
    for (const PiSpec* s : {&notModular, &noFiles, &noIcon, &notInstalled, &installed, &noMasks, &hugeCount})
        WritePi(box_.Pi() / (s->shortProg + ".pi"), *s);
    box_.WriteFile(box_.Pi() / "damaged.pi", "<root shortProgName=\"DAMAGED\"><interface>");

    auto db = Read();
    for (const char* absent : {"NOMOD", "NOFILES", "NOICON", "NOTINST", "DAMAGED"})
        EXPECT_EQ(db->FindProgram(absent, "M1"), nullptr) << absent;
    EXPECT_NE(db->FindProgram("INST", "M1"), nullptr);
    ASSERT_NE(db->FindProgram("NOMASKS", "M1"), nullptr);
    EXPECT_TRUE(db->FindProgram("NOMASKS", "M1")->m_masks.empty());
    ASSERT_NE(db->FindProgram("HUGE", "M1"), nullptr);
    EXPECT_LT(db->FindProgram("HUGE", "M1")->m_masks.size(), 20u);
    EXPECT_EQ(db->FindProgram("HUGE", "M1")->m_masks.at(0), "%s.rtf");
    EXPECT_TRUE(sink_.messages.empty());  // skipped silently
}

TEST_F(ProgDB, BuiltInEntriesAndOlderPrograms) {
    box_.WriteFile(box_.Bin() / "STA1DW.EXE", "x");  // the older program "ST/1"
    box_.WriteFile(box_.Bin() / "DACHW.EXE", "x");   // the one ending in "W"
    auto db = Read();
    CProgDBEntry* dorizi = db->FindProgram("DORIZI", "");
    ASSERT_NE(dorizi, nullptr);
    EXPECT_EQ(dorizi->m_strProgName, "Freie Textposition");
    EXPECT_EQ(dorizi->m_progType, 1);
    EXPECT_EQ(dorizi->m_icon, 106);
    EXPECT_TRUE(dorizi->m_masks.empty());
    ASSERT_NE(db->FindProgram("VORRTF", ""), nullptr);
    EXPECT_EQ(db->FindProgram("VORRTF", "")->m_progType, 4);

    CProgDBEntry* older = db->FindProgram("ST/1", "classic");
    ASSERT_NE(older, nullptr);
    EXPECT_EQ(older->m_masks, (std::vector<std::string>{"%s.rtf", "%s.skw", "%s.sdb"}));
    EXPECT_NE(db->FindProgram("DA/C", "classic"), nullptr);
    EXPECT_EQ(db->FindProgram("ST/2", "classic"), nullptr);  // not installed
}

TEST_F(ProgDB, IsInstalledByProgramType) {
    box_.WriteFile(box_.Bin() / "AB1DW.EXE", "x");
    box_.WriteFile(box_.Bin() / "1234DW.EXE", "x");
    box_.WriteFile(box_.Bin() / "plug" / "tool", "x");
    const struct {
        int type;
        const char* shortProg;
        const char* plugInExe;
        bool installed;
    } cases[] = {
        {2, "AB1", "", true},           // shorter than four characters: the whole name
        {2, "VK-1234", "", true},       // the last four characters
        {2, "XYZ9", "", false},
        {6, "P", "plug/tool", true},    // beside the host
        {6, "P", "plug/none", false},
        {6, "P", "", false},
        {1, "X", "", true},
    };
    for (const auto& c : cases) {
        CProgDBEntry e;
        e.m_progType = c.type;
        e.m_strShortProgName = c.shortProg;
        e.m_strPlugInExe = c.plugInExe;
        EXPECT_EQ(e.IsInstalled(), c.installed) << c.type << " " << c.shortProg << " " << c.plugInExe;
    }
}

// ---- classification of files ---------------------------------------------------

void WriteZip(const fs::path& file, const std::vector<std::pair<std::string, std::string>>& entries) {
    zipFile z = zipOpen(file.c_str(), APPEND_STATUS_CREATE);
    ASSERT_NE(z, nullptr);
    for (const auto& [name, content] : entries) {
        ASSERT_EQ(zipOpenNewFileInZip(z, name.c_str(), nullptr, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                                      Z_DEFAULT_COMPRESSION),
                  ZIP_OK);
        zipWriteInFileInZip(z, content.data(), static_cast<unsigned>(content.size()));
        zipCloseFileInZip(z);
    }
    zipClose(z, nullptr);
}

class FindByFile : public ProgDB {
protected:
    void SetUp() override {
        for (const char* prog : {"RIGEL", "VADU", "TRAEGER", "STUETZE"}) {
            PiSpec s;
            s.shortProg = prog;
            s.shortModule = "";
            WritePi(box_.Pi() / (std::string(prog) + ".pi"), s);
        }
        PiSpec plug;
        plug.shortProg = "PLUG";
        plug.shortModule = "";
        plug.progType = 6;
        plug.plugInExt = "xyz";
        plug.plugInExe = "plugtool";
        box_.WriteFile(box_.Bin() / "plugtool", "x");
        WritePi(box_.Pi() / "plug.pi", plug);
        PiSpec older;
        older.shortProg = "ST/1";
        older.shortModule = "classic";
        WritePi(box_.Pi() / "older.pi", older);
        db_ = Read();
    }
    std::string Found(const fs::path& p) {
        CProgDBEntry* e = db_->FindProgramByFile(p.string());
        return e ? e->m_strShortProgName + "|" + e->m_strShortModuleName : "-";
    }
    std::unique_ptr<CProgDB> db_;
};

TEST_F(FindByFile, ByKindAndHead) {
    auto vkx = box_.WriteFile("pos/Träger.VKX",
                              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<root progname=\"VADU\" modulename=\"\" "
                              "version=\"2013.06\"><input/></root>");
    auto vk1 = box_.WriteFile("pos/alt.vk1", "Titel 'VK-STA1' und mehr\nzweite Zeile\n");
    auto vk1Hyphen = box_.WriteFile("pos/h.vk1", "VK-STA1 ohne Apostroph\n");
    auto vk1Start = box_.WriteFile("pos/s.vk1", "-x\n");
    auto rtf = box_.WriteFile("pos/A.RTF", "{\\rtf1}");
    auto plug = box_.WriteFile("pos/daten.XYZ", "");
    auto trfx = box_.Root() / "pos" / "model.trfx";
    WriteZip(trfx, {{"readme.txt", "x"}, {"ZBimModel.xml", "<m ModuleType=\"101\" />"}});

    EXPECT_EQ(Found(vkx), "VADU|");
    EXPECT_EQ(Found(vk1), "ST/1|classic");
    EXPECT_EQ(Found(vk1Hyphen), "ST/1|classic");
    EXPECT_EQ(Found(vk1Start), "-");
    EXPECT_EQ(Found(rtf), "DORIZI|");
    EXPECT_EQ(Found(plug), "PLUG|");
    EXPECT_EQ(Found(trfx), "TRAEGER|");
    EXPECT_EQ(Found(box_.Root() / "pos" / "missing.vkx"), "-");
}

TEST_F(FindByFile, FileWithoutExtensionFindsTheEmptyKey) {
    auto file = box_.WriteFile("pos/ohne", "x");
    EXPECT_EQ(Found(file), "-");
    CProgDBEntry empty;
    db_->AddEntry("", "", empty);
    EXPECT_NE(db_->FindProgramByFile(file.string()), nullptr);
}

TEST(ZipModuleType, ReadsTheModelEntry) {
    moduletest::Sandbox box;
    const struct {
        const char* name;
        std::vector<std::pair<std::string, std::string>> entries;
        int expected;
    } cases[] = {
        {"ok", {{"ZBimModel.xml", "<m ModuleType=\"102\" />"}}, 102},
        {"firstOfTwo", {{"ZBimModelA.xml", "ModuleType=\"200\""}, {"ZBimModelB.xml", "ModuleType=\"100\""}}, 200},
        {"exactNameNotTaken", {{"ZBim", "ModuleType=\"101\""}}, 0},
        {"shortName", {{"ZBim12345", "ModuleType=\"101\""}}, 0},
        {"noModuleType", {{"ZBimModel.xml", "<m/>"}}, 0},
        {"atTheVeryEnd", {{"ZBimModel.xml", std::string(8182, ' ') + "ModuleType"}}, 0},
        {"cutAfterTwoDigits", {{"ZBimModel.xml", std::string(8178, ' ') + "ModuleType=\"10"}}, 10},
    };
    for (const auto& c : cases) {
        fs::path file = box.Root() / (std::string(c.name) + ".trfx");
        WriteZip(file, c.entries);
        EXPECT_EQ(ReadZipModuleType(file.string()), c.expected) << c.name;
    }
    EXPECT_EQ(ReadZipModuleType((box.Root() / "none.trfx").string()), 0);
    fs::path notZip = box.WriteFile("bad.trfx", "PK this is no archive");
    EXPECT_EQ(ReadZipModuleType(notZip.string()), 0);
}

TEST(VkxHead, DamagedHeadsStayInsideTheBuffer) {
    moduletest::Sandbox box;
    const struct {
        const char* name;
        std::string content;
        const char* prog;
        const char* module;
        const char* version;
    } cases[] = {
        {"normal", "<?xml version=\"1.0\"?><root progname=\"RIGEL\" modulename=\"EC3\" version=\"2.5\">", "RIGEL", "EC3",
         "2.5"},
        {"short", "<root progname", "", "", ""},
        {"empty", "", "", "", ""},
        {"unclosed", "<root progname=\"RIGEL", "", "", ""},
        {"nameAtEnd", std::string(110, ' ') + "<root progname=", "", "", ""},
        {"beyond127", "<root a=\"" + std::string(120, 'x') + "\" progname=\"RIGEL\">", "", "", ""},
        {"noRoot", "<x progname=\"RIGEL\">", "", "", ""},
    };
    for (const auto& c : cases) {
        fs::path file = box.WriteFile(std::string(c.name) + ".vkx", c.content);
        std::string prog = "?", module = "?", version = "?";
        ReadVkxHead(file.string(), prog, module, &version);
        EXPECT_EQ(prog, c.prog) << c.name;
        EXPECT_EQ(module, c.module) << c.name;
        EXPECT_EQ(version, c.version) << c.name;
    }
    std::string prog = "keep", module = "keep";
    ReadVkxHead((box.Root() / "missing.vkx").string(), prog, module);
    EXPECT_EQ(prog, "keep");
    EXPECT_EQ(module, "keep");
}

TEST(Vk1Code, FirstLineForms) {
    moduletest::Sandbox box;
    const struct {
        const char* content;
        const char* code;
    } cases[] = {
        {"x 'VK-1234' y", "1234"},     {"'VK-STA1'", "ST/1"},  {"ab VK-1010 rest", "1010"},
        {"-start", "-start"},          {"V-12", "V-12"},       {"'VK", "VK"},
        {"kein Code", ""},             {"", ""},
    };
    for (const auto& c : cases) {
        fs::path file = box.WriteFile("t.vk1", c.content);
        EXPECT_EQ(ReadVk1ProgramCode(file.string()), c.code) << c.content;
    }
}

TEST_F(ProgDB, IconListAndIndexes) {
    PiSpec plug;
    plug.shortProg = "PLUG";
    plug.progType = 6;
    plug.plugInExe = "plugtool";
    plug.iconName = "-1";
    box_.WriteFile(box_.Bin() / "plugtool", "x");
    WritePi(box_.Pi() / "plug.pi", plug);
    PiSpec own;
    own.shortProg = "OWN";
    own.iconName = "Kranbahn";
    WritePi(box_.Pi() / "own.pi", own);
    auto db = Read();
    EXPECT_EQ(db->GetIconIndex(104), 0);
    EXPECT_EQ(db->GetIconIndex(174), 7);
    EXPECT_EQ(db->GetIconIndex(9999), 9999);  // an id nobody uses
    const CProgIconList& list = db->CreateIconList();
    int32_t kran = db->GetIconIndex(GetIconIdByName("Kranbahn"));
    ASSERT_GE(kran, 8);
    EXPECT_EQ(list.icons.at(static_cast<size_t>(kran)).resourceId, GetIconIdByName("Kranbahn"));
    CProgDBEntry* p = db->FindProgram("PLUG", "M1");
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(list.icons.at(static_cast<size_t>(p->m_icon)).executable, "plugtool");
    EXPECT_EQ(list.icons.back().resourceId, 530);
    EXPECT_EQ(GetIconIdByName("unbekannt"), 101);
}

class CountingWindow : public CProgDBWindow {
public:
    void DestroyWindow() override { ++destroyed; }
    int destroyed = 0;
};

TEST_F(ProgDB, DestructionDestroysEachLeftWindowOnce) {
    CountingWindow shared, kept;
    {
        auto db = Read();
        CProgDBEntry a, b, c;
        a.m_pWnd = &shared;
        b.m_pWnd = &shared;
        c.m_pWnd = &kept;
        c.m_bNeverDeleteWnds = 1;
        db->AddEntry("A", "", a);
        db->AddEntry("B", "", b);
        db->AddEntry("C", "", c);
    }
    EXPECT_EQ(shared.destroyed, 1);
    EXPECT_EQ(kept.destroyed, 0);
}

TEST_F(ProgDB, CatalogueSettingsAreNotWrittenBack) {
    auto db = Read();
    EXPECT_FALSE(winsys::RegGetValue(winsys::Hive::CurrentUser, "software\\VKT\\Ostrel", "Name"));
    EXPECT_FALSE(winsys::RegGetValue(winsys::Hive::CurrentUser, "software\\VKT\\velor2005", "dispFlags"));
}

TEST(ModuleKey, TrimsAndLowerCases) {
    EXPECT_EQ(MakeModuleKey("VADU  ", "KB DIN "), "vadukb din");
    EXPECT_EQ(MakeModuleKey("RIGEL", ""), "rigel");
}

}  // namespace

namespace {

// Rewrites an older position's head as the position converter does.
class FakeConverter : public CPositionConverterHook {
public:
    bool HasConverter(const std::string& key) const override { return key == "vaduold"; }
    bool Convert(const std::string& path, const std::string& version) override {
        seenVersion = version;
        std::ofstream(path) << "<root progname=\"VADU\" modulename=\"\" version=\"" << version << "\"/>";
        return true;
    }
    std::string seenVersion;
};

TEST_F(FindByFile, OlderPositionsAreConvertedBeforeTheyAreClassified) {
    FakeConverter converter;
    db_->SetPositionConverter(&converter);
    auto old = box_.WriteFile("pos/alt.vkx", "<root progname=\"VADU\" modulename=\"OLD\" version=\"2012.0189\"/>");
    EXPECT_EQ(Found(old), "VADU|");
    EXPECT_EQ(converter.seenVersion, "2012.0189");
    auto current = box_.WriteFile("pos/neu.vkx", "<root progname=\"RIGEL\" modulename=\"\" version=\"1\"/>");
    converter.seenVersion.clear();
    EXPECT_EQ(Found(current), "RIGEL|");
    EXPECT_TRUE(converter.seenVersion.empty());  // no converter for that key
}

}  // namespace
