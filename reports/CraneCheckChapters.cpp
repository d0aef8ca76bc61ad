// Crane-runway report: the chapters of check results — the summary of every
// enabled check (also the plain-text message of a calculation), the plate
// buckling table, the detailed fatigue check per stress point and the
// rail-weld check along the girder.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "crane/CraneOperations.h"
#include "crane/RunPreparation.h"
#include "module/ModuleData.h"
#include "platform/zadevoz/zadevoz.h"
#include "reports/CraneReport.h"
#include "reports/ReportText.h"
#include "reports/RtfTable.h"

namespace {

std::string Tr(const char* text) { return report_text::Translate(report_text::kAreaCrane, text); }

template <class... A>
std::string TrF(const char* format, const A&... args) {
    return report_text::Format(report_text::kAreaCrane, format, args...);
}

// A value with 2 digits, or 1 from a magnitude of 100.
int SummaryDigits(double v) { return std::fabs(v) >= 100.0 ? 1 : 2; }

// The ids a check's summary looks at.
bool InSummary(int id, int check, int points, bool all) {
    if (all) return id >= 0 && id <= 8 * points + 33;
    for (int k : {2, 4, 6, 8, 9, 18, 19, 20, 21, 22, 23, 33})
        if (id == k) return true;
    for (int k = 0; k < points; ++k) {
        if (id == 39 + 8 * k) return true;
        if (check == 4 && id == 38 + 8 * k) return true;
    }
    return false;
}

// The header row of a summary or buckling table: check name, suffix, and
// the column titles in the first table (else empty cells).
void HeaderRow(CRtfTable& t, const std::string& name, const std::string& suffix, bool titles) {
    t.SetTextCell(0, 0, name, kRtfHeaderLeft);
    t.SetTextCell(0, 1, suffix, kRtfHeaderLeft);
    if (titles) {
        t.SetTextCell(0, 2, Tr("Wert"), kRtfRight);
        t.SetTextCell(0, 3, "", kRtfRight);
        t.SetTextCell(0, 4, "Kranst.", kRtfRight);
        t.SetTextCell(0, 5, "x=", kRtfHeader);
    } else {
        for (int c = 2; c < 6; ++c) t.SetTextCell(0, c, "", kRtfHeader);
    }
}

void SixColumns(CRtfTable& t) {
    t.SetSize(1, 6, 16.0);
    const int weights[6] = {25, 15, 15, 10, 10, 10};
    for (int c = 0; c < 6; ++c) t.SetColumnWidth(c, weights[c]);
}

// "%s" of a label filled with "max" or "min".
std::string FillSide(const std::string& label, bool maximum) {
    const size_t at = label.find("%s");
    if (at == std::string::npos) return label;
    std::string out = label;
    out.replace(at, 2, maximum ? "max" : "min");
    return out;
}

}  // namespace

void CModuleData::WriteCheckSummary(int mode) {
    const bool report = mode == 0;
    if (report) WriteRtfAnnotation(7);
    const int n = static_cast<int>(m_userPointNames.size());
    // The short-summary switch off: the report lists every result.
    const bool all = report && m_craneShortSummery == 0;
    const std::string ausn = Tr("Ausn");
    bool firstTable = true;
    for (int c = 0; c < kCraneChecks; ++c) {
        if (!m_craneSettings.m_checkEnabled[c]) continue;
        std::string name;
        GetCheckName(c, name);
        const int passes = (c < 3 && m_craneSettings.m_LTBEnabled) ? 2 : 1;
        for (int pass = 0; pass < passes; ++pass) {
            CRtfTable t;
            SixColumns(t);
            HeaderRow(t, name, pass == 1 ? Tr(" (BDK)") : std::string(), firstTable);
            firstTable = false;
            const CEnvelope& env = m_summaries[pass == 0 ? c : 5 + c];
            const CResultTable& list = m_craneResults[c];
            const int last = pass == 1 ? 33 : 8 * n + 33;
            std::string lastGroup;
            bool haveGroup = false;
            for (int id = 0; id <= last; ++id) {
                if (!list.HasValue(id) || !InSummary(id, c, n, all)) continue;
                std::string text, unit;
                GetResultLabelRtf(*this, id, c, pass == 0, text, unit, m_userPointNames);
                const size_t cut = text.find('\\');
                const std::string group = cut == std::string::npos ? text : text.substr(0, cut);
                const std::string label = cut == std::string::npos ? std::string() : text.substr(cut + 1);
                int posMax = 0, infoMax = 0;
                double vMax = 0.0, xMax = 0.0;
                const bool hasMax = env.GetAt(1, id, posMax, vMax, xMax, infoMax);
                for (int side = 1; side >= 0; --side) {
                    int pos = 0, info = 0;
                    double v = 0.0, x = 0.0;
                    if (!env.GetAt(side, id, pos, v, x, info)) continue;
                    if (std::fabs(v) < 0.01) continue;
                    if (side == 0 && hasMax && std::fabs(v - vMax) < 0.01) continue;
                    const int row = t.AddRow();
                    if (!haveGroup || group != lastGroup)
                        t.SetTextCell(row, 0, group, 9);
                    else
                        t.SetTextCell(row, 0, "", 1);
                    lastGroup = group;
                    haveGroup = true;
                    t.SetTextCell(row, 1, FillSide(label, side == 1), 1);
                    const bool bold = !ausn.empty() && text.find(ausn) != std::string::npos;
                    const int num = bold ? 12 : 4;
                    t.SetDoubleCell(row, 2, v, "", 0, SummaryDigits(v), num);
                    t.SetTextCell(row, 3, unit, bold ? 9 : 1);
                    if (c == 4)
                        t.SetTextCell(row, 4, "--", num);
                    else
                        t.SetIntCell(row, 4, pos + 1, num);
                    t.SetDoubleCell(row, 5, x, "", 0, 2, num);
                }
            }
            // A fatigue check that proved nothing says so, with its reason.
            if (c == 4 && m_bFatigueUnproven) {
                const int row = t.AddRow();
                t.SetTextCell(row, 0, Tr("nicht nachgewiesen"), 9);
                t.SetTextCell(row, 1, m_fatigueUnprovenReason, 1);
                for (int col = 2; col < 6; ++col) t.SetTextCell(row, col, "", 1);
            }
            const bool plates = pass == 0 && c < 3 && m_craneSettings.m_bBuckling;
            if (report) {
                t.WriteRtf();
                zadevoz::RtfWriteText(0, "");
                if (plates) {
                    WritePlateBucklingTable(c, 1, 0);
                    zadevoz::RtfWriteText(0, "");
                }
            } else {
                t.GetText(m_strMessage);
                if (plates) WritePlateBucklingTable(c, 1, 1);
            }
        }
        if (!report) m_strMessage += "-------------------------------------------------------\n";
    }
}

void CModuleData::WritePlateBucklingTable(int check, int summaryMode, int messageMode) {
    const CPlateStressTable& b = m_bucklRes;
    std::string name;
    GetCheckName(check, name);
    CRtfTable t;
    SixColumns(t);
    HeaderRow(t, name, Tr(" (Beulen)"), summaryMode == 0);
    const bool topFlange = m_craneSettings.m_craneTyp == 0;
    const int plates = std::max(0, b.m_numOfPlates);
    const int checks = std::max(0, b.m_numOfChecks);
    auto at = [](const auto& v, long i) { return i >= 0 && static_cast<size_t>(i) < v.size() ? v[i] : 0; };
    std::vector<std::pair<int, int>> fieldRows;  // first and last row of each field's plates
    for (int f = 0; f < b.m_numOfFields && check < checks; ++f) {
        const int first = t.GetRowCount();
        for (int j = 0; j < plates; ++j) {
            if (!at(b.m_plateEnabled, j)) continue;
            const long e = (static_cast<long>(checks) * f + check) * plates + j;
            const bool fromTau = at(b.m_maxFrom, e) != 0;
            const long state = e * 8;
            const double x = at(fromTau ? b.m_valTau : b.m_valSx, state);
            const int pos = at(fromTau ? b.m_infoTau : b.m_infoSx, e);
            const int row = t.AddRow();
            if (row == first || summaryMode)
                t.SetTextCell(row, 0, TrF("Beulfeld-%ld", static_cast<long>(f + 1)), 1);
            t.SetTextCell(row, 1, TrF("Blech-%ld", static_cast<long>(j + 1)), 1);
            const double u = at(b.m_util, e);
            t.SetDoubleCell(row, 2, u, "", 0, SummaryDigits(u), 4);
            t.SetTextCell(row, 3, "", 1);
            t.SetIntCell(row, 4, pos, 4);
            t.SetDoubleCell(row, 5, x, "", 0, 2, 4);
        }
        fieldRows.emplace_back(first, t.GetRowCount());
        if (topFlange) {
            const long fc = static_cast<long>(checks) * f + check;
            int row = t.AddRow();
            t.SetTextCell(row, 1, "F\\sub ib", 1);
            t.SetDoubleCell(row, 2, at(b.m_utilFib, fc), "", 0, 2, 4);
            t.SetTextCell(row, 4, "--", 4);
            t.SetTextCell(row, 5, "--", 4);
            row = t.AddRow();
            // A utilisation like the others: no unit.
            t.SetTextCell(row, 1, "F\\sub y", 1);
            t.SetDoubleCell(row, 2, at(b.m_utilFy, fc), "", 0, 2, 4);
            t.SetTextCell(row, 4, "--", 4);
            t.SetTextCell(row, 5, "--", 4);
        }
    }
    if (summaryMode) {
        for (int r = 1; r < t.GetRowCount(); ++r) t.SetRowAttr(r, 0);
        for (const auto& [first, end] : fieldRows) {
            int best = -1;
            double top = 0.0;
            for (int r = first; r < end; ++r) {
                const CRtfCell* cell = t.GetCell(r, 2);
                const double u = cell ? static_cast<const CRtfDoubleCell*>(cell)->m_value : 0.0;
                if (best < 0 || u > top) {
                    best = r;
                    top = u;
                }
            }
            if (best >= 0) t.SetRowAttr(best, 1);
        }
    }
    if (messageMode) {
        t.GetText(m_strMessage);
        return;
    }
    if (summaryMode == 0 && topFlange) {
        zadevoz::RtfWriteText(0, "F{\\sub ib}\t" + Tr("= Ausnutzung aus Flansch induziertem Stegblechbeulen"));
        zadevoz::RtfWriteText(0, "F{\\sub y}\t" + Tr("= Quetschgrenze"));
    }
    t.WriteRtf();
}

namespace {

struct FatigueRow {
    const char* label;
    const char* symbol;
    const char* unit;
    int digits;
};

// Rows 2..26 of the detailed fatigue check: the values 0..24 of a record.
const FatigueRow kFatigueRows[25] = {
    {"Stelle", "x", "[m]", 2},
    {"Lasteinleitungslänge", "L{\\sub eff}", "[cm]", 2},
    {"Radlast", "F{\\sub z,Res}", "[kN]", 2},
    {"Schadensäquiv. Beiwert {\\f2 s}", "{\\f2 l}{\\sub\\f2 s}", "[-]", 3},
    {"Schadensäquiv. Beiwert {\\f2 s}{\\sub rad}", "{\\f2 l}{\\sub\\f2 s}{\\sub rad}", "[-]", 3},
    {"Schadensäquiv. Beiwert {\\f2 t}", "{\\f2 l}{\\sub\\f2 t}", "[-]", 3},
    {"Schadensäquiv. Beiwert {\\f2 t}{\\sub rad}", "{\\f2 l}{\\sub\\f2 t}{\\sub rad}", "[-]", 3},
    {"Spannung x", "d{\\f2 s}{\\sub x}", "[MN/m²]", 2},
    {"Spannung y", "d{\\f2 s}{\\sub y}", "[MN/m²]", 2},
    {"Spannung tau", "d{\\f2 t}", "[MN/m²]", 2},
    {"Spannung tau aus Radlast", "d{\\f2 t}{\\sub Rad}", "[MN/m²]", 2},
    {"Spannung z aus Radlast", "{\\f2 s}{\\sub Fz}", "[MN/m²]", 2},
    {"Spannung z aus Stegblech", "{\\f2 s}{\\sub Bz}", "[MN/m²]", 2},
    {"Spannung z gesamt", "{\\f2 s}{\\sub z}", "[MN/m²]", 2},
    {"Schadensäquiv. Schwingbreite x", "d{\\f2 s}{\\sub x,E2}", "[MN/m²]", 2},
    {"Schadensäquiv. Schwingbreite y", "d{\\f2 s}{\\sub y,E2}", "[MN/m²]", 2},
    {"Schadensäquiv. Schwingbreite z", "d{\\f2 s}{\\sub z,E2}", "[MN/m²]", 2},
    {"Schadensäquiv. res. Schwingbreite", "d{\\f2 s}{\\sub v,E2}", "[MN/m²]", 2},
    {"Schadensäquiv. Schwingbreite tau", "d{\\f2 s}{\\sub tau,E2}", "[MN/m²]", 2},
    {"Ausnutzung x", "utl{\\sub x}", "[-]", 2},
    {"Ausnutzung y", "utl{\\sub y}", "[-]", 2},
    {"Ausnutzung z", "utl{\\sub z}", "[-]", 2},
    {"Ausnutzung tau", "utl{\\sub tau}", "[-]", 2},
    {"Ausnutzung Gesamt", "utl", "[-]", 2},
    {"Interaktion", "inter", "[-]", 2},
};

}  // namespace

// The detail category in N/mm² of notch-case index 0..13 (EN 1993-1-9,
// Tables 8.1 to 8.10: 36 ... 160); 0 for any other index.
int FatigueDetailCategory(int index) {
    static const int kCategories[14] = {36, 40, 45, 50, 56, 63, 71, 80, 90, 100, 112, 125, 140, 160};
    return index >= 0 && index < 14 ? kCategories[index] : 0;
}

void CModuleData::WriteFatigueDetail() {
    zadevoz::RtfWriteText(-4, Tr("Detailnachweis Ermüdung"));
    CRtfTable t;
    t.SetSize(0, 4, 12.0);
    const int weights[4] = {50, 15, 15, 15};
    for (int c = 0; c < 4; ++c) t.SetColumnWidth(c, weights[c]);
    const CFatigueDetailTable& d = m_fatDetail;
    const int entries = d.m_numOfCranes;
    for (int e = 0; e < entries; ++e) {
        for (int p = 0; p < d.m_numOfPOIs; ++p) {
            const CNotchCase* poi =
                p < static_cast<int>(m_notchCases.size()) ? &m_notchCases[static_cast<size_t>(p)] : nullptr;
            for (int kind = 0; kind < 2; ++kind) {
                if (!d.IsUsed(p, e, kind)) continue;
                const double* v = d.Record(p, e, kind);
                if (!v) continue;
                if (entries > 1) {
                    const int row = t.AddRow();
                    t.SetTextCell(row, 0,
                                  e == entries - 1 ? Tr("Resultierende d{\\sub dup}")
                                                   : TrF("Vadu-%ld", static_cast<long>(e + 1)),
                                  9);
                }
                int row = t.AddRow();
                t.SetTextCell(row, 0, poi ? poi->m_strName : std::string(), 9);
                // Row 0 for the plate, row 1 for the weld: the detail category.
                row = t.AddRow();
                t.SetTextCell(row, 0, Tr(kind == 0 ? "Kerbfall" : "Kerbfall SN"), 1);
                t.SetTextCell(row, 1, "d{\\f2 s}{\\sub c}", 4);
                const int index = poi ? (kind == 0 ? poi->m_iKerbGruppe : poi->m_iKerbGruppeW) : -1;
                const int category = FatigueDetailCategory(index);
                if (category > 0)
                    t.SetIntCell(row, 2, category, 4);
                else
                    t.SetTextCell(row, 2, "---", 4);
                t.SetTextCell(row, 3, "[MN/m²]", 4);
                for (int k = 0; k < 25; ++k) {
                    const FatigueRow& r = kFatigueRows[k];
                    row = t.AddRow();
                    t.SetTextCell(row, 0, Tr(r.label), 1);
                    t.SetTextCell(row, 1, r.symbol, 4);
                    t.SetDoubleCell(row, 2, v[k], "", 0, r.digits, 4);
                    t.SetTextCell(row, 3, r.unit, 4);
                    if (std::fabs(v[k]) < 0.0001) t.SetRowAttr(row, 0);
                }
            }
        }
    }
    t.WriteRtf();
}

void CModuleData::WriteRailWeld() {
    // Continuous and interrupted welds are checked; a bolted rail has no weld.
    if (m_rail.m_connection != 0 && m_rail.m_connection != 1) return;
    zadevoz::RtfWriteText(-4, Tr("Detailnachweis Schienen-Schweißnaht (max. Ausnutzung für jede x-Stelle)"));
    zadevoz::RtfWriteText(0, TrF("Schweißnahtlänge=%5.2lf cm,  Länge der Schweißnahtunterbrechung=%5.2lf cm",
                                 m_rail.m_SchweissnahtL.GetValue(), m_rail.m_SchweissnahtUnterbrochenL.GetValue()));
    zadevoz::RtfWriteText(0, Tr("Querkräfte Vy,Vz nur bei statisch-mittragender Schiene relevant"));
    CRtfTable t;
    t.SetSize(2, 8, 16.0);
    for (int c = 0; c < 8; ++c) t.SetColumnWidth(c, c < 2 ? 12 : 15);
    const char* titles[8] = {"Bei x=", "aw", "Pz", "Hx", "Hy", "Vz", "Vy", "Ausn."};
    const char* units[8] = {"[m]", "[mm]", "kN", "kN", "kN", "kN", "kN", ""};
    for (int c = 0; c < 8; ++c) {
        t.SetTextCell(0, c, Tr(titles[c]), kRtfHeader);
        t.SetTextCell(1, c, units[c], kRtfHeader);
    }
    const CRailWeldTable& w = m_railWeld;
    const size_t nCranes = std::max<size_t>(1, m_cranes.size());
    bool haveLast = false;
    double lastX = 0.0;
    for (int p = 0; p < w.m_numOfxPos; ++p) {
        const size_t at = static_cast<size_t>(p) * nCranes;
        if (at >= m_cranePositions.size()) break;
        const double x = m_cranePositions[at];
        if (haveLast && std::fabs(x - lastX) < 0.01) continue;
        haveLast = true;
        lastX = x;
        const double* best = nullptr;
        double top = 0.0;
        for (int g = 0; g < w.m_numOfGroupe; ++g)
            for (int c = 0; c < w.m_numOfCranes; ++c)
                for (int a = 0; a < w.m_numOfAxis; ++a) {
                    const long entry = ((static_cast<long>(g) * w.m_numOfCranes + c) * w.m_numOfxPos + p) *
                                           w.m_numOfAxis + a;
                    const size_t i = static_cast<size_t>(entry) * CRailWeldTable::kRecordValues;
                    if (i + CRailWeldTable::kRecordValues > w.m_val.size()) continue;
                    const double* v = w.m_val.data() + i;
                    if (static_cast<int>(v[0]) != g) continue;
                    if (v[10] > top) {
                        top = v[10];
                        best = v;
                    }
                }
        if (!best || top <= 0.0001) continue;
        const int row = t.AddRow();
        t.SetDoubleCell(row, 0, x, "", 0, 2, 4);
        t.SetDoubleCell(row, 1, best[4], "", 0, 1, 4);
        for (int k = 0; k < 5; ++k) t.SetDoubleCell(row, 2 + k, best[5 + k], "", 0, 2, 4);
        t.SetDoubleCell(row, 7, best[10], "", 0, 2, 4);
    }
    t.WriteRtf();
}
