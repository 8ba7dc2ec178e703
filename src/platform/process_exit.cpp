#include "platform/process_exit.h"

#include "platform/journal.h"
#include "platform/seams.h"

#include <cstdio>
#include <cstdlib>

namespace platform {

void setExitHandler(ExitHandler handler) {
    seams().exit = std::move(handler);
}

void exitProcess(int status) {
    // What the run saw up to its end is on the disk before the process goes.
    if (Journal* current = journal())
        current->flush();
    if (const ExitHandler& handler = seams().exit) {
        handler(status);
        std::abort(); // an exit handler must not return
    }
    std::fflush(nullptr);
    std::exit(status);
}

} // namespace platform
