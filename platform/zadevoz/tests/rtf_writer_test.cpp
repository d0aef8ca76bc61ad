// The RTF writer, driven the way the kernel, the report writers, the variable
// listing and the editor export drive it, and read back with an independent
// small RTF reader.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <map>
#include <set>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/emf/emf.h"
#include "platform/winsys/winsys.h"
#include "platform/zadevoz/zadevoz.h"
#include "testsupport/rtf_reader.h"

namespace fs = std::filesystem;
using namespace zadevoz;

namespace {

class RtfTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::path(RIGEL_TEST_TMP) / ("rtf_" + std::to_string(::getpid()) + "_" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        RtfResetReport();
    }
    void TearDown() override {
        RtfResetReport();
        fs::remove_all(dir_);
    }
    std::string Path(const std::string& name) const { return (dir_ / name).string(); }

    // A metafile of 159 x 46 units with a few strokes, as the kernel draws.
    std::string MakeEmf(const std::string& name) {
        std::string p = Path(name);
        emf::HDC dc = emf::CreateEnhMetaFile(p, 159, 46);
        emf::HGDIOBJ pen = emf::CreatePen(emf::PS_SOLID, 0, emf::RGB(0, 0, 0));
        emf::HGDIOBJ old = emf::SelectObject(dc, pen);
        emf::MoveToEx(dc, 0, 0);
        emf::LineTo(dc, 159, 46);
        emf::SelectObject(dc, old);
        emf::DeleteObject(pen);
        emf::DeleteEnhMetaFile(emf::CloseEnhMetaFile(dc));
        return p;
    }

    // A PNG header of 40 x 20 pixels at 300 dpi (enough for the embedding).
    std::string MakePng(const std::string& name) {
        auto be32 = [](std::string& s, uint32_t v) {
            for (int i = 3; i >= 0; --i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
        };
        std::string d = "\x89PNG\r\n\x1a\n";
        be32(d, 13);
        d += "IHDR";
        be32(d, 40);
        be32(d, 20);
        d += std::string("\x08\x02\x00\x00\x00", 5);
        be32(d, 0);
        be32(d, 9);
        d += "pHYs";
        be32(d, 11811);
        be32(d, 11811);
        d += '\x01';
        be32(d, 0);
        be32(d, 0);
        d += "IEND";
        be32(d, 0);
        std::string p = Path(name);
        std::ofstream(p, std::ios::binary) << d;
        return p;
    }

    fs::path dir_;
};

std::string Header(const std::vector<std::string>& fields) {
    std::string h;
    for (const std::string& f : fields) {
        h += f;
        h += '\0';
    }
    h += '\0';
    return h;
}

// Every operation once, in the order the report writers use them.
TEST_F(RtfTest, DocumentThroughEveryOperationReadsBack) {
    winsys::ScopedRecordingSink sink;

    // A first document, written and then appended into the report (as the
    // c/t check and the variable listing are).
    std::string part = Path("ctnachweis.tmp.rtf");
    ASSERT_EQ(RtfOpenDocument(part, 0, 1, 0, "nologo\0\0"), 1);
    RtfWriteText(-3, "Nachweis c/t");
    RtfBeginTable({4.0, 4.0});
    RtfBeginRow(0);
    RtfWriteCell("\\ql Flansch oben");
    RtfWriteNumberCell("@2", 12.345);
    RtfEndTable();
    ASSERT_EQ(RtfCloseDocument(0), 1);

    std::string emfPath = MakeEmf("result.emf");
    std::string pngPath = MakePng("bild.png");
    std::string report = Path("Pos1.rtf");

    RtfResetReport();
    RtfSetOutputFile(report);
    ASSERT_EQ(RtfOpenDocument("", 0, 1, 3,
                              Header({"Name=Rigel", "Titel=Stahlträger", "Version=V 1.0", "@T=Halle 3",
                                      "@A=Projekt A", "@P=Pos 1"})),
              1);
    const int styles[] = {0, 1, 2, 3, 4, -1, -2, -3, -4, -5, -7};
    for (int st : styles) RtfWriteText(st, "Stil " + std::to_string(st));
    RtfWriteText(-10, "{\\b eingefügt}\\par");
    RtfWriteRaw("{\\par \\pard}");

    // Table: two header rows, body rows; one row opens with an empty
    // leading cell before the row call; the last row is left short.
    RtfBeginTable({1.4, 1.9, 1.9});
    RtfWriteCell("");  // an empty leading cell before the row call
    RtfBeginRow(1);
    RtfWriteCell("\\qc N");
    RtfWriteCell("\\qc V\\sub z");
    RtfWriteCell("\\qc Knoten");
    RtfWriteCell("\\qc kN");
    RtfWriteCell("\\qc kN");
    RtfBeginRow(0);
    RtfWriteIntCell("K @0", 12);
    RtfWriteNumberCell("@2", -3.14159);
    RtfWriteNumberCell("%.2lf", 0);
    RtfWriteCell("");
    RtfBeginRow(0);
    RtfWriteCell("\\qr 7");
    RtfWriteNumberCell("@1", 2.26);
    RtfWriteIntCell("Lf: @0", 4);
    RtfEndTable();

    ASSERT_EQ(RtfInsertPicture(emfPath, 0, 0, 0, 0, 0), 1);
    std::string emfBytes = rtftest::ReadFile(emfPath);
    std::ofstream(emfPath, std::ios::binary | std::ios::trunc) << "overwritten";  // caller reuses the name
    ASSERT_EQ(RtfInsertPictureLeft(pngPath, 1, 4.0, 0, 0, 0), 1);
    ASSERT_EQ(RtfAppendFile(part, "", 10, 0), 1);
    fs::remove(part);  // the caller deletes it after the call
    ASSERT_EQ(RtfCloseDocument(0), 1);
    EXPECT_TRUE(sink.messages.empty());

    rtftest::Document doc = rtftest::ParseRtfFile(report);
    ASSERT_TRUE(doc.ok) << doc.error;
    // The variable listing's editor form replaces this exact colour text.
    EXPECT_NE(rtftest::ReadFile(report).find("\\red0\\green0\\blue255;"), std::string::npos);
    ASSERT_GE(doc.fonts.size(), 3u);
    EXPECT_EQ(doc.fonts[2], "Symbol");
    ASSERT_GE(doc.colors.size(), 3u);
    EXPECT_EQ(doc.colors[2], (std::array<int, 3>{0, 0, 255}));
    EXPECT_EQ(doc.firstPage, 3);

    for (const char* text : {"Rigel", "Stahlträger", "V 1.0", "Halle 3", "Projekt A", "Pos 1", "Seite"})
        EXPECT_NE(doc.header.find(text), std::string::npos) << text;

    // Paragraph styles: distinct style numbers for the levels, headings
    // below -5 take the lowest level.
    std::map<int, int> styleOf;
    for (const auto& p : doc.paragraphs)
        if (p.text.rfind("Stil ", 0) == 0) styleOf[std::stoi(p.text.substr(5))] = p.style;
    ASSERT_EQ(styleOf.size(), std::size(styles));
    std::set<int> distinct;
    for (int st : {0, 1, 2, 3, 4, -1, -2, -3, -4, -5}) distinct.insert(styleOf[st]);
    EXPECT_EQ(distinct.size(), 10u);
    EXPECT_EQ(styleOf[-7], styleOf[-5]);
    bool inserted = false;
    for (const auto& p : doc.paragraphs) inserted |= p.text.find("eingefügt") != std::string::npos;
    EXPECT_TRUE(inserted);

    // Tables: the report table and the appended one; every row has as many
    // cells as the table has columns.
    ASSERT_EQ(doc.tables.size(), 2u);
    const auto& t = doc.tables[0];
    ASSERT_EQ(t.size(), 5u);
    for (const auto& row : t) {
        EXPECT_EQ(row.cells.size(), 3u);
        EXPECT_EQ(row.cellDefs, 3);
    }
    EXPECT_TRUE(t[0].header);
    EXPECT_TRUE(t[1].header);
    EXPECT_FALSE(t[2].header);
    EXPECT_EQ(t[0].cells, (std::vector<std::string>{"", "N", "Vz"}));
    EXPECT_EQ(t[1].cells[0], "Knoten");
    EXPECT_EQ(t[2].cells, (std::vector<std::string>{"K 12", "-3.14", "%.2lf"}));
    EXPECT_EQ(t[3].cells, (std::vector<std::string>{"", "7", "2.3"}));
    EXPECT_EQ(t[4].cells, (std::vector<std::string>{"Lf: 4", "", ""}));
    ASSERT_EQ(doc.tables[1].size(), 1u);
    EXPECT_EQ(doc.tables[1][0].cells, (std::vector<std::string>{"Flansch oben", "12.35"}));
    bool appendedTitle = false;
    for (const auto& p : doc.paragraphs) appendedTitle |= p.text == "Nachweis c/t";
    EXPECT_TRUE(appendedTitle);

    // Pictures: embedded as they were at the time of the call.
    ASSERT_EQ(doc.pictures.size(), 2u);
    EXPECT_EQ(doc.pictures[0].blip, "emfblip");
    EXPECT_EQ(doc.pictures[0].bytes, emfBytes);
    EXPECT_EQ(doc.pictures[0].goalW, std::lround(15.9 * 1440 / 2.54));  // own size: 159 mm
    EXPECT_EQ(doc.pictures[0].goalH, std::lround(4.6 * 1440 / 2.54));
    EXPECT_EQ(doc.pictures[1].blip, "pngblip");
    EXPECT_EQ(doc.pictures[1].bytes, rtftest::ReadFile(pngPath));
    EXPECT_EQ(doc.pictures[1].goalW, std::lround(4.0 * 1440 / 2.54));
    EXPECT_EQ(doc.pictures[1].goalH, std::lround(2.0 * 1440 / 2.54));  // 40 x 20 pixels: half as high
}

// The page header names the project and the position, carries the date of
// the report and "Seite n von m" (the count only where the pages start at 1).
TEST_F(RtfTest, HeaderCarriesPositionDateAndPageCount) {
    const std::time_t now = std::time(nullptr);
    std::tm t{};
    localtime_r(&now, &t);
    char today[32];
    std::snprintf(today, sizeof today, "%02d.%02d.%04d", t.tm_mday, t.tm_mon + 1, t.tm_year + 1900);
    struct Case {
        int firstPage;
        bool count;
    };
    for (const Case c : {Case{1, true}, Case{4, false}}) {
        const std::string file = Path("kopf" + std::to_string(c.firstPage) + ".rtf");
        ASSERT_EQ(RtfOpenDocument(file, 0, 0, c.firstPage,
                                  Header({"Name=Rigel", "Titel=Stahlträger", "@A=Halle Nord", "@P=Pos 7 – Pfette"})),
                  1);
        RtfWriteText(0, "Text");
        ASSERT_EQ(RtfCloseDocument(0), 1);
        const std::string raw = rtftest::ReadFile(file);
        rtftest::Document doc = rtftest::ParseRtf(raw);
        ASSERT_TRUE(doc.ok) << doc.error;
        for (const std::string text :
             {std::string("Projekt: Halle Nord"), std::string("Position: Pos 7 – Pfette"), std::string(today),
              std::string("Seite")})
            EXPECT_NE(doc.header.find(text), std::string::npos) << text << " in " << doc.header;
        EXPECT_EQ(raw.find("\\fldinst PAGE") != std::string::npos, true);
        EXPECT_EQ(raw.find("\\fldinst NUMPAGES") != std::string::npos, c.count) << c.firstPage;
        EXPECT_EQ(doc.header.find(" von ") != std::string::npos, c.count) << doc.header;
    }
}

// Text outside ASCII is written as escapes (the file stays 7-bit) and reads
// back as the same text, in paragraphs, cells and the page header.
TEST_F(RtfTest, NonAsciiTextRoundTrips) {
    const std::vector<std::string> texts = {
        "Länge ä ö ü ß Ä Ö Ü", "kN/m² bei 20 °C", "σ ≤ f_yd · γ", "Spannungsnachweis € 5 – ok", "Emoji 😀 bleibt",
    };
    std::string file = Path("umlaut.rtf");
    ASSERT_EQ(RtfOpenDocument(file, 1, 1, 1, Header({"Titel=Kranbahnträger für 5 t"})), 1);
    RtfBeginTable({8.0});
    for (const auto& t : texts) RtfWriteCell(t);
    RtfEndTable();
    for (const auto& t : texts) RtfWriteText(0, t);
    RtfWriteText(0, std::string("Latin-1 \xE4 bleibt lesbar"));  // not UTF-8: taken as Windows-1252
    ASSERT_EQ(RtfCloseDocument(0), 1);

    std::string raw = rtftest::ReadFile(file);
    for (unsigned char c : raw) ASSERT_LT(c, 0x80) << "raw byte outside ASCII";
    rtftest::Document doc = rtftest::ParseRtf(raw);
    ASSERT_TRUE(doc.ok) << doc.error;
    ASSERT_EQ(doc.tables.size(), 1u);
    ASSERT_EQ(doc.tables[0].size(), texts.size());
    std::vector<std::string> paras;
    for (const auto& p : doc.paragraphs)
        if (!p.text.empty()) paras.push_back(p.text);
    ASSERT_EQ(paras.size(), texts.size() + 1);
    for (size_t i = 0; i < texts.size(); ++i) {
        EXPECT_EQ(doc.tables[0][i].cells[0], texts[i]);
        EXPECT_EQ(paras[i], texts[i]);
    }
    EXPECT_EQ(paras.back(), "Latin-1 ä bleibt lesbar");
    EXPECT_NE(doc.header.find("Kranbahnträger für 5 t"), std::string::npos);
    EXPECT_EQ(doc.header.find("Seite"), std::string::npos);  // page numbers switched off
}

// Text in the Symbol font ("{\f2 g}" for gamma, as the report writers write
// their Greek letters) is written as the Unicode characters it stands for, in
// the font around it, so that readers whose "Symbol" font lacks those glyphs
// show them too; paragraphs, cells and merged documents alike.
TEST_F(RtfTest, SymbolFontTextIsWrittenAsUnicode) {
    struct Case {
        std::string in, text;
    };
    const std::vector<Case> cases = {
        {"{\\f2 g}{\\sub M1} = 1.10", "\xCE\xB3M1 = 1.10"},                     // gamma
        {"I{\\sub \\f2 w\\f1 } [cm{\\super 6}]", "I\xCF\x89 [cm6]"},             // omega, font switched back
        {"{\\f2 s}{\\sub x} \\'a3 {\\f2 \\'a3} f{\\sub yd}", "\xCF\x83x \xC2\xA3 \xE2\x89\xA4 fyd"},  // pound, then <=
        {"{\\f2 \xC2\xB3} 1", "\xE2\x89\xA5 1"},                                 // Symbol byte 0xB3 given as UTF-8: >=
        {"\\b\\f2 1\\f1 x", "1x"},                                               // a digit stays a digit, \b stays \b
        {"{\\f2 D}l, {\\f2 a}{\\sub t}", "\xCE\x94l, \xCE\xB1t"},                // Delta, alpha
        {"\\f2 t\\plain t", "\xCF\x84t"},                                         // \plain leaves the Symbol font
        {"{\\f2 \\u61549?}", "\xCE\xBC"},                                         // the font's private code of mu
        {"{\\f3 s}", "s"},                                                        // other fonts keep their letters
    };
    std::string file = Path("griechisch.rtf");
    ASSERT_EQ(RtfOpenDocument(file, 0, 1, 1, "nologo"), 1);
    RtfBeginTable({8.0});
    for (const auto& c : cases) RtfWriteCell(c.in);
    RtfEndTable();
    for (const auto& c : cases) RtfWriteText(0, c.in);
    ASSERT_EQ(RtfWriteRaw("{\\rtf1{\\fonttbl{\\f0 Symbol;}{\\f1 Arial;}}\\f0 a\\f1  b\\par}"), 1);
    ASSERT_EQ(RtfCloseDocument(0), 1);

    const std::string raw = rtftest::ReadFile(file);
    rtftest::Document doc = rtftest::ParseRtf(raw);
    ASSERT_TRUE(doc.ok) << doc.error;
    ASSERT_EQ(doc.tables.size(), 1u);
    ASSERT_EQ(doc.tables[0].size(), cases.size());
    std::vector<const rtftest::Paragraph*> paras;
    for (const auto& p : doc.paragraphs)
        if (!p.text.empty()) paras.push_back(&p);
    ASSERT_EQ(paras.size(), cases.size() + 1);
    const int symbol = 2;
    ASSERT_EQ(doc.fonts.at(symbol), "Symbol");
    for (size_t i = 0; i < cases.size(); ++i) {
        EXPECT_EQ(doc.tables[0][i].cells[0], cases[i].text) << cases[i].in;
        EXPECT_EQ(paras[i]->text, cases[i].text) << cases[i].in;
        EXPECT_EQ(std::count(paras[i]->fonts.begin(), paras[i]->fonts.end(), symbol), 0) << cases[i].in;
    }
    EXPECT_EQ(paras.back()->text, "\xCE\xB1 b");
    EXPECT_EQ(std::count(paras.back()->fonts.begin(), paras.back()->fonts.end(), symbol), 0);
    EXPECT_EQ(raw.find("\\b1"), std::string::npos);
    EXPECT_NE(raw.find("\\u947?"), std::string::npos);  // gamma with its fallback
}

// The "@" rule of the integer and number cells.
TEST(RtfCellFormat, AtDigitIsReplacedByTheValue) {
    struct Case {
        const char* format;
        double value;
        const char* expected;
    };
    const Case cases[] = {
        {"K @0", 12, "K 12"},
        {"@2", 3.14159, "3.14"},
        {"@3", 2.5, "2.500"},
        {"@0", 2.6, "3"},
        {"@1", -12.34, "-12.3"},
        {"\\qc @1 m", 12.34, "\\qc 12.3 m"},
        {"Lf: @0", 3, "Lf: 3"},
        {"@2 / @0", 1.5, "1.50 / 2"},
        {"@", 5, "@"},
        {"a@x", 5, "a@x"},
        {"%.2lf", 7, "%.2lf"},
        {"@2", -0.001, "0.00"},
        {"@4", 1234567.5, "1234567.5000"},
        {"", 1, ""},
    };
    for (const Case& c : cases) EXPECT_EQ(FormatCellNumber(c.format, c.value), c.expected) << c.format;
}

// Caller mistakes never break the document: unbalanced braces, calls
// outside a document or table, bad widths, a table left open at close.
TEST_F(RtfTest, CallerMistakesKeepTheDocumentWellFormed) {
    EXPECT_EQ(RtfWriteText(0, "vor dem Öffnen"), 0);
    EXPECT_EQ(RtfWriteCell("x"), 0);
    std::string file = Path("robust.rtf");
    ASSERT_EQ(RtfOpenDocument(file, 0, 1, 0, "nologo"), 1);
    EXPECT_EQ(RtfWriteCell("ohne Tabelle"), 0);
    EXPECT_EQ(RtfBeginRow(1), 0);
    EXPECT_EQ(RtfEndTable(), 0);
    EXPECT_EQ(RtfBeginTable(0, nullptr), 0);
    RtfWriteText(0, "{\\b offen");
    RtfWriteText(0, "zu} und \\");
    RtfWriteText(-10, "}}{");
    const double widths[] = {2.0, std::nan(""), -1.0};
    ASSERT_EQ(RtfBeginTable(3, widths), 1);
    RtfWriteCell("a");
    RtfWriteCell("b");
    RtfWriteText(0, "Absatz beendet die Tabelle");
    RtfBeginTable({3.0, 3.0});
    RtfWriteCell("offen bis zum Schluss");
    ASSERT_EQ(RtfCloseDocument(0), 1);
    EXPECT_EQ(RtfCloseDocument(0), 0);  // nothing open

    rtftest::Document doc = rtftest::ParseRtfFile(file);
    ASSERT_TRUE(doc.ok) << doc.error;
    ASSERT_EQ(doc.tables.size(), 2u);
    EXPECT_EQ(doc.tables[0][0].cells.size(), 3u);
    EXPECT_EQ(doc.tables[1][0].cells.size(), 2u);
    bool literal = false;
    for (const auto& p : doc.paragraphs) literal |= p.text.find("zu} und \\") != std::string::npos;
    EXPECT_TRUE(literal);
}

// Opening fails cleanly and leaves existing files alone; a failed write at
// close is reported.
TEST_F(RtfTest, OpenAndCloseFailuresLoseNothing) {
    winsys::ScopedRecordingSink sink;
    EXPECT_EQ(RtfOpenDocument("", 0, 1, 1, "nologo"), 0);  // no output file set
    EXPECT_EQ(RtfOpenDocument(Path("fehlt/report.rtf"), 0, 1, 1, "nologo"), 0);
    EXPECT_EQ(RtfWriteText(0, "verloren"), 0);

    std::string existing = Path("alt.rtf");
    std::ofstream(existing) << "{\\rtf1 alt}";
    ASSERT_EQ(RtfOpenDocument(existing, 0, 1, 1, "nologo"), 1);
    RtfWriteText(0, "neu");
    EXPECT_EQ(rtftest::ReadFile(existing), "{\\rtf1 alt}");  // unchanged until the close
    RtfResetReport();                                        // the open document is dropped
    EXPECT_EQ(rtftest::ReadFile(existing), "{\\rtf1 alt}");

    // Opening the next document while one is open finishes the first.
    std::string first = Path("erste.rtf"), second = Path("zweite.rtf");
    ASSERT_EQ(RtfOpenDocument(first, 0, 1, 1, "nologo"), 1);
    RtfWriteText(0, "eins");
    ASSERT_EQ(RtfOpenDocument(second, 0, 1, 1, "nologo"), 1);
    rtftest::Document one = rtftest::ParseRtfFile(first);
    ASSERT_TRUE(one.ok) << one.error;
    EXPECT_EQ(one.paragraphs.at(0).text, "eins");
    RtfResetReport();
    EXPECT_FALSE(fs::exists(second));  // dropped before anything was written

    fs::create_directories(dir_ / "weg");
    ASSERT_EQ(RtfOpenDocument(Path("weg/r.rtf"), 0, 1, 1, "nologo"), 1);
    fs::remove_all(dir_ / "weg");
    EXPECT_TRUE(sink.messages.empty());
    EXPECT_EQ(RtfCloseDocument(0), 0);
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_NE(sink.messages[0].text.find("r.rtf"), std::string::npos);
}

// A size of 0 takes the picture's own size: the metafile frame, or the pixels
// at the resolution the file states (96 dpi when it states none).
TEST_F(RtfTest, PictureOwnSizeFromTheFile) {
    auto write = [&](const std::string& name, const std::string& bytes) {
        std::ofstream(Path(name), std::ios::binary) << bytes;
        return Path(name);
    };
    // PNG of 96 x 48 pixels without a resolution chunk.
    std::string png("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\0\x60\0\0\0\x30\x08\x02\0\0\0\0\0\0\0", 33);
    // JPEG of 300 x 150 pixels at 150 dpi (JFIF density in dots per inch).
    std::string jpg("\xFF\xD8"
                    "\xFF\xE0\x00\x10JFIF\x00\x01\x01\x01\x00\x96\x00\x96\x00\x00"
                    "\xFF\xC0\x00\x11\x08\x00\x96\x01\x2C\x03\x01\x22\x00\x02\x11\x01\x03\x11\x01"
                    "\xFF\xD9",
                    2 + 18 + 19 + 2);
    struct Case {
        std::string file;
        double w, h;            // requested, cm
        double goalW, goalH;    // expected, cm
    };
    const Case cases[] = {
        {MakeEmf("a.emf"), 0, 0, 15.9, 4.6},
        {MakeEmf("b.emf"), 0, 2.3, 7.95, 2.3},
        {MakePng("c.png"), 0, 0, 40 / 118.11, 20 / 118.11},
        {write("d.png", png), 0, 0, 2.54, 1.27},
        {write("e.jpg", jpg), 0, 0, 5.08, 2.54},
        {write("f.jpg", jpg), 10.0, 0, 10.0, 5.0},
    };
    std::string file = Path("groessen.rtf");
    ASSERT_EQ(RtfOpenDocument(file, 0, 1, 1, "nologo"), 1);
    for (const Case& c : cases) ASSERT_EQ(RtfInsertPicture(c.file, 0, c.w, c.h, 0, 0), 1) << c.file;
    ASSERT_EQ(RtfCloseDocument(0), 1);
    rtftest::Document doc = rtftest::ParseRtfFile(file);
    ASSERT_TRUE(doc.ok) << doc.error;
    ASSERT_EQ(doc.pictures.size(), std::size(cases));
    const double twips = 1440 / 2.54;
    for (size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_NEAR(doc.pictures[i].goalW, cases[i].goalW * twips, 1.0) << cases[i].file;
        EXPECT_NEAR(doc.pictures[i].goalH, cases[i].goalH * twips, 1.0) << cases[i].file;
    }
    EXPECT_EQ(doc.pictures[4].blip, "jpegblip");
}

// Missing or unreadable pictures and files are reported and skipped.
TEST_F(RtfTest, BadPicturesAndFilesAreReported) {
    winsys::ScopedRecordingSink sink;
    std::string garbage = Path("kaputt.emf");
    std::ofstream(garbage) << "kein Bild";
    std::string damaged = Path("kaputt.rtf");
    std::ofstream(damaged) << "{\\rtf1 {\\b offen";
    std::string plain = Path("text.rtf");
    std::ofstream(plain) << "nur Text";
    std::string file = Path("bilder.rtf");
    ASSERT_EQ(RtfOpenDocument(file, 0, 1, 1, "nologo"), 1);
    struct Case {
        const char* what;
        int result;
    };
    const Case cases[] = {
        {"missing picture", RtfInsertPicture(Path("fehlt.emf"), 0, 0, 0, 0, 0)},
        {"garbage picture", RtfInsertPicture(garbage, 1, 15.9, 4.6)},
        {"missing append file", RtfAppendFile(Path("fehlt.rtf"), "", 10, 0)},
        {"damaged append file", RtfAppendFile(damaged, "", 10, 0)},
        {"append file without RTF", RtfAppendFile(plain, "", 10, 0)},
    };
    for (const Case& c : cases) EXPECT_EQ(c.result, 0) << c.what;
    EXPECT_EQ(sink.messages.size(), std::size(cases));
    RtfWriteText(0, "weiter");
    ASSERT_EQ(RtfCloseDocument(0), 1);
    rtftest::Document doc = rtftest::ParseRtfFile(file);
    ASSERT_TRUE(doc.ok) << doc.error;
    EXPECT_TRUE(doc.pictures.empty());
}

// An appended document from another writer keeps its fonts and colours:
// its font and colour numbers are mapped onto the report's tables.
TEST_F(RtfTest, AppendedDocumentFontsAndColoursAreMapped) {
    std::string other = Path("fremd.rtf");
    std::ofstream(other) << "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman\\fcharset0 Times New Roman;}"
                            "{\\f1\\fmodern Courier New;}}\n"
                            "{\\colortbl;\\red255\\green0\\blue0;}\n"
                            "{\\*\\generator Fremd;}\\paperw12240\\margl1800\n"
                            "\\pard\\plain\\s5\\f0\\cf1 Rot in Times\\par\n"
                            "\\pard\\plain\\f1 Code\\par\n"
                            "\\pard\\plain\\b\n-5 Grad\\par}";
    std::string file = Path("gesamt.rtf");
    ASSERT_EQ(RtfOpenDocument(file, 0, 1, 1, "nologo"), 1);
    ASSERT_EQ(RtfAppendFile(other), 1);
    // The editor export hands a whole document to the raw call.
    ASSERT_EQ(RtfWriteRaw("{\\rtf1{\\fonttbl{\\f0 Symbol;}}\\f0 a\\par}"), 1);
    ASSERT_EQ(RtfCloseDocument(0), 1);

    rtftest::Document doc = rtftest::ParseRtfFile(file);
    ASSERT_TRUE(doc.ok) << doc.error;
    const rtftest::Paragraph* red = nullptr;
    const rtftest::Paragraph* code = nullptr;
    for (const auto& p : doc.paragraphs) {
        if (p.text == "Rot in Times") red = &p;
        if (p.text == "Code") code = &p;
    }
    ASSERT_NE(red, nullptr);
    ASSERT_NE(code, nullptr);
    ASSERT_FALSE(red->fonts.empty());
    EXPECT_EQ(doc.fonts.at(red->fonts.back()), "Times New Roman");
    ASSERT_FALSE(red->colors.empty());
    EXPECT_EQ(doc.colors.at(red->colors.back()), (std::array<int, 3>{255, 0, 0}));
    EXPECT_EQ(doc.fonts.at(code->fonts.back()), "Courier New");
    EXPECT_EQ(std::count(doc.fonts.begin(), doc.fonts.end(), "Courier New"), 1);  // reused, not added
    // A control word delimited by a line end stays apart from the text after it.
    bool minus = false;
    for (const auto& p : doc.paragraphs) minus |= p.text == "-5 Grad";
    EXPECT_TRUE(minus);
}

// A picture handed over in memory is embedded exactly as the same bytes read
// from a file.
TEST_F(RtfTest, PictureFromMemoryIsEmbeddedAsFromItsFile) {
    const std::string emfFile = MakeEmf("bild.emf"), pngFile = MakePng("bild.png");
    const std::string emfBytes = rtftest::ReadFile(emfFile), pngBytes = rtftest::ReadFile(pngFile);
    ASSERT_FALSE(emfBytes.empty());
    const std::string fromFiles = Path("dateien.rtf"), fromMemory = Path("speicher.rtf");
    ASSERT_EQ(RtfOpenDocument(fromFiles, 0, 1, 1, "nologo"), 1);
    RtfWriteText(4, "Bild");
    ASSERT_EQ(RtfInsertPicture(emfFile, 1, 15.9, 4.6), 1);
    ASSERT_EQ(RtfInsertPictureLeft(pngFile, 1, 4.0, 4.0, 0, 0), 1);
    ASSERT_EQ(RtfCloseDocument(0), 1);
    ASSERT_EQ(RtfOpenDocument(fromMemory, 0, 1, 1, "nologo"), 1);
    RtfWriteText(4, "Bild");
    ASSERT_EQ(RtfInsertPictureBytes(emfBytes, 15.9, 4.6), 1);
    ASSERT_EQ(RtfInsertPictureBytes(pngBytes, 4.0, 4.0, true), 1);
    winsys::ScopedRecordingSink sink;
    EXPECT_EQ(RtfInsertPictureBytes("kein Bild", 1, 1), 0);
    EXPECT_EQ(sink.messages.size(), 1u);
    ASSERT_EQ(RtfCloseDocument(0), 1);
    EXPECT_EQ(RtfInsertPictureBytes(emfBytes, 1, 1), 0);  // nothing open
    const std::string a = rtftest::ReadFile(fromFiles), b = rtftest::ReadFile(fromMemory);
    ASSERT_FALSE(a.empty());
    EXPECT_TRUE(a == b);
}

// An RTF document handed over in memory is appended exactly as the same
// bytes read from a file; damaged and plain text are refused and said, the
// message naming what the caller named.
TEST_F(RtfTest, RtfFromMemoryIsAppendedAsFromItsFile) {
    const std::string part = "{\\rtf1\\ansi{\\fonttbl{\\f0\\fmodern Courier New;}}{\\colortbl;\\red255\\green0\\blue0;}"
                             "\\pard\\plain\\f0\\cf1 Teil\\par}";
    const std::string partFile = Path("teil.rtf");
    std::ofstream(partFile, std::ios::binary) << part;
    const std::string fromFiles = Path("anhang_datei.rtf"), fromMemory = Path("anhang_speicher.rtf");
    for (const std::string& target : {fromFiles, fromMemory}) {
        ASSERT_EQ(RtfOpenDocument(target, 0, 1, 1, "nologo"), 1);
        RtfBeginTable({2.0, 2.0});
        RtfWriteCell("offen");  // the append ends the table
        if (target == fromFiles)
            ASSERT_EQ(RtfAppendFile(partFile), 1);
        else
            ASSERT_EQ(RtfAppendBytes(part, "vardef"), 1);
        ASSERT_EQ(RtfCloseDocument(0), 1);
    }
    const std::string a = rtftest::ReadFile(fromFiles), b = rtftest::ReadFile(fromMemory);
    ASSERT_NE(a.find("Teil"), std::string::npos);
    EXPECT_TRUE(a == b);

    winsys::ScopedRecordingSink sink;
    ASSERT_EQ(RtfOpenDocument(Path("schlecht.rtf"), 0, 1, 1, "nologo"), 1);
    EXPECT_EQ(RtfAppendBytes("{\\rtf1 {\\b offen", "ctnachweis"), 0);
    EXPECT_EQ(RtfAppendBytes("nur Text", "vardef"), 0);
    ASSERT_EQ(sink.messages.size(), 2u);
    EXPECT_NE(sink.messages[0].text.find("ctnachweis"), std::string::npos);
    EXPECT_NE(sink.messages[1].text.find("vardef"), std::string::npos);
    ASSERT_EQ(RtfCloseDocument(0), 1);
    EXPECT_EQ(RtfAppendBytes(part, "vardef"), 0);  // nothing open
}

// A document kept in memory holds exactly the bytes its file would hold,
// also when an appended document brings fonts and colours into the prologue;
// its bytes are taken once, and nothing is written to the folder.
TEST_F(RtfTest, MemoryDocumentHoldsTheBytesOfItsFile) {
    const std::string other = "{\\rtf1{\\fonttbl{\\f0\\fmodern Courier New;}}{\\colortbl;\\red255\\green0\\blue0;}"
                              "\\pard\\plain\\f0\\cf1 Rot\\par}";
    auto write = [&] {
        RtfWriteText(-3, "Einzelpunktnachweis für Maximum Ausnutzung bei x=3.00m");
        RtfBeginTable({3.0, 2.0});
        RtfWriteCell("\\ql Größe");
        RtfWriteNumberCell("@2", 3.14159);
        RtfEndTable();
        RtfAppendBytes(other, "fremd");
        RtfWriteText(0, "Ende");
    };
    const std::string file = Path("datei.rtf");
    ASSERT_EQ(RtfOpenDocument(file, 0, 1, 0, "nologo\0\0"), 1);
    write();
    ASSERT_EQ(RtfCloseDocument(0), 1);
    const auto before = std::distance(fs::directory_iterator(dir_), fs::directory_iterator());

    std::string bytes = "alt";
    EXPECT_FALSE(RtfTakeMemoryDocument(bytes));
    EXPECT_EQ(bytes, "alt");
    ASSERT_EQ(RtfOpenMemoryDocument(0, 1, 0, "nologo\0\0"), 1);
    write();
    ASSERT_EQ(RtfCloseDocument(0), 1);
    ASSERT_TRUE(RtfTakeMemoryDocument(bytes));
    EXPECT_TRUE(bytes == rtftest::ReadFile(file));
    EXPECT_NE(bytes.find("Courier New"), std::string::npos);
    EXPECT_FALSE(RtfTakeMemoryDocument(bytes));  // once
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), before);

    // A reset forgets a memory document that was not taken.
    ASSERT_EQ(RtfOpenMemoryDocument(0, 1, 0, "nologo\0\0"), 1);
    ASSERT_EQ(RtfCloseDocument(0), 1);
    RtfResetReport();
    EXPECT_FALSE(RtfTakeMemoryDocument(bytes));
}

// Pictures made on the document's own thread stand where they were placed:
// the document equals the one whose pictures were given at once, whatever
// comes after them (text, tables, other pictures, appended documents) and
// however long they take. Bytes that are no picture are said and embed
// nothing; a reset drops pictures still being made.
TEST_F(RtfTest, PicturesMadeAsideStandWhereTheyWerePlaced) {
    const std::string emfBytes = rtftest::ReadFile(MakeEmf("bild.emf"));
    const std::string pngBytes = rtftest::ReadFile(MakePng("bild.png"));
    ASSERT_FALSE(emfBytes.empty());
    const std::string part = "{\\rtf1{\\fonttbl{\\f0\\fmodern Courier New;}}\\pard\\plain\\f0 Teil\\par}";
    auto write = [&](bool aside) {
        auto picture = [&](const std::string& bytes, double w, double h, bool left, int delayMs) {
            if (!aside) return RtfInsertPictureBytes(bytes, w, h, left);
            return RtfInsertPictureMade(
                [bytes, delayMs] {
                    std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
                    return bytes;
                },
                w, h, left);
        };
        for (int i = 0; i < 6; ++i) {
            RtfWriteText(-3, "Bild " + std::to_string(i));
            RtfBeginTable({3.0, 2.0});
            RtfWriteCell("offen");  // the picture ends the table
            EXPECT_EQ(picture(i % 2 ? pngBytes : emfBytes, i % 3 ? 4.0 : 0, 0, i == 4, i == 1 ? 30 : 0), 1);
            RtfWriteCell("danach");
            RtfWriteNumberCell("@1", i);
            RtfEndTable();
        }
        RtfAppendBytes(part, "teil");
        EXPECT_EQ(picture(emfBytes, 15.9, 4.6, false, 10), 1);
    };
    const std::string atOnce = Path("sofort.rtf"), aside = Path("nebenher.rtf");
    ASSERT_EQ(RtfOpenDocument(atOnce, 0, 1, 1, "nologo"), 1);
    write(false);
    ASSERT_EQ(RtfCloseDocument(0), 1);
    ASSERT_EQ(RtfOpenDocument(aside, 0, 1, 1, "nologo"), 1);
    write(true);
    ASSERT_EQ(RtfCloseDocument(0), 1);
    const std::string a = rtftest::ReadFile(atOnce), b = rtftest::ReadFile(aside);
    ASSERT_NE(a.find("Teil"), std::string::npos);
    EXPECT_TRUE(a == b);
    EXPECT_EQ(rtftest::ParseRtfFile(aside).pictures.size(), 7u);

    winsys::ScopedRecordingSink sink;
    ASSERT_EQ(RtfOpenDocument(Path("kaputt.rtf"), 0, 1, 1, "nologo"), 1);
    EXPECT_EQ(RtfInsertPictureMade([] { return std::string("kein Bild"); }, 1, 1, false, "kaputt.emf"), 1);
    RtfWriteText(0, "weiter");
    ASSERT_EQ(RtfCloseDocument(0), 1);
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_NE(sink.messages[0].text.find("kaputt.emf"), std::string::npos);
    const rtftest::Document broken = rtftest::ParseRtfFile(Path("kaputt.rtf"));
    EXPECT_TRUE(broken.pictures.empty());
    EXPECT_EQ(RtfInsertPictureMade([&] { return emfBytes; }, 1, 1), 0);  // nothing open

    ASSERT_EQ(RtfOpenDocument(Path("verworfen.rtf"), 0, 1, 1, "nologo"), 1);
    RtfInsertPictureMade([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        return emfBytes;
    }, 1, 1);
    RtfResetReport();
    EXPECT_FALSE(fs::exists(Path("verworfen.rtf")));
}

// A long document goes to a temporary file beside its file while it is
// written: the file itself stays as it was until the close, the temporary
// file grows with the body, and nothing but the document is left afterwards.
// Fonts brought in by an appended document late in a long body reach the
// font table in front of it.
TEST_F(RtfTest, LongDocumentIsWrittenAsItGrows) {
    const std::string file = Path("lang.rtf");
    std::ofstream(file) << "{\\rtf1 alt}";
    ASSERT_EQ(RtfOpenDocument(file, 0, 1, 1, "nologo"), 1);
    const std::string line(1000, 'x');
    const int paragraphs = 3000;  // about 3 MB
    for (int i = 0; i < paragraphs; ++i) RtfWriteText(0, std::to_string(i) + " " + line);
    auto temporaries = [&] {
        std::vector<fs::path> t;
        for (const auto& e : fs::directory_iterator(dir_))
            if (e.path().filename() != "lang.rtf") t.push_back(e.path());
        return t;
    };
    const auto during = temporaries();
    ASSERT_EQ(during.size(), 1u);
    EXPECT_EQ(during[0].parent_path(), dir_);
    EXPECT_GT(fs::file_size(during[0]), static_cast<uintmax_t>(paragraphs - 300) * line.size());
    EXPECT_EQ(rtftest::ReadFile(file), "{\\rtf1 alt}");
    ASSERT_EQ(RtfWriteRaw("{\\rtf1{\\fonttbl{\\f0\\froman Times New Roman;}}\\f0 spaet\\par}"), 1);
    RtfWriteText(0, "Ende");
    ASSERT_EQ(RtfCloseDocument(0), 1);
    EXPECT_TRUE(temporaries().empty());

    rtftest::Document doc = rtftest::ParseRtfFile(file);
    ASSERT_TRUE(doc.ok) << doc.error;
    ASSERT_GE(doc.paragraphs.size(), static_cast<size_t>(paragraphs + 2));
    for (int i : {0, 1234, paragraphs - 1}) EXPECT_EQ(doc.paragraphs[static_cast<size_t>(i)].text, std::to_string(i) + " " + line);
    const auto& late = doc.paragraphs[static_cast<size_t>(paragraphs)];
    EXPECT_EQ(late.text, "spaet");
    ASSERT_FALSE(late.fonts.empty());
    EXPECT_EQ(doc.fonts.at(late.fonts.back()), "Times New Roman");
    EXPECT_EQ(doc.paragraphs[static_cast<size_t>(paragraphs + 1)].text, "Ende");

    // A document dropped by the reset leaves no temporary file behind.
    ASSERT_EQ(RtfOpenDocument(Path("verworfen.rtf"), 0, 1, 1, "nologo"), 1);
    for (int i = 0; i < 500; ++i) RtfWriteText(0, line);
    RtfResetReport();
    EXPECT_TRUE(temporaries().empty());
    EXPECT_FALSE(fs::exists(Path("verworfen.rtf")));
}

// Ordinal 24: the kind letter selects the icon, the text follows the blank.
TEST(RtfMessageTest, KindLetterSelectsTheIcon) {
    struct Case {
        const char* text;
        const char* shown;
        winsys::Icon icon;
    };
    const Case cases[] = {
        {"W Bitte erst Word Schließen!", "Bitte erst Word Schließen!", winsys::Icon::Warning},
        {"E Fehler", "Fehler", winsys::Icon::Error},
        {"I Hinweis", "Hinweis", winsys::Icon::Information},
        {"ohne Kennung", "ohne Kennung", winsys::Icon::Information},
    };
    for (const Case& c : cases) {
        winsys::ScopedRecordingSink sink;
        RtfMessage(c.text);
        ASSERT_EQ(sink.messages.size(), 1u);
        EXPECT_EQ(sink.messages[0].text, c.shown);
        EXPECT_EQ(sink.messages[0].icon, c.icon);
    }
}

}  // namespace
