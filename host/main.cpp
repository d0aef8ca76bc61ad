#include <iostream>
#include <string>
#include <vector>

#include "host/Host.h"
#include "platform/winsys/winsys.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    winsys::SetHostExecutablePath(winsys::HostExecutablePath());
    host::InstallWindowLibrary();
    return host::Run(args, std::cout, std::cerr);
}
