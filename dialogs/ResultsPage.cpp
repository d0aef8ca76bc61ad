#include "dialogs/ResultsPage.h"

#include "dialogs/VerdictMarks.h"
#include "dialogs/core/ResultPaths.h"
#include "graphics/TreePaths.h"
#include "module/frame/ModuleMessages.h"
#include "platform/wl/templates.h"
#include "platform/wl/translate.h"

namespace {

using wl::Kind;

constexpr const char* kSectionRigel = "velor_i_rigel";
constexpr const char* kDialogName = "ResultsPage";

const wl::TemplateRegistrar kTemplate({
    IDD_RESULTS_PAGE,
    "",
    580,
    330,
    wl::kDlgChild,
    {
        {IDC_RESULTS_FOLDERS, Kind::Tree, "", 5, 5, 164, 320},
        {IDC_RESULTS_RECORDS, Kind::Tree, "", 179, 5, 164, 320},
        {IDC_RESULTS_SUMMARY, Kind::Edit, "", 353, 5, 222, 320, wl::kMultiLine | wl::kReadOnly},
    },
});

}  // namespace

CResultsPage::CResultsPage() : CMainPage(IDD_RESULTS_PAGE, PAGE_RESULTS) {}

bool CResultsPage::OnInitDialog() {
    LINGO_HWNDTranslate(this, rigel::kAppInput, kSectionRigel, kDialogName);
    wl::DataExchange dx(*this, false);
    wl::DDX_Control(dx, IDC_RESULTS_FOLDERS, m_folderTree);
    wl::DDX_Control(dx, IDC_RESULTS_RECORDS, m_resultTree);
    MapNotify(IDC_RESULTS_FOLDERS, wl::TVN_SELCHANGED, [this](const wl::Notify&) -> std::intptr_t {
        OnFolderSelChanged();
        return 0;
    });
    MapNotify(IDC_RESULTS_RECORDS, wl::TVN_SELCHANGED, [this](const wl::Notify&) -> std::intptr_t {
        OnResultSelChanged();
        return 0;
    });
    MapCommand(IDC_RESULTS_WRITE, [this] {
        if (m_pData) m_pData->EditOutput();
    });
    UpdateData(false);
    const wl::Rect c = GetClientRect();
    OnSize(wl::SIZE_RESTORED, c.Width(), c.Height());
    return true;
}

void CResultsPage::OnSize(unsigned type, int cx, int cy) {
    CMainPage::OnSize(type, cx, cy);
    wl::Window* text = GetDlgItem(IDC_RESULTS_SUMMARY);
    if (!m_folderTree.IsWindow() || !m_resultTree.IsWindow() || !text) return;
    if (m_resizer.GetCount() == 0) {
        wl::Rect r;
        GetChildRectInParent(this, &m_folderTree, r);
        const int m = r.top;
        m_resizer.AddControl(&m_folderTree, 0, 0, 30, 100, m, m, -m, -m);
        m_resizer.AddControl(&m_resultTree, 30, 0, 60, 100, m, m, -m, -m);
        m_resizer.AddControl(text, 60, 0, 100, 100, m, m, -m, -m);
    }
    m_resizer.Layout(GetClientRect());
}

void CResultsPage::DoDataExchange(wl::DataExchange& dx) { wl::DDX_Text(dx, IDC_RESULTS_SUMMARY, m_strSummary); }

void CResultsPage::ExchangeData(bool save) {
    if (!IsWindow()) return;
    if (!save) Fill();
    UpdateData(save);
    // A utilisation above 1 and an unproven combination stand out.
    if (!save) MarkUnfulfilledLines(*this, IDC_RESULTS_SUMMARY, m_strSummary);
}

bool CResultsPage::ShowsStaleResults() const {
    if (!m_pData || !m_pData->m_hDoc) return false;
    const ZVELEM root = ZEVUD_GetRootElement(m_pData->m_hDoc);
    return root && ZEVUD_FindFirstChild(root, "result") && !m_pData->HasCurrentResults();
}

void CResultsPage::Fill() {
    if (ShowsStaleResults()) {
        // Results of other input (the input changed, or the plausibility
        // check stopped the calculation): the page says that the position
        // must be calculated again and shows nothing of them, nor does the
        // sketch.
        m_paths.clear();
        m_folderTree.DeleteAllItems();
        m_resultTree.DeleteAllItems();
        m_shownFolder.clear();
        if (m_pData->m_nCurrentIndex != -1) {
            m_pData->m_nCurrentIndex = -1;
            m_pData->UpdateViews(0);
            m_pData->DrawSystem2D(0);
            m_pData->DrawSystem3D(0);
        }
        m_strSummary = CBaseData::StaleResultsText();
        return;
    }
    m_paths = m_pData ? TranslateResultPaths(*m_pData) : std::vector<std::string>{};
    m_folderTree.DeleteAllItems();
    m_resultTree.DeleteAllItems();
    m_shownFolder.clear();
    HTREEITEM governing = 0;
    for (size_t i = 0; i < m_paths.size(); ++i) {
        HTREEITEM folder = 0;
        if (!TreeInsertPath(folder, ResultFolderOf(m_paths[i]), &m_folderTree)) continue;
        if (m_pData->m_resultSets[i].m_default) governing = folder;
    }
    if (m_pData) {
        for (const CombinationFolder& f : CombinationFolders(*m_pData)) {
            HTREEITEM item = 0;
            if (!TreeInsertPath(item, f.path, &m_folderTree)) continue;
            if (f.bold) m_folderTree.SetItemBold(item, true);
            if (m_folderTree.GetItemText(item) != f.text) m_folderTree.SetItemText(item, f.text);
        }
    }
    m_folderTree.SelectItem(governing);
    OnFolderSelChanged();
    // The console's verdict above the summary of the utilisations.
    m_strSummary.clear();
    if (m_pData && !m_paths.empty()) {
        const std::string verdict = ResultVerdictText(*m_pData);
        m_strSummary = (verdict.empty() ? std::string() : verdict + "\r\n") + ResultSummaryText(*m_pData);
    }
}

void CResultsPage::OnFolderSelChanged() {
    if (!m_pData) return;
    std::string remembered;
    TreeGetItemPath(remembered, m_resultTree.GetSelectedItem(), &m_resultTree);
    const HTREEITEM folder = m_folderTree.GetSelectedItem();
    if (!folder) {
        m_resultTree.DeleteAllItems();
        m_shownFolder.clear();
        if (m_pData->m_nCurrentIndex != -1) {
            m_pData->m_nCurrentIndex = -1;
            m_pData->UpdateViews(0);
            m_pData->DrawSystem2D(0);
            m_pData->DrawSystem3D(0);
        }
        return;
    }
    std::string path;
    TreeGetItemPath(path, folder, &m_folderTree);
    path = StripGoverningMark(path);
    if (path == m_shownFolder) return;
    m_resultTree.DeleteAllItems();
    for (const FolderRecord& r : RecordsOfFolder(m_paths, path)) {
        HTREEITEM item = 0;
        if (TreeInsertPath(item, r.rest, &m_resultTree)) m_resultTree.SetItemData(item, kRecordBase + r.index);
    }
    m_shownFolder = path;
    // The record chosen before, when the new folder has it; the sketch
    // follows what the tree shows.
    HTREEITEM again = 0;
    if (!remembered.empty() && TreeFindPath(again, 0, remembered, &m_resultTree, false))
        TreeSelectPath(again, remembered, &m_resultTree);
    OnResultSelChanged();
}

void CResultsPage::OnResultSelChanged() {
    if (!m_pData) return;
    const HTREEITEM item = m_resultTree.GetSelectedItem();
    const std::intptr_t data = item ? m_resultTree.GetItemData(item) : 0;
    const std::intptr_t index = data - kRecordBase;
    if (!item || data == 0)
        m_pData->m_nCurrentIndex = -1;
    else if (index >= 0 && index < std::intptr_t(m_pData->m_resultSets.size()))
        m_pData->m_nCurrentIndex = int32_t(index);
    m_pData->DrawSystem2D(0);
}
