// Reading RTF into a QTextDocument.
#pragma once

#include <QTextCursor>
#include <QTextDocument>
#include <string>
#include <vector>

#include "platform/richedit/rtf_format.h"

namespace richedit {

struct RICHEDIT_API RtfReadResult {
    // False when the text is no RTF at all (nothing was changed then).
    bool read = false;
    // What was damaged; the well-formed part was read.
    std::vector<std::string> damage;
    bool Clean() const { return read && damage.empty(); }
    std::string Message() const;
};

// Replaces the document's content by the RTF text. Text that does not start
// as RTF leaves the document as it was.
RICHEDIT_API RtfReadResult ReadRtf(const std::string& rtf, QTextDocument& doc);
// Inserts the RTF text at the cursor (in place of its selection) as one
// undo step.
RICHEDIT_API RtfReadResult InsertRtf(const std::string& rtf, QTextCursor& cursor);

}  // namespace richedit
