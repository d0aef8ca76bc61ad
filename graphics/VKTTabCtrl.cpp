#include "graphics/VKTTabCtrl.h"

int CVKTTabCtrl::AddPage(int32_t pageId, const std::string& name) {
    const int index = InsertItem(GetItemCount(), name);
    if (index < 0) return -1;
    pages_.push_back({index, pageId, name, 0});
    return index;
}

int CVKTTabCtrl::FindPage(int32_t pageId) const {
    for (size_t i = 0; i < pages_.size(); ++i)
        if (pages_[i].pageId == pageId) return static_cast<int>(i);
    return -1;
}

int CVKTTabCtrl::FindTab(int32_t tabIndex) const {
    for (size_t i = 0; i < pages_.size(); ++i)
        if (pages_[i].tabIndex == tabIndex) return static_cast<int>(i);
    return -1;
}

int32_t CVKTTabCtrl::SelectTab(int32_t pageId) {
    const int rec = FindPage(pageId);
    if (rec < 0) return -1;
    const int previous = SetCurSel(pages_[rec].tabIndex);
    const int before = previous < 0 ? -1 : FindTab(previous);
    return before < 0 ? -1 : pages_[before].pageId;
}

int32_t CVKTTabCtrl::GetCurSelPage() const {
    const int sel = GetCurSel();
    if (sel < 0) return -1;
    const int rec = FindTab(sel);
    return rec < 0 ? -1 : pages_[rec].pageId;
}
