#pragma once

#include "monitor/line_sample.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace monitor {

// Two successive polls of one side further apart than this (2.5 poll periods) leave a gap in its
// line: the page was not polling it meanwhile.
inline constexpr std::int64_t kLineGapMs = 10000;

// Every VDSL poll of the session, oldest first, with the link drops and side changes found
// between them and, per poll, how it continues the line of its side. A sample takes
// sizeof(LineSample) = 56 bytes and 4 more for its continuation: a day of polls every 4 s is
// 21600 samples, about 1.3 MB.
class LineHistory {
public:
    void add(const LineSample& sample);

    const std::vector<LineSample>& samples() const { return samples_; }
    std::size_t size() const { return samples_.size(); }
    // Indexes of the samples whose poll found the link down after the poll before had found it
    // up. A link check without value counts as down, as it does for the page: the page fell back
    // to the local unit and its title said so.
    const std::vector<std::size_t>& linkDrops() const { return linkDrops_; }
    // Indexes of the samples whose poll addressed another side than the poll before.
    const std::vector<std::size_t>& sideChanges() const { return sideChanges_; }
    // The ms since the previous poll of the same side, or empty where the sample starts a line of
    // its side: its first poll, or the first after a gap.
    std::optional<std::int64_t> continuesAfterMs(std::size_t index) const;

private:
    static constexpr std::uint32_t kStartsLine = 0xFFFFFFFF;

    std::vector<LineSample> samples_;
    std::vector<std::uint32_t> continuedMs_; // per sample, kStartsLine where a line starts
    std::vector<std::size_t> linkDrops_;
    std::vector<std::size_t> sideChanges_;
    std::array<std::optional<std::int64_t>, 2> lastPollMs_; // per side
    bool lastLinkUp_ = false;
};

} // namespace monitor
