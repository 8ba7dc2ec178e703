#include "app/program.h"
#include "platform/window_seams.h"

#include <QApplication>
#include <clocale>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    // Qt hands the desktop's locale to the C library; the readouts, the report and the CSV write
    // their numbers with a decimal point whatever the desktop's language.
    std::setlocale(LC_NUMERIC, "C");
    platform::installWindowSeams();
    return runConfigurator();
}
