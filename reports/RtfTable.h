// The table builder of the reports: a table is built in memory as a grid of
// typed cells (text, integer, number) and written in one pass through the
// report library's table calls (begin table, begin row, cell, end table).
//
// Typical use by a chapter writer:
//
//     CRtfTable table;                 // a new table is reset
//     table.SetSize(2, 3, 16.0);       // header rows, columns, total width
//     table.SetColumnWidth(0, 30);     // relative weights (10 by default)
//     table.SetTextCell(0, 0, "Name", kRtfHeaderLeft);
//     table.SetTextCell(1, 0, "[m]", kRtfHeader);
//     int row = table.AddRow();        // one row per data line
//     table.SetDoubleCell(row, 1, 2.5, "", 0, 2, kRtfRight);
//     table.WriteRtf();
//     table.Reset();                   // frees the cells
//
// Indices are 0-based; every setter ignores an index outside the grid (a
// cell made for it is discarded). Rows and columns can be hidden; hidden
// columns either give their width to the shown ones (m_bFillWidth 1, the
// default) or keep it, so that the table gets narrower (m_bFillWidth 0).
// Cell texts are RTF in UTF-8; the report library escapes what is not ASCII.
#pragma once

#include <memory>
#include <string>
#include <vector>

// Flag word of a cell: alignment (centred wins over right, right over left),
// emphasis, and the header-row mark of the row the cell opens.
enum : int {
    kRtfLeft = 1,
    kRtfCentre = 2,
    kRtfRight = 4,
    kRtfBold = 8,
    kRtfItalic = 16,
    kRtfHeaderRow = 32,
    // Combinations the report writers use.
    kRtfHeader = kRtfBold | kRtfHeaderRow,                   // 40
    kRtfHeaderLeft = kRtfHeader | kRtfLeft,                  // 41
    kRtfHeaderCentre = kRtfHeader | kRtfCentre,              // 42
};

// Where a table's calls go: the open report document by default; tests and
// callers that collect tables elsewhere can give their own.
class CRtfTableOutput {
public:
    virtual ~CRtfTableOutput() = default;
    virtual void BeginTable(int columns, const double* widths) = 0;
    virtual void BeginRow(int header) = 0;
    virtual void WriteCell(const std::string& rtf) = 0;
    virtual void EndTable() = 0;
};

// The output to the report library's open document.
CRtfTableOutput& GetReportTableOutput();

// The alignment and emphasis codes of a flag word ("\qc ", "\b ", "\i ").
std::string GetRtfFormatCodes(int flags);

// One cell. Kind 1 text, 2 integer, 3 number; 0 for the base.
class CRtfCell {
public:
    explicit CRtfCell(int flags = 0, int kind = 0) : m_kind(kind), m_flags(flags) {}
    virtual ~CRtfCell() = default;
    CRtfCell(const CRtfCell&) = delete;
    CRtfCell& operator=(const CRtfCell&) = delete;

    // The cell's RTF text with its format codes (empty for the base).
    virtual std::string GetRtf() { return {}; }
    // Writes GetRtf() as the next cell of the open document's table.
    void WriteRtf();
    // The plain text (no format codes) into out.
    virtual void GetText(std::string& out) { (void)out; }
    // The value as a short text ("%ld" of an integer, "%lg" of a number).
    virtual std::string GetValueText() const { return {}; }

    int m_kind = 0;
    int m_flags = 0;
};

class CRtfTextCell : public CRtfCell {
public:
    CRtfTextCell(std::string text, int flags) : CRtfCell(flags, 1), m_text(std::move(text)) {}
    std::string GetRtf() override;
    void GetText(std::string& out) override { out = m_text; }
    std::string GetValueText() const override { return m_text; }

    std::string m_text;
};

class CRtfIntCell : public CRtfCell {
public:
    // The format text is kept with the cell; the value is always written in
    // decimal.
    CRtfIntCell(long value, int flags, std::string format)
        : CRtfCell(flags, 2), m_value(static_cast<int>(value)), m_format(std::move(format)) {}
    std::string GetRtf() override;
    void GetText(std::string& out) override { out = std::to_string(m_value); }
    std::string GetValueText() const override { return std::to_string(m_value); }

    int m_value = 0;
    std::string m_format;
};

// A number with digits after the decimal point and a unit ("" for none).
// Plain form: the value with its digits, a blank and the unit; a value below
// 1e-12 in magnitude is written (and kept) as 0. Exponent form (m_exponent
// 1) for values above 10^digits or below 0.01: mantissa, middle dot, 10 and
// the exponent in superscript; values of zero or below are written plain.
class CRtfDoubleCell : public CRtfCell {
public:
    CRtfDoubleCell(double value, std::string unit, int exponent, int digits, int flags)
        : CRtfCell(flags, 3), m_value(value), m_unit(std::move(unit)), m_exponent(exponent), m_digits(digits) {}
    std::string GetRtf() override;
    void GetText(std::string& out) override;
    std::string GetValueText() const override;

    double m_value = 0.0;
    std::string m_unit;
    int m_exponent = 0;
    int m_digits = 2;

private:
    std::string PlainText();
};

// "%.*lf" in the "C" locale, without a negative zero ("-0.00" is "0.00");
// digits are limited to 0..15.
std::string FormatFixed(double value, int digits);

class CRtfTable {
public:
    CRtfTable() = default;
    ~CRtfTable() = default;
    CRtfTable(const CRtfTable&) = delete;
    CRtfTable& operator=(const CRtfTable&) = delete;

    // No rows, no columns, width 0, no cells, m_bFillWidth 1.
    void Reset();
    // rows x cols empty slots, weights 10, every row and column shown; cells
    // of an earlier size are dropped. Negative counts count as 0.
    void SetSize(int rows, int cols, double totalWidth);
    void SetColumnWidth(int col, int weight);
    void SetColumnAttr(int col, int shown);
    void SetRowAttr(int row, int shown);
    // Appends an empty, shown row and returns its index.
    int AddRow();

    void SetTextCell(int row, int col, const char* text, int flags);
    void SetTextCell(int row, int col, const std::string& text, int flags) { SetTextCell(row, col, text.c_str(), flags); }
    void SetIntCell(int row, int col, long value, int flags, const char* format = "%ld");
    void SetDoubleCell(int row, int col, double value, const char* unit, int exponent, int digits, int flags);
    // Replaces the flag word of an existing cell.
    void SetCellFlags(int row, int col, int flags);

    // Writes the table: shown columns share the total width by their weights
    // (see m_bFillWidth); each shown row opens with the mode of its first
    // non-empty cell (header when that cell has kRtfHeaderRow); empty slots
    // write empty cells. A table whose counted weights sum to 0 writes
    // nothing at all.
    void WriteRtf();
    void WriteRtf(CRtfTableOutput& out);
    // Appends the shown rows as plain text, all columns (hidden ones too)
    // separated by tabs, each row ended by a line feed.
    void GetText(std::string& out) const;

    int GetRowCount() const { return m_rows; }
    int GetColumnCount() const { return m_cols; }
    double GetTotalWidth() const { return m_totalWidth; }
    // The cell in a slot; null for an empty slot or an index outside.
    CRtfCell* GetCell(int row, int col) const;
    bool IsRowShown(int row) const { return row >= 0 && row < m_rows && m_rowShown[row] != 0; }
    bool IsColumnShown(int col) const { return col >= 0 && col < m_cols && m_colShown[col] != 0; }
    // The widths that WriteRtf hands to the table call (empty when nothing
    // would be written).
    std::vector<double> GetShownWidths() const;

    int m_bFillWidth = 1;

private:
    bool Inside(int row, int col) const { return row >= 0 && row < m_rows && col >= 0 && col < m_cols; }
    void Put(int row, int col, std::unique_ptr<CRtfCell> cell);

    int m_rows = 0;
    int m_cols = 0;
    double m_totalWidth = 0.0;
    std::vector<int> m_widths;
    std::vector<int> m_colShown;
    std::vector<int> m_rowShown;
    std::vector<std::unique_ptr<CRtfCell>> m_cells;  // row-major
};
