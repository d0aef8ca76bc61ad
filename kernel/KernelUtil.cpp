#include "kernel/KernelUtil.h"

#include <cstdio>

#include "kernel/ModelRecord.h"
#include "platform/winsys/winsys.h"

namespace tovik {

void WriteLogLine(const std::string& fileName, const std::string& text) {
    const winsys::SystemTime t = winsys::UtcNow();
    const std::string stamp = winsys::FormatC("[%02d.%02d.%04d / %02d:%02d:%02d:%04d]", t.day, t.month,
                                              t.year, t.hour, t.minute, t.second, t.millisecond);
    for (int attempt = 0; attempt < 10; ++attempt) {
        if (std::FILE* f = std::fopen(fileName.c_str(), "a")) {
            std::fprintf(f, "%s %s\n", stamp.c_str(), text.c_str());
            std::fclose(f);
            return;
        }
        winsys::Sleep(20);
    }
}

void SplitString(const std::string& text, char separator, std::vector<std::string>& out) {
    out.clear();
    std::string rest = text;
    while (!rest.empty()) {
        const size_t p = rest.find(separator);
        if (p == std::string::npos) {
            out.push_back(rest);
            return;
        }
        out.push_back(rest.substr(0, p));
        rest = rest.substr(p + 1);
        const size_t b = rest.find_first_not_of(' ');
        if (b == std::string::npos) {
            rest.clear();
        } else {
            const size_t e = rest.find_last_not_of(' ');
            rest = rest.substr(b, e - b + 1);
        }
    }
}

std::string CutUtf8(std::string text, size_t maxBytes) {
    if (text.size() <= maxBytes) return text;
    size_t n = maxBytes;
    // Never cut inside a character: step back over continuation bytes.
    while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
    text.resize(n);
    return text;
}

std::string RunBaseNameFromPath(const std::string& completeFileName) {
    const size_t slash = completeFileName.find_last_of("\\/");
    std::string name = (slash == std::string::npos) ? completeFileName : completeFileName.substr(slash + 1);
    if (name.size() >= 4 && winsys::EqualsNoCase(std::string_view(name).substr(name.size() - 4), ".vkx"))
        name.resize(name.size() - 4);
    return CutUtf8(name, static_cast<size_t>(limits::kMaxRunBaseName));
}

int IsDeveloperSwitchOn() {
    const auto v = winsys::GetEnv("VKTUSER");
    if (!v) return 0;
    return (*v == "DEDUV" || *v == "deduv") ? 1 : 0;
}

}  // namespace tovik
