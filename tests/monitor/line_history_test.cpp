// The line history on its own: link drops and side changes found between polls,
// and the CSV file exactly as a spreadsheet receives it.
#include "monitor/line_columns.h"
#include "monitor/line_history_csv.h"
#include "platform/virtual_clock.h"

#include <fstream>
#include <gtest/gtest.h>
#include <locale>
#include <random>

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
                       .counterIntervalMs = 4001,
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

// Each side's line goes on from its own previous poll, and breaks where that was over 10 s ago.
TEST(LineHistoryGaps, ASideLineBreaksWhereItsPollsPausedOverTenSeconds) {
    struct {
        const char* sides;
        std::vector<std::int64_t> atS;
        std::vector<std::int64_t> continuesMs; // -1: starts a line
    } const cases[] = {
        {"LLLL", {0, 4, 14, 24}, {-1, 4000, 10000, 10000}},
        {"LLL", {0, 4, 15}, {-1, 4000, -1}},
        {"LRLR", {0, 4, 8, 20}, {-1, -1, 8000, -1}}, // the other side's polls do not count
        {"LL", {8, 4}, {-1, -1}},                    // a clock set back
    };
    for (const auto& c : cases) {
        LineHistory history;
        for (std::size_t i = 0; i < c.atS.size(); ++i) {
            LineSample sample;
            sample.wallTimeMs = kEpoch + c.atS[i] * 1000;
            sample.side = c.sides[i] == 'R' ? LineSide::Remote : LineSide::Local;
            history.add(sample);
        }
        for (std::size_t i = 0; i < c.atS.size(); ++i)
            EXPECT_EQ(history.continuesAfterMs(i).value_or(-1), c.continuesMs[i])
                << c.sides << " poll " << i;
    }
}

// A poll every 4 s with a random SNR, switching sides now and then, a pause in the middle.
LineHistory randomPolls(int count) {
    std::mt19937 random(7);
    LineHistory history;
    std::int64_t at = kEpoch;
    for (int poll = 0; poll < count; ++poll) {
        at += poll == count / 2 ? 60000 : 4000;
        LineSample sample = kFull;
        sample.wallTimeMs = at;
        sample.correctedErrors = static_cast<std::uint32_t>(random() % 50);
        sample.counterIntervalMs = 4000;
        sample.noise = 20000 + random() % 400000;
        sample.linkFailCount = static_cast<std::uint8_t>(poll / 100);
        sample.side = (poll / 37) % 3 == 2 ? LineSide::Remote : LineSide::Local;
        history.add(sample);
    }
    return history;
}

TEST(LineColumns, EachColumnKeepsTheLowestAndHighestOfItsOwnSideAndBreaksAtGaps) {
    const LineHistory history = randomPolls(3000);
    const auto& samples = history.samples();
    constexpr double kColumnMs = 37000; // about 9 polls a column
    const std::int64_t first = static_cast<std::int64_t>(kEpoch / kColumnMs) + 20;
    monitor::LineColumns columns;
    columns.rebuild(history, first, kColumnMs, 250);
    // The same by the followed path: a column count behind, then scrolled as polls come.
    monitor::LineColumns followed;
    followed.rebuild(LineHistory(), first - 250, kColumnMs, 250);
    LineHistory growing;
    for (const LineSample& sample : samples) {
        growing.add(sample);
        const std::int64_t beyond = followed.columnAt(static_cast<double>(sample.wallTimeMs)) -
                                    (followed.firstColumn() + 249);
        if (followed.firstColumn() + beyond > first)
            break;
        if (beyond > 0)
            followed.scrollTo(followed.firstColumn() + beyond);
        followed.add(growing, growing.size() - 1);
    }
    followed.scrollTo(first);
    for (const std::size_t line :
         {monitor::lineOf(monitor::Quantity::Snr, LineSide::Local),
          monitor::lineOf(monitor::Quantity::Snr, LineSide::Remote),
          monitor::lineOf(monitor::Quantity::ErrorRate, LineSide::Remote)}) {
        const auto quantity = static_cast<monitor::Quantity>(line / 2);
        int columnsWithData = 0, starts = 0;
        for (int c = 0; c < 250; ++c) {
            const double from = (first + c) * kColumnMs, to = from + kColumnMs;
            std::optional<float> low, high;
            bool startsLine = false;
            for (std::size_t i = 0; i < samples.size(); ++i) {
                const double at = static_cast<double>(samples[i].wallTimeMs);
                if (at < from || at >= to || monitor::lineOf(quantity, samples[i].side) != line)
                    continue;
                const auto v = static_cast<float>(*monitor::lineValue(samples[i], quantity));
                if (!low)
                    startsLine = !history.continuesAfterMs(i);
                low = std::min(low.value_or(v), v);
                high = std::max(high.value_or(v), v);
            }
            const monitor::ColumnSpan& span = columns.span(line, c);
            ASSERT_EQ(span.any, low.has_value()) << line << " column " << c;
            if (!low)
                continue;
            ++columnsWithData;
            starts += span.startsLine ? 1 : 0;
            EXPECT_EQ(std::tuple(span.low, span.high, span.startsLine),
                      std::tuple(*low, *high, startsLine))
                << line << " column " << c;
            const monitor::ColumnSpan& same = followed.span(line, c);
            EXPECT_EQ(std::tuple(same.first, same.last, same.low, same.high, same.startsLine),
                      std::tuple(span.first, span.last, span.low, span.high, span.startsLine));
        }
        EXPECT_GT(columnsWithData, 50) << line;
        EXPECT_GT(starts, 2) << line; // side switches and the pause
    }
    // Corrected errors per second: the count over the time the counter counted it.
    LineSample counted;
    counted.correctedErrors = 10;
    counted.counterIntervalMs = 4000;
    EXPECT_EQ(counted.correctedErrorsPerSecond(), 2.5);
    counted.counterIntervalMs.reset();
    EXPECT_FALSE(counted.correctedErrorsPerSecond());
}

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
