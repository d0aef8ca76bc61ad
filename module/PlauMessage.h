// Plausibility messages of a position's input: errors and warnings, each
// with the place in the main dialog that holds the field (tab page, grid
// cell or control), the jump to that place, and the decisions of the two
// plausibility dialogs. The dialogs themselves are reached through
// CPlauDialogs; until windows take their place they ask through the
// message sink.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

inline constexpr int32_t PLAU_ERROR = 0x2000;
inline constexpr int32_t PLAU_WARNING = 0x3000;

// The parts of the main dialog that a jump to an input field touches.
class CPlauGrid {
public:
    virtual ~CPlauGrid() = default;
    virtual void SelectCell(int row, int column) = 0;
    // The page id of the main dialog's page that holds the grid; -1 when it
    // is not known. A jump shows this page rather than the message's own,
    // so that the grid it focuses is on the page shown.
    virtual int GetPageId() const { return -1; }
};

class CPlauControl {
public:
    virtual ~CPlauControl() = default;
    virtual void SetFocus() = 0;
    virtual int GetDlgCtrlID() const = 0;
    // Sends the parent window a command message with the id and no handle.
    virtual void SendParentCommand(int id) = 0;
};

class CPlauTabCtrl {
public:
    virtual ~CPlauTabCtrl() = default;
    // Whether this is the suite's own tab control, which knows page ids.
    virtual bool IsVKTTabCtrl() const = 0;
    virtual int GetCurPageId() const = 0;  // the suite's tab control
    virtual int GetCurSel() const = 0;     // the standard tab control
    virtual void SetCurSel(int page) = 0;
};

class CPlauMainDialog {
public:
    virtual ~CPlauMainDialog() = default;
    // Shows the page (the dialog's page-change operation).
    virtual void ShowPage(int page) = 0;
    virtual void Redraw() = 0;
};

class CPlauMessage {
public:
    bool HasTarget() const { return page >= 0 || grid != nullptr || row >= 0 || column >= 0; }

    int32_t bWarning = 0;
    int32_t type = PLAU_ERROR;
    std::string text;
    int32_t page = -1;
    CPlauGrid* grid = nullptr;
    int32_t row = -1;
    int32_t column = -1;
    CPlauControl* control = nullptr;
    bool bNotify = false;
};

class CPlauMessageList {
public:
    void AddGridMessage(int32_t type, const std::string& text, int32_t page, CPlauGrid* grid, int32_t row,
                        int32_t column);
    void AddControlMessage(int32_t type, const std::string& text, int32_t page, CPlauControl* control,
                           bool bNotify);

    int GetSize() const { return static_cast<int>(m_messages.size()); }
    // An index outside the list is the caller's error; it gets an empty
    // message without a target.
    const CPlauMessage& GetAt(int index) const;
    int CountErrors() const;
    int CountWarnings() const;
    void RemoveAll() { m_messages.clear(); }

    // Moves to the message's input field: the tab page, then the grid cell or
    // the control, then repaints. Nothing without a target or without the
    // main dialog and its tab control.
    void GoToField(const CPlauMessage& message) const;

    CPlauMainDialog* m_pMainDlg = nullptr;
    CPlauTabCtrl* m_pTabCtrl = nullptr;
    std::vector<CPlauMessage> m_messages;
};

// Selects a page of the main dialog when it is not the current one; page 0
// is always selected again.
void SelectMainDialogPage(CPlauMainDialog& dialog, CPlauTabCtrl& tab, int page);

// What the record-route dialog shows when it opens.
struct CPlauCtrlV2State {
    int errors = 0;
    int warnings = 0;
    bool showCancel = false;       // "Abbrechen": only with errors
    bool showStart = false;        // "Berechnung starten": only without errors
    bool jumpEnabled = false;      // "Zum Eingabefeld springen" for the first message
};
CPlauCtrlV2State MakePlauCtrlV2State(const CPlauMessageList& list);

// Results of the record-route dialog.
inline constexpr int PLAU_RESULT_JUMP = 1;
inline constexpr int PLAU_RESULT_CANCEL = 2;
inline constexpr int PLAU_RESULT_START = 3;

// The two dialogs.
class CPlauDialogs {
public:
    virtual ~CPlauDialogs() = default;
    // The record route's dialog: returns 1 (jump; selected = the chosen
    // message), 2 (cancel or closed) or 3 (start the calculation).
    virtual int ShowPlauCtrlV2(const CPlauMessageList& list, CPlauMessage& selected) = 0;
    // The message-list route's dialog: only lists the texts.
    virtual void ShowPlauCtrlDlg(const std::vector<std::string>& messages) = 0;
};

// The dialogs through the message sink: with errors "OK" jumps to the first
// message and "Abbrechen" cancels; with only warnings "Ja" starts the
// calculation, "Nein" jumps and "Abbrechen" cancels.
CPlauDialogs& DefaultPlauDialogs();
// Installs other dialogs (null restores the default); returns the previous.
CPlauDialogs* SetPlauDialogs(CPlauDialogs* dialogs);
CPlauDialogs& GetPlauDialogs();
