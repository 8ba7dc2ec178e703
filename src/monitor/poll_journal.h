#pragma once

#include "monitor/line_history_csv.h"
#include "monitor/line_sample.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

// The status polls as rows of the run's journal: vdsl.csv in the columns of the line history's
// CSV export, ethernet.csv with what each counter read gave and the page's sums after the poll.
namespace monitor {

inline constexpr std::size_t kEthernetCounterCount = 15;

// One Ethernet Status poll, counters in the order the page reads them.
struct EthernetPoll {
    std::int64_t wallTimeMs = 0; // when the poll began
    LineSide side = LineSide::Local;
    // Empty where the read was answered without a value.
    std::array<std::optional<std::uint32_t>, kEthernetCounterCount> reads;
    std::array<std::uint32_t, kEthernetCounterCount> sums{};
};

using EthernetCounterNames = std::array<const char*, kEthernetCounterCount>;

// Time, side, each counter as read, then each sum ("<name> sum"); CRLF line ends as the history.
std::string ethernetCsvHeader(const EthernetCounterNames& names);
std::string ethernetCsvRow(const EthernetPoll& poll, const TimeStampFormatter& timeStamp);

// Append the poll to the journal in force, if any, with local time stamps.
void journalVdslPoll(const LineSample& sample);
void journalEthernetPoll(const EthernetPoll& poll, const EthernetCounterNames& names);

} // namespace monitor
