#pragma once

#include "app/link_state_title.h"
#include "pages/page_host.h"

#include <QDialog>

namespace testsupport {

// A main window for pages under test: its title shows the link state as the main sheet's does,
// and it counts the about boxes asked for instead of showing them.
class TestSheet : public QDialog, public PageHost {
public:
    void showLinkState(bool linkUp) override { setWindowTitle(linkStateTitle(linkUp)); }
    void showAboutBox(QWidget*) override { ++aboutBoxes; }

    int aboutBoxes = 0;
};

} // namespace testsupport
