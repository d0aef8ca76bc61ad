#include "dialogs/PageFlow.h"

#include <algorithm>

#include "graphics/DlgResizer.h"
#include "platform/wl/dialog.h"
#include "platform/wl/templates.h"

CControlBlock CControlBlock::FromTemplate(const wl::Dialog& page, int templateId, int x, int y, int cx, int cy,
                                          const std::vector<int>& except) {
    CControlBlock block;
    const wl::DialogTemplate* t = wl::FindTemplate(templateId);
    if (!t) return block;
    for (const wl::ControlTemplate& c : t->controls) {
        if (c.x < x || c.y < y || c.x + c.cx > x + cx || c.y + c.cy > y + cy) continue;
        if (std::find(except.begin(), except.end(), c.id) != except.end()) continue;
        block.Add(page, c.id, wl::DluToPixels(c.x, c.y, c.cx, c.cy));
    }
    block.m_bounds = block.m_template;
    return block;
}

CControlBlock CControlBlock::FromIds(const wl::Dialog& page, int templateId, const std::vector<int>& ids) {
    CControlBlock block;
    const wl::DialogTemplate* t = wl::FindTemplate(templateId);
    if (!t) return block;
    for (const wl::ControlTemplate& c : t->controls)
        if (std::find(ids.begin(), ids.end(), c.id) != ids.end())
            block.Add(page, c.id, wl::DluToPixels(c.x, c.y, c.cx, c.cy));
    block.m_bounds = block.m_template;
    return block;
}

void CControlBlock::Add(const wl::Dialog& page, int id, const wl::Rect& templateRect) {
    wl::Window* w = page.GetDlgItem(id);
    if (!w) return;
    // Where the control is now: a grid with a strip of group titles stands
    // below its template place, under the strip.
    wl::Rect r = templateRect;
    GetChildRectInParent(&page, w, r);
    if (m_items.empty()) {
        m_template = r;
    } else {
        m_template = {std::min(m_template.left, r.left), std::min(m_template.top, r.top),
                      std::max(m_template.right, r.right), std::max(m_template.bottom, r.bottom)};
    }
    m_items.push_back({w, r});
}

void CControlBlock::FitFrameToContent(int pad) {
    if (m_items.size() < 2) return;
    int bottom = m_items[1].rect.bottom;
    for (size_t i = 1; i < m_items.size(); ++i) bottom = std::max(bottom, m_items[i].rect.bottom);
    m_items[0].rect.bottom = bottom + pad;
    m_template = m_items[0].rect;
    for (const Item& item : m_items)
        m_template = {std::min(m_template.left, item.rect.left), std::min(m_template.top, item.rect.top),
                      std::max(m_template.right, item.rect.right), std::max(m_template.bottom, item.rect.bottom)};
    const int dx = m_bounds.left - m_template.left, dy = m_bounds.top - m_template.top;
    m_bounds = {m_template.left + dx, m_template.top + dy, m_template.right + dx, m_template.bottom + dy};
}

void CControlBlock::MoveTo(int left, int top) {
    const int dx = left - m_template.left, dy = top - m_template.top;
    for (const Item& item : m_items)
        item.window->MoveWindow(item.rect.left + dx, item.rect.top + dy, item.rect.Width(), item.rect.Height());
    m_bounds = {m_template.left + dx, m_template.top + dy, m_template.right + dx, m_template.bottom + dy};
}

int FlowBlocks(std::vector<CControlBlock*> blocks, int left, int top, int right, int gap) {
    blocks.erase(std::remove_if(blocks.begin(), blocks.end(), [](const CControlBlock* b) { return !b || b->IsEmpty(); }),
                 blocks.end());
    if (blocks.empty()) return top;
    // How far each block stands below the highest in the template.
    int highest = blocks.front()->Template().top;
    for (const CControlBlock* b : blocks) highest = std::min(highest, b->Template().top);
    std::vector<int> drop;
    for (const CControlBlock* b : blocks) drop.push_back(b->Template().top - highest);
    int x = left, rowTop = top, rowBottom = top, bottom = top;
    for (size_t i = 0; i < blocks.size(); ++i) {
        CControlBlock& b = *blocks[i];
        if (x > left && x + b.Width() > right) {
            x = left;
            rowTop = rowBottom + gap;
        }
        b.MoveTo(x, rowTop + drop[i]);
        x += b.Width() + gap;
        rowBottom = std::max(rowBottom, b.Bounds().bottom);
        bottom = std::max(bottom, b.Bounds().bottom);
    }
    return bottom;
}
