// Support reactions of a crane runway kept with the position (element
// "Reactions"): per support, extreme and crane the six reaction components,
// the label of the load case that gave each and its crane position. Fixed
// sizes; the layout within them is the crane calculation's.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/zevud/zevud.h"

class CCraneReactions {
public:
    static constexpr int kMaxSupports = 20;
    static constexpr int kValues = 960;      // doubles per component
    static constexpr int kLabelBytes = 10;   // per label, NUL included
    static constexpr int kPositions = 240;   // ints

    CCraneReactions();
    // All zero, labels empty.
    void Clear();
    void ReadData(ZVELEM element);
    void WriteData(ZVELEM element) const;

    // Label i (at most 9 characters); empty outside the table.
    std::string GetLabel(int i) const;
    // Stores label i cut to 9 characters.
    void SetLabel(int i, const std::string& text);

    int32_t m_nAufl = 0;
    std::vector<double> m_xCoords;        // kMaxSupports
    std::vector<double> m_component[6];   // Ax, Ay, Az, Mx, My, Mz; kValues each
    std::vector<char> m_LF;               // kValues * kLabelBytes
    std::vector<int32_t> m_Pos;           // kPositions
};
