// How close the status polls run to what the serial line allows, and what the configurator
// costs the machine while it polls, against quillon-unitsim --pace on a real pseudo-terminal
// through the machine's serial transport.
//
// Efficiency: N polls of each status page, timed; every byte sent and received is counted, and
// the wire minimum is 10 bits per byte at 9600 baud (a byte and its echo cannot overlap: each
// byte sent waits for its echo). Ratio = measured / minimum; target at most 1.05 on a plain
// serial port. The same polls again through a USB adapter (quillon-unitsim --latency) with its
// latency timer at 16 ms (N / 4 polls: each takes seconds) and at 1 ms (target at most 1.3).
//
// CPU: the VDSL Status page polled by its real 4 s window timer in the Qt event loop for the
// given time; the process's CPU time inside the ticks and between them.
//
// Run: build-release/bench/quillon_bench_console [polls (default 20)] [cpu seconds (default 30)]
// On a machine shared with other work, chrt -f 10 in front keeps their load out of the figures.

#include "counting_port.h"
#include "link/console_state.h"
#include "monitor/ethernet_status_page.h"
#include "monitor/vdsl_status_page.h"
#include "platform/message_box.h"
#include "platform/serial_port_posix.h"
#include "platform/window_seams.h"
#include "support/unitsim_process.h"

#include <QApplication>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace {

constexpr double kCharacterMs = 10.0 * 1000.0 / 9600.0;

double nowMs() {
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

double cpuMs() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    auto ms = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) * 1000.0 + static_cast<double>(t.tv_usec) / 1000.0;
    };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

void measurePolls(const char* name, int polls, bench::CountingPort& port,
                  const std::function<void()>& poll) {
    poll(); // the first poll after a switch of page or side is not typical
    const std::int64_t sent = port.sent;
    const std::int64_t received = port.received;
    const double start = nowMs();
    for (int i = 0; i < polls; ++i)
        poll();
    const double measured = (nowMs() - start) / polls;
    const double bytesSent = static_cast<double>(port.sent - sent) / polls;
    const double bytesReceived = static_cast<double>(port.received - received) / polls;
    const double minimum = (bytesSent + bytesReceived) * kCharacterMs;
    std::printf("%-16s %4d polls  %6.1f ms/poll  %5.0f B sent  %5.0f B received  "
                "wire minimum %6.1f ms  ratio %.3f\n",
                name, polls, measured, bytesSent, bytesReceived, minimum, measured / minimum);
}

// A VDSL Status page whose ticks are timed.
class TimedStatusPage final : public CStatus {
public:
    void onWindowTimer(unsigned id) override {
        const double cpu = cpuMs();
        const double wall = nowMs();
        CStatus::onWindowTimer(id);
        tickCpuMs += cpuMs() - cpu;
        tickWallMs += nowMs() - wall;
        ++ticks;
    }
    double tickCpuMs = 0;
    double tickWallMs = 0;
    int ticks = 0;
};

void measureCpu(int seconds) {
    TimedStatusPage page;
    const double cpu = cpuMs();
    const double wall = nowMs();
    page.show(); // polls once and starts the 4 s timer
    QTimer::singleShot(seconds * 1000, [] { QCoreApplication::quit(); });
    QApplication::exec();
    const double totalCpu = cpuMs() - cpu;
    const double totalWall = nowMs() - wall;
    const double idleCpu = totalCpu - page.tickCpuMs;
    const double idleWall = totalWall - page.tickWallMs;
    std::printf("CPU while polling: %d ticks in %.1f s; inside the ticks %.1f ms CPU in %.0f ms "
                "(%.2f%%); between ticks %.1f ms CPU in %.0f ms (%.3f%% of one core)\n",
                page.ticks, totalWall / 1000, page.tickCpuMs, page.tickWallMs,
                100 * page.tickCpuMs / page.tickWallMs, idleCpu, idleWall,
                100 * idleCpu / idleWall);
}

// Opens the simulator's terminal as the console's port; false when it cannot.
bool openConsole(const testsupport::UnitsimProcess& unitsim, bench::CountingPort*& counted) {
    if (!unitsim.ready()) {
        std::fprintf(stderr, "quillon-unitsim did not start: %s\n", unitsim.output().c_str());
        return false;
    }
    platform::OpenResult opened = platform::openPosixSerialPort(unitsim.devicePath());
    if (!opened.port) {
        std::fprintf(stderr, "cannot open %s: error %ld\n", unitsim.devicePath().c_str(),
                     opened.errorCode);
        return false;
    }
    auto counting = std::make_unique<bench::CountingPort>(std::move(opened.port));
    counted = counting.get();
    g_portHandle = std::move(counting);
    return true;
}

// Both status polls against a paced simulator started with the given options.
bool measureBothPages(const char* title, const std::vector<std::string>& options, int polls) {
    testsupport::UnitsimProcess unitsim(QUILLON_UNITSIM_PATH, options);
    bench::CountingPort* port = nullptr;
    if (!openConsole(unitsim, port))
        return false;
    std::printf("%s\n", title);
    CStatus vdsl;
    vdsl.link.SelectLocal();
    measurePolls("VDSL Status", polls, *port, [&vdsl] { vdsl.RefreshVdslStatus(); });
    CEnetStatus enet;
    measurePolls("Ethernet Status", polls, *port, [&enet] { enet.RefreshCounters(); });
    g_portHandle.reset();
    return true;
}

} // namespace

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    platform::installWindowSeams();
    const int polls = argc > 1 ? std::atoi(argv[1]) : 20;
    const int cpuSeconds = argc > 2 ? std::atoi(argv[2]) : 30;
    platform::setMessageBoxHandler(
        [](platform::WindowHandle, const std::string& text, const std::string& caption) {
            std::fprintf(stderr, "box [%s] %s\n", caption.c_str(), text.c_str());
        });

    if (polls > 0) {
        // A USB adapter's latency timer is paid on every echo; 16 ms is the usual default.
        const int adapterPolls = std::max(1, polls / 4);
        if (!measureBothPages("plain serial port", {"--pace"}, polls) ||
            !measureBothPages("USB adapter, latency timer 16 ms", {"--pace", "--latency", "16"},
                              adapterPolls) ||
            !measureBothPages("USB adapter, latency timer 1 ms", {"--pace", "--latency", "1"},
                              polls))
            return 1;
    }
    if (cpuSeconds > 0) {
        testsupport::UnitsimProcess unitsim(QUILLON_UNITSIM_PATH, {"--pace"});
        bench::CountingPort* port = nullptr;
        if (!openConsole(unitsim, port))
            return 1;
        measureCpu(cpuSeconds);
    }
    g_portHandle.reset();
    return 0;
}
