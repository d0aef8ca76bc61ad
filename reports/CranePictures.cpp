// Crane-runway report: the diagrams of the result series along the girder
// and the pictures of the system and of the cross-sections, drawn on the
// report's hidden 2-D graph and embedded as metafiles.
#include <algorithm>
#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "graphics/core/Kurvo.h"
#include "module/ModuleData.h"
#include "platform/zadevoz/zadevoz.h"
#include "reports/CraneReport.h"
#include "reports/MemberReport.h"
#include "reports/ReportText.h"

namespace {

using report_text::kAreaCrane;

std::string Tr(const std::string& text) { return report_text::Translate(kAreaCrane, text); }

template <class... A>
std::string TrF(const std::string& format, const A&... args) {
    return report_text::Format(kAreaCrane, format, args...);
}

// One family of diagrams: the path format, the series names and the option
// of each name as an offset from the family's first option.
struct DiagramFamily {
    const char* format;
    std::vector<const char*> names;
    bool translated;
    std::vector<int> offsets;
};

const DiagramFamily kForceDiagrams{"%s\\Schnittgrößen\\%s", {"N", "Vy", "Vz", "Mx", "My", "Mz", "Mw"}, false,
                                   {0, 1, 2, 3, 4, 5, 6}};
const DiagramFamily kStressDiagrams{"%s\\Spannungen\\%s",
                                    {"Min SigmaX", "Max SigmaX", "TauXZ", "SigmaV", "Ausnutzung"},
                                    true,
                                    {0, 0, 1, 2, 3}};
const DiagramFamily kPointDiagrams{"%s\\%s",
                                   {"SigmaX", "SigmaX(delta)", "TauXZ", "TauXZ(delta)", "SigmaZ(Rad)", "SigmaX(Rad)",
                                    "SigmaY(Rad)", "TauXZ(Rad)", "SigmaV", "Schweißnaht Ausnutzung", "Ausnutzung"},
                                   true,
                                   {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}};
const DiagramFamily kDeformationDiagrams{"%s\\Verformung\\%s",
                                         {"Y-Richtung\\wy", "Y-Richtung\\wy(Rad)", "Y-Richtung\\Ausnutzung wy",
                                          "Y-Richtung\\Delta wy", "Y-Richtung\\Ausnutzung Delta wy", "Z-Richtung\\wz",
                                          "Z-Richtung\\Ausnutzung wz", "Z-Richtung\\Delta wz",
                                          "Z-Richtung\\Ausnutzung(Brücke) Delta wz",
                                          "Z-Richtung\\Ausnutzung(Träger) Delta wz"},
                                         true,
                                         {0, 0, 2, 1, 2, 3, 5, 4, 5, 5}};
const DiagramFamily kSupportDiagrams{"%s\\Auflagerreaktion\\%s", {"Ax", "Ay", "Az", "AMx", "AMy", "AMz"}, true,
                                     {0, 1, 2, 3, 4, 5}};
const DiagramFamily kBeddingDiagrams{"%s\\Bettungsreaktion\\%s", {"By", "Bz", "BMx"}, true, {0, 1, 2}};
const DiagramFamily kSpringDiagrams{"%s\\Einzelfederreaktion\\%s", {"Ay", "Az"}, true, {0, 1}};

void InsertDiagrams(CModuleData& d, const DiagramFamily& family, const std::string& prefix, CKurvo2D* graph,
                    int first, int level) {
    for (size_t i = 0; i < family.names.size(); ++i) {
        if (!d.IsCraneRtfOptionSet(first + family.offsets[i])) continue;
        const std::string name = family.translated ? Tr(family.names[i]) : std::string(family.names[i]);
        d.InsertGraphPicture(graph, TrF(family.format, prefix, name), 0, 0, 0, 0, 0, level);
    }
}

}  // namespace

void CModuleData::InsertCraneForceDiagrams(const std::string& prefix, CKurvo2D* graph, int first) {
    InsertDiagrams(*this, kForceDiagrams, prefix, graph, first, 0);
}
void CModuleData::InsertCraneStressDiagrams(const std::string& prefix, CKurvo2D* graph, int first) {
    InsertDiagrams(*this, kStressDiagrams, prefix, graph, first, 0);
}
void CModuleData::InsertCranePointDiagrams(const std::string& prefix, CKurvo2D* graph, int option) {
    InsertDiagrams(*this, kPointDiagrams, prefix, graph, option, 1);
}
void CModuleData::InsertCraneDeformationDiagrams(const std::string& prefix, CKurvo2D* graph, int first) {
    InsertDiagrams(*this, kDeformationDiagrams, prefix, graph, first, 0);
}
void CModuleData::InsertCraneSupportDiagrams(const std::string& prefix, CKurvo2D* graph, int first) {
    InsertDiagrams(*this, kSupportDiagrams, prefix, graph, first, 0);
}
void CModuleData::InsertCraneBeddingDiagrams(const std::string& prefix, CKurvo2D* graph, int first) {
    InsertDiagrams(*this, kBeddingDiagrams, prefix, graph, first, 0);
}
void CModuleData::InsertCraneSpringDiagrams(const std::string& prefix, CKurvo2D* graph, int first) {
    InsertDiagrams(*this, kSpringDiagrams, prefix, graph, first, 0);
}

// ---- the pictures ----------------------------------------------------------------------

int CModuleData::GetMostUtilisedCranePosition() const {
    int best = 0;
    double largest = -1e300;
    for (int c = 0; c < kCraneChecks; ++c) {
        if (!m_craneSettings.m_checkEnabled[c]) continue;
        int pos = 0, info = 0;
        double value = 0.0, x = 0.0;
        if (!m_summaries[c].GetAt(1, 33, pos, value, x, info) || !std::isfinite(value)) continue;
        if (value > largest) {
            largest = value;
            best = pos;
        }
    }
    return std::max(best, 0);
}

void CModuleData::WriteCraneSystemPicture(CKurvo2D* graph, int a, int b, int c, int d, int position) {
    if (!graph) return;
    m_nCurCranePos = position < 0 ? GetMostUtilisedCranePosition() : position;
    SetCurrentCranePosition();
    std::vector<bool> views;  // plan?
    if (NeedsPlanView(false)) views.push_back(true);
    views.push_back(false);
    for (bool plan : views) {
        DrawReportSystemView(*graph, plan);
        report_text::InsertGraph(*graph, -3, TrF("Ansicht %s-Ebene", plan ? "XY" : "XZ"), a, b, c, d);
    }
}

void CModuleData::WriteCraneSectionPictures(CKurvo2D* graph, int a, int b, int c, int d) {
    if (!graph) return;
    const std::vector<ProfileEntry> profiles = CollectProfiles(m_sections);
    double maxWidth = 0.0, maxHeight = 0.0;
    GetMaxSectionExtents(maxWidth, maxHeight);
    // The outlines are drawn in cm, each in a cell a quarter wider than the
    // largest extent, so that neighbours keep a gap.
    const double cell = 125.0 * std::max(maxWidth, maxHeight);
    const bool railOnTop = m_craneSettings.m_craneTyp == 0 && !m_rail.m_sObj.empty();
    std::string title;
    double offset = 0.0;
    for (size_t k = 0; k < profiles.size(); ++k) {
        if (k % 4 == 0) {
            graph->Method1();
            graph->Method34(0, 0, 200.0, 50.0);
            graph->Method35(0, 0, 3, 0);
            title = Tr("Profil:");
            offset = 0.0;
        }
        const ProfileEntry& p = profiles[k];
        graph->Method39(offset, 0, 1, 0, 0, 1);
        offset += m_sections[p.section].DrawOutline(*graph, cell, &m_rail, m_craneSettings.m_craneTyp, p.end);
        graph->Method15();
        title += " '" + p.name + (railOnTop ? " + " + m_rail.m_sObj : std::string()) + "'";
        if ((k + 1) % 4 != 0 && k + 1 != profiles.size()) continue;
        // The numbered plates of the first section (in m, centred on the
        // section) to the right, scaled to cm with the tops level.
        graph->Method39(offset + 0.5 * cell, -50.0 * maxHeight, 100.0, 0, 0, 100.0);
        GetSectionPlatesOutline(*graph, 0, 1.0, 1.0);
        graph->Method39(0, 0, 1, 0, 0, 1);
        graph->Method34(0, 0, 0, 0);
        graph->Method15();
        report_text::InsertGraph(*graph, -3, title, a, b, c, d);
    }
}
