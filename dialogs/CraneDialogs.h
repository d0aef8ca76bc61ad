// The modal dialogs of the crane-runway pages: the calculation-control
// editor of one limit state, the rail, a crane's wheel loads and a crane's
// generated load groups.
#pragma once

#include <string>
#include <vector>

#include "grid/ParamGridCtrl.h"
#include "module/ModuleData.h"
#include "platform/wl/controls.h"
#include "platform/wl/dialog.h"

// The crane help: with the French help a topic of the crane help file opens
// (true); with any other language nothing happens here (false).
bool OpenCraneHelpTopic(const std::string& topic);
// The crane manual: the French help's "Rail_definition.htm", else the
// manual's PDF below "<root>/txt" through the desktop.
void OpenCraneManual();

// ---- calculation-control editor ----------------------------------------------------------------

class CCraneSettingsDlg : public wl::Dialog {
public:
    static constexpr int kTemplateId = 26131;
    enum { IDC_GRID = 26170, IDC_HELP = 26239 };

    CCraneSettingsDlg(int mode, CCraneSettings* settings, CModuleData* data);
    const char* ClassName() const override { return "CCraneSettingsDlg"; }
    void ExchangeData(bool save) { m_grid.ExchangeData(save); }
    CParamGridCtrl& Grid() { return m_grid; }
    int Mode() const { return m_nMode; }

protected:
    bool OnInitDialog() override;
    void OnOK() override;

private:
    CParamGridCtrl m_grid;
    std::vector<std::string> m_modes;
    int m_nMode;
    CCraneSettings* m_pSettings;
    CModuleData* m_pData;
};

// ---- rail --------------------------------------------------------------------------------------

class CVaduRailGrid : public CParamGridCtrl {
public:
    CVaduRailGrid();
    void SetModuleData(CModuleData* data) { m_pData = data; }
    void InitGrid() override;
    bool ExchangeData(bool save) override;
    void OnComboCellSelChanged(int row, int col, int index) override;
    void OnCheckCellClicked(int row, int col) override;
    void OnButtonCellClicked(int row, int col) override;

    int TypeIndex() const { return m_iType; }
    int NormIndex() const { return m_iNorm; }
    int NameIndex() const { return m_iName; }
    const std::vector<std::string>& Norms() const { return m_norms; }
    const std::vector<std::string>& Names() const { return m_names; }

private:
    // Rows 1, 2, 3 and 4, 5 by the rail type; the lists refreshed.
    void TypeRule(int index, bool typeChanged);
    // Rows 9, 11, 12 by the fastening.
    void FasteningRule(int index);
    // Row 7 follows row 6.
    void ConsiderRule();
    // Norm and name lists of the type into rows 1 and 2.
    void RefreshLists(bool typeChanged);
    void ShowRows();

    CModuleData* m_pData = nullptr;
    std::vector<std::string> m_typesDb, m_types, m_fastenings, m_norms, m_names;
    int m_iType = 2, m_iNorm = 0, m_iName = 0, m_iFastening = 0;
    int m_bConsider = 0, m_bRigid = 0;
    std::string m_strEdit;
    CFormulaValue m_width, m_height, m_pad, m_bolt, m_weldLength, m_weldGap;
};

class CVaduRailDlg : public wl::Dialog {
public:
    static constexpr int kTemplateId = 26128;
    enum { IDC_GRID = 26164 };
    explicit CVaduRailDlg(CModuleData* data) : wl::Dialog(kTemplateId), m_pData(data) {}
    const char* ClassName() const override { return "CVaduRailDlg"; }
    CVaduRailGrid& Grid() { return m_grid; }

protected:
    bool OnInitDialog() override;
    void OnOK() override;

private:
    CVaduRailGrid m_grid;
    CModuleData* m_pData;
};

// The description of the position's rail as the crane-system grid shows it.
std::string RailDescription(const CRail& rail);

// ---- wheel loads -------------------------------------------------------------------------------

class CVaduEditLoadGrid : public CExtGridCtrl {
public:
    void Set(CCrane* crane, CModuleData* data) {
        m_pCrane = crane;
        m_pData = data;
    }
    void InitGrid() override;
    bool ExchangeData(bool save);
    void OnContextMenuCommand(int row, int col, int id) override;

private:
    CCrane* m_pCrane = nullptr;
    CModuleData* m_pData = nullptr;
};

class CVaduEditDlg : public wl::Dialog {
public:
    static constexpr int kTemplateId = 26129;
    enum { IDC_FACTORS = 26165, IDC_LOADS = 26166, IDC_HELP = 26239, IDC_COPY = 26244 };
    CVaduEditDlg(const CCrane& crane, const CCrane& previous, CModuleData* data, bool showCopy);
    const char* ClassName() const override { return "CVaduEditDlg"; }
    void ExchangeData(bool save);
    const CCrane& Crane() const { return m_crane; }
    CVaduEditLoadGrid& LoadGrid() { return m_loads; }
    CParamGridCtrl& FactorGrid() { return m_factors; }
    // "Daten von vorherigem Vadu übernehmen".
    void OnCopyPrevious();

protected:
    bool OnInitDialog() override;
    void OnOK() override;

private:
    CParamGridCtrl m_factors;
    CVaduEditLoadGrid m_loads;
    CCrane m_crane, m_previous;
    CModuleData* m_pData;
    int m_bShowCopy;
};

// ---- load groups -------------------------------------------------------------------------------

class CKranloadGroupsGrid : public CExtGridCtrl {
public:
    void Set(CCrane* crane, CModuleData* data, int craneIndex) {
        m_pCrane = crane;
        m_pData = data;
        m_nCrane = craneIndex;
    }
    void InitGrid() override;
    bool ExchangeData(bool save);
    int m_nAxle = -1;

private:
    CCrane* m_pCrane = nullptr;
    CModuleData* m_pData = nullptr;
    int m_nCrane = 0;
};

class CKranloadGroupsDlg : public wl::Dialog {
public:
    static constexpr int kTemplateId = 26130;
    enum { IDC_GRID = 26166, IDC_CHANGEABLE = 26167, IDC_EC3 = 26168, IDC_TREE = 26169, IDC_HELP = 26239 };
    CKranloadGroupsDlg(const CCrane& crane, CModuleData* data, int craneIndex);
    const char* ClassName() const override { return "CKranloadGroupsDlg"; }
    const CCrane& Crane() const { return m_crane; }
    CKranloadGroupsGrid& Grid() { return m_grid; }
    wl::TreeCtrl& Tree() { return m_tree; }
    // The axle of the selected tree item becomes the grid's.
    void OnAxleSelected();

protected:
    bool OnInitDialog() override;
    void OnOK() override;

private:
    CKranloadGroupsGrid m_grid;
    wl::TreeCtrl m_tree;
    CCrane m_crane;
    CModuleData* m_pData;
    int m_nCrane;
};
