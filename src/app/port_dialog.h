#pragma once

#include "platform/dialog_host.h"

class QComboBox;
class QLabel;

// The port dialog: COM1, COM2 and every other serial port the system reports, and the about
// box. Choosing in the list sets g_portNumber at once; OK, Escape and the close box all end the
// dialog and start-up goes on with that port.
class CPortDlg : public platform::DialogWindow {
public:
    explicit CPortDlg(QWidget* parent = nullptr);

    // The port list, control 1022.
    QComboBox* portCombo = nullptr;

protected:
    void initialize() override;

private:
    void fillPortList();
    void OnSelChangePort(int index);
    // Shows the selected port's device and description under the list.
    void showPortDetail(int index);

    QLabel* portDetail_ = nullptr;
};
