// Runs the built host program velor2005 as a process of its own, as a user
// runs it from the shell, and collects what it prints (standard output and
// standard error together).
#pragma once

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace test_support {

struct HostProcessRun {
    int code = -1;  // the exit code; -1 when the process could not run or did not exit
    std::string out;
};

// One word for the shell: in single quotes, a quote inside closed, escaped
// and opened again.
inline std::string ShellQuote(const std::string& word) {
    std::string q = "'";
    for (char c : word) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// env: "NAME=value" settings for this run only.
inline HostProcessRun RunHostProcess(const std::vector<std::string>& args, const std::vector<std::string>& env = {}) {
    std::string cmd;
    for (const std::string& e : env) {
        const size_t eq = e.find('=');
        cmd += e.substr(0, eq + 1) + ShellQuote(eq == std::string::npos ? "" : e.substr(eq + 1)) + " ";
    }
    cmd += ShellQuote((std::filesystem::path(RIGEL_BUILD_ROOT) / "bin" / "velor2005").string());
    for (const std::string& a : args) cmd += " " + ShellQuote(a);
    cmd += " 2>&1";
    HostProcessRun r;
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return r;
    std::array<char, 512> buf{};
    while (fgets(buf.data(), static_cast<int>(buf.size()), p)) r.out += buf.data();
    const int status = pclose(p);
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

}  // namespace test_support
