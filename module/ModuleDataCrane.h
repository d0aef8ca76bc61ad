// The crane calculation's section handles held by the module data: the
// spans of the girder with their start and end profiles and the handles of
// the steel-design library's sections built from them.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

class CSteelCheckSections {
public:
    CSteelCheckSections() = default;
    CSteelCheckSections(const CSteelCheckSections&) = delete;
    CSteelCheckSections& operator=(const CSteelCheckSections&) = delete;
    virtual ~CSteelCheckSections() { Reset(); }

    // Frees the section arrays and closes every section handle.
    void Reset();

    std::vector<double> m_spanLengths;
    std::vector<double> m_spanStarts;
    std::map<int32_t, int32_t> m_handles;  // key -> section handle of the steel-design library
    int32_t m_nAnnex = 1;
    std::vector<int32_t> m_startProfiles;
    std::vector<int32_t> m_endProfiles;
    double m_dTotalLength = 0.0;
};
