#include "dialogs/RigelOutputDlg.h"

#include <filesystem>
#include <system_error>

#include "dialogs/RigelOutputWiz.h"
#include "dialogs/core/OutputOptions.h"
#include "graphics/TreePaths.h"
#include "module/frame/ModuleMessages.h"
#include "module/frame/Utilities.h"
#include "platform/wl/templates.h"
#include "platform/wl/translate.h"

namespace {

using wl::Kind;

constexpr const char* kSectionRigel = "velor_i_rigel";
constexpr const char* kDialogName = "RigelOutputDlg";

std::string Tr(const std::string& text) {
    return lingo::Translate(rigel::kAppInput, kSectionRigel, kDialogName, text);
}

const std::vector<std::string> kCombinationModes = {"Keine", "Maximales", "Relevante", "Alle"};

// The switches and buttons on the left, the chapter tree filling the rest.
const wl::TemplateRegistrar kTemplate({
    IDD_RIGEL_OUTPUT,
    "",
    580,
    330,
    wl::kDlgChild,
    {
        {-1, Kind::GroupBox, "Kapitel", 5, 5, 160, 64},
        {IDC_OUTPUT_INPUT, Kind::CheckBox, "Eingabeprotokoll", 12, 17, 146, 10},
        {IDC_OUTPUT_GEBR, Kind::CheckBox, "Gebrauchstauglichkeit", 12, 30, 146, 10},
        {IDC_OUTPUT_TRAGSV, Kind::CheckBox, "Tragsicherheit", 12, 43, 146, 10},
        {IDC_OUTPUT_CT, Kind::CheckBox, "c/t - Nachweis", 12, 56, 146, 10},
        {-1, Kind::GroupBox, "Ergebnisse Lastkollektive", 5, 74, 160, 50},
        {-1, Kind::Static, "Gebrauchstauglichkeit:", 12, 89, 76, 10},
        {IDC_OUTPUT_LK_GEBR, Kind::Combo, "", 90, 87, 68, 60, wl::kTranslatable, kCombinationModes},
        {-1, Kind::Static, "Tragsicherheit:", 12, 106, 76, 10},
        {IDC_OUTPUT_LK_TRAGSV, Kind::Combo, "", 90, 104, 68, 60, wl::kTranslatable, kCombinationModes},
        {-1, Kind::GroupBox, "Kapitel Auswahl", 5, 129, 160, 68},
        {IDC_OUTPUT_ASSISTANT, Kind::Button, "Ausgabeassistent", 12, 141, 146, 15},
        {IDC_OUTPUT_LOAD, Kind::Button, "Zusammenstellung laden", 12, 159, 146, 15},
        {IDC_OUTPUT_SAVE, Kind::Button, "Zusammenstellung speichern", 12, 177, 146, 15},
        {IDC_OUTPUT_WRITE, Kind::Button, "Ausgabe erzeugen", 5, 205, 160, 18},
        {IDC_OUTPUT_TREE, Kind::Tree, "", 172, 5, 403, 320, wl::kCheckBoxes},
    },
});

}  // namespace

void COutputChapterTree::OnCheckToggled(Item item, int state) { m_page.RecursiveCheck(item, state); }

CRigelOutputDlg::CRigelOutputDlg() : CMainPage(IDD_RIGEL_OUTPUT, PAGE_OUTPUT), m_tree(*this) {}

CRigelOutputDlg::~CRigelOutputDlg() {
    if (IsWindow()) KillTimer(kRefreshTimer);
    DestroyWindow();
}

bool CRigelOutputDlg::OnInitDialog() {
    LINGO_HWNDTranslate(this, rigel::kAppInput, kSectionRigel, kDialogName);
    m_tree.SubclassDlgItem(IDC_OUTPUT_TREE, *this);
    MapCommand(IDC_OUTPUT_WRITE, [this] { OnWriteOutput(); });
    MapCommand(IDC_OUTPUT_ASSISTANT, [this] { OnAssistant(); });
    MapCommand(IDC_OUTPUT_LOAD, [this] { OnLoadSelection(); });
    MapCommand(IDC_OUTPUT_SAVE, [this] { OnSaveSelection(); });
    m_bRefreshPending = false;
    SetTimer(kRefreshTimer, kRefreshMilliseconds);
    UpdateData(false);
    const wl::Rect c = GetClientRect();
    OnSize(wl::SIZE_RESTORED, c.Width(), c.Height());
    return true;
}

void CRigelOutputDlg::OnSize(unsigned type, int cx, int cy) {
    CMainPage::OnSize(type, cx, cy);
    if (!m_tree.IsWindow()) return;
    if (m_resizer.GetCount() == 0) {
        wl::Rect r;
        GetChildRectInParent(this, &m_tree, r);
        m_resizer.AddControl(&m_tree, 0, 0, 100, 100, r.left, r.top, -r.top, -r.top);
    }
    m_resizer.Layout(GetClientRect());
}

void CRigelOutputDlg::DoDataExchange(wl::DataExchange& dx) {
    wl::DDX_CBIndex(dx, IDC_OUTPUT_LK_GEBR, m_nLKgebr);
    wl::DDX_CBIndex(dx, IDC_OUTPUT_LK_TRAGSV, m_nLKTragSV);
    wl::DDX_Check(dx, IDC_OUTPUT_INPUT, m_bChapterInput);
    wl::DDX_Check(dx, IDC_OUTPUT_GEBR, m_bChapterGebr);
    wl::DDX_Check(dx, IDC_OUTPUT_TRAGSV, m_bChapterTragSV);
    wl::DDX_Check(dx, IDC_OUTPUT_CT, m_bChapterCT);
}

void CRigelOutputDlg::ExchangeData(bool save) {
    if (!m_pData) return;
    CModuleData& d = *m_pData;
    if (!save) {
        m_nLKgebr = d.m_rtfLKgebr;
        m_nLKTragSV = d.m_rtfLKTragSV;
        m_bChapterInput = d.m_bRtfChapterInput;
        m_bChapterGebr = d.m_bRtfChapterGebr;
        m_bChapterTragSV = d.m_bRtfChapterTragSV;
        m_bChapterCT = d.m_bRtfChapterCT;
        if (IsWindow()) UpdateData(false);
        m_bRefreshPending = true;
        return;
    }
    if (!IsWindow()) return;
    // While a refresh is pending the tree still shows what was loaded
    // before; the options are newer than its marks.
    if (!m_bRefreshPending)
        for (size_t id = 0; id < m_items.size() && id < d.m_rtfOptions.size(); ++id)
            if (m_items[id]) d.m_rtfOptions[id] = m_tree.GetCheck(m_items[id]) ? 1 : 0;
    UpdateData(true);
    d.m_rtfLKgebr = m_nLKgebr;
    d.m_rtfLKTragSV = m_nLKTragSV;
    d.m_bRtfChapterInput = m_bChapterInput;
    d.m_bRtfChapterGebr = m_bChapterGebr;
    d.m_bRtfChapterTragSV = m_bChapterTragSV;
    d.m_bRtfChapterCT = m_bChapterCT;
}

void CRigelOutputDlg::OnTimer(unsigned id) {
    if (id != kRefreshTimer || !m_bRefreshPending || !m_tree.IsWindow()) return;
    m_tree.SelectItem(0);
    RebuildTree();
    for (size_t i = 0; i < m_items.size(); ++i) {
        const wl::TreeCtrl::Item item = m_items[i];
        if (!item) continue;
        const bool set = m_pData && i < m_pData->m_rtfOptions.size() && m_pData->m_rtfOptions[i] != 0;
        if (!set) {
            m_tree.SetCheck(item, false);
            continue;
        }
        for (wl::TreeCtrl::Item a = item; a; a = m_tree.GetParentItem(a)) m_tree.SetCheck(a, true);
    }
    TreeRedraw(&m_tree);
    m_bRefreshPending = false;
}

void CRigelOutputDlg::RebuildTree() {
    m_paths = OutputChapterPaths();
    m_tree.DeleteAllItems();
    m_items.assign(m_paths.size(), 0);
    for (size_t id = 0; id < m_paths.size(); ++id) {
        if (m_paths[id].empty()) continue;
        HTREEITEM item = 0;
        if (TreeInsertPath(item, m_paths[id], &m_tree)) m_items[id] = item;
    }
    HTREEITEM chapter = 0;
    if (TreeFindPath(chapter, 0, "Eingabe", &m_tree, false)) m_tree.Expand(chapter);
    for (const char* name : {"Gebrauchstauglichkeit", "Tragsicherheit"}) {
        if (!TreeFindPath(chapter, 0, name, &m_tree, false)) continue;
        m_tree.Expand(chapter);
        for (HTREEITEM child = m_tree.GetChildItem(chapter); child; child = m_tree.GetNextSiblingItem(child))
            m_tree.Expand(child);
    }
}

void CRigelOutputDlg::RecursiveCheck(wl::TreeCtrl::Item item, int state) {
    if (!item) return;
    std::vector<std::intptr_t> below;
    TreeCollectItems(item, &m_tree, below, true);
    for (std::intptr_t i : below) m_tree.SetCheck(i, state != 0);
    if (state)
        for (wl::TreeCtrl::Item a = m_tree.GetParentItem(item); a; a = m_tree.GetParentItem(a)) m_tree.SetCheck(a, true);
    TreeRedraw(&m_tree);
}

wl::TreeCtrl::Item CRigelOutputDlg::ItemOfOption(int id) const {
    return id >= 0 && size_t(id) < m_items.size() ? m_items[size_t(id)] : 0;
}

// ---- the buttons --------------------------------------------------------------------------------

void CRigelOutputDlg::OnWriteOutput() {
    if (!m_pData) return;
    // The report is written with exactly the selection the page shows: the
    // tree's ticks and the chapter switches; the tree keeps them.
    ExchangeData(true);
    const std::string rtf = m_pData->GetRtfFileName();
    if (!rtf.empty() && FileExists(rtf)) {
        std::error_code ec;
        std::filesystem::remove(rtf, ec);
        if (ec || FileExists(rtf)) {
            winsys::MessageBox(Tr("Die Ausgabedatei konnte nicht neu erstellt werden.\nEventuell ist sie gerade in "
                                  "Bearbeitung..."),
                               "", winsys::Buttons::Ok, winsys::Icon::Warning);
            return;
        }
    }
    m_pData->EditOutput();
}

int CRigelOutputDlg::RunAssistant() {
    CRigelOutputWiz wiz(Tr("Ausgabeassistent"), m_pData);
    return wiz.DoModal();
}

void CRigelOutputDlg::OnAssistant() {
    if (!m_pData) return;
    ExchangeData(true);
    if (RunAssistant() != wl::IDOK) return;
    RebuildChapterOptions(m_pData->m_rtfOptions, m_pData->m_rtfWizOptions);
    ExchangeData(false);
}

wl::FileRequest CRigelOutputDlg::TemplateRequest(const std::string& proposedName) const {
    wl::FileRequest r;
    std::string title;
    if (m_pData) m_pData->GetProgramTitle(title);
    r.fileName = proposedName;
    r.filter = title + Tr(" Zusammenstellung(*.RIGEL.vor)") + "|*.RIGEL.vor||";
    r.folder = GetDataDir() + "/Vorlagen";
    return r;
}

void CRigelOutputDlg::OnLoadSelection() {
    if (!m_pData) return;
    CCurDirKeeper keep;
    const std::optional<std::string> chosen = wl::GetUi().GetOpenFileName(TemplateRequest(""), this);
    if (!chosen) return;
    // A file that does not open, or holds no selection, changes nothing.
    if (LoadOutputTemplate(OutputTemplatePath(*chosen), *m_pData)) ExchangeData(false);
}

void CRigelOutputDlg::OnSaveSelection() {
    if (!m_pData) return;
    CCurDirKeeper keep;
    const std::optional<std::string> chosen = wl::GetUi().GetSaveFileName(TemplateRequest("Ausgabe.RIGEL.vor"), this);
    if (!chosen) return;
    // The selection as the page shows it.
    ExchangeData(true);
    SaveOutputTemplate(OutputTemplatePath(*chosen), *m_pData);
}
