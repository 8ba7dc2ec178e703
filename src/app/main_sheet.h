#pragma once

#include "monitor/ethernet_status_page.h"
#include "monitor/vdsl_status_page.h"
#include "pages/page_host.h"
#include "platform/dialog_host.h"
#include "speed/configuration_page.h"

#include <QIcon>

class QPushButton;
class QTabWidget;

// The main window for a P-side unit: a sheet with the pages Configuration, VDSL Status and
// Ethernet Status, Configuration first, and a single visible button, "Close".
class CMainTab : public platform::DialogWindow, public PageHost {
public:
    CMainTab();
    ~CMainTab() override;

    CStatus vdslPage;
    CEnetStatus enetPage;
    CSet configPage;
    QIcon icon;

    QTabWidget* tabs() const { return tabs_; }
    // The sheet's own buttons: 1 OK, 2 Cancel (shown as "Close"), 9 Help.
    QPushButton* button(int id) const { return control<QPushButton>(id); }

    void showLinkState(bool linkUp) override;
    void showAboutBox(QWidget* asker) override;
    std::vector<ApplyPeriod> applyPeriods() const override { return configPage.applyPeriods(); }

protected:
    void initialize() override;

private:
    void addButton(int id, const char* text);

    QTabWidget* tabs_;
};
