// Cross-section classification and c/t checks, and their RTF proof.
#include "kernel_results/ClassCheck.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>

#include "kernel/KernelErrors.h"
#include "kernel/MaterialValues.h"
#include "kernel/fe/FeSolver.h"
#include "kernel/section/SectionCache.h"
#include "kernel_results/ResultWriter.h"
#include "platform/ferrum/ferrum.h"
#include "platform/lingo/lingo.h"
#include "platform/winsys/winsys.h"
#include "platform/zadevoz/zadevoz.h"

namespace tovik::checks {

namespace {

thread_local int32_t gSortDirection = 0;

std::string Tr(const std::string& text) { return lingo::Translate("VKT Ausgabe", "velor_o_kestrum", "rtf_ct", text); }

const char* PlateName(int32_t key) {
    static const char* const names[] = {"", "Flansch oben", "Flansch unten", "Steg links", "Steg rechts",
                                        "Gurtverstärkung oben", "Gurtverstärkung unten"};
    return key >= 1 && key <= 6 ? names[key] : "";
}

bool IsNoLimit(double v) { return std::fabs(v - kNoLimit) < 0.001; }

// Ferrum handles of the run's profiles; closed when the run ends.
class SteelChecks : public RunCache {
public:
    ~SteelChecks() override {
        for (const auto& [pro, h] : handles)
            if (h > 0) FER_iClose(h);
    }
    std::map<int32_t, int32_t> handles;
};

// Which fallback notes the run has written already (each once per run).
class MaterialNotes : public RunCache {
public:
    bool grade = false, missing = false, gamma = false;
};

}  // namespace

// Each calculation thread keeps its own records (crane positions calculate
// side by side).
std::map<int32_t, CtCheckRecord>& CtDecisiveRecords() {
    thread_local std::map<int32_t, CtCheckRecord> records;
    return records;
}

int CompareCtRecordsByX(const void* a, const void* b) {
    const double xa = static_cast<const CtCheckRecord*>(a)->x, xb = static_cast<const CtCheckRecord*>(b)->x;
    if (xa == xb) return 0;
    const bool less = xa < xb;
    if (gSortDirection == 0) return less ? -1 : 1;
    return less ? 1 : -1;
}

void SortCtRecordsByX(std::vector<CtCheckRecord>& records, int32_t direction) {
    gSortDirection = direction;
    if (!records.empty()) std::qsort(records.data(), records.size(), sizeof(CtCheckRecord), &CompareCtRecordsByX);
}

int32_t CtPlateKey(int32_t kind, int32_t index) {
    if (kind >= 1 && kind <= 6) return kind;
    if (kind == 0 && index >= 0) return 8 + index;
    return -1;
}

void MergeCtEntry(int32_t key, const CtCheckRecord& entry, bool plastic) {
    auto& map = CtDecisiveRecords();
    auto it = map.find(key);
    const CtCheckRecord stored = it == map.end() ? CtCheckRecord{} : it->second;
    const double a = plastic ? entry.limitClass2 : entry.limitClass3Raised;
    const double b = plastic ? stored.limitClass2 : stored.limitClass3Raised;
    bool wins;
    if (std::fabs(a - b) < 0.001) wins = entry.tieValue < stored.tieValue;
    else wins = a < b;
    if (wins) map[key] = entry;
}

bool DesignMaterial(RunState& run, double& fy, double& gammaM1, double& gammaMA1, double& minStress) {
    MaterialRecord rec;
    MaterialNotes& notes = run.Cache<MaterialNotes>();
    double g1 = 0, gA = 0, ms = 0;
    fy = 0;
    if (LookupMaterialValues(run, 0, rec, g1, gA, ms) && rec.fy > 0) {
        fy = rec.fy * 10.0;
    } else {
        const ModelRecord& m = run.cdltr;
        const int32_t grade = m.nQs > 0 ? m.Mat[0] : -1;
        if (m.StahlTab < 0 || m.StahlTab > 2 || grade < 0 || grade > 4) {
            if (!notes.grade)
                WriteErrLine(run, 1, winsys::FormatC("Stahlgüte %d außerhalb der Tabelle, kein Querschnittsnachweis", grade));
            notes.grade = true;
            return false;
        }
        fy = section::SteelGradeRow(m.StahlTab, grade).fyk;
        if (!notes.missing) WriteErrLine(run, 0, "Keine Materialwerte im Dokument, Streckgrenze aus der Stahlgütetabelle");
        notes.missing = true;
    }
    if (!(g1 > 0)) {
        g1 = 1.1;
        if (!notes.gamma) WriteErrLine(run, 0, "Kein Teilsicherheitsbeiwert gamma_M1 angegeben, 1.1 angesetzt");
        notes.gamma = true;
    }
    if (!(gA > 0)) gA = 1.0;
    gammaM1 = g1;
    gammaMA1 = gA;
    minStress = ms;
    return fy > 0;
}

int32_t GetSteelCheckHandle(RunState& run, int32_t profile) {
    if (profile < 0) return -1;
    SteelChecks& c = run.Cache<SteelChecks>();
    auto it = c.handles.find(profile);
    if (it != c.handles.end()) return it->second;
    MaterialRecord rec;
    double g1 = 0, gA = 0, ms = 0;
    LookupMaterialValues(run, 0, rec, g1, gA, ms);
    const double gammaM = g1 > 0 ? g1 : 1.1;
    const int32_t h = FER_iStart(profile, run.reader.NormName.c_str(), 0, gammaM, 1.0, 1.0);
    c.handles[profile] = h;
    return h;
}

bool EndForces(RunState& run, int32_t lk, int32_t point, double forces[8]) {
    std::fill(forces, forces + 8, 0.0);
    const fe::FeResults& r = fe::State(run).results;
    if (lk < 0 || lk >= static_cast<int32_t>(r.ultimate.size()) || point < 0) return false;
    const std::vector<double>& ef = r.ultimate[static_cast<size_t>(lk)].endForces;
    const size_t base = static_cast<size_t>(point / 2) * 14 + static_cast<size_t>(point % 2) * 7;
    if (base + 7 > ef.size()) return false;
    for (int i = 0; i < 6; ++i) forces[i] = ef[base + static_cast<size_t>(i)];
    forces[7] = ef[base + 6];
    return true;
}

double CalcCtChecks(RunState& run, int32_t lk, int32_t point, int32_t plastic) {
    const FeModel& fm = run.cdltr.fe;
    const int32_t node = (point + 1) / 2;
    if (node < 0 || node >= fm.nKnoten || node >= limits::kMaxFeNodes) return 0;
    const double x = fm.KnotenX[static_cast<size_t>(node)];
    // The section of the element end as the run built it: never looked up
    // again in the section file, which is closed by now.
    const int32_t profile = section::Sections(run).ElementEndProfile(point);
    const int32_t handle = GetSteelCheckHandle(run, profile);
    double fy = 0, g1 = 0, gA = 0, ms = 0;
    if (handle < 0 || !DesignMaterial(run, fy, g1, gA, ms)) return 0;
    double forces[8];
    if (!EndForces(run, lk, point, forces)) return 0;
    auto block = std::make_unique<FER_CtResult>();
    FER_iCalcElastic(handle, fy, forces, 0, block.get());
    const int32_t n = std::clamp(block->nPlates, 0, static_cast<int32_t>(FER_CT_MAX_PLATES));
    for (int32_t i = 0; i < n; ++i) {
        const FER_CtPlate& p = block->plate[i];
        const int32_t key = CtPlateKey(p.kind, i);
        if (key < 0) continue;
        CtCheckRecord e;
        e.limitClass1 = p.limitClass1;
        e.limitClass2 = p.limitClass2;
        e.limitClass3 = p.limitClass3;
        e.limitClass3Raised = p.limitClass3Raised;
        e.ctRatio = p.ctRatio;
        e.tieValue = p.tieValue;
        e.x = x;
        MergeCtEntry(key + 256 * profile, e, plastic != 0);
    }
    return static_cast<double>(block->sectionClass);
}

int32_t WriteCtTables(const std::string& normName, const std::string& fileName, int32_t cls, int32_t plastic) {
    using namespace zadevoz;
    using winsys::FormatC;
    if (RtfOpenDocument(fileName, 0, 1, 0, "nologo\0\0") != 1) return cls;
    const auto& map = CtDecisiveRecords();
    std::vector<int32_t> plateKeys;
    for (const auto& [key, rec] : map)
        if (std::find(plateKeys.begin(), plateKeys.end(), key & 255) == plateKeys.end()) plateKeys.push_back(key & 255);
    std::sort(plateKeys.begin(), plateKeys.end());
    auto nameCell = [](int32_t pk, std::string& previous) {
        if (pk >= 1 && pk <= 6) {
            const std::string cell = "\\ql " + Tr(PlateName(pk));
            if (cell == previous) return std::string();
            previous = cell;
            return cell;
        }
        return FormatC("\\qr Blech-%d", pk - 7);
    };
    bool failed = false;
    if (normName == "EC" || normName == "SIA") {
        RtfBeginTable({3.0, 1.3, 1.3, 1.3, 1.3, 1.3, 1.3, 1.3, 1.3, 1.3, 1.3});
        RtfBeginRow(1);
        RtfWriteCell("\\ql " + Tr("Bezeichnung"));
        RtfWriteCell("\\qr " + Tr("bei x="));
        RtfWriteCell("\\qr " + Tr("c/t"));
        for (int i = 0; i < 4; ++i) {
            RtfWriteCell("\\qr " + Tr("zul\\sub c/t\\nosubsuper"));
            RtfWriteCell("\\qr " + Tr("Ausn."));
        }
        RtfWriteCell("");
        RtfWriteCell("[m]");
        RtfWriteCell("[-]");
        for (const char* label : {"[Kl.1]", "[Kl.2]", "[Kl.3]", "[Kl.3\\super 1\\nosupersub]"}) {
            RtfWriteCell(Tr(label));
            RtfWriteCell("");
        }
        RtfBeginRow(0);
        std::string previous;
        for (int32_t pk : plateKeys) {
            std::vector<CtCheckRecord> group;
            for (const auto& [key, rec] : map)
                if ((key & 255) == pk) group.push_back(rec);
            SortCtRecordsByX(group, 0);
            for (const CtCheckRecord& r : group) {
                RtfWriteCell(nameCell(pk, previous));
                RtfWriteCell(FormatC("\\qr %.2lf", r.x));
                RtfWriteCell(FormatC("\\qr\\b %.2lf\\b0", r.ctRatio));
                struct Col {
                    double limit;
                    std::string fmtLimit, fmtRatio;
                    bool decisive;
                };
                const std::string bp = plastic ? "\\b" : "", be = plastic ? "" : "\\b";
                const Col cols[4] = {
                    {r.limitClass1, "\\qr %.2lf", "\\qr %.2lf", false},
                    {r.limitClass2, "\\qr" + bp + " %.2lf\\b0", "\\qr" + bp + " %.2lf\\b0", plastic != 0},
                    {r.limitClass3, "\\qr %.2lf\\b0", "\\qr %.2lf\\b0", false},
                    {r.limitClass3Raised, r.limitClass3Raised < 1000 ? "\\qr" + be + " %.2lf\\b0" : "\\qr" + be + " %.1lf\\b0",
                     "\\qr" + be + " %.2lf\\b0", plastic == 0},
                };
                for (const Col& c : cols) {
                    if (IsNoLimit(c.limit)) {
                        RtfWriteCell("---");
                        RtfWriteCell("---");
                        continue;
                    }
                    const double ratio = c.limit != 0 ? r.ctRatio / c.limit : 0.0;
                    RtfWriteCell(winsys::FormatDoubleC(c.fmtLimit.c_str(), c.limit));
                    RtfWriteCell(winsys::FormatDoubleC(c.fmtRatio.c_str(), ratio));
                    if (c.decisive && ratio >= 1.001) failed = true;
                }
            }
        }
        RtfEndTable();
        RtfWriteText(0, "");
        RtfWriteText(0, Tr("\\super 1\\nosupersub Erhöhter Wert zul\\sub c/t\\nosupersub  für Querschnittsklasse 3 gemäß "
                           "DIN EN 1993-1-1 5.5.2(9)."));
        RtfWriteText(0, "");
        if (failed) {
            RtfWriteText(0, FormatC("\\b %s %.0lf (max. %d %s).\\b0", Tr("Querschnittsklassifizierung: Klasse").c_str(),
                                    static_cast<double>(cls), plastic ? 2 : 3, Tr("erforderlich").c_str()));
            RtfWriteText(0, Tr("\\b Nachweis nicht erbracht!\\b0"));
        } else {
            RtfWriteText(0, FormatC("%s %.0lf.", Tr("Querschnittsklassifizierung: Klasse").c_str(), static_cast<double>(cls)));
            // The chapter asks for class 3 (elastic) or 2 (plastic) at most:
            // say that the class found meets it (EN 1993-1-1, 5.5.2).
            const int required = plastic ? 2 : 3;
            if (cls >= 1 && cls <= required)
                RtfWriteText(0, FormatC("%s %d %s %d). %s", Tr("Querschnittsklasse").c_str(), static_cast<int>(cls),
                                        Tr("erfüllt die Anforderung (höchstens Klasse").c_str(), required,
                                        Tr("Nachweis erbracht!").c_str()));
            else
                RtfWriteText(0, Tr("Nachweis erbracht!"));
        }
        RtfWriteText(0, "");
    } else {
        RtfBeginTable({4.0, 1.5, 1.5, 1.5, 1.5});
        RtfBeginRow(1);
        RtfWriteCell("\\ql " + Tr("Blechbezeichnung"));
        for (const char* h : {"bei x=", "b/t", "b/t zul.", "Ausn."}) RtfWriteCell("\\qr " + Tr(h));
        for (const char* h : {"", "[m]", "[-]", "[-]", "[-]"}) RtfWriteCell(h);
        RtfBeginRow(0);
        std::string previous;
        // Every section of the map, whatever its handle: rows by plate, then
        // by section.
        for (int32_t pk : plateKeys)
            for (const auto& [key, r] : map) {
                if ((key & 255) != pk) continue;
                RtfWriteCell(nameCell(pk, previous));
                RtfWriteCell(FormatC("\\qr %.2lf", r.x));
                RtfWriteCell(FormatC("\\qr %.2lf", r.ctRatio));
                const double L = plastic ? r.limitClass2 : r.limitClass3;
                if (L == kNoLimit) {
                    RtfWriteCell("---");
                    RtfWriteCell("---");
                    continue;
                }
                const double ratio = L != 0 ? r.ctRatio / L : 0.0;
                RtfWriteCell(FormatC("\\qr %.2lf", L));
                if (ratio < 1.001) {
                    RtfWriteCell(FormatC("\\qr %.2lf\\b0", ratio));
                } else {
                    RtfWriteCell(FormatC("\\qr\\b %.2lf\\b0", ratio));
                    failed = true;
                }
            }
        RtfEndTable();
        RtfWriteText(0, "");
        if (failed) cls = 4;
        RtfWriteText(0, failed ? Tr("\\b b/t - Nachweis nicht erfüllt.\\b0") : Tr("b/t - Nachweis erfüllt."));
    }
    RtfCloseDocument(0);
    return cls;
}

int32_t WriteCtCheckReport(RunState& run, int32_t nEd, const std::string& fileName, int32_t plastic) {
    // One calculation's records only (a host may call the kernel twice
    // without reloading it).
    CtDecisiveRecords().clear();
    const int32_t nodes = run.cdltr.fe.nKnoten;
    const int32_t ends = nodes > 1 ? 2 * (nodes - 1) : 0;
    int32_t cls = 0;
    for (int32_t lk = 0; lk < nEd; ++lk)
        for (int32_t p = 0; p < ends; ++p) cls = std::max(cls, static_cast<int32_t>(CalcCtChecks(run, lk, p, plastic)));
    return WriteCtTables(run.reader.NormName, fileName, cls, plastic);
}

}  // namespace tovik::checks
