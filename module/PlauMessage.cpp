#include "module/PlauMessage.h"

#include "module/frame/ModuleMessages.h"
#include "platform/lingo/lingo.h"
#include "platform/winsys/winsys.h"

void CPlauMessageList::AddGridMessage(int32_t type, const std::string& text, int32_t page, CPlauGrid* grid,
                                      int32_t row, int32_t column) {
    CPlauMessage m;
    m.bWarning = type != PLAU_ERROR;
    m.type = type;
    m.text = text;
    m.page = page;
    m.grid = grid;
    m.row = row;
    m.column = column;
    m_messages.push_back(m);
}

void CPlauMessageList::AddControlMessage(int32_t type, const std::string& text, int32_t page,
                                         CPlauControl* control, bool bNotify) {
    CPlauMessage m;
    m.bWarning = type != PLAU_ERROR;
    m.type = type;
    m.text = text;
    m.page = page;
    m.control = control;
    m.bNotify = bNotify;
    m_messages.push_back(m);
}

const CPlauMessage& CPlauMessageList::GetAt(int index) const {
    static const CPlauMessage empty;
    if (index < 0 || index >= GetSize()) return empty;
    return m_messages[static_cast<size_t>(index)];
}

int CPlauMessageList::CountErrors() const {
    int n = 0;
    for (const auto& m : m_messages) n += m.type == PLAU_ERROR;
    return n;
}

int CPlauMessageList::CountWarnings() const {
    int n = 0;
    for (const auto& m : m_messages) n += m.type == PLAU_WARNING;
    return n;
}

void SelectMainDialogPage(CPlauMainDialog& dialog, CPlauTabCtrl& tab, int page) {
    const int current = tab.IsVKTTabCtrl() ? tab.GetCurPageId() : tab.GetCurSel();
    if (current != page || page == 0) {
        tab.SetCurSel(page);
        dialog.ShowPage(page);
    }
}

void CPlauMessageList::GoToField(const CPlauMessage& message) const {
    if (!message.HasTarget() || !m_pMainDlg || !m_pTabCtrl) return;
    const int gridPage = message.grid ? message.grid->GetPageId() : -1;
    SelectMainDialogPage(*m_pMainDlg, *m_pTabCtrl, gridPage >= 0 ? gridPage : message.page);
    if (message.grid) message.grid->SelectCell(message.row, message.column);
    if (message.control) {
        message.control->SetFocus();
        if (message.bNotify) message.control->SendParentCommand(message.control->GetDlgCtrlID());
    }
    m_pMainDlg->Redraw();
}

CPlauCtrlV2State MakePlauCtrlV2State(const CPlauMessageList& list) {
    CPlauCtrlV2State s;
    s.errors = list.CountErrors();
    s.warnings = list.CountWarnings();
    s.showCancel = s.errors > 0;
    s.showStart = s.errors == 0;
    s.jumpEnabled = list.GetSize() > 0 && list.GetAt(0).HasTarget();
    return s;
}

namespace {

std::string Tr(const char* text) {
    return lingo::Translate(rigel::kAppInput, rigel::kSectionCommon, "PlauCtrlV2", text);
}

class SinkPlauDialogs : public CPlauDialogs {
public:
    int ShowPlauCtrlV2(const CPlauMessageList& list, CPlauMessage& selected) override {
        const CPlauCtrlV2State state = MakePlauCtrlV2State(list);
        std::string text;
        for (const auto& m : list.m_messages)
            text += (m.type == PLAU_ERROR ? Tr("Fehler") : Tr("Warnung(en)")) + ": " + m.text + "\n";
        text += "\n" + Tr("Fehler") + ": " + std::to_string(state.errors) + ", " + Tr("Warnung(en)") + ": " +
                std::to_string(state.warnings);
        const std::string caption = Tr("Plausibilitätskontrolle v.2.0");
        if (list.GetSize() > 0) selected = list.GetAt(0);
        if (state.showCancel) {
            const int answer = winsys::MessageBox(text, caption, winsys::Buttons::OkCancel, winsys::Icon::Error);
            return answer == winsys::IdOk ? PLAU_RESULT_JUMP : PLAU_RESULT_CANCEL;
        }
        text += "\n\n" + Tr("Berechnung starten") + "?";
        const int answer = winsys::MessageBox(text, caption, winsys::Buttons::YesNoCancel, winsys::Icon::Warning,
                                              winsys::IdYes);
        if (answer == winsys::IdYes) return PLAU_RESULT_START;
        if (answer == winsys::IdNo) return PLAU_RESULT_JUMP;
        return PLAU_RESULT_CANCEL;
    }
    void ShowPlauCtrlDlg(const std::vector<std::string>& messages) override {
        std::string text;
        for (const auto& m : messages) text += m + "\n";
        winsys::MessageBox(text, Tr("Plausibilitätskontrolle v.2.0"), winsys::Buttons::Ok, winsys::Icon::Error);
    }
};

CPlauDialogs* g_dialogs = nullptr;

}  // namespace

CPlauDialogs& DefaultPlauDialogs() {
    static SinkPlauDialogs dialogs;
    return dialogs;
}

CPlauDialogs* SetPlauDialogs(CPlauDialogs* dialogs) {
    CPlauDialogs* previous = g_dialogs;
    g_dialogs = dialogs;
    return previous;
}

CPlauDialogs& GetPlauDialogs() { return g_dialogs ? *g_dialogs : DefaultPlauDialogs(); }
