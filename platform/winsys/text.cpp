// Text and file-name helpers shared by the module and the kernel.
#include "platform/winsys/winsys.h"

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
    if (docPath.size() >= ext.size() &&
        ToLowerAscii(docPath.substr(docPath.size() - ext.size())) == ext) {
        return docPath.substr(0, docPath.size() - ext.size()) + newExt;
    }
    return docPath + newExt;
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

}  // namespace winsys
