// The Configuration page's record of each Apply and the installation report made from it.
#include "platform/clock.h"
#include "platform/file_dialog.h"
#include "platform/local_time.h"
#include "speed/configuration_page.h"
#include "speed/installation_report.h"
#include "speed/report_pdf.h"

#include <QComboBox>
#include <QPushButton>

namespace {

constexpr char kReportTitle[] = "Installation report";

} // namespace

// What the Apply is about to run on: the unit its check read, the range the search will use and
// the direction chosen. The report can be saved again once the Apply has ended.
void CSet::startRecording(std::int64_t startWallMs, std::uint8_t unitType) {
    recording_.emplace();
    recording_->startWallMs = startWallMs;
    recording_->startUtcOffsetMinutes = platform::localUtcOffsetMinutes(startWallMs);
    recording_->attachedUnit = attachedUnitText(unitType);
    recording_->upMin = upProfile(upMinIndex);
    recording_->upMax = upProfile(upMaxIndex);
    recording_->downMin = downProfile(downMinIndex);
    recording_->downMax = downProfile(downMaxIndex);
    const int algorithm = selectedAlgorithm();
    if (algorithm >= 0)
        recording_->order = algorithmList->itemText(algorithm).toStdString();
    reportButton->setEnabled(false);
}

void CSet::keepRecord(const std::string& trace) {
    recording_->endWallMs = platform::wallTimeMs();
    recording_->endUtcOffsetMinutes = platform::localUtcOffsetMinutes(recording_->endWallMs);
    recording_->finalStatus = statusText;
    recording_->downActual = downActualText;
    recording_->upActual = upActualText;
    recording_->trace = trace;
    lastRecord_ = std::move(recording_);
    recording_.reset();
    reportButton->setEnabled(true);
}

void CSet::OnReport() {
    if (!lastRecord_)
        return;
    platform::saveToChosenFile(
        this, "Save installation report", reportFileName(*lastRecord_), "PDF files (*.pdf)",
        "report", [this] { return reportPdf(installationReportHtml(*lastRecord_), kReportTitle); });
}
