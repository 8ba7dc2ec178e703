#pragma once

#include "speed/installation_details.h"
#include "speed/installation_record.h"

#include <cstdint>
#include <string>
#include <string_view>

// What the installer chose for one report: the details at its top (an empty one shows as "-")
// and whether the trace of the run goes in as its appendix.
struct ReportChoices {
    InstallationDetails details;
    bool withTrace = true;
};

// The installation report of one Apply as HTML, ready to be laid out on pages. Labels come from
// the profile file, details from the installer and the trace from the unit: every text is escaped
// before it goes in.
std::string installationReportHtml(const InstallationRecord& record,
                                   const ReportChoices& choices = {});

// The file name offered for the report, from the Apply's start in local time:
// "installation-2026-03-01-0900.pdf".
std::string reportFileName(const InstallationRecord& record);

// A wall time as local time with its offset from UTC, e.g. "2026-03-01 09:00:00 UTC+01:00".
std::string localTimeText(std::int64_t wallMs, int utcOffsetMinutes);

// A text for HTML: markup characters as entities, control characters as <XX> in hex, the rest
// (UTF-8) as it stands.
std::string htmlEscaped(std::string_view text);

// The trace as monospaced HTML lines: as in the trace window, only a carriage return and line
// feed pair ends a line and the bare line feed echoed after each command is not shown; bytes are
// taken as Latin-1 and escaped.
std::string traceHtml(std::string_view trace);
