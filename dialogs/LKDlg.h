// The actions of a position: the modal dialog "Einwirkungen definieren"
// (CLKDlg, template 510) with the grid of actions (CEinwGrid), and the
// dialog "erzeugte Lastkollektive" (CLKRulesDlg, template 511) with the grid
// of the generated combinations (CKombiGrid).
//
// The dialog edits the caller's CLKData in place; Cancel copies the backup
// back. The simplest way to run it is CLKDlg::Run, which does what the
// caller must do around the dialog (backup, switches, modal run).
#pragma once

#include <string>
#include <vector>

#include "grid/ExtGridCtrl.h"
#include "input/LKData.h"
#include "platform/wl/dialog.h"

// The actions, one row each, and an empty row for a new one.
class CEinwGrid : public CExtGridCtrl {
public:
    static constexpr int kColumns = 9;
    enum {
        COL_NUMBER = 1,
        COL_LOADCASES = 2,
        COL_GROUP = 3,
        COL_CATEGORY = 4,
        COL_KLED = 5,
        COL_NOTSPLIT = 6,
        COL_ALTGROUP = 7,
        COL_FACTORS = 8,
    };
    enum { CMD_DELETE = 1, CMD_COPY = 2 };

    CEinwGrid();
    ~CEinwGrid() override;

    void SetData(CLKData* data) { m_pData = data; }
    CLKData* GetData() const { return m_pData; }

    void InitGrid() override;
    void InitRow(int row) override;
    // save: the rows into the actions; else the actions into the rows.
    bool ExchangeData(bool save);
    void OnComboCellSelChanged(int row, int col, int index) override;
    void OnCheckCellClicked(int row, int col) override;
    void OnCellValueChanged(int row, int col, int kind) override;
    void OnContextMenuCommand(int row, int col, int id) override;
    void OnButtonCellClicked(int /*row*/, int /*col*/) override {}

    // The choice lists as the rows got them (translated).
    const std::vector<std::string>& GroupNames() const { return m_groupNames; }
    const std::vector<std::string>& DurationClassNames() const { return m_durationNames; }
    std::vector<std::string> AltGroupNames() const;

private:
    void FillGroupChoices();
    void ApplyGroupChoice(int row, int index);
    void SetRowLocks(int row, bool readOnly, int fullGroup);
    int LastRow() const { return GetRowCount() - 1; }

    CLKData* m_pData = nullptr;
    std::vector<std::string> m_groupNames;
    std::vector<std::string> m_categoryNames;
    std::vector<std::string> m_durationNames;
    std::vector<std::string> m_altGroupNames;  // "keine", "Alternativgruppe 1" .. 9
    bool m_bLoading = false;
};

// The generated combinations: number, type and rule with the load cases' names.
class CKombiGrid : public CExtGridCtrl {
public:
    static constexpr int kColumns = 4;
    enum { COL_NUMBER = 1, COL_TYPE = 2, COL_RULE = 3 };
    enum { CMD_DELETE = 1, CMD_COPY = 2 };

    CKombiGrid();
    ~CKombiGrid() override;

    void SetData(CLKData* data) { m_pData = data; }
    void InitGrid() override;
    void InitRow(int row) override;
    // save (only when the rules are editable): the rows into the combinations.
    bool ExchangeData(bool save);
    void OnCellValueChanged(int row, int col, int kind) override;
    void OnContextMenuCommand(int row, int col, int id) override;

private:
    bool Editable() const { return m_pData && m_pData->m_bRulesEditable; }
    CLKData* m_pData = nullptr;
};

// "erzeugte Lastkollektive".
class CLKRulesDlg : public wl::Dialog {
public:
    static constexpr int kTemplateId = 511;
    enum { IDC_GRID = 25059 };

    explicit CLKRulesDlg(CLKData* data);
    ~CLKRulesDlg() override;
    const char* ClassName() const override { return "LKRulesDlg"; }
    CKombiGrid& Grid() { return m_Grid; }

protected:
    bool OnInitDialog() override;
    void OnOK() override;

private:
    CLKData* m_pData;
    CKombiGrid m_Grid;
};

// "Einwirkungen definieren".
class CLKDlg : public wl::Dialog {
public:
    static constexpr int kTemplateId = 510;
    enum {
        IDC_GRID = 25058,
        IDC_GSUP = 11111,         // "Ständige Einwirkungen mit gamma_G,sup=1.5 berechnen (DIN EN 12811)"
        IDC_GINF = 11110,         // "Ständige Einwirkungen auch mit gamma_G,inf berechnen"
        IDC_SNOW = 11129,         // "Höhe über NN [m]"
        IDC_SNOW_LABEL = 11130,
        IDC_SHOW_RULES = 11054,   // "Kombinationsregeln ansehen"
        IDC_CREATE_RULES = 11055, // "Kombinationsregeln erzeugen"
    };
    // The factor of the permanent actions with check box 11111 ticked.
    static constexpr double kGSupFactor = 1.111111111111111;

    CLKDlg();
    ~CLKDlg() override;
    const char* ClassName() const override { return "LKDlg"; }

    // Runs the dialog on data as its callers do: the backup taken, the rules
    // not editable, generation on; returns IDOK or IDCANCEL.
    static int Run(CLKData& data);

    // The edited settings and the backup the caller fills before the run.
    void SetData(CLKData* data) { m_pData = data; }
    CLKData& Backup() { return m_Backup; }
    void SuppressGeneration(bool suppress) { m_bNoGeneration = suppress; }
    bool Generated() const { return m_bGenerated; }
    CEinwGrid& Grid() { return m_Grid; }

    // The button actions.
    void OnShowRules();
    void OnCreateRules();

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    bool OnHelpInfo() override;
    void DoDataExchange(wl::DataExchange& dx) override;

private:
    void TakeOptions();

    CEinwGrid m_Grid;
    CLKData* m_pData = nullptr;
    CLKData m_Backup;
    bool m_bGenerated = false;
    bool m_bNoGeneration = false;
    int m_bGSup = 0;
    int m_bGInf = 1;
    std::string m_strSnowHeight = " ";
};
