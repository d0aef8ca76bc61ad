#include "testsupport/rtf_reader.h"

#include <cctype>
#include <fstream>
#include <iterator>

namespace rtftest {
namespace {

enum class Dest { Body, Header, Skip, FontTable, ColorTable, Pict };

// Character and paragraph properties belong to the group: a closing brace
// restores those of the enclosing group.
struct GroupState {
    Dest dest = Dest::Body;
    int uc = 1;
    bool inTable = false;
    bool bold = false;
    bool super = false;
    std::string align = "ql";
};

void AppendUtf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

uint32_t FromCp1252(unsigned char c) {
    static const uint16_t high[32] = {0x20AC, 0x81,   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x8D,   0x017D, 0x8F,
                                      0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x017E, 0x0178};
    return (c >= 0x80 && c <= 0x9F) ? high[c - 0x80] : c;
}

int HexVal(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

class Reader {
public:
    explicit Reader(const std::string& s) : s_(s) {}

    Document Run() {
        size_t i = 0;
        while (i < s_.size() && std::isspace(static_cast<unsigned char>(s_[i]))) ++i;
        if (s_.compare(i, 5, "{\\rtf") != 0) return Fail("no {\\rtf at the start");
        std::vector<GroupState> stack;
        bool ended = false;
        while (i < s_.size()) {
            char c = s_[i];
            if (ended) {
                if (!std::isspace(static_cast<unsigned char>(c)) && c != '\0') return Fail("text after the document");
                ++i;
                continue;
            }
            if (c == '{') {
                stack.push_back(stack.empty() ? GroupState{} : stack.back());
                ++i;
                continue;
            }
            if (c == '}') {
                if (stack.empty()) return Fail("unbalanced closing brace");
                Dest was = stack.back().dest;
                stack.pop_back();
                if (was == Dest::Pict && (stack.empty() || stack.back().dest != Dest::Pict)) FinishPicture();
                if (was == Dest::FontTable && !stack.empty() && stack.back().dest != Dest::FontTable) fontName_.clear();
                if (stack.empty()) ended = true;
                ++i;
                continue;
            }
            if (stack.empty()) return Fail("text outside the document group");
            GroupState& g = stack.back();
            if (c == '\\') {
                if (i + 1 >= s_.size()) return Fail("backslash at the end");
                char d = s_[i + 1];
                if (std::isalpha(static_cast<unsigned char>(d))) {
                    size_t j = i + 1;
                    while (j < s_.size() && std::isalpha(static_cast<unsigned char>(s_[j]))) ++j;
                    std::string word = s_.substr(i + 1, j - i - 1);
                    bool hasParam = false;
                    long param = 0;
                    size_t k = j;
                    if (k < s_.size() && s_[k] == '-') ++k;
                    if (k < s_.size() && std::isdigit(static_cast<unsigned char>(s_[k]))) {
                        while (k < s_.size() && std::isdigit(static_cast<unsigned char>(s_[k]))) ++k;
                        param = std::stol(s_.substr(j, k - j));
                        hasParam = true;
                        j = k;
                    }
                    if (j < s_.size() && s_[j] == ' ') ++j;
                    i = j;
                    if (word == "bin" && hasParam) {
                        if (g.dest == Dest::Pict) pictBytes_ += s_.substr(i, static_cast<size_t>(param));
                        i += static_cast<size_t>(param);
                        continue;
                    }
                    Word(g, word, hasParam, param);
                    continue;
                }
                if (d == '\'') {
                    if (i + 3 >= s_.size() || HexVal(s_[i + 2]) < 0 || HexVal(s_[i + 3]) < 0)
                        return Fail("broken hex escape");
                    unsigned char b = static_cast<unsigned char>(HexVal(s_[i + 2]) * 16 + HexVal(s_[i + 3]));
                    i += 4;
                    if (skip_ > 0) {
                        --skip_;
                        continue;
                    }
                    Char(g, FromCp1252(b));
                    continue;
                }
                if (d == '*') {
                    g.dest = Dest::Skip;
                    i += 2;
                    continue;
                }
                i += 2;
                if (d == '\\' || d == '{' || d == '}') Char(g, static_cast<unsigned char>(d));
                else if (d == '~') Char(g, 0xA0);
                else if (d == '_') Char(g, '-');
                continue;
            }
            if (c == '\r' || c == '\n') {
                ++i;
                continue;
            }
            if (static_cast<unsigned char>(c) >= 0x80) return Fail("byte outside ASCII in the file");
            ++i;
            if (skip_ > 0) {
                --skip_;
                continue;
            }
            Char(g, static_cast<unsigned char>(c));
        }
        if (!ended) return Fail("document group not closed");
        EndParagraphGroup();
        doc_.ok = true;
        return doc_;
    }

private:
    Document Fail(const std::string& e) {
        doc_.ok = false;
        doc_.error = e;
        return doc_;
    }

    void Word(GroupState& g, const std::string& w, bool hasParam, long param) {
        if (w == "fonttbl") { g.dest = Dest::FontTable; return; }
        if (w == "colortbl") { g.dest = Dest::ColorTable; doc_.colors.clear(); return; }
        if (w == "stylesheet" || w == "info") { g.dest = Dest::Skip; return; }
        if (w == "header" || w == "footer") { g.dest = Dest::Header; return; }
        if (w == "pict") {
            g.dest = Dest::Pict;
            pict_ = Picture{};
            pictBytes_.clear();
            return;
        }
        switch (g.dest) {
        case Dest::Skip:
            return;
        case Dest::FontTable:
            if (w == "f") {
                fontNumber_ = static_cast<int>(param);
                fontName_.clear();
            }
            return;
        case Dest::ColorTable:
            if (w == "red") color_[0] = static_cast<int>(param);
            if (w == "green") color_[1] = static_cast<int>(param);
            if (w == "blue") color_[2] = static_cast<int>(param);
            return;
        case Dest::Pict:
            if (w == "emfblip" || w == "pngblip" || w == "jpegblip" || w == "wmetafile") pict_.blip = w;
            if (w == "picwgoal") pict_.goalW = param;
            if (w == "pichgoal") pict_.goalH = param;
            return;
        case Dest::Header:
            if (w == "par") header_ += '\n';
            else if (w == "tab") header_ += '\t';
            else if (w == "u") Unicode(g, param);
            else if (w == "uc") g.uc = static_cast<int>(param);
            return;
        case Dest::Body:
            break;
        }
        if (w == "pgnstarts") doc_.firstPage = static_cast<int>(param);
        else if (w == "uc") g.uc = static_cast<int>(param);
        else if (w == "u") Unicode(g, param);
        else if (w == "par") EndParagraph(g);
        else if (w == "pard") { g.inTable = false; g.align = "ql"; style_ = 0; }
        else if (w == "intbl") g.inTable = true;
        else if (w == "plain") { g.bold = false; g.super = false; }
        else if (w == "b") g.bold = !hasParam || param != 0;
        else if (w == "super") g.super = true;
        else if (w == "nosupersub" || w == "sub") g.super = false;
        else if (w == "ql" || w == "qc" || w == "qr" || w == "qj") g.align = w;
        else if (w == "s" && hasParam) style_ = static_cast<int>(param);
        else if (w == "f" && hasParam) para_.fonts.push_back(static_cast<int>(param));
        else if (w == "cf" && hasParam) para_.colors.push_back(static_cast<int>(param));
        else if (w == "tab") Char(g, '\t');
        else if (w == "line") Char(g, '\n');
        else if (w == "trowd") { row_ = Row{}; inRowDef_ = true; }
        else if (w == "trhdr") row_.header = true;
        else if (w == "cellx") { ++row_.cellDefs; row_.cellx.push_back(param); }
        else if (w == "cell") {
            row_.cells.push_back(cellText_);
            row_.bold.push_back(cellBold_);
            row_.super.push_back(cellSuper_);
            row_.align.push_back(g.align);
            cellText_.clear();
            cellSuper_.clear();
            cellBold_ = false;
        }
        else if (w == "row") {
            current_.push_back(row_);
            tableOpen_ = true;
            row_ = Row{};
        }
        (void)hasParam;
    }

    void Unicode(GroupState& g, long v) {
        uint32_t u = static_cast<uint32_t>(v < 0 ? v + 65536 : v);
        if (u >= 0xD800 && u <= 0xDBFF) {
            high_ = u;
        } else if (u >= 0xDC00 && u <= 0xDFFF && high_) {
            Char(g, 0x10000 + ((high_ - 0xD800) << 10) + (u - 0xDC00));
            high_ = 0;
        } else {
            Char(g, u);
        }
        skip_ = g.uc;
    }

    void Char(GroupState& g, uint32_t cp) {
        switch (g.dest) {
        case Dest::Body:
            if (g.inTable) {
                AppendUtf8(cellText_, cp);
                if (g.bold && cp != ' ') cellBold_ = true;
                if (g.super) AppendUtf8(cellSuper_, cp);
            } else {
                AppendUtf8(para_.text, cp);
            }
            break;
        case Dest::Header:
            AppendUtf8(header_, cp);
            break;
        case Dest::FontTable:
            if (cp == ';') {
                if (fontNumber_ >= 0) {
                    if (doc_.fonts.size() <= static_cast<size_t>(fontNumber_)) doc_.fonts.resize(fontNumber_ + 1);
                    size_t a = fontName_.find_first_not_of(' ');
                    doc_.fonts[fontNumber_] = a == std::string::npos ? "" : fontName_.substr(a);
                }
                fontName_.clear();
            } else {
                AppendUtf8(fontName_, cp);
            }
            break;
        case Dest::ColorTable:
            if (cp == ';') {
                doc_.colors.push_back(color_);
                color_ = {0, 0, 0};
            }
            break;
        case Dest::Pict:
            if (HexVal(static_cast<char>(cp)) >= 0) hex_ += static_cast<char>(cp);
            break;
        case Dest::Skip:
            break;
        }
    }

    void FinishPicture() {
        for (size_t k = 0; k + 1 < hex_.size(); k += 2)
            pictBytes_ += static_cast<char>(HexVal(hex_[k]) * 16 + HexVal(hex_[k + 1]));
        pict_.bytes = pictBytes_;
        doc_.pictures.push_back(pict_);
        hex_.clear();
        pictBytes_.clear();
    }

    void EndParagraph(const GroupState& g) {
        if (g.inTable) {
            cellText_ += '\n';
            return;
        }
        EndParagraphGroup();
        para_.style = style_;
        doc_.paragraphs.push_back(para_);
        para_ = Paragraph{};
    }

    void EndParagraphGroup() {
        if (tableOpen_) {
            doc_.tables.push_back(current_);
            current_.clear();
            tableOpen_ = false;
        }
        if (!header_.empty()) {
            doc_.header = header_;
        }
    }

    const std::string& s_;
    Document doc_;
    Paragraph para_;
    int style_ = 0;
    bool inRowDef_ = false;
    bool cellBold_ = false;
    std::string cellSuper_;
    bool tableOpen_ = false;
    Row row_;
    std::string cellText_;
    std::vector<Row> current_;
    std::string header_;
    int fontNumber_ = -1;
    std::string fontName_;
    std::array<int, 3> color_{0, 0, 0};
    Picture pict_;
    std::string hex_, pictBytes_;
    int skip_ = 0;
    uint32_t high_ = 0;
};

}  // namespace

Document ParseRtf(const std::string& text) { return Reader(text).Run(); }

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream f(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}

Document ParseRtfFile(const std::filesystem::path& path) { return ParseRtf(ReadFile(path)); }

}  // namespace rtftest
