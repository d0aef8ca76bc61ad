#include "dialogs/RigelOutputWiz.h"

#include <vector>

#include "dialogs/core/OutputOptions.h"
#include "module/frame/ModuleMessages.h"
#include "platform/wl/templates.h"
#include "platform/wl/translate.h"

namespace {

using wl::Kind;

constexpr const char* kSectionRigel = "velor_i_rigel";
constexpr const char* kDialogName = "RigelOutputWiz";

// The group "Tabellen": one box per line.
void AddTables(std::vector<wl::ControlTemplate>& c, int x, int width, int firstId,
               std::initializer_list<const char*> texts) {
    const int rows = int(texts.size());
    c.push_back({-1, Kind::GroupBox, "Tabellen", x, 7, width, 16 + 13 * rows});
    int id = firstId, y = 19;
    for (const char* t : texts) {
        c.push_back({id++, Kind::CheckBox, t, x + 7, y, width - 14, 10});
        y += 13;
    }
}

// One line of diagram switches: its label, then one small box per entry.
struct DiagramRow {
    const char* label;
    int firstId;
    std::initializer_list<const char*> boxes;
    int step = 36;  // dialog units from box to box
};

constexpr int kGroupX = 143, kLabelX = 150, kLabelW = 120, kBoxX = 272, kBoxStep = 36, kRowStep = 12;

void AddDiagrams(std::vector<wl::ControlTemplate>& c, std::initializer_list<DiagramRow> rows, int boxesPerRow) {
    const int n = int(rows.size());
    c.push_back({-1, Kind::GroupBox, "Grafiken", kGroupX, 7, kBoxX - kGroupX + kBoxStep * boxesPerRow + 4,
                 16 + kRowStep * n});
    int y = 19;
    for (const DiagramRow& r : rows) {
        c.push_back({-1, Kind::Static, r.label, kLabelX, y, kLabelW, 10});
        int id = r.firstId, x = kBoxX;
        for (const char* b : r.boxes) {
            c.push_back({id++, Kind::CheckBox, b, x, y, r.step - 2, 10});
            x += r.step;
        }
        y += kRowStep;
    }
}

wl::DialogTemplate Page1() {
    wl::DialogTemplate t{IDD_RIGEL_OUTPUT_WIZ_PAGE1, "Eingabeprotokoll", 300, 160, wl::kDlgChild, {}};
    AddTables(t.controls, 7, 140, 26041,
              {"Auflager, Federn und Feldlängen", "Querschnittsverlauf", "Querschnittswerte", "Materialwerte",
               "Federn und Bettungen", "Gelenke", "Lasten", "Einwirkungen", "Alle Lastkollektive",
               "Relevante Lastkollektive"});
    t.controls.push_back({-1, Kind::GroupBox, "Grafiken", 153, 7, 140, 68});
    const char* pictures[] = {"Systemplot XZ bzw. XY-Ebene", "Querschnitte", "Federn und Bettungen", "Gelenke"};
    for (int i = 0; i < 4; ++i) t.controls.push_back({26051 + i, Kind::CheckBox, pictures[i], 160, 19 + 13 * i, 126, 10});
    return t;
}

wl::DialogTemplate Page2() {
    wl::DialogTemplate t{IDD_RIGEL_OUTPUT_WIZ_PAGE2, "Gebrauchstauglichkeit", 500, 160, wl::kDlgChild, {}};
    AddTables(t.controls, 7, 130, 26055,
              {"Reaktionen Extremal", "Reaktionen pro Einwirkung", "Schnittgrößen Extremal",
               "Schnittgrößen pro Kollektiv", "Verformungen Extremal", "Verformungen pro Kollektiv"});
    AddDiagrams(t.controls,
                {{"Reaktionen Extremal", 26063, {"Ax", "Ay", "Az", "AMx", "AMy", "AMz"}},
                 {"Reaktionen pro Einwirkung", 26069, {"Ax", "Ay", "Az", "AMx", "AMy", "AMz"}},
                 {"Schnittgrößen Extremal", 26075, {"N", "Vy", "Vz", "Mx", "My", "Mz"}},
                 {"Schnittgrößen pro Kollektiv", 26087, {"N", "Vy", "Vz", "Mx", "My", "Mz"}},
                 {"Verformungen Extremal", 26099, {"dx", "dy", "dz"}},
                 {"Verformungen pro Kollektiv", 26103, {"dx", "dy", "dz"}},
                 {"Ausnutzung aus Verf. Extremal", 26112, {"Uy", "Uz", "Umax"}},
                 {"Ausnutzung aus Verf. pro Kollektiv", 26115, {"Uy", "Uz", "Umax"}}},
                6);
    return t;
}

wl::DialogTemplate Page3() {
    wl::DialogTemplate t{IDD_RIGEL_OUTPUT_WIZ_PAGE3, "Tragsicherheit", 535, 175, wl::kDlgChild, {}};
    AddTables(t.controls, 7, 130, 26055,
              {"Reaktionen Extremal", "Reaktionen pro Kollektiv", "Schnittgrößen Extremal",
               "Schnittgrößen pro Kollektiv", "Verformungen Extremal", "Verformungen pro Kollektiv",
               "Vorverformungen pro Kollektiv", "Knickfigur pro Kollektiv"});
    AddDiagrams(t.controls,
                {{"Reaktionen Extremal", 26063, {"Ax", "Ay", "Az", "AMx", "AMy", "AMz"}},
                 {"Reaktionen pro Kollektiv", 26069, {"Ax", "Ay", "Az", "AMx", "AMy", "AMz"}},
                 {"Schnittgrößen Extremal", 26075, {"N", "Vy", "Vz", "Mx", "My", "Mz", "Mw"}},
                 {"Spannungen Extremal", 26082, {"maxSigX", "minSigX", "absT", "sigV", "Ausn."}, 48},
                 {"Schnittgrößen pro Kollektiv", 26087, {"N", "Vy", "Vz", "Mx", "My", "Mz", "Mw"}},
                 {"Spannungen pro Kollektiv", 26094, {"maxSigX", "minSigX", "absT", "sigV", "Ausn."}, 48},
                 {"Verformungen Extremal", 26099, {"dx", "dy", "dz", "PhiX"}},
                 {"Verformungen pro Kollektiv", 26103, {"dx", "dy", "dz", "PhiX"}},
                 {"Vorverformungen pro Kollektiv", 26107, {"dy", "dz"}},
                 {"Knickfigur pro Kollektiv", 26109, {"dy", "dz", "PhiX"}}},
                7);
    t.controls.push_back({IDC_WIZ_SINGLE_POINT, Kind::CheckBox,
                          "Ausführlicher Einzelpunktnachweis für Stelle mit max. Ausnutzung.", 7, 148, 270, 10});
    t.controls.push_back({IDC_WIZ_LAYOUT_LARGE, Kind::Radio, "Layout groß", 290, 148, 70, 10, wl::kGroup});
    t.controls.push_back({IDC_WIZ_LAYOUT_SMALL, Kind::Radio, "Layout klein", 370, 148, 70, 10});
    return t;
}

const wl::TemplateRegistrar kTemplates({Page1(), Page2(), Page3()});

}  // namespace

// ---- pages ----------------------------------------------------------------------------------------

CRigelOutputWizPage::CRigelOutputWizPage(int templateId, int page) : wl::PropertyPage(templateId), m_nPage(page) {}

int CRigelOutputWizPage::BoxState(int control) const {
    auto it = m_boxes.find(control);
    return it == m_boxes.end() ? 0 : it->second;
}

bool CRigelOutputWizPage::OnInitDialog() {
    LINGO_HWNDTranslate(this, rigel::kAppInput, kSectionRigel, kDialogName);
    if (Sheet()) LINGO_HWNDTranslate(Sheet(), rigel::kAppInput, kSectionRigel, kDialogName);
    m_bShown = true;
    m_boxes.clear();
    for (const AssistantBox& b : AssistantBoxes(m_nPage)) {
        const int32_t* options = m_pData && size_t(b.option) < m_pData->m_rtfWizOptions.size()
                                     ? &m_pData->m_rtfWizOptions[size_t(b.option)]
                                     : nullptr;
        m_boxes[b.control] = options && *options ? 1 : 0;
    }
    UpdateData(false);
    const bool chapter = ChapterSwitch() != 0;
    const int32_t* mode = CombinationMode();
    for (const AssistantBox& b : AssistantBoxes(m_nPage)) {
        const bool enabled = chapter && !(mode && *mode == 0 && IsPerCombinationBox(m_nPage, b.control));
        if (wl::Window* w = GetDlgItem(b.control)) w->EnableWindow(enabled);
    }
    return true;
}

void CRigelOutputWizPage::DoDataExchange(wl::DataExchange& dx) {
    for (auto& [control, state] : m_boxes) wl::DDX_Check(dx, control, state);
}

void CRigelOutputWizPage::StoreOptions() {
    if (!m_pData) return;
    for (const AssistantBox& b : AssistantBoxes(m_nPage))
        if (size_t(b.option) < m_pData->m_rtfWizOptions.size())
            m_pData->m_rtfWizOptions[size_t(b.option)] = BoxState(b.control) ? 1 : 0;
}

bool CRigelOutputWizPage3::OnInitDialog() {
    if (m_pData) {
        m_bSinglePoint = m_pData->m_bRtfCalcSinglePoint ? 1 : 0;
        m_nLayout = m_pData->m_bRtfSinglePointLayout ? 1 : 0;
    }
    CRigelOutputWizPage::OnInitDialog();
    if (!ChapterSwitch())
        for (int id : {IDC_WIZ_SINGLE_POINT, IDC_WIZ_LAYOUT_LARGE, IDC_WIZ_LAYOUT_SMALL})
            if (wl::Window* w = GetDlgItem(id)) w->EnableWindow(false);
    return true;
}

void CRigelOutputWizPage3::DoDataExchange(wl::DataExchange& dx) {
    CRigelOutputWizPage::DoDataExchange(dx);
    wl::DDX_Check(dx, IDC_WIZ_SINGLE_POINT, m_bSinglePoint);
    wl::DDX_Radio(dx, IDC_WIZ_LAYOUT_LARGE, m_nLayout);
}

void CRigelOutputWizPage3::StoreOptions() {
    CRigelOutputWizPage::StoreOptions();
    if (!m_pData) return;
    m_pData->m_bRtfCalcSinglePoint = m_bSinglePoint ? 1 : 0;
    m_pData->m_bRtfSinglePointLayout = m_nLayout == 1 ? 1 : 0;
}

// ---- the sheet ------------------------------------------------------------------------------------

CRigelOutputWiz::CRigelOutputWiz(const std::string& title, CModuleData* data)
    : wl::PropertySheet(title, IDD_RIGEL_OUTPUT_WIZ) {
    m_page1.SetModuleData(data);
    m_page2.SetModuleData(data);
    m_page3.SetModuleData(data);
}

int CRigelOutputWiz::DoModal() {
    if (GetPageCount() == 0) {
        AddPage(&m_page1);
        AddPage(&m_page2);
        AddPage(&m_page3);
    }
    return wl::PropertySheet::DoModal();
}

void CRigelOutputWiz::OnOK() {
    wl::PropertySheet::OnOK();
    if (!ModalEnded() || ModalResult() != wl::IDOK) return;
    for (CRigelOutputWizPage* page : {static_cast<CRigelOutputWizPage*>(&m_page1),
                                      static_cast<CRigelOutputWizPage*>(&m_page2),
                                      static_cast<CRigelOutputWizPage*>(&m_page3)})
        if (page->WasShown()) page->StoreOptions();
}
