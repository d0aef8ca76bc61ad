// Reading and writing documents as UTF-8 XML, and subtree fingerprints.
#include "platform/zevud/internal.h"

#include <pugixml.hpp>
#include <xxhash.h>

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

}  // namespace

std::string SerializeDoc(const Doc& d) {
    pugi::xml_document x;
    pugi::xml_node decl = x.append_child(pugi::node_declaration);
    decl.append_attribute("version").set_value("1.0");
    decl.append_attribute("encoding").set_value("UTF-8");
    auto fill = [](pugi::xml_node e, const Node* n) {
        for (const Attr& a : n->attrs) e.append_attribute(XmlName(a.name).c_str()).set_value(a.value.c_str());
        if (!n->text.empty()) e.append_child(pugi::node_pcdata).set_value(n->text.c_str());
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

// Converts one XML element's name and attributes (texts of an older file in
// the 8-bit code page become UTF-8); false with a reason for an empty
// attribute name or an attribute given twice.
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
        n->attrs.push_back(Attr{std::move(name), ToUtf8(a.value())});
    }
    for (pugi::xml_node c = e.first_child(); c; c = c.next_sibling())
        if (c.type() == pugi::node_pcdata || c.type() == pugi::node_cdata) n->text += ToUtf8(c.value());
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
