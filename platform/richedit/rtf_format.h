// What the RTF reader puts into a QTextDocument beyond Qt's own formats, and
// the character tables both directions share.
#pragma once

#include <QString>
#include <QStringList>
#include <QTextFormat>
#include <cstdint>
#include <string>

#define RICHEDIT_API __attribute__((visibility("default")))

namespace richedit {

// Properties of character, block, image and table formats.
enum Property : int {
    // Character runs in a Symbol-encoded font: the text holds Unicode, the
    // font name kept here is written back with the original characters.
    kSymbolFont = QTextFormat::UserProperty + 1,
    // Hidden text (\v): kept in the document, marked by a dotted underline.
    kHidden,
    // Table: the right cell borders in twips as a QList<int>.
    kCellBorders,
    // Image: the original picture group body (written back unchanged).
    kPictureRtf,
    // Image: the picture is a metafile shown as a placeholder frame (one
    // that is not an enhanced metafile, or one that cannot be played).
    kMetafile,
    // Block: the RTF line spacing (\sl value, \slmult flag).
    kLineSpacing,
    kLineSpacingMultiple,
};

// Document property: the font names of the RTF text read, by number.
constexpr const char* kFontTableProperty = "richeditFonts";

// Pixels of the document per twip (the document lays out at 96 dpi).
constexpr double kPixelsPerTwip = 96.0 / 1440.0;
inline double TwipsToPixels(int twips) { return twips * kPixelsPerTwip; }
inline int PixelsToTwips(double px) { return static_cast<int>(px / kPixelsPerTwip + (px < 0 ? -0.5 : 0.5)); }

// Code page 1252: the character of a byte, and the byte of a character
// (-1 when the code page has none).
RICHEDIT_API char16_t Cp1252ToUnicode(unsigned char byte);
RICHEDIT_API int UnicodeToCp1252(char16_t ch);

// The Symbol font's encoding (the system's table): the character a byte
// shows, and back (-1 when none; a plain character below 0x100 stays itself).
RICHEDIT_API char16_t SymbolToUnicode(unsigned char byte);
RICHEDIT_API int UnicodeToSymbol(char16_t ch);
// Whether a font name stands for the Symbol encoding (other fonts of the
// symbol charset, Wingdings say, have encodings of their own).
RICHEDIT_API bool IsSymbolFont(const QString& name);
// The font families a run of the named font is drawn with: the font itself,
// and for a Symbol font (whose text the document holds as Unicode Greek and
// signs) a face that has those characters, for systems where "Symbol" stands
// for a face without them. The first family stays the run's font name.
RICHEDIT_API QStringList DisplayFamilies(const QString& name);

}  // namespace richedit
