// The "Ergebnisse" tab of the member-design program: the folders of the
// calculated result records on the left (the relevant load combinations in
// bold, the governing ones marked "(MAX)"), the records of the chosen folder
// in the middle, and a summary of the utilisations on the right. Choosing a
// record shows it in the sketch.
#pragma once

#include <string>
#include <vector>

#include "dialogs/MainPages.h"
#include "graphics/DlgResizer.h"
#include "platform/wl/controls.h"

inline constexpr int IDD_RESULTS_PAGE = 26002;
inline constexpr int IDC_RESULTS_FOLDERS = 26002;
inline constexpr int IDC_RESULTS_SUMMARY = 26003;
inline constexpr int IDC_RESULTS_WRITE = 26004;  // command: the report
inline constexpr int IDC_RESULTS_RECORDS = 26005;

class CResultsPage : public CMainPage {
public:
    // Item data of a record: this base plus its index.
    static constexpr std::intptr_t kRecordBase = 65536;

    CResultsPage();
    const char* ClassName() const override { return "CResultsPage"; }
    // false: both trees and the summary filled from the results; true: the
    // controls taken (nothing of the page reaches the data).
    void ExchangeData(bool save) override;

    // The selection of a folder or of a record changed.
    void OnFolderSelChanged();
    void OnResultSelChanged();

    wl::TreeCtrl& FolderTree() { return m_folderTree; }
    wl::TreeCtrl& ResultTree() { return m_resultTree; }
    const std::string& SummaryText() const { return m_strSummary; }
    // The translated path of every record, in record order.
    const std::vector<std::string>& Paths() const { return m_paths; }
    // The position's stored results belong to other input than it holds:
    // the page shows only that it must be calculated again.
    bool ShowsStaleResults() const;

protected:
    bool OnInitDialog() override;
    void OnSize(unsigned type, int cx, int cy) override;
    void DoDataExchange(wl::DataExchange& dx) override;

private:
    void Fill();

    wl::TreeCtrl m_folderTree;
    wl::TreeCtrl m_resultTree;
    std::string m_strSummary;
    CDlgResizer m_resizer;
    std::vector<std::string> m_paths;
    std::string m_shownFolder;  // the folder whose records the result tree holds
};
