// The crane-runway calculation entered from the position's calculation.
#include "crane/CraneOperations.h"
#include "crane/CraneRun.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <cstdlib>
#include <deque>
#include <iterator>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>

#include "crane/RunPreparation.h"
#include "crane/VaduProgress.h"
#include "module/frame/CalcDLL.h"
#include "module/frame/HostRoutines.h"
#include "module/frame/ModuleState.h"
#include "module/frame/ProgDB.h"
#include "module/frame/SideFiles.h"
#include "module/frame/Utilities.h"
#include "platform/common/thread_count.h"
#include "platform/lingo/lingo.h"
#include "platform/winsys/winsys.h"
#include "platform/zevud/holds.h"

namespace {

std::string Tr(const char* text) { return lingo::Translate("VKT Eingabe", "velor_i_rigel", "RigelData", text); }

template <class... A>
std::string TrFormat(const char* format, const A&... args) {
    return lingo::FormatTranslated(format, Tr(format), args...);
}

int Message(const std::string& text, winsys::Buttons buttons = winsys::Buttons::Ok,
            winsys::Icon icon = winsys::Icon::Warning, int batchAnswer = 0) {
    return winsys::MessageBox(text, Tr("VK-Statik"), buttons, icon, batchAnswer);
}

bool g_active = false;
CVaduDlgProgress* g_progress = nullptr;

// Sets a value for the lifetime of the object and gives the old one back on
// every way out.
template <class T>
class Restore {
public:
    Restore(T& ref, T value) : m_ref(ref), m_old(ref) { ref = value; }
    ~Restore() { m_ref = m_old; }
    Restore(const Restore&) = delete;
    Restore& operator=(const Restore&) = delete;

private:
    T& m_ref;
    T m_old;
};

// Runs a callable on every way out of a scope.
template <class F>
class OnExit {
public:
    explicit OnExit(F f) : m_f(std::move(f)) {}
    ~OnExit() {
        if (m_armed) m_f();
    }
    void Disarm() { m_armed = false; }
    OnExit(const OnExit&) = delete;
    OnExit& operator=(const OnExit&) = delete;

private:
    F m_f;
    bool m_armed = true;
};

// Holds the document's saves under its own name for the kernel runs of a
// crane calculation. Every kernel run saves the position (and the base run
// too with "bSaveAlways"), yet the kernel reads its input from the document
// in memory, and what a run leaves on disk is a state between two positions
// (that position's loads and results, the buckling runs' negated
// imperfections, a cleared fingerprint) that nobody reads: a runway of 200
// crane positions and five checks wrote and synced its file more than a
// thousand times. Held, the file stays the user's until the calculation
// ends: a stopped run saves the user's input once, a finished one is saved
// by the document's owner, and a process killed half-way leaves the file as
// it was. An owner's hold (the host holds the saves of a whole command)
// stays in place.
class HeldSaves {
public:
    explicit HeldSaves(ZVDOC doc) : m_doc(doc), m_own(doc && !ZEVUD_SavesHeld(doc)) {
        if (m_own) ZEVUD_HoldSaves(m_doc, 1);
    }
    ~HeldSaves() { Release(); }
    void Release() {
        if (m_own) ZEVUD_HoldSaves(m_doc, 0);
        m_own = false;
    }
    HeldSaves(const HeldSaves&) = delete;
    HeldSaves& operator=(const HeldSaves&) = delete;

private:
    ZVDOC m_doc;
    bool m_own;
};

// The document's "result" says that the position is not calculated and
// why; the host and the output page read it. Only the document in memory
// changes: a run that was refused or stopped saves nothing of its own.
void MarkNotCalculated(CModuleData& data, const std::string& text) {
    ZVELEM root = data.m_hDoc ? ZEVUD_GetRootElement(data.m_hDoc) : 0;
    if (!root) return;
    ZVELEM result = ZEVUD_FindFirstChild(root, "result");
    if (!result) result = ZEVUD_AddChildElement(root, "result");
    ZEVUD_SetInt(result, "abbruch", 1);
    ZEVUD_SetString(result, "errorMsg", text.c_str());
    ZEVUD_SetString(result, "message", text.c_str());
}

std::string ReplaceAll(std::string s, const std::string& from, const std::string& to) {
    if (from.empty()) return s;
    for (size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size()))
        s.replace(at, from.size(), to);
    return s;
}

// "\n" becomes "\r\n" (a "\r\n" already there stays as it is).
std::string ToCrLf(const std::string& s) {
    std::string out;
    out.reserve(s.size() + 16);
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\n' && (i == 0 || s[i - 1] != '\r')) out += '\r';
        out += s[i];
    }
    return out;
}

std::string KernelErrorText(CModuleData& data) {
    ZVELEM root = data.m_hDoc ? ZEVUD_GetRootElement(data.m_hDoc) : 0;
    ZVELEM result = root ? ZEVUD_FindFirstChild(root, "result") : 0;
    if (!result) return {};
    return zevud::GetString(result, "errorMsg");
}

// The names of the kernel's evaluation points ("userPoints" of its result):
// the stress points of the result rows, the fatigue check and the summary.
void ReadUserPointNames(CModuleData& data) {
    ZVELEM root = ZEVUD_GetRootElement(data.m_hDoc);
    ZVELEM result = root ? ZEVUD_FindFirstChild(root, "result") : 0;
    ZVELEM up = result ? ZEVUD_FindFirstChild(result, "userPoints") : 0;
    if (!up) return;
    const int n = std::clamp(ZEVUD_GetInt(up, "numOfUserPoints"), 0, CModuleData::kMaxListCount);
    std::vector<std::string> names;
    for (int i = 0; i < n; ++i) names.push_back(zevud::GetString(up, TrFormat("userPoint-%ld", static_cast<long>(i))));
    data.m_userPointNames = std::move(names);
}

// Every result of the run goes: result lists, envelopes, tables of every check.
void ClearRunResults(CModuleData& data) {
    data.m_resultSets.clear();
    data.m_resultIndex.clear();
    for (int c = 0; c < CModuleData::kCraneChecks; ++c) {
        data.m_craneResultSets[c].clear();
        data.m_craneResults[c] = CResultTable();
        data.m_akResults[c] = CResultTable();
    }
    for (CEnvelope& e : data.m_summaries) e.Clear();
    for (CResultTable& t : data.m_fatResults) t = CResultTable();
    for (std::map<int, double>& r : data.m_positionRatings) r.clear();
    data.m_bucklRes.Clear();
    data.m_fatDetail.Clear();
    data.m_railWeld.Clear();
    data.m_superposition = CResultTable();
    data.m_reactions.Clear();
    for (CCraneReactions& r : data.m_checkReactions) r.Clear();
}

void ClearCheck(CModuleData& data, int check) {
    data.m_craneResultSets[check].clear();
    if (check < 3) data.m_positionRatings[check].clear();
    data.m_craneResults[check] = CResultTable();
    data.m_akResults[check] = CResultTable();
    data.m_summaries[check].Clear();
    if (check < 3) data.m_summaries[5 + check].Clear();
    if (static_cast<size_t>(check) < data.m_checkReactions.size())
        data.m_checkReactions[static_cast<size_t>(check)].Clear();
}

// The name of a step that the run needs but cannot do; empty when all are there.
std::string MissingStep(const CModuleData& data, const CCraneRunSteps& steps) {
    const CCraneSettings& s = data.m_craneSettings;
    bool ultimate = false, any = false;
    for (int c = 0; c < CModuleData::kCraneChecks; ++c) {
        if (!s.m_checkEnabled[c]) continue;
        any = true;
        if (c < 3) ultimate = true;
    }
    if (!steps.kernelRun) return Tr("Berechnung einer Kranstellung");
    if (any && !steps.superpose) return Tr("Überlagerung der Kranstellungen");
    if (any && !steps.envelope) return Tr("Umhüllende der Nachweise");
    if (ultimate && s.m_LTBEnabled && !steps.ratings) return Tr("Ausnutzung der Kranstellungen für Biegedrillknicken");
    if (ultimate && !steps.exportExtremes) return Tr("Export der Extremwerte");
    if (s.m_checkEnabled[4] && !steps.fatigue) return Tr("Ermüdungsnachweis");
    if (s.m_bBuckling && !steps.plateBuckling) return Tr("Beulnachweis");
    if (!steps.railWeld) return Tr("Nachweis der Schienenschweißnaht");
    return {};
}

// One result curve of a check's table: for every node (x, row hi, row lo).
CResultSet MakeBand(const CResultTable& table, int hi, int lo, int kind, const std::string& title,
                    const std::string& unit) {
    CResultSet set;
    set.m_strTitle = title;
    set.m_strUnit = unit;
    set.m_min = 1e10f;
    set.m_max = -1e10f;
    set.m_factor = 1.0f;
    set.m_type = (kind >= 18 && kind <= 23) || kind == 27 || kind == 28 ? 3 : 2;
    set.m_resType = kind;
    const int nodes = table.GetNumNodes();
    set.m_data.assign(static_cast<size_t>(nodes) * 3, 0.0f);
    table.GetXPositions(set.m_data.data(), 0, 3);
    table.GetRowFloat(hi, kind, set.m_data.data(), 1, 3);
    table.GetRowFloat(lo, kind, set.m_data.data(), 2, 3);
    return set;
}

void Finish(CResultSet& set, bool reduce) {
    set.FindExtremes();
    if (reduce) set.ReducePoints();
    set.InsertZeroCrossings();
}

// The curve (x, max - min) of a band.
CResultSet MakeDelta(const CResultSet& band) {
    CResultSet delta = band;
    delta.m_strTitle = band.m_strTitle + "(delta)";
    delta.m_type = 0;
    delta.m_data.clear();
    delta.m_extremes.clear();
    delta.m_poi.clear();
    delta.m_min = 1e10f;
    delta.m_max = -1e10f;
    for (size_t i = 0; i + 2 < band.m_data.size(); i += 3) {
        delta.m_data.push_back(band.m_data[i]);
        delta.m_data.push_back(static_cast<float>(static_cast<double>(band.m_data[i + 1]) - band.m_data[i + 2]));
    }
    return delta;
}

// A band of maximum and minimum, thinned out, and the curve of their
// difference into the result list.
void AddBandAndDelta(CModuleData& data, CResultSet band) {
    CResultSet delta = MakeDelta(band);
    Finish(band, true);
    data.m_resultSets.push_back(std::move(band));
    Finish(delta, false);
    data.m_resultSets.push_back(std::move(delta));
}

// The fatigue check's curves of several cranes: per crane from its own
// fatigue table (maximum load case 1, minimum 0), titled "<check>\Vadu
// <crane>\<label>" with their "(delta)" curves; then the resultant pass of
// the cranes acting together from load case 2 of the check's table, titled
// "<check>\dDup\<label>" (only the values it holds, not thinned out).
void AddFatigueCraneSets(CModuleData& data, const std::string& checkName, int kinds) {
    const std::vector<std::string>& points = data.m_userPointNames;
    const int cranes = std::min(static_cast<int>(data.m_cranes.size()), 3);
    for (int k = 0; k < cranes; ++k) {
        const CResultTable& table = data.m_fatResults[k];
        if (!table.IsValid() || table.GetNumLoadCases() < 2) continue;
        for (int r = 0; r < kinds; ++r) {
            if (!table.HasValue(r)) continue;
            std::string label, unit;
            GetResultLabel(data, r, 4, label, unit, points);
            const std::string title = TrFormat("%s\\Vadu %ld\\%s", checkName, static_cast<long>(k + 1), label);
            AddBandAndDelta(data, MakeBand(table, 1, 0, r, title, unit));
        }
    }
    const CResultTable& own = data.m_craneResults[4];
    if (!own.IsValid() || own.GetNumLoadCases() < 3) return;
    for (int r = 0; r < kinds; ++r) {
        if (!own.HasValue(r)) continue;
        std::string label, unit;
        GetResultLabel(data, r, 4, label, unit, points);
        // One value per node: (x, value) pairs.
        const CResultSet band = MakeBand(own, 2, 2, r, TrFormat("%s\\dDup\\%s", checkName, label), unit);
        CResultSet dup = band;
        dup.m_type = 0;
        dup.m_data.clear();
        for (size_t i = 0; i + 2 < band.m_data.size(); i += 3)
            dup.m_data.insert(dup.m_data.end(), {band.m_data[i], band.m_data[i + 1]});
        if (dup.IsAllZero()) continue;
        Finish(dup, false);
        data.m_resultSets.push_back(dup);
    }
}

// The result sets of the envelopes of every enabled check, with the
// support-reaction extremes exported under "exports".
void BuildResultSets(CModuleData& data, const CCraneRunSteps& steps, ZVELEM exports) {
    const CCraneSettings& s = data.m_craneSettings;
    const std::vector<std::string>& points = data.m_userPointNames;
    const int n = static_cast<int>(points.size());
    const int plates = std::max(0, data.m_bucklRes.m_numOfPlates);
    const int kinds = s.m_bPlateStresses ? crane_rows::FirstPlateRow(n) + crane_rows::kRowsPerPlate * plates
                                         : crane_rows::FirstPlateRow(n);
    for (int c = 0; c < CModuleData::kCraneChecks; ++c) {
        if (!s.m_checkEnabled[c]) continue;
        std::string name;
        GetCheckName(c, name);
        const int passes = (c < 3 && s.m_LTBEnabled) ? 2 : 1;
        for (int pass = 0; pass < passes; ++pass) {
            const std::string checkTitle = pass == 0 ? name : name + "\\" + Tr("Biegedrillknicken");
            const CResultTable& main = data.m_craneResults[c];
            for (int r = 0; r < kinds; ++r) {
                const bool fromSecond = pass == 0 && r >= 18 && r <= 28;
                const CResultTable& table = fromSecond ? data.m_akResults[c] : main;
                if (!table.IsValid() || !table.HasValue(r)) continue;
                std::string label, unit;
                GetResultLabel(data, r, c, label, unit, points);
                const std::string title = checkTitle + "\\" + label;
                CResultSet band = MakeBand(table, 2 * pass + 1, 2 * pass, r, title, unit);
                if (pass == 0 && r >= 18 && r <= 23 && c < 3 && steps.exportExtremes)
                    steps.exportExtremes(data, exports, c, r, band);
                AddBandAndDelta(data, band);
                if (pass == 0 && s.m_bDetailedReactions && r >= 18 && r <= 23) {
                    const size_t cut = title.rfind('\\');
                    const int cases = table.GetNumLoadCases() / 2 - 1;
                    for (int j = 0; j < cases; ++j) {
                        std::string caseName = TrFormat("%ld", static_cast<long>(j + 1));
                        const std::string caseTitle = title.substr(0, cut + 1) + Tr("Lastgruppe\\") + caseName +
                                                      "\\" + title.substr(cut + 1);
                        CResultSet one = MakeBand(table, 2 * j + 3, 2 * j + 2, r, caseTitle, unit);
                        if (one.IsAllZero()) continue;
                        Finish(one, true);
                        data.m_resultSets.push_back(one);
                    }
                }
            }
        }
        if (c == 4 && data.m_cranes.size() > 1) AddFatigueCraneSets(data, name, kinds);
    }
}

// The largest utilisation of the run: every result whose label is a
// utilisation or an interaction, over the envelopes of the enabled checks
// and their buckling passes, the plate-buckling and the rail-weld checks.
double MaxUtilisation(const CModuleData& data) {
    const int n = static_cast<int>(data.m_userPointNames.size());
    double top = 0.0;
    for (int c = 0; c < CModuleData::kCraneChecks; ++c) {
        if (!data.m_craneSettings.m_checkEnabled[c]) continue;
        for (int id = 0; id < crane_rows::FirstPlateRow(n); ++id) {
            if (!data.m_craneResults[c].HasValue(id)) continue;
            std::string label, unit;
            GetResultLabel(data, id, c, label, unit, data.m_userPointNames);
            if (label.find("Ausnutzung") == std::string::npos && label.find("Interaktion") == std::string::npos)
                continue;
            for (int env : {c, c < 3 ? 5 + c : -1}) {
                if (env < 0) continue;
                int pos = 0, info = 0;
                double v = 0.0, x = 0.0;
                if (data.m_summaries[env].GetAt(1, id, pos, v, x, info)) top = std::max(top, v);
            }
        }
    }
    // Plate buckling (with flange-induced buckling and the web's crushing)
    // and the rail weld are judged by their own tables.
    if (data.m_craneSettings.m_bBuckling)
        for (const std::vector<double>* list : {&data.m_bucklRes.m_util, &data.m_bucklRes.m_utilFib,
                                                &data.m_bucklRes.m_utilFy})
            for (double u : *list) top = std::max(top, u);
    const CRailWeldTable& w = data.m_railWeld;
    for (size_t i = 0; i + CRailWeldTable::kRecordValues <= w.m_val.size(); i += CRailWeldTable::kRecordValues)
        if (i / CRailWeldTable::kRecordValues < w.m_bUsed.size() && w.m_bUsed[i / CRailWeldTable::kRecordValues])
            top = std::max(top, w.m_val[i + 10]);
    return top;
}

// The report routine the program record names (library and export); empty
// names when it names none.
std::pair<std::string, std::string> ReportRoutine(const CModuleData& data) {
    const CProgDBEntry* record = GetProgDB().FindProgram(data.m_strProgName, data.m_strModuleName);
    if (!record) return {};
    return {record->m_strRtfDLLName, record->m_strRtfProcName};
}

// The report step: the default one calls the routine the program record
// names and does nothing when it names none.
bool HasReportRoutine(CModuleData&) { return static_cast<bool>(GetCraneRunSteps().report); }

// The kernel run of the default steps: the base calculation with both flags 0.
CRecalcResult KernelRunOfPosition(CModuleData& data) { return data.CBaseData::Recalc(0, 0); }

bool IsDefaultKernelRun(const CCraneRunSteps& steps) {
    using Fn = CRecalcResult (*)(CModuleData&);
    const Fn* f = steps.kernelRun.target<Fn>();
    return f && *f == &KernelRunOfPosition;
}

// The kernel's routine for a crane position on a worker thread, bound by
// the driver for the length of a calculation (null: none).
std::atomic<CalcProc> g_positionRoutine{nullptr};

// Marks a copy of the position as "to be calculated again the usual way".
void MarkRunAgain(ZVDOC doc) {
    ZVELEM root = ZEVUD_GetRootElement(doc);
    if (!root) return;
    ZVELEM result = ZEVUD_FindFirstChild(root, "result");
    if (!result) result = ZEVUD_AddChildElement(root, "result");
    ZEVUD_SetInt(result, "abbruch", 1);
}

// The calculation library the program record names; empty without one, or
// when the host program itself calculates.
std::string KernelLibrary(const CModuleData& data) {
    const CProgDBEntry* record = GetProgDB().FindProgram(data.m_strProgName, data.m_strModuleName);
    if (!record || record->m_strCalcDLLName == kHostProgramName) return {};
    return record->m_strCalcDLLName;
}

// Binds the kernel's position routine of the library the program record
// names, without a message when there is none; unbinds on destruction.
class PositionRoutine {
public:
    explicit PositionRoutine(const CModuleData& data) {
        const std::string library = KernelLibrary(data);
        if (library.empty()) return;
        m_lib = winsys::LoadLibrary(library);
        if (!m_lib) return;
        m_proc = reinterpret_cast<CalcProc>(winsys::GetProcAddress(m_lib, "RIREZ_AverPosition"));
        if (m_proc) g_positionRoutine.store(m_proc);
    }
    ~PositionRoutine() {
        if (m_proc) g_positionRoutine.store(nullptr);
        if (m_lib) winsys::FreeLibrary(m_lib);
    }
    bool IsBound() const { return m_proc != nullptr; }
    PositionRoutine(const PositionRoutine&) = delete;
    PositionRoutine& operator=(const PositionRoutine&) = delete;

private:
    void* m_lib = nullptr;
    CalcProc m_proc = nullptr;
};

// One crane position's kernel run on a worker: its own copy of the
// document, closed with the job.
struct PositionJob {
    // The position's document; completed by the worker before the run.
    CCranePositionDocuments::Document document;
    ZVDOC doc = 0;
    bool done = false;
    // No message was shown while the run worked.
    bool quiet = true;
};

// Worker threads that take jobs in the order given. Each runs the step on
// its job's own document, its messages collected (a run that would have
// said anything is calculated again on the calling thread, where the
// message is shown as in a serial run). Destruction drops the jobs not
// started and waits for those running.
class PositionWorkers {
public:
    PositionWorkers(std::function<void(ZVDOC)> step, int threads) : m_step(std::move(step)) {
        for (int i = 0; i < threads; ++i) m_threads.emplace_back([this] { Work(); });
    }
    ~PositionWorkers() {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_stop = true;
            m_queue.clear();
        }
        m_wake.notify_all();
        for (std::thread& t : m_threads) t.join();
    }
    void Push(const std::shared_ptr<PositionJob>& job) {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_queue.push_back(job);
        }
        m_wake.notify_one();
    }
    void Wait(const PositionJob& job) {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_done.wait(lock, [&] { return job.done; });
    }
    // A job whose results were taken: its document is closed on a worker,
    // between runs, rather than on the thread that superposes.
    void Retire(std::shared_ptr<PositionJob> job) {
        if (!job) return;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_retired.push_back(std::move(job));
        }
        m_wake.notify_one();
    }
    PositionWorkers(const PositionWorkers&) = delete;
    PositionWorkers& operator=(const PositionWorkers&) = delete;

private:
    void Work() {
        for (;;) {
            std::shared_ptr<PositionJob> job;
            {
                std::unique_lock<std::mutex> lock(m_mutex);
                m_wake.wait(lock, [&] { return m_stop || !m_queue.empty() || !m_retired.empty(); });
                if (m_stop) return;
                if (m_queue.empty()) {
                    std::shared_ptr<PositionJob> retired = std::move(m_retired.front());
                    m_retired.pop_front();
                    lock.unlock();
                    retired.reset();
                    continue;
                }
                job = std::move(m_queue.front());
                m_queue.pop_front();
            }
            winsys::RecordingSink said;
            winsys::MessageSink* before = winsys::SetThreadMessageSink(&said);
            try {
                job->doc = job->document.Complete();
                m_step(job->doc);
            } catch (...) {
                MarkRunAgain(job->doc);
            }
            winsys::SetThreadMessageSink(before);
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                job->quiet = said.messages.empty();
                job->done = true;
            }
            m_done.notify_all();
        }
    }

    std::function<void(ZVDOC)> m_step;
    std::mutex m_mutex;
    std::condition_variable m_wake, m_done;
    std::deque<std::shared_ptr<PositionJob>> m_queue, m_retired;
    bool m_stop = false;
    std::vector<std::thread> m_threads;
};

// The report step and its outcome. The report must come out anew: beside
// the position, or, while the document's side files are held (a calculation
// whose position is saved afterwards), in the file staged for it, which
// replaces the old report only once the position is saved. When it does not,
// the run says why, and whoever saves the position does not claim the
// report (the old one, when there is one, stays as it was).
void WriteReport(CModuleData& data, const CCraneRunSteps& steps) {
    data.SetReportFailure({});
    if (!steps.report) return;
    const std::string target = data.GetSideFileName(".rtf");
    const auto [library, routine] = ReportRoutine(data);
    const bool due = !target.empty() && !library.empty() && !routine.empty();
    const bool held = sidefiles::IsHeld(data.m_hDoc);
    const winsys::FileIdentity before = winsys::IdentityOf(target);
    steps.report(data);
    if (!due) return;
    const winsys::FileIdentity after = winsys::IdentityOf(held ? sidefiles::StagedFile(data.m_hDoc, target) : target);
    const bool written = after.exists && (held || !(after == before));
    if (written) return;
    data.SetReportFailure(
        TrFormat(before.exists
                     ? "Der Bericht '%s' konnte nicht geschrieben werden; der bisherige Bericht bleibt erhalten."
                     : "Der Bericht '%s' konnte nicht geschrieben werden.",
                 target));
}

}  // namespace

// ---- the steps ------------------------------------------------------------------------

CCraneRunSteps DefaultCraneRunSteps() {
    CCraneRunSteps steps;
    steps.kernelRun = &KernelRunOfPosition;
    steps.positionRun = [](ZVDOC doc) {
        const CalcProc routine = g_positionRoutine.load();
        if (routine) routine(doc, 0);
        else MarkRunAgain(doc);
    };
    steps.superpose = [](CModuleData& data, int check, int mode, int loadCases, int position,
                         const std::vector<std::string>& names, std::FILE* log) {
        SuperposeCraneResults(data, check, mode, loadCases, position, names, log);
        // The curves of the position's load cases join the check's result
        // sets, which the result selection and the report's appendix read.
        if (check >= 0 && check < CModuleData::kCraneChecks) {
            std::vector<CResultSet>& from = data.m_checkResultSets[check];
            std::vector<CResultSet>& to = data.m_craneResultSets[check];
            to.insert(to.end(), std::make_move_iterator(from.begin()), std::make_move_iterator(from.end()));
            from.clear();
        }
    };
    steps.ratings = [](const CModuleData& data, int check) {
        return check >= 0 && check < 3 ? data.m_positionRatings[check] : std::map<int, double>();
    };
    steps.envelope = [](CModuleData& data, int check) { ApplyMaxAbsEnvelope(data, check); };
    steps.fatigueInput = [](const CModuleData& data) { return CheckFatigueInput(data); };
    steps.fatigue = [](CModuleData& data) { return CalcFatigue(data); };
    steps.plateBuckling = [](CModuleData& data) { CalcPlateBuckling(data); };
    steps.railWeld = [](CModuleData& data) { CalcRailWeld(data); };
    steps.exportExtremes = [](CModuleData& data, ZVELEM exports, int check, int valueId, const CResultSet& curve) {
        ExportExtremalValues(exports, check, valueId, curve, GetRestrainedSupportX(data));
    };
    steps.report = [](CModuleData& data) {
        const auto [library, routine] = ReportRoutine(data);
        if (library.empty() || routine.empty()) return;
        CCalcDLL report(library, routine);
        report.Call(data.m_hDoc, 1);
    };
    return steps;
}

CCraneRunSteps& GetCraneRunSteps() {
    static CCraneRunSteps steps = DefaultCraneRunSteps();
    return steps;
}

int CranePositionThreads(int positions) { return platform_common::ThreadCount(0, positions); }

CVaduDlgProgress* GetCraneRunProgress() { return g_progress; }
bool IsCraneRunActive() { return g_active; }

// ---- the documents of the positions -----------------------------------------------------

namespace {

// What a run leaves in a document and a copy for a run must not hold.
const char* const kProducedElements[] = {"result", "results", "exports"};

}  // namespace

// The series' copy of the position's document, written whole at its first
// position, without what runs produce.
struct CCranePositionDocuments::Document::Base {
    ZVDOC doc = 0;
    ~Base() {
        if (doc) ZEVUD_CloseDoc(doc);
    }
};

CCranePositionDocuments::Document::~Document() {
    if (m_doc) ZEVUD_CloseDoc(m_doc);
    if (m_loads) ZEVUD_CloseDoc(m_loads);
}

CCranePositionDocuments::Document::Document(Document&& other) noexcept
    : m_doc(std::exchange(other.m_doc, 0)), m_base(std::move(other.m_base)), m_loads(std::exchange(other.m_loads, 0)) {}

CCranePositionDocuments::Document& CCranePositionDocuments::Document::operator=(Document&& other) noexcept {
    if (this != &other) {
        Document gone(std::move(*this));
        m_doc = std::exchange(other.m_doc, 0);
        m_base = std::move(other.m_base);
        m_loads = std::exchange(other.m_loads, 0);
    }
    return *this;
}

ZVDOC CCranePositionDocuments::Document::Complete() {
    if (m_doc || !m_base || !m_loads) return m_doc;
    const ZVELEM loads = ZEVUD_FindFirstChild(ZEVUD_GetRootElement(m_loads), "loads");
    const ZVDOC doc = ZEVUD_CreateDoc(zevud::GetCompleteFileName(m_base->doc).c_str());
    if (!doc || !loads) {
        if (doc) ZEVUD_CloseDoc(doc);
        return 0;
    }
    ZEVUD_HoldSaves(doc, 1);
    const ZVELEM root = ZEVUD_GetRootElement(doc);
    ZEVUD_CloneElementTree(root, ZEVUD_GetRootElement(m_base->doc));
    const ZVELEM input = ZEVUD_FindFirstChild(root, "input");
    const ZVELEM target = input ? ZEVUD_FindFirstChild(input, "loads") : 0;
    // The loads take the place of the first position's, attributes and all.
    if (!target || ZEVUD_CloneElementTree(target, loads) != 1) {
        ZEVUD_CloseDoc(doc);
        return 0;
    }
    m_doc = doc;
    ZEVUD_CloseDoc(std::exchange(m_loads, 0));
    m_base.reset();
    return m_doc;
}

CCranePositionDocuments::CCranePositionDocuments(CModuleData& data)
    : m_data(data), m_file(data.m_hDoc ? zevud::GetCompleteFileName(data.m_hDoc) : std::string()) {}

CCranePositionDocuments::Document CCranePositionDocuments::Make(int p) {
    CModuleData& data = m_data;
    Document out;
    if (!data.m_hDoc) return out;
    data.m_nCurCranePos = p;
    data.SetCurrentCranePosition();
    if (m_written && m_loadsOnly && m_base) {
        // Only the loads: into a document of their own, put together with
        // the series' copy by whoever completes it.
        out.m_loads = ZEVUD_CreateDoc("");
        if (!out.m_loads) return out;
        const ZVELEM loads = ZEVUD_AddChildElement(ZEVUD_GetRootElement(out.m_loads), "loads");
        data.m_bRunning = 1;
        data.WriteLoadList(loads);
        data.m_bRunning = 0;
        out.m_base = m_base;
        return out;
    }
    data.ClearInputFingerprint();
    data.m_bRunning = 1;
    {
        // Whatever reads a crane-position variable ("pos0".."pos2") outside
        // the loads makes every position write the data whole.
        CVariableReadWatch watch({"pos"});
        data.WriteData(data.m_hDoc);
        m_loadsOnly = watch.Reads() == 0;
    }
    data.m_bRunning = 0;
    m_written = true;
    m_base.reset();
    const ZVDOC doc = ZEVUD_CreateDoc(m_file.c_str());
    if (!doc) return out;
    ZEVUD_HoldSaves(doc, 1);
    const ZVELEM copy = ZEVUD_GetRootElement(doc);
    ZEVUD_CloneElementTree(copy, ZEVUD_GetRootElement(data.m_hDoc));
    for (const char* name : kProducedElements)
        if (ZVELEM e = ZEVUD_FindFirstChild(copy, name)) ZEVUD_DeleteElement(e);
    out.m_doc = doc;
    if (m_loadsOnly) {
        // The series' copy for the later positions: this position's
        // document as it stands (it holds no results yet).
        auto base = std::make_shared<Document::Base>();
        base->doc = ZEVUD_CreateDoc(m_file.c_str());
        if (base->doc) {
            ZEVUD_HoldSaves(base->doc, 1);
            ZEVUD_CloneElementTree(ZEVUD_GetRootElement(base->doc), copy);
            m_base = std::move(base);
        }
    }
    return out;
}

// ---- the decisions ----------------------------------------------------------------------

std::vector<bool> ParsePositionList(const std::string& text) {
    std::vector<bool> bits;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(',', start);
        if (end == std::string::npos) end = text.size();
        const long number = std::strtol(text.substr(start, end - start).c_str(), nullptr, 10);
        // A position number beyond any runway is ignored rather than grown to.
        if (number >= 1 && number <= CModuleData::kMaxListCount) {
            if (bits.size() < static_cast<size_t>(number)) bits.resize(static_cast<size_t>(number), false);
            bits[static_cast<size_t>(number - 1)] = true;
        }
        start = end + 1;
    }
    return bits;
}

int UtilisationPercent(double u) { return static_cast<int>(std::trunc(u * 100.0 + 0.5)); }

int BucklingThreshold(int minUtil, int maxPercent) {
    return static_cast<int>((static_cast<long long>(minUtil) * maxPercent) / 100);
}

bool RunsInBucklingLoop(int percent, int threshold, int maxPercent) {
    return percent > threshold || percent >= maxPercent - 1;
}

int PositionOfTitle(const std::string& title) {
    const std::string key = "\\" + Tr("Kranstellung") + "\\";
    const size_t at = title.find(key);
    if (at == std::string::npos) return -1;
    const char* digits = title.c_str() + at + key.size();
    char* end = nullptr;
    const long number = std::strtol(digits, &end, 10);
    if (end == digits || number < 1) return -1;
    return static_cast<int>(number - 1);
}

void SelectCheckResults(std::vector<CResultSet>& sets, int resultType, const std::map<int, int>& percents,
                        int threshold, const std::vector<bool>& listed) {
    std::vector<CResultSet> kept;
    for (CResultSet& set : sets) {
        const int p = PositionOfTitle(set.m_strTitle);
        const auto rated = percents.find(p);
        bool keep = resultType == 1;
        if (resultType == 2 && rated != percents.end()) keep = true;
        if (resultType == 3 && rated != percents.end() && rated->second > threshold) keep = true;
        if (p >= 0 && static_cast<size_t>(p) < listed.size() && listed[static_cast<size_t>(p)]) keep = true;
        if (!keep) continue;
        const size_t at = set.m_strTitle.find('@');
        if (at != std::string::npos) {
            // "... 3 @\..." becomes "... 3 (81 %)\..." or "... 3\...".
            if (rated != percents.end()) {
                set.m_strTitle.replace(at, 1, TrFormat("(%ld %%)", static_cast<long>(rated->second)));
            } else {
                size_t from = at;
                if (from > 0 && set.m_strTitle[from - 1] == ' ') --from;
                set.m_strTitle.erase(from, at + 1 - from);
            }
        }
        kept.push_back(std::move(set));
    }
    sets = std::move(kept);
}

// ---- the operations of the module data ------------------------------------------------

void PrepareCheckRun(CModuleData& d, int check) {
    CLKData& lk = d.LK();
    for (int sw : {3, 5, 15, 16}) lk.m_bChecks[sw - 1] = false;
    lk.m_bChecks[0] = check == 0 || check == 2;
    lk.m_bChecks[1] = check == 1;
    lk.Generate(1);
    for (CLoadDef& l : d.m_loads) l.m_ey.SetValue(d.m_craneSettings.m_craneTyp == 0 ? d.m_dLateralEcc : 0.0);
}

bool CancelCalculation(CModuleData& d, int force) {
    if (force == 0) {
        const int answer = Message(Tr("Berechnung wirklich abbrechen?"), winsys::Buttons::YesNo,
                                   winsys::Icon::Question, winsys::IdNo);
        if (answer != winsys::IdYes) return false;
    }
    ClearRunResults(d);
    d.ClearInputFingerprint();
    if (force == 0) {
        d.m_strMessage = Tr("Berechnung abgebrochen");
    } else {
        std::string text = KernelErrorText(d);
        if (text.empty()) text = Tr("Die Berechnung einer Kranstellung ist fehlgeschlagen.");
        text = ReplaceAll(text, "{\\par \\pard}", "\n");
        d.m_strMessage = ToCrLf(text);
    }
    d.UpdateViews(0);
    return true;
}

void BuildCalcMessage(CModuleData& d) {
    d.m_strMessage.clear();
    d.WriteCheckSummary(1);
    std::string text = ReplaceAll(d.m_strMessage, "{\\sub ", "");
    text = ReplaceAll(text, "}", "");
    d.m_strMessage = ToCrLf(text);
}

// ---- the calculation ----------------------------------------------------------------------

CRecalcResult RecalcCraneRunway(CModuleData& data, int bReport, int) {
    // A calculation asked for while one runs (from a message pumped by the
    // progress window) leaves the running one alone and raises no error.
    if (g_active) return {1, 1, 0, 0};
    if (!data.m_hDoc) return {0, 1, 0, 0};
    Restore<bool> active(g_active, true);
    const CRecalcResult notDone{0, 1, 0, 0};
    // The kernel library stays loaded for the whole run: every check and
    // crane position binds it again for its calculation, which then finds
    // it loaded instead of loading and relocating it each time.
    struct KernelHold {
        void* lib = nullptr;
        ~KernelHold() {
            if (lib) winsys::FreeLibrary(lib);
        }
    } kernel;
    if (const std::string library = KernelLibrary(data); !library.empty()) kernel.lib = winsys::LoadLibrary(library);
    CCraneSettings& settings = data.m_craneSettings;
    const CCraneRunSteps steps = GetCraneRunSteps();

    // The run log of the superposition: only for the developer.
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> log(nullptr, &std::fclose);
    if (IsDeveloperDumpOn()) log.reset(std::fopen("ProcessResults.txt", "w"));

    // A refused calculation: whatever results the document still holds
    // belong to other input than the position now has, and no reader takes
    // them as current (the zeroed fingerprint says so).
    auto refuse = [&](const std::string& text) {
        Message(text);
        MarkNotCalculated(data, text);
        data.ClearInputFingerprint();
        return notDone;
    };

    // ---- checks before anything runs ----
    int plates = -1;
    for (CSection& s : data.m_sections) {
        const int count = s.m_profile.IsValid() ? s.m_profile.GetEffValueCount() : -1;
        if (plates < 0) {
            plates = count;
        } else if (count != plates) {
            return refuse(
                Tr("Die gewählten Querschnitte müssen gleichförmig sein, d.h. die gleiche Anzahl Bleche besitzen."));
        }
    }
    const size_t nCranes = data.m_cranes.size();
    if (nCranes > 3) return refuse(Tr("Es können höchstens drei Krane berechnet werden."));
    // A crane whose axles were cut to fit the record is not the crane the
    // user entered: it is refused, not calculated with fewer axles.
    for (const CCrane& crane : data.m_cranes) {
        if (crane.m_refusedAxisCount > 0)
            return refuse(TrFormat("Kran \"%s\": %d Achsen eingegeben; berechnet werden höchstens %d Achsen je Kran.",
                                   crane.m_strDesc, crane.m_refusedAxisCount, int(CCrane::kMaxAxes)));
    }
    // The axles follow one another: a negative spacing puts an axle behind
    // the first, where the crane's span and its loads make no sense.
    for (const CCrane& crane : data.m_cranes) {
        for (int a = 1; a < crane.m_numOfAxis; ++a) {
            const double spacing = crane.GetAxisValue(a, 0);
            if (spacing < 0.0 || !std::isfinite(spacing))
                return refuse(TrFormat("Kran \"%s\": Achse %d steht hinter der ersten Achse (Achsabstand %s m). "
                                       "Die Achsabstände dürfen nicht negativ sein.",
                                       crane.m_strDesc, a + 1, winsys::FormatDoubleC("%g", spacing)));
        }
    }
    // Every crane position is a kernel run per check: a runway with more
    // positions than the limit would run for hours.
    if (data.m_craneTooMany > 0)
        return refuse(TrFormat("Die Kranbahn ergäbe bis zu %lld Kranstellungen; berechnet werden höchstens %d. Bitte "
                               "den größten Abstand der Kranstellungen vergrößern oder den Fahrbereich verkleinern.",
                               data.m_craneTooMany, int(CModuleData::kMaxCranePositions)));
    if (nCranes > 0 && data.m_cranePositions.size() / nCranes > static_cast<size_t>(CModuleData::kMaxCranePositions))
        return refuse(TrFormat("Die Kranbahn ergibt %lld Kranstellungen; berechnet werden höchstens %d. Bitte den "
                               "größten Abstand der Kranstellungen vergrößern oder den Fahrbereich verkleinern.",
                               static_cast<long long>(data.m_cranePositions.size() / nCranes),
                               int(CModuleData::kMaxCranePositions)));
    if (nCranes == 0 || data.m_cranePositions.size() < 2 || data.m_cranePositions.size() / nCranes == 0)
        return refuse(
            Tr("Es sind keine Kranstellungen vorhanden. Evtl. mit negativem Pufferabstand Fahrbereich erweitern."));
    const int positions = static_cast<int>(data.m_cranePositions.size() / nCranes);
    if (settings.m_checkEnabled[4] && steps.fatigueInput) {
        if (std::string why = steps.fatigueInput(data); !why.empty()) return refuse(why);
    }
    if (const std::string missing = MissingStep(data, steps); !missing.empty())
        return refuse(TrFormat("Die Kranbahnberechnung ist in dieser Version nicht verfügbar: %s fehlt.", missing));

    // The stored results are kept aside while the position is written: the
    // writer writes the results the module data holds, and a position whose
    // input is unchanged keeps the results it has.
    ZVDOC kept = ZEVUD_CreateDoc("");
    OnExit closeKept([&] { ZEVUD_CloseDoc(kept); });
    ZVELEM stored = ZEVUD_FindFirstChild(ZEVUD_GetRootElement(data.m_hDoc), "result");
    ZVELEM keptResult = 0;
    if (stored && kept) {
        keptResult = ZEVUD_AddChildElement(ZEVUD_GetRootElement(kept), "result");
        ZEVUD_CloneElementTree(keptResult, stored);
    }
    data.m_loads.clear();
    data.WriteData(data.m_hDoc);

    // Results of a version that kept no extreme support reactions per check
    // would print empty tables: they are calculated again.
    const bool reactionsPerCheck = keptResult && ZEVUD_GetInt(keptResult, "auflagerJeNachweis") != 0;
    if (!data.IsInputChanged() && reactionsPerCheck) {
        if (keptResult) {
            ZVELEM root = ZEVUD_GetRootElement(data.m_hDoc);
            ZVELEM result = ZEVUD_FindFirstChild(root, "result");
            if (!result) result = ZEVUD_AddChildElement(root, "result");
            ZEVUD_CloneElementTree(result, keptResult);
        }
        if (bReport) WriteReport(data, steps);
        return notDone;
    }

    // ---- the run ----
    data.m_strMessage = Tr("Bitte warten, Berechnung läuft...");
    data.UpdateViews(0);
    CVaduDlgProgress progress;
    progress.Create(0);
    Restore<CVaduDlgProgress*> shown(g_progress, &progress);
    int overall = 0;
    for (int c = 0; c < CModuleData::kCraneChecks; ++c) {
        if (!settings.m_checkEnabled[c]) continue;
        ++overall;
        if (c < 3 && settings.m_LTBEnabled) ++overall;
    }
    progress.SetTotalRange(overall + 2);
    progress.SetText(Tr("Initialisierung"));
    progress.StepTotal();

    // The user's input is what the document keeps on every way out: the
    // imperfections negated for the buckling runs, the inside-run mark and
    // the proof-type switches come back, and a stopped run writes the
    // position's data once more.
    double imperfectionFactor = 1.0;
    OnExit restoreImperfections([&] { data.ScaleImperfections(imperfectionFactor); });
    const std::vector<bool> switches(std::begin(data.LK().m_bChecks), std::end(data.LK().m_bChecks));
    OnExit restoreSwitches([&] { std::copy(switches.begin(), switches.end(), std::begin(data.LK().m_bChecks)); });
    OnExit clearMark([&] { data.m_bRunning = 0; });
    HeldSaves held(data.m_hDoc);

    auto stopped = [&](bool failed) {
        if (failed) CancelCalculation(data, 1);
        data.ScaleImperfections(imperfectionFactor);
        imperfectionFactor = 1.0;
        data.m_bRunning = 0;
        std::copy(switches.begin(), switches.end(), std::begin(data.LK().m_bChecks));
        data.m_loads.clear();
        data.WriteData(data.m_hDoc);
        data.ClearInputFingerprint();
        MarkNotCalculated(data, data.m_strMessage);
        // The position is saved with the user's input (a caller that holds
        // the saves keeps its file as it was).
        held.Release();
        ZEVUD_SaveDoc(data.m_hDoc);
        progress.Close();
        data.UpdateViews(0);
        return notDone;
    };
    // One kernel run at the current position; false when the run failed.
    auto run = [&](int p) {
        data.m_nCurCranePos = p;
        data.SetCurrentCranePosition();
        data.ClearInputFingerprint();
        data.m_bRunning = 1;
        const CRecalcResult r = steps.kernelRun(data);
        const bool ok = r.bCalculated != 0 && KernelErrorText(data).empty();
        data.m_bRunning = 0;
        if (ok) ReadUserPointNames(data);
        return ok;
    };
    // Cancel pressed: the user is asked; true when the run stops.
    auto cancelled = [&] {
        if (!progress.IsCancelPressed()) return false;
        progress.ResetCancel();
        return CancelCalculation(data, 0);
    };

    // The positions' kernel runs side by side on worker threads: only with
    // the kernel's own run step and its routine for positions, and not for
    // the developer, whose runs write side files under the run's name.
    const bool sideBySide = IsDefaultKernelRun(steps) && steps.positionRun && !winsys::GetEnv("VKTUSER");
    std::unique_ptr<PositionRoutine> positionRoutine;
    if (sideBySide) positionRoutine = std::make_unique<PositionRoutine>(data);
    const bool workersReady = sideBySide && positionRoutine->IsBound();

    enum class SeriesEnd { Done, Failed, Cancelled };
    // A series of crane positions in their order: for each the progress
    // text and step, then, where it runs, its kernel run and superposition
    // and the cancel button. On worker threads the runs go ahead of the
    // superposition, each on a copy of the document written for its
    // position; the superposition, the progress and every message follow
    // in the order of the positions on this thread, with the position's
    // data set as in a serial run. A run on a worker that failed or would
    // have said anything is calculated again here, as a serial run does.
    auto runSeries = [&](const std::vector<std::pair<int, bool>>& items, const char* format,
                         const std::string& checkName, int c, int mode, int loadCases,
                         const std::vector<std::string>& names, std::FILE* runLog) {
        auto step = [&](int p) {
            progress.SetText(TrFormat(format, checkName, static_cast<long>(p + 1)));
            progress.StepPart();
        };
        int count = 0;
        for (const auto& item : items) count += item.second ? 1 : 0;
        const int threads = workersReady ? CranePositionThreads(count) : 1;
        if (threads <= 1) {
            for (const auto& [p, runs] : items) {
                step(p);
                if (!runs) continue;
                if (!run(p)) return SeriesEnd::Failed;
                steps.superpose(data, c, mode, loadCases, p, names, runLog);
                if (cancelled()) return SeriesEnd::Cancelled;
            }
            return SeriesEnd::Done;
        }

        ZVELEM root = ZEVUD_GetRootElement(data.m_hDoc);
        for (const char* name : kProducedElements)
            if (ZVELEM e = ZEVUD_FindFirstChild(root, name)) ZEVUD_DeleteElement(e);
        // The jobs outlive the workers (declared first, destroyed last).
        std::deque<std::shared_ptr<PositionJob>> ahead;
        std::shared_ptr<PositionJob> latest;
        PositionWorkers workers(steps.positionRun, threads);
        CCranePositionDocuments documents(data);
        auto prepare = [&](int p) {
            auto job = std::make_shared<PositionJob>();
            job->document = documents.Make(p);
            workers.Push(job);
            ahead.push_back(std::move(job));
        };
        const size_t window = 2 * static_cast<size_t>(threads);
        size_t next = 0;
        for (const auto& [p, runs] : items) {
            step(p);
            if (!runs) continue;
            for (; next < items.size() && ahead.size() < window; ++next)
                if (items[next].second) prepare(items[next].first);
            std::shared_ptr<PositionJob> job = std::move(ahead.front());
            ahead.pop_front();
            workers.Wait(*job);
            bool ok = job->quiet && job->doc;
            if (ok) {
                ZVELEM result = ZEVUD_FindFirstChild(ZEVUD_GetRootElement(job->doc), "result");
                ok = result && ZEVUD_GetIntWithDefault(result, "abbruch", 0) == 0 &&
                     zevud::GetString(result, "errorMsg").empty();
            }
            if (ok) {
                data.m_nCurCranePos = p;
                data.SetCurrentCranePosition();
                Restore<ZVDOC> own(data.m_hDoc, job->doc);
                ReadUserPointNames(data);
                steps.superpose(data, c, mode, loadCases, p, names, runLog);
                workers.Retire(std::move(latest));
                latest = std::move(job);
            } else {
                workers.Retire(std::move(job));
                // The run on this thread writes the position's document and
                // the kernel writes into it: the next copy is written whole.
                documents.Restart();
                if (!run(p)) return SeriesEnd::Failed;
                steps.superpose(data, c, mode, loadCases, p, names, runLog);
                workers.Retire(std::move(latest));
            }
            if (cancelled()) return SeriesEnd::Cancelled;
        }
        // The document ends the series with the last run's results, as a
        // serial run leaves it.
        if (latest) {
            ZVELEM from = ZEVUD_GetRootElement(latest->doc);
            for (const char* name : kProducedElements) {
                if (ZVELEM e = ZEVUD_FindFirstChild(root, name)) ZEVUD_DeleteElement(e);
                if (ZVELEM e = ZEVUD_FindFirstChild(from, name))
                    ZEVUD_CloneElementTree(ZEVUD_AddChildElement(root, name), e);
            }
        }
        return SeriesEnd::Done;
    };

    PrepareSteelCheckSections(data);
    data.m_userPointNames.clear();
    ClearRunResults(data);

    for (int c = 0; c < CModuleData::kCraneChecks; ++c) {
        if (!settings.m_checkEnabled[c]) continue;
        std::string checkName;
        GetCheckName(c, checkName);
        progress.SetPartRange(positions + 2);
        ClearCheck(data, c);
        int nextLoadCase = 1;
        std::vector<std::string> names;
        PrepareLoadCases(data, c, nextLoadCase, names);
        const int loadCases = nextLoadCase - 1;
        const std::vector<bool> listed = ParsePositionList(settings.m_sResultPos[c]);

        std::vector<std::pair<int, bool>> all;
        for (int p = 0; p < positions; ++p) all.emplace_back(p, true);
        switch (runSeries(all, "%s - Kranstellung %ld", checkName, c, 1, loadCases, names, log.get())) {
        case SeriesEnd::Failed: return stopped(true);
        case SeriesEnd::Cancelled: return stopped(false);
        case SeriesEnd::Done: break;
        }
        steps.envelope(data, c);
        progress.StepTotal();

        std::map<int, int> percents;
        int maxPercent = 0;
        int threshold = 0;
        if (c < 3 && settings.m_LTBEnabled) {
            bool first = true;
            for (const auto& [p, u] : steps.ratings(data, c)) {
                const int percent = UtilisationPercent(u);
                auto [it, added] = percents.emplace(p, percent);
                if (!added) it->second = std::max(it->second, percent);
                maxPercent = first ? percent : std::max(maxPercent, percent);
                first = false;
            }
            threshold = BucklingThreshold(settings.m_iMinUtilForLTB, maxPercent);
            PrepareCheckRun(data, c);
            imperfectionFactor = settings.m_craneTyp != 0 ? -1.0 : 1.0;
            data.ScaleImperfections(imperfectionFactor);
            progress.SetPartRange(static_cast<int>(percents.size()) + 2);
            // Ascending position: the runs are repeatable whatever the map.
            std::vector<std::pair<int, bool>> rated;
            for (const auto& [p, percent] : percents)
                rated.emplace_back(p, RunsInBucklingLoop(percent, threshold, maxPercent));
            switch (runSeries(rated, "%s (BDK) - Kranstellung %ld", checkName, c, 3, loadCases, names, nullptr)) {
            case SeriesEnd::Failed: return stopped(true);
            case SeriesEnd::Cancelled: return stopped(false);
            case SeriesEnd::Done: break;
            }
            data.ScaleImperfections(imperfectionFactor);
            imperfectionFactor = 1.0;
            std::copy(switches.begin(), switches.end(), std::begin(data.LK().m_bChecks));
            progress.StepTotal();
        }
        SelectCheckResults(data.m_craneResultSets[c], settings.m_resultType[c], percents, threshold, listed);
    }

    data.m_bFatigueUnproven = false;
    data.m_fatigueUnprovenReason.clear();
    if (settings.m_checkEnabled[4] && !steps.fatigue(data)) {
        data.m_strMessage = Tr("Der Ermüdungsnachweis konnte nicht geführt werden.");
        return stopped(false);
    }
    if (settings.m_bBuckling) steps.plateBuckling(data);
    steps.railWeld(data);

    data.m_resultSets.clear();
    for (std::vector<CResultSet>& list : data.m_craneResultSets) {
        data.m_resultSets.insert(data.m_resultSets.end(), list.begin(), list.end());
        list.clear();
    }

    ZVELEM root = ZEVUD_GetRootElement(data.m_hDoc);
    if (ZVELEM old = ZEVUD_FindFirstChild(root, "exports")) ZEVUD_DeleteElement(old);
    ZVELEM exports = ZEVUD_AddChildElement(root, "exports");
    progress.SetText(Tr("Ergebnis Aufbereitung"));
    BuildResultSets(data, steps, exports);

    BuildCalcMessage(data);
    data.m_loads.clear();
    data.m_steelSections.Reset();
    steps.superpose(data, 0, 0, 0, 0, {}, nullptr);
    data.WriteData(data.m_hDoc);
    if (ZVELEM result = ZEVUD_FindFirstChild(root, "result")) {
        ZEVUD_SetDouble(result, "dMaxAusKran", MaxUtilisation(data));
        ZEVUD_SetInt(result, "auflagerJeNachweis", 1);
        // A fatigue check without the stresses of its points proves nothing,
        // whatever its utilisations say.
        ZEVUD_SetInt(result, "kranErmNichtNachgewiesen", data.m_bFatigueUnproven ? 1 : 0);
        ZEVUD_SetString(result, "kranErmGrund", data.m_fatigueUnprovenReason.c_str());
    }
    data.StoreInputFingerprint();
    progress.Close();
    data.UpdateViews(0);
    if (bReport && HasReportRoutine(data)) WriteReport(data, steps);
    return {1, 1, 0, 0};
}
