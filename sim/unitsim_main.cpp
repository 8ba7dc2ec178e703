// quillon-unitsim: the unit-pair simulator on a pseudo-terminal.
#include "platform/real_clock.h"
#include "pty_server.h"
#include "unitsim_options.h"

#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

namespace {

volatile std::sig_atomic_t g_stop = 0;

void requestStop(int) {
    g_stop = 1;
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    const sim::UnitsimParse parse = sim::parseUnitsimOptions(args);
    if (parse.options.help) {
        std::fputs(sim::unitsimHelp().c_str(), stdout);
        return 0;
    }
    if (!parse.error.empty()) {
        std::fprintf(stderr, "quillon-unitsim: %s (see --help)\n", parse.error.c_str());
        return 2;
    }
    const sim::UnitsimOptions& options = parse.options;

    platform::RealClock clock;
    sim::UnitPair pair(clock, options.line, sim::realTimePairOptions(options));
    sim::PtyServer server(pair, options.ptyPath, options.latencyMs);
    if (const std::string error = server.open(); !error.empty()) {
        std::fprintf(stderr, "quillon-unitsim: %s\n", error.c_str());
        return 1;
    }
    if (!options.logPath.empty() && !server.openLog(options.logPath)) {
        std::fprintf(stderr, "quillon-unitsim: cannot write %s\n", options.logPath.c_str());
        return 1;
    }

    int commands = 0;
    pair.onCommand([&](const sim::LoggedCommand& command) {
        server.logCommand(command);
        ++commands;
        for (const sim::FaultOption& fault : options.faults)
            if (fault.atCommand == commands)
                sim::applyFault(pair, fault);
    });
    for (const sim::FaultOption& fault : options.faults)
        if (fault.atCommand == 0)
            sim::applyFault(pair, fault);

    std::signal(SIGINT, requestStop);
    std::signal(SIGTERM, requestStop);
    std::signal(SIGHUP, requestStop);
    std::printf("ready %s\n", options.ptyPath.c_str());
    std::fflush(stdout);
    server.run(g_stop);
    return 0;
}
