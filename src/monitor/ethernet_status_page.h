#pragma once

#include "link/console_link.h"
#include "platform/dialog_host.h"
#include "platform/window_timers.h"

#include <cstdint>

class QHideEvent;
class QShowEvent;

// The Ethernet Status page of the main sheet (template 132): the fifteen Ethernet counters of
// the local or the remote unit, summed over every poll since the last clear. The unit counts
// since its previous read, so the page adds; polling runs every 4 s while the page is visible
// and not stopped.
class CEnetStatus : public platform::DialogPage, public platform::WindowTimerTarget {
public:
    CEnetStatus();
    ~CEnetStatus() override;

    // One poll: the link check, then each counter added to its sum.
    void RefreshCounters();
    // Sets every sum to 0 and shows them.
    void ClearCounters();

    // Every tick of the page's poll timer polls once.
    void onWindowTimer(unsigned id) override;
    // The page was shown or hidden in the sheet: polling starts from the local unit, or stops.
    void onShown();
    void onHidden();
    // The Start/Stop button.
    void onStartStop();

    // The page owns its link, so a fatal error during a poll stops this page's timer first.
    CConsoleLink link{this};
    // Sums, plain unsigned 32-bit: they wrap around at 2^32.
    std::uint32_t txFrames = 0;
    std::uint32_t carrierSenseErrors = 0;
    std::uint32_t excessiveCollisions = 0;
    std::uint32_t fcsErrors = 0;
    std::uint32_t frameTooLongErrors = 0;
    std::uint32_t lateCollisions = 0;
    std::uint32_t multipleCollisions = 0;
    std::uint32_t rxBroadcastFrames = 0;
    std::uint32_t receiveErrors = 0;
    std::uint32_t rxFrames = 0;
    std::uint32_t rxOctets = 0;
    std::uint32_t rxPauseFrames = 0;
    std::uint32_t singleCollisions = 0;
    std::uint32_t txOctets = 0;
    std::uint32_t txPauseFrames = 0;
    // 1: the next press of Start/Stop stops polling; 0: it starts it.
    int running = 1;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void showSums();
    void setStartStopText(const char* text);
};
