#pragma once

#include "speed/installation_record.h"
#include "speed/speed_entry.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

class CConsoleLink;

// The profiles of the speed profile file, each direction's in file order, slowest first: a
// profile's index is its position here.
struct SpeedProfiles {
    std::vector<CSpeedEntry> upstream;
    std::vector<CSpeedEntry> downstream;
};

// The range the search may use: indexes into SpeedProfiles, -1 where nothing is selected.
struct SpeedSelection {
    int upMin = -1;
    int upMax = -1;
    int downMin = -1;
    int downMax = -1;
};

// The search orders, numbered as the items of the sorted direction list that offers them.
inline constexpr int kHighToLow = 0;
inline constexpr int kLowToHigh = 1;
inline constexpr int kNoAlgorithm = -1;
inline constexpr char kHighToLowText[] = "HIGH -> LOW";
inline constexpr char kLowToHighText[] = "LOW  -> HIGH";

// What an Apply runs on once its checks have passed.
struct SearchRun {
    // Wall-clock milliseconds when Apply began, before its checks.
    std::int64_t startWallMs = 0;
    // The value of the unit-type register the check read.
    std::uint8_t unitType = 0;
    CSpeedEntry upMin;
    CSpeedEntry upMax;
    CSpeedEntry downMin;
    CSpeedEntry downMax;
    // The direction list's text of the chosen order; empty when none is chosen.
    std::string order;
};

// What the Apply procedure and its search tell the window they run in, and whoever keeps a
// record of them. Every call comes from inside the blocking procedure.
class SearchObserver {
public:
    virtual ~SearchObserver() = default;

    // The status line takes text; paintNow: the page is repainted at once, as the procedure
    // blocks the window until it ends.
    virtual void showStatus(const std::string& /*text*/, bool /*paintNow*/) {}
    // The actual rates the addressed unit runs, as the Actual boxes show them.
    virtual void showActualRates(const std::string& /*down*/, const std::string& /*up*/) {}
    // A message box with an OK button.
    virtual void showMessage(const std::string& /*text*/) {}
    // The link state just read, for the main window's title.
    virtual void showLinkState(bool /*up*/) {}
    // The link wait is about to block for a second: the main window shows its latest state.
    virtual void repaintBeforeWait() {}
    // Apply's procedure runs (busy) or has ended; the controls show the current texts.
    virtual void busyChanged(bool /*busy*/) {}
    // Apply passed its checks; runEnded follows when the procedure has ended.
    virtual void runStarted(const SearchRun& /*run*/) {}
    virtual void attemptMade(const AttemptRecord& /*attempt*/) {}
    // trace: everything the Apply wrote to the trace, from its first check on.
    virtual void runEnded(const std::string& /*trace*/) {}
};

// The Configuration page's Apply procedure and best-speed search, with the page operations they
// are built from, on the page's console link: every attempt loads a profile pair into both units,
// waits for the link and checks both directions' signal/noise ratio and both units' error
// counters; the first pair the chosen order accepts is stored in both units' EEPROM. Owns the
// profiles; knows no window, only its observers.
class BestSpeedSearch {
public:
    explicit BestSpeedSearch(CConsoleLink& link) : link_(link) {}

    // Observers are told in the order they were added and must outlive the search.
    void addObserver(SearchObserver& observer) { observers_.push_back(&observer); }

    // Replaces the profiles; the selection is left to the caller.
    void setProfiles(SpeedProfiles profiles) { profiles_ = std::move(profiles); }
    const SpeedProfiles& profiles() const { return profiles_; }
    // 1 when the profile file was read without error: ReadLineSpeed then names the profile a
    // unit runs.
    void setProfilesLoaded(int loaded) { profilesLoaded_ = loaded; }
    int profilesLoaded() const { return profilesLoaded_; }
    void setSelection(const SpeedSelection& selection) { selection_ = selection; }
    const SpeedSelection& selection() const { return selection_; }
    // kHighToLow, kLowToHigh or kNoAlgorithm.
    void setAlgorithm(int algorithm) { algorithm_ = algorithm; }

    // --- The page's operations ---
    // Reads the link state up to count + 1 times, one second apart, until the link is up. An
    // unreadable state counts as down. Always returns 1.
    int WaitForLink(int count, int& linkUp);
    void LoadDefaults();
    void ReadLineSpeed();
    // pSide 1: the P-side unit stores its configuration; 0: the S-side unit. 0 when the unit
    // could not be reached.
    int SaveToEeprom(int pSide);
    void SetStatus(const std::string& text);
    void FallBackToDefaults();
    void ShowInstallHint();

    // --- Apply and the search ---
    void Apply();
    int RunSearch();
    // 0 when a unit could not be reached; what was meant for it was not sent.
    int LoadConfiguration(int us, int ds);
    void WriteSpeedRegisters(int us, int ds);
    int CheckSnr(int us, int ds);

private:
    // How one attempt on a profile pair ended.
    enum class AttemptResult {
        Passed,
        ChecksFailed,       // the link came up, a signal/noise or error check failed
        LinkBackOnDefaults, // the link did not come up; it came back with the defaults
        LinkLost,           // it did not come back either
    };

    template <class Call, class... Args>
    void notify(Call call, const Args&... args) {
        for (SearchObserver* observer : observers_)
            (observer->*call)(args...);
    }
    void tell(const std::string& text) { notify(&SearchObserver::showMessage, text); }
    int readLinkState();
    std::string actualRateText(const char* reg, const std::vector<CSpeedEntry>& profiles);

    // Apply's steps.
    bool attachedUnitIsPSide(std::uint8_t& unitType);
    bool bothDirectionsHaveProfiles();
    bool rangeIsValid();
    SearchRun searchRun(std::int64_t startWallMs, std::uint8_t unitType) const;
    void prepareAndSearch();
    bool linkAfterRestart();

    // The search.
    int searchHighToLow();
    int searchLowToHigh();
    template <class Attempt>
    AttemptResult climb(int& index, int minIndex, int maxIndex, Attempt attempt);
    int giveUp(AttemptResult result, bool hintWhenChecksFail);
    AttemptResult tryPair(int us, int ds);
    AttemptResult judgePair(int us, int ds, AttemptRecord& attempt);
    int checkSnr(int us, int ds, AttemptRecord& attempt);
    SideSnrReading readSideSnr(const CSpeedEntry& received);
    int saveFoundPair();

    const CSpeedEntry& upProfile(int index) const;
    const CSpeedEntry& downProfile(int index) const;

    CConsoleLink& link_;
    std::vector<SearchObserver*> observers_;
    SpeedProfiles profiles_;
    int profilesLoaded_ = 0;
    SpeedSelection selection_;
    int algorithm_ = kNoAlgorithm;
};
