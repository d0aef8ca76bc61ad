// The member-design report's output options as the output page, its chapter
// tree and the output assistant handle them, without any toolkit: the option
// id of every table and diagram with its tree path, the assistant's check
// boxes with their option numbers, the rebuild of the chapter options from
// the assistant's selection, and the selection templates "*.RIGEL.vor".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/zevud/zevud.h"

class CModuleData;

// ---- chapter options and their tree paths -------------------------------------------

inline constexpr int kChapterOptionCount = 450;
inline constexpr int kAssistantOptionCount = 300;

// The tree path of every chapter option id, backslashes between the levels
// ("Eingabe\Tabellen\Auflager", "Tragsicherheit\Grafiken\LK\Reaktionen\AMz");
// an id without a tree item has an empty path. Always 450 entries.
const std::vector<std::string>& OutputChapterPaths();

// The chapter options made anew from the assistant's options: every option
// is cleared, then each table or diagram the assistant covers takes its
// check box. The arrays keep their sizes; entries missing on either side
// count as 0.
void RebuildChapterOptions(std::vector<int32_t>& chapter, const std::vector<int32_t>& assistant);

// ---- the assistant's pages -----------------------------------------------------------

// One check box of an assistant page and the assistant option it stands for.
struct AssistantBox {
    int control;
    int option;
};
// The boxes of page 1 (input), 2 (serviceability) or 3 (ultimate limit
// state), in control order; none for another page.
const std::vector<AssistantBox>& AssistantBoxes(int page);
// The assistant option of a page's box; -1 when the page has no such box.
int AssistantOptionOf(int page, int control);
// Whether a box of page 2 or 3 belongs to a single load combination (or, on
// page 2, to a single action), which needs combinations to be reported.
bool IsPerCombinationBox(int page, int control);

// ---- selection templates ---------------------------------------------------------------

// The file a template is read from or written to, for the path the file
// dialog gave: a file name with a dot after its first character is cut
// before that dot and gets ".RIGEL.vor"; the folder is kept as it is; any
// other path is used unchanged.
std::string OutputTemplatePath(const std::string& chosen);

// The options into the template document: its root gets a child
// "rtfOptions" with the two option arrays and the six report switches.
void WriteOutputTemplate(ZVDOC doc, const CModuleData& data);
// The options from a template document; false (and nothing changed) when
// the root has no "rtfOptions" child. The arrays keep their 450 and 300
// entries: stored entries beyond them are ignored, missing ones become 0.
bool ReadOutputTemplate(ZVDOC doc, CModuleData& data);

// Reads a template file (a damaged or missing file is said by the document
// layer); false when nothing was read.
bool LoadOutputTemplate(const std::string& file, CModuleData& data);
// Writes a template file; false when it could not be saved (said by the
// document layer).
bool SaveOutputTemplate(const std::string& file, const CModuleData& data);
