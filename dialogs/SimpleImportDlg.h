// The choice of one value that another position of the project exports: the
// positions of the project folder in a list, the chosen position's exported
// values as a tree (folders as parent items). The position and the value
// chosen last are offered again at the next opening.
#pragma once

#include <string>
#include <vector>

#include "formula/ImportValue.h"
#include "platform/wl/controls.h"
#include "platform/wl/dialog.h"

inline constexpr int IDD_SIMPLE_IMPORT = 536;
inline constexpr int IDC_IMPORT_POSITIONS = 11076;
inline constexpr int IDC_IMPORT_VALUES = 11077;
inline constexpr int IDC_IMPORT_HELP = 9;

class CDlgSimpleImportVal : public wl::Dialog {
public:
    CDlgSimpleImportVal();
    const char* ClassName() const override { return "CDlgSimpleImportVal"; }

    // After OK: the chosen value with its generated variable name.
    CImportValue m_result;
    // After OK: the chosen value's source path.
    std::string m_strChosenPath;

    wl::ListCtrl& Positions() { return m_positions; }
    wl::TreeCtrl& Values() { return m_values; }
    // The positions' file names shown in the tree (empty before a choice).
    const std::string& ShownFile() const { return m_shownFile; }

    // The position and tree path offered at the next opening; they live
    // until the module is torn down.
    static std::string RememberedPosition();
    static std::string RememberedPath();

protected:
    bool OnInitDialog() override;
    void DoDataExchange(wl::DataExchange& dx) override;
    void OnOK() override;

private:
    void FillPositions();
    void OnPositionChanged();
    void FillValues(const std::string& fileName);

    wl::ListCtrl m_positions;
    wl::TreeCtrl m_values;
    std::string m_shownFile;
    std::vector<CImportValue> m_records;  // a value item's data is its index + 1
};
