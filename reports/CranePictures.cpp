// Crane-runway report: the diagrams of the result series along the girder
// and the pictures of the system and of the cross-sections, drawn on the
// report's hidden 2-D graph and embedded as metafiles.
#include <algorithm>
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
