// A configurator killed (SIGKILL) in the middle of polling: the journal it leaves parses, row by
// row, and holds the rows of the polls that ended before the kill.
#include "platform/journal.h"
#include "platform/trace.h"
#include "status_sheet.h"
#include "support/work_folder.h"

#include <algorithm>
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using monitortest::StatusSheet;
namespace fs = std::filesystem;

constexpr int kPollsBeforeKill = 20;

// The number of rows of a CSV file whose every line is whole, with the header's field count.
std::size_t wholeRows(const fs::path& file) {
    const std::string text = testsupport::readFile(file);
    EXPECT_TRUE(text.ends_with("\r\n")) << "a line cut short";
    const auto fields = std::count(text.begin(), text.begin() + text.find("\r\n"), ',') + 1;
    std::size_t rows = 0;
    for (std::size_t begin = 0, end = 0; (end = text.find("\r\n", begin)) != std::string::npos;
         begin = end + 2, ++rows)
        EXPECT_EQ(std::count(text.begin() + begin, text.begin() + end, ',') + 1, fields) << rows;
    return rows;
}

using JournalKilledMidPolling = StatusSheet;

TEST_F(JournalKilledMidPolling, FilesParseAndHoldTheRowsOfThePollsBeforeTheKill) {
    testsupport::WorkFolder parent;
    int polled[2];
    ASSERT_EQ(::pipe(polled), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) { // polls both pages until killed; a byte per poll that is 20 ms old
        ::close(polled[0]);
        platform::Journal journal(parent.path().string(), platform::wallTimeMs());
        platform::seams().journal = &journal;
        platform::setTraceSink( // as the trace window does
            [&journal](std::string_view text) {
                journal.append(platform::JournalFile::Trace, text);
            });
        showTab(kVdslTab);
        for (;;) {
            clock_.advance(4000);
            vdsl_->onWindowTimer(64);
            enet_->RefreshCounters();
            ::usleep(20000);
            if (::write(polled[1], "p", 1) != 1)
                std::_Exit(1);
        }
    }
    ::close(polled[1]);
    char byte = 0;
    int polls = 0;
    while (polls < kPollsBeforeKill && ::read(polled[0], &byte, 1) == 1)
        ++polls;
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    ::close(polled[0]);
    ASSERT_EQ(polls, kPollsBeforeKill) << "the child ended by itself";
    ASSERT_TRUE(WIFSIGNALED(status));

    const fs::path run = fs::directory_iterator(parent.path())->path();
    // The header, the first poll when the page was shown, then one for each tick.
    EXPECT_GE(wholeRows(run / "vdsl.csv"), 2u + kPollsBeforeKill);
    EXPECT_GE(wholeRows(run / "ethernet.csv"), 1u + kPollsBeforeKill);
    int linkFailReads = 0;
    const std::string trace = testsupport::readFile(run / "trace.txt");
    for (std::size_t at = 0; (at = trace.find("rd 8D38\n", at)) != std::string::npos; ++at)
        ++linkFailReads;
    EXPECT_GE(linkFailReads, 1 + kPollsBeforeKill);
}

} // namespace
