#include "winsys.h"

namespace winsys {

namespace {
ShellService& Desktop() {
    static DesktopShell d;
    return d;
}
ShellService* g_shell = nullptr;
}  // namespace

bool DesktopShell::Print(const std::filesystem::path& file) {
    MessageBox("Das Drucken ist nicht eingerichtet; die Datei '" + file.string() + "' wurde nicht gedruckt.",
               "Hinweis", Buttons::Ok, Icon::Information);
    return false;
}

ShellService* SetShellService(ShellService* shell) {
    ShellService* previous = g_shell;
    g_shell = shell;
    return previous;
}

ShellService* GetShellService() { return g_shell ? g_shell : &Desktop(); }

bool ShellOpen(const std::filesystem::path& file) { return GetShellService()->Open(file); }
bool ShellPrint(const std::filesystem::path& file) { return GetShellService()->Print(file); }

RecordingShell::RecordingShell() : previous_(SetShellService(this)) {}
RecordingShell::~RecordingShell() { SetShellService(previous_); }

bool RecordingShell::Open(const std::filesystem::path& file) {
    calls.emplace_back("open", file);
    return answer;
}

bool RecordingShell::Print(const std::filesystem::path& file) {
    calls.emplace_back("print", file);
    return answer;
}

}  // namespace winsys
