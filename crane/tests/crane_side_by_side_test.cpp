// The crane positions' kernel runs side by side on worker threads give the
// results of the runs one after another, to the last bit: the crane-runway
// example calculated with TOVIK_THREADS=1 and with four threads, compared by
// its result curves, its "result" and "exports" elements and its message.
#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "crane/CraneOperations.h"
#include "crane/CraneRun.h"
#include "module/ModuleData.h"
#include "platform/winsys/winsys.h"
#include "platform/zevud/zevud.h"

namespace {

namespace fs = std::filesystem;

// TOVIK_THREADS set for the lifetime of the object.
class ThreadsSetting {
public:
    explicit ThreadsSetting(const char* value) {
        if (const char* v = std::getenv("TOVIK_THREADS")) m_old = v;
        ::setenv("TOVIK_THREADS", value, 1);
    }
    ~ThreadsSetting() {
        if (m_old) ::setenv("TOVIK_THREADS", m_old->c_str(), 1);
        else ::unsetenv("TOVIK_THREADS");
    }
    ThreadsSetting(const ThreadsSetting&) = delete;
    ThreadsSetting& operator=(const ThreadsSetting&) = delete;

private:
    std::optional<std::string> m_old;
};

// What a calculation leaves: the result curves, the fingerprints of the
// document's "result" and "exports" elements, the message and the messages
// shown.
struct Outcome {
    int calculated = 0;
    std::vector<CResultSet> sets;
    unsigned char result[16] = {}, exports[16] = {};
    std::string message;
    size_t shown = 0;
    size_t runs = 0;
    // Kernel runs on worker threads.
    int workerRuns = 0;
};

// The example calculated in a folder of its own (the section file it names
// lies beside it) with the given thread count.
// disturb: every third worker run ends with "abbruch" and every third
// other one says something, so those positions are calculated again on the
// calling thread.
Outcome CalculateExample(const char* threads, const std::string& name, bool disturb = false) {
    const fs::path dir = fs::path(RIGEL_TEST_TMP) / (name + "_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    const fs::path file = dir / "Kranbahntraeger.vkx";
    fs::copy_file(fs::path(RIGEL_SOURCE_DIR) / "examples" / "Kranbahntraeger.vkx", file);
    Outcome o;
    {
        ThreadsSetting setting(threads);
        winsys::ScopedRecordingSink sink;
        const ZVDOC doc = ZEVUD_OpenDoc(file.string().c_str());
        EXPECT_NE(doc, 0u);
        if (!doc) return o;
        CModuleData d;
        d.ReadData(doc);
        d.m_hDoc = doc;
        // Every position of every check keeps its curves, so that the
        // comparison sees each run's superposition.
        for (int c = 0; c < CModuleData::kCraneChecks; ++c) d.m_craneSettings.m_resultType[c] = 1;
        CCraneRunSteps& steps = GetCraneRunSteps();
        steps = DefaultCraneRunSteps();
        auto superpose = steps.superpose;
        steps.superpose = [&](CModuleData& m, int check, int mode, int cases, int position,
                              const std::vector<std::string>& names, std::FILE* log) {
            if (mode != 0) ++o.runs;
            superpose(m, check, mode, cases, position, names, log);
        };
        std::atomic<int> jobs{0};
        auto position = steps.positionRun;
        steps.positionRun = [&jobs, position, disturb](ZVDOC job) {
            const int k = jobs++;
            if (disturb && k % 3 == 2) winsys::MessageBox("Meldung eines Arbeiters");
            position(job);
            if (disturb && k % 3 == 1)
                ZEVUD_SetInt(ZEVUD_FindFirstChild(ZEVUD_GetRootElement(job), "result"), "abbruch", 1);
        };
        d.ClearInputFingerprint();
        o.calculated = d.Recalc(0, 0).bCalculated;
        steps = DefaultCraneRunSteps();
        o.workerRuns = jobs.load();
        o.sets = d.m_resultSets;
        o.message = d.m_strMessage;
        o.shown = sink.messages.size();
        const ZVELEM root = ZEVUD_GetRootElement(doc);
        ZEVUD_GetFingerPrint(ZEVUD_FindFirstChild(root, "result"), o.result);
        ZEVUD_GetFingerPrint(ZEVUD_FindFirstChild(root, "exports"), o.exports);
        d.m_steelSections.Reset();
        d.RemoveTempSectionFile();
        ZEVUD_CloseDoc(doc);
    }
    std::error_code ec;
    fs::remove_all(dir, ec);
    return o;
}

bool SameBits(const std::vector<float>& a, const std::vector<float>& b) {
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0);
}

class CraneSideBySide : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        winsys::SetHostExecutablePath(fs::path(RIGEL_BUILD_ROOT) / "bin" / "velor2005");
    }
};

TEST_F(CraneSideBySide, ThreadsGiveTheResultsOfTheSerialRunToTheLastBit) {
    ASSERT_GT(CranePositionThreads(15), 0);
    const Outcome serial = CalculateExample("1", "crane_serial");
    const Outcome parallel = CalculateExample("4", "crane_threads");
    ASSERT_EQ(serial.calculated, 1) << serial.message;
    ASSERT_EQ(parallel.calculated, 1) << parallel.message;
    // Every check with its positions and the buckling runs.
    EXPECT_GT(serial.runs, 15u);
    EXPECT_EQ(parallel.runs, serial.runs);
    // The runs went to the workers, one per run; none with one thread.
    EXPECT_EQ(serial.workerRuns, 0);
    EXPECT_EQ(static_cast<size_t>(parallel.workerRuns), parallel.runs);
    ASSERT_EQ(parallel.sets.size(), serial.sets.size());
    ASSERT_GT(serial.sets.size(), 100u);
    for (size_t i = 0; i < serial.sets.size(); ++i) {
        const CResultSet& a = serial.sets[i];
        const CResultSet& b = parallel.sets[i];
        EXPECT_EQ(b.m_strTitle, a.m_strTitle) << i;
        EXPECT_TRUE(SameBits(b.m_data, a.m_data)) << a.m_strTitle;
        EXPECT_TRUE(SameBits(b.m_extremes, a.m_extremes)) << a.m_strTitle;
        EXPECT_EQ(std::memcmp(&b.m_min, &a.m_min, sizeof a.m_min), 0) << a.m_strTitle;
        EXPECT_EQ(std::memcmp(&b.m_max, &a.m_max, sizeof a.m_max), 0) << a.m_strTitle;
    }
    EXPECT_EQ(std::memcmp(parallel.result, serial.result, 16), 0) << "the documents' \"result\" differ";
    EXPECT_EQ(std::memcmp(parallel.exports, serial.exports, 16), 0) << "the documents' \"exports\" differ";
    EXPECT_EQ(parallel.message, serial.message);
    EXPECT_EQ(parallel.shown, serial.shown);
}

// A worker's run that failed or said something is calculated again on the
// calling thread, with the same results and no message of the worker's.
TEST_F(CraneSideBySide, RunsCalculatedAgainGiveTheSameResults) {
    const Outcome serial = CalculateExample("1", "crane_serial_again");
    const Outcome parallel = CalculateExample("3", "crane_disturbed", true);
    ASSERT_EQ(serial.calculated, 1) << serial.message;
    ASSERT_EQ(parallel.calculated, 1) << parallel.message;
    EXPECT_GT(parallel.workerRuns, 3);
    ASSERT_EQ(parallel.sets.size(), serial.sets.size());
    for (size_t i = 0; i < serial.sets.size(); ++i)
        EXPECT_TRUE(SameBits(parallel.sets[i].m_data, serial.sets[i].m_data)) << serial.sets[i].m_strTitle;
    EXPECT_EQ(std::memcmp(parallel.result, serial.result, 16), 0);
    EXPECT_EQ(std::memcmp(parallel.exports, serial.exports, 16), 0);
    EXPECT_EQ(parallel.shown, serial.shown);
}

// The copies made for the workers are the documents a run of the position
// would find, to the last character: written whole at the first position,
// then only their loads (put together with a copy of the first when
// completed) when nothing else reads the crane position; written whole at
// every position when something else does (here a field length given as a
// formula of the position).
TEST_F(CraneSideBySide, PositionCopiesAreTheWholeWrittenDocuments) {
    struct Case {
        const char* name;
        bool fieldNamesPosition, loadsOnly;
    } cases[] = {{"the example", false, true}, {"a field length of the crane position", true, false}};
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        const fs::path dir = fs::path(RIGEL_TEST_TMP) / ("crane_copies_" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        const fs::path file = dir / "Kranbahntraeger.vkx";
        fs::copy_file(fs::path(RIGEL_SOURCE_DIR) / "examples" / "Kranbahntraeger.vkx", file);
        const ZVDOC doc = ZEVUD_OpenDoc(file.string().c_str());
        ASSERT_NE(doc, 0u);
        CModuleData d;
        d.ReadData(doc);
        d.m_hDoc = doc;
        const int positions = static_cast<int>(d.m_cranePositions.size() / std::max<size_t>(1, d.m_cranes.size()));
        ASSERT_GT(positions, 3);
        if (k.fieldNamesPosition) {
            ASSERT_GE(d.m_fieldLengths.size(), 2u);
            const double length = d.m_fieldLengths[1].GetValue();
            d.m_fieldLengths[1].SetVariableTable(&d.m_varTable);
            d.m_fieldLengths[1].SetFromText(("0.001*pos0+" + winsys::FormatDoubleC("%.17g", length)).c_str());
            ASSERT_FALSE(d.m_fieldLengths[1].IsPlain());
        }
        d.m_loads.clear();
        d.WriteData(doc);
        PrepareSteelCheckSections(d);
        int next = 1;
        std::vector<std::string> names;
        PrepareLoadCases(d, 0, next, names);
        ASSERT_FALSE(d.m_loads.empty());

        // The text of a document without what runs produce.
        auto text = [&](ZVDOC from) {
            const ZVDOC c = ZEVUD_CreateDoc(file.string().c_str());
            ZEVUD_CloneElementTree(ZEVUD_GetRootElement(c), ZEVUD_GetRootElement(from));
            for (const char* name : {"result", "results", "exports"})
                if (ZVELEM e = ZEVUD_FindFirstChild(ZEVUD_GetRootElement(c), name)) ZEVUD_DeleteElement(e);
            std::string out(static_cast<size_t>(ZEVUD_GetDocText(c, nullptr, 0)) + 1, '\0');
            out.resize(static_cast<size_t>(ZEVUD_GetDocText(c, out.data(), static_cast<int>(out.size()))));
            ZEVUD_CloseDoc(c);
            return out;
        };
        CCranePositionDocuments copies(d);
        std::string first;
        for (int p : {0, 1, positions / 2, positions - 1, 2}) {
            CCranePositionDocuments::Document document = copies.Make(p);
            const ZVDOC copy = document.Complete();
            ASSERT_NE(copy, 0u);
            EXPECT_EQ(document.Complete(), copy);
            const std::string made = text(copy);
            // The position written whole, as a run on this thread does.
            d.m_nCurCranePos = p;
            d.SetCurrentCranePosition();
            d.ClearInputFingerprint();
            d.m_bRunning = 1;
            d.WriteData(doc);
            d.m_bRunning = 0;
            const std::string whole = text(doc);
            EXPECT_EQ(made, whole) << "position " << p;
            if (p == 0) first = whole;
            else EXPECT_NE(whole, first) << "position " << p << " has the loads of the first";
        }
        EXPECT_EQ(copies.LoadsOnly(), k.loadsOnly);
        d.m_steelSections.Reset();
        d.RemoveTempSectionFile();
        ZEVUD_CloseDoc(doc);
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
}

// The thread count: TOVIK_THREADS when it is a positive number, never more
// than the positions, at least 1.
TEST_F(CraneSideBySide, ThreadCountFollowsTheSetting) {
    struct Case {
        const char* setting;
        int positions, expected;
    } cases[] = {{"1", 200, 1}, {"3", 200, 3}, {"8", 5, 5}, {"4", 0, 1}};
    for (const Case& c : cases) {
        ThreadsSetting setting(c.setting);
        EXPECT_EQ(CranePositionThreads(c.positions), c.expected) << c.setting << " " << c.positions;
    }
    ThreadsSetting wrong("drei");
    EXPECT_GE(CranePositionThreads(200), 1);
}

}  // namespace
