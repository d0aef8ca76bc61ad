// The input chapter's tables of the member-design report: supports, sections,
// materials, hinges, beddings and single springs, imperfections, actions,
// loads and combinations.
#include <charconv>
#include <cmath>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "input/MateHandler.h"
#include "input/StdProfile.h"
#include "module/ModuleData.h"
#include "platform/winsys/winsys.h"
#include "platform/zadevoz/zadevoz.h"
#include "platform/zevud/zevud.h"
#include "platform/combor/combor.h"
#include "reports/MemberReport.h"
#include "reports/ReportText.h"
#include "reports/RtfTable.h"
#include "reports/SystemTables.h"

namespace {

std::string Tr(const std::string& text) { return report_text::Translate(report_text::kAreaMember, text); }

template <class... A>
std::string TrF(const std::string& format, const A&... args) {
    return report_text::Format(report_text::kAreaMember, format, args...);
}

void Heading(int style, const std::string& text) { zadevoz::RtfWriteText(style, text); }

// Header cells of one row: flags 41 for the first, 40 for the others; an
// empty title leaves the slot empty unless keepEmpty.
void HeaderRow(CRtfTable& t, int row, const std::vector<std::string>& titles, bool translate = true) {
    for (size_t c = 0; c < titles.size(); ++c) {
        const std::string text = translate && !titles[c].empty() ? Tr(titles[c]) : titles[c];
        t.SetTextCell(row, static_cast<int>(c), text, c == 0 ? kRtfHeaderLeft : kRtfHeader);
    }
}

void Widths(CRtfTable& t, const std::vector<int>& weights) {
    for (size_t c = 0; c < weights.size(); ++c) t.SetColumnWidth(static_cast<int>(c), weights[c]);
}

// x of field entry i: the running sum of the field-length entries 0 .. i.
double EntryX(const std::vector<CFormulaValue>& lengths, int i) {
    double x = 0.0;
    for (int k = 0; k <= i && k < static_cast<int>(lengths.size()); ++k) x += lengths[static_cast<size_t>(k)].GetValue();
    return x;
}

}  // namespace

const char* GetNormTitle(int code) {
    switch (code) {
        case 0: return "DIN 1055-100";
        case 1:
        case 7: return "DIN 18800";
        case 3: return "DIN EN 1990/NA:2010-12";
        case 8: return "DIN EN 1993-1-1:2005-07";
        case 31: return "DIN EN 1993-1-1/NA:2010-12";
        default: return "";
    }
}

namespace report_text {

double ParseNumber(const std::string& text) {
    std::string s = text;
    for (char& c : s)
        if (c == ',') c = '.';
    const size_t a = s.find_first_not_of(" \t");
    if (a == std::string::npos) return 0.0;
    const char* first = s.c_str() + a;
    if (*first == '+') ++first;
    double v = 0.0;
    auto res = std::from_chars(first, s.c_str() + s.size(), v);
    return res.ec == std::errc() && std::isfinite(v) ? v : 0.0;
}

SektGqs SectionGrossValues(CSection& section, int end) {
    SektGqs g{};
    if (end != 0 && !section.m_bVoute) end = 0;
    if (section.m_profSelType == 0) {
        int si = -1, pi = -1;
        GetStdProfile().FindProfile(section.m_profFamily, end ? section.m_profName2 : section.m_profName, si, pi);
        SektSqs s{};
        if (si < 0 || pi < 0 || !GetStdProfile().GetValues(si, pi, g, s, nullptr)) g = SektGqs{};
    } else {
        (end ? section.m_profile2 : section.m_profile).GetGrossValues(g);
    }
    return g;
}

bool AppendStoredRtf(unsigned int element, const char* attribute) {
    const int length = element ? ZEVUD_GetBinDataLength(element, attribute) : 0;
    if (length <= 0) return false;
    // Taken from the document as it is stored: no file on the way.
    std::string rtf(static_cast<size_t>(length), '\0');
    if (ZEVUD_GetBinData(element, attribute, rtf.data(), length) == length) {
        zadevoz::RtfAppendBytes(rtf, attribute);
        return true;
    }
    // Stored data that cannot be read back: the document library says why
    // when it is asked to write it to a file. A unique temporary file: the
    // document's folder may be shared, and a name made from the document's
    // path would hit other files there.
    const std::filesystem::path file = winsys::UniqueTempFile("report", ".tmp.rtf");
    if (file.empty()) return false;
    bool ok = false;
    if (ZEVUD_LoadFileFromAttr(element, attribute, file.string().c_str())) {
        zadevoz::RtfAppendFile(file.string(), "", 10, 0);
        ok = true;
    }
    std::error_code ec;
    std::filesystem::remove(file, ec);
    return ok;
}

}  // namespace report_text

bool CModuleData::IsRtfOptionSet(int option) const {
    return option >= 0 && option < static_cast<int>(m_rtfOptions.size()) && m_rtfOptions[static_cast<size_t>(option)] != 0;
}

bool CModuleData::AnyOptionInRange(int lo, int hi) const {
    for (int k = lo; k < hi; ++k)
        if (IsRtfOptionSet(k)) return true;
    return false;
}

void CModuleData::WriteRtfAnnotation(int slot) const {
    if (slot < 0 || slot >= static_cast<int>(m_inputAnnotations.size())) return;
    const std::string& text = m_inputAnnotations[static_cast<size_t>(slot)];
    if (!text.empty()) zadevoz::RtfWriteText(-10, text);
}

void CModuleData::WriteRtfSupportConditions() {
    if (!IsRtfOptionSet(0)) return;
    Heading(-3, Tr("Auflagerbedingungen"));
    WriteRtfAnnotation(2);
    WriteSupportTable(*this, {report_text::kAreaMember,
                              {"Bez", "Stelle x", "Cx", "Cy", "Cz", "CMx", "CMy", "CMz", "CMw"},
                              "[kNm/rad]", true, kRtfLeft, kRtfRight});
}

void CModuleData::WriteRtfSectionsAndMaterials() {
    const int norm = m_info.m_nNorm;
    if (IsRtfOptionSet(1)) {
        CRtfTable t;
        t.SetSize(2, 8, 16.0);
        Widths(t, {20, 20, 40, 40, 30, 20, 20, 20});
        HeaderRow(t, 0, {"Von x=", "Bis x=", "Querschnitt", "Querschnitt", "Material", "Drehung", "Spieg. Y", "Spieg. Z"});
        HeaderRow(t, 1, {"[m]", "[m]", "Anfang", "Ende", "", "[°]", "", ""});
        t.SetTextCell(1, 0, "[m]", kRtfHeader);
        for (size_t k = 0; k < m_sections.size(); ++k) {
            const CSection& s = m_sections[k];
            const int r = t.AddRow();
            const double x0 = EntryX(m_fieldLengths, static_cast<int>(k));
            const double x1 = EntryX(m_fieldLengths, static_cast<int>(k) + 1);
            t.SetDoubleCell(r, 0, x0, "", 0, 2, kRtfRight);
            t.SetDoubleCell(r, 1, x1, "", 0, 2, kRtfRight);
            t.SetTextCell(r, 2, s.m_profName, kRtfRight);
            t.SetTextCell(r, 3, s.m_bVoute ? s.m_profName2 : s.m_profName, kRtfRight);
            t.SetTextCell(r, 4, s.m_strMaterial, kRtfRight);
            t.SetDoubleCell(r, 5, s.m_rotAngle, "", 0, 1, kRtfRight);
            t.SetTextCell(r, 6, Tr(s.m_bMirrorY ? "Ja" : "Nein"), kRtfRight);
            t.SetTextCell(r, 7, Tr(s.m_bMirrorZ ? "Ja" : "Nein"), kRtfRight);
        }
        for (int c = 5; c < 8; ++c) t.SetColumnAttr(c, 0);
        Heading(-3, Tr("Querschnittsverlauf"));
        t.WriteRtf();
    }
    if (IsRtfOptionSet(3)) {
        const bool alu = norm == 34;
        const bool twoFactors = norm == 8 || norm == 31 || norm == 34;
        CRtfTable t;
        t.SetSize(2, 8, 16.0);
        Widths(t, {30, 20, 20, 20, 20, 20, 20, 20});
        HeaderRow(t, 0, {"Name", "E", "G", "f\\sub yk", "{\\f2 a}\\sub t",
                         twoFactors ? "{\\f2 g}\\sub m1" : "{\\f2 g}\\sub m", twoFactors ? "{\\f2 g}\\sub ma1" : "",
                         "\\f2 g"},
                  false);
        HeaderRow(t, 1, {"", "[N/mm{\\super 2}]", "[N/mm{\\super 2}]", "[N/mm{\\super 2}]", "", "", "",
                         "[kN/m{\\super 3}]"},
                  false);
        if (!twoFactors) t.SetColumnAttr(6, 0);
        std::set<std::string> seen;
        for (const CSection& s : m_sections) {
            if (!seen.insert(s.m_strMaterial).second) continue;
            CMateList m;
            if (alu) GetMateHandler().FindObject(m, "Aluminium", "Aluminium", "EC9", s.m_strMaterial);
            else GetMateHandler().FindObject(m, "Stahl", "Baustahl", GetNormName(norm, m_matBB), s.m_strMaterial);
            auto value = [&](const char* key) { return report_text::ParseNumber(m.GetPropertyValue(key)); };
            const double gm = value("gamma_m");
            const bool larger = alu || norm == 8 || norm == 31;
            const int r = t.AddRow();
            t.SetTextCell(r, 0, s.m_strMaterial, kRtfLeft);
            t.SetDoubleCell(r, 1, value("E"), "", 0, 1, kRtfRight);
            t.SetDoubleCell(r, 2, value("G"), "", 0, 1, kRtfRight);
            t.SetDoubleCell(r, 3, value(alu ? "fo" : "fyk"), "", 0, 1, kRtfRight);
            t.SetDoubleCell(r, 4, value("alpha_t"), "", 1, 2, kRtfRight);
            t.SetDoubleCell(r, 5, larger ? std::max(gm, value("gamma_m1")) : gm, "", 0, 2, kRtfRight);
            t.SetDoubleCell(r, 6, std::max(gm, value("gamma_ma1")), "", 0, 2, kRtfRight);
            t.SetDoubleCell(r, 7, value("gamma"), "", 0, 1, kRtfRight);
        }
        Heading(-3, Tr("Materialwerte"));
        t.WriteRtf();
    }
}

void CModuleData::WriteRtfHinges() {
    if (!IsRtfOptionSet(6) || m_hinges.empty()) return;
    Heading(-3, Tr("Momenten- und Querkraftgelenke"));
    WriteRtfAnnotation(5);
    WriteHingeTable(*this, report_text::kAreaMember, kRtfLeft);
}

void CModuleData::WriteRtfBeddingsAndSprings() {
    // Stiffness cell of a bedding or spring: "-" for 0, else exponent form.
    auto stiff = [](CRtfTable& t, int r, int c, const CFormulaValue& v) {
        const double d = v.GetValue();
        if (d == 0.0) t.SetTextCell(r, c, "-", kRtfRight);
        else t.SetDoubleCell(r, c, d, "", 1, 3, kRtfRight);
    };
    if (IsRtfOptionSet(5)) {
        CRtfTable t;
        t.SetSize(2, 8, 16.0);
        HeaderRow(t, 0, {"Von x=", "Länge", "ey", "ez", "Cx", "CMx", "Cy", "Cz"});
        HeaderRow(t, 1, {"[m]", "[m]", "[cm]", "[cm]", "[kN/m/m]", "[kN/rad/m]", "[kN/m/m]", "[kN/m/m]"}, false);
        t.SetTextCell(1, 0, "[m]", kRtfHeader);
        for (const CSupport& s : m_springs) {
            if (s.m_length.GetValue() == 0.0) continue;
            const int r = t.AddRow();
            t.SetDoubleCell(r, 0, GetFieldStart(s.m_iNode) + s.m_posX.GetValue(), "", 0, 2, kRtfRight);
            t.SetDoubleCell(r, 1, s.m_length.GetValue(), "", 0, 2, kRtfRight);
            t.SetDoubleCell(r, 2, s.m_ey.GetValue(), "", 0, 1, kRtfRight);
            t.SetDoubleCell(r, 3, s.m_ez.GetValue(), "", 0, 1, kRtfRight);
            stiff(t, r, 4, s.m_cx);
            stiff(t, r, 5, s.m_cmx);
            stiff(t, r, 6, s.m_cy);
            stiff(t, r, 7, s.m_cz);
        }
        Heading(-3, Tr("Bettungen"));
        t.WriteRtf();
    }
    if (IsRtfOptionSet(4)) {
        CRtfTable t;
        t.SetSize(2, 5, 10.0);
        HeaderRow(t, 0, {"Bei x=", "ey", "ez", "Cy", "Cz"});
        HeaderRow(t, 1, {"[m]", "[cm]", "[cm]", "[kN/m]", "[kN/m]"}, false);
        t.SetTextCell(1, 0, "[m]", kRtfHeader);
        for (const CSupport& s : m_springs) {
            if (s.m_length.GetValue() != 0.0) continue;
            const int r = t.AddRow();
            t.SetDoubleCell(r, 0, GetFieldStart(s.m_iNode) + s.m_posX.GetValue(), "", 0, 2, kRtfRight);
            t.SetDoubleCell(r, 1, s.m_ey.GetValue(), "", 0, 1, kRtfRight);
            t.SetDoubleCell(r, 2, s.m_ez.GetValue(), "", 0, 1, kRtfRight);
            stiff(t, r, 3, s.m_cy);
            stiff(t, r, 4, s.m_cz);
        }
        Heading(-3, Tr("Einzelfedern"));
        t.WriteRtf();
    }
    WriteRtfAnnotation(3);
}

void CModuleData::WriteRtfImperfections() {
    const CImperfectionSettings& v = m_vorvSettings;
    CRtfTable t;
    t.SetSize(1, 2, 16.0);
    Widths(t, {70, 30});
    t.SetTextCell(0, 0, Tr("Ansatztyp der Vorverformung"), kRtfHeaderLeft);
    t.SetTextCell(0, 1, Tr("Werte"), kRtfHeaderLeft);
    std::string kind, values;
    switch (v.m_vorvType) {
        case 0:
            if (v.m_psiDirekt) {
                kind = TrF("Globale Schiefstellung, die in Richtung der gemittelten extr. Verformungen v und w "
                           "angesetzt wird: %.2lf %%",
                           v.m_psiGlobal * 100.0);
            } else {
                kind = Tr("Globale Schiefstellung in Y, in Z oder in Y und Z. Diese wird dann in allen "
                          "Lastkollektiven nach TH. II Ordnung gleich angesetzt.");
                values = TrF("psi-Y = %.2lf %%{\\par \\pard}psi-Z = %.2lf%%", v.m_psiY, v.m_psiZ);
            }
            break;
        case 1:
            if (v.m_w0Direkt) {
                kind = TrF("Globale Vorkrümmung, die in Richtung der gemittelten extr. Verformungen v und w "
                           "angesetzt wird.: %.2lf cm",
                           v.m_wGlobal);
            } else {
                kind = Tr("Globale Vorkrümmung in Y, in Z oder in Y und Z. Diese wird dann in allen "
                          "Lastkollektiven nach TH. II Ordnung gleich angesetzt.");
                values = TrF("dy0 = %.2lf cm{\\par \\pard}dz0 = %.2lf cm", v.m_v0, v.m_w0);
            }
            break;
        case 2:
            kind = Tr("Ausmitte affin zur Knickfigur mit dem niedrigsten Eigenwert. Diese wird für jedes "
                      "Lastkollektiv  nach TH. II Ordnung neu berechnet.");
            if (v.m_ausmitteDirekt)
                values = TrF("Bei x = %.2lf m{\\par \\pard}Ausmitte = %.2lf cm", GetFieldStart(v.m_ausmitteKnoten),
                             v.m_ausmitteGlobal);
            else
                values = TrF("Ausmitte = %.2lf cm", v.m_ausmitte);
            break;
        default:
            break;
    }
    if (!kind.empty()) {
        const int r = t.AddRow();
        t.SetTextCell(r, 0, kind, kRtfLeft);
        t.SetTextCell(r, 1, values, kRtfLeft);
    }
    Heading(-3, Tr("Art der Vorverformungen"));
    WriteRtfAnnotation(4);
    t.WriteRtf();
}

namespace {

// The element that carries a stored protocol: the given one, or its
// "rtfFiles" child where the load-combination settings keep their files.
ZVELEM ProtocolElement(ZVELEM root, const char* attribute) {
    if (!root) return 0;
    if (ZEVUD_GetBinDataLength(root, attribute) > 0) return root;
    ZVELEM files = ZEVUD_FindFirstChild(root, "rtfFiles");
    return files && ZEVUD_GetBinDataLength(files, attribute) > 0 ? files : 0;
}

}  // namespace

void CModuleData::WriteRtfActions(ZVELEM root) {
    if (!IsRtfOptionSet(7)) return;
    ZVELEM e = ProtocolElement(root, "lastueberlagerung_gammaPsi");
    if (!e) return;
    if (m_calcSettings.m_bNoGammaPsi) Heading(-3, Tr("Lastüberlagerung mit gamma=psi=1.0"));
    else {
        // The combination norm by its title with the national annex; a norm
        // without a title leaves the heading without "gem.".
        char title[128] = "";
        const char* name = CLKData::NormName(LK().GetNorm());
        if (name) COMBOR_GetNormTitle(name, title, sizeof title);
        Heading(-3, title[0] ? TrF("Einwirkungen gem. %s", std::string(title)) : Tr("Einwirkungen"));
    }
    report_text::AppendStoredRtf(e, "lastueberlagerung_gammaPsi");
}

void CModuleData::WriteRtfCombinations(ZVELEM root) {
    ZVELEM e = ProtocolElement(root, "lastueberlagerung_kombRegeln");
    if (e && IsRtfOptionSet(9)) {
        Heading(-3, Tr(m_calcSettings.m_bNoGammaPsi ? "Lastfallkombinationen mit gamma=psi=1.0" : "Lastfallkombinationen"));
        report_text::AppendStoredRtf(e, "lastueberlagerung_kombRegeln");
    }
    if (!IsRtfOptionSet(10)) return;
    Heading(-3, Tr("Relevante Lastfallkombinationen"));
    CRtfTable t;
    t.SetSize(1, 3, 16.0);
    Widths(t, {10, 20, 130});
    t.SetTextCell(0, 0, Tr("Nr"), kRtfHeaderLeft);
    t.SetTextCell(0, 1, Tr("Art"), kRtfHeaderLeft);
    t.SetTextCell(0, 2, Tr("Lastfallkombination"), kRtfHeaderLeft);
    const auto& combis = LK().m_combinations;
    auto rows = [&](const std::vector<int32_t>& flags, int maxIndex) {
        for (size_t i = 0; i < flags.size() && i < combis.size(); ++i) {
            if (!flags[i]) continue;
            const CCombinationRecord& k = combis[i];
            const int flag = static_cast<int>(i) == maxIndex ? (kRtfLeft | kRtfBold) : kRtfLeft;
            const int r = t.AddRow();
            t.SetTextCell(r, 0, std::to_string(i + 1), flag);
            t.SetTextCell(r, 1, k.m_strType, flag);
            t.SetTextCell(r, 2, !k.m_strRuleUser.empty() ? k.m_strRuleUser : k.m_strRule, flag);
        }
    };
    rows(m_tragSVRelKol, m_tragSVMaxLK);
    rows(m_gebrRelKol, m_gebrMaxLK + m_gebrKolOffset);
    t.WriteRtf();
}

std::string CModuleData::GetActionLabel(int action) {
    const auto& actions = LK().m_actions;
    if (action < 0 || action >= static_cast<int>(actions.size())) return {};
    const CActionRecord& a = actions[static_cast<size_t>(action)];
    std::vector<std::string> groups;
    LK().GetGroupNames(groups);
    std::string type, sub;
    if (a.m_nGroup >= 0 && a.m_nGroup < static_cast<int>(groups.size())) {
        type = groups[static_cast<size_t>(a.m_nGroup)];
        if (a.m_nGroup != 0 && a.m_nGroup != 3) {
            std::vector<std::string> cats;
            LK().GetCategoryNames(type, cats);
            if (a.m_nCategory >= 0 && a.m_nCategory < static_cast<int>(cats.size()))
                sub = Tr(cats[static_cast<size_t>(a.m_nCategory)]);
        }
    }
    if (sub.empty()) return report_text::FormatRaw("%d: %s", a.m_nNumber, Tr(type));
    return report_text::FormatRaw("%d: %s, %s", a.m_nNumber, Tr(type), sub);
}

// ---- loads ---------------------------------------------------------------------------

namespace {

struct LoadColumn {
    const char* title;  // may hold one %c for the direction letter
    const char* unit;
    int digits;
};

}  // namespace

void CModuleData::WriteRtfLoads() {
    if (!IsRtfOptionSet(8)) return;
    auto isSelfWeightIn = [](const CLoadDef& l, int dir) {
        return l.m_iLoadType == LOAD_SELF_WEIGHT && std::fabs(l.m_val[1 + dir].GetValue()) > 0.0001;
    };
    auto inDirection = [&](const CLoadDef& l, int dir) {
        if (l.m_iLoadType == LOAD_SELF_WEIGHT) return isSelfWeightIn(l, dir);
        if (l.m_iLoadType == LOAD_LINE_MOMENT || l.m_iLoadType == LOAD_LINE_MOMENT_TRAPEZOID) return dir == 0;
        return l.m_iDirection == dir;
    };
    bool annotated = false;
    for (int dir : {2, 1, 0}) {
        const char letter = static_cast<char>('X' + dir);
        bool any = false;
        for (const CLoadDef& l : m_loads) any = any || inDirection(l, dir);
        if (!any) continue;
        Heading(-3, TrF("Belastung in %c-Richtung", letter));
        if (!annotated) {
            WriteRtfAnnotation(6);
            annotated = true;
        }
        // One sub-table per load kind: its types, heading and value columns.
        struct Kind {
            std::vector<int> types;
            const char* heading;
            std::vector<LoadColumn> cols;
        };
        const std::vector<Kind> kinds = {
            {{0, 1}, "Linienlasten",
             {{"Von x=", "[m]", 2}, {"Länge", "[m]", 2}, {"ey", "[cm]", 1}, {"ez", "[cm]", 1},
              {"P(Anfang)", "[kN/m]", 2}, {"P(Ende)", "[kN/m]", 2}}},
            {{10}, "Einzellasten und Momente",
             {{"Bei x=", "[m]", 2}, {"ey", "[cm]", 1}, {"ez", "[cm]", 1}, {"P%c", "[kN]", 2}, {"M%c", "[kNm]", 2}}},
            {{4}, "Temperaturlasten",
             {{"Von x=", "[m]", 2}, {"Länge", "[m]", 2}, {"T(-%c)", "[°]", 2}, {"T(+%c)", "[°]", 2}}},
            {{6, 7}, "Linienmomente",
             {{"Von x=", "[m]", 2}, {"Länge", "[m]", 2}, {"Mx(Anf.)", "[kNm/m]", 2}, {"Mx(Ende)", "[kNm/m]", 2}}},
            {{5}, "Auflagerzwangsverformung", {{"Bei x=", "[m]", 2}, {"d%c", "[cm]", 2}}},
            {{11}, "Eigengewicht",
             {{"Von x=", "[m]", 2}, {"Länge", "[m]", 2}, {"P(Anfang)", "[kN/m]", 3}, {"P(Ende)", "[kN/m]", 3},
              {"Gewicht", "[kN]", 2}}},
        };
        for (const Kind& kind : kinds) {
            const int cols = 2 + static_cast<int>(kind.cols.size());
            CRtfTable t;
            t.SetSize(2, cols, 16.0);
            t.SetTextCell(0, 0, Tr("Lastfall"), kRtfHeaderLeft);
            t.SetTextCell(0, 1, Tr("Lasttext"), kRtfHeaderLeft);
            t.SetTextCell(1, 0, "", kRtfHeaderLeft);
            t.SetTextCell(1, 1, "", kRtfHeaderLeft);
            for (size_t c = 0; c < kind.cols.size(); ++c) {
                const std::string title = report_text::FormatRaw(Tr(kind.cols[c].title), letter);
                t.SetTextCell(0, 2 + static_cast<int>(c), title, kRtfHeader);
                t.SetTextCell(1, 2 + static_cast<int>(c), kind.cols[c].unit, kRtfHeader);
            }
            auto number = [&](int r, int c, double v) {
                t.SetDoubleCell(r, c, v, "", 0, kind.cols[static_cast<size_t>(c - 2)].digits, kRtfRight);
            };
            // The user's loads, then the span shares the calculation made
            // (each its own load case, used by the combinations).
            std::vector<const CLoadDef*> listed;
            for (const CLoadDef& l : m_loads) listed.push_back(&l);
            for (const CLoadDef& l : m_spanShareLoads) listed.push_back(&l);
            for (const CLoadDef* lp : listed) {
                const CLoadDef& l = *lp;
                const bool share = lp >= m_spanShareLoads.data() && lp < m_spanShareLoads.data() + m_spanShareLoads.size();
                bool match = false;
                for (int type : kind.types) match = match || l.m_iLoadType == type;
                if (!match || !inDirection(l, dir)) continue;
                const double x = GetFieldStart(l.m_iNode) + l.m_offset.GetValue();
                if (l.m_iLoadType == LOAD_SELF_WEIGHT) {
                    const double factor = l.m_val[1 + dir].GetValue();
                    for (size_t f = 0; f < m_sections.size(); ++f) {
                        CSection& s = m_sections[f];
                        const SektGqs a = report_text::SectionGrossValues(s, 0);
                        const SektGqs e = report_text::SectionGrossValues(s, 1);
                        const double len = f + 1 < m_fieldLengths.size() ? m_fieldLengths[f + 1].GetValue() : 0.0;
                        const double qa = a.A * s.m_gamma * factor * 0.0001, qe = e.A * s.m_gamma * factor * 0.0001;
                        const int r = t.AddRow();
                        t.SetIntCell(r, 0, l.m_iLoadCase, kRtfLeft, "%ld");
                        t.SetTextCell(r, 1,
                                      report_text::FormatRaw(Tr("Feld %ld %s (\\f2 g\\f1 =%.1lf)"),
                                                             static_cast<long>(f + 1), s.m_profName, s.m_gamma),
                                      kRtfLeft);
                        number(r, 2, EntryX(m_fieldLengths, static_cast<int>(f)));
                        number(r, 3, len);
                        number(r, 4, qa);
                        number(r, 5, qe);
                        number(r, 6, (qa + qe) * 0.5 * len);
                    }
                    continue;
                }
                const int r = t.AddRow();
                if (share) {
                    CNumberList cases = l.m_LCGen;
                    cases.Parse();
                    t.SetIntCell(r, 0, cases.m_numbers.empty() ? l.m_iLoadCase : cases.m_numbers.front(), kRtfLeft, "%ld");
                    t.SetTextCell(r, 1, TrF("Feldanteil: %s", l.m_strDesc), kRtfLeft);
                } else {
                    t.SetIntCell(r, 0, l.m_iLoadCase, kRtfLeft, "%ld");
                    t.SetTextCell(r, 1, l.m_strDesc, kRtfLeft);
                }
                const double v0 = l.m_val[0].GetValue(), v1 = l.m_val[1].GetValue();
                switch (l.m_iLoadType) {
                    case LOAD_UNIFORM:
                    case LOAD_TRAPEZOID:
                        number(r, 2, x);
                        number(r, 3, l.m_length.GetValue());
                        number(r, 4, l.m_ey.GetValue());
                        number(r, 5, l.m_ez.GetValue());
                        number(r, 6, v0);
                        number(r, 7, l.m_iLoadType == LOAD_UNIFORM ? v0 : v1);
                        break;
                    case LOAD_POINT_FORCE_MOMENT:
                        number(r, 2, x);
                        number(r, 3, l.m_ey.GetValue());
                        number(r, 4, l.m_ez.GetValue());
                        number(r, 5, v0);
                        number(r, 6, v1);
                        break;
                    case LOAD_TEMPERATURE:
                    case LOAD_LINE_MOMENT:
                    case LOAD_LINE_MOMENT_TRAPEZOID:
                        number(r, 2, x);
                        number(r, 3, l.m_length.GetValue());
                        number(r, 4, v0);
                        number(r, 5, l.m_iLoadType == LOAD_LINE_MOMENT ? v0 : v1);
                        break;
                    case LOAD_IMPOSED_DEFORMATION:
                        number(r, 2, x);
                        number(r, 3, v0);
                        break;
                    default:
                        break;
                }
            }
            if (t.GetRowCount() <= 2) continue;  // no rows: no heading, no table
            Heading(-4, Tr(kind.heading));
            t.WriteRtf();
        }
    }
}
