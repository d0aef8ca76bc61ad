// The extreme values of one result over all crane positions: per value
// index, a minimum side (0) and a maximum side (1), each with the crane
// position, an info code, the value and its x.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/zevud/zevud.h"

class CEnvelope {
public:
    void Clear();
    // Both sides get n entries of 0 (a negative n counts as 0).
    void SetSize(int n);
    int GetSize() const { return static_cast<int>(m_value[0].size()); }
    // Looks at values[start + j*stride], j = 0..count-1: side 0 takes a value
    // strictly below the stored one, side 1 one strictly above; when any was
    // taken, the crane position, the x of the last one taken (xs, same
    // indexing) and info are stored for the index. Entries past the end of
    // values or xs are not read; an index outside the envelope changes nothing.
    void Update(int side, int index, int cranePos, int count, int start, int stride, const std::vector<double>& values,
                const std::vector<double>& xs, int info);
    // False for a side or index outside the envelope.
    bool GetAt(int side, int index, int& cranePos, double& value, double& x, int& info) const;

    void ReadData(ZVELEM element);
    void WriteData(ZVELEM element) const;

    std::vector<int32_t> m_cranePos[2];
    std::vector<double> m_value[2];
    std::vector<double> m_xpos[2];
    std::vector<int32_t> m_info[2];
};
