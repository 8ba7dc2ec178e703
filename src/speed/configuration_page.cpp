#include "speed/configuration_page.h"

#include "link/decoding.h"
#include "link/registers.h"
#include "pages/page_host.h"
#include "platform/clock.h"
#include "platform/message_box.h"
#include "platform/trace.h"
#include "res/templates.h"
#include "speed/speed_profile_file.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

namespace {

constexpr int kApplyButton = 1;
constexpr int kAboutButton = 2;
constexpr int kUpMinList = 1002;
constexpr int kUpMaxList = 1003;
constexpr int kDownMinList = 1004;
constexpr int kDownMaxList = 1005;
constexpr int kStatusBox = 1010;
constexpr int kDownActualBox = 1011;
constexpr int kUpActualBox = 1020;
constexpr int kAlgorithmList = 1059;
constexpr int kReportButton = 1061;

constexpr std::int64_t kLinkPollMs = 1000;
constexpr std::int64_t kSSideSavePauseMs = 2000;

const CSpeedEntry& itemProfile(const QComboBox& list, int index) {
    return *static_cast<const CSpeedEntry*>(list.itemData(index).value<const void*>());
}

void setBoxText(QLineEdit* box, const std::string& text) {
    if (box != nullptr)
        box->setText(QString::fromStdString(text));
}

} // namespace

CSet::CSet(QWidget* parent) : platform::DialogPage(parent) {
    controls_ = res::buildDialog(res::kConfigurationPage, *this);
    bindControls();
    connectHandlers();
}

void CSet::bindControls() {
    algorithmList = control<QComboBox>(kAlgorithmList);
    applyButton = control<QPushButton>(kApplyButton);
    downMaxList = control<QComboBox>(kDownMaxList);
    upMaxList = control<QComboBox>(kUpMaxList);
    upMinList = control<QComboBox>(kUpMinList);
    downMinList = control<QComboBox>(kDownMinList);
    reportButton = control<QPushButton>(kReportButton);
    // Typing in the direction list's edit field chooses nothing and adds no item.
    algorithmList->setInsertPolicy(QComboBox::NoInsert);
}

void CSet::connectHandlers() {
    connect(upMinList, &QComboBox::activated, this, [this] { OnSelChangeUpMin(); });
    connect(upMaxList, &QComboBox::activated, this, [this] { OnSelChangeUpMax(); });
    connect(downMaxList, &QComboBox::activated, this, [this] { OnSelChangeDownMax(); });
    connect(downMinList, &QComboBox::activated, this, [this] { OnSelChangeDownMin(); });
    connect(applyButton, &QPushButton::clicked, this, [this] { OnOK(); });
    connect(control<QPushButton>(kAboutButton), &QPushButton::clicked, this, [this] {
        if (PageHost* host = pageHostOf(*this))
            host->showAboutBox(this);
    });
    connect(reportButton, &QPushButton::clicked, this, [this] { OnReport(); });
}

void CSet::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (!enter) {
        platform::DialogPage::keyPressEvent(event);
        return;
    }
    if (applyButton->isEnabled())
        applyButton->click();
}

// --- Initialisation ---------------------------------------------------------------------------

void CSet::initialize() {
    profilesLoaded = 1;
    if (LoadSpeedFile() == 1) {
        selectFirstProfiles();
    } else {
        applyButton->setEnabled(false);
        profilesLoaded = 0;
    }
    // Start-up left the console on the local unit, the P side.
    ReadLineSpeed();
    int linkUp = 0;
    WaitForLink(1, linkUp);
    SetStatus("Select speed to set");
    fillAlgorithmList();
}

void CSet::selectFirstProfiles() {
    // Both bounds start on the slowest profile. A direction without profiles keeps no selection.
    for (QComboBox* list : {upMinList, upMaxList, downMinList, downMaxList})
        list->setCurrentIndex(0);
    upMinIndex = upMinList->currentIndex();
    upMaxIndex = upMaxList->currentIndex();
    downMinIndex = downMinList->currentIndex();
    downMaxIndex = downMaxList->currentIndex();
}

void CSet::fillAlgorithmList() {
    // The list is sorted: "HIGH -> LOW" is item 0, "LOW  -> HIGH" item 1.
    platform::addComboString(*algorithmList, QStringLiteral("LOW  -> HIGH"));
    platform::addComboString(*algorithmList, QStringLiteral("HIGH -> LOW"));
    algorithmList->setCurrentIndex(1);
}

// --- Selection handlers -----------------------------------------------------------------------

void CSet::OnSelChangeUpMin() {
    upMinIndex = upMinList->currentIndex();
}

void CSet::OnSelChangeUpMax() {
    upMaxIndex = upMaxList->currentIndex();
}

void CSet::OnSelChangeDownMax() {
    downMaxIndex = downMaxList->currentIndex();
}

void CSet::OnSelChangeDownMin() {
    downMinIndex = downMinList->currentIndex();
}

// --- Profiles ---------------------------------------------------------------------------------

int CSet::LoadSpeedFile() {
    SpeedProfileFile file = readSpeedFile(kSpeedFileName);
    upProfiles_ = std::move(file.upstream);
    downProfiles_ = std::move(file.downstream);
    addProfiles(upProfiles_, *upMinList, *upMaxList, upLastIndex);
    addProfiles(downProfiles_, *downMinList, *downMaxList, downLastIndex);
    if (file.message)
        tell(std::string(*file.message));
    return file.result;
}

void CSet::addProfiles(const std::vector<CSpeedEntry>& profiles, QComboBox& minList,
                       QComboBox& maxList, int& lastIndex) {
    // The items point into the page's own profiles, which stay put for the page's life.
    for (const CSpeedEntry& profile : profiles) {
        const QString label = QString::fromStdString(profile.label);
        const QVariant item = QVariant::fromValue(static_cast<const void*>(&profile));
        platform::addComboString(minList, label, item);
        lastIndex = platform::addComboString(maxList, label, item);
    }
}

const CSpeedEntry& CSet::upProfile(int index) const {
    return itemProfile(*upMaxList, index);
}

const CSpeedEntry& CSet::downProfile(int index) const {
    return itemProfile(*downMaxList, index);
}

// --- Link wait --------------------------------------------------------------------------------

int CSet::WaitForLink(int count, int& linkUp) {
    linkUp = 0;
    platform::appendTrace("\r\nLooking for link status\r\n");
    SetStatus("Looking for link status...");
    linkUp = readLinkState();
    for (int waits = 0; linkUp == 0 && waits < count; ++waits) {
        // The program blocks for the whole wait: show the latest state before it does.
        window()->repaint();
        platform::sleepMs(kLinkPollMs);
        linkUp = readLinkState();
    }
    return 1;
}

int CSet::readLinkState() {
    std::uint8_t bits = 0;
    if (link.ReadRegister(kRegLinkState, bits) == 0) {
        statusText = "can't read link status";
        refreshControls();
        return 0;
    }
    const bool up = (bits & kLinkUp) != 0;
    if (PageHost* host = pageHostOf(*this))
        host->showLinkState(up);
    return up ? 1 : 0;
}

// --- Rates ------------------------------------------------------------------------------------

void CSet::LoadDefaults() {
    platform::appendTrace("\r\nLoading defaults\r\n");
    SetStatus("Loading defaults...");
    for (const char* command : kDefaultRateCommands)
        link.WriteCommand(command);
    link.SendWriteCommand(kCmdStartRates);
}

void CSet::ReadLineSpeed() {
    platform::appendTrace("\r\nReading line speed\r\n");
    downActualText = actualRateText(kRegDownstreamRate, *downMaxList, downLastIndex);
    upActualText = actualRateText(kRegUpstreamRate, *upMaxList, upLastIndex);
    refreshControls();
}

// The label of the profile the unit runs, else the rate its code gives. A register that gives no
// value, or a code outside the rate tables, shows as no reading.
std::string CSet::actualRateText(const char* reg, const QComboBox& maxList, int lastIndex) {
    std::uint8_t code = 0;
    if (link.ReadRegister(reg, code) == 0)
        return kNoReadingText;
    if (profilesLoaded == 1) {
        std::string label = profileLabelFor(code, maxList, lastIndex);
        if (!label.empty())
            return label;
    }
    const std::optional<double> rate = LineRateMbps(code);
    return rate ? RateText(*rate) : std::string(kNoReadingText);
}

std::string CSet::profileLabelFor(std::uint8_t code, const QComboBox& maxList,
                                  int lastIndex) const {
    for (int index = 0; index <= lastIndex; ++index) {
        if (parseRateCode(itemProfile(maxList, index).rateCode) == code)
            return maxList.itemText(index).toStdString();
    }
    return {};
}

void CSet::SaveToEeprom(int pSide) {
    if (pSide == 1) {
        link.SelectLocal();
        platform::appendTrace("\r\nSaving config on EEPROM - P Side\r\n");
        SetStatus("Saving config on EEPROM - P Side");
        link.SendWriteCommand(kCmdSaveToEeprom);
        link.WriteCommand("\n");
        return;
    }
    link.SelectRemote();
    platform::appendTrace("\r\nSaving config on EEPROM - S Side\r\n");
    SetStatus("Saving config on EEPROM - S Side");
    link.SendWriteCommand(kCmdSaveToEeprom);
    platform::sleepMs(kSSideSavePauseMs);
}

// --- Status and messages ----------------------------------------------------------------------

void CSet::SetStatus(const std::string& text) {
    statusText = text;
    refreshControls();
    repaint();
}

void CSet::refreshControls() {
    setBoxText(control<QLineEdit>(kStatusBox), statusText);
    setBoxText(control<QLineEdit>(kDownActualBox), downActualText);
    setBoxText(control<QLineEdit>(kUpActualBox), upActualText);
}

void CSet::FallBackToDefaults() {
    // The P side gets the defaults even when the last error check left the console on the S side:
    // an S side in Install mode finds a P side on its defaults again by itself, while a P side
    // left on a failed pair would keep the link down for good.
    link.SelectLocal();
    LoadDefaults();
    int linkUp = 0;
    WaitForLink(50, linkUp);
    tell("Configuration can not be achieved\r\nDefault Configuration has been loaded");
    ReadLineSpeed();
}

void CSet::ShowInstallHint() {
    tell("Please run this program on S side to set it in Install mode.\nIf S side is already in "
         "install mode,\nthen configuration can not be achieved");
}

void CSet::tell(const std::string& text) {
    if (recording_)
        recording_->messages.push_back(text);
    platform::messageBox(this, text);
}
