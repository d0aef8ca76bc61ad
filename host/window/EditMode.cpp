#include "host/window/EditMode.h"

#include <QApplication>
#include <QImage>
#include <QWindow>

#include <dlfcn.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>

#include "host/Module.h"
#include "host/window/EditWindow.h"
#include "platform/richedit/print_service.h"
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

// The few routines of the X client library (libxcb) a connection test needs,
// taken from the library the toolkit's X platform loads itself.
class XcbLibrary {
public:
    XcbLibrary() : lib_(::dlopen("libxcb.so.1", RTLD_NOW | RTLD_LOCAL)) {
        if (!lib_) return;
        connect_ = reinterpret_cast<Connect>(::dlsym(lib_, "xcb_connect"));
        hasError_ = reinterpret_cast<HasError>(::dlsym(lib_, "xcb_connection_has_error"));
        disconnect_ = reinterpret_cast<Disconnect>(::dlsym(lib_, "xcb_disconnect"));
    }
    ~XcbLibrary() {
        if (lib_) ::dlclose(lib_);
    }
    XcbLibrary(const XcbLibrary&) = delete;
    XcbLibrary& operator=(const XcbLibrary&) = delete;

    bool Usable() const { return connect_ && hasError_ && disconnect_; }
    // Whether a client can connect to the server the display names (with
    // the authorisation of XAUTHORITY, as the toolkit connects).
    bool CanConnect(const char* display) const {
        void* c = connect_(display, nullptr);
        const bool ok = c && hasError_(c) == 0;
        if (c) disconnect_(c);  // also a connection in error is freed this way
        return ok;
    }

private:
    using Connect = void* (*)(const char*, int*);
    using HasError = int (*)(void*);
    using Disconnect = void (*)(void*);
    void* lib_;
    Connect connect_ = nullptr;
    HasError hasError_ = nullptr;
    Disconnect disconnect_ = nullptr;
};

std::string Env(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

}  // namespace

WindowServices::WindowServices() {
    wl::InstallProgressWindows();
    richedit::InstallPrintService();
}

WindowServices::~WindowServices() { wl::RemoveProgressWindows(); }

bool DisplayReachable(std::string& why) {
    // The toolkit runs on X when the platform names it, or when none is
    // named and no Wayland compositor is offered.
    const std::string platform = Env("QT_QPA_PLATFORM");
    const bool x = platform.empty() ? Env("WAYLAND_DISPLAY").empty() : platform.rfind("xcb", 0) == 0;
    if (!x) return true;
    const XcbLibrary xcb;
    if (!xcb.Usable()) return true;
    const std::string display = Env("DISPLAY");
    if (xcb.CanConnect(display.empty() ? nullptr : display.c_str())) return true;
    why = display.empty() ? "DISPLAY ist nicht gesetzt"
                          : "der X-Server von DISPLAY=" + display + " ist nicht erreichbar";
    return false;
}

int RunEdit(const EditRequest& request, std::ostream& out, std::ostream& err) {
    // Said before the toolkit starts: it would abort on a display it cannot
    // reach.
    if (std::string why; !DisplayReachable(why)) {
        err << "Fehler: Für 'edit' wird eine grafische Oberfläche gebraucht, es ist aber keine erreichbar (" << why
            << "). Ohne Bildschirm, etwa für --screenshot: QT_QPA_PLATFORM=offscreen velor2005 edit ...\n";
        return ExitBadInput;
    }
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
        WindowServices services;
        Module module;
        if (!module.Load(err, /*batch=*/screenshot)) return ExitNoModule;
        const ZVDOC doc = OpenPositionDocument(request.file, err);
        if (!doc) return ExitBadInput;
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
    }
    // ... and the application object ends last.
    app.reset();
    return code;
}

void InstallWindowMode() { SetEditRunner(&RunEdit); }

}  // namespace host
