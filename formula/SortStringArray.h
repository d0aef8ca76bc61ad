// Byte-wise sorting of text arrays.
#pragma once

#include <string>
#include <vector>

// Sorts the texts ascending by byte value (unsigned bytes, case-sensitive; a
// text that is a prefix of another sorts first). Equal texts keep their order.
void SortStringArray(std::vector<std::string>& texts);
