// The result tables of the member-design report: values of the stored result
// series at the decisive x positions (field boundaries and the extremes of
// each series), one table per collective, action or envelope.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "module/ModuleData.h"
#include "platform/zadevoz/zadevoz.h"
#include "reports/MemberReport.h"
#include "reports/ReportText.h"
#include "reports/RtfTable.h"

namespace {

constexpr double kTol = 0.0001;

std::string Tr(const std::string& text) { return report_text::Translate(report_text::kAreaMember, text); }

// The extra column beside the utilisation series.
enum class Extra { None, ForceCase, StressCase, DeformationCase };

struct SeriesColumn {
    const char* series;  // series name below the table path
    const char* title;
    const char* unit;
    const char* fallback = nullptr;  // another name of the same series
};

struct TableKind {
    std::vector<SeriesColumn> cols;
    double width;
    Extra extra;
    const char* extraTitle;
    int utilisation;        // index of the series that gives the extra column, -1 none
    bool reaction;          // two values at a point are both written
    const char* heading;    // style -4 before a reaction table
    bool alwaysShowUtil;    // the utilisation column follows its series only
};

// The values of a series at x: every sample within the tolerance (both
// values of a band point), in the stored order; points holds the index of
// the sample's point.
void SamplesAt(const CResultSet& s, double x, std::vector<double>& values, std::vector<int>& points) {
    values.clear();
    points.clear();
    const int fpp = CResultSet::FloatsPerPoint(s.m_type);
    const int n = s.NumPoints();
    const int nv = s.m_type == 0 ? 1 : (s.m_type == 1 ? 1 : 2);
    for (int i = 0; i < n; ++i) {
        const double px = s.m_data[static_cast<size_t>(i * fpp)];
        if (std::fabs(px - x) > kTol) continue;
        for (int k = 1; k <= nv; ++k) {
            values.push_back(s.m_data[static_cast<size_t>(i * fpp + k)]);
            points.push_back(i);
        }
    }
    if (!values.empty() || n < 2 || s.m_type != 0) return;
    // No sample at x: linear between the neighbouring points of a curve.
    for (int i = 0; i + 1 < n; ++i) {
        const double x0 = s.m_data[static_cast<size_t>(i * fpp)], x1 = s.m_data[static_cast<size_t>((i + 1) * fpp)];
        if (x0 < x && x < x1) {
            const double v0 = s.m_data[static_cast<size_t>(i * fpp + 1)], v1 = s.m_data[static_cast<size_t>((i + 1) * fpp + 1)];
            values.push_back(v0 + (v1 - v0) * (x - x0) / (x1 - x0));
            points.push_back(std::fabs(x - x0) <= std::fabs(x1 - x) ? i : i + 1);
            return;
        }
    }
}

// The sample of largest magnitude (the first of equal ones); -1 for none.
int LargestSample(const std::vector<double>& values) {
    int best = -1;
    for (size_t i = 0; i < values.size(); ++i)
        if (best < 0 || std::fabs(values[i]) > std::fabs(values[static_cast<size_t>(best)])) best = static_cast<int>(i);
    return best;
}

}  // namespace

const CResultSet* CModuleData::FindResultSet(const std::string& path) const {
    auto it = m_resultIndex.find(path);
    if (it == m_resultIndex.end() || it->second < 0 || it->second >= static_cast<int>(m_resultSets.size()))
        return nullptr;
    return &m_resultSets[static_cast<size_t>(it->second)];
}

std::vector<double> CModuleData::CollectOutputPoints(const std::vector<const CResultSet*>& series) const {
    std::vector<double> bounds;
    double x = 0.0;
    for (size_t k = 0; k < m_fieldLengths.size(); ++k) {
        x += m_fieldLengths[k].GetValue();
        bounds.push_back(x);
    }
    std::vector<double> points;
    for (const CResultSet* s : series) {
        if (!s) continue;
        points.insert(points.end(), bounds.begin(), bounds.end());
        const int fpp = CResultSet::FloatsPerPoint(s->m_type);
        const int nv = s->m_type == 0 || s->m_type == 1 ? 1 : 2;
        const int n = s->NumPoints();
        for (size_t f = 0; f + 1 < bounds.size(); ++f) {
            const double a = bounds[f] - kTol, b = bounds[f + 1] + kTol;
            bool found = false;
            double vMin = 0, vMax = 0, xMin = 0, xMax = 0;
            for (int i = 0; i < n; ++i) {
                const double px = s->m_data[static_cast<size_t>(i * fpp)];
                if (px < a || px > b) continue;
                for (int k = 1; k <= nv; ++k) {
                    const double v = s->m_data[static_cast<size_t>(i * fpp + k)];
                    if (!found || v < vMin) { vMin = v; xMin = px; }
                    if (!found || v > vMax) { vMax = v; xMax = px; }
                    found = true;
                }
            }
            if (!found) continue;
            if (std::fabs(vMin) > kTol) points.push_back(xMin);
            if (std::fabs(vMax) > kTol) points.push_back(xMax);
        }
    }
    // A position found by several series (or twice by one) is written once.
    std::sort(points.begin(), points.end());
    std::vector<double> merged;
    for (double p : points)
        if (merged.empty() || p - merged.back() > kTol) merged.push_back(p);
    return merged;
}

namespace {

// Writes one table of a result kind for each index.
void WriteResultTables(CModuleData& md, const TableKind& kind, const char* pathFormat, int base,
                       const std::vector<int>& indices) {
    if (!pathFormat) return;
    const int nSeries = static_cast<int>(kind.cols.size());
    const bool hasExtra = kind.extra != Extra::None;
    const int nCols = 1 + nSeries + (hasExtra ? 1 : 0);
    for (int index : indices) {
        const std::string path = index == -1 ? std::string(pathFormat) : report_text::FormatRaw(pathFormat, index);
        std::vector<const CResultSet*> series;
        for (const SeriesColumn& c : kind.cols) {
            const CResultSet* s = md.FindResultSet(path + "\\" + c.series);
            if (!s && c.fallback) s = md.FindResultSet(path + "\\" + c.fallback);
            series.push_back(s);
        }
        // Which columns the options switch on.
        std::vector<bool> on(static_cast<size_t>(nSeries));
        bool anyOn = false;
        for (int k = 0; k < nSeries; ++k) {
            on[static_cast<size_t>(k)] = (k == kind.utilisation && kind.alwaysShowUtil) || md.IsRtfOptionSet(base + k);
            anyOn = anyOn || on[static_cast<size_t>(k)];
        }
        if (kind.reaction && !anyOn) continue;

        CRtfTable t;
        t.SetSize(2, nCols, kind.width);
        t.SetTextCell(0, 0, Tr("Bei x="), kRtfHeader);
        t.SetTextCell(1, 0, "[m]", kRtfHeader);
        for (int k = 0; k < nSeries; ++k) {
            t.SetTextCell(0, 1 + k, Tr(kind.cols[static_cast<size_t>(k)].title), kRtfHeader);
            t.SetTextCell(1, 1 + k, kind.cols[static_cast<size_t>(k)].unit, kRtfHeader);
            if (!on[static_cast<size_t>(k)] || !series[static_cast<size_t>(k)]) t.SetColumnAttr(1 + k, 0);
        }
        const CResultSet* util = kind.utilisation >= 0 ? series[static_cast<size_t>(kind.utilisation)] : nullptr;
        const int extraCol = nCols - 1;
        if (hasExtra) {
            t.SetTextCell(0, extraCol, Tr(kind.extraTitle), kRtfHeader);
            t.SetTextCell(1, extraCol, kind.extra == Extra::ForceCase ? "[-]" : "[]", kRtfHeader);
            bool shown = util != nullptr;
            if (kind.extra != Extra::ForceCase) shown = shown && index == -1 && md.IsRtfOptionSet(base + kind.utilisation);
            if (!shown) t.SetColumnAttr(extraCol, 0);
        }

        const std::vector<double> xs = md.CollectOutputPoints(series);
        std::vector<double> best(static_cast<size_t>(nSeries), -1.0);
        std::vector<int> bestRow(static_cast<size_t>(nSeries), -1);
        std::vector<double> values;
        std::vector<int> points;
        for (double x : xs) {
            const int r = t.AddRow();
            t.SetDoubleCell(r, 0, x, "", 0, 2, kRtfRight);
            for (int k = 0; k < nSeries; ++k) {
                const CResultSet* s = series[static_cast<size_t>(k)];
                if (!s) continue;
                SamplesAt(*s, x, values, points);
                const int pick = LargestSample(values);
                if (pick < 0) continue;
                const double v = values[static_cast<size_t>(pick)];
                double magnitude = std::fabs(v);
                if (kind.reaction && values.size() >= 2 &&
                    FormatFixed(values.front(), 2) != FormatFixed(values.back(), 2)) {
                    // Left and right of a support: both values.
                    t.SetTextCell(r, 1 + k,
                                  FormatFixed(values.front(), 2) + "{\\par \\pard}" + FormatFixed(values.back(), 2),
                                  kRtfRight);
                    magnitude = std::max(std::fabs(values.front()), std::fabs(values.back()));
                } else {
                    t.SetDoubleCell(r, 1 + k, v, "", 0, 2, kRtfRight);
                }
                if (magnitude > best[static_cast<size_t>(k)]) {
                    best[static_cast<size_t>(k)] = magnitude;
                    bestRow[static_cast<size_t>(k)] = r;
                }
                if (k == kind.utilisation && hasExtra) {
                    const int pt = points[static_cast<size_t>(pick)];
                    const int idx = static_cast<int>(s->m_poi.size()) == s->NumPoints()
                                        ? s->m_poi[static_cast<size_t>(pt)]
                                        : pt;
                    const std::vector<int32_t>& cases =
                        kind.extra == Extra::DeformationCase ? md.m_gebrCaseOfPoint : md.m_tragSVCaseOfPoint;
                    if (idx >= 0 && idx < static_cast<int>(cases.size())) {
                        long number = cases[static_cast<size_t>(idx)] + 1;
                        if (kind.extra == Extra::DeformationCase) number += md.m_gebrKolOffset;
                        t.SetIntCell(r, extraCol, number, kRtfRight, "%ld");
                    }
                }
            }
        }
        for (int k = 0; k < nSeries; ++k) {
            const int r = bestRow[static_cast<size_t>(k)];
            if (r < 0) continue;
            t.SetCellFlags(r, 1 + k, kRtfBold);
            if (k == kind.utilisation && hasExtra) t.SetCellFlags(r, extraCol, kRtfBold);
        }
        t.m_bFillWidth = 0;  // hidden columns keep their share
        if (kind.heading) zadevoz::RtfWriteText(-4, Tr(kind.heading));
        t.WriteRtf();
    }
}

const TableKind kForces = {{{"Normalkraft N", "N", "[kN]"},
                            {"Querkraft Vy", "Vy", "[kN]"},
                            {"Querkraft Vz", "Vz", "[kN]"},
                            {"Torsionsmoment Mx", "Mx", "[kNm]"},
                            {"Biegemoment My", "My", "[kNm]"},
                            {"Biegemoment Mz", "Mz", "[kNm]"},
                            {"Wölbmoment Mw", "Mw", "[kNm²]"},
                            {"Ausnutzung", "Ausn.", "[-]"}},
                           16.0, Extra::ForceCase, "LK", 7, false, nullptr, true};

const TableKind kStresses = {{{"Spannung max. sigX", "max. sigX", "[N/mm²]"},
                              {"Spannung min. sigX", "min. sigX", "[N/mm²]"},
                              {"Spannung abs Tau", "abs Tau", "[N/mm²]"},
                              {"Spannung sigV", "sigV", "[N/mm²]"},
                              {"Ausnutzung", "Ausn.", "[]"}},
                             14.0, Extra::StressCase, "Aus LK", 4, false, nullptr, false};

const TableKind kDeformations = {{{"Verformung X", "dx", "[mm]"},
                                  {"Verformung Y", "dy", "[mm]"},
                                  {"Verformung Z", "dz", "[mm]"},
                                  {"Verdrehung um X", "phi-X", "[prom]", "Verdrehung phiX"},
                                  {"Ausnutzung Y", "Ausn.Y", "[]"},
                                  {"Ausnutzung Z", "Ausn.Z", "[]"},
                                  {"Max. Ausnutzung", "Max.Ausn", "[]"}},
                                 16.0, Extra::DeformationCase, "Aus LK", 6, false, nullptr, false};

const TableKind kPreDeformations = {{{"Vorverformung Y", "dy", "[mm]"}, {"Vorverformung Z", "dz", "[mm]"}},
                                    8.0, Extra::None, nullptr, -1, false, nullptr, false};

const TableKind kBucklingModes = {{{"Verschiebung Y(normiert)", "dy (normiert)", "[-]"},
                                   {"Verschiebung Z(normiert)", "dz (normiert)", "[-]"},
                                   {"Verdrehung X(normiert)", "phi (normiert)", "[-]"}},
                                  16.0, Extra::None, nullptr, -1, false, nullptr, false};

const TableKind kSupportForces = {{{"Ax", "Ax", "[kN]"},
                                   {"Ay", "Ay", "[kN]"},
                                   {"Az", "Az", "[kN]"},
                                   {"AMx", "AMx", "[kNm]"},
                                   {"AMy", "AMy", "[kNm]"},
                                   {"AMz", "AMz", "[kNm]"}},
                                  16.0, Extra::None, nullptr, -1, true, "Auflagerkräfte", false};

const TableKind kSpringForces = {{{"Ay", "Ay", "[kN]"}, {"Az", "Az", "[kN]"}},
                                 6.0, Extra::None, nullptr, -1, true, "Federkräfte", false};

const TableKind kBeddingForces = {{{"Ax", "Ax", "[kN/m]"},
                                   {"Ay", "Ay", "[kN/m]"},
                                   {"Az", "Az", "[kN/m]"},
                                   {"AMx", "AMx", "[kNm/m]"}},
                                  10.0, Extra::None, nullptr, -1, true, "Bettungskräfte", false};

}  // namespace

void CModuleData::WriteRtfInternalForceTable(const char* f, int b, const std::vector<int>& i) {
    WriteResultTables(*this, kForces, f, b, i);
}
void CModuleData::WriteRtfStressTable(const char* f, int b, const std::vector<int>& i) {
    WriteResultTables(*this, kStresses, f, b, i);
}
void CModuleData::WriteRtfDeformationTable(const char* f, int b, const std::vector<int>& i) {
    WriteResultTables(*this, kDeformations, f, b, i);
}
void CModuleData::WriteRtfPreDeformationTable(const char* f, int b, const std::vector<int>& i) {
    WriteResultTables(*this, kPreDeformations, f, b, i);
}
void CModuleData::WriteRtfBucklingModeTable(const char* f, int b, const std::vector<int>& i) {
    WriteResultTables(*this, kBucklingModes, f, b, i);
}
void CModuleData::WriteRtfSupportForceTable(const char* f, int b, const std::vector<int>& i) {
    WriteResultTables(*this, kSupportForces, f, b, i);
}
void CModuleData::WriteRtfSpringForceTable(const char* f, int b, const std::vector<int>& i) {
    WriteResultTables(*this, kSpringForces, f, b, i);
}
void CModuleData::WriteRtfBeddingForceTable(const char* f, int b, const std::vector<int>& i) {
    WriteResultTables(*this, kBeddingForces, f, b, i);
}

// ---- diagrams of the same series ------------------------------------------------

namespace {

// One picture per series of the kind whose option is set (the option of
// series k is base + k; utilisationOption replaces it for the utilisation
// series when not -1), for each entry of the index list.
void InsertDiagrams(CModuleData& md, const TableKind& kind, CKurvo2D* graph, const char* pathFormat, int base,
                    const std::vector<int>& indices, int utilisationOption = -1) {
    if (!pathFormat || !graph) return;
    for (int index : indices) {
        const std::string path = index == -1 ? std::string(pathFormat) : report_text::FormatRaw(pathFormat, index);
        for (size_t k = 0; k < kind.cols.size(); ++k) {
            const bool util = static_cast<int>(k) == kind.utilisation && utilisationOption >= 0;
            if (!md.IsRtfOptionSet(util ? utilisationOption : base + static_cast<int>(k))) continue;
            const SeriesColumn& c = kind.cols[k];
            std::string series = path + "\\" + c.series;
            if (!md.FindResultSet(series) && c.fallback) series = path + "\\" + c.fallback;
            md.InsertGraphPicture(graph, series, 0, 0, 0, 0, 0, 0);
        }
    }
}

}  // namespace

void CModuleData::InsertInternalForceDiagrams(CKurvo2D* g, const char* f, int b, const std::vector<int>& i) {
    // The utilisation diagram follows the stress family's utilisation option.
    InsertDiagrams(*this, kForces, g, f, b, i, b + 11);
}
void CModuleData::InsertStressDiagrams(CKurvo2D* g, const char* f, int b, const std::vector<int>& i) {
    InsertDiagrams(*this, kStresses, g, f, b, i);
}
void CModuleData::InsertDeformationDiagrams(CKurvo2D* g, const char* f, int b, const std::vector<int>& i) {
    InsertDiagrams(*this, kDeformations, g, f, b, i);
}
void CModuleData::InsertPreDeformationDiagrams(CKurvo2D* g, const char* f, int b, const std::vector<int>& i) {
    InsertDiagrams(*this, kPreDeformations, g, f, b, i);
}
void CModuleData::InsertBucklingModeDiagrams(CKurvo2D* g, const char* f, int b, const std::vector<int>& i) {
    InsertDiagrams(*this, kBucklingModes, g, f, b, i);
}
void CModuleData::InsertSupportForceDiagrams(CKurvo2D* g, const char* f, int b, const std::vector<int>& i) {
    InsertDiagrams(*this, kSupportForces, g, f, b, i);
}
void CModuleData::InsertSpringForceDiagrams(CKurvo2D* g, const char* f, int b, const std::vector<int>& i) {
    InsertDiagrams(*this, kSpringForces, g, f, b, i);
}
void CModuleData::InsertBeddingForceDiagrams(CKurvo2D* g, const char* f, int b, const std::vector<int>& i) {
    InsertDiagrams(*this, kBeddingForces, g, f, b, i);
}
