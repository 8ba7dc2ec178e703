#include "monitor/line_columns.h"

#include <algorithm>
#include <cmath>

namespace monitor {

std::optional<double> lineValue(const LineSample& sample, Quantity quantity) {
    std::optional<double> value;
    switch (quantity) {
    case Quantity::Snr:
        value = sample.snrDb();
        break;
    case Quantity::Mse:
        value = sample.mseDb();
        break;
    case Quantity::ErrorRate:
        value = sample.correctedErrorsPerSecond();
        break;
    case Quantity::LinkFails:
        if (sample.linkFailCount)
            value = *sample.linkFailCount;
        break;
    }
    if (value && !std::isfinite(*value))
        return std::nullopt;
    return value;
}

void SideSummary::merge(const SideSummary& other) {
    if (other.snrCount > 0)
        snrLow = snrCount > 0 ? std::min(snrLow, other.snrLow) : other.snrLow;
    polls += other.polls;
    linkUpPolls += other.linkUpPolls;
    linkDrops += other.linkDrops;
    polledMs += other.polledMs;
    snrCount += other.snrCount;
    snrSum += other.snrSum;
}

std::int64_t LineColumns::columnAt(double wallTimeMs) const {
    return static_cast<std::int64_t>(std::floor(wallTimeMs / columnMs_));
}

void LineColumns::rebuild(const LineHistory& history, std::int64_t firstColumn, double columnMs,
                          int count) {
    firstColumn_ = firstColumn;
    columnMs_ = columnMs;
    count_ = std::max(count, 0);
    spans_.assign(static_cast<std::size_t>(count_) * kLineCount, ColumnSpan{});
    summary_.assign(static_cast<std::size_t>(count_) * 2, SideSummary{});
    // The line left of the range is not drawn: its first value here starts it either way.
    lastHadValue_.fill(true);
    const auto& samples = history.samples();
    const auto from = std::ranges::lower_bound(samples, startMs(), {}, [](const LineSample& s) {
        return static_cast<double>(s.wallTimeMs);
    });
    const auto& drops = history.linkDrops();
    auto drop = drops.begin();
    for (auto index = static_cast<std::size_t>(from - samples.begin()); index < samples.size();
         ++index) {
        if (static_cast<double>(samples[index].wallTimeMs) >= endMs())
            break;
        drop = std::lower_bound(drop, drops.end(), index);
        addSample(history, index, drop != drops.end() && *drop == index);
    }
}

void LineColumns::scrollTo(std::int64_t firstColumn) {
    const std::int64_t shift = firstColumn - firstColumn_;
    if (shift == 0)
        return;
    firstColumn_ = firstColumn;
    if (shift <= 0 || shift >= count_) {
        std::ranges::fill(spans_, ColumnSpan{});
        std::ranges::fill(summary_, SideSummary{});
        return;
    }
    const auto moveLeft = [shift](auto& cells, std::size_t perColumn) {
        const auto by = static_cast<std::ptrdiff_t>(static_cast<std::size_t>(shift) * perColumn);
        std::move(cells.begin() + by, cells.end(), cells.begin());
        std::fill(cells.end() - by, cells.end(),
                  typename std::decay_t<decltype(cells)>::value_type{});
    };
    moveLeft(spans_, kLineCount);
    moveLeft(summary_, 2);
}

void LineColumns::add(const LineHistory& history, std::size_t index) {
    const auto& drops = history.linkDrops();
    addSample(history, index, !drops.empty() && drops.back() == index);
}

void LineColumns::addSample(const LineHistory& history, std::size_t index, bool linkDrop) {
    const LineSample& sample = history.samples()[index];
    const std::int64_t column = columnAt(static_cast<double>(sample.wallTimeMs)) - firstColumn_;
    if (column < 0 || column >= count_)
        return;
    const auto c = static_cast<std::size_t>(column);
    const std::optional<std::int64_t> continued = history.continuesAfterMs(index);
    SideSummary& sums = summary_[c * 2 + (sample.side == LineSide::Remote ? 1 : 0)];
    ++sums.polls;
    sums.linkUpPolls += sample.linkUp().value_or(false) ? 1 : 0;
    sums.linkDrops += linkDrop ? 1 : 0;
    sums.polledMs += continued.value_or(0);
    for (std::size_t q = 0; q < kQuantityCount; ++q) {
        const auto quantity = static_cast<Quantity>(q);
        const std::size_t line = lineOf(quantity, sample.side);
        const std::optional<double> value = lineValue(sample, quantity);
        const bool continues = continued && lastHadValue_[line];
        lastHadValue_[line] = value.has_value();
        if (!value)
            continue;
        if (quantity == Quantity::Snr) {
            sums.snrLow = sums.snrCount > 0 ? std::min(sums.snrLow, *value) : *value;
            sums.snrSum += *value;
            ++sums.snrCount;
        }
        ColumnSpan& span = spans_[c * kLineCount + line];
        const auto v = static_cast<float>(*value);
        if (!span.any) {
            span = ColumnSpan{v, v, v, v, true, !continues};
            continue;
        }
        span.last = v;
        span.low = std::min(span.low, v);
        span.high = std::max(span.high, v);
    }
}

bool LineColumns::anyIn(std::size_t line) const {
    for (int c = 0; c < count_; ++c)
        if (span(line, c).any)
            return true;
    return false;
}

SideSummary LineColumns::summary(LineSide side) const {
    SideSummary all;
    const std::size_t offset = side == LineSide::Remote ? 1 : 0;
    for (std::size_t c = 0; c < static_cast<std::size_t>(count_); ++c)
        all.merge(summary_[c * 2 + offset]);
    return all;
}

} // namespace monitor
