// A value taken over from another position's exported values: the record, its
// document form and its refresh from the source position.
#pragma once

#include <string>
#include <vector>

#include "platform/zevud/zevud.h"

class CImportValue {
public:
    CImportValue() = default;
    CImportValue(const CImportValue& other) { *this = other; }
    // Copies the five data fields; the message stays as it is.
    CImportValue& operator=(const CImportValue& other);

    // The five attributes "varPath", "desc", "varName", "value", "unit".
    void ReadData(ZVELEM element);
    void WriteData(ZVELEM element) const;

    // Refreshes value and unit from the source position's "exports" tree.
    // 0: done (or no source named), 1: the source file does not open,
    // 2: the value is not there. On a failure the old value and unit stay and
    // the message says why; on success the message is empty.
    int ImportData();

    // "varPath": the source file name without extension, then, each behind a
    // backslash, the "desc" texts of the folders and of the value that lead to
    // the number in the source's "exports" tree.
    std::string m_strSourcePath;
    std::string m_strDescription;
    std::string m_strVarName;
    double m_dValue = 0;
    std::string m_strUnit;
    // The warning of the last refresh; empty when it succeeded.
    std::string m_strMessage;
};

// The source path cut at its backslashes: the file name (first part with
// ".vkx") and the descriptions that lead to the value.
struct CImportPath {
    std::string fileName;
    std::vector<std::string> descriptions;
};
CImportPath SplitImportPath(const std::string& sourcePath);

// The name under which a taken-over value is defined: the source file name
// without folder and without ".vkx" (any case), "P_" in front when it begins
// with a digit, "_", the source's variable name; every character that is not
// an ASCII letter, a digit or '_' becomes one '_'.
std::string MakeImportVariableName(const std::string& sourceFileName, const std::string& sourceVarName);
