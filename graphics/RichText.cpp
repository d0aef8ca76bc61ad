#include "graphics/RichText.h"

#include <cstdio>

#include "module/frame/ModuleMessages.h"
#include "platform/winsys/winsys.h"

namespace {
constexpr const char* kArea = "RichText";
}  // namespace

void CRichText::ShowRtfFile(const std::string& file) {
    if (!richedit::RichText::ShowRtfFile(file))
        rigel::ShowCommonMessage(kArea, "Fehler beim Öffnen der Datei %s", file.c_str());
}

void CRichText::SetText(const std::string& text) { richedit::RichText::SetText(text); }

bool PrintFile(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "r");
    if (!f) {
        rigel::ShowCommonMessage(kArea, "Datei '%s' nicht gefunden!", path.c_str());
        return false;
    }
    std::fclose(f);
    return winsys::ShellPrint(path);
}
