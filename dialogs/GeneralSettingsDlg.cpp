#include "dialogs/GeneralSettingsDlg.h"

#include "dialogs/SpringValDlg.h"
#include "module/frame/ModuleMessages.h"
#include "module/frame/Utilities.h"
#include "platform/lingo/lingo.h"
#include "platform/wl/templates.h"
#include "platform/wl/translate.h"

namespace {

using wl::Kind;

constexpr const char* kDialogName = "dlgAllg";

const wl::TemplateRegistrar kTemplate({
    CGeneralSettingsDlg::kTemplateId,
    "Allgemeine Einstellungen",
    240,
    118,
    0,
    {
        {0, Kind::Static, "Freie Textzeile", 7, 9, 70, 10},
        {CGeneralSettingsDlg::IDC_FREE_TEXT, Kind::Edit, "", 80, 7, 153, 12},
        {0, Kind::Static, "Erste Seitennummer", 7, 27, 70, 10},
        {CGeneralSettingsDlg::IDC_FIRST_PAGE, Kind::Edit, "", 80, 25, 50, 12, wl::kRight},
        {CGeneralSettingsDlg::IDC_FIRST_PAGE_SPIN, Kind::UpDown, "", 130, 25, 10, 12},
        {CGeneralSettingsDlg::IDC_PAGE_BREAK, Kind::CheckBox, "Seitenumbruch nach Vortexttabellen einfügen", 7, 47,
         226, 10},
        {CGeneralSettingsDlg::IDC_THICK_LINES, Kind::CheckBox, "Höhere Strichstärke bei Grafiken", 7, 63, 226, 10},
        {wl::IDOK, Kind::Button, "OK", 73, 97, 50, 14, wl::kDefault},
        {wl::IDCANCEL, Kind::Button, "Abbrechen", 128, 97, 50, 14},
        {wl::IDHELP, Kind::Button, "Hilfe", 183, 97, 50, 14},
    },
});

}  // namespace

void CGeneralSettingsDlg::DoDataExchange(wl::DataExchange& dx) {
    wl::DDX_Text(dx, IDC_FREE_TEXT, m_strFreeText);
    wl::DDX_Text(dx, IDC_FIRST_PAGE, m_nFirstPage);
    wl::DDX_Check(dx, IDC_PAGE_BREAK, m_bPageBreak);
    wl::DDX_Check(dx, IDC_THICK_LINES, m_bThickLines);
}

bool CGeneralSettingsDlg::OnInitDialog() {
    LINGO_HWNDTranslate(this, rigel::kAppInput, rigel::kSectionCommon, kDialogName);
    wl::DataExchange dx(*this, false);
    wl::DDX_Control(dx, IDC_FIRST_PAGE_SPIN, m_spin);
    // The range first: the spin writes its position into the edit.
    m_spin.SetRange(0, kMaxFirstPage);
    SetDlgItemText(IDC_FIRST_PAGE, {});
    if (m_pData) {
        m_strFreeText = m_pData->m_strFreeText;
        m_nFirstPage = m_pData->m_nPage;
        m_bPageBreak = m_pData->m_varDefs.m_bPageBreak;
        m_bThickLines = m_pData->m_bDickeLinie ? 1 : 0;
        UpdateData(false);
    }
    if (wl::Window* thick = GetDlgItem(IDC_THICK_LINES)) thick->ShowWindow(m_bShowThickLines ? wl::SW_SHOW : wl::SW_HIDE);
    MapCommand(wl::IDHELP, [this] { OnHelp(); });
    return true;
}

int CGeneralSettingsDlg::RunOn(CBaseData* data) {
    CGeneralSettingsDlg dlg;
    dlg.m_pData = data;
    return dlg.DoModal();
}

void CGeneralSettingsDlg::OnOK() {
    if (m_pData) {
        if (!UpdateData(true)) return;
        m_pData->m_strFreeText = m_strFreeText;
        m_pData->m_nPage = m_nFirstPage;
        m_pData->m_varDefs.m_bPageBreak = m_bPageBreak;
        // A switch the user cannot see is not kept.
        m_pData->m_bDickeLinie = m_bShowThickLines && m_bThickLines;
    }
    EndDialog(wl::IDOK);
}

void CGeneralSettingsDlg::OnHelp() {
    if (DialogHelpLanguage() == "französisch") {
        OpenHelpTopic("CraneHelp.chm", "editgen.htm");
        return;
    }
    // The file name is a path below the installation root, written with
    // backslashes.
    std::string file = lingo::Translate(rigel::kAppInput, rigel::kSectionCommon, kDialogName,
                                        "help\\Ausgabesteuerung Allgemeines.pdf");
    for (char& c : file)
        if (c == '\\') c = '/';
    OpenProgramDocument(file);
}
