#include "monitor/ethernet_status_page.h"

#include "link/registers.h"
#include "monitor/link_status.h"
#include "monitor/poll_journal.h"
#include "monitor/poll_timer.h"
#include "platform/clock.h"
#include "res/control_ids.h"
#include "res/templates.h"

#include <QHideEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <iterator>

namespace {

namespace ids = res::ids::ethernet_status;

struct Counter {
    const char* reg;
    std::uint32_t CEnetStatus::*sum;
    int control;
    const char* name; // in the journal's columns
};

// The fifteen counters, in the order they are read.
constexpr Counter kCounters[] = {
    {kRegFcsErrors, &CEnetStatus::fcsErrors, ids::kFcsErrors, "FCS Errors"},
    {kRegFrameTooLongErrors, &CEnetStatus::frameTooLongErrors, ids::kFrameTooLongErrors,
     "Frame Too Long Errors"},
    {kRegCarrierSenseErrors, &CEnetStatus::carrierSenseErrors, ids::kCarrierSenseErrors,
     "Carrier Sense Errors"},
    {kRegReceiveErrors, &CEnetStatus::receiveErrors, ids::kReceiveErrors, "Receive Errors"},
    {kRegExcessiveCollisions, &CEnetStatus::excessiveCollisions, ids::kExcessiveCollisions,
     "Excessive Collisions"},
    {kRegLateCollisions, &CEnetStatus::lateCollisions, ids::kLateCollisions, "Late Collisions"},
    {kRegMultipleCollisions, &CEnetStatus::multipleCollisions, ids::kMultipleCollisions,
     "Multiple Collisions"},
    {kRegSingleCollisions, &CEnetStatus::singleCollisions, ids::kSingleCollisions,
     "Single Collisions"},
    {kRegRxBroadcastFrames, &CEnetStatus::rxBroadcastFrames, ids::kRxBroadcastFrames,
     "Received Broadcast Frames"},
    {kRegRxOctets, &CEnetStatus::rxOctets, ids::kRxOctets, "Received Octets"},
    {kRegTxOctets, &CEnetStatus::txOctets, ids::kTxOctets, "Transmitted Octets"},
    {kRegRxPauseFrames, &CEnetStatus::rxPauseFrames, ids::kRxPauseFrames, "Received Pause Frames"},
    {kRegTxPauseFrames, &CEnetStatus::txPauseFrames, ids::kTxPauseFrames,
     "Transmitted Pause Frames"},
    {kRegRxFrames, &CEnetStatus::rxFrames, ids::kRxFrames, "Received Frames"},
    {kRegTxFrames, &CEnetStatus::txFrames, ids::kTxFrames, "Transmitted Frames"},
};
static_assert(std::size(kCounters) == monitor::kEthernetCounterCount);

constexpr monitor::EthernetCounterNames counterNames() {
    monitor::EthernetCounterNames names{};
    for (std::size_t i = 0; i < names.size(); ++i)
        names[i] = kCounters[i].name;
    return names;
}

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
    monitor::EthernetPoll poll;
    poll.wallTimeMs = platform::wallTimeMs();
    UpdateLinkStatus(*this);
    poll.side = control<QRadioButton>(res::ids::status_side::kRemote)->isChecked()
                    ? monitor::LineSide::Remote
                    : monitor::LineSide::Local;
    // A counter read without a value adds nothing for this poll.
    for (std::size_t i = 0; i < std::size(kCounters); ++i) {
        const Counter& counter = kCounters[i];
        poll.reads[i] = monitor::readRegisterBytes(link, counter.reg, kEthernetCounterWidth);
        if (poll.reads[i])
            this->*counter.sum += *poll.reads[i];
        poll.sums[i] = this->*counter.sum;
    }
    showSums();
    static constexpr monitor::EthernetCounterNames kNames = counterNames();
    monitor::journalEthernetPoll(poll, kNames);
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
