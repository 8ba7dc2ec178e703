#include "app/port_dialog.h"

#include "app/about_box.h"
#include "link/console_state.h"
#include "res/templates.h"

#include <QComboBox>
#include <QPushButton>

namespace {
constexpr int kPortList = 1022;
constexpr int kAboutButton = 1024;
} // namespace

CPortDlg::CPortDlg(QWidget* parent) : platform::DialogWindow(parent) {
    controls_ = res::buildDialog(res::kPortDialog, *this);
}

void CPortDlg::initialize() {
    portCombo = control<QComboBox>(kPortList);
    platform::addComboString(*portCombo, QStringLiteral("COM1"), 1);
    platform::addComboString(*portCombo, QStringLiteral("COM2"), 2);
    portCombo->setCurrentIndex(0);
    // Only the user's choice changes the port; g_portNumber keeps its value until then.
    connect(portCombo, &QComboBox::activated, this, &CPortDlg::OnSelChangePort);
    connect(control<QPushButton>(kAboutButton), &QPushButton::clicked, this,
            [this] { showAboutBox(this); });
}

void CPortDlg::OnSelChangePort(int index) {
    g_portNumber = portCombo->itemData(index).toInt();
}
