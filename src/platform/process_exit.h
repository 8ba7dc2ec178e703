#pragma once

#include <functional>

namespace platform {

// Ends the process with the given status through the runtime's normal exit.
[[noreturn]] void exitProcess(int status);

// Tests replace the exit (for instance by throwing ProcessExit). The handler must not return;
// if it does, the process aborts. An empty function restores the real exit.
using ExitHandler = std::function<void(int status)>;
void setExitHandler(ExitHandler handler);

// What test exit handlers throw to unwind to the test.
struct ProcessExit {
    int status;
};

} // namespace platform
