#include "monitor/vdsl_status_page.h"

#include "link/decoding.h"
#include "link/registers.h"
#include "monitor/link_status.h"
#include "monitor/poll_timer.h"
#include "res/templates.h"

#include <QCheckBox>
#include <QHideEvent>
#include <QLineEdit>
#include <QRadioButton>
#include <QShowEvent>
#include <optional>

namespace {

constexpr int kSnrBox = 1009;
constexpr int kMseBox = 1010;
constexpr int kRsErrorBox = 1011;
constexpr int kTransmitPowerBox = 1026;
constexpr int kLinkFailBox = 1027;

struct Indicator {
    int control;
    unsigned bit;
};

constexpr Indicator kLinkIndicators[] = {
    {1028, kLinkUp},
    {1029, kLinkReducedConstellation},
    {1030, kLinkTcSynchronized},
    {1032, kLinkEthernetEncapsulationSync},
    {1033, kLinkRemoteInterfaceSynchronized},
    {1034, kLinkSignalDetected},
};

constexpr Indicator kReceiverIndicators[] = {
    {1035, kReceiverMicroInterruption},
    {1036, kReceiverAgcConverged},
    {1037, kReceiverTimingConverged},
    {1038, kReceiverAdcSaturation},
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
    connect(control<QRadioButton>(monitor::kLocalButton), &QRadioButton::clicked, this,
            [this] { link.SelectLocal(); });
    connect(control<QRadioButton>(monitor::kRemoteButton), &QRadioButton::clicked, this,
            [this] { link.SelectRemote(); });
}

CStatus::~CStatus() {
    monitor::killPollTimer(this);
}

void CStatus::RefreshVdslStatus() {
    UpdateLinkStatus(*this);
    // A read without a value leaves what it feeds as it was for this poll.
    const auto unitType = monitor::readRegister(link, kRegUnitType);
    const auto downCode = monitor::readRegister(link, kRegDownstreamRate);
    const auto upCode = monitor::readRegister(link, kRegUpstreamRate);
    // Each unit measures the direction it receives and reports the power of the one it sends.
    std::optional<std::uint8_t> lineCode;
    std::optional<std::uint8_t> powerCode;
    if (unitType) {
        const bool sSide = (*unitType & kUnitTypeSSide) != 0;
        lineCode = sSide ? upCode : downCode;
        powerCode = sSide ? downCode : upCode;
    }
    if (const auto fails = monitor::readRegister(link, kRegLinkFailCounter))
        linkFailCount = *fails;
    if (const auto receiver = monitor::readRegister(link, kRegReceiverState))
        showBits(*this, kReceiverIndicators, *receiver);
    if (const auto corrected =
            monitor::readRegisterBytes(link, kRegCorrectedErrors, kCorrectedErrorsWidth))
        rsErrorCount = *corrected;
    refreshLineReadings(lineCode, powerCode);
    if (const auto state = monitor::readRegister(link, kRegLinkStateIndicators))
        showBits(*this, kLinkIndicators, *state);
    transferFields();
}

void CStatus::refreshLineReadings(std::optional<std::uint8_t> lineCode,
                                  std::optional<std::uint8_t> powerCode) {
    // One reading of 8C99 feeds both the signal/noise ratio and the mean square error.
    const auto noise = monitor::readRegisterBytes(link, kRegNoise, kNoiseWidth);
    if (noise && lineCode) {
        snrText = formatDb(SignalToNoiseDb(*noise, *lineCode));
        mseText = formatDb(MeanSquareErrorDb(*noise, *lineCode));
    }
    const auto level = monitor::readRegisterBytes(link, kRegTransmitLevel, kTransmitLevelWidth);
    const auto gain = monitor::readRegister(link, kRegGainStep);
    if (level && gain && powerCode)
        txPowerText = formatDb(TransmitPowerDbmHz(*level, *gain, *powerCode));
}

void CStatus::transferFields() {
    control<QLineEdit>(kLinkFailBox)->setText(QString::number(linkFailCount));
    control<QLineEdit>(kRsErrorBox)->setText(QString::number(rsErrorCount));
    control<QLineEdit>(kSnrBox)->setText(QString::fromStdString(snrText));
    control<QLineEdit>(kMseBox)->setText(QString::fromStdString(mseText));
    control<QLineEdit>(kTransmitPowerBox)->setText(QString::fromStdString(txPowerText));
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
