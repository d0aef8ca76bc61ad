// Property sheets: pages of dialog templates under one tab row, with OK and
// Abbrechen. A page's window is made when the page is first shown; OK takes
// the data of the pages that exist (a page whose data does not read is
// brought to the front, and the sheet stays open).
#pragma once

#include <string>
#include <vector>

#include "platform/wl/controls.h"
#include "platform/wl/dialog.h"

namespace wl {

class PropertySheet;

class WL_API PropertyPage : public Dialog {
public:
    // title: the tab's text (the template's caption when empty).
    explicit PropertyPage(int templateId, std::string title = {});
    const char* ClassName() const override { return "PropertyPage"; }
    std::string Title() const;
    // Called when the page comes to the front / leaves it; false keeps it.
    virtual bool OnSetActive();
    virtual bool OnKillActive();
    PropertySheet* Sheet() const { return sheet_; }

protected:
    // Enter and Escape on a page are the sheet's OK and Abbrechen.
    bool OnCommand(int id, int code) override;
    void OnOK() override {}
    void OnCancel() override {}

private:
    friend class PropertySheet;
    std::string title_;
    PropertySheet* sheet_ = nullptr;
};

class WL_API PropertySheet : public Dialog {
public:
    // scriptId: the id under which the scripted UI service finds the sheet's script.
    explicit PropertySheet(std::string caption, int scriptId = 0);
    const char* ClassName() const override { return "PropertySheet"; }
    void AddPage(PropertyPage* page);  // not owned
    int GetPageCount() const { return static_cast<int>(pages_.size()); }
    PropertyPage* GetPage(int index) const;
    int GetActiveIndex() const;
    bool SetActivePage(int index);
    TabCtrl& GetTabControl() { return tab_; }
    static constexpr int kTabId = 0x3020;

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    bool OnNotify(const Notify& n, std::intptr_t& result) override;
    QWidget* MakeWidget(QWidget* parent, bool child, bool modal) override;

private:
    bool Activate(int index);
    std::string caption_;
    std::vector<PropertyPage*> pages_;
    TabCtrl tab_;
    int active_ = -1;
};

}  // namespace wl
