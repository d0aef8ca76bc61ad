// Runs the host program's command line in the test process, as if the host
// lived in the build's bin folder (where it finds DlgRigel and Tovik).
#pragma once

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "host/Host.h"
#include "platform/winsys/winsys.h"

namespace host_test {

struct HostRun {
    int code;
    std::string out, err;
};

inline HostRun RunHost(const std::vector<std::string>& args) {
    winsys::SetHostExecutablePath(std::filesystem::path(RIGEL_BUILD_ROOT) / "bin" / "velor2005");
    std::ostringstream out, err;
    const int code = host::Run(args, out, err);
    return {code, out.str(), err.str()};
}

inline std::string ReadAll(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace host_test
