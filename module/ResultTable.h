// Calculated values on their way through the module data and the position
// document:
//  - CResultTable: doubles per (load case, node, value id) with node
//    positions along the member, per-node tags and per-value
//    no-interpolation flags; it takes curves with other node positions and
//    resamples itself, combining by minimum, maximum or sum;
//  - CResultSet: one named result curve of 32-bit floats as the kernel
//    writes it into the "result" element, with its extremes;
//  - the readers and writers of result series in element trees named by
//    their path.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/zevud/zevud.h"

class CResultTable {
public:
    CResultTable() = default;
    CResultTable(const CResultTable&) = default;
    CResultTable& operator=(const CResultTable&) = default;

    // Sizes the table. Entries of the value index that are not -1 count as
    // present and are renumbered to consecutive columns in value-id order;
    // new entries of a larger index are 0 (present). Tags become -1.
    // Negative or absurd counts leave an empty table (false).
    bool Init(int32_t loadCases, int32_t nodes, int32_t values);

    // The document form ("numOfLoadCases", "numOfNodes", "numOfValues",
    // "valIdx", "val", "xpos", "maxTag", "noInterpolation"). A damaged
    // element never reads past its data: short arrays are zero-filled, long
    // ones cut, and counts beyond reason leave an empty table with a message.
    void ReadData(ZVELEM element);
    void WriteData(ZVELEM element) const;

    bool IsValid() const { return m_bValid; }
    int32_t GetNumLoadCases() const { return m_nLoadCases; }
    int32_t GetNumNodes() const { return m_nNodes; }
    int32_t GetNumValues() const { return m_nValues; }
    int32_t GetNumColumns() const { return m_nColumns; }
    const std::vector<double>& GetXData() const { return m_xPos; }
    bool HasValue(int32_t valueId) const { return GetColumn(valueId) >= 0; }
    // The column of a value id; -1 when absent or outside the table.
    int32_t GetColumn(int32_t valueId) const;
    void SetValueUsed(int32_t valueId);

    // Rows: node n takes source[start + n * stride]; the pairs form lets nodes
    // (1, 2), (3, 4) ... share source[start + ((n + 1) / 2) * stride].
    // Nothing happens for a load case outside the table or an absent value.
    void SetRow(int32_t loadCase, int32_t valueId, const double* source, int start, int stride);
    void SetRowFloat(int32_t loadCase, int32_t valueId, const float* source, int start, int stride);
    void SetRowFloatPairs(int32_t loadCase, int32_t valueId, const float* source, int start, int stride);
    // target[start + n * stride] = value of node n; zeros for an absent value.
    void GetRow(int32_t loadCase, int32_t valueId, double* target, int start, int stride) const;
    void GetRowFloat(int32_t loadCase, int32_t valueId, float* target, int start, int stride) const;

    void SetXPositions(const double* source, int start, int stride);
    void SetXPositionsFloat(const float* source, int start, int stride);
    void GetXPositions(float* target, int start, int stride) const;

    void SetValue(int32_t loadCase, int32_t node, int32_t valueId, double value);
    // 0 for an absent value or an index outside the table.
    double GetValue(int32_t loadCase, int32_t node, int32_t valueId) const;

    // A block is all values of one load case (nodes x columns doubles in
    // table order). GetBlock is null for a load case outside the table.
    double* GetBlock(int32_t loadCase);
    const double* GetBlock(int32_t loadCase) const;
    void SetBlock(int32_t loadCase, const double* source);
    // With replace: copied in (tags of the tag load case become the tag
    // value); without: merged element by element, tags untouched.
    void StoreBlockMax(int32_t loadCase, const double* block, bool replace);
    void StoreBlockMin(int32_t loadCase, const double* block, bool replace);

    void SetTag(int32_t tagLoadCase, int32_t textIndex, int32_t tagValue);
    void SetTagValueId(int32_t valueId) { m_nTagValueId = valueId; }
    int32_t GetTag(int32_t node) const;

    // Takes a curve of count points (positions ascending) into one row,
    // combining by minimum (mode 0), maximum (1) or sum (2).
    void ResampleMin(int32_t loadCase, int32_t valueId, int count, const double* positions, const double* values);
    void ResampleMax(int32_t loadCase, int32_t valueId, int count, const double* positions, const double* values);
    void ResampleSum(int32_t loadCase, int32_t valueId, int count, const double* positions, const double* values);
    void Resample(int32_t loadCase, int32_t valueId, int count, const double* positions, const double* values,
                  int mode);

    // One row of another table taken into a row of this one, as Resample
    // takes it (mode 0 minimum, 1 maximum, 2 sum).
    struct RowMerge {
        int32_t from, to;
        int mode;
    };
    // For every value id below ids present in both tables, ascending, the
    // merges in their order, each the row (from, id) of a at a's positions
    // taken into row (to, id): the same results as Resample called merge
    // after merge, value after value, while a's positions are matched with
    // this table's once for all rows rather than for every row.
    void MergeRowsFrom(const CResultTable& a, int32_t ids, const std::vector<RowMerge>& merges);

    static double Interpolate(double x, double x0, double x1, double y0, double y1);
    static double Combine(double a, double b, int mode);

    // The fields, in their order.
    std::vector<int32_t> m_valIdx;
    std::vector<double> m_values;
    std::vector<double> m_xPos;
    std::vector<int32_t> m_tags;
    std::vector<int32_t> m_noInterpolation;
    bool m_bValid = false;
    int32_t m_nLoadCases = 0;
    int32_t m_nNodes = 0;
    int32_t m_nValues = 0;
    int32_t m_nColumns = 0;
    int32_t m_nTagValueId = -1;
    int32_t m_nTagLoadCase = -1;
    int32_t m_nTagValue = 0;
    int32_t m_nTagTextIndex = -1;

private:
    // Renumbers the value index and sizes values and flags to the counts.
    void Renumber();
    // Index into m_values, or -1 when outside or absent.
    int64_t Index(int32_t loadCase, int32_t node, int32_t valueId) const;
    void StoreBlock(int32_t loadCase, const double* block, bool replace, bool maximum);
    // MergeRowsFrom by its definition: Resample after Resample.
    void MergeRowsOneByOne(const CResultTable& a, int32_t ids, const std::vector<RowMerge>& merges);
    bool NoInterpolation(int32_t valueId) const;
};

class CKurvo2D;

// One named result curve.
class CResultSet {
public:
    CResultSet() = default;
    CResultSet(const CResultSet&) = default;
    CResultSet& operator=(const CResultSet&) = default;
    // Moved, not copied, when lists of curves grow or are handed on.
    CResultSet(CResultSet&&) noexcept = default;
    CResultSet& operator=(CResultSet&&) noexcept = default;

    // Floats per point of a layout type: 0: 2, 1: 7, otherwise 3.
    static int FloatsPerPoint(int32_t type);
    int NumPoints() const;

    // Smallest and largest value with their x; appends both x to the extremes
    // list and widens the range to include zero.
    void FindExtremes();
    // Thins a curve of type 0 or 2 (points on a straight line go).
    void ReducePoints();
    // Type 0: a zero point between neighbours of opposite sign; type 2: a band
    // whose rows are one curve keeps one side per point.
    void InsertZeroCrossings();
    // Every value (not the x) below 1e-6 in magnitude.
    bool IsAllZero() const;
    void SetNumDigits(int32_t digits) { m_nDigits = digits; }
    // Draws the series as a diagram (filled curve, envelope band or bars)
    // with value grid, zero line, extremes, labels and title. The caller
    // sets m_yOffset and m_factor first. A set with a value or scale that is
    // not finite draws nothing.
    void DrawDiagram(CKurvo2D& graph);

    std::vector<float> m_data;      // the points
    std::vector<float> m_extremes;  // x of the minimum, x of the maximum, per search
    std::vector<int32_t> m_poi;     // point indices, parallel to the points
    float m_min = 1e10f;
    float m_max = -1e10f;
    float m_xMin = 0.0f;
    float m_xMax = 0.0f;
    float m_yOffset = 0.0f;
    float m_factor = 1.0f;
    int32_t m_flag = 1;
    int32_t m_bAbsolut = 0;
    int32_t m_bRead = 0;
    int32_t m_type = 0;
    int32_t m_default = 0;
    std::string m_strName;   // second text, copied with the set
    std::string m_strTitle;  // the path: parts separated by a backslash
    std::string m_strUnit;
    int32_t m_lkNr = -1;
    int32_t m_resType = -1;
    int32_t m_nDigits = 3;
    int32_t m_nDigits2 = 5;
    // Diagram layout (not stored with the series): x labels and the grid
    // lines' extension on the minimum's side, title at the start, angles of
    // the texts and value labels (degrees), text height and whether it is
    // fixed, wanted number of value-grid intervals. m_flag shows the title.
    int32_t m_bLabelsBelow = 0;
    int32_t m_bTitleBeside = 0;
    double m_textAngle = 0.0;
    double m_labelAngle = 0.0;
    float m_textHeight = 0.0f;
    int32_t m_nGrid = 5;
    int32_t m_bFixedTextHeight = 0;

private:
    void RemovePoint(int point);
};

// Values of a value grid between low and high with about count intervals
// (steps 10^k, then halved). Equal bounds give low alone; reversed or
// non-finite bounds give [low]; at most kMaxTicks values.
void GenerateTicks(double low, double high, int count, std::vector<double>& list);
constexpr size_t kMaxTicks = 1000;

// Largest number of floats a series read from a document may hold.
constexpr int64_t kMaxResultFloats = 64 * 1024 * 1024;

// Reads a series element and its children into the list (see the source);
// elements of "type" -1 are skipped with their children.
void ReadResultSeries(ZVELEM element, const std::string& path, int32_t nodes, int32_t elements,
                      std::vector<CResultSet>& sets);
// The levels of the path last written under one parent: a run of sets whose
// titles begin alike finds those levels again without searching their
// parents' children (a runway's result list holds thousands of sets under
// one crane-position level). Valid while nothing else changes the parent's
// subtree.
struct CResultPathMemo {
    ZVELEM parent = 0;
    std::vector<std::pair<std::string, ZVELEM>> levels;  // part of the path, its element
};
// The element of a backslash path below parent, each level found or added
// and carrying its part as "title". An empty path gives parent.
ZVELEM EnsureResultPath(ZVELEM parent, const std::string& path, CResultPathMemo* memo = nullptr);
// Writes a set under parent at the path of its title.
ZVELEM WriteResultSet(const CResultSet& set, ZVELEM parent, CResultPathMemo* memo = nullptr);
