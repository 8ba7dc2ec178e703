#include "app/process_objects.h"

#include <QApplication>

namespace {
// The unit answered the first register read without a value: no main window ran.
constexpr int kExitNoAnswer = 2;
} // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    // Start-up decides when the program ends, not the closing of its last window: the port
    // dialog closes before the main window opens.
    QApplication::setQuitOnLastWindowClosed(false);
    ProcessObjects objects;
    if (!objects.app.startUp())
        return kExitNoAnswer;
    return 0;
}
