// A tree with check boxes that reports the user's toggles. Each item's box
// is drawn in the 12 pixels left of the item's text; a left click there
// toggles the box and calls OnCheckToggled with the new state, a click
// anywhere else (the text, the expand button) toggles nothing.
#pragma once

#include <memory>

#include "platform/wl/controls.h"
#include "platform/wl/dialog.h"

class CCheckTreeCtrl : public wl::TreeCtrl {
public:
    static constexpr int kCheckZone = 12;  // pixels left of the text

    CCheckTreeCtrl();
    ~CCheckTreeCtrl() override;
    const char* ClassName() const override { return "CCheckTreeCtrl"; }

    // Binds the tree control `id` of a dialog's template (a tree with check
    // boxes) and takes over its clicks and the drawing of its boxes. Once;
    // false when the dialog has no such control.
    bool SubclassDlgItem(int id, wl::Dialog& parent);
    // The rectangle of an item's text and of its check zone, in client
    // coordinates of the tree; false for an unknown or hidden item.
    bool GetItemTextRect(Item item, wl::Rect& r) const;
    bool GetItemCheckRect(Item item, wl::Rect& r) const;

    // The left button went down at p (client coordinates of the tree), after
    // the tree has taken the click (selection): toggles the box of the item
    // hit when p lies in its check zone.
    void OnLButtonDown(wl::Point p);

protected:
    // The user toggled the box of an item; state is its new check state (0 or 1).
    virtual void OnCheckToggled(Item item, int state);

private:
    class Hook;
    std::unique_ptr<Hook> m_hook;
};
