// Plays an enhanced metafile onto an image, so that the pictures of our own
// reports show in the text document instead of a placeholder. The records
// played are those our metafile writer produces: header, pens, brushes and
// fonts (created, selected, deleted; the stock objects), move and line,
// polygon, ellipse, text colour, alignment and background mode, and Unicode
// text; other records are passed over.
#pragma once

#include <QByteArray>
#include <QImage>

#define RICHEDIT_API __attribute__((visibility("default")))

namespace richedit {

// Whether the bytes are an enhanced metafile (header record with its
// signature).
RICHEDIT_API bool IsEnhancedMetafile(const QByteArray& data);

// The metafile drawn on a white image of width x height pixels, its frame
// filling the image. A null image when the bytes are not a readable
// enhanced metafile (the caller shows its placeholder then).
RICHEDIT_API QImage PlayEnhancedMetafile(const QByteArray& data, int width, int height);

}  // namespace richedit
