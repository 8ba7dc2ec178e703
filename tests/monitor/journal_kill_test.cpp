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

// The file's lines, each of which must end in CRLF and have as many fields as the header.
std::vector<std::string> csvLines(const fs::path& file, std::size_t fields) {
    const std::string text = testsupport::readFile(file);
    std::vector<std::string> lines;
    for (std::size_t begin = 0; begin < text.size();) {
        const std::size_t end = text.find("\r\n", begin);
        EXPECT_NE(end, std::string::npos) << "a line cut short: " << text.substr(begin);
        if (end == std::string::npos)
            break;
        lines.push_back(text.substr(begin, end - begin));
        EXPECT_EQ(std::count(lines.back().begin(), lines.back().end(), ',') + 1u, fields)
            << lines.back();
        begin = end + 2;
    }
    return lines;
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
    for (int poll = 0; poll < kPollsBeforeKill; ++poll)
        ASSERT_EQ(::read(polled[0], &byte, 1), 1) << "the child ended after " << poll << " polls";
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    ::close(polled[0]);
    ASSERT_TRUE(WIFSIGNALED(status));

    const fs::path run = fs::directory_iterator(parent.path())->path();
    // The first poll, when the page was shown, and one for each tick.
    EXPECT_GE(csvLines(run / "vdsl.csv", 21).size(), 1u + 1 + kPollsBeforeKill);
    EXPECT_GE(csvLines(run / "ethernet.csv", 32).size(), 1u + kPollsBeforeKill);
    std::string trace = testsupport::readFile(run / "trace.txt");
    int linkFailReads = 0;
    for (std::size_t at = 0; (at = trace.find("rd 8D38\n", at)) != std::string::npos; ++at)
        ++linkFailReads;
    EXPECT_GE(linkFailReads, 1 + kPollsBeforeKill);
}

} // namespace
