#include <malloc.h>

#include <iostream>
#include <string>
#include <vector>

#include "host/Host.h"
#include "platform/winsys/winsys.h"

int main(int argc, char** argv) {
    // The calculation runs its combinations and crane positions on worker
    // threads, each with an allocator arena of its own. Grown in small steps,
    // every arena's growth changes the process's memory map, which all
    // threads wait for; a larger pad lets each grow seldom. Blocks of the
    // analyses up to a few megabytes stay in the arenas instead of being
    // mapped and unmapped each time. Only touched pages count as memory.
    mallopt(M_TOP_PAD, 8 << 20);
    mallopt(M_MMAP_THRESHOLD, 4 << 20);
    std::vector<std::string> args(argv + 1, argv + argc);
    winsys::SetHostExecutablePath(winsys::HostExecutablePath());
    host::InstallWindowLibrary();
    return host::Run(args, std::cout, std::cerr);
}
