// What both value-import dialogs show: the project's positions in a list
// (one row per position file of a program the catalogue knows, with the
// program's icon) and the exported values of one position as a tree (the
// folders as parent items, the values with the value icon). Also the
// catalogue's icons as images, made once.
#pragma once

#include <QIcon>
#include <map>
#include <string>
#include <vector>

#include "formula/ImportValue.h"
#include "platform/wl/controls.h"

namespace importlists {

// The icon of the value items (an icon id of the catalogue).
inline constexpr int kValueIconId = 173;

// The image of an icon of the catalogue's list by its index: the bitmap the
// window layer holds for its resource, else a plain generated icon.
QIcon CatalogueIcon(int index);
// The image of an icon id (its index in the catalogue's list, when listed).
QIcon CatalogueIconById(int iconId);

// Rebuilds the list: the columns "Position" and "Programm" (60 and 40 % of
// the free width), a row per position file of the current folder, sorted
// without regard to case. Returns the row whose name equals select (any
// case), or -1.
int FillPositionList(wl::ListCtrl& list, const std::string& area, const std::string& select = {});

// Fills the tree with the exported values of a position file: records get
// the values (an item's data is its index + 1); items, when given, maps each
// source path to its item. A file that does not open leaves the tree empty;
// one without "exports" shows a message item.
void FillValueTree(wl::TreeCtrl& tree, const std::string& fileName, const std::string& area,
                   std::vector<CImportValue>& records, std::map<std::string, wl::TreeCtrl::Item>* items = nullptr);

}  // namespace importlists
