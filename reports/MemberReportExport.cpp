// The member-design report: the exported routine that writes a position's
// report beside its document, chapter by chapter as the position's output
// options choose them.
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "graphics/core/Kurvo.h"
#include "graphics/core/ProgressDlg.h"
#include "module/ModuleData.h"
#include "platform/winsys/winsys.h"
#include "platform/zadevoz/zadevoz.h"
#include "platform/zevud/zevud.h"
#include "reports/DesignVerdict.h"
#include "reports/MemberReport.h"
#include "reports/ReportText.h"
#include "reports/RtfTable.h"

namespace {

using report_text::kAreaMember;

std::string Tr(const std::string& text) { return report_text::Translate(kAreaMember, text); }

template <class... A>
std::string TrF(const std::string& format, const A&... args) {
    return report_text::Format(kAreaMember, format, args...);
}

void Text(int style, const std::string& text) { zadevoz::RtfWriteText(style, text); }

// The name of a collective: its description, else its rule.
std::string CollectiveName(const CCombinationRecord& k) {
    if (!k.m_strDesc.empty()) return k.m_strDesc;
    return !k.m_strRuleUser.empty() ? k.m_strRuleUser : k.m_strRule;
}

// The writer of one report: the position, its options and the picture.
class MemberReportWriter {
public:
    MemberReportWriter(CModuleData& md, CKurvo2D* graph, CProgressDlg& progress)
        : md_(md), graph_(graph), progress_(progress), plastic_(IsPlasticVariant(md)) {}

    void WriteBody(ZVELEM root);

private:
    // Option a to b inclusive.
    bool Any(int a, int b) const { return md_.AnyOptionInRange(a, b + 1); }
    int U() const { return plastic_ ? 276 : 288; }
    int V() const { return plastic_ ? 316 : 328; }
    int W() const { return plastic_ ? 256 : 268; }
    int X() const { return plastic_ ? 296 : 308; }
    void Step(const char* text) {
        progress_.StepIt();
        progress_.SetText(Tr(text));
    }

    void InputChapter(ZVELEM root);
    void ServiceabilityChapter();
    void UltimateChapter(ZVELEM result);
    void StoredChecks(ZVELEM result);
    void CtChapter(ZVELEM result);
    void Summary(ZVELEM root);

    // The collectives chosen by a mode ("rtfLKgebr", "rtfLKTragSV").
    std::vector<int> Collectives(int mode, bool ultimate) const;

    // The blocks of one index list (1-based number, -1 for "Extremal").
    void Forces(const char* path, int table, int diagrams, const std::vector<int>& idx) {
        Text(-4, Tr("Schnittgrößen"));
        md_.WriteRtfInternalForceTable(path, table, idx);
        md_.InsertInternalForceDiagrams(graph_, path, diagrams, idx);
    }
    void Stresses(const char* path, int table, int diagrams, const std::vector<int>& idx) {
        Text(-4, Tr("Spannungen"));
        md_.WriteRtfStressTable(path, table, idx);
        md_.InsertStressDiagrams(graph_, path, diagrams, idx);
    }
    void Deformations(const char* path, int table, int diagrams, const std::vector<int>& idx) {
        Text(-4, Tr("Verformungen"));
        md_.WriteRtfDeformationTable(path, table, idx);
        md_.InsertDeformationDiagrams(graph_, path, diagrams, idx);
    }
    // Support, spring and bedding forces: tables with their own headings.
    void Reactions(const char* supports, const char* springs, const char* beddings, int table, int diagrams,
                   const std::vector<int>& idx) {
        md_.WriteRtfSupportForceTable(supports, table, idx);
        md_.InsertSupportForceDiagrams(graph_, supports, diagrams, idx);
        md_.WriteRtfSpringForceTable(springs, table + 1, idx);
        md_.InsertSpringForceDiagrams(graph_, springs, diagrams + 1, idx);
        md_.WriteRtfBeddingForceTable(beddings, table, idx);
        md_.InsertBeddingForceDiagrams(graph_, beddings, diagrams, idx);
    }

    CModuleData& md_;
    CKurvo2D* graph_;
    CProgressDlg& progress_;
    bool plastic_;
};

std::vector<int> MemberReportWriter::Collectives(int mode, bool ultimate) const {
    const auto& combis = md_.LK().m_combinations;
    const std::vector<int32_t>& relevant = ultimate ? md_.m_tragSVRelKol : md_.m_gebrRelKol;
    const int n = static_cast<int>(combis.size());
    std::vector<int> out;
    if (mode == 1) {
        const int best = ultimate ? md_.m_tragSVMaxLK : md_.m_gebrMaxLK + md_.m_gebrKolOffset;
        if (best >= 0 && best < n) out.push_back(best);
        return out;
    }
    for (int i = 0; i < n; ++i) {
        const std::string& type = combis[static_cast<size_t>(i)].m_strType;
        const bool ed = type == "Ed" || type == "Ed,A";
        if (mode == 2 && i < static_cast<int>(relevant.size()) && relevant[static_cast<size_t>(i)]) out.push_back(i);
        if (mode == 3 && (ultimate ? ed : !ed && type.rfind("AK", 0) != 0)) out.push_back(i);
    }
    return out;
}

void MemberReportWriter::WriteBody(ZVELEM root) {
    ZVELEM result = root ? ZEVUD_FindFirstChild(root, "result") : 0;
    if (md_.m_bRtfChapterInput) InputChapter(root);
    if (md_.AnyServiceabilityOption() && md_.m_bRtfChapterGebr) ServiceabilityChapter();
    if (md_.AnyUltimateOption() && md_.m_bRtfChapterTragSV) UltimateChapter(result);
    if (md_.m_bRtfChapterTragSV) StoredChecks(result);
    if (md_.m_bRtfChapterCT) CtChapter(result);
    if (md_.m_bRtfChapterGebr || md_.m_bRtfChapterTragSV) Summary(root);
}

void MemberReportWriter::InputChapter(ZVELEM root) {
    Text(-2, Tr("Eingabe"));
    md_.WriteRtfAnnotation(1);
    if (md_.IsRtfOptionSet(20)) md_.WriteRtfSystemPictures(graph_, 0, 0, 0, 0);
    md_.WriteRtfSupportConditions();
    if (md_.IsRtfOptionSet(22)) md_.WriteRtfSectionValues();
    md_.WriteRtfSectionsAndMaterials();
    md_.WriteRtfHinges();
    md_.WriteRtfBeddingsAndSprings();
    md_.WriteRtfImperfections();
    md_.WriteRtfActions(root);
    md_.WriteRtfLoads();
    md_.WriteRtfCombinations(root);
}

void MemberReportWriter::ServiceabilityChapter() {
    Step("Gebrauchstauglichkeit LK...");
    Text(-2, report_text::FormatRaw("%s (%s)", Tr("Ergebnisse Gebrauchstauglichkeit"),
                                    std::string(GetNormTitle(md_.m_info.m_nNorm))));
    Text(0, Tr("Beim Nachweis der Gebrauchstauglichkeit werden die entsprechenden Lastkollektive nach Theorie 1. "
               "Ordnung berechnet. Evtl. ausgegebene Auflagerkräfte sind charakteristisch, d.h. ohne "
               "Sicherheitsfaktoren ermittelt worden. Einspannmomente und andere Effekte aus der Berechnung nach "
               "Theorie 2. Ordnung sind dem Tragsicherheitsnachweis zu entnehmen."));
    const auto& combis = md_.LK().m_combinations;
    const bool forces = Any(50, 55) || Any(80, 85), deformations = Any(100, 105) || Any(120, 125);
    if (forces || deformations) {
        const int best = md_.m_gebrMaxLK + md_.m_gebrKolOffset;
        for (int i : Collectives(md_.m_rtfLKgebr, false)) {
            const std::vector<int> idx = {i + 1};
            Text(-3, TrF("Lastkollektiv %ld: %s", static_cast<long>(i + 1), CollectiveName(combis[static_cast<size_t>(i)])));
            if (i == best)
                Text(0, Tr("Dieses Lastkollektiv bewirkt die maximale Ausnutzung aus Verformungen."));
            else if (i < static_cast<int>(md_.m_gebrRelKol.size()) && md_.m_gebrRelKol[static_cast<size_t>(i)])
                Text(0, Tr("Dieses Lastkollektiv ist relevant, d.h. es liefert an mindestens einer Stelle die "
                           "maximale Ausnutzung aus Verformungen."));
            if (forces) Forces("Gebrauchstauglichkeit\\LK %3ld\\Schnittgrößen", 50, 80, idx);
            if (deformations) Deformations("Gebrauchstauglichkeit\\LK %3ld\\Verformungen", 100, 120, idx);
        }
    }
    if (Any(150, 155) || Any(190, 195)) {
        for (int a = 0; a < static_cast<int>(md_.LK().m_actions.size()); ++a) {
            Text(-3, TrF("Reaktionen aus Einwirkung '%s'", md_.GetActionLabel(a)));
            Reactions("Gebrauchstauglichkeit\\Char. Auflagerkraft\\EW %ld", "Gebrauchstauglichkeit\\Char. Federkräfte\\EW %ld",
                      "Gebrauchstauglichkeit\\Char. Bettungskräfte\\EW %ld", 150, 190, {a + 1});
        }
    }
    Step("Gebrauchstauglichkeit...");
    const bool exForces = Any(40, 45) || Any(70, 75), exDeformations = Any(90, 95) || Any(110, 115);
    const bool exReactions = Any(130, 148) || Any(170, 188);
    if (exForces || exDeformations || exReactions) {
        Text(-3, Tr("Extremal"));
        if (exForces) Forces("Gebrauchstauglichkeit\\Extremal\\Schnittgrößen", 40, 70, {-1});
        if (exDeformations) Deformations("Gebrauchstauglichkeit\\Extremal\\Verformungen", 90, 110, {-1});
        if (exReactions)
            Reactions("Gebrauchstauglichkeit\\Char. Auflagerkraft\\Extremal", "Gebrauchstauglichkeit\\Char. Federkräfte\\Extremal",
                      "Gebrauchstauglichkeit\\Char. Bettungskräfte\\Extremal", 130, 170, {-1});
    }
}

void MemberReportWriter::UltimateChapter(ZVELEM result) {
    Text(-2, report_text::FormatRaw("%s (%s)", Tr("Ergebnisse Tragsicherheit"), std::string(GetNormTitle(md_.m_info.m_nNorm))));
    Text(0, Tr("Beim Nachweis der Tragsicherheit werden alle Lastkollektive 'Ed', bzw. 'Ed,A' nach Theorie 2. Ordnung "
               "unter Berücksichtigung der entsprechenden Vorverformungen berechnet. Alle ausgegebenen Schnittgrößen, "
               "Verformungen, Auflagerkräfte, etc. sind als Design-Werte, d.h. mit Sicherheitsfaktoren ermittelt "
               "worden."));
    if (plastic_) {
        Text(-3, Tr("Berechnungsverfahren"));
        Text(0, Tr("Die plastische Ausnutzung der Querschnitte wird mit dem Teilschnittgrößenverfahren (TSV) nach "
                   "[@Kindmann/Frickel: Elastische und plastische Querschnittstragfähigkeit@] ermittelt."));
        Text(0, "");
        Text(0, Tr("\\b Hierbei ist die Einhaltung der Grenzwerte für b/t sicherzustellen!"));
    }
    Step("Tragsicherheit LK...");
    const auto& combis = md_.LK().m_combinations;
    const bool forces = Any(270, U()) || Any(310, V());
    const bool perCollective = forces || Any(340, 343) || Any(210, 213) || Any(390, 408) || Any(360, 363) ||
                               Any(220, 223) || Any(430, 448);
    if (perCollective) {
        ZVELEM eigen = result ? ZEVUD_FindFirstChild(result, "Eigenwerte") : 0;
        for (int i : Collectives(md_.m_rtfLKTragSV, true)) {
            const std::vector<int> idx = {i + 1};
            Text(-3, TrF("Lastkollektiv %ld: %s", static_cast<long>(i + 1), CollectiveName(combis[static_cast<size_t>(i)])));
            if (i == md_.m_tragSVMaxLK)
                Text(0, Tr("Dieses Lastkollektiv bewirkt die maximale Ausnutzung aus Spannungen."));
            else if (i < static_cast<int>(md_.m_tragSVRelKol.size()) && md_.m_tragSVRelKol[static_cast<size_t>(i)])
                Text(0, Tr("Dieses Lastkollektiv ist relevant, d.h. es liefert an mindestens einer Stelle die "
                           "maximale Ausnutzung aus Spannungen."));
            if (Any(230, 233) || Any(240, 243)) {
                Text(-4, Tr("Knickfigur"));
                Text(0, Tr("Niedrigster Eigenwert > 0 als Laststeigerungsfaktor"));
                // The kernel numbers the eigenvalue texts by load case from 1.
                const std::string ew =
                    eigen ? zevud::GetString(eigen, report_text::FormatRaw("ew1_LK%ld", static_cast<long>(i + 1))) : "";
                Text(0, ew);
                md_.WriteRtfBucklingModeTable("Tragsicherheit\\LK %3ld\\Knickfigur", 230, idx);
                md_.InsertBucklingModeDiagrams(graph_, "Tragsicherheit\\LK %3ld\\Knickfigur", 240, idx);
            }
            if (Any(210, 213) || Any(220, 223)) {
                Text(-4, Tr("Vorverformungen"));
                md_.WriteRtfPreDeformationTable("Tragsicherheit\\LK %3ld\\Vorverformungen", 210, idx);
                md_.InsertPreDeformationDiagrams(graph_, "Tragsicherheit\\LK %3ld\\Vorverformungen", 220, idx);
            }
            if (forces) {
                Forces("Tragsicherheit\\LK %3ld\\Schnittgrößen", 270, 310, idx);
                if (!plastic_) Stresses("Tragsicherheit\\LK %3ld\\Spannungen", 277, 317, idx);
            }
            if (Any(340, 343)) Deformations("Tragsicherheit\\LK %3ld\\Verformungen", 340, 360, idx);
            if (Any(390, 408))
                Reactions("Tragsicherheit\\LK %3ld\\Auflagerkraft (design)", "Tragsicherheit\\LK %3ld\\Federkräfte (design)",
                          "Tragsicherheit\\LK %3ld\\Bettungskräfte (design)", 390, 430, idx);
        }
    }
    Step("Tragsicherheit...");
    const bool exForces = Any(250, W());
    if (exForces || Any(330, 333) || Any(370, 388) || Any(290, X()) || Any(350, 353) || Any(410, 428)) {
        Text(-3, Tr("Extremal"));
        if (exForces) {
            Forces("Tragsicherheit\\Extremal\\Schnittgrößen", 250, 290, {-1});
            if (!plastic_) Stresses("Tragsicherheit\\Extremal\\Spannungen", 257, 297, {-1});
        }
        if (Any(330, 333)) Deformations("Tragsicherheit\\Extremal\\Verformungen", 330, 350, {-1});
        if (Any(370, 388))
            Reactions("Tragsicherheit\\Extremal\\Auflagerkraft (design)", "Tragsicherheit\\Extremal\\Federkräfte (design)",
                      "Tragsicherheit\\Extremal\\Bettungskräfte (design)", 370, 410, {-1});
    }
}

void MemberReportWriter::StoredChecks(ZVELEM result) {
    // Only what this call loads from the attribute is appended: an empty
    // attribute appends nothing.
    if (plastic_)
        report_text::AppendStoredRtf(result, "rtfFile");
    else if (md_.m_bRtfCalcSinglePoint)
        report_text::AppendStoredRtf(result, report_text::FormatRaw("rtfFile_%ld", static_cast<long>(md_.m_bRtfSinglePointLayout)).c_str());
}

void MemberReportWriter::CtChapter(ZVELEM result) {
    if (md_.m_info.m_nNorm == 7) {
        Text(-2, "b/t - Nachweis");
    } else {
        Text(-2, "c/t - Nachweis");
        Text(0, TrF("Nachweis: %s, Querschnittsklasse %ld erforderlich!",
                    Tr(plastic_ ? "Elastisch-plastisch" : "Elastisch-Elastisch"), static_cast<long>(plastic_ ? 2 : 3)));
    }
    report_text::AppendStoredRtf(result, "ctnachweis.tmp.rtf");
}

void MemberReportWriter::Summary(ZVELEM root) {
    const design_verdict::Verdict verdict = design_verdict::Read(root);
    Text(-2, Tr("Zusammenfassung"));
    CRtfTable t;
    t.SetSize(0, 3, 16.0);
    t.SetColumnWidth(0, 120);
    t.SetColumnWidth(1, 20);
    t.SetColumnWidth(2, 20);
    if (md_.m_bRtfChapterGebr) {
        const int r = t.AddRow();
        t.SetTextCell(r, 0, Tr("Maximale Ausnutzung aus Verformungen:"), kRtfLeft);
        t.SetDoubleCell(r, 1, md_.m_dMaxAusGebr, "", 0, 2, kRtfRight);
        t.SetTextCell(r, 2, TrF("(LK %ld)", static_cast<long>(md_.m_gebrMaxLK + md_.m_gebrKolOffset + 1)), kRtfRight);
    }
    if (md_.m_bRtfChapterTragSV) {
        const std::string label =
            Tr(plastic_ ? "Maximale Ausnutzung des Querschnitts:" : "Maximale Ausnutzung aus Spannungen:");
        if (verdict.unproven.empty()) {
            const int r = t.AddRow();
            t.SetTextCell(r, 0, label, kRtfLeft);
            t.SetDoubleCell(r, 1, md_.m_dMaxAusTragSV, "", 0, 2, kRtfRight);
            t.SetTextCell(r, 2, TrF("(LK %ld)", static_cast<long>(md_.m_tragSVMaxLK + 1)), kRtfRight);
        } else {
            // Combinations without a proof carry no utilisation: the stored
            // 999 only marks the failure. The row names them, and the other
            // combinations' largest utilisation stands on its own row.
            std::string numbers;
            for (int n : verdict.unproven) numbers += (numbers.empty() ? "LK " : ", ") + std::to_string(n);
            int r = t.AddRow();
            t.SetTextCell(r, 0, Tr("Nicht nachgewiesen (instabil, nicht konvergiert oder kritischer Lastfaktor <= 1):"),
                          kRtfLeft | kRtfBold);
            t.SetTextCell(r, 1, "", kRtfRight);
            t.SetTextCell(r, 2, numbers, kRtfRight | kRtfBold);
            if (verdict.hasUltimateOthers) {
                const int best = md_.m_tragSVMaxLK + 1;
                const bool bestProven =
                    best >= 1 && std::find(verdict.unproven.begin(), verdict.unproven.end(), best) == verdict.unproven.end();
                r = t.AddRow();
                t.SetTextCell(r, 0, Tr(plastic_ ? "Maximale Ausnutzung des Querschnitts (übrige LK):"
                                                : "Maximale Ausnutzung aus Spannungen (übrige LK):"),
                              kRtfLeft);
                t.SetDoubleCell(r, 1, verdict.ultimateOthers, "", 0, 2, kRtfRight);
                t.SetTextCell(r, 2, bestProven ? TrF("(LK %ld)", static_cast<long>(best)) : std::string(), kRtfRight);
            }
        }
    }
    t.WriteRtf();
    if (!md_.m_strErrorMsg.empty()) {
        std::string text;
        for (char c : md_.m_strErrorMsg) {
            if (c == '\n')
                text += "{\\par \\pard}";
            else if (c != '\r')
                text += c;
        }
        Text(0, text);
    }
    // The verdict in the words the console prints after a calculation.
    for (const design_verdict::Line& line : verdict.lines) Text(0, line.text);
    Text(0, "\\b " + verdict.overall + "\\b0 ");
    md_.WriteRtfAnnotation(8);
    md_.WriteRtfAnnotation(9);
}

}  // namespace

bool IsPlasticVariant(const CModuleData& md) { return md.m_strModuleName == kPlasticVariantName; }

std::string MemberReportHeader(const CModuleData& md, const std::string& version) {
    std::string name;
    md.GetProgramTitle(name);
    if (!md.m_strModuleName.empty()) name += " " + md.m_strModuleName;
    const std::string material = md.m_info.m_nNorm == 34 ? "Alu" : "Stahl";
    const std::string title = IsPlasticVariant(md)
                                  ? TrF("3D %sträger mit elastisch-plastischen Nachweisen", material)
                                  : TrF("%sträger mit veränderl. Querschnitten und Biegetorsion", material);
    std::string header;
    for (const std::string& field :
         {"Name=" + name, "Titel=" + title, "Version=V " + version, "@T=" + md.m_strFreeText}) {
        header += field;
        header += '\0';
    }
    header += '\0';
    return header;
}

bool WriteMemberReport(CModuleData& md, ZVDOC doc, const std::string& file) {
    ZVELEM root = ZEVUD_GetRootElement(doc);
    zadevoz::RtfResetReport();
    const std::string header = report_text::WithPositionFields(
        MemberReportHeader(md, root ? zevud::GetString(root, "version") : std::string()), md.GetSideFileName(".rtf"), md.m_strPosDesc);
    zadevoz::RtfSetOutputFile(file);
    if (!zadevoz::RtfOpenDocument("", 0, 0, md.m_nPage, std::string_view(header))) {
        winsys::MessageBox(TrF("Der Bericht '%s' kann nicht geschrieben werden; der bisherige Bericht bleibt erhalten.",
                               file),
                           "VKT Ausgabe");
        return false;
    }
    md.WriteRtfAnnotation(0);
    report_text::AppendStoredRtf(root ? ZEVUD_FindFirstChild(root, "rtfFiles") : 0, "vardef");

    Pictor_Create2D(640, 480, 1);
    CKurvo2D* graph = Pictor_GetKurvo2DPtr();
    CProgressDlg progress(CProgressDlg::kReportCaptionId);
    progress.Create(0);
    progress.SetRange(1, 5);
    progress.SetStep(1);
    progress.StepIt();
    progress.SetText(Tr("Eingabeprotokoll..."));

    MemberReportWriter(md, graph, progress).WriteBody(root);

    progress.SetText(Tr("Fertig, starte Textverarbeitung..."));
    const bool written = zadevoz::RtfCloseDocument(0) == 1;
    Pictor_Destroy();
    progress.DestroyWindow();
    return written;
}

extern "C" __attribute__((visibility("default"))) void REVUVUvarudIVA(uint32_t doc, int32_t flag) {
    CModuleData md;
    md.Init();
    md.m_hDoc = doc;
    md.ReadData(doc);
    const ZVELEM root = doc ? ZEVUD_GetRootElement(doc) : 0;
    if (flag != 0 && root && ZEVUD_FindFirstChild(root, "result") && !md.HasCurrentResults()) {
        // A report is never written from results that belong to other input.
        winsys::MessageBox(CBaseData::StaleResultsText() + " " + Tr("Es wird kein Bericht geschrieben."),
                           "VKT Ausgabe");
    } else if (flag != 0 && doc != 0) {
        // The report lies beside the document under the name that the
        // calculation run looks for.
        const std::string file = md.GetRtfFileName();
        if (!file.empty()) WriteMemberReport(md, doc, file);
    }
    md.RemoveTempSectionFile();
}
