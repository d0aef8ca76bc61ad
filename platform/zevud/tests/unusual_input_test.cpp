// Unusual and hostile input: texts that are not UTF-8, numbers that do not
// read, file names of any legal form, temporary files of dead processes, and
// a bounded mutation run over the reader.
#include "platform/zevud/zevud.h"

#include "platform/winsys/winsys.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

using zevud_test::ReadFile;
using zevud_test::ScratchDir;
using zevud_test::WriteFile;
namespace fs = std::filesystem;

namespace {

struct DocGuard {
    ZVDOC doc;
    explicit DocGuard(ZVDOC d) : doc(d) {}
    ~DocGuard() {
        if (doc) ZEVUD_CloseDoc(doc);
    }
};

// The id of a process that has ended (and been reaped).
pid_t DeadProcessId() {
    pid_t child = fork();
    if (child == 0) _exit(0);
    int status = 0;
    waitpid(child, &status, 0);
    return child;
}

}  // namespace

// A text that is not UTF-8 is taken as Windows-1252 on the way in, so the
// saved document is always one that opens again.
TEST(Encoding, TextsThatAreNotUtf8AreConvertedAndTheSavedDocumentOpensAgain) {
    struct Case {
        const char* given;
        const char* stored;
    } cases[] = {
        {"\xc3\x28", "\xc3\x83("},                  // a broken sequence: 0xC3 is 'Ã'
        {"Tr\xe4ger", "Tr\xc3\xa4ger"},             // "Träger" in the old code page
        {"\x80 5", "\xe2\x82\xac 5"},               // the euro sign
        {"Tr\xc3\xa4ger \xff", "Tr\xc3\xa4ger \xc3\xbf"},  // UTF-8 stays, the stray byte converts
        {"plain", "plain"},
    };
    ScratchDir dir;
    const std::string file = dir.file("enc.vkx");
    ZVDOC d = ZEVUD_CreateDoc(file.c_str());
    DocGuard g(d);
    ZVELEM root = ZEVUD_GetRootElement(d);
    for (size_t i = 0; i < std::size(cases); ++i)
        ASSERT_EQ(ZEVUD_SetString(root, ("t" + std::to_string(i)).c_str(), cases[i].given), 1);
    ASSERT_EQ(ZEVUD_SaveDoc(d), 1);
    ZVDOC back = ZEVUD_OpenDocQuiet(file.c_str());
    ASSERT_NE(back, 0u) << ReadFile(file);
    DocGuard gb(back);
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(zevud::GetString(ZEVUD_GetRootElement(back), "t" + std::to_string(i)), cases[i].stored) << i;
}

TEST(Encoding, AnOldFileInTheEightBitCodePageIsReadAsItsCharacters) {
    ScratchDir dir;
    const std::string file = dir.file("alt.vkx");
    WriteFile(file, "<root name=\"Tr\xe4ger \x84" "a\x93\">St\xfc" "tze</root>");
    ZVDOC d = ZEVUD_OpenDocQuiet(file.c_str());
    ASSERT_NE(d, 0u);
    DocGuard g(d);
    EXPECT_EQ(zevud::GetString(ZEVUD_GetRootElement(d), "name"), "Tr\xc3\xa4ger \xe2\x80\x9e" "a\xe2\x80\x9c");
    ASSERT_EQ(ZEVUD_SaveDoc(d), 1);
    ZVDOC back = ZEVUD_OpenDocQuiet(file.c_str());
    ASSERT_NE(back, 0u);
    ZEVUD_CloseDoc(back);
}

// A character XML 1.0 does not allow (a control character, as a reference or
// raw, or U+FFFF) is refused on reading with the attribute or element named;
// a text holding one set through the library is written as XML allows.
TEST(Encoding, CharactersXmlForbidsAreRefusedAndNeverWritten) {
    struct Case {
        const char* xml;
        const char* named;
    } cases[] = {
        {"<root><input desc=\"a&#17;b\"/></root>", "Attribut \"desc\" des Elements \"input\" enthält das Zeichen 0x11"},
        {"<root><input desc=\"a\x11" "b\"/></root>", "Attribut \"desc\" des Elements \"input\" enthält das Zeichen 0x11"},
        {"<root name=\"&#x1;\"/>", "Attribut \"name\" des Elements \"root\" enthält das Zeichen 0x01"},
        {"<root name=\"&#xFFFF;\"/>", "Attribut \"name\" des Elements \"root\" enthält das Zeichen U+FFFF"},
        {"<root><t>x&#27;</t></root>", "Text des Elements \"t\" enthält das Zeichen 0x1B"},
    };
    ScratchDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.xml);
        const std::string file = dir.file("steuer.vkx");
        WriteFile(file, c.xml);
        winsys::ScopedRecordingSink sink;
        EXPECT_EQ(ZEVUD_OpenDoc(file.c_str()), 0u);
        ASSERT_EQ(sink.messages.size(), 1u);
        EXPECT_NE(sink.messages[0].text.find(c.named), std::string::npos) << sink.messages[0].text;
        EXPECT_EQ(ReadFile(file), c.xml) << "the file stays as it was";
    }
    // A text the program sets with such characters is written in a form
    // XML allows and reads back exactly: tab, line feed and carriage return
    // as they are, the others through this library's private-use pairs.
    const std::string texts[] = {"a\tb\r\nc", "a\x11" "b", std::string("\x01\x1f", 2), "x\xEF\xBF\xBFy",
                                 "\xF4\x8F\xBC\x80 Fluchtzeichen", "\xF4\x8F\xBC\x80\xF4\x8F\xBC\xB1"};
    const std::string file = dir.file("erlaubt.vkx");
    ZVDOC d = ZEVUD_CreateDoc(file.c_str());
    DocGuard g(d);
    for (size_t i = 0; i < std::size(texts); ++i) {
        ASSERT_EQ(ZEVUD_SetString(ZEVUD_GetRootElement(d), ("t" + std::to_string(i)).c_str(), texts[i].c_str()), 1);
    }
    ASSERT_EQ(ZEVUD_SaveDoc(d), 1);
    const std::string saved = ReadFile(file);
    for (size_t i = 0; i < saved.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(saved[i]);
        EXPECT_FALSE(c < 0x20 && c != '\t' && c != '\n' && c != '\r') << "raw control character at " << i;
        if (saved.compare(i, 2, "&#") == 0) {
            const bool hex = i + 2 < saved.size() && saved[i + 2] == 'x';
            const long code = std::strtol(saved.c_str() + i + (hex ? 3 : 2), nullptr, hex ? 16 : 10);
            EXPECT_TRUE(code == 9 || code == 10 || code == 13 || (code >= 0x20 && code < 0xFFFE)) << code;
        }
    }
    EXPECT_EQ(saved.find("\xEF\xBF\xBF"), std::string::npos);
    ZVDOC back = ZEVUD_OpenDocQuiet(file.c_str());
    ASSERT_NE(back, 0u) << saved;
    for (size_t i = 0; i < std::size(texts); ++i)
        EXPECT_EQ(zevud::GetString(ZEVUD_GetRootElement(back), "t" + std::to_string(i)), texts[i]) << i;
    ZEVUD_CloseDoc(back);
}

// A number that does not read completely to a finite number keeps its old
// value but is remembered, with file, element and attribute named.
TEST(Numbers, TextsThatAreNoNumberAreRemembered) {
    struct Case {
        const char* text;
        bool sound;
    } cases[] = {
        {"1.07", true},    {" -2.5e3 ", true}, {"+8", true},      {"0", true},
        {"1e-999", true},  {"x1.07", false},   {"1.07abc", false}, {"", false},
        {"nan", false},    {"-inf", false},    {"inf", false},     {"1e999", false},
        {"1,3,5", false},  {"0x10", false},    {"--1", false},     {"infinity", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        ZVDOC d = ZEVUD_CreateDoc("/tmp/zahlen.vkx");
        DocGuard g(d);
        ZVELEM input = ZEVUD_AddChildElement(ZEVUD_GetRootElement(d), "input");
        ZVELEM section = ZEVUD_AddChildElement(input, "section");
        ZEVUD_SetString(section, "te", c.text);
        (void)ZEVUD_GetDouble(section, "te");
        const std::string error = zevud::GetNumberError(d);
        EXPECT_EQ(error.empty(), c.sound) << error;
        if (!c.sound) {
            EXPECT_NE(error.find("/tmp/zahlen.vkx"), std::string::npos) << error;
            EXPECT_NE(error.find("\"te\""), std::string::npos) << error;
            EXPECT_NE(error.find("input\\section"), std::string::npos) << error;
            EXPECT_EQ(ZEVUD_ClearNumberError(d), 1);
            EXPECT_EQ(zevud::GetNumberError(d), "");
        }
    }
}

TEST(Numbers, EveryNumberReadIsChecked) {
    ZVDOC d = ZEVUD_CreateDoc("");
    DocGuard g(d);
    ZVELEM root = ZEVUD_GetRootElement(d);
    ZVELEM child = ZEVUD_AddChildElement(root, "wert");
    ZEVUD_SetString(root, "n", "12abc");
    ZEVUD_SetString(child, "value", "nan");
    using Read = void (*)(ZVDOC, ZVELEM);
    const Read reads[] = {
        [](ZVDOC, ZVELEM r) { (void)ZEVUD_GetInt(r, "n"); },
        [](ZVDOC, ZVELEM r) { (void)ZEVUD_GetIntWithDefault(r, "n", 3); },
        [](ZVDOC doc, ZVELEM) { (void)ZEVUD_GetIntByPath(doc, "", "n", 3); },
        [](ZVDOC, ZVELEM r) { (void)ZEVUD_GetInt64(r, "n"); },
        [](ZVDOC, ZVELEM r) { (void)ZEVUD_GetDouble(r, "n"); },
        [](ZVDOC, ZVELEM r) { (void)ZEVUD_GetDoubleWithDefault(r, "n", 1.0); },
        [](ZVDOC, ZVELEM r) { (void)ZEVUD_GetDoubleUnderNode(r, "wert"); },
    };
    for (Read read : reads) {
        ZEVUD_ClearNumberError(d);
        read(d, root);
        EXPECT_NE(zevud::GetNumberError(d), "");
    }
    // Absent attributes and strings read as text are no fault.
    ZEVUD_ClearNumberError(d);
    (void)ZEVUD_GetIntWithDefault(root, "fehlt", 1);
    (void)zevud::GetString(root, "n");
    EXPECT_EQ(zevud::GetNumberError(d), "");
}

// The temporary file of a save has a short name of its own, so a target
// name of the longest legal length still saves, and nothing is left behind.
TEST(FileNames, LongestLegalNameSavesAndLeavesNoTemporaryFile) {
    ScratchDir dir;
    for (size_t len : {238u, 250u, 255u}) {
        const std::string name = std::string(len - 4, 'p') + ".vkx";
        const std::string file = dir.file(name);
        ZVDOC d = ZEVUD_CreateDoc(file.c_str());
        DocGuard g(d);
        ZEVUD_SetInt(ZEVUD_GetRootElement(d), "n", static_cast<int32_t>(len));
        ASSERT_EQ(ZEVUD_SaveDoc(d), 1) << len;
        ASSERT_EQ(ZEVUD_SaveDoc(d), 1) << len;
        EXPECT_TRUE(fs::exists(file));
    }
    int entries = 0;
    for (const auto& e : fs::directory_iterator(dir.path())) entries += e.path().extension() == ".vkx" ? 1 : 100;
    EXPECT_EQ(entries, 3) << "only the three documents";
}

TEST(FileNames, BackslashInARealFileNameIsKept) {
    ScratchDir dir;
    const std::string file = dir.file("Halle\\Achse 3.vkx");
    ZVDOC d = ZEVUD_CreateDoc(file.c_str());
    DocGuard g(d);
    ASSERT_EQ(ZEVUD_SaveDoc(d), 1);
    EXPECT_TRUE(fs::exists(dir.path() / "Halle\\Achse 3.vkx"));
    ZVDOC back = ZEVUD_OpenDocQuiet(file.c_str());
    EXPECT_NE(back, 0u);
    if (back) ZEVUD_CloseDoc(back);
    // A stored backslash path of a folder that exists still reads as '/'.
    fs::create_directories(dir.path() / "sub");
    WriteFile(dir.path() / "sub" / "x.vkx", "<root a=\"1\"/>");
    ZVDOC sub = ZEVUD_OpenDocQuiet((dir.path().string() + "\\sub\\x.vkx").c_str());
    EXPECT_NE(sub, 0u);
    if (sub) ZEVUD_CloseDoc(sub);
}

TEST(FileNames, RawFileNameBytesStayValidInTheDocumentAndFindTheFile) {
    ScratchDir dir;
    const std::string raw = (dir.path() / "Profil\xff 100%.skw").string();
    WriteFile(raw, "x");
    const std::string text = winsys::PathToText(raw);
    EXPECT_EQ(text.find('\xff'), std::string::npos);
    EXPECT_EQ(winsys::PathFromText(text), raw);
    EXPECT_EQ(winsys::PathToText("/a/Tr\xc3\xa4ger 100%.skw"), "/a/Tr\xc3\xa4ger 100%.skw") << "UTF-8 stays";
    ZVDOC d = ZEVUD_CreateDoc(dir.file("p.vkx").c_str());
    DocGuard g(d);
    ZEVUD_SetString(ZEVUD_GetRootElement(d), "DBPath", text.c_str());
    ASSERT_EQ(ZEVUD_SaveDoc(d), 1);
    ZVDOC back = ZEVUD_OpenDocQuiet(dir.file("p.vkx").c_str());
    ASSERT_NE(back, 0u);
    EXPECT_EQ(winsys::PathFromText(zevud::GetString(ZEVUD_GetRootElement(back), "DBPath")), raw);
    ZEVUD_CloseDoc(back);
}

TEST(TemporaryFiles, StaleOnesOfDeadProcessesAreRemovedOnTheNextSave) {
    ScratchDir dir;
    const pid_t dead = DeadProcessId();
    const fs::path stale = dir.path() / (".~vk" + std::to_string(dead) + "-3.tmp");
    const fs::path living = dir.path() / (".~vk" + std::to_string(getppid()) + "-0.tmp");
    const fs::path foreign = dir.path() / ".~vkabc-0.tmp";
    for (const fs::path& p : {stale, living, foreign}) WriteFile(p, "<root");
    ZVDOC d = ZEVUD_CreateDoc(dir.file("pos.vkx").c_str());
    DocGuard g(d);
    ASSERT_EQ(ZEVUD_SaveDoc(d), 1);
    EXPECT_FALSE(fs::exists(stale));
    EXPECT_TRUE(fs::exists(living)) << "a running process keeps its file";
    EXPECT_TRUE(fs::exists(foreign)) << "a name of another pattern is not ours";
    EXPECT_EQ(winsys::TempFileBeside(dir.path(), 7).filename().string().size(),
              (".~vk" + std::to_string(getpid()) + "-7.tmp").size());
}

// Mutated documents: the reader never crashes, and whatever it takes in
// saves as a document that opens again with the same content.
TEST(Mutation, MutatedDocumentsAreRefusedOrSaveAsReadableDocuments) {
    const std::string seed =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<root progname=\"RIGEL\" version=\"1.00\">\n"
        "\t<input matBB=\"0\">\n"
        "\t\t<system numOfFields=\"2\"><field_1 length=\"6.5\"><section profName=\"IPE 300\" te=\"1.07\"/>"
        "</field_1></system>\n"
        "\t\t<loads numOfLoads=\"1\"><load_0 lc=\"1\" LCGen=\"1,3\" desc=\"Tr\xc3\xa4ger &amp; St\xc3\xbctze\" "
        "val0=\"-2.5\"/></loads>\n"
        "\t</input>\n"
        "</root>\n";
    ScratchDir dir;
    const std::string in = dir.file("in.vkx"), out = dir.file("out.vkx");
    std::mt19937 rng(53);
    const char alphabet[] = "<>/=\"'&;#x \t\n\xc3\xa4\xff\x80\x00!?-[]CDATA";
    const auto stop = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    int opened = 0, runs = 0;
    winsys::ScopedRecordingSink quiet;
    for (; runs < 4000 && std::chrono::steady_clock::now() < stop; ++runs) {
        std::string bytes = seed;
        const int edits = 1 + static_cast<int>(rng() % 6);
        for (int k = 0; k < edits && !bytes.empty(); ++k) {
            const size_t pos = rng() % bytes.size();
            switch (rng() % 4) {
                case 0: bytes[pos] = alphabet[rng() % (sizeof alphabet - 1)]; break;
                case 1: bytes.erase(pos, 1 + rng() % 8); break;
                case 2: bytes.insert(pos, 1, alphabet[rng() % (sizeof alphabet - 1)]); break;
                default: bytes.insert(pos, bytes.substr(rng() % bytes.size(), 1 + rng() % 16)); break;
            }
        }
        WriteFile(in, bytes);
        ZVDOC d = ZEVUD_OpenDocQuiet(in.c_str());
        if (!d) continue;
        ++opened;
        const zevud::Fingerprint before = zevud::FingerPrint(ZEVUD_GetRootElement(d));
        ASSERT_EQ(ZEVUD_SaveDocAs(d, out.c_str()), 1) << bytes;
        ZEVUD_CloseDoc(d);
        ZVDOC back = ZEVUD_OpenDocQuiet(out.c_str());
        ASSERT_NE(back, 0u) << bytes;
        EXPECT_EQ(zevud::FingerPrint(ZEVUD_GetRootElement(back)), before) << bytes;
        ZEVUD_CloseDoc(back);
    }
    EXPECT_GT(opened, 0);
    EXPECT_GT(runs - opened, 0);
}
