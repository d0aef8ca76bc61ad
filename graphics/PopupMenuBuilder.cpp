#include "graphics/PopupMenuBuilder.h"

namespace {

void Append(std::vector<wl::MenuItem>& out, const std::vector<std::unique_ptr<CPopupMenuBuilder::Node>>& nodes) {
    for (const auto& n : nodes) {
        wl::MenuItem item;
        if (!n->children.empty()) {
            item.text = n->text;  // a submenu: its own flags and id are not used
            Append(item.items, n->children);
        } else if (n->flags & CPopupMenuBuilder::MF_SEPARATOR) {
            // A separator line, whatever its text.
        } else {
            item.id = n->id;
            item.text = n->text;
            item.checked = (n->flags & CPopupMenuBuilder::MF_CHECKED) != 0;
        }
        out.push_back(std::move(item));
    }
}

// Deletes a level depth first.
void Free(std::vector<std::unique_ptr<CPopupMenuBuilder::Node>>& nodes) {
    for (auto& n : nodes) Free(n->children);
    nodes.clear();
}

}  // namespace

void CPopupMenuBuilder::AddItem(const std::string& path, int id, bool separator, bool checked) {
    std::string rest = path;
    std::vector<std::unique_ptr<Node>>* level = &top_;
    Node* parent = nullptr;
    while (!rest.empty()) {
        const size_t cut = rest.find('\\');
        const std::string part = rest.substr(0, cut);
        rest = cut == std::string::npos ? std::string() : rest.substr(cut + 1);
        Node* found = nullptr;
        for (auto& n : *level)
            if (n->text == part) {
                found = n.get();
                break;
            }
        if (!found) {
            auto node = std::make_unique<Node>();
            node->text = part;
            node->parent = parent;
            if (rest.empty()) {
                node->id = id;
                node->flags = (separator ? MF_SEPARATOR : 0u) | (checked ? MF_CHECKED : 0u);
            }
            found = node.get();
            level->push_back(std::move(node));
        }
        parent = found;
        level = &found->children;
    }
}

wl::Menu CPopupMenuBuilder::BuildMenu() const {
    wl::Menu menu;
    Append(menu.items, top_);
    return menu;
}

int CPopupMenuBuilder::Track(int x, int y, wl::Window* owner) {
    return wl::GetUi().TrackPopupMenu(BuildMenu(), wl::Point{x, y}, owner);
}

void CPopupMenuBuilder::Clear() { Free(top_); }
