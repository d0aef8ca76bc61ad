#include "formula/SortStringArray.h"

#include <algorithm>

void SortStringArray(std::vector<std::string>& texts)
{
    // std::string compares through char_traits<char>, which orders the bytes
    // as unsigned char: exactly the byte order wanted here, also for UTF-8.
    std::stable_sort(texts.begin(), texts.end());
}
