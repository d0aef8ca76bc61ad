// Shared pieces of the member-design report: norm titles and the small
// helpers that the chapter writers of the report use.
#pragma once

#include <cstdint>
#include <string>

#include "platform/zidezaz/zidezaz.h"

class CKurvo2D;
class CModuleData;
class CSection;

// The title of a norm code: 0 "DIN 1055-100", 1 and 7 "DIN 18800",
// 3 "DIN EN 1990/NA:2010-12", 8 "DIN EN 1993-1-1:2005-07",
// 31 "DIN EN 1993-1-1/NA:2010-12"; every other code the empty text.
const char* GetNormTitle(int code);

// The member-design report of a position document: reads the position into
// a module data object of its own and, unless flag is 0, writes the report
// "<position>.rtf" beside the document (the document's file name with its
// ".vkx" replaced). The chapters, tables and diagrams follow the position's
// output options ("rtfOptions", "rtfLKgebr", "rtfLKTragSV" and the chapter
// switches "bRtfChapter..."); pictures and stored RTF parts go through
// temporary files of their own, removed before it returns. A report that
// cannot be written is said in a message; the report file written before
// stays as it was.
extern "C" __attribute__((visibility("default"))) void REVUVUvarudIVA(uint32_t doc, int32_t flag);

// The module name of the elastic-plastic variant of the member design.
inline constexpr const char* kPlasticVariantName = "Deneb";
bool IsPlasticVariant(const CModuleData& md);
// The page-header block of the report: "Name=", "Titel=", "Version=V "
// and "@T=" (the position's free text), each ended by a NUL, then one more NUL.
std::string MemberReportHeader(const CModuleData& md, const std::string& version);
// Writes the report of md (read from doc) into file; false when the file
// could not be written.
bool WriteMemberReport(CModuleData& md, unsigned int doc, const std::string& file);

namespace report_text {

// A property text of a material as a number: a decimal comma counts as a
// point, the leading number is read, anything unreadable is 0.
double ParseNumber(const std::string& text);

// Appends a stored RTF file (a data attribute of element) to the open
// report: the attribute is loaded into a unique temporary file, appended and
// the file deleted. False when the attribute is empty or cannot be loaded.
bool AppendStoredRtf(unsigned int element, const char* attribute);

// The gross-section values of a section's start (end 0) or end profile
// (end 1; the start profile unless the section is haunched): from the
// standard-profile catalogue or from the section's own profile. Zeros when
// the profile cannot be found.
SektGqs SectionGrossValues(CSection& section, int end);

// Writes the heading with the style when it is not empty and embeds the
// graph's picture after it (a..d handed to the picture call): the picture of
// the report's own control is made on the report's picture thread and placed
// there; another control's goes through a temporary metafile of its own.
// False when the picture could not be placed.
bool InsertGraph(CKurvo2D& graph, int headingStyle, const std::string& heading, int a, int b, int c, int d);

}  // namespace report_text
