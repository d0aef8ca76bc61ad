// The formula text engine of the editor: text written in the formula colour
// is cut into formula lines, each line is recognised as a definition, an
// evaluation or a number, evaluated through the variable table, and its
// formatted result is written back into the RTF; errors are marked with a
// wavy underline and their message.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "editor/core/PageBufferList.h"

class CVariableTable;

// The formula colour RGB(7, 13, 255) as 0x00BBGGRR.
constexpr uint32_t kFormulaColour = 0xFF0D07;

// One formula line.
struct CFormulaRecord {
    enum Kind { None = 0, Number = 1, Definition = 2, Evaluation = 3, DefinitionWithResult = 4 };
    int kind = None;
    std::string rtf;             // the line's RTF; the result is written into it
    int start = -1, end = -1;    // the line's range in the page, end exclusive
    int resultPos = -1, resultLen = -1;  // the result text's place in rtf
    std::vector<int> symbolRuns; // Symbol-font boundaries around the line (negative: a run opens)
    std::string plain;
    std::string name, expression, result;
    std::string unit;
    int decimals = 2;
    int arialFont = -1, symbolFont = -1;
    int messageCode = 0;
    std::string messageText;
    int inSumRange = 0;
    // The value was no finite number: the line shows the error, not a number.
    bool noNumber = false;
};

// The whole pipeline on page 0: cut, parse, evaluate (in text order), and
// reassemble; the rewritten RTF is left as the only page. Without a table a
// table is made for the run (with parentTable as its parent); a given table
// gets parentTable as its parent when one is given. pathPrefix, when not
// empty, is put in front of every defined name ("prefix\name"). The records
// stay in records.
void CalculateRtfFormulas(CPageBufferList& pages, uint32_t formulaColour, std::vector<CFormulaRecord>& records,
                          int session, CVariableTable* parentTable, CVariableTable* table,
                          const std::string& pathPrefix = std::string());

// The steps.
void SplitRtfIntoRecords(const CPageBufferList& pages, std::vector<CFormulaRecord>& records, uint32_t formulaColour);
int ParseFormulaRecord(CFormulaRecord& record);
void EvaluateTextFunctions(std::vector<CFormulaRecord>& records, int index, int session, CVariableTable& table);
void EvaluateFormulaRecord(std::vector<CFormulaRecord>& records, int index, int session, CVariableTable& table,
                           const std::string& pathPrefix);
void ReassembleRtf(CPageBufferList& pages, const std::vector<CFormulaRecord>& records);

// The plain text of an RTF stretch that starts at offset in its page; with
// Symbol-font boundaries, Greek letters in a Symbol run are read as their
// names.
void RtfToPlainText(std::string& out, const std::string& rtf, int offset, const std::vector<int>& symbolRuns);

// The colour-table index of the colour (the last matching entry); -1 when the
// page has no colour table or the colour is not in it.
int GetColourIndex(const CPageBufferList& pages, uint32_t colour);

// Message text made safe inside RTF: backslash and braces escaped, characters
// outside ASCII as "\'xx" (Latin-1 range) or "\uN?".
std::string EscapeRtfMessage(const std::string& text);
// Only the characters outside ASCII escaped (for texts that carry control
// words of their own).
std::string EscapeRtfNonAscii(const std::string& text);
