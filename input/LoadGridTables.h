// What the load input grid shows per load type: the print formats of the
// value columns, which of the grid's 17 columns are open, and the headings
// of the length column and of the value columns. Kept apart from the grid
// window so that the tables can be read and checked on their own.
#pragma once

#include <string>
#include <vector>

namespace loadgrid {

inline constexpr int kColumnCount = 17;
inline constexpr int kLengthColumn = 7;
inline constexpr int kFirstValueColumn = 11;
inline constexpr int kValueColumns = 6;

// The print formats of the value columns 11.. of a load type, with one
// direction or as components; empty for a type without values or outside
// the table.
std::vector<std::string> ValueFormats(int loadType, bool withDirection);

// Columns 0-16, '1' open, '0' read-only (and emptied). Outside the table
// all columns but 1-4 are closed.
std::string CellMask(int loadType, bool withDirection);

struct Header {
    std::string length;               // column 7
    std::vector<std::string> values;  // columns 11.. ("---" where nothing is given)
};
// The headings for a load; direction 0 X, 1 Y, 2 Z (used by temperature
// and by force/moment pairs with a direction). An unknown type gives the
// headings of a uniform load without direction.
Header Headers(int loadType, bool withDirection, int direction);

}  // namespace loadgrid
