#include "platform/seams.h"
#include "platform/window_seams.h"
#include "support/work_folder.h"

#include <QApplication>
#include <cstdlib>
#include <gtest/gtest.h>

// Every test binary runs with a QApplication on the offscreen platform, so window code can be
// exercised with no display, and with settings of its own: the user's are never read or changed.
// A run's journal goes nowhere unless a test says where, so no test writes into the real home.
int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ::setenv("QUILLON_JOURNAL_DIR", "off", 0);
    ::testing::InitGoogleTest(&argc, argv);
    QApplication application(argc, argv);
    platform::installWindowSeams();
    const testsupport::WorkFolder settings;
    platform::seams().settingsFile = settings.file("settings.ini");
    return RUN_ALL_TESTS();
}
