// The exported routines of the document library.
#include "platform/zevud/zevud.h"
#include "platform/zevud/holds.h"

#include "platform/winsys/winsys.h"
#include "platform/zevud/internal.h"

#include <xxhash.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <mutex>

using namespace zevud::impl;
namespace fs = std::filesystem;

namespace {

const char* const kCaption = "Dokument";

// Messages are shown only after every document is unlocked, so that a sink
// may itself use documents.
void Report(const std::string& text) {
    winsys::MessageBox(text, kCaption, winsys::Buttons::Ok, winsys::Icon::Error);
}

HandleTable& Table() { return TheStore().table; }

// The lock of a handle's document, taken for a call's work on it. The
// handle is looked up without a lock, its document locked, and the handle
// checked again under that lock: only then is the object its handle's.
// A stale, unknown or wrong-kind handle leaves the access empty.
class Access {
public:
    Access() = default;
    Access(const Access&) = delete;
    Access& operator=(const Access&) = delete;
    ~Access() { Unlock(); }
    void Unlock() {
        if (held_) held_->unlock();
        held_ = nullptr;
    }

protected:
    HandleTable::Candidate Acquire(uint32_t h, Kind kind) {
        HandleTable::Candidate c = Table().Find(h, kind);
        if (!c.doc) return {};
        c.doc->mutex.lock();
        if (!HandleTable::IsLive(c, h)) {
            c.doc->mutex.unlock();
            return {};
        }
        held_ = &c.doc->mutex;
        return c;
    }

private:
    std::mutex* held_ = nullptr;
};

// One document, locked.
struct DocAccess : Access {
    Doc* doc = nullptr;
    explicit DocAccess(ZVDOC h) { doc = static_cast<Doc*>(Acquire(h, Kind::Document).ptr); }
    ZVELEM Handle(Node* n) { return ElementHandle(TheStore(), n); }
};

// One element, with its document locked.
struct ElemAccess : Access {
    Node* node = nullptr;
    Doc* doc = nullptr;
    explicit ElemAccess(ZVELEM h) {
        HandleTable::Candidate c = Acquire(h, Kind::Element);
        node = static_cast<Node*>(c.ptr);
        doc = c.doc;
    }
    ZVELEM Handle(Node* n) { return ElementHandle(TheStore(), n); }
};

int ClampLength(std::size_t n) { return n > static_cast<std::size_t>(INT_MAX) ? INT_MAX : static_cast<int>(n); }

// Copies a text into a caller buffer (always terminated when there is room)
// and returns the full length.
int CopyOut(std::string_view text, char* buf, int bufSize) {
    if (buf && bufSize > 0) {
        std::size_t m = std::min(text.size(), static_cast<std::size_t>(bufSize - 1));
        if (m) std::memcpy(buf, text.data(), m);
        buf[m] = '\0';
    }
    return ClampLength(text.size());
}

bool ValidName(const char* name) { return name && *name && IsValidUtf8(name); }

// A file name made absolute. A backslash is a folder separator of stored
// data, unless the name is a real file (or a new one in an existing folder)
// as it is written.
std::string FilePath(const char* name) {
    std::string p = winsys::RealFilePath(name);
    std::error_code ec;
    fs::path abs = fs::absolute(fs::path(p), ec);
    if (ec) return p;
    return abs.lexically_normal().string();
}

// The file itself, or the one file in its folder whose name differs only in case.
fs::path ExistingFile(const std::string& path) {
    std::error_code ec;
    if (fs::exists(path, ec)) return path;
    return winsys::ResolveCaseInsensitive(path);
}

std::string ErrnoText(int e) { return winsys::FileErrorText(e); }

bool ReadWholeFile(const fs::path& p, std::uintmax_t maxBytes, std::string& out, std::string& reason) {
    std::error_code ec;
    fs::file_status st = fs::status(p, ec);
    if (ec || !fs::exists(st)) {
        reason = "Datei nicht gefunden";
        return false;
    }
    if (!fs::is_regular_file(st)) {
        reason = "keine Datei";
        return false;
    }
    std::uintmax_t size = fs::file_size(p, ec);
    if (!ec && size > maxBytes) {
        reason = "Datei größer als " + std::to_string(maxBytes / (1024 * 1024)) + " MB";
        return false;
    }
    std::FILE* f = std::fopen(p.c_str(), "rb");
    if (!f) {
        reason = ErrnoText(errno);
        return false;
    }
    out.clear();
    char chunk[65536];
    std::size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) {
        if (out.size() + n > maxBytes) {
            std::fclose(f);
            reason = "Datei größer als " + std::to_string(maxBytes / (1024 * 1024)) + " MB";
            return false;
        }
        out.append(chunk, n);
    }
    bool bad = std::ferror(f);
    std::fclose(f);
    if (bad) {
        reason = "Lesefehler";
        return false;
    }
    return true;
}

bool WriteFileAtomic(const std::string& path, std::string_view data, std::string& reason) {
    return winsys::WriteFileAtomic(path, data, reason);
}

// A new document: a document object from the pool is filled under its lock
// (fill gives its tree, or nullptr and a reason) and gets its handle.
template <class Fill>
ZVDOC RegisterDoc(std::string fileName, Fill fill, std::string& err) {
    HandleTable& table = Table();
    Doc* doc = table.TakeDoc();
    ZVDOC h = 0;
    {
        std::lock_guard<std::mutex> guard(doc->mutex);
        doc->fileName = std::move(fileName);
        doc->savesHeld = doc->saveWasHeld = false;
        doc->numberError.clear();
        doc->handle = 0;
        doc->root = fill(doc, err);
        if (doc->root) {
            doc->root->doc = doc;
            h = table.Alloc(Kind::Document, doc, doc);
            if (h) {
                doc->handle = h;
            } else {
                FreeSubtree(TheStore(), doc->root);
                doc->root = nullptr;
                err = "Zu viele Dokumente geöffnet.";
            }
        }
        if (!h) doc->fileName.clear();
    }
    if (!h) table.ReturnDoc(doc);
    return h;
}

ZVDOC OpenImpl(const char* fileName, std::string& err) {
    if (!fileName || !*fileName) {
        err = "Kein Dateiname für das Dokument angegeben.";
        return 0;
    }
    fs::path p = ExistingFile(FilePath(fileName));
    std::string bytes, reason;
    if (!ReadWholeFile(p, kMaxFileBytes, bytes, reason)) {
        err = "Das Dokument '" + p.string() + "' kann nicht geöffnet werden: " + reason + ".";
        return 0;
    }
    return RegisterDoc(
        p.string(),
        [&](Doc* doc, std::string& e) {
            Node* root = ParseDoc(bytes, doc, reason);
            if (!root)
                e = "Das Dokument '" + p.string() + "' ist beschädigt und wurde nicht geöffnet (" + reason + ").";
            return root;
        },
        err);
}

// Whether a serialised text parses back to a tree with the given fingerprint.
bool ReadsBackAs(const std::string& text, const unsigned char fingerprint[16], std::string& reason) {
    Doc probe;
    Node* root = ParseDoc(text, &probe, reason);
    if (!root) return false;
    unsigned char after[16];
    FingerprintSubtree(root, after);
    FreeSubtree(TheStore(), root);  // no handles: nobody else has seen it
    if (std::memcmp(after, fingerprint, 16) != 0) {
        reason = "der gelesene Inhalt weicht ab";
        return false;
    }
    return true;
}

// Saves doc under path (its own name when path is null); adopt gives the
// document the new name after a successful save.
int SaveImpl(ZVDOC d, const char* newName, bool adopt, std::string& err) {
    std::string path, text;
    unsigned char before[16];
    {
        DocAccess L(d);
        Doc* doc = L.doc;
        if (!doc) return 0;
        if (newName) {
            if (!*newName) {
                err = "Kein Dateiname zum Speichern des Dokuments angegeben.";
                return 0;
            }
            path = FilePath(newName);
        } else {
            path = doc->fileName;
        }
        if (path.empty()) {
            err = "Das Dokument hat keinen Dateinamen und kann nicht gespeichert werden.";
            return 0;
        }
        if (doc->savesHeld && path == doc->fileName) {
            doc->saveWasHeld = true;
            return 1;
        }
        text = SerializeDoc(*doc);
        FingerprintSubtree(doc->root, before);
    }
    if (text.size() > kMaxFileBytes) {
        err = "Das Dokument '" + path + "' ist zu groß zum Speichern.";
        return 0;
    }
    // Only a text that reads back as this very document is written.
    std::string reason;
    if (!ReadsBackAs(text, before, reason)) {
        err = "Das Dokument '" + path + "' wird nicht gespeichert: sein Text ließe sich nicht wieder lesen (" +
              reason + ").";
        return 0;
    }
    if (!WriteFileAtomic(path, text, reason)) {
        err = "Das Dokument '" + path + "' kann nicht gespeichert werden: " + reason + ".";
        return 0;
    }
    if (adopt) {
        DocAccess L(d);
        if (Doc* doc = L.doc) doc->fileName = path;
    }
    return 1;
}

// The element's path below the root ("input\\section"; the root's own name
// for the root).
std::string ElementPath(const Node* n) {
    if (!n->parent) return n->name;
    std::string path;
    for (; n && n->parent; n = n->parent) path = path.empty() ? n->name : n->name + "\\" + path;
    return path;
}

// A number read from a text that is not one finite number is remembered in
// the document (the first one), so that its reader can refuse the data with
// the file, element and attribute named. The value read stays as before.
void CheckNumber(const Node* n, std::string_view attr, std::string_view text) {
    if (IsCompleteNumber(text) || !n->doc || !n->doc->numberError.empty()) return;
    std::string file = n->doc->fileName.empty() ? std::string("(ohne Namen)") : n->doc->fileName;
    n->doc->numberError = "Im Dokument '" + file + "' ist der Wert \"" + winsys::ShortenForMessage(text) + "\" des Attributs \"" +
                          std::string(attr) + "\" im Element \"" + ElementPath(n) + "\" keine gültige Zahl.";
}

// Reading numbers from the stored text.
int32_t IntOf(const Node* n, const Attr* a) {
    if (!a) return 0;
    CheckNumber(n, a->name, a->value);
    auto v = ParseInt64(a->value);
    return v ? ClampToInt32(*v) : 0;
}

double DoubleOf(const Node* n, std::string_view attr, std::string_view text) {
    CheckNumber(n, attr, text);
    auto v = ParseDouble(text);
    return v ? *v : 0.0;
}

int SetText(ZVELEM elem, const char* attr, std::string value) {
    if (!ValidName(attr)) return 0;
    ElemAccess L(elem);
    Node* n = L.node;
    if (!n) return 0;
    n->SetAttr(attr, IsValidUtf8(value) ? std::move(value) : ToUtf8(value));
    return 1;
}

}  // namespace

// ---- documents -------------------------------------------------------------------

ZEVUD_API ZVDOC ZEVUD_CreateDoc(const char* fileName) {
    std::string name = fileName && *fileName ? FilePath(fileName) : std::string();
    std::string err;
    ZVDOC h = RegisterDoc(std::move(name), [](Doc* doc, std::string&) { return NewNode("root", doc); }, err);
    if (!h) Report(err);
    return h;
}

ZEVUD_API ZVDOC ZEVUD_OpenDoc(const char* fileName) {
    std::string err;
    ZVDOC h = OpenImpl(fileName, err);
    if (!h && !err.empty()) Report(err);
    return h;
}

ZEVUD_API ZVDOC ZEVUD_OpenDocQuiet(const char* fileName) {
    std::string err;
    return OpenImpl(fileName, err);
}

ZEVUD_API int ZEVUD_SaveDoc(ZVDOC doc) {
    std::string err;
    int ok = SaveImpl(doc, nullptr, false, err);
    if (!ok && !err.empty()) Report(err);
    return ok;
}

ZEVUD_API int ZEVUD_SaveDocAs(ZVDOC doc, const char* fileName) {
    std::string err;
    int ok = fileName ? SaveImpl(doc, fileName, true, err) : 0;
    if (!ok && !err.empty()) Report(err);
    return ok;
}

ZEVUD_API int ZEVUD_SaveCopyAs(ZVDOC doc, const char* fileName) {
    std::string err;
    int ok = fileName ? SaveImpl(doc, fileName, false, err) : 0;
    if (!ok && !err.empty()) Report(err);
    return ok;
}

ZEVUD_API int ZEVUD_HoldSaves(ZVDOC d, int hold) {
    DocAccess L(d);
    Doc* doc = L.doc;
    if (!doc) return 0;
    doc->savesHeld = hold != 0;
    if (hold) doc->saveWasHeld = false;
    return 1;
}

ZEVUD_API int ZEVUD_SaveWasHeld(ZVDOC d) {
    DocAccess L(d);
    Doc* doc = L.doc;
    return doc && doc->saveWasHeld ? 1 : 0;
}

ZEVUD_API int ZEVUD_SavesHeld(ZVDOC d) {
    DocAccess L(d);
    Doc* doc = L.doc;
    return doc && doc->savesHeld ? 1 : 0;
}

ZEVUD_API int ZEVUD_CloseDoc(ZVDOC d) {
    DocAccess L(d);
    Doc* doc = L.doc;
    if (!doc) return 0;
    // Every handle into the document is taken back under its lock, so a call
    // that looked one up meanwhile finds it stale once it holds the lock.
    FreeSubtree(TheStore(), doc->root);
    doc->root = nullptr;
    Table().Release(d);
    doc->handle = 0;
    doc->fileName.clear();
    doc->numberError.clear();
    doc->savesHeld = doc->saveWasHeld = false;
    L.Unlock();
    Table().ReturnDoc(doc);
    return 1;
}

ZEVUD_API ZVDOC ZEVUD_GetDocument(ZVELEM elem) {
    ElemAccess L(elem);
    Node* n = L.node;
    return n && n->doc ? n->doc->handle : 0;
}

ZEVUD_API int ZEVUD_GetCompleteFileName(ZVDOC d, char* buf, int bufSize) {
    DocAccess L(d);
    Doc* doc = L.doc;
    return CopyOut(doc ? doc->fileName : std::string(), buf, bufSize);
}

ZEVUD_API int ZEVUD_GetDocText(ZVDOC d, char* buf, int bufSize) {
    std::string text;
    {
        DocAccess L(d);
        if (Doc* doc = L.doc) text = SerializeDoc(*doc);
    }
    return CopyOut(text, buf, bufSize);
}

ZEVUD_API int ZEVUD_GetNumberError(ZVDOC d, char* buf, int bufSize) {
    DocAccess L(d);
    Doc* doc = L.doc;
    return CopyOut(doc ? doc->numberError : std::string(), buf, bufSize);
}

ZEVUD_API int ZEVUD_ClearNumberError(ZVDOC d) {
    DocAccess L(d);
    Doc* doc = L.doc;
    if (!doc) return 0;
    doc->numberError.clear();
    return 1;
}

// ---- elements --------------------------------------------------------------------

ZEVUD_API ZVELEM ZEVUD_GetRootElement(ZVDOC d) {
    DocAccess L(d);
    Doc* doc = L.doc;
    return doc ? L.Handle(doc->root) : 0;
}

ZEVUD_API ZVELEM ZEVUD_AddChildElement(ZVELEM parent, const char* name) {
    if (!ValidName(name)) return 0;
    ElemAccess L(parent);
    Node* p = L.node;
    if (!p || p->Depth() >= kMaxDepth) return 0;
    Node* c = NewNode(name, p->doc);
    ZVELEM h = L.Handle(c);
    if (!h) {
        delete c;
        return 0;
    }
    p->AppendChild(c);
    return h;
}

ZEVUD_API int ZEVUD_DeleteElement(ZVELEM elem) {
    ElemAccess L(elem);
    Node* n = L.node;
    if (!n || !n->parent) return 0;  // the root stays
    FreeSubtree(TheStore(), n);
    return 1;
}

ZEVUD_API ZVELEM ZEVUD_FindFirstChild(ZVELEM parent, const char* name) {
    if (!name) return 0;
    ElemAccess L(parent);
    Node* p = L.node;
    if (!p) return 0;
    for (Node* c = p->first; c; c = c->next)
        if (c->name == name) return L.Handle(c);
    return 0;
}

ZEVUD_API ZVELEM ZEVUD_FindNextChild(ZVELEM sibling, const char* name) {
    if (!name) return 0;
    ElemAccess L(sibling);
    Node* s = L.node;
    if (!s) return 0;
    for (Node* c = s->next; c; c = c->next)
        if (c->name == name) return L.Handle(c);
    return 0;
}

namespace {
bool HasAttrText(const Node* n, const char* attr, const char* value) {
    const Attr* a = n->FindAttr(attr);
    return a && a->value == value;
}
}  // namespace

ZEVUD_API ZVELEM ZEVUD_FindFirstChildWithAttr(ZVELEM parent, const char* attr, const char* value) {
    if (!attr || !value) return 0;
    ElemAccess L(parent);
    Node* p = L.node;
    if (!p) return 0;
    for (Node* c = p->first; c; c = c->next)
        if (HasAttrText(c, attr, value)) return L.Handle(c);
    return 0;
}

ZEVUD_API ZVELEM ZEVUD_FindNextChildWithAttr(ZVELEM sibling, const char* attr, const char* value) {
    if (!attr || !value) return 0;
    ElemAccess L(sibling);
    Node* s = L.node;
    if (!s) return 0;
    for (Node* c = s->next; c; c = c->next)
        if (HasAttrText(c, attr, value)) return L.Handle(c);
    return 0;
}

ZEVUD_API ZVELEM ZEVUD_GetFirstChild(ZVELEM parent) {
    ElemAccess L(parent);
    Node* p = L.node;
    return p ? L.Handle(p->first) : 0;
}

ZEVUD_API ZVELEM ZEVUD_GetNextChild(ZVELEM sibling) {
    ElemAccess L(sibling);
    Node* s = L.node;
    return s ? L.Handle(s->next) : 0;
}

ZEVUD_API int ZEVUD_GetElementName(ZVELEM elem, char* buf, int bufSize) {
    ElemAccess L(elem);
    Node* n = L.node;
    return CopyOut(n ? n->name : std::string(), buf, bufSize);
}

ZEVUD_API ZVELEM ZEVUD_GetParentElement(ZVELEM elem) {
    ElemAccess L(elem);
    Node* n = L.node;
    return n ? L.Handle(n->parent) : 0;
}

ZEVUD_API int ZEVUD_CloneElementTree(ZVELEM dest, ZVELEM source) {
    HandleTable& table = Table();
    HandleTable::Candidate cd = table.Find(dest, Kind::Element);
    HandleTable::Candidate cs = table.Find(source, Kind::Element);
    if (!cd.doc || !cs.doc) return 0;
    // Two documents are always locked in the same order (by address; the
    // document objects never move or go away), so two calls copying between
    // the same two documents in opposite directions cannot deadlock.
    Doc* firstDoc = std::less<Doc*>()(cd.doc, cs.doc) ? cd.doc : cs.doc;
    Doc* secondDoc = firstDoc == cd.doc ? cs.doc : cd.doc;
    std::unique_lock<std::mutex> firstLock(firstDoc->mutex);
    std::unique_lock<std::mutex> secondLock;
    if (secondDoc != firstDoc) secondLock = std::unique_lock<std::mutex>(secondDoc->mutex);
    if (!HandleTable::IsLive(cd, dest) || !HandleTable::IsLive(cs, source)) return 0;
    Node* d = static_cast<Node*>(cd.ptr);
    Node* s = static_cast<Node*>(cs.ptr);
    if (d == s) return 1;
    if (d->Depth() - 1 + SubtreeHeight(s) > kMaxDepth) return 0;
    // Copy first: source and dest may lie inside each other.
    Node* copy = CopySubtree(s, d->doc);
    while (d->first) FreeSubtree(TheStore(), d->first);
    d->attrs = std::move(copy->attrs);
    d->text = std::move(copy->text);
    while (Node* c = copy->first) {
        c->Unlink();
        d->AppendChild(c);
    }
    delete copy;
    return 1;
}

ZEVUD_API int ZEVUD_MakeValidElementName(const char* text, char* buf, int bufSize) {
    return CopyOut(MakeValidName(text ? text : ""), buf, bufSize);
}

// ---- attributes --------------------------------------------------------------------

ZEVUD_API int32_t ZEVUD_GetInt(ZVELEM elem, const char* attr) {
    if (!attr) return 0;
    ElemAccess L(elem);
    Node* n = L.node;
    return n ? IntOf(n, n->FindAttr(attr)) : 0;
}

ZEVUD_API int ZEVUD_SetInt(ZVELEM elem, const char* attr, int32_t value) {
    return SetText(elem, attr, FormatInt(value));
}

ZEVUD_API int32_t ZEVUD_GetIntWithDefault(ZVELEM elem, const char* attr, int32_t def) {
    if (!attr) return def;
    ElemAccess L(elem);
    Node* n = L.node;
    const Attr* a = n ? n->FindAttr(attr) : nullptr;
    return a ? IntOf(n, a) : def;
}

ZEVUD_API int32_t ZEVUD_GetIntByPath(ZVDOC d, const char* path, const char* attr, int32_t def) {
    if (!path || !attr) return def;
    DocAccess L(d);
    Doc* doc = L.doc;
    if (!doc) return def;
    Node* cur = doc->root;
    std::string_view rest(path);
    while (cur && !rest.empty()) {
        std::size_t cut = rest.find('\\');
        std::string_view step = rest.substr(0, cut);
        rest = cut == std::string_view::npos ? std::string_view() : rest.substr(cut + 1);
        if (step.empty()) continue;
        Node* found = nullptr;
        for (Node* c = cur->first; c && !found; c = c->next)
            if (c->name == step) found = c;
        cur = found;
    }
    const Attr* a = cur ? cur->FindAttr(attr) : nullptr;
    return a ? IntOf(cur, a) : def;
}

ZEVUD_API int64_t ZEVUD_GetInt64(ZVELEM elem, const char* attr) {
    if (!attr) return 0;
    ElemAccess L(elem);
    Node* n = L.node;
    const Attr* a = n ? n->FindAttr(attr) : nullptr;
    if (!a) return 0;
    CheckNumber(n, a->name, a->value);
    auto v = ParseInt64(a->value);
    return v ? *v : 0;
}

ZEVUD_API int ZEVUD_SetInt64(ZVELEM elem, const char* attr, int64_t value) {
    return SetText(elem, attr, FormatInt(value));
}

ZEVUD_API double ZEVUD_GetDouble(ZVELEM elem, const char* attr) {
    if (!attr) return 0.0;
    ElemAccess L(elem);
    Node* n = L.node;
    const Attr* a = n ? n->FindAttr(attr) : nullptr;
    return a ? DoubleOf(n, a->name, a->value) : 0.0;
}

ZEVUD_API int ZEVUD_SetDouble(ZVELEM elem, const char* attr, double value) {
    return SetText(elem, attr, FormatDouble(value));
}

ZEVUD_API double ZEVUD_GetDoubleWithDefault(ZVELEM elem, const char* attr, double def) {
    if (!attr) return def;
    ElemAccess L(elem);
    Node* n = L.node;
    const Attr* a = n ? n->FindAttr(attr) : nullptr;
    return a ? DoubleOf(n, a->name, a->value) : def;
}

ZEVUD_API double ZEVUD_GetDoubleUnderNode(ZVELEM elem, const char* childName) {
    if (!childName) return 0.0;
    ElemAccess L(elem);
    Node* n = L.node;
    if (!n) return 0.0;
    for (Node* c = n->first; c; c = c->next) {
        if (c->name != childName) continue;
        const Attr* a = c->FindAttr("value");
        return a ? DoubleOf(c, a->name, a->value) : DoubleOf(c, "(Text)", c->text);
    }
    return 0.0;
}

ZEVUD_API int ZEVUD_GetString(ZVELEM elem, const char* attr, char* buf, int bufSize) {
    ElemAccess L(attr ? elem : 0);
    Node* n = L.node;
    const Attr* a = n ? n->FindAttr(attr) : nullptr;
    return CopyOut(a ? std::string_view(a->value) : std::string_view(), buf, bufSize);
}

ZEVUD_API int ZEVUD_SetString(ZVELEM elem, const char* attr, const char* value) {
    if (!value) return 0;
    return SetText(elem, attr, value);
}

ZEVUD_API int ZEVUD_HasAttr(ZVELEM elem, const char* attr) {
    if (!attr) return 0;
    ElemAccess L(elem);
    Node* n = L.node;
    return n && n->FindAttr(attr) ? 1 : 0;
}

ZEVUD_API int ZEVUD_DeleteAttr(ZVELEM elem, const char* attr) {
    if (!attr) return 0;
    ElemAccess L(elem);
    Node* n = L.node;
    if (!n) return 0;
    auto it = std::find_if(n->attrs.begin(), n->attrs.end(), [&](const Attr& a) { return a.name == attr; });
    if (it == n->attrs.end()) return 0;
    n->attrs.erase(it);
    return 1;
}

ZEVUD_API int ZEVUD_GetAttrCount(ZVELEM elem) {
    ElemAccess L(elem);
    Node* n = L.node;
    return n ? ClampLength(n->attrs.size()) : 0;
}

ZEVUD_API int ZEVUD_GetAttrName(ZVELEM elem, int index, char* buf, int bufSize) {
    ElemAccess L(elem);
    Node* n = L.node;
    if (!n || index < 0 || static_cast<std::size_t>(index) >= n->attrs.size()) {
        CopyOut({}, buf, bufSize);
        return -1;
    }
    return CopyOut(n->attrs[static_cast<std::size_t>(index)].name, buf, bufSize);
}

// ---- binary data and stored files --------------------------------------------------

ZEVUD_API int ZEVUD_GetBinDataLength(ZVELEM elem, const char* attr) {
    if (!attr) return 0;
    ElemAccess L(elem);
    Node* n = L.node;
    const Attr* a = n ? n->FindAttr(attr) : nullptr;
    if (!a) return 0;
    auto len = Base64DecodedLength(a->value);
    return len ? ClampLength(*len) : 0;
}

ZEVUD_API int ZEVUD_GetBinData(ZVELEM elem, const char* attr, void* buf, int bufSize) {
    if (!attr || !buf || bufSize <= 0) return 0;
    std::vector<unsigned char> bytes;
    {
        ElemAccess L(elem);
        Node* n = L.node;
        const Attr* a = n ? n->FindAttr(attr) : nullptr;
        if (!a || !Base64Decode(a->value, bytes)) return 0;
    }
    std::size_t m = std::min(bytes.size(), static_cast<std::size_t>(bufSize));
    if (m) std::memcpy(buf, bytes.data(), m);
    return static_cast<int>(m);
}

ZEVUD_API int ZEVUD_SetBinData(ZVELEM elem, const char* attr, int length, const void* data, int /*flag*/) {
    if (length < 0 || (length > 0 && !data) || static_cast<std::size_t>(length) > kMaxBinBytes) return 0;
    return SetText(elem, attr, Base64Encode(static_cast<const unsigned char*>(data), static_cast<std::size_t>(length)));
}

ZEVUD_API int ZEVUD_StoreFileInAttr(ZVELEM elem, const char* attr, const char* fileName, int /*flag*/) {
    if (!ValidName(attr) || !fileName || !*fileName) return 0;
    {
        ElemAccess L(elem);
        if (!L.node) return 0;
    }
    fs::path p = ExistingFile(FilePath(fileName));
    std::string bytes, reason;
    if (!ReadWholeFile(p, kMaxBinBytes, bytes, reason)) {
        Report("Die Datei '" + p.string() + "' kann nicht in das Dokument übernommen werden: " + reason + ".");
        return 0;
    }
    return SetText(elem, attr, Base64Encode(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()));
}

ZEVUD_API int ZEVUD_LoadFileFromAttr(ZVELEM elem, const char* attr, const char* fileName) {
    if (!attr || !fileName || !*fileName) return 0;
    std::vector<unsigned char> bytes;
    bool damaged = false;
    {
        ElemAccess L(elem);
        Node* n = L.node;
        const Attr* a = n ? n->FindAttr(attr) : nullptr;
        if (!a) return 0;
        damaged = !Base64Decode(a->value, bytes);
    }
    std::string path = FilePath(fileName);
    if (damaged) {
        Report(std::string("Die im Dokument gespeicherte Datei \"") + attr + "\" ist beschädigt; '" + path +
               "' wurde nicht geschrieben.");
        return 0;
    }
    std::string reason;
    // The file is made again from the document whenever it is needed: it is
    // replaced whole, without waiting for the disk.
    if (!winsys::WriteFileReplacing(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()),
                                    reason)) {
        Report("Die Datei '" + path + "' kann nicht geschrieben werden: " + reason + ".");
        return 0;
    }
    return 1;
}

// ---- fingerprints ------------------------------------------------------------------

ZEVUD_API int ZEVUD_GetFingerPrint(ZVELEM elem, unsigned char out[16]) {
    if (!out) return 0;
    std::memset(out, 0, 16);
    ElemAccess L(elem);
    Node* n = L.node;
    if (!n) return 0;
    FingerprintSubtree(n, out);
    return 1;
}

ZEVUD_API int ZEVUD_GetFingerPrintOfFile(const char* fileName, unsigned char out[16]) {
    if (!out) return 0;
    std::memset(out, 0, 16);
    if (!fileName || !*fileName) return 0;
    fs::path p = ExistingFile(FilePath(fileName));
    std::error_code ec;
    if (!fs::is_regular_file(p, ec)) return 0;
    std::FILE* f = std::fopen(p.c_str(), "rb");
    if (!f) return 0;
    XXH3_state_t* st = XXH3_createState();
    XXH3_128bits_reset(st);
    char chunk[65536];
    std::size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) XXH3_128bits_update(st, chunk, n);
    bool bad = std::ferror(f);
    std::fclose(f);
    XXH128_hash_t h = XXH3_128bits_digest(st);
    XXH3_freeState(st);
    if (bad) return 0;
    XXH128_canonical_t canon;
    XXH128_canonicalFromHash(&canon, h);
    std::memcpy(out, canon.digest, 16);
    return 1;
}
