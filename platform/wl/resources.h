// Resources as tables: bitmaps by id. The library that owns an image
// registers it (drawn in code or read from a small PNG of its own).
#pragma once

#include <QImage>

#include "platform/wl/api.h"

namespace wl {

// Registers (or replaces) the bitmap of an id.
WL_API void RegisterBitmap(int id, const QImage& image);
// The bitmap of an id; a null image when none is registered.
WL_API QImage FindBitmap(int id);

}  // namespace wl
