#include "dialogs/SpringValDlg.h"

#include <algorithm>
#include <array>

#include "dialogs/DlgFeder.h"
#include "input/SpringValues.h"
#include "platform/wl/controls.h"
#include "platform/wl/templates.h"
#include "module/frame/ModuleMessages.h"
#include "module/frame/ModuleState.h"
#include "module/frame/RegSettings.h"
#include "module/frame/Utilities.h"
#include "platform/lingo/lingo.h"
#include "platform/wl/translate.h"

namespace {

using wl::Kind;

const wl::TemplateRegistrar kTemplates({
    {CSpringValDlg::kTemplateId, "Federwerte", 330, 170, 0,
     {
         {CSpringValDlg::IDC_PRESET_LABEL, Kind::Static, "Vorbelegung:", 7, 9, 50, 10},
         {CSpringValDlg::IDC_PRESET, Kind::Combo, "", 60, 7, 200, 120},
         {CSpringValDlg::IDC_GRID, Kind::Custom, "", 7, 26, 316, 112, 0, {}, "RigelGridCtrl"},
         {wl::IDOK, Kind::Button, "OK", 163, 149, 50, 14, wl::kDefault},
         {wl::IDCANCEL, Kind::Button, "Abbrechen", 218, 149, 50, 14},
         {wl::IDHELP, Kind::Button, "Hilfe", 273, 149, 50, 14},
     }},
});

const char* const kDirectionNames[7] = {
    "Cx (Wegfeder in X-Richtung)", "Cy (Wegfeder in Y-Richtung)", "Cz (Wegfeder in Z-Richtung)",
    "CMx (Drehfeder um X-Achse)",  "CMy (Drehfeder um Y-Achse)",  "CMz (Drehfeder um Z-Achse)",
    "CWölb (Wölbbehinderung)",
};

}  // namespace

// ---- the grid --------------------------------------------------------------------------------

CSpringValGrid::CSpringValGrid() = default;
CSpringValGrid::~CSpringValGrid() = default;

std::string CSpringValGrid::DirectionName(int direction) {
    return direction >= 0 && direction < 7 ? kDirectionNames[direction] : "";
}

void CSpringValGrid::InitGrid() {
    int count = 0;
    for (int d = 0; d < 7; ++d) m_Row[d] = (m_nMask >> d) & 1 ? ++count : 0;
    Setup(count + 1, kColumns, 1, 1);
    const int widths[kColumns] = {0, 20, 10, 10, 10, 10};
    for (int c = 0; c < kColumns; ++c) SetColumnRelWidth(c, widths[c]);
    SetCenteredText(0, COL_NAME, "Bezeichnung");
    SetCenteredText(0, COL_FIXITY, "Einspanngrad");
    SetCenteredText(0, COL_VALUE, "Federwert");
    SetCenteredText(0, COL_COMPUTED, "Stützeinspannung");
    SetColumnVisible(COL_FIXITY, m_bShowFixity, false);
    SetColumnVisible(COL_COMPUTED, m_bShowComputed, false);
    SetColumnVisible(COL_BUTTON, m_bShowComputed, false);
    for (int d = 0; d < 7; ++d) {
        const int row = m_Row[d];
        if (!row) continue;
        SetItemText(row, COL_NAME, DirectionName(d));
        SetCellReadOnly(row, COL_NAME, true);
        SetCellType(row, COL_FIXITY, KIND_CHECK);
        SetCellType(row, COL_VALUE, KIND_FORMULA);
        SetCellType(row, COL_COMPUTED, KIND_CHECK);
        SetCellType(row, COL_BUTTON, KIND_BUTTON);
    }
    FitColumnsToWidth();
}

void CSpringValGrid::UpdateRowStates() {
    for (int d = 0; d < 7; ++d) {
        const int row = m_Row[d];
        if (!row) continue;
        CFormulaValue value;
        int kind = 0;
        m_Support.GetValueByIdx(d, value, kind);
        const char* format = d < 3 ? "%.4g kN/m" : "%.4g kNm/rad";
        switch (kind) {
        case KIND_FIXITY:
            SetNumberCellFormat(row, COL_VALUE, "%lf", "%.1lf %%", 100.0);
            SetCellReadOnly(row, COL_VALUE, false);
            SetCellReadOnly(row, COL_COMPUTED, true);
            SetCellReadOnly(row, COL_FIXITY, false);
            SetButtonCellText(row, COL_BUTTON, "---------");
            break;
        case KIND_COMPUTED:
            SetNumberCellFormat(row, COL_VALUE, "%lf", format, 1.0);
            SetCellReadOnly(row, COL_VALUE, true);
            SetCellReadOnly(row, COL_COMPUTED, false);
            SetCellReadOnly(row, COL_FIXITY, true);
            SetButtonCellText(row, COL_BUTTON, "Berechnen");
            break;
        default:
            SetNumberCellFormat(row, COL_VALUE, "%lf", format, 1.0);
            SetCellReadOnly(row, COL_VALUE, false);
            SetCellReadOnly(row, COL_COMPUTED, false);
            // A translational spring has no degree of fixity.
            SetCellReadOnly(row, COL_FIXITY, d < 3);
            SetButtonCellText(row, COL_BUTTON, "---------");
            break;
        }
    }
}

bool CSpringValGrid::ExchangeData(bool save) {
    if (!save) {
        UpdateRowStates();
        for (int d = 0; d < 7; ++d) {
            const int row = m_Row[d];
            if (!row) continue;
            CFormulaValue value;
            int kind = 0;
            m_Support.GetValueByIdx(d, value, kind);
            if (kind == KIND_FIXITY && (value.GetValue() < 0.0 || value.GetValue() > 100.0)) {
                // A degree of fixity outside 0-100 % shows (and is kept) as 50 %.
                value.SetValue(50.0);
            }
            SetItemText(row, COL_NAME, DirectionName(d));
            SetFormulaCell(row, COL_VALUE, value);
            SetCheckCell(row, COL_COMPUTED, kind == KIND_COMPUTED);
            SetCheckCell(row, COL_FIXITY, kind == KIND_FIXITY);
        }
        Refresh();
        return true;
    }
    for (int d = 0; d < 7; ++d) {
        const int row = m_Row[d];
        if (!row) continue;
        const CFormulaValue value = GetFormulaCell(row, COL_VALUE);
        int kind = KIND_SPRING;
        if (GetCheckCell(row, COL_COMPUTED))
            kind = KIND_COMPUTED;
        else if (GetCheckCell(row, COL_FIXITY) && d >= 3)
            kind = KIND_FIXITY;
        m_Support.SetValueByIdx(d, value, kind);
    }
    return true;
}

void CSpringValGrid::OnCheckCellClicked(int row, int col) { OnCellValueChanged(row, col, KIND_CHECK); }

void CSpringValGrid::OnCellValueChanged(int /*row*/, int /*col*/, int /*kind*/) {
    ExchangeData(true);
    if (onChanged) onChanged();
    ExchangeData(false);
}

void CSpringValGrid::OnButtonCellClicked(int row, int /*col*/) {
    for (int d = 0; d < 7; ++d) {
        if (m_Row[d] != row) continue;
        CFormulaValue value;
        int kind = 0;
        m_Support.GetValueByIdx(d, value, kind);
        if (kind != KIND_COMPUTED || !computeSpring) return;
        CSpringData data = m_Support.GetSpringDataByIdx(d);
        data.m_bDrehfeder = d >= 3 ? 1 : 0;
        double spring = 0.0;
        if (!computeSpring(d, data, spring)) return;
        m_Support.SetValueByIdx(d, CFormulaValue(spring), KIND_COMPUTED);
        m_Support.SetSpringDataByIdx(d, data);
        ExchangeData(false);
        if (onChanged) onChanged();
        return;
    }
}

// ---- the dialog --------------------------------------------------------------------------------

CSpringValDlg::CSpringValDlg(const CSupport& support, int mask, bool endSupport, int preset, bool showFixity,
                             bool showComputed, bool showPresets)
    : wl::Dialog(kTemplateId),
      m_Support(support),
      m_nMask(mask),
      m_bEndSupport(endSupport),
      m_nPreset(preset),
      m_bShowFixity(showFixity),
      m_bShowComputed(showComputed),
      m_bShowPresets(showPresets) {}

CSpringValDlg::~CSpringValDlg() = default;

int CSpringValDlg::DetectPreset() const {
    std::array<double, springs::kDirections> values{};
    const CSupport& s = m_Grid.GetSupport();
    for (int d = 0; d < 7; ++d) {
        CFormulaValue v;
        int kind = 0;
        s.GetValueByIdx(d, v, kind);
        // Only plain given springs can match a preset.
        if (kind != 0 || !v.IsPlain()) return 0;
        values[size_t(d)] = v.GetValue();
    }
    return springs::DetectPreset(values);
}

void CSpringValDlg::ApplyPreset(int index) {
    const auto values = springs::PresetValues(index);
    if (!values) return;
    m_Grid.ExchangeData(true);
    CSupport s = m_Grid.GetSupport();
    for (int d = 0; d < 7; ++d) s.SetValueByIdx(d, CFormulaValue((*values)[size_t(d)]), 0);
    m_Grid.SetSupport(s);
    m_Grid.ExchangeData(false);
}

std::string DialogHelpLanguage() {
    std::string language;
    GetRegSettings().GetString("LINGO", "VKT Eingabe", language, "deutsch", "software\\VKT");
    return language;
}

bool OpenSpringHelpTopic() {
    if (DialogHelpLanguage() != "französisch") return false;
    return OpenHelpTopic("CraneHelp.chm", "tab_SYSTEM_STIFFNESS.htm");
}

bool CSpringValDlg::OnInitDialog() {
    wl::DataExchange dx(*this, false);
    wl::DDX_Control(dx, IDC_GRID, m_Grid);
    m_Grid.SetSupport(m_Support);
    m_Grid.SetMask(m_nMask);
    m_Grid.SetShowFixity(m_bShowFixity && m_bEndSupport);
    m_Grid.SetShowComputed(m_bShowComputed);
    m_Grid.InitGrid();
    m_Grid.ExchangeData(false);

    if (auto* combo = dynamic_cast<QComboBox*>(GetDlgItemWidget(IDC_PRESET))) {
        combo->clear();
        for (int i = 0; i < springs::kPresetCount; ++i) combo->addItem(QString::fromStdString(springs::PresetName(i)));
        combo->setCurrentIndex(DetectPreset());
    }
    LINGO_HWNDTranslate(this, rigel::kAppInput, rigel::kSectionCommon, "SpringValDlg");
    MapCommand(wl::IDHELP, [] {
        if (DialogHelpLanguage() == "französisch") {
            OpenSpringHelpTopic();
            return;
        }
        // The manual page of this dialog, as a PDF in the installation's help folder.
        std::string file = lingo::Translate(rigel::kAppInput, rigel::kSectionCommon, "SpringValDlg",
                                            "help\\Dialoge Federwerte.pdf");
        std::replace(file.begin(), file.end(), '\\', '/');
        OpenProgramDocument(file);
    });
    if (!m_bShowPresets) {
        if (QWidget* w = GetDlgItemWidget(IDC_PRESET)) w->hide();
        if (QWidget* w = GetDlgItemWidget(IDC_PRESET_LABEL)) w->hide();
    }
    MapNotify(IDC_PRESET, wl::CBN_SELCHANGE, [this](const wl::Notify&) -> std::intptr_t {
        if (auto* combo = dynamic_cast<QComboBox*>(GetDlgItemWidget(IDC_PRESET))) {
            ApplyPreset(combo->currentIndex());
            combo->setCurrentIndex(DetectPreset());
        }
        return 0;
    });
    // "Berechnen": the spring from the members at the support.
    m_Grid.computeSpring = [](int /*direction*/, CSpringData& data, double& value) {
        CDlgFeder dlg;
        dlg.SetData(data);
        if (dlg.DoModal() != wl::IDOK) return false;
        data = dlg.GetData();
        value = dlg.GetResult();
        return true;
    };
    m_Grid.onChanged = [this] {
        if (auto* combo = dynamic_cast<QComboBox*>(GetDlgItemWidget(IDC_PRESET))) combo->setCurrentIndex(DetectPreset());
    };
    return true;
}

void CSpringValDlg::OnOK() {
    m_Grid.ExchangeData(true);
    m_Support = m_Grid.GetSupport();
    m_nPreset = DetectPreset();
    EndDialog(wl::IDOK);
}
