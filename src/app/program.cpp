#include "app/program.h"

#include "app/process_objects.h"
#include "platform/clock.h"
#include "platform/journal.h"
#include "platform/seams.h"

#include <QApplication>
#include <memory>
#include <utility>

namespace {

// Puts the run's journal in force for as long as the run lasts, however it ends.
class JournalInForce {
public:
    explicit JournalInForce(platform::Journal* journal)
        : previous_(std::exchange(platform::seams().journal, journal)) {}
    ~JournalInForce() { platform::seams().journal = previous_; }
    JournalInForce(const JournalInForce&) = delete;
    JournalInForce& operator=(const JournalInForce&) = delete;

private:
    platform::Journal* previous_;
};

} // namespace

int runConfigurator() {
    // Start-up decides when the program ends, not the closing of its last window: the port
    // dialog closes before the main window opens.
    QApplication::setQuitOnLastWindowClosed(false);
    // Made first and gone last, so it holds the run from the first trace line to the last.
    const std::unique_ptr<platform::Journal> journal =
        platform::startRunJournal(platform::wallTimeMs());
    const JournalInForce inForce(journal.get());
    ProcessObjects objects;
    return objects.app.startUp() ? 0 : kExitNoAnswer;
}
