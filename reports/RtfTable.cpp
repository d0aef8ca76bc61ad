#include "reports/RtfTable.h"

#include <charconv>
#include <cmath>

#include "platform/zadevoz/zadevoz.h"

namespace {

// The middle dot between mantissa and power of ten (U+00B7, UTF-8).
constexpr const char* kMiddleDot = "\xC2\xB7";

class CReportTableOutput : public CRtfTableOutput {
public:
    void BeginTable(int columns, const double* widths) override { zadevoz::RtfBeginTable(columns, widths); }
    void BeginRow(int header) override { zadevoz::RtfBeginRow(header); }
    void WriteCell(const std::string& rtf) override { zadevoz::RtfWriteCell(rtf); }
    void EndTable() override { zadevoz::RtfEndTable(); }
};

std::string Separator(const std::string& unit) { return unit.empty() ? std::string() : std::string(" "); }

}  // namespace

CRtfTableOutput& GetReportTableOutput() {
    static CReportTableOutput output;
    return output;
}

std::string GetRtfFormatCodes(int flags) {
    std::string codes;
    if (flags & kRtfCentre) codes = "\\qc ";
    else if (flags & kRtfRight) codes = "\\qr ";
    else if (flags & kRtfLeft) codes = "\\ql ";
    if (flags & kRtfBold) codes += "\\b ";
    if (flags & kRtfItalic) codes += "\\i ";
    return codes;
}

std::string FormatFixed(double value, int digits) {
    if (digits < 0) digits = 0;
    if (digits > 15) digits = 15;
    if (std::isnan(value)) return "nan";
    if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
    char buf[400];
    auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, digits);
    if (res.ec != std::errc()) return "0";
    std::string text(buf, res.ptr);
    if (text.size() > 1 && text[0] == '-' && text.find_first_not_of("-0.") == std::string::npos) text.erase(0, 1);
    return text;
}

// ---- cells -------------------------------------------------------------------------------

void CRtfCell::WriteRtf() { zadevoz::RtfWriteCell(GetRtf()); }

std::string CRtfTextCell::GetRtf() { return GetRtfFormatCodes(m_flags) + m_text; }

std::string CRtfIntCell::GetRtf() { return GetRtfFormatCodes(m_flags) + std::to_string(m_value); }

std::string CRtfDoubleCell::PlainText() {
    if (std::fabs(m_value) < 1e-12) m_value = 0.0;
    return FormatFixed(m_value, m_digits) + Separator(m_unit) + m_unit;
}

std::string CRtfDoubleCell::GetRtf() {
    if (!m_exponent) return GetRtfFormatCodes(m_flags) + PlainText();
    // Exponent form. Its texts carry no format codes. The logarithm exists
    // only for positive values: zero and negative values are written plain.
    const double limit = std::pow(10.0, m_digits);
    long e = 0;
    if (m_value > limit) {
        e = static_cast<long>(std::trunc(std::log10(m_value)));
    } else if (m_value > 0.0 && m_value < 0.01) {
        e = static_cast<long>(std::trunc(std::log10(m_value) - 1.0));
    } else {
        return FormatFixed(m_value, m_digits) + Separator(m_unit) + m_unit;
    }
    return FormatFixed(m_value / std::pow(10.0, static_cast<double>(e)), m_digits) + kMiddleDot + "10{\\super " +
           std::to_string(e) + "}" + Separator(m_unit) + m_unit;
}

void CRtfDoubleCell::GetText(std::string& out) { out = PlainText(); }

std::string CRtfDoubleCell::GetValueText() const {
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, m_value, std::chars_format::general, 6);
    return res.ec == std::errc() ? std::string(buf, res.ptr) : std::string();
}

// ---- table -------------------------------------------------------------------------------

void CRtfTable::Reset() {
    m_rows = 0;
    m_cols = 0;
    m_totalWidth = 0.0;
    m_widths.clear();
    m_colShown.clear();
    m_rowShown.clear();
    m_cells.clear();
    m_bFillWidth = 1;
}

void CRtfTable::SetSize(int rows, int cols, double totalWidth) {
    if (rows < 0) rows = 0;
    if (cols < 0) cols = 0;
    m_rows = rows;
    m_cols = cols;
    m_totalWidth = totalWidth;
    m_cells.clear();
    m_cells.resize(static_cast<size_t>(rows) * static_cast<size_t>(cols));
    m_widths.assign(static_cast<size_t>(cols), 10);
    m_colShown.assign(static_cast<size_t>(cols), 1);
    m_rowShown.assign(static_cast<size_t>(rows), 1);
}

void CRtfTable::SetColumnWidth(int col, int weight) {
    if (col >= 0 && col < m_cols) m_widths[col] = weight;
}

void CRtfTable::SetColumnAttr(int col, int shown) {
    if (col >= 0 && col < m_cols) m_colShown[col] = shown;
}

void CRtfTable::SetRowAttr(int row, int shown) {
    if (row >= 0 && row < m_rows) m_rowShown[row] = shown;
}

int CRtfTable::AddRow() {
    m_cells.resize(m_cells.size() + static_cast<size_t>(m_cols));
    m_rowShown.push_back(1);
    return m_rows++;
}

void CRtfTable::Put(int row, int col, std::unique_ptr<CRtfCell> cell) {
    if (!Inside(row, col)) return;  // the new cell is discarded
    m_cells[static_cast<size_t>(row) * m_cols + col] = std::move(cell);
}

void CRtfTable::SetTextCell(int row, int col, const char* text, int flags) {
    Put(row, col, std::make_unique<CRtfTextCell>(text ? text : "", flags));
}

void CRtfTable::SetIntCell(int row, int col, long value, int flags, const char* format) {
    Put(row, col, std::make_unique<CRtfIntCell>(value, flags, format ? format : ""));
}

void CRtfTable::SetDoubleCell(int row, int col, double value, const char* unit, int exponent, int digits, int flags) {
    Put(row, col, std::make_unique<CRtfDoubleCell>(value, unit ? unit : "", exponent, digits, flags));
}

void CRtfTable::SetCellFlags(int row, int col, int flags) {
    if (CRtfCell* cell = GetCell(row, col)) cell->m_flags = flags;
}

CRtfCell* CRtfTable::GetCell(int row, int col) const {
    return Inside(row, col) ? m_cells[static_cast<size_t>(row) * m_cols + col].get() : nullptr;
}

std::vector<double> CRtfTable::GetShownWidths() const {
    double sum = 0.0;
    for (int c = 0; c < m_cols; ++c)
        if (m_colShown[c] || !m_bFillWidth) sum += m_widths[c];
    std::vector<double> widths;
    if (sum == 0.0) return widths;
    for (int c = 0; c < m_cols; ++c)
        if (m_colShown[c]) widths.push_back(m_widths[c] * m_totalWidth / sum);
    return widths;
}

void CRtfTable::WriteRtf() { WriteRtf(GetReportTableOutput()); }

void CRtfTable::WriteRtf(CRtfTableOutput& out) {
    const std::vector<double> widths = GetShownWidths();
    if (widths.empty()) return;
    out.BeginTable(static_cast<int>(widths.size()), widths.data());
    for (int r = 0; r < m_rows; ++r) {
        if (!m_rowShown[r]) continue;
        bool opened = false;
        for (int c = 0; c < m_cols; ++c) {
            if (!m_colShown[c]) continue;
            CRtfCell* cell = GetCell(r, c);
            if (!cell) {
                out.WriteCell(std::string());
                continue;
            }
            if (!opened) {
                out.BeginRow((cell->m_flags & kRtfHeaderRow) ? 1 : 0);
                opened = true;
            }
            out.WriteCell(cell->GetRtf());
        }
    }
    out.EndTable();
}

void CRtfTable::GetText(std::string& out) const {
    for (int r = 0; r < m_rows; ++r) {
        if (!m_rowShown[r]) continue;
        for (int c = 0; c < m_cols; ++c) {
            if (c > 0) out += '\t';
            std::string text;
            if (CRtfCell* cell = GetCell(r, c)) cell->GetText(text);
            out += text;
        }
        out += '\n';
    }
}
