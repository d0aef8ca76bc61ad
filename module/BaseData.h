// The common part of every position's data: document handle, program and
// module name, version, information block, annotations, variable
// definitions, load-combination settings, load take-overs, the editor
// document and the result series of the last calculation; the reader and
// writer of the document's common part, and the calculation run with its
// fingerprints, plausibility check and report step.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "formula/VarDef.h"
#include "formula/VariableTable.h"
#include "input/PositionParts.h"
#include "module/PlauMessage.h"
#include "module/ResultTable.h"
#include "module/frame/Utilities.h"
#include "platform/zevud/zevud.h"

class CKurvo2D;
class CBaseData;
class CProgDBEntry;

// ---- parts of the position that live in other libraries --------------------
// The base data reaches them through these interfaces; the module data puts
// the real objects in (the load-combination settings and the take-over list
// of the input library, the editor document). A part that is not set is
// neither read nor written.

class CBaseEditorDocument {
public:
    virtual ~CBaseEditorDocument() = default;
    virtual bool IsInUse() const = 0;
    virtual bool HasPages() const = 0;
    virtual bool IsBusy() const = 0;
    virtual void Clear() = 0;
    virtual void Load(ZVELEM quill) = 0;
    virtual void Save(ZVELEM quill, ZVELEM exports) = 0;
    virtual void DefineVariables(CVariableTable& table) = 0;
    // Calculates the document in the colour and writes its text as RTF to
    // the file; returns the page index of the result.
    virtual int CalcEditorDocument(uint32_t colour, const std::string& rtfFile) = 0;
    // The document as the variable-definition listing hands its text over.
    virtual CVarDefEditorTarget& Target() = 0;
};

// Makes the editor document of a new position's data. The editor library
// installs it when it is loaded; without one a position has no editor
// document.
using EditorDocumentFactory = std::unique_ptr<CBaseEditorDocument> (*)(CBaseData& owner);
EditorDocumentFactory SetEditorDocumentFactory(EditorDocumentFactory factory);

// The report window of the output page.
class CBaseOutputWindow {
public:
    virtual ~CBaseOutputWindow() = default;
    virtual void ShowRtfFile(const std::string& file) = 0;
    virtual void SetText(const std::string& text) = 0;
};

// Opens a report file with the report lister program of the settings (the
// desktop's program when none is set), the path as one argument of its own.
// A file that cannot be opened for reading: a message, false. The opener
// behind the check is replaceable (tests).
using DocumentToolOpener = bool (*)(const std::string& file);
DocumentToolOpener SetDocumentToolOpener(DocumentToolOpener opener);
bool OpenWithDocumentTool(const std::string& file);

// ---- records -------------------------------------------------------------------

class CAnnotation {
public:
    int32_t m_nId = 0;
    std::string m_strKey;
    std::string m_strValue;
};

// The information block "info".
class CPosInfo {
public:
    std::string m_strComment;
    std::string m_strOwner;
    std::string m_strCreationDate;
    std::string m_strLastUser;
    int32_t m_nErrors = 0;
    int32_t m_nMaterialGroup = 0;
    int32_t m_nNorm = 0;
    int32_t m_nCountryCode = 0;
    int32_t m_nLkNorm = 0;
    int32_t m_bIsTemplate = 0;
    bool m_bModelHub = false;
};

// The result of one calculation run.
struct CRecalcResult {
    int32_t bCalculated = 0;  // the routine ran and its result does not say "abbruch"
    int32_t bInputValid = 0;  // the plausibility check let the calculation go on
    int32_t bNoResult = 0;    // the routine ran but wrote no "result" nor "results"
    int32_t bCancelled = 0;   // the plausibility dialog was cancelled
};

class CBaseData : public CLoadDestination {
public:
    CBaseData();
    virtual ~CBaseData();
    CBaseData(const CBaseData&) = delete;
    CBaseData& operator=(const CBaseData&) = delete;

    // ---- virtual operations ----------------------------------------------------
    virtual void DefineVariables();
    virtual CRecalcResult Recalc(int bReport, int bRedraw);
    virtual void SilentCalc();
    virtual void ShowOutput(CBaseOutputWindow* window);
    virtual void EditOutput();
    virtual void RecalcAndEditOutput();
    virtual void ReadResults(ZVDOC hDoc);
    virtual void ReadData(ZVDOC hDoc);
    virtual void WriteData(ZVDOC hDoc);
    virtual void Init();
    virtual void UpdateViews(int) {}
    virtual void DrawSystem2D(int) {}
    virtual void DrawSystem3D(int) {}
    // The member sketch's events: a click on item id, a drag step of it by
    // (dx, dy) in m rounded to step (mode 0/1 along the member, 2 in the
    // section plane), its drop and a command of the sketch's context menu.
    // The base has no sketch.
    virtual void OnSketchClick(CKurvo2D* graph, int id) {
        (void)graph;
        (void)id;
    }
    virtual void OnSketchDrag(CKurvo2D* graph, int id, double dx, double dy, double step, int mode) {
        (void)graph;
        (void)id;
        (void)dx;
        (void)dy;
        (void)step;
        (void)mode;
    }
    virtual int OnSketchDrop(int id) {
        (void)id;
        return 0;
    }
    virtual void OnSketchCommand(CKurvo2D* graph, int commandId) {
        (void)graph;
        (void)commandId;
    }
    // The message-list route of the plausibility check.
    virtual bool CheckInputMessages(std::vector<std::string>& messages, int flag) = 0;
    // The record route; the base adds nothing and lets the calculation go.
    virtual bool CheckInput(CPlauMessageList& messages, int flag);

    // ---- input a run without a user cannot use ----------------------------------
    // Records one field whose value the reader would have to replace; in a
    // run without a user (IsBatchRun) the calculation is then refused and the
    // document's "result" says which field and value, e.g.
    // RefuseInput("Feld 1, Querschnitt", "IPE 301", "Profil ist im Profilkatalog nicht vorhanden").
    void RefuseInput(const std::string& field, const std::string& value, const std::string& reason);
    const std::vector<std::string>& GetInputRefusals() const { return m_inputRefusals; }
    // Every formula of the document's "input" part (an element with an "exp"
    // attribute whose parent holds a value of the same name) that the
    // variables cannot evaluate is recorded by RefuseInput.
    void RefuseUnevaluableFormulas();
    // Writes the refusal into the document (in memory: a run without a user
    // does not save a refused calculation): "result" with "abbruch" 1,
    // "refused" 1 and the lines in "errorMsg". True when there was a refusal.
    bool WriteInputRefusal();
    // A calculation the plausibility check stopped, in a run without a user:
    // "result" with "abbruch" 1, "refused" 1 and the check's errors in
    // "errorMsg", and the input fingerprint zeroed.
    void WritePlausibilityStop(const std::vector<std::string>& errors);
    // Why the last run's report could not be written (the old report, when
    // there was one, stayed as it was); empty when it was written or not due.
    const std::string& GetReportFailure() const { return m_strReportFailure; }
    // A calculation that writes its report itself (the crane runway's) says
    // why the report could not be written; empty when it was.
    void SetReportFailure(std::string why) { m_strReportFailure = std::move(why); }

    // ---- files and fingerprints --------------------------------------------
    // The report file: the document's file name with ".vkx" replaced by ".rtf".
    std::string GetRtfFileName() const;
    // Another side file of the document (".tmp.rtf", ".temp.skw" ...).
    std::string GetSideFileName(const std::string& ext) const;
    // The document's results were computed from the input it holds now (the
    // stored input fingerprint is that of "input"). Results of other input
    // are never shown as current.
    bool HasCurrentResults() const;
    // What a page says in place of results that belong to other input.
    static std::string StaleResultsText();
    CFingerprint GetInputFingerprint() const;
    bool IsInputChanged() const;
    void StoreInputFingerprint();
    void ClearInputFingerprint();
    bool IsOutputChanged() const;
    void StoreOutputFingerprint();
    void ClearOutputFingerprint();

    // ---- report parts, pages and norms ---------------------------------------
    void StoreRtfParts();
    void SetLastPage(int page);
    int GetStartPage(int defaultPage);
    std::string GetVortextCaption() const;
    bool ApplyDefaultNorm(int dinValue, int ecValue, int siaValue, int ecnaValue);
    bool ApplyDefaultLkNorm(int dinValue, int ecValue, int siaValue, int ecnaValue);

    // ---- common part of the document --------------------------------------------
    void WriteInfo(ZVELEM root);
    void WriteAnnotations(ZVELEM input);
    void ReadAnnotations(ZVELEM input);

    // ---- parts in other libraries -----------------------------------------------
    void SetLoadCombination(std::unique_ptr<CBaseLoadCombination> lk) { m_pLKData = std::move(lk); }
    void SetLoadTakeOver(std::unique_ptr<CBaseLoadTakeOver> lu);
    void SetEditorDocument(std::unique_ptr<CBaseEditorDocument> editor) { m_pEditor = std::move(editor); }
    CBaseLoadCombination* GetLoadCombination() const override { return m_pLKData.get(); }
    CBaseLoadTakeOver* GetLoadTakeOver() const { return m_pLUData.get(); }
    CBaseEditorDocument* GetEditorDocument() const { return m_pEditor.get(); }

    // ---- the position as a take-over's destination -------------------------------
    ZVDOC GetDocument() const override { return m_hDoc; }
    CVariableTable& GetVariableTable() override { return m_varTable; }

    // ---- the data, in declaration order -----------------------------------------
    std::vector<CResultSet> m_resultSets;
    int32_t m_nCurrentIndex = -1;
    CVarDefList m_varDefs;
    CVariableTable m_varTable;
    int32_t m_bCalculating = 0;
    ZVDOC m_hDoc = 0;
    std::string m_strResultMessage;
    std::string m_strPosDesc;
    int32_t m_bUseLKData = 1;
    std::string m_strProgName;
    std::string m_strModuleName;
    double m_dVersion = 0.0;
    CPosInfo m_info;
    int32_t m_nPage = 1;
    std::string m_strFreeText;
    bool m_bDickeLinie = false;
    std::map<ZVDOC, int> m_lastPages;
    std::vector<CAnnotation> m_annotations;
    bool m_bPlauRecordRoute = false;

protected:
    // The table formulas of the input are evaluated with.
    virtual CVariableTable& FormulaTable() { return m_varTable; }
    std::vector<std::string> m_inputRefusals;
    std::string m_strReportFailure;
    // The program record of the position, or null.
    CProgDBEntry* FindProgramRecord() const;
    // The element "info" below the root, or 0.
    ZVELEM InfoElement() const;
    void WriteFingerprint(const char* name, const unsigned char* bytes);

private:
    std::unique_ptr<CBaseLoadCombination> m_pLKData;
    std::unique_ptr<CBaseLoadTakeOver> m_pLUData;
    std::unique_ptr<CBaseEditorDocument> m_pEditor;
};
