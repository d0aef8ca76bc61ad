#include "dialogs/PlauCtrl.h"

#include <QApplication>
#include <QIcon>
#include <QStyle>
#include <QTreeWidget>

#include "graphics/TreePaths.h"
#include "module/frame/ModuleMessages.h"
#include "module/frame/ModuleState.h"
#include "platform/lingo/lingo.h"
#include "platform/wl/templates.h"
#include "platform/wl/translate.h"

namespace {

// The template both dialogs share. The counters and their labels are shown
// only by the typed dialog; "OK" only by the plain one.
const wl::TemplateRegistrar kTemplates({
    {IDD_PLAU_CTRL, "Plausibilitätskontrolle", 300, 200, 0,
     {
         {IDC_PLAU_MESSAGES_LABEL, wl::Kind::Static, "Meldung(en)", 7, 6, 150, 10},
         {IDC_PLAU_TREE, wl::Kind::Tree, "", 7, 20, 286, 128},
         {IDC_PLAU_ERRORS_LABEL, wl::Kind::Static, "Fehler", 7, 157, 40, 9, wl::kHidden},
         {IDC_PLAU_ERRORS, wl::Kind::Static, "0", 50, 156, 24, 11, wl::kHidden | wl::kSunken | wl::kRight},
         {IDC_PLAU_WARNINGS_LABEL, wl::Kind::Static, "Warnung(en)", 90, 157, 50, 9, wl::kHidden},
         {IDC_PLAU_WARNINGS, wl::Kind::Static, "0", 143, 156, 24, 11, wl::kHidden | wl::kSunken | wl::kRight},
         {IDC_PLAU_JUMP, wl::Kind::Button, "Zum Eingabefeld springen", 7, 178, 100, 14},
         {wl::IDOK, wl::Kind::Button, "OK", 113, 178, 50, 14, wl::kDefault},
         {IDC_PLAU_START, wl::Kind::Button, "Berechnung starten", 168, 178, 70, 14},
         {wl::IDCANCEL, wl::Kind::Button, "Abbrechen", 243, 178, 50, 14},
     }},
});

std::string Tr(const char* text) {
    return lingo::Translate(rigel::kAppInput, rigel::kSectionCommon, "PlauCtrlV2", text);
}

// The style's error (0) and warning (1) icons at the size of the tree's
// images.
void SetTreeIcons(wl::TreeCtrl& tree, int size) {
    if (auto* w = qobject_cast<QTreeWidget*>(tree.Widget())) w->setIconSize(QSize(size, size));
}

void SetItemIcon(wl::TreeCtrl& tree, wl::TreeCtrl::Item item, int image, int size) {
    QTreeWidgetItem* it = tree.ItemOf(item);
    if (!it) return;
    const QStyle::StandardPixmap which =
        image == 0 ? QStyle::SP_MessageBoxCritical : QStyle::SP_MessageBoxWarning;
    const QIcon icon = QApplication::style()->standardIcon(which);
    it->setIcon(0, QIcon(icon.pixmap(size, size)));
}

}  // namespace

// ---- typed messages ----------------------------------------------------------

CPlauCtrlV2::CPlauCtrlV2() : CGradientDlg(IDD_PLAU_CTRL) {
    // A light caption band over the messages, darker towards the right.
    SetBand(1, true, 0xE4E4E4, 0x969696);
    SetBandShares(0.1, 0.14);
    MapNotify(IDC_PLAU_TREE, wl::TVN_SELCHANGED, [this](const wl::Notify&) -> intptr_t {
        OnSelChanged();
        return 0;
    });
    MapNotify(IDC_PLAU_TREE, wl::NM_DBLCLK, [this](const wl::Notify&) -> intptr_t {
        Jump();
        return 0;
    });
    MapCommand(IDC_PLAU_JUMP, [this] { Jump(); });
    MapCommand(IDC_PLAU_START, [this] { EndDialog(PLAU_RESULT_START); });
}

void CPlauCtrlV2::DoDataExchange(wl::DataExchange& dx) {
    CGradientDlg::DoDataExchange(dx);
    wl::DDX_Control(dx, IDC_PLAU_TREE, m_tree);
}

int CPlauCtrlV2::MessageOfItem(wl::TreeCtrl::Item item) const {
    if (!item || !m_messageItems.count(item) || !m_pList) return -1;
    const auto index = static_cast<int>(m_tree.GetItemData(item));
    return index >= 0 && index < m_pList->GetSize() ? index : -1;
}

bool CPlauCtrlV2::OnInitDialog() {
    CGradientDlg::OnInitDialog();
    LINGO_HWNDTranslate(this, rigel::kAppInput, rigel::kSectionCommon, "PlauCtrlV2");
    SetWindowText(Tr("Plausibilitätskontrolle v.2.0"));

    m_tree.DeleteAllItems();
    m_messageItems.clear();
    constexpr int kIcon = 24;
    SetTreeIcons(m_tree, kIcon);
    const CPlauMessageList empty;
    const CPlauMessageList& list = m_pList ? *m_pList : empty;
    wl::TreeCtrl::Item first = 0;
    m_tree.SetRedraw(false);
    for (int i = 0; i < list.GetSize(); ++i) {
        const CPlauMessage& m = list.GetAt(i);
        HTREEITEM item = 0;
        if (!TreeInsertPath(item, m.text, &m_tree) || !item) continue;
        m_tree.SetItemData(item, i);
        m_messageItems.insert(item);
        SetItemIcon(m_tree, item, m.type == PLAU_ERROR ? 0 : 1, kIcon);
        if (!first) first = item;
    }
    if (first) {
        m_tree.SelectItem(first);
        m_tree.EnsureVisible(first);
    }
    TreeRedraw(&m_tree);

    auto show = [this](int id, bool on) {
        if (wl::Window* w = GetDlgItem(id)) w->ShowWindow(on ? wl::SW_SHOW : wl::SW_HIDE);
    };
    show(IDC_PLAU_JUMP, true);
    show(wl::IDOK, false);
    for (int id : {IDC_PLAU_ERRORS, IDC_PLAU_WARNINGS, IDC_PLAU_ERRORS_LABEL, IDC_PLAU_WARNINGS_LABEL}) show(id, true);
    if (wl::Window* jump = GetDlgItem(IDC_PLAU_JUMP)) jump->EnableWindow(false);

    const CPlauCtrlV2State state = MakePlauCtrlV2State(list);
    SetDlgItemText(IDC_PLAU_ERRORS, std::to_string(state.errors));
    SetDlgItemText(IDC_PLAU_WARNINGS, std::to_string(state.warnings));
    show(wl::IDCANCEL, state.showCancel);
    show(IDC_PLAU_START, state.showStart);
    OnSelChanged();
    CFontCache::Instance().SetBoldFont(GetDlgItem(IDC_PLAU_MESSAGES_LABEL));

    return true;
}

void CPlauCtrlV2::OnSelChanged() {
    const int index = MessageOfItem(m_tree.GetSelectedItem());
    if (wl::Window* jump = GetDlgItem(IDC_PLAU_JUMP))
        jump->EnableWindow(index >= 0 && m_pList->GetAt(index).HasTarget());
}

void CPlauCtrlV2::OnOK() { Jump(); }

void CPlauCtrlV2::Jump() {
    const wl::TreeCtrl::Item item = m_tree.GetSelectedItem();
    if (!item) return;
    // An item that only groups message paths names no field: the jump then
    // goes nowhere, as for a message without a target.
    const int index = MessageOfItem(item);
    m_selected = index >= 0 ? m_pList->GetAt(index) : CPlauMessage();
    EndDialog(PLAU_RESULT_JUMP);
}

// ---- plain texts -------------------------------------------------------------

CPlauCtrlDlg::CPlauCtrlDlg() : wl::Dialog(IDD_PLAU_CTRL) {}

void CPlauCtrlDlg::SetMessages(const std::vector<std::string>& messages) {
    m_records.clear();
    for (const auto& text : messages) m_records.push_back({1, text, 0});
}

void CPlauCtrlDlg::DoDataExchange(wl::DataExchange& dx) {
    wl::Dialog::DoDataExchange(dx);
    wl::DDX_Control(dx, IDC_PLAU_TREE, m_tree);
}

bool CPlauCtrlDlg::OnInitDialog() {
    wl::Dialog::OnInitDialog();
    m_tree.DeleteAllItems();
    constexpr int kIcon = 16;
    SetTreeIcons(m_tree, kIcon);
    wl::TreeCtrl::Item last = 0;
    for (size_t i = 0; i < m_records.size(); ++i) {
        last = m_tree.InsertItem(m_records[i].text);
        m_tree.SetItemData(last, static_cast<std::intptr_t>(i));
        SetItemIcon(m_tree, last, m_records[i].image, kIcon);
    }
    if (last) m_tree.EnsureVisible(last);
    if (wl::Window* jump = GetDlgItem(IDC_PLAU_JUMP)) jump->ShowWindow(wl::SW_HIDE);
    return true;
}

// ---- the run's questions -----------------------------------------------------

int CPlauWindows::ShowPlauCtrlV2(const CPlauMessageList& list, CPlauMessage& selected) {
    if (IsBatchRun()) return DefaultPlauDialogs().ShowPlauCtrlV2(list, selected);
    CPlauCtrlV2 dlg;
    dlg.SetMessages(list);
    const int result = dlg.DoModal();
    if (result == PLAU_RESULT_JUMP) {
        selected = dlg.GetSelectedMessage();
        return PLAU_RESULT_JUMP;
    }
    // Anything but the start button (cancel, the close box, a window that
    // could not be made) stops the calculation.
    return result == PLAU_RESULT_START ? PLAU_RESULT_START : PLAU_RESULT_CANCEL;
}

void CPlauWindows::ShowPlauCtrlDlg(const std::vector<std::string>& messages) {
    if (IsBatchRun()) return DefaultPlauDialogs().ShowPlauCtrlDlg(messages);
    CPlauCtrlDlg dlg;
    dlg.SetMessages(messages);
    dlg.DoModal();
}

namespace {
CPlauWindows g_windows;
}

CPlauDialogs* InstallPlauWindows() { return SetPlauDialogs(&g_windows); }

void RemovePlauWindows() {
    if (&GetPlauDialogs() == &g_windows) SetPlauDialogs(nullptr);
}
