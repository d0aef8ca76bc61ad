// Text and file-name helpers shared by the module and the kernel.
#include "platform/winsys/winsys.h"

#include <cstdint>
#include <cstdio>

namespace winsys {

std::string ToLowerAscii(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

std::string FoldCase(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        if (c >= 'A' && c <= 'Z') {
            out += static_cast<char>(c - 'A' + 'a');
        } else if (c == 0xC3 && i + 1 < s.size()) {
            // U+00C0..U+00DE (except U+00D7, the multiplication sign) are the
            // Latin-1 capitals; their small letters lie 0x20 above.
            unsigned char d = static_cast<unsigned char>(s[i + 1]);
            if (d >= 0x80 && d <= 0x9E && d != 0x97) d = static_cast<unsigned char>(d + 0x20);
            out += static_cast<char>(c);
            out += static_cast<char>(d);
            ++i;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;  // folding keeps the byte length
    return FoldCase(a) == FoldCase(b);
}

std::string SideFileName(const std::string& docPath, const std::string& newExt) {
    static constexpr std::string_view ext = ".vkx";
    std::string stem = docPath;
    if (docPath.size() >= ext.size() && ToLowerAscii(docPath.substr(docPath.size() - ext.size())) == ext)
        stem = docPath.substr(0, docPath.size() - ext.size());
    // A file name has at most 255 bytes. A side file that would be longer
    // (a position named near the limit) gets a shortened name: the start of
    // the position's name, "~" and eight hexadecimal digits of a checksum
    // of the whole name, so that it stays the same in every run and differs
    // between positions.
    constexpr size_t kMaxName = 255;
    const size_t slash = stem.find_last_of('/');
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    if (stem.size() - nameStart + newExt.size() <= kMaxName || newExt.size() + 9 >= kMaxName) return stem + newExt;
    uint32_t hash = 2166136261u;  // FNV-1a
    for (size_t i = nameStart; i < docPath.size(); ++i) {
        hash ^= static_cast<unsigned char>(docPath[i]);
        hash *= 16777619u;
    }
    char tag[16];
    std::snprintf(tag, sizeof tag, "~%08x", static_cast<unsigned>(hash));
    size_t keep = kMaxName - newExt.size() - 9;
    while (keep > 0 && (static_cast<unsigned char>(stem[nameStart + keep]) & 0xC0) == 0x80) --keep;  // whole characters
    return stem.substr(0, nameStart + keep) + tag + newExt;
}

std::string ToSlashPath(std::string p) {
    for (char& c : p)
        if (c == '\\') c = '/';
    return p;
}

std::string ShortenForMessage(std::string_view text, size_t maxBytes) {
    if (text.size() <= maxBytes) return std::string(text);
    size_t cut = maxBytes;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;  // whole characters
    return std::string(text.substr(0, cut)) + "...";
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

char32_t Cp1252ToUnicode(unsigned char byte) {
    // The bytes 0x80..0x9F; 0 where the code page leaves a byte free.
    static constexpr char16_t kHigh[32] = {
        0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
    if (byte >= 0x80 && byte < 0xA0 && kHigh[byte - 0x80] != 0) return kHigh[byte - 0x80];
    return byte;
}

}  // namespace winsys
