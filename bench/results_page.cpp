// The "Ergebnisse" tab as the user opens it in `velor2005 edit`: the host's
// main window over a copy of an example position, offscreen, the tab
// "System" shown, then the tab "Ergebnisse" chosen; the time runs from the
// click until the dialog and the preview have done their work (the
// calculation in memory, the result trees, the summary, the sketches) and
// the posted events are processed. Beside it `velor2005 calc` of the same
// position as a process, the time the page is measured against.
//
// Cases: the single-span beam (examples/Einfeldtraeger.vkx), the continuous
// beam with cantilever (examples/Durchlauftraeger_Kragarm.vkx) and the crane
// runway (examples/Kranbahntraeger.vkx). Five runs give the median; every
// run opens a fresh copy, so each opening calculates. The windows are
// offscreen unless QT_QPA_PLATFORM names another platform (xcb under
// xvfb-run measures them drawn by an X server); BENCH_VERBOSE=1 prints each
// opening's time.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTabBar>
#include <QTest>
#include <QTreeWidget>

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>

#include "host/Host.h"
#include "host/Module.h"
#include "host/window/EditMode.h"
#include "host/window/EditWindow.h"
#include "platform/winsys/winsys.h"
#include "platform/wl/application.h"

namespace fs = std::filesystem;

namespace {

const char* const kExamples[] = {"Einfeldtraeger.vkx", "Durchlauftraeger_Kragarm.vkx", "Kranbahntraeger.vkx"};

fs::path Scratch(const std::string& name) {
    const fs::path dir = fs::temp_directory_path() / ("bench_results_page_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const fs::path file = dir / name;
    fs::remove(file);
    fs::path rtf = file;
    fs::remove(rtf.replace_extension(".rtf"));
    fs::copy_file(fs::path(RIGEL_SOURCE_DIR) / "examples" / name, file);
    return file;
}

void Settle() {
    for (int i = 0; i < 4; ++i) {
        QApplication::sendPostedEvents();
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    }
}

QTabBar* Tabs(QWidget* area) {
    for (QTabBar* b : area->findChildren<QTabBar*>())
        if (b->isVisible()) return b;
    return nullptr;
}

bool Choose(QTabBar* bar, const QString& text) {
    for (int i = 0; i < bar->count(); ++i)
        if (bar->tabText(i) == text) {
            QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(i).center());
            return true;
        }
    return false;
}

struct App {
    App() {
        static char arg0[] = "bench_results_page";
        static char* argv[] = {arg0, nullptr};
        static int argc = 1;
        ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
        app = wl::MakeApplication(argc, argv);
        winsys::SetHostExecutablePath(fs::path(RIGEL_BIN_DIR) / "velor2005");
        winsys::SetMessageSink(&sink);
        services = std::make_unique<host::WindowServices>();
        std::ostringstream err;
        loaded = module.Load(err, /*batch=*/true);
        why = err.str();
    }
    std::unique_ptr<QApplication> app;
    winsys::StderrSink sink;
    std::unique_ptr<host::WindowServices> services;
    host::Module module;
    bool loaded = false;
    std::string why;
};

App& TheApp() {
    static App* a = new App;  // lives to the process's end, as the host's does
    return *a;
}

void BM_OpenResultsTab(benchmark::State& state) {
    App& a = TheApp();
    if (!a.loaded) {
        state.SkipWithError(("module not loaded: " + a.why).c_str());
        return;
    }
    const std::string name = kExamples[state.range(0)];
    state.SetLabel(name);
    size_t records = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const fs::path file = Scratch(name);
        std::ostringstream err;
        const ZVDOC doc = host::OpenPositionDocument(file, err);
        auto session = std::make_unique<host::EditSession>(a.module, doc, file);
        if (!doc || !session->Open(err)) {
            state.SkipWithError(("cannot open: " + err.str()).c_str());
            return;
        }
        session->MainWindow()->resize(1280, 800);
        session->MainWindow()->show();
        Settle();
        QTabBar* bar = Tabs(session->InputArea());
        if (!bar || !Choose(bar, "System")) {
            state.SkipWithError("no tab System");
            return;
        }
        Settle();
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        if (!Choose(bar, "Ergebnisse")) {
            state.SkipWithError("no tab Ergebnisse");
            return;
        }
        Settle();
        const double opened = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        // Work the windows post for later (deferred redraws) belongs to the opening too.
        for (int i = 0; i < 50; ++i) QApplication::processEvents(QEventLoop::AllEvents, 10);
        const double later = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (std::getenv("BENCH_VERBOSE")) std::fprintf(stderr, "opened %.3f s, with later events %.3f s\n", opened, later);
        state.SetIterationTime(opened);
        state.PauseTiming();
        records = 0;
        for (QTreeWidget* t : session->InputArea()->findChildren<QTreeWidget*>())
            if (t->isVisible()) records += size_t(t->topLevelItemCount());
        session->Discard();
        session.reset();
        state.ResumeTiming();
    }
    state.counters["tree_items"] = double(records);
}
BENCHMARK(BM_OpenResultsTab)->DenseRange(0, 2)->UseManualTime()->Iterations(5)->Repetitions(1)->Unit(benchmark::kMillisecond);

// `velor2005 calc` of the same position, as a process.
void BM_Calc(benchmark::State& state) {
    const std::string name = kExamples[state.range(0)];
    state.SetLabel(name);
    for (auto _ : state) {
        state.PauseTiming();
        const fs::path file = Scratch(name);
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        const pid_t pid = ::fork();
        if (pid == 0) {
            if (!std::freopen("/dev/null", "w", stdout) || !std::freopen("/dev/null", "w", stderr)) ::_exit(126);
            ::execl((fs::path(RIGEL_BIN_DIR) / "velor2005").c_str(), "velor2005", "calc", file.c_str(),
                    static_cast<char*>(nullptr));
            ::_exit(127);
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        if (!WIFEXITED(status) || (WEXITSTATUS(status) != 0 && WEXITSTATUS(status) != 4)) {
            state.SkipWithError("calc failed");
            return;
        }
    }
}
BENCHMARK(BM_Calc)->DenseRange(0, 2)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
