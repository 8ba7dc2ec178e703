#include "monitor/line_history.h"

namespace monitor {

static_assert(sizeof(LineSample) <= 56, "a day of samples must stay about a megabyte");

void LineHistory::add(const LineSample& sample) {
    const std::size_t index = samples_.size();
    if (!samples_.empty() && samples_.back().side != sample.side)
        sideChanges_.push_back(index);
    const bool up = sample.linkUp().value_or(false);
    if (lastLinkUp_ && !up)
        linkDrops_.push_back(index);
    lastLinkUp_ = up;
    auto& last = lastPollMs_[sample.side == LineSide::Local ? 0 : 1];
    // A clock set back also starts a new line: nothing is drawn backwards in time.
    const bool continues =
        last && sample.wallTimeMs >= *last && sample.wallTimeMs - *last <= kLineGapMs;
    continuedMs_.push_back(continues ? static_cast<std::uint32_t>(sample.wallTimeMs - *last)
                                     : kStartsLine);
    last = sample.wallTimeMs;
    samples_.push_back(sample);
}

std::optional<std::int64_t> LineHistory::continuesAfterMs(std::size_t index) const {
    if (continuedMs_[index] == kStartsLine)
        return std::nullopt;
    return continuedMs_[index];
}

} // namespace monitor
