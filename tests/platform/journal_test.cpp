// The journal of a run: its files as handed in, the limits of one run and of all runs, the off
// switch, and the ways a disk refuses it.
#include "platform/journal.h"
#include "support/data_rows.h"
#include "support/work_folder.h"

#include <algorithm>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using platform::Journal;
using platform::JournalFile;
using testsupport::readFile;
using testsupport::WorkFolder;
using Names = std::vector<std::string>;

constexpr std::int64_t kStartMs = 1'900'000'000'000; // 2030: newer than every run the tests make

Names entriesOf(const fs::path& folder) {
    Names names;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// A run that passes its limit alone ends its trace with a line that says so; the rows go on.
TEST(Journal, KeepsEachFileAsHandedInAndStopsOnlyTheTraceAtTheRunsLimit) {
    WorkFolder parent;
    Journal journal(parent.path().string(), kStartMs, {30, 300});
    EXPECT_EQ(Journal(parent.path().string(), kStartMs).folder(), journal.folder() + "-2");
    journal.append(JournalFile::Trace, std::string_view("8c70 : \0ef", 10));
    journal.appendRow(JournalFile::Vdsl, "Time,SNR\r\n", "t1,1.00\r\n");
    journal.appendRow(JournalFile::Ethernet, "Time,FCS\r\n", "t1,3\r\n");
    journal.writeFile("report-1.pdf", "%PDF-1.4 whole");
    journal.append(JournalFile::Trace, std::string(250, 'x'));
    journal.append(JournalFile::Trace, "after the limit");
    journal.appendRow(JournalFile::Vdsl, "Time,SNR\r\n", "t2,\r\n");
    journal.flush();
    const fs::path folder = journal.folder();
    EXPECT_TRUE(folder.filename().string().starts_with("2030-"));
    EXPECT_EQ(entriesOf(folder), (Names{"ethernet.csv", "report-1.pdf", "trace.txt", "vdsl.csv"}));
    EXPECT_EQ(readFile(folder / "trace.txt"), std::string("8c70 : \0ef", 10) +
                                                  "\r\n[The journal stops this trace here: the run "
                                                  "has reached the journal's limit of 300 bytes. "
                                                  "The CSV files go on.]\r\n");
    EXPECT_EQ(readFile(folder / "vdsl.csv"), "Time,SNR\r\nt1,1.00\r\nt2,\r\n");
    EXPECT_EQ(readFile(folder / "ethernet.csv"), "Time,FCS\r\nt1,3\r\n");
    EXPECT_EQ(readFile(folder / "report-1.pdf"), "%PDF-1.4 whole");
}

// A line of data/journal_retention.txt.
using RetentionCase = testdata::Row;

class JournalRetention : public ::testing::TestWithParam<RetentionCase> {};

TEST_P(JournalRetention, RemovesTheOldestRunsBeyondTheLimitsNeverTheCurrent) {
    WorkFolder parent;
    for (const std::string& run : testdata::split(GetParam()[1], ", ")) {
        const std::string name = run.substr(0, run.find(' '));
        fs::create_directory(parent.path() / name);
        parent.write(name + "/trace.txt", std::string(std::stoul(run.substr(name.size())), 't'));
    }
    const testdata::Row limits = testdata::split(GetParam()[2], " ");
    Journal journal(parent.path().string(), kStartMs,
                    {std::stoul(limits[0]), std::stoull(limits[1])});
    journal.flush();
    Names kept = entriesOf(parent.path());
    EXPECT_EQ(std::erase(kept, fs::path(journal.folder()).filename().string()), 1u);
    EXPECT_EQ(kept, testdata::split(GetParam()[3], ", "));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, JournalRetention,
    ::testing::ValuesIn(testdata::rows(QUILLON_PLATFORM_DATA "/journal_retention.txt")),
    [](const ::testing::TestParamInfo<RetentionCase>& test) { return test.param[0]; });

// A folder named instead: the end-to-end test of start-up.
TEST(Journal, OffMakesNothing) {
    ::testing::internal::CaptureStderr(); // the test main turned it off
    EXPECT_EQ(platform::startRunJournal(kStartMs), nullptr);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

// A folder removed while the run goes on: one warning, and the journal takes nothing more.
TEST(Journal, FolderRemovedWhileRunningWarnsOnceAndStops) {
    WorkFolder parent;
    Journal journal(parent.path().string(), kStartMs);
    journal.append(JournalFile::Trace, "before");
    journal.flush();
    fs::remove_all(journal.folder());
    ::testing::internal::CaptureStderr();
    journal.flush();
    journal.append(JournalFile::Trace, "after");
    journal.flush();
    EXPECT_FALSE(journal.active());
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "journal: cannot write to " + journal.folder() +
                  " (No such file or directory); no more is kept there this run\n");
}

// The children of the death tests end with 0 when the journal gave up as it should.
[[noreturn]] void journalUnderReadOnlyParent(const fs::path& parent) {
    // Permissions do not hold for root: the child gives that up before it tries.
    if (::geteuid() == 0 && ::setuid(65534) != 0)
        std::_Exit(3);
    std::_Exit(Journal(parent.string(), kStartMs).active() ? 1 : 0);
}

[[noreturn]] void journalOnAFillingDisk(const fs::path& parent) {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{1000, 1000};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    Journal journal(parent.string(), kStartMs);
    for (int row = 0; row < 100; ++row) {
        journal.appendRow(JournalFile::Vdsl, "Time,SNR\r\n",
                          "2026-03-01T09:00:04.000+01:00," + std::to_string(row) + "\r\n");
        if (row % 7 == 0) // batches of several rows as well as single ones
            journal.flush();
    }
    journal.flush();
    std::_Exit(journal.active() ? 1 : 0);
}

TEST(JournalDeathTest, ReadOnlyParentWarnsAndTheRunGoesOnWithoutIt) {
    WorkFolder work;
    const fs::path readOnly = work.path() / "read-only";
    fs::create_directory(readOnly);
    fs::permissions(work.path(), fs::perms::others_exec, fs::perm_options::add);
    fs::permissions(readOnly, fs::perms::owner_write, fs::perm_options::remove);
    EXPECT_EXIT(journalUnderReadOnlyParent(readOnly / "journal"), ::testing::ExitedWithCode(0),
                "journal: cannot make a folder in .*/read-only/journal \\(Permission denied\\)");
}

// A disk that fills (a file size limit): the rows that fit are whole, then one warning.
TEST(JournalDeathTest, FullDiskKeepsWholeRowsAndWarnsOnce) {
    WorkFolder parent;
    EXPECT_EXIT(journalOnAFillingDisk(parent.path()), ::testing::ExitedWithCode(0),
                "cannot write to .* \\(File too large\\)");
    const Names runs = entriesOf(parent.path());
    ASSERT_EQ(runs.size(), 1u);
    const std::string rows = readFile(parent.path() / runs[0] / "vdsl.csv");
    EXPECT_GT(rows.size(), 100u);
    EXPECT_LE(rows.size(), 1000u);
    EXPECT_TRUE(rows.ends_with("\r\n")) << rows;
}

} // namespace
