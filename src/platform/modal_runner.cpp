#include "platform/modal_runner.h"

#include <QDialog>

namespace platform {

void setModalRunner(ModalRunner runner) {
    seams().modalRunner = std::move(runner);
}

int runModal(QDialog& dialog) {
    if (const ModalRunner& runner = seams().modalRunner)
        return runner(dialog);
    dialog.setWindowModality(Qt::WindowModal);
    return dialog.exec();
}

} // namespace platform
