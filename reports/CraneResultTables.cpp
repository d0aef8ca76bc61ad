// Crane-runway report: the input tables of beddings, single springs and
// notch cases, the envelope tables along the girder (one row per chosen x),
// the serviceability limits and the support reactions by crane position
// with their side files.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "module/ModuleData.h"
#include "crane/RunPreparation.h"
#include "module/frame/SideFiles.h"
#include "module/frame/Utilities.h"
#include "platform/winsys/winsys.h"
#include "platform/zadevoz/zadevoz.h"
#include "reports/CraneReport.h"
#include "reports/ReportText.h"
#include "reports/RtfTable.h"

namespace {

using report_text::kAreaCrane;

constexpr double kTol = 0.0001;

std::string Tr(const std::string& text) { return report_text::Translate(kAreaCrane, text); }

template <class... A>
std::string TrF(const std::string& format, const A&... args) {
    return report_text::Format(kAreaCrane, format, args...);
}

// A value column of a table by x: the value id and, for a delta column, the
// difference of the two series (upper minus lower) in the first row.
struct Column {
    int id;
    bool delta = false;
};

// The layout of one table by x.
struct XTable {
    double width;
    std::vector<std::string> titles;  // after "Bei x="
    std::vector<std::string> units;
    std::vector<Column> columns;
};

// The field boundaries of the girder: 0, then the running sums of the lengths.
std::vector<double> Boundaries(const CModuleData& d) {
    std::vector<double> b{0.0};
    for (size_t k = 1; k < d.m_fieldLengths.size(); ++k) b.push_back(b.back() + d.m_fieldLengths[k].GetValue());
    return b;
}

}  // namespace

std::vector<double> ChooseCraneTablePositions(const std::vector<double>& bounds, const std::vector<double>& x,
                                              const std::vector<std::vector<double>>& curves) {
    std::vector<double> chosen;
    for (const std::vector<double>& v : curves) {
        const size_t n = std::min(x.size(), v.size());
        for (size_t j = 0; j + 1 < bounds.size(); ++j) {
            const double a = bounds[j], b = bounds[j + 1];
            double vMax = -1e10, vMin = 1e10, xMax = 0.0, xMin = 0.0;
            for (size_t i = 0; i < n; ++i) {
                if (!(x[i] - a > -kTol && x[i] - b < kTol)) continue;
                if (v[i] > vMax) {
                    vMax = v[i];
                    xMax = x[i];
                }
                if (v[i] < vMin) {
                    vMin = v[i];
                    xMin = x[i];
                }
                if (std::fabs(v[i]) > kTol) {
                    if (std::fabs(x[i] - a) < kTol) chosen.push_back(a);
                    if (std::fabs(x[i] - b) < kTol) chosen.push_back(b);
                }
            }
            if (std::fabs(vMin) > kTol && vMin < 1e10) chosen.push_back(xMin);
            if (std::fabs(vMax) > kTol && vMax > -1e10) chosen.push_back(xMax);
        }
    }
    std::sort(chosen.begin(), chosen.end());
    std::vector<double> out;
    for (size_t i = 0; i < chosen.size(); ++i)
        if (i + 1 == chosen.size() || std::fabs(chosen[i + 1] - chosen[i]) >= kTol) out.push_back(chosen[i]);
    return out;
}

namespace {

// The value of series s, id at x (matched within 0.0001); 0 when none.
double ValueAt(const CResultTable& env, int series, int id, double x) {
    const std::vector<double>& xs = env.GetXData();
    for (size_t i = 0; i < xs.size(); ++i)
        if (std::fabs(xs[i] - x) < kTol) return env.GetValue(series, static_cast<int32_t>(i), id);
    return 0.0;
}

std::vector<double> Row(const CResultTable& env, int series, int id) {
    std::vector<double> v(static_cast<size_t>(std::max(0, env.GetNumNodes())), 0.0);
    if (!v.empty()) env.GetRow(series, id, v.data(), 0, 1);
    return v;
}

// Writes a table by x: header and unit rows, one (or, with two series, two)
// rows per chosen position, the largest magnitude of each column in bold,
// columns without a value above 0.0001 hidden.
void WriteTableByX(const CModuleData& d, const CResultTable& env, const std::vector<int>& seriesIn,
                   const XTable& layout, bool oneRow) {
    std::vector<int> series = seriesIn;
    if (oneRow && series.size() > 1) series.resize(1);
    if (series.size() > 2) series.resize(2);
    const int cols = 1 + static_cast<int>(layout.columns.size());
    CRtfTable t;
    t.SetSize(2, cols, layout.width);
    t.SetTextCell(0, 0, Tr("Bei x="), kRtfHeader);
    t.SetTextCell(1, 0, "[m]", kRtfHeader);
    for (int c = 1; c < cols; ++c) {
        t.SetTextCell(0, c, layout.titles[static_cast<size_t>(c - 1)], kRtfHeader);
        t.SetTextCell(1, c, layout.units[static_cast<size_t>(c - 1)], kRtfHeader);
    }
    std::vector<std::vector<double>> curves;
    if (env.IsValid())
        for (int s : series)
            for (const Column& col : layout.columns)
                if (!col.delta) curves.push_back(Row(env, s, col.id));
    const std::vector<double> positions =
        env.IsValid() ? ChooseCraneTablePositions(Boundaries(d), env.GetXData(), curves) : std::vector<double>();
    std::vector<int> bestRow(layout.columns.size(), -1);
    std::vector<double> best(layout.columns.size(), 0.0);
    for (double x : positions) {
        const int first = t.AddRow();
        t.SetDoubleCell(first, 0, x, "", 0, 2, kRtfRight);
        if (series.size() == 2) t.SetTextCell(t.AddRow(), 0, "", kRtfRight);
        for (size_t k = 0; k < layout.columns.size(); ++k) {
            const Column& col = layout.columns[k];
            for (size_t s = 0; s < series.size(); ++s) {
                double v = 0.0;
                if (col.delta) {
                    if (s > 0) continue;
                    if (series.size() == 2)
                        v = ValueAt(env, series[1], col.id, x) - ValueAt(env, series[0], col.id, x);
                } else {
                    v = ValueAt(env, series[s], col.id, x);
                }
                const int row = first + static_cast<int>(s);
                t.SetDoubleCell(row, static_cast<int>(k) + 1, v, "", 0, 2, kRtfRight);
                if (std::fabs(v) > best[k] || bestRow[k] < 0) {
                    if (std::fabs(v) > best[k]) best[k] = std::fabs(v);
                    bestRow[k] = row;
                }
            }
        }
    }
    for (size_t k = 0; k < layout.columns.size(); ++k) {
        if (best[k] <= kTol) {
            t.SetColumnAttr(static_cast<int>(k) + 1, 0);
            continue;
        }
        t.SetCellFlags(bestRow[k], static_cast<int>(k) + 1, kRtfBold);
    }
    t.WriteRtf();
    t.Reset();
}

std::vector<Column> Ids(std::initializer_list<int> ids) {
    std::vector<Column> out;
    for (int id : ids) out.push_back({id});
    return out;
}

// The stiffness of a bedding or spring: "-" for 0, else the power-of-ten form.
void Stiffness(CRtfTable& t, int row, int col, const CFormulaValue& v) {
    if (v == 0.0)
        t.SetTextCell(row, col, "-", kRtfRight);
    else
        t.SetDoubleCell(row, col, v.GetValue(), "", 1, 3, kRtfRight);
}

void Header(CRtfTable& t, int row, const std::vector<std::string>& texts) {
    for (size_t c = 0; c < texts.size(); ++c) t.SetTextCell(row, static_cast<int>(c), texts[c], kRtfHeader);
}

const char* const kExtremeNames[12] = {"max Ax", "max Ay", "max Az", "max Mx", "max My", "max Mz",
                                       "min Ax", "min Ay", "min Az", "min Mx", "min My", "min Mz"};

// A crane's text from its fourth character on; empty for a shorter text.
std::string CraneText(const char* label) {
    const std::string s(label, strnlen(label, CCraneReactions::kLabelBytes));
    return s.size() > 3 ? s.substr(3) : std::string();
}

int ReactionIndex(int support, int extreme, int group) { return (12 * support + extreme) * 4 + group; }

// One row of the reactions by crane position: the six reactions of the
// state that gave extreme e of support s, its crane position as the
// crane-position table counts it (from 1) and the texts of cranes 1 to 3.
struct ReactionRow {
    double values[6];
    int position;
    std::string cranes[3];
};

ReactionRow MakeReactionRow(const CCraneReactions& r, int s, int e) {
    ReactionRow row{};
    const int i = ReactionIndex(s, e, 0);
    for (int c = 0; c < 6; ++c) row.values[c] = r.table[c][i];
    row.position = r.pos[12 * s + e] + 1;
    for (int g = 1; g <= 3; ++g) row.cranes[g - 1] = CraneText(r.labels[ReactionIndex(s, e, g)]);
    return row;
}

struct FileCloser {
    void operator()(std::FILE* f) const {
        if (f) std::fclose(f);
    }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

}  // namespace

// ---- input tables ------------------------------------------------------------------

void CModuleData::WriteBeddingsAndSprings() {
    CRtfTable beds;
    beds.SetSize(2, 8, 16.0);
    for (int c = 0; c < 8; ++c) beds.SetColumnWidth(c, 20);
    Header(beds, 0,
           {Tr("Von x="), Tr("Länge"), "e{\\sub y}", "e{\\sub z}", "C{\\sub x}", "CM{\\sub x}", "C{\\sub y}",
            "C{\\sub z}"});
    Header(beds, 1, {"[m]", "[m]", "[cm]", "[cm]", "[kN/m/m]", "[kN/rad/m]", "[kN/m/m]", "[kN/m/m]"});
    CRtfTable springs;
    springs.SetSize(2, 5, 12.0);
    for (int c = 0; c < 5; ++c) springs.SetColumnWidth(c, 20);
    Header(springs, 0, {Tr("Bei x="), "e{\\sub y}", "e{\\sub z}", "C{\\sub y}", "C{\\sub z}"});
    Header(springs, 1, {"[m]", "[cm]", "[cm]", "[kN/m]", "[kN/m]"});
    for (const CSupport& s : m_springs) {
        const double x = GetFieldStart(s.m_iNode) + s.m_posX.GetValue();
        const bool bedding = s.m_length != 0.0;
        CRtfTable& t = bedding ? beds : springs;
        const int r = t.AddRow();
        int c = 0;
        t.SetDoubleCell(r, c++, x, "", 0, 2, kRtfRight);
        if (bedding) t.SetDoubleCell(r, c++, s.m_length.GetValue(), "", 0, 2, kRtfRight);
        t.SetDoubleCell(r, c++, s.m_ey.GetValue(), "", 0, 1, kRtfRight);
        t.SetDoubleCell(r, c++, s.m_ez.GetValue(), "", 0, 1, kRtfRight);
        if (bedding) {
            Stiffness(t, r, c++, s.m_cx);
            Stiffness(t, r, c++, s.m_cmx);
        }
        Stiffness(t, r, c++, s.m_cy);
        Stiffness(t, r, c, s.m_cz);
    }
    if (beds.GetRowCount() > 2) {
        zadevoz::RtfWriteText(-3, Tr("Bettungen"));
        beds.WriteRtf();
    }
    if (springs.GetRowCount() > 2) {
        zadevoz::RtfWriteText(-3, Tr("Einzelfedern"));
        springs.WriteRtf();
    }
    WriteRtfAnnotation(3);
}

void CModuleData::WriteNotchCases() {
    static const char* const kTypes[3] = {"Längsspannung", "Schubspannung", "Hauptspannung"};
    static const char* const kGeometries[3] = {"Durchgängig", "Einzelpunkt", "Schweißnaht"};
    auto pick = [](const char* const* list, int i) { return i >= 0 && i < 3 ? Tr(list[i]) : std::string(); };
    CRtfTable t;
    t.SetSize(2, 11, 16.0);
    for (int c = 0; c < 11; ++c) t.SetColumnWidth(c, c == 0 ? 40 : c == 2 ? 20 : c == 3 ? 15 : c == 4 ? 5 : 10);
    const char* titles[11] = {"Name", "K", "Typ", "Art", "Bl", "Idx", "y", "z", "d\\sub Bl", "d\\sub sn", "K\\sub sn"};
    const char* units[11] = {"", "", "", "", "", "", "[cm]", "[cm]", "[mm]", "[mm]", ""};
    for (int c = 0; c < 11; ++c) {
        t.SetTextCell(0, c, Tr(titles[c]), c < 5 ? kRtfHeaderLeft : kRtfHeader);
        t.SetTextCell(1, c, units[c], kRtfHeader);
    }
    bool anyWeld = false;
    for (const CNotchCase& p : m_notchCases) {
        const int r = t.AddRow();
        t.SetTextCell(r, 0, p.m_strName, kRtfLeft);
        t.SetIntCell(r, 1, FatigueDetailCategory(p.m_iKerbGruppe), kRtfRight);
        t.SetTextCell(r, 2, pick(kTypes, p.m_iSpTyp), kRtfLeft);
        t.SetTextCell(r, 3, pick(kGeometries, p.m_geomType), kRtfLeft);
        t.SetIntCell(r, 4, p.m_tqe + 1, kRtfRight);
        t.SetDoubleCell(r, 5, p.m_idx.GetValue(), "", 0, 2, kRtfRight);
        // The point on its plate of the first section, in cm.
        double y = 0.0, z = 0.0;
        if (!m_sections.empty()) GetSectionPlateAt(0, p.m_tqe, p.m_idx.GetValue(), y, z);
        t.SetDoubleCell(r, 6, 100.0 * y, "", 0, 1, kRtfRight);
        t.SetDoubleCell(r, 7, 100.0 * z, "", 0, 1, kRtfRight);
        t.SetDoubleCell(r, 8, p.m_thickness.GetValue(), "", 0, 1, kRtfRight);
        if (p.m_geomType == 2) {
            anyWeld = true;
            t.SetDoubleCell(r, 9, p.m_tWeld.GetValue(), "", 0, 1, kRtfRight);
            t.SetIntCell(r, 10, FatigueDetailCategory(p.m_iKerbGruppeW), kRtfRight);
        } else {
            t.SetTextCell(r, 9, "---", kRtfRight);
            t.SetTextCell(r, 10, "---", kRtfRight);
        }
    }
    if (!anyWeld) {
        t.SetColumnAttr(9, 0);
        t.SetColumnAttr(10, 0);
    }
    zadevoz::RtfWriteText(-3, Tr("Ermüdung und lokale Effekte"));
    WriteRtfAnnotation(6);
    zadevoz::RtfWriteText(0, Tr("K = Kerbfall / Bl = Blechnummer / sn = Schweißnaht"));
    t.WriteRtf();
}

// ---- tables by x -------------------------------------------------------------------

void CModuleData::WriteCraneInternalForceTable(const CResultTable& env, const std::vector<int>& series) {
    const XTable layout{16.0,
                        {"N", "V{\\sub y}", "V{\\sub z}", "M{\\sub x}", "M{\\sub y}", "M{\\sub z}", "M{\\sub w}"},
                        {"[kN]", "[kN]", "[kN]", "[kNm]", "[kNm]", "[kNm]", "[kNm²]"},
                        Ids({11, 12, 13, 14, 15, 16, 17})};
    WriteTableByX(*this, env, series, layout, false);
}

void CModuleData::WriteCraneBeddingReactionTable(const CResultTable& env, const std::vector<int>& series) {
    const XTable layout{8.0,
                        {"B{\\sub y}", "B{\\sub z}", "BM{\\sub x}"},
                        {"[kN/m]", "[kN/m]", "[kNm/m]"},
                        Ids({24, 25, 26})};
    WriteTableByX(*this, env, series, layout, false);
}

void CModuleData::WriteCraneStressTable(const CResultTable& env, const std::vector<int>& series) {
    const XTable layout{16.0,
                        {"{\\f2 s}{\\sub x min}", "{\\f2 s}{\\sub x max}", "{\\f2 t}{\\sub xz}", "{\\f2 s}{\\sub v}",
                         Tr("Ausn.")},
                        {"[MN/m²]", "[MN/m²]", "[MN/m²]", "[MN/m²]", "[-]"},
                        Ids({29, 30, 31, 32, 33})};
    WriteTableByX(*this, env, series, layout, false);
}

void CModuleData::WriteCranePointStressTable(const CResultTable& env, int point, const std::vector<int>& series,
                                             int check) {
    if (point < 0) return;
    // The cross-section point's name; the stress point's when the list is shorter.
    std::string name;
    if (static_cast<size_t>(point) < m_notchCases.size())
        name = m_notchCases[static_cast<size_t>(point)].m_strName;
    else if (static_cast<size_t>(point) < m_userPointNames.size())
        name = m_userPointNames[static_cast<size_t>(point)];
    zadevoz::RtfWriteText(-5, name);
    const bool bottom = m_craneSettings.m_craneTyp != 0;
    const int base = 34 + 8 * point;
    XTable layout{16.0,
                  {"{\\f2 s}{\\sub x}", "{d\\f2 s}{\\sub x}", "{\\f2 t}{\\sub xz}", "{d\\f2 t}{\\sub xz}",
                   Tr(bottom ? "{\\f2 s}{\\sub y rad}" : "{\\f2 s}{\\sub z rad}"),
                   Tr(bottom ? "{\\f2 s}{\\sub x rad}" : "{\\f2 t}{\\sub xz rad}"),
                   check == 4 ? Tr("Ausn.{\\sub SN}") : std::string("{\\f2 s}{\\sub v}"), Tr("Ausn.")},
                  {"[MN/m²]", "[MN/m²]", "[MN/m²]", "[MN/m²]", "[MN/m²]", "[MN/m²]", check == 4 ? "[-]" : "[MN/m²]",
                   "[-]"},
                  {{base}, {base, true}, {base + 1}, {base + 1, true}, {base + 2}, {base + 3}, {base + 4}, {base + 5}}};
    WriteTableByX(*this, env, series, layout, false);
}

void CModuleData::WriteCraneDeformationTable(const CResultTable& env, const std::vector<int>& series) {
    const XTable layout{16.0,
                        {"w\\sub y", "phi\\sub x", Tr("w\\sub yRad"), "u\\sub wy", "d\\sub wy", "u\\sub dwy", "w\\sub z",
                         "u\\sub wz", "d\\sub wz", "u\\sub dwz1", "u\\sub dwz2"},
                        {"[mm]", "[{\\sub rad/1000}]", "[mm]", "[-]", "[mm]", "[-]", "[mm]", "[-]", "[mm]", "[-]", "[-]"},
                        Ids({0, 10, 1, 2, 3, 4, 5, 6, 7, 8, 9})};
    WriteTableByX(*this, env, series, layout, true);
}

void CModuleData::WriteCraneSupportReactionTable(const CResultTable& env, const std::vector<int>& series, int) {
    const XTable layout{16.0,
                        {"A{\\sub x}", "A{\\sub y}", "A{\\sub z}", "AM{\\sub x}", "AM{\\sub y}", "AM{\\sub z}"},
                        {"[kN]", "[kN]", "[kN]", "[kNm]", "[kNm]", "[kNm]"},
                        Ids({18, 19, 20, 21, 22, 23})};
    WriteTableByX(*this, env, series, layout, false);
}

void CModuleData::WriteCraneSpringReactionTable(const CResultTable& env, const std::vector<int>& series) {
    const XTable layout{8.0, {"A{\\sub y}", "A{\\sub z}"}, {"[kN]", "[kN]"}, Ids({27, 28})};
    WriteTableByX(*this, env, series, layout, false);
    zadevoz::RtfWriteText(0, Tr(m_craneSettings.m_bDecReactions
                                    ? "Die charakteristischen Federkräfte wurden mit um 0.1 abgeminderten "
                                      "Schwingbeiwerten ermittelt."
                                    : "Die charakteristischen Federkräfte wurden mit nicht abgeminderten "
                                      "Schwingbeiwerten ermittelt."));
}

// ---- serviceability limits -----------------------------------------------------------

// The divisor n of a limit l/n: the limit plus 0.5, truncated.
long CraneLimitDivisor(double limit) { return static_cast<long>(limit + 0.5); }

void CModuleData::WriteServiceabilityLimits() {
    const CCraneSettings& s = m_craneSettings;
    CRtfTable t;
    t.SetSize(8, 3, 16.0);
    t.SetColumnWidth(0, 40);
    t.SetColumnWidth(1, 15);
    t.SetColumnWidth(2, 20);
    t.SetTextCell(0, 0, Tr("Zustandsgröße"), kRtfHeaderLeft);
    t.SetTextCell(0, 1, Tr("Bezeichnung"), kRtfHeaderLeft);
    t.SetTextCell(0, 2, Tr("Grenzwert"), kRtfHeader);
    const std::string rows[7][2] = {
        {Tr("Verformung Y-Richtung"), "w{\\sub y}"},
        {Tr("Verdrehung um X-Achse"), "phi{\\sub x}"},
        {Tr("Verformung Y-Richtung incl. phi{\\sub x}"), "w{\\sub yRad} / u\\sub wy"},
        {Tr("Deltaverformung Y-Richtung"), "d{\\sub wy} / u\\sub dwy"},
        {Tr("Verformung Z-Richtung"), "w{\\sub z} / u\\sub wz"},
        {Tr("Deltaverformung Z-Richtung (Träger)"), "d{\\sub wz} / u\\sub dwz1"},
        {TrF("Deltaverformung Z-Richtung (Kranbrücke s=%.2lfm)", s.m_craneBeamDist.GetValue()), "d{\\sub wz} / u\\sub dwz2"},
    };
    const std::string limits[7] = {
        "",
        "",
        report_text::FormatRaw("l/%ld", CraneLimitDivisor(s.m_maxRelDefY.GetValue())),
        report_text::FormatRaw("%.1lf mm", s.m_maxAbsDeltaDefY.GetValue()),
        TrF("%.1lf mm und l/%ld", s.m_maxAbsDefZ.GetValue(), CraneLimitDivisor(s.m_maxRelDefZ.GetValue())),
        report_text::FormatRaw("l/%ld", CraneLimitDivisor(s.m_maxRelDeltaDefZ.GetValue())),
        report_text::FormatRaw("s/%ld", CraneLimitDivisor(s.m_maxRelDeltaDefS.GetValue())),
    };
    // The differences of deflection (EN 1993-6 7.3, Tables 7.1 and 7.2: the
    // change of the rail distance and the differences between the girders
    // and across the bridge) need both girders' deflections under one crane
    // position, which the calculation does not form: they are listed as not
    // proven, never as kept.
    const std::string unproven = Tr("nicht nachgewiesen");
    for (int r = 1; r < 8; ++r) {
        t.SetTextCell(r, 0, rows[r - 1][0], kRtfLeft);
        t.SetTextCell(r, 1, rows[r - 1][1], kRtfLeft);
        const bool delta = r == 4 || r == 6 || r == 7;
        t.SetTextCell(r, 2, delta ? limits[r - 1] + " (" + unproven + ")" : limits[r - 1], kRtfRight);
    }
    // The delta rows belong to a bridge crane's second girder.
    if (!s.m_bSecondBeam)
        for (int r : {4, 6, 7}) t.SetRowAttr(r, 0);
    t.WriteRtf();
    zadevoz::RtfWriteText(0, "");
    const std::vector<double> b = Boundaries(*this);
    int startFree = 0, endFree = 0;
    FindFieldAtX(0.01, &startFree);
    FindFieldAtX(b.back() - 0.01, &endFree);
    if (startFree || endFree) {
        // The deflection utilisations are formed over the span between
        // restraints, without the cantilever's reduction: not proven.
        zadevoz::RtfWriteText(0, TrF("Abminderungsfaktor für die Ausnutzung aus Verformungen an Kragarmen: %.2lf",
                                     s.m_decDefCantilever.GetValue()) +
                                     " (" + unproven + ")");
        zadevoz::RtfWriteText(0, "");
    }
}

// ---- support reactions by crane position -----------------------------------------------

void CModuleData::WriteSupportReactionsByPosition(const CResultTable&, const std::vector<int>&, int note, int check) {
    static const CCraneReactions none;
    const CCraneReactions& r =
        check >= 0 && static_cast<size_t>(check) < m_checkReactions.size() ? m_checkReactions[static_cast<size_t>(check)] : none;
    const int supports = std::clamp(r.nAufl, 0, CCraneReactions::kSupports);

    // The developer's dump; without the switch nothing is opened.
    if (IsDeveloperDumpOn()) {
        File dump(std::fopen("Auflager.txt", "w"));
        if (dump) {
            std::fprintf(dump.get(), "m_nAufl=%d\n", supports);
            for (int s = 0; s < supports; ++s)
                for (int g = 0; g < 4; ++g) {
                    std::fprintf(dump.get(), "Auflager %d, iCrane=%d\n", s, g);
                    for (int e = 0; e < 12; ++e) {
                        const int i = ReactionIndex(s, e, g);
                        std::fprintf(dump.get(), "%s: Lf=%12s, %6.1lf, %6.1lf, %6.1lf, %6.1lf, %6.1lf, %6.1lf\n",
                                     kExtremeNames[e], r.labels[i], r.table[0][i], r.table[1][i], r.table[2][i],
                                     r.table[3][i], r.table[4][i], r.table[5][i]);
                    }
                }
        }
    }

    CRtfTable t;
    t.SetSize(1, 13, 16.0);
    const int weights[13] = {8, 1, 12, 11, 11, 11, 11, 11, 11, 10, 10, 10, 10};
    for (int c = 0; c < 13; ++c) t.SetColumnWidth(c, weights[c]);
    const std::string head[13] = {Tr("\\qc x"), "", Tr("\\qc infolge"), "A{\\sub x}", "A{\\sub y}", "A{\\sub z}",
                                  "AM{\\sub x}", "AM{\\sub y}", "AM{\\sub z}", "Pos.", "Vadu1", "Vadu2", "Vadu3"};
    for (int c = 0; c < 13; ++c) t.SetTextCell(0, c, head[c], kRtfHeader);
    const int units = t.AddRow();
    const char* unitTexts[13] = {"\\qc [m]", "", "", "[kN]", "[kN]", "[kN]", "[kNm]", "[kNm]", "[kNm]", " ", " ", " ", " "};
    for (int c = 0; c < 13; ++c) t.SetTextCell(units, c, unitTexts[c], kRtfHeader);
    for (int s = 0; s < supports; ++s) {
        for (int e = 0; e < 12; ++e) {
            const ReactionRow row = MakeReactionRow(r, s, e);
            const int line = t.AddRow();
            if (e == 0)
                t.SetDoubleCell(line, 0, r.xCoords[s], "", 0, 2, kRtfRight);
            else
                t.SetTextCell(line, 0, "", 0);
            t.SetTextCell(line, 2, std::string("\\ql ") + kExtremeNames[e], 0);
            for (int c = 0; c < 6; ++c)
                t.SetTextCell(line, 3 + c, winsys::FormatDoubleC("%7.2lf", row.values[c]), c == e % 6 ? kRtfBold : 0);
            t.SetTextCell(line, 9, std::to_string(row.position), 0);
            for (int g = 0; g < 3; ++g) t.SetTextCell(line, 10 + g, row.cranes[g], 0);
        }
    }
    if (note)
        zadevoz::RtfWriteText(0, Tr(m_craneSettings.m_bDecReactions
                                        ? "Die charakteristischen Auflagerkräfte wurden mit um 0.1 abgeminderten "
                                          "Schwingbeiwerten ermittelt."
                                        : "Die charakteristischen Auflagerkräfte wurden mit nicht abgeminderten "
                                          "Schwingbeiwerten ermittelt."));
    zadevoz::RtfWriteText(0, "Pos = Kranstellungen siehe Tabelle 'Kranstellungen bez. Achse 1'");
    t.WriteRtf();
}

// The comma-separated file of the extreme support reactions: the header
// line, then for each check that holds reactions a comment line with the
// check's name and its rows as the report's table by crane position shows
// them. It replaces the old file only whole: while the position's side
// files are held it is staged with them and takes its place when the
// position is saved; otherwise it is written under a temporary name and
// renamed over the old file.
void CModuleData::WriteSupportsFile() {
    const std::string target = GetSideFileName(".supports.csv");
    if (target.empty()) return;
    std::string text = "// x, due, Ax, Ay, Az, Mx, My, Mz, Pos, Crane1, Crane2, Crane3\n";
    for (size_t c = 0; c < m_checkReactions.size(); ++c) {
        const CCraneReactions& r = m_checkReactions[c];
        const int supports = std::clamp(r.nAufl, 0, CCraneReactions::kSupports);
        if (supports == 0) continue;
        std::string name;
        GetCheckName(static_cast<int>(c), name);
        text += "// " + name + "\n";
        for (int s = 0; s < supports; ++s)
            for (int e = 0; e < 12; ++e) {
                const ReactionRow row = MakeReactionRow(r, s, e);
                std::string due = kExtremeNames[e];
                due.erase(due.find(' '), 1);
                text += winsys::FormatC("%6.2lf, %s, %8.2lf, %8.2lf, %8.2lf, %8.2lf, %8.2lf, %8.2lf, %3d, %8s, %8s, %8s\n",
                                        r.xCoords[s], due.c_str(), row.values[0], row.values[1], row.values[2],
                                        row.values[3], row.values[4], row.values[5], row.position,
                                        row.cranes[0].c_str(), row.cranes[1].c_str(), row.cranes[2].c_str());
            }
    }
    bool ok = false;
    if (sidefiles::IsHeld(m_hDoc)) {
        const std::string into = sidefiles::StageFile(m_hDoc, target);
        if (File f{std::fopen(into.c_str(), "wb")}) {
            ok = std::fwrite(text.data(), 1, text.size(), f.get()) == text.size();
            ok = std::fflush(f.get()) == 0 && ok;
            ok = std::fclose(f.release()) == 0 && ok;
        }
        if (!ok) sidefiles::DropFile(m_hDoc, target);
    } else {
        std::string why;
        ok = winsys::WriteFileAtomic(target, text, why);
    }
    if (!ok) {
        winsys::MessageBox(TrF("Die Datei '%s' kann nicht geschrieben werden.", target), Tr("Kranbahnträger"),
                           winsys::Buttons::Ok, winsys::Icon::Warning, 0);
    }
}
