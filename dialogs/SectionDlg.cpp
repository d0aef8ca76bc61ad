#include "dialogs/SectionDlg.h"

#include <algorithm>
#include <cmath>

#include "dialogs/SpringValDlg.h"
#include "input/MateHandler.h"
#include "input/StdProfile.h"
#include "module/frame/ModuleMessages.h"
#include "module/frame/Utilities.h"
#include "platform/lingo/lingo.h"
#include "platform/shaperqt/shaperqt.h"
#include "platform/winsys/winsys.h"
#include "platform/wl/controls.h"
#include "platform/wl/templates.h"
#include "platform/wl/translate.h"

namespace {

using wl::Kind;
using D = CSectionDlg;
using G = CSectionGrid;

constexpr const char* kSection = "velor_i_rigel";
// Steps of an arc of a catalogue profile's outline.
constexpr int kArcSteps = 4;

const wl::TemplateRegistrar kTemplate({
    D::kTemplateId,
    "Querschnitt",
    420,
    220,
    0,
    {
        {D::IDC_GRID, Kind::Custom, "", 7, 7, 220, 184, 0, {}, "RigelGridCtrl"},
        {0, Kind::GroupBox, "Vorschau", 233, 3, 180, 188},
        {D::IDC_PREVIEW, Kind::Custom, "", 238, 14, 170, 172, 0, {}, "Kurvo2D"},
        {D::IDC_ALL_FIELDS, Kind::CheckBox, "Alle Felder wie dieses setzen", 7, 201, 150, 10},
        {wl::IDOK, Kind::Button, "OK", 253, 199, 50, 14, wl::kDefault},
        {wl::IDCANCEL, Kind::Button, "Abbrechen", 308, 199, 50, 14},
        {D::IDC_HELP, Kind::Button, "Hilfe", 363, 199, 50, 14},
    },
});

std::string TrGrid(const char* text) { return lingo::Translate(rigel::kAppInput, kSection, "sectionGrid", text); }
std::string TrDlg(const char* text) { return lingo::Translate(rigel::kAppInput, kSection, "sectionDlg", text); }

double Number(const CMateList& m, const char* key) { return winsys::ParseDouble(m.GetValue(key)).value_or(0.0); }

bool ValidIndex(int i, size_t n) { return i >= 0 && size_t(i) < n; }

}  // namespace

// ---- the grid -------------------------------------------------------------------------------

CSectionGrid::CSectionGrid() = default;

CSectionGrid::~CSectionGrid() {
    // Contours that were not taken on OK go with the dialog.
    Shaper_ReleaseContour(m_start);
    Shaper_ReleaseContour(m_end);
}

std::string CSectionGrid::MaterialCategory() const { return m_pSection ? m_pSection->GetMaterialCategory() : "Stahl"; }
std::string CSectionGrid::MaterialSubcategory() const {
    return m_pSection ? m_pSection->GetMaterialSubcategory() : "Baustahl";
}

std::string CSectionGrid::MaterialNorm() const {
    if (!m_pData) return m_pSection ? m_pSection->GetMaterialNorm() : "EC3 NA (DE)";
    if (m_pData->m_info.m_nNorm == 34) return "EC9";
    return GetNormName(m_pData->m_info.m_nNorm, m_pData->m_matBB);
}

void CSectionGrid::InitGrid() {
    if (m_pSection) {
        // The contours are the grid's own while the dialog runs.
        ShaperContour start{m_pSection->m_nShapeType, m_pSection->m_shapeDims, m_pSection->m_profile.GetHandle()};
        m_start = Shaper_CopyContour(start);
        if (m_pSection->m_bVoute) {
            ShaperContour end{m_pSection->m_nShapeType2, m_pSection->m_shapeDims2, m_pSection->m_profile2.GetHandle()};
            m_end = Shaper_CopyContour(end);
        }
    }
    CStdProfile& cat = GetStdProfile();
    cat.EnsureLoaded();
    m_series.clear();
    for (int i = 0; i < cat.GetSeriesCount(); ++i) m_series.push_back(cat.GetSeriesName(i));
    FillMaterials();
    m_axes = {TrGrid("Oberkante bündig"), TrGrid("Stabachse zentriert"), TrGrid("Unterkante bündig")};
    m_strInput = TrGrid("Profileingabe");
    m_strInputEnd = TrGrid("Profileingabe");
    m_strMaterialEditor = TrGrid("Materialeditor");
    SetTitle(TrGrid("Querschnittsdefinition"));
    AddComboField(TrGrid("Profilauswahl"), &m_nSelection,
                  {TrGrid("Profildatenbank"), TrGrid("Parametrisierte Profile")});
    AddComboField(TrGrid("Profilreihe"), &m_nSeries, m_series);
    AddComboField(TrGrid("Profil"), &m_nProfile, {});
    AddComboField(TrGrid("Profil(Ende)"), &m_nProfileEnd, {});
    AddDisplayField(TrGrid("Profileingabe"), &m_strInput);
    AddDisplayField(TrGrid("Profileingabe(Ende)"), &m_strInputEnd);
    AddComboField(TrGrid("Material"), &m_nMaterial, m_materials);
    AddDisplayField(TrGrid("Materialeditor"), &m_strMaterialEditor);
    AddCheckField(TrGrid("Voute"), &m_bHaunch);
    AddIntField(TrGrid("Teilung"), &m_nDivisions);
    AddComboField(TrGrid("Lage der Profilachse"), &m_nAxis, m_axes);
    CParamGridCtrl::InitGrid();
    SetComboCellChoices(ROW_MATERIAL, 1, m_materials);
    UpdateRows();
}

void CSectionGrid::FillProfiles(bool selectNone) {
    GetStdProfile().GetProfileNames(m_nSeries, m_profiles, -1);
    SetComboCellChoices(ROW_PROFILE, 1, m_profiles);
    SetComboCellChoices(ROW_PROFILE_END, 1, m_profiles);
    if (selectNone) {
        m_nProfile = m_nProfileEnd = -1;
        SetComboCellIndex(ROW_PROFILE, 1, -1);
        SetComboCellIndex(ROW_PROFILE_END, 1, -1);
    }
}

void CSectionGrid::FillMaterials() {
    m_materials.clear();
    GetMateHandler().GetObjectNames(MaterialCategory(), MaterialSubcategory(), MaterialNorm(), m_materials);
    if (GetRowCount() > ROW_MATERIAL) SetComboCellChoices(ROW_MATERIAL, 1, m_materials);
}

void CSectionGrid::UpdateRows() {
    const bool catalogue = m_nSelection != 1;
    ShowRow(ROW_SERIES, catalogue);
    ShowRow(ROW_PROFILE, catalogue);
    ShowRow(ROW_PROFILE_END, catalogue && m_bHaunch);
    ShowRow(ROW_INPUT, true);
    ShowRow(ROW_INPUT_END, !catalogue && m_bHaunch);
    if (m_pData && m_pData->IsCraneRunway()) {
        const bool bedding = m_pData->IsCraneRunwayWithBedding();
        ShowRow(ROW_SELECTION, bedding);
        if (!bedding) ShowRow(ROW_PROFILE_END, false);
        ShowRow(ROW_HAUNCH, bedding);
        ShowRow(ROW_DIVISIONS, false);
        ShowRow(ROW_AXIS, false);
    }
    Refresh();
}

bool CSectionGrid::ExchangeData(bool save) {
    if (!m_pSection) return false;
    CSection& s = *m_pSection;
    if (save) {
        CParamGridCtrl::ExchangeData(true);
        s.m_profSelType = m_nSelection == 1 ? 1 : 0;
        s.m_iFamily = m_nSeries;
        s.m_iProfile = m_nProfile;
        s.m_iProfile2 = m_nProfileEnd;
        s.m_profFamily = GetComboCellText(ROW_SERIES, 1);
        s.m_profName = GetComboCellText(ROW_PROFILE, 1);
        s.m_profName2 = GetComboCellText(ROW_PROFILE_END, 1);
        s.m_strMaterial = GetComboCellText(ROW_MATERIAL, 1);
        s.m_bVoute = m_bHaunch;
        s.m_nTeilung = m_nDivisions;
        CMateList m;
        GetMateHandler().FindObject(m, MaterialCategory(), MaterialSubcategory(), MaterialNorm(), s.m_strMaterial);
        if (!m.IsEmpty()) {
            s.m_gamma = Number(m, "gamma");
            s.m_gamma_m = Number(m, "gamma_m");
            s.m_gamma_m1 = Number(m, "gamma_m1");
            s.m_gamma_mf = Number(m, "gamma_mf");
            // Aluminium gives its strength as fo.
            s.m_strength = std::max(Number(m, "fyk"), Number(m, "fo"));
            if (std::fabs(s.m_gamma_m1) < 0.0001) s.m_gamma_m1 = s.m_gamma_m;
        }
        return true;
    }
    m_nSelection = s.m_profSelType != 0 ? 1 : 0;
    int series = -1, profile = -1, series2 = -1, profile2 = -1;
    GetStdProfile().FindProfile(s.m_profFamily, s.m_profName, series, profile);
    m_nSeries = series;
    m_nProfile = profile;
    FillProfiles(false);
    m_nProfileEnd = -1;
    if (s.m_bVoute && !s.m_profName2.empty()) {
        GetStdProfile().FindProfile(s.m_profFamily, s.m_profName2, series2, profile2);
        if (series2 == series) m_nProfileEnd = profile2;
    }
    FillMaterials();
    m_nMaterial = -1;
    for (size_t i = 0; i < m_materials.size(); ++i)
        if (m_materials[i] == s.m_strMaterial) m_nMaterial = int(i);
    m_bHaunch = s.m_bVoute;
    m_nDivisions = s.m_nTeilung;
    if (m_pData) m_nAxis = m_pData->m_nProfileAxis;
    CParamGridCtrl::ExchangeData(false);
    UpdateRows();
    DrawPreview();
    return true;
}

void CSectionGrid::OnComboCellSelChanged(int row, int /*col*/, int index) {
    if (row == ROW_SERIES) {
        m_nSeries = index;
        FillProfiles(true);
    } else if (row == ROW_SELECTION) {
        m_nSelection = index;
        UpdateRows();
    } else if (row == ROW_PROFILE) {
        m_nProfile = index;
    } else if (row == ROW_PROFILE_END) {
        m_nProfileEnd = index;
    }
    DrawPreview();
}

void CSectionGrid::OnCheckCellClicked(int row, int /*col*/) {
    if (row != ROW_HAUNCH) return;
    m_bHaunch = GetCheckCell(ROW_HAUNCH, 1);
    if (m_bHaunch) {
        // A haunch starts with the end equal to the start.
        if (m_end.section < 1) m_end = Shaper_CopyContour(m_start);
    } else {
        Shaper_ReleaseContour(m_end);
        m_end = ShaperContour();
    }
    UpdateRows();
    DrawPreview();
}

void CSectionGrid::OnButtonCellClicked(int row, int /*col*/) {
    m_nSelection = GetComboCellIndex(ROW_SELECTION, 1) == 1 ? 1 : 0;
    if ((row == ROW_INPUT || row == ROW_INPUT_END) && m_nSelection == 1) {
        shaperqt::RegisterEditor();
        std::vector<int32_t> types(size_t(std::max(0, Shaper_GetNumOfSectionTypeIDs())));
        const int n = Shaper_GetSectionTypeIDs(types.data(), int(types.size()));
        ShaperContour& c = row == ROW_INPUT ? m_start : m_end;
        const int old = c.section;
        if (Shaper_EditSection(c, types.data(), n) == 1 && old > 0 && old != c.section) SEKT_PRO_Delete(old);
    } else if (row == ROW_INPUT && m_nSelection == 0) {
        const int series = GetComboCellIndex(ROW_SERIES, 1), profile = GetComboCellIndex(ROW_PROFILE, 1);
        if (series >= 0 && profile >= 0) {
            GetStdProfile().EditInSectionEditor(series, profile, true, false, "");
            GetStdProfile().Unload();
            GetStdProfile().EnsureLoaded();
            FillProfiles(false);
        }
    } else if (row == ROW_MATERIAL_EDITOR) {
        GetMateHandler().OpenMaterialEditor(MaterialCategory(), MaterialSubcategory(), MaterialNorm(),
                                            GetComboCellText(ROW_MATERIAL, 1), 0);
        const std::string chosen = GetComboCellText(ROW_MATERIAL, 1);
        FillMaterials();
        auto it = std::find(m_materials.begin(), m_materials.end(), chosen);
        SetComboCellIndex(ROW_MATERIAL, 1, it == m_materials.end() ? -1 : int(it - m_materials.begin()));
    } else {
        return;
    }
    Refresh();
    DrawPreview();
}

void CSectionGrid::DrawPreview() {
    if (!m_pPreview) return;
    CKurvo2D& g = *m_pPreview;
    g.Method1();
    const int selection = GetRowCount() > ROW_SELECTION ? GetComboCellIndex(ROW_SELECTION, 1) : m_nSelection;
    if (selection == 1) {
        if (m_start.section > 0) Shaper_DrawSection(m_start.section, g.GetControl(), 1.5);
        return;
    }
    const int series = GetComboCellIndex(ROW_SERIES, 1), profile = GetComboCellIndex(ROW_PROFILE, 1);
    if (series < 0 || profile < 0) return;
    std::vector<std::vector<double>> xs(1), ys(1);
    std::vector<std::string> names{GetComboCellText(ROW_PROFILE, 1)};
    GetStdProfile().GetContourPolygon(series, profile, xs[0], ys[0], kArcSteps);
    const int profileEnd = GetComboCellIndex(ROW_PROFILE_END, 1);
    if (GetCheckCell(ROW_HAUNCH, 1) && profileEnd >= 0) {
        xs.emplace_back();
        ys.emplace_back();
        GetStdProfile().GetContourPolygon(series, profileEnd, xs.back(), ys.back(), kArcSteps);
        names.push_back(GetComboCellText(ROW_PROFILE_END, 1));
    }
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    bool any = false;
    for (size_t k = 0; k < xs.size(); ++k)
        for (size_t i = 0; i < xs[k].size() && i < ys[k].size(); ++i) {
            const double x = xs[k][i], y = -ys[k][i];
            if (!any || x < x1) x1 = x;
            if (!any || x > x2) x2 = x;
            if (!any || y < y1) y1 = y;
            if (!any || y > y2) y2 = y;
            any = true;
        }
    if (!any) return;
    const double size = std::max(x2 - x1, y2 - y1);
    for (size_t k = 0; k < xs.size(); ++k) {
        std::vector<double> y(ys[k].size());
        for (size_t i = 0; i < y.size(); ++i) y[i] = -ys[k][i];
        g.Method35(k == 0 ? 0xE0C8A0 : 0xA0C8E0, 0, k == 0 ? 0 : 3, 0);
        g.Method5(int32_t(std::min(xs[k].size(), y.size())), xs[k].data(), y.data());
        g.Method35(0, 0, 3, 1);
        g.Method7(x1, y2 + size * (0.05 + 0.08 * double(k)), 0, size * 0.06, names[k].c_str());
    }
    const double half = size * 0.75, mx = (x1 + x2) / 2, my = (y1 + y2) / 2;
    g.Method34(mx - half, my + half, mx + half, my - half);
    g.Method15();
}

void CSectionGrid::MoveContoursInto(CSection& s) {
    if (s.m_profSelType != 0) {
        s.m_profile.SetHandle(m_start.section);
        s.m_nShapeType = m_start.type;
        s.m_shapeDims = m_start.dims;
        m_start = ShaperContour();
        if (s.m_bVoute) {
            s.m_profile2.SetHandle(m_end.section);
            s.m_nShapeType2 = m_end.type;
            s.m_shapeDims2 = m_end.dims;
            m_end = ShaperContour();
        } else {
            s.m_profile2 = CSectProfile();
            s.m_nShapeType2 = 0;
            s.m_shapeDims2.clear();
        }
    }
    double y1, z1, y2, z2;
    s.ComputeGeometry(0, y1, z1, y2, z2);
    if (s.m_bVoute) s.ComputeGeometry(1, y1, z1, y2, z2);
}

// ---- the dialog ---------------------------------------------------------------------------------

CSectionDlg::CSectionDlg(CSection* section, CModuleData* data)
    : wl::Dialog(kTemplateId), m_pSection(section), m_pData(data) {
    m_grid.SetSection(section, data);
}

void CSectionDlg::DoDataExchange(wl::DataExchange& dx) { wl::DDX_Check(dx, IDC_ALL_FIELDS, m_bAllFields); }

bool CSectionDlg::OnInitDialog() {
    LINGO_HWNDTranslate(this, rigel::kAppInput, kSection, "sectionDlg");
    wl::DataExchange dx(*this, false);
    wl::DDX_Control(dx, IDC_GRID, m_grid);
    wl::DDX_Control(dx, IDC_PREVIEW, m_previewWnd);
    m_preview.Bind(&m_previewWnd.Graph());
    m_grid.SetPreview(&m_preview);
    m_grid.InitGrid();
    if (m_pData) {
        m_bAllFields = m_pData->m_bAllFieldsLikeThis;
        if (m_pData->IsCraneRunway() && !m_pData->IsCraneRunwayWithBedding())
            if (wl::Window* w = GetDlgItem(IDC_ALL_FIELDS)) w->EnableWindow(false);
    }
    MapCommand(IDC_HELP, [this] { OnHelp(); });
    ExchangeData(false);
    return true;
}

void CSectionDlg::ExchangeData(bool save) {
    m_grid.ExchangeData(save);
    UpdateData(save);
}

void CSectionDlg::OnOK() {
    if (!m_pSection) {
        EndDialog(wl::IDCANCEL);
        return;
    }
    // The edits go into a copy first: a refused OK leaves the section as it was.
    CSection edited = *m_pSection;
    m_grid.SetSection(&edited, m_pData);
    ExchangeData(true);
    m_grid.SetSection(m_pSection, m_pData);
    if (edited.m_profSelType != 1) {
        std::vector<std::string> profiles;
        GetStdProfile().GetProfileNames(edited.m_iFamily, profiles, -1);
        const bool ok = ValidIndex(edited.m_iFamily, size_t(GetStdProfile().GetSeriesCount())) &&
                        ValidIndex(edited.m_iProfile, profiles.size()) &&
                        (!edited.m_bVoute || ValidIndex(edited.m_iProfile2, profiles.size()));
        if (!ok) {
            winsys::MessageBox(TrDlg("Fehlende Profildefinition!"), "", winsys::Buttons::Ok, winsys::Icon::Warning);
            return;
        }
    } else if (m_grid.StartContour().section < 1 || (edited.m_bVoute && m_grid.EndContour().section < 1)) {
        winsys::MessageBox(TrDlg("Fehlende Profildefinition!"), "", winsys::Buttons::Ok, winsys::Icon::Warning);
        return;
    }
    m_grid.MoveContoursInto(edited);
    *m_pSection = edited;
    if (m_pData) m_pData->m_bAllFieldsLikeThis = m_bAllFields;
    EndDialog(wl::IDOK);
}

void CSectionDlg::OnHelp() {
    if (DialogHelpLanguage() == "französisch") {
        OpenHelpTopic("CraneHelp.chm", "Section_transversale.htm");
        return;
    }
    std::string manual = lingo::Translate(rigel::kAppInput, kSection, "RigelDlg", "Handbuch Kranbahn.pdf");
    OpenProgramDocument("txt/" + manual);
}
