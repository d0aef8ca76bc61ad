// Resources as tables: bitmaps and strings by id. The library that owns an image
// registers it (drawn in code or read from a small PNG of its own).
#pragma once

#include <QImage>
#include <string>

#include "platform/wl/api.h"

namespace wl {

// Registers (or replaces) the bitmap of an id.
WL_API void RegisterBitmap(int id, const QImage& image);
// The bitmap of an id; a null image when none is registered.
WL_API QImage FindBitmap(int id);

// Registers (or replaces) the string of an id.
WL_API void RegisterString(int id, const std::string& text);
// The string of an id; empty when none is registered.
WL_API std::string LoadString(int id);

}  // namespace wl
