// The handle table and the tree operations of the document library.
#include "platform/zevud/internal.h"

#include <utility>

namespace zevud::impl {

namespace {
constexpr uint32_t kIndexBits = 24;
constexpr uint32_t kIndexMask = (1u << kIndexBits) - 1;  // index + 1 must fit
constexpr uint8_t kLastGeneration = 255;
}  // namespace

uint32_t HandleTable::Alloc(Kind kind, void* ptr) {
    uint32_t index;
    if (!free_.empty()) {
        index = free_.front();
        free_.pop_front();
    } else {
        if (slots_.size() + 1 >= kIndexMask) return 0;  // table full
        index = static_cast<uint32_t>(slots_.size());
        slots_.emplace_back();
    }
    Slot& s = slots_[index];
    s.ptr = ptr;
    s.kind = kind;
    return (static_cast<uint32_t>(s.gen) << kIndexBits) | (index + 1);
}

void HandleTable::Release(uint32_t h) {
    uint32_t low = h & kIndexMask;
    if (low == 0 || low > slots_.size()) return;
    uint32_t index = low - 1;
    Slot& s = slots_[index];
    if (s.kind == Kind::Free || s.gen != (h >> kIndexBits)) return;
    s.ptr = nullptr;
    s.kind = Kind::Free;
    if (s.gen == kLastGeneration) return;  // retired: never handed out again
    ++s.gen;
    free_.push_back(index);
}

void* HandleTable::Lookup(uint32_t h, Kind kind) const {
    uint32_t low = h & kIndexMask;
    if (low == 0 || low > slots_.size()) return nullptr;
    const Slot& s = slots_[low - 1];
    if (s.kind != kind || s.gen != (h >> kIndexBits)) return nullptr;
    return s.ptr;
}

Store& TheStore() {
    // Never destroyed: libraries unloaded late may still close documents, and
    // the documents stay reachable for leak checkers.
    static Store* store = new Store;
    return *store;
}

uint32_t ElementHandle(Store& s, Node* n) {
    if (!n) return 0;
    if (!n->handle) n->handle = s.table.Alloc(Kind::Element, n);
    return n->handle;
}

Node* NewNode(std::string name, Doc* doc) {
    Node* n = new Node;
    n->name = std::move(name);
    n->doc = doc;
    return n;
}

void FreeSubtree(Store& s, Node* n) {
    if (!n) return;
    n->Unlink();
    std::vector<Node*> stack{n};
    while (!stack.empty()) {
        Node* cur = stack.back();
        stack.pop_back();
        for (Node* c = cur->first; c; c = c->next) stack.push_back(c);
        if (cur->handle) s.table.Release(cur->handle);
        delete cur;
    }
}

Node* CopySubtree(const Node* src, Doc* doc) {
    auto copyOne = [doc](const Node* from) {
        Node* n = NewNode(from->name, doc);
        n->attrs = from->attrs;
        n->text = from->text;
        return n;
    };
    Node* top = copyOne(src);
    // (source, its copy): children are copied in order under the copy.
    std::vector<std::pair<const Node*, Node*>> stack{{src, top}};
    while (!stack.empty()) {
        auto [from, to] = stack.back();
        stack.pop_back();
        for (const Node* c = from->first; c; c = c->next) {
            Node* copy = copyOne(c);
            to->AppendChild(copy);
            if (c->first) stack.emplace_back(c, copy);
        }
    }
    return top;
}

int SubtreeHeight(const Node* n) {
    int height = 0;
    std::vector<std::pair<const Node*, int>> stack{{n, 1}};
    while (!stack.empty()) {
        auto [cur, level] = stack.back();
        stack.pop_back();
        if (level > height) height = level;
        for (const Node* c = cur->first; c; c = c->next) stack.emplace_back(c, level + 1);
    }
    return height;
}

}  // namespace zevud::impl
