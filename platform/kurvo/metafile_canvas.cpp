#include "platform/kurvo/metafile_canvas.h"

#include <cmath>
#include <limits>

namespace kurvo {

namespace {
constexpr double kUnits = 10.0;  // logical units per pixel

int32_t Unit(double px) {
    const double v = std::round(px * kUnits);
    if (!(v > -1e9)) return -1000000000;
    if (!(v < 1e9)) return 1000000000;
    return static_cast<int32_t>(v);
}
}  // namespace

MetafileCanvas::MetafileCanvas(const std::string& path, int width, int height) : width_(width), height_(height) {
    dc_ = emf::CreateEnhMetaFile(path, Unit(width), Unit(height), 0.25 / kUnits);
}

MetafileCanvas::MetafileCanvas(const std::string& path, const BoxF& frame)
    : width_(static_cast<int>(std::ceil(frame.x2 - frame.x1))),
      height_(static_cast<int>(std::ceil(frame.y2 - frame.y1))),
      origin_{frame.x1, frame.y1} {
    if (frame.empty || !(width_ > 0) || !(height_ > 0)) return;
    dc_ = emf::CreateEnhMetaFile(path, Unit(width_), Unit(height_), 0.25 / kUnits);
}

MetafileCanvas::MetafileCanvas(const BoxF& frame)
    : width_(static_cast<int>(std::ceil(frame.x2 - frame.x1))),
      height_(static_cast<int>(std::ceil(frame.y2 - frame.y1))),
      origin_{frame.x1, frame.y1} {
    if (frame.empty || !(width_ > 0) || !(height_ > 0)) return;
    dc_ = emf::CreateMemoryEnhMetaFile(Unit(width_), Unit(height_), 0.25 / kUnits);
}

MetafileCanvas::~MetafileCanvas() {
    if (dc_) emf::CloseEnhMetaFile(dc_);
    for (emf::HGDIOBJ o : owned_) emf::DeleteObject(o);
}

bool MetafileCanvas::Finish(std::vector<uint8_t>* bytes) {
    if (!dc_) return false;
    const emf::HENHMETAFILE mf = emf::CloseEnhMetaFile(dc_);
    dc_ = 0;
    for (emf::HGDIOBJ o : owned_) emf::DeleteObject(o);
    owned_.clear();
    if (!mf) return false;
    if (bytes) emf::GetEnhMetaFileBits(mf, *bytes);
    emf::DeleteEnhMetaFile(mf);
    return true;
}

// Selects an object; the one it replaces is deleted when it was ours, so
// that only the selected objects stay alive.
void MetafileCanvas::Swap(emf::HGDIOBJ obj, bool own) {
    const emf::HGDIOBJ previous = emf::SelectObject(dc_, obj);
    if (own) owned_.push_back(obj);
    for (size_t i = 0; i < owned_.size(); ++i)
        if (owned_[i] == previous && previous != obj) {
            emf::DeleteObject(previous);
            owned_.erase(owned_.begin() + static_cast<long>(i));
            break;
        }
}

const std::vector<emf::POINT>& MetafileCanvas::Points(const std::vector<PointF>& pts) {
    points_.clear();
    for (const auto& p : pts) points_.push_back({Unit(p.x - origin_.x), Unit(p.y - origin_.y)});
    return points_;
}

void MetafileCanvas::UsePen(const Pen& pen) {
    emf::HGDIOBJ p = pen.width <= 0 ? emf::GetStockObject(emf::NULL_PEN)
                                    : emf::CreatePen(pen.dash == 1 ? emf::PS_DASH : (pen.dash == 2 ? emf::PS_DOT : emf::PS_SOLID),
                                                     Unit(pen.width), pen.colour);
    Swap(p, pen.width > 0);
}

void MetafileCanvas::UseBrush(std::optional<COLORREF> fill) {
    emf::HGDIOBJ b = fill ? emf::CreateSolidBrush(*fill) : emf::GetStockObject(emf::NULL_BRUSH);
    Swap(b, fill.has_value());
}

void MetafileCanvas::Clear(COLORREF background) {
    if (!dc_) return;
    UsePen({background, 0, 0});
    UseBrush(background);
    const double x0 = origin_.x, y0 = origin_.y, x1 = x0 + width_, y1 = y0 + height_;
    const std::vector<PointF> all{{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}};
    const auto& pts = Points(all);
    emf::Polygon(dc_, pts.data(), static_cast<int>(pts.size()));
}

void MetafileCanvas::Polygon(const std::vector<PointF>& pts, const Pen& pen, std::optional<COLORREF> fill) {
    if (!dc_ || pts.size() < 2) return;
    UsePen(pen);
    UseBrush(fill);
    const auto& p = Points(pts);
    emf::Polygon(dc_, p.data(), static_cast<int>(p.size()));
}

void MetafileCanvas::Polyline(const std::vector<PointF>& pts, const Pen& pen) {
    if (!dc_ || pts.size() < 2) return;
    UsePen(pen);
    const auto& p = Points(pts);
    emf::MoveToEx(dc_, p[0].x, p[0].y);
    for (size_t i = 1; i < p.size(); ++i) emf::LineTo(dc_, p[i].x, p[i].y);
}

void MetafileCanvas::Text(PointF p, double angle, double heightPx, std::string_view text, COLORREF colour, int align,
                          bool bold) {
    if (!dc_ || text.empty()) return;
    const int tenth = static_cast<int>(std::lround(std::fmod(angle, 360.0) * 10));
    emf::HGDIOBJ f = emf::CreateFont(-std::max(1, Unit(heightPx)), tenth, tenth, bold ? emf::FW_BOLD : emf::FW_NORMAL,
                                     "Arial");
    Swap(f, true);
    emf::SetTextColor(dc_, colour);
    emf::SetTextAlign(dc_, (align == 1 ? emf::TA_RIGHT : (align == 2 ? emf::TA_CENTER : emf::TA_LEFT)) | emf::TA_BASELINE);
    emf::TextOut(dc_, Unit(p.x - origin_.x), Unit(p.y - origin_.y), text);
}

}  // namespace kurvo
