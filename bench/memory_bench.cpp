// Memory of the configurator over 8 hours of polling, on the virtual clock against the
// in-process simulator: 7200 ticks of 4 s on the VDSL Status page, then as many on the
// Ethernet Status page. The resident set is read after a warm-up and at the end of each run.
//
// Without the trace window the trace is only counted, so anything that grows is the program's
// own; with it (--trace-window) the growth is set against the trace text it holds.
//
// Run: build-release/bench/quillon_bench_memory [--trace-window] [ticks per page (default 7200)]

#include "app/trace_window.h"
#include "headless_seams.h"
#include "link/console_state.h"
#include "monitor/ethernet_status_page.h"
#include "monitor/vdsl_status_page.h"
#include "platform/clock.h"
#include "platform/message_box.h"
#include "platform/trace.h"
#include "platform/virtual_clock.h"
#include "platform/window_seams.h"
#include "platform/window_timers.h"
#include "sim/simulated_port.h"
#include "sim/unit_pair.h"

#include <QApplication>
#include <QDialog>
#include <QTabWidget>
#include <QVBoxLayout>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

constexpr int kWarmUpTicks = 100;
constexpr int kTickMs = 4000;

long residentKb() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0;
    long resident = 0;
    statm >> pages >> resident;
    return resident * (::sysconf(_SC_PAGESIZE) / 1024);
}

struct Run {
    long startKb = 0;
    long endKb = 0;
    std::size_t traceBytes = 0;
};

// Ticks the page on the virtual clock. The simulator's records (its command log, the simulated
// port's copy of every byte written) are dropped now and then: they are not the configurator's
// memory.
template <class Page>
Run poll(Page& page, sim::UnitPair& pair, platform::VirtualClock& clock, int ticks,
         const std::size_t& traceBytes) {
    Run run;
    for (int tick = 0; tick < kWarmUpTicks + ticks; ++tick) {
        if (tick == kWarmUpTicks) {
            run.startKb = residentKb();
            run.traceBytes = traceBytes;
        }
        clock.advance(kTickMs);
        page.onWindowTimer(64);
        // Between ticks the program is back in its event loop.
        QCoreApplication::processEvents();
        if (tick % 100 == 0) {
            pair.clearCommandLog();
            g_portHandle = std::make_unique<sim::SimulatedPort>(pair, clock);
        }
    }
    run.endKb = residentKb();
    run.traceBytes = traceBytes - run.traceBytes;
    return run;
}

void report(const char* name, int ticks, const Run& run) {
    const double traceMb = static_cast<double>(run.traceBytes) / 1e6;
    const long growthKb = run.endKb - run.startKb;
    std::printf("%-16s %d ticks (%.1f h): resident %ld kB -> %ld kB (%+ld kB), trace %.1f MB "
                "(%.2f kB resident per kB of trace)\n",
                name, ticks, ticks * kTickMs / 3.6e6, run.startKb, run.endKb, growthKb, traceMb,
                static_cast<double>(growthKb) / (traceMb * 1000));
}

} // namespace

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    platform::installWindowSeams();
    bool withTraceWindow = false;
    int ticks = 7200;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--trace-window") == 0)
            withTraceWindow = true;
        else
            ticks = std::atoi(argv[i]);
    }

    platform::VirtualClock clock;
    platform::setClock(&clock);
    sim::UnitPair pair(clock);
    g_portHandle = std::make_unique<sim::SimulatedPort>(pair, clock);
    installHeadlessSeams();

    std::size_t traceBytes = 0;
    CDebugDlg traceWindow;
    if (withTraceWindow)
        traceWindow.Create();
    platform::TraceSink keep = [&](std::string_view text) {
        traceBytes += text.size();
        if (withTraceWindow)
            traceWindow.AppendTrace(std::string(text).c_str());
    };
    platform::setTraceSink(keep);

    QDialog sheet;
    auto* tabs = new QTabWidget(&sheet);
    (new QVBoxLayout(&sheet))->addWidget(tabs);
    auto* vdsl = new CStatus;
    auto* enet = new CEnetStatus;
    tabs->addTab(new QWidget, QStringLiteral("Configuration"));
    tabs->addTab(vdsl, vdsl->windowTitle());
    tabs->addTab(enet, enet->windowTitle());
    sheet.show();

    std::printf("%s\n", withTraceWindow ? "with the trace window" : "trace counted only");
    tabs->setCurrentIndex(1);
    report("VDSL Status", ticks, poll(*vdsl, pair, clock, ticks, traceBytes));
    tabs->setCurrentIndex(2);
    report("Ethernet Status", ticks, poll(*enet, pair, clock, ticks, traceBytes));

    platform::setTraceSink({});
    g_portHandle.reset();
    platform::setClock(nullptr);
    return 0;
}
