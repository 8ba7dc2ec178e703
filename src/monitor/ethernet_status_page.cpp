#include "monitor/ethernet_status_page.h"

#include "link/registers.h"
#include "monitor/link_status.h"
#include "monitor/poll_timer.h"
#include "res/templates.h"

#include <QHideEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>

namespace {

constexpr int kClearButton = 1031;
constexpr int kStartStopButton = 1039;

struct Counter {
    const char* reg; // sent in capitals
    std::uint32_t CEnetStatus::*sum;
    int control;
};

// In the order they are read.
constexpr Counter kCounters[] = {
    {"8D04", &CEnetStatus::fcsErrors, 1023},
    {"8D00", &CEnetStatus::frameTooLongErrors, 1022},
    {"8CFC", &CEnetStatus::carrierSenseErrors, 1021},
    {"8CF8", &CEnetStatus::receiveErrors, 1020},
    {"8CF4", &CEnetStatus::excessiveCollisions, 1019},
    {"8CF0", &CEnetStatus::lateCollisions, 1018},
    {"8CE8", &CEnetStatus::multipleCollisions, 1017},
    {"8CE4", &CEnetStatus::singleCollisions, 1016},
    {"8D10", &CEnetStatus::rxBroadcastFrames, 1015},
    {"8D08", &CEnetStatus::rxOctets, 1014},
    {"8D0C", &CEnetStatus::txOctets, 1044},
    {"8D14", &CEnetStatus::rxPauseFrames, 1013},
    {"8D18", &CEnetStatus::txPauseFrames, 1043},
    {"8D20", &CEnetStatus::rxFrames, 1012},
    {"8D1C", &CEnetStatus::txFrames, 1042},
};

} // namespace

CEnetStatus::CEnetStatus() {
    controls_ = res::buildDialog(res::kEthernetStatusPage, *this);
    connect(control<QPushButton>(kClearButton), &QPushButton::clicked, this,
            [this] { ClearCounters(); });
    connect(control<QPushButton>(kStartStopButton), &QPushButton::clicked, this,
            [this] { onStartStop(); });
    // Sums of one unit are not carried over to the other: a side change starts from 0.
    connect(control<QRadioButton>(monitor::kLocalButton), &QRadioButton::clicked, this, [this] {
        ClearCounters();
        link.SelectLocal();
    });
    connect(control<QRadioButton>(monitor::kRemoteButton), &QRadioButton::clicked, this, [this] {
        ClearCounters();
        link.SelectRemote();
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
    control<QPushButton>(kStartStopButton)->setText(QString::fromLatin1(text));
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
    // that the sums go on counting the unit they were begun on.
    if (control<QRadioButton>(monitor::kRemoteButton)->isChecked())
        link.SelectRemote();
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
