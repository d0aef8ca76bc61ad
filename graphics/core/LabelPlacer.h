// Value labels beside a member without overlap: each label is a band along a
// stretch of a line, pushed one level outwards at a time until it overlaps
// no band placed earlier on the same level. Integer arithmetic throughout.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

struct LabelPoint {
    int64_t x = 0, y = 0;
    bool operator==(const LabelPoint&) const = default;
};

// One placed band: four corners in hundredths of the drawing unit, P1 and P3
// on the inner edge, P2 and P4 on the outer edge. Its region is the
// quadrilateral P1 P2 P3 P4 in this order with alternate (even-odd) filling,
// so a crossing order gives two triangles.
class CLabelOutline {
public:
    CLabelOutline() = default;
    explicit CLabelOutline(const std::array<LabelPoint, 4>& corners);

    int CornerCount() const { return m_nCorners; }
    const std::array<LabelPoint, 4>& Corners() const { return m_corners; }
    // Any two corners equal.
    bool IsDegenerate() const;
    // True when the two regions share interior area; shared edges and points
    // do not count. A degenerate outline overlaps nothing; two outlines with
    // the same corners overlap.
    bool Overlaps(const CLabelOutline& other) const;

    double m_tolerance = 0.01;

    // A triangle of the region: three vertices, each P + num/den (Q - P) of
    // integer points, and its three edges on lines through integer points.
    struct Vertex {
        LabelPoint p, q;
        __int128 num = 0, den = 1;
    };
    struct Triangle {
        std::array<Vertex, 3> v;
        std::array<std::array<LabelPoint, 2>, 3> edge;  // edge i lies opposite vertex i
    };

private:
    const std::vector<Triangle>& Region() const;
    std::array<LabelPoint, 4> m_corners{};
    int m_nCorners = 0;
    mutable std::optional<std::vector<Triangle>> m_region;
};

class CLabelPlacer {
public:
    // Places a band beside the line A-B over the part between the distances
    // low and high from A (L units make up the whole of AB), band height t,
    // side s (-1 the one side, anything else +1), first offset d0 in units
    // of 1/10,000 of the drawing unit; returns the band's distance from the
    // line in drawing units. c is the direction code (1 normal to the
    // stretch, 2 vertical, 3 horizontal, 4 vertical at a level edge, 5
    // horizontal at a level edge, and their variants).
    double Place(int c, double ax, double ay, double bx, double by, double L, double low, double high, double t,
                 int s, double d0);
    // Labels along a horizontal stretch from a to b: the range c..d widened
    // by w/2 on both sides, band height e, side +1, first offset 0.
    double PlaceOnRange(double a, double b, double c, double d, double e, double w);

    int32_t Placed() const { return m_placed; }
    const CLabelOutline& Outline(int i) const { return m_outlines[static_cast<size_t>(i)]; }
    int32_t Level(int i) const { return m_levels[static_cast<size_t>(i)]; }

private:
    std::vector<CLabelOutline> m_outlines;
    std::vector<int32_t> m_levels;
    int32_t m_placed = 0;
};
