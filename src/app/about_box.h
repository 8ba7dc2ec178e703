#pragma once

#include "platform/dialog_host.h"

// The about box: program name, version and two lines of our own, with an OK button.
class CAboutDlg : public platform::DialogWindow {
public:
    CAboutDlg();

    // Runs the box modally over asker's window (which it blocks until the box is closed by OK,
    // Escape or the close box); over nothing when asker is null.
    int runOver(QWidget* asker);
};

// Shows the process's about box over the window of asker.
void showAboutBox(QWidget* asker);
