#include "crane/CraneOperations.h"
#include "dialogs/CranePages.h"

#include <QImage>
#include <QPainter>
#include <QSlider>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "dialogs/CraneDialogs.h"
#include "dialogs/GeneralSettingsDlg.h"
#include "dialogs/VerdictMarks.h"
#include "dialogs/VorvWiz.h"
#include "dialogs/core/ResultPaths.h"
#include "graphics/TreePaths.h"
#include "module/frame/ModuleMessages.h"
#include "platform/lingo/lingo.h"
#include "platform/winsys/winsys.h"
#include "platform/wl/resources.h"
#include "platform/wl/templates.h"
#include "platform/wl/translate.h"
#include "platform/zidezaz/zidezaz.h"

using namespace cranepages;

namespace {

using wl::Kind;

constexpr const char* kSection = "velor_i_rigel";

std::string Tr(const char* area, const std::string& text) {
    return lingo::Translate(rigel::kAppInput, kSection, area, text);
}

std::string Format(const char* format, long n) {
    char text[64];
    std::snprintf(text, sizeof text, format, n);
    return text;
}

// ---- templates ------------------------------------------------------------------------------

std::vector<wl::ControlTemplate> OutputControls() {
    std::vector<wl::ControlTemplate> c;
    const auto& ids = ReportSwitchControls();
    static const char* const texts[55] = {
        "Schnittgrößen", "Spannungen", "Einzelpunkte", "Auflagerkräfte", "N", "Qy", "Qz", "Mx", "My", "Mz", "Mw",
        "Sx", "tau", "Sv", "u", "Ax", "Ay", "Az", "AMx", "AMy", "AMz", "Schnittgrößen", "Spannungen",
        "Verformungen", "N", "Qy", "Qz", "Mx", "My", "Mz", "Mw", "Sx", "tau", "Sv", "u", "Wy", "dWy", "u", "Wz",
        "dWz", "u", "Schnittgrößen", "Spannungen", "N", "Qy", "Qz", "Mx", "My", "Mz", "Mw", "Sx", "tau", "Sv", "u",
        "Detailnachweis"};
    // Three groups side by side: tables in a column, graphics in two columns.
    struct Group {
        const char* title;
        int first, tables, last;
        int x;
    };
    const Group groups[3] = {{"Ergebnisse Tragsicherheit", 0, 4, 20, 7},
                             {"Gebrauchstauglichkeit", 21, 3, 40, 197},
                             {"Ermüdung", 41, 2, 53, 387}};
    int id = 27000;
    for (const Group& g : groups) {
        c.push_back({id++, Kind::GroupBox, g.title, g.x, 7, 183, 200});
        c.push_back({id++, Kind::Static, "Tabellen", g.x + 6, 19, 60, 8});
        for (int i = 0; i < g.tables; ++i)
            c.push_back({ids[size_t(g.first + i)], Kind::CheckBox, texts[g.first + i], g.x + 8, 30 + 12 * i, 80, 10});
        c.push_back({id++, Kind::Static, "Grafiken", g.x + 96, 19, 60, 8});
        for (int i = g.first + g.tables; i <= g.last; ++i) {
            const int k = i - g.first - g.tables;
            c.push_back({ids[size_t(i)], Kind::CheckBox, texts[i], g.x + 98 + 40 * (k / 10), 30 + 12 * (k % 10), 36,
                         10});
        }
    }
    c.push_back({ids[54], Kind::CheckBox, texts[54], 393, 160, 100, 10});
    c.push_back({id++, Kind::GroupBox, "Ausgabesteuerung", 7, 212, 563, 70});
    c.push_back({id++, Kind::Static, "Einzel - Ergebnisse für Kranstellungen als Anhang erzeugen: ", 15, 226, 220, 8});
    c.push_back({id++, Kind::Static, "Kranstellungen:", 15, 240, 60, 8});
    c.push_back({CVaduOutputDlg::IDC_LIST, Kind::Edit, "", 80, 238, 150, 12});
    c.push_back({CVaduOutputDlg::IDC_SHORT, Kind::CheckBox, "Nur Ausnutzungen in Zusammenfassung", 15, 258, 170, 10});
    c.push_back({CVaduOutputDlg::IDC_CREATE, Kind::Button, "Ausgabe erzeugen", 400, 236, 80, 14});
    c.push_back({CVaduOutputDlg::IDC_SETTINGS, Kind::Button, "Einstellungen", 485, 236, 80, 14});
    return c;
}

const wl::TemplateRegistrar kTemplates({
    {26121, "", 580, 330, wl::kDlgChild,
     {
         {27100, Kind::GroupBox, "Vorschrift", 7, 7, 270, 88},
         {CVaduCtrlDlg::IDC_CODE_EN, Kind::Radio, "DIN EN 1993", 15, 22, 100, 10, wl::kGroup},
         {CVaduCtrlDlg::IDC_CODE_NA, Kind::Radio, "DIN EN 1993 / NA", 15, 36, 100, 10},
         {CVaduCtrlDlg::IDC_ANNEX, Kind::Combo, "", 120, 34, 90, 60, wl::kTranslatable, {"Deutschland", "Frankreich"}},
         {CVaduCtrlDlg::IDC_ANNEX_DE_BITMAP, Kind::Picture, "", 220, 30, 30, 20, 0, {}, {}, 545},
         {CVaduCtrlDlg::IDC_ANNEX_FR_BITMAP, Kind::Picture, "", 220, 30, 30, 20, 0, {}, {}, 546},
         {CVaduCtrlDlg::IDC_AUTO_POINTS, Kind::CheckBox, "Lage der Systempunkte automatisch ermitteln", 15, 56, 200,
          10},
         {CVaduCtrlDlg::IDC_MANUAL, Kind::Button, "Handbuch (pdf) öffnen", 15, 74, 100, 14},
         {27101, Kind::GroupBox, "Normsteuerwerte", 7, 102, 270, 70},
         {CVaduCtrlDlg::IDC_ULS, Kind::Button, "Tragsicherheit", 15, 118, 120, 14},
         {CVaduCtrlDlg::IDC_SLS, Kind::Button, "Gebrauchstauglichkeit", 15, 136, 120, 14},
         {CVaduCtrlDlg::IDC_FATIGUE, Kind::Button, "Ermüdung", 15, 154, 120, 14},
         {CVaduCtrlDlg::IDC_GENERAL, Kind::Button, "Allgemeines", 145, 118, 120, 14},
         {27102, Kind::GroupBox, "Ausgabesteuerung", 7, 179, 270, 36},
         {27103, Kind::Static, "Umfangreiche Ausgabeoptionen siehe Kapitel \"Ausgabe\".", 15, 195, 250, 10},
         {CVaduCtrlDlg::IDC_BITMAP_LOGO, Kind::Picture, "", 300, 12, 120, 80, 0, {}, {}, 544},
         {CVaduCtrlDlg::IDC_BITMAP_TOP, Kind::Picture, "", 300, 110, 120, 80, 0, {}, {}, 547},
     }},
    {CVaduSysDlg::IDD, "", 580, 330, wl::kDlgChild,
     {
         {CVaduSysDlg::IDC_SYS_GRID, Kind::Custom, "", 5, 17, 570, 180, 0, {}, "RigelGridCtrl"},
         {CVaduSysDlg::IDC_CRANE_GRID, Kind::Custom, "", 5, 214, 280, 110, 0, {}, "RigelGridCtrl"},
     }},
    {CKranloadDlg::IDD, "", 580, 330, wl::kDlgChild,
     {
         {CKranloadDlg::IDC_GENERAL, Kind::Custom, "", 5, 17, 280, 90, 0, {}, "RigelGridCtrl"},
         {27200, Kind::GroupBox, "Kranstellungen", 295, 12, 275, 95},
         {27201, Kind::Static, "Anzahl Stellungen:", 303, 28, 70, 8},
         {CKranloadDlg::IDC_COUNT, Kind::Static, "", 375, 28, 40, 8},
         {CKranloadDlg::IDC_SLIDER, Kind::Slider, "", 303, 44, 259, 18},
         {CKranloadDlg::IDC_PREV, Kind::Button, "<<", 303, 70, 40, 14},
         {CKranloadDlg::IDC_NEXT, Kind::Button, ">>", 348, 70, 40, 14},
         {CKranloadDlg::IDC_PLAY, Kind::Button, "|>", 393, 70, 40, 14},
         {CKranloadDlg::IDC_STOP, Kind::Button, "[X]", 438, 70, 40, 14},
         {CKranloadDlg::IDC_CRANES, Kind::Custom, "", 5, 117, 570, 100, 0, {}, "RigelGridCtrl"},
     }},
    {CVaduIntegrityGrid::IDD, "", 580, 330, wl::kDlgChild,
     {{CVaduIntegrityGrid::IDC_GRID, Kind::Custom, "", 5, 17, 570, 308, 0, {}, "RigelGridCtrl"}}},
    {CVaduResultDlg::IDD, "", 580, 330, wl::kDlgChild,
     {
         {CVaduResultDlg::IDC_TREE, Kind::Tree, "", 5, 7, 180, 316},
         {CVaduResultDlg::IDC_MESSAGE, Kind::Edit, "", 192, 7, 383, 316, wl::kMultiLine | wl::kReadOnly},
     }},
    {CVaduOutputDlg::IDD, "", 580, 330, wl::kDlgChild, OutputControls()},
    // The crane calculation's progress window.
    {26132, "VK-VADU Berechnung: Fortschrittsanzeige", 240, 82, 0,
     {
         {26172, Kind::Static, "Tragsicherheit S/V (linear)", 7, 7, 226, 10},
         {26173, Kind::Progress, "", 7, 20, 226, 10},
         {26174, Kind::Progress, "", 7, 36, 226, 10},
         {wl::IDCANCEL, Kind::Button, "Berechnung abbrechen", 75, 58, 90, 14},
     }},
});

// The small pictures of the control page: a crane girder with its rail, the
// two annex flags and a crane bridge.
void RegisterCranePictures() {
    static bool done = false;
    if (done) return;
    done = true;
    auto flag = [](QColor a, QColor b, QColor c, bool vertical) {
        QImage img(45, 30, QImage::Format_RGB32);
        QPainter p(&img);
        const QColor colours[3] = {a, b, c};
        for (int i = 0; i < 3; ++i) {
            if (vertical)
                p.fillRect(i * 15, 0, 15, 30, colours[i]);
            else
                p.fillRect(0, i * 10, 45, 10, colours[i]);
        }
        p.setPen(Qt::darkGray);
        p.drawRect(0, 0, 44, 29);
        return img;
    };
    wl::RegisterBitmap(545, flag(QColor(0, 0, 0), QColor(221, 0, 0), QColor(255, 206, 0), false));
    wl::RegisterBitmap(546, flag(QColor(0, 35, 149), QColor(255, 255, 255), QColor(237, 41, 57), true));
    // 544: a girder section (I) with the rail on top; 547: a crane bridge on
    // two runways.
    QImage girder(180, 120, QImage::Format_RGB32);
    girder.fill(QColor(240, 240, 240));
    {
        QPainter p(&girder);
        p.setRenderHint(QPainter::Antialiasing);
        const QColor steel(70, 110, 160);
        p.fillRect(60, 30, 60, 10, steel);   // top flange
        p.fillRect(86, 40, 8, 60, steel);    // web
        p.fillRect(60, 100, 60, 10, steel);  // bottom flange
        p.fillRect(82, 18, 16, 12, QColor(160, 60, 40));  // rail
    }
    wl::RegisterBitmap(544, girder);
    QImage bridge(180, 120, QImage::Format_RGB32);
    bridge.fill(QColor(240, 240, 240));
    {
        QPainter p(&bridge);
        const QColor steel(70, 110, 160);
        p.fillRect(10, 80, 160, 8, steel);                   // runway girder
        p.fillRect(30, 40, 120, 10, QColor(220, 170, 30));   // bridge
        p.fillRect(30, 50, 10, 30, QColor(220, 170, 30));
        p.fillRect(140, 50, 10, 30, QColor(220, 170, 30));
        p.fillRect(80, 50, 20, 12, QColor(90, 90, 90));      // trolley
        p.setPen(QPen(QColor(60, 60, 60), 2));
        p.drawLine(90, 62, 90, 75);
    }
    wl::RegisterBitmap(547, bridge);
}

void RedrawSketch(CModuleData* data) {
    if (data) data->DrawSystem2D(0);
}

}  // namespace

// ---- control values ---------------------------------------------------------------------------

CVaduCtrlDlg::CVaduCtrlDlg() : CMainPage(26121, PAGE_CONTROL) { RegisterCranePictures(); }

bool CVaduCtrlDlg::OnInitDialog() {
    wl::Dialog::OnInitDialog();
    LINGO_HWNDTranslate(this, rigel::kAppInput, kSection, "vaduCtrlDlg");
    MapNotify(IDC_ANNEX, wl::CBN_SELCHANGE, [this](const wl::Notify&) -> std::intptr_t {
        OnAnnexChanged();
        return 0;
    });
    MapCommand(IDC_AUTO_POINTS, [this] { OnAutoPoints(); });
    MapCommand(IDC_ULS, [this] { OnSettings(MODE_ULS); });
    MapCommand(IDC_SLS, [this] { OnSettings(MODE_SLS); });
    MapCommand(IDC_FATIGUE, [this] { OnSettings(MODE_FATIGUE); });
    MapCommand(IDC_GENERAL, [this] { CGeneralSettingsDlg::RunOn(m_pData); });
    MapCommand(IDC_MANUAL, [] { OpenCraneManual(); });
    return true;
}

void CVaduCtrlDlg::DoDataExchange(wl::DataExchange& dx) {
    wl::DDX_Radio(dx, IDC_CODE_EN, m_nCode);
    wl::DDX_Check(dx, IDC_AUTO_POINTS, m_bAutoPoints);
    wl::DDX_CBIndex(dx, IDC_ANNEX, m_nAnnex);
}

void CVaduCtrlDlg::ExchangeData(bool save) {
    if (!m_pData || !IsWindow()) return;
    if (save) {
        UpdateData(true);
        m_pData->m_craneSettings.m_autoPOI = m_bAutoPoints;
        m_pData->m_info.m_nCountryCode = m_nAnnex;
        return;
    }
    m_nCode = 1;
    m_bAutoPoints = m_pData->m_craneSettings.m_autoPOI;
    m_nAnnex = m_pData->m_info.m_nCountryCode;
    UpdateData(false);
    if (wl::Window* w = GetDlgItem(IDC_CODE_EN)) w->EnableWindow(false);
    if (wl::Window* w = GetDlgItem(IDC_ANNEX_DE_BITMAP)) w->ShowWindow(m_nAnnex == 0 ? wl::SW_SHOW : wl::SW_HIDE);
    if (wl::Window* w = GetDlgItem(IDC_ANNEX_FR_BITMAP)) w->ShowWindow(m_nAnnex == 1 ? wl::SW_SHOW : wl::SW_HIDE);
}

void CVaduCtrlDlg::OnAnnexChanged() {
    ExchangeData(true);
    ExchangeData(false);
    if (m_pData) m_pData->ClearInputFingerprint();
}

void CVaduCtrlDlg::OnAutoPoints() {
    ExchangeData(true);
    if (!m_pData) return;
    if (!m_bAutoPoints) {
        winsys::MessageBox(Tr("vaduCtrlDlg", "Prüfen Sie bitte die Lage der Systempunkte im Kapitel 'Ermüdung'."),
                           "", winsys::Buttons::Ok, winsys::Icon::None);
        return;
    }
    CalcCraneLocalEffects(*m_pData);
    m_pData->GetSectionPlates();
}

void CVaduCtrlDlg::OnSettings(int mode) {
    if (!m_pData) return;
    CCraneSettingsDlg dlg(mode, &m_pData->m_craneSettings, m_pData);
    dlg.DoModal();
}

// ---- system ---------------------------------------------------------------------------------

CVaduSysGrid::CVaduSysGrid() { SetGroupHeaderStrip(true); }

void CVaduSysGrid::InitGrid() {
    CCraneSettings& s = m_pData ? m_pData->m_craneSettings : m_dummy;
    auto t = [](const char* text) { return Tr("vaduSysGrid", text); };
    SetTitle(t("Allgemeine Angaben"));
    AddComboField(t("Krantyp"), &s.m_craneTyp, {t("Laufkran"), t("Unterflanschkran")});
    AddCheckField(t("Hängekran als 2-Trägersystem"), &s.m_bSecondBeam);
    AddFormulaField(t("Trägerabstand"), &s.m_craneBeamDist, "%.2lf m");
    AddFormulaField(t("Abstand Lastangriff/Aussenkante"), &s.m_loadDistOnBottomFlange, "%.2lf cm");
    AddFormulaField(t("Pufferabstand links"), &s.m_craneLeftOffset, "%.2lf m");
    AddFormulaField(t("Pufferabstand rechts"), &s.m_craneRightOffset, "%.2lf m");
    AddDisplayField(t("Schiene"), &m_strRail);
    CParamGridCtrl::InitGrid();
}

bool CVaduSysGrid::ExchangeData(bool save) {
    if (!m_pData) return false;
    if (save) {
        // The rail row only shows its text.
        const CGridCellId rail = ValueCell(SYS_RAIL);
        const std::string shown = GetItemText(rail.row, rail.col);
        CParamGridCtrl::ExchangeData(true);
        m_strRail = shown;
        return true;
    }
    m_strRail = RailDescription(m_pData->m_rail);
    CParamGridCtrl::ExchangeData(false);
    UpdateRows();
    return true;
}

void CVaduSysGrid::UpdateRows() {
    const CGridCellId type = ValueCell(SYS_CRANE_TYPE), check = ValueCell(SYS_TWO_GIRDERS);
    const int t = GetComboCellIndex(type.row, type.col);
    const SysRows rows = CraneSysRows(t, GetCheckCell(check.row, check.col),
                                      m_pData ? m_pData->m_craneSettings.m_autoPOI : 0);
    if (rows.setTwoGirders) SetCheckCell(check.row, check.col, 1);
    for (int row = 0; row < kSysRows; ++row) ShowRow(row, rows.shown[size_t(row)]);
    Refresh();
}

void CVaduSysGrid::OnComboCellSelChanged(int row, int /*col*/, int /*index*/) {
    if (row != SYS_CRANE_TYPE) return;
    UpdateRows();
    if (m_pData) m_pData->UpdateViews(0);
}

void CVaduSysGrid::OnCheckCellClicked(int /*row*/, int /*col*/) { UpdateRows(); }

void CVaduSysGrid::OnButtonCellClicked(int row, int /*col*/) {
    if (row != SYS_RAIL || !m_pData) return;
    ExchangeData(true);
    CVaduRailDlg dlg(m_pData);
    dlg.DoModal();
    ExchangeData(false);
    Refresh();
    m_pData->UpdateViews(0);
}

void CVaduSysDlg::SetModuleData(CModuleData* data) {
    CMainPage::SetModuleData(data);
    m_sysGrid.SetModuleData(data);
    m_craneGrid.SetModuleData(data);
}

bool CVaduSysDlg::OnInitDialog() {
    wl::Dialog::OnInitDialog();
    LINGO_HWNDTranslate(this, rigel::kAppInput, kSection, "vaduSysDlg");
    wl::DataExchange dx(*this, false);
    wl::DDX_Control(dx, IDC_SYS_GRID, m_sysGrid);
    wl::DDX_Control(dx, IDC_CRANE_GRID, m_craneGrid);
    m_sysGrid.InitGrid();
    m_craneGrid.InitGrid();
    m_craneGrid.SetColumnRelWidth(0, 60);
    m_craneGrid.SetColumnRelWidth(1, 40);
    const wl::Rect c = GetClientRect();
    OnSize(wl::SIZE_RESTORED, c.Width(), c.Height());
    return true;
}

void CVaduSysDlg::OnSize(unsigned type, int cx, int cy) {
    wl::Dialog::OnSize(type, cx, cy);
    if (!m_sysGrid.IsWindow()) return;
    if (m_resizer.GetCount() == 0) {
        wl::Rect sys, crane;
        GetChildRectInParent(this, &m_sysGrid, sys);
        GetChildRectInParent(this, &m_craneGrid, crane);
        const int h = m_sysGrid.GetGroupHeaderHeight();
        // The crane grid keeps its size at the page's foot; the system grid
        // takes the room above it, so that the page uses its full height.
        const int m = sys.left;
        const int gap = std::max(0, crane.top - sys.bottom);
        m_resizer.AddControl(&m_sysGrid, 0, 0, 100, 100, sys.left, std::max(h, sys.top), -sys.left,
                             -(m + crane.Height() + gap));
        m_resizer.AddControl(&m_craneGrid, 0, 100, 0, 100, crane.left, -(m + crane.Height()), crane.right, -m);
    }
    m_resizer.Layout(GetClientRect());
    if (m_craneGrid.IsWindow()) m_craneGrid.FitColumnsToWidth();
}

void CVaduSysDlg::ExchangeData(bool save) {
    if (!m_pData || !IsWindow()) return;
    if (!save) {
        m_sysGrid.LoadFromData();
        m_craneGrid.ExchangeData(false);
        UpdateData(false);
        return;
    }
    m_sysGrid.ExchangeData(true);
    m_craneGrid.ExchangeData(true);
    CalcCraneLocalEffects(*m_pData);
    if (reloadPoints) reloadPoints();
    UpdateData(true);
}

// ---- loads ------------------------------------------------------------------------------------

CKranloadGeneralGrid::CKranloadGeneralGrid() { SetGroupHeaderStrip(true); }

void CKranloadGeneralGrid::AddFields() {
    if (!m_pData || !m_pPage) return;
    auto t = [](const char* text) { return Tr("kranloadDlg", text); };
    CCraneSettings& s = m_pData->m_craneSettings;
    SetTitle(t("Allgemeine Angaben"));
    AddComboField(t("Anzahl Kräne"), &m_pPage->m_nCraneIndex, {"1", "2", "3"});
    AddFormulaField(t("Kranstellungen alle"), &s.m_craneMaxDist, "%.2lf m");
    AddFormulaField(t("Zus.Eigengewicht"), &s.m_craneAddLoad, "%.2lf kN/m");
    AddDisplayField(t("Vorverformung"), &m_pPage->m_strImperfection);
    AddFormulaField(t("Hor. Exzentrizität"), &s.m_loadEcc, "%.2lf");
}

void CKranloadGeneralGrid::OnCellValueChanged(int row, int col, int /*kind*/) {
    if (!m_pData || !m_pPage || (row != 1 && row != 4)) return;
    CFormulaValue& stored = row == 1 ? m_pData->m_craneSettings.m_craneMaxDist : m_pData->m_craneSettings.m_loadEcc;
    const CFormulaValue cell = GetFormulaCell(row, col);
    // The same value with the same text changes nothing.
    if (cell.GetValue() == stored.GetValue() && cell.IsPlain() == stored.IsPlain() &&
        cell.GetText() == stored.GetText())
        return;
    m_pPage->ExchangeData(true);
    if (row == 1) {
        m_pPage->ExchangeData(false);
    } else {
        m_pData->UpdateViews(0);
    }
}

void CKranloadGeneralGrid::OnButtonCellClicked(int row, int /*col*/) {
    if (row != 3 || !m_pData || !m_pPage) return;
    // The crane runway takes a bow affine to the buckling mode only.
    if (CVorvWiz::RunOnPosition(*m_pData, /*bowOnly=*/true) == wl::IDOK) {
        m_pPage->ExchangeData(false);
        Refresh();
    }
}

void CKranloadGeneralGrid::OnComboCellSelChanged(int row, int /*col*/, int index) {
    if (row != 0 || !m_pData || !m_pPage) return;
    m_pPage->ExchangeData(true);
    SetCraneCount(m_pData->m_cranes, index + 1);
    m_pPage->ExchangeData(false);
    m_pData->UpdateViews(0);
}

void CKranloadGrid::InitGrid() {
    Setup(1, 7, 1, 0);
    const int widths[7] = {20, 0, 5, 10, 10, 10, 10};
    for (int c = 0; c < 7; ++c) SetColumnRelWidth(c, widths[c]);
    const char* heads[7] = {"Bezeichnung", "", "Achsen", "Hubklasse", "Beanspr.Gruppe", "Radlasten", "Lastgruppen"};
    for (int c = 0; c < 7; ++c)
        if (*heads[c]) SetCenteredText(0, c, Tr("kranloadGrid", heads[c]));
    SetColumnVisible(1, false, false);
    FitColumnsToWidth();
}

void CKranloadGrid::InitRow(int row) {
    if (row < 1) return;
    SetCellType(row, COL_NAME, KIND_TEXT);
    SetCellType(row, COL_AXLES, KIND_INT);
    SetCellType(row, COL_LIFT, KIND_COMBO_INDEX);
    SetComboCellChoices(row, COL_LIFT, {"HC1", "HC2", "HC3", "HC4"});
    SetCellType(row, COL_GROUP, KIND_COMBO_INDEX);
    SetComboCellChoices(row, COL_GROUP, {"S0", "S1", "S2", "S3", "S4", "S5", "S6", "S7", "S8", "S9"});
    SetCellType(row, COL_LOADS, KIND_BUTTON);
    SetButtonCellText(row, COL_LOADS, Tr("kranloadGrid", "Lastangaben"));
    SetCellType(row, COL_GROUPS, KIND_BUTTON);
    SetButtonCellText(row, COL_GROUPS, Tr("kranloadGrid", "Lastgruppen"));
}

bool CKranloadGrid::ExchangeData(bool save) {
    if (!m_pData) return false;
    std::vector<CCrane>& cranes = m_pData->m_cranes;
    if (!save) {
        SetRowCount(1);
        SetRowCount(int(cranes.size()) + 1);
        for (size_t i = 0; i < cranes.size(); ++i) {
            const int row = int(i) + 1;
            SetTextCell(row, COL_NAME, cranes[i].m_strDesc);
            SetIntCell(row, COL_AXLES, cranes[i].m_numOfAxis);
            SetComboCellIndex(row, COL_LIFT, cranes[i].m_hubKlasse);
            SetComboCellIndex(row, COL_GROUP, cranes[i].m_BGruppe);
        }
        Refresh();
        return true;
    }
    for (size_t i = 0; i < cranes.size() && int(i) + 1 < GetRowCount(); ++i) {
        const int row = int(i) + 1;
        CCrane& c = cranes[i];
        c.m_strDesc = GetTextCell(row, COL_NAME);
        c.m_numOfAxis = AxleCount(GetIntCell(row, COL_AXLES));
        c.SetAxisCount();
        const int lift = GetComboCellIndex(row, COL_LIFT);
        if (lift >= 0) c.m_hubKlasse = lift;
        const int group = GetComboCellIndex(row, COL_GROUP);
        if (group >= 0) c.m_BGruppe = group;
        c.GenerateLoads();
    }
    return true;
}

void CKranloadGrid::OnButtonCellClicked(int row, int col) {
    if (!m_pData || row < 1 || row > int(m_pData->m_cranes.size())) return;
    ExchangeData(true);
    std::vector<CCrane>& cranes = m_pData->m_cranes;
    CCrane& crane = cranes[size_t(row - 1)];
    if (col == COL_LOADS) {
        const CCrane& previous = cranes[size_t(row >= 2 ? row - 2 : 0)];
        CVaduEditDlg dlg(crane, previous, m_pData, cranes.size() >= 2 && row != 1);
        if (dlg.DoModal() == wl::IDOK) {
            crane = dlg.Crane();
            crane.GenerateLoads();
        }
    } else if (col == COL_GROUPS) {
        crane.GenerateLoads();
        CKranloadGroupsDlg dlg(crane, m_pData, row - 1);
        if (dlg.DoModal() == wl::IDOK) {
            crane = dlg.Crane();
            crane.GenerateLoads();
        }
    } else {
        return;
    }
    if (m_pPage) m_pPage->ExchangeData(false);
    m_pData->UpdateViews(0);
}

CKranloadDlg::CKranloadDlg() : CMainPage(IDD, PAGE_LOADS) {}

CKranloadDlg::~CKranloadDlg() { KillPlayer(); }

void CKranloadDlg::SetModuleData(CModuleData* data) {
    CMainPage::SetModuleData(data);
    m_general.Set(data, this);
    m_cranes.Set(data, this);
}

bool CKranloadDlg::OnInitDialog() {
    wl::Dialog::OnInitDialog();
    LINGO_HWNDTranslate(this, rigel::kAppInput, kSection, "kranloadDlg");
    wl::DataExchange dx(*this, false);
    wl::DDX_Control(dx, IDC_GENERAL, m_general);
    wl::DDX_Control(dx, IDC_CRANES, m_cranes);
    m_general.AddFields();
    m_general.InitGrid();
    m_general.SetColumnRelWidth(0, 60);
    m_general.SetColumnRelWidth(1, 40);
    m_general.FitColumnsToWidth();
    m_cranes.InitGrid();
    MapNotify(IDC_SLIDER, wl::TRBN_THUMBPOSCHANGING, [this](const wl::Notify& n) -> std::intptr_t {
        if (!m_bLoading) OnSlider(n.pos);
        return 0;
    });
    MapCommand(IDC_NEXT, [this] { OnStep(1); });
    MapCommand(IDC_PREV, [this] { OnStep(-1); });
    MapCommand(IDC_PLAY, [this] { OnPlay(); });
    MapCommand(IDC_STOP, [this] { OnStopButton(); });
    m_generalBlock = CControlBlock::FromTemplate(*this, IDD, 0, 0, 290, 112);
    m_playerBlock = CControlBlock::FromTemplate(*this, IDD, 290, 0, 290, 112);
    const wl::Rect c = GetClientRect();
    OnSize(wl::SIZE_RESTORED, c.Width(), c.Height());
    ExchangeData(false);
    return true;
}

void CKranloadDlg::OnSize(unsigned type, int cx, int cy) {
    wl::Dialog::OnSize(type, cx, cy);
    if (m_generalBlock.IsEmpty() || !m_cranes.IsWindow()) return;
    const wl::Rect c = GetClientRect();
    if (c.Width() <= 0 || c.Height() <= 0) return;
    const int m = m_generalBlock.Template().left;
    const int gap = wl::DluToPixelX(10);
    const int top = std::min(m_generalBlock.Template().top, m_playerBlock.Template().top);
    const int bottom = FlowBlocks({&m_generalBlock, &m_playerBlock}, m, top, c.right - m, gap);
    // The crane table below both, down to the page's foot.
    const int tableTop = bottom + wl::DluToPixelY(10);
    m_cranes.MoveWindow(m, tableTop, std::max(0, c.Width() - 2 * m), std::max(wl::DluToPixelY(40), c.bottom - m - tableTop));
    m_cranes.FitColumnsToWidth();
}

void CKranloadDlg::DoDataExchange(wl::DataExchange& dx) { wl::DDX_Slider(dx, IDC_SLIDER, m_nSliderPos); }

int CKranloadDlg::SliderMax() const {
    if (auto* s = dynamic_cast<QSlider*>(GetDlgItemWidget(IDC_SLIDER))) return s->maximum();
    return -1;
}

void CKranloadDlg::SetCaption() {
    m_player.SetPosition(m_nSliderPos);
    if (wl::Window* w = GetDlgItem(IDC_STOP)) w->SetWindowText(Format("[%ld]", m_nSliderPos + 1));
}

void CKranloadDlg::ExchangeData(bool save) {
    if (!m_pData || !IsWindow()) return;
    if (save) {
        UpdateData(true);
        m_general.ExchangeData(true);
        m_cranes.ExchangeData(true);
        return;
    }
    m_bLoading = true;
    const CGridCellId count = m_general.ValueCell(0);
    m_general.EnableCell(count.row, count.col, true);
    m_general.Refresh();
    const int cranes = int(m_pData->m_cranes.size());
    m_nCraneIndex = std::max(0, cranes - 1);
    m_pData->GenerateCranePositions();
    const int n = cranes > 0 ? int(m_pData->m_cranePositions.size()) / cranes : 0;
    m_player.SetCount(n);
    m_strCount = Format("%ld", n);
    SetDlgItemText(IDC_COUNT, m_strCount);
    if (auto* s = dynamic_cast<QSlider*>(GetDlgItemWidget(IDC_SLIDER))) s->setRange(0, m_player.SliderMax());
    m_nSliderPos = m_player.Clamp(m_nSliderPos);
    char text[64];
    // A crane position keeps the bow affine to the buckling mode (what the
    // imperfection aid writes): its amplitude is the record's eccentricity.
    std::snprintf(text, sizeof text, "%.1lf cm", m_pData->m_vorvSettings.m_ausmitte);
    m_strImperfection = text;
    UpdateData(false);
    m_general.ExchangeData(false);
    m_cranes.ExchangeData(false);
    SetCaption();
    m_bLoading = false;
}

void CKranloadDlg::OnSlider(int pos) {
    if (!m_pData) return;
    m_nSliderPos = m_player.Clamp(pos);
    m_pData->m_nCurCranePos = m_nSliderPos;
    m_pData->SetCurrentCranePosition();
    m_pData->UpdateViews(0);
    SetCaption();
}

void CKranloadDlg::OnStep(int delta) {
    if (!m_pData) return;
    m_pData->m_nCurCranePos += delta;
    m_pData->SetCurrentCranePosition();
    m_pData->m_nCurCranePos = m_player.Clamp(m_pData->m_nCurCranePos);
    m_pData->UpdateViews(0);
    m_nSliderPos = m_pData->m_nCurCranePos;
    m_bLoading = true;
    UpdateData(false);
    m_bLoading = false;
    SetCaption();
}

void CKranloadDlg::OnPlay() {
    if (m_nTimer != 0 || !m_pData) return;
    m_pData->m_nCurCranePos = 0;
    m_nSliderPos = 0;
    if (!m_player.Play()) return;  // nothing to play
    m_nTimer = SetTimer(kTimer, 200);
}

void CKranloadDlg::OnPlayerTimer() {
    if (m_nTimer == 0) return;
    m_player.SetPosition(m_nSliderPos);
    if (!m_player.Tick()) {
        KillPlayer();
        return;
    }
    OnStep(1);
}

void CKranloadDlg::OnTimer(unsigned id) {
    if (id == kTimer) OnPlayerTimer();
    CMainPage::OnTimer(id);
}

void CKranloadDlg::KillPlayer() {
    if (m_nTimer != 0 && IsWindow()) KillTimer(kTimer);
    m_nTimer = 0;
    m_player.Stop();
}

void CKranloadDlg::OnStopButton() { KillPlayer(); }

void CKranloadDlg::OnDestroy() {
    KillPlayer();
    CMainPage::OnDestroy();
}

// ---- notch cases ------------------------------------------------------------------------------

CKerbfallGrid::CKerbfallGrid() {
    for (int c : DetailCategories()) m_categories.push_back(Format("%ld", c));
    auto t = [](const char* text) { return Tr("KerbfallGrid", text); };
    m_stressTypes = {t("Längsspannung"), t("Schubspannung"), t("Hauptspannung")};
    m_geometries = {t("Durchgängig"), t("Einzelpunkt"), t("Schweißnaht")};
}

void CKerbfallGrid::InitGrid() {
    Setup(2, kColumns, 1, 1);
    const int widths[kColumns] = {0, 5, 20, 10, 10, 10, 5, 5, 5, 5, 5, 10};
    for (int c = 0; c < kColumns; ++c) SetColumnRelWidth(c, widths[c]);
    const char* heads[kColumns] = {"",     "Rechnen?", "Bezeichnung", "Kerbfall",   "Spannungstyp",  "Geometrie",
                                   "x =", "Blech-Nr", "Idx(0..1)",   "Blechdicke", "Nahtdicken", "Kerbfall(Naht)"};
    for (int c = 1; c < kColumns; ++c) SetCenteredText(0, c, Tr("KerbfallGrid", heads[c]));
    InitRow(1);
    FitColumnsToWidth();
}

void CKerbfallGrid::InitRow(int row) {
    if (row < 1) return;
    SetCellType(row, COL_CALC, KIND_CHECK);
    SetCellType(row, COL_NAME, KIND_TEXT);
    SetCellType(row, COL_CATEGORY, KIND_COMBO_INDEX);
    SetComboCellChoices(row, COL_CATEGORY, m_categories);
    SetCellType(row, COL_STRESS, KIND_COMBO_INDEX);
    SetComboCellChoices(row, COL_STRESS, m_stressTypes);
    SetCellType(row, COL_GEOMETRY, KIND_COMBO_INDEX);
    SetComboCellChoices(row, COL_GEOMETRY, m_geometries);
    SetCellType(row, COL_X, KIND_FORMULA);
    SetNumberCellFormat(row, COL_X, "%lf", "%.2lf m", 1.0);
    SetCellType(row, COL_PLATE, KIND_COMBO_INDEX);
    SetComboCellChoices(row, COL_PLATE, m_plateNumbers);
    SetCellType(row, COL_PLACE, KIND_FORMULA);
    SetNumberCellFormat(row, COL_PLACE, "%lf", "%.2lf", 1.0);
    SetCellType(row, COL_THICKNESS, KIND_DOUBLE);
    SetNumberCellFormat(row, COL_THICKNESS, "%lf", "%.1lf mm", 1.0);
    SetCellReadOnly(row, COL_THICKNESS, true);
    SetCellType(row, COL_WELD, KIND_FORMULA);
    SetNumberCellFormat(row, COL_WELD, "%lf", "%.1lf mm", 1.0);
    SetCellType(row, COL_WELD_CATEGORY, KIND_COMBO_INDEX);
    SetComboCellChoices(row, COL_WELD_CATEGORY, m_categories);
}

std::vector<SektTqe> CKerbfallGrid::Plates() const {
    std::vector<SektTqe> plates;
    if (!m_pData || m_pData->m_sections.empty()) return plates;
    CSectProfile& p = m_pData->m_sections[0].m_profile;
    const int n = p.IsValid() ? p.GetEffValueCount() : 0;
    if (n <= 0) return plates;
    plates.resize(size_t(n));
    p.GetEffValues(plates.data(), n);
    return plates;
}

void CKerbfallGrid::FillRow(int row) {
    const CNotchCase& n = m_cases[size_t(row - 1)];
    SetCheckCell(row, COL_CALC, n.m_bActiv);
    SetTextCell(row, COL_NAME, n.m_strName);
    SetComboCellIndex(row, COL_CATEGORY, n.m_iKerbGruppe);
    SetComboCellIndex(row, COL_STRESS, n.m_iSpTyp);
    SetComboCellIndex(row, COL_GEOMETRY, n.m_geomType);
    SetFormulaCell(row, COL_X, n.m_xPos);
    SetComboCellIndex(row, COL_PLATE, n.m_tqe);
    SetFormulaCell(row, COL_PLACE, n.m_idx);
    SetFormulaCell(row, COL_WELD, n.m_tWeld);
    SetComboCellIndex(row, COL_WELD_CATEGORY, n.m_iKerbGruppeW);
}

void CKerbfallGrid::ReadRow(int row, CNotchCase& n) {
    // Cells that are disabled (blanked) keep the record's value.
    auto enabled = [&](int col) { return IsCellEnabled(row, col); };
    n.m_bActiv = GetCheckCell(row, COL_CALC);
    if (enabled(COL_NAME)) n.m_strName = GetTextCell(row, COL_NAME);
    const int category = GetComboCellIndex(row, COL_CATEGORY);
    if (category >= 0) n.m_iKerbGruppe = category;
    const int stress = GetComboCellIndex(row, COL_STRESS);
    if (stress >= 0) n.m_iSpTyp = stress;
    const int geometry = GetComboCellIndex(row, COL_GEOMETRY);
    if (geometry >= 0 && enabled(COL_GEOMETRY)) n.m_geomType = geometry;
    if (enabled(COL_X)) n.m_xPos = GetFormulaCell(row, COL_X);
    if (enabled(COL_PLATE)) {
        const int plate = GetComboCellIndex(row, COL_PLATE);
        if (plate >= 0) n.m_tqe = plate;
    }
    if (enabled(COL_PLACE)) n.m_idx = GetFormulaCell(row, COL_PLACE);
    if (enabled(COL_WELD)) n.m_tWeld = GetFormulaCell(row, COL_WELD);
    if (enabled(COL_WELD_CATEGORY)) {
        const int weld = GetComboCellIndex(row, COL_WELD_CATEGORY);
        if (weld >= 0) n.m_iKerbGruppeW = weld;
    }
}

bool CKerbfallGrid::ExchangeData(bool save) {
    if (!m_pData) return false;
    if (save) {
        if (m_bBusy || int(m_cases.size()) + 2 != GetRowCount()) return false;
        for (size_t i = 0; i < m_cases.size(); ++i) ReadRow(int(i) + 1, m_cases[i]);
        m_pData->m_notchCases = m_cases;
        return true;
    }
    if (m_pData->m_sections.empty()) return false;
    m_bBusy = true;
    m_cases = m_pData->m_notchCases;
    m_plateNumbers.clear();
    const int plates = PlateCount(Plates());
    for (int i = 1; i <= plates; ++i) m_plateNumbers.push_back(Format("%ld", i));
    SetRowCount(1);
    SetRowCount(int(m_cases.size()) + 2);
    for (int row = 1; row < GetRowCount(); ++row) SetComboCellChoices(row, COL_PLATE, m_plateNumbers);
    for (size_t i = 0; i < m_cases.size(); ++i) FillRow(int(i) + 1);
    // The empty last row: only a name or a category makes a record.
    const int last = int(m_cases.size()) + 1;
    for (int col = COL_CALC; col < kColumns; ++col) {
        SetItemText(last, col, {});
        if (col != COL_NAME && col != COL_CATEGORY) EnableCell(last, col, false);
    }
    SetColumnVisible(COL_WELD, true, false);
    SetColumnVisible(COL_WELD_CATEGORY, true, false);
    ClearContextMenuItems();
    if (!m_cases.empty()) {
        const CGridCellRange rows(1, 0, int(m_cases.size()), kColumns);
        AddContextMenuItem(rows, Tr("KerbfallGrid", "Kerbfall löschen"), CMD_DELETE);
        AddContextMenuItem(rows, Tr("KerbfallGrid", "Kerbfall kopieren"), CMD_COPY);
    }
    m_bBusy = false;
    UpdateComputedCells();
    FitColumnsToWidth();
    return true;
}

void CKerbfallGrid::UpdateComputedCells() {
    if (!m_pData) return;
    const std::vector<SektTqe> plates = Plates();
    const int autoPoints = m_pData->m_craneSettings.m_autoPOI;
    for (size_t i = 0; i < m_cases.size() && int(i) + 1 < GetRowCount(); ++i) {
        const int row = int(i) + 1;
        CNotchCase& n = m_cases[i];
        if (UpdatePlateThickness(n, plates) && i < m_pData->m_notchCases.size())
            m_pData->m_notchCases[i].m_thickness = n.m_thickness;
        SetDoubleCell(row, COL_THICKNESS, n.m_thickness.GetValue());
        SetCellReadOnly(row, COL_THICKNESS, true);
        const NotchCells cells = NotchCellStates(n, autoPoints);
        SetCellReadOnly(row, COL_NAME, cells.nameReadOnly);
        SetCellReadOnly(row, COL_GEOMETRY, cells.geometryReadOnly);
        EnableCellAndBlank(row, COL_X, cells.xEnabled, true);
        if (cells.xEnabled) SetFormulaCell(row, COL_X, n.m_xPos);
        SetCellReadOnly(row, COL_PLATE, cells.plateReadOnly);
        SetCellReadOnly(row, COL_PLACE, cells.plateReadOnly);
        EnableCellAndBlank(row, COL_WELD, cells.weldEnabled, true);
        EnableCellAndBlank(row, COL_WELD_CATEGORY, cells.weldEnabled, true);
        if (cells.weldEnabled) {
            SetFormulaCell(row, COL_WELD, n.m_tWeld);
            SetComboCellIndex(row, COL_WELD_CATEGORY, n.m_iKerbGruppeW);
        }
    }
    Refresh();
    RedrawSketch(m_pData);
}

void CKerbfallGrid::Changed(int row, int col) {
    if (m_bBusy || !m_pData) return;
    const int last = int(m_cases.size()) + 1;
    if (row == last && (col == COL_NAME || col == COL_CATEGORY)) {
        // A name or a category in the empty row appends a record.
        const std::string name = GetTextCell(row, COL_NAME);
        const int category = GetComboCellIndex(row, COL_CATEGORY);
        if (col == COL_NAME && name.empty()) return;
        ExchangeData(true);
        CNotchCase n = AppendedNotchCase(m_pData->m_notchCases);
        if (col == COL_NAME) n.m_strName = name;
        if (category >= 0) n.m_iKerbGruppe = category;
        m_pData->m_notchCases.push_back(n);
        ExchangeData(false);
        return;
    }
    if (row < 1 || row >= last) return;
    ExchangeData(true);
    UpdateComputedCells();
}

void CKerbfallGrid::OnCheckCellClicked(int row, int col) { Changed(row, col); }
void CKerbfallGrid::OnComboCellSelChanged(int row, int col, int /*index*/) { Changed(row, col); }
void CKerbfallGrid::OnCellValueChanged(int row, int col, int /*kind*/) { Changed(row, col); }

void CKerbfallGrid::OnContextMenuCommand(int row, int /*col*/, int id) {
    if (!m_pData || row < 1 || row > int(m_pData->m_notchCases.size())) return;
    ExchangeData(true);
    auto& list = m_pData->m_notchCases;
    const size_t i = size_t(row - 1);
    if (id == CMD_DELETE) {
        list.erase(list.begin() + std::ptrdiff_t(i));
    } else if (id == CMD_COPY) {
        const CNotchCase copy = list[i];
        list.insert(list.begin() + std::ptrdiff_t(i) + 1, copy);
    } else {
        return;
    }
    ExchangeData(false);
}

void CVaduIntegrityGrid::SetModuleData(CModuleData* data) {
    CMainPage::SetModuleData(data);
    m_grid.SetModuleData(data);
}

void CVaduIntegrityGrid::InitPageGrid() {
    LINGO_HWNDTranslate(this, rigel::kAppInput, kSection, "vaduIntegrityGrid");
    m_grid.InitGrid();
    m_grid.ExchangeData(false);
}

void CVaduIntegrityGrid::ExchangeData(bool save) {
    if (!IsWindow()) return;
    m_grid.ExchangeData(save);
}

// ---- results ----------------------------------------------------------------------------------

bool CVaduResultDlg::OnInitDialog() {
    wl::Dialog::OnInitDialog();
    LINGO_HWNDTranslate(this, rigel::kAppInput, kSection, "vaduResultDlg");
    wl::DataExchange dx(*this, false);
    wl::DDX_Control(dx, IDC_TREE, m_tree);
    MapNotify(IDC_TREE, wl::TVN_SELCHANGED, [this](const wl::Notify&) -> std::intptr_t {
        OnSelectionChanged();
        return 0;
    });
    const wl::Rect c = GetClientRect();
    OnSize(wl::SIZE_RESTORED, c.Width(), c.Height());
    return true;
}

void CVaduResultDlg::OnSize(unsigned type, int cx, int cy) {
    CMainPage::OnSize(type, cx, cy);
    wl::Window* text = GetDlgItem(IDC_MESSAGE);
    if (!m_tree.IsWindow() || !text) return;
    if (m_resizer.GetCount() == 0) {
        wl::Rect r;
        GetChildRectInParent(this, &m_tree, r);
        const int m = r.top;
        m_resizer.AddControl(&m_tree, 0, 0, 33, 100, m, m, -m / 2, -m);
        m_resizer.AddControl(text, 33, 0, 100, 100, m / 2, m, -m, -m);
    }
    m_resizer.Layout(GetClientRect());
}

void CVaduResultDlg::DoDataExchange(wl::DataExchange& dx) { wl::DDX_Text(dx, IDC_MESSAGE, m_strMessage); }

void CVaduResultDlg::ExchangeData(bool save) {
    if (!m_pData || !IsWindow()) return;
    if (save) {
        UpdateData(true);
        return;
    }
    m_tree.DeleteAllItems();
    if (ShowsStaleResults()) {
        // Results of other input (the input changed after the calculation,
        // or the calculation was refused or stopped): the page says that the
        // position must be calculated again and shows nothing of them, nor
        // does the sketch. Why the last calculation stopped is no result
        // and stays readable below.
        m_strMessage = CBaseData::StaleResultsText();
        const ZVELEM result = ZEVUD_FindFirstChild(ZEVUD_GetRootElement(m_pData->m_hDoc), "result");
        const std::string why = ZEVUD_GetIntWithDefault(result, "abbruch", 0) != 0
                                    ? zevud::GetString(result, "errorMsg")
                                    : std::string();
        if (!why.empty()) m_strMessage += "\r\n\r\n" + why;
        UpdateData(false);
        if (m_pData->m_nCurrentIndex != -1) {
            m_pData->m_nCurrentIndex = -1;
            m_pData->DrawSystem2D(0);
        }
        return;
    }
    // The console's verdict, then the check summary as a table whose
    // columns line up in a fixed-pitch font.
    const std::string verdict = m_pData->m_resultSets.empty() ? std::string() : ResultVerdictText(*m_pData);
    m_strMessage = (verdict.empty() ? std::string() : verdict + "\r\n") + AlignSummaryColumns(m_pData->m_strMessage);
    UseFixedPitch(*this, IDC_MESSAGE);
    UpdateData(false);
    MarkUnfulfilledLines(*this, IDC_MESSAGE, m_strMessage);
    FillTree();
}

void CVaduResultDlg::FillTree() {
    // The records by check and crane position, with readable names; a
    // record's item carries its crane position and index.
    m_tree.DeleteAllItems();
    const std::vector<CResultSet>& sets = m_pData->m_resultSets;
    for (size_t i = 0; i < sets.size(); ++i) {
        HTREEITEM item = 0;
        if (!TreeInsertPath(item, ResultTreePath(sets[i].m_strTitle, sets[i].m_strName), &m_tree)) continue;
        m_tree.SetItemData(item, ResultItemData(ResultCranePosition(sets[i].m_strTitle), int(i)));
    }
    // The checks open, so that their crane positions show.
    for (HTREEITEM check = m_tree.GetRootItem(); check; check = m_tree.GetNextSiblingItem(check))
        m_tree.Expand(check);
}

bool CVaduResultDlg::ShowsStaleResults() const {
    if (!m_pData || !m_pData->m_hDoc) return false;
    const ZVELEM root = ZEVUD_GetRootElement(m_pData->m_hDoc);
    return root && ZEVUD_FindFirstChild(root, "result") && !m_pData->HasCurrentResults();
}

void CVaduResultDlg::OnSelectionChanged() {
    if (!m_pData) return;
    const wl::TreeCtrl::Item item = m_tree.GetSelectedItem();
    const long data = item ? long(m_tree.GetItemData(item)) : 0;
    int position = m_pData->m_nCurCranePos, result = -1;
    DecodeResultItem(data, int(m_pData->m_resultSets.size()), position, result);
    if (data != 0) {
        m_pData->m_nCurCranePos = position;
        m_pData->SetCurrentCranePosition();
    }
    m_pData->m_nCurrentIndex = result;
    m_pData->DrawSystem2D(0);
}

// ---- output -----------------------------------------------------------------------------------

bool CVaduOutputDlg::OnInitDialog() {
    wl::Dialog::OnInitDialog();
    LINGO_HWNDTranslate(this, rigel::kAppInput, kSection, "vaduOutputDlg");
    MapCommand(IDC_CREATE, [this] { OnCreateOutput(); });
    MapCommand(IDC_SETTINGS, [this] { OnHostSettings(); });
    // The report switches' groups and the output control's group with its
    // controls, as the template places them.
    if (const wl::DialogTemplate* t = wl::FindTemplate(IDD)) {
        int g = 0;
        for (const wl::ControlTemplate& c : t->controls) {
            if (c.kind != Kind::GroupBox) continue;
            if (g < 3 && c.y < 100) {
                // The group ends a little below its last switch.
                m_groups[g] = CControlBlock::FromTemplate(*this, IDD, c.x, c.y, c.cx, c.cy);
                m_groups[g++].FitFrameToContent(wl::DluToPixelY(6));
            } else if ((m_controlGroup = GetDlgItem(c.id))) {
                m_controlGroupTemplate = wl::DluToPixels(c.x, c.y, c.cx, c.cy);
                m_controlBlock = CControlBlock::FromTemplate(*this, IDD, c.x + 1, c.y + 1, c.cx - 2, c.cy - 2,
                                                             {IDC_CREATE, IDC_SETTINGS});
                m_buttonBlock = CControlBlock::FromIds(*this, IDD, {IDC_CREATE, IDC_SETTINGS});
            }
        }
    }
    const wl::Rect c = GetClientRect();
    OnSize(wl::SIZE_RESTORED, c.Width(), c.Height());
    return true;
}

void CVaduOutputDlg::OnSize(unsigned type, int cx, int cy) {
    wl::Dialog::OnSize(type, cx, cy);
    if (m_groups[0].IsEmpty() || !m_controlGroup) return;
    const wl::Rect c = GetClientRect();
    if (c.Width() <= 0 || c.Height() <= 0) return;
    const int m = m_groups[0].Template().left;
    const int gap = wl::DluToPixelX(7);
    const int bottom = FlowBlocks({&m_groups[0], &m_groups[1], &m_groups[2]}, m, m_groups[0].Template().top,
                                  c.right - m, gap);
    // The output control's group: beside the last group when the groups
    // took two rows and it fits there, else below them; as wide as the
    // template has it or as the page allows.
    const wl::Rect& t = m_controlGroupTemplate;
    const int pad = m_controlBlock.Template().left - t.left;
    const wl::Rect& last = m_groups[2].Bounds();
    int left = m, top = bottom + wl::DluToPixelY(5);
    int width = std::min(t.Width(), c.Width() - 2 * m);
    const int beside = c.right - m - (last.right + gap);
    if (last.top > m_groups[0].Bounds().top && beside >= m_controlBlock.Width() + 2 * pad) {
        left = last.right + gap;
        top = last.top;
        width = std::min(t.Width(), beside);
    }
    width = std::max(width, m_controlBlock.Width() + 2 * pad);
    m_controlBlock.MoveTo(left + pad, top + (m_controlBlock.Template().top - t.top));
    // Its buttons at its right end beside its controls, or below them.
    int height = t.Height();
    int bx = left + width - pad - m_buttonBlock.Width();
    int by = top + (m_buttonBlock.Template().top - t.top);
    if (bx < m_controlBlock.Bounds().right + pad) {
        bx = left + pad;
        by = m_controlBlock.Bounds().bottom + wl::DluToPixelY(6);
        height = by + m_buttonBlock.Height() + wl::DluToPixelY(8) - top;
        width = std::max(width, m_buttonBlock.Width() + 2 * pad);
    }
    m_buttonBlock.MoveTo(bx, by);
    m_controlGroup->MoveWindow(left, top, width, height);
}

void CVaduOutputDlg::DoDataExchange(wl::DataExchange& dx) {
    const auto& controls = ReportSwitchControls();
    for (size_t i = 0; i < controls.size(); ++i) wl::DDX_Check(dx, controls[i], m_switches[i]);
    wl::DDX_Text(dx, IDC_LIST, m_strList);
    wl::DDX_Check(dx, IDC_SHORT, m_bShort);
}

void CVaduOutputDlg::ExchangeData(bool save) {
    if (!m_pData || !IsWindow()) return;
    std::vector<int32_t>& options = m_pData->m_craneRtfOptions;
    if (options.size() < 55) options.resize(55, 1);
    if (!save) {
        for (size_t i = 0; i < 55; ++i) m_switches[i] = options[i];
        m_strList = m_pData->m_dorIzi.m_strText;
        m_bShort = m_pData->m_craneShortSummery;
        UpdateData(false);
        return;
    }
    UpdateData(true);
    m_pData->m_dorIzi.m_strText = m_strList;
    m_pData->m_dorIzi.Parse();
    m_pData->m_craneShortSummery = m_bShort;
    for (size_t i = 0; i < 55; ++i) options[i] = m_switches[i];
}

void CVaduOutputDlg::OnCreateOutput() {
    ExchangeData(true);
    if (m_pData) m_pData->EditOutput();
}

void CVaduOutputDlg::OnHostSettings() {
    if (wl::Window* main = wl::GetMainWindow()) main->SendCommand(kCraneSettingsCommand);
}
