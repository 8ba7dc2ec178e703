// The line history on its own: link drops and side changes found between polls,
// and the CSV file exactly as a spreadsheet receives it.
#include "monitor/line_history_csv.h"
#include "platform/virtual_clock.h"

#include <fstream>
#include <gtest/gtest.h>
#include <locale>

namespace {

using monitor::LineHistory;
using monitor::LineSample;
using monitor::LineSide;

constexpr std::int64_t kEpoch = platform::VirtualClock::kEpochMs; // 2026-03-01 08:00:00 UTC

std::string utc(std::int64_t wallTimeMs) {
    return monitor::isoTimeAtOffset(wallTimeMs, 0);
}

TEST(LineHistoryEvents, DropsAndSideChangesComeFromConsecutivePolls) {
    // Side letter and link check per poll ('u' up, 'd' down, '?' no value), then the samples
    // where a link drop and a side change are found.
    struct {
        const char *sides, *links;
        std::vector<std::size_t> drops, sideChanges;
    } const cases[] = {
        {"LLLL", "uuuu", {}, {}},       {"LRRL", "uudu", {2}, {1, 3}},
        {"LLLL", "duud", {3}, {}}, // down from the start is no drop
        {"LLLL", "u?du", {1}, {}}, // a check without value counts as down, as on the page
        {"LLLL", "u?u?", {1, 3}, {}},   {"RLRL", "dddd", {}, {1, 2, 3}},
        {"LLLLL", "ududd", {1, 3}, {}}, // down twice in a row is one drop
    };
    for (const auto& c : cases) {
        LineHistory history;
        for (std::size_t i = 0; c.sides[i] != '\0'; ++i) {
            LineSample sample;
            sample.side = c.sides[i] == 'R' ? LineSide::Remote : LineSide::Local;
            if (c.links[i] != '?')
                sample.linkCheck = c.links[i] == 'u' ? 0xFF : 0x7F;
            history.add(sample);
        }
        EXPECT_EQ(history.linkDrops(), c.drops) << c.sides << " " << c.links;
        EXPECT_EQ(history.sideChanges(), c.sideChanges) << c.sides << " " << c.links;
    }
}

// A P-side unit on codes 00 down and 54 up: SNR 41.80, MSE 19.20, power -1.47.
const LineSample kFull{.wallTimeMs = kEpoch + 4000,
                       .correctedErrors = 4000000000u,
                       .noise = 100000,
                       .transmitLevel = 1000,
                       .linkCheck = 0x80,
                       .unitType = 0x00,
                       .downstreamCode = 0x00,
                       .upstreamCode = 0x54,
                       .linkFailCount = 3,
                       .receiverBits = 0x85,
                       .gainStep = 0xF8,
                       .linkStateBits = 0xA5,
                       .side = LineSide::Local};

TEST(LineHistoryCsv, HeaderThenOneRowPerPollWithEmptyCellsForWhatIsMissing) {
    // With a comma as the decimal point where a stream would use one.
    struct CommaPoint : std::numpunct<char> {
        char do_decimal_point() const override { return ','; }
    };
    const std::locale before =
        std::locale::global(std::locale(std::locale::classic(), new CommaPoint));
    LineHistory history;
    history.add(kFull);
    LineSample none; // every read without value
    none.wallTimeMs = kEpoch + 8000;
    none.side = LineSide::Remote;
    history.add(none);
    LineSample sSide = kFull; // an S-side unit measures with the upstream code
    sSide.wallTimeMs = kEpoch + 12000;
    sSide.unitType = 0x10;
    sSide.noise = 0;             // no finite ratio
    sSide.downstreamCode = 0x0E; // a constellation without table entries
    sSide.linkCheck = 0x7F;
    history.add(sSide);
    const std::string csv = monitor::lineHistoryCsv(history, utc);
    std::locale::global(before);
    // The file's rows, each of which the CSV ends with a carriage return and a line feed.
    std::ifstream expected(QUILLON_LINE_HISTORY_CSV);
    std::string rows;
    for (std::string row; std::getline(expected, row);)
        rows += row + "\r\n";
    EXPECT_EQ(csv, rows);
    // A field with a comma, a quote or a line end is quoted, its quotes doubled.
    const std::string quoted =
        monitor::lineHistoryCsv(history, [](std::int64_t) { return "1 \"March\",\r\n08:00"; });
    EXPECT_EQ(quoted.substr(quoted.find("\r\n") + 2, 29), "\"1 \"\"March\"\",\r\n08:00\",Local,P");
    // Local time stamps carry their offset from UTC.
    EXPECT_EQ(monitor::isoTimeAtOffset(kEpoch - 1, -330), "2026-03-01T02:29:59.999-05:30");
}

} // namespace
