// Cost of one trace append as the trace grows: a typical 40-byte console line appended to a
// trace window that already holds 10 kB and 10 MB. The two figures should stay close, since an
// append hands the control only the new text. The same again with the run's journal on, which
// copies each append to its writer thread.
//
// Run: build/bench/quillon_bench_trace   (Time is per append)

#include "app/trace_window.h"
#include "platform/journal.h"
#include "platform/seams.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <chrono>
#include <memory>
#include <string>

namespace {

// 40 bytes, as the console link writes them: the echo of a counter read and the unit's reply.
constexpr const char* kLine = "rd 8D1C, 4\n\r\n8d1c, 4 : 12 00 00 00  \r\nL>";
static_assert(std::char_traits<char>::length(kLine) == 40);

constexpr int kAppendsPerBatch = 100;

std::unique_ptr<CDebugDlg> traceWindowHolding(std::size_t bytes) {
    auto window = std::make_unique<CDebugDlg>();
    window->Create();
    window->show();
    for (std::size_t held = 0; held < bytes; held += 40)
        window->AppendTrace(kLine);
    QCoreApplication::processEvents();
    return window;
}

void appendToTraceOf(benchmark::State& state, bool withJournal) {
    const auto bytes = static_cast<std::size_t>(state.range(0));
    QTemporaryDir parent;
    std::unique_ptr<platform::Journal> journal;
    if (withJournal)
        journal = std::make_unique<platform::Journal>(parent.path().toStdString(), 0);
    platform::seams().journal = journal.get();
    // The 10 kB trace is rebuilt after each batch so it stays near 10 kB; a few hundred kB added
    // to 10 MB change nothing worth rebuilding for.
    const bool rebuild = bytes < 1000000;
    std::unique_ptr<CDebugDlg> window = traceWindowHolding(bytes);
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < kAppendsPerBatch; ++i)
            window->AppendTrace(kLine);
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        state.SetIterationTime(elapsed.count() / kAppendsPerBatch);
        // Between console exchanges the program goes back to its event loop and paints.
        QCoreApplication::processEvents();
        if (rebuild)
            window = traceWindowHolding(bytes);
    }
    platform::seams().journal = nullptr;
}

BENCHMARK_CAPTURE(appendToTraceOf, journalOff, false)
    ->Arg(10'000)
    ->Arg(10'000'000)
    ->UseManualTime()
    ->Iterations(200)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(appendToTraceOf, journalOn, true)
    ->Arg(10'000)
    ->Arg(10'000'000)
    ->UseManualTime()
    ->Iterations(200)
    ->Unit(benchmark::kMicrosecond);

} // namespace
