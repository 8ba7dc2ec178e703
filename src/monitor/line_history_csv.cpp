#include "monitor/line_history_csv.h"

#include "link/registers.h"
#include "platform/local_time.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace monitor {

namespace {

// The page's ten indicators, in the order the page shows them.
constexpr std::array<std::pair<const char*, unsigned>, 6> kLinkBits = {{
    {"Full Constellation Link", kLinkUp},
    {"Reduced Constellation Link", kLinkReducedConstellation},
    {"TC Synchronized", kLinkTcSynchronized},
    {"Ethernet Encapsulation Sync", kLinkEthernetEncapsulationSync},
    {"Remote I/F Synchronized", kLinkRemoteInterfaceSynchronized},
    {"Signal Detected", kLinkSignalDetected},
}};
constexpr std::array<std::pair<const char*, unsigned>, 4> kReceiverBits = {{
    {"Micro Interruption Occurred", kReceiverMicroInterruption},
    {"AGC Converged", kReceiverAgcConverged},
    {"Timing Converged", kReceiverTimingConverged},
    {"ADC Saturation", kReceiverAdcSaturation},
}};

constexpr const char* kReadingColumns[] = {
    "Time",
    "Side",
    "Unit",
    "Link",
    "SNR (dB)",
    "MSE (dB)",
    "Corrected RS errors /s",
    "Corrected RS errors interval (s)",
    "Link Fail Counter",
    "Transmitted Power (dBm/Hz)",
    "Downstream (Mbit/s)",
    "Upstream (Mbit/s)",
};

// Fixed decimals with a "." in every locale; empty for no reading or one that is not finite.
std::string decimal(std::optional<double> value, int decimals) {
    if (!value || !std::isfinite(*value))
        return {};
    std::array<char, 400> text{};
    const auto result = std::to_chars(text.data(), text.data() + text.size(), *value,
                                      std::chars_format::fixed, decimals);
    return std::string(text.data(), result.ptr);
}

template <class Unsigned>
std::string whole(std::optional<Unsigned> value) {
    return value ? std::to_string(*value) : std::string();
}

template <std::size_t N>
void addBits(std::string& row, std::optional<std::uint8_t> value,
             const std::array<std::pair<const char*, unsigned>, N>& bits) {
    for (const auto& bit : bits) {
        row += ',';
        if (value)
            row += (*value & bit.second) != 0 ? '1' : '0';
    }
}

} // namespace

std::string lineHistoryCsvRow(const LineSample& sample, const TimeStampFormatter& timeStamp) {
    const std::optional<bool> up = sample.linkUp();
    const std::optional<bool> sSide = sample.sSideUnit();
    std::string line = csvField(timeStamp(sample.wallTimeMs));
    for (const std::string& cell :
         {std::string(sideName(sample.side)), std::string(sSide ? (*sSide ? "S" : "P") : ""),
          std::string(up ? (*up ? "up" : "down") : ""), decimal(sample.snrDb(), 2),
          decimal(sample.mseDb(), 2), whole(sample.correctedErrors),
          decimal(sample.counterIntervalMs
                      ? std::optional<double>(*sample.counterIntervalMs / 1000.0)
                      : std::nullopt,
                  3),
          whole(sample.linkFailCount), decimal(sample.transmitPowerDbmHz(), 2),
          decimal(sample.downstreamMbps(), 4), decimal(sample.upstreamMbps(), 4)})
        line += ',' + cell;
    addBits(line, sample.linkStateBits, kLinkBits);
    addBits(line, sample.receiverBits, kReceiverBits);
    return line + "\r\n";
}

std::string lineHistoryCsvHeader() {
    std::string line;
    const auto addColumn = [&line](std::string_view name) {
        if (!line.empty())
            line += ',';
        line += csvField(name);
    };
    for (const char* column : kReadingColumns)
        addColumn(column);
    for (const auto& bit : kLinkBits)
        addColumn(bit.first);
    for (const auto& bit : kReceiverBits)
        addColumn(bit.first);
    line += "\r\n";
    return line;
}

std::string isoTimeAtOffset(std::int64_t wallTimeMs, int offsetMinutes) {
    const platform::CivilTime t = platform::civilTimeAt(wallTimeMs, offsetMinutes);
    const int offset = std::abs(offsetMinutes);
    std::array<char, 64> text{};
    std::snprintf(text.data(), text.size(), "%04d-%02d-%02dT%02d:%02d:%02d.%03d%c%02d:%02d", t.year,
                  t.month, t.day, t.hour, t.minute, t.second, t.millisecond,
                  offsetMinutes < 0 ? '-' : '+', offset / 60, offset % 60);
    return text.data();
}

std::string csvField(std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos)
        return std::string(text);
    std::string quoted = "\"";
    for (char c : text)
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + '"';
}

std::string localIsoTime(std::int64_t wallTimeMs) {
    return isoTimeAtOffset(wallTimeMs, platform::localUtcOffsetMinutes(wallTimeMs));
}

std::string lineHistoryCsv(const LineHistory& history, const TimeStampFormatter& timeStamp) {
    std::string csv = lineHistoryCsvHeader();
    for (const LineSample& sample : history.samples())
        csv += lineHistoryCsvRow(sample, timeStamp);
    return csv;
}

} // namespace monitor
