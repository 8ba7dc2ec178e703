#include "platform/process_exit.h"

#include <cstdio>
#include <cstdlib>

namespace platform {

namespace {
ExitHandler g_handler;
}

void setExitHandler(ExitHandler handler) {
    g_handler = std::move(handler);
}

void exitProcess(int status) {
    if (g_handler) {
        g_handler(status);
        std::abort(); // an exit handler must not return
    }
    std::fflush(nullptr);
    std::exit(status);
}

} // namespace platform
