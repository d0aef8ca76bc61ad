#include "dialogs/LostImportDlg.h"

#include <QWidget>

#include "graphics/PopupMenuBuilder.h"
#include "graphics/TreePaths.h"
#include "module/frame/ModuleMessages.h"
#include "module/frame/ModuleState.h"
#include "platform/lingo/lingo.h"
#include "platform/wl/templates.h"
#include "platform/wl/translate.h"
#include "platform/winsys/winsys.h"

namespace {

const char* const kArea = "DlgLostImportVal";

const wl::TemplateRegistrar kTemplates({
    {IDD_LOST_IMPORT, "Wertübernahme", 260, 196, 0,
     {
         {11161, wl::Kind::Static,
          "Die folgenden übernommenen Werte sind nicht mehr verfügbar. Durch die Auswahl von \"Alle entfernen\", "
          "bzw. \"Rechte Maustaste->Entfernen\" können Sie diese Verweise aufheben.",
          7, 7, 246, 26},
         {IDC_LOST_TREE, wl::Kind::Tree, "", 7, 36, 246, 104},
         {11162, wl::Kind::Static,
          "HINWEIS: Falls Sie diese Verweise entfernen, erhalten die Variablen den Wert 0. Andernfalls wird mit "
          "den zuletzt gültigen Werten gerechnet.",
          7, 146, 246, 20},
         {IDC_LOST_REMOVE_ALL, wl::Kind::Button, "Alle entfernen", 7, 174, 70, 14},
         {wl::IDOK, wl::Kind::Button, "OK", 148, 174, 50, 14, wl::kDefault},
         {wl::IDCANCEL, wl::Kind::Button, "Abbrechen", 203, 174, 50, 14},
     }},
});

std::string Tr(const char* text) { return lingo::Translate(rigel::kAppInput, rigel::kSectionCommon, kArea, text); }

}  // namespace

CDlgLostImportVal::CDlgLostImportVal() : wl::Dialog(IDD_LOST_IMPORT) {
    MapCommand(IDC_LOST_REMOVE_ALL, [this] {
        for (std::string& t : m_texts) t.clear();
        EndDialog(wl::IDOK);
    });
}

void CDlgLostImportVal::DoDataExchange(wl::DataExchange& dx) {
    wl::Dialog::DoDataExchange(dx);
    wl::DDX_Control(dx, IDC_LOST_TREE, m_tree);
}

bool CDlgLostImportVal::OnInitDialog() {
    wl::Dialog::OnInitDialog();
    LINGO_HWNDTranslate(this, rigel::kAppInput, rigel::kSectionCommon, kArea);
    FillTree();
    return true;
}

void CDlgLostImportVal::FillTree() {
    m_tree.SetRedraw(false);
    m_tree.DeleteAllItems();
    for (size_t i = 0; i < m_texts.size(); ++i) {
        if (m_texts[i].empty()) continue;
        HTREEITEM item = 0;
        if (TreeInsertPath(item, m_texts[i], &m_tree) && item)
            m_tree.SetItemData(item, static_cast<std::intptr_t>(i + 1));
    }
    for (auto top = m_tree.GetRootItem(); top; top = m_tree.GetNextSiblingItem(top)) m_tree.Expand(top);
    TreeRedraw(&m_tree);
}

void CDlgLostImportVal::OnContextMenu(wl::Window* w, wl::Point pos) {
    if (w != &m_tree || !m_tree.Widget()) return;
    const QPoint client = m_tree.Widget()->mapFromGlobal(QPoint(pos.x, pos.y));
    const auto item = m_tree.HitTest({client.x(), client.y()});
    if (!item) return;
    CPopupMenuBuilder menu;
    menu.AddItem(Tr("Übernahme entfernen"), kCmdRemove);
    if (menu.Track(pos.x, pos.y, this) != kCmdRemove) return;
    std::vector<std::intptr_t> items;
    TreeCollectItems(item, &m_tree, items, true);
    for (std::intptr_t i : items) {
        const std::intptr_t data = m_tree.GetItemData(i);
        if (data >= 1 && static_cast<size_t>(data) <= m_texts.size()) m_texts[static_cast<size_t>(data - 1)].clear();
    }
    FillTree();
}

int CLostImportWindow::Ask(std::vector<std::string>& lines) {
    if (IsBatchRun()) return DefaultLostImportPrompt().Ask(lines);
    CDlgLostImportVal dlg;
    dlg.SetTexts(lines);
    if (dlg.DoModal() != wl::IDOK) return winsys::IdCancel;
    lines = dlg.Texts();
    return winsys::IdOk;
}

namespace {
CLostImportWindow g_window;
}

CLostImportPrompt* InstallLostImportWindow() { return SetLostImportPrompt(&g_window); }

void RemoveLostImportWindow() {
    CLostImportPrompt* current = SetLostImportPrompt(nullptr);
    if (current != &g_window) SetLostImportPrompt(current);
}
