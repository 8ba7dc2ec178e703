#include "platform/journal.h"

#include "platform/seams.h"

#include <QStandardPaths>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <thread>
#include <utility>
#include <vector>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace platform {

namespace {

using SteadyClock = std::chrono::steady_clock;

constexpr auto kSyncInterval = std::chrono::seconds(5);
constexpr auto kGatherTime = std::chrono::milliseconds(2);
// How long the end of the program waits for a disk that does not answer.
constexpr auto kFlushWaitLimit = std::chrono::seconds(10);

constexpr const char* kFileNames[kJournalFileCount] = {"trace.txt", "vdsl.csv", "ethernet.csv"};

// The few file calls the writer needs, on descriptors so that each append is one system call
// and nothing waits in a user-space buffer.
#ifdef _WIN32
int openFile(const fs::path& path, bool append) {
    return _wopen(path.c_str(),
                  _O_WRONLY | _O_CREAT | _O_BINARY | _O_NOINHERIT | (append ? _O_APPEND : _O_TRUNC),
                  _S_IREAD | _S_IWRITE);
}
long long writeSome(int fd, const char* data, std::size_t size) {
    return _write(fd, data, static_cast<unsigned>(size));
}
int syncData(int fd) {
    return _commit(fd); // FlushFileBuffers
}
int truncateTo(int fd, std::uint64_t size) {
    return _chsize_s(fd, static_cast<long long>(size)) == 0 ? 0 : -1;
}
void closeFile(int fd) {
    _close(fd);
}
#else
int openFile(const fs::path& path, bool append) {
    return ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | (append ? O_APPEND : O_TRUNC),
                  0644);
}
long long writeSome(int fd, const char* data, std::size_t size) {
    long long written = 0;
    do
        written = ::write(fd, data, size);
    while (written < 0 && errno == EINTR);
    return written;
}
int syncData(int fd) {
    return ::fdatasync(fd);
}
int truncateTo(int fd, std::uint64_t size) {
    return ::ftruncate(fd, static_cast<off_t>(size));
}
void closeFile(int fd) {
    ::close(fd);
}
#endif

// One write normally; a write cut short (a limit reached) is followed by one for the rest, which
// either completes the bytes or gives the system's reason in errno.
bool writeAll(int fd, std::string_view bytes) {
    errno = 0;
    while (!bytes.empty()) {
        const long long written = writeSome(fd, bytes.data(), bytes.size());
        if (written <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

std::error_code lastError(int fallback = EIO) {
    return {errno != 0 ? errno : fallback, std::generic_category()};
}

std::string sizeText(std::uint64_t bytes) {
    if (bytes >= 1'000'000 && bytes % 1'000'000 == 0)
        return std::to_string(bytes / 1'000'000) + " MB";
    return std::to_string(bytes) + " bytes";
}

// Bytes handed in for one file, kept in blocks that never move once filled: an append costs the
// same however much waits for a slow disk (one growing string would copy it all now and then).
class Blocks {
public:
    void append(std::string_view bytes) {
        size_ += bytes.size();
        while (!bytes.empty()) {
            if (blocks_.empty() || blocks_.back().size() == blocks_.back().capacity()) {
                blocks_.emplace_back();
                blocks_.back().reserve(kBlockSize);
            }
            std::string& last = blocks_.back();
            const std::size_t taken = std::min(bytes.size(), last.capacity() - last.size());
            last.append(bytes.substr(0, taken));
            bytes.remove_prefix(taken);
        }
    }
    // Moves other's bytes after these.
    void splice(Blocks& other) {
        for (std::string& block : other.blocks_)
            blocks_.push_back(std::move(block));
        size_ += std::exchange(other.size_, 0);
        other.blocks_.clear();
    }
    bool empty() const { return size_ == 0; }
    // Moves the bytes to the end of out, in order. The first block stays for the next bytes, so
    // a quiet run allocates nothing per batch.
    void takeInto(std::string& out) {
        for (const std::string& block : blocks_)
            out += block;
        if (blocks_.size() > 1)
            blocks_.resize(1);
        if (!blocks_.empty())
            blocks_.front().clear();
        size_ = 0;
    }
    void swap(Blocks& other) noexcept {
        blocks_.swap(other.blocks_);
        std::swap(size_, other.size_);
    }

private:
    static constexpr std::size_t kBlockSize = 64 * 1024;
    std::vector<std::string> blocks_;
    std::size_t size_ = 0;
};

} // namespace

// File work besides appends, done in the order it was handed in.
struct Journal::Job {
    enum Kind { WholeFile, Prune, Sync } kind = Sync;
    std::string name; // of a whole file
    std::string bytes;
};

// The thread that does all the file work of a journal.
class Journal::Writer {
public:
    Writer(fs::path folder, JournalLimits limits)
        : folder_(std::move(folder)), limits_(limits), thread_([this] { run(); }) {}
    ~Writer() {
        {
            const std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_one();
        thread_.join();
        for (int fd : fds_)
            if (fd >= 0)
                closeFile(fd);
    }

    bool failed() const { return failed_.load(std::memory_order_relaxed); }

    // Hands bytes over: a copy. The console never waits for the writer: while the writer holds
    // the lock (a moment, unless the system parks it there) the bytes wait on this side and go
    // with the next append or flush. The writer is woken only when it waits for work, so a
    // burst of appends costs one wake-up.
    void append(std::size_t file, std::string_view bytes) {
        std::unique_lock lock(mutex_, std::try_to_lock);
        if (!lock.owns_lock()) {
            held_[file].append(bytes);
            return;
        }
        const bool idle = !busy_ && !hasWork();
        handOverHeld();
        incoming_[file].append(bytes);
        lock.unlock();
        if (idle)
            wake_.notify_one();
    }

    // Hands a job over; returns its number for waitFor.
    std::uint64_t push(Job job) {
        std::unique_lock lock(mutex_);
        const bool idle = !busy_ && !hasWork();
        handOverHeld();
        queue_.push_back(std::move(job));
        const std::uint64_t number = ++pushed_;
        lock.unlock();
        if (idle)
            wake_.notify_one();
        return number;
    }

    void waitFor(std::uint64_t job) {
        std::unique_lock lock(mutex_);
        done_.wait_for(lock, kFlushWaitLimit, [&] { return finished_ >= job; });
    }

    void setBeforeWrite(std::function<void()> hook) {
        const std::lock_guard lock(mutex_);
        beforeWrite_ = std::move(hook);
    }

private:
    void run() {
        std::unique_lock lock(mutex_);
        for (;;) {
            busy_ = false;
            if (!hasWork() && !stopping_) {
                if (anyDirty())
                    wake_.wait_until(lock, lastSync_ + kSyncInterval);
                else
                    wake_.wait(lock);
            }
            if (!hasWork() && stopping_)
                return;
            busy_ = true;
            // The console hands its trace in pieces a few microseconds apart: gathering them for
            // a moment costs one wake-up and one write for all of them.
            lock.unlock();
            std::this_thread::sleep_for(kGatherTime);
            lock.lock();
            std::deque<Job> batch = std::exchange(queue_, {});
            for (std::size_t file = 0; file < kJournalFileCount; ++file)
                taken_[file].swap(incoming_[file]);
            std::function<void()> beforeWrite = beforeWrite_;
            lock.unlock();
            // Appends handed in before a flush are among these, so they go first.
            writePending(beforeWrite);
            for (Job& job : batch)
                process(job, beforeWrite);
            if (anyDirty() && SteadyClock::now() - lastSync_ >= kSyncInterval)
                syncAll();
            lock.lock();
            finished_ += batch.size();
            done_.notify_all();
        }
    }

    void process(Job& job, const std::function<void()>& beforeWrite) {
        if (failed())
            return;
        switch (job.kind) {
        case Job::WholeFile:
            writeWholeFile(job, beforeWrite);
            return;
        case Job::Prune:
            pruneRunFolders(folder_.parent_path(), folder_, limits_);
            return;
        case Job::Sync:
            syncAll();
            return;
        }
    }

    // Each file's pieces of the batch go to the system together, in their order; the buffers
    // keep their room for the next batch.
    void writePending(const std::function<void()>& beforeWrite) {
        for (std::size_t file = 0; file < kJournalFileCount; ++file) {
            taken_[file].takeInto(pending_[file]);
            if (!pending_[file].empty() && !failed())
                appendToFile(file, pending_[file], beforeWrite);
            pending_[file].clear();
        }
    }

    // The bytes are in the file whole, or the file is cut back to where it was.
    void appendToFile(std::size_t file, const std::string& bytes,
                      const std::function<void()>& beforeWrite) {
        int& fd = fds_[file];
        if (fd < 0 && (fd = openFile(folder_ / kFileNames[file], true)) < 0)
            return fail(lastError());
        if (beforeWrite)
            beforeWrite();
        if (!writeAll(fd, bytes)) {
            const std::error_code reason = lastError(ENOSPC);
            truncateTo(fd, sizes_[file]);
            return fail(reason);
        }
        sizes_[file] += bytes.size();
        dirty_[file] = true;
    }

    // Written under a temporary name and renamed once on the disk, so a report is whole or absent.
    void writeWholeFile(const Job& job, const std::function<void()>& beforeWrite) {
        const fs::path target = folder_ / job.name;
        const fs::path part = folder_ / (job.name + ".part");
        const int fd = openFile(part, false);
        if (fd < 0)
            return fail(lastError());
        if (beforeWrite)
            beforeWrite();
        const bool whole = writeAll(fd, job.bytes) && syncData(fd) == 0;
        const std::error_code reason = lastError(ENOSPC);
        closeFile(fd);
        std::error_code renameError;
        if (whole)
            fs::rename(part, target, renameError);
        if (!whole || renameError) {
            std::error_code ignored;
            fs::remove(part, ignored);
            return fail(whole ? renameError : reason);
        }
    }

    // With the mutex held, from the threads that hand work in.
    void handOverHeld() {
        for (std::size_t file = 0; file < kJournalFileCount; ++file)
            if (!held_[file].empty())
                incoming_[file].splice(held_[file]);
    }

    // With the mutex held.
    bool hasWork() const {
        return !queue_.empty() || !incoming_[0].empty() || !incoming_[1].empty() ||
               !incoming_[2].empty();
    }

    bool anyDirty() const { return dirty_[0] || dirty_[1] || dirty_[2]; }

    void syncAll() {
        lastSync_ = SteadyClock::now();
        if (failed())
            return;
        for (std::size_t file = 0; file < kJournalFileCount; ++file) {
            if (dirty_[file] && syncData(fds_[file]) != 0)
                return fail(lastError());
            dirty_[file] = false;
        }
        // Open files of a removed folder take writes without complaint; nothing would be kept.
        std::error_code error;
        if (!fs::is_directory(folder_, error))
            fail(error ? error : std::make_error_code(std::errc::no_such_file_or_directory));
    }

    void fail(std::error_code reason) {
        if (failed_.exchange(true))
            return;
        std::fprintf(stderr, "journal: cannot write to %s (%s); no more is kept there this run\n",
                     folder_.string().c_str(), reason.message().c_str());
        std::fflush(stderr);
    }

    const fs::path folder_;
    const JournalLimits limits_;
    // The writer thread's own state.
    int fds_[kJournalFileCount] = {-1, -1, -1};
    std::uint64_t sizes_[kJournalFileCount] = {};
    bool dirty_[kJournalFileCount] = {};
    Blocks taken_[kJournalFileCount];
    std::string pending_[kJournalFileCount];
    SteadyClock::time_point lastSync_ = SteadyClock::now();
    std::atomic<bool> failed_{false};
    // Shared with the threads that hand work in.
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable done_;
    Blocks incoming_[kJournalFileCount];
    Blocks held_[kJournalFileCount]; // the console's own, while the writer had the lock
    std::deque<Job> queue_;
    std::uint64_t pushed_ = 0;
    std::uint64_t finished_ = 0;
    bool busy_ = false;
    bool stopping_ = false;
    std::function<void()> beforeWrite_;
    std::thread thread_; // last: it starts once everything above is ready
};

Journal::Journal(const std::string& parent, std::int64_t startWallMs, JournalLimits limits)
    : limits_(limits),
      traceLastLine_("\r\n[The journal stops this trace here: the run has reached the journal's "
                     "limit of " +
                     sizeText(limits.keptBytes) + ". The CSV files go on.]\r\n") {
    std::error_code error;
    const fs::path folder = makeRunFolder(parent, runFolderName(startWallMs), error);
    if (folder.empty()) {
        std::fprintf(stderr, "journal: cannot make a folder in %s (%s); no journal this run\n",
                     parent.c_str(), error.message().c_str());
        std::fflush(stderr);
        return;
    }
    folder_ = folder.string();
    writer_ = std::make_unique<Writer>(folder, limits);
    writer_->push({Job::Prune, {}, {}});
}

Journal::~Journal() {
    flush();
}

bool Journal::active() const {
    return writer_ && !writer_->failed();
}

void Journal::append(JournalFile file, std::string_view bytes) {
    if (bytes.empty() || !active())
        return;
    if (file == JournalFile::Trace)
        return appendTrace(bytes);
    runBytes_ += bytes.size();
    writer_->append(static_cast<std::size_t>(file), bytes);
}

// A run that reaches the limit on its own keeps polling into its CSV files; its trace ends with
// a line that says why.
void Journal::appendTrace(std::string_view bytes) {
    if (traceStopped_)
        return;
    if (runBytes_ + bytes.size() + traceLastLine_.size() > limits_.keptBytes) {
        traceStopped_ = true;
        bytes = traceLastLine_;
    }
    runBytes_ += bytes.size();
    writer_->append(static_cast<std::size_t>(JournalFile::Trace), bytes);
}

void Journal::appendRow(JournalFile file, std::string_view header, std::string_view row) {
    bool& started = rowsStarted_[static_cast<std::size_t>(file)];
    if (started)
        return append(file, row);
    started = true;
    append(file, std::string(header) + std::string(row));
}

void Journal::writeFile(const std::string& name, std::string bytes) {
    if (!active())
        return;
    runBytes_ += bytes.size();
    writer_->push({Job::WholeFile, name, std::move(bytes)});
}

void Journal::flush() {
    if (writer_)
        writer_->waitFor(writer_->push({Job::Sync, {}, {}}));
}

void Journal::setBeforeWrite(std::function<void()> hook) {
    if (writer_)
        writer_->setBeforeWrite(std::move(hook));
}

std::string journalParentFolder() {
    const char* chosen = std::getenv("QUILLON_JOURNAL_DIR");
    if (chosen != nullptr && *chosen != '\0')
        return std::string(chosen) == "off" ? std::string() : std::string(chosen);
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    return (fs::path(data.toStdString()) / "journal").string();
}

std::unique_ptr<Journal> startRunJournal(std::int64_t startWallMs) {
    const std::string parent = journalParentFolder();
    if (parent.empty())
        return nullptr;
    auto run = std::make_unique<Journal>(parent, startWallMs);
    if (!run->active())
        return nullptr;
    std::fprintf(stderr, "journal: %s\n", run->folder().c_str());
    std::fflush(stderr);
    return run;
}

Journal* journal() {
    return seams().journal;
}

std::string journalFolder() {
    const Journal* current = journal();
    return current != nullptr && current->active() ? current->folder() : std::string();
}

void journalAppend(JournalFile file, std::string_view bytes) {
    if (Journal* current = journal())
        current->append(file, bytes);
}

void journalRow(JournalFile file, std::string_view header, std::string_view row) {
    if (Journal* current = journal())
        current->appendRow(file, header, row);
}

} // namespace platform
