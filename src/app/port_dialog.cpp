#include "app/port_dialog.h"

#include "app/about_box.h"
#include "app/port_entries.h"
#include "link/console_state.h"
#include "platform/port_open.h"
#include "res/control_ids.h"
#include "res/templates.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <map>

CPortDlg::CPortDlg(QWidget* parent) : platform::DialogWindow(parent) {
    controls_ = res::buildDialog(res::kPortDialog, *this);
}

void CPortDlg::initialize() {
    portCombo = control<QComboBox>(res::ids::port::kList);
    portDetail_ = control<QLabel>(res::ids::port::kDetail);
    portDetail_->setWordWrap(false);
    fillPortList();
    // COM1 is selected first, wherever the sorted list puts it.
    portCombo->setCurrentIndex(portCombo->findData(1));
    showPortDetail(portCombo->currentIndex());
    // Only the user's choice changes the port; g_portNumber keeps its value until then.
    connect(portCombo, &QComboBox::activated, this, &CPortDlg::OnSelChangePort);
    connect(portCombo, &QComboBox::currentIndexChanged, this, &CPortDlg::showPortDetail);
    connect(control<QPushButton>(res::ids::port::kAbout), &QPushButton::clicked, this,
            [this] { showAboutBox(this); });
}

// COM1 and COM2 stand for the devices they always have (followed through links, so a port
// reported under its own name is recognised); every further entry's number is told to the
// platform, so that opening that number opens its device.
void CPortDlg::fillPortList() {
    const std::array<std::string, 2> comDevices = {
        platform::resolveDevicePath(platform::portDeviceName(1)),
        platform::resolveDevicePath(platform::portDeviceName(2))};
    std::map<int, std::string> extraDevices;
    for (const PortEntry& entry :
         portEntries(platform::listSystemPorts(), comDevices, platform::systemPortNaming())) {
        const int index =
            platform::addComboString(*portCombo, QString::fromStdString(entry.text), entry.number);
        portCombo->setItemData(index, QString::fromStdString(entry.detail), Qt::ToolTipRole);
        if (entry.number > 2)
            extraDevices.emplace(entry.number, entry.device);
    }
    platform::setPortDevices(std::move(extraDevices));
}

void CPortDlg::OnSelChangePort(int index) {
    g_portNumber = portCombo->itemData(index).toInt();
}

// One line; a text too long for it ends in an ellipsis and is whole in the tool tip.
void CPortDlg::showPortDetail(int index) {
    const QString detail = portCombo->itemData(index, Qt::ToolTipRole).toString();
    const QString shown =
        portDetail_->fontMetrics().elidedText(detail, Qt::ElideRight, portDetail_->width());
    portDetail_->setText(shown);
    portDetail_->setToolTip(shown == detail ? QString() : detail);
}
