// The "Ausgabe" tab of the member-design program: the chapter switches, the
// load combinations reported per limit state, and the chapter tree with a
// check box for every table and diagram of the report; the buttons that
// write the report, run the output assistant, and load and save a
// selection template "*.RIGEL.vor".
#pragma once

#include <string>
#include <vector>

#include "dialogs/CheckTreeCtrl.h"
#include "dialogs/MainPages.h"
#include "graphics/DlgResizer.h"
#include "platform/wl/ui.h"

inline constexpr int IDD_RIGEL_OUTPUT = 26016;
inline constexpr int IDC_OUTPUT_TREE = 26030;
inline constexpr int IDC_OUTPUT_WRITE = 26033;      // "Ausgabe erzeugen"
inline constexpr int IDC_OUTPUT_LK_GEBR = 26035;
inline constexpr int IDC_OUTPUT_LK_TRAGSV = 26036;
inline constexpr int IDC_OUTPUT_ASSISTANT = 26037;  // "Ausgabeassistent"
inline constexpr int IDC_OUTPUT_INPUT = 26038;
inline constexpr int IDC_OUTPUT_GEBR = 26039;
inline constexpr int IDC_OUTPUT_TRAGSV = 26040;
inline constexpr int IDC_OUTPUT_CT = 26041;
inline constexpr int IDC_OUTPUT_LOAD = 26131;       // "Zusammenstellung laden"
inline constexpr int IDC_OUTPUT_SAVE = 26132;       // "Zusammenstellung speichern"

class CRigelOutputDlg;

// The chapter tree: a toggled box marks or clears its whole branch.
class COutputChapterTree : public CCheckTreeCtrl {
public:
    explicit COutputChapterTree(CRigelOutputDlg& page) : m_page(page) {}
    const char* ClassName() const override { return "COutputChapterTree"; }

protected:
    void OnCheckToggled(Item item, int state) override;

private:
    CRigelOutputDlg& m_page;
};

class CRigelOutputDlg : public CMainPage {
public:
    static constexpr unsigned kRefreshTimer = 1;
    static constexpr unsigned kRefreshMilliseconds = 200;

    CRigelOutputDlg();
    ~CRigelOutputDlg() override;
    const char* ClassName() const override { return "CRigelOutputDlg"; }

    // false: the options into the controls, the tree rebuilt on the next
    // tick; true: the tree's marks and the controls into the options.
    void ExchangeData(bool save) override;
    // The refresh timer: the tree rebuilt from the options after a load.
    void OnTimer(unsigned id) override;
    bool IsRefreshPending() const { return m_bRefreshPending; }

    // The tree made anew: one item per option id with a path, "Eingabe"
    // expanded, the result chapters expanded with their children.
    void RebuildTree();
    // Every item below gets the state; a set state marks the ancestors too.
    void RecursiveCheck(wl::TreeCtrl::Item item, int state);
    // The item of an option id (0 for none).
    wl::TreeCtrl::Item ItemOfOption(int id) const;
    COutputChapterTree& Tree() { return m_tree; }

    // The buttons.
    void OnWriteOutput();
    void OnAssistant();
    void OnLoadSelection();
    void OnSaveSelection();

protected:
    bool OnInitDialog() override;
    void OnSize(unsigned type, int cx, int cy) override;
    void DoDataExchange(wl::DataExchange& dx) override;
    // Runs the assistant on the data; answers its result.
    virtual int RunAssistant();

private:
    // The template file dialogs' request.
    wl::FileRequest TemplateRequest(const std::string& proposedName) const;

    COutputChapterTree m_tree;
    int m_nLKgebr = 0;
    int m_nLKTragSV = 0;
    int m_bChapterInput = 1;
    int m_bChapterGebr = 1;
    int m_bChapterTragSV = 1;
    int m_bChapterCT = 1;
    CDlgResizer m_resizer;
    std::vector<std::string> m_paths;             // by option id
    std::vector<wl::TreeCtrl::Item> m_items;      // by option id
    bool m_bRefreshPending = false;
};
