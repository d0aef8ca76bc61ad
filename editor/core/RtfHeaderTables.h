// The header tables of an RTF text (colours, fonts, styles): reading them out
// of a page, naming their entries, free numbers and renumbering of the
// references, and the conversion of an editor page into a report body that
// uses the tables of a report frame.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "editor/core/PageBufferList.h"

class CRtfHeaderTable {
public:
    virtual ~CRtfHeaderTable() = default;
    // The table as RTF: keyword, blank, the entries, "}".
    virtual std::string Write() const;
    virtual int FirstFreeNumber() const = 0;
    // The entry that starts at pos (blanks and line breaks before it are
    // skipped); pos moves past it. False when the table's closing brace (or
    // the end of the text) comes first.
    virtual bool NextEntry(const std::string& text, size_t& pos, std::string& entry) const;
    virtual int EntryNumber(int index, const std::string& entryText) const = 0;
    virtual std::string EntryName(const std::string& entryText) const = 0;
    // Gives the entry a new number (its own code inside the entry rewritten).
    virtual void Renumber(int index, int newNumber);

    // The keyword searched in the text and the one written.
    virtual const char* Keyword() const = 0;
    virtual const char* WrittenKeyword() const = 0;

    // Reads the table from page 0. Without the keyword the table stays empty
    // and both positions are -1; else they give the range of the table's
    // group (from its "{" to just after its "}").
    void Read(const CPageBufferList& pages, int& tableStart, int& tableEnd);
    // Appends an entry (a name that is taken gets "_" until it is unique);
    // returns its index.
    int Add(int number, const std::string& entryText, const std::string& name);
    int FindByName(const std::string& name) const;
    int GetSize() const { return static_cast<int>(m_entries.size()); }
    int GetNumber(int i) const { return m_numbers.at(static_cast<size_t>(i)); }
    const std::string& GetEntry(int i) const { return m_entries.at(static_cast<size_t>(i)); }
    const std::string& GetName(int i) const { return m_names.at(static_cast<size_t>(i)); }

protected:
    // Whether a group kind: entries are brace groups (fonts, styles).
    virtual bool GroupEntries() const { return true; }
    std::vector<std::string> m_entries;
    std::vector<std::string> m_names;
    std::vector<int> m_numbers;
    std::map<std::string, int> m_byName;
};

class CRtfColorTable : public CRtfHeaderTable {
public:
    int FirstFreeNumber() const override { return GetSize(); }
    int EntryNumber(int index, const std::string&) const override { return index; }
    std::string EntryName(const std::string& entryText) const override;
    void Renumber(int, int) override {}
    const char* Keyword() const override { return "\\colortbl"; }
    const char* WrittenKeyword() const override { return "\\colortbl "; }

protected:
    bool GroupEntries() const override { return false; }
};

class CRtfFontTable : public CRtfHeaderTable {
public:
    int FirstFreeNumber() const override;
    int EntryNumber(int index, const std::string& entryText) const override;
    std::string EntryName(const std::string& entryText) const override;
    const char* Keyword() const override { return "\\fonttbl"; }
    const char* WrittenKeyword() const override { return "\\fonttbl "; }
};

class CRtfStyleTable : public CRtfHeaderTable {
public:
    int FirstFreeNumber() const override;
    int EntryNumber(int index, const std::string& entryText) const override;
    std::string EntryName(const std::string& entryText) const override;
    void Renumber(int index, int newNumber) override;
    const char* Keyword() const override { return "\\stylesheet"; }
    const char* WrittenKeyword() const override { return "\\styletbl "; }
};

// The colours of the page's colour table as 0x00BBGGRR values in table order,
// the automatic first entry included (list index = RTF colour number).
// Nothing when the page has no colour table.
void ReadColorList(const CPageBufferList& pages, std::vector<uint32_t>& list);

// Rewrites every "code" followed by one to three digits in page 0 whose
// number stands in oldNumbers by its partner in newNumbers; the range
// [tableStart, tableEnd) stays as it is. A longer number is read as its first
// three digits followed by text.
void RenumberCodes(const std::vector<int>& oldNumbers, const std::vector<int>& newNumbers, const std::string& code,
                   CPageBufferList& pages, int tableStart, int tableEnd);

// Turns the editor page into a report body that refers to the colours, fonts
// and styles of the frame file; the body is left as the only page. A frame
// that cannot be read counts as empty.
void ConvertForReport(const std::string& frameFile, CPageBufferList& pages);

// The plain text of an RTF stretch without its control words: a control word
// starts at a backslash ("\\" is a literal backslash) and ends at a blank
// (dropped), a line feed (dropped) or "{" (kept).
std::string StripControlWords(const std::string& rtf);
