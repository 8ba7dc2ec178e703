#include "speed/installation_report.h"

#include "platform/local_time.h"
#include "speed/speed_profile_file.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

std::string formatted(const char* format, double value) {
    char text[32];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

std::string hexByte(unsigned char byte) {
    char text[16];
    std::snprintf(text, sizeof text, "&lt;%02X&gt;", byte);
    return text;
}

// A file field without the line feed that the file's last field keeps.
std::string_view withoutLineEnd(std::string_view field) {
    if (field.ends_with('\n'))
        field.remove_suffix(1);
    if (field.ends_with('\r'))
        field.remove_suffix(1);
    return field;
}

std::string cell(std::string_view text) {
    return "<td>" + htmlEscaped(text) + "</td>";
}

std::string headerRow(std::initializer_list<const char*> titles) {
    std::string row = "<tr>";
    for (const char* title : titles)
        row += std::string("<th>") + title + "</th>";
    return row + "</tr>\n";
}

// Rounded down, so that a ratio the check refused never shows as 6.00 dB.
std::string snrText(const std::optional<SideSnrReading>& reading) {
    if (!reading || !reading->db)
        return "-";
    if (std::isinf(*reading->db))
        return "no noise";
    return formatted("%.2f dB", std::floor(*reading->db * 100.0) / 100.0);
}

std::string errorsText(const std::optional<int>& sum) {
    return sum ? std::to_string(*sum) : "-";
}

std::string factRow(const char* name, std::string_view value) {
    return std::string("<tr><th align=\"left\">") + name + "</th>" + cell(value) + "</tr>\n";
}

std::string orDash(const std::string& text) {
    return text.empty() ? "-" : text;
}

std::string facts(const InstallationRecord& record, const InstallationDetails& details) {
    return "<table class=\"facts\">\n" + factRow("Site", orDash(details.site)) +
           factRow("Circuit", orDash(details.circuit)) +
           factRow("Installer", orDash(details.installer)) +
           factRow("Started", localTimeText(record.startWallMs, record.startUtcOffsetMinutes)) +
           factRow("Ended", localTimeText(record.endWallMs, record.endUtcOffsetMinutes)) +
           factRow("Attached unit", record.attachedUnit) +
           factRow("Search order", record.order.empty() ? "none selected" : record.order) +
           "</table>\n";
}

std::string rangeRow(const char* end, const CSpeedEntry& profile) {
    return std::string("<tr><th align=\"left\">") + end + "</th>" + cell(labelText(profile.label)) +
           cell(withoutLineEnd(profile.rateCode)) + cell(withoutLineEnd(profile.tuningHigh)) +
           cell(withoutLineEnd(profile.tuningLow)) + "</tr>\n";
}

std::string ranges(const InstallationRecord& record) {
    return "<h2>Chosen ranges</h2>\n<table>\n" +
           headerRow({"", "Profile", "Rate code", "Tuning high", "Tuning low"}) +
           rangeRow("Downstream Min", record.downMin) + rangeRow("Downstream Max", record.downMax) +
           rangeRow("Upstream Min", record.upMin) + rangeRow("Upstream Max", record.upMax) +
           "</table>\n";
}

std::string attemptRow(const AttemptRecord& attempt) {
    return "<tr>" + cell(labelText(attempt.downLabel)) + cell(labelText(attempt.upLabel)) +
           cell(snrText(attempt.snrP)) + cell(snrText(attempt.snrS)) +
           cell(errorsText(attempt.errorsP)) + cell(errorsText(attempt.errorsS)) +
           cell(verdictText(attempt)) +
           cell(formatted("%.1f s", static_cast<double>(attempt.durationMs) / 1000.0)) + "</tr>\n";
}

std::string attempts(const InstallationRecord& record) {
    std::string html = "<h2>Attempts</h2>\n";
    if (record.attempts.empty())
        return html + "<p>The search tried no profile pair.</p>\n";
    html += "<table>\n" + headerRow({"Downstream", "Upstream", "SNR P", "SNR S", "Errors P",
                                     "Errors S", "Verdict", "Time"});
    for (const AttemptRecord& attempt : record.attempts)
        html += attemptRow(attempt);
    return html + "</table>\n";
}

// A message's own line breaks ("\r\n" or "\n") are kept.
std::string messageHtml(std::string_view message) {
    std::string html;
    std::size_t begin = 0;
    for (std::size_t end; (end = message.find('\n', begin)) != std::string_view::npos;
         begin = end + 1)
        html += htmlEscaped(withoutLineEnd(message.substr(begin, end - begin))) + "<br>";
    return html + htmlEscaped(message.substr(begin));
}

std::string outcome(const InstallationRecord& record) {
    std::string html = "<h2>Outcome</h2>\n<table class=\"facts\">\n";
    for (const std::string& message : record.messages)
        html += "<tr><th align=\"left\">Message</th><td>" + messageHtml(message) + "</td></tr>\n";
    html += factRow("Status", record.finalStatus);
    html += factRow("Downstream (Mbps)", record.downActual);
    html += factRow("Upstream (Mbps)", record.upActual);
    return html + "</table>\n";
}

constexpr char kStyle[] =
    "<style>\n"
    "h1 { font-size: 16pt; } h2 { font-size: 12pt; margin-top: 14px; }\n"
    "table { border-collapse: collapse; }\n"
    "th, td { border: 1px solid #888888; padding: 3px; }\n"
    "table.facts th, table.facts td { border: none; padding: 2px 12px 2px 0px; }\n"
    "pre { font-family: monospace; font-size: 7pt; white-space: pre-wrap; }\n"
    "</style>\n";

std::string traceAppendix(const InstallationRecord& record) {
    return "<h2>Appendix: trace of the run</h2>\n<pre>" + traceHtml(record.trace) + "</pre>\n";
}

} // namespace

std::string installationReportHtml(const InstallationRecord& record, const ReportChoices& choices) {
    return std::string("<html><head><meta charset=\"utf-8\"><title>Installation report</title>") +
           kStyle + "</head><body>\n<h1>Installation report</h1>\n" +
           facts(record, choices.details) + ranges(record) + attempts(record) + outcome(record) +
           (choices.withTrace ? traceAppendix(record) : "") + "</body></html>\n";
}

std::string reportFileName(const InstallationRecord& record) {
    const platform::CivilTime t =
        platform::civilTimeAt(record.startWallMs, record.startUtcOffsetMinutes);
    char name[64];
    std::snprintf(name, sizeof name, "installation-%04d-%02d-%02d-%02d%02d.pdf", t.year, t.month,
                  t.day, t.hour, t.minute);
    return name;
}

std::string localTimeText(std::int64_t wallMs, int utcOffsetMinutes) {
    const platform::CivilTime t = platform::civilTimeAt(wallMs, utcOffsetMinutes);
    const int offset = std::abs(utcOffsetMinutes);
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d UTC%c%02d:%02d", t.year,
                  t.month, t.day, t.hour, t.minute, t.second, utcOffsetMinutes < 0 ? '-' : '+',
                  offset / 60, offset % 60);
    return text;
}

std::string htmlEscaped(std::string_view text) {
    std::string html;
    html.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
        case '&':
            html += "&amp;";
            break;
        case '<':
            html += "&lt;";
            break;
        case '>':
            html += "&gt;";
            break;
        case '"':
            html += "&quot;";
            break;
        case '\'':
            html += "&#39;";
            break;
        default:
            html += byte < 0x20 || byte == 0x7F ? hexByte(byte) : std::string(1, c);
        }
    }
    return html;
}

std::string traceHtml(std::string_view trace) {
    std::string html;
    html.reserve(trace.size() + trace.size() / 8);
    for (std::size_t i = 0; i < trace.size(); ++i) {
        const auto byte = static_cast<unsigned char>(trace[i]);
        const bool pairStarts = byte == '\r' && i + 1 < trace.size() && trace[i + 1] == '\n';
        const bool pairEnds = byte == '\n' && i > 0 && trace[i - 1] == '\r';
        // Only a "\r\n" pair ends a line, as in the trace window: the bare line feed that the
        // console echoes after each command is not shown.
        if (pairStarts || (byte == '\n' && !pairEnds))
            continue;
        if (pairEnds)
            html += '\n';
        else if (byte >= 0x80)
            html += "&#" + std::to_string(byte) + ";";
        else
            html += htmlEscaped(trace.substr(i, 1));
    }
    return html;
}
