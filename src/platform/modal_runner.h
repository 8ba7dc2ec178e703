#pragma once

#include "platform/seams.h"

class QDialog;

namespace platform {

// Runs a dialog modally and returns its result. The real run disables only the dialog's owner
// chain (a parentless dialog disables nothing), so the ownerless trace window stays usable
// while the program's windows run. Tests replace the run to step through dialogs themselves.
int runModal(QDialog& dialog);

// An empty function restores the real run.
void setModalRunner(ModalRunner runner);

} // namespace platform
