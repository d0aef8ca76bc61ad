// Documents: create, save, open, names, the file head, atomic saving,
// case-insensitive opening and refusal of damaged or hostile files.
#include "platform/zevud/zevud.h"
#include "platform/zevud/holds.h"

#include "platform/winsys/winsys.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using zevud_test::ReadFile;
using zevud_test::ScratchDir;
using zevud_test::WriteFile;

namespace {

// Closes a document at the end of a test.
struct DocGuard {
    ZVDOC doc;
    explicit DocGuard(ZVDOC d) : doc(d) {}
    ~DocGuard() {
        if (doc) ZEVUD_CloseDoc(doc);
    }
};

}  // namespace

TEST(Documents, NewDocumentHasRootNamedRootAndItsName) {
    ScratchDir dir;
    ZVDOC d = ZEVUD_CreateDoc(dir.file("Träger 1.vkx").c_str());
    ASSERT_NE(d, 0u);
    DocGuard g(d);
    ZVELEM root = ZEVUD_GetRootElement(d);
    ASSERT_NE(root, 0u);
    EXPECT_EQ(zevud::GetElementName(root), "root");
    EXPECT_EQ(ZEVUD_GetParentElement(root), 0u);
    EXPECT_EQ(ZEVUD_GetDocument(root), d);
    EXPECT_EQ(ZEVUD_GetRootElement(d), root) << "one element keeps one handle";
    EXPECT_EQ(zevud::GetCompleteFileName(d), dir.file("Träger 1.vkx"));

    ZVDOC unnamed = ZEVUD_CreateDoc("");
    DocGuard g2(unnamed);
    EXPECT_EQ(zevud::GetCompleteFileName(unnamed), "");
    EXPECT_EQ(ZEVUD_CreateDoc(nullptr) != 0, true);
}

TEST(Documents, RelativeNamesBecomeFullPaths) {
    ZVDOC d = ZEVUD_CreateDoc("rigel.vkx");
    DocGuard g(d);
    std::string name = zevud::GetCompleteFileName(d);
    EXPECT_EQ(name, (std::filesystem::current_path() / "rigel.vkx").string());
}

TEST(Documents, SaveAndOpenKeepsTreeOrderAndAttributes) {
    ScratchDir dir;
    std::string file = dir.file("pos.vkx");
    {
        ZVDOC d = ZEVUD_CreateDoc(file.c_str());
        DocGuard g(d);
        ZVELEM root = ZEVUD_GetRootElement(d);
        ZEVUD_SetString(root, "progname", "RIGEL");
        ZVELEM input = ZEVUD_AddChildElement(root, "input");
        for (int i = 0; i < 5; ++i) {
            ZVELEM l = ZEVUD_AddChildElement(input, i % 2 ? "load" : "spring");
            ZEVUD_SetInt(l, "nr", i);
        }
        ZEVUD_AddChildElement(root, "Input");  // names are case-sensitive
        ASSERT_EQ(ZEVUD_SaveDoc(d), 1);
    }
    ZVDOC d = ZEVUD_OpenDoc(file.c_str());
    ASSERT_NE(d, 0u);
    DocGuard g(d);
    EXPECT_EQ(zevud::GetCompleteFileName(d), file);
    ZVELEM root = ZEVUD_GetRootElement(d);
    EXPECT_EQ(zevud::GetString(root, "progname"), "RIGEL");
    ZVELEM input = ZEVUD_FindFirstChild(root, "input");
    ASSERT_NE(input, 0u);
    ZVELEM upper = ZEVUD_FindNextChild(input, "Input");
    EXPECT_NE(upper, 0u);
    EXPECT_NE(upper, input);
    EXPECT_EQ(ZEVUD_FindNextChild(upper, "Input"), 0u);

    // Any name, in document order.
    std::vector<std::pair<std::string, int>> seen;
    for (ZVELEM c = ZEVUD_GetFirstChild(input); c; c = ZEVUD_GetNextChild(c))
        seen.emplace_back(zevud::GetElementName(c), ZEVUD_GetInt(c, "nr"));
    std::vector<std::pair<std::string, int>> expected{{"spring", 0}, {"load", 1}, {"spring", 2}, {"load", 3}, {"spring", 4}};
    EXPECT_EQ(seen, expected);

    // By name.
    std::vector<int> loads;
    for (ZVELEM c = ZEVUD_FindFirstChild(input, "load"); c; c = ZEVUD_FindNextChild(c, "load"))
        loads.push_back(ZEVUD_GetInt(c, "nr"));
    EXPECT_EQ(loads, (std::vector<int>{1, 3}));
}

TEST(Documents, SaveAsTakesTheNameSaveCopyAsDoesNot) {
    ScratchDir dir;
    ZVDOC d = ZEVUD_CreateDoc(dir.file("a.vkx").c_str());
    DocGuard g(d);
    ASSERT_EQ(ZEVUD_SaveCopyAs(d, dir.file("copy.vkx").c_str()), 1);
    EXPECT_EQ(zevud::GetCompleteFileName(d), dir.file("a.vkx"));
    EXPECT_TRUE(std::filesystem::exists(dir.file("copy.vkx")));
    EXPECT_FALSE(std::filesystem::exists(dir.file("a.vkx")));
    ASSERT_EQ(ZEVUD_SaveDocAs(d, dir.file("b.vkx").c_str()), 1);
    EXPECT_EQ(zevud::GetCompleteFileName(d), dir.file("b.vkx"));
    ZEVUD_SetInt(ZEVUD_GetRootElement(d), "x", 7);
    ASSERT_EQ(ZEVUD_SaveDoc(d), 1);
    ZVDOC again = ZEVUD_OpenDoc(dir.file("b.vkx").c_str());
    DocGuard g2(again);
    EXPECT_EQ(ZEVUD_GetInt(ZEVUD_GetRootElement(again), "x"), 7);
}

TEST(Documents, BackslashPathsAreReadAsSlashes) {
    ScratchDir dir;
    std::filesystem::create_directories(dir.path() / "pi");
    ZVDOC d = ZEVUD_CreateDoc("");
    DocGuard g(d);
    std::string back = dir.path().string() + "\\pi\\x.pi";
    ASSERT_EQ(ZEVUD_SaveDocAs(d, back.c_str()), 1);
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "pi" / "x.pi"));
}

// The module reads program, module name and version from the raw head of a
// position file; they must stand, in this form, in its first 127 bytes.
TEST(Documents, FirstAttributesStandInTheFileHead) {
    ScratchDir dir;
    std::string file = dir.file("head.vkx");
    ZVDOC d = ZEVUD_CreateDoc(file.c_str());
    DocGuard g(d);
    ZVELEM root = ZEVUD_GetRootElement(d);
    ZEVUD_SetString(root, "progname", "VADU");
    ZEVUD_SetString(root, "modulename", "Kranbahnträger");
    ZEVUD_SetString(root, "version", "5.10");
    ZVELEM info = ZEVUD_AddChildElement(root, "info");
    ZEVUD_SetString(info, "comment", std::string(300, 'c').c_str());
    ZEVUD_SetString(root, "progname", "VADU");  // setting again keeps its place
    ASSERT_EQ(ZEVUD_SaveDoc(d), 1);
    std::string head = ReadFile(file).substr(0, 127);
    auto value = [&](const std::string& key, size_t from) -> std::string {
        size_t p = head.find(key, from);
        if (p == std::string::npos) return "<missing>";
        size_t b = p + key.size() + 2;
        return head.substr(b, head.find('"', b) - b);
    };
    EXPECT_EQ(value("progname", 0), "VADU");
    EXPECT_EQ(value("modulename", 0), "Kranbahnträger");
    EXPECT_EQ(value("version", head.find("root")), "5.10");
}

TEST(Documents, OpenFallsBackToCaseInsensitiveNameInItsFolder) {
    ScratchDir dir;
    ZVDOC d = ZEVUD_CreateDoc(dir.file("Profil.V2.skb").c_str());
    ZEVUD_SetInt(ZEVUD_GetRootElement(d), "k", 3);
    ASSERT_EQ(ZEVUD_SaveDoc(d), 1);
    ZEVUD_CloseDoc(d);
    ZVDOC o = ZEVUD_OpenDoc(dir.file("profil.v2.skb").c_str());
    ASSERT_NE(o, 0u);
    DocGuard g(o);
    EXPECT_EQ(ZEVUD_GetInt(ZEVUD_GetRootElement(o), "k"), 3);
    EXPECT_EQ(zevud::GetCompleteFileName(o), dir.file("Profil.V2.skb")) << "the file on disk is the document's name";
}

TEST(Documents, MissingFileIsRefusedWithAMessageQuietFormWithout) {
    ScratchDir dir;
    winsys::ScopedRecordingSink sink;
    EXPECT_EQ(ZEVUD_OpenDoc(dir.file("nichtda.vkx").c_str()), 0u);
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_NE(sink.messages[0].text.find("nichtda.vkx"), std::string::npos);
    sink.Clear();
    EXPECT_EQ(ZEVUD_OpenDocQuiet(dir.file("nichtda.vkx").c_str()), 0u);
    EXPECT_EQ(ZEVUD_OpenDoc(nullptr), 0u);
    EXPECT_EQ(ZEVUD_OpenDocQuiet(dir.path().string().c_str()), 0u) << "a folder is no document";
    EXPECT_EQ(sink.messages.size(), 1u) << "only the unnamed open speaks";
}

// Damaged, truncated and hostile files: refused with 0 and one message,
// and the file on disk stays as it was.
TEST(Documents, DamagedAndHostileFilesAreRefused) {
    std::string deep;
    for (int i = 0; i < 300; ++i) deep += "<a>";
    for (int i = 0; i < 300; ++i) deep += "</a>";
    std::string veryDeep;
    for (int i = 0; i < 200000; ++i) veryDeep += "<a>";
    struct Case {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"empty file", ""},
        {"no XML", "Dies ist keine Datei des Programms.\n"},
        {"truncated", "<?xml version=\"1.0\"?>\n<root progname=\"RIGEL\"><input a=\"1\"><lo"},
        {"unclosed element", "<root><input></root>"},
        {"two roots", "<root/><root/>"},
        {"duplicate attribute", "<root a=\"1\" a=\"2\"/>"},
        {"mismatched end tag", "<root><a></b></root>"},
        {"nesting 300 deep", deep},
        {"unterminated nesting 200000 deep", veryDeep},
        {"binary junk", std::string("\x00\x01\x02\xff\xfe<root/>", 13)},
    };
    ScratchDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string file = dir.file("bad.vkx");
        WriteFile(file, c.bytes);
        winsys::ScopedRecordingSink sink;
        EXPECT_EQ(ZEVUD_OpenDoc(file.c_str()), 0u);
        ASSERT_EQ(sink.messages.size(), 1u);
        EXPECT_NE(sink.messages[0].text.find("bad.vkx"), std::string::npos);
        EXPECT_EQ(sink.messages[0].icon, winsys::Icon::Error);
        EXPECT_EQ(ReadFile(file), c.bytes);
    }
}

TEST(Documents, NestingUpToTheLimitIsKeptBeyondItRefusedOnBuild) {
    ScratchDir dir;
    ZVDOC d = ZEVUD_CreateDoc(dir.file("deep.vkx").c_str());
    DocGuard g(d);
    ZVELEM e = ZEVUD_GetRootElement(d);
    int levels = 1;
    while (ZVELEM c = ZEVUD_AddChildElement(e, "a")) {
        e = c;
        ++levels;
        ASSERT_LE(levels, 10000);
    }
    EXPECT_EQ(levels, 256);
    ASSERT_EQ(ZEVUD_SaveDoc(d), 1);
    ZVDOC o = ZEVUD_OpenDoc(dir.file("deep.vkx").c_str());
    ASSERT_NE(o, 0u) << "whatever can be built can be read back";
    ZEVUD_CloseDoc(o);
}

TEST(Documents, FailedSaveLeavesTheOldFileIntactAndSaysSo) {
    ScratchDir dir;
    std::string file = dir.file("keep.vkx");
    ZVDOC d = ZEVUD_CreateDoc(file.c_str());
    DocGuard g(d);
    ZEVUD_SetString(ZEVUD_GetRootElement(d), "state", "old");
    ASSERT_EQ(ZEVUD_SaveDoc(d), 1);
    std::string before = ReadFile(file);

    ZEVUD_SetString(ZEVUD_GetRootElement(d), "state", "new");
    winsys::ScopedRecordingSink sink;
    // A save into a folder that does not exist fails before anything is
    // written; a save onto a folder fails at the final rename.
    EXPECT_EQ(ZEVUD_SaveCopyAs(d, dir.file("nosuchfolder/x.vkx").c_str()), 0);
    std::filesystem::create_directories(dir.path() / "blocked.vkx" / "inner");
    EXPECT_EQ(ZEVUD_SaveDocAs(d, dir.file("blocked.vkx").c_str()), 0);
    EXPECT_EQ(zevud::GetCompleteFileName(d), file) << "a failed SaveAs keeps the old name";
    ASSERT_EQ(sink.messages.size(), 2u);
    EXPECT_NE(sink.messages[0].text.find("der Ordner existiert nicht"), std::string::npos) << sink.messages[0].text;
    EXPECT_NE(sink.messages[1].text.find("blocked.vkx"), std::string::npos) << sink.messages[1].text;
    EXPECT_EQ(ReadFile(file), before);
    // No temporary files are left behind.
    int entries = 0;
    for (auto& e : std::filesystem::directory_iterator(dir.path())) {
        (void)e;
        ++entries;
    }
    EXPECT_EQ(entries, 2);  // keep.vkx and the blocking folder

    ZVDOC unnamed = ZEVUD_CreateDoc("");
    DocGuard g2(unnamed);
    EXPECT_EQ(ZEVUD_SaveDoc(unnamed), 0);
}

TEST(Documents, ReadOnlyFileIsNotReplacedAndPermissionsAreKept) {
    ScratchDir dir;
    std::string file = dir.file("perm.vkx");
    ZVDOC d = ZEVUD_CreateDoc(file.c_str());
    DocGuard g(d);
    ASSERT_EQ(ZEVUD_SaveDoc(d), 1);
    namespace fs = std::filesystem;
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ZEVUD_SetInt(ZEVUD_GetRootElement(d), "n", 1);
    ASSERT_EQ(ZEVUD_SaveDoc(d), 1);
    EXPECT_EQ(fs::status(file).permissions(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

    std::string before = ReadFile(file);
    fs::permissions(file, fs::perms::owner_read | fs::perms::group_read);
    ZEVUD_SetInt(ZEVUD_GetRootElement(d), "n", 2);
    winsys::ScopedRecordingSink sink;
    EXPECT_EQ(ZEVUD_SaveDoc(d), 0);
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_NE(sink.messages[0].text.find("schreibgeschützt"), std::string::npos);
    EXPECT_EQ(ReadFile(file), before);
}

TEST(Documents, SaveThroughASymbolicLinkWritesItsTarget) {
    ScratchDir dir;
    ZVDOC d = ZEVUD_CreateDoc(dir.file("real.vkx").c_str());
    DocGuard g(d);
    ASSERT_EQ(ZEVUD_SaveDoc(d), 1);
    std::filesystem::create_symlink(dir.file("real.vkx"), dir.file("link.vkx"));
    ZEVUD_SetInt(ZEVUD_GetRootElement(d), "n", 5);
    ASSERT_EQ(ZEVUD_SaveDocAs(d, dir.file("link.vkx").c_str()), 1);
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("link.vkx")));
    EXPECT_NE(ReadFile(dir.file("real.vkx")).find("n=\"5\""), std::string::npos);
}

TEST(Documents, OversizedFileIsRefusedBeforeReading) {
    ScratchDir dir;
    std::string file = dir.file("huge.vkx");
    WriteFile(file, "<root a=\"");
    std::filesystem::resize_file(file, 1024ull * 1024 * 1024 + 1);  // sparse: costs no disk
    winsys::ScopedRecordingSink sink;
    EXPECT_EQ(ZEVUD_OpenDoc(file.c_str()), 0u);
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_NE(sink.messages[0].text.find("MB"), std::string::npos);
}

TEST(Documents, VeryDeepWellFormedFileIsRefusedWithoutExhaustingTheStack) {
    ScratchDir dir;
    std::string xml;
    const int levels = 100000;
    xml.reserve(levels * 8);
    for (int i = 0; i < levels; ++i) xml += "<a>";
    for (int i = 0; i < levels; ++i) xml += "</a>";
    WriteFile(dir.file("deep.vkx"), xml);
    winsys::ScopedRecordingSink sink;
    EXPECT_EQ(ZEVUD_OpenDoc(dir.file("deep.vkx").c_str()), 0u);
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_NE(sink.messages[0].text.find("256"), std::string::npos);
}

TEST(Documents, DocumentTextIsTheSavedText) {
    ScratchDir dir;
    ZVDOC d = ZEVUD_CreateDoc(dir.file("t.vkx").c_str());
    DocGuard g(d);
    ZEVUD_SetString(ZEVUD_GetRootElement(d), "progname", "RIGEL");
    ASSERT_EQ(ZEVUD_SaveDoc(d), 1);
    std::string text = zevud::GetDocText(d);
    EXPECT_EQ(text, ReadFile(dir.file("t.vkx")));
    char small[8];
    EXPECT_EQ(ZEVUD_GetDocText(d, small, sizeof small), static_cast<int>(text.size()));
    EXPECT_EQ(std::string(small), text.substr(0, 7)) << "cut to the buffer and terminated";
}

TEST(Documents, HeldSavesLeaveTheFileAsItWasUntilTheOwnerSaves) {
    ScratchDir dir;
    const std::string file = dir.file("Pos.vkx");
    ZVDOC d = ZEVUD_CreateDoc(file.c_str());
    ASSERT_NE(d, 0u);
    DocGuard g(d);
    ZEVUD_SetInt(ZEVUD_GetRootElement(d), "a", 1);
    ASSERT_EQ(ZEVUD_SaveDoc(d), 1);
    const std::string before = ReadFile(file);

    EXPECT_EQ(ZEVUD_SavesHeld(d), 0);
    ASSERT_EQ(ZEVUD_HoldSaves(d, 1), 1);
    EXPECT_EQ(ZEVUD_SavesHeld(d), 1);
    EXPECT_EQ(ZEVUD_SaveWasHeld(d), 0);
    ZEVUD_SetInt(ZEVUD_GetRootElement(d), "a", 2);
    EXPECT_EQ(ZEVUD_SaveDoc(d), 1) << "a held save is no failure";
    EXPECT_EQ(ZEVUD_SaveCopyAs(d, file.c_str()), 1);
    EXPECT_EQ(ReadFile(file), before);
    EXPECT_EQ(ZEVUD_SaveWasHeld(d), 1);
    // A copy under another name is written as asked.
    ASSERT_EQ(ZEVUD_SaveCopyAs(d, dir.file("copy.vkx").c_str()), 1);
    EXPECT_NE(ReadFile(dir.file("copy.vkx")).find("a=\"2\""), std::string::npos);

    ASSERT_EQ(ZEVUD_HoldSaves(d, 0), 1);
    EXPECT_EQ(ZEVUD_SavesHeld(d), 0);
    EXPECT_EQ(ReadFile(file), before) << "releasing writes nothing";
    ASSERT_EQ(ZEVUD_SaveDoc(d), 1);
    EXPECT_NE(ReadFile(file).find("a=\"2\""), std::string::npos);
    EXPECT_EQ(ZEVUD_HoldSaves(0, 1), 0);
    EXPECT_EQ(ZEVUD_SavesHeld(0), 0);
}
