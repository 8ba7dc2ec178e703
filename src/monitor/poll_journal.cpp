#include "monitor/poll_journal.h"

#include "platform/journal.h"

namespace monitor {

std::string ethernetCsvHeader(const EthernetCounterNames& names) {
    std::string line = "Time,Side";
    for (const char* name : names)
        line += ',' + csvField(name);
    for (const char* name : names)
        line += ',' + csvField(std::string(name) + " sum");
    return line + "\r\n";
}

std::string ethernetCsvRow(const EthernetPoll& poll, const TimeStampFormatter& timeStamp) {
    std::string line = csvField(timeStamp(poll.wallTimeMs)) + ',' + sideName(poll.side);
    for (const std::optional<std::uint32_t>& read : poll.reads)
        line += ',' + (read ? std::to_string(*read) : std::string());
    for (const std::uint32_t sum : poll.sums)
        line += ',' + std::to_string(sum);
    return line + "\r\n";
}

void journalVdslPoll(const LineSample& sample) {
    if (platform::journal() == nullptr)
        return;
    static const std::string header = lineHistoryCsvHeader();
    platform::journalRow(platform::JournalFile::Vdsl, header,
                         lineHistoryCsvRow(sample, localIsoTime));
}

void journalEthernetPoll(const EthernetPoll& poll, const EthernetCounterNames& names) {
    if (platform::journal() == nullptr)
        return;
    platform::journalRow(platform::JournalFile::Ethernet, ethernetCsvHeader(names),
                         ethernetCsvRow(poll, localIsoTime));
}

} // namespace monitor
