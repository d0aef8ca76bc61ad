// The handle table and the tree operations of the document library.
#include "platform/zevud/internal.h"

#include <utility>

namespace zevud::impl {

namespace {
constexpr uint32_t kIndexBits = HandleTable::kIndexBits;
constexpr uint32_t kIndexMask = HandleTable::kIndexMask;
constexpr uint8_t kLastGeneration = 255;
}  // namespace

uint32_t HandleTable::Alloc(Kind kind, void* ptr, Doc* doc) {
    std::lock_guard<std::mutex> guard(mutex_);
    uint32_t index;
    if (!free_.empty()) {
        index = free_.front();
        free_.pop_front();
    } else {
        uint32_t size = size_.load(std::memory_order_relaxed);
        if (size + 1 >= kIndexMask) return 0;  // table full
        index = size;
        if (!chunks_[index >> kChunkBits].load(std::memory_order_relaxed))
            chunks_[index >> kChunkBits].store(new Slot[kChunkSize], std::memory_order_release);
        size_.store(size + 1, std::memory_order_relaxed);
    }
    Slot& s = chunks_[index >> kChunkBits].load(std::memory_order_relaxed)[index & (kChunkSize - 1)];
    uint32_t h = (static_cast<uint32_t>(s.gen) << kIndexBits) | (index + 1);
    // What the handle stands for is in place before the handle is live.
    s.kind.store(kind, std::memory_order_release);
    s.ptr.store(ptr, std::memory_order_release);
    s.doc.store(doc, std::memory_order_release);
    s.live.store(h, std::memory_order_release);
    return h;
}

void HandleTable::ReleaseLocked(uint32_t h) {
    Slot* s = const_cast<Slot*>(SlotOf(h));
    if (!s || s->live.load(std::memory_order_relaxed) != h) return;
    s->live.store(0, std::memory_order_release);
    s->kind.store(Kind::Free, std::memory_order_release);
    s->ptr.store(nullptr, std::memory_order_release);
    s->doc.store(nullptr, std::memory_order_release);
    if (s->gen == kLastGeneration) return;  // retired: never handed out again
    ++s->gen;
    free_.push_back((h & kIndexMask) - 1);
}

void HandleTable::Release(uint32_t h) {
    std::lock_guard<std::mutex> guard(mutex_);
    ReleaseLocked(h);
}

void HandleTable::ReleaseAll(const std::vector<uint32_t>& handles) {
    if (handles.empty()) return;
    std::lock_guard<std::mutex> guard(mutex_);
    for (uint32_t h : handles) ReleaseLocked(h);
}

Doc* HandleTable::TakeDoc() {
    {
        std::lock_guard<std::mutex> guard(mutex_);
        if (!pool_.empty()) {
            Doc* d = pool_.back();
            pool_.pop_back();
            return d;
        }
    }
    return new Doc;
}

void HandleTable::ReturnDoc(Doc* doc) {
    std::lock_guard<std::mutex> guard(mutex_);
    pool_.push_back(doc);
}

uint32_t NewElementHandle(Store& s, Node* n) {
    n->handle = s.table.Alloc(Kind::Element, n, n->doc);
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
    // The handles go back in one turn of the table's lock.
    std::vector<uint32_t> handles;
    std::vector<Node*> stack{n};
    while (!stack.empty()) {
        Node* cur = stack.back();
        stack.pop_back();
        for (Node* c = cur->first; c; c = c->next) stack.push_back(c);
        if (cur->handle) handles.push_back(cur->handle);
        delete cur;
    }
    s.table.ReleaseAll(handles);
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
