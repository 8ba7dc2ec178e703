#include "link/console_link.h"
#include "link/console_state.h"
#include "platform/port_open.h"
#include "support/platform_fixture.h"
#include "support/scripted_port.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

namespace {

using testsupport::exitStatusOf;
using testsupport::ScriptedPort;

constexpr const char* kCommunicationError = "\r\ncommunication error\r\n";
constexpr const char* kTimeoutError = "\r\ncommunication timeout error\r\n";
constexpr const char* kSendCommandFailed = "\r\nSendCommand failed\r\n";
constexpr const char* kSendWriteFailed = "\r\nSendWriteCommand failed\r\n";

class ConsoleLinkTest : public testsupport::PlatformFixture {
protected:
    void SetUp() override {
        PlatformFixture::SetUp();
        g_portHandle = port_.handle();
    }
    ScriptedPort port_{clock_};
    CConsoleLink link_;
    char buffer_[CConsoleLink::kBufferSize] = {};
};

TEST_F(ConsoleLinkTest, EchoesRepliesAndWhatIsLeftAfterThePrompt) {
    port_.queue("RD 8C70\r"); // any byte counts as the echo, and is traced as received
    EXPECT_EQ(link_.SendCommand("rd 8c70\n"), 1);
    EXPECT_EQ(link_.SendCommand(""), 1);
    port_.queue("\r\n8c70 : 10\r\nL>\r\nR>"); // a reply ends at its first prompt
    ASSERT_EQ(link_.ReadResult(buffer_), 1);
    EXPECT_STREQ(buffer_, "\r\n8c70 : 10\r\nL>");
    port_.setEcho(true); // the answer to a command sent without reading it is the next "echo"
    EXPECT_EQ(link_.SendWriteCommand("or 8c00 04\n"), 1);
    port_.setEcho(false);
    EXPECT_EQ(link_.SendCommand("abcd"), 1);
    EXPECT_EQ(port_.written(), "rd 8c70\nor 8c00 04\nabcd");
    EXPECT_EQ(trace_, "RD 8C70\ror 8c00 04\n\r\nR>"); // ReadResult's callers trace the reply
}

// The time-out holds for each byte (multiplier plus constant), not for the whole reply.
TEST_F(ConsoleLinkTest, OnlyAGapLongerThanTheReadTimeoutFailsAReply) {
    port_.queue("ab");
    port_.queue(">", 4010);
    EXPECT_EQ(link_.ReadResult(buffer_), 1);
    port_.queue("ab");
    port_.queue(">", 4011);
    EXPECT_EQ(link_.ReadResult(buffer_), 0);
    EXPECT_EQ(trace_, kTimeoutError);
}

TEST_F(ConsoleLinkTest, CommandsAndRepliesOver99CharactersDoNotFitTheBuffers) {
    port_.setEcho(true);
    g_fatalErrorsEnabled = 0;
    const std::string longest(99, 'w');
    EXPECT_EQ(link_.SendCommand(longest.c_str()), 1);
    EXPECT_EQ(link_.WriteCommand(std::string(100, 'w').c_str()), 0); // refused before sending
    EXPECT_EQ(trace_, longest + kSendWriteFailed);

    trace_.clear();
    port_.queue(std::string(98, 'x') + ">" + std::string(99, 'x') + "y>");
    ASSERT_EQ(link_.ReadResult(buffer_), 1);
    EXPECT_EQ(link_.ReadResult(buffer_), 0);
    EXPECT_EQ(buffer_, std::string(99, 'x'));
    EXPECT_EQ(trace_, kCommunicationError);
}

std::uint8_t outByte = 0;
std::uint32_t outWord = 0;

struct Operation {
    const char* name;
    const char* sendFailure;
    int failure;
    bool readsReply;
    int (*run)(CConsoleLink&);
};

const Operation kOperations[] = {
    {"ReadRegister", kSendCommandFailed, 0, true,
     [](auto& l) { return l.ReadRegister("8c70", outByte); }},
    {"ReadRegisterBytes", kSendCommandFailed, 0, true,
     [](auto& l) { return l.ReadRegisterBytes("8D1C", outWord, 2); }},
    {"WriteCommand", kSendWriteFailed, 0, true,
     [](auto& l) { return l.WriteCommand("wr 8d00 a6\n"); }},
    {"SendWriteCommand", kSendWriteFailed, 0, false,
     [](auto& l) { return l.SendWriteCommand("or 8c00 04\n"); }},
    {"QuerySide", kSendCommandFailed, -1, true, [](auto& l) { return l.QuerySide(); }}};

struct Fault {
    const char* name;
    bool writeFails;
    bool inReply; // the command is echoed and its reply fails
    bool hangUp;
    const char* line;
    bool fatal; // fatal errors on: each operation is run both ways, on a send and a reply failure
};

const Fault kFaults[] = {{"WriteFails", true, false, false, "", false},
                         {"HangUp", false, false, true, kCommunicationError, true},
                         {"Silence", false, false, false, kTimeoutError, false},
                         {"HangUpInReply", false, true, true, kCommunicationError, false},
                         {"SilenceInReply", false, true, false, kTimeoutError, true}};

class CommandFailureTest : public ConsoleLinkTest,
                           public ::testing::WithParamInterface<std::tuple<Operation, Fault>> {};

// The transport's line, then the operation's own; the process ends only with fatal errors on.
TEST_P(CommandFailureTest, TracesBothLinesAndEndsTheProcessOnlyWhenFatalErrorsAreOn) {
    const auto& [op, fault] = GetParam();
    g_fatalErrorsEnabled = fault.fatal ? 1 : 0;
    port_.setWriteFails(fault.writeFails);
    port_.setEcho(fault.inReply);
    port_.queue(fault.inReply ? "\r\n" : "");
    if (fault.hangUp)
        port_.queueFailure();
    int result = 2;
    const std::optional<int> status = exitStatusOf([&] { result = op.run(link_); });
    const bool fails = op.readsReply || !fault.inReply; // SendWriteCommand reads no reply
    const bool ends = fails && g_fatalErrorsEnabled == 1;
    std::string expected = fault.inReply ? port_.written() : ""; // the echo of the command
    if (fails)
        expected += std::string(fault.line) +
                    (fault.inReply ? "\r\nReadResult failed\r\n" : op.sendFailure);
    EXPECT_EQ(trace_, expected);
    EXPECT_EQ(status, ends ? std::optional(1) : std::nullopt);
    EXPECT_EQ(result, ends ? 2 : fails ? op.failure : 1);
    EXPECT_EQ(takeBoxes().size(), ends ? 1u : 0u);
}

std::string caseName(const ::testing::TestParamInfo<CommandFailureTest::ParamType>& info) {
    const auto& [op, fault] = info.param;
    return std::string(op.name) + "_" + fault.name + (fault.fatal ? "_Fatal" : "_Quiet");
}

INSTANTIATE_TEST_SUITE_P(Operations, CommandFailureTest,
                         ::testing::Combine(::testing::ValuesIn(kOperations),
                                            ::testing::ValuesIn(kFaults)),
                         caseName);

TEST_F(ConsoleLinkTest, SetReadTimeoutClosePortAndALineThatCouldNotBeSetUp) {
    ASSERT_TRUE(port_.setTimeouts({7, 10, 4000, 3, 5}));
    EXPECT_EQ(link_.SetReadTimeout(20000), 1);
    const platform::CommTimeouts t = port_.timeouts();
    EXPECT_EQ(std::tie(t.readInterval, t.readTotalMultiplier, t.readTotalConstant,
                       t.writeTotalMultiplier, t.writeTotalConstant),
              std::make_tuple(7u, 10u, 20000u, 3u, 5u));
    EXPECT_EQ(link_.ClosePort(), 1);
    EXPECT_EQ(link_.ClosePort(), 0);
    EXPECT_EQ(port_.traffic(), "[close]");
    EXPECT_EQ(link_.SendCommand("\n"), 0);
    EXPECT_EQ(link_.ReadResult(buffer_), 0);
    EXPECT_EQ(trace_, kCommunicationError);
    // A line that opened but could not be set up prints no system error (one that could not be
    // opened does: tests/hardening).
    platform::setPortOpener([](int) { return platform::OpenResult{nullptr, 0, true}; });
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(link_.OpenPort(), 0);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
}

TEST_F(ConsoleLinkTest, ReadsKeepTheLowByteOrQuietlyLeaveTheValueAlone) {
    port_.setEcho(true);
    port_.queue("\r\n: 1ff\r\nL>\r\n8C91 :\r\nL>\r\n: 34 12\r\nL>\r\n: 01 02\r\nL>");
    std::uint8_t byte = 0;
    std::uint32_t word = 0;
    EXPECT_EQ(link_.ReadRegister("8C91", byte), 1);
    EXPECT_EQ(link_.ReadRegister("8C91", byte), 0); // no value
    EXPECT_EQ(link_.ReadRegisterBytes("8C91", word, 2), 1);
    EXPECT_EQ(link_.ReadRegisterBytes("8C91", word, 3), 0); // a byte short
    EXPECT_EQ(link_.ReadRegisterBytes("8C91", word, 5), 0); // refused unsent
    EXPECT_EQ(byte, 0xFF);
    EXPECT_EQ(word, 0x1234u);
    EXPECT_EQ(trace_, "rd 8C91\n\r\n: 1ff\r\nL>rd 8C91\n\r\n8C91 :\r\nL>"
                      "rd 8C91, 2\n\r\n: 34 12\r\nL>rd 8C91, 3\n\r\n: 01 02\r\nL>");
}

TEST_F(ConsoleLinkTest, QuerySideClassifiesThePromptThatEndsTheReply) {
    port_.setEcho(true);
    for (const auto& [reply, side] :
         {std::pair("\r\nL>", 0), std::pair("\r\nR>", 1), std::pair("R L>", 0),
          std::pair("L R>", 1), std::pair(">", -1), std::pair("\r\nl>", -1)}) {
        trace_.clear();
        port_.queue(reply);
        EXPECT_EQ(link_.QuerySide(), side) << reply;
        EXPECT_EQ(trace_, std::string("\n") + reply);
    }
    // The prompt is looked for in the whole reply, past a NUL byte.
    port_.queue(std::string("\r\n\0R>", 5));
    EXPECT_EQ(link_.QuerySide(), 1);
}

// Plays the unit's console: echoes, answers a line with its prompt and Ctrl-E with two prompts
// (only a purge removes the second); a console whose remote unit answers switches L> and R>.
void playConsole(ScriptedPort& port, std::string prompt, bool switches) {
    port.setEcho(true);
    port.setWriteHook([&port, prompt, switches](std::uint8_t byte) mutable {
        if (byte == 0x05 && switches)
            prompt = prompt == "L>" ? "R>" : "L>";
        if (byte == 0x05 || byte == '\n')
            port.queue("\r\n" + prompt + (byte == 0x05 ? "\r\n" + prompt : ""));
    });
}

TEST_F(ConsoleLinkTest, SideSelectionSwitchesAtMostOnce) {
    const char* const switchAndQuery = "\n\x05[purge]\n\n";
    // The selection, the console's prompt, whether it can switch, the result, the traffic.
    const std::tuple<int (CConsoleLink::*)(), const char*, bool, int, const char*> cases[] = {
        {&CConsoleLink::SelectLocal, "L>", true, 1, "\n"},
        {&CConsoleLink::SelectLocal, "?>", false, 0, switchAndQuery},
        {&CConsoleLink::SelectRemote, "R>", true, 1, "\n"},
        {&CConsoleLink::SelectRemote, "L>", true, 1, switchAndQuery},
        {&CConsoleLink::SelectRemote, "L>", false, 0, switchAndQuery}, // remote unreachable
        {&CConsoleLink::SelectRemote, "?>", false, 0, "\n"},
        {&CConsoleLink::SelectLocal, "R>", true, 1, switchAndQuery}};
    for (const auto& [select, prompt, switches, result, traffic] : cases) {
        ScriptedPort port(clock_);
        g_portHandle = port.handle();
        trace_.clear();
        playConsole(port, prompt, switches);
        EXPECT_EQ((link_.*select)(), result) << prompt << switches;
        EXPECT_EQ(port.traffic(), traffic) << prompt << switches;
    }
    // The last case traces every echo and reply, but not the prompt the purge threw away.
    EXPECT_EQ(trace_, "\n\r\nR>\x05\r\nL>\n\r\nL>\n\r\nL>");
    trace_.clear();
    g_portHandle = port_.handle(); // a silent unit: both exchanges fail, the toggle still gives 1
    g_fatalErrorsEnabled = 0;
    EXPECT_EQ(link_.ToggleSide(), 1);
    EXPECT_EQ(port_.traffic(), "\x05[purge]\n");
    EXPECT_EQ(trace_,
              std::string(kTimeoutError) + kSendWriteFailed + kTimeoutError + kSendWriteFailed);
}

} // namespace
