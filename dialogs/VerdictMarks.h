// The results pages' texts read as a verdict: the lines that report a check
// as not fulfilled (a utilisation above 1, "nicht erfüllt") are drawn in
// bold red, so that 1.02 does not look like 0.56.
#pragma once

#include <string>

#include "platform/wl/window.h"

// The colour of a line that is not fulfilled (0xRRGGBB).
inline constexpr unsigned kUnfulfilledColour = 0xC00000;

// Marks the unfulfilled lines of text in the read-only multi-line edit id of
// page (the edit shows text). Returns the number of lines marked.
int MarkUnfulfilledLines(wl::Window& page, int id, const std::string& text);
// A fixed-pitch font for the edit id of page, so that a table of blanks
// lines up, without line wrapping (a narrow box scrolls sideways).
void UseFixedPitch(wl::Window& page, int id);
