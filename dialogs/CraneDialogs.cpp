#include "dialogs/CraneDialogs.h"

#include <algorithm>
#include <cstdio>

#include "crane/CranePageRules.h"
#include "dialogs/SpringValDlg.h"
#include "input/MateHandler.h"
#include "module/frame/ModuleMessages.h"
#include "module/frame/Utilities.h"
#include "platform/lingo/lingo.h"
#include "platform/winsys/winsys.h"
#include "platform/wl/templates.h"
#include "platform/wl/translate.h"

namespace {

using wl::Kind;
using namespace cranepages;

constexpr const char* kSection = "velor_i_rigel";
constexpr const char* kRailCategory = "Kranschienen";

std::string Tr(const char* area, const std::string& text) {
    return lingo::Translate(rigel::kAppInput, kSection, area, text);
}

const wl::TemplateRegistrar kTemplates({
    {CCraneSettingsDlg::kTemplateId, "Steuerung der Berechnung", 300, 250, 0,
     {
         {CCraneSettingsDlg::IDC_GRID, Kind::Custom, "", 7, 19, 286, 204, 0, {}, "RigelGridCtrl"},
         {wl::IDOK, Kind::Button, "OK", 133, 229, 50, 14, wl::kDefault},
         {wl::IDCANCEL, Kind::Button, "Abbrechen", 188, 229, 50, 14},
         {CCraneSettingsDlg::IDC_HELP, Kind::Button, "Hilfe", 243, 229, 50, 14},
     }},
    {CVaduRailDlg::kTemplateId, "Angaben zur Schiene", 260, 230, 0,
     {
         {CVaduRailDlg::IDC_GRID, Kind::Custom, "", 7, 19, 246, 184, 0, {}, "RigelGridCtrl"},
         {wl::IDOK, Kind::Button, "OK", 93, 209, 50, 14, wl::kDefault},
         {wl::IDCANCEL, Kind::Button, "Abbrechen", 148, 209, 50, 14},
         {wl::IDHELP, Kind::Button, "Hilfe", 203, 209, 50, 14},
     }},
    {CVaduEditDlg::kTemplateId, "Lastangaben", 420, 300, 0,
     {
         {CVaduEditDlg::IDC_FACTORS, Kind::Custom, "", 7, 19, 150, 120, 0, {}, "RigelGridCtrl"},
         {CVaduEditDlg::IDC_LOADS, Kind::Custom, "", 7, 145, 406, 128, 0, {}, "RigelGridCtrl"},
         {CVaduEditDlg::IDC_COPY, Kind::Button, "Daten von vorherigem Vadu übernehmen", 170, 19, 160, 14},
         {wl::IDOK, Kind::Button, "OK", 253, 279, 50, 14, wl::kDefault},
         {wl::IDCANCEL, Kind::Button, "Abbrechen", 308, 279, 50, 14},
         {CVaduEditDlg::IDC_HELP, Kind::Button, "Hilfe", 363, 279, 50, 14},
     }},
    {CKranloadGroupsDlg::kTemplateId, "Lastgruppen", 420, 250, 0,
     {
         {CKranloadGroupsDlg::IDC_TREE, Kind::Tree, "", 7, 7, 70, 190},
         {CKranloadGroupsDlg::IDC_GRID, Kind::Custom, "", 84, 7, 329, 190, 0, {}, "RigelGridCtrl"},
         {CKranloadGroupsDlg::IDC_CHANGEABLE, Kind::CheckBox, "Lastwerte änderbar", 7, 205, 100, 10},
         {CKranloadGroupsDlg::IDC_EC3, Kind::CheckBox, "Gemäß EC3 generieren", 112, 205, 110, 10},
         {wl::IDOK, Kind::Button, "OK", 253, 229, 50, 14, wl::kDefault},
         {wl::IDCANCEL, Kind::Button, "Abbrechen", 308, 229, 50, 14},
         {CKranloadGroupsDlg::IDC_HELP, Kind::Button, "Hilfe", 363, 229, 50, 14},
     }},
});

// The wheel-load kinds: caption, symbol, unit.
struct LoadKind {
    const char* caption;
    const char* symbol;
    const char* unit;
};
const LoadKind kLoadKinds[CCrane::kKinds] = {
    {"Achsabstand", "dx", "[m]"},
    {"Max.vert.Radlast ständig", "Qcmax", "[kN]"},
    {"Zugeh.vert.Radlast ständig", "Qcmin", "[kN]"},
    {"Max.vert.Radlast aus Hub", "Qhmax", "[kN]"},
    {"Zugeh.vert.Radlast aus Hub", "Qhmin", "[kN]"},
    {"Massenkraft Trägerlängsrichtung", "HL", "[kN]"},
    {"Zugeh.Massenkraft Trägerquerrichtung", "HT1", "[kN]"},
    {"Massenkraft Trägerquerrichtung", "HT2", "[kN]"},
    {"Zugeh.Spurführungskraft", "HS1", "[kN]"},
    {"Spurführungskraft", "HS2", "[kN]"},
    {"Anfahren/Bremsen Laufkatze", "HT3", "[kN]"},
    {"Wind in Betrieb", "Fw", "[kN]"},
    {"Prüflast", "QT", "[kN]"},
    {"Anpralllast in Trägerlängsrichtung", "HB1", "[kN]"},
    {"Anpralllast in Trägerquerrichtung", "HB2", "[kN]"},
    {"Kippkraft in Trägerquerrichtung", "HTY", "[kN]"},
};

std::string Format(const char* format, long n) {
    char text[64];
    std::snprintf(text, sizeof text, format, n);
    return text;
}

}  // namespace

bool OpenCraneHelpTopic(const std::string& topic) {
    if (DialogHelpLanguage() != "französisch") return false;
    return OpenHelpTopic("CraneHelp.chm", topic);
}

void OpenCraneManual() {
    if (OpenCraneHelpTopic("Rail_definition.htm")) return;
    if (DialogHelpLanguage() == "französisch") return;
    // The manual's file name is held in the translation table.
    const std::string name = lingo::Translate(rigel::kAppInput, kSection, "vaduCtrlDlg", "Handbuch Kranbahn.pdf");
    OpenProgramDocument("txt/" + name);
}

// ---- calculation-control editor ----------------------------------------------------------------

CCraneSettingsDlg::CCraneSettingsDlg(int mode, CCraneSettings* settings, CModuleData* data)
    : wl::Dialog(kTemplateId), m_nMode(mode), m_pSettings(settings), m_pData(data) {
    m_grid.SetGroupHeaderStrip(true);
    for (const std::string& m : DisplayModes()) m_modes.push_back(Tr("CraneSettingsDlg", m));
}

bool CCraneSettingsDlg::OnInitDialog() {
    wl::Dialog::OnInitDialog();
    LINGO_HWNDTranslate(this, rigel::kAppInput, kSection, "CraneSettingsDlg");
    wl::DataExchange dx(*this, false);
    wl::DDX_Control(dx, IDC_GRID, m_grid);
    m_grid.SetTitle(Tr("CraneSettingsDlg", "Steuerung der Berechnung"));
    std::vector<SettingsField> fields;
    if (m_pSettings) {
        const int code = m_pData ? m_pData->m_info.m_nNorm : 0;
        const int annex = m_pData ? m_pData->m_info.m_nCountryCode : 0;
        fields = SettingsFields(m_nMode, *m_pSettings, code, annex);
    }
    for (const SettingsField& f : fields) {
        const std::string text = Tr("CraneSettingsDlg", f.text);
        switch (f.kind) {
        case FIELD_HEADER: m_grid.AddHeaderField(text); break;
        case FIELD_CHECK: m_grid.AddCheckField(text, f.intValue); break;
        case FIELD_INT: m_grid.AddIntField(text, f.intValue); break;
        case FIELD_COMBO: m_grid.AddComboField(text, f.intValue, m_modes); break;
        case FIELD_TEXT: m_grid.AddTextField(text, f.textValue); break;
        case FIELD_FORMULA: m_grid.AddFormulaField(text, f.formula, f.format); break;
        default: break;
        }
    }
    m_grid.InitGrid();
    m_grid.SetColumnRelWidth(0, 80);
    m_grid.SetColumnRelWidth(1, 20);
    m_grid.FitColumnsToWidth();
    for (size_t i = 0; i < fields.size(); ++i)
        if (!fields[i].shown) m_grid.ShowRow(int(i), false);
    m_grid.ExchangeData(false);
    MapCommand(IDC_HELP, [this] {
        const char* topic = m_nMode == MODE_ULS   ? "TAB_CONTROL_ULS.htm"
                            : m_nMode == MODE_SLS ? "TAB_CONTROL_SLS.htm"
                                                  : "TAB_CONTROL_FAT.htm";
        OpenCraneHelpTopic(topic);
    });
    return true;
}

void CCraneSettingsDlg::OnOK() {
    m_grid.ExchangeData(true);
    if (m_pSettings) CopyCheck0Display(*m_pSettings);
    EndDialog(wl::IDOK);
}

// ---- rail --------------------------------------------------------------------------------------

std::string RailDescription(const CRail& rail) {
    if (rail.m_iTyp == 1)
        return FlatBarDescription(Tr("VaduRailDlg", "FL %.1lfx%.1lf"), rail.m_b.GetValue(), rail.m_h.GetValue());
    return rail.m_iTyp > 1 ? rail.m_sObj : std::string();
}

CVaduRailGrid::CVaduRailGrid() { SetGroupHeaderStrip(true); }

void CVaduRailGrid::InitGrid() {
    m_iType = 2;
    m_iNorm = 0;
    m_iName = 0;
    m_iFastening = 0;
    m_typesDb.clear();
    GetMateHandler().GetSubcategoryNames(kRailCategory, m_typesDb);
    m_types.clear();
    for (const std::string& t : m_typesDb) m_types.push_back(Tr("VaduRailDlg", t));
    m_typesDb.insert(m_typesDb.begin(), "Flachstahl");
    m_types.insert(m_types.begin(), Tr("VaduRailDlg", "Flachstahl"));
    m_fastenings = {Tr("VaduRailDlg", "Durchlauf. Längsnaht"), Tr("VaduRailDlg", "Unterbr. Längsnaht"),
                    Tr("VaduRailDlg", "Geschraubt")};
    m_strEdit = Tr("VaduRailDlg", "Bearbeiten");
    SetTitle(Tr("VaduRailDlg", "Angaben zur Schiene"));
    auto t = [](const char* text) { return Tr("VaduRailDlg", text); };
    AddComboField(t("Schienentyp"), &m_iType, m_types);
    AddComboField(t("Norm"), &m_iNorm, {});
    AddComboField(t("Name"), &m_iName, {});
    AddDisplayField(t("Datenbank"), &m_strEdit);
    AddFormulaField(t("Breite Flachstahl"), &m_width, "%.1lf mm");
    AddFormulaField(t("Höhe Flachstahl"), &m_height, "%.1lf mm");
    AddCheckField(t("Statisch berücksichtigen"), &m_bConsider);
    AddCheckField(t("Starr mit Obergurt verbunden"), &m_bRigid);
    AddComboField(t("Befestigung"), &m_iFastening, m_fastenings);
    AddFormulaField(t("Abstand Schraube/Schienenrand"), &m_bolt, "%.1lf mm");
    AddFormulaField(t("Elast. Unterlage d="), &m_pad, "%.1lf mm");
    AddFormulaField(t("Schweißnahtlänge="), &m_weldLength, "%.1lf cm");
    AddFormulaField(t("Schweißnahtlängen-Unterbrechung="), &m_weldGap, "%.1lf cm");
    CParamGridCtrl::InitGrid();
    ConsiderRule();
}

void CVaduRailGrid::ShowRows() {
    const auto shown = RailRows(m_iType, m_iFastening);
    for (int row = 0; row < kRailRows; ++row) ShowRow(row, shown[size_t(row)]);
}

void CVaduRailGrid::RefreshLists(bool typeChanged) {
    m_norms.clear();
    m_names.clear();
    if (m_iType >= 1 && m_iType < int(m_typesDb.size())) {
        const std::string& type = m_typesDb[size_t(m_iType)];
        GetMateHandler().GetNormNames(kRailCategory, type, m_norms);
        // A stored norm stays chosen when it is still in the list.
        m_iNorm = RailNormIndex(m_iNorm, int(m_norms.size()), typeChanged);
        if (!m_norms.empty())
            GetMateHandler().GetObjectNames(kRailCategory, type, m_norms[size_t(m_iNorm)], m_names);
        m_iName = RailNameIndex(typeChanged ? 0 : m_iName, int(m_names.size()));
    }
    const CGridCellId norm = ValueCell(RAIL_NORM), name = ValueCell(RAIL_NAME);
    SetComboCellChoices(norm.row, norm.col, m_norms);
    SetComboCellIndex(norm.row, norm.col, m_norms.empty() ? -1 : m_iNorm);
    SetCellReadOnly(norm.row, norm.col, m_norms.size() == 1);
    SetComboCellChoices(name.row, name.col, m_names);
    SetComboCellIndex(name.row, name.col, m_names.empty() ? -1 : m_iName);
    Refresh();
}

void CVaduRailGrid::TypeRule(int index, bool typeChanged) {
    m_iType = std::clamp(index, 0, std::max(0, int(m_typesDb.size()) - 1));
    RefreshLists(typeChanged);
    ShowRows();
}

void CVaduRailGrid::FasteningRule(int index) {
    m_iFastening = index;
    ShowRows();
    Refresh();
}

void CVaduRailGrid::ConsiderRule() {
    const CGridCellId consider = ValueCell(RAIL_CONSIDER), rigid = ValueCell(RAIL_RIGID);
    m_bConsider = GetCheckCell(consider.row, consider.col);
    if (m_bConsider) SetCheckCell(rigid.row, rigid.col, 1);
    SetCellReadOnly(rigid.row, rigid.col, m_bConsider != 0);
    Refresh();
}

bool CVaduRailGrid::ExchangeData(bool save) {
    if (!m_pData) return false;
    CRail& r = m_pData->m_rail;
    if (!save) {
        m_iType = std::max(0, r.m_iTyp - 1);
        m_iNorm = r.m_iNorm;
        m_iName = r.m_iObj;
        m_width = r.m_b;
        m_height = r.m_h;
        m_pad = r.m_d;
        m_bolt = r.m_dBolt;
        m_weldLength = r.m_SchweissnahtL;
        m_weldGap = r.m_SchweissnahtUnterbrochenL;
        m_bConsider = r.m_bCalculation;
        m_bRigid = r.m_bRigid;
        m_iFastening = r.m_connection;
        CParamGridCtrl::ExchangeData(false);
        TypeRule(m_iType, false);
        FasteningRule(m_iFastening);
        ConsiderRule();
        return true;
    }
    CParamGridCtrl::ExchangeData(true);
    r.m_iTyp = m_iType + 1;
    r.m_sTyp = m_iType < int(m_typesDb.size()) ? m_typesDb[size_t(m_iType)] : std::string();
    r.m_iNorm = m_iNorm;
    r.m_sNorm = m_iNorm >= 0 && m_iNorm < int(m_norms.size()) ? m_norms[size_t(m_iNorm)] : std::string();
    r.m_iObj = m_iName;
    r.m_sObj = m_iName >= 0 && m_iName < int(m_names.size()) ? m_names[size_t(m_iName)] : std::string();
    r.m_b = m_width;
    r.m_h = m_height;
    r.m_d = m_pad;
    r.m_dBolt = m_bolt;
    r.m_bCalculation = m_bConsider;
    r.m_bRigid = m_bRigid;
    r.m_connection = m_iFastening;
    r.m_SchweissnahtL = m_weldLength;
    r.m_SchweissnahtUnterbrochenL = m_weldGap;
    r.m_strSkwDir.clear();
    if (m_iType >= 1 && !r.m_sObj.empty()) {
        CMateList rail;
        GetMateHandler().FindObject(rail, kRailCategory, r.m_sTyp, r.m_sNorm, r.m_sObj);
        r.m_strSkwDir = rail.GetPropertyValue("skwdir");
    }
    return true;
}

void CVaduRailGrid::OnComboCellSelChanged(int row, int /*col*/, int index) {
    if (row == RAIL_TYPE) {
        TypeRule(index, true);
    } else if (row == RAIL_NORM) {
        m_iNorm = index;
        m_names.clear();
        if (m_iType >= 1 && m_iType < int(m_typesDb.size()) && index >= 0 && index < int(m_norms.size()))
            GetMateHandler().GetObjectNames(kRailCategory, m_typesDb[size_t(m_iType)], m_norms[size_t(index)],
                                            m_names);
        m_iName = 0;
        const CGridCellId name = ValueCell(RAIL_NAME);
        SetComboCellChoices(name.row, name.col, m_names);
        SetComboCellIndex(name.row, name.col, m_names.empty() ? -1 : 0);
        Refresh();
    } else if (row == RAIL_NAME) {
        m_iName = index;
    } else if (row == RAIL_FASTENING) {
        FasteningRule(index);
    }
}

void CVaduRailGrid::OnCheckCellClicked(int row, int /*col*/) {
    if (row == RAIL_CONSIDER) ConsiderRule();
}

void CVaduRailGrid::OnButtonCellClicked(int row, int /*col*/) {
    if (row != RAIL_DATABASE || m_iType < 1 || m_iType >= int(m_typesDb.size())) return;
    ExchangeData(true);
    const std::string norm = m_iNorm < int(m_norms.size()) ? m_norms[size_t(m_iNorm)] : std::string();
    const std::string name = m_iName < int(m_names.size()) ? m_names[size_t(m_iName)] : std::string();
    GetMateHandler().OpenMaterialEditor(kRailCategory, m_typesDb[size_t(m_iType)], norm, name, 0);
    RefreshLists(false);
}

bool CVaduRailDlg::OnInitDialog() {
    wl::Dialog::OnInitDialog();
    LINGO_HWNDTranslate(this, rigel::kAppInput, kSection, "VaduRailDlg");
    wl::DataExchange dx(*this, false);
    wl::DDX_Control(dx, IDC_GRID, m_grid);
    m_grid.SetModuleData(m_pData);
    m_grid.InitGrid();
    m_grid.SetColumnRelWidth(0, 60);
    m_grid.SetColumnRelWidth(1, 40);
    m_grid.FitColumnsToWidth();
    m_grid.ExchangeData(false);
    MapCommand(wl::IDHELP, [] { OpenCraneManual(); });
    return true;
}

void CVaduRailDlg::OnOK() {
    m_grid.ExchangeData(true);
    EndDialog(wl::IDOK);
}

// ---- wheel loads -------------------------------------------------------------------------------

void CVaduEditLoadGrid::InitGrid() {
    const int axles = m_pCrane ? m_pCrane->m_numOfAxis : 2;
    Setup(CCrane::kKinds + 1, axles + 3, 1, 0);
    SetItemText(0, 0, Tr("vaduEditLoadGrid", "Lastbezeichnung"));
    for (int k = 0; k < CCrane::kKinds; ++k) {
        const int row = k + 1;
        SetItemText(row, 0, lingo::Translate(rigel::kAppInput, kSection, "RigelData", kLoadKinds[k].caption));
        SetItemText(row, 1, kLoadKinds[k].symbol);
        SetItemText(row, 2, kLoadKinds[k].unit);
        for (int c = 0; c < 3; ++c) SetCellReadOnly(row, c, true);
    }
    SetColumnRelWidth(0, 35);
    SetColumnRelWidth(1, 10);
    SetColumnRelWidth(2, 5);
    for (int a = 0; a < axles; ++a) {
        SetCenteredText(0, a + 3, Format(Tr("vaduEditLoadGrid", "Achse %ld").c_str(), a + 1));
        SetColumnRelWidth(a + 3, 10);
    }
    FitColumnsToWidth();
}

bool CVaduEditLoadGrid::ExchangeData(bool save) {
    if (!m_pCrane) return false;
    CCrane& c = *m_pCrane;
    if (save) {
        for (int a = 0; a < c.m_numOfAxis; ++a)
            for (int k = 0; k < CCrane::kKinds; ++k)
                if (CFormulaValue* v = c.AxisValue(a, k)) *v = GetFormulaCell(k + 1, a + 3);
        return true;
    }
    ClearContextMenuItems();
    for (int a = 0; a < c.m_numOfAxis; ++a) {
        for (int k = 0; k < CCrane::kKinds; ++k) {
            SetCellType(k + 1, a + 3, KIND_FORMULA);
            SetNumberCellFormat(k + 1, a + 3, "%lf", "%.2lf", 1.0);
            if (const CFormulaValue* v = c.AxisValue(a, k)) SetFormulaCell(k + 1, a + 3, *v);
        }
        for (int j = 0; j < c.m_numOfAxis; ++j)
            if (j != a)
                AddContextMenuItem(CGridCellRange(1, a + 3, CCrane::kKinds, a + 3),
                                   Format(Tr("vaduEditLoadGrid", "Lastwerte setzen wie Achse %ld").c_str(), j + 1),
                                   AxleCopyCommand(a, j));
    }
    if (m_pData)
        for (int k = 1; k <= CCrane::kKinds; ++k) ShowRow(k, IsLoadKindShown(k, m_pData->m_craneSettings));
    Refresh();
    return true;
}

void CVaduEditLoadGrid::OnContextMenuCommand(int /*row*/, int /*col*/, int id) {
    if (!m_pCrane) return;
    ExchangeData(true);
    CopyAxleLoads(*m_pCrane, id);
    ExchangeData(false);
    Refresh();
}

CVaduEditDlg::CVaduEditDlg(const CCrane& crane, const CCrane& previous, CModuleData* data, bool showCopy)
    : wl::Dialog(kTemplateId), m_crane(crane), m_previous(previous), m_pData(data), m_bShowCopy(showCopy ? 1 : 0) {
    m_factors.SetGroupHeaderStrip(true);
}

void CVaduEditDlg::ExchangeData(bool save) {
    m_factors.ExchangeData(save);
    m_loads.ExchangeData(save);
    if (wl::Window* copy = GetDlgItem(IDC_COPY)) copy->ShowWindow(m_bShowCopy ? wl::SW_SHOW : wl::SW_HIDE);
}

bool CVaduEditDlg::OnInitDialog() {
    wl::Dialog::OnInitDialog();
    LINGO_HWNDTranslate(this, rigel::kAppInput, kSection, "vaduEditDlg");
    wl::DataExchange dx(*this, false);
    wl::DDX_Control(dx, IDC_FACTORS, m_factors);
    wl::DDX_Control(dx, IDC_LOADS, m_loads);
    m_factors.SetTitle(Tr("vaduEditDlg", "Schwingbeiwerte"));
    for (int i = 0; i < 9; ++i)
        m_factors.AddFormulaField(i < 7 ? Format("phi %ld", i + 1) : Format("phi(fat) %ld", i - 6), &m_crane.m_phi[i],
                                  "%.2lf");
    m_factors.InitGrid();
    m_loads.Set(&m_crane, m_pData);
    m_loads.InitGrid();
    ExchangeData(false);
    MapCommand(IDC_COPY, [this] { OnCopyPrevious(); });
    MapCommand(IDC_HELP, [] { OpenCraneHelpTopic("Forces_Values.htm"); });
    return true;
}

void CVaduEditDlg::OnCopyPrevious() {
    m_crane = m_previous;
    m_loads.Set(&m_crane, m_pData);
    m_loads.InitGrid();
    ExchangeData(false);
    Invalidate();
}

void CVaduEditDlg::OnOK() {
    ExchangeData(true);
    EndDialog(wl::IDOK);
}

// ---- load groups -------------------------------------------------------------------------------

void CKranloadGroupsGrid::InitGrid() {
    Setup(CCrane::kGroups + 1, 5, 1, 0);
    const char* heads[5] = {"Gruppe", "Kennung", "Fx", "Fy", "Fz"};
    const int widths[5] = {50, 20, 20, 20, 20};
    for (int c = 0; c < 5; ++c) {
        SetCenteredText(0, c, Tr("kranloadGroupsGrid", heads[c]));
        SetColumnRelWidth(c, widths[c]);
    }
    std::vector<std::string> names, ids;
    GetCraneLoadGroupNames(names, ids, m_nCrane + 1);
    for (int g = 0; g < CCrane::kGroups; ++g) {
        SetItemText(g + 1, 0, g < int(names.size()) ? names[size_t(g)] : std::string());
        SetCellReadOnly(g + 1, 0, true);
        for (int c = 2; c < 5; ++c) {
            SetCellType(g + 1, c, KIND_FORMULA);
            SetNumberCellFormat(g + 1, c, "%lf", "%.2lf kN", 1.0);
            SetCellReadOnly(g + 1, c, true);
        }
    }
    FitColumnsToWidth();
}

bool CKranloadGroupsGrid::ExchangeData(bool save) {
    if (!m_pCrane || !m_pData || m_nAxle < 0 || m_nAxle >= m_pCrane->m_numOfAxis) return false;
    CCrane& c = *m_pCrane;
    const size_t base = size_t(m_nAxle) * CCrane::kGroups;
    if (save) {
        for (int g = 0; g < CCrane::kGroups; ++g) {
            if (!IsLoadGroupShown(c, *m_pData, m_nAxle, g)) continue;
            for (int k = 0; k < 3; ++k) {
                const size_t i = (base + size_t(g)) * CCrane::kWheelValues + size_t(k);
                if (i < c.m_wheelLoads.size()) c.m_wheelLoads[i] = GetFormulaCell(g + 1, k + 2);
            }
        }
        return true;
    }
    std::vector<std::string> names, ids;
    GetCraneLoadGroupNames(names, ids, m_nCrane + 1);
    for (int g = 0; g < CCrane::kGroups; ++g) {
        const int row = g + 1;
        if (!IsLoadGroupShown(c, *m_pData, m_nAxle, g)) {
            for (int col = 1; col < 5; ++col) {
                SetCellType(row, col, KIND_TEXT);
                SetItemText(row, col, "---");
                SetCellReadOnly(row, col, true);
            }
            continue;
        }
        SetCellType(row, 1, KIND_TEXT);
        SetItemText(row, 1, g < int(ids.size()) ? ids[size_t(g)] : std::string());
        SetCellReadOnly(row, 1, true);
        for (int k = 0; k < 3; ++k) {
            SetCellType(row, k + 2, KIND_FORMULA);
            SetNumberCellFormat(row, k + 2, "%lf", "%.2lf kN", 1.0);
            const size_t i = (base + size_t(g)) * CCrane::kWheelValues + size_t(k);
            if (i < c.m_wheelLoads.size()) SetFormulaCell(row, k + 2, c.m_wheelLoads[i]);
            SetCellReadOnly(row, k + 2, true);
        }
    }
    Refresh();
    return true;
}

CKranloadGroupsDlg::CKranloadGroupsDlg(const CCrane& crane, CModuleData* data, int craneIndex)
    : wl::Dialog(kTemplateId), m_crane(crane), m_pData(data), m_nCrane(craneIndex) {}

bool CKranloadGroupsDlg::OnInitDialog() {
    wl::Dialog::OnInitDialog();
    LINGO_HWNDTranslate(this, rigel::kAppInput, kSection, "kranloadGroupsDlg");
    wl::DataExchange dx(*this, false);
    wl::DDX_Control(dx, IDC_GRID, m_grid);
    wl::DDX_Control(dx, IDC_TREE, m_tree);
    m_grid.Set(&m_crane, m_pData, m_nCrane);
    m_grid.InitGrid();
    m_tree.DeleteAllItems();
    wl::TreeCtrl::Item first = 0;
    for (int a = 0; a < m_crane.m_numOfAxis; ++a) {
        const wl::TreeCtrl::Item item = m_tree.InsertItem(Format(Tr("kranloadGroupsDlg", "Achse %ld").c_str(), a + 1));
        m_tree.SetItemData(item, a);
        if (a == 0) first = item;
    }
    if (first) m_tree.SelectItem(first);
    m_grid.m_nAxle = 0;
    m_grid.ExchangeData(false);
    m_grid.Refresh();
    MapNotify(IDC_TREE, wl::TVN_SELCHANGED, [this](const wl::Notify&) -> std::intptr_t {
        OnAxleSelected();
        return 0;
    });
    MapCommand(IDC_HELP, [] { OpenCraneHelpTopic("Forces_Groups.htm"); });
    return true;
}

void CKranloadGroupsDlg::OnAxleSelected() {
    if (m_grid.m_nAxle >= 0) m_grid.ExchangeData(true);
    const wl::TreeCtrl::Item item = m_tree.GetSelectedItem();
    if (!item) return;
    m_grid.m_nAxle = int(m_tree.GetItemData(item));
    m_grid.ExchangeData(false);
    m_grid.Refresh();
}

void CKranloadGroupsDlg::OnOK() {
    m_grid.ExchangeData(true);
    EndDialog(wl::IDOK);
}
