#include "app/config_app.h"

#include "app/main_sheet.h"
#include "app/mode_dialog.h"
#include "app/port_dialog.h"
#include "app/trace_window.h"
#include "link/console_state.h"
#include "link/registers.h"
#include "monitor/line_history_window.h"
#include "platform/message_box.h"
#include "platform/modal_runner.h"
#include "platform/window_seams.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>
#include <cstdint>

namespace {

bool isAltKeyUp(const QEvent& event) {
    if (event.type() != QEvent::KeyRelease)
        return false;
    const auto& key = static_cast<const QKeyEvent&>(event);
    // Holding Alt repeats its key-down only: a repeated release is not the key coming up.
    return key.key() == Qt::Key_Alt && !key.isAutoRepeat();
}

// Constructs the window, designates it as the application's main window and runs it.
template <class Window>
void runMainWindow() {
    Window window;
    platform::setMainWindow(&window);
    platform::runModal(window);
}

} // namespace

CConfigApp::CConfigApp(CDebugDlg& traceWindow) : traceWindow_(traceWindow) {
    if (QCoreApplication::instance() != nullptr)
        QCoreApplication::instance()->installEventFilter(this);
}

CConfigApp::~CConfigApp() = default;

bool CConfigApp::startUp() {
    mainWndHandle = nullptr;
    traceWindow_.Create();
    {
        CPortDlg portDialog;
        platform::runModal(portDialog);
    }
    link.OpenPort();
    // The unit may still be busy with a half-typed line: a failure here ends nothing.
    g_fatalErrorsEnabled = 0;
    link.SelectLocal();
    g_fatalErrorsEnabled = 1;

    std::uint8_t unitFlags = 0;
    if (link.ReadRegister(kRegUnitType, unitFlags) == 0) {
        platform::messageBox(nullptr, "No answer from device");
        link.ClosePort();
        return false;
    }
    placeTraceWindow();
    if ((unitFlags & kUnitTypeSSide) != 0)
        runMainWindow<CModeDlg>();
    else
        runMainWindow<CMainTab>();
    link.ClosePort();
    return true;
}

// Top left of the screen, 350 x 300 pixels, still hidden. A larger dialog font makes the
// template larger than that; the window then keeps the template's size so nothing is cut off.
void CConfigApp::placeTraceWindow() {
    traceWindow_.setFixedSize(QSize(350, 300).expandedTo(traceWindow_.size()));
    traceWindow_.move(0, 0);
    traceWindow_.raise();
}

bool CConfigApp::isInMainWindow(const QObject* watched) const {
    if (mainWndHandle == nullptr || !watched->isWidgetType())
        return false;
    const auto* widget = static_cast<const QWidget*>(watched);
    // The line history is a window of its own, but belongs to the sheet that opened it.
    if (const auto* history = qobject_cast<const LineHistoryWindow*>(widget->window()))
        widget = history->parentWidget();
    if (widget == nullptr)
        return false;
    // Only the window itself and its children: not the dialogs and message boxes it owns.
    return widget == mainWndHandle || mainWndHandle->isAncestorOf(widget);
}

bool CConfigApp::eventFilter(QObject* watched, QEvent* event) {
    if (isAltKeyUp(*event) && isInMainWindow(watched))
        traceWindow_.showTrace();
    return QObject::eventFilter(watched, event);
}
