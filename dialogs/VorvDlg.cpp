#include "dialogs/VorvDlg.h"

#include <cstdio>

#include "dialogs/PageTemplates.h"
#include "dialogs/VorvWiz.h"
#include "module/frame/ModuleMessages.h"
#include "platform/wl/templates.h"
#include "platform/wl/translate.h"

namespace {

using wl::Kind;
using P = CVorvDlg;

constexpr const char* kSection = "velor_i_rigel";
constexpr const char* kDialogName = "VorvDlg";

// A sub-dialog of two values with their unit, and the check of a direct
// value below them.
wl::DialogTemplate PairTemplate(int id, const char* first, int firstId, const char* second, int secondId,
                                const char* directText, int directCheck, int directValue, const char* unit) {
    return {id,
            "",
            290,
            90,
            wl::kDlgChild,
            {
                {0, Kind::Static, first, 7, 9, 60, 10},
                {firstId, Kind::Edit, "", 70, 7, 60, 12, wl::kRight},
                {0, Kind::Static, unit, 134, 9, 20, 10},
                {0, Kind::Static, second, 7, 27, 60, 10},
                {secondId, Kind::Edit, "", 70, 25, 60, 12, wl::kRight},
                {0, Kind::Static, unit, 134, 27, 20, 10},
                {directCheck, Kind::CheckBox, directText, 7, 47, 200, 10},
                {directValue, Kind::Edit, "", 70, 63, 60, 12, wl::kRight},
                {0, Kind::Static, unit, 134, 65, 20, 10},
            }};
}

const wl::TemplateRegistrar kTemplates({
    page_templates::Page(
        P::kTemplateId,
        page_templates::Join({
            {{0, Kind::GroupBox, "Ansatz von Vorverformungen", 7, 7, 300, 56}},
            page_templates::RadioColumn(14, 20, 280, 13,
                                        {{P::IDC_SWAY, "1. Globale Schiefstellung"},
                                         {P::IDC_BOW, "2. Globale Vorkrümmung"},
                                         {P::IDC_ECC, "3. Ausmitte affin zur Knickfigur mit dem niedrigsten Eigenwert"}}),
            {{P::IDC_FRAME, Kind::GroupBox, "", 7, 68, 300, 104},
             {P::IDC_AID, Kind::Button, "Berechnungshilfe", 7, 178, 90, 14}},
        })),
    PairTemplate(CVorvSwayDlg::kTemplateId, "Psi-Y", CVorvSwayDlg::IDC_PSI_Y, "Psi_Z", CVorvSwayDlg::IDC_PSI_Z,
                 "direkte Vorgabe der Schiefstellung", CVorvSwayDlg::IDC_DIRECT, CVorvSwayDlg::IDC_DIRECT_VALUE, "[%]"),
    PairTemplate(CVorvBowDlg::kTemplateId, "v0", CVorvBowDlg::IDC_V0, "w0", CVorvBowDlg::IDC_W0,
                 "direkte Vorgabe der Vorkrümmung", CVorvBowDlg::IDC_DIRECT, CVorvBowDlg::IDC_DIRECT_VALUE, "[cm]"),
    {CVorvEccDlg::kTemplateId,
     "",
     290,
     90,
     wl::kDlgChild,
     {
         {0, Kind::Static, "Ausmitte", 7, 9, 60, 10},
         {CVorvEccDlg::IDC_ECC, Kind::Edit, "", 70, 7, 60, 12, wl::kRight},
         {0, Kind::Static, "[cm]", 134, 9, 20, 10},
         {CVorvEccDlg::IDC_DIRECT, Kind::CheckBox, "direkte Vorgabe der Ausmiite", 7, 29, 200, 10},
         {0, Kind::Static, "Bezugsknoten", 7, 47, 60, 10},
         {CVorvEccDlg::IDC_NODE, Kind::Combo, "", 70, 45, 100, 80},
         {0, Kind::Static, "Ausmitte", 7, 65, 60, 10},
         {CVorvEccDlg::IDC_ECC_DIRECT, Kind::Edit, "", 70, 63, 60, 12, wl::kRight},
         {0, Kind::Static, "[cm]", 134, 65, 20, 10},
     }},
});

}  // namespace

// ---- sub-dialogs ------------------------------------------------------------------------------

bool CVorvSubDlg::OnInitDialog() {
    LINGO_HWNDTranslate(this, rigel::kAppInput, kSection, kDialogName);
    MapCommand(m_nDirectCheck, [this] { UpdateEnabling(); });
    ExchangeData(false);
    return true;
}

void CVorvSubDlg::ExchangeData(bool save) {
    if (!IsWindow() || !m_pRecord) return;
    UpdateData(save);
    if (!save) UpdateEnabling();
}

bool CVorvSubDlg::DirectChecked() const {
    const QWidget* w = GetDlgItemWidget(m_nDirectCheck);
    if (!w) return false;
    wl::DataExchange dx(const_cast<CVorvSubDlg&>(*this), true);
    int checked = 0;
    wl::DDX_Check(dx, m_nDirectCheck, checked);
    return checked == 1;
}

void CVorvSubDlg::Enable(wl::Window& w, int id, bool on) {
    if (wl::Window* c = w.GetDlgItem(id)) c->EnableWindow(on);
}

void CVorvPairDlg::DoDataExchange(wl::DataExchange& dx) {
    const Binding& b = m_binding;
    wl::DDX_Text(dx, b.first, m_pRecord->*b.firstValue);
    wl::DDX_Text(dx, b.second, m_pRecord->*b.secondValue);
    wl::DDX_Text(dx, b.directValue, m_pRecord->*b.directValueField);
    wl::DDX_Check(dx, b.directCheck, m_pRecord->*b.directCheckField);
}

void CVorvPairDlg::UpdateEnabling() {
    const bool direct = DirectChecked();
    Enable(*this, m_binding.directValue, direct);
    Enable(*this, m_binding.first, !direct);
    Enable(*this, m_binding.second, !direct);
}

void CVorvEccDlg::DoDataExchange(wl::DataExchange& dx) {
    wl::DDX_Text(dx, IDC_ECC, m_pRecord->m_ausmitte);
    wl::DDX_CBIndex(dx, IDC_NODE, m_pRecord->m_ausmitteKnoten);
    wl::DDX_Text(dx, IDC_ECC_DIRECT, m_pRecord->m_ausmitteGlobal);
    wl::DDX_Check(dx, IDC_DIRECT, m_pRecord->m_ausmitteDirekt);
}

void CVorvEccDlg::ExchangeData(bool save) {
    if (!IsWindow() || !m_pRecord) return;
    if (!save) {
        m_nodes.ResetContent();
        for (size_t i = 0; i < m_nodeX.size(); ++i) {
            char text[64];
            std::snprintf(text, sizeof text, "%ld (x=%.2lf m)", long(i + 1), m_nodeX[i]);
            m_nodes.AddString(text);
        }
    }
    CVorvSubDlg::ExchangeData(save);
}

bool CVorvEccDlg::OnInitDialog() {
    wl::DataExchange dx(*this, false);
    wl::DDX_Control(dx, IDC_NODE, m_nodes);
    return CVorvSubDlg::OnInitDialog();
}

void CVorvEccDlg::UpdateEnabling() {
    const bool direct = DirectChecked();
    Enable(*this, IDC_NODE, direct);
    Enable(*this, IDC_ECC_DIRECT, direct);
    Enable(*this, IDC_ECC, !direct);
}

// ---- the page ---------------------------------------------------------------------------------

void CVorvDlg::SetModuleData(CModuleData* data) {
    CMainPage::SetModuleData(data);
    CImperfectionSettings* record = data ? &data->m_vorvSettings : nullptr;
    for (CVorvSubDlg* sub : {static_cast<CVorvSubDlg*>(&m_sway), static_cast<CVorvSubDlg*>(&m_bow),
                             static_cast<CVorvSubDlg*>(&m_ecc)})
        sub->SetRecord(record);
}

bool CVorvDlg::OnInitDialog() {
    LINGO_HWNDTranslate(this, rigel::kAppInput, kSection, kDialogName);
    wl::Window* frame = GetDlgItem(IDC_FRAME);
    const wl::Rect r = frame ? frame->GetWindowRect() : wl::Rect{};
    for (CVorvSubDlg* sub : {static_cast<CVorvSubDlg*>(&m_sway), static_cast<CVorvSubDlg*>(&m_bow),
                             static_cast<CVorvSubDlg*>(&m_ecc)}) {
        sub->CreateChild(this);
        sub->MoveWindow(r.left + 4, r.top + 12, r.Width() - 8, r.Height() - 16);
    }
    for (int id : {int(IDC_SWAY), int(IDC_BOW), int(IDC_ECC)}) MapCommand(id, [this] { OnKindRadio(); });
    MapCommand(IDC_AID, [this] { OnAid(); });
    m_nKind = 0;
    ExchangeData(false);
    ShowSubDialog();
    return true;
}

void CVorvDlg::DoDataExchange(wl::DataExchange& dx) { wl::DDX_Radio(dx, IDC_SWAY, m_nKind); }

void CVorvDlg::ExchangeData(bool save) {
    if (!IsWindow() || !m_pData) return;
    CImperfectionSettings& v = m_pData->m_vorvSettings;
    if (!save) {
        m_nKind = v.m_vorvType;
        m_ecc.SetNodes(NodePositions(*m_pData));
        m_sway.ExchangeData(false);
        m_bow.ExchangeData(false);
        m_ecc.ExchangeData(false);
        UpdateData(false);
        ShowSubDialog();
        return;
    }
    UpdateData(true);
    if (m_nKind >= 0) v.m_vorvType = m_nKind;
    m_sway.ExchangeData(true);
    m_bow.ExchangeData(true);
    m_ecc.ExchangeData(true);
}

void CVorvDlg::ShowSubDialog() {
    m_sway.ShowWindow(m_nKind == 0 ? wl::SW_SHOW : wl::SW_HIDE);
    m_bow.ShowWindow(m_nKind == 1 ? wl::SW_SHOW : wl::SW_HIDE);
    m_ecc.ShowWindow(m_nKind == 2 ? wl::SW_SHOW : wl::SW_HIDE);
}

void CVorvDlg::OnKindRadio() {
    ExchangeData(true);
    ShowSubDialog();
}

void CVorvDlg::OnAid() {
    if (!m_pData) return;
    ExchangeData(true);
    if (CVorvWiz::RunOnPosition(*m_pData) == wl::IDOK) ExchangeData(false);
}
