#include "platform/shaperqt/shaperqt.h"

#include <cmath>
#include <limits>

#include "platform/lingo/lingo.h"
#include "platform/winsys/winsys.h"
#include "platform/wl/controls.h"
#include "platform/wl/templates.h"
#include "platform/wl/translate.h"
#include "platform/zidezaz/zidezaz.h"

namespace shaperqt {

namespace {

using wl::Kind;

wl::DialogTemplate EditorTemplate() {
    wl::DialogTemplate t{EditDlg::kTemplateId, "Querschnitt erzeugen", 330, 190, 0, {}};
    t.controls.push_back({0, Kind::Static, "Querschnittstyp:", 7, 9, 60, 10});
    t.controls.push_back({EditDlg::IDC_TYPE, Kind::Combo, "", 70, 7, 253, 100});
    for (int i = 0; i < EditDlg::kMaxDims; ++i) {
        const int y = 28 + 18 * i;
        t.controls.push_back({EditDlg::IDC_LABEL + i, Kind::Static, "", 7, y + 2, 90, 10});
        t.controls.push_back({EditDlg::IDC_VALUE + i, Kind::Edit, "", 100, y, 50, 12, wl::kRight});
        t.controls.push_back({EditDlg::IDC_UNIT + i, Kind::Static, "cm", 154, y + 2, 14, 10});
    }
    t.controls.push_back({0, Kind::GroupBox, "Vorschau", 173, 24, 150, 142});
    t.controls.push_back({EditDlg::IDC_PREVIEW, Kind::Custom, "", 178, 35, 140, 126, 0, {}, "Kurvo2D"});
    t.controls.push_back({wl::IDOK, Kind::Button, "OK", 218, 170, 50, 14, wl::kDefault});
    t.controls.push_back({wl::IDCANCEL, Kind::Button, "Abbrechen", 273, 170, 50, 14});
    return t;
}

const wl::TemplateRegistrar kTemplate(EditorTemplate());

std::string Format(double v) { return winsys::FormatC("%lg", v); }

}  // namespace

EditDlg::EditDlg(ShaperContour& contour, std::vector<int32_t> types)
    : wl::Dialog(kTemplateId), m_contour(contour), m_types(std::move(types)) {}

EditDlg::~EditDlg() { Shaper_ReleaseContour(m_shown); }

bool EditDlg::OnInitDialog() {
    LINGO_HWNDTranslate(this, "VKT Eingabe", "velor_i_common", "Shaper");
    wl::DataExchange dx(*this, false);
    wl::DDX_Control(dx, IDC_PREVIEW, m_preview);
    wl::DDX_Control(dx, IDC_TYPE, m_typeCombo);
    // A contour without dimensions keeps its wall lines until a type replaces it.
    if (m_contour.type == SHAPER_FREE && m_contour.section > 0 && SEKT_PRO_GetnWLine(m_contour.section) > 0)
        m_types.insert(m_types.begin(), SHAPER_FREE);
    for (int32_t t : m_types) m_typeCombo.AddString(Shaper_GetSectionTypeName(t));
    int index = 0;
    for (size_t i = 0; i < m_types.size(); ++i)
        if (m_types[i] == m_contour.type) index = int(i);
    m_typeCombo.SetCurSel(index);
    const int type = m_types.empty() ? SHAPER_FREE : m_types[size_t(index)];
    ShowType(type, type == m_contour.type ? m_contour.dims : Shaper_GetDefaultDimensions(type));
    return true;
}

void EditDlg::ShowType(int type, const std::vector<double>& dims) {
    m_type = type;
    const std::vector<std::string> names = Shaper_GetDimensionNames(type);
    const std::vector<std::string> texts = Shaper_GetDimensionTexts(type);
    m_bFilling = true;
    for (int i = 0; i < kMaxDims; ++i) {
        const bool shown = i < int(names.size());
        for (int id : {IDC_LABEL + i, IDC_VALUE + i, IDC_UNIT + i})
            if (wl::Window* w = GetDlgItem(id)) w->ShowWindow(shown ? wl::SW_SHOW : wl::SW_HIDE);
        if (!shown) continue;
        SetDlgItemText(IDC_LABEL + i, texts[size_t(i)] + " " + names[size_t(i)] + ":");
        SetDlgItemText(IDC_VALUE + i, i < int(dims.size()) ? Format(dims[size_t(i)]) : std::string());
    }
    m_bFilling = false;
    DrawPreview();
}

std::vector<double> EditDlg::TypedDimensions() const {
    std::vector<double> dims;
    const size_t n = Shaper_GetDimensionNames(m_type).size();
    for (size_t i = 0; i < n; ++i) {
        const std::string text = GetDlgItemText(IDC_VALUE + int(i));
        size_t used = 0;
        const auto v = winsys::ParseDouble(text, &used);
        // A field reads only when the whole of it is a number.
        const bool whole = v && text.find_first_not_of(" \t", used) == std::string::npos;
        dims.push_back(whole ? *v : std::numeric_limits<double>::quiet_NaN());
    }
    return dims;
}

void EditDlg::DrawPreview() {
    kurvo::Graph2D& g = m_preview.Graph();
    g.Invoke(1, {});
    int section = -1;
    if (m_type == SHAPER_FREE) {
        section = m_contour.section;
    } else {
        m_shown.type = m_type;
        m_shown.dims = TypedDimensions();
        if (Shaper_BuildSection(m_shown) == 0) section = m_shown.section;
    }
    if (section > 0)
        Shaper_DrawSection(section, &g, 1.5);
    else
        g.Invoke(15, {});
    m_preview.Invalidate();
}

bool EditDlg::OnCommand(int id, int code) {
    if (id == wl::IDOK || id == wl::IDCANCEL) return wl::Dialog::OnCommand(id, code);
    if (m_bFilling) return false;
    if (id == IDC_TYPE && code == wl::CBN_SELCHANGE) {
        const int index = m_typeCombo.GetCurSel();
        if (index < 0 || index >= int(m_types.size())) return true;
        const int type = m_types[size_t(index)];
        if (type != m_type) ShowType(type, type == m_contour.type ? m_contour.dims : Shaper_GetDefaultDimensions(type));
        return true;
    }
    if (id >= IDC_VALUE && id < IDC_VALUE + kMaxDims && code == wl::EN_CHANGE) {
        DrawPreview();
        return true;
    }
    return false;
}

void EditDlg::OnOK() {
    if (m_type == SHAPER_FREE) {
        // Nothing chosen: the free contour stays as it is.
        EndDialog(wl::IDCANCEL);
        return;
    }
    const std::vector<double> dims = TypedDimensions();
    std::string message;
    if (!Shaper_CheckDimensions(m_type, dims, message)) {
        winsys::MessageBox(message, "", winsys::Buttons::Ok, winsys::Icon::Error);
        return;
    }
    m_contour.type = m_type;
    m_contour.dims = dims;
    EndDialog(wl::IDOK);
}

int Edit(ShaperContour& contour, const std::vector<int32_t>& types) {
    if (!wl::HasWindowSystem()) return 0;
    EditDlg dlg(contour, types);
    return dlg.DoModal() == wl::IDOK ? 1 : 0;
}

void RegisterEditor() { Shaper_SetEditor(&Edit); }

}  // namespace shaperqt
