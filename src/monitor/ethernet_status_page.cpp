#include "monitor/ethernet_status_page.h"

#include "link/registers.h"
#include "monitor/link_status.h"
#include "monitor/poll_timer.h"
#include "res/control_ids.h"
#include "res/templates.h"

#include <QHideEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>

namespace {

namespace ids = res::ids::ethernet_status;

struct Counter {
    const char* reg;
    std::uint32_t CEnetStatus::*sum;
    int control;
};

// The fifteen counters, in the order they are read.
constexpr Counter kCounters[] = {
    {kRegFcsErrors, &CEnetStatus::fcsErrors, ids::kFcsErrors},
    {kRegFrameTooLongErrors, &CEnetStatus::frameTooLongErrors, ids::kFrameTooLongErrors},
    {kRegCarrierSenseErrors, &CEnetStatus::carrierSenseErrors, ids::kCarrierSenseErrors},
    {kRegReceiveErrors, &CEnetStatus::receiveErrors, ids::kReceiveErrors},
    {kRegExcessiveCollisions, &CEnetStatus::excessiveCollisions, ids::kExcessiveCollisions},
    {kRegLateCollisions, &CEnetStatus::lateCollisions, ids::kLateCollisions},
    {kRegMultipleCollisions, &CEnetStatus::multipleCollisions, ids::kMultipleCollisions},
    {kRegSingleCollisions, &CEnetStatus::singleCollisions, ids::kSingleCollisions},
    {kRegRxBroadcastFrames, &CEnetStatus::rxBroadcastFrames, ids::kRxBroadcastFrames},
    {kRegRxOctets, &CEnetStatus::rxOctets, ids::kRxOctets},
    {kRegTxOctets, &CEnetStatus::txOctets, ids::kTxOctets},
    {kRegRxPauseFrames, &CEnetStatus::rxPauseFrames, ids::kRxPauseFrames},
    {kRegTxPauseFrames, &CEnetStatus::txPauseFrames, ids::kTxPauseFrames},
    {kRegRxFrames, &CEnetStatus::rxFrames, ids::kRxFrames},
    {kRegTxFrames, &CEnetStatus::txFrames, ids::kTxFrames},
};

} // namespace

CEnetStatus::CEnetStatus() {
    controls_ = res::buildDialog(res::kEthernetStatusPage, *this);
    connect(control<QPushButton>(ids::kClear), &QPushButton::clicked, this,
            [this] { ClearCounters(); });
    connect(control<QPushButton>(ids::kStartStop), &QPushButton::clicked, this,
            [this] { onStartStop(); });
    // Sums of one unit are not carried over to the other: a side change starts from 0.
    connect(control<QRadioButton>(res::ids::status_side::kLocal), &QRadioButton::clicked, this,
            [this] {
                ClearCounters();
                link.SelectLocal();
            });
    connect(control<QRadioButton>(res::ids::status_side::kRemote), &QRadioButton::clicked, this,
            [this] {
                ClearCounters();
                monitor::selectRemote(link, *this);
            });
}

CEnetStatus::~CEnetStatus() {
    monitor::killPollTimer(this);
}

void CEnetStatus::RefreshCounters() {
    UpdateLinkStatus(*this);
    // A counter read without a value adds nothing for this poll.
    for (const Counter& counter : kCounters)
        if (const auto value = monitor::readRegisterBytes(link, counter.reg, kEthernetCounterWidth))
            this->*counter.sum += *value;
    showSums();
}

void CEnetStatus::ClearCounters() {
    for (const Counter& counter : kCounters)
        this->*counter.sum = 0;
    showSums();
}

void CEnetStatus::showSums() {
    for (const Counter& counter : kCounters)
        control<QLineEdit>(counter.control)->setText(QString::number(this->*counter.sum));
}

void CEnetStatus::setStartStopText(const char* text) {
    control<QPushButton>(ids::kStartStop)->setText(QString::fromLatin1(text));
}

void CEnetStatus::onWindowTimer(unsigned /*id*/) {
    RefreshCounters();
}

void CEnetStatus::onShown() {
    monitor::requirePSideUnit(link, this);
    // The sums go on from before the page was hidden.
    monitor::checkLocal(*this);
    RefreshCounters();
    monitor::startPollTimer(this);
    setStartStopText("Stop");
    running = 1;
    showSums();
}

void CEnetStatus::onHidden() {
    monitor::killPollTimer(this);
}

void CEnetStatus::onStartStop() {
    monitor::requirePSideUnit(link, this);
    // The check needs the unit cabled to the PC; then back to the side the buttons show, so
    // that the sums go on counting the unit they were begun on (or start anew on the local unit
    // when the remote one cannot be reached).
    if (control<QRadioButton>(res::ids::status_side::kRemote)->isChecked() &&
        !monitor::selectRemote(link, *this))
        ClearCounters();
    if (running == 1) {
        monitor::killPollTimer(this);
        setStartStopText("Start");
    } else {
        RefreshCounters();
        monitor::startPollTimer(this);
        setStartStopText("Stop");
    }
    running = running == 1 ? 0 : 1;
}

// Only the sheet's showing and hiding of the page counts; the window system's (the main window
// minimised or restored) leaves the poll as it is.
void CEnetStatus::showEvent(QShowEvent* event) {
    platform::DialogPage::showEvent(event);
    if (!event->spontaneous())
        onShown();
}

void CEnetStatus::hideEvent(QHideEvent* event) {
    platform::DialogPage::hideEvent(event);
    if (!event->spontaneous())
        onHidden();
}
