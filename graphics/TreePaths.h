// Items of a tree control addressed by backslash paths of their texts
// ("A\B\Item"). Items are the tree's pointer-sized handles; 0 is none (for a
// parent: the top level).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/wl/controls.h"

using HTREEITEM = wl::TreeCtrl::Item;

// The path of an item; false (and an empty path) without a tree or item.
bool TreeGetItemPath(std::string& path, HTREEITEM item, const wl::TreeCtrl* tree);
// The item of a path below parent (0: the top level). Parts compare exactly,
// or without regard to case ("Ä" equals "ä") with ignoreCase.
bool TreeFindPath(HTREEITEM& item, HTREEITEM parent, const std::string& path, const wl::TreeCtrl* tree,
                  bool ignoreCase);
// The item of a path, made with every missing ancestor (text only) at
// insertAfter. false without a tree or for an empty path.
bool TreeInsertPath(HTREEITEM& item, const std::string& path, wl::TreeCtrl* tree,
                    HTREEITEM insertAfter = wl::TreeCtrl::kLast, bool ignoreCase = false);
// Selects the item of a path (made visible); without it the first item.
bool TreeSelectPath(HTREEITEM& item, const std::string& path, wl::TreeCtrl* tree, bool ignoreCase = false);
// The items below item: preOrder adds the item itself and then each child's
// subtree depth first; otherwise all children first, then child by child
// their collections (the item itself not added).
void TreeCollectItems(HTREEITEM item, const wl::TreeCtrl* tree, std::vector<std::intptr_t>& items, bool preOrder);
// Redrawing on and the tree repainted at once.
void TreeRedraw(wl::TreeCtrl* tree);
