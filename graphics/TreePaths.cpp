#include "graphics/TreePaths.h"

#include <QWidget>

#include "platform/winsys/winsys.h"

namespace {

bool SameText(const std::string& a, const std::string& b, bool ignoreCase) {
    return ignoreCase ? winsys::FoldCase(a) == winsys::FoldCase(b) : a == b;
}

bool HasTree(const wl::TreeCtrl* tree) { return tree && tree->Widget(); }

HTREEITEM FirstChild(const wl::TreeCtrl* tree, HTREEITEM parent) {
    return parent ? tree->GetChildItem(parent) : tree->GetRootItem();
}

}  // namespace

bool TreeGetItemPath(std::string& path, HTREEITEM item, const wl::TreeCtrl* tree) {
    path.clear();
    if (!HasTree(tree) || !item) return false;
    std::string out = tree->GetItemText(item);
    for (HTREEITEM p = tree->GetParentItem(item); p; p = tree->GetParentItem(p)) out = tree->GetItemText(p) + "\\" + out;
    path = out;
    return true;
}

bool TreeFindPath(HTREEITEM& item, HTREEITEM parent, const std::string& path, const wl::TreeCtrl* tree,
                  bool ignoreCase) {
    item = 0;
    if (!HasTree(tree)) return false;
    std::string head = path, rest;
    bool more = false;
    if (const size_t cut = path.find('\\'); cut != std::string::npos) {
        head = path.substr(0, cut);
        rest = path.substr(cut + 1);
        more = true;
    }
    for (HTREEITEM c = FirstChild(tree, parent); c; c = tree->GetNextSiblingItem(c)) {
        if (!SameText(tree->GetItemText(c), head, ignoreCase)) continue;
        if (!more) {
            item = c;
            return true;
        }
        return TreeFindPath(item, c, rest, tree, ignoreCase);
    }
    return false;
}

bool TreeInsertPath(HTREEITEM& item, const std::string& path, wl::TreeCtrl* tree, HTREEITEM insertAfter,
                    bool ignoreCase) {
    item = 0;
    if (!HasTree(tree) || path.empty()) return false;
    if (TreeFindPath(item, 0, path, tree, ignoreCase)) return true;
    const size_t cut = path.rfind('\\');
    if (cut == std::string::npos) {
        item = tree->InsertItem(path, wl::TreeCtrl::kRoot, insertAfter);
        return item != 0;
    }
    const std::string parentPath = path.substr(0, cut);
    HTREEITEM parent = 0;
    if (!TreeFindPath(parent, 0, parentPath, tree, ignoreCase) &&
        !TreeInsertPath(parent, parentPath, tree, insertAfter, ignoreCase))
        return false;
    item = tree->InsertItem(path.substr(cut + 1), parent, insertAfter);
    return item != 0;
}

bool TreeSelectPath(HTREEITEM& item, const std::string& path, wl::TreeCtrl* tree, bool ignoreCase) {
    if (!HasTree(tree)) {
        item = 0;
        return false;
    }
    const bool found = TreeFindPath(item, 0, path, tree, ignoreCase);
    if (found) {
        tree->EnsureVisible(item);
        tree->SelectItem(item);
    } else {
        tree->SelectItem(tree->GetRootItem());
    }
    TreeRedraw(tree);
    return found;
}

void TreeCollectItems(HTREEITEM item, const wl::TreeCtrl* tree, std::vector<std::intptr_t>& items, bool preOrder) {
    if (!HasTree(tree)) return;
    if (preOrder) {
        if (item) items.push_back(item);
        for (HTREEITEM c = FirstChild(tree, item); c; c = tree->GetNextSiblingItem(c))
            TreeCollectItems(c, tree, items, true);
        return;
    }
    for (HTREEITEM c = FirstChild(tree, item); c; c = tree->GetNextSiblingItem(c)) items.push_back(c);
    for (HTREEITEM c = FirstChild(tree, item); c; c = tree->GetNextSiblingItem(c))
        TreeCollectItems(c, tree, items, false);
}

void TreeRedraw(wl::TreeCtrl* tree) {
    if (!HasTree(tree)) return;
    tree->SetRedraw(true);
    tree->Widget()->repaint();
}
