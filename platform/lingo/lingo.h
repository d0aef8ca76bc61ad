// Translation of user-visible texts. Without an installed catalogue every
// text is returned as it stands (the German original).
#pragma once

#include <string>

#ifdef __cplusplus
#define LINGO_API extern "C" __attribute__((visibility("default")))
#else
#define LINGO_API __attribute__((visibility("default")))
#endif

// Translates a text; writes the result into buf (NUL-terminated, cut to
// bufSize) and returns its full length.
LINGO_API int LINGO_Translate(const char* application, const char* section, const char* area,
                              const char* text, char* buf, int bufSize);

#ifdef __cplusplus
namespace lingo {

// The translated text (or the text itself).
__attribute__((visibility("default"))) std::string Translate(const std::string& application,
                                                             const std::string& section,
                                                             const std::string& area,
                                                             const std::string& text);

// Loads a catalogue file (UTF-8 lines "application|section|area|text=translation";
// '\n' and '\\' escaped in texts). Replaces the catalogue in use. false when
// the file cannot be read. An empty path unloads.
__attribute__((visibility("default"))) bool LoadCatalogue(const std::string& path);

// Fills a printf format after translation. When the translation changed the
// conversion specifiers (count, order or kind), the original format is used
// instead so that the arguments always match what the format expects.
__attribute__((visibility("default"))) std::string FormatTranslated(const std::string& original,
                                                                    const std::string& translated,
                                                                    ...);

}  // namespace lingo
#endif
