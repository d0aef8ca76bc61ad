// CPopupMenuBuilder: a context menu described by entries with backslash
// paths ("Einfügen\Tabelle" puts "Tabelle" into the submenu "Einfügen"),
// shown at a point; the chosen command id comes back.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/wl/ui.h"

namespace wl {
class Window;
}

class CPopupMenuBuilder {
public:
    static constexpr unsigned MF_CHECKED = 0x0008;
    static constexpr unsigned MF_SEPARATOR = 0x0800;

    struct Node {
        std::string text;
        unsigned flags = 0;
        int id = 0;
        std::vector<std::unique_ptr<Node>> children;
        Node* parent = nullptr;
    };

    CPopupMenuBuilder() = default;
    ~CPopupMenuBuilder() { Clear(); }
    CPopupMenuBuilder(const CPopupMenuBuilder&) = delete;
    CPopupMenuBuilder& operator=(const CPopupMenuBuilder&) = delete;

    // Adds an entry; parts compare byte for byte and the first entry of a
    // path wins. An empty path adds nothing.
    void AddItem(const std::string& path, int id, bool separator = false, bool checked = false);
    // Shows the menu at the screen point through the UI service and returns
    // the chosen id (0 when dismissed). No command is sent.
    int Track(int x, int y, wl::Window* owner);
    void Clear();

    // The menu as the UI service shows it.
    wl::Menu BuildMenu() const;
    const std::vector<std::unique_ptr<Node>>& Items() const { return top_; }

private:
    std::vector<std::unique_ptr<Node>> top_;
};
