#include "speed/report_journal.h"

#include "platform/journal.h"
#include "platform/local_time.h"
#include "speed/report_pdf.h"

#include <cstdio>

std::string journalReportName(const InstallationRecord& record) {
    const platform::CivilTime t =
        platform::civilTimeAt(record.endWallMs, record.endUtcOffsetMinutes);
    char name[64];
    std::snprintf(name, sizeof name, "report-%04d-%02d-%02d-%02d%02d%02d.pdf", t.year, t.month,
                  t.day, t.hour, t.minute, t.second);
    return name;
}

void journalInstallationReport(const InstallationRecord& record) {
    platform::Journal* journal = platform::journal();
    if (journal != nullptr && journal->active())
        journal->writeFile(journalReportName(record), automaticReportPdf(record));
}
