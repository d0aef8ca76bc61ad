// Reading and writing documents as UTF-8 XML, and subtree fingerprints.
#include "platform/zevud/internal.h"

#include <pugixml.hpp>
#include <xxhash.h>

#include <cstdio>
#include <memory>
#include <unordered_set>
#include <utility>

namespace zevud::impl {

namespace {

struct StringWriter : pugi::xml_writer {
    std::string out;
    void write(const void* data, size_t size) override { out.append(static_cast<const char*>(data), size); }
};

// Names in the model are checked (non-empty UTF-8) when they are set or read,
// so the encoding always succeeds; the fall-back only keeps the XML valid.
std::string XmlName(const std::string& name) {
    if (auto enc = EncodeName(name)) return *enc;
    return MakeValidName(name);
}

// XML 1.0 has no way to write the control characters other than tab, line
// feed and carriage return, nor U+FFFE and U+FFFF. A text of the document
// may hold them (set by the program), so they are written as code points of
// the last private-use plane, which only this library gives a meaning:
// U+10FF00 (the escape) followed by U+10FF20 + c for the control character
// c, U+10FF40 / U+10FF41 for U+FFFE / U+FFFF, and the escape itself for a
// literal escape. Reading turns them back, so every text round-trips and
// the file stays well-formed.
constexpr char kEscape[] = "\xF4\x8F\xBC\x80";  // U+10FF00

bool IsForbiddenControl(unsigned char c) { return c < 0x20 && c != 0x09 && c != 0x0A && c != 0x0D; }

std::string EncodeText(const std::string& v) {
    bool plain = true;
    for (unsigned char c : v) plain = plain && !IsForbiddenControl(c) && c != 0xEF && c != 0xF4;
    if (plain) return v;
    std::string out;
    out.reserve(v.size() + 16);
    for (size_t i = 0; i < v.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(v[i]);
        if (IsForbiddenControl(c)) {
            out += kEscape;
            out += "\xF4\x8F\xBC";
            out += static_cast<char>(0xA0 + c);
        } else if (c == 0xEF && v.compare(i, 2, "\xEF\xBF") == 0 && i + 2 < v.size() &&
                   (static_cast<unsigned char>(v[i + 2]) & 0xFE) == 0xBE) {
            out += kEscape;
            out += "\xF4\x8F\xBD";
            out += static_cast<char>(0x80 + (static_cast<unsigned char>(v[i + 2]) - 0xBE));
            i += 2;
        } else if (c == 0xF4 && v.compare(i, 4, kEscape) == 0) {
            out += kEscape;
            out += kEscape;
            i += 3;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

std::string DecodeText(const std::string& v) {
    if (v.find(kEscape) == std::string::npos) return v;
    std::string out;
    out.reserve(v.size());
    for (size_t i = 0; i < v.size(); ++i) {
        if (v.compare(i, 4, kEscape) != 0 || i + 8 > v.size()) {
            out += v[i];
            continue;
        }
        const std::string next = v.substr(i + 4, 4);
        const unsigned char last = static_cast<unsigned char>(next[3]);
        if (next == kEscape) {
            out += kEscape;
        } else if (next.compare(0, 3, "\xF4\x8F\xBC") == 0 && last >= 0xA0 && last <= 0xBF) {
            out += static_cast<char>(last - 0xA0);
        } else if (next.compare(0, 3, "\xF4\x8F\xBD") == 0 && (last == 0x80 || last == 0x81)) {
            out += last == 0x80 ? "\xEF\xBF\xBE" : "\xEF\xBF\xBF";
        } else {
            out += v[i];  // no pair of this library's: kept as it stands
            continue;
        }
        i += 7;
    }
    return out;
}

}  // namespace

std::string SerializeDoc(const Doc& d) {
    pugi::xml_document x;
    pugi::xml_node decl = x.append_child(pugi::node_declaration);
    decl.append_attribute("version").set_value("1.0");
    decl.append_attribute("encoding").set_value("UTF-8");
    auto fill = [](pugi::xml_node e, const Node* n) {
        for (const Attr& a : n->attrs)
            e.append_attribute(XmlName(a.name).c_str()).set_value(EncodeText(a.value).c_str());
        if (!n->text.empty()) e.append_child(pugi::node_pcdata).set_value(EncodeText(n->text).c_str());
    };
    if (d.root) {
        pugi::xml_node top = x.append_child(XmlName(d.root->name).c_str());
        fill(top, d.root);
        std::vector<std::pair<const Node*, pugi::xml_node>> stack{{d.root, top}};
        while (!stack.empty()) {
            auto [from, to] = stack.back();
            stack.pop_back();
            for (const Node* c = from->first; c; c = c->next) {
                pugi::xml_node e = to.append_child(XmlName(c->name).c_str());
                fill(e, c);
                if (c->first) stack.emplace_back(c, e);
            }
        }
    }
    StringWriter w;
    x.save(w, "\t", pugi::format_indent, pugi::encoding_utf8);
    return std::move(w.out);
}

namespace {

// The first character of a UTF-8 text that XML 1.0 does not allow: the
// control characters other than tab, line feed and carriage return (also
// when written as a character reference such as "&#17;", which the parser
// decodes) and U+FFFE, U+FFFF. -1 when there is none.
long ForbiddenXmlChar(const std::string& v) {
    for (size_t i = 0; i < v.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(v[i]);
        if (c < 0x20 && c != 0x09 && c != 0x0A && c != 0x0D) return c;
        if (c == 0xEF && i + 2 < v.size() && static_cast<unsigned char>(v[i + 1]) == 0xBF &&
            (static_cast<unsigned char>(v[i + 2]) & 0xFE) == 0xBE)
            return static_cast<unsigned char>(v[i + 2]) == 0xBE ? 0xFFFE : 0xFFFF;
    }
    return -1;
}

std::string CharCode(long c) {
    char buf[16];
    std::snprintf(buf, sizeof buf, c > 0xFF ? "U+%04lX" : "0x%02lX", c);
    return buf;
}

// Converts one XML element's name and attributes (texts of an older file in
// the 8-bit code page become UTF-8); false with a reason for an empty
// attribute name, an attribute given twice, or a character XML does not
// allow (a document holding one could never be written back as XML).
bool TakeElement(pugi::xml_node e, Node* n, std::string& reason) {
    n->name = ToUtf8(DecodeName(e.name()));
    if (!IsValidUtf8(n->name)) {
        reason = "ungültiger Elementname";
        return false;
    }
    std::unordered_set<std::string> seen;
    for (pugi::xml_attribute a : e.attributes()) {
        std::string name = ToUtf8(DecodeName(a.name()));
        if (name.empty() || !IsValidUtf8(name)) {
            reason = "ungültiger Attributname";
            return false;
        }
        if (!seen.insert(name).second) {
            reason = "Attribut \"" + name + "\" doppelt";
            return false;
        }
        std::string value = ToUtf8(a.value());
        if (const long bad = ForbiddenXmlChar(value); bad >= 0) {
            reason = "Attribut \"" + name + "\" des Elements \"" + n->name + "\" enthält das Zeichen " +
                     CharCode(bad) + ", das XML nicht erlaubt";
            return false;
        }
        n->attrs.push_back(Attr{std::move(name), DecodeText(value)});
    }
    for (pugi::xml_node c = e.first_child(); c; c = c.next_sibling())
        if (c.type() == pugi::node_pcdata || c.type() == pugi::node_cdata) n->text += ToUtf8(c.value());
    if (const long bad = ForbiddenXmlChar(n->text); bad >= 0) {
        reason = "der Text des Elements \"" + n->name + "\" enthält das Zeichen " + CharCode(bad) +
                 ", das XML nicht erlaubt";
        return false;
    }
    n->text = DecodeText(n->text);
    return true;
}

}  // namespace

Node* ParseDoc(const std::string& bytes, Doc* doc, std::string& reason) {
    pugi::xml_document x;
    unsigned flags = pugi::parse_cdata | pugi::parse_escapes | pugi::parse_eol;
    pugi::xml_parse_result r = x.load_buffer(bytes.data(), bytes.size(), flags, pugi::encoding_auto);
    if (!r) {
        reason = std::string(r.description()) + " bei Byte " + std::to_string(r.offset);
        return nullptr;
    }
    pugi::xml_node top;
    int tops = 0;
    for (pugi::xml_node c = x.first_child(); c; c = c.next_sibling()) {
        if (c.type() == pugi::node_element) {
            top = c;
            ++tops;
        } else if (c.type() == pugi::node_pcdata || c.type() == pugi::node_cdata) {
            reason = "Text außerhalb des Wurzelelements";
            return nullptr;
        }
    }
    if (tops != 1) {
        reason = tops == 0 ? "kein Wurzelelement" : "mehr als ein Wurzelelement";
        return nullptr;
    }
    std::unique_ptr<Node, void (*)(Node*)> root(NewNode({}, doc), [](Node* n) { FreeSubtree(TheStore(), n); });
    if (!TakeElement(top, root.get(), reason)) return nullptr;
    // (XML element, model element, level)
    struct Item {
        pugi::xml_node from;
        Node* to;
        int level;
    };
    std::vector<Item> stack{{top, root.get(), 1}};
    while (!stack.empty()) {
        Item it = stack.back();
        stack.pop_back();
        for (pugi::xml_node c = it.from.first_child(); c; c = c.next_sibling()) {
            if (c.type() != pugi::node_element) continue;
            if (it.level + 1 > kMaxDepth) {
                reason = "Verschachtelung tiefer als " + std::to_string(kMaxDepth) + " Ebenen";
                return nullptr;
            }
            Node* n = NewNode({}, doc);
            it.to->AppendChild(n);
            if (!TakeElement(c, n, reason)) return nullptr;
            if (c.first_child()) stack.push_back({c, n, it.level + 1});
        }
    }
    return root.release();
}

void FingerprintSubtree(const Node* n, unsigned char out[16]) {
    XXH3_state_t* st = XXH3_createState();
    XXH3_128bits_reset(st);
    auto putLen = [st](uint64_t v) {
        unsigned char b[8];
        for (int i = 0; i < 8; ++i) b[i] = static_cast<unsigned char>(v >> (8 * i));
        XXH3_128bits_update(st, b, 8);
    };
    auto putText = [&](const std::string& s) {
        putLen(s.size());
        XXH3_128bits_update(st, s.data(), s.size());
    };
    std::vector<std::pair<const Node*, bool>> stack{{n, false}};
    while (!stack.empty()) {
        auto [cur, closing] = stack.back();
        stack.pop_back();
        if (closing) {
            XXH3_128bits_update(st, "C", 1);
            continue;
        }
        XXH3_128bits_update(st, "E", 1);
        putText(cur->name);
        putLen(cur->attrs.size());
        for (const Attr& a : cur->attrs) {
            putText(a.name);
            putText(a.value);
        }
        putText(cur->text);
        stack.emplace_back(cur, true);
        for (const Node* c = cur->last; c; c = c->prev) stack.emplace_back(c, false);
    }
    XXH128_hash_t h = XXH3_128bits_digest(st);
    XXH3_freeState(st);
    XXH128_canonical_t canon;
    XXH128_canonicalFromHash(&canon, h);
    for (int i = 0; i < 16; ++i) out[i] = canon.digest[i];
}

}  // namespace zevud::impl
