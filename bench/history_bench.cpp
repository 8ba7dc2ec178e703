// Cost of the line history over a long session: recording one poll's sample, exporting a day of
// polls as CSV, opening the history window on a day and on a week of polls, one poll followed by
// the open window, and a change of the shown range. A day at one poll every 4 s is 21,600
// samples, a week 151,200.
//
// Run: build-release/bench/quillon_bench_history

#include "monitor/line_history.h"
#include "monitor/line_history_csv.h"
#include "monitor/line_history_window.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>
#include <memory>
#include <string>

namespace {

constexpr std::int64_t kPollMs = 4000;
constexpr int kDayOfPolls = 24 * 3600 * 1000 / kPollMs;
constexpr int kWeekOfPolls = 7 * kDayOfPolls;    // 151,200
constexpr std::int64_t kStartMs = 1772352000000; // 2026-03-01 08:00 UTC

// A P-side poll on a healthy line, with a little movement in every reading and a side change and
// a link drop now and then, so the window has marks to place.
monitor::LineSample samplePoll(int poll) {
    monitor::LineSample sample;
    sample.wallTimeMs = kStartMs + poll * kPollMs;
    const bool linkDown = poll % 900 == 450;
    sample.linkCheck = static_cast<std::uint8_t>(linkDown ? 0x20 : 0xae);
    sample.side = (poll / 1800) % 2 == 0 ? monitor::LineSide::Local : monitor::LineSide::Remote;
    sample.unitType = 0x02;
    sample.downstreamCode = 0x32;
    sample.upstreamCode = 0x50;
    sample.linkFailCount = static_cast<std::uint8_t>(poll / 900);
    sample.receiverBits = 0x5b;
    sample.correctedErrors = static_cast<std::uint32_t>(poll % 7 == 0 ? 3 : 0);
    sample.noise = static_cast<std::uint32_t>(0x0790 + poll % 17);
    sample.transmitLevel = 0x07c4;
    sample.gainStep = 0x42;
    sample.linkStateBits = 0xae;
    return sample;
}

monitor::LineHistory polls(int count) {
    monitor::LineHistory history;
    for (int poll = 0; poll < count; ++poll)
        history.add(samplePoll(poll));
    return history;
}

std::string utcStamp(std::int64_t wallTimeMs) {
    return monitor::isoTimeAtOffset(wallTimeMs, 0);
}

void recordOneSample(benchmark::State& state) {
    monitor::LineHistory history;
    int poll = 0;
    for (auto _ : state)
        history.add(samplePoll(poll++));
    benchmark::DoNotOptimize(history.size());
}
BENCHMARK(recordOneSample)->Unit(benchmark::kNanosecond);

void exportDayAsCsv(benchmark::State& state) {
    const monitor::LineHistory history = polls(kDayOfPolls);
    std::size_t bytes = 0;
    for (auto _ : state) {
        const std::string csv = monitor::lineHistoryCsv(history, utcStamp);
        bytes = csv.size();
        benchmark::DoNotOptimize(csv.data());
    }
    state.counters["csv_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(exportDayAsCsv)->Unit(benchmark::kMillisecond)->Iterations(5);

// From the click to the first paint of both charts.
void openWindow(benchmark::State& state, int count) {
    const monitor::LineHistory history = polls(count);
    for (auto _ : state) {
        LineHistoryWindow window(history, nullptr);
        window.show();
        QCoreApplication::processEvents();
        window.grab();
    }
}
void openWindowOnDay(benchmark::State& state) {
    openWindow(state, kDayOfPolls);
}
BENCHMARK(openWindowOnDay)->Unit(benchmark::kMillisecond)->Iterations(3);
void openWindowOnWeek(benchmark::State& state) {
    openWindow(state, kWeekOfPolls);
}
BENCHMARK(openWindowOnWeek)->Unit(benchmark::kMillisecond)->Iterations(3);

// One more poll with the window open and following: plotted and painted.
void followOnePoll(benchmark::State& state, int count) {
    monitor::LineHistory history = polls(count);
    LineHistoryWindow window(history, nullptr);
    window.show();
    QCoreApplication::processEvents();
    int poll = count;
    for (auto _ : state) {
        history.add(samplePoll(poll++));
        window.follow();
        window.grab();
    }
}
void followOnePollAfterDay(benchmark::State& state) {
    followOnePoll(state, kDayOfPolls);
}
BENCHMARK(followOnePollAfterDay)->Unit(benchmark::kMillisecond)->Iterations(200);
void followOnePollAfterWeek(benchmark::State& state) {
    followOnePoll(state, kWeekOfPolls);
}
BENCHMARK(followOnePollAfterWeek)->Unit(benchmark::kMillisecond)->Iterations(200);

// A new range on a week of polls (as the range box or a zoom step gives it), painted.
void changeRangeOnWeek(benchmark::State& state) {
    const monitor::LineHistory history = polls(kWeekOfPolls);
    LineHistoryWindow window(history, nullptr);
    window.show();
    QCoreApplication::processEvents();
    const double end = static_cast<double>(history.samples().back().wallTimeMs);
    double span = 7 * 24 * 3600000.0;
    for (auto _ : state) {
        span = span > 3600000 ? span * 0.8 : 7 * 24 * 3600000.0;
        window.showRange(end - span, span);
        window.grab();
    }
}
BENCHMARK(changeRangeOnWeek)->Unit(benchmark::kMillisecond)->Iterations(20);

} // namespace
