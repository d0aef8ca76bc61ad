// CDlgSearch ("Suchen") and CDlgReplace ("Ersetzen"): the search settings
// of the editor text. The editor keeps the last settings in its document so
// that F3 and Alt+F3 repeat them without a dialog.
#pragma once

#include <string>

#include "platform/wl/dialog.h"

class CDlgSearchBase : public wl::Dialog {
public:
    static constexpr int kSearchTextId = 11557, kCaseId = 11558, kWordId = 11559;
    static constexpr int kUpId = 11560, kDownId = 11561, kWholeTextId = 11562;

    int bCase = 0;
    int direction = 1;  // 0 up, 1 down
    std::string searchText;
    int bWord = 0;
    int bWholeText = 1;

protected:
    explicit CDlgSearchBase(int templateId, const char* translationName)
        : wl::Dialog(templateId), translationName_(translationName) {}
    bool OnInitDialog() override;
    void DoDataExchange(wl::DataExchange& dx) override;
    bool OnCommand(int id, int code) override;

private:
    // The direction buttons only while the whole text is not searched.
    void EnableDirection();
    const char* translationName_;
};

class CDlgSearch : public CDlgSearchBase {
public:
    static constexpr int kTemplateId = 11510;
    explicit CDlgSearch(wl::Window* parent = nullptr);
    const char* ClassName() const override { return "CDlgSearch"; }
};

class CDlgReplace : public CDlgSearchBase {
public:
    static constexpr int kTemplateId = 11511;
    static constexpr int kReplaceTextId = 11563, kAskId = 11564, kAllId = 11565;
    explicit CDlgReplace(wl::Window* parent = nullptr);
    const char* ClassName() const override { return "CDlgReplace"; }

    int bAll = 0;
    int bAsk = 0;
    std::string replaceText;

protected:
    void DoDataExchange(wl::DataExchange& dx) override;
};
