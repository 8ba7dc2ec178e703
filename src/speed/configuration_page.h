#pragma once

#include "link/console_link.h"
#include "platform/dialog_host.h"
#include "speed/best_speed_search.h"
#include "speed/installation_recording.h"

#include <optional>
#include <string>

class QComboBox;
class QPushButton;

// The Configuration page of the main sheet (template 129): actual line rates, the Min and Max
// profile lists per direction, the search direction and Apply. The page is the view of its
// best-speed search: it hands the search the user's choices and shows what the search tells it.
// Apply runs inside the button's handler and talks to the units through the page's own link.
class CSet : public platform::DialogPage, private SearchObserver {
public:
    explicit CSet(QWidget* parent = nullptr);
    ~CSet() override;
    CSet(const CSet&) = delete;
    CSet& operator=(const CSet&) = delete;

    // 1 when the profile file was read without error; gates the profile lookup of the rates.
    int profilesLoaded() const { return search_.profilesLoaded(); }
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
    // The last profile's index per direction, -1 when it has none.
    int downLastIndex() const { return lastIndex(search_.profiles().downstream); }
    int upLastIndex() const { return lastIndex(search_.profiles().upstream); }
    // The stored selections, which follow the lists: the range the search uses.
    int upMinIndex() const { return search_.selection().upMin; }
    int upMaxIndex() const { return search_.selection().upMax; }
    int downMinIndex() const { return search_.selection().downMin; }
    int downMaxIndex() const { return search_.selection().downMax; }
    // Saves the installation report of the last Apply that ran its procedure; disabled until
    // there is one and while an Apply runs.
    QPushButton* reportButton = nullptr; // 1061

    // --- Selection handlers: each stores its list's new selection ---
    void OnSelChangeUpMin();
    void OnSelChangeUpMax();
    void OnSelChangeDownMax();
    void OnSelChangeDownMin();

    // --- Page operations; all but LoadSpeedFile are the search's ---
    // Reads the file again whenever called: the lists are emptied and refilled, with no item
    // selected.
    int LoadSpeedFile();
    int WaitForLink(int count, int& linkUp) { return search_.WaitForLink(count, linkUp); }
    void LoadDefaults() { search_.LoadDefaults(); }
    void ReadLineSpeed() { search_.ReadLineSpeed(); }
    int SaveToEeprom(int pSide) { return search_.SaveToEeprom(pSide); }
    void SetStatus(const std::string& text) { search_.SetStatus(text); }
    void FallBackToDefaults() { search_.FallBackToDefaults(); }
    void ShowInstallHint() { search_.ShowInstallHint(); }

    // --- Apply and the best-speed search ---
    void Apply();
    int RunSearch();
    int LoadConfiguration(int us, int ds) { return search_.LoadConfiguration(us, ds); }
    void WriteSpeedRegisters(int us, int ds) { search_.WriteSpeedRegisters(us, ds); }
    int CheckSnr(int us, int ds) { return search_.CheckSnr(us, ds); }

    // --- Installation report ---
    // Asks for the details the report names, then where to save it; Cancel in either asks no
    // more and writes nothing.
    void OnReport();
    // The record of the last Apply that got past its checks, if any.
    const std::optional<InstallationRecord>& installationRecord() const {
        return recording_.lastRecord();
    }
    // When each Apply that got past its checks ran.
    const std::vector<ApplyPeriod>& applyPeriods() const { return recording_.periods(); }

protected:
    void initialize() override;
    // The Apply button is the page's OK command.
    void OnOK() override { Apply(); }
    // Enter outside a push button gives the OK command, as long as Apply is enabled.
    void keyPressEvent(QKeyEvent* event) override;

private:
    static int lastIndex(const std::vector<CSpeedEntry>& profiles) {
        return static_cast<int>(profiles.size()) - 1;
    }
    void bindControls();
    void connectHandlers();
    void fillAlgorithmList();
    void fillRangeLists();
    void selectFirstProfiles();
    void storeSelection(int SpeedSelection::*bound, const QComboBox& list);
    int selectedAlgorithm() const;
    void refreshControls();

    // What the search shows through the page.
    void showStatus(const std::string& text, bool paintNow) override;
    void showActualRates(const std::string& down, const std::string& up) override;
    void showMessage(const std::string& text) override;
    void showLinkState(bool up) override;
    void repaintBeforeWait() override;
    void busyChanged(bool busy) override;
    void runStarted(const SearchRun& run) override;
    void runEnded(const std::string& trace) override;

    // The recording is told before the page, so that the report button finds its record.
    InstallationRecording recording_;
    BestSpeedSearch search_{link};
};
