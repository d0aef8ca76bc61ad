// A stand-in for the calculation kernel: exports RIREZ_Aver, which writes a
// "result" element with "abbruch" and a few result series, and a report
// routine that writes the report file. What it did is counted in root
// attributes of the document (the library may be unloaded between runs);
// "input"/"testMode" chooses the outcome: 0 a complete result, 1 a stopped
// run ("abbruch" 1), 2 no result element at all.
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "platform/winsys/winsys.h"
#include "platform/zevud/zevud.h"

#define EXPORT extern "C" __attribute__((visibility("default")))

namespace {

void Count(ZVELEM root, const char* name) { ZEVUD_SetInt(root, name, ZEVUD_GetInt(root, name) + 1); }

void WriteReport(ZVDOC doc, const char* text) {
    std::string name = zevud::GetCompleteFileName(doc);
    if (name.empty()) return;
    std::ofstream(winsys::SideFileName(name, ".rtf"), std::ios::binary) << text;
}

ZVELEM AddSeries(ZVELEM parent, const char* title, int32_t type, const std::vector<float>& data, const char* unit) {
    ZVELEM e = ZEVUD_AddChildElement(parent, "node");
    ZEVUD_SetString(e, "title", title);
    ZEVUD_SetInt(e, "type", type);
    if (!data.empty()) {
        ZEVUD_SetInt(e, "dataLength", static_cast<int32_t>(data.size() / (type == 0 ? 2 : 3)));
        ZEVUD_SetBinData(e, "data", static_cast<int>(data.size() * sizeof(float)), data.data(), 1);
    }
    if (unit) ZEVUD_SetString(e, "unit", unit);
    return e;
}

}  // namespace

EXPORT void RIREZ_Aver(uint32_t doc, int32_t flag) {
    ZVELEM root = ZEVUD_GetRootElement(doc);
    if (!root) return;
    Count(root, "testCalcCalls");
    ZEVUD_SetInt(root, "testCalcFlag", flag);
    if (ZVELEM files = ZEVUD_FindFirstChild(root, "rtfFiles")) {
        ZEVUD_SetInt(root, "testSawRtfFiles", 1);
        if (ZEVUD_HasAttr(files, "vardef")) ZEVUD_SetInt(root, "testSawVardef", 1);
    }
    ZVELEM input = ZEVUD_FindFirstChild(root, "input");
    const int32_t mode = ZEVUD_GetInt(input, "testMode");
    if (mode == 2) return;
    ZVELEM result = ZEVUD_AddChildElement(root, "result");
    ZEVUD_SetInt(result, "abbruch", mode == 1 ? 1 : 0);
    ZEVUD_SetString(result, "message", mode == 1 ? "Berechnung abgebrochen" : "ok");
    ZEVUD_SetInt(result, "nNode", 3);
    ZEVUD_SetInt(result, "nElem", 2);
    // Bending moment of a beam: positive and negative, so a zero crossing is
    // inserted at x = 1.5 on reading.
    ZVELEM lc = AddSeries(result, "LF 1", 0, {}, nullptr);
    AddSeries(lc, "My", 0, {0.0f, -2.0f, 1.0f, -1.0f, 2.0f, 1.0f, 3.0f, 2.0f}, "kNm");
    AddSeries(lc, "Vz", 2, {0.0f, 1.0f, -1.0f, 3.0f, 2.0f, -2.0f}, "-");
    AddSeries(result, "skipped", -1, {0.0f, 5.0f}, nullptr);
    if (flag == 1) WriteReport(doc, "{\\rtf1 kernel report}");
}

EXPORT void TestReport(uint32_t doc, int32_t flag) {
    ZVELEM root = ZEVUD_GetRootElement(doc);
    if (!root) return;
    Count(root, "testReportCalls");
    ZEVUD_SetInt(root, "testReportFlag", flag);
    // Test mode 3: the report routine fails and writes nothing.
    ZVELEM input = ZEVUD_FindFirstChild(root, "input");
    if (input && ZEVUD_GetInt(input, "testMode") == 3) return;
    WriteReport(doc, "{\\rtf1 report}");
}
