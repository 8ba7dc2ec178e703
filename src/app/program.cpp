#include "app/program.h"

#include "app/process_objects.h"

#include <QApplication>

int runConfigurator() {
    // Start-up decides when the program ends, not the closing of its last window: the port
    // dialog closes before the main window opens.
    QApplication::setQuitOnLastWindowClosed(false);
    ProcessObjects objects;
    return objects.app.startUp() ? 0 : kExitNoAnswer;
}
