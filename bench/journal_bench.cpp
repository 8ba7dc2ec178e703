// What the journal costs the console: VDSL Status polls against the in-process simulator on the
// virtual clock (so only the program's own work is timed), with the trace kept by a hidden trace
// window as in the program.
//
//  1. CPU time of the process (every thread, the journal's writer included) per poll, with and
//     without the journal: alternating rounds, the best round of each.
//  2. A deliberately slow disk (every write of the journal first sleeps 200 ms): the real time
//     between two bytes the console sends within a poll, against the same without the journal,
//     and the time of one append on the console's side.
//
// Run: build-release/bench/quillon_bench_journal [polls per round (default 300)]

#include "app/trace_window.h"
#include "headless_seams.h"
#include "link/console_state.h"
#include "monitor/vdsl_status_page.h"
#include "platform/journal.h"
#include "platform/message_box.h"
#include "platform/seams.h"
#include "platform/trace.h"
#include "platform/virtual_clock.h"
#include "platform/window_seams.h"
#include "platform/window_timers.h"
#include "sim/simulated_port.h"
#include "sim/unit_pair.h"
#include "support/work_folder.h"

#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <thread>
#include <vector>

namespace {

using SteadyClock = std::chrono::steady_clock;

double cpuSeconds() {
    timespec now{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// The simulated port, timing in real time each byte the console sends.
class TimedPort final : public platform::SerialPort {
public:
    TimedPort(sim::UnitPair& pair, platform::VirtualClock& clock) : port_(pair, clock) {}
    bool writeByte(std::uint8_t byte) override {
        const SteadyClock::time_point now = SteadyClock::now();
        if (last_ != SteadyClock::time_point{})
            gapsMs.push_back(std::chrono::duration<double, std::milli>(now - last_).count());
        last_ = now;
        return port_.writeByte(byte);
    }
    platform::ByteRead readByte() override { return port_.readByte(); }
    void purge() override { port_.purge(); }
    platform::CommTimeouts timeouts() const override { return port_.timeouts(); }
    bool setTimeouts(const platform::CommTimeouts& t) override { return port_.setTimeouts(t); }
    void close() override { port_.close(); }
    // A new poll: the time before its first byte is not a gap between two of its bytes.
    void newPoll() { last_ = {}; }

    std::vector<double> gapsMs; // between two bytes of one poll

private:
    sim::SimulatedPort port_;
    SteadyClock::time_point last_{};
};

struct Rig {
    platform::VirtualClock clock;
    sim::UnitPair pair{clock};
    TimedPort* port = nullptr;
    CDebugDlg traceWindow;
    CStatus page;

    Rig() {
        platform::setClock(&clock);
        auto timed = std::make_unique<TimedPort>(pair, clock);
        port = timed.get();
        g_portHandle = std::move(timed);
        traceWindow.Create();
        page.show();
    }
    ~Rig() {
        g_portHandle.reset();
        platform::setClock(nullptr);
    }

    bool slowDisk = false; // then the writer's work is not waited for

    // Returns the CPU time per poll.
    double poll(int polls) {
        const double cpuStart = cpuSeconds();
        for (int i = 0; i < polls; ++i) {
            clock.advance(4000);
            port->newPoll();
            page.onWindowTimer(64);
            if (i % 100 == 0)
                pair.clearCommandLog();
        }
        if (platform::Journal* journal = platform::journal(); journal != nullptr && !slowDisk)
            journal->flush(); // the writer's work belongs to these polls
        return (cpuSeconds() - cpuStart) * 1000 / polls;
    }
};

} // namespace

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    platform::installWindowSeams();
    const int polls = argc > 1 ? std::atoi(argv[1]) : 300;
    installHeadlessSeams();
    Rig rig;
    rig.poll(50); // warm-up

    const testsupport::WorkFolder parent;
    platform::Journal journal(parent.path().string(), platform::wallTimeMs());
    double bestWithout = 1e9;
    double bestWith = 1e9;
    for (int round = 0; round < 5; ++round) {
        platform::seams().journal = nullptr;
        bestWithout = std::min(bestWithout, rig.poll(polls));
        platform::seams().journal = &journal;
        bestWith = std::min(bestWith, rig.poll(polls));
    }
    std::printf("VDSL poll CPU time: %.3f ms without the journal, %.3f ms with it: ratio %.3f\n",
                bestWithout, bestWith, bestWith / bestWithout);

    // Alternating rounds again, the disk now slow; every gap between two bytes of a poll kept.
    journal.setBeforeWrite([] { std::this_thread::sleep_for(std::chrono::milliseconds(200)); });
    rig.slowDisk = true;
    std::vector<double> gaps[2];
    for (int round = 0; round < 6; ++round) {
        const bool withJournal = round % 2 == 1;
        platform::seams().journal = withJournal ? &journal : nullptr;
        rig.port->gapsMs.clear();
        rig.poll(polls / 3);
        gaps[withJournal].insert(gaps[withJournal].end(), rig.port->gapsMs.begin(),
                                 rig.port->gapsMs.end());
    }
    platform::seams().journal = nullptr;
    for (std::vector<double>& all : gaps)
        std::sort(all.begin(), all.end());
    const auto at = [](const std::vector<double>& sorted, double share) {
        return sorted[static_cast<std::size_t>(share * static_cast<double>(sorted.size() - 1))];
    };
    std::printf("gap between two bytes of a poll, without the journal / with a disk that takes "
                "200 ms a write:\n  median %.3f / %.3f ms, 99.9%% %.3f / %.3f ms, longest %.3f / "
                "%.3f ms (%zu bytes each)\n",
                at(gaps[0], 0.5), at(gaps[1], 0.5), at(gaps[0], 0.999), at(gaps[1], 0.999),
                gaps[0].back(), gaps[1].back(), gaps[1].size());

    // The console's side of the journal alone, the disk still slow: one trace line handed over.
    std::vector<double> calls;
    for (int i = 0; i < 50 * polls; ++i) {
        const SteadyClock::time_point start = SteadyClock::now();
        journal.append(platform::JournalFile::Trace,
                       "rd 8D1C, 4\n\r\n8d1c, 4 : 12 00 00 00  \r\nL>");
        calls.push_back(
            std::chrono::duration<double, std::micro>(SteadyClock::now() - start).count());
    }
    std::sort(calls.begin(), calls.end());
    std::printf("a 40-byte append with that disk: median %.2f us, 99.9%% %.2f us, longest %.2f us "
                "(%zu appends)\n",
                at(calls, 0.5), at(calls, 0.999), calls.back(), calls.size());
    journal.setBeforeWrite({});
    return 0;
}
