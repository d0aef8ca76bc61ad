#include "kernel_results/ResultTree.h"

#include <cmath>
#include <cstring>

#include "platform/winsys/winsys.h"
#include "platform/zevud/conveniences.h"

namespace tovik::results {

std::string CaseComponent(int32_t caseNumber) { return winsys::FormatC("LK %3d", caseNumber); }

ZVELEM FindTitledChild(ZVELEM parent, const std::string& title) {
    if (!parent) return 0;
    for (ZVELEM c = ZEVUD_GetFirstChild(parent); c; c = ZEVUD_GetNextChild(c))
        if (ZEVUD_HasAttr(c, "title") && zevud::GetString(c, "title") == title) return c;
    return 0;
}

ZVELEM WalkTitlePath(ZVELEM parent, const std::string& path, bool create) {
    ZVELEM cur = parent;
    std::string rest = path;
    while (cur && !rest.empty()) {
        const size_t p = rest.find('\\');
        const std::string part = rest.substr(0, p);
        rest = p == std::string::npos ? std::string() : rest.substr(p + 1);
        ZVELEM next = FindTitledChild(cur, part);
        if (!next && create) {
            next = ZEVUD_AddChildElement(cur, "node");
            ZEVUD_SetString(next, "title", part.c_str());
        }
        cur = next;
    }
    return cur;
}

ZVELEM WriteResultSeries(ZVELEM parent, const std::string& titlePath, const std::vector<float>& data,
                         int32_t type, int32_t lkNr, int32_t resType, const std::string& unit) {
    if (!parent) return 0;
    const size_t s = static_cast<size_t>(ValuesPerPoint(type));
    const size_t points = data.size() / s;
    bool any = false;
    for (size_t p = 0; p < points && !any; ++p)
        for (size_t j = 1; j < s; ++j)
            if (std::fabs(data[p * s + j]) > kSeriesThreshold) any = true;
    if (!any) return 0;
    ZVELEM leaf = WalkTitlePath(parent, titlePath, true);
    if (!leaf) return 0;
    const std::vector<float> used(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(points * s));
    const std::vector<unsigned char> bytes = EncodeFloats(used);
    ZEVUD_SetString(leaf, "unit", unit.c_str());
    ZEVUD_SetInt(leaf, "nDigits", 2);
    ZEVUD_SetInt(leaf, "dataLength", static_cast<int32_t>(points));
    ZEVUD_SetBinData(leaf, "data", static_cast<int>(bytes.size()), bytes.data(), 0);
    ZEVUD_SetInt(leaf, "type", type);
    if (lkNr != -1) ZEVUD_SetInt(leaf, "lkNr", lkNr);
    if (resType != -1) ZEVUD_SetInt(leaf, "resType", resType);
    return leaf;
}

std::vector<unsigned char> EncodeFloats(const std::vector<float>& values) {
    return zevud::EncodeArray(values);
}

std::vector<unsigned char> EncodeInts(const std::vector<int32_t>& values) {
    return zevud::EncodeArray(values);
}

std::vector<float> DecodeFloats(const std::vector<unsigned char>& bytes) {
    return zevud::DecodeArray<float>(bytes);
}

std::vector<int32_t> DecodeInts(const std::vector<unsigned char>& bytes) {
    return zevud::DecodeArray<int32_t>(bytes);
}

std::vector<float> ReadSeriesData(ZVELEM leaf) {
    if (!leaf) return {};
    return DecodeFloats(zevud::GetBinData(leaf, "data"));
}

}  // namespace tovik::results
