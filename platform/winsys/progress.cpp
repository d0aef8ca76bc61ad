// The installed provider of progress windows.
#include "platform/winsys/winsys.h"

namespace winsys {

namespace {
ProgressWindowProvider* g_provider = nullptr;
}

ProgressWindowProvider* SetProgressWindowProvider(ProgressWindowProvider* provider) {
    ProgressWindowProvider* previous = g_provider;
    g_provider = provider;
    return previous;
}

ProgressWindowProvider* GetProgressWindowProvider() { return g_provider; }

}  // namespace winsys
