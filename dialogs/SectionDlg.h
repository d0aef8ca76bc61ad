// The cross-section of one span: a catalogue profile (series and profile,
// a second profile at the end for a haunch) or a parametric section of the
// section generator, the material, the haunch, the division count and the
// position of the profile axis, with a preview of the section.
#pragma once

#include <string>
#include <vector>

#include "graphics/core/Kurvo.h"
#include "grid/ParamGridCtrl.h"
#include "module/ModuleData.h"
#include "platform/kurvoqt/kurvoqt.h"
#include "platform/shaper/shaper.h"
#include "platform/wl/dialog.h"

class CSectionGrid : public CParamGridCtrl {
public:
    enum {
        ROW_SELECTION = 0,
        ROW_SERIES,
        ROW_PROFILE,
        ROW_PROFILE_END,
        ROW_INPUT,
        ROW_INPUT_END,
        ROW_MATERIAL,
        ROW_MATERIAL_EDITOR,
        ROW_HAUNCH,
        ROW_DIVISIONS,
        ROW_AXIS,
    };

    CSectionGrid();
    ~CSectionGrid() override;
    void SetSection(CSection* section, CModuleData* data) {
        m_pSection = section;
        m_pData = data;
    }
    void InitGrid() override;
    bool ExchangeData(bool save) override;
    void OnComboCellSelChanged(int row, int col, int index) override;
    void OnCheckCellClicked(int row, int col) override;
    void OnButtonCellClicked(int row, int col) override;

    // The preview drawn again into the graph.
    void DrawPreview();
    void SetPreview(CKurvo2D* graph) { m_pPreview = graph; }
    // The contours move into the section (OK); afterwards the grid owns none.
    void MoveContoursInto(CSection& section);
    const ShaperContour& StartContour() const { return m_start; }
    const ShaperContour& EndContour() const { return m_end; }
    int Axis() const { return m_nAxis; }

    // The bound values.
    int m_nSelection = 0;
    int m_nSeries = -1;
    int m_nProfile = -1;
    int m_nProfileEnd = -1;
    int m_nMaterial = -1;
    int m_bHaunch = 0;
    int m_nDivisions = 10;
    int m_nAxis = 0;

private:
    // Rows shown by the selection kind, the haunch and the program.
    void UpdateRows();
    void FillProfiles(bool selectNone);
    void FillMaterials();
    std::string MaterialNorm() const;
    std::string MaterialCategory() const;
    std::string MaterialSubcategory() const;

    CSection* m_pSection = nullptr;
    CModuleData* m_pData = nullptr;
    CKurvo2D* m_pPreview = nullptr;
    std::vector<std::string> m_series, m_profiles, m_materials, m_axes;
    std::string m_strInput, m_strInputEnd, m_strMaterialEditor;
    ShaperContour m_start, m_end;
};

class CSectionDlg : public wl::Dialog {
public:
    static constexpr int kTemplateId = 26010;
    enum { IDC_PREVIEW = 26022, IDC_GRID = 26023, IDC_ALL_FIELDS = 26025, IDC_HELP = 26243 };

    CSectionDlg(CSection* section, CModuleData* data);
    const char* ClassName() const override { return "CSectionDlg"; }
    void ExchangeData(bool save);
    CSectionGrid& Grid() { return m_grid; }
    kurvoqt::Graph2DWindow& PreviewWindow() { return m_previewWnd; }
    CKurvo2D& Preview() { return m_preview; }
    int m_bAllFields = 0;

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    void DoDataExchange(wl::DataExchange& dx) override;

private:
    void OnHelp();
    CSection* m_pSection;
    CModuleData* m_pData;
    CSectionGrid m_grid;
    kurvoqt::Graph2DWindow m_previewWnd;
    CKurvo2D m_preview;
};
