// The record types and values of the enhanced-metafile format that the
// program's pictures use: one list for the writer (emf) and for the player
// that draws them in the windows (richedit), which does not link the writer.
#pragma once

#include <cstdint>

namespace emf::records {

constexpr uint32_t EMR_HEADER = 1;
constexpr uint32_t EMR_POLYGON = 3;
constexpr uint32_t EMR_EOF = 14;
constexpr uint32_t EMR_SETBKMODE = 18;
constexpr uint32_t EMR_SETTEXTALIGN = 22;
constexpr uint32_t EMR_SETTEXTCOLOR = 24;
constexpr uint32_t EMR_MOVETOEX = 27;
constexpr uint32_t EMR_SELECTOBJECT = 37;
constexpr uint32_t EMR_CREATEPEN = 38;
constexpr uint32_t EMR_CREATEBRUSHINDIRECT = 39;
constexpr uint32_t EMR_DELETEOBJECT = 40;
constexpr uint32_t EMR_ELLIPSE = 42;
constexpr uint32_t EMR_LINETO = 54;
constexpr uint32_t EMR_EXTCREATEFONTINDIRECTW = 82;
constexpr uint32_t EMR_EXTTEXTOUTW = 84;

// The header's signature (" EMF") and the flag of a stock object's handle.
constexpr uint32_t kSignature = 0x464D4520u;
constexpr uint32_t kStockObject = 0x80000000u;

}  // namespace emf::records
