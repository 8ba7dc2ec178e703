#pragma once

#include "monitor/line_sample.h"

#include <cstddef>
#include <vector>

namespace monitor {

// Every VDSL poll of the session, oldest first, with the link drops and side changes found
// between them. A sample takes sizeof(LineSample) = 48 bytes: a day of polls every 4 s is
// 21600 samples, about 1 MB.
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

private:
    std::vector<LineSample> samples_;
    std::vector<std::size_t> linkDrops_;
    std::vector<std::size_t> sideChanges_;
    bool lastLinkUp_ = false;
};

} // namespace monitor
