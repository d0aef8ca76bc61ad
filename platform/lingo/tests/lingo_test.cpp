// Translation catalogue, LINGO_Translate and the formatting of translated formats.
#include "platform/lingo/lingo.h"

#include "platform/winsys/winsys.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

class Catalogue : public testing::Test {
protected:
    void SetUp() override {
        const auto* info = testing::UnitTest::GetInstance()->current_test_info();
        file_ = fs::path(RIGEL_TEST_TMP) / ("lingo_" + std::to_string(getpid()) + "_" + info->name() + ".cat");
        fs::create_directories(file_.parent_path());
    }
    void TearDown() override {
        lingo::LoadCatalogue("");
        std::error_code ec;
        fs::remove(file_, ec);
    }
    void Write(const std::string& text) const { std::ofstream(file_, std::ios::binary) << text; }
    fs::path file_;
};

const char* kApp = "VKT Eingabe";
const char* kSec = "velor_i_common";

}  // namespace

TEST_F(Catalogue, WithoutACatalogueEveryTextStaysAsItIs) {
    EXPECT_EQ(lingo::Translate(kApp, kSec, "RegSettings", "Fehler beim Anlegen"), "Fehler beim Anlegen");
    char buf[64];
    EXPECT_EQ(LINGO_Translate(kApp, kSec, "x", "Lastfälle", buf, sizeof buf), 10);
    EXPECT_STREQ(buf, "Lastfälle");
    EXPECT_EQ(LINGO_Translate(nullptr, nullptr, nullptr, nullptr, buf, sizeof buf), 0);
    EXPECT_STREQ(buf, "");
}

TEST_F(Catalogue, EntriesAreFoundByAllFourKeys) {
    Write("\xEF\xBB\xBF# Katalog\r\n"
          "VKT Eingabe|velor_i_common|RegSettings|Fehler=Error\r\n"
          "\n"
          "VKT Eingabe|velor_i_rigel|RegSettings|Fehler=Mistake\n"
          "VKT Eingabe|velor_i_common|BaseData|Zeile 1\\nZeile 2=Line 1\\nLine 2\n"
          "VKT Eingabe|velor_i_common|BaseData|a\\|b \\= c \\\\ d=x = y | z\n"
          "VKT Ausgabe|velor_o_rigel|RigelDataRTF|Lastfälle=Load cases\n");
    winsys::ScopedRecordingSink sink;
    ASSERT_TRUE(lingo::LoadCatalogue(file_.string()));
    EXPECT_TRUE(sink.messages.empty());
    struct Case {
        const char* app;
        const char* sec;
        const char* area;
        const char* text;
        const char* expected;
    };
    const Case cases[] = {
        {kApp, kSec, "RegSettings", "Fehler", "Error"},
        {kApp, "velor_i_rigel", "RegSettings", "Fehler", "Mistake"},
        {kApp, kSec, "Other", "Fehler", "Fehler"},  // another area: untranslated
        {"VKT Ausgabe", kSec, "RegSettings", "Fehler", "Fehler"},
        {kApp, kSec, "RegSettings", "fehler", "fehler"},  // texts compare exactly
        {kApp, kSec, "BaseData", "Zeile 1\nZeile 2", "Line 1\nLine 2"},
        {kApp, kSec, "BaseData", "a|b = c \\ d", "x = y | z"},
        {"VKT Ausgabe", "velor_o_rigel", "RigelDataRTF", "Lastfälle", "Load cases"},
    };
    for (const auto& c : cases) EXPECT_EQ(lingo::Translate(c.app, c.sec, c.area, c.text), c.expected) << c.text;

    // Unloading brings the originals back.
    ASSERT_TRUE(lingo::LoadCatalogue(""));
    EXPECT_EQ(lingo::Translate(kApp, kSec, "RegSettings", "Fehler"), "Fehler");
}

TEST_F(Catalogue, DamagedLinesAreReportedOnceAndTheRestIsUsed) {
    Write("VKT Eingabe|velor_i_common|A|gut=good\n"
          "kein Gleichheitszeichen\n"
          "VKT Eingabe|velor_i_common|A|x\\q=bad escape\n"
          "a|b|c|d|e=too many fields\n"
          "VKT Eingabe|velor_i_common|A|auch gut=also good\n");
    winsys::ScopedRecordingSink sink;
    ASSERT_TRUE(lingo::LoadCatalogue(file_.string()));
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_NE(sink.messages[0].text.find(" 3 "), std::string::npos) << sink.messages[0].text;
    EXPECT_NE(sink.messages[0].text.find("Zeile 2"), std::string::npos) << sink.messages[0].text;
    EXPECT_EQ(lingo::Translate(kApp, kSec, "A", "gut"), "good");
    EXPECT_EQ(lingo::Translate(kApp, kSec, "A", "auch gut"), "also good");
}

TEST_F(Catalogue, AMissingFileKeepsTheCatalogueInUse) {
    Write("VKT Eingabe|velor_i_common|A|gut=good\n");
    ASSERT_TRUE(lingo::LoadCatalogue(file_.string()));
    EXPECT_FALSE(lingo::LoadCatalogue((file_.parent_path() / "no-such.cat").string()));
    EXPECT_EQ(lingo::Translate(kApp, kSec, "A", "gut"), "good");
}

TEST_F(Catalogue, TheBufferIsCutAtACharacterBoundary) {
    Write("VKT Eingabe|velor_i_common|A|k=Größe\n");  // "Gr", then "ö" in two bytes
    ASSERT_TRUE(lingo::LoadCatalogue(file_.string()));
    struct Case {
        int size;
        const char* expected;
    };
    const Case cases[] = {{64, "Größe"}, {8, "Größe"}, {7, "Größ"}, {5, "Grö"}, {4, "Gr"}, {3, "Gr"}, {1, ""}};
    for (const auto& c : cases) {
        char buf[64];
        std::memset(buf, 'Z', sizeof buf);
        EXPECT_EQ(LINGO_Translate(kApp, kSec, "A", "k", buf, c.size), 7) << c.size;
        EXPECT_STREQ(buf, c.expected) << c.size;
    }
    EXPECT_EQ(LINGO_Translate(kApp, kSec, "A", "k", nullptr, 0), 7);
    char one = 'Z';
    EXPECT_EQ(LINGO_Translate(kApp, kSec, "A", "k", &one, 0), 7);
    EXPECT_EQ(one, 'Z');
}

TEST(FormatTranslated, UsesTheTranslationOnlyWhenItsConversionsMatch) {
    struct Case {
        const char* translated;
        const char* expected;
    };
    const char* original = "Die Funktion '%s' in der dll '%s' wurde nicht gefunden (%d, %.2lf)!";
    const Case cases[] = {
        {"The function '%s' of '%s' was not found (%d, %.3f)!",
         "The function 'RIREZ_Aver' of 'Tovik.dll' was not found (7, 2.500)!"},
        {"Function '%s' not found in '%s' (%ld, %e)",  // %ld for %d, %e for %f: same kinds
         "Function 'RIREZ_Aver' not found in 'Tovik.dll' (7, 2.500000e+00)"},
        {"'%s' (%d, %.2f)",  // one fewer
         "Die Funktion 'RIREZ_Aver' in der dll 'Tovik.dll' wurde nicht gefunden (7, 2.50)!"},
        {"'%s' '%s' (%.2f, %d)",  // order changed
         "Die Funktion 'RIREZ_Aver' in der dll 'Tovik.dll' wurde nicht gefunden (7, 2.50)!"},
        {"'%s' '%d' (%d, %.2f)",  // kind changed
         "Die Funktion 'RIREZ_Aver' in der dll 'Tovik.dll' wurde nicht gefunden (7, 2.50)!"},
        {"'%s' '%s' (%c, %.2f)",  // a character is no number
         "Die Funktion 'RIREZ_Aver' in der dll 'Tovik.dll' wurde nicht gefunden (7, 2.50)!"},
        {"'%s' '%s' (%d, %.2f) %n",  // "%n" is never used
         "Die Funktion 'RIREZ_Aver' in der dll 'Tovik.dll' wurde nicht gefunden (7, 2.50)!"},
        {"'%2$s' '%1$s' (%d, %.2f)",  // numbered arguments are not taken
         "Die Funktion 'RIREZ_Aver' in der dll 'Tovik.dll' wurde nicht gefunden (7, 2.50)!"},
        {"100%% '%s' '%s' (%d, %.2f)", "100% 'RIREZ_Aver' 'Tovik.dll' (7, 2.50)"},  // "%%" takes nothing
    };
    for (const auto& c : cases)
        EXPECT_EQ(lingo::FormatTranslated(original, c.translated, "RIREZ_Aver", std::string("Tovik.dll"), 7, 2.5),
                  c.expected)
            << c.translated;
}

TEST(FormatTranslated, EachArgumentIsPrintedAsTheTypeItHas) {
    const int32_t stored = -5;
    EXPECT_EQ(lingo::FormatTranslated("%ld", "%ld", stored), "-5");  // "%ld" stands for a 32-bit value
    EXPECT_EQ(lingo::FormatTranslated("%d", "%d", 5000000000LL), "5000000000");
    EXPECT_EQ(lingo::FormatTranslated("%5d|%-4ld|", "%5d|%-4ld|", 42, 7L), "   42|7   |");
    EXPECT_EQ(lingo::FormatTranslated("%u", "%u", -1), "4294967295");
    EXPECT_EQ(lingo::FormatTranslated("%x", "%x", 255u), "ff");
    EXPECT_EQ(lingo::FormatTranslated("%c%c", "%c%c", 'O', 'K'), "OK");
    EXPECT_EQ(lingo::FormatTranslated("%*.*f", "%*.*f", 8, 3, 3.14159), "   3.142");
    EXPECT_EQ(lingo::FormatTranslated("%.1f", "%.1f", 2.25f), "2.2");
    EXPECT_EQ(lingo::FormatTranslated("%s", "%s", static_cast<const char*>(nullptr)), "(null)");
    EXPECT_EQ(lingo::FormatTranslated("%.3s", "%.3s", "abcdef"), "abc");
    EXPECT_EQ(lingo::FormatTranslated("ohne", "without"), "without");
    EXPECT_EQ(lingo::FormatTranslated("%d%%", "%d %%", true), "1 %");
}

TEST(FormatTranslated, AConversionWithoutAFittingArgumentStaysAsText) {
    EXPECT_EQ(lingo::FormatTranslated("Feld %d von %s", "Feld %d von %s", 3), "Feld 3 von %s");  // missing
    EXPECT_EQ(lingo::FormatTranslated("Wert %d", "Wert %d", 2.5), "Wert %d");                    // wrong kind
    EXPECT_EQ(lingo::FormatTranslated("Name %s", "Name %s", 17), "Name %s");
    EXPECT_EQ(lingo::FormatTranslated("%f", "%f", "text"), "%f");
    EXPECT_EQ(lingo::FormatTranslated("kaputt %", "broken %", 1), "kaputt %");  // malformed original
    EXPECT_EQ(lingo::FormatTranslated("%d", "%d", 1, 2, 3), "1");                // extra arguments are ignored
}

namespace {
// Child of the test below: translates with the catalogue named by the
// environment and tells by its exit code whether the entry was found.
const bool g_envChild = [] {
    if (!std::getenv("LINGO_TEST_ENV_CHILD")) return false;
    std::_Exit(lingo::Translate(kApp, kSec, "A", "gut") == "good" ? 0 : 4);
}();
}  // namespace

TEST_F(Catalogue, TheEnvironmentNamesTheCatalogueInUseAtStart) {
    Write("VKT Eingabe|velor_i_common|A|gut=good\n");
    setenv("VELOR_LINGO_CATALOGUE", file_.c_str(), 1);
    setenv("LINGO_TEST_ENV_CHILD", "1", 1);
    long pid = winsys::StartProcess({fs::read_symlink("/proc/self/exe").string()});
    unsetenv("LINGO_TEST_ENV_CHILD");
    unsetenv("VELOR_LINGO_CATALOGUE");
    ASSERT_GT(pid, 0);
    EXPECT_EQ(winsys::WaitProcess(pid), 0);
}
