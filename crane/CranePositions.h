// Crane positions along the runway: the candidate points, the enumeration of
// one point per crane, the moves that keep cranes apart and on the runway,
// the positions of the closed crane train and the key that identifies a
// position.
#pragma once

#include <string>
#include <vector>

class CCrane;

// Candidate points of the cranes and the enumeration of every
// non-decreasing tuple of point indices, one index per crane.
class CEvalPoints {
public:
    // Refines the raw points (first = start, last = end, the rest inner
    // points) and resets the enumeration.
    void Build(const std::vector<double>& raw, int cranes, double maxDist);
    // Writes the x values of the next tuple to out (one per crane); 1 while
    // there is a tuple, 0 at the end.
    int Next(double* out);
    const std::vector<double>& Points() const { return m_points; }

private:
    int m_nCranes = 0;
    std::vector<double> m_raw;
    double m_maxDist = 0.0;
    int m_first = 0;
    std::vector<double> m_points;
    std::vector<int> m_indices;
    std::vector<double> m_values;
};

// How many points the refinement of the raw points makes (at least as many
// as RefinePoints returns), counted without making them.
double RefinedPointCount(const std::vector<double>& raw, double maxDist);
// Inserts v into the ascending list unless an entry lies within 0.0001.
void InsertSorted(double v, std::vector<double>& list);
// The sorted points start, end and the inner points; with maxDist above
// 0.0001 every gap longer than 1.001 x maxDist is divided evenly.
std::vector<double> RefinePoints(double start, double end, const std::vector<double>& inner, double maxDist);
// The text key of a position: every x cut to a multiple of 0.05 toward zero.
std::string MakePositionKey(const double* x, int count);
// Moves two or three cranes apart so that neighbours keep (s_c + s_c+1)/2 +
// g_c+1 between their centres, the moves shared by the weights.
void SeparateCranes(double* x, const double* spans, const double* gaps, const double* weights, int count);
// Pushes a position into [minimum, maximum] keeping the cranes' distances.
void ShiftIntoRange(double* x, const double* spans, const double* gaps, double minimum, double maximum, int count);
// Appends the positions of the closed crane train on the field ends, the
// field middles and the quarter points (fields: the field list with the start
// offset first).
void AddTrainPositions(std::vector<double>& work, const std::vector<double>& fields, const std::vector<CCrane>& cranes);
// Appends the positions of the closed crane train that put each of its
// axles on each of the points.
void AddAxleOverPointPositions(std::vector<double>& work, const std::vector<double>& points,
                               const std::vector<CCrane>& cranes);

// The two sorted coordinate lists of a section drawing's extents.
class CCoordSet {
public:
    void Add(double x, double y);
    // x min, y min, x max, y max; all 0 without any point.
    void GetBounds(double& xMin, double& yMin, double& xMax, double& yMax) const;

private:
    std::vector<double> m_x, m_y;
};
