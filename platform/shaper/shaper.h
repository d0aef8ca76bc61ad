// The section generator: parametric sections given by a type and its
// dimensions (welded I-sections, welded boxes, flat plates), built as wall
// lines of the cross-section library, drawn plate by plate into a 2-D graph
// control, and edited in a dialog that the window part registers.
//
// Dimensions are in cm. The section's y runs across, z downwards from the
// top face (the top flange lies towards smaller z, as the cross-section
// library reads it); the web stands on y = 0.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#define SHAPER_API __attribute__((visibility("default")))

namespace kurvo {
class Control;
}

// Section types.
enum ShaperType : int32_t {
    SHAPER_FREE = 0,         // wall lines without dimensions (cannot be built, only replaced)
    SHAPER_WELDED_I = 1,     // doubly symmetric welded I: h, tw, b, t
    SHAPER_WELDED_I_MONO = 2,  // singly symmetric welded I: h, tw, bo, to, bu, tu
    SHAPER_BOX = 3,          // welded box: h, b, tw (webs), tf (flanges)
    SHAPER_FLAT = 4,         // flat plate standing on edge: h, t
};

// A parametric section: its type, the type's dimensions and the section of
// the cross-section library that holds its wall lines (-1 none).
struct ShaperContour {
    int32_t type = SHAPER_FREE;
    std::vector<double> dims;
    int32_t section = -1;
};

// The types offered, in the order of the editor's list.
SHAPER_API int Shaper_GetNumOfSectionTypeIDs();
// Writes up to max type ids; returns the number written.
SHAPER_API int Shaper_GetSectionTypeIDs(int32_t* ids, int max);
// The type's name ("" for an unknown type).
SHAPER_API std::string Shaper_GetSectionTypeName(int type);
// The dimensions' short names ("h", "tw" ...) and their descriptions.
SHAPER_API std::vector<std::string> Shaper_GetDimensionNames(int type);
SHAPER_API std::vector<std::string> Shaper_GetDimensionTexts(int type);
SHAPER_API std::vector<double> Shaper_GetDefaultDimensions(int type);
// Whether the dimensions make a section of the type; false with a message
// naming the field ("Abmessung tw: ...") when they do not.
SHAPER_API bool Shaper_CheckDimensions(int type, const std::vector<double>& dims, std::string& message);
// Builds the wall lines of the contour's type and dimensions into its
// section (made when it has none). 0 ok, -1 refused (the section is left).
SHAPER_API int Shaper_BuildSection(ShaperContour& contour);
// A contour of its own: the same type and dimensions and a new section with
// a copy of the wall lines (none when the original has no section).
SHAPER_API ShaperContour Shaper_CopyContour(const ShaperContour& contour);
// Frees the contour's section.
SHAPER_API void Shaper_ReleaseContour(ShaperContour& contour);

// Runs the editor on the contour offering the given types (all types when
// count < 1). The contour changes only on OK; returns 1 for OK, 0 for Cancel
// or when no editor is registered (no windows).
SHAPER_API int Shaper_EditSection(ShaperContour& contour, const int32_t* types, int count);
// The editor of the window part: edits a copy and answers 1 to take it.
using ShaperEditor = int (*)(ShaperContour& contour, const std::vector<int32_t>& types);
// Registers the editor (nullptr: none); returns the previous one.
SHAPER_API ShaperEditor Shaper_SetEditor(ShaperEditor editor);

// Draws each plate of the section as a filled polygon around its centre
// line with its number at the middle (y to the right, z downwards on the
// picture). factor > 0 shows the section's extents enlarged by factor about
// their middle; otherwise the window is left to fit the content. Returns
// the number of plates drawn (-1 for no section or no control).
SHAPER_API int Shaper_DrawSection(int section, kurvo::Control* graph, double factor);
