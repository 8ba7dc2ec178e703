#include "link/console_state.h"

int g_portNumber = 1;
std::unique_ptr<platform::SerialPort> g_portHandle;
int g_fatalErrorsEnabled = 1;
unsigned int g_pollTimerId = 0;
std::array<std::optional<std::int64_t>, 2> g_counterReadMs;

void resetConsoleState() {
    g_portNumber = 1;
    g_portHandle.reset();
    g_fatalErrorsEnabled = 1;
    g_pollTimerId = 0;
    g_counterReadMs = {};
}
