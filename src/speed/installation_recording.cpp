#include "speed/installation_recording.h"

#include "platform/clock.h"
#include "platform/local_time.h"

#include <utility>

void InstallationRecording::showStatus(const std::string& text, bool /*paintNow*/) {
    status_ = text;
}

void InstallationRecording::showActualRates(const std::string& down, const std::string& up) {
    downActual_ = down;
    upActual_ = up;
}

void InstallationRecording::showMessage(const std::string& text) {
    if (running_)
        running_->messages.push_back(text);
}

void InstallationRecording::runStarted(const SearchRun& run) {
    running_.emplace();
    running_->startWallMs = run.startWallMs;
    running_->startUtcOffsetMinutes = platform::localUtcOffsetMinutes(run.startWallMs);
    running_->attachedUnit = attachedUnitText(run.unitType);
    running_->upMin = run.upMin;
    running_->upMax = run.upMax;
    running_->downMin = run.downMin;
    running_->downMax = run.downMax;
    running_->order = run.order;
}

void InstallationRecording::attemptMade(const AttemptRecord& attempt) {
    if (running_)
        running_->attempts.push_back(attempt);
}

void InstallationRecording::runEnded(const std::string& trace) {
    if (!running_)
        return;
    running_->endWallMs = platform::wallTimeMs();
    running_->endUtcOffsetMinutes = platform::localUtcOffsetMinutes(running_->endWallMs);
    running_->finalStatus = status_;
    running_->downActual = downActual_;
    running_->upActual = upActual_;
    running_->trace = trace;
    periods_.push_back({running_->startWallMs, running_->endWallMs});
    last_ = std::exchange(running_, std::nullopt);
}
