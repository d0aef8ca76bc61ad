// The formula text engine on pages as the rich-edit control writes them:
// automatic colour first, formula colour as \cf2, lines ending in \par CR LF.
#include "editor/core/FormulaText.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "formula/VariableTable.h"
#include "module/frame/ModuleState.h"
#include "module/frame/RegSettings.h"
#include "platform/winsys/winsys.h"
#include "platform/zozudeda/zozudeda.h"

namespace {

// Settings of this process only (the tests switch the error marks off).
class PrivateSettings : public ::testing::Environment {
public:
    void SetUp() override {
        const std::string dir = std::string(RIGEL_TEST_TMP) + "/formula_text_" + std::to_string(::getpid());
        setenv("VELOR_REGISTRY_DIR", dir.c_str(), 1);
        winsys::RegistryReload();
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::remove_all(std::string(RIGEL_TEST_TMP) + "/formula_text_" + std::to_string(::getpid()), ec);
    }
};
const auto* const g_settings = ::testing::AddGlobalTestEnvironment(new PrivateSettings);

const std::string kHeader =
    "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}{\\f1\\froman\\fcharset2 Symbol;}}\r\n"
    "{\\colortbl ;\\red0\\green0\\blue0;\\red7\\green13\\blue255;}\r\n"
    "{\\*\\generator Msftedit 5.41.15.1503;}\\viewkind4\\uc1\\pard\\f0\\fs20 ";

// A page whose formula lines are written in the formula colour, one line each.
std::string Page(const std::vector<std::string>& lines) {
    std::string body = "\\cf1 Vortext\\par\r\n\\cf2 ";
    for (const std::string& l : lines) body += l + "\\par\r\n";
    return kHeader + body + "\\cf1 Ende\\par\r\n}";
}

struct Calc {
    std::string text;
    std::vector<CFormulaRecord> records;
    CVariableTable table;
};

void Calculate(Calc& run, const std::string& page, int session = 0) {
    CPageBufferList pages;
    pages.AddText(page);
    CalculateRtfFormulas(pages, kFormulaColour, run.records, session, nullptr, &run.table);
    ASSERT_EQ(pages.GetSize(), 1);
    run.text = pages.GetText(0);
}

double Value(CVariableTable& t, const std::string& name) {
    double v = -1;
    EXPECT_TRUE(t.Evaluate(name, v)) << name;
    return v;
}

bool Defined(CVariableTable& t, const std::string& name) {
    double v = 0;
    return t.Evaluate(name, v) && t.GetMessages().empty();
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(FormulaLines, DefineAndWrite) {
    struct Case {
        std::vector<std::string> lines;
        const char* name;     // defined name ("" = check it stays undefined)
        double value;         // its value
        const char* written;  // text the page holds afterwards
    } cases[] = {
        {{"b = 20"}, "b", 20, "b = 20\\par"},
        {{"b = 20,50"}, "b", 20.5, "b = 20.50\\par"},
        {{"b = 20", "h = 30", "A = b*h = #.##"}, "A", 600, "A = b*h = 600.00\\par"},
        {{"b = 2", "h = 3", "b*h = 0.0"}, "", 0, "b*h = 6.0\\par"},
        {{"b = 2", "h = 3", "A = b*h"}, "A", 6, "A = b*h\\par"},
        {{"x = 1 = 2 = 3"}, "", 0, "x = 1 = 2 = 3\\par"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lines.back());
        Calc run;
        Calculate(run, Page(c.lines));
        EXPECT_TRUE(Contains(run.text, c.written)) << run.text;
        if (*c.name) {
            EXPECT_DOUBLE_EQ(Value(run.table, c.name), c.value);
        } else {
            EXPECT_FALSE(Defined(run.table, "x"));
        }
    }
    // "b*h = 0.0" defines nothing besides b and h.
    Calc run;
    Calculate(run, Page({"b*h = 0.0"}));
    EXPECT_EQ(run.records.size(), 1u);
    EXPECT_EQ(run.records[0].kind, CFormulaRecord::Evaluation);
    EXPECT_EQ(run.records[0].decimals, 1);
}

TEST(FormulaLines, ParseKinds) {
    struct Case {
        const char* plain;
        int kind;
        const char* name;
        const char* expression;
        const char* result;
        int decimals;
    } cases[] = {
        {"20,5", CFormulaRecord::Number, "", "", "20,5", 1},
        {"Text ohne Formel", CFormulaRecord::None, "", "", "", 2},
        {"b = 20", CFormulaRecord::Definition, "b", "20", "20", 0},
        {"A = b*h", CFormulaRecord::Definition, "A", "b*h", "", 2},
        {"b*h = #.###", CFormulaRecord::Evaluation, "", "b*h", "#.###", 3},
        {"b*h == 1.5", CFormulaRecord::Evaluation, "", "b*h", "1.5", 1},
        {"A = b*h = #.##", CFormulaRecord::DefinitionWithResult, "A", "b*h", "#.##", 2},
        {"S = SUMME(2) = #.#", CFormulaRecord::DefinitionWithResult, "S", "SUMME(2)", "#.#", 1},
        {"a = b = c = 1", CFormulaRecord::None, "", "", "", 2},
        {"SUMME = 3", CFormulaRecord::Evaluation, "", "SUMME", "3", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.plain);
        CFormulaRecord r;
        r.plain = c.plain;
        r.rtf = c.plain;
        EXPECT_EQ(ParseFormulaRecord(r), c.kind);
        EXPECT_EQ(r.name, c.name);
        EXPECT_EQ(r.expression, c.expression);
        EXPECT_EQ(r.result, c.result);
        if (*c.result) {
            EXPECT_EQ(r.decimals, c.decimals);
        }
    }
}

TEST(FormulaLines, UnknownVariableIsMarkedUntilDefined) {
    Calc run;
    Calculate(run, Page({"A = x*2 = #.##"}));
    EXPECT_TRUE(Contains(run.text, "\\ulwave")) << run.text;
    EXPECT_TRUE(Contains(run.text, "\\ulnone ")) << run.text;
    EXPECT_TRUE(Contains(run.text, "[(")) << run.text;
    ASSERT_EQ(run.records.size(), 1u);
    EXPECT_EQ(run.records[0].messageCode, 32);

    // The user defines x above the line: the next run takes the mark away.
    std::string fixed = run.text;
    const std::string at = "\\cf2 ";
    fixed.insert(fixed.find(at) + at.size(), "x = 4\\par\r\n");
    Calc again;
    Calculate(again, fixed);
    EXPECT_FALSE(Contains(again.text, "\\ulwave")) << again.text;
    EXPECT_FALSE(Contains(again.text, "\\ulnone")) << again.text;
    EXPECT_FALSE(Contains(again.text, "[(")) << again.text;
    EXPECT_TRUE(Contains(again.text, "A = x*2 = 8.00\\par")) << again.text;
}

TEST(FormulaLines, MessagesAreEscapedAndSettingsSilenceThem) {
    // A message with braces and umlauts must not break the RTF.
    Calc run;
    Calculate(run, Page({"A = {x} = #.##"}));
    int depth = 0;
    for (size_t i = 0; i < run.text.size(); ++i) {
        if (run.text[i] == '\\') {
            ++i;
            continue;
        }
        depth += run.text[i] == '{' ? 1 : run.text[i] == '}' ? -1 : 0;
        ASSERT_GE(depth, 0);
    }
    EXPECT_EQ(depth, 0) << run.text;
    for (unsigned char c : run.text) EXPECT_LT(c, 0x80) << run.text;

    // "bGenErrors" 0: no marks.
    GetRegSettings().SetInt("Quill", "bGenErrors", 0);
    Calc silent;
    Calculate(silent, Page({"A = x*2 = #.##"}));
    GetRegSettings().SetInt("Quill", "bGenErrors", 1);
    EXPECT_FALSE(Contains(silent.text, "\\ulwave")) << silent.text;
    EXPECT_FALSE(Contains(silent.text, "[(")) << silent.text;
}

TEST(FormulaLines, TextFunctions) {
    struct Case {
        std::vector<std::string> lines;
        const char* name;
        double value;
        const char* label;  // "" = none expected
    } cases[] = {
        // 1.004 < 1 + 0.005 with two decimals: fulfilled.
        {{"e = @checkmax(1.004; 1) = #.##"}, "e", 1.004, "[<1.00]"},
        {{"e = @checkmax(1.01; 1) = #.##"}, "e", 1.01, "[<1.00 Nicht erf\\'fcllt!]"},
        {{"e = @checkmin(0.996; 1) = #.##"}, "e", 0.996, "[>1.00]"},
        {{"e = @checkmin(0.99; 1) = #.##"}, "e", 0.99, "[>1.00 Nicht erf\\'fcllt!]"},
        // 4 bars of 12 mm: 4 * pi * 0.6^2 = 4.52389 cm2.
        {{"As = @druckeas(4; 12) = #.#####"}, "As", 4.52389, "[gew\\'e4hlt: 4 \\f1 \\'c6\\f0  12]"},
        // Two legs of 10 mm every 20 cm: 2 * 100 * pi * 0.5^2 / 20 = 7.85398 cm2/m.
        {{"as = @druckeasb(2; 10; 20) = #.#####"}, "as", 7.85398, "[2-schnittig, \\f1 \\'c6\\f0  10 alle 20.0 cm]"},
        {{"m = @max(1; 7; 3)"}, "m", 7, ""},
        {{"m = @min(4; @max(2; 5); 3)"}, "m", 3, ""},
        {{"a = 10", "b = 20", "S = SUMME(2) = #.##"}, "S", 30, ""},
        {{"a = 10", "b = 20", "c = 5", "S = SUMME(2) = #.##"}, "S", 25, ""},
        // Unbalanced sum markers: no sum ranges, "SUMME" sums nothing.
        {{"/*S+*/a = 10", "b = 20", "S = SUMME = #.##"}, "S", 0, ""},
        {{"/*S+*/a = 10", "b = 20/*S-*/", "S = SUMME = #.##"}, "S", 20, ""},
        // A call without its parentheses ends the search with a message.
        {{"m = @max = #.##"}, "m", 0, "[("},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lines.back());
        Calc run;
        Calculate(run, Page(c.lines));
        EXPECT_NEAR(Value(run.table, c.name), c.value, 1e-5);
        if (*c.label) {
            EXPECT_TRUE(Contains(run.text, c.label)) << run.text;
        }
    }
}

TEST(FormulaLines, ScriptFunctionsAndGreekLetters) {
    const int session = ZOZUDEDA_StartSession();
    ASSERT_EQ(ZOZUDEDA_AddMacro(session,
                                "function Flaeche(b, h) return b * h end\n"
                                "function Guete(fy) if fy >= 35.5 then return fy, \"S355\" end return fy, \"S235\" end\n"),
              1);
    Calc run;
    Calculate(run,
              Page({"A = @Flaeche(2; 3) = #.##", "f = @Guete(23.5) = #.# []", "u = @Unbekannt(1) = #.##",
                    "\\f1 a\\f0  = 3", "w = alpha*2"}),
              session);
    EXPECT_DOUBLE_EQ(Value(run.table, "A"), 6);
    EXPECT_DOUBLE_EQ(Value(run.table, "f"), 23.5);
    EXPECT_TRUE(Contains(run.text, "[S235]")) << run.text;
    EXPECT_DOUBLE_EQ(Value(run.table, "alpha"), 3);
    EXPECT_DOUBLE_EQ(Value(run.table, "w"), 6);
    ASSERT_EQ(run.records.size(), 5u);
    EXPECT_TRUE(Contains(run.records[2].messageText, "Unbekannt")) << run.records[2].messageText;
    ZOZUDEDA_EndSession(session);
}

TEST(FormulaLines, ScriptTextsAreEscaped) {
    const int session = ZOZUDEDA_StartSession();
    ASSERT_EQ(ZOZUDEDA_AddMacro(session, "function Roh() return 1, '{a}\\\\b \\u{e4}' end\n"), 1);
    Calc run;
    Calculate(run, Page({"r = @Roh() = #.##"}), session);
    EXPECT_DOUBLE_EQ(Value(run.table, "r"), 1);
    EXPECT_TRUE(Contains(run.text, "[\\{a\\}\\\\b \\'e4]")) << run.text;
    ZOZUDEDA_EndSession(session);
}

TEST(FormulaLines, PagesWithoutFormulaColourStayByteForByte) {
    const std::string page =
        "{\\rtf1\\ansi{\\fonttbl{\\f0\\fswiss Arial;}}{\\colortbl ;\\red0\\green0\\blue0;}\\viewkind4\\cf1 b = 20\\par\r\n}";
    Calc run;
    Calculate(run, page);
    EXPECT_EQ(run.text, page);
    EXPECT_TRUE(run.records.empty());
    CPageBufferList pages;
    pages.AddText(page);
    EXPECT_EQ(GetColourIndex(pages, kFormulaColour), -1);
    pages.SetOnlyText(Page({}));
    EXPECT_EQ(GetColourIndex(pages, kFormulaColour), 2);
}

TEST(FormulaLines, ColourCodeIsMatchedWhole) {
    // \cf21 is another colour than \cf2.
    std::string page = Page({});
    page.insert(page.rfind("}"), "\\cf21 q = 5\\par\r\n");
    Calc run;
    Calculate(run, page);
    EXPECT_FALSE(Defined(run.table, "q"));
}

}  // namespace
