// A canvas that records into an enhanced metafile through platform/emf: one
// logical unit is a tenth of a pixel, a pixel a quarter of a millimetre.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/emf/emf.h"
#include "platform/kurvo/kurvo.h"

namespace kurvo {

class MetafileCanvas : public Canvas {
public:
    MetafileCanvas(const std::string& path, int width, int height);
    // A metafile of a part of the surface (pixels): what is drawn at the
    // frame's upper left corner lands at the metafile's origin.
    MetafileCanvas(const std::string& path, const BoxF& frame);
    // The same metafile kept in memory: Finish hands its bytes (those the
    // file would hold) to the caller instead of writing a file.
    explicit MetafileCanvas(const BoxF& frame);
    ~MetafileCanvas() override;
    bool Ok() const { return dc_ != 0; }
    // Closes and writes the file; false when it could not be written. A
    // memory metafile's bytes go to bytes (when given).
    bool Finish(std::vector<uint8_t>* bytes = nullptr);

    // Fills the whole frame.
    void Clear(COLORREF background) override;
    void Polygon(const std::vector<PointF>& pts, const Pen& pen, std::optional<COLORREF> fill) override;
    void Polyline(const std::vector<PointF>& pts, const Pen& pen) override;
    void Text(PointF p, double angle, double heightPx, std::string_view text, COLORREF colour, int align,
              bool bold) override;

private:
    void UsePen(const Pen& pen);
    void Swap(emf::HGDIOBJ obj, bool own);
    void UseBrush(std::optional<COLORREF> fill);
    // The points in metafile units, in a buffer kept from call to call.
    const std::vector<emf::POINT>& Points(const std::vector<PointF>& pts);
    emf::HDC dc_ = 0;
    int width_ = 0, height_ = 0;
    PointF origin_;
    std::vector<emf::HGDIOBJ> owned_;
    std::vector<emf::POINT> points_;
};

}  // namespace kurvo
