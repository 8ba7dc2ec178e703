#pragma once

#include "link/console_link.h"
#include "platform/dialog_host.h"

class QPushButton;

// The main window for an S-side unit (template 135): shows whether the unit runs in Normal or
// Install mode, and Apply writes the chosen mode into it and restarts it. The dialog talks to
// whichever unit the console addresses (start-up left it on the local one) and never switches.
// Close, Escape and the close box end it; Apply (the default button) does not.
class CModeDlg : public platform::DialogWindow {
public:
    explicit CModeDlg(QWidget* parent = nullptr);
    ~CModeDlg() override;

    // The dialog's own console link, without owner window.
    CConsoleLink link;
    // The selected mode: 0 Normal, 1 Install.
    int mode = 0;
    // Disabled while Apply runs.
    QPushButton* applyButton = nullptr;

    // Apply (button 1 or Enter): writes the chosen mode into the unit and restarts it; the
    // dialog stays open.
    void OnOK() override;

protected:
    // Selects the radio button of the unit's current mode and reads the timeout parameter.
    void initialize() override;

private:
    void OnNormal() { mode = 0; }
    void OnInstall() { mode = 1; }
    // The unit's mode byte as the initial read finds it; NO_VALUE when nothing usable came back.
    std::int32_t readModeByte();
    void checkRadioButton(int firstId, int lastId, int checkedId);
    void writeMode();
};
