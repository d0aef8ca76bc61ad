// The table builder: widths, shown and hidden rows and columns, row modes,
// cell texts, and the table read back from a written report.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "reports/RtfTable.h"
#include "support/report_capture.h"

namespace {

// Records the table calls as short texts: "T <n>", "R <mode>", "C <rtf>", "E".
class Recorder : public CRtfTableOutput {
public:
    void BeginTable(int columns, const double* widths) override {
        calls.push_back("T " + std::to_string(columns));
        this->widths.assign(widths, widths + columns);
    }
    void BeginRow(int header) override { calls.push_back("R " + std::to_string(header)); }
    void WriteCell(const std::string& rtf) override { calls.push_back("C " + rtf); }
    void EndTable() override { calls.push_back("E"); }

    std::vector<std::string> calls;
    std::vector<double> widths;
};

// A number cell's written text.
std::string Rtf(double value, const char* unit, int exponent, int digits, int flags = 0) {
    CRtfDoubleCell cell(value, unit, exponent, digits, flags);
    return cell.GetRtf();
}

TEST(RtfTable, NoTableCallWhenTheCountedWeightsSumToZero) {
    Recorder rec;
    CRtfTable t;
    t.SetSize(2, 0, 16.0);  // no columns
    t.WriteRtf(rec);
    t.Reset();
    t.SetSize(1, 2, 16.0);
    t.SetColumnWidth(0, 0);
    t.SetColumnWidth(1, 0);
    t.SetTextCell(0, 0, "a", 0);
    t.WriteRtf(rec);
    EXPECT_TRUE(rec.calls.empty());
}

TEST(RtfTable, HiddenColumnsShareOrKeepTheirWidth) {
    struct Case {
        int fill;
        std::vector<double> widths;
    } cases[] = {{1, {16.0 / 3.0, 32.0 / 3.0}}, {0, {4.0, 8.0}}};
    for (const Case& c : cases) {
        CRtfTable t;
        t.SetSize(1, 3, 16.0);
        t.SetColumnWidth(2, 20);
        t.SetColumnAttr(1, 0);
        t.m_bFillWidth = c.fill;
        t.SetTextCell(0, 0, "a", 0);
        Recorder rec;
        t.WriteRtf(rec);
        ASSERT_EQ(rec.widths.size(), 2u) << c.fill;
        EXPECT_DOUBLE_EQ(rec.widths[0], c.widths[0]) << c.fill;
        EXPECT_DOUBLE_EQ(rec.widths[1], c.widths[1]) << c.fill;
        EXPECT_EQ(rec.calls.front(), "T 2");
    }
}

TEST(RtfTable, RowsColumnsEmptySlotsAndRowModes) {
    CRtfTable t;
    t.SetSize(1, 3, 16.0);
    t.SetTextCell(0, 0, "Bez", kRtfHeaderLeft);
    t.SetTextCell(0, 1, "x", kRtfHeader);
    t.SetTextCell(0, 2, "y", kRtfHeader);
    int r1 = t.AddRow();
    t.SetTextCell(r1, 0, "A", kRtfLeft);
    t.SetIntCell(r1, 2, -5, kRtfRight, "%ld");  // column 1 stays empty
    int r2 = t.AddRow();
    t.SetTextCell(r2, 0, "hidden row", kRtfLeft);
    t.SetRowAttr(r2, 0);
    EXPECT_EQ(t.AddRow(), 3);  // on a table of 3 rows
    t.SetColumnAttr(2, 0);
    // Indices outside the grid change nothing.
    t.SetTextCell(4, 0, "x", 0);
    t.SetTextCell(0, 3, "x", 0);
    t.SetTextCell(-1, 0, "x", 0);
    t.SetCellFlags(1, 1, kRtfBold);
    t.SetColumnWidth(5, 100);
    t.SetRowAttr(-1, 0);

    Recorder rec;
    t.WriteRtf(rec);
    const std::vector<std::string> expected = {
        "T 2",     "R 1", "C \\ql \\b Bez", "C \\b x",  // header row
        "R 0",     "C \\ql A", "C ",                   // empty slot: empty cell
        "C ",      "C ",                               // row 3: all empty, no row call
        "E"};
    EXPECT_EQ(rec.calls, expected);

    std::string text;
    t.GetText(text);
    EXPECT_EQ(text, "Bez\tx\ty\nA\t\t-5\n\t\t\n");  // hidden column kept, hidden row left out
}

TEST(RtfTable, FormatCodesOfTheFlagWord) {
    struct Case {
        int flags;
        const char* codes;
    } cases[] = {{0, ""}, {1, "\\ql "}, {4, "\\qr "}, {5, "\\qr "}, {7, "\\qc "}, {24, "\\b \\i "},
                 {41, "\\ql \\b "}, {40, "\\b "}, {42, "\\qc \\b "}, {9, "\\ql \\b "}};
    for (const Case& c : cases) EXPECT_EQ(GetRtfFormatCodes(c.flags), c.codes) << c.flags;
    CRtfIntCell cell(-5, 4, "%5.1lf");  // the format text does not change the output
    EXPECT_EQ(cell.GetRtf(), "\\qr -5");
    EXPECT_EQ(cell.GetValueText(), "-5");
    CRtfTextCell text("Träger", 8);
    EXPECT_EQ(text.GetRtf(), "\\b Träger");
}

TEST(RtfTable, NumberCells) {
    struct Case {
        double value;
        const char* unit;
        int exponent;
        int digits;
        const char* rtf;
    } cases[] = {
        {1e-13, "m", 0, 2, "0.00 m"},
        {2.5, "", 0, 2, "2.50"},
        {-2.5, "kN", 0, 1, "-2.5 kN"},
        {-0.001, "", 0, 2, "0.00"},  // no negative zero
        {31.5, "", 0, 2, "31.50"},
        {150.0, "", 1, 2, "1.50\xC2\xB7" "10{\\super 2}"},
        {100.0, "", 1, 2, "100.00"},
        {50.0, "", 1, 2, "50.00"},
        {0.005, "", 1, 2, "5.00\xC2\xB7" "10{\\super -3}"},
        {21000.0, "kN/m", 1, 3, "2.100\xC2\xB7" "10{\\super 4} kN/m"},
        // Zero and negative values have no logarithm: plain form.
        {-2.5, "", 1, 2, "-2.50"},
        {0.0, "", 1, 2, "0.00"},
    };
    for (const Case& c : cases) EXPECT_EQ(Rtf(c.value, c.unit, c.exponent, c.digits), c.rtf) << c.value;
    // The plain form carries the format codes, the exponent form none.
    EXPECT_EQ(Rtf(2.0, "", 0, 1, kRtfRight), "\\qr 2.0");
    EXPECT_EQ(Rtf(150.0, "", 1, 2, kRtfRight), "1.50\xC2\xB7" "10{\\super 2}");

    CRtfDoubleCell tiny(1e-13, "m", 0, 2, 4);
    std::string text;
    tiny.GetText(text);
    EXPECT_EQ(text, "0.00 m");
    EXPECT_EQ(tiny.m_value, 0.0);  // snapped
    CRtfDoubleCell big(150.0, "", 1, 2, 4);
    big.GetText(text);
    EXPECT_EQ(text, "150.00");  // the plain text always
    EXPECT_EQ(big.GetValueText(), "150");
}

TEST(RtfTable, TableReadBackFromTheReport) {
    rtftest::Document doc = report_test::WriteAndRead([] {
        CRtfTable t;
        t.SetSize(2, 3, 16.0);
        t.SetTextCell(0, 0, "Name", kRtfHeaderLeft);
        t.SetTextCell(0, 1, "C{\\sub y}", kRtfHeader);
        t.SetTextCell(0, 2, "Länge", kRtfHeader);
        // The units row opens with an empty slot: the row is still a header row.
        t.SetTextCell(1, 1, "[kN/m]", kRtfHeader);
        t.SetTextCell(1, 2, "[m]", kRtfHeader);
        int r = t.AddRow();
        t.SetTextCell(r, 0, "A", kRtfLeft);
        t.SetDoubleCell(r, 1, 21000.0, "", 1, 3, kRtfRight);
        t.SetDoubleCell(r, 2, -3.0, "", 0, 2, kRtfBold);
        t.WriteRtf();
        t.Reset();
        EXPECT_EQ(t.GetRowCount(), 0);
    });
    ASSERT_TRUE(doc.ok) << doc.error;
    ASSERT_EQ(doc.tables.size(), 1u);
    const auto& rows = doc.tables[0];
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_TRUE(rows[0].header);
    EXPECT_TRUE(rows[1].header);
    EXPECT_FALSE(rows[2].header);
    EXPECT_EQ(rows[0].cells, (std::vector<std::string>{"Name", "Cy", "Länge"}));
    EXPECT_EQ(rows[1].cells, (std::vector<std::string>{"", "[kN/m]", "[m]"}));
    EXPECT_EQ(rows[2].cells, (std::vector<std::string>{"A", "2.100\xC2\xB7" "104", "-3.00"}));
    EXPECT_EQ(rows[2].super[1], "4");
    EXPECT_TRUE(rows[0].bold[0]);
    EXPECT_FALSE(rows[2].bold[0]);
    EXPECT_TRUE(rows[2].bold[2]);
    EXPECT_EQ(rows[2].align[0], "ql");
    EXPECT_EQ(rows[2].cellDefs, 3);
}

}  // namespace
