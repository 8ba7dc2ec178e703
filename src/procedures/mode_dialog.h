#pragma once

#include "platform/dialog_host.h"

// The main window for an S-side unit (template 135): Normal or Install mode, Apply and Close.
// Close, Escape and the close box end it; Apply (the default button) does not.
class CModeDlg : public platform::DialogWindow {
public:
    explicit CModeDlg(QWidget* parent = nullptr);
    ~CModeDlg() override;

protected:
    void initialize() override;
    // Apply: writes the chosen mode into the unit; the dialog stays open.
    void OnOK() override {}
};
