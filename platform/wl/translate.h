// Translation of whole windows through the translation library: the
// caption and the texts of statics, buttons, check boxes, radio buttons and
// group boxes, and the entries of combos marked kTranslatable.
#pragma once

#include "platform/wl/api.h"
#include "platform/wl/window.h"

// Translates the window's texts with application, section and dialog name;
// false when there is no window.
WL_API bool LINGO_HWNDTranslate(wl::Window* window, const char* application, const char* section,
                                const char* dialog);
