// The crane-runway report: the export that the host and the crane
// calculation call, the document set-up (file, header, variable listing),
// the chapters in their fixed order and the appendix files of the crane
// positions the user chose.
#include "crane/CraneOperations.h"
#include "reports/CraneReport.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "crane/CraneRun.h"
#include "crane/RunPreparation.h"
#include "graphics/core/Kurvo.h"
#include "graphics/core/ProgressDlg.h"
#include "module/ModuleData.h"
#include "module/frame/ModuleState.h"
#include "module/frame/RegSettings.h"
#include "module/frame/SideFiles.h"
#include "module/frame/Utilities.h"
#include "platform/winsys/winsys.h"
#include "platform/zadevoz/zadevoz.h"
#include "reports/DesignVerdict.h"
#include "reports/MemberReport.h"
#include "reports/ReportText.h"
#include "reports/RtfTable.h"

namespace {

using report_text::kAreaCrane;

std::string Tr(const std::string& text) { return report_text::Translate(kAreaCrane, text); }

template <class... A>
std::string TrF(const std::string& format, const A&... args) {
    return report_text::Format(kAreaCrane, format, args...);
}

void Heading(int style, const std::string& text) { zadevoz::RtfWriteText(style, text); }

// The options of one result kind in one check: the table option and the
// range of its diagram options (-1 where the check has none).
struct KindOptions {
    int table, first, last;
};
constexpr KindOptions kForces[5] = {{0, 4, 10}, {0, 4, 10}, {0, 4, 10}, {21, 24, 30}, {41, 43, 49}};
constexpr KindOptions kStresses[5] = {{1, 11, 14}, {1, 11, 14}, {1, 11, 14}, {22, 31, 34}, {-1, -1, -1}};
constexpr KindOptions kPointStresses[5] = {{2, 11, 14}, {2, 11, 14}, {2, 11, 14}, {22, 31, 34}, {42, 50, 53}};
constexpr KindOptions kDeformations = {23, 35, 40};
constexpr KindOptions kSupports = {3, 15, 20};
constexpr int kFatigueDetailOption = 54;

const std::vector<int> kEnvelope{0, 1};
const std::vector<int> kBucklingEnvelope{2, 3};

}  // namespace

// ---- small pieces ---------------------------------------------------------------------

bool IsPathOfCranePosition(const std::string& path, int n) { return n >= 1 && PositionOfTitle(path) == n - 1; }

std::string CraneReportHeader(const std::string& name, const std::string& title, const std::string& version,
                              const std::string& freeText, bool french) {
    std::string h = "Name=" + name;
    h += '\0';
    h += french ? std::string("nologo") : "Titel=" + title;
    h += '\0';
    h += "Version=" + version;
    h += '\0';
    h += "@T=" + freeText;
    h += '\0';
    h += '\0';
    return h;
}

std::string CraneDesignCodes(int countryCode) {
    // The crane actions and their combinations follow EN 1991-3 with EN 1990,
    // the runway's checks EN 1993-6, fatigue EN 1993-1-9 and plate buckling
    // EN 1993-1-5; the national annex is the one of the combination norm
    // (German "EC_NAD" for country code 0, French "EC_NAF" otherwise).
    return countryCode == 0
               ? Tr("Nachweise nach DIN EN 1991-3, DIN EN 1993-6, DIN EN 1993-1-9 und DIN EN 1993-1-5, jeweils mit "
                    "Nationalem Anhang Deutschland")
               : Tr("Nachweise nach NF EN 1991-3, NF EN 1993-6, NF EN 1993-1-9 und NF EN 1993-1-5, jeweils mit "
                    "Nationalem Anhang Frankreich");
}

std::string CraneAppendixFileName(const std::string& rtf, int n) {
    const std::string stem = rtf.size() >= 4 ? rtf.substr(0, rtf.size() - 4) : rtf;
    return stem + report_text::FormatRaw(".KS%03ld", static_cast<long>(n)) + ".rtf";
}

bool CModuleData::IsCraneRtfOptionSet(int option) const {
    return option >= 0 && option < static_cast<int>(m_craneRtfOptions.size()) &&
           m_craneRtfOptions[static_cast<size_t>(option)] != 0;
}

bool CModuleData::AnyCraneRtfOption(int first, int last) const {
    for (int o = std::max(first, 0); o <= last; ++o)
        if (IsCraneRtfOptionSet(o)) return true;
    return false;
}

// ---- the chapters -----------------------------------------------------------------------

namespace {

// The envelope table of crane pass k (-1: all cranes) of check c.
const CResultTable& PassTable(const CModuleData& d, int c, int k) {
    return k < 0 ? d.m_craneResults[c] : d.m_fatResults[k];
}

// The crane passes of a check: all cranes, and for the fatigue check with
// more than one crane each crane on its own.
std::vector<int> CranePasses(const CModuleData& d, int c) {
    std::vector<int> passes{-1};
    const int n = static_cast<int>(std::min<size_t>(d.m_cranes.size(), 3));
    if (c == 4 && n > 1)
        for (int k = 0; k < n; ++k) passes.push_back(k);
    return passes;
}

// The diagram prefix of crane pass k: the check's name, with "\Vadu <k+1>"
// for a single crane's pass.
std::string CranePrefix(const std::string& check, int k) {
    return k < 0 ? check : check + TrF("\\Vadu %ld", static_cast<long>(k + 1));
}

}  // namespace

void CModuleData::WriteCraneReportBody(CKurvo2D* graph, CProgressDlg* progress) {
    const CCraneSettings& s = m_craneSettings;
    auto progressText = [&](const std::string& text) {
        if (!progress) return;
        progress->SetText(text);
        progress->StepIt();
    };
    if (s.m_craneTyp == 0)
        Heading(0, Tr("Berechnung eines Brückenlaufkrans"));
    else if (s.m_bSecondBeam)
        Heading(0, Tr("Berechnung eines Brückenhängekrans (Lasteinleitung am Unterflansch)"));
    else
        Heading(0, Tr("Berechnung eines Katzbahnträgers (Lasteinleitung am Unterflansch)"));
    Heading(0, CraneDesignCodes(m_info.m_nCountryCode));

    // The variable listing stored by the calculation, after text slot 0.
    ZVELEM root = m_hDoc ? ZEVUD_GetRootElement(m_hDoc) : 0;
    ZVELEM rtfFiles = root ? ZEVUD_FindFirstChild(root, "rtfFiles") : 0;
    if (!rtfFiles) {
        WriteRtfAnnotation(0);
    } else if (ZEVUD_GetBinDataLength(rtfFiles, "vardef") > 0) {
        WriteRtfAnnotation(0);
        report_text::AppendStoredRtf(rtfFiles, "vardef");
    }

    // Input.
    Heading(-2, Tr("System und Lasten"));
    WriteCraneSystemPicture(graph, 0, 0, 0, 0, -1);
    WriteRtfAnnotation(1);
    WriteRtfAnnotation(2);
    WriteSupports();
    WriteHinges();
    WriteBeddingsAndSprings();
    WriteCraneSectionPictures(graph, 0, 0, 0, 0);
    WriteSections();
    WriteCranes();
    WriteNotchCases();
    WriteLoadProtocol();
    WriteLoadSuperposition();
    if (s.m_LTBEnabled) {
        Heading(-3, Tr("Biegedrillknicken"));
        Heading(0, Tr("Der Nachweis des Biegedrillknickens wird durch eine Berechnung nach Biegetorsionstheorie II. "
                      "Ordnung durchgeführt."));
        if (m_inputAnnotations.size() > 9 && !m_inputAnnotations[9].empty()) Heading(0, m_inputAnnotations[9]);
    }

    // Results.
    progressText(Tr("Ergebnisse..."));
    Heading(-2, Tr("Ergebnisse"));
    Heading(-3, Tr("Zusammenfassung"));
    WriteCheckSummary(0);
    // The verdict in the words the console prints after a calculation.
    {
        const design_verdict::Verdict verdict = design_verdict::Read(root);
        for (const design_verdict::Line& line : verdict.lines) Heading(0, line.text);
        Heading(0, "\\b " + verdict.overall + "\\b0 ");
    }
    for (int c = 0; c < kCraneChecks; ++c) {
        if (!s.m_checkEnabled[c]) continue;
        std::string name;
        GetCheckName(c, name);
        progressText(name);
        Heading(-3, TrF("Ergebnisse für Nachweis '%s'", name));
        const KindOptions& forces = kForces[c];
        const bool forcesWanted = IsCraneRtfOptionSet(forces.table) || AnyCraneRtfOption(forces.first, forces.last);
        for (int k : CranePasses(*this, c)) {
            if (!forcesWanted) break;
            Heading(-4, k < 0 ? Tr("Extremale Schnittgrößen aus Kranstellungen")
                              : TrF("Extremale Schnittgrößen für Vadu Nr. %ld", static_cast<long>(k + 1)));
            if (IsCraneRtfOptionSet(forces.table)) WriteCraneInternalForceTable(PassTable(*this, c, k), kEnvelope);
            InsertCraneForceDiagrams(CranePrefix(name, k), graph, forces.first);
        }
        const KindOptions& stresses = kStresses[c];
        if (c <= 3 && (IsCraneRtfOptionSet(stresses.table) || AnyCraneRtfOption(stresses.first, stresses.last))) {
            Heading(-4, Tr("Extremale Spannungen aus Kranstellungen"));
            if (IsCraneRtfOptionSet(stresses.table)) WriteCraneStressTable(m_craneResults[c], kEnvelope);
            InsertCraneStressDiagrams(name, graph, stresses.first);
        }
        if (c == 3 && (IsCraneRtfOptionSet(kDeformations.table) ||
                       AnyCraneRtfOption(kDeformations.first, kDeformations.last))) {
            Heading(-4, Tr("Extremale Verformungen"));
            if (IsCraneRtfOptionSet(kDeformations.table)) {
                WriteServiceabilityLimits();
                WriteCraneDeformationTable(m_craneResults[c], kEnvelope);
            }
            InsertCraneDeformationDiagrams(name, graph, kDeformations.first);
        }
        const KindOptions& points = kPointStresses[c];
        if (IsCraneRtfOptionSet(points.table) || AnyCraneRtfOption(points.first, points.last)) {
            for (int k : CranePasses(*this, c)) {
                Heading(-4, k < 0 ? Tr("Extremale Spannungen an Querschnittspunkten")
                                  : TrF("Extremale Spannungen (Vadu %ld) an Querschnittspunkten",
                                        static_cast<long>(k + 1)));
                for (size_t p = 0; p < m_notchCases.size(); ++p) {
                    const CNotchCase& point = m_notchCases[p];
                    if (!point.m_bActiv || (c != 4 && point.m_iPlace < 2)) continue;
                    if (IsCraneRtfOptionSet(points.table))
                        WriteCranePointStressTable(PassTable(*this, c, k), static_cast<int>(p), kEnvelope, c);
                    InsertCranePointDiagrams(CranePrefix(name, k) + TrF("\\Spannungen\\%s", point.m_strName), graph,
                                             points.first);
                }
            }
        }
        if (c < 3) WriteUltimateCheckExtras(c, graph);
        if (c == 4 && IsCraneRtfOptionSet(kFatigueDetailOption)) WriteFatigueDetail();
    }
    WriteRailWeld();
    WriteRtfAnnotation(8);
    WriteSupportsFile();
}

void CModuleData::WriteUltimateCheckExtras(int c, CKurvo2D* graph) {
    const CCraneSettings& s = m_craneSettings;
    std::string name;
    GetCheckName(c, name);
    const std::string buckling = name + Tr("\\Biegedrillknicken");
    if (s.m_bBuckling) {
        Heading(-4, Tr("Beulen"));
        WritePlateBucklingTable(c, 0, 0);
    }
    if (s.m_LTBEnabled) {
        Heading(-4, Tr("Biegedrillknicken"));
        const KindOptions& forces = kForces[c];
        if (IsCraneRtfOptionSet(forces.table) || AnyCraneRtfOption(forces.first, forces.last)) {
            Heading(-5, Tr("Extremale Schnittgrößen Biegedrillknicken"));
            if (IsCraneRtfOptionSet(forces.table)) WriteCraneInternalForceTable(m_craneResults[c], kBucklingEnvelope);
            InsertCraneForceDiagrams(buckling, graph, forces.first);
        }
        const KindOptions& stresses = kStresses[c];
        if (IsCraneRtfOptionSet(stresses.table) || AnyCraneRtfOption(stresses.first, stresses.last)) {
            Heading(-5, Tr(s.m_plasticLTB ? "Extremale Ausnutzung Biegedrillknicken"
                                          : "Extremale Spannungen Biegedrillknicken"));
            if (IsCraneRtfOptionSet(stresses.table)) WriteCraneStressTable(m_craneResults[c], kBucklingEnvelope);
            InsertCraneStressDiagrams(buckling, graph, stresses.first);
        }
    }
    const bool supportsWanted =
        IsCraneRtfOptionSet(kSupports.table) || AnyCraneRtfOption(kSupports.first, kSupports.last);
    if (!supportsWanted) return;
    Heading(-4, Tr("Extremale Auflagerkräfte"));
    // The reactions are characteristic values: the check's second table.
    const CResultTable& ak = m_akResults[c];
    if (IsCraneRtfOptionSet(kSupports.table)) {
        WriteCraneSupportReactionTable(ak, kEnvelope, 0);
        if (!m_springs.empty()) {
            Heading(-4, Tr("Extremale Bettungs- und Federkräfte"));
            WriteCraneBeddingReactionTable(ak, kEnvelope);
            WriteCraneSpringReactionTable(ak, kEnvelope);
        }
        WriteSupportReactionsByPosition(ak, kEnvelope, 1, c);
    }
    InsertCraneSupportDiagrams(name, graph, kSupports.first);
    InsertCraneBeddingDiagrams(name, graph, kSupports.first + 1);
    InsertCraneSpringDiagrams(name, graph, kSupports.first + 1);
    if (!s.m_bDetailedReactions) return;
    // Per load group: the table holds the extremes of each load case of the
    // check in slots 2l+2 / 2l+3, the load cases numbered as the run
    // prepares them (self weight first, then each group that gave loads).
    std::vector<std::string> caseNames;
    int next = 1;
    PrepareLoadCases(*this, c, next, caseNames);
    for (size_t k = 0; k < m_cranes.size(); ++k) {
        std::vector<std::string> groupNames, ids;
        GetCraneLoadGroupNames(groupNames, ids, static_cast<int>(k) + 1);
        for (int g = 0; g < static_cast<int>(ids.size()) && g < kCraneGroups; ++g) {
            if (!m_cranes[k].IsLoadGroupRelevant(*this, g, c)) continue;
            const auto at = std::find(caseNames.begin(), caseNames.end(), ids[static_cast<size_t>(g)]);
            if (at == caseNames.end()) continue;  // the group gave no loads: no load case
            const int l = static_cast<int>(at - caseNames.begin());
            if (2 * l + 3 >= ak.GetNumLoadCases()) continue;
            Heading(-5, TrF("Auflagerkräfte Lastgruppe %s", ids[static_cast<size_t>(g)]));
            WriteCraneSupportReactionTable(ak, {2 * l + 2, 2 * l + 3}, 0);
        }
    }
}

void CModuleData::WriteCraneAppendix(CKurvo2D* graph, int n) {
    Heading(-3, TrF("Anhang KS%03ld", static_cast<long>(n)));
    Heading(0, TrF("Protokoll aller Einzelergebnisse aus Kranstellung %ld", static_cast<long>(n)));
    WriteCraneSystemPicture(graph, 0, 0, 0, 0, n - 1);
    std::vector<std::string> previous;
    for (const CResultSet& set : m_resultSets) {
        if (!IsPathOfCranePosition(set.m_strTitle, n)) continue;
        std::vector<std::string> levels;
        SplitString(set.m_strTitle, '\\', levels);
        // Only the levels from the first that differs from the path before.
        size_t same = 0;
        while (same < levels.size() && same < previous.size() && levels[same] == previous[same]) ++same;
        for (size_t i = same; i < levels.size(); ++i)
            Heading(-static_cast<int>(i + 1), report_text::PlainToRtf(levels[i]));
        previous = std::move(levels);
        InsertGraphPicture(graph, set.m_strTitle, 0, 0, 0, 0, 1, 0);
    }
}

// ---- the export ---------------------------------------------------------------------------

namespace {

// The report's language: "VKT Eingabe" of key "LINGO" below "software\VKT".
bool FrenchReport() {
    std::string language;
    GetRegSettings().GetString("LINGO", "VKT Eingabe", language, "deutsch", "software\\VKT");
    return language == "französisch";
}

bool OpenReportFile(const std::string& file, const CModuleData& d, const std::string& header) {
    zadevoz::RtfSetOutputFile(file);
    return zadevoz::RtfOpenDocument("", 0, 0, d.m_nPage, header) == 1;
}

void CannotWrite(const std::string& name) {
    winsys::MessageBox(TrF("Der Bericht '%s' kann nicht geschrieben werden.", name), Tr("Kranbahnträger"),
                       winsys::Buttons::Ok, winsys::Icon::Warning, 0);
}

// Writes the report and its appendix files. While the document's side files
// are held (a calculation whose position is saved afterwards), each file goes
// to a file staged for it and replaces the old one only when the position is
// saved; a file that cannot be written then drops all of them, so that the
// report, its appendices and the position stay of one calculation.
void WriteCraneReport(CModuleData& d) {
    d.StoreRtfParts();
    const std::string target = d.GetSideFileName(".rtf");
    if (target.empty()) return;
    const ZVDOC doc = d.m_hDoc;
    // A caller may have sent the report to a file of its own already.
    std::string rtf = d.GetRtfFileName();
    if (rtf == target) rtf = sidefiles::StageFile(doc, target);
    std::vector<std::string> staged{target};
    zadevoz::RtfResetReport();
    ZVELEM root = ZEVUD_GetRootElement(doc);
    std::string name;
    d.GetProgramTitle(name);
    const std::string title = Tr("Kranbahnträger");
    const std::string version = "V " + zevud::GetString(root, "version");
    const bool french = FrenchReport();

    Pictor_Create2D(640, 480, 1);
    CKurvo2D* graph = Pictor_GetKurvo2DPtr();
    CProgressDlg progress(CProgressDlg::kReportCaptionId);
    progress.Create(0);
    progress.SetRange(1, 5);
    progress.SetStep(1);
    progress.StepIt();
    progress.SetText(Tr("Eingabeprotokoll..."));

    std::string failed;
    if (OpenReportFile(rtf, d,
                       report_text::WithPositionFields(CraneReportHeader(name, title, version, d.m_strFreeText, french),
                                                       target, d.m_strPosDesc))) {
        d.WriteCraneReportBody(graph, &progress);
        if (zadevoz::RtfCloseDocument(0) != 1) failed = target;
        for (int n : d.m_dorIzi.m_numbers) {
            if (n < 1 || !failed.empty()) continue;
            const std::string appendix = CraneAppendixFileName(target, n);
            const std::string file = sidefiles::StageFile(doc, appendix);
            staged.push_back(appendix);
            if (!OpenReportFile(file, d,
                                report_text::WithPositionFields(
                                    CraneReportHeader(name, title, version, d.m_strFreeText, false), target,
                                    d.m_strPosDesc))) {
                failed = appendix;
                continue;
            }
            d.WriteCraneAppendix(graph, n);
            if (zadevoz::RtfCloseDocument(0) != 1) failed = appendix;
        }
    } else {
        failed = target;
    }
    zadevoz::RtfResetReport();
    Pictor_Destroy();
    progress.DestroyWindow();
    if (failed.empty()) return;
    CannotWrite(failed);
    // Held: none of the files replaces its old one (the caller sees the
    // report missing); otherwise each file was replaced only whole.
    if (sidefiles::IsHeld(doc))
        for (const std::string& file : staged) sidefiles::DropFile(doc, file);
}

}  // namespace

extern "C" void DEZADododaROV(uint32_t document, int32_t flag) {
    CModuleData data;
    data.Init();
    data.m_hDoc = document;
    data.ReadData(document);
    const ZVELEM root = document ? ZEVUD_GetRootElement(document) : 0;
    if (flag != 0 && root && ZEVUD_FindFirstChild(root, "result") && !data.HasCurrentResults()) {
        // A report is never written from results that belong to other input.
        winsys::MessageBox(CBaseData::StaleResultsText() + " " + Tr("Es wird kein Bericht geschrieben."),
                           Tr("Kranbahnträger"), winsys::Buttons::Ok, winsys::Icon::Warning, 0);
    } else if (flag != 0 && document) {
        WriteCraneReport(data);
    }
    data.RemoveTempSectionFile();
}
