#include "monitor/line_history.h"

namespace monitor {

static_assert(sizeof(LineSample) <= 48, "a day of samples must stay about a megabyte");

void LineHistory::add(const LineSample& sample) {
    const std::size_t index = samples_.size();
    if (!samples_.empty() && samples_.back().side != sample.side)
        sideChanges_.push_back(index);
    const bool up = sample.linkUp().value_or(false);
    if (lastLinkUp_ && !up)
        linkDrops_.push_back(index);
    lastLinkUp_ = up;
    samples_.push_back(sample);
}

} // namespace monitor
