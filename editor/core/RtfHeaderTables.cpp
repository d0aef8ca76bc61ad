#include "editor/core/RtfHeaderTables.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>

#include "platform/lingo/lingo.h"

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string Trim(const std::string& s) {
    size_t a = 0, b = s.size();
    while (a < b && std::isspace(static_cast<unsigned char>(s[a]))) ++a;
    while (b > a && std::isspace(static_cast<unsigned char>(s[b - 1]))) --b;
    return s.substr(a, b - a);
}

std::string WithoutChar(std::string s, char c) {
    s.erase(std::remove(s.begin(), s.end(), c), s.end());
    return s;
}

// The end (one past the closing brace) of the group that opens at pos; the
// text's end when it is not closed.
size_t GroupEnd(const std::string& text, size_t pos) {
    int depth = 0;
    for (size_t i = pos; i < text.size(); ++i) {
        if (text[i] == '\\') {
            ++i;  // an escaped brace or backslash does not count
            continue;
        }
        if (text[i] == '{') ++depth;
        if (text[i] == '}' && --depth == 0) return i + 1;
    }
    return text.size();
}

// The number after the first occurrence of code followed by a digit; -1.
int NumberAfter(const std::string& text, const std::string& code) {
    for (size_t p = text.find(code); p != std::string::npos; p = text.find(code, p + 1)) {
        const size_t q = p + code.size();
        if (q < text.size() && IsDigit(text[q])) return std::atoi(text.c_str() + q);
    }
    return -1;
}

// The name of a font or style group: the text after its first "{" with inner
// groups removed, without control words, up to "}", without ";".
std::string GroupName(const std::string& entry) {
    std::string inner;
    size_t i = entry.empty() || entry[0] != '{' ? 0 : 1;
    while (i < entry.size()) {
        if (entry[i] == '\\' && i + 1 < entry.size()) {
            inner += entry[i];
            inner += entry[i + 1];
            i += 2;
            continue;
        }
        if (entry[i] == '{') {
            i = GroupEnd(entry, i);
            inner += ' ';  // ends a control word in front of the group
            continue;
        }
        if (entry[i] == '}') break;
        inner += entry[i++];
    }
    return WithoutChar(StripControlWords(inner), ';');
}

void RenumberInEntry(std::string& entry, const std::string& code, int oldNumber, int newNumber) {
    for (size_t p = entry.find(code); p != std::string::npos; p = entry.find(code, p + 1)) {
        size_t q = p + code.size();
        size_t e = q;
        while (e < entry.size() && IsDigit(entry[e])) ++e;
        if (e == q || std::atoi(entry.c_str() + q) != oldNumber) continue;
        entry.replace(q, e - q, std::to_string(newNumber));
        return;
    }
}

std::string ReadFile(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::string();
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
    if (from.empty()) return;
    for (size_t p = text.find(from); p != std::string::npos; p = text.find(from, p + to.size()))
        text.replace(p, from.size(), to);
}

}  // namespace

// ---- the table family -------------------------------------------------------------

std::string StripControlWords(const std::string& rtf) {
    std::string out;
    for (size_t i = 0; i < rtf.size();) {
        const char c = rtf[i];
        if (c != '\\') {
            out += c;
            ++i;
            continue;
        }
        if (i + 1 < rtf.size() && (rtf[i + 1] == '\\' || rtf[i + 1] == '{' || rtf[i + 1] == '}')) {
            out += rtf[i + 1];  // an escaped character is text
            i += 2;
            continue;
        }
        ++i;
        while (i < rtf.size() && rtf[i] != ' ' && rtf[i] != '\n' && rtf[i] != '{' && rtf[i] != '\\') ++i;
        if (i < rtf.size() && (rtf[i] == ' ' || rtf[i] == '\n')) ++i;
    }
    return out;
}

std::string CRtfHeaderTable::Write() const {
    std::string out = "{";
    out += WrittenKeyword();
    for (const std::string& e : m_entries) out += e;
    out += "}";
    return out;
}

bool CRtfHeaderTable::NextEntry(const std::string& text, size_t& pos, std::string& entry) const {
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\r' || text[pos] == '\n')) ++pos;
    if (pos >= text.size() || text[pos] == '}') return false;
    if (!GroupEntries()) {
        const size_t semi = text.find(';', pos);
        const size_t close = text.find('}', pos);
        if (semi == std::string::npos || (close != std::string::npos && close < semi)) return false;
        entry = text.substr(pos, semi + 1 - pos);
        pos = semi + 1;
        return true;
    }
    if (text[pos] != '{') {
        // Text between the groups (a stray control word): skipped.
        const size_t next = text.find_first_of("{}", pos);
        if (next == std::string::npos || text[next] == '}') return false;
        pos = next;
    }
    const size_t end = GroupEnd(text, pos);
    entry = text.substr(pos, end - pos);
    pos = end;
    return true;
}

void CRtfHeaderTable::Renumber(int index, int newNumber) {
    if (index < 0 || index >= GetSize()) return;
    const std::string code = std::string(Keyword()) == "\\fonttbl" ? "\\f" : "\\s";
    RenumberInEntry(m_entries[static_cast<size_t>(index)], code, m_numbers[static_cast<size_t>(index)], newNumber);
    m_numbers[static_cast<size_t>(index)] = newNumber;
}

void CRtfHeaderTable::Read(const CPageBufferList& pages, int& tableStart, int& tableEnd) {
    tableStart = tableEnd = -1;
    const std::string text = pages.GetText(0);
    const size_t key = text.find(Keyword());
    if (key == std::string::npos) return;
    const size_t open = key > 0 && text[key - 1] == '{' ? key - 1 : key;
    size_t pos = key + std::string(Keyword()).size();
    std::string entry;
    while (NextEntry(text, pos, entry)) {
        const int index = GetSize();
        Add(EntryNumber(index, entry), entry, EntryName(entry));
    }
    // The table's closing brace.
    size_t end = text.find('}', pos);
    end = end == std::string::npos ? text.size() : end + 1;
    tableStart = static_cast<int>(open);
    tableEnd = static_cast<int>(end);
}

int CRtfHeaderTable::Add(int number, const std::string& entryText, const std::string& name) {
    std::string unique = name;
    while (m_byName.count(unique)) unique += "_";
    m_entries.push_back(entryText);
    m_names.push_back(unique);
    m_numbers.push_back(number);
    const int index = GetSize() - 1;
    m_byName[unique] = index;
    return index;
}

int CRtfHeaderTable::FindByName(const std::string& name) const {
    auto it = m_byName.find(name);
    return it == m_byName.end() ? -1 : it->second;
}

std::string CRtfColorTable::EntryName(const std::string& entryText) const {
    const std::string name = Trim(WithoutChar(entryText, ';'));
    return name.empty() ? "default" : name;
}

int CRtfFontTable::FirstFreeNumber() const {
    const std::set<int> used(m_numbers.begin(), m_numbers.end());
    int n = 0;
    while (used.count(n)) ++n;
    return n;
}

int CRtfFontTable::EntryNumber(int, const std::string& entryText) const { return NumberAfter(entryText, "\\f"); }

std::string CRtfFontTable::EntryName(const std::string& entryText) const { return Trim(GroupName(entryText)); }

int CRtfStyleTable::FirstFreeNumber() const {
    const std::set<int> used(m_numbers.begin(), m_numbers.end());
    int n = 1;
    while (used.count(n)) ++n;
    return n;
}

int CRtfStyleTable::EntryNumber(int, const std::string& entryText) const {
    const int n = NumberAfter(entryText, "\\s");
    return n < 0 ? 0 : n;
}

std::string CRtfStyleTable::EntryName(const std::string& entryText) const { return Trim(GroupName(entryText)); }

void CRtfStyleTable::Renumber(int index, int newNumber) {
    if (index < 0 || index >= GetSize()) return;
    std::string& entry = m_entries[static_cast<size_t>(index)];
    const int old = m_numbers[static_cast<size_t>(index)];
    if (NumberAfter(entry, "\\s") < 0) {
        // The normal style carries no number: it gets one behind its "{".
        const size_t brace = entry.find('{');
        entry.insert(brace == std::string::npos ? 0 : brace + 1, "\\s" + std::to_string(newNumber));
    } else {
        RenumberInEntry(entry, "\\s", old, newNumber);
    }
    m_numbers[static_cast<size_t>(index)] = newNumber;
}

// ---- colours and codes ----------------------------------------------------------------

void ReadColorList(const CPageBufferList& pages, std::vector<uint32_t>& list) {
    const std::string text = pages.GetText(0);
    const size_t key = text.find("\\colortbl");
    if (key == std::string::npos) return;
    const size_t close = text.find('}', key);
    const std::string table = text.substr(key + 9, (close == std::string::npos ? text.size() : close) - key - 9);
    size_t pos = 0;
    for (size_t semi = table.find(';'); semi != std::string::npos; pos = semi + 1, semi = table.find(';', pos)) {
        const std::string entry = table.substr(pos, semi - pos);
        auto component = [&](const char* word) -> uint32_t {
            const long v = NumberAfter(entry, word);
            return v < 0 ? 0u : static_cast<uint32_t>(v & 0xFF);
        };
        list.push_back(component("\\red") + 256u * component("\\green") + 65536u * component("\\blue"));
    }
}

void RenumberCodes(const std::vector<int>& oldNumbers, const std::vector<int>& newNumbers, const std::string& code,
                   CPageBufferList& pages, int tableStart, int tableEnd) {
    const std::string text = pages.GetText(0);
    std::string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        const bool inTable = tableStart >= 0 && static_cast<int>(i) >= tableStart && static_cast<int>(i) < tableEnd;
        const bool escaped = i > 0 && text[i - 1] == '\\' && (i < 2 || text[i - 2] != '\\');
        if (!inTable && !escaped && text.compare(i, code.size(), code) == 0) {
            size_t d = i + code.size();
            size_t e = d;
            while (e < text.size() && e - d < 3 && IsDigit(text[e])) ++e;
            if (e > d) {
                const int number = std::atoi(text.substr(d, e - d).c_str());
                auto it = std::find(oldNumbers.begin(), oldNumbers.end(), number);
                const size_t k = static_cast<size_t>(it - oldNumbers.begin());
                out += code;
                if (it != oldNumbers.end() && k < newNumbers.size())
                    out += std::to_string(newNumbers[k]);
                else
                    out.append(text, d, e - d);
                i = e;
                continue;
            }
        }
        out += text[i++];
    }
    pages.SetOnlyText(out);
}

// ---- report conversion ---------------------------------------------------------------

namespace {

// One table of the editor page matched against the frame's: entries the
// frame lacks are added to it under free numbers, then the editor page's
// codes are rewritten to the frame's numbers (its own table excepted).
template <class Table>
void MergeTable(const std::vector<std::string>& codes, const CPageBufferList& framePages, CPageBufferList& pages) {
    Table frame, editor;
    int fs = -1, fe = -1, es = -1, ee = -1;
    frame.Read(framePages, fs, fe);
    editor.Read(pages, es, ee);
    if (es < 0) return;
    std::vector<int> oldNumbers, newNumbers;
    for (int i = 0; i < editor.GetSize(); ++i) {
        int j = frame.FindByName(WithoutChar(editor.GetName(i), '_'));
        int number;
        if (j < 0) {
            number = frame.FirstFreeNumber();
            j = frame.Add(number, editor.GetEntry(i), editor.GetName(i));
            frame.Renumber(j, number);
        } else {
            number = frame.GetNumber(j);
        }
        oldNumbers.push_back(editor.GetNumber(i));
        newNumbers.push_back(number);
    }
    for (const std::string& code : codes) {
        // The range of the editor's own table moves with each rewrite.
        Table current;
        current.Read(pages, es, ee);
        RenumberCodes(oldNumbers, newNumbers, code, pages, es, ee);
    }
}

}  // namespace

void ConvertForReport(const std::string& frameFile, CPageBufferList& pages) {
    CPageBufferList frame;
    frame.AddText(ReadFile(frameFile));

    MergeTable<CRtfColorTable>({"\\cf", "\\cb"}, frame, pages);
    MergeTable<CRtfFontTable>({"\\f"}, frame, pages);
    MergeTable<CRtfStyleTable>({"\\s"}, frame, pages);

    std::string text = pages.GetText(0);
    const size_t generator = text.find("{\\*\\generator Msftedit");
    if (generator != std::string::npos) {
        text.erase(0, generator);
    } else {
        // Without the generator group the body begins behind the last header
        // table; without any table behind the document's opening "{\rtf1".
        int end = -1;
        CPageBufferList current;
        current.AddText(text);
        for (int k = 0; k < 3; ++k) {
            int s = -1, e = -1;
            if (k == 0) CRtfColorTable().Read(current, s, e);
            if (k == 1) CRtfFontTable().Read(current, s, e);
            if (k == 2) CRtfStyleTable().Read(current, s, e);
            end = std::max(end, e);
        }
        if (end >= 0) {
            text.erase(0, static_cast<size_t>(end));
        } else if (text.compare(0, 6, "{\\rtf1") == 0) {
            size_t p = 6;
            while (p < text.size() && IsDigit(text[p])) ++p;
            text.erase(0, p);
        } else if (!text.empty() && text[0] == '{') {
            text.erase(0, 1);
        }
    }
    ReplaceAll(text, "\\viewkind4", "\\viewkind1");
    const std::string pageBreak = lingo::Translate("VKT Eingabe", "velor_i_Quill", "RichEditCtrl", "[Seitenumbruch]");
    ReplaceAll(text, pageBreak, "\\page ");
    ReplaceAll(text, "\\ulwave ", "");
    ReplaceAll(text, "\\ulwave", "");
    ReplaceAll(text, "/*", "\\v ");
    ReplaceAll(text, "*/", "\\v0 ");
    ReplaceAll(text, "\\trowd", "\\trowd\\trkeep");
    const size_t last = text.rfind('}');
    if (last != std::string::npos) text.erase(last, 1);
    pages.SetOnlyText(text);
}
