// CVKTTabCtrl: a tab control whose tabs carry page ids, so that callers
// select and query pages by id instead of by tab position.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/wl/controls.h"

class CVKTTabCtrl : public wl::TabCtrl {
public:
    const char* ClassName() const override { return "CVKTTabCtrl"; }
    static wl::Window* CreateObject() { return new CVKTTabCtrl; }

    struct Page {
        int32_t tabIndex = -1;
        int32_t pageId = -1;
        std::string name;
        uint32_t spare = 0;
    };

    // Appends a tab for a page; its tab index, -1 on failure.
    int AddPage(int32_t pageId, const std::string& name);
    // Selects the page's tab; the page id of the tab selected before, -1
    // when the page is unknown (nothing changes) or no page was selected.
    int32_t SelectTab(int32_t pageId);
    // The page id of the selected tab, -1 when none.
    int32_t GetCurSelPage() const;
    // First record with the page id or tab index; -1 when none.
    int FindPage(int32_t pageId) const;
    int FindTab(int32_t tabIndex) const;
    const std::vector<Page>& Pages() const { return pages_; }

private:
    uint8_t flags_ = 0;
    std::vector<Page> pages_;
};
