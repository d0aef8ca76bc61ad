#include "editor/core/TableRtf.h"

#include <cstdlib>

void BuildTableRtf(int rows, int cols, const std::vector<int>& widths, const std::vector<std::string>& texts,
                   std::string& out) {
    out = "{\\rtf1";
    out +=
        "\\ansi\\ansicpg1252{\\colortbl ;\\red0\\green0\\blue0;\\red7\\green13\\blue255;}{\\fonttbl{\\f0\\fswiss\\fprq2"
        "\\fcharset0 Times New Roman;}{\\f1\\fswiss\\fcharset0 Arial;}}{\\*\\generator Msftedit "
        "5.41.15.1503;}\\viewkind4\\uc1\\f1\\fs20";
    size_t t = 0;
    for (int r = 0; r < rows; ++r) {
        out += "\\trowd\\trgaph28\\trpaddl28\\trpaddr28\\trpaddfl3\\trpaddfr3";
        long sum = 0;
        for (int c = 0; c < cols; ++c) {
            sum += static_cast<size_t>(c) < widths.size() ? widths[static_cast<size_t>(c)] : 0;
            out += "\\cellx" + std::to_string(sum);
        }
        out += "\\pard\\intbl";
        for (int c = 0; c < cols; ++c, ++t) {
            const std::string text = t < texts.size() ? texts[t] : std::string();
            out += text.empty() ? "\\cell" : " " + text + "\\cell";
        }
        out += "\\row";
    }
    out += "\\par}";
}

void RowToRtf(const CRtfTableRow& row, std::string& out) {
    out = "\\trowd" + row.properties;
    for (int b : row.borders) out += "\\cellx" + std::to_string(b);
    out += "\\pard\\intbl";
    for (const std::string& text : row.texts) out += text + "\\cell";
    out += "\\row";
}

namespace {

// Whether the control word at pos is exactly word (not the start of a longer
// word such as "\cellx" for "\cell").
bool WordAt(const std::string& text, size_t pos, const std::string& word) {
    if (text.compare(pos, word.size(), word) != 0) return false;
    const size_t e = pos + word.size();
    return e >= text.size() || !((text[e] >= 'a' && text[e] <= 'z') || (text[e] >= 'A' && text[e] <= 'Z'));
}

size_t FindWord(const std::string& text, const std::string& word, size_t from, size_t to) {
    for (size_t p = text.find(word, from); p != std::string::npos && p < to; p = text.find(word, p + 1))
        if (WordAt(text, p, word)) return p;
    return std::string::npos;
}

}  // namespace

int ParseTableRtf(const std::string& text, std::vector<CRtfTableRow>& rows) {
    rows.clear();
    if (text.find("\\nestcell") != std::string::npos) return -1;
    for (size_t p = FindWord(text, "\\trowd", 0, text.size()); p != std::string::npos;) {
        const size_t rowEnd = FindWord(text, "\\row", p + 6, text.size());
        if (rowEnd == std::string::npos) break;
        CRtfTableRow row;
        row.start = static_cast<int>(p);
        row.end = static_cast<int>(rowEnd + 4);
        const size_t firstBorder = text.find("\\cellx", p);
        const size_t propsEnd = firstBorder != std::string::npos && firstBorder < rowEnd ? firstBorder : rowEnd;
        row.properties = text.substr(p + 6, propsEnd - p - 6);
        for (size_t b = text.find("\\cellx", p); b != std::string::npos && b < rowEnd; b = text.find("\\cellx", b + 6))
            row.borders.push_back(std::atoi(text.c_str() + b + 6));
        // Cell texts run from behind "\intbl" (then from behind each "\cell") to the next "\cell".
        const size_t intbl = FindWord(text, "\\intbl", p, rowEnd);
        size_t from = intbl == std::string::npos ? propsEnd : intbl + 6;
        for (size_t c = FindWord(text, "\\cell", from, rowEnd); c != std::string::npos;
             c = FindWord(text, "\\cell", from, rowEnd)) {
            row.texts.push_back(text.substr(from, c - from));
            from = c + 5;
        }
        row.nCells = static_cast<int>(row.texts.size());
        rows.push_back(std::move(row));
        p = FindWord(text, "\\trowd", rowEnd + 4, text.size());
    }
    return static_cast<int>(rows.size());
}
