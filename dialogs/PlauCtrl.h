// The two plausibility dialogs of a calculation run and the windows that
// answer the run's questions with them.
//
// CPlauCtrlV2 lists typed messages (errors and warnings) as a tree, counts
// them and lets the user jump to the input field of a message, cancel, or
// start the calculation when there are only warnings. CPlauCtrlDlg lists
// plain texts. CPlauWindows shows them modally through the UI service; in a
// batch run it leaves the answers to the message sink, which never blocks.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "graphics/GradientDlg.h"
#include "module/PlauMessage.h"
#include "platform/wl/controls.h"

inline constexpr int IDD_PLAU_CTRL = 518;
inline constexpr int IDC_PLAU_TREE = 10098;
inline constexpr int IDC_PLAU_JUMP = 11116;
inline constexpr int IDC_PLAU_START = 3;
inline constexpr int IDC_PLAU_ERRORS = 11117;
inline constexpr int IDC_PLAU_WARNINGS = 11118;
inline constexpr int IDC_PLAU_ERRORS_LABEL = 11119;
inline constexpr int IDC_PLAU_WARNINGS_LABEL = 11120;
inline constexpr int IDC_PLAU_MESSAGES_LABEL = 11137;

class CPlauCtrlV2 : public CGradientDlg {
public:
    CPlauCtrlV2();
    const char* ClassName() const override { return "CPlauCtrlV2"; }

    // The messages to show; the list must outlive the dialog's run.
    void SetMessages(const CPlauMessageList& list) { m_pList = &list; }
    // After the dialog closed with 1: the message chosen for the jump.
    CPlauMessage GetSelectedMessage() const { return m_selected; }

    wl::TreeCtrl& Tree() { return m_tree; }
    // The message shown by a tree item, or -1 for an item that only groups
    // the parts of message paths (or for no item).
    int MessageOfItem(wl::TreeCtrl::Item item) const;

protected:
    bool OnInitDialog() override;
    void DoDataExchange(wl::DataExchange& dx) override;
    void OnOK() override;

private:
    void OnSelChanged();
    void Jump();

    const CPlauMessageList* m_pList = nullptr;
    CPlauMessage m_selected;
    wl::TreeCtrl m_tree;
    std::set<wl::TreeCtrl::Item> m_messageItems;
};

class CPlauCtrlDlg : public wl::Dialog {
public:
    CPlauCtrlDlg();
    const char* ClassName() const override { return "CPlauCtrlDlg"; }

    // Replaces the records with one per text.
    void SetMessages(const std::vector<std::string>& messages);
    wl::TreeCtrl& Tree() { return m_tree; }

protected:
    bool OnInitDialog() override;
    void DoDataExchange(wl::DataExchange& dx) override;

private:
    struct Record {
        int kind = 1;
        std::string text;
        int image = 0;
    };
    std::vector<Record> m_records;
    wl::TreeCtrl m_tree;
};

// The plausibility questions of a calculation run answered by the dialogs.
class CPlauWindows : public CPlauDialogs {
public:
    int ShowPlauCtrlV2(const CPlauMessageList& list, CPlauMessage& selected) override;
    void ShowPlauCtrlDlg(const std::vector<std::string>& messages) override;
};

// Installs the dialogs for the calculation runs (while windows run) and
// returns the previous ones; RemovePlauWindows puts the sink's back.
CPlauDialogs* InstallPlauWindows();
void RemovePlauWindows();
