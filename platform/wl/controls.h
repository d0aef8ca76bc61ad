// Wrappers of the standard controls, bound to a template control with
// DDX_Control (or Attach). Selections set by the program notify nobody;
// user actions do (see the notification codes in api.h).
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>

#include "platform/wl/window.h"

class QTreeWidgetItem;

namespace wl {

// Tab row. Its pages are sibling windows that the owner shows and hides.
class WL_API TabCtrl : public Window {
public:
    const char* ClassName() const override { return "TabCtrl"; }
    int InsertItem(int index, const std::string& text);  // the new index, -1 on failure
    bool DeleteItem(int index);
    bool DeleteAllItems();
    int GetItemCount() const;
    std::string GetItemText(int index) const;
    int GetCurSel() const;      // -1 for none
    int SetCurSel(int index);   // returns the previous index (-1 for none or a bad index)
    // Window rectangle (parent coordinates) <-> display area of the pages.
    void AdjustRect(bool larger, Rect& r) const;
    // The rectangle of a tab in the control's coordinates; false for a bad index.
    bool GetItemRect(int index, Rect& r) const;
    // The width all tabs take side by side with the style's own padding (the
    // row gives them less padding when it is narrower).
    int GetNaturalItemsWidth() const;
};

// Tree view. Items are handles (0 = none); item data is pointer-sized.
class WL_API TreeCtrl : public Window {
public:
    using Item = std::intptr_t;
    static constexpr Item kRoot = -0x10000;   // parent: top level
    static constexpr Item kFirst = -0xFFFF;   // insert after: first place
    static constexpr Item kLast = -0xFFFE;    // insert after: last place
    // HitTest flags.
    static constexpr unsigned kNowhere = 0x0001;
    static constexpr unsigned kOnItemLabel = 0x0004;
    static constexpr unsigned kOnItemStateIcon = 0x0040;  // the check box
    static constexpr unsigned kOnItemIndent = 0x0008;

    const char* ClassName() const override { return "TreeCtrl"; }
    Item InsertItem(const std::string& text, Item parent = kRoot, Item after = kLast);
    bool DeleteItem(Item item);
    bool DeleteAllItems();
    int GetCount() const;
    std::string GetItemText(Item item) const;
    bool SetItemText(Item item, const std::string& text);
    bool SetItemData(Item item, std::intptr_t data);
    std::intptr_t GetItemData(Item item) const;  // 0 for an unknown item
    bool SetCheck(Item item, bool check = true);
    bool GetCheck(Item item) const;
    bool SetItemBold(Item item, bool bold);
    bool IsItemBold(Item item) const;
    bool Expand(Item item, bool expand = true);
    bool EnsureVisible(Item item);
    bool SelectItem(Item item);  // silent
    Item GetSelectedItem() const;
    Item GetRootItem() const;
    Item GetChildItem(Item item) const;
    Item GetNextSiblingItem(Item item) const;
    Item GetParentItem(Item item) const;
    // Item under a point (client coordinates of the tree); flags say where.
    Item HitTest(Point p, unsigned* flags = nullptr) const;
    // Rectangle of an item (client coordinates), false for an unknown or hidden one.
    bool GetItemRect(Item item, Rect& r) const;
    // Turns repainting off and on (mass changes).
    void SetRedraw(bool redraw);

    QTreeWidgetItem* ItemOf(Item item) const;
    Item HandleOf(const QTreeWidgetItem* item) const;

private:
    void Forget(QTreeWidgetItem* item);
    std::unordered_map<Item, QTreeWidgetItem*> items_;
    Item next_ = 1;
};

// Up-down control.
class WL_API SpinButtonCtrl : public Window {
public:
    const char* ClassName() const override { return "SpinButtonCtrl"; }
    // Takes 16-bit values, as the control's message does: 1,000,000 becomes 16960.
    void SetRange(int lower, int upper);
    void SetRange32(int lower, int upper);
    void GetRange(int& lower, int& upper) const;
    int SetPos(int pos);  // returns the previous position
    int GetPos() const;
    Window* GetBuddy() const;
};

// Progress bar. The position stays within the range.
class WL_API ProgressCtrl : public Window {
public:
    const char* ClassName() const override { return "ProgressCtrl"; }
    void SetRange(int lower, int upper);  // 16-bit values
    void SetRange32(int lower, int upper);
    void GetRange(int& lower, int& upper) const;
    int SetPos(int pos);    // returns the previous position
    int GetPos() const;
    int OffsetPos(int delta);  // returns the previous position
    int SetStep(int step);  // returns the previous step
    int StepIt();           // returns the previous position

private:
    int step_ = 10;
};

// Combo box.
class WL_API ComboBox : public Window {
public:
    const char* ClassName() const override { return "ComboBox"; }
    int AddString(const std::string& text);  // the new index
    int InsertString(int index, const std::string& text);
    int DeleteString(int index);  // the remaining count, -1 for a bad index
    void ResetContent();
    int GetCount() const;
    int GetCurSel() const;
    int SetCurSel(int index);  // silent; the index, or -1 when cleared or bad
    std::string GetLBText(int index) const;
    int FindStringExact(int start, const std::string& text) const;  // -1 when none
    int SelectString(int start, const std::string& prefix);  // silent; the index or -1
    bool SetItemData(int index, std::intptr_t data);
    std::intptr_t GetItemData(int index) const;
};

// Single- or multi-line edit.
class WL_API Edit : public Window {
public:
    const char* ClassName() const override { return "Edit"; }
    void SetSel(int start, int end);  // end -1: to the end
    void GetSel(int& start, int& end) const;
    void ReplaceSel(const std::string& text);
    void SetReadOnly(bool readOnly = true);
    void LimitText(int chars);
};

// Report list view: columns and rows of texts.
class WL_API ListCtrl : public Window {
public:
    const char* ClassName() const override { return "ListCtrl"; }
    enum Format { Left = 0, Right = 1, Center = 2 };
    int InsertColumn(int index, const std::string& heading, int format = Left, int width = -1);
    bool DeleteColumn(int index);
    int GetColumnCount() const;
    bool SetColumnWidth(int index, int width);
    int GetColumnWidth(int index) const;
    int InsertItem(int index, const std::string& text);  // the new index
    bool SetItemText(int item, int column, const std::string& text);
    std::string GetItemText(int item, int column) const;
    bool DeleteItem(int item);
    bool DeleteAllItems();
    int GetItemCount() const;
    bool SetItemData(int item, std::intptr_t data);
    std::intptr_t GetItemData(int item) const;
    int GetSelectedItem() const;  // -1 for none
    bool SelectItem(int item);    // silent
    bool EnsureVisible(int item);
};

// List box.
class WL_API ListBox : public Window {
public:
    const char* ClassName() const override { return "ListBox"; }
    int AddString(const std::string& text);
    int GetCount() const;
    int GetCurSel() const;
    int SetCurSel(int index);  // silent
    std::string GetText(int index) const;
    void ResetContent();
};

}  // namespace wl
