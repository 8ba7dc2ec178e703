#include "procedures/mode_dialog.h"

#include "app/main_window_handle.h"
#include "res/templates.h"

CModeDlg::CModeDlg(QWidget* parent) : platform::DialogWindow(parent) {
    controls_ = res::buildDialog(res::kModeDialog, *this);
}

CModeDlg::~CModeDlg() {
    OnMainWindowDestroy();
}

void CModeDlg::initialize() {
    setMainWndHandle(this);
}
