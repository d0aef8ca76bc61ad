// CHoverButton: the owner-drawn push button of the dialogs. It shows a
// bitmap with or without text, changes its look while the mouse is over it,
// can look like a link, act as a check box, open a drop-down menu or a web
// address, and carries a tooltip.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/wl/window.h"

class QPainter;
class QRect;
class COwnerDrawMenu;

class CHoverButton : public wl::Window {
public:
    // Indices of the six colours.
    enum ColorIndex { BTNST_COLOR_BK_IN = 0, BTNST_COLOR_FG_IN, BTNST_COLOR_BK_OUT, BTNST_COLOR_FG_OUT,
                      BTNST_COLOR_BK_FOCUS, BTNST_COLOR_FG_FOCUS, BTNST_MAX_COLORS };
    // Results of the setters.
    static constexpr int BTNST_OK = 0;
    static constexpr int BTNST_INVALIDRESOURCE = 1;
    static constexpr int BTNST_FAILEDMASK = 2;
    static constexpr int BTNST_INVALIDINDEX = 3;
    static constexpr int BTNST_INVALIDPRESSEDSTYLE = 6;
    // Owner-draw states.
    static constexpr unsigned ODS_SELECTED = 0x0001;
    static constexpr unsigned ODS_DISABLED = 0x0004;
    static constexpr unsigned ODS_FOCUS = 0x0010;

    CHoverButton();
    ~CHoverButton() override;
    const char* ClassName() const override { return "CHoverButton"; }

    // Takes the place of a dialog's button (id, geometry, text, stacking): a
    // default button stays default, a check box becomes check-box mode.
    bool SubclassDlgItem(int id, wl::Window* parent);
    // The widget of a custom-control placeholder (DDX_Control).
    QWidget* CreateControlWidget(QWidget* parent) override;

    // Bitmaps of the window layer by id, with their transparent colours
    // (0x00BBGGRR). 0 on success; 1 when a bitmap is missing, keeping none.
    int SetBitmaps(int idIn, uint32_t transparentIn, int idOut = 0, uint32_t transparentOut = 0);
    void SetDrawFlag(bool flat, bool repaint = true);
    // 0: pressed offset (1, 1); 1: (0, 2); any other mode: 6, nothing changes.
    int SetPressedStyle(int mode, bool repaint = true);
    // Only in check-box mode: 1 or 2 check, anything else unchecks.
    void SetCheck(int check, bool repaint = true);
    int GetCheck() const;
    // Index 0 to 5; from 6 on: 3, nothing changes.
    int SetColor(int index, uint32_t color, bool repaint = true);
    uint32_t GetColor(int index) const;
    void SetLinkLook(bool on, bool repaint = true);
    void SetTooltipText(const std::string& text, bool activate = true);
    void FreeBackground(bool repaint = true);
    // The web address opened by a click (nullptr clears it); kept whole.
    void SetURL(const char* address);
    const std::string& GetURL() const { return url_; }
    // The drop-down menu: submenu 0 of a loaded menu table; the chosen command
    // is posted to receiver. A notification (id, code) goes to notify just
    // before the menu opens.
    bool SetMenu(int menuId, wl::Window* receiver);
    void SetMenuCallback(wl::Window* notify, int id, int code);
    COwnerDrawMenu* GetMenu() const { return menu_.get(); }
    // Sounds played on entering and on clicking (name, module, flags).
    struct Sound {
        std::string name;
        std::string module;
        unsigned flags = 0;
    };
    void SetSound(bool hover, const Sound& sound);

    bool IsInside() const { return inside_; }
    bool IsCheckBoxMode() const { return checkBox_; }
    bool IsDefault() const { return default_; }
    bool IsFlat() const { return flat_; }
    wl::Point PressedOffset() const { return pressedOffset_; }

    // Draws the button for an owner-draw state (ODS_*) into the item rectangle.
    void DrawItem(QPainter& p, const QRect& item, unsigned state);
    // Where the bitmap goes: the caption rectangle moves right of it with text.
    QRect PlaceImage(bool hasText, const QRect& item, QRect& caption, bool pressed) const;

    // Widget events (called by the button's widget).
    void OnMouseEnter();
    void OnMouseLeave();
    void OnClicked();
    void OnDisabled();
    // The system colours changed: the six colours go back to them.
    void OnSysColorChange();

protected:
    // The drawing slots, in the order DrawItem calls them.
    virtual void DrawBackground(QPainter& p, const QRect& r, uint32_t color);
    virtual void DrawBorder(QPainter& p, const QRect& r, bool pressed);
    virtual void DrawImage(QPainter& p, bool hasText, const QRect& item, QRect& caption, bool pressed, bool disabled);
    virtual void DrawCaption(QPainter& p, bool hasText, const QRect& item, QRect& caption, bool pressed, bool disabled);

private:
    struct Bitmaps;
    void Repaint(bool repaint);
    void PlaySoundOf(const Sound& s);
    void ResetColors();

    std::unique_ptr<Bitmaps> bitmaps_;
    bool inside_ = false;
    bool checkBox_ = false;
    bool checked_ = false;
    bool default_ = false;
    bool flat_ = true;
    bool frameWhenInside_ = true;
    bool trackWhenInactive_ = true;
    bool greyedWhenDisabled_ = true;
    bool flatFocus_ = false;
    bool transparent_ = false;
    bool linkLook_ = false;
    bool menuOpen_ = false;
    wl::Point pressedOffset_{1, 1};
    static constexpr int kImageMargin = 3;
    uint32_t colors_[BTNST_MAX_COLORS] = {};
    std::unique_ptr<COwnerDrawMenu> menu_;
    std::uintptr_t menuReceiver_ = 0;
    std::uintptr_t menuNotify_ = 0;
    int menuNotifyId_ = 0;
    int menuNotifyCode_ = 0;
    std::string url_;
    Sound hoverSound_;
    Sound clickSound_;
    std::string tooltip_;
    bool tooltipActive_ = false;
};

namespace graphics {

// Sounds of the buttons go to one replaceable player (none by default: no
// sound is played). Returns the previous one.
using SoundPlayer = std::function<void(const CHoverButton::Sound&)>;
SoundPlayer SetSoundPlayer(SoundPlayer player);

}  // namespace graphics
