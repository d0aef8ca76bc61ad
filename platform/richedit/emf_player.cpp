#include "platform/richedit/emf_player.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPen>
#include <QPolygonF>
#include <QString>
#include <QTransform>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <map>
#include <optional>

#include "platform/emf/records.h"

namespace richedit {
namespace {

using namespace emf::records;

// Text alignment bits.
constexpr uint32_t kTaRight = 2, kTaCenter = 6, kTaBottom = 8, kTaBaseline = 24;

class Reader {
public:
    explicit Reader(const QByteArray& d) : d_(d) {}
    bool Has(qsizetype at, qsizetype n) const { return at >= 0 && n >= 0 && at + n <= d_.size(); }
    uint32_t U32(qsizetype at) const {
        uint32_t v = 0;
        if (Has(at, 4)) std::memcpy(&v, d_.constData() + at, 4);  // little-endian files, little-endian host
        return v;
    }
    int32_t I32(qsizetype at) const { return static_cast<int32_t>(U32(at)); }
    uint8_t U8(qsizetype at) const { return Has(at, 1) ? static_cast<uint8_t>(d_[at]) : 0; }
    QString Utf16(qsizetype at, qsizetype chars) const {
        if (chars <= 0 || !Has(at, 2 * chars)) return {};
        QString s;
        s.reserve(chars);
        for (qsizetype i = 0; i < chars; ++i)
            s += QChar(static_cast<char16_t>(U8(at + 2 * i) | (U8(at + 2 * i + 1) << 8)));
        return s;
    }
    qsizetype Size() const { return d_.size(); }

private:
    const QByteArray& d_;
};

QColor Colour(uint32_t ref) { return QColor(ref & 0xFF, (ref >> 8) & 0xFF, (ref >> 16) & 0xFF); }

struct PenObj {
    int style = 0;  // 0 solid, 1 dash, 2 dot, 5 none
    int width = 0;  // logical units, 0: one pixel
    QColor colour = Qt::black;
};
struct BrushObj {
    bool none = false;
    QColor colour = Qt::white;
};
struct FontObj {
    int height = 0;      // logical units, negative: character height
    int escapement = 0;  // tenths of a degree, counter-clockwise
    int weight = 400;
    bool italic = false, underline = false;
    QString face = QStringLiteral("Arial");
};

struct Object {
    enum Kind { Pen, Brush, Font } kind = Pen;
    PenObj pen;
    BrushObj brush;
    FontObj font;
};

// The faces the reports name, as this system has them.
QString DisplayFace(const QString& face) {
    const QString f = face.trimmed().toLower();
    if (f == "arial" || f == "helvetica" || f.isEmpty()) return QStringLiteral("Liberation Sans");
    if (f == "times new roman" || f == "times") return QStringLiteral("Liberation Serif");
    if (f == "courier new" || f == "courier") return QStringLiteral("Liberation Mono");
    if (f == "symbol") return QStringLiteral("DejaVu Sans");
    return face;
}

class Player {
public:
    Player(QPainter& p, double scale) : p_(p), scale_(scale) {}

    void Record(const Reader& r, qsizetype at, uint32_t type, uint32_t size) {
        switch (type) {
        case EMR_CREATEPEN: {
            if (size < 28) return;
            Object o;
            o.kind = Object::Pen;
            o.pen.style = static_cast<int>(r.U32(at + 12) & 0xF);
            o.pen.width = std::max(0, r.I32(at + 16));
            o.pen.colour = Colour(r.U32(at + 24));
            objects_[r.U32(at + 8)] = o;
            return;
        }
        case EMR_CREATEBRUSHINDIRECT: {
            if (size < 24) return;
            Object o;
            o.kind = Object::Brush;
            o.brush.none = r.U32(at + 12) == 1;  // hollow brush
            o.brush.colour = Colour(r.U32(at + 16));
            objects_[r.U32(at + 8)] = o;
            return;
        }
        case EMR_EXTCREATEFONTINDIRECTW: {
            if (size < 104) return;
            Object o;
            o.kind = Object::Font;
            o.font.height = r.I32(at + 12);
            o.font.escapement = r.I32(at + 20);
            o.font.weight = r.I32(at + 28);
            o.font.italic = r.U8(at + 32) != 0;
            o.font.underline = r.U8(at + 33) != 0;
            QString face = r.Utf16(at + 40, 32);
            const qsizetype nul = face.indexOf(QChar(0));
            if (nul >= 0) face.truncate(nul);
            if (!face.isEmpty()) o.font.face = face;
            objects_[r.U32(at + 8)] = o;
            return;
        }
        case EMR_SELECTOBJECT: Select(r.U32(at + 8)); return;
        case EMR_DELETEOBJECT: objects_.erase(r.U32(at + 8)); return;
        case EMR_SETTEXTCOLOR: textColour_ = Colour(r.U32(at + 8)); return;
        case EMR_SETTEXTALIGN: align_ = r.U32(at + 8); return;
        case EMR_MOVETOEX: pos_ = {static_cast<double>(r.I32(at + 8)), static_cast<double>(r.I32(at + 12))}; return;
        case EMR_LINETO: {
            const QPointF to(r.I32(at + 8), r.I32(at + 12));
            if (UsePen()) {
                p_.setBrush(Qt::NoBrush);
                p_.drawLine(pos_, to);
            }
            pos_ = to;
            return;
        }
        case EMR_POLYGON: {
            const uint32_t n = r.U32(at + 24);
            if (n < 2 || n > (size - 28) / 8) return;
            QPolygonF poly;
            poly.reserve(n);
            for (uint32_t i = 0; i < n; ++i) poly << QPointF(r.I32(at + 28 + 8 * i), r.I32(at + 32 + 8 * i));
            const bool pen = UsePen();
            UseBrush();
            if (pen || !brush_.none) p_.drawPolygon(poly);
            return;
        }
        case EMR_ELLIPSE: {
            const QRectF box(QPointF(r.I32(at + 8), r.I32(at + 12)), QPointF(r.I32(at + 16), r.I32(at + 20)));
            const bool pen = UsePen();
            UseBrush();
            if (pen || !brush_.none) p_.drawEllipse(box.normalized());
            return;
        }
        case EMR_EXTTEXTOUTW: Text(r, at, size); return;
        default: return;  // records we do not write: passed over
        }
    }

private:
    void Select(uint32_t ih) {
        if (ih & kStockObject) {
            switch (ih & ~kStockObject) {
            case 0: brush_ = {false, Qt::white}; break;
            case 1: brush_ = {false, QColor(192, 192, 192)}; break;
            case 2: brush_ = {false, QColor(128, 128, 128)}; break;
            case 3: brush_ = {false, QColor(64, 64, 64)}; break;
            case 4: brush_ = {false, Qt::black}; break;
            case 5: brush_ = {true, Qt::white}; break;
            case 6: pen_ = {0, 0, Qt::white}; break;
            case 7: pen_ = {0, 0, Qt::black}; break;
            case 8: pen_ = {5, 0, Qt::black}; break;
            case 13:
            case 17: font_ = FontObj{}; break;
            default: break;
            }
            return;
        }
        auto it = objects_.find(ih);
        if (it == objects_.end()) return;
        switch (it->second.kind) {
        case Object::Pen: pen_ = it->second.pen; break;
        case Object::Brush: brush_ = it->second.brush; break;
        case Object::Font: font_ = it->second.font; break;
        }
    }

    bool UsePen() {
        if (pen_.style == 5) {
            p_.setPen(Qt::NoPen);
            return false;
        }
        QPen pen(pen_.colour);
        // A width of 0 is one device pixel; others scale with the picture.
        pen.setWidthF(pen_.width > 0 ? std::max(pen_.width * scale_, 1.0) / scale_ : 0.0);
        pen.setCosmetic(pen_.width <= 0);
        pen.setStyle(pen_.style == 1 ? Qt::DashLine : pen_.style == 2 ? Qt::DotLine : Qt::SolidLine);
        pen.setCapStyle(Qt::RoundCap);
        pen.setJoinStyle(Qt::RoundJoin);
        p_.setPen(pen);
        return true;
    }
    void UseBrush() { p_.setBrush(brush_.none ? QBrush(Qt::NoBrush) : QBrush(brush_.colour)); }

    void Text(const Reader& r, qsizetype at, uint32_t size) {
        const int32_t x = r.I32(at + 36), y = r.I32(at + 40);
        const uint32_t chars = r.U32(at + 44), off = r.U32(at + 48);
        if (chars == 0 || chars > 100000 || off < 76 || off + 2ull * chars > size) return;
        const QString text = r.Utf16(at + off, chars);
        // The font in image pixels: the character height (a cell height is
        // taken as is; the reports give character heights).
        const double px = std::abs(font_.height) * scale_;
        if (!(px >= 1.0)) return;
        QFont f(DisplayFace(font_.face));
        f.setPixelSize(std::max(1, static_cast<int>(std::lround(px))));
        f.setWeight(font_.weight >= 600 ? QFont::Bold : QFont::Normal);
        f.setItalic(font_.italic);
        f.setUnderline(font_.underline);
        const QFontMetricsF fm(f);
        const double w = fm.horizontalAdvance(text);
        double dx = 0;
        if ((align_ & kTaCenter) == kTaCenter) dx = -w / 2;
        else if (align_ & kTaRight) dx = -w;
        double dy = 0;  // to the base line
        if ((align_ & kTaBaseline) == kTaBaseline) dy = 0;
        else if (align_ & kTaBottom) dy = -fm.descent();
        else dy = fm.ascent();
        p_.save();
        // Text is drawn in image pixels, turned about its reference point.
        const QPointF at0 = p_.transform().map(QPointF(x, y));
        p_.resetTransform();
        p_.translate(at0);
        p_.rotate(-font_.escapement / 10.0);
        p_.setFont(f);
        p_.setPen(textColour_);
        p_.drawText(QPointF(dx, dy), text);
        p_.restore();
    }

    QPainter& p_;
    double scale_;  // image pixels per logical unit
    std::map<uint32_t, Object> objects_;
    PenObj pen_;
    BrushObj brush_;
    FontObj font_;
    QColor textColour_ = Qt::black;
    uint32_t align_ = 0;
    QPointF pos_;
};

}  // namespace

bool IsEnhancedMetafile(const QByteArray& data) {
    const Reader r(data);
    return data.size() >= 88 && r.U32(0) == EMR_HEADER && r.U32(40) == kSignature && r.U32(4) >= 88 &&
           r.U32(4) <= static_cast<uint32_t>(data.size());
}

QImage PlayEnhancedMetafile(const QByteArray& data, int width, int height) {
    if (!IsEnhancedMetafile(data) || width <= 0 || height <= 0 || width > 8000 || height > 8000) return {};
    const Reader r(data);
    // Frame (0.01 mm) and the reference device: pixels and millimetres.
    const double fl = r.I32(24), ft = r.I32(28), fr = r.I32(32), fb = r.I32(36);
    const double devPx = r.I32(72), devMm = r.I32(80);
    double mmPerUnit = devPx > 0 && devMm > 0 ? devMm / devPx : 0.25;
    double frameW = fr - fl, frameH = fb - ft;
    if (!(frameW > 0) || !(frameH > 0)) {
        // No frame: the bounds on the reference device.
        const double bl = r.I32(8), bt = r.I32(12), br = r.I32(16), bb = r.I32(20);
        if (!(br > bl) || !(bb > bt)) return {};
        frameW = (br - bl) * mmPerUnit * 100;
        frameH = (bb - bt) * mmPerUnit * 100;
    }
    const double unit = mmPerUnit * 100;  // 0.01 mm per logical unit
    const double sx = width / frameW * unit, sy = height / frameH * unit;

    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.setTransform(QTransform(sx, 0, 0, sy, -fl / unit * sx, -ft / unit * sy));
    Player player(p, std::min(sx, sy));

    qsizetype at = 0;
    bool ended = false;
    while (r.Has(at, 8)) {
        const uint32_t type = r.U32(at), size = r.U32(at + 4);
        if (size < 8 || size % 4 != 0 || !r.Has(at, size)) break;  // a damaged record ends the playback
        if (type == EMR_EOF) {
            ended = true;
            break;
        }
        if (type != EMR_HEADER) player.Record(r, at, type, size);
        at += size;
    }
    p.end();
    (void)ended;  // a metafile cut short still shows what it holds
    return image;
}

}  // namespace richedit
