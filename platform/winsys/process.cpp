// Processes started from an argument vector, without a shell.
#include "platform/winsys/winsys.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <thread>

extern char** environ;

namespace winsys {

long StartProcess(const std::vector<std::string>& argv, const std::filesystem::path& workDir,
                  std::string* error) {
    auto fail = [&](const std::string& why) {
        if (error) *error = why;
        return -1L;
    };
    if (argv.empty() || argv[0].empty()) return fail("no program given");
    std::vector<char*> args;
    args.reserve(argv.size() + 1);
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    if (posix_spawn_file_actions_init(&actions) != 0) return fail("out of resources");
    int rc = 0;
    if (!workDir.empty()) rc = posix_spawn_file_actions_addchdir_np(&actions, workDir.c_str());
    // The child gets standard input, output and error, no other open file.
    if (rc == 0) rc = posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    pid_t pid = -1;
    if (rc == 0) {
        const bool hasSlash = argv[0].find('/') != std::string::npos;
        rc = hasSlash ? posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ)
                      : posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    }
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) return fail("'" + argv[0] + "': " + std::strerror(rc));
    if (error) error->clear();
    return static_cast<long>(pid);
}

int WaitProcess(long pid) {
    if (pid <= 0) return -1;
    int status = 0;
    pid_t r;
    do {
        r = waitpid(static_cast<pid_t>(pid), &status, 0);
    } while (r < 0 && errno == EINTR);
    if (r < 0) return -1;
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    return -1;  // ended by a signal
}

bool DesktopShell::Open(const std::filesystem::path& file) {
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) {
        MessageBox("Die Datei '" + file.string() + "' wurde nicht gefunden.", "Fehler", Buttons::Ok, Icon::Error);
        return false;
    }
    std::filesystem::path opener = FindProgram("xdg-open");
    if (opener.empty()) {
        MessageBox("Die Datei '" + file.string() +
                       "' kann nicht geöffnet werden: kein Programm zum Öffnen vorhanden (xdg-open fehlt).",
                   "Hinweis", Buttons::Ok, Icon::Information);
        return false;
    }
    std::string why;
    long pid = StartProcess({opener.string(), file.string()}, {}, &why);
    if (pid < 0) {
        MessageBox("Die Datei '" + file.string() + "' kann nicht geöffnet werden: " + why, "Fehler", Buttons::Ok,
                   Icon::Error);
        return false;
    }
    // The opener may run as long as the document is open; it is reaped in
    // the background so that it leaves no zombie.
    std::thread([pid] { WaitProcess(pid); }).detach();
    return true;
}

}  // namespace winsys
