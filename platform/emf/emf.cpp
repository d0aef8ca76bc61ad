// Enhanced-metafile writer. Records are collected in memory per open metafile
// and written with the header (whose sizes, counts and bounds are known only
// at the end) when the metafile is closed.
#include "platform/emf/emf.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <cmath>
#include <cstring>
#include <fstream>
#include <map>
#include <mutex>
#include <set>
#include <vector>

#include "platform/emf/records.h"
#include "platform/winsys/winsys.h"

namespace emf {
namespace {

using namespace records;

constexpr uint32_t kTransparent = 1;

enum class Kind { Pen, Brush, Font };

struct Object {
    Kind kind = Kind::Pen;
    // pen
    int style = PS_SOLID;
    int width = 0;
    COLORREF color = 0;
    // brush: style 0 solid, 1 hollow
    int brushStyle = 0;
    // font
    int height = 0, escapement = 0, orientation = 0, weight = 0;
    bool italic = false, underline = false;
    std::string face;
    int selectedIn = 0;  // number of open metafiles that have it selected
};

// A computed coordinate as an integer: clamped to a range that a sum of two
// still holds (not a number gives 0), so that no conversion overflows.
int32_t ClampedInt(double v) {
    if (std::isnan(v)) return 0;
    return static_cast<int32_t>(std::clamp(v, -1073741823.0, 1073741823.0));
}

struct Bounds {
    bool empty = true;
    int32_t l = 0, t = 0, r = 0, b = 0;
    void Add(double x, double y) {
        int32_t lx = ClampedInt(std::floor(x)), hx = ClampedInt(std::ceil(x));
        int32_t ly = ClampedInt(std::floor(y)), hy = ClampedInt(std::ceil(y));
        if (empty) {
            l = lx; r = hx; t = ly; b = hy; empty = false;
            return;
        }
        l = std::min(l, lx); r = std::max(r, hx); t = std::min(t, ly); b = std::max(b, hy);
    }
};

struct Metafile {
    std::string path;  // empty: kept in memory
    int width = 0, height = 0;
    double mmPerUnit = 1.0;
    std::vector<uint8_t> body;  // records after the header
    uint32_t records = 0;
    Bounds bounds;
    // object -> metafile handle index, in the order of the objects; a
    // metafile holds a few at a time, so a sorted list serves.
    std::vector<std::pair<HGDIOBJ, uint32_t>> table;
    std::vector<uint32_t> freeSlots;  // ascending
    uint32_t maxSlot = 0;
    HGDIOBJ pen = kStockObject | BLACK_PEN;
    int penWidth = 0;  // of the selected pen, -1 for none
    HGDIOBJ brush = kStockObject | WHITE_BRUSH;
    HGDIOBJ font = kStockObject | SYSTEM_FONT;
    POINT pos;
    COLORREF textColor = 0;
    unsigned align = TA_LEFT | TA_TOP;
};

struct State {
    std::mutex mutex;
    std::map<HGDIOBJ, Object> objects;
    std::map<HDC, Metafile> metafiles;
    std::set<HENHMETAFILE> closed;
    std::map<HENHMETAFILE, std::vector<uint8_t>> bits;  // closed memory metafiles
    uint32_t nextObject = 0x100;
    uint32_t nextDc = 1;
    uint32_t nextClosed = 1;
};

State& S() {
    static State s;
    return s;
}

// The entry of an object in a metafile's table, or the table's end.
std::vector<std::pair<HGDIOBJ, uint32_t>>::iterator FindSlot(Metafile& m, HGDIOBJ obj) {
    auto it = std::lower_bound(m.table.begin(), m.table.end(), obj,
                               [](const std::pair<HGDIOBJ, uint32_t>& e, HGDIOBJ o) { return e.first < o; });
    return it != m.table.end() && it->first == obj ? it : m.table.end();
}

// ---- little-endian record building ------------------------------------
// One record at a time is built (each is emitted before the next begins,
// always under the state's lock), in one buffer that keeps its storage from
// record to record.
class Rec {
public:
    explicit Rec(uint32_t type) : b_(Scratch()) {
        b_.clear();
        U32(type);
        U32(0);
    }
    Rec(const Rec&) = delete;
    Rec& operator=(const Rec&) = delete;
    Rec& U32(uint32_t v) {
        const uint8_t bytes[4] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16),
                                  static_cast<uint8_t>(v >> 24)};
        b_.insert(b_.end(), bytes, bytes + 4);
        return *this;
    }
    Rec& I32(int32_t v) { return U32(static_cast<uint32_t>(v)); }
    Rec& U16(uint16_t v) {
        const uint8_t bytes[2] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8)};
        b_.insert(b_.end(), bytes, bytes + 2);
        return *this;
    }
    Rec& U8(uint8_t v) { b_.push_back(v); return *this; }
    Rec& F32(float f) {
        uint32_t u;
        std::memcpy(&u, &f, 4);
        return U32(u);
    }
    Rec& Zero(size_t n) { b_.insert(b_.end(), n, 0); return *this; }
    Rec& Rect(const Bounds& bd) {
        if (bd.empty) return I32(0).I32(0).I32(-1).I32(-1);
        return I32(bd.l).I32(bd.t).I32(bd.r).I32(bd.b);
    }
    size_t Size() const { return b_.size(); }
    void Pad4() { b_.resize((b_.size() + 3) / 4 * 4, 0); }
    const std::vector<uint8_t>& Finish() {
        Pad4();
        uint32_t n = static_cast<uint32_t>(b_.size());
        for (int i = 0; i < 4; ++i) b_[4 + static_cast<size_t>(i)] = static_cast<uint8_t>(n >> (8 * i));
        return b_;
    }
private:
    static std::vector<uint8_t>& Scratch() {
        static std::vector<uint8_t> buffer;
        return buffer;
    }
    std::vector<uint8_t>& b_;
};

void Emit(Metafile& m, Rec& r) {
    const auto& bytes = r.Finish();
    m.body.insert(m.body.end(), bytes.begin(), bytes.end());
    ++m.records;
}

bool IsStock(HGDIOBJ h) { return (h & kStockObject) != 0; }

// Stock objects: index and what they are.
bool StockValid(int index) {
    return (index >= WHITE_BRUSH && index <= NULL_PEN) || index == SYSTEM_FONT || index == DEFAULT_GUI_FONT;
}
Kind StockKind(HGDIOBJ h) {
    int i = static_cast<int>(h & ~kStockObject);
    if (i <= NULL_BRUSH) return Kind::Brush;
    if (i <= NULL_PEN) return Kind::Pen;
    return Kind::Font;
}

bool KindOf(State& s, HGDIOBJ h, Kind& k) {
    if (IsStock(h)) {
        if (!StockValid(static_cast<int>(h & ~kStockObject))) return false;
        k = StockKind(h);
        return true;
    }
    auto it = s.objects.find(h);
    if (it == s.objects.end()) return false;
    k = it->second.kind;
    return true;
}

int PenWidthOf(State& s, HGDIOBJ pen) {
    if (IsStock(pen)) return (pen & ~kStockObject) == NULL_PEN ? -1 : 0;
    const Object& o = s.objects.at(pen);
    return o.style == PS_NULL ? -1 : o.width;
}

// Adds a point to the bounds, widened by half the current pen width.
void AddStroked(Metafile& m, double x, double y) {
    const int w = m.penWidth;
    double h = w > 1 ? std::ceil(w / 2.0) : 0.0;
    m.bounds.Add(x - h, y - h);
    m.bounds.Add(x + h, y + h);
}

std::u16string Utf16(std::string_view s) {
    std::u16string out;
    size_t i = 0;
    while (i < s.size()) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        uint32_t cp = c;
        size_t len = 1;
        if (c >= 0xC2 && c <= 0xDF) len = 2, cp = c & 0x1F;
        else if (c >= 0xE0 && c <= 0xEF) len = 3, cp = c & 0x0F;
        else if (c >= 0xF0 && c <= 0xF4) len = 4, cp = c & 0x07;
        bool ok = len == 1 ? c < 0x80 : i + len <= s.size();
        for (size_t k = 1; ok && k < len; ++k) {
            unsigned char cc = static_cast<unsigned char>(s[i + k]);
            if ((cc & 0xC0) != 0x80) ok = false;
            else cp = (cp << 6) | (cc & 0x3F);
        }
        if (ok && len > 1 && ((len == 3 && cp < 0x800) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)) ||
                              (cp >= 0xD800 && cp <= 0xDFFF)))
            ok = false;
        if (!ok) {  // a stray byte: taken as Latin-1
            cp = c;
            len = 1;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
        i += len;
    }
    return out;
}

// Advance widths of Arial in thousandths of the em, ASCII 32..126.
constexpr short kArial[95] = {
    278, 278, 355, 556, 556, 889, 667, 191, 333, 333, 389, 584, 278, 333, 278, 278,  // sp .. /
    556, 556, 556, 556, 556, 556, 556, 556, 556, 556,                                // 0 .. 9
    278, 278, 584, 584, 584, 556, 1015,                                               // : .. @
    667, 667, 722, 722, 667, 611, 778, 722, 278, 500, 667, 556, 833, 722, 778, 667,  // A .. P
    778, 722, 667, 611, 722, 667, 944, 667, 667, 611,                                // Q .. Z
    278, 278, 278, 469, 556, 333,                                                    // [ .. `
    556, 556, 500, 556, 556, 278, 556, 556, 222, 222, 500, 222, 833, 556, 556, 556,  // a .. p
    556, 333, 500, 278, 556, 500, 722, 500, 500, 500,                                // q .. z
    334, 260, 334, 584};

double EmSize(int height) {
    if (height < 0) return -height;
    if (height > 0) return height / 1.15;  // cell height includes the internal leading
    return 4.0;
}

}  // namespace

// ---- metafiles ------------------------------------------------------------

namespace {
// True when a file can be made in the target's folder and an existing
// target may be replaced; the target itself is not touched.
bool CanWriteBeside(const std::string& path) {
    namespace fs = std::filesystem;
    static std::atomic<unsigned> counter{0};
    std::error_code ec;
    if (fs::is_directory(path, ec)) return false;
    if (fs::exists(path, ec) && ::access(path.c_str(), W_OK) != 0) return false;
    fs::path folder = fs::path(path).parent_path();
    if (folder.empty()) folder = ".";
    const fs::path probe = winsys::TempFileBeside(folder, 1000000u + counter++);
    const int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    ::close(fd);
    ::unlink(probe.c_str());
    return true;
}

HDC NewMetafile(const std::string& path, int width, int height, double mmPerUnit) {
    State& s = S();
    std::lock_guard lock(s.mutex);
    HDC dc = s.nextDc++;
    Metafile& m = s.metafiles[dc];
    m.path = path;
    m.width = width;
    m.height = height;
    m.mmPerUnit = mmPerUnit;
    // Text never paints a background box over the drawing.
    Rec r(EMR_SETBKMODE);
    r.U32(kTransparent);
    Emit(m, r);
    return dc;
}
}  // namespace

HDC CreateEnhMetaFile(const std::string& path, int width, int height, double mmPerUnit) {
    if (path.empty() || width < 0 || height < 0 || !(mmPerUnit > 0) || !std::isfinite(mmPerUnit)) return 0;
    if (!CanWriteBeside(path)) {
        winsys::MessageBox("Die Bilddatei '" + path + "' kann nicht angelegt werden.", "VKT Ausgabe",
                           winsys::Buttons::Ok, winsys::Icon::Error);
        return 0;
    }
    return NewMetafile(path, width, height, mmPerUnit);
}

HDC CreateMemoryEnhMetaFile(int width, int height, double mmPerUnit) {
    if (width < 0 || height < 0 || !(mmPerUnit > 0) || !std::isfinite(mmPerUnit)) return 0;
    return NewMetafile(std::string(), width, height, mmPerUnit);
}

namespace {

void RecordDelete(Metafile& m, uint32_t slot) {
    Rec r(EMR_DELETEOBJECT);
    r.U32(slot);
    Emit(m, r);
    const auto at = std::lower_bound(m.freeSlots.begin(), m.freeSlots.end(), slot);
    if (at == m.freeSlots.end() || *at != slot) m.freeSlots.insert(at, slot);
}

void ReleaseSelection(State& s, HGDIOBJ h) {
    if (IsStock(h)) return;
    auto it = s.objects.find(h);
    if (it != s.objects.end() && it->second.selectedIn > 0) --it->second.selectedIn;
}

// The file is written beside the target and renamed over it, so that a
// failed write leaves the previous picture whole. A picture is drawn again
// from its data whenever it is needed, so it does not wait for the disk.
bool WriteFile(const Metafile& m, std::vector<uint8_t>& all) {
    std::string reason;
    return winsys::WriteFileReplacing(m.path, std::string_view(reinterpret_cast<const char*>(all.data()), all.size()),
                                      reason);
}

}  // namespace

HENHMETAFILE CloseEnhMetaFile(HDC dc) {
    State& s = S();
    std::unique_lock lock(s.mutex);
    auto it = s.metafiles.find(dc);
    if (it == s.metafiles.end()) return 0;
    Metafile m = std::move(it->second);
    s.metafiles.erase(it);

    // Default objects back in, then every recorded object deleted.
    const HGDIOBJ defaults[3] = {kStockObject | BLACK_PEN, kStockObject | WHITE_BRUSH, kStockObject | SYSTEM_FONT};
    HGDIOBJ* current[3] = {&m.pen, &m.brush, &m.font};
    for (int i = 0; i < 3; ++i) {
        if (!IsStock(*current[i])) {
            ReleaseSelection(s, *current[i]);
            Rec r(EMR_SELECTOBJECT);
            r.U32(defaults[i]);
            Emit(m, r);
            *current[i] = defaults[i];
        }
    }
    for (auto& [obj, slot] : m.table) RecordDelete(m, slot);
    m.table.clear();

    Rec eof(EMR_EOF);
    eof.U32(0).U32(16).U32(20);
    Emit(m, eof);

    // Header.
    const double k = m.mmPerUnit * 100.0;  // .01 mm per unit
    Bounds frame;
    if (m.width > 0 && m.height > 0) {
        frame.empty = false;
        frame.l = 0;
        frame.t = 0;
        frame.r = ClampedInt(std::round(m.width * k));
        frame.b = ClampedInt(std::round(m.height * k));
    } else if (!m.bounds.empty) {
        frame.empty = false;
        frame.l = ClampedInt(std::round(m.bounds.l * k));
        frame.t = ClampedInt(std::round(m.bounds.t * k));
        frame.r = ClampedInt(std::round(m.bounds.r * k));
        frame.b = ClampedInt(std::round(m.bounds.b * k));
    } else {
        frame.empty = false;  // nothing drawn and no size: an empty frame
    }
    const int32_t mm = 1000;
    const int32_t px = ClampedInt(std::round(mm / m.mmPerUnit));
    Rec h(EMR_HEADER);
    h.Rect(m.bounds).Rect(frame);
    h.U32(kSignature).U32(0x10000u);
    const uint32_t headerSize = 108;
    h.U32(static_cast<uint32_t>(headerSize + m.body.size())).U32(m.records + 1);
    h.U16(static_cast<uint16_t>(m.maxSlot + 1)).U16(0);
    h.U32(0).U32(0).U32(0);  // no description, no palette
    h.I32(px).I32(px).I32(mm).I32(mm);
    h.U32(0).U32(0).U32(0);              // no pixel format, no OpenGL
    h.I32(mm * 1000).I32(mm * 1000);     // micrometres
    std::vector<uint8_t> all = h.Finish();
    if (m.path.empty()) {
        // In memory: the header goes in front of the body already collected.
        m.body.insert(m.body.begin(), all.begin(), all.end());
        HENHMETAFILE mf = s.nextClosed++;
        s.bits.emplace(mf, std::move(m.body));
        return mf;
    }
    all.insert(all.end(), m.body.begin(), m.body.end());

    if (!WriteFile(m, all)) {
        lock.unlock();
        winsys::MessageBox("Die Bilddatei '" + m.path + "' konnte nicht geschrieben werden.", "VKT Ausgabe",
                           winsys::Buttons::Ok, winsys::Icon::Error);
        return 0;
    }
    HENHMETAFILE mf = s.nextClosed++;
    s.closed.insert(mf);
    return mf;
}

bool DeleteEnhMetaFile(HENHMETAFILE mf) {
    State& s = S();
    std::lock_guard lock(s.mutex);
    return s.closed.erase(mf) + s.bits.erase(mf) > 0;
}

bool GetEnhMetaFileBits(HENHMETAFILE mf, std::vector<uint8_t>& out) {
    State& s = S();
    std::lock_guard lock(s.mutex);
    auto it = s.bits.find(mf);
    if (it == s.bits.end()) {
        out.clear();
        return false;
    }
    out.assign(it->second.begin(), it->second.end());
    return true;
}

// ---- objects ----------------------------------------------------------------

namespace {
HGDIOBJ AddObject(Object o) {
    State& s = S();
    std::lock_guard lock(s.mutex);
    HGDIOBJ h = s.nextObject++;
    if (s.nextObject >= kStockObject) s.nextObject = 0x100;  // never reached in practice
    s.objects[h] = std::move(o);
    return h;
}
}  // namespace

HGDIOBJ CreatePen(int style, int width, COLORREF color) {
    Object o;
    o.kind = Kind::Pen;
    o.style = (style >= 0 && style <= 6) ? style : PS_SOLID;
    o.width = std::max(0, width);
    o.color = color & 0xFFFFFF;
    return AddObject(o);
}

HGDIOBJ CreateSolidBrush(COLORREF color) {
    Object o;
    o.kind = Kind::Brush;
    o.color = color & 0xFFFFFF;
    return AddObject(o);
}

HGDIOBJ CreateFont(int height, int escapement, int orientation, int weight, const std::string& face, bool italic,
                   bool underline) {
    Object o;
    o.kind = Kind::Font;
    o.height = height;
    o.escapement = escapement;
    o.orientation = orientation;
    o.weight = std::clamp(weight, 0, 1000);
    o.face = face.empty() ? std::string("Arial") : face;
    o.italic = italic;
    o.underline = underline;
    return AddObject(o);
}

HGDIOBJ GetStockObject(int index) { return StockValid(index) ? (kStockObject | static_cast<uint32_t>(index)) : 0; }

namespace {

void RecordCreate(State& s, Metafile& m, HGDIOBJ h, uint32_t slot) {
    const Object& o = s.objects.at(h);
    switch (o.kind) {
    case Kind::Pen: {
        Rec r(EMR_CREATEPEN);
        r.U32(slot).U32(static_cast<uint32_t>(o.style)).I32(o.width).I32(0).U32(o.color);
        Emit(m, r);
        break;
    }
    case Kind::Brush: {
        Rec r(EMR_CREATEBRUSHINDIRECT);
        r.U32(slot).U32(static_cast<uint32_t>(o.brushStyle)).U32(o.color).U32(0);
        Emit(m, r);
        break;
    }
    case Kind::Font: {
        Rec r(EMR_EXTCREATEFONTINDIRECTW);
        r.U32(slot).I32(o.height).I32(0).I32(o.escapement).I32(o.orientation).I32(o.weight);
        bool symbol = winsys::EqualsNoCase(o.face, "Symbol");
        r.U8(o.italic ? 1 : 0).U8(o.underline ? 1 : 0).U8(0).U8(symbol ? 2 : 1);
        r.U8(0).U8(0).U8(0).U8(0);
        std::u16string face = Utf16(o.face);
        if (face.size() > 31) face.resize(31);
        for (char16_t c : face) r.U16(static_cast<uint16_t>(c));
        r.Zero(2 * (32 - face.size()));
        // Full name, style, version, style size, match, reserved, vendor,
        // culture, panose (10 bytes + 2 padding): not used.
        r.Zero(128 + 64 + 4 * 4 + 4 + 4 + 12);
        Emit(m, r);
        break;
    }
    }
}

}  // namespace

HGDIOBJ SelectObject(HDC dc, HGDIOBJ obj) {
    State& s = S();
    std::lock_guard lock(s.mutex);
    auto it = s.metafiles.find(dc);
    Kind kind;
    if (it == s.metafiles.end() || !KindOf(s, obj, kind)) return 0;
    Metafile& m = it->second;
    HGDIOBJ* slotRef = kind == Kind::Pen ? &m.pen : kind == Kind::Brush ? &m.brush : &m.font;
    HGDIOBJ previous = *slotRef;
    uint32_t ih = obj;
    if (!IsStock(obj)) {
        auto t = FindSlot(m, obj);
        if (t == m.table.end()) {
            uint32_t slot;
            if (!m.freeSlots.empty()) {
                slot = *m.freeSlots.begin();
                m.freeSlots.erase(m.freeSlots.begin());
            } else {
                slot = ++m.maxSlot;
            }
            RecordCreate(s, m, obj, slot);
            t = m.table.insert(std::lower_bound(m.table.begin(), m.table.end(), std::make_pair(obj, 0u),
                                                [](const auto& a, const auto& b) { return a.first < b.first; }),
                               std::make_pair(obj, slot));
        }
        ih = t->second;
    }
    Rec r(EMR_SELECTOBJECT);
    r.U32(ih);
    Emit(m, r);
    if (previous != obj) {
        ReleaseSelection(s, previous);
        if (!IsStock(obj)) ++s.objects.at(obj).selectedIn;
    }
    *slotRef = obj;
    if (kind == Kind::Pen) m.penWidth = PenWidthOf(s, obj);
    return previous;
}

bool DeleteObject(HGDIOBJ obj) {
    State& s = S();
    std::lock_guard lock(s.mutex);
    if (IsStock(obj)) return false;
    auto it = s.objects.find(obj);
    if (it == s.objects.end() || it->second.selectedIn > 0) return false;
    for (auto& [dc, m] : s.metafiles) {
        auto t = FindSlot(m, obj);
        if (t != m.table.end()) {
            RecordDelete(m, t->second);
            m.table.erase(t);
        }
    }
    s.objects.erase(it);
    return true;
}

int LiveObjectCount() {
    State& s = S();
    std::lock_guard lock(s.mutex);
    return static_cast<int>(s.objects.size());
}

// ---- drawing ------------------------------------------------------------

namespace {
Metafile* Find(State& s, HDC dc) {
    auto it = s.metafiles.find(dc);
    return it == s.metafiles.end() ? nullptr : &it->second;
}
}  // namespace

bool MoveToEx(HDC dc, int x, int y, POINT* previous) {
    State& s = S();
    std::lock_guard lock(s.mutex);
    Metafile* m = Find(s, dc);
    if (!m) return false;
    if (previous) *previous = m->pos;
    Rec r(EMR_MOVETOEX);
    r.I32(x).I32(y);
    Emit(*m, r);
    m->pos = {x, y};
    return true;
}

bool LineTo(HDC dc, int x, int y) {
    State& s = S();
    std::lock_guard lock(s.mutex);
    Metafile* m = Find(s, dc);
    if (!m) return false;
    Rec r(EMR_LINETO);
    r.I32(x).I32(y);
    Emit(*m, r);
    AddStroked(*m, m->pos.x, m->pos.y);
    AddStroked(*m, x, y);
    m->pos = {x, y};
    return true;
}

bool Polygon(HDC dc, const POINT* points, int count) {
    State& s = S();
    std::lock_guard lock(s.mutex);
    Metafile* m = Find(s, dc);
    if (!m || !points || count < 2) return false;
    Bounds own;
    for (int i = 0; i < count; ++i) own.Add(points[i].x, points[i].y);
    Rec r(EMR_POLYGON);
    r.Rect(own).U32(static_cast<uint32_t>(count));
    for (int i = 0; i < count; ++i) r.I32(points[i].x).I32(points[i].y);
    Emit(*m, r);
    for (int i = 0; i < count; ++i) AddStroked(*m, points[i].x, points[i].y);
    return true;
}

bool Ellipse(HDC dc, int left, int top, int right, int bottom) {
    State& s = S();
    std::lock_guard lock(s.mutex);
    Metafile* m = Find(s, dc);
    if (!m) return false;
    int l = std::min(left, right), r2 = std::max(left, right);
    int t = std::min(top, bottom), b = std::max(top, bottom);
    Rec r(EMR_ELLIPSE);
    r.I32(l).I32(t).I32(r2).I32(b);
    Emit(*m, r);
    AddStroked(*m, l, t);
    AddStroked(*m, std::max(l, r2 - 1), std::max(t, b - 1));
    return true;
}

COLORREF SetTextColor(HDC dc, COLORREF color) {
    State& s = S();
    std::lock_guard lock(s.mutex);
    Metafile* m = Find(s, dc);
    if (!m) return 0xFFFFFFFFu;
    COLORREF prev = m->textColor;
    Rec r(EMR_SETTEXTCOLOR);
    r.U32(color & 0xFFFFFF);
    Emit(*m, r);
    m->textColor = color & 0xFFFFFF;
    return prev;
}

unsigned SetTextAlign(HDC dc, unsigned align) {
    State& s = S();
    std::lock_guard lock(s.mutex);
    Metafile* m = Find(s, dc);
    if (!m) return 0xFFFFFFFFu;
    unsigned prev = m->align;
    Rec r(EMR_SETTEXTALIGN);
    r.U32(align);
    Emit(*m, r);
    m->align = align;
    return prev;
}

bool TextOut(HDC dc, int x, int y, std::string_view utf8) {
    State& s = S();
    std::lock_guard lock(s.mutex);
    Metafile* m = Find(s, dc);
    if (!m) return false;
    std::u16string text = Utf16(utf8);
    int height = 0, escapement = 0;
    if (!IsStock(m->font)) {
        const Object& f = s.objects.at(m->font);
        height = f.height;
        escapement = f.escapement;
    }
    const double em = EmSize(height);

    // Advances, rounded on the running sum so that the text does not drift.
    std::vector<int32_t> dx(text.size(), 0);
    double run = 0;
    long prevRounded = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (c >= 0xDC00 && c <= 0xDFFF) continue;  // second half of a pair
        double w = (c >= 32 && c <= 126) ? kArial[c - 32] : 556;
        run += w * em / 1000.0;
        long rounded = ClampedInt(std::round(run));
        dx[i] = static_cast<int32_t>(rounded - prevRounded);
        prevRounded = rounded;
    }
    const double width = run;

    // Text box relative to the reference point, then turned by the escapement.
    const double ascent = 0.905 * em, descent = 0.212 * em;
    double u0 = 0;
    if ((m->align & TA_CENTER) == TA_CENTER) u0 = -width / 2;
    else if (m->align & TA_RIGHT) u0 = -width;
    double v0, v1;
    if ((m->align & TA_BASELINE) == TA_BASELINE) v0 = -ascent, v1 = descent;
    else if (m->align & TA_BOTTOM) v0 = -(ascent + descent), v1 = 0;
    else v0 = 0, v1 = ascent + descent;
    const double a = escapement / 10.0 * 3.14159265358979323846 / 180.0;
    const double ca = std::cos(a), sa = std::sin(a);
    Bounds own;
    if (!text.empty()) {
        for (double u : {u0, u0 + width})
            for (double v : {v0, v1}) own.Add(x + u * ca + v * sa, y - u * sa + v * ca);
    }

    Rec r(EMR_EXTTEXTOUTW);
    r.Rect(own).U32(1 /* compatible graphics mode */);
    r.F32(static_cast<float>(m->mmPerUnit * 100.0)).F32(static_cast<float>(m->mmPerUnit * 100.0));
    const uint32_t offString = 76;
    const uint32_t strBytes = static_cast<uint32_t>((text.size() * 2 + 3) / 4 * 4);
    r.I32(x).I32(y).U32(static_cast<uint32_t>(text.size())).U32(offString).U32(0);
    r.I32(0).I32(0).I32(-1).I32(-1);
    r.U32(text.empty() ? 0 : offString + strBytes);
    for (char16_t c : text) r.U16(static_cast<uint16_t>(c));
    r.Pad4();
    for (int32_t d : dx) r.I32(d);
    Emit(*m, r);
    if (!own.empty) {
        m->bounds.Add(own.l, own.t);
        m->bounds.Add(own.r, own.b);
    }
    return true;
}

}  // namespace emf
