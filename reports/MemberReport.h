// Shared pieces of the member-design report: norm titles and the small
// helpers that the chapter writers of the report use.
#pragma once

#include <string>

#include "platform/zidezaz/zidezaz.h"

class CSection;

// The title of a norm code: 0 "DIN 1055-100", 1 and 7 "DIN 18800",
// 3 "DIN EN 1990/NA:2010-12", 8 "DIN EN 1993-1-1:2005-07",
// 31 "DIN EN 1993-1-1/NA:2010-12"; every other code the empty text.
const char* GetNormTitle(int code);

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

}  // namespace report_text
