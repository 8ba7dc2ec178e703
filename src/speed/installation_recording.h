#pragma once

#include "pages/page_host.h"
#include "speed/best_speed_search.h"
#include "speed/installation_record.h"

#include <optional>
#include <string>
#include <vector>

// Builds the record of each Apply from what the search tells its observers: the run's range and
// order, every attempt, every message, and the status line and Actual boxes it leaves. An Apply
// refused at its checks starts no run and leaves the last record as it was.
class InstallationRecording : public SearchObserver {
public:
    // The record of the last Apply that got past its checks, if any.
    const std::optional<InstallationRecord>& lastRecord() const { return last_; }
    // When each of those Apply runs went from its start to its end.
    const std::vector<ApplyPeriod>& periods() const { return periods_; }

    void showStatus(const std::string& text, bool paintNow) override;
    void showActualRates(const std::string& down, const std::string& up) override;
    void showMessage(const std::string& text) override;
    void runStarted(const SearchRun& run) override;
    void attemptMade(const AttemptRecord& attempt) override;
    void runEnded(const std::string& trace) override;

private:
    // The texts the page shows, kept whatever runs, for the end of the next run.
    std::string status_;
    std::string downActual_;
    std::string upActual_;
    std::optional<InstallationRecord> running_;
    std::optional<InstallationRecord> last_;
    std::vector<ApplyPeriod> periods_;
};
