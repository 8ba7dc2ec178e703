// The Apply procedure of the Configuration page and its best-speed search: every attempt loads a
// profile pair into both units, waits for the link and checks both directions' signal/noise ratio
// and both units' error counters; the first pair the chosen order accepts is stored in both
// units' EEPROM.
#include "link/decoding.h"
#include "link/registers.h"
#include "platform/clock.h"
#include "platform/trace.h"
#include "speed/configuration_page.h"
#include "speed/speed_profile_file.h"

#include <QComboBox>
#include <QPushButton>

namespace {

constexpr int kHighToLow = 0;
constexpr int kLowToHigh = 1;

constexpr int kFirstLinkWaitS = 1;
constexpr int kLinkAfterRestartWaitS = 20;
constexpr int kLinkOnDefaultsWaitS = 50;
constexpr int kLinkAfterLoadWaitS = 5;

// The command that writes a profile field to a rate register, the field exactly as the file has
// it.
std::string rateWrite(const char* reg, const std::string& field) {
    return std::string("wr ") + reg + " " + field + "\n";
}

} // namespace

// --- Apply ------------------------------------------------------------------------------------

void CSet::Apply() {
    // The installation report keeps the whole trace of the run, the unit-type check included.
    const platform::TraceCapture capture;
    const std::int64_t startWallMs = platform::wallTimeMs();
    std::uint8_t unitType = 0;
    if (!attachedUnitIsPSide(unitType) || !bothDirectionsHaveProfiles() || !rangeIsValid())
        return;
    startRecording(startWallMs, unitType);
    platform::appendTrace("\r\nStarting procedure\r\n");
    SetStatus("Finding best speed in selected range...");
    applyButton->setEnabled(false);
    refreshControls();

    prepareAndSearch();

    platform::appendTrace("\r\nDone\r\n");
    SetStatus("Done");
    applyButton->setEnabled(true);
    refreshControls();
    keepRecord(capture.text());
}

bool CSet::attachedUnitIsPSide(std::uint8_t& unitType) {
    link.SelectLocal();
    if (link.ReadRegister(kRegUnitType, unitType) == 0) {
        tell("No answer from device");
        return false;
    }
    if ((unitType & kUnitTypeSSide) != 0) {
        tell("P side must be connected to start this procedure");
        return false;
    }
    return true;
}

// A file may hold no profile for a direction: there is then nothing to load for it.
bool CSet::bothDirectionsHaveProfiles() {
    if (upMinList->count() == 0) {
        tell("No upstream speed in configuration file");
        return false;
    }
    if (downMinList->count() == 0) {
        tell("No downstream speed in configuration file");
        return false;
    }
    return true;
}

bool CSet::rangeIsValid() {
    if (downMaxList->currentIndex() < downMinList->currentIndex() ||
        upMaxList->currentIndex() < upMinList->currentIndex()) {
        tell("Max speed cannot be lower than min speed:\nselect different values");
        return false;
    }
    return true;
}

// With the link up the S side goes to Install mode and restarts, so that it falls back to its
// defaults by itself whenever a pair loses the link. With the link down only the P side can be
// reached: it gets the defaults, and the search runs if the link comes back.
void CSet::prepareAndSearch() {
    int linkUp = 0;
    WaitForLink(kFirstLinkWaitS, linkUp);
    if (linkUp == 1) {
        link.SetInstallMode(0);
        link.RestartUnit(0);
        link.SelectLocal();
        RunSearch();
        return;
    }
    LoadDefaults();
    WaitForLink(kLinkOnDefaultsWaitS, linkUp);
    if (linkUp == 1)
        RunSearch();
    else
        ShowInstallHint();
}

// --- The search -------------------------------------------------------------------------------

int CSet::RunSearch() {
    const int algorithm = selectedAlgorithm();
    if (algorithm != kHighToLow && algorithm != kLowToHigh) {
        tell("Select the Algorithm");
        return 0;
    }
    if (!linkAfterRestart())
        return 0;
    return algorithm == kHighToLow ? searchHighToLow() : searchLowToHigh();
}

// The chosen item, or -1 when the edit field holds a text of its own.
int CSet::selectedAlgorithm() const {
    const int index = algorithmList->currentIndex();
    if (index < 0 || algorithmList->currentText() != algorithmList->itemText(index))
        return -1;
    return index;
}

bool CSet::linkAfterRestart() {
    int linkUp = 0;
    WaitForLink(kLinkAfterRestartWaitS, linkUp);
    if (linkUp == 1)
        return true;
    LoadDefaults();
    platform::appendTrace("\r\nNo Link After Restart\r\n");
    WaitForLink(kLinkOnDefaultsWaitS, linkUp);
    if (linkUp == 1)
        return true;
    platform::appendTrace("\r\nNo Link After Restart and LWD\r\n");
    tell("Configuration can not be achieved");
    return false;
}

// Every pair from the fastest down, the fastest downstream profile first; the first pair that
// passes is kept.
int CSet::searchHighToLow() {
    platform::appendTrace("\r\nHIGH to LOW Speed Algorithm\r\n");
    for (int ds = downMaxIndex; ds >= downMinIndex; --ds) {
        for (int us = upMaxIndex; us >= upMinIndex; --us) {
            const AttemptResult result = tryPair(us, ds);
            if (result == AttemptResult::Passed)
                return saveFoundPair();
            if (result == AttemptResult::LinkLost)
                return giveUp(result, true);
        }
    }
    FallBackToDefaults();
    return 0;
}

// Climbs the downstream profiles on the slowest upstream profile, then the upstream profiles on
// the downstream profile found.
int CSet::searchLowToHigh() {
    platform::appendTrace("\r\nLOW to HIGH Speed Algorithm\r\n");
    int ds = downMinIndex;
    const AttemptResult down = climb(ds, downMinIndex, downMaxIndex,
                                     [this](int index) { return tryPair(upMinIndex, index); });
    if (down != AttemptResult::Passed)
        return giveUp(down, false);
    // (upMinIndex, ds) has just passed and is still loaded.
    int us = upMinIndex + 1;
    const AttemptResult up =
        climb(us, upMinIndex, upMaxIndex, [this, ds](int index) { return tryPair(index, ds); });
    if (up != AttemptResult::Passed)
        return giveUp(up, true);
    return saveFoundPair();
}

// One phase of LOW to HIGH: goes up one profile at a time while attempts pass; at the first
// failure steps back one profile and goes on down until an attempt passes, so a profile that
// failed is never tried again. Passed when the phase ends on a passing attempt (or makes none,
// index starting above maxIndex); otherwise the result that stopped it: a failure at minIndex,
// or a link that did not come back.
template <class Attempt>
CSet::AttemptResult CSet::climb(int& index, int minIndex, int maxIndex, Attempt attempt) {
    bool steppedBack = false;
    while (index <= maxIndex) {
        const AttemptResult result = attempt(index);
        if (result == AttemptResult::Passed) {
            if (steppedBack || index >= maxIndex)
                return result;
            ++index;
        } else if (result == AttemptResult::LinkLost || index == minIndex) {
            return result;
        } else {
            steppedBack = true;
            --index;
        }
    }
    return AttemptResult::Passed;
}

// Ends a search that found nothing. A link that never came back leaves the install hint; so do
// failed checks where hintWhenChecksFail says so. Otherwise the units go back to the defaults.
int CSet::giveUp(AttemptResult result, bool hintWhenChecksFail) {
    if (result == AttemptResult::LinkLost ||
        (result == AttemptResult::ChecksFailed && hintWhenChecksFail))
        ShowInstallHint();
    else
        FallBackToDefaults();
    return 0;
}

// Every attempt goes into the record of the run with what its checks read and how long it took.
CSet::AttemptResult CSet::tryPair(int us, int ds) {
    AttemptRecord attempt;
    attempt.downLabel = downProfile(ds).label;
    attempt.upLabel = upProfile(us).label;
    const std::int64_t startMs = platform::clock().nowMs();
    const AttemptResult result = judgePair(us, ds, attempt);
    attempt.passed = result == AttemptResult::Passed;
    attempt.durationMs = platform::clock().nowMs() - startMs;
    if (recording_)
        recording_->attempts.push_back(std::move(attempt));
    return result;
}

CSet::AttemptResult CSet::judgePair(int us, int ds, AttemptRecord& attempt) {
    LoadConfiguration(us, ds);
    int linkUp = 0;
    WaitForLink(kLinkAfterLoadWaitS, linkUp);
    if (linkUp == 1) {
        // The error counters are read only when both ratios passed.
        ErrorSums sums;
        const bool passed = checkSnr(us, ds, attempt) == 1 && link.CheckErrors(sums) == 1;
        attempt.errorsP = sums.pSide;
        attempt.errorsS = sums.sSide;
        return passed ? AttemptResult::Passed : AttemptResult::ChecksFailed;
    }
    attempt.linkUp = false;
    LoadDefaults();
    WaitForLink(kLinkOnDefaultsWaitS, linkUp);
    attempt.linkBackOnDefaults = linkUp == 1;
    return linkUp == 1 ? AttemptResult::LinkBackOnDefaults : AttemptResult::LinkLost;
}

// The S side stores the pair and goes back to Normal mode with a restart; then the P side stores
// it too.
int CSet::saveFoundPair() {
    SaveToEeprom(0);
    link.SetNormalMode(0);
    link.RestartUnit(0);
    SaveToEeprom(1);
    ReadLineSpeed();
    tell("Configuration saved");
    return 1;
}

// --- One pair ---------------------------------------------------------------------------------

int CSet::LoadConfiguration(int us, int ds) {
    const std::string& downLabel = downProfile(ds).label;
    const std::string& upLabel = upProfile(us).label;
    platform::appendTrace("\r\nLoading a configuration ... \r\n- DS= " + downLabel +
                          " - US= " + upLabel + "\r\n");
    SetStatus("Loading a configuration - DS= " + downLabel + " - US= " + upLabel);
    link.SelectRemote();
    WriteSpeedRegisters(us, ds);
    link.SelectLocal();
    WriteSpeedRegisters(us, ds);
    // Both units start the new rates, the S side first.
    link.SelectRemote();
    link.SendWriteCommand(kCmdStartRates);
    link.SelectLocal();
    link.SendWriteCommand(kCmdStartRates);
    return 1;
}

void CSet::WriteSpeedRegisters(int us, int ds) {
    const CSpeedEntry& down = downProfile(ds);
    const CSpeedEntry& up = upProfile(us);
    for (const std::string& command : {
             rateWrite(kRegDownstreamRateCode, down.rateCode),
             rateWrite(kRegUpstreamRateCode, up.rateCode),
             rateWrite(kRegDownstreamTuningHigh, down.tuningHigh),
             rateWrite(kRegDownstreamTuningLow, down.tuningLow),
             rateWrite(kRegUpstreamTuningHigh, up.tuningHigh),
             rateWrite(kRegUpstreamTuningLow, up.tuningLow),
         })
        link.WriteCommand(command.c_str());
    link.WriteCommand("\n");
}

int CSet::CheckSnr(int us, int ds) {
    AttemptRecord unrecorded;
    return checkSnr(us, ds, unrecorded);
}

// The P side receives the upstream signal and is judged with the upstream profile's code; the
// S side receives the downstream signal. The console ends on the P side.
int CSet::checkSnr(int us, int ds, AttemptRecord& attempt) {
    platform::appendTrace("\r\nChecking signal/noise ratio\r\n");
    SetStatus("Checking signal/noise ratio...");
    link.SelectLocal();
    attempt.snrP = readSideSnr(upProfile(us));
    if (!attempt.snrP->passed)
        return 0;
    link.SelectRemote();
    attempt.snrS = readSideSnr(downProfile(ds));
    link.SelectLocal();
    return attempt.snrS->passed ? 1 : 0;
}

// The addressed unit's ratio for the profile it receives. A reading without a value, a rate code
// without a digit or one whose constellation has no reference gives no ratio, and no ratio is
// not a pass.
SideSnrReading CSet::readSideSnr(const CSpeedEntry& received) {
    SideSnrReading reading;
    std::uint32_t v = 0;
    if (link.ReadRegisterBytes(kRegNoiseCheck, v, kNoiseWidth) == 0)
        return reading;
    reading.value = v;
    const std::optional<std::uint64_t> code = parseRateCode(received.rateCode);
    if (code)
        reading.db = SignalToNoiseDb(v, static_cast<std::uint8_t>(*code & 0xFF));
    reading.passed = reading.db && snrPasses(*reading.db);
    return reading;
}
