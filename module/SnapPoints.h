// Points an item dragged in the cross-section view snaps to.
#pragma once

#include <cstdint>
#include <vector>

class CSnapPoints {
public:
    CSnapPoints() { Clear(); }
    virtual ~CSnapPoints() = default;

    // Empties the points; no grid, catch distance 0.1.
    void Clear();
    void AddPoint(double x, double y, int32_t id);
    // The nearest stored point closer than the catch distance (the first of
    // equal distances wins): out = the point, returns its id. With a grid
    // and no point within one grid step: the grid point (halves round away
    // from zero), returns 1. Otherwise out = the input, returns 0.
    int32_t Snap(double x, double y, double& outX, double& outY) const;

    std::vector<double> m_X, m_Y;
    std::vector<int32_t> m_Ids;
    double m_dGrid = 0.0;
    double m_dReserved = 0.0;
    double m_dCatch = 0.1;
};

// Sketch item identifiers of the member view. N node supports, S point
// springs, H hinges, Q loads. Kinds: 0 section cut marker (1), 3 support at
// node k (3k + 2), 1 field k (3k + 3), 2 section label of field k (3k + 4),
// 4 point spring i (3N + 5 + i), 5 hinge j (3N + 5 + S + j), 6 load l
// (3N + 5 + S + H + l).
struct SketchItemCounts {
    int32_t nodes = 0, springs = 0, hinges = 0, loads = 0;
};
// 0 for a kind above 6 or an index out of its range.
int32_t GetSketchItemId(const SketchItemCounts& c, int kind, int index);
// False for 0 and identifiers past the loads.
bool ParseSketchItemId(const SketchItemCounts& c, int32_t id, int& kind, int& index);

// Rounding to the drag step: trunc(v / step + 0.5) * step; a step of 0 or
// less (or not finite) leaves v as it is.
double RoundToStep(double v, double step);

// One drag step of the support at node k over the field lengths (element 0
// is the start node): running[k] += dx, lengths[k] = rounded running[k], the
// next field gives up the difference so that the later nodes stay. Node 0
// and an index out of range change nothing. A step that would make a field
// zero or negative, or a value not finite, is refused: false, nothing
// changed.
bool DragNodeSupportLengths(std::vector<double>& lengths, std::vector<double>& running, int k, double dx,
                            double step);
