// The input protocol of the crane-runway report: supports, hinges, sections
// with rail, profile and material values, cranes, the load protocol and the
// load superposition of the checks.
#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "crane/CraneOperations.h"
#include "crane/RunPreparation.h"
#include "input/MateHandler.h"
#include "module/ModuleData.h"
#include "platform/zadevoz/zadevoz.h"
#include "reports/CraneReport.h"
#include "reports/MemberReport.h"
#include "reports/ReportText.h"
#include "reports/RtfTable.h"
#include "reports/SystemTables.h"

namespace {

using report_text::kAreaCrane;

std::string Tr(const std::string& text) { return report_text::Translate(kAreaCrane, text); }

template <class... A>
std::string TrF(const std::string& format, const A&... args) {
    return report_text::Format(kAreaCrane, format, args...);
}

void Heading(int style, const std::string& text) { zadevoz::RtfWriteText(style, text); }

void Widths(CRtfTable& t, const std::vector<int>& weights) {
    for (size_t c = 0; c < weights.size(); ++c) t.SetColumnWidth(static_cast<int>(c), weights[c]);
}

// A row of header cells (flags 40, the first with firstFlags); texts raw.
void RawHeader(CRtfTable& t, int row, const std::vector<std::string>& texts, int firstFlags = kRtfHeader) {
    for (size_t c = 0; c < texts.size(); ++c)
        t.SetTextCell(row, static_cast<int>(c), texts[c], c == 0 ? firstFlags : kRtfHeader);
}

std::string DisplayOf(const std::vector<ProfileEntry>& profiles, const std::string& name) {
    for (const ProfileEntry& p : profiles)
        if (p.name == name) return p.display;
    return name;
}

}  // namespace

std::vector<ProfileEntry> CollectProfiles(const std::vector<CSection>& sections) {
    std::vector<ProfileEntry> out;
    std::set<std::string> seen;
    for (size_t k = 0; k < sections.size(); ++k) {
        const CSection& s = sections[k];
        for (int end = 0; end < (s.m_bVoute ? 2 : 1); ++end) {
            const std::string& name = end ? s.m_profName2 : s.m_profName;
            if (!seen.insert(name).second) continue;
            out.push_back({name, s.GetProfileKey(end), k, end});
        }
    }
    return out;
}

void CModuleData::WriteSupports() {
    Heading(-3, Tr("Auflagerbedingungen"));
    WriteSupportTable(*this, {kAreaCrane,
                              {"Bez", "Stelle x", "C{\\sub x}", "C{\\sub y}", "C{\\sub z}", "CM{\\sub x}", "CM{\\sub y}",
                               "CM{\\sub z}", "CM{\\sub w}"},
                              "[kN/rad]", false, 0, 0});
}

void CModuleData::WriteHinges() {
    if (m_hinges.empty()) return;
    Heading(-3, Tr("Momenten- und Querkraftgelenke"));
    if (m_inputAnnotations.size() > 4 && !m_inputAnnotations[4].empty()) zadevoz::RtfWriteText(-10, m_inputAnnotations[4]);
    WriteHingeTable(*this, kAreaCrane, kRtfRight);
}

void CModuleData::WriteSections() {
    const bool railOnTop = m_craneSettings.m_craneTyp == 0;
    const std::vector<ProfileEntry> profiles = CollectProfiles(m_sections);

    // Section course.
    {
        CRtfTable t;
        t.SetSize(2, 6, 16.0);
        Widths(t, {20, 20, 40, 40, 20, 20});
        const char* titles[6] = {"Von x=", "Bis x=", "Querschnitt", "Querschnitt", "Material", "Beul-"};
        for (int c = 0; c < 6; ++c) t.SetTextCell(0, c, Tr(titles[c]), c == 5 ? kRtfHeaderCentre : kRtfHeader);
        t.SetTextCell(1, 0, "[m]", kRtfHeader);
        t.SetTextCell(1, 1, "[m]", kRtfHeader);
        t.SetTextCell(1, 2, Tr("Anfang"), kRtfHeader);
        t.SetTextCell(1, 3, Tr("Ende"), kRtfHeader);
        t.SetTextCell(1, 4, "", kRtfHeader);
        t.SetTextCell(1, 5, Tr("felder"), kRtfHeaderCentre);
        double x = m_fieldLengths.empty() ? 0.0 : m_fieldLengths[0].GetValue();
        for (size_t k = 0; k < m_sections.size(); ++k) {
            const CSection& s = m_sections[k];
            const double len = k + 1 < m_fieldLengths.size() ? m_fieldLengths[k + 1].GetValue() : 0.0;
            const int r = t.AddRow();
            t.SetDoubleCell(r, 0, x, "", 0, 2, kRtfRight);
            t.SetDoubleCell(r, 1, x + len, "", 0, 2, kRtfRight);
            x += len;
            t.SetTextCell(r, 2, DisplayOf(profiles, s.m_profName), kRtfRight);
            t.SetTextCell(r, 3, DisplayOf(profiles, s.m_bVoute ? s.m_profName2 : s.m_profName), kRtfRight);
            t.SetTextCell(r, 4, s.m_strMaterial, kRtfRight);
            t.SetIntCell(r, 5, s.m_nTeilung, kRtfRight, "%ld");
        }
        Heading(-3, Tr("Querschnittsverlauf"));
        t.WriteRtf();
    }

    Heading(-3, Tr("Querschnittswerte"));
    CRailValues rail;
    const bool haveRail = m_rail.GetRailValues(rail);
    const std::string railName = m_rail.m_sObj;
    if (railOnTop) {
        CRtfTable t;
        t.SetSize(3, 9, 16.0);
        Widths(t, {30, 10, 15, 15, 10, 10, 10, 10, 10});
        RawHeader(t, 0, {"", "A", "h", "b", "k", "I\\sub y", "I\\sub z", "I\\sub t", "e\\sub 1"});
        t.SetTextCell(0, 0, Tr("Schiene (75%)"), kRtfHeaderLeft);
        RawHeader(t, 1, {"", "[cm{\\super 2}]", "[cm]", "[cm]", "[cm]", "[cm{\\super 4}]", "[cm{\\super 4}]",
                         "[cm{\\super 4}]", "[cm]"});
        t.SetTextCell(2, 0, railName, kRtfLeft);
        const double values[8] = {rail.A75, rail.h75, rail.b1, rail.k, rail.Iy75, rail.Iz75, rail.It75, rail.e175};
        for (int c = 0; c < 8; ++c) t.SetDoubleCell(2, 1 + c, haveRail ? values[c] : 0.0, "", 0, 1, kRtfRight);
        t.WriteRtf();

        std::string fastening;
        switch (m_rail.m_connection) {
            case 0: fastening = Tr("Durchlaufende Längsnaht"); break;
            case 1: fastening = Tr("Unterbrochene Längsnaht"); break;
            case 2: fastening = TrF("Geschraubt / Abstand Schienenrand: %.1lf mm", m_rail.m_dBolt.GetValue()); break;
            default: break;
        }
        std::string text = TrF("Befestigung: %s", fastening);
        const double pad = m_rail.m_d.GetValue();
        if (std::fabs(pad) > 0.01) text += TrF(" / Elastische Unterlage %.1lf mm", pad);
        zadevoz::RtfWriteText(0, text);
    }

    // Gross-section values of each profile; with the rail taken into the
    // section values, a row of the profile with the worn rail follows.
    {
        const bool withRail = railOnTop && m_rail.m_bCalculation;
        CRtfTable t;
        t.SetSize(2, 9, 16.0);
        Widths(t, {30, 10, 15, 15, 10, 10, 10, 10, 10});
        RawHeader(t, 0, {"", "A", "I\\sub y", "I\\sub z", "I\\sub to", "I\\sub tg", "y\\sub m", "z\\sub m", "phi"});
        t.SetTextCell(0, 0, Tr("Profil"), kRtfHeaderLeft);
        RawHeader(t, 1, {"", "[cm{\\super 2}]", "[cm{\\super 4}]", "[cm{\\super 4}]", "[cm{\\super 4}]",
                         "[cm{\\super 4}]", "[cm]", "[cm]", "[°]"});
        auto valuesRow = [&](const std::string& label, double A, double Iy, double Iz, double Ito, double Itg,
                             double ym, double zm, double phi) {
            const int r = t.AddRow();
            t.SetTextCell(r, 0, label, kRtfLeft);
            const double v[8] = {A, Iy, Iz, Ito, Itg, ym, zm, phi * 180.0 / M_PI};
            for (int c = 0; c < 8; ++c) t.SetDoubleCell(r, 1 + c, v[c], "", 0, 1, kRtfRight);
        };
        for (const ProfileEntry& p : profiles) {
            CSection& s = m_sections[p.section];
            const SektGqs g = report_text::SectionGrossValues(s, p.end);
            valuesRow(p.display, g.A, g.Ayy, g.Azz, g.Ito, g.Itg, g.ym, g.zm, g.phi);
            if (!withRail) continue;
            SektTqs part{};
            if (s.m_profSelType != 0) (p.end ? s.m_profile2 : s.m_profile).GetPartValues(part);
            m_rail.AddRailToSection(part);
            valuesRow(report_text::FormatRaw("%s+%s", p.display, railName), part.A, part.Ayy, part.Azz, part.Ito,
                      part.Itg, part.ym, part.zm, part.phi);
        }
        t.WriteRtf();
    }
    if (railOnTop)
        zadevoz::RtfWriteText(0, Tr(m_rail.m_bCalculation ? "Die Querschnittswerte der Schiene werden statisch berücksichtigt!"
                                                          : "Die Querschnittswerte der Schiene werden nicht statisch "
                                                            "berücksichtigt!"));

    // Materials, each name once.
    {
        CRtfTable t;
        t.SetSize(2, 10, 16.0);
        Widths(t, {30, 20, 20, 20, 15, 15, 15, 15, 15, 20});
        RawHeader(t, 0, {"", "E", "G", "f\\sub yk", "{\\f2 g}\\sub m0", "{\\f2 g}\\sub m1", "{\\f2 g}\\sub ma0",
                         "{\\f2 g}\\sub ma1", "{\\f2 g}\\sub mf", "\\f2 g"});
        t.SetTextCell(0, 0, Tr("Name"), kRtfHeaderLeft);
        RawHeader(t, 1, {"", "[N/mm{\\super 2}]", "[N/mm{\\super 2}]", "[N/mm{\\super 2}]", "", "", "", "", "",
                         "[kN/m{\\super 3}]"});
        const std::string norm = GetNormName(m_info.m_nNorm, m_matBB);
        const char* keys[9] = {"E", "G", "fyk", "gamma_m", "gamma_m1", "gamma_ma", "gamma_ma1", "gamma_mf", "gamma"};
        const int digits[9] = {1, 1, 1, 2, 2, 2, 2, 2, 1};
        std::set<std::string> seen;
        for (const CSection& s : m_sections) {
            if (!seen.insert(s.m_strMaterial).second) continue;
            CMateList m;
            GetMateHandler().FindObject(m, "Stahl", "Baustahl", norm, s.m_strMaterial);
            const int r = t.AddRow();
            t.SetTextCell(r, 0, s.m_strMaterial, kRtfLeft);
            for (int c = 0; c < 9; ++c)
                t.SetDoubleCell(r, 1 + c, report_text::ParseNumber(m.GetPropertyValue(keys[c])), "", c == 7 ? 1 : 0,
                                digits[c], kRtfRight);
        }
        Heading(-3, Tr("Materialwerte"));
        t.WriteRtf();
    }
}

void CModuleData::WriteCranes() {
    Heading(-3, Tr("Kräne"));
    CRtfTable t;
    t.SetSize(1, 4, 16.0);
    Widths(t, {40, 10, 10, 10});
    t.SetTextCell(0, 0, Tr("Bezeichnung"), kRtfHeaderLeft);
    t.SetTextCell(0, 1, Tr("Achsen"), kRtfHeader);
    t.SetTextCell(0, 2, Tr("Hubkl."), kRtfHeader);
    t.SetTextCell(0, 3, Tr("B.Gruppe"), kRtfHeader);
    for (const CCrane& c : m_cranes) {
        const int r = t.AddRow();
        t.SetTextCell(r, 0, c.m_strDesc, kRtfLeft);
        t.SetIntCell(r, 1, c.m_numOfAxis, kRtfRight, "%ld");
        t.SetTextCell(r, 2, report_text::FormatRaw("HC%ld", static_cast<long>(c.m_hubKlasse + 1)), kRtfRight);
        t.SetTextCell(r, 3, report_text::FormatRaw("S%ld", static_cast<long>(c.m_BGruppe)), kRtfRight);
    }
    t.WriteRtf();
    if (m_craneSettings.m_craneTyp == 1 && m_craneSettings.m_autoPOI)
        zadevoz::RtfWriteText(0, TrF("Abstand Radlasteinleitung / Aussenkante Unterflansch: %.1lf cm",
                                     m_craneSettings.m_loadDistOnBottomFlange.GetValue()));
}

void CModuleData::WriteLoadProtocolSelfWeight() {
    Heading(-3, Tr("Lastprotokoll"));
    if (m_inputAnnotations.size() > 5 && !m_inputAnnotations[5].empty()) zadevoz::RtfWriteText(-10, m_inputAnnotations[5]);
    CRtfTable t;
    t.SetSize(2, 6, 16.0);
    Widths(t, {60, 20, 20, 20, 20, 20});
    const char* titles[6] = {"Lasttext", "Von x=", "Länge", "P(Anfang)", "P(Ende)", "Gewicht"};
    const char* units[6] = {"", "[m]", "[m]", "[kN/m]", "[kN/m]", "[kN]"};
    for (int c = 0; c < 6; ++c) {
        t.SetTextCell(0, c, Tr(titles[c]), c == 0 ? kRtfHeaderLeft : kRtfHeader);
        t.SetTextCell(1, c, units[c], kRtfHeader);
    }
    auto row = [&](const std::string& label, double x, double len, double pa, double pe, double weight) {
        const int r = t.AddRow();
        t.SetTextCell(r, 0, label, kRtfLeft);
        t.SetDoubleCell(r, 1, x, "", 0, 2, kRtfRight);
        t.SetDoubleCell(r, 2, len, "", 0, 2, kRtfRight);
        t.SetDoubleCell(r, 3, pa, "", 0, 3, kRtfRight);
        t.SetDoubleCell(r, 4, pe, "", 0, 3, kRtfRight);
        t.SetDoubleCell(r, 5, weight, "", 0, 2, kRtfRight);
    };
    double x = 0.0;
    for (size_t k = 0; k < m_sections.size(); ++k) {
        CSection& s = m_sections[k];
        const double len = k + 1 < m_fieldLengths.size() ? m_fieldLengths[k + 1].GetValue() : 0.0;
        const double pa = report_text::SectionGrossValues(s, 0).A * s.m_gamma * 0.0001;
        const double pe = report_text::SectionGrossValues(s, 1).A * s.m_gamma * 0.0001;
        row(report_text::FormatRaw(Tr("Feld %ld %s (\\f2 g\\f1 =%.1lf)"), static_cast<long>(k + 1), Tr("Träger"),
                                   s.m_gamma),
            x, len, pa, pe, (pa + pe) * 0.5 * len);
        x += len;
    }
    // The girder's total length from the variable "tl".
    CFormulaValue tl;
    tl.SetVariableTable(&m_moduleVars);
    tl.SetFromText("tl");
    const double total = tl.GetValue();
    if (m_craneSettings.m_craneTyp == 0) {
        CRailValues rail;
        const double area = m_rail.GetRailValues(rail) ? rail.A : 0.0;
        const double density = m_sections.empty() ? 78.5 : m_sections[0].m_gamma;
        const double p = area * density * 0.0001;
        row(report_text::FormatRaw(Tr("Schiene %s (\\f2 g\\f1 =%.1lf)"), m_rail.m_sObj, density), 0.0, total, p, p,
            p * total);
    }
    const double add = m_craneSettings.m_craneAddLoad.GetValue();
    if (add > 0.0) row(Tr("Zus. Eigengewicht"), 0.0, total, add, add, add * total);
    Heading(-4, Tr("Eigengewicht"));
    t.WriteRtf();
}

void CModuleData::WriteLoadProtocolCrane(int k) {
    if (k < 0 || k >= static_cast<int>(m_cranes.size())) return;
    const CCrane& crane = m_cranes[static_cast<size_t>(k)];
    // Dynamic factors.
    {
        CRtfTable t;
        t.SetSize(2, 9, 16.0);
        const char* symbols[9] = {"{\\f2 j}\\sub 1", "{\\f2 j}\\sub 2", "{\\f2 j}\\sub 3",
                                  "{\\f2 j}\\sub 4", "{\\f2 j}\\sub 5", "{\\f2 j}\\sub 6",
                                  "{\\f2 j}\\sub 7", "{\\f2 j}\\sub fat,1", "{\\f2 j}\\sub fat,2"};
        for (int c = 0; c < 9; ++c) {
            t.SetTextCell(0, c, symbols[c], kRtfHeader);
            t.SetDoubleCell(1, c, crane.m_phi[c].GetValue(), "", 0, 2, kRtfRight);
        }
        Heading(-4, TrF("Vadu %ld (%s)", static_cast<long>(k + 1), crane.m_strDesc));
        Heading(-5, Tr("Schwingbeiwerte"));
        t.WriteRtf();
    }
    // Basic loads: one row per axle value kind.
    {
        const int axes = std::max(0, crane.m_numOfAxis);
        CRtfTable t;
        t.SetSize(1, 3 + axes, 16.0);
        Widths(t, {50, 10, 10});
        t.SetTextCell(0, 0, Tr("Bezeichnung"), kRtfHeaderLeft);
        t.SetTextCell(0, 1, "", kRtfHeaderLeft);
        t.SetTextCell(0, 2, "", kRtfHeaderLeft);
        for (int a = 0; a < axes; ++a) t.SetTextCell(0, 3 + a, TrF("Achse %ld", static_cast<long>(a + 1)), kRtfHeader);
        std::vector<std::string> captions, units;
        GetCraneLoadKindNames(captions, units);
        for (int kind = 0; kind < CCrane::kKinds && kind < static_cast<int>(captions.size()); ++kind) {
            const int r = t.AddRow();
            t.SetTextCell(r, 0, captions[static_cast<size_t>(kind)], kRtfLeft);
            t.SetTextCell(r, 1, "", kRtfLeft);
            t.SetTextCell(r, 2, units[static_cast<size_t>(kind)], kRtfLeft);
            bool any = false;
            for (int a = 0; a < axes; ++a) {
                const double v = crane.GetAxisValue(a, kind);
                any = any || std::fabs(v) > 0.0001;
                t.SetDoubleCell(r, 3 + a, v, "", 0, 2, kRtfRight);
            }
            if (!any) t.SetRowAttr(r, 0);
        }
        // The accompanying loads of the second girder follow its switch.
        for (int r : {3, 5, 7, 9}) t.SetRowAttr(r, m_craneSettings.m_bSecondBeam ? 1 : 0);
        Heading(-5, Tr("Grundlasten"));
        t.WriteRtf();
    }
}

// ---- tables that take prepared data ------------------------------------------------

void WriteCraneLoadGroupTables(const CCrane& crane, int craneNo, const std::vector<int>& relevantGroups) {
    std::vector<std::string> names, ids;
    GetCraneLoadGroupNames(names, ids, craneNo);
    const std::string prefix = report_text::Format(report_text::kAreaCrane, "K%ld.", static_cast<long>(craneNo));
    auto shortId = [&](const std::string& id) {
        return id.rfind(prefix, 0) == 0 ? id.substr(prefix.size()) : id;
    };
    auto valid = [&](int g) { return g >= 0 && g < static_cast<int>(names.size()); };
    if (craneNo == 1) {
        CRtfTable t;
        t.SetSize(1, 2, 16.0);
        Widths(t, {40, 10});
        t.SetTextCell(0, 0, Tr("Lastgruppe"), kRtfHeaderLeft);
        t.SetTextCell(0, 1, "", kRtfHeader);
        for (int g : relevantGroups) {
            if (!valid(g)) continue;
            const int r = t.AddRow();
            t.SetTextCell(r, 0, names[static_cast<size_t>(g)], kRtfLeft);
            t.SetTextCell(r, 1, shortId(ids[static_cast<size_t>(g)]), kRtfLeft);
        }
        Heading(-5, Tr("Lastgruppen"));
        t.WriteRtf();
    }
    const int axes = std::max(0, crane.m_numOfAxis);
    {
        CRtfTable t;
        t.SetSize(1, 1 + axes, 16.0);
        t.SetColumnWidth(0, 15);
        t.SetTextCell(0, 0, "", kRtfHeaderLeft);
        for (int a = 0; a < axes; ++a) {
            t.SetColumnWidth(1 + a, 30);
            t.SetTextCell(0, 1 + a, TrF("Achse %ld", static_cast<long>(a + 1)), kRtfHeader);
        }
        t.WriteRtf();
    }
    CRtfTable t;
    t.SetSize(2, 1 + 3 * axes, 16.0);
    t.SetColumnWidth(0, 15);
    t.SetTextCell(0, 0, Tr("Bez."), kRtfHeaderLeft);
    t.SetTextCell(1, 0, "", kRtfHeaderLeft);
    for (int a = 0; a < axes; ++a)
        for (int c = 0; c < 3; ++c) {
            const std::string label = std::string("F") + static_cast<char>('x' + c);
            t.SetTextCell(0, 1 + 3 * a + c, label, kRtfHeader);
            t.SetTextCell(1, 1 + 3 * a + c, "[kN]", kRtfHeader);
        }
    for (int g : relevantGroups) {
        if (!valid(g)) continue;
        const int r = t.AddRow();
        t.SetTextCell(r, 0, shortId(ids[static_cast<size_t>(g)]), kRtfLeft);
        for (int a = 0; a < axes; ++a)
            for (int c = 0; c < 3; ++c) t.SetDoubleCell(r, 1 + 3 * a + c, crane.GetWheelLoad(a, g, c), "", 0, 2, kRtfRight);
    }
    t.WriteRtf();
}

void WriteCranePositionTable(int nCranes, const std::vector<double>& positions, const std::vector<double>& axle1Offset) {
    const int n = std::max(0, nCranes);
    // Blocks side by side: 5 - n for one to four cranes, and at least one
    // block for more (five cranes would leave none); without cranes one
    // block of the header rows only.
    const int g = n > 0 ? std::max(1, 5 - n) : 1;
    const int count = n > 0 ? static_cast<int>(positions.size()) / n : 0;
    CRtfTable t;
    t.SetSize(2, g * (n + 2) - 1, 16.0);
    for (int b = 0; b < g; ++b) {
        const int c0 = b * (n + 2);
        t.SetColumnWidth(c0, 5);
        t.SetTextCell(0, c0, Tr("Nr"), kRtfHeaderLeft);
        t.SetTextCell(1, c0, "", kRtfHeaderLeft);
        for (int k = 0; k < n; ++k) {
            t.SetColumnWidth(c0 + 1 + k, 10);
            t.SetTextCell(0, c0 + 1 + k, n == 1 ? std::string("p") : report_text::FormatRaw("x\\sub %ld", static_cast<long>(k + 1)),
                          kRtfHeader);
            t.SetTextCell(1, c0 + 1 + k, "[m]", kRtfHeader);
        }
        if (b + 1 < g) t.SetColumnWidth(c0 + n + 1, 15);  // gap between blocks
    }
    for (int i = 0; i < count; ++i) {
        const int row = 2 + i / g;
        while (t.GetRowCount() <= row) t.AddRow();
        const int c0 = (i % g) * (n + 2);
        t.SetIntCell(row, c0, i + 1, kRtfLeft, "%ld");
        for (int k = 0; k < n; ++k) {
            const double off = k < static_cast<int>(axle1Offset.size()) ? axle1Offset[static_cast<size_t>(k)] : 0.0;
            t.SetDoubleCell(row, c0 + 1 + k, positions[static_cast<size_t>(i * n + k)] - off, "", 0, 3, kRtfRight);
        }
    }
    Heading(-3, Tr("Kranstellungen bez. Achse 1"));
    t.WriteRtf();
}

void WriteCraneLoadSuperpositionTable(const std::vector<CCraneReportCheck>& checks) {
    CRtfTable t;
    t.SetSize(2, 8, 16.0);
    Widths(t, {30, 25, 10, 10, 10, 10, 10, 10});
    t.SetTextCell(0, 0, Tr("Nachweis"), kRtfHeaderLeft);
    t.SetTextCell(0, 1, Tr("Einwirkung"), kRtfHeaderLeft);
    const char* symbols[6] = {"{\\f2 g}", "{\\f2 y}\\sub 0", "{\\f2 y}\\sub 1", "{\\f2 y}\\sub 2", "e\\sub y", "e\\sub z"};
    for (int c = 0; c < 6; ++c) t.SetTextCell(0, 2 + c, symbols[c], kRtfHeader);
    for (int c = 0; c < 8; ++c) t.SetTextCell(1, c, c >= 6 ? "[cm]" : "", kRtfHeader);
    for (const CCraneReportCheck& check : checks) {
        for (size_t a = 0; a < check.actions.size(); ++a) {
            const CCraneReportAction& act = check.actions[a];
            if (act.name.empty()) continue;
            const int r = t.AddRow();
            if (a == 0) t.SetTextCell(r, 0, Tr(check.checkName), kRtfLeft);
            else t.SetTextCell(r, 0, "", kRtfRight);
            t.SetTextCell(r, 1, act.name, kRtfLeft);
            t.SetDoubleCell(r, 2, act.gamma, "", 0, 2, kRtfRight);
            const double psi[3] = {act.psi0, act.psi1, act.psi2};
            for (int p = 0; p < 3; ++p) {
                if (psi[p] > 0.01) t.SetDoubleCell(r, 3 + p, psi[p], "", 0, 2, kRtfRight);
                else t.SetTextCell(r, 3 + p, "---", kRtfRight);
            }
            // Action a's crane: index max(0, a - 2). The alternative actions
            // can lie beyond the cranes: no eccentricity to show there.
            const size_t idx = a < 2 ? 0 : a - 2;
            if (a == 0 || idx >= check.ey.size() || idx >= check.ez.size()) {
                t.SetTextCell(r, 6, "---", kRtfRight);
                t.SetTextCell(r, 7, "---", kRtfRight);
            } else {
                t.SetDoubleCell(r, 6, check.ey[idx], "", 0, 1, kRtfRight);
                t.SetDoubleCell(r, 7, check.ez[idx], "", 0, 1, kRtfRight);
            }
        }
    }
    Heading(-3, Tr("Lastüberlagerung und Exzentrizitäten"));
    t.WriteRtf();
}

// ---- the whole chapters of the load protocol and the superposition ------------------

void CModuleData::WriteLoadProtocol() {
    WriteLoadProtocolSelfWeight();
    for (size_t k = 0; k < m_cranes.size(); ++k) {
        WriteLoadProtocolCrane(static_cast<int>(k));
        const CCrane& crane = m_cranes[k];
        std::vector<int> relevant;
        for (int g = 0; g < CCrane::kGroups; ++g)
            if (crane.IsLoadGroupRelevant(*this, g, -1)) relevant.push_back(g);
        WriteCraneLoadGroupTables(crane, static_cast<int>(k) + 1, relevant);
    }
    // The positions are stored for the cranes' middles; the table gives the
    // x of each crane's first axle.
    std::vector<double> axle1Offset;
    for (const CCrane& c : m_cranes) axle1Offset.push_back(0.5 * c.GetAxisSpan());
    WriteCranePositionTable(static_cast<int>(m_cranes.size()), m_cranePositions, axle1Offset);
}

void CModuleData::WriteLoadSuperposition() {
    std::vector<CCraneReportCheck> checks;
    for (int c = 0; c < kCraneChecks; ++c) {
        if (!m_craneSettings.m_checkEnabled[c]) continue;
        CCraneReportCheck check;
        GetCheckName(c, check.checkName);
        int next = 1;
        std::vector<std::string> names;
        PrepareLoadCases(*this, c, next, names, &check.ey, &check.ez);
        const CLKData& lk = LK();
        for (size_t a = 0; a < lk.m_actions.size(); ++a) {
            CCraneReportAction action;
            action.name = lk.m_actions[a].m_strDesc;
            if (a < m_partialFactors.size()) action.gamma = m_partialFactors[a];
            if (3 * a + 2 < m_combinationFactors.size()) {
                action.psi0 = m_combinationFactors[3 * a];
                action.psi1 = m_combinationFactors[3 * a + 1];
                action.psi2 = m_combinationFactors[3 * a + 2];
            }
            check.actions.push_back(action);
        }
        checks.push_back(std::move(check));
    }
    WriteCraneLoadSuperpositionTable(checks);
}
