// Inner model of the document library: documents, elements, the handle
// table, and the text codecs (names, numbers, base64) shared by the sources.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zevud::impl {

// Deepest element nesting a document may have (the root is level 1). Files
// deeper than this are refused on reading, so nothing deeper is built either.
constexpr int kMaxDepth = 256;
// Largest document file that is read or written.
constexpr std::uintmax_t kMaxFileBytes = 1024ull * 1024 * 1024;
// Largest binary value (and stored file) one attribute takes.
constexpr std::size_t kMaxBinBytes = 256u * 1024 * 1024;

struct Doc;

// Attribute values are held as their stored text: numbers in their written
// form, binary data as base64. A value read back therefore converts the same
// way before and after a save.
struct Attr {
    std::string name;
    std::string value;
};

struct Node {
    std::string name;
    std::vector<Attr> attrs;  // in insertion order
    std::string text;         // character content (documents from elsewhere)
    Node* parent = nullptr;
    Node* first = nullptr;
    Node* last = nullptr;
    Node* prev = nullptr;
    Node* next = nullptr;
    Doc* doc = nullptr;
    uint32_t handle = 0;  // given out on first request

    const Attr* FindAttr(std::string_view n) const {
        for (const Attr& a : attrs)
            if (a.name == n) return &a;
        return nullptr;
    }
    Attr* FindAttr(std::string_view n) {
        for (Attr& a : attrs)
            if (a.name == n) return &a;
        return nullptr;
    }
    // Replaces the value in place, or appends a new attribute at the end.
    void SetAttr(std::string_view n, std::string v) {
        if (Attr* a = FindAttr(n))
            a->value = std::move(v);
        else
            attrs.push_back(Attr{std::string(n), std::move(v)});
    }
    void AppendChild(Node* c) {
        c->parent = this;
        c->prev = last;
        c->next = nullptr;
        if (last)
            last->next = c;
        else
            first = c;
        last = c;
    }
    void Unlink() {
        if (!parent) return;
        if (prev) prev->next = next; else parent->first = next;
        if (next) next->prev = prev; else parent->last = prev;
        parent = prev = next = nullptr;
    }
    int Depth() const {
        int d = 0;
        for (const Node* n = this; n; n = n->parent) ++d;
        return d;
    }
};

struct Doc {
    // Guards everything of this document: its fields and every element of
    // its tree. Calls on different documents therefore never wait for each
    // other; a call holds it for its whole work on the document.
    std::mutex mutex;
    std::string fileName;  // absolute path, "" for an unnamed document
    Node* root = nullptr;
    uint32_t handle = 0;
    bool savesHeld = false;   // saves under the own name are held back
    bool saveWasHeld = false; // a save was held back since the hold began
    // The first attribute read as a number whose text is not one complete,
    // finite number: a reader asks for it after reading and refuses the data.
    std::string numberError;
};

// ---- handle table --------------------------------------------------------
// A handle is (generation << 24) | (slot index + 1). A freed slot gets the
// next generation and goes to the back of the free queue, so an old handle
// is refused; a slot whose generation is used up is retired for good, so a
// handle never comes to mean another object.
//
// Handing out and taking back handles is done under the table's own short
// lock. Looking a handle up takes no lock: the slots lie in chunks that never
// move, and each slot says atomically which handle it stands for, which
// object and which document that object belongs to. What a lookup finds is
// only a candidate: the caller locks the document and then asks whether the
// handle is still live (IsLive). Handles into a document are taken back only
// under that document's lock, and a handle value never comes back, so a
// handle that is live under the lock stays valid until the lock is released.
// Document objects are kept in a pool and never freed, so locking the
// document of a candidate is safe even when it was closed meanwhile.
enum class Kind : uint8_t { Free, Document, Element };

class HandleTable {
public:
    HandleTable() = default;
    HandleTable(const HandleTable&) = delete;
    HandleTable& operator=(const HandleTable&) = delete;

    // 0 when the table is full. For an element, doc is the document that
    // holds it; for a document, the document itself.
    uint32_t Alloc(Kind kind, void* ptr, Doc* doc);
    // Takes back a handle (one that is not live is ignored).
    void Release(uint32_t h);
    void ReleaseAll(const std::vector<uint32_t>& handles);

    struct Slot;
    struct Candidate {
        void* ptr = nullptr;
        Doc* doc = nullptr;
        const Slot* slot = nullptr;
    };
    // The object and document a handle of that kind stands for right now;
    // all null for a free, stale or unknown handle. Valid only once the
    // document is locked and IsLive still holds.
    Candidate Find(uint32_t h, Kind kind) const {
        const Slot* s = SlotOf(h);
        if (!s || s->live.load(std::memory_order_acquire) != h) return {};
        if (s->kind.load(std::memory_order_acquire) != kind) return {};
        Candidate c{s->ptr.load(std::memory_order_acquire), s->doc.load(std::memory_order_acquire), s};
        if (!c.ptr || !c.doc) return {};
        return c;
    }
    static bool IsLive(const Candidate& c, uint32_t h) {
        return c.slot && c.slot->live.load(std::memory_order_acquire) == h;
    }

    // A document object to fill, from the pool of closed ones or new; and
    // back into the pool after closing (its tree freed, its handle released).
    Doc* TakeDoc();
    void ReturnDoc(Doc* doc);

    static constexpr uint32_t kIndexBits = 24;
    static constexpr uint32_t kIndexMask = (1u << kIndexBits) - 1;  // index + 1 must fit

    struct Slot {
        std::atomic<uint32_t> live{0};  // the handle while in use, 0 when free
        std::atomic<Kind> kind{Kind::Free};
        std::atomic<void*> ptr{nullptr};
        std::atomic<Doc*> doc{nullptr};
        uint8_t gen = 1;  // under the table's lock
    };

private:
    static constexpr uint32_t kChunkBits = 12;
    static constexpr uint32_t kChunkSize = 1u << kChunkBits;
    static constexpr uint32_t kMaxChunks = (1u << 24) / kChunkSize;

    // The slot a handle points at (0 and unknown indexes have none).
    const Slot* SlotOf(uint32_t h) const {
        uint32_t low = h & kIndexMask;
        if (low == 0) return nullptr;
        uint32_t index = low - 1;
        const Slot* chunk = chunks_[index >> kChunkBits].load(std::memory_order_acquire);
        return chunk ? &chunk[index & (kChunkSize - 1)] : nullptr;
    }
    void ReleaseLocked(uint32_t h);

    std::mutex mutex_;  // handing out and taking back; the free queue; the pool
    std::atomic<Slot*> chunks_[kMaxChunks] = {};
    std::atomic<uint32_t> size_{0};  // slots in use or used before
    std::deque<uint32_t> free_;
    std::vector<Doc*> pool_;
};

// The one store of the process: shared by every library that links this one.
struct Store {
    HandleTable table;
};
// Never destroyed: libraries unloaded late may still close documents, and
// the documents stay reachable for leak checkers.
inline Store& TheStore() {
    static Store* store = new Store;
    return *store;
}

// Tree helpers; all iterative, so no tree depth can exhaust the stack.
uint32_t NewElementHandle(Store& s, Node* n);
inline uint32_t ElementHandle(Store& s, Node* n) {
    if (!n) return 0;
    return n->handle ? n->handle : NewElementHandle(s, n);
}
Node* NewNode(std::string name, Doc* doc);
// Unlinks the subtree from its parent and frees it with its handles (the
// caller holds the lock of the subtree's document when it has handles).
void FreeSubtree(Store& s, Node* n);
// A detached deep copy (names, attributes, text, children) for document doc.
Node* CopySubtree(const Node* src, Doc* doc);
// Levels of the subtree (1 for a leaf).
int SubtreeHeight(const Node* n);

// ---- serialisation and fingerprints ---------------------------------------
// Serialised UTF-8 XML text of a document.
std::string SerializeDoc(const Doc& d);
// Reads a document text; on failure returns nullptr and a reason.
Node* ParseDoc(const std::string& bytes, Doc* doc, std::string& reason);
// XXH3-128 of the canonical form of a subtree, big-endian bytes.
void FingerprintSubtree(const Node* n, unsigned char out[16]);

// ---- names ---------------------------------------------------------------
// Any non-empty, valid UTF-8 name into an XML name and back, losslessly:
// characters not allowed in XML names (and ':') are written as _xHHHH_, and
// a literal '_' before an 'x' is itself escaped.
std::optional<std::string> EncodeName(std::string_view name);
std::string DecodeName(std::string_view xmlName);
bool IsValidUtf8(std::string_view s);
// Turns any text into a valid XML element name: characters not allowed
// become '_', a name that cannot start so gets a leading '_'.
std::string MakeValidName(std::string_view text);

// ---- numbers -------------------------------------------------------------
std::string FormatDouble(double v);
std::string FormatInt(int64_t v);
// Leading number of a text: blanks skipped, an optional sign, then the
// longest number. nullopt when the text does not begin with one.
std::optional<double> ParseDouble(std::string_view s);
// Integer reading: an integer text exactly; a decimal or exponent text
// truncated towards zero; clamped to the 64-bit range; NaN gives nullopt.
std::optional<int64_t> ParseInt64(std::string_view s);
int32_t ClampToInt32(int64_t v);
// True when the whole text (blanks around it allowed) is one finite number:
// "1.07abc", "x1.07", "1,3,5", "", "nan", "inf" and "1e999" are not.
bool IsCompleteNumber(std::string_view s);

// ---- text encoding -----------------------------------------------------------
// A text that is valid UTF-8 stays as it is; in any other, each byte that
// starts no well-formed sequence is taken as a character of the Windows-1252
// code page of older files and converted.
std::string ToUtf8(std::string_view s);

// ---- base64 ----------------------------------------------------------------
std::string Base64Encode(const unsigned char* data, std::size_t n);
// Decoded length of a base64 text (blanks and line breaks ignored);
// nullopt for a text that is not base64.
std::optional<std::size_t> Base64DecodedLength(std::string_view s);
// Decodes into out (resized); false for a text that is not base64.
bool Base64Decode(std::string_view s, std::vector<unsigned char>& out);

}  // namespace zevud::impl
