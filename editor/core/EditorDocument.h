// The free-text document of a position: one RTF page with formulas, the
// document's macro text, table defaults, search and import settings and the
// values the text exports and takes in; its storage in the position document,
// its macro session, its calculation and its report export.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "editor/core/FormulaText.h"
#include "editor/core/PageBufferList.h"
#include "module/BaseData.h"

// A value the text exports or one entered through the input-value dialog.
struct CNamedValue {
    std::string desc;
    std::string varName;
    std::string unit;
    double value = 0;
};

// Defaults of new tables (twips).
struct CTableDefaults {
    CTableDefaults();
    std::vector<int> colWidths;
    std::vector<std::string> defaultTexts;
    int nCol = 7;
    int nRow = 2;
    int nWidth = 160;
};

class CEditorDocument : public CBaseEditorDocument, private CVarDefEditorTarget {
public:
    explicit CEditorDocument(CBaseData* owner = nullptr);
    ~CEditorDocument() override;
    CEditorDocument(const CEditorDocument&) = delete;
    CEditorDocument& operator=(const CEditorDocument&) = delete;

    void SetOwner(CBaseData* owner) { m_pOwner = owner; }
    CBaseData* GetOwner() const { return m_pOwner; }
    int GetSession() const { return m_session; }

    // ---- the position's view of the document --------------------------------------
    bool IsInUse() const override { return GetPageCount() == 1; }
    bool HasPages() const override { return GetPageCount() > 0; }
    bool IsBusy() const override { return m_bBusy; }
    void Clear() override;
    void Load(ZVELEM quill) override;
    void Save(ZVELEM quill, ZVELEM exports) override;
    // The text's values into the owner's table (the value update).
    void DefineVariables(CVariableTable& table) override;
    // The calculation, then the calculated text as a report into the file;
    // answers page 0 (-1 when no report could be written).
    int CalcEditorDocument(uint32_t colour, const std::string& rtfFile) override;
    CVarDefEditorTarget& Target() override { return *this; }

    int GetPageCount() const { return pages.GetSize(); }

    // ---- macros and events -------------------------------------------------------------
    // 1 on success; 0 after an error was shown (never when silent).
    int LoadMacros(int bSilent);
    // Events: 1 document loaded, 2 saved, 3 calculation starts, 4 ends.
    void FireScriptEvent(int event);

    // ---- values and calculation --------------------------------------------------------
    void UpdateValues(int bSkipEvaluation, CVariableTable* table = nullptr);
    void RefreshImportedValues();
    // The formulas of the pages calculated (the pages rewritten), export
    // values refreshed; returns 1.
    int CalcEditorDocument(CPageBufferList& pages, uint32_t formulaColour, CVariableTable* table = nullptr);
    // The pages as a report into the file through the report writer; true
    // when the report was written.
    bool ExportEditorDocumentRtf(const std::string& documentPath, const CPageBufferList& pages);

    // ---- the data --------------------------------------------------------------------------
    CPageBufferList pages;
    CTableDefaults tableDefaults;
    std::string searchStr, replaceStr;
    int bWord = 0, bCase = 0, bDirection = 1;
    std::string lastPath, lastObj;
    std::map<std::string, int> pathChecks;
    int iPage = 1;
    std::vector<CNamedValue> exportValues;
    std::vector<CNamedValue> inputValues;
    int isEmpty = 1;
    int bConvertedText = 0;
    std::string macroText;
    // The records of the last calculation (their messages for the editor).
    std::vector<CFormulaRecord> records;

private:
    // The listing hand-over.
    std::string GetDocumentFileName() const override;
    void RemoveAllPages() override { pages.RemoveAll(); }
    void AddPage(const std::string& rtf) override { pages.AddText(rtf); }
    void MarkConvertedText() override {
        isEmpty = 0;
        bConvertedText = 1;
    }

    CVariableTable* OwnerTable() const;

    CBaseData* m_pOwner = nullptr;
    int m_session = 0;
    bool m_bBusy = false;
};

// The two macro files: the maker's and the user's (the settings "vktMacroFile"
// and "userMacroFile" of the section "Quill", by default "VBScriptVKT.bas"
// and "VBScriptUSER.bas" in the installation root).
void SetupMacroFiles(std::string& vktFile, std::string& userFile);

// The report frame whose colours, fonts and styles the report body uses: the
// setting "reportFrame" of the section "Quill", by default
// "Vorlagen/Quill Berichtsrahmen.rtf" in the data folder.
std::string GetReportFrameFile();

// Makes every new position's data carry an editor document.
void InstallEditorDocumentFactory();
