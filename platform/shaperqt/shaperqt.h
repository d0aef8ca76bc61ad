// The section generator's editor (window part): the type, a field per
// dimension and a live preview of the plates. Registered with the section
// generator when a program runs windows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/kurvoqt/kurvoqt.h"
#include "platform/shaper/shaper.h"
#include "platform/wl/controls.h"
#include "platform/wl/dialog.h"

#define SHAPERQT_API __attribute__((visibility("default")))

namespace shaperqt {

class SHAPERQT_API EditDlg : public wl::Dialog {
public:
    static constexpr int kTemplateId = 29001;
    static constexpr int kMaxDims = 6;
    enum { IDC_TYPE = 1001, IDC_PREVIEW = 1020, IDC_LABEL = 1101, IDC_VALUE = 1111, IDC_UNIT = 1121 };

    EditDlg(ShaperContour& contour, std::vector<int32_t> types);
    ~EditDlg() override;
    const char* ClassName() const override { return "ShaperEditDlg"; }
    // The type shown and the dimensions as typed (unreadable fields give NaN).
    int Type() const { return m_type; }
    std::vector<double> TypedDimensions() const;
    kurvoqt::Graph2DWindow& Preview() { return m_preview; }

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    bool OnCommand(int id, int code) override;

private:
    void ShowType(int type, const std::vector<double>& dims);
    void DrawPreview();

    ShaperContour& m_contour;
    std::vector<int32_t> m_types;  // the combo's entries (SHAPER_FREE first for a free contour)
    int m_type = SHAPER_FREE;
    ShaperContour m_shown;         // the preview's section
    kurvoqt::Graph2DWindow m_preview;
    wl::ComboBox m_typeCombo;
    bool m_bFilling = false;
};

// The editor behind Shaper_EditSection: 1 on OK (the contour's type and
// dimensions replaced), 0 on Cancel or without windows.
SHAPERQT_API int Edit(ShaperContour& contour, const std::vector<int32_t>& types);
// Registers Edit with the section generator.
SHAPERQT_API void RegisterEditor();

}  // namespace shaperqt
