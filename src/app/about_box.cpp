#include "app/about_box.h"

#include "app/process_objects.h"
#include "platform/modal_runner.h"
#include "res/templates.h"

CAboutDlg::CAboutDlg() {
    controls_ = res::buildDialog(res::kAboutBox, *this);
}

int CAboutDlg::runOver(QWidget* asker) {
    // The one box of the process is lent to the asking window for the run: as its child window
    // it blocks that window and stays above it. It is given back before the asker can go.
    const Qt::WindowFlags flags = windowFlags();
    setParent(asker != nullptr ? asker->window() : nullptr, flags);
    const int result = platform::runModal(*this);
    setParent(nullptr, flags);
    return result;
}

void showAboutBox(QWidget* asker) {
    if (CAboutDlg* box = theAboutBox()) {
        box->runOver(asker);
        return;
    }
    CAboutDlg box; // outside a run of the program (a window tried on its own)
    box.runOver(asker);
}
