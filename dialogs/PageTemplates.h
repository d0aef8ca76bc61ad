// Building blocks of the dialog templates of the main dialog's tab pages.
#pragma once

#include <initializer_list>
#include <utility>
#include <vector>

#include "platform/wl/templates.h"

namespace page_templates {

// A tab page of the main dialog: a child dialog of the pages' common size.
inline wl::DialogTemplate Page(int id, std::vector<wl::ControlTemplate> controls) {
    return {id, "", 580, 330, wl::kDlgChild, std::move(controls)};
}

// One radio group as a column: the buttons dy apart from (x, y), each cx
// wide, the first starting the group.
inline std::vector<wl::ControlTemplate> RadioColumn(int x, int y, int cx, int dy,
                                                    std::initializer_list<std::pair<int, const char*>> radios) {
    std::vector<wl::ControlTemplate> out;
    for (const auto& [id, text] : radios) {
        out.push_back({id, wl::Kind::Radio, text, x, y, cx, 10, out.empty() ? wl::kGroup : 0u});
        y += dy;
    }
    return out;
}

// The controls of several lists in their order.
inline std::vector<wl::ControlTemplate> Join(std::initializer_list<std::vector<wl::ControlTemplate>> parts) {
    std::vector<wl::ControlTemplate> out;
    for (const auto& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

}  // namespace page_templates
