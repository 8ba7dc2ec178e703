#pragma once

#include <cstdint>
#include <deque>
#include <string_view>

namespace sim {

// Bytes on their way from the unit to the PC, each with the time it has fully arrived. The
// unit's transmitter sends one byte after the other, so arrival times only grow.
class OutputQueue {
public:
    struct Pending {
        std::uint8_t byte;
        std::int64_t dueNs;
    };

    explicit OutputQueue(std::int64_t charNs) : charNs_(charNs) {}

    // Queues bytes that the unit starts sending at fromNs; a gap of gapNs is put before the byte
    // at gapIndex (none when gapIndex is out of range).
    void send(std::string_view bytes, std::int64_t fromNs, std::size_t gapIndex = SIZE_MAX,
              std::int64_t gapNs = 0);
    bool empty() const { return pending_.empty(); }
    const Pending& front() const { return pending_.front(); }
    void pop() { pending_.pop_front(); }
    // Drops what has arrived by nowNs (a purge on the PC side); bytes still on the way stay.
    void purgeArrived(std::int64_t nowNs);
    // Drops everything (the cable was pulled).
    void clear() {
        pending_.clear();
        lastDueNs_ = INT64_MIN;
    }
    std::int64_t charNs() const { return charNs_; }

private:
    std::int64_t charNs_;
    std::int64_t lastDueNs_ = INT64_MIN;
    std::deque<Pending> pending_;
};

} // namespace sim
