// The tab pages of the crane-runway program: control values, system with
// the crane-runway geometry, cranes and their loads with the position
// player, notch cases, results and output. Each page moves its values with
// ExchangeData (save = true: the page into the position's data).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "crane/CranePageRules.h"
#include "dialogs/MainPages.h"
#include "dialogs/PageFlow.h"
#include "graphics/DlgResizer.h"
#include "grid/ParamGridCtrl.h"
#include "platform/wl/controls.h"

// "Einstellungen" of the output page sends this command to the main window
// of the application (the host's window); nothing while there is none.
inline constexpr int kCraneSettingsCommand = 40055;

// ---- control values ---------------------------------------------------------------------------

class CVaduCtrlDlg : public CMainPage {
public:
    enum {
        IDC_ANNEX_DE_BITMAP = 26133, IDC_BITMAP_TOP = 26135, IDC_CODE_EN = 26141, IDC_CODE_NA = 26142,
        IDC_ANNEX = 26143, IDC_BITMAP_LOGO = 26144, IDC_GENERAL = 26145, IDC_ULS = 26146, IDC_SLS = 26147,
        IDC_FATIGUE = 26148, IDC_ANNEX_FR_BITMAP = 26149, IDC_MANUAL = 26235, IDC_AUTO_POINTS = 26237,
    };
    CVaduCtrlDlg();
    const char* ClassName() const override { return "CVaduCtrlDlg"; }
    void ExchangeData(bool save) override;
    // The annex combo changed (also to the same entry).
    void OnAnnexChanged();
    // The check box of the automatic system points clicked.
    void OnAutoPoints();
    // One of the three editors: mode 1, 8 or 16.
    void OnSettings(int mode);

protected:
    bool OnInitDialog() override;
    void DoDataExchange(wl::DataExchange& dx) override;

private:
    int m_nCode = 1;
    int m_bAutoPoints = 0;
    int m_nAnnex = 0;
};

// ---- system ---------------------------------------------------------------------------------

class CVaduSysGrid : public CParamGridCtrl {
public:
    CVaduSysGrid();
    void SetModuleData(CModuleData* data) { m_pData = data; }
    void InitGrid() override;
    bool ExchangeData(bool save) override;
    void OnComboCellSelChanged(int row, int col, int index) override;
    void OnCheckCellClicked(int row, int col) override;
    void OnButtonCellClicked(int row, int col) override;
    // The rows by the crane type (row 0) and the two-girder check (row 1).
    void UpdateRows();

private:
    CModuleData* m_pData = nullptr;
    CCraneSettings m_dummy;
    std::string m_strRail;
};

class CVaduSysDlg : public CMainPage {
public:
    enum { IDD = 26122, IDC_SYS_GRID = 26146, IDC_CRANE_GRID = 26147 };
    CVaduSysDlg() : CMainPage(IDD, PAGE_SYSTEM), m_target(m_sysGrid, PAGE_SYSTEM) {}
    const char* ClassName() const override { return "CVaduSysDlg"; }
    void ExchangeData(bool save) override;
    void SetModuleData(CModuleData* data) override;
    CRigelSysGrid& SysGrid() { return m_sysGrid; }
    CVaduSysGrid& CraneGrid() { return m_craneGrid; }
    CPlauGrid* PlauTarget() { return &m_target; }
    // The notch-case page reloaded after the system was saved.
    std::function<void()> reloadPoints;

protected:
    bool OnInitDialog() override;
    void OnSize(unsigned type, int cx, int cy) override;

private:
    CRigelSysGrid m_sysGrid;
    CVaduSysGrid m_craneGrid;
    CDlgResizer m_resizer;
    CPageGridTarget m_target;
};

// ---- loads ------------------------------------------------------------------------------------

class CKranloadDlg;

class CKranloadGeneralGrid : public CParamGridCtrl {
public:
    CKranloadGeneralGrid();
    void Set(CModuleData* data, CKranloadDlg* page) {
        m_pData = data;
        m_pPage = page;
    }
    void AddFields();
    void OnCellValueChanged(int row, int col, int kind) override;
    void OnButtonCellClicked(int row, int col) override;
    void OnComboCellSelChanged(int row, int col, int index) override;

private:
    CModuleData* m_pData = nullptr;
    CKranloadDlg* m_pPage = nullptr;
};

class CKranloadGrid : public CExtGridCtrl {
public:
    enum { COL_NAME = 0, COL_AXLES = 2, COL_LIFT = 3, COL_GROUP = 4, COL_LOADS = 5, COL_GROUPS = 6 };
    void Set(CModuleData* data, CKranloadDlg* page) {
        m_pData = data;
        m_pPage = page;
    }
    void InitGrid() override;
    void InitRow(int row) override;
    bool ExchangeData(bool save);
    void OnButtonCellClicked(int row, int col) override;

private:
    CModuleData* m_pData = nullptr;
    CKranloadDlg* m_pPage = nullptr;
};

class CKranloadDlg : public CMainPage {
public:
    enum {
        IDD = 26123, IDC_GENERAL = 26157, IDC_NEXT = 26158, IDC_STOP = 26159, IDC_PLAY = 26160, IDC_SLIDER = 26161,
        IDC_PREV = 26162, IDC_COUNT = 26163, IDC_CRANES = 26165,
    };
    static constexpr unsigned kTimer = 1;
    CKranloadDlg();
    ~CKranloadDlg() override;
    const char* ClassName() const override { return "CKranloadDlg"; }
    void ExchangeData(bool save) override;
    void SetModuleData(CModuleData* data) override;

    // The player: slider moved, one step on or back, play, stop, one tick.
    void OnSlider(int pos);
    void OnStep(int delta);
    void OnPlay();
    void OnStopButton();
    void OnPlayerTimer();
    bool IsPlaying() const { return m_nTimer != 0; }
    const cranepages::CCranePlayer& Player() const { return m_player; }
    int SliderMax() const;
    int m_nCraneIndex = 1;
    std::string m_strImperfection;

    CKranloadGeneralGrid& GeneralGrid() { return m_general; }
    CKranloadGrid& CraneGrid() { return m_cranes; }

protected:
    bool OnInitDialog() override;
    void DoDataExchange(wl::DataExchange& dx) override;
    void OnTimer(unsigned id) override;
    void OnDestroy() override;
    void OnSize(unsigned type, int cx, int cy) override;

private:
    void SetCaption();
    void KillPlayer();

    // The general grid and the player's group side by side, or one below
    // the other in a narrow page; the crane table in the rest of the page.
    CControlBlock m_generalBlock, m_playerBlock;

    CKranloadGeneralGrid m_general;
    CKranloadGrid m_cranes;
    cranepages::CCranePlayer m_player;
    int m_nSliderPos = 0;
    std::string m_strCount;
    unsigned m_nTimer = 0;
    bool m_bLoading = false;
};

// ---- notch cases ------------------------------------------------------------------------------

class CKerbfallGrid : public CExtGridCtrl {
public:
    enum {
        COL_CALC = 1, COL_NAME = 2, COL_CATEGORY = 3, COL_STRESS = 4, COL_GEOMETRY = 5, COL_X = 6, COL_PLATE = 7,
        COL_PLACE = 8, COL_THICKNESS = 9, COL_WELD = 10, COL_WELD_CATEGORY = 11, kColumns = 12,
    };
    enum { CMD_DELETE = 1, CMD_COPY = 2 };
    CKerbfallGrid();
    void SetModuleData(CModuleData* data) { m_pData = data; }
    void InitGrid() override;
    void InitRow(int row) override;
    bool ExchangeData(bool save);
    // Plate thickness, read-only and enabled cells of every row; the sketch
    // redrawn.
    void UpdateComputedCells();
    void OnCheckCellClicked(int row, int col) override;
    void OnComboCellSelChanged(int row, int col, int index) override;
    void OnCellValueChanged(int row, int col, int kind) override;
    void OnContextMenuCommand(int row, int col, int id) override;
    const std::vector<CNotchCase>& Cases() const { return m_cases; }
    const std::vector<std::string>& PlateNumbers() const { return m_plateNumbers; }

private:
    void Changed(int row, int col);
    void FillRow(int row);
    void ReadRow(int row, CNotchCase& n);
    std::vector<SektTqe> Plates() const;

    CModuleData* m_pData = nullptr;
    std::vector<CNotchCase> m_cases;
    std::vector<std::string> m_categories, m_stressTypes, m_geometries, m_plateNumbers;
    bool m_bBusy = false;
};

class CVaduIntegrityGrid : public CGridPage {
public:
    enum { IDD = 26124, IDC_GRID = 26171 };
    CVaduIntegrityGrid() : CGridPage(IDD, PAGE_POINTS, IDC_GRID, m_grid) {}
    const char* ClassName() const override { return "CVaduIntegrityGrid"; }
    void ExchangeData(bool save) override;
    void SetModuleData(CModuleData* data) override;
    CKerbfallGrid& Grid() { return m_grid; }

protected:
    void InitPageGrid() override;

private:
    CKerbfallGrid m_grid;
};

// ---- results and output --------------------------------------------------------------------

class CVaduResultDlg : public CMainPage {
public:
    enum { IDD = 26125, IDC_TREE = 26147, IDC_MESSAGE = 26149 };
    CVaduResultDlg() : CMainPage(IDD, PAGE_RESULTS) {}
    const char* ClassName() const override { return "CVaduResultDlg"; }
    void ExchangeData(bool save) override;
    // The tree's selection into the data (crane position, result), sketch redrawn.
    void OnSelectionChanged();
    wl::TreeCtrl& Tree() { return m_tree; }
    // The text the message box shows.
    const std::string& MessageText() const { return m_strMessage; }
    // The position's stored results belong to other input than it holds:
    // the page shows only that it must be calculated again.
    bool ShowsStaleResults() const;

protected:
    bool OnInitDialog() override;
    void DoDataExchange(wl::DataExchange& dx) override;
    // The tree takes the left third of the page and the summary the rest,
    // both down to the page's foot.
    void OnSize(unsigned type, int cx, int cy) override;

private:
    void FillTree();

    wl::TreeCtrl m_tree;
    std::string m_strMessage;
    CDlgResizer m_resizer;
};

class CVaduOutputDlg : public CMainPage {
public:
    enum { IDD = 26126, IDC_CREATE = 26150, IDC_SETTINGS = 26151, IDC_LIST = 26222, IDC_SHORT = 26234 };
    CVaduOutputDlg() : CMainPage(IDD, PAGE_OUTPUT) {}
    const char* ClassName() const override { return "CVaduOutputDlg"; }
    void ExchangeData(bool save) override;
    // "Ausgabe erzeugen" and "Einstellungen".
    void OnCreateOutput();
    void OnHostSettings();

protected:
    bool OnInitDialog() override;
    void DoDataExchange(wl::DataExchange& dx) override;
    void OnSize(unsigned type, int cx, int cy) override;

private:
    // The three groups of report switches flow into rows as the page's
    // width allows; the group of the output control below them, with its
    // two buttons at its right end or, when narrow, below its controls.
    CControlBlock m_groups[3], m_controlBlock, m_buttonBlock;
    wl::Window* m_controlGroup = nullptr;
    wl::Rect m_controlGroupTemplate{};

    std::string m_strList;
    int m_bShort = 0;
    int m_switches[55] = {};
};
