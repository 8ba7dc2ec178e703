#include "platform/modal_runner.h"

#include <QDialog>

namespace platform {

namespace {
ModalRunner g_runner;
}

void setModalRunner(ModalRunner runner) {
    g_runner = std::move(runner);
}

int runModal(QDialog& dialog) {
    if (g_runner)
        return g_runner(dialog);
    dialog.setWindowModality(Qt::WindowModal);
    return dialog.exec();
}

} // namespace platform
