#include "host/window/EditMode.h"

#include <QApplication>
#include <QImage>
#include <QWindow>

#include <chrono>
#include <memory>
#include <string>

#include "host/Module.h"
#include "host/window/EditWindow.h"
#include "platform/winsys/winsys.h"
#include "platform/wl/application.h"
#include "platform/wl/message_sink.h"
#include "platform/wl/progress_window.h"

namespace host {
namespace {

// Processes events until the window is shown on its screen and laid out
// (at most a few seconds).
void Settle(QWidget* w) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::chrono::steady_clock::now() < until) {
        QApplication::processEvents(QEventLoop::AllEvents, 50);
        if (w->windowHandle() && w->windowHandle()->isExposed()) break;
    }
    // Layout, the dialogs' own posted work and the painting that follows.
    for (int i = 0; i < 10; ++i) {
        QApplication::sendPostedEvents();
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
}

// The message service for the length of the window mode.
class ScopedSink {
public:
    explicit ScopedSink(winsys::MessageSink* sink) : previous_(winsys::SetMessageSink(sink)) {}
    ~ScopedSink() { winsys::SetMessageSink(previous_); }
    ScopedSink(const ScopedSink&) = delete;
    ScopedSink& operator=(const ScopedSink&) = delete;

private:
    winsys::MessageSink* previous_;
};

}  // namespace

int RunEdit(const EditRequest& request, std::ostream& out, std::ostream& err) {
    static char arg0[] = "velor2005";
    static char* argv[] = {arg0, nullptr};
    int argc = 1;
    std::unique_ptr<QApplication> app = wl::MakeApplication(argc, argv);
    int code = ExitOk;
    {
        // A screenshot run has no user to answer: its messages go to
        // standard error. A session with the user shows them as dialogs.
        const bool screenshot = !request.screenshot.empty();
        wl::QtMessageSink dialogs;
        winsys::StderrSink stderrSink;
        ScopedSink sink(screenshot ? static_cast<winsys::MessageSink*>(&stderrSink) : &dialogs);
        wl::InstallProgressWindows();
        Module module;
        if (!module.Load(err, /*batch=*/screenshot)) {
            wl::RemoveProgressWindows();
            return ExitNoModule;
        }
        const ZVDOC doc = OpenPositionDocument(request.file, err);
        if (!doc) {
            wl::RemoveProgressWindows();
            return ExitBadInput;
        }
        {
            EditSession session(module, doc, request.file);
            if (!session.Open(err)) {
                code = ExitCalcFailed;
            } else if (screenshot) {
                session.MainWindow()->show();
                Settle(session.MainWindow());
                const QImage image = session.Screenshot();
                if (image.isNull() || !image.save(QString::fromStdString(request.screenshot), "PNG")) {
                    err << "Fehler: Das Bildschirmfoto konnte nicht nach '" << request.screenshot
                        << "' geschrieben werden.\n";
                    code = ExitBadInput;
                } else {
                    out << "Bildschirmfoto: " << request.screenshot << "\n";
                }
                session.Discard();
            } else {
                session.MainWindow()->show();
                app->exec();
            }
            // The session's end destroys the windows ...
        }
        // ... then the module tears its objects down ...
        module.Teardown();
        wl::RemoveProgressWindows();
    }
    // ... and the application object ends last.
    app.reset();
    return code;
}

void InstallWindowMode() { SetEditRunner(&RunEdit); }

}  // namespace host
