#include "dialogs/VorvDlg.h"

#include <cstdio>

#include "dialogs/VorvWiz.h"
#include "module/frame/ModuleMessages.h"
#include "platform/wl/templates.h"
#include "platform/wl/translate.h"

namespace {

using wl::Kind;
using P = CVorvDlg;

constexpr const char* kSection = "velor_i_rigel";
constexpr const char* kDialogName = "VorvDlg";

const wl::TemplateRegistrar kTemplates({
    {P::kTemplateId,
     "",
     580,
     330,
     wl::kDlgChild,
     {
         {0, Kind::GroupBox, "Ansatz von Vorverformungen", 7, 7, 300, 56},
         {P::IDC_SWAY, Kind::Radio, "1. Globale Schiefstellung", 14, 20, 280, 10, wl::kGroup},
         {P::IDC_BOW, Kind::Radio, "2. Globale Vorkrümmung", 14, 33, 280, 10},
         {P::IDC_ECC, Kind::Radio, "3. Ausmitte affin zur Knickfigur mit dem niedrigsten Eigenwert", 14, 46, 280, 10},
         {P::IDC_FRAME, Kind::GroupBox, "", 7, 68, 300, 104},
         {P::IDC_AID, Kind::Button, "Berechnungshilfe", 7, 178, 90, 14},
     }},
    {CVorvSwayDlg::kTemplateId,
     "",
     290,
     90,
     wl::kDlgChild,
     {
         {0, Kind::Static, "Psi-Y", 7, 9, 60, 10},
         {CVorvSwayDlg::IDC_PSI_Y, Kind::Edit, "", 70, 7, 60, 12, wl::kRight},
         {0, Kind::Static, "[%]", 134, 9, 20, 10},
         {0, Kind::Static, "Psi_Z", 7, 27, 60, 10},
         {CVorvSwayDlg::IDC_PSI_Z, Kind::Edit, "", 70, 25, 60, 12, wl::kRight},
         {0, Kind::Static, "[%]", 134, 27, 20, 10},
         {CVorvSwayDlg::IDC_DIRECT, Kind::CheckBox, "direkte Vorgabe der Schiefstellung", 7, 47, 200, 10},
         {CVorvSwayDlg::IDC_DIRECT_VALUE, Kind::Edit, "", 70, 63, 60, 12, wl::kRight},
         {0, Kind::Static, "[%]", 134, 65, 20, 10},
     }},
    {CVorvBowDlg::kTemplateId,
     "",
     290,
     90,
     wl::kDlgChild,
     {
         {0, Kind::Static, "v0", 7, 9, 60, 10},
         {CVorvBowDlg::IDC_V0, Kind::Edit, "", 70, 7, 60, 12, wl::kRight},
         {0, Kind::Static, "[cm]", 134, 9, 20, 10},
         {0, Kind::Static, "w0", 7, 27, 60, 10},
         {CVorvBowDlg::IDC_W0, Kind::Edit, "", 70, 25, 60, 12, wl::kRight},
         {0, Kind::Static, "[cm]", 134, 27, 20, 10},
         {CVorvBowDlg::IDC_DIRECT, Kind::CheckBox, "direkte Vorgabe der Vorkrümmung", 7, 47, 200, 10},
         {CVorvBowDlg::IDC_DIRECT_VALUE, Kind::Edit, "", 70, 63, 60, 12, wl::kRight},
         {0, Kind::Static, "[cm]", 134, 65, 20, 10},
     }},
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

void CVorvSwayDlg::DoDataExchange(wl::DataExchange& dx) {
    wl::DDX_Text(dx, IDC_PSI_Y, m_pRecord->m_psiY);
    wl::DDX_Text(dx, IDC_PSI_Z, m_pRecord->m_psiZ);
    wl::DDX_Text(dx, IDC_DIRECT_VALUE, m_pRecord->m_psiGlobal);
    wl::DDX_Check(dx, IDC_DIRECT, m_pRecord->m_psiDirekt);
}

void CVorvSwayDlg::UpdateEnabling() {
    const bool direct = DirectChecked();
    Enable(*this, IDC_DIRECT_VALUE, direct);
    Enable(*this, IDC_PSI_Y, !direct);
    Enable(*this, IDC_PSI_Z, !direct);
}

void CVorvBowDlg::DoDataExchange(wl::DataExchange& dx) {
    wl::DDX_Text(dx, IDC_V0, m_pRecord->m_v0);
    wl::DDX_Text(dx, IDC_W0, m_pRecord->m_w0);
    wl::DDX_Text(dx, IDC_DIRECT_VALUE, m_pRecord->m_wGlobal);
    wl::DDX_Check(dx, IDC_DIRECT, m_pRecord->m_w0Direkt);
}

void CVorvBowDlg::UpdateEnabling() {
    const bool direct = DirectChecked();
    Enable(*this, IDC_DIRECT_VALUE, direct);
    Enable(*this, IDC_V0, !direct);
    Enable(*this, IDC_W0, !direct);
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
