// COwnerDrawMenu: a menu whose items the module measures and draws itself,
// with wide texts, an icon column from a global image list and two looks (a
// flat look and the classic raised look). The pure rules (lightening, check
// mark, measuring, tab alignment, menu characters, synchronising the item
// data with the menu) are free functions.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/wl/api.h"
#include "platform/wl/ui.h"

class QImage;
class QMenu;
class QPainter;
class QRect;
class QWidget;

namespace wl {
class Window;
}

// ---- menu flags ---------------------------------------------------------
inline constexpr unsigned MF_GRAYED = 0x0001;
inline constexpr unsigned MF_DISABLED = 0x0002;
inline constexpr unsigned MF_CHECKED = 0x0008;
inline constexpr unsigned MF_POPUP = 0x0010;
inline constexpr unsigned MF_END = 0x0080;
inline constexpr unsigned MF_OWNERDRAW = 0x0100;
inline constexpr unsigned MF_BYPOSITION = 0x0400;
inline constexpr unsigned MF_SEPARATOR = 0x0800;

// ---- the pure rules -------------------------------------------------------
// Lightens a 0x00BBGGRR colour: each channel v becomes v + (255 - v) * f,
// rounded; a factor outside (0, 1) leaves the colour.
uint32_t LightenColor(uint32_t color, double f);
// The 21 pixels of a check mark with its corner at (x, y).
std::vector<wl::Point> CheckMarkPixels(int x, int y);
// Size of an item: spacing 4, or 7 in the flat look with the wide spacing;
// a separator is 0 wide and (imageHeight + spacing) / 2 high.
struct MenuMeasure {
    bool separator = false;
    int textWidth = 0;
    bool flat = false;
    bool wideSpacing = true;
    int imageWidth = 16;
    int imageHeight = 15;
    int menuBarHeight = 19;
};
int MenuSpacing(bool flat, bool wideSpacing);
wl::Size MeasureMenuItem(const MenuMeasure& m);
// Pads the part before the first tab of every text that has a tab with
// blanks until it is at least as wide as the widest "left part + blank".
std::vector<std::wstring> AlignTabTexts(const std::vector<std::wstring>& texts,
                                        const std::function<int(const std::wstring&)>& width);
// The answer to a typed menu character: 0x20000 + the position of the first
// text containing "&" and the character (in any case), 0 when none has it.
intptr_t MatchMenuChar(wchar_t ch, const std::vector<std::wstring>& texts);

// ---- look ---------------------------------------------------------------
// The version code the layer answers: 7, for which the flat look applies.
int WindowsVersionCode();
// Reads the theme key of the current user: the classic theme when its default
// value ends with "Windows Classic.theme" (any case).
bool ReadClassicTheme();
// The classic flag, read once on first use.
bool IsClassicTheme();
struct MenuLook {
    bool xp = true;    // version 7 and not classic
    bool flat = true;  // flat look on
    bool wideSpacing = true;
};
// The look in force (version code, theme flag, the flat-look switches).
MenuLook CurrentMenuLook();

// ---- item data -----------------------------------------------------------
struct CMenuItemData {
    std::wstring text;
    intptr_t id = 0;  // command id, or the submenu's handle for a popup item
    unsigned flags = 0;
    int imageIndex = -1;  // index into the global image list
    bool mark = false;
};

// What a menu holds at one position.
struct MenuPosition {
    unsigned flags = 0;     // state: MF_POPUP, MF_SEPARATOR, MF_CHECKED ...
    intptr_t id = 0;        // command id or submenu handle
    std::wstring text;      // a string item's text
    CMenuItemData* data = nullptr;  // owner-drawn item data
};

// Brings item data into line with the menu's positions: each position takes
// an unmarked record of its kind and id (new ones are made), texts of the
// menu replace the records', owner-drawn flags are set, records nobody took
// are dropped. Returns the records in position order.
std::vector<std::unique_ptr<CMenuItemData>> SyncMenuItemData(std::vector<MenuPosition>& positions,
                                                             std::vector<std::unique_ptr<CMenuItemData>> records);

// ---- menu tables (the menu resources) ---------------------------------------
// One entry of a menu table in template order: flags (MF_POPUP, MF_END ...),
// a command id for a non-popup item, the text.
struct MenuTableItem {
    unsigned flags = 0;
    int id = 0;
    std::wstring text;
};
void RegisterMenuTable(const std::string& name, std::vector<MenuTableItem> items);
void RegisterMenuTable(int id, std::vector<MenuTableItem> items);
// A toolbar: its bitmap is the window layer's bitmap of the same id, one
// image per button (16 pixels wide); commands in button order.
void RegisterToolbar(int id, std::vector<int> commands);
// The image index of a command's button in a toolbar; false without one.
bool GetToolbarImageIndex(int commandId, int toolbarId, int& imageIndex);

class COwnerDrawMenu {
public:
    COwnerDrawMenu();
    virtual ~COwnerDrawMenu();
    COwnerDrawMenu(const COwnerDrawMenu&) = delete;
    COwnerDrawMenu& operator=(const COwnerDrawMenu&) = delete;

    // The menu's handle (0 before the menu exists).
    intptr_t GetSafeHmenu() const;
    static COwnerDrawMenu* FromHandle(intptr_t handle);
    // Whether a handle is one of the owner-drawn submenus.
    static bool IsOwnerDrawSubmenu(intptr_t handle);
    bool CreatePopupMenu();
    bool CreateMenu();

    // Appends an owner-drawn item: a command (id), a submenu (MF_POPUP, the
    // submenu's handle) or a separator (id 0). toolbarId: the toolbar that
    // holds the command's image, -1 for none.
    bool AppendItem(const std::wstring& text, unsigned flags, intptr_t id, int toolbarId = -1);
    bool AppendItem(const std::string& text, unsigned flags, intptr_t id, int toolbarId = -1);
    // Replaces an item (by position with MF_BYPOSITION, else by command id).
    bool ModifyItem(int posOrId, unsigned flags, intptr_t id, const std::wstring& text);
    // Depth first: the (sub)menu holding the command and its position; null and -1 when none.
    std::pair<COwnerDrawMenu*, int> FindCommand(int id);

    virtual bool LoadMenu(int resourceId);
    virtual bool LoadMenu(const std::string& name);
    virtual void DestroyMenu();

    // The plain menu operations (what the system's menu functions do).
    int GetMenuItemCount() const;
    unsigned GetMenuState(int pos) const;
    std::wstring GetMenuString(int pos) const;
    COwnerDrawMenu* GetSubMenu(int pos) const;
    intptr_t GetMenuItemID(int pos) const;
    bool AppendMenu(unsigned flags, intptr_t id, const std::wstring& text);
    bool RemoveMenu(int pos);
    bool ModifyMenu(int pos, unsigned flags, intptr_t id, const std::wstring& text, CMenuItemData* data);

    const std::vector<std::unique_ptr<CMenuItemData>>& ItemData() const { return items_; }
    bool LoadedFromResource() const { return loaded_; }
    int ImageWidth() const { return imageWidth_; }
    int ImageHeight() const { return imageHeight_; }

    // The answer to a typed character (only for a popup menu: MF_POPUP in flags).
    intptr_t OnMenuChar(wchar_t ch, unsigned flags);
    // The size of one item in the menu font.
    wl::Size MeasureItem(const CMenuItemData& item, const MenuLook& look) const;
    void SyncItemData();
    void AlignTabs();
    void UpdateMenuBar();

    // Draws one item (off screen, then copied) into rect.
    void DrawItem(QPainter& p, const QRect& rect, const CMenuItemData& item, bool selected,
                  const MenuLook& look) const;
    // A toolkit menu whose items are measured and drawn by the rules above
    // (the caller owns it).
    QMenu* CreateQMenu(QWidget* parent, const MenuLook& look) const;
    // The menu as the UI service shows it.
    wl::Menu ToMenu() const;

    // ---- the global image list ----------------------------------------------
    // Adds (or replaces) the image of a command; its index, -1 for a null image.
    static int AddCommandImage(int commandId, const QImage& image);
    static int ImageIndexOf(int commandId);
    static QImage GlobalImage(int index);
    static int GlobalImageCount();
    static void ClearImages();

private:
    struct Entry {
        unsigned flags = 0;
        intptr_t id = 0;
        std::wstring text;
        CMenuItemData* data = nullptr;
    };
    void Unregister();

    bool exists_ = false;
    std::vector<Entry> entries_;
    std::vector<std::unique_ptr<CMenuItemData>> items_;
    std::vector<COwnerDrawMenu*> subMenus_;                // recorded by AppendItem
    std::vector<std::unique_ptr<COwnerDrawMenu>> owned_;   // made by LoadMenu
    int imageWidth_ = 16;
    int imageHeight_ = 15;
    bool loaded_ = false;
    int display1_ = -1;
    int display2_ = -1;
};
