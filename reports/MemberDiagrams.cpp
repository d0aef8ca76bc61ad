// The pictures of the member-design report: one diagram per stored result
// series (shared with the crane report), the system pictures of the input
// chapter and the section values of the profiles.
#include <algorithm>
#include <cstdint>
#include <cmath>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "graphics/core/Kurvo.h"
#include "input/SectProfile.h"
#include "input/StdProfile.h"
#include "module/ModuleData.h"
#include "platform/winsys/winsys.h"
#include "platform/zadevoz/zadevoz.h"
#include "platform/zidezaz/proofs.h"
#include "reports/MemberReport.h"
#include "reports/ReportText.h"

namespace fs = std::filesystem;

namespace report_text {

bool InsertGraph(CKurvo2D& graph, int headingStyle, const std::string& heading, int a, int b, int c, int d) {
    // The report's own picture control: its metafile is made from a copy of
    // the picture on the report's picture thread while the report goes on
    // with the next picture, and stands at this place. Another control
    // writes it to a file of its own (several reports may be written side by
    // side, and a fixed name in the working folder would be shared), which is
    // embedded and removed.
    if (const auto* own = dynamic_cast<const kurvo::Graph2D*>(graph.GetControl())) {
        std::shared_ptr<const kurvo::Graph2D> copy = own->Snapshot();
        if (!heading.empty()) zadevoz::RtfWriteText(headingStyle, heading);
        return zadevoz::RtfInsertPictureMade(
                   [copy] {
                       std::vector<uint8_t> bytes;
                       copy->MetafileBytes(bytes);
                       return std::string(bytes.begin(), bytes.end());
                   },
                   a, b, false, "result.emf") == 1;
    }
    const fs::path file = winsys::UniqueTempFile("result", ".emf");
    if (file.empty()) return false;
    graph.Method38(file.string().c_str());
    if (!heading.empty()) zadevoz::RtfWriteText(headingStyle, heading);
    const bool ok = zadevoz::RtfInsertPicture(file.string(), 0, a, b, c, d) == 1;
    std::error_code ec;
    fs::remove(file, ec);
    return ok;
}

}  // namespace report_text

double CModuleData::GetMemberLength() const {
    double L = 0.0;
    for (const CFormulaValue& f : m_fieldLengths) L += f.GetValue();
    return L;
}

double CModuleData::DiagramFactor(const CResultSet& set, double memberLength) {
    const double range = static_cast<double>(set.m_max) - static_cast<double>(set.m_min);
    if (std::isfinite(range) && range > 1e-12) return (memberLength / 6.0) / range;
    if (set.IsAllZero()) return 1.0;
    // A constant series: its height is the value itself.
    const double magnitude = std::max(std::fabs(static_cast<double>(set.m_max)), std::fabs(static_cast<double>(set.m_min)));
    return (memberLength / 6.0) / std::max(std::isfinite(magnitude) ? magnitude : 0.0, 1e-12);
}

void CModuleData::InsertGraphPicture(CKurvo2D* graph, const std::string& path, int a, int b, int c, int d, int noTitle,
                                     int level) {
    const CResultSet* stored = FindResultSet(path);
    if (!stored || !graph) return;
    // The diagram is drawn from a copy: the labels' point marks and the scale
    // belong to the picture, not to the stored series (its point indices
    // name the collectives of the result tables).
    CResultSet r = *stored;
    const std::vector<double> points = CollectOutputPoints({stored});
    const int n = r.NumPoints(), fpp = CResultSet::FloatsPerPoint(r.m_type);
    r.m_poi.assign(static_cast<size_t>(std::max(n, 0)), 0);
    for (int i = 0; i < n; ++i) {
        const double x = r.m_data[static_cast<size_t>(i * fpp)];
        for (double p : points)
            if (std::fabs(p - x) <= 0.0001) r.m_poi[static_cast<size_t>(i)] = 1;
    }
    r.m_factor = static_cast<float>(DiagramFactor(r, GetMemberLength()));
    r.m_yOffset = 0.0f;
    r.m_bRead = 0;
    graph->Method1();
    graph->Method34(0, 0, 0, 0);
    r.DrawDiagram(*graph);
    r.m_bRead = 1;
    graph->Method34(0, 0, 0, 0);
    graph->Method15();
    report_text::InsertGraph(*graph, -5 - level, noTitle ? std::string() : report_text::PlainToRtf(r.m_strTitle), a,
                             b, c, d);
}

// ---- system pictures --------------------------------------------------------------

bool CModuleData::NeedsPlanView(bool withLoads) const {
    for (const CSupport& s : m_supports)
        if (s.m_cy.Differs(s.m_cz) || s.m_cmy.Differs(s.m_cmz)) return true;
    if (withLoads)
        for (const CLoadDef& l : m_loads)
            if (l.m_iDirection == 1) return true;
    for (const CSupport& s : m_springs)
        if (s.m_cy.GetValue() != 0.0) return true;
    return false;
}

void CModuleData::WriteRtfSystemPictures(CKurvo2D* graph, int a, int b, int c, int d) {
    if (!graph) return;
    // The plan (XY) first when it shows something, then the elevation (XZ).
    std::vector<bool> views;
    if (NeedsPlanView()) views.push_back(true);
    views.push_back(false);
    for (bool plan : views) {
        DrawReportSystemView(*graph, plan);
        report_text::InsertGraph(*graph, -3,
                                 report_text::Format(report_text::kAreaMember, "Ansicht %s-Ebene", plan ? "XY" : "XZ"),
                                 a, b, c, d);
    }
}

// ---- section values ----------------------------------------------------------------

void CModuleData::WriteRtfSectionValues() {
    zadevoz::RtfWriteText(-3, "Querschnittswerte");
    std::set<std::string> written;
    const std::string sectionFile = GetSectionFile();
    for (CSection& s : m_sections) {
        for (int end = 0; end < (s.m_bVoute ? 2 : 1); ++end) {
            const std::string key = s.GetProfileKey(end);
            if (key.empty() || !written.insert(key).second) continue;
            const std::string name = end ? s.m_profName2 : s.m_profName;
            // The profile as the calculation knows it: from the position's
            // section file, else the user's own profile or the catalogue's.
            CSectProfile loaded;
            int handle = -1;
            std::error_code ec;
            if (!sectionFile.empty() && fs::is_regular_file(sectionFile, ec) &&
                loaded.LoadFromDatabase(sectionFile.c_str(), "", key.c_str()) >= 0)
                handle = loaded.GetHandle();
            else if (s.m_profSelType != 0)
                handle = (end ? s.m_profile2 : s.m_profile).GetHandle();
            else if (s.m_iFamily >= 0 && (end ? s.m_iProfile2 : s.m_iProfile) >= 0) {
                const fs::path tmp = winsys::UniqueTempFile("profile", ".skw");
                fs::remove(tmp, ec);
                if (!tmp.empty() &&
                    GetStdProfile().CopyProfileToDatabase(s.m_iFamily, end ? s.m_iProfile2 : s.m_iProfile, tmp.string(),
                                                          "", 1) >= 0 &&
                    loaded.LoadFromDatabase(tmp.string().c_str(), "", name.c_str()) >= 0)
                    handle = loaded.GetHandle();
                fs::remove(tmp, ec);
            }
            double work[ZAZ_SECTION_VALUE_COUNT] = {};
            if (handle > 0)
                ZAZUZER_WriteSectionValues(handle, -1, ("\\b " + report_text::PlainToRtf(name) + "\\b0").c_str(), 0, 0,
                                           work);
            zadevoz::RtfWriteText(0, "");
        }
    }
}
