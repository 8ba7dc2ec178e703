#include "speed/configuration_page.h"

#include "pages/page_host.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "platform/modal_runner.h"
#include "res/control_ids.h"
#include "res/templates.h"
#include "speed/installation_report.h"
#include "speed/report_details_dialog.h"
#include "speed/report_journal.h"
#include "speed/report_pdf.h"
#include "speed/speed_profile_file.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <utility>

namespace {

namespace ids = res::ids::configuration;

void setBoxText(QLineEdit* box, const std::string& text) {
    if (box != nullptr)
        box->setText(QString::fromStdString(text));
}

} // namespace

CSet::CSet(QWidget* parent) : platform::DialogPage(parent) {
    controls_ = res::buildDialog(res::kConfigurationPage, *this);
    bindControls();
    connectHandlers();
    search_.addObserver(recording_);
    search_.addObserver(*this);
}

// The lists outlive the search (children go with the widget base): emptied as they go, they must
// not store a selection any more.
CSet::~CSet() {
    for (QComboBox* list : {upMinList, upMaxList, downMinList, downMaxList})
        disconnect(list, nullptr, this, nullptr);
}

void CSet::bindControls() {
    algorithmList = control<QComboBox>(ids::kAlgorithmList);
    applyButton = control<QPushButton>(ids::kApply);
    downMaxList = control<QComboBox>(ids::kDownMaxList);
    upMaxList = control<QComboBox>(ids::kUpMaxList);
    upMinList = control<QComboBox>(ids::kUpMinList);
    downMinList = control<QComboBox>(ids::kDownMinList);
    reportButton = control<QPushButton>(ids::kReport);
    // Typing in the direction list's edit field chooses nothing and adds no item.
    algorithmList->setInsertPolicy(QComboBox::NoInsert);
}

// The stored selections follow the lists whatever changes them (the user, the page, a refill), so
// that the range check and the search see one selection.
void CSet::connectHandlers() {
    connect(upMinList, &QComboBox::currentIndexChanged, this, [this] { OnSelChangeUpMin(); });
    connect(upMaxList, &QComboBox::currentIndexChanged, this, [this] { OnSelChangeUpMax(); });
    connect(downMaxList, &QComboBox::currentIndexChanged, this, [this] { OnSelChangeDownMax(); });
    connect(downMinList, &QComboBox::currentIndexChanged, this, [this] { OnSelChangeDownMin(); });
    connect(applyButton, &QPushButton::clicked, this, [this] { OnOK(); });
    connect(control<QPushButton>(ids::kAbout), &QPushButton::clicked, this, [this] {
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
    search_.setProfilesLoaded(1);
    if (LoadSpeedFile() == 1) {
        selectFirstProfiles();
    } else {
        applyButton->setEnabled(false);
        search_.setProfilesLoaded(0);
    }
    // Start-up left the console on the local unit, the P side.
    ReadLineSpeed();
    int linkUp = 0;
    WaitForLink(1, linkUp);
    SetStatus("Select speed to set");
    fillAlgorithmList();
}

void CSet::selectFirstProfiles() {
    // Both bounds start on the slowest profile; the stored selections follow through the lists'
    // handlers. A direction without profiles keeps no selection.
    for (QComboBox* list : {upMinList, upMaxList, downMinList, downMaxList})
        list->setCurrentIndex(0);
}

void CSet::fillAlgorithmList() {
    // The list is sorted: "HIGH -> LOW" is item 0, "LOW  -> HIGH" item 1.
    platform::addComboString(*algorithmList, QString::fromLatin1(kLowToHighText));
    platform::addComboString(*algorithmList, QString::fromLatin1(kHighToLowText));
    algorithmList->setCurrentIndex(1);
}

// The chosen item, or -1 when the edit field holds a text of its own.
int CSet::selectedAlgorithm() const {
    const int index = algorithmList->currentIndex();
    if (index < 0 || algorithmList->currentText() != algorithmList->itemText(index))
        return kNoAlgorithm;
    return index;
}

// --- Selection handlers -----------------------------------------------------------------------

void CSet::OnSelChangeUpMin() {
    storeSelection(&SpeedSelection::upMin, *upMinList);
}

void CSet::OnSelChangeUpMax() {
    storeSelection(&SpeedSelection::upMax, *upMaxList);
}

void CSet::OnSelChangeDownMax() {
    storeSelection(&SpeedSelection::downMax, *downMaxList);
}

void CSet::OnSelChangeDownMin() {
    storeSelection(&SpeedSelection::downMin, *downMinList);
}

void CSet::storeSelection(int SpeedSelection::*bound, const QComboBox& list) {
    SpeedSelection selection = search_.selection();
    selection.*bound = list.currentIndex();
    search_.setSelection(selection);
}

// --- Profiles ---------------------------------------------------------------------------------

int CSet::LoadSpeedFile() {
    SpeedProfileFile file = readSpeedFile(kSpeedFileName);
    search_.setProfiles({std::move(file.upstream), std::move(file.downstream)});
    fillRangeLists();
    if (file.message)
        showMessage(std::string(*file.message));
    return file.result;
}

// Each profile goes into both lists of its direction, Min first, at its index.
void CSet::fillRangeLists() {
    for (QComboBox* list : {upMinList, upMaxList, downMinList, downMaxList})
        list->clear();
    for (const CSpeedEntry& profile : search_.profiles().upstream) {
        platform::addComboString(*upMinList, QString::fromStdString(labelText(profile.label)));
        platform::addComboString(*upMaxList, QString::fromStdString(labelText(profile.label)));
    }
    for (const CSpeedEntry& profile : search_.profiles().downstream) {
        platform::addComboString(*downMinList, QString::fromStdString(labelText(profile.label)));
        platform::addComboString(*downMaxList, QString::fromStdString(labelText(profile.label)));
    }
}

// --- Apply ------------------------------------------------------------------------------------

// The direction is read when Apply starts: nothing can change it while the procedure runs.
void CSet::Apply() {
    search_.setAlgorithm(selectedAlgorithm());
    search_.Apply();
}

int CSet::RunSearch() {
    search_.setAlgorithm(selectedAlgorithm());
    return search_.RunSearch();
}

// --- What the search shows --------------------------------------------------------------------

void CSet::showStatus(const std::string& text, bool paintNow) {
    statusText = text;
    refreshControls();
    if (paintNow)
        repaint();
}

void CSet::showActualRates(const std::string& down, const std::string& up) {
    downActualText = down;
    upActualText = up;
    refreshControls();
}

void CSet::showMessage(const std::string& text) {
    platform::messageBox(this, text);
}

void CSet::showLinkState(bool up) {
    if (PageHost* host = pageHostOf(*this))
        host->showLinkState(up);
}

void CSet::repaintBeforeWait() {
    window()->repaint();
}

void CSet::busyChanged(bool busy) {
    applyButton->setEnabled(!busy);
    refreshControls();
}

void CSet::runStarted(const SearchRun& /*run*/) {
    reportButton->setEnabled(false);
}

void CSet::runEnded(const std::string& /*trace*/) {
    reportButton->setEnabled(true);
    // The recording observes the search before the page: the record is this run's.
    if (const std::optional<InstallationRecord>& record = installationRecord())
        journalInstallationReport(*record);
}

void CSet::refreshControls() {
    setBoxText(control<QLineEdit>(ids::kStatus), statusText);
    setBoxText(control<QLineEdit>(ids::kDownActual), downActualText);
    setBoxText(control<QLineEdit>(ids::kUpActual), upActualText);
}

// --- Installation report ----------------------------------------------------------------------

// The details are asked first and remembered on OK, before the save question: a report given up
// at the file name still keeps them for the next one.
void CSet::OnReport() {
    const std::optional<InstallationRecord>& record = installationRecord();
    if (!record)
        return;
    ReportDetailsDialog details(rememberedInstallationDetails(), this);
    if (platform::runModal(details) != QDialog::Accepted)
        return;
    const ReportChoices choices = details.choices();
    rememberInstallationDetails(choices.details);
    platform::saveToChosenFile(this, "Save installation report", reportFileName(*record),
                               "PDF files (*.pdf)", "report",
                               [&] { return installationReportPdf(*record, choices); });
}
