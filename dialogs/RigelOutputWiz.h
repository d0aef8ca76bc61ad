// The output assistant of the member-design report: a property sheet with
// one page per chapter (input protocol, serviceability, ultimate limit
// state) whose check boxes choose the report's tables and diagrams by topic.
// Each box is one assistant option of the position; the options change only
// when the sheet closes with OK.
#pragma once

#include <map>
#include <string>

#include "module/ModuleData.h"
#include "platform/wl/sheet.h"

inline constexpr int IDD_RIGEL_OUTPUT_WIZ_PAGE1 = 26019;
inline constexpr int IDD_RIGEL_OUTPUT_WIZ_PAGE2 = 26020;
inline constexpr int IDD_RIGEL_OUTPUT_WIZ_PAGE3 = 26021;
// The scripted UI finds the sheet under the template of its first page.
inline constexpr int IDD_RIGEL_OUTPUT_WIZ = IDD_RIGEL_OUTPUT_WIZ_PAGE1;
// Page 3: the detailed single-point check and its two layouts.
inline constexpr int IDC_WIZ_SINGLE_POINT = 26129;
inline constexpr int IDC_WIZ_LAYOUT_LARGE = 26130;
inline constexpr int IDC_WIZ_LAYOUT_SMALL = 26131;

// One page of the assistant: its boxes (by control id) and the options
// they stand for.
class CRigelOutputWizPage : public wl::PropertyPage {
public:
    // page: 1 input protocol, 2 serviceability, 3 ultimate limit state.
    CRigelOutputWizPage(int templateId, int page);
    const char* ClassName() const override { return "CRigelOutputWizPage"; }
    void SetModuleData(CModuleData* data) { m_pData = data; }
    // The boxes, as last taken from the controls, back into the options.
    virtual void StoreOptions();
    // The state a box holds (0 or 1; 0 for a control the page lacks).
    int BoxState(int control) const;
    // Whether the page's window was made (only those pages store on OK).
    bool WasShown() const { return m_bShown; }

protected:
    bool OnInitDialog() override;
    void DoDataExchange(wl::DataExchange& dx) override;
    // The chapter switch that enables the page, and the combination mode
    // whose "Keine" disables the per-combination boxes (null: none).
    virtual int ChapterSwitch() const = 0;
    virtual const int32_t* CombinationMode() const { return nullptr; }

    CModuleData* m_pData = nullptr;

private:
    int m_nPage;
    std::map<int, int> m_boxes;
    bool m_bShown = false;
};

class CRigelOutputWizPage1 : public CRigelOutputWizPage {
public:
    CRigelOutputWizPage1() : CRigelOutputWizPage(IDD_RIGEL_OUTPUT_WIZ_PAGE1, 1) {}
    const char* ClassName() const override { return "CRigelOutputWizPage1"; }

protected:
    int ChapterSwitch() const override { return m_pData ? m_pData->m_bRtfChapterInput : 0; }
};

class CRigelOutputWizPage2 : public CRigelOutputWizPage {
public:
    CRigelOutputWizPage2() : CRigelOutputWizPage(IDD_RIGEL_OUTPUT_WIZ_PAGE2, 2) {}
    const char* ClassName() const override { return "CRigelOutputWizPage2"; }

protected:
    int ChapterSwitch() const override { return m_pData ? m_pData->m_bRtfChapterGebr : 0; }
    const int32_t* CombinationMode() const override { return m_pData ? &m_pData->m_rtfLKgebr : nullptr; }
};

class CRigelOutputWizPage3 : public CRigelOutputWizPage {
public:
    CRigelOutputWizPage3() : CRigelOutputWizPage(IDD_RIGEL_OUTPUT_WIZ_PAGE3, 3) {}
    const char* ClassName() const override { return "CRigelOutputWizPage3"; }
    void StoreOptions() override;

protected:
    bool OnInitDialog() override;
    void DoDataExchange(wl::DataExchange& dx) override;
    int ChapterSwitch() const override { return m_pData ? m_pData->m_bRtfChapterTragSV : 0; }
    const int32_t* CombinationMode() const override { return m_pData ? &m_pData->m_rtfLKTragSV : nullptr; }

private:
    int m_bSinglePoint = 0;
    int m_nLayout = 0;  // 0 large, 1 small
};

class CRigelOutputWiz : public wl::PropertySheet {
public:
    CRigelOutputWiz(const std::string& title, CModuleData* data);
    const char* ClassName() const override { return "CRigelOutputWiz"; }
    // Adds the three pages (once) and runs the sheet modally.
    int DoModal();
    CRigelOutputWizPage1& Page1() { return m_page1; }
    CRigelOutputWizPage2& Page2() { return m_page2; }
    CRigelOutputWizPage3& Page3() { return m_page3; }

protected:
    // The pages' controls taken; on success every page that was shown
    // stores its boxes into the options.
    void OnOK() override;

private:
    CRigelOutputWizPage1 m_page1;
    CRigelOutputWizPage2 m_page2;
    CRigelOutputWizPage3 m_page3;
};
