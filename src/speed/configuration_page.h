#pragma once

#include "link/console_link.h"
#include "platform/dialog_host.h"
#include "speed/installation_record.h"
#include "speed/speed_entry.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class QComboBox;
class QPushButton;

// The Configuration page of the main sheet (template 129): actual line rates, the Min and Max
// profile lists per direction, the search direction and Apply. Apply checks the attached unit,
// prepares the S side and runs the best-speed search; all of it runs inside the button's handler
// and talks to the units through the page's own link.
class CSet : public platform::DialogPage {
public:
    explicit CSet(QWidget* parent = nullptr);

    // 1 when the profile file was read without error; gates the profile lookup of the rates.
    int profilesLoaded = 0;
    CConsoleLink link;
    QComboBox* algorithmList = nullptr; // 1059
    QPushButton* applyButton = nullptr; // 1
    QComboBox* downMaxList = nullptr;   // 1005
    QComboBox* upMaxList = nullptr;     // 1003
    QComboBox* upMinList = nullptr;     // 1002
    QComboBox* downMinList = nullptr;   // 1004
    std::string statusText;             // 1010
    std::string downActualText;         // 1011
    std::string upActualText;           // 1020
    int downLastIndex = -1;
    int upLastIndex = -1;
    int upMinIndex = 0;
    int upMaxIndex = 0;
    int downMinIndex = 0;
    int downMaxIndex = 0;
    // Saves the installation report of the last Apply that ran its procedure; disabled until
    // there is one and while an Apply runs.
    QPushButton* reportButton = nullptr; // 1061

    // --- Selection handlers: each stores its list's new selection ---
    void OnSelChangeUpMin();
    void OnSelChangeUpMax();
    void OnSelChangeDownMax();
    void OnSelChangeDownMin();

    // --- Page operations ---
    int LoadSpeedFile();
    // Reads the link state up to count + 1 times, one second apart, until the link is up; the
    // title shows each state read. An unreadable state counts as down. Always returns 1.
    int WaitForLink(int count, int& linkUp);
    void LoadDefaults();
    void ReadLineSpeed();
    // pSide 1: the P-side unit stores its configuration; 0: the S-side unit.
    void SaveToEeprom(int pSide);
    void SetStatus(const std::string& text);
    void FallBackToDefaults();
    void ShowInstallHint();

    // --- Apply and the best-speed search (best_speed_search.cpp) ---
    void Apply();
    int RunSearch();
    int LoadConfiguration(int us, int ds);
    void WriteSpeedRegisters(int us, int ds);
    int CheckSnr(int us, int ds);

    // --- Installation report (installation_recording.cpp) ---
    void OnReport();
    // The record of the last Apply that got past its checks, if any.
    const std::optional<InstallationRecord>& installationRecord() const { return lastRecord_; }

protected:
    void initialize() override;
    // The Apply button is the page's OK command.
    void OnOK() override { Apply(); }
    // Enter outside a push button gives the OK command, as long as Apply is enabled.
    void keyPressEvent(QKeyEvent* event) override;

private:
    // How one attempt on a profile pair ended.
    enum class AttemptResult {
        Passed,
        ChecksFailed,       // the link came up, a signal/noise or error check failed
        LinkBackOnDefaults, // the link did not come up; it came back with the defaults
        LinkLost,           // it did not come back either
    };

    void bindControls();
    void connectHandlers();
    void fillAlgorithmList();
    void selectFirstProfiles();
    void addProfiles(const std::vector<CSpeedEntry>& profiles, QComboBox& minList,
                     QComboBox& maxList, int& lastIndex);
    const CSpeedEntry& upProfile(int index) const;
    const CSpeedEntry& downProfile(int index) const;
    std::string actualRateText(const char* reg, const QComboBox& maxList, int lastIndex);
    std::string profileLabelFor(std::uint8_t code, const QComboBox& maxList, int lastIndex) const;
    int readLinkState();
    void refreshControls();
    void tell(const std::string& text);

    // Apply's steps.
    bool attachedUnitIsPSide(std::uint8_t& unitType);
    bool bothDirectionsHaveProfiles();
    bool rangeIsValid();
    void prepareAndSearch();
    bool linkAfterRestart();
    int selectedAlgorithm() const;

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

    // The record of the Apply that runs, from its start; the search adds to it.
    void startRecording(std::int64_t startWallMs, std::uint8_t unitType);
    void keepRecord(const std::string& trace);

    // The profiles of the file; the lists' items point into them.
    std::vector<CSpeedEntry> upProfiles_;
    std::vector<CSpeedEntry> downProfiles_;
    std::optional<InstallationRecord> recording_;
    std::optional<InstallationRecord> lastRecord_;
};
