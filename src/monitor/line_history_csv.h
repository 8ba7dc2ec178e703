#pragma once

#include "monitor/line_history.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

// The line history as a CSV file for a spreadsheet: a header row, then one row per poll with its
// time stamp, side and every reading. Decimal points are always ".", whatever the locale; a
// reading the poll did not get, or that cannot be computed, is an empty cell. Lines end in CRLF.
namespace monitor {

// Turns a wall time (ms since 1970-01-01 UTC) into the text of the time stamp column.
using TimeStampFormatter = std::function<std::string(std::int64_t wallTimeMs)>;

// ISO 8601 with milliseconds at a fixed offset from UTC: 2026-03-01T09:00:04.000+01:00.
std::string isoTimeAtOffset(std::int64_t wallTimeMs, int offsetMinutes);

// The same in the computer's local time at that moment.
std::string localIsoTime(std::int64_t wallTimeMs);

// One field, quoted when it holds a comma, a quote, CR or LF (quotes inside doubled).
std::string csvField(std::string_view text);

// The header row and the row of one poll, each with its CRLF: a file written a row at a time
// reads the same as one written whole.
std::string lineHistoryCsvHeader();
std::string lineHistoryCsvRow(const LineSample& sample, const TimeStampFormatter& timeStamp);

std::string lineHistoryCsv(const LineHistory& history, const TimeStampFormatter& timeStamp);

} // namespace monitor
