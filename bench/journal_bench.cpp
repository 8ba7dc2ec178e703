// What the journal costs the console: VDSL Status polls against the in-process simulator on the
// virtual clock (so only the program's own work is timed), with the trace kept by a hidden trace
// window as in the program.
//
//  1. CPU time of the process (every thread, the journal's writer included) per poll, with and
//     without the journal: alternating rounds, the best round of each.
//  2. A deliberately slow disk (every write of the journal first sleeps 200 ms): the longest
//     real time between two bytes the console sends within a poll, and the longest poll, against
//     the same without the journal.
//
// Run: build-release/bench/quillon_bench_journal [polls per round (default 300)]

#include "app/trace_window.h"
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
            longestGap = std::max(longestGap, now - last_);
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

    SteadyClock::duration longestGap{};

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

    struct Result {
        double cpuPerPollMs = 0;
        double longestGapMs = 0;
        double longestPollMs = 0;
    };

    bool slowDisk = false; // then the writer's work is not waited for

    Result poll(int polls) {
        Result result;
        port->longestGap = {};
        SteadyClock::duration longestPoll{};
        const double cpuStart = cpuSeconds();
        for (int i = 0; i < polls; ++i) {
            clock.advance(4000);
            port->newPoll();
            const SteadyClock::time_point start = SteadyClock::now();
            page.onWindowTimer(64);
            longestPoll = std::max(longestPoll, SteadyClock::now() - start);
            if (i % 100 == 0)
                pair.clearCommandLog();
        }
        if (platform::Journal* journal = platform::journal(); journal != nullptr && !slowDisk)
            journal->flush(); // the writer's work belongs to these polls
        result.cpuPerPollMs = (cpuSeconds() - cpuStart) * 1000 / polls;
        const auto ms = [](SteadyClock::duration d) {
            return std::chrono::duration<double, std::milli>(d).count();
        };
        result.longestGapMs = ms(port->longestGap);
        result.longestPollMs = ms(longestPoll);
        return result;
    }
};

} // namespace

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    platform::installWindowSeams();
    const int polls = argc > 1 ? std::atoi(argv[1]) : 300;
    platform::setWindowTimerBackend(
        {[](platform::WindowHandle, unsigned id, unsigned) { return id; },
         [](platform::WindowHandle, unsigned) { return true; }});
    platform::setMessageBoxHandler(
        [](platform::WindowHandle, const std::string& text, const std::string& caption) {
            std::fprintf(stderr, "box [%s] %s\n", caption.c_str(), text.c_str());
        });
    Rig rig;
    rig.poll(50); // warm-up

    const testsupport::WorkFolder parent;
    platform::Journal journal(parent.path().string(), platform::wallTimeMs());
    double bestWithout = 1e9;
    double bestWith = 1e9;
    for (int round = 0; round < 5; ++round) {
        platform::seams().journal = nullptr;
        bestWithout = std::min(bestWithout, rig.poll(polls).cpuPerPollMs);
        platform::seams().journal = &journal;
        bestWith = std::min(bestWith, rig.poll(polls).cpuPerPollMs);
    }
    std::printf("VDSL poll CPU time: %.3f ms without the journal, %.3f ms with it: ratio %.3f\n",
                bestWithout, bestWith, bestWith / bestWithout);

    // Alternating rounds again, the disk now slow: the longest of each.
    journal.setBeforeWrite([] { std::this_thread::sleep_for(std::chrono::milliseconds(200)); });
    rig.slowDisk = true;
    Rig::Result fast;
    Rig::Result slow;
    for (int round = 0; round < 3; ++round) {
        for (const bool withJournal : {false, true}) {
            platform::seams().journal = withJournal ? &journal : nullptr;
            const Rig::Result result = rig.poll(polls / 3);
            Rig::Result& longest = withJournal ? slow : fast;
            longest.longestGapMs = std::max(longest.longestGapMs, result.longestGapMs);
            longest.longestPollMs = std::max(longest.longestPollMs, result.longestPollMs);
        }
    }
    platform::seams().journal = nullptr;
    std::printf("longest gap between two bytes of a poll: %.3f ms without the journal, %.3f ms "
                "with a disk that takes 200 ms a write (%+.3f ms)\n",
                fast.longestGapMs, slow.longestGapMs, slow.longestGapMs - fast.longestGapMs);
    std::printf("longest poll: %.3f ms without, %.3f ms with the slow disk (%+.3f ms)\n",
                fast.longestPollMs, slow.longestPollMs, slow.longestPollMs - fast.longestPollMs);
    journal.setBeforeWrite({});
    return 0;
}
