#include "output_queue.h"

#include <algorithm>

namespace sim {

void OutputQueue::send(std::string_view bytes, std::int64_t fromNs, std::size_t gapIndex,
                       std::int64_t gapNs) {
    std::int64_t due = std::max(lastDueNs_, fromNs);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        due += charNs_;
        if (i == gapIndex)
            due += gapNs;
        pending_.push_back({static_cast<std::uint8_t>(bytes[i]), due});
    }
    lastDueNs_ = std::max(lastDueNs_, due);
}

void OutputQueue::purgeArrived(std::int64_t nowNs) {
    while (!pending_.empty() && pending_.front().dueNs <= nowNs)
        pending_.pop_front();
}

} // namespace sim
