#include "dialogs/MainDlg.h"

#include <algorithm>
#include <string>

#include "dialogs/ImportValDlg.h"
#include "dialogs/LostImportDlg.h"
#include "dialogs/PlauCtrl.h"
#include "dialogs/SpringValDlg.h"
#include "module/frame/ModuleMessages.h"
#include "module/frame/Utilities.h"
#include "platform/lingo/lingo.h"
#include "platform/wl/templates.h"
#include "platform/wl/translate.h"

namespace {

using wl::Kind;

constexpr const char* kSectionRigel = "velor_i_rigel";
constexpr const char* kDialogName = "RigelDlg";

const wl::TemplateRegistrar kTemplate({
    IDD_MAIN_DIALOG,
    "",
    600,
    370,
    wl::kDlgChild,
    {
        {IDC_MAIN_TAB, Kind::Tab, "", 5, 5, 590, 360},
        {IDC_MAIN_PLACEHOLDER, Kind::Static, "", 10, 22, 580, 338, wl::kHidden},
        {IDC_LASTUEBERNAHME, Kind::Button, "Lastübernahme", 470, 0, 60, 14},
        {IDC_EINWIRKUNGEN, Kind::Button, "Einwirkungen", 530, 0, 60, 14},
    },
});

// The tab texts of the page ids.
const char* TabText(int pageId) {
    static const char* texts[] = {"",       "Steuerwerte", "System",       "Bettung/Einzelfedern", "Vorverformung",
                                  "Gelenke", "Lasten",     "Einzelpunkte", "Ergebnisse",           "Ausgabe"};
    return pageId >= 0 && pageId < 10 ? texts[pageId] : "";
}

CMainDialogBase* MakeWindowDialog(int64_t parentWindow) {
    if (!wl::HasWindowSystem()) return nullptr;
    wl::Window* host = wl::Window::FromHandle(static_cast<std::uintptr_t>(parentWindow));
    if (!host || !host->IsWindow()) return nullptr;
    auto* dlg = new DIzevoViv();
    if (!dlg->Create(nullptr)) {
        delete dlg;
        return nullptr;
    }
    dlg->EmbedIn(host);
    dlg->SetParentWindow(parentWindow);
    // The calculation's plausibility questions and the question about
    // imported values no longer available are asked in windows now.
    InstallPlauWindows();
    InstallLostImportWindow();
    return dlg;
}

const bool kMakerRegistered = (RegisterMainDialogMaker(), true);

}  // namespace

void RegisterMainDialogMaker() { SetMainDialogMaker(&MakeWindowDialog); }

// ---- CMainDlgBase ------------------------------------------------------------------------------

bool CMainDlgBase::OnInitDialog() {
    wl::Dialog::OnInitDialog();
    const wl::Rect r = GetWindowRect();
    m_nInitialWidth = r.Width();
    m_nInitialHeight = r.Height();
    return true;
}

// ---- DIzevoViv ---------------------------------------------------------------------------------

DIzevoViv::DIzevoViv() : CMainDlgBase(IDD_MAIN_DIALOG) {
    (void)kMakerRegistered;
    for (CMainPage* page : AllPages()) page->SetModuleData(&m_data);
    m_vaduSysDlg.reloadPoints = [this] { m_vaduIntegrityGrid.ExchangeData(false); };
    m_tabPages.assign(9, 0);
}

DIzevoViv::~DIzevoViv() {
    // No page may reach the data while the windows go.
    m_data.m_pDialog = nullptr;
    DestroyWindow();
}

std::vector<CMainPage*> DIzevoViv::AllPages() {
    return {&m_varDefPage,    &m_rigelCtrlDlg,  &m_vaduCtrlDlg,       &m_systemPage,    &m_vaduSysDlg,
            &m_supportsPage,  &m_hingesPage,    &m_vorvDlg,           &m_loadsPage,     &m_kranloadDlg,
            &m_vaduIntegrityGrid, &m_resultsPage, &m_vaduResultDlg,   &m_rigelOutputDlg, &m_vaduOutputDlg};
}

bool DIzevoViv::IsCrane() const { return m_data.IsCraneRunway(); }

bool DIzevoViv::IsCraneWithBedding() const { return m_data.IsCraneRunwayWithBedding(); }

std::vector<CMainPage*> DIzevoViv::ExchangeOrder() {
    if (IsCrane())
        return {&m_varDefPage, &m_vaduCtrlDlg, &m_vaduSysDlg, &m_supportsPage, &m_hingesPage,
                &m_kranloadDlg, &m_vaduIntegrityGrid, &m_vaduResultDlg, &m_vaduOutputDlg};
    return {&m_varDefPage, &m_rigelCtrlDlg, &m_systemPage, &m_supportsPage, &m_vorvDlg,
            &m_hingesPage, &m_loadsPage,   &m_resultsPage, &m_rigelOutputDlg};
}

std::vector<CMainPage*> DIzevoViv::SyncOrder() {
    if (IsCrane())
        return {&m_varDefPage, &m_vaduCtrlDlg, &m_vaduSysDlg, &m_supportsPage,
                &m_hingesPage, &m_vaduIntegrityGrid, &m_kranloadDlg, &m_vaduOutputDlg};
    return {&m_varDefPage, &m_rigelCtrlDlg, &m_systemPage, &m_supportsPage,
            &m_vorvDlg,    &m_hingesPage,   &m_loadsPage,  &m_rigelOutputDlg};
}

CMainPage* DIzevoViv::PageOfId(int pageId) {
    const bool crane = IsCrane();
    switch (pageId) {
    case PAGE_VARDEF: return &m_varDefPage;
    case PAGE_CONTROL: return crane ? static_cast<CMainPage*>(&m_vaduCtrlDlg) : &m_rigelCtrlDlg;
    case PAGE_SYSTEM: return crane ? static_cast<CMainPage*>(&m_vaduSysDlg) : &m_systemPage;
    case PAGE_SUPPORTS: return &m_supportsPage;
    case PAGE_IMPERFECTION: return &m_vorvDlg;
    case PAGE_HINGES: return &m_hingesPage;
    case PAGE_LOADS: return crane ? static_cast<CMainPage*>(&m_kranloadDlg) : &m_loadsPage;
    case PAGE_POINTS: return &m_vaduIntegrityGrid;
    case PAGE_RESULTS: return crane ? static_cast<CMainPage*>(&m_vaduResultDlg) : &m_resultsPage;
    case PAGE_OUTPUT: return crane ? static_cast<CMainPage*>(&m_vaduOutputDlg) : &m_rigelOutputDlg;
    default: return nullptr;
    }
}

bool DIzevoViv::OnInitDialog() {
    CMainDlgBase::OnInitDialog();
    LINGO_HWNDTranslate(this, rigel::kAppInput, kSectionRigel, kDialogName);
    wl::DataExchange dx(*this, false);
    wl::DDX_Control(dx, IDC_MAIN_TAB, m_tab);
    if (wl::Window* placeholder = GetDlgItem(IDC_MAIN_PLACEHOLDER)) placeholder->ShowWindow(wl::SW_HIDE);
    for (CMainPage* page : {static_cast<CMainPage*>(&m_varDefPage), static_cast<CMainPage*>(&m_rigelCtrlDlg),
                            static_cast<CMainPage*>(&m_vaduCtrlDlg), static_cast<CMainPage*>(&m_systemPage),
                            static_cast<CMainPage*>(&m_vaduSysDlg), static_cast<CMainPage*>(&m_supportsPage),
                            static_cast<CMainPage*>(&m_hingesPage), static_cast<CMainPage*>(&m_vorvDlg),
                            static_cast<CMainPage*>(&m_loadsPage), static_cast<CMainPage*>(&m_kranloadDlg),
                            static_cast<CMainPage*>(&m_vaduIntegrityGrid), static_cast<CMainPage*>(&m_resultsPage),
                            static_cast<CMainPage*>(&m_vaduResultDlg), static_cast<CMainPage*>(&m_rigelOutputDlg),
                            static_cast<CMainPage*>(&m_vaduOutputDlg)}) {
        page->CreateChild(this);
        page->ShowWindow(wl::SW_HIDE);
    }
    MapNotify(IDC_MAIN_TAB, wl::TCN_SELCHANGE, [this](const wl::Notify&) -> std::intptr_t {
        ShowPage();
        return 0;
    });
    MapCommand(IDC_EINWIRKUNGEN, [this] { m_loadsPage.OnEinwirkungen(); });
    MapCommand(IDC_LASTUEBERNAHME, [this] { OnValueImport(); });
    SetupTabs();
    Layout();
    return true;
}

void DIzevoViv::SetupTabs() {
    m_tab.DeleteAllItems();
    m_tabPages.resize(9, 0);
    std::vector<int> ids;
    if (!IsCrane())
        ids = {0, 1, 2, 3, 4, 5, 6, 8, 9};
    else if (IsCraneWithBedding())
        ids = {0, 1, 2, 3, 5, 6, 7, 8, 9};
    else
        ids = {0, 1, 2, 6, 7, 8, 9};
    for (size_t i = 0; i < ids.size(); ++i) {
        const int id = ids[i];
        const std::string text = id == PAGE_VARDEF ? m_data.GetVortextCaption()
                                                   : lingo::Translate(rigel::kAppInput, kSectionRigel, kDialogName,
                                                                      TabText(id));
        if (m_tab.IsWindow()) m_tab.InsertItem(int(i), text);
        m_tabPages[i] = id;
    }
    // Other tabs, other room beside them for the loads tab's buttons.
    if (m_resizer.GetCount() > 0) Layout();
}

int DIzevoViv::GetTabIndexOfPage(int pageId) const {
    int found = -1;
    const int tabs = m_tab.IsWindow() ? m_tab.GetItemCount() : int(m_tabPages.size());
    for (int i = 0; i < tabs && i < int(m_tabPages.size()); ++i)
        if (m_tabPages[size_t(i)] == pageId) found = i;
    return found >= 0 ? found : 1;
}

int DIzevoViv::GetPageIdOfTab(int tabIndex) const {
    if (tabIndex < 0 || tabIndex >= int(m_tabPages.size())) return -1;
    if (m_tab.IsWindow() && tabIndex >= m_tab.GetItemCount()) return -1;
    return m_tabPages[size_t(tabIndex)];
}

int DIzevoViv::GetCurPage() const { return m_tab.IsWindow() ? m_tab.GetCurSel() : -1; }

void DIzevoViv::SelectPage(int tabIndex) {
    if (m_tab.IsWindow()) m_tab.SetCurSel(tabIndex);
}

void DIzevoViv::ExchangePage(CMainPage& page, bool save) { page.ExchangeData(save); }

void DIzevoViv::ExchangeData(int bSave) {
    const bool save = bSave != 0;
    if (!save) {
        SetupTabs();
        if (m_pPreview) {
            m_pPreview->SetMemberDesign(!IsCrane());
            m_pPreview->ShowSelectedView();
        }
    }
    for (CMainPage* page : ExchangeOrder()) ExchangePage(*page, save);
    UpdateData(save);
}

void DIzevoViv::SyncPages(int selectedId) {
    for (CMainPage* page : SyncOrder()) ExchangePage(*page, page->PageId() != selectedId);
}

void DIzevoViv::RunCalculation() { m_data.Recalc(0, 1); }

void DIzevoViv::RedrawSketch() {
    m_data.DrawSystem2D(0);
    m_data.DrawSystem3D(1);
}

void DIzevoViv::ShowPage() {
    const int tab = GetCurPage();
    if (tab < 0) return;
    const int id = GetPageIdOfTab(tab);
    CMainPage* shown = PageOfId(id);
    for (CMainPage* page : AllPages())
        if (page->IsWindow()) page->ShowWindow(page == shown ? wl::SW_SHOW : wl::SW_HIDE);
    const bool loadButtons = id == PAGE_LOADS && !IsCrane();
    for (int button : {IDC_EINWIRKUNGEN, IDC_LASTUEBERNAHME})
        if (wl::Window* w = GetDlgItem(button)) w->ShowWindow(loadButtons ? wl::SW_SHOW : wl::SW_HIDE);
    if (id != PAGE_RESULTS && m_data.m_nCurrentIndex != -1) m_data.m_nCurrentIndex = -1;
    if (id == PAGE_RESULTS) {
        SyncPages(PAGE_RESULTS);
        RunCalculation();
        if (m_pPreview) {
            m_pPreview->SelectTab(1);
            m_pPreview->ShowSelectedView();
        }
        ExchangePage(IsCrane() ? static_cast<CMainPage&>(m_vaduResultDlg) : m_resultsPage, false);
    } else if (id == PAGE_OUTPUT) {
        SyncPages(PAGE_RESULTS);
        RunCalculation();
        ExchangePage(m_rigelOutputDlg, false);
    } else {
        SyncPages(id);
    }
    RedrawSketch();
}

void DIzevoViv::OnSize(unsigned type, int cx, int cy) {
    CMainDlgBase::OnSize(type, cx, cy);
    Layout();
}

void DIzevoViv::Layout() {
    if (!m_tab.IsWindow()) return;
    wl::Window* placeholder = GetDlgItem(IDC_MAIN_PLACEHOLDER);
    wl::Window* einw = GetDlgItem(IDC_EINWIRKUNGEN);
    wl::Window* take = GetDlgItem(IDC_LASTUEBERNAHME);
    if (m_resizer.GetCount() == 0) {
        wl::Rect tab, holder;
        GetChildRectInParent(this, &m_tab, tab);
        m_nMargin = tab.left;
        const int m = m_nMargin;
        m_resizer.AddControl(&m_tab, 0, 0, 100, 100, m, m, -m, -m);
        if (placeholder) {
            GetChildRectInParent(this, placeholder, holder);
            const int d = holder.top - tab.top;
            m_resizer.AddControl(placeholder, 0, 0, 100, 100, 2 * m, d + m, -2 * m, -2 * m);
        }
        // The buttons keep their template size; their place follows the tabs.
        if (einw) GetChildRectInParent(this, einw, m_buttonSize[0]);
        if (take) GetChildRectInParent(this, take, m_buttonSize[1]);
    }
    m_resizer.Layout(GetClientRect());
    if (!placeholder) return;
    wl::Rect page;
    GetChildRectInParent(this, placeholder, page);
    const int pageTop = LayoutLoadButtons(page);
    for (CMainPage* page_ : AllPages()) {
        if (!page_->IsWindow()) continue;
        const int top = page_ == &m_loadsPage ? pageTop : page.top;
        page_->SetWindowPos(wl::ZOrder::Top, page.left, top, page.Width(), page.bottom - top, wl::SWP_NOZORDER);
    }
}

int DIzevoViv::LayoutLoadButtons(const wl::Rect& page) {
    wl::Window* einw = GetDlgItem(IDC_EINWIRKUNGEN);
    wl::Window* take = GetDlgItem(IDC_LASTUEBERNAHME);
    if (!einw || !take) return page.top;
    const int m = m_nMargin;
    const int w1 = m_buttonSize[0].Width(), w2 = m_buttonSize[1].Width();
    const int h = std::max(m_buttonSize[0].Height(), m_buttonSize[1].Height());
    wl::Rect tab;
    GetChildRectInParent(this, &m_tab, tab);
    // The right end of the tabs at their natural widths: with room beside
    // them the buttons sit in the tab row at its right end, as the template
    // places them.
    const int tabsRight = tab.left + m_tab.GetNaturalItemsWidth();
    wl::Rect item;
    int rowTop = tab.top, rowHeight = h;
    if (m_tab.GetItemRect(0, item)) {
        rowTop = tab.top + item.top;
        rowHeight = item.Height();
    }
    const int right = tab.right - 3 * m;
    if (right - w1 - w2 >= tabsRight + 2 * m) {
        m_bButtonsBelowTabs = false;
        const int top = rowTop + std::max(0, (rowHeight - h) / 2);
        einw->MoveWindow(right - w1, top, w1, h);
        take->MoveWindow(right - w1 - w2, top, w2, h);
        return page.top;
    }
    // Otherwise they take a strip at the top of the loads page's place, at
    // its right end, and the page starts below them.
    m_bButtonsBelowTabs = true;
    const int top = page.top;
    const int r = page.right - m;
    einw->MoveWindow(r - w1, top, w1, h);
    take->MoveWindow(r - w1 - w2, top, w2, h);
    return top + h + m / 2;
}

bool DIzevoViv::EmbedIn(wl::Window* host) {
    if (!host || !IsWindow()) return false;
    SetParent(host);
    const wl::Rect c = host->GetClientRect();
    MoveWindow(0, 0, c.Width(), c.Height());
    ShowWindow(wl::SW_SHOW);
    return true;
}

void DIzevoViv::SelectTabAndShowPage(int tab) {
    SelectPage(tab);
    ShowPage();
}

CExtGridCtrl* DIzevoViv::GridOfPage(int pageId) {
    CMainPage* page = PageOfId(pageId);
    if (page == &m_systemPage) return &m_systemPage.Grid();
    if (page == &m_supportsPage) return &m_supportsPage.Grid();
    if (page == &m_hingesPage) return &m_hingesPage.Grid();
    if (page == &m_loadsPage) return &m_loadsPage.Grid();
    if (page == &m_vaduSysDlg) return &m_vaduSysDlg.SysGrid();
    if (page == &m_kranloadDlg) return &m_kranloadDlg.CraneGrid();
    if (page == &m_vaduIntegrityGrid) return &m_vaduIntegrityGrid.Grid();
    return nullptr;
}

void DIzevoViv::HighlightGridRow(int pageId, int row) {
    if (CExtGridCtrl* grid = GridOfPage(pageId); grid && grid->IsWindow()) grid->HighlightRow(row);
}

void DIzevoViv::SelectGridCell(int pageId, int row, int col) {
    if (CExtGridCtrl* grid = GridOfPage(pageId); grid && grid->IsWindow()) grid->SelectCell(row, col);
}

void DIzevoViv::OnSystemSectionButton(int pageId, int row, int col) {
    if (PageOfId(pageId) == &m_systemPage && m_systemPage.Grid().IsWindow())
        m_systemPage.Grid().OnButtonCellClicked(row, col);
}

void DIzevoViv::ReloadPageGrid(int pageId) {
    if (CMainPage* page = PageOfId(pageId)) page->ExchangeData(false);
}

void DIzevoViv::OnValueImport() {
    ExchangeData(1);
    CDlgImportVal dlg;
    dlg.SetBaseData(&m_data);
    if (dlg.DoModal() != wl::IDOK) return;
    m_varDefPage.TransferData(false);
    m_varDefPage.TransferData(true);
    for (CMainPage* page : {static_cast<CMainPage*>(&m_systemPage), static_cast<CMainPage*>(&m_supportsPage),
                            static_cast<CMainPage*>(&m_vorvDlg), static_cast<CMainPage*>(&m_hingesPage),
                            static_cast<CMainPage*>(&m_loadsPage)})
        page->ExchangeData(false);
    m_data.UpdateViews(0);
}

bool DIzevoViv::OnHelpInfo() {
    const int id = GetPageIdOfTab(GetCurPage());
    if (!IsCrane()) {
        static const char* topics[] = {"Vortexttabellen.htm", "RGL_Steuerwerte.htm", "RGL_System.htm",
                                       "Bettungen_Einzelfedern.htm", "Vorverformungen.htm", "Gelenke.htm",
                                       "RGL_Belastung.htm", "Anwendungsbereich.htm", "Ergebnisse.htm", "Ausgabe.htm"};
        OpenHelpTopic("rigel.chm", id >= 0 && id < 10 ? topics[id] : "Anwendungsbereich.htm");
        return true;
    }
    if (DialogHelpLanguage() == "französisch") {
        static const char* topics[] = {"TAB_QUILL.htm",  "TAB_CONTROL.htm", "TAB_SYSTEM.htm",  "TAB_SPRINGS.htm",
                                       "HomePage.htm",   "TAB_HINGES.htm",  "TAB_LOADS.htm",   "TAB_FATIGUE.htm",
                                       "TAB_RESULTS.htm", "TAB_OUTPUT.htm"};
        OpenHelpTopic("CraneHelp.chm", id >= 0 && id < 10 ? topics[id] : "HomePage.htm");
        return true;
    }
    std::string manual = lingo::Translate(rigel::kAppInput, kSectionRigel, kDialogName, "Handbuch Kranbahn.pdf");
    OpenProgramDocument("txt/" + manual);
    return true;
}

CPlauTargets DIzevoViv::GetPlauTargets() {
    CPlauTargets t;
    if (!IsWindow()) return t;
    t.mainDlg = this;
    t.tabCtrl = this;
    t.systemGrid = IsCrane() ? m_vaduSysDlg.PlauTarget() : m_systemPage.PlauTarget();
    t.loadGrid = m_loadsPage.PlauTarget();
    t.springGrid = m_supportsPage.PlauTarget();
    if (!IsCrane()) t.settingsControl = m_rigelCtrlDlg.PlauTarget();
    return t;
}

void DIzevoViv::ShowPage(int /*page*/) { ShowPage(); }

void DIzevoViv::Redraw() { Invalidate(); }

int DIzevoViv::GetCurPageId() const { return GetPageIdOfTab(GetCurPage()); }

void DIzevoViv::SetCurSel(int page) { SelectPage(GetTabIndexOfPage(page)); }
