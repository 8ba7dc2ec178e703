#pragma once

#include "platform/run_folders.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace platform {

// The files a run keeps as it goes.
enum class JournalFile { Trace, Vdsl, Ethernet };
inline constexpr std::size_t kJournalFileCount = 3;

// The journal of one run of the configurator: a folder of its own, named by the local start
// time, holding the trace, one CSV row per status poll and the report of each Apply.
//
// Everything handed in goes to a writer thread through a queue, so a slow or stuck disk never
// holds up the console: the caller only copies the bytes. The writer hands each piece to the
// system with one write() (a CSV row is whole in the file or not there), flushes the files to
// the disk at least every 5 s and on flush(). The first failure prints one warning on standard
// error naming the folder and the system's reason, and the journal stops for the rest of the run.
class Journal {
public:
    // Makes the run's folder under parent (made if missing) and removes old runs beyond the
    // limits, never this one. On failure it warns, and the journal takes nothing (active() false).
    Journal(const std::string& parent, std::int64_t startWallMs, JournalLimits limits = {});
    // Flushes everything handed in, then stops the writer.
    ~Journal();
    Journal(const Journal&) = delete;
    Journal& operator=(const Journal&) = delete;

    bool active() const;
    // The run's folder; empty when it could not be made.
    const std::string& folder() const { return folder_; }

    // Appends bytes to the file as they are.
    void append(JournalFile file, std::string_view bytes);
    // Appends one CSV row; the first row of the run goes with the header, in the same write.
    void appendRow(JournalFile file, std::string_view header, std::string_view row);
    // Writes a whole file of the folder (a report), under the name only once it is complete.
    void writeFile(const std::string& name, std::string bytes);
    // Returns once everything handed in so far is written and flushed to the disk, or the
    // journal has stopped. Bounded: a disk that hangs does not hold the program's end for ever.
    void flush();

    // Called by the writer before each write: benchmarks and tests slow the disk down with it.
    void setBeforeWrite(std::function<void()> hook);

private:
    struct Job;
    class Writer;

    void appendTrace(std::string_view bytes);

    std::string folder_;
    JournalLimits limits_;
    std::string traceLastLine_;  // what ends a trace stopped at the limit
    std::uint64_t runBytes_ = 0; // bytes handed in for this run
    bool traceStopped_ = false;
    bool rowsStarted_[kJournalFileCount] = {};
    std::unique_ptr<Writer> writer_;
};

// The folder the runs go under: QUILLON_JOURNAL_DIR when set, else "journal" in the user's
// application data. Empty when QUILLON_JOURNAL_DIR is "off".
std::string journalParentFolder();

// The journal of this run from the environment, announced on standard error ("journal: <path>");
// null when it is turned off or could not be made (the warning then said why).
std::unique_ptr<Journal> startRunJournal(std::int64_t startWallMs);

// The journal in force (see Seams::journal); null when there is none.
Journal* journal();
// The folder of the journal in force; empty when there is none.
std::string journalFolder();
// Appends to the journal in force, if any.
void journalAppend(JournalFile file, std::string_view bytes);
void journalRow(JournalFile file, std::string_view header, std::string_view row);

} // namespace platform
