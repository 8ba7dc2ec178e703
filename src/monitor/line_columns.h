#pragma once

#include "monitor/line_history.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace monitor {

// The quantities the history window plots, each as one line per side.
enum class Quantity : std::uint8_t { Snr, Mse, ErrorRate, LinkFails };
inline constexpr std::size_t kQuantityCount = 4;
inline constexpr std::size_t kLineCount = kQuantityCount * 2;

// The line of a quantity for one side: Local lines first, then Remote.
constexpr std::size_t lineOf(Quantity quantity, LineSide side) {
    return static_cast<std::size_t>(quantity) * 2 + (side == LineSide::Remote ? 1 : 0);
}

// The value a sample gives the line of a quantity; empty when it has none that can be drawn.
std::optional<double> lineValue(const LineSample& sample, Quantity quantity);

// One line within one pixel column: the first and last value in time order, and the lowest and
// highest between, which is all that a column of pixels can show of any number of polls.
struct ColumnSpan {
    float first = 0, last = 0, low = 0, high = 0;
    bool any = false;
    // The first value here does not continue the line from the left: a gap in polling, or the
    // poll before had no value for this line.
    bool startsLine = false;
};

// The polls of one side within a stretch of time, for the summary under the charts.
struct SideSummary {
    int polls = 0;
    int linkUpPolls = 0;
    int linkDrops = 0; // counted on the side of the poll that found the link down
    std::int64_t polledMs = 0;
    int snrCount = 0;
    double snrLow = 0, snrSum = 0;

    void merge(const SideSummary& other);
};

// The history spread over the pixel columns of a time range: column c covers the wall times
// [c * columnMs, (c + 1) * columnMs), so columns stay put when the range scrolls. Every sample is
// kept in the history; here each column keeps only what can be drawn of it, so drawing costs the
// same after a week as after a minute, and a new poll changes one column.
class LineColumns {
public:
    // Spreads the samples within columns [firstColumn, firstColumn + count) anew.
    void rebuild(const LineHistory& history, std::int64_t firstColumn, double columnMs, int count);
    // Moves the range to start at firstColumn without a rebuild. The columns brought into view
    // must hold no sample yet: the range only moves on towards polls still to be added.
    void scrollTo(std::int64_t firstColumn);
    // Adds sample index of the history, the newest, if it falls within the range.
    void add(const LineHistory& history, std::size_t index);

    std::int64_t firstColumn() const { return firstColumn_; }
    double columnMs() const { return columnMs_; }
    int count() const { return count_; }
    double startMs() const { return static_cast<double>(firstColumn_) * columnMs_; }
    double endMs() const { return startMs() + count_ * columnMs_; }
    // The column a wall time falls in, counted from the absolute origin.
    std::int64_t columnAt(double wallTimeMs) const;

    const ColumnSpan& span(std::size_t line, int column) const {
        return spans_[static_cast<std::size_t>(column) * kLineCount + line];
    }
    bool anyIn(std::size_t line) const;
    // The summary of one side over the whole range.
    SideSummary summary(LineSide side) const;

private:
    void addSample(const LineHistory& history, std::size_t index, bool linkDrop);

    std::int64_t firstColumn_ = 0;
    double columnMs_ = 1;
    int count_ = 0;
    std::vector<ColumnSpan> spans_;    // count_ x kLineCount
    std::vector<SideSummary> summary_; // count_ x 2
    // Whether the last poll of each line's side added had a value for it.
    std::array<bool, kLineCount> lastHadValue_{};
};

} // namespace monitor
