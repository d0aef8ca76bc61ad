// Header tables, renumbering, report conversion and table RTF.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "editor/core/PageBufferList.h"
#include "editor/core/RtfHeaderTables.h"
#include "editor/core/TableRtf.h"

namespace {

CPageBufferList Pages(const std::string& text) {
    CPageBufferList p;
    p.AddText(text);
    return p;
}

TEST(HeaderTables, ColoursFontsAndStyles) {
    const CPageBufferList page = Pages(
        "{\\rtf1{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}{\\f3{\\*\\panose 020b}Arial;}{\\f7\\fnil\\fcharset2 "
        "Symbol;}}\r\n{\\colortbl ;\\red0\\green0\\blue0;\\red7\\green13\\blue255;}\r\n"
        "{\\stylesheet{ Normal;}{\\s2\\sb240 heading 2;}}}");
    std::vector<uint32_t> colours;
    ReadColorList(page, colours);
    EXPECT_EQ(colours, (std::vector<uint32_t>{0, 0, 0xFF0D07}));

    CRtfFontTable fonts;
    int s = 0, e = 0;
    fonts.Read(page, s, e);
    ASSERT_EQ(fonts.GetSize(), 3);
    EXPECT_EQ(fonts.GetName(0), "Arial");
    EXPECT_EQ(fonts.GetName(1), "Arial_");  // a second font of that name
    EXPECT_EQ(fonts.GetName(2), "Symbol");
    EXPECT_EQ(fonts.GetNumber(1), 3);
    EXPECT_EQ(fonts.FirstFreeNumber(), 1);
    EXPECT_EQ(page.GetText(0).substr(static_cast<size_t>(s), 9), "{\\fonttbl");
    EXPECT_EQ(page.GetText(0)[static_cast<size_t>(e) - 1], '}');

    CRtfColorTable colourTable;
    colourTable.Read(page, s, e);
    EXPECT_EQ(colourTable.GetName(0), "default");
    EXPECT_EQ(colourTable.FirstFreeNumber(), 3);

    CRtfStyleTable styles;
    styles.Read(page, s, e);
    ASSERT_EQ(styles.GetSize(), 2);
    EXPECT_EQ(styles.GetName(0), "Normal");
    EXPECT_EQ(styles.GetNumber(0), 0);
    EXPECT_EQ(styles.GetNumber(1), 2);
    EXPECT_EQ(styles.FirstFreeNumber(), 1);

    CRtfColorTable none;
    none.Read(Pages("{\\rtf1 no tables}"), s, e);
    EXPECT_EQ(s, -1);
    EXPECT_EQ(e, -1);
}

TEST(HeaderTables, RenumberCodes) {
    struct Case {
        const char* text;
        const char* expected;
    } cases[] = {
        {"\\f12 a\\f1 b", "\\f5 a\\f7 b"},
        {"\\f1234 x", "\\f9994 x"},  // four digits: "\f123" and a text digit
        {"\\fs20\\f1 y", "\\fs20\\f7 y"},
        {"\\\\f1 text", "\\\\f1 text"},  // an escaped backslash's text
    };
    for (const Case& c : cases) {
        CPageBufferList p = Pages(c.text);
        RenumberCodes({12, 1, 123}, {5, 7, 999}, "\\f", p, -1, -1);
        EXPECT_EQ(p.GetText(0), c.expected);
    }
    // The table's own range stays.
    CPageBufferList p = Pages("{\\fonttbl{\\f1 A;}}\\f1 x");
    RenumberCodes({1}, {4}, "\\f", p, 0, 18);
    EXPECT_EQ(p.GetText(0), "{\\fonttbl{\\f1 A;}}\\f4 x");
}

TEST(ReportConversion, NumbersFollowTheFrameAndMarkersBecomeReportCodes) {
    const std::filesystem::path dir = std::filesystem::path(RIGEL_TEST_TMP) / "editor_core";
    std::filesystem::create_directories(dir);
    const std::string frame = (dir / "frame.rtf").string();
    {
        std::ofstream out(frame, std::ios::binary);
        out << "{\\rtf1{\\fonttbl{\\f0\\froman Times New Roman;}{\\f1\\fswiss Arial;}}"
               "{\\colortbl;\\red0\\green0\\blue0;}{\\stylesheet{ Normal;}}}";
    }
    const std::string page =
        "{\\rtf1\\ansi{\\fonttbl{\\f0\\fswiss Arial;}{\\f1\\fnil Arial;}{\\f2\\fnil Symbol;}}\r\n"
        "{\\colortbl ;\\red0\\green0\\blue0;\\red7\\green13\\blue255;}\r\n"
        "{\\*\\generator Msftedit 5.41.15.1503;}\\viewkind4\\uc1\\pard\\f0\\fs20\\cf2 x\\f1 y\\f2 z\\cf1\\par\r\n"
        "[Seitenumbruch]\\par\r\n\\ulwave a\\ulnone b /*verborgen*/\\par\r\n\\trowd\\cellx1000\\pard\\intbl c\\cell\\row\r\n}";
    CPageBufferList pages = Pages(page);
    ConvertForReport(frame, pages);
    ASSERT_EQ(pages.GetSize(), 1);
    const std::string body = pages.GetText(0);
    EXPECT_EQ(body.find("{\\rtf1"), std::string::npos) << body;
    EXPECT_EQ(body.find("{\\*\\generator Msftedit"), 0u) << body;
    // Both Arial fonts go to the frame's Arial (1), Symbol gets the first free number (2);
    // the formula colour gets the frame's first free colour (2).
    EXPECT_NE(body.find("\\f1\\fs20\\cf2 x\\f1 y\\f2 z\\cf1"), std::string::npos) << body;
    EXPECT_NE(body.find("\\viewkind1"), std::string::npos);
    EXPECT_NE(body.find("\\page \\par"), std::string::npos) << body;
    EXPECT_EQ(body.find("\\ulwave"), std::string::npos);
    EXPECT_NE(body.find("\\v verborgen\\v0 "), std::string::npos) << body;
    EXPECT_NE(body.find("\\trowd\\trkeep\\cellx1000"), std::string::npos);
    EXPECT_EQ(body.back(), '\n');  // the closing brace is gone

    // An unreadable frame: every entry gets a fresh number; without the
    // generator group the body begins behind the last header table.
    CPageBufferList bare = Pages("{\\rtf1{\\fonttbl{\\f5 Arial;}}{\\colortbl ;\\red1\\green2\\blue3;}\\f5\\cf1 t\\par\r\n}");
    ConvertForReport((dir / "fehlt.rtf").string(), bare);
    EXPECT_EQ(bare.GetText(0), "\\f0\\cf1 t\\par\r\n");
}

TEST(TableRtf, BuildParseAndWriteRows) {
    std::string rtf;
    BuildTableRtf(2, 2, {1000, 2000}, {"a", "", "c"}, rtf);
    EXPECT_EQ(rtf.rfind("{\\rtf1\\ansi\\ansicpg1252{\\colortbl ;", 0), 0u);
    EXPECT_NE(rtf.find("\\cellx1000\\cellx3000\\pard\\intbl a\\cell\\cell\\row"), std::string::npos) << rtf;
    EXPECT_NE(rtf.find("\\pard\\intbl c\\cell\\cell\\row\\par}"), std::string::npos) << rtf;

    std::vector<CRtfTableRow> rows;
    ASSERT_EQ(ParseTableRtf(rtf, rows), 2);
    EXPECT_EQ(rows[0].borders, (std::vector<int>{1000, 3000}));
    EXPECT_EQ(rows[0].texts, (std::vector<std::string>{" a", ""}));
    EXPECT_EQ(rows[0].properties, "\\trgaph28\\trpaddl28\\trpaddr28\\trpaddfl3\\trpaddfr3");
    std::string row;
    RowToRtf(rows[0], row);
    EXPECT_EQ(row, rtf.substr(static_cast<size_t>(rows[0].start), static_cast<size_t>(rows[0].end - rows[0].start)));

    EXPECT_EQ(ParseTableRtf("\\trowd\\cellx10\\pard\\intbl x\\nestcell\\row", rows), -1);
    EXPECT_TRUE(rows.empty());
}

}  // namespace
