// For tests: a document from XML text, header-only.
#pragma once

#include <fstream>
#include <string>

#include "platform/zevud/zevud.h"

namespace zevud {

// Stores the text under fileName and opens it (the document takes that
// name); 0 when the file cannot be written or the text is no document.
inline ZVDOC DocumentFromXml(const std::string& xml, const std::string& fileName) {
    {
        std::ofstream out(fileName, std::ios::binary | std::ios::trunc);
        if (!out) return 0;
        out << xml;
        if (!out) return 0;
    }
    return ZEVUD_OpenDocQuiet(fileName.c_str());
}

}  // namespace zevud
