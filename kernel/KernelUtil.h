// Small helpers of the kernel: the index conversion, log lines, text
// splitting, the run's base name and the developer switch.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tovik {

// A signed count or index of the model as an index into a std::vector
// (callers check the range; a negative one becomes a huge index that at()
// refuses).
inline constexpr size_t Z(int64_t i) { return static_cast<size_t>(i); }

// Appends "[dd.mm.yyyy / hh:mm:ss:mmmm] text" to the log file (tried up to
// ten times, 20 ms apart; a line that cannot be written is dropped).
void WriteLogLine(const std::string& fileName, const std::string& text);

// Splits at the separator; parts after the first are trimmed of blanks.
void SplitString(const std::string& text, char separator, std::vector<std::string>& out);

// The text cut to at most maxBytes bytes, never inside a UTF-8 character.
std::string CutUtf8(std::string text, size_t maxBytes);

// The document's file name without folder ('\' or '/') and without a final
// ".vkx" of any case, cut to 255 characters.
std::string RunBaseNameFromPath(const std::string& completeFileName);

// The word of the developer switch VKTUSER.
inline constexpr const char* kDeveloperSwitchWord = "DEDUV";
// 1 when VKTUSER is "DEDUV" or "deduv", else 0.
int IsDeveloperSwitchOn();

}  // namespace tovik
