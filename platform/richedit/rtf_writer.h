// Writing a QTextDocument as RTF in the rich-edit dialect: code page 1252,
// font table, colour table with the automatic colour first, the generator
// group, \par followed by CR LF, tables as \trowd ... \row.
#pragma once

#include <QTextCursor>
#include <QTextDocument>
#include <string>

#include "platform/richedit/rtf_format.h"

namespace richedit {

// The whole document.
RICHEDIT_API std::string WriteRtf(const QTextDocument& doc);
// The cursor's selection (the whole document when nothing is selected).
RICHEDIT_API std::string WriteRtfSelection(const QTextCursor& cursor);

// Text as RTF text: "\", "{" and "}" escaped, code page 1252 as \'xx and
// everything beyond as \uN?. Tabs and line breaks become \tab and \line.
RICHEDIT_API std::string EscapeRtfText(const QString& text);

}  // namespace richedit
