#include "speed/report_journal.h"

#include "platform/journal.h"
#include "platform/local_time.h"
#include "speed/report_pdf.h"

std::string journalReportName(const InstallationRecord& record) {
    return "report-" +
           platform::fileNameStamp(
               platform::civilTimeAt(record.endWallMs, record.endUtcOffsetMinutes)) +
           ".pdf";
}

void journalInstallationReport(const InstallationRecord& record) {
    platform::Journal* journal = platform::journal();
    if (journal != nullptr && journal->active())
        journal->writeFile(journalReportName(record), automaticReportPdf(record));
}
