// Pages whose template is wider than the tab gives them: blocks of controls
// (a group box with what lies in it) that move together and flow into rows.
#pragma once

#include <vector>

#include "platform/wl/api.h"

namespace wl {
class Dialog;
class Window;
}  // namespace wl

class CControlBlock {
public:
    CControlBlock() = default;
    // The controls of the page whose template rectangles lie inside the
    // area (dialog units), at their places in the page when the block is
    // made; ids in `except` stay out.
    static CControlBlock FromTemplate(const wl::Dialog& page, int templateId, int x, int y, int cx, int cy,
                                      const std::vector<int>& except = {});
    // The controls of the ids, at their places in the page.
    static CControlBlock FromIds(const wl::Dialog& page, int templateId, const std::vector<int>& ids);
    // The block's rectangle where it is now (pixels, page coordinates).
    const wl::Rect& Bounds() const { return m_bounds; }
    // Its first rectangle (pixels).
    const wl::Rect& Template() const { return m_template; }
    int Width() const { return m_bounds.Width(); }
    int Height() const { return m_bounds.Height(); }
    bool IsEmpty() const { return m_items.empty(); }
    // The block's first control (its group box) shortened or lengthened to
    // end `pad` pixels below the lowest of the others.
    void FitFrameToContent(int pad);
    // Moves every control of the block by the same offset so that its
    // rectangle starts at (left, top).
    void MoveTo(int left, int top);

private:
    void Add(const wl::Dialog& page, int id, const wl::Rect& rect);
    struct Item {
        wl::Window* window;
        wl::Rect rect;  // first place, pixels
    };
    std::vector<Item> m_items;
    wl::Rect m_template{};  // the blocks' template rectangle
    wl::Rect m_bounds{};
};

// Places the blocks side by side from (left, top), each keeping its template
// distance below the highest of them, and starts a new row, gap below the
// last, when the next block would pass `right`. Returns the bottom of the
// lowest block.
int FlowBlocks(std::vector<CControlBlock*> blocks, int left, int top, int right, int gap);
