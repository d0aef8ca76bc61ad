// A position's variable definitions: a small worksheet of titles, texts,
// pictures, calculation lines, variables, values taken over from other
// positions and sum lines. It defines the position's variables, exports the
// marked ones and lists itself in the report.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "formula/Exports.h"
#include "formula/FormulaValue.h"
#include "formula/ImportValue.h"
#include "formula/VariableTable.h"
#include "platform/zevud/zevud.h"

// Row kinds; the number is stored in the document.
enum EVarDefType : int {
    VARDEF_VARIABLE = 0,
    VARDEF_TITLE = 1,
    VARDEF_VALUE = 2,
    VARDEF_TEXT = 3,
    VARDEF_PICTUREFILE = 4,
    VARDEF_PICTURE = 5,
    VARDEF_IMPORT = 6,
    VARDEF_SUM = 7,
};

// Format bits of an entry.
enum EVarDefFormat : int {
    VARDEF_BOLD = 1,
    VARDEF_ITALIC = 2,
    VARDEF_UNDERLINE = 4,
    VARDEF_CENTER = 8,
    VARDEF_RIGHT = 16,
    VARDEF_JUSTIFY = 32,
};

class CVarDefEntry {
public:
    CVarDefEntry() = default;
    virtual ~CVarDefEntry() = default;
    CVarDefEntry(const CVarDefEntry&) = delete;
    CVarDefEntry& operator=(const CVarDefEntry&) = delete;

    // Copies the kind's own fields from an entry of the same kind; nothing
    // when the kinds differ.
    virtual void CopyFrom(const CVarDefEntry& other);
    // The base part: "type" (a differing one is reported), "format",
    // "textHeight", "digits" (default 2).
    virtual void ReadData(ZVELEM element);
    // "type", "format", "textHeight", "digits", then the kind's keys.
    virtual void WriteData(ZVELEM element) const;
    // The message of an imported value; null for every other kind.
    virtual const char* GetImportMessage() const { return nullptr; }

    int32_t m_nType = -1;
    int32_t m_nFormat = 0;
    int32_t m_nDigits = 2;
    int32_t m_nTextHeight = 0;

protected:
    explicit CVarDefEntry(int type) : m_nType(type) {}
    void CopyBase(const CVarDefEntry& other);
};

class CVarDefVariable : public CVarDefEntry {
public:
    CVarDefVariable() : CVarDefEntry(VARDEF_VARIABLE) {}
    void CopyFrom(const CVarDefEntry& other) override;
    void ReadData(ZVELEM element) override;
    void WriteData(ZVELEM element) const override;

    std::string m_strDescription, m_strVarName, m_strUnit;
    CFormulaValue m_value;
    int32_t m_bExported = 0;
    CVariableTable m_table;
};

class CVarDefTitle : public CVarDefEntry {
public:
    CVarDefTitle() : CVarDefEntry(VARDEF_TITLE) {}
    void CopyFrom(const CVarDefEntry& other) override;
    void ReadData(ZVELEM element) override;
    void WriteData(ZVELEM element) const override;

    std::string m_strTitle;
};

class CVarDefValue : public CVarDefEntry {
public:
    CVarDefValue() : CVarDefEntry(VARDEF_VALUE) {}
    void CopyFrom(const CVarDefEntry& other) override;
    void ReadData(ZVELEM element) override;
    void WriteData(ZVELEM element) const override;

    std::string m_strDescription, m_strUnit;
    CFormulaValue m_value;
};

class CVarDefText : public CVarDefEntry {
public:
    CVarDefText() : CVarDefEntry(VARDEF_TEXT) {}
    void CopyFrom(const CVarDefEntry& other) override;
    void ReadData(ZVELEM element) override;
    void WriteData(ZVELEM element) const override;

    std::string m_strText;
};

class CVarDefPictureFile : public CVarDefEntry {
public:
    CVarDefPictureFile() : CVarDefEntry(VARDEF_PICTUREFILE) {}
    void CopyFrom(const CVarDefEntry& other) override;
    void ReadData(ZVELEM element) override;
    void WriteData(ZVELEM element) const override;

    std::string m_strFileName;
    std::vector<unsigned char> m_fileBuffer;  // the picture file's bytes
    double m_dWidth = 0, m_dHeight = 0;       // cm
};

class CVarDefPicture : public CVarDefEntry {
public:
    CVarDefPicture() : CVarDefEntry(VARDEF_PICTURE) {}
    void CopyFrom(const CVarDefEntry& other) override;
    void ReadData(ZVELEM element) override;
    void WriteData(ZVELEM element) const override;

    std::vector<unsigned char> m_fileBuffer;  // an enhanced metafile's bytes
    double m_dWidth = 0, m_dHeight = 0;       // cm
};

class CVarDefImport : public CVarDefEntry {
public:
    CVarDefImport() : CVarDefEntry(VARDEF_IMPORT) {}
    void CopyFrom(const CVarDefEntry& other) override;
    void ReadData(ZVELEM element) override;
    void WriteData(ZVELEM element) const override;
    const char* GetImportMessage() const override { return m_import.m_strMessage.c_str(); }

    CImportValue m_import;
};

class CVarDefSum : public CVarDefEntry {
public:
    CVarDefSum() : CVarDefEntry(VARDEF_SUM) {}
    void CopyFrom(const CVarDefEntry& other) override;
    void ReadData(ZVELEM element) override;
    void WriteData(ZVELEM element) const override;

    std::string m_strDescription, m_strVarName, m_strUnit;
    int32_t m_bExported = 0;
    double m_dValue = 0;
    CVariableTable m_table;
};

// A new entry of that kind (empty texts, value 0, digits 2, format 0, text
// height 0, not exported); null for a type outside 0 to 7.
std::unique_ptr<CVarDefEntry> CreateVarDefEntry(int type);

// ---- services the list reaches outside this library -----------------------

// An integer setting of the module (empty sub key), e.g. "bLTWarning". The
// default reads the current user's registry key "software\VKT\velor2005"
// (a string value holding decimal text); the module may put its settings
// object in its place. An empty function restores the default.
using VarDefSettingReader = std::function<int(const std::string& name, int def)>;
void SetVarDefSettingReader(VarDefSettingReader reader);
int GetVarDefSetting(const std::string& name, int def);

// The question about taken-over values that are no longer available: one
// line per value. Returns winsys::IdOk when the user confirmed; every line
// then left empty asks for its value to be taken out of the list.
class CLostImportPrompt {
public:
    virtual ~CLostImportPrompt() = default;
    virtual int Ask(std::vector<std::string>& lines) = 0;
};
// The default asks through the message sink: "Yes" removes all of them, "No"
// keeps them with their last valid values.
CLostImportPrompt& DefaultLostImportPrompt();
// Installs another prompt (null restores the default); returns the previous.
CLostImportPrompt* SetLostImportPrompt(CLostImportPrompt* prompt);

// The RTF report writer as the listing uses it (the report library's calls);
// replaceable so that the listing can be followed call by call.
class CVarDefRtfWriter {
public:
    virtual ~CVarDefRtfWriter() = default;
    virtual int OpenDocument(const std::string& fileName, int noPageNum, int flags, int firstPage,
                             std::string_view header) = 0;
    virtual int CloseDocument() = 0;
    virtual int WriteRaw(std::string_view rtf) = 0;
    virtual int WriteText(int style, std::string_view rtf) = 0;
    virtual int InsertPicture(const std::string& fileName, double widthCm, double heightCm) = 0;
    virtual int BeginTable(int columns, const double* widthsCm) = 0;
    virtual int BeginRow(int header) = 0;
    virtual int WriteCell(std::string_view rtf) = 0;
    virtual int EndTable() = 0;
};
// The writer over the report library.
CVarDefRtfWriter& ReportRtfWriter();

// The editor document of the position, as far as the listing's hand-over
// reaches it.
class CVarDefEditorTarget {
public:
    virtual ~CVarDefEditorTarget() = default;
    // The position document's full file name ("" for an unnamed one).
    virtual std::string GetDocumentFileName() const = 0;
    // Empties the document's list of RTF pages.
    virtual void RemoveAllPages() = 0;
    // Adds one page holding the text (stored with its terminating zero).
    virtual void AddPage(const std::string& rtf) = 0;
    // Marks the new content (not empty, converted text).
    virtual void MarkConvertedText() = 0;
};

// ---- the list ---------------------------------------------------------------

class CVarDefList {
public:
    CVarDefList();
    virtual ~CVarDefList();
    CVarDefList(const CVarDefList&) = delete;
    CVarDefList& operator=(const CVarDefList&) = delete;

    int GetSize() const { return static_cast<int>(m_entries.size()); }
    // The entry of a slot; null for an empty slot or an index outside.
    CVarDefEntry* GetAt(int index) const;

    // Resizes the slot array; entries beyond n are deleted, new slots are null.
    void SetSize(int n);
    // Inside the list: replaces the entry by a new one of the type unless it
    // already has that type. Outside: nothing.
    void SetEntryType(int index, int type);
    // Appends an entry (owned from then on); returns its index.
    int Add(std::unique_ptr<CVarDefEntry> entry);
    // Puts an entry in before the slot index (at the end when index is not
    // inside); returns its index.
    int InsertAt(int index, std::unique_ptr<CVarDefEntry> entry);
    // Takes the entry of a slot out of the list and deletes it.
    void RemoveAt(int index);
    void RemoveAll();

    // The "vardef" child of the position's "input" element.
    void ReadData(ZVELEM inputElement);
    void WriteData(ZVELEM inputElement) const;

    // Defines the variables: a row sees the rows above it, the imported
    // values and the global variables.
    void DefineVariables();
    void CollectVariables(std::vector<std::string>& names, std::vector<std::string>& descriptions,
                          std::vector<std::string>& units, std::vector<double>& values, bool exportedOnly);
    void GetImportedValues(std::vector<CImportValue>& values) const;
    // Refreshes every imported value from its source, asks about those no
    // longer available (once per list, when "bLTWarning" is on), then
    // defines the variables.
    void RefreshImportedValues();

    // Exported values into the "exports" element: one "value" per exported
    // variable or sum row, found by its "desc" among the direct "value"
    // children and updated, or added.
    void WriteExports(ZVELEM exportsElement) const;
    // The listing as an RTF file: the report form (only when the print flag
    // is set) or the editor form. Returns false when nothing was written.
    bool WriteRtf(const std::string& fileName, bool forEditor, CVarDefRtfWriter* writer = nullptr);
    // The editor form of the listing becomes the editor document's text.
    void TransferRtfToQuill(CVarDefEditorTarget& target, CVarDefRtfWriter* writer = nullptr);

    CVariableTable& GetVariableTable() { return m_table; }

    int32_t m_bPageBreak = 0;
    int32_t m_bPrint = 1;
    int32_t m_bLostDialogShown = 0;

private:
    void ReadOldForm(ZVELEM vardef);
    // Points every formula value and table of the entries at the chain that
    // DefineVariables builds, without evaluating anything (after the slots
    // changed, no entry may point at a table that is gone).
    void LinkTables(bool evaluate);

    std::vector<std::unique_ptr<CVarDefEntry>> m_entries;
    CVariableTable m_table;
};

// Largest slot count read from a document; beyond it the document is taken
// as damaged.
constexpr int kMaxVarDefSlots = 100000;

// Puts the RTF control words of an entry's format (and a text height in
// points) in front of an RTF text. User texts are escaped first
// (EscapeRtfText).
std::string FormatRtfText(const std::string& rtf, int format, int height);
// User text made safe for RTF: backslash and braces escaped, characters
// outside ASCII as \uN? escapes, tab and line breaks as control words.
std::string EscapeRtfText(std::string_view text);

