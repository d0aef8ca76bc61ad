// The "exports" element of a position document: the values a position
// publishes for other positions, as "value" elements ("desc", "varName",
// "val", "unit") in a tree of "folder" elements ("desc").
#pragma once

#include <string>

#include "platform/zevud/zevud.h"

// Writes one value into a folder tree below an element; the path is a
// sequence of folder names, each followed by a backslash (or empty). Folder
// steps match only "folder" children, the value only "value" children; the
// value found by its description is updated, else added.
void WriteExportToFolder(ZVELEM element, const std::string& path, const std::string& description,
                         const std::string& varName, double value, const std::string& unit);

// Finds the first direct "value" child with that description (as made by
// ExportDescription) and updates it, or adds one. Returns the element.
ZVELEM WriteExportValue(ZVELEM parent, const std::string& description, const std::string& varName, double value,
                        const std::string& unit);

// A description as a path can address it later: backslashes become '/'.
std::string ExportDescription(const std::string& description);
