// The seven spring values of a support: the grid of the values (one row per
// direction shown, with the degree-of-fixity and the computed-spring boxes)
// and the dialog around it with its presets.
#pragma once

#include <functional>
#include <string>

#include "grid/ExtGridCtrl.h"
#include "module/Support.h"
#include "platform/wl/dialog.h"

class CSpringValGrid : public CExtGridCtrl {
public:
    static constexpr int kColumns = 6;
    enum { COL_NAME = 1, COL_FIXITY = 2, COL_VALUE = 3, COL_COMPUTED = 4, COL_BUTTON = 5 };
    enum { KIND_SPRING = 0, KIND_FIXITY = 1, KIND_COMPUTED = 2 };

    CSpringValGrid();
    ~CSpringValGrid() override;

    void OnCheckCellClicked(int row, int col) override;
    void OnButtonCellClicked(int row, int col) override;
    void InitGrid() override;
    void OnCellValueChanged(int row, int col, int kind) override;

    void SetSupport(const CSupport& support) { m_Support = support; }
    const CSupport& GetSupport() const { return m_Support; }
    // Bit i shows direction i (0 Cx .. 6 CWölb).
    void SetMask(int mask) { m_nMask = mask & 0x7F; }
    void SetShowFixity(bool b) { m_bShowFixity = b; }
    void SetShowComputed(bool b) { m_bShowComputed = b; }
    // The grid row of a direction (0: not shown).
    int RowOf(int direction) const { return direction >= 0 && direction < 7 ? m_Row[direction] : 0; }
    // Called after the user changed the grid (the dialog re-detects its preset).
    std::function<void()> onChanged;
    // Computes the spring of a "Berechnen" row; true when a value was taken.
    std::function<bool(int direction, CSpringData& data, double& value)> computeSpring;

    void UpdateRowStates();
    bool ExchangeData(bool save);

    static std::string DirectionName(int direction);

private:
    CSupport m_Support;
    int m_nMask = 0x7F;
    int m_Row[7] = {};
    bool m_bShowFixity = true;
    bool m_bShowComputed = true;
};

// The help language of the dialogs, as the translation layer keeps it in the
// user's settings ("deutsch" when none is set).
std::string DialogHelpLanguage();
// The spring help topic in the crane help file, for the French help only;
// false when nothing was opened.
bool OpenSpringHelpTopic();

class CSpringValDlg : public wl::Dialog {
public:
    static constexpr int kTemplateId = 506;
    enum { IDC_PRESET_LABEL = 1001, IDC_PRESET = 1002, IDC_GRID = 1003 };

    CSpringValDlg(const CSupport& support, int mask, bool endSupport, int preset, bool showFixity = true,
                  bool showComputed = true, bool showPresets = true);
    ~CSpringValDlg() override;
    const char* ClassName() const override { return "SpringValDlg"; }

    const CSupport& GetSupport() const { return m_Support; }
    int GetPreset() const { return m_nPreset; }
    CSpringValGrid& Grid() { return m_Grid; }
    // Sets the seven values of a preset (entry 0 leaves them).
    void ApplyPreset(int index);
    // The preset the values match (0 for none).
    int DetectPreset() const;

protected:
    bool OnInitDialog() override;
    void OnOK() override;

private:
    CSupport m_Support;
    CSpringValGrid m_Grid;
    int m_nMask;
    bool m_bEndSupport;
    int m_nPreset;
    bool m_bShowFixity;
    bool m_bShowComputed;
    bool m_bShowPresets;
};
