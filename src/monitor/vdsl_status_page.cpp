#include "monitor/vdsl_status_page.h"

#include "link/decoding.h"
#include "link/registers.h"
#include "monitor/line_history_window.h"
#include "monitor/link_status.h"
#include "monitor/poll_journal.h"
#include "monitor/poll_timer.h"
#include "pages/page_host.h"
#include "platform/clock.h"
#include "res/control_ids.h"
#include "res/templates.h"

#include <QCheckBox>
#include <QHideEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <algorithm>
#include <limits>
#include <optional>

namespace {

namespace ids = res::ids::vdsl_status;

struct Indicator {
    int control;
    unsigned bit;
};

constexpr Indicator kLinkIndicators[] = {
    {ids::kFullConstellationLink, kLinkUp},
    {ids::kReducedConstellationLink, kLinkReducedConstellation},
    {ids::kTcSynchronized, kLinkTcSynchronized},
    {ids::kEthernetEncapsulationSync, kLinkEthernetEncapsulationSync},
    {ids::kRemoteInterfaceSynchronized, kLinkRemoteInterfaceSynchronized},
    {ids::kSignalDetected, kLinkSignalDetected},
};

constexpr Indicator kReceiverIndicators[] = {
    {ids::kMicroInterruption, kReceiverMicroInterruption},
    {ids::kAgcConverged, kReceiverAgcConverged},
    {ids::kTimingConverged, kReceiverTimingConverged},
    {ids::kAdcSaturation, kReceiverAdcSaturation},
};

template <std::size_t N>
void showBits(const platform::DialogPage& page, const Indicator (&indicators)[N],
              std::uint8_t bits) {
    for (const Indicator& indicator : indicators)
        page.control<QCheckBox>(indicator.control)->setChecked((bits & indicator.bit) != 0);
}

} // namespace

CStatus::CStatus() {
    controls_ = res::buildDialog(res::kVdslStatusPage, *this);
    // A click only changes the unit the console addresses: the next tick polls it.
    connect(control<QRadioButton>(res::ids::status_side::kLocal), &QRadioButton::clicked, this,
            [this] { link.SelectLocal(); });
    connect(control<QRadioButton>(res::ids::status_side::kRemote), &QRadioButton::clicked, this,
            [this] { monitor::selectRemote(link, *this); });
    connect(control<QPushButton>(ids::kHistory), &QPushButton::clicked, this,
            [this] { showLineHistory(); });
}

CStatus::~CStatus() {
    monitor::killPollTimer(this);
    // The window reads the history, which goes before the page's children do.
    delete historyWindow_;
}

void CStatus::RefreshVdslStatus() {
    monitor::LineSample sample;
    sample.wallTimeMs = platform::wallTimeMs(); // when the poll began
    sample.linkCheck = UpdateLinkStatus(*this);
    // After the link check: a link found down has put the page back on the local unit.
    sample.side = control<QRadioButton>(res::ids::status_side::kRemote)->isChecked()
                      ? monitor::LineSide::Remote
                      : monitor::LineSide::Local;
    // A read without a value leaves what it feeds as it was for this poll.
    sample.unitType = monitor::readRegister(link, kRegUnitType);
    sample.downstreamCode = monitor::readRegister(link, kRegDownstreamRate);
    sample.upstreamCode = monitor::readRegister(link, kRegUpstreamRate);
    sample.linkFailCount = monitor::readRegister(link, kRegLinkFailCounter);
    if (sample.linkFailCount)
        linkFailCount = *sample.linkFailCount;
    sample.receiverBits = monitor::readRegister(link, kRegReceiverState);
    if (sample.receiverBits)
        showBits(*this, kReceiverIndicators, *sample.receiverBits);
    sample.correctedErrors =
        monitor::readRegisterBytes(link, kRegCorrectedErrors, kCorrectedErrorsWidth);
    if (sample.correctedErrors) {
        rsErrorCount = *sample.correctedErrors;
        if (const auto interval = link.counterIntervalMs())
            sample.counterIntervalMs = static_cast<std::uint32_t>(
                std::clamp<std::int64_t>(*interval, 0, std::numeric_limits<std::uint32_t>::max()));
    }
    refreshLineReadings(sample);
    sample.linkStateBits = monitor::readRegister(link, kRegLinkStateIndicators);
    if (sample.linkStateBits)
        showBits(*this, kLinkIndicators, *sample.linkStateBits);
    transferFields();
    recordSample(sample);
}

void CStatus::refreshLineReadings(monitor::LineSample& sample) {
    // One reading of 8C99 feeds both the signal/noise ratio and the mean square error.
    sample.noise = monitor::readRegisterBytes(link, kRegNoise, kNoiseWidth);
    if (sample.noise && sample.lineCode()) {
        snrText = formatDb(sample.snrDb());
        mseText = formatDb(sample.mseDb());
    }
    const auto level = monitor::readRegisterBytes(link, kRegTransmitLevel, kTransmitLevelWidth);
    if (level) // two bytes
        sample.transmitLevel = static_cast<std::uint16_t>(*level);
    sample.gainStep = monitor::readRegister(link, kRegGainStep);
    if (sample.transmitLevel && sample.gainStep && sample.powerCode())
        txPowerText = formatDb(sample.transmitPowerDbmHz());
}

void CStatus::recordSample(const monitor::LineSample& sample) {
    history_.add(sample);
    monitor::journalVdslPoll(sample);
    if (historyWindow_)
        historyWindow_->follow();
}

void CStatus::showLineHistory() {
    if (!historyWindow_)
        historyWindow_ = new LineHistoryWindow(history_, this, [this] {
            const PageHost* host = pageHostOf(*this);
            return host != nullptr ? host->applyPeriods() : std::vector<ApplyPeriod>{};
        });
    historyWindow_->show();
    historyWindow_->raise();
    historyWindow_->activateWindow();
}

void CStatus::transferFields() {
    control<QLineEdit>(ids::kLinkFailCounter)->setText(QString::number(linkFailCount));
    control<QLineEdit>(ids::kRsErrors)->setText(QString::number(rsErrorCount));
    control<QLineEdit>(ids::kSnr)->setText(QString::fromStdString(snrText));
    control<QLineEdit>(ids::kMse)->setText(QString::fromStdString(mseText));
    control<QLineEdit>(ids::kTransmitPower)->setText(QString::fromStdString(txPowerText));
}

void CStatus::onWindowTimer(unsigned /*id*/) {
    RefreshVdslStatus();
}

void CStatus::onShown() {
    monitor::requirePSideUnit(link, this);
    monitor::checkLocal(*this);
    RefreshVdslStatus();
    monitor::startPollTimer(this);
    transferFields();
}

void CStatus::onHidden() {
    monitor::killPollTimer(this);
}

// Only the sheet's showing and hiding of the page counts; the window system's (the main window
// minimised or restored) leaves the poll as it is.
void CStatus::showEvent(QShowEvent* event) {
    platform::DialogPage::showEvent(event);
    if (!event->spontaneous())
        onShown();
}

void CStatus::hideEvent(QHideEvent* event) {
    platform::DialogPage::hideEvent(event);
    if (!event->spontaneous())
        onHidden();
}
