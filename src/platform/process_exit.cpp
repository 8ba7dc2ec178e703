#include "platform/process_exit.h"

#include "platform/seams.h"

#include <cstdio>
#include <cstdlib>

namespace platform {

void setExitHandler(ExitHandler handler) {
    seams().exit = std::move(handler);
}

void exitProcess(int status) {
    if (const ExitHandler& handler = seams().exit) {
        handler(status);
        std::abort(); // an exit handler must not return
    }
    std::fflush(nullptr);
    std::exit(status);
}

} // namespace platform
