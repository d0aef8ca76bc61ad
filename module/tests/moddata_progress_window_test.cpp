// The kernel's progress window during a real calculation of the single-span
// example: with a recording provider of progress windows the run opens the
// kernel's window over the main window, shows its phases in run order with
// a rising percentage; the owner is disabled only while the window lives. A crane
// runway's kernel run and a run without provider show no kernel window, and
// the results are the same with and without window.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <system_error>

#include "moddata_fixture.h"
#include "testsupport/recording_progress.h"

namespace {

using namespace moddatatest;
using test_support::RecordingProgressProvider;

constexpr int kKernelTemplate = 1007, kStatusId = 1005, kPercentId = 1004, kBarId = 1003;

class ProgressWindowRun : public ::testing::Test {
protected:
    static void SetUpTestSuite() { UseBuildRoot(); }
    void SetUp() override { dir = Scratch("progress_window"); }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }

    // Calculates a fresh copy of the example; returns the decisive ultimate
    // utilisation it stored ("" when the calculation left no result).
    std::string CalcExample(const std::string& name) {
        const fs::path file = dir / name;
        fs::copy_file(fs::path(RIGEL_SOURCE_DIR) / "examples" / "Einfeldtraeger.vkx", file,
                      fs::copy_options::overwrite_existing);
        ZVDOC doc = ZEVUD_OpenDoc(file.string().c_str());
        if (!doc) return "";
        std::string out;
        {
            CModuleData d;
            d.m_hDoc = doc;
            d.ReadData(doc);
            d.SilentCalc();
            ZVELEM result = ZEVUD_FindFirstChild(ZEVUD_GetRootElement(doc), "result");
            if (result) out = zevud::GetString(result, "dMaxAusTragSV") + "/" + zevud::GetString(result, "dMaxAusGebr");
            d.RemoveTempSectionFile();
        }
        ZEVUD_CloseDoc(doc);
        return out;
    }

    fs::path dir;
    winsys::ScopedRecordingSink sink;
};

TEST_F(ProgressWindowRun, ExampleShowsItsPhasesOverTheDisabledMainWindow) {
    std::string withWindow;
    {
        RecordingProgressProvider provider;
        withWindow = CalcExample("mit_fenster.vkx");
        ASSERT_FALSE(withWindow.empty()) << (sink.messages.empty() ? "" : sink.messages[0].text);
        // The kernel's window first, then the report's own progress window.
        ASSERT_FALSE(provider.opened.empty());
        EXPECT_EQ(provider.opened.front(), kKernelTemplate);
        EXPECT_EQ(std::count(provider.opened.begin(), provider.opened.end(), kKernelTemplate), 1);
        EXPECT_EQ(provider.captions.front(), "Einen Moment bitte...");
        // The status line follows the run: reading, the numerical system, the
        // serviceability and then the ultimate combinations, the results.
        const std::vector<std::string> status = provider.TextsOf(kStatusId);
        ASSERT_GE(status.size(), 3u);
        EXPECT_EQ(status.front(), "Initialisierung...");
        auto first = [&](const std::string& part) {
            return std::find_if(status.begin(), status.end(),
                                [&](const std::string& t) { return t.find(part) != std::string::npos; }) -
                   status.begin();
        };
        const auto system = first("Aufbau des numerischen Systems"), service = first("(Gebrauchstauglichkeit)"),
                   ultimate = first("(Tragsicherheit)"), results = first("Ergebnisaufbereitung");
        EXPECT_LT(system, service);
        EXPECT_LT(service, ultimate);
        EXPECT_LT(ultimate, results);
        EXPECT_LT(results, std::ptrdiff_t(status.size()));
        EXPECT_EQ(status.back(), "Einlesen der Ergebnisse...");
        // The percentage rises with the bar and ends at the share of the
        // range that the run's steps covered (the range holds 14 steps more
        // than the field subdivisions and combinations, not all of them
        // taken by a run, so the window closes before 100 %).
        const std::vector<std::string> percents = provider.TextsOf(kPercentId);
        ASSERT_GE(percents.size(), 2u);
        int previous = -1;
        for (const std::string& p : percents) {
            const int v = std::stoi(p);
            EXPECT_GT(v, previous) << p;
            previous = v;
        }
        std::vector<RecordingProgressProvider::Bar> bars;
        for (const auto& b : provider.bars)
            if (b.id == kBarId) bars.push_back(b);
        ASSERT_FALSE(bars.empty());
        const auto& last = bars.back();
        EXPECT_EQ(last.lower, 0);
        EXPECT_GT(last.pos, last.upper / 2);
        EXPECT_EQ(percents.back(), std::to_string(last.pos * 100 / last.upper) + "%");
        // The owner: disabled for each window, enabled after it; disabled
        // whenever a window showed something.
        ASSERT_EQ(provider.ownerStates.size(), 2 * provider.opened.size());
        for (size_t i = 0; i < provider.ownerStates.size(); ++i) EXPECT_EQ(provider.ownerStates[i], i % 2 == 1) << i;
        EXPECT_TRUE(provider.ownerEnabled);
        EXPECT_EQ(std::count(provider.ownerWhileShown.begin(), provider.ownerWhileShown.end(), true), 0);
        EXPECT_EQ(provider.open, 0);
    }
    // No provider: no window, the same results.
    EXPECT_EQ(CalcExample("ohne_fenster.vkx"), withWindow);
}

TEST_F(ProgressWindowRun, CraneRunwayKernelRunShowsNoKernelWindow) {
    // The kernel itself decides by the program name of the document.
    const fs::path file = dir / "kran.vkx";
    fs::copy_file(fs::path(RIGEL_SOURCE_DIR) / "examples" / "Einfeldtraeger.vkx", file);
    ZVDOC doc = ZEVUD_OpenDoc(file.string().c_str());
    ASSERT_NE(doc, 0u);
    ZEVUD_SetString(ZEVUD_GetRootElement(doc), "progname", "VADU");
    void* lib = dlopen(RIGEL_BUILD_ROOT "/bin/libTovik.so", RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(lib, nullptr) << dlerror();
    auto calc = reinterpret_cast<void (*)(uint32_t, int32_t)>(dlsym(lib, "RIREZ_Aver"));
    ASSERT_NE(calc, nullptr);
    {
        RecordingProgressProvider provider;
        calc(doc, 0);
        EXPECT_TRUE(provider.opened.empty());
        EXPECT_TRUE(provider.ownerStates.empty());
    }
    dlclose(lib);
    ZEVUD_CloseDoc(doc);
}

}  // namespace
