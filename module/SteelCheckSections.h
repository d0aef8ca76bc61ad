// The crane calculation's steel-check sections: the spans of the girder with
// their start and end profiles, and the sections of the steel-design
// library built from the profile at a position x (interpolated along a
// haunched span), each built once per calculation. The position data holds
// one.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

class CSteelCheckSections {
public:
    // A profile has at most this many plates less one.
    static constexpr int kMaxWalls = 50;

    CSteelCheckSections() = default;
    CSteelCheckSections(const CSteelCheckSections&) = delete;
    CSteelCheckSections& operator=(const CSteelCheckSections&) = delete;
    virtual ~CSteelCheckSections() { Reset(); }

    // Empties the span table and closes every section built.
    void Reset();
    // n spans (new entries 0).
    void SetSpanCount(int n);
    // Span i: its length and the section-library profiles at its start and
    // end (equal for a span without haunch); the start coordinates and the
    // total length follow. An index outside the table changes nothing.
    void SetSpan(int i, double length, int32_t startProfile, int32_t endProfile);
    // The span holding x (x at a span's end belongs to that span; beyond the
    // girder the last span) and x's coordinate in it. -1 without spans.
    int FindSpan(double x, double& local) const;
    // The library section at x, built on first use; 0 when it cannot be built
    // or x is no finite number. Beyond a haunch's ends its end sections.
    int32_t GetSteelCheckSectionHandle(double x);
    // Builds one library section from the two profiles at local of a span of
    // the given length; 0 (with a message) when it cannot be built.
    int32_t SetFerrumSection(int32_t startProfile, int32_t endProfile, double local, double length);
    int GetSpanCount() const { return static_cast<int>(m_spanLengths.size()); }
    // The number of sections built (failed ones included).
    int GetHandleCount() const { return static_cast<int>(m_handles.size()); }

    // Sorts in place: strings ascending when the flag is non-zero (byte
    // order of unsigned characters), doubles descending when the flag is
    // non-zero. The two flags have opposite senses.
    static void SortStringArray(std::vector<std::string>& array, int ascending);
    static void SortDoubleArray(std::vector<double>& array, int descending);

    std::vector<double> m_spanLengths;
    std::vector<double> m_spanStarts;
    // (span index, sub-key) -> section handle of the steel-design library;
    // the sub-key is per span for a span without haunch, per tenth of x in
    // a haunched span.
    std::map<std::pair<int32_t, int32_t>, int32_t> m_handles;
    int32_t m_nAnnex = 1;  // national annex: 1 Germany, 2 France
    std::vector<int32_t> m_startProfiles;
    std::vector<int32_t> m_endProfiles;
    double m_dTotalLength = 0.0;
};
