#pragma once

#include "link/console_link.h"
#include "monitor/line_history.h"
#include "platform/dialog_host.h"
#include "platform/window_timers.h"

#include <QPointer>
#include <cstdint>
#include <string>

class LineHistoryWindow;
class QHideEvent;
class QShowEvent;

// The VDSL Status page of the main sheet (template 131): line readouts and state indicators of
// the local or the remote unit, polled every 4 s while the page is visible.
class CStatus : public platform::DialogPage, public platform::WindowTimerTarget {
public:
    CStatus();
    ~CStatus() override;

    // One poll: the link check, then the readings of the unit the console addresses.
    void RefreshVdslStatus();

    // Every tick of the page's poll timer polls once.
    void onWindowTimer(unsigned id) override;
    // The page was shown or hidden in the sheet: polling starts from the local unit, or stops.
    void onShown();
    void onHidden();

    // The page owns its link, so a fatal error during a poll stops this page's timer first.
    CConsoleLink link{this};
    unsigned int linkFailCount = 0;
    std::uint32_t rsErrorCount = 0;
    std::string snrText;
    std::string mseText;
    std::string txPowerText;

    // Every completed poll of this page, for the whole life of the main sheet.
    const monitor::LineHistory& lineHistory() const { return history_; }
    // Opens the line history window, or brings it to the front when it is open already.
    void showLineHistory();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    // The readings that depend on the rate codes, read into the poll's sample; nothing shown is
    // changed when a value they need is missing.
    void refreshLineReadings(monitor::LineSample& sample);
    // Keeps the poll's sample and shows it in the history window if that is open.
    void recordSample(const monitor::LineSample& sample);
    // Shows the five fields in their controls.
    void transferFields();

    monitor::LineHistory history_;
    QPointer<LineHistoryWindow> historyWindow_; // made at the first click, a child of the page
};
