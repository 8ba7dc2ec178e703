#include "speed/best_speed_search.h"

#include "link/console_link.h"
#include "link/decoding.h"
#include "link/registers.h"
#include "platform/clock.h"
#include "platform/trace.h"
#include "speed/speed_profile_file.h"

#include <optional>

namespace {

constexpr int kFirstLinkWaitS = 1;
constexpr int kLinkAfterRestartWaitS = 20;
constexpr int kLinkOnDefaultsWaitS = 50;
constexpr int kLinkAfterLoadWaitS = 5;

constexpr std::int64_t kLinkPollMs = 1000;
constexpr char kCannotBeAchieved[] = "Configuration can not be achieved";
constexpr std::int64_t kSSideSavePauseMs = 2000;

// The command that writes a profile field to a rate register, the field exactly as the file has
// it.
std::string rateWrite(const char* reg, const std::string& field) {
    return std::string("wr ") + reg + " " + field + "\n";
}

} // namespace

// --- Link wait --------------------------------------------------------------------------------

int BestSpeedSearch::WaitForLink(int count, int& linkUp) {
    linkUp = 0;
    platform::appendTrace("\r\nLooking for link status\r\n");
    SetStatus("Looking for link status...");
    linkUp = readLinkState();
    for (int waits = 0; linkUp == 0 && waits < count; ++waits) {
        // The program blocks for the whole wait: show the latest state before it does.
        notify(&SearchObserver::repaintBeforeWait);
        platform::sleepMs(kLinkPollMs);
        linkUp = readLinkState();
    }
    return 1;
}

int BestSpeedSearch::readLinkState() {
    std::uint8_t bits = 0;
    if (link_.ReadRegister(kRegLinkState, bits) == 0) {
        notify(&SearchObserver::showStatus, std::string("can't read link status"), false);
        return 0;
    }
    const bool up = (bits & kLinkUp) != 0;
    notify(&SearchObserver::showLinkState, up);
    return up ? 1 : 0;
}

// --- Rates ------------------------------------------------------------------------------------

void BestSpeedSearch::LoadDefaults() {
    platform::appendTrace("\r\nLoading defaults\r\n");
    SetStatus("Loading defaults...");
    for (const char* command : kDefaultRateCommands)
        link_.WriteCommand(command);
    link_.SendWriteCommand(kCmdStartRates);
}

void BestSpeedSearch::ReadLineSpeed() {
    platform::appendTrace("\r\nReading line speed\r\n");
    const std::string down = actualRateText(kRegDownstreamRate, profiles_.downstream);
    const std::string up = actualRateText(kRegUpstreamRate, profiles_.upstream);
    notify(&SearchObserver::showActualRates, down, up);
}

// The label of the first profile whose code is the one the unit runs, else the rate the code
// gives. A register that gives no value, or a code outside the rate tables, shows as no reading.
std::string BestSpeedSearch::actualRateText(const char* reg,
                                            const std::vector<CSpeedEntry>& profiles) {
    std::uint8_t code = 0;
    if (link_.ReadRegister(reg, code) == 0)
        return kNoReadingText;
    if (profilesLoaded_ == 1) {
        for (const CSpeedEntry& profile : profiles) {
            if (parseRateCode(profile.rateCode) == code)
                return labelText(profile.label);
        }
    }
    const std::optional<double> rate = LineRateMbps(code);
    return rate ? RateText(*rate) : std::string(kNoReadingText);
}

int BestSpeedSearch::SaveToEeprom(int pSide) {
    if (pSide == 1) {
        if (link_.reachLocal() == 0)
            return 0;
        platform::appendTrace("\r\nSaving config on EEPROM - P Side\r\n");
        SetStatus("Saving config on EEPROM - P Side");
        link_.SendWriteCommand(kCmdSaveToEeprom);
        link_.WriteCommand("\n");
        return 1;
    }
    if (link_.reachRemote() == 0)
        return 0;
    platform::appendTrace("\r\nSaving config on EEPROM - S Side\r\n");
    SetStatus("Saving config on EEPROM - S Side");
    link_.SendWriteCommand(kCmdSaveToEeprom);
    platform::sleepMs(kSSideSavePauseMs);
    return 1;
}

// --- Status and messages ----------------------------------------------------------------------

void BestSpeedSearch::SetStatus(const std::string& text) {
    notify(&SearchObserver::showStatus, text, true);
}

void BestSpeedSearch::FallBackToDefaults() {
    // The P side gets the defaults even when the last error check left the console on the S side:
    // an S side in Install mode finds a P side on its defaults again by itself, while a P side
    // left on a failed pair would keep the link down for good.
    if (link_.reachLocal() == 0) {
        tell(kCannotBeAchieved);
        return;
    }
    LoadDefaults();
    int linkUp = 0;
    WaitForLink(kLinkOnDefaultsWaitS, linkUp);
    tell("Configuration can not be achieved\r\nDefault Configuration has been loaded");
    ReadLineSpeed();
}

void BestSpeedSearch::ShowInstallHint() {
    tell("Please run this program on S side to set it in Install mode.\nIf S side is already in "
         "install mode,\nthen configuration can not be achieved");
}

// --- Apply ------------------------------------------------------------------------------------

void BestSpeedSearch::Apply() {
    // The installation report keeps the whole trace of the run, the unit-type check included.
    const platform::TraceCapture capture;
    const std::int64_t startWallMs = platform::wallTimeMs();
    std::uint8_t unitType = 0;
    if (!attachedUnitIsPSide(unitType) || !bothDirectionsHaveProfiles() || !rangeIsValid())
        return;
    notify(&SearchObserver::runStarted, searchRun(startWallMs, unitType));
    platform::appendTrace("\r\nStarting procedure\r\n");
    SetStatus("Finding best speed in selected range...");
    notify(&SearchObserver::busyChanged, true);

    prepareAndSearch();

    platform::appendTrace("\r\nDone\r\n");
    SetStatus("Done");
    notify(&SearchObserver::busyChanged, false);
    notify(&SearchObserver::runEnded, capture.text());
}

bool BestSpeedSearch::attachedUnitIsPSide(std::uint8_t& unitType) {
    // Read on the remote unit, the unit type would not be the attached unit's.
    if (link_.reachLocal() == 0 || link_.ReadRegister(kRegUnitType, unitType) == 0) {
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
bool BestSpeedSearch::bothDirectionsHaveProfiles() {
    if (profiles_.upstream.empty()) {
        tell("No upstream speed in configuration file");
        return false;
    }
    if (profiles_.downstream.empty()) {
        tell("No downstream speed in configuration file");
        return false;
    }
    return true;
}

// A bound outside its direction's profiles (nothing selected after the lists were refilled)
// gives no range either.
bool BestSpeedSearch::rangeIsValid() {
    const SpeedSelection& s = selection_;
    const auto outside = [](int index, const std::vector<CSpeedEntry>& profiles) {
        return index < 0 || index >= static_cast<int>(profiles.size());
    };
    if (s.downMax < s.downMin || s.upMax < s.upMin || outside(s.upMin, profiles_.upstream) ||
        outside(s.upMax, profiles_.upstream) || outside(s.downMin, profiles_.downstream) ||
        outside(s.downMax, profiles_.downstream)) {
        tell("Max speed cannot be lower than min speed:\nselect different values");
        return false;
    }
    return true;
}

SearchRun BestSpeedSearch::searchRun(std::int64_t startWallMs, std::uint8_t unitType) const {
    SearchRun run;
    run.startWallMs = startWallMs;
    run.unitType = unitType;
    run.upMin = upProfile(selection_.upMin);
    run.upMax = upProfile(selection_.upMax);
    run.downMin = downProfile(selection_.downMin);
    run.downMax = downProfile(selection_.downMax);
    if (algorithm_ == kHighToLow || algorithm_ == kLowToHigh)
        run.order = algorithm_ == kHighToLow ? kHighToLowText : kLowToHighText;
    return run;
}

// With the link up the S side goes to Install mode and restarts, so that it falls back to its
// defaults by itself whenever a pair loses the link. With the link down only the P side can be
// reached: it gets the defaults, and the search runs if the link comes back. An S side that
// cannot be reached with the link up leaves the P side alone in the same way.
void BestSpeedSearch::prepareAndSearch() {
    int linkUp = 0;
    WaitForLink(kFirstLinkWaitS, linkUp);
    if (linkUp == 1) {
        if (link_.SetInstallMode(0) == 1 && link_.RestartUnit(0) == 1 && link_.reachLocal() == 1) {
            RunSearch();
            return;
        }
        if (link_.reachLocal() == 0) {
            tell(kCannotBeAchieved);
            return;
        }
    }
    LoadDefaults();
    WaitForLink(kLinkOnDefaultsWaitS, linkUp);
    if (linkUp == 1)
        RunSearch();
    else
        ShowInstallHint();
}

// --- The search -------------------------------------------------------------------------------

int BestSpeedSearch::RunSearch() {
    if (algorithm_ != kHighToLow && algorithm_ != kLowToHigh) {
        tell("Select the Algorithm");
        return 0;
    }
    if (!linkAfterRestart())
        return 0;
    return algorithm_ == kHighToLow ? searchHighToLow() : searchLowToHigh();
}

bool BestSpeedSearch::linkAfterRestart() {
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
    tell(kCannotBeAchieved);
    return false;
}

// Every pair from the fastest down, the fastest downstream profile first; the first pair that
// passes is kept.
int BestSpeedSearch::searchHighToLow() {
    platform::appendTrace("\r\nHIGH to LOW Speed Algorithm\r\n");
    const SpeedSelection& s = selection_;
    for (int ds = s.downMax; ds >= s.downMin; --ds) {
        for (int us = s.upMax; us >= s.upMin; --us) {
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
int BestSpeedSearch::searchLowToHigh() {
    platform::appendTrace("\r\nLOW to HIGH Speed Algorithm\r\n");
    const SpeedSelection& s = selection_;
    int ds = s.downMin;
    const AttemptResult down =
        climb(ds, s.downMin, s.downMax, [this, &s](int index) { return tryPair(s.upMin, index); });
    if (down != AttemptResult::Passed)
        return giveUp(down, false);
    // (upMin, ds) has just passed and is still loaded.
    int us = s.upMin + 1;
    const AttemptResult up =
        climb(us, s.upMin, s.upMax, [this, ds](int index) { return tryPair(index, ds); });
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
BestSpeedSearch::AttemptResult BestSpeedSearch::climb(int& index, int minIndex, int maxIndex,
                                                      Attempt attempt) {
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
int BestSpeedSearch::giveUp(AttemptResult result, bool hintWhenChecksFail) {
    if (result == AttemptResult::LinkLost ||
        (result == AttemptResult::ChecksFailed && hintWhenChecksFail))
        ShowInstallHint();
    else
        FallBackToDefaults();
    return 0;
}

// Every attempt goes into the record of the run with what its checks read and how long it took.
BestSpeedSearch::AttemptResult BestSpeedSearch::tryPair(int us, int ds) {
    AttemptRecord attempt;
    attempt.downLabel = downProfile(ds).label;
    attempt.upLabel = upProfile(us).label;
    const std::int64_t startMs = platform::clock().nowMs();
    const AttemptResult result = judgePair(us, ds, attempt);
    attempt.passed = result == AttemptResult::Passed;
    attempt.durationMs = platform::clock().nowMs() - startMs;
    notify(&SearchObserver::attemptMade, attempt);
    return result;
}

BestSpeedSearch::AttemptResult BestSpeedSearch::judgePair(int us, int ds, AttemptRecord& attempt) {
    // A pair that could not be loaded into both units fails as a pair whose checks failed.
    if (LoadConfiguration(us, ds) == 0)
        return AttemptResult::ChecksFailed;
    int linkUp = 0;
    WaitForLink(kLinkAfterLoadWaitS, linkUp);
    if (linkUp == 1) {
        // The error counters are read only when both ratios passed.
        ErrorSums sums;
        const bool passed = checkSnr(us, ds, attempt) == 1 && link_.CheckErrors(sums) == 1;
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
// it too. A unit that cannot be reached stops the sequence there: the pair is not saved on both.
int BestSpeedSearch::saveFoundPair() {
    if (SaveToEeprom(0) == 0 || link_.SetNormalMode(0) == 0 || link_.RestartUnit(0) == 0 ||
        SaveToEeprom(1) == 0) {
        tell(kCannotBeAchieved);
        return 0;
    }
    ReadLineSpeed();
    tell("Configuration saved");
    return 1;
}

// --- One pair ---------------------------------------------------------------------------------

int BestSpeedSearch::LoadConfiguration(int us, int ds) {
    const std::string& downLabel = downProfile(ds).label;
    const std::string& upLabel = upProfile(us).label;
    platform::appendTrace("\r\nLoading a configuration ... \r\n- DS= " + downLabel +
                          " - US= " + upLabel + "\r\n");
    SetStatus("Loading a configuration - DS= " + labelText(downLabel) +
              " - US= " + labelText(upLabel));
    // Gives 0, having sent nothing more, as soon as a unit cannot be reached.
    if (link_.reachRemote() == 0)
        return 0;
    WriteSpeedRegisters(us, ds);
    if (link_.reachLocal() == 0)
        return 0;
    WriteSpeedRegisters(us, ds);
    // Both units start the new rates, the S side first.
    if (link_.reachRemote() == 0)
        return 0;
    link_.SendWriteCommand(kCmdStartRates);
    if (link_.reachLocal() == 0)
        return 0;
    link_.SendWriteCommand(kCmdStartRates);
    return 1;
}

void BestSpeedSearch::WriteSpeedRegisters(int us, int ds) {
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
        link_.WriteCommand(command.c_str());
    link_.WriteCommand("\n");
}

int BestSpeedSearch::CheckSnr(int us, int ds) {
    AttemptRecord unrecorded;
    return checkSnr(us, ds, unrecorded);
}

// The P side receives the upstream signal and is judged with the upstream profile's code; the
// S side receives the downstream signal. The console ends on the P side.
int BestSpeedSearch::checkSnr(int us, int ds, AttemptRecord& attempt) {
    platform::appendTrace("\r\nChecking signal/noise ratio\r\n");
    SetStatus("Checking signal/noise ratio...");
    // A side that cannot be reached is not read: its ratio would be the other unit's.
    if (link_.reachLocal() == 0)
        return 0;
    attempt.snrP = readSideSnr(upProfile(us));
    if (!attempt.snrP->passed)
        return 0;
    const bool sReached = link_.reachRemote() == 1;
    if (sReached)
        attempt.snrS = readSideSnr(downProfile(ds));
    link_.SelectLocal();
    return sReached && attempt.snrS->passed ? 1 : 0;
}

// The addressed unit's ratio for the profile it receives. A reading without a value, a rate code
// without a digit or one whose constellation has no reference gives no ratio, and no ratio is
// not a pass.
SideSnrReading BestSpeedSearch::readSideSnr(const CSpeedEntry& received) {
    SideSnrReading reading;
    std::uint32_t v = 0;
    if (link_.ReadRegisterBytes(kRegNoiseCheck, v, kNoiseWidth) == 0)
        return reading;
    reading.value = v;
    const std::optional<std::uint64_t> code = parseRateCode(received.rateCode);
    if (code)
        reading.db = SignalToNoiseDb(v, static_cast<std::uint8_t>(*code & 0xFF));
    reading.passed = reading.db && snrPasses(*reading.db);
    return reading;
}

const CSpeedEntry& BestSpeedSearch::upProfile(int index) const {
    return profiles_.upstream[static_cast<std::size_t>(index)];
}

const CSpeedEntry& BestSpeedSearch::downProfile(int index) const {
    return profiles_.downstream[static_cast<std::size_t>(index)];
}
