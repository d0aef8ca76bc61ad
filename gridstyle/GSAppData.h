// The process-wide objects of the grid classes: the empty user attribute,
// the font table, the pattern bitmaps, the application data with its
// implementation slots, the colour table, the bitmap pool and the drawing
// service. The kernel library builds them during its static initialisation
// and destroys them when it is unloaded.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "gridstyle/GSImplementations.h"

class CGSDIBPool;
class CGSDrawingAndFormatting;

// An 8 x 8 monochrome pattern: eight rows, the low byte of each holding the
// pixels (16 bytes, as the bitmap is built from).
struct CGSPatternBitmap {
  std::array<uint16_t, 8> rows{};
  bool Pixel(int x, int y) const { return (rows[static_cast<size_t>(y)] >> (7 - x)) & 1; }
};

// The application-wide grid data object.
class CGSAppData {
 public:
  std::string m_text;
  std::array<std::string, 30> m_texts;
  // Optional implementations; the kernel library installs none.
  CGSImplementations m_impl;
  bool m_switch = true;
};

// Colours that override system colours by number.
class CGSColorTable {
 public:
  std::vector<uint32_t> m_colors;
  // Whether the platform's major version is 4 or later, and two values that
  // are 2 with it and 1 without.
  bool m_version4 = true;
  int m_value1 = 2;
  int m_value2 = 2;
};

// Accessors of the process-wide objects; each is null once the objects
// have been destroyed at unload.
CGSAppData* GSAppData();
CGSColorTable* GSColorTable();
// Pattern n (0 to 40), built on the first request; null for an unknown pattern.
const CGSPatternBitmap* GSPatternBitmap(int n);
// The bitmap pool and the drawing service, created on first use.
CGSDIBPool* GSDIBPool();
CGSDrawingAndFormatting* GSDrawingAndFormatting();
// Whether the process-wide objects have been built (and not yet destroyed).
bool GSProcessObjectsAlive();

// The colour of number n: the colour table's entry when n is below its
// size, else the platform's system colour n.
uint32_t GSLookupColor(int n);
