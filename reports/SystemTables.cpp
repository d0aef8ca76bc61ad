#include "reports/SystemTables.h"

#include "module/ModuleData.h"
#include "reports/ReportText.h"
#include "reports/RtfTable.h"

namespace {

double SpringValue(const CSupport& s, int index) {
    CFormulaValue v;
    int kind = 0;
    s.GetValueByIdx(index, v, kind);
    return v.GetValue();
}

}  // namespace

void WriteSupportTable(const CModuleData& md, const SupportTableStyle& style) {
    auto tr = [&](const std::string& text) { return report_text::Translate(style.area, text); };
    bool stiffness = false;
    for (const CSupport& s : md.m_supports)
        for (int k = 0; k < 6; ++k) {
            const double v = SpringValue(s, k);
            if (v != 0.0 && v != kRigidSpring) stiffness = true;
        }
    CRtfTable t;
    t.SetSize(stiffness ? 2 : 1, 9, 16.0);
    t.SetColumnWidth(0, 15);
    for (int c = 1; c < 9; ++c) t.SetColumnWidth(c, 20);
    for (int c = 0; c < 9 && c < static_cast<int>(style.titles.size()); ++c)
        t.SetTextCell(0, c, tr(style.titles[static_cast<size_t>(c)]), c == 0 ? kRtfHeaderLeft : kRtfHeader);
    if (stiffness) {
        t.SetTextCell(1, 0, "", kRtfHeader);
        t.SetTextCell(1, 1, "[m]", kRtfHeader);
        for (int c = 2; c < 5; ++c) t.SetTextCell(1, c, "[kN/m]", kRtfHeader);
        for (int c = 5; c < 8; ++c) t.SetTextCell(1, c, style.rotationUnit, kRtfHeader);
        if (style.warpingUnitCell) t.SetTextCell(1, 8, "", kRtfHeader);
    }
    const std::string fixed = tr("fest");
    double x = 0.0;
    int letter = 0;
    for (size_t i = 0; i < md.m_supports.size(); ++i) {
        // x of support i: the running sum of the field-length entries 0 .. i.
        if (i < md.m_fieldLengths.size()) x += md.m_fieldLengths[i].GetValue();
        const CSupport& s = md.m_supports[i];
        bool any = false;
        for (int k = 0; k < 7; ++k) any = any || SpringValue(s, k) != 0.0;
        if (!any) continue;
        const int r = t.AddRow();
        std::string label;
        for (int n = letter++;; n = n / 26 - 1) {  // A .. Z, then AA, AB ...
            label.insert(label.begin(), static_cast<char>('A' + n % 26));
            if (n < 26) break;
        }
        t.SetTextCell(r, 0, label, style.labelFlags);
        t.SetDoubleCell(r, 1, x, "", 0, 2, kRtfRight);
        for (int k = 0; k < 7; ++k) {
            const double v = SpringValue(s, k);
            if (v == 0.0) t.SetTextCell(r, 2 + k, "-", style.textFlags);
            else if (v == kRigidSpring || k == 6) t.SetTextCell(r, 2 + k, fixed, style.textFlags);
            else t.SetDoubleCell(r, 2 + k, v, "", 1, 3, kRtfRight);
        }
    }
    t.WriteRtf();
}

void WriteHingeTable(const CModuleData& md, const char* area, int textFlags) {
    auto tr = [&](const std::string& text) { return report_text::Translate(area, text); };
    CRtfTable t;
    t.SetSize(2, 9, 16.0);
    t.SetColumnWidth(0, 20);
    t.SetColumnWidth(1, 70);
    const char* titles[9] = {"Stelle x", "Text", "Vx", "Vy", "Vz", "Mx", "My", "Mz", "Mw"};
    for (int c = 0; c < 9; ++c) {
        t.SetTextCell(0, c, tr(titles[c]), c == 0 ? kRtfHeaderLeft : kRtfHeader);
        t.SetTextCell(1, c, c == 0 ? "[m]" : "", kRtfHeader);
    }
    const std::string released = tr("Frei");
    for (const CHinge& h : md.m_hinges) {
        const int r = t.AddRow();
        t.SetDoubleCell(r, 0, md.GetFieldStart(h.m_iNode), "", 0, 2, kRtfRight);
        t.SetTextCell(r, 1, h.m_strDesc, textFlags);
        for (int k = 0; k < 7; ++k) t.SetTextCell(r, 2 + k, h.m_release[k] ? released : "---", kRtfRight);
    }
    t.WriteRtf();
}
