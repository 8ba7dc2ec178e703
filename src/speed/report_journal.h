#pragma once

#include "speed/installation_record.h"

#include <string>

// The name the journal gives the report of an Apply, from its end in local time:
// "report-2026-03-01-091412.pdf".
std::string journalReportName(const InstallationRecord& record);

// Keeps the report of the Apply in the journal in force, if any, without asking anything.
void journalInstallationReport(const InstallationRecord& record);
