// The installation report's content: verdicts, HTML (escaping, missing readings, times) and the
// PDF it becomes.
#include "speed/installation_report.h"
#include "support/work_folder.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

using testsupport::countOf;

constexpr std::int64_t kMarchFirst8Utc = 1772352000000; // 2026-03-01 08:00:00 UTC

SideSnrReading snr(std::optional<std::uint32_t> value, std::optional<double> db) {
    return {value, db, db && *db >= 6.0};
}

AttemptRecord attempt(std::optional<SideSnrReading> p, std::optional<SideSnrReading> s = {},
                      std::optional<int> errorsP = {}, std::optional<int> errorsS = {}) {
    AttemptRecord record;
    record.snrP = p;
    record.snrS = s;
    record.errorsP = errorsP;
    record.errorsS = errorsS;
    record.passed = p && s && p->passed && s->passed && errorsP == 0 && errorsS == 0;
    return record;
}

// The first check that failed, in the order the search makes them.
TEST(InstallationRecord, VerdictNamesTheCheckThatFailed) {
    AttemptRecord linkDown;
    linkDown.linkUp = false;
    AttemptRecord linkBack = linkDown;
    linkBack.linkBackOnDefaults = true;
    const SideSnrReading good = snr(1, 60.0);
    const std::vector<std::pair<AttemptRecord, std::string>> cases = {
        {linkDown, "No link (not back on the defaults)"},
        {linkBack, "No link (back on the defaults)"},
        {attempt(snr(2630268, 5.99)), "SNR below 6 dB on P side"},
        {attempt(snr(std::nullopt, std::nullopt)), "No SNR reading on P side"},
        {attempt(good, snr(1, std::nullopt)), "No SNR for the rate code on S side"},
        {attempt(good, snr(9000000, 3.0)), "SNR below 6 dB on S side"},
        {attempt(good, snr(0, INFINITY), 7), "Errors on P side"},
        {attempt(good, good, 0, -2), "Errors on S side"}, // a sum that wrapped
        {attempt(good, good, 0, 0), "Passed"},
        // A check that stopped for want of a unit it could not reach.
        {attempt(std::nullopt), "A unit not reachable"},
        {attempt(good), "S side not reachable"},
        {attempt(good, good, 0), "S side not reachable"},
    };
    for (const auto& [attempt, verdict] : cases)
        EXPECT_EQ(verdictText(attempt), verdict);
}

// Times are shown at the offset from UTC recorded with them, also across a date line.
TEST(InstallationReportTimes, AreLocalWithTheirOffset) {
    const std::int64_t newYearUtc = 1767225600000 + 30 * 60000; // 2026-01-01 00:30 UTC
    // Offset in minutes, time, the text and the file name's stamp.
    const std::vector<std::tuple<int, std::int64_t, std::string, std::string>> cases = {
        {60, kMarchFirst8Utc + 59999, "2026-03-01 09:00:59 UTC+01:00", "2026-03-01-0900"},
        {-210, kMarchFirst8Utc, "2026-03-01 04:30:00 UTC-03:30", "2026-03-01-0430"},
        // The day, and here the year, before the one in UTC.
        {-300, newYearUtc, "2025-12-31 19:30:00 UTC-05:00", "2025-12-31-1930"},
        {600, newYearUtc - 3600000, "2026-01-01 09:30:00 UTC+10:00", "2026-01-01-0930"}};
    for (const auto& [offset, wallMs, text, stamp] : cases) {
        SCOPED_TRACE(offset);
        EXPECT_EQ(localTimeText(wallMs, offset), text);
        InstallationRecord record;
        record.startWallMs = wallMs;
        record.startUtcOffsetMinutes = offset;
        EXPECT_EQ(reportFileName(record), "installation-" + stamp + ".pdf");
    }
}

// A record with every kind of reading, labels and trace holding markup.
InstallationRecord sampleRecord() {
    InstallationRecord record;
    record.startWallMs = kMarchFirst8Utc;
    record.endWallMs = kMarchFirst8Utc + 125000;
    record.startUtcOffsetMinutes = 60;
    record.endUtcOffsetMinutes = 120; // a clock change during the run
    record.upMax.label = "<&>";
    record.upMax.rateCode = "58";
    record.upMax.tuningHigh = "00";
    record.upMax.tuningLow = "b7\n"; // the line feed a last field keeps
    AttemptRecord noLink;
    noLink.downLabel = "7.58";
    noLink.upLabel = "<&>";
    noLink.linkUp = false;
    noLink.linkBackOnDefaults = true;
    noLink.durationMs = 61234;
    const AttemptRecord clean{.downLabel = "3.79",
                              .upLabel = "1.42",
                              .snrP = snr(2630267, 6.0000001),
                              .snrS = snr(0, INFINITY),
                              .errorsP = 0,
                              .errorsS = 0,
                              .passed = true,
                              .durationMs = 21000};
    AttemptRecord lowS = clean;
    lowS.snrS = snr(2630268, 5.9999);
    lowS.errorsP = lowS.errorsS = std::nullopt;
    lowS.passed = false;
    record.attempts = {noLink, lowS, clean};
    record.messages = {"Configuration can not be achieved\r\nDefault Configuration has been loaded",
                       "Configuration saved"};
    record.trace = "\r\nStarting procedure\r\nrd 8c70\n\r\n: 02 \r\nL>\x05R>caf\xe9 <b>\r";
    return record;
}

// Labels, details and trace come from the file, the installer and the unit: they go in escaped,
// and a reading the search did not make or a detail not given shows as "-". A ratio is rounded
// down so a refused one never reads 6.00 dB. The whole page is data/sample_report.html, checked
// by hand when the code first wrote it.
TEST(InstallationReportHtml, HoldsTheRunEscaped) {
    const ReportChoices choices{{"Mill <Rd> & Co", "", "Zo\xc3\xab"}};
    EXPECT_EQ(installationReportHtml(sampleRecord(), choices),
              testsupport::readFile(QUILLON_SPEED_DATA "/sample_report.html"));
    // A label saved in a Windows code page shows as the same character as one in UTF-8.
    InstallationRecord latin1 = sampleRecord();
    latin1.upMax.label = latin1.attempts[0].upLabel = "1.42\xb5";
    EXPECT_EQ(countOf(installationReportHtml(latin1), "<td>1.42\xc2\xb5</td>"), 2);
}

// The trace appendix is the installer's choice; nothing else of the report depends on it.
TEST(InstallationReportHtml, LeavesTheTraceOutWhenNotChosen) {
    const InstallationRecord record = sampleRecord();
    const std::string with = installationReportHtml(record, {{}, true});
    const std::string without = installationReportHtml(record, {{}, false});
    const std::size_t begin = with.find("<h2>Appendix: trace of the run</h2>\n<pre>");
    const std::size_t end = with.find("</pre>\n", begin);
    ASSERT_NE(end, std::string::npos);
    EXPECT_EQ(without, with.substr(0, begin) + with.substr(end + 7));
    EXPECT_EQ(countOf(without, "Appendix") + countOf(without, "<pre>"), 0);
}

TEST(InstallationReportHtml, SaysWhenTheSearchTriedNothing) {
    InstallationRecord record;
    record.messages = {"Select the Algorithm"};
    const std::string html = installationReportHtml(record);
    EXPECT_EQ(countOf(html, "<p>The search tried no profile pair.</p>"), 1);
    EXPECT_EQ(countOf(html, "<th>Verdict</th>"), 0);
}

} // namespace
