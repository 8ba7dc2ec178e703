#include "app/mode_dialog.h"

#include "app/main_window_handle.h"
#include "link/registers.h"
#include "platform/message_box.h"
#include "platform/trace.h"
#include "res/control_ids.h"
#include "res/templates.h"

#include <QAbstractButton>
#include <QPushButton>
#include <string>

namespace ids = res::ids::mode;

CModeDlg::CModeDlg(QWidget* parent) : platform::DialogWindow(parent) {
    controls_ = res::buildDialog(res::kModeDialog, *this);
    if (auto* normal = control<QAbstractButton>(ids::kNormal))
        connect(normal, &QAbstractButton::clicked, this, [this] { OnNormal(); });
    if (auto* install = control<QAbstractButton>(ids::kInstall))
        connect(install, &QAbstractButton::clicked, this, [this] { OnInstall(); });
}

CModeDlg::~CModeDlg() {
    OnMainWindowDestroy();
}

void CModeDlg::initialize() {
    applyButton = control<QPushButton>(ids::kApply);
    const std::int32_t modeByte = readModeByte();
    if ((modeByte & 0xFF) == static_cast<std::int32_t>(kModeInstall)) {
        checkRadioButton(ids::kNormal, ids::kInstall, ids::kInstall);
        mode = 1;
    } else {
        checkRadioButton(ids::kNormal, ids::kInstall, ids::kNormal);
        mode = 0;
    }
    // Read for the trace only, where the installer sees the timeout parameter.
    platform::appendTrace("\r\nReading timeout parameter\r\n");
    std::uint8_t ignored = 0;
    link.ReadRegister(kRegTimeoutHigh, ignored);
    link.ReadRegister(kRegTimeoutLow, ignored);
    setMainWndHandle(this);
}

// This first read reports its own failures and lets the dialog open on Normal; every later
// exchange ends the program through FatalError when it fails.
std::int32_t CModeDlg::readModeByte() {
    char reply[CConsoleLink::kBufferSize] = "";
    const std::string command = std::string("rd ") + kRegMode + "\n";
    if (link.SendCommand(command.c_str()) == 0) {
        platform::messageBox(this, "errore di SendCommand");
        return NO_VALUE;
    }
    if (link.ReadResult(reply) == 0)
        platform::messageBox(this, "errore di ReadResult"); // what did arrive is still parsed
    else
        platform::appendTrace(reply);
    return ParseReplyValue(reply);
}

void CModeDlg::checkRadioButton(int firstId, int lastId, int checkedId) {
    for (int id = firstId; id <= lastId; ++id)
        if (auto* button = control<QAbstractButton>(id))
            button->setChecked(id == checkedId);
}

void CModeDlg::OnOK() {
    std::uint8_t unitType = 0;
    if (link.ReadRegister(kRegUnitType, unitType) == 0) {
        platform::messageBox(this, "No answer from device");
        return;
    }
    // The mode is a setting of the S-side unit: a P-side unit gets nothing written.
    if ((unitType & kUnitTypeSSide) == 0) {
        platform::messageBox(this, "S side must be connected to start this procedure");
        return;
    }
    applyButton->setEnabled(false);
    writeMode();
    link.RestartWithLongTimeout();
    platform::messageBox(this, "      Done");
    applyButton->setEnabled(true);
}

// Install mode raises the timeout parameter bits before it enables LWD.
void CModeDlg::writeMode() {
    if (mode != 0) {
        platform::appendTrace("\r\nWriting timeout parameter\r\n");
        link.WriteCommand(kCmdSetTimeoutHigh);
        link.WriteCommand(kCmdSetTimeoutLow);
        platform::appendTrace("\r\nEnabling LWD\r\n");
        link.WriteCommand(kCmdUnlockMode);
        link.WriteCommand(kCmdSetInstallMode);
    } else {
        platform::appendTrace("\r\nDisabling LWD\r\n");
        link.WriteCommand(kCmdUnlockMode);
        link.WriteCommand(kCmdSetNormalMode);
    }
    link.WriteCommand(kCmdLockMode);
}
