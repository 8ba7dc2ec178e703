#include "link/console_link.h"
#include "link/console_state.h"
#include "platform/message_box.h"
#include "platform/port_open.h"
#include "platform/process_exit.h"
#include "platform/window_timers.h"
#include "support/platform_fixture.h"
#include "support/scripted_port.h"

#include <QWidget>
#include <functional>
#include <gtest/gtest.h>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace {

using testsupport::ScriptedPort;

constexpr const char* kCommunicationError = "\r\ncommunication error\r\n";
constexpr const char* kTimeoutError = "\r\ncommunication timeout error\r\n";
constexpr const char* kSendCommandFailed = "\r\nSendCommand failed\r\n";
constexpr const char* kSendWriteCommandFailed = "\r\nSendWriteCommand failed\r\n";
constexpr const char* kReadResultFailed = "\r\nReadResult failed\r\n";
constexpr const char* kFatalText =
    "Communication error:\nthe program will be closed\nVerify serial connection and restart the "
    "program";

// The exit status the call ended the process with, or -1 when it returned.
int exitStatusOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const platform::ProcessExit& exit) {
        return exit.status;
    }
    return -1;
}

class ConsoleLinkTest : public testsupport::PlatformFixture {
protected:
    void SetUp() override {
        PlatformFixture::SetUp();
        g_portHandle = port_.handle();
    }

    // Records every poll-timer kill, noting whether the fatal box was already up at the time.
    void recordTimerKills() {
        platform::setWindowTimerBackend({{}, [this](platform::WindowHandle window, unsigned id) {
                                             kills_.push_back({window, id});
                                             killedBeforeBox_ = boxes_.empty();
                                             return true;
                                         }});
    }

    ScriptedPort port_{clock_};
    CConsoleLink link_;
    std::vector<std::pair<platform::WindowHandle, unsigned>> kills_;
    bool killedBeforeBox_ = false;
};

// --- Bytes on the line ------------------------------------------------------------------------

TEST_F(ConsoleLinkTest, AcceptsAnyEchoAndTracesWhatTheUnitEchoed) {
    port_.queue("RD 8C70\r");
    EXPECT_EQ(link_.SendCommand("rd 8c70\n"), 1);
    EXPECT_EQ(port_.written(), "rd 8c70\n");
    EXPECT_EQ(trace_, "RD 8C70\r");
}

TEST_F(ConsoleLinkTest, EmptyCommandSendsNothingAndTracesEmptyText) {
    EXPECT_EQ(link_.SendCommand(""), 1);
    EXPECT_EQ(port_.written(), "");
    EXPECT_EQ(traceAppends_, 1);
    EXPECT_EQ(trace_, "");
}

TEST_F(ConsoleLinkTest, ReplyEndsAtFirstPromptAndTheRestWaitsForTheNextRead) {
    port_.queue("\r\n8c70 : 10\r\nL>\r\nR>");
    char buffer[CConsoleLink::kBufferSize];
    ASSERT_EQ(link_.ReadResult(buffer), 1);
    EXPECT_STREQ(buffer, "\r\n8c70 : 10\r\nL>");
    EXPECT_EQ(port_.pendingInput(), "\r\nR>");
    EXPECT_EQ(trace_, ""); // the callers trace replies
    ASSERT_EQ(link_.ReadResult(buffer), 1);
    EXPECT_STREQ(buffer, "\r\nR>");
}

TEST_F(ConsoleLinkTest, AnswerToSendWriteCommandIsReadAsTheNextEcho) {
    port_.setEcho(true);
    port_.setWriteHook([this](std::uint8_t byte) {
        if (byte == '\n')
            port_.queue("\r\nL>");
    });
    EXPECT_EQ(link_.SendWriteCommand("or 8c00 04\n"), 1);
    EXPECT_EQ(port_.pendingInput(), "\r\nL>");
    port_.setEcho(false);
    port_.setWriteHook({});
    EXPECT_EQ(link_.SendCommand("ab"), 1);
    EXPECT_EQ(trace_, "or 8c00 04\n\r\n");
}

struct GapCase {
    std::uint32_t readConstantMs;
    std::int64_t gapMs;
    bool inEcho; // the gap comes before an echo byte rather than a reply byte
    bool completes;
};

void PrintTo(const GapCase& c, std::ostream* os) {
    *os << "gap " << c.gapMs << " ms before " << (c.inEcho ? "an echo" : "a reply byte")
        << ", constant " << c.readConstantMs;
}

class ByteGapTest : public ConsoleLinkTest, public ::testing::WithParamInterface<GapCase> {};

// The time-out holds for each byte: a reply may take any time in all, but not one gap longer
// than the multiplier plus the constant.
TEST_P(ByteGapTest, FailsOnlyAGapLongerThanTheReadTimeout) {
    const GapCase& c = GetParam();
    ASSERT_EQ(link_.SetReadTimeout(c.readConstantMs), 1);
    port_.queue("ab");
    port_.queue(">", c.gapMs);
    int result = 0;
    if (c.inEcho) {
        result = link_.SendCommand("xyz");
    } else {
        char buffer[CConsoleLink::kBufferSize];
        result = link_.ReadResult(buffer);
        EXPECT_STREQ(buffer, c.completes ? "ab>" : "ab");
    }
    EXPECT_EQ(result, c.completes ? 1 : 0);
    EXPECT_EQ(trace_, c.completes ? (c.inEcho ? "ab>" : "") : kTimeoutError);
}

INSTANTIATE_TEST_SUITE_P(
    Gaps, ByteGapTest,
    ::testing::Values(GapCase{4000, 4000, false, true}, GapCase{4000, 4010, false, true},
                      GapCase{4000, 4011, false, false}, GapCase{4000, 60000, false, false},
                      GapCase{4000, 4011, true, false}, GapCase{20000, 20010, false, true},
                      GapCase{20000, 20011, false, false}));

TEST_F(ConsoleLinkTest, HangUpIsACommunicationError) {
    port_.queue("ab");
    port_.queueFailure();
    char buffer[CConsoleLink::kBufferSize];
    EXPECT_EQ(link_.ReadResult(buffer), 0);
    EXPECT_STREQ(buffer, "ab");
    EXPECT_EQ(trace_, kCommunicationError);
}

TEST_F(ConsoleLinkTest, RefusedWriteFailsTheCommandWithoutTrace) {
    port_.setWriteFails(true);
    EXPECT_EQ(link_.SendCommand("rd 8c70\n"), 0);
    EXPECT_EQ(trace_, "");
}

TEST_F(ConsoleLinkTest, CommandsWithoutOpenPortFail) {
    ASSERT_EQ(link_.ClosePort(), 1);
    char buffer[CConsoleLink::kBufferSize];
    EXPECT_EQ(link_.SendCommand("\n"), 0);
    EXPECT_EQ(trace_, "");
    EXPECT_EQ(link_.ReadResult(buffer), 0);
    EXPECT_EQ(trace_, kCommunicationError);
    EXPECT_EQ(link_.SetReadTimeout(20000), 0);
}

// --- Buffer limits ----------------------------------------------------------------------------

TEST_F(ConsoleLinkTest, CommandLongerThan99CharactersIsRefusedBeforeAnyByteGoesOut) {
    port_.setEcho(true);
    g_fatalErrorsEnabled = 0;
    const std::string longest(99, 'w');
    EXPECT_EQ(link_.SendCommand(longest.c_str()), 1);

    const std::string tooLong(100, 'w');
    EXPECT_EQ(link_.SendCommand(tooLong.c_str()), 0);
    EXPECT_EQ(link_.WriteCommand(tooLong.c_str()), 0);
    std::uint8_t value = 0x5A;
    EXPECT_EQ(link_.ReadRegister(std::string(96, 'c').c_str(), value), 0); // "rd " + 96 + "\n"
    EXPECT_EQ(port_.written(), longest);
    EXPECT_EQ(trace_, longest + kSendWriteCommandFailed + kSendCommandFailed);
}

TEST_F(ConsoleLinkTest, ReplyOf99CharactersFitsAndOneMoreIsACommunicationError) {
    char buffer[CConsoleLink::kBufferSize];
    const std::string fits = std::string(98, 'x') + ">";
    port_.queue(fits);
    ASSERT_EQ(link_.ReadResult(buffer), 1);
    EXPECT_EQ(buffer, fits);

    port_.queue(std::string(99, 'x') + "y>");
    EXPECT_EQ(link_.ReadResult(buffer), 0);
    EXPECT_EQ(buffer, std::string(99, 'x'));
    EXPECT_EQ(trace_, kCommunicationError);
}

// --- Failures of the command operations -------------------------------------------------------

struct Operation {
    const char* name;
    std::function<int(CConsoleLink&)> run;
    const char* command;
    const char* sendFailure;
    int failure;
    bool readsReply;
};

const std::vector<Operation>& operations() {
    static const std::vector<Operation> list = {
        {"ReadRegister",
         [](CConsoleLink& link) {
             std::uint8_t value = 0x5A;
             const int result = link.ReadRegister("8c70", value);
             EXPECT_EQ(value, 0x5A);
             return result;
         },
         "rd 8c70\n", kSendCommandFailed, 0, true},
        {"ReadRegisterBytes",
         [](CConsoleLink& link) {
             std::uint32_t value = 0xDEADBEEF;
             const int result = link.ReadRegisterBytes("8D1C", value, 2);
             EXPECT_EQ(value, 0xDEADBEEF);
             return result;
         },
         "rd 8D1C, 2\n", kSendCommandFailed, 0, true},
        {"WriteCommand", [](CConsoleLink& link) { return link.WriteCommand("wr 8d00 a6\n"); },
         "wr 8d00 a6\n", kSendWriteCommandFailed, 0, true},
        {"SendWriteCommand",
         [](CConsoleLink& link) { return link.SendWriteCommand("or 8c00 04\n"); }, "or 8c00 04\n",
         kSendWriteCommandFailed, 0, false},
        {"QuerySide", [](CConsoleLink& link) { return link.QuerySide(); }, "\n", kSendCommandFailed,
         -1, true},
    };
    return list;
}

struct Fault {
    const char* name;
    std::function<void(ScriptedPort&)> arrange;
    const char* transportLine;
    bool inReply; // the fault hits the reply rather than the command's echoes
};

const std::vector<Fault>& faults() {
    static const std::vector<Fault> list = {
        {"WriteRefused", [](ScriptedPort& port) { port.setWriteFails(true); }, "", false},
        {"EchoHangUp", [](ScriptedPort& port) { port.queueFailure(); }, kCommunicationError, false},
        {"EchoTimeout", [](ScriptedPort&) {}, kTimeoutError, false},
        {"ReplyHangUp",
         [](ScriptedPort& port) {
             port.setEcho(true);
             port.queue("\r\n");
             port.queueFailure();
         },
         kCommunicationError, true},
        {"ReplyTimeout",
         [](ScriptedPort& port) {
             port.setEcho(true);
             port.queue("\r\n");
         },
         kTimeoutError, true},
        {"ReplyOverflow",
         [](ScriptedPort& port) {
             port.setEcho(true);
             port.queue(std::string(120, 'x') + "L>");
         },
         kCommunicationError, true},
    };
    return list;
}

struct FailureCase {
    std::size_t operation;
    std::size_t fault;
};

std::vector<FailureCase> failureCases() {
    std::vector<FailureCase> cases;
    for (std::size_t o = 0; o < operations().size(); ++o)
        for (std::size_t f = 0; f < faults().size(); ++f)
            if (operations()[o].readsReply || !faults()[f].inReply)
                cases.push_back({o, f});
    return cases;
}

void PrintTo(const FailureCase& c, std::ostream* os) {
    *os << operations()[c.operation].name << " with " << faults()[c.fault].name;
}

class CommandFailureTest : public ConsoleLinkTest,
                           public ::testing::WithParamInterface<FailureCase> {
protected:
    const Operation& operation() const { return operations()[GetParam().operation]; }
    const Fault& fault() const { return faults()[GetParam().fault]; }

    // The transport's line, then the operation's own.
    std::string expectedTrace() const {
        if (!fault().inReply)
            return std::string(fault().transportLine) + operation().sendFailure;
        return std::string(operation().command) + fault().transportLine + kReadResultFailed;
    }
};

TEST_P(CommandFailureTest, WithFatalErrorsDisabledTracesAndReturnsTheFailure) {
    fault().arrange(port_);
    g_fatalErrorsEnabled = 0;
    EXPECT_EQ(operation().run(link_), operation().failure);
    EXPECT_EQ(trace_, expectedTrace());
    EXPECT_TRUE(boxes_.empty());
    EXPECT_FALSE(port_.closed());
    EXPECT_NE(g_portHandle, nullptr);
}

TEST_P(CommandFailureTest, WithFatalErrorsEnabledEndsTheProcess) {
    fault().arrange(port_);
    EXPECT_EQ(exitStatusOf([this] { operation().run(link_); }), 1);
    EXPECT_EQ(trace_, expectedTrace());
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, kFatalText);
    EXPECT_TRUE(port_.closed());
    EXPECT_EQ(g_portHandle, nullptr);
}

INSTANTIATE_TEST_SUITE_P(Operations, CommandFailureTest, ::testing::ValuesIn(failureCases()),
                         [](const ::testing::TestParamInfo<FailureCase>& param) {
                             return std::string(operations()[param.param.operation].name) + "_" +
                                    faults()[param.param.fault].name;
                         });

// --- Fatal error path -------------------------------------------------------------------------

TEST_F(ConsoleLinkTest, FatalErrorKillsTheOwnersTimerShowsTheBoxClosesThePortAndExits) {
    QWidget mainWindow;
    QWidget page;
    platform::setMainWindow(&mainWindow);
    recordTimerKills();
    g_pollTimerId = 64;
    CConsoleLink owned(&page);

    EXPECT_EQ(exitStatusOf([&] { owned.FatalError(); }), 1);
    EXPECT_EQ(kills_, (std::vector<std::pair<platform::WindowHandle, unsigned>>{{&page, 64u}}));
    EXPECT_TRUE(killedBeforeBox_);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].owner, &mainWindow);
    EXPECT_EQ(boxes_[0].text, kFatalText);
    EXPECT_EQ(boxes_[0].caption, "Fatal Error");
    EXPECT_EQ(port_.traffic(), "[close]");
    EXPECT_EQ(g_portHandle, nullptr);
}

TEST_F(ConsoleLinkTest, FatalErrorOfALinkWithoutOwnerKillsNoTimer) {
    recordTimerKills();
    g_pollTimerId = 64;
    EXPECT_EQ(exitStatusOf([this] { link_.FatalError(); }), 1);
    EXPECT_TRUE(kills_.empty());
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].owner, nullptr); // no main window yet
    EXPECT_TRUE(port_.closed());
}

TEST_F(ConsoleLinkTest, FatalErrorWhileDisabledDoesNothing) {
    QWidget page;
    recordTimerKills();
    g_fatalErrorsEnabled = 0;
    CConsoleLink owned(&page);
    EXPECT_EQ(exitStatusOf([&] { owned.FatalError(); }), -1);
    EXPECT_TRUE(kills_.empty());
    EXPECT_TRUE(boxes_.empty());
    EXPECT_EQ(trace_, "");
    EXPECT_EQ(port_.traffic(), "");
    EXPECT_NE(g_portHandle, nullptr);
}

TEST_F(ConsoleLinkTest, CloseAndExitClosesThePortAndExitsWithStatus1) {
    EXPECT_EQ(exitStatusOf([this] { link_.CloseAndExit(); }), 1);
    EXPECT_TRUE(boxes_.empty());
    EXPECT_TRUE(port_.closed());
    EXPECT_EQ(g_portHandle, nullptr);
}

// --- Port management --------------------------------------------------------------------------

TEST_F(ConsoleLinkTest, ClosePortClosesOnceThenReportsNothingOpen) {
    EXPECT_EQ(link_.ClosePort(), 1);
    EXPECT_EQ(link_.ClosePort(), 0);
    EXPECT_EQ(port_.traffic(), "[close]");
    EXPECT_EQ(g_portHandle, nullptr);
}

TEST_F(ConsoleLinkTest, SetReadTimeoutChangesOnlyTheReadConstant) {
    ASSERT_TRUE(port_.setTimeouts({7, 10, 4000, 3, 5}));
    EXPECT_EQ(link_.SetReadTimeout(20000), 1);
    const platform::CommTimeouts t = port_.timeouts();
    EXPECT_EQ(t.readInterval, 7u);
    EXPECT_EQ(t.readTotalMultiplier, 10u);
    EXPECT_EQ(t.readTotalConstant, 20000u);
    EXPECT_EQ(t.writeTotalMultiplier, 3u);
    EXPECT_EQ(t.writeTotalConstant, 5u);
}

TEST_F(ConsoleLinkTest, OpenPortOpensThePortNumberAndKeepsTheHandle) {
    ASSERT_EQ(link_.ClosePort(), 1);
    ScriptedPort opened(clock_);
    int requested = 0;
    platform::setPortOpener([&](int portNumber) {
        requested = portNumber;
        return platform::OpenResult{opened.handle(), 0, false};
    });
    g_portNumber = 2;
    EXPECT_EQ(link_.OpenPort(), 1);
    EXPECT_EQ(requested, 2);
    ASSERT_NE(g_portHandle, nullptr);
    opened.queue("k");
    EXPECT_EQ(g_portHandle->readByte().byte, 'k');
    g_portHandle.reset();
}

struct OpenFailureCase {
    long errorCode;
    bool failedAfterOpen;
    const char* printed;
};

void PrintTo(const OpenFailureCase& c, std::ostream* os) {
    *os << "error " << c.errorCode << (c.failedAfterOpen ? " after open" : "");
}

class OpenPortFailureTest : public ConsoleLinkTest,
                            public ::testing::WithParamInterface<OpenFailureCase> {};

TEST_P(OpenPortFailureTest, PrintsTheSystemErrorOnlyWhenTheOpenItselfFailed) {
    ASSERT_EQ(link_.ClosePort(), 1);
    const OpenFailureCase c = GetParam();
    platform::setPortOpener([c](int) {
        return platform::OpenResult{nullptr, c.errorCode, c.failedAfterOpen};
    });
    ::testing::internal::CaptureStdout();
    const int result = link_.OpenPort();
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), c.printed);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(g_portHandle, nullptr);
    EXPECT_EQ(trace_, "");
}

INSTANTIATE_TEST_SUITE_P(Results, OpenPortFailureTest,
                         ::testing::Values(OpenFailureCase{2, false, "ERRORE n.: 2\n"},
                                           OpenFailureCase{5, false, "ERRORE n.: 5\n"},
                                           OpenFailureCase{0, true, ""}));

// --- Registers --------------------------------------------------------------------------------

struct RegisterCase {
    const char* reg;
    const char* reply;
    int result;
    std::uint8_t value; // 0x5A: left unchanged
};

void PrintTo(const RegisterCase& c, std::ostream* os) {
    *os << ::testing::PrintToString(c.reply);
}

class ReadRegisterTest : public ConsoleLinkTest,
                         public ::testing::WithParamInterface<RegisterCase> {};

TEST_P(ReadRegisterTest, StoresTheLowByteOrLeavesTheValueAlone) {
    const RegisterCase& c = GetParam();
    port_.setEcho(true);
    port_.queue(c.reply);
    std::uint8_t value = 0x5A;
    EXPECT_EQ(link_.ReadRegister(c.reg, value), c.result);
    EXPECT_EQ(value, c.value);
    const std::string command = std::string("rd ") + c.reg + "\n";
    EXPECT_EQ(port_.written(), command);
    EXPECT_EQ(trace_, command + c.reply); // a reply without value adds nothing
    EXPECT_TRUE(boxes_.empty());
}

INSTANTIATE_TEST_SUITE_P(Replies, ReadRegisterTest,
                         ::testing::Values(RegisterCase{"8c70", "\r\n8c70 : 10\r\nL>", 1, 0x10},
                                           RegisterCase{"8C91", "\r\n: 1ff\r\nL>", 1, 0xFF},
                                           RegisterCase{"c255", "\r\n:12 34\r\nR>", 1, 0x34},
                                           RegisterCase{"8c70", "\r\n8c70 = 10\r\nL>", 0, 0x5A},
                                           RegisterCase{"8c70", "\r\n8c70 :\r\nL>", 0, 0x5A}));

struct BytesCase {
    int count;
    const char* reply;
    int result;
    std::uint32_t value; // 0xDEADBEEF: left unchanged
};

void PrintTo(const BytesCase& c, std::ostream* os) {
    *os << c.count << " bytes of " << ::testing::PrintToString(c.reply);
}

class ReadRegisterBytesTest : public ConsoleLinkTest,
                              public ::testing::WithParamInterface<BytesCase> {};

TEST_P(ReadRegisterBytesTest, AssemblesTheBytesFirstLeastSignificant) {
    const BytesCase& c = GetParam();
    port_.setEcho(true);
    port_.queue(c.reply);
    std::uint32_t value = 0xDEADBEEF;
    EXPECT_EQ(link_.ReadRegisterBytes("8d1c", value, c.count), c.result);
    EXPECT_EQ(value, c.value);
    EXPECT_EQ(port_.written(), "rd 8d1c, " + std::to_string(c.count) + "\n");
    EXPECT_TRUE(boxes_.empty());
}

INSTANTIATE_TEST_SUITE_P(Replies, ReadRegisterBytesTest,
                         ::testing::Values(BytesCase{2, "\r\n8d1c : 34 12\r\nL>", 1, 0x1234},
                                           BytesCase{4, "\r\n8d1c : 01 00 00 00\r\nL>", 1, 1},
                                           BytesCase{3, "\r\n8d1c : ff ff ff\r\nL>", 1, 0xFFFFFF},
                                           BytesCase{3, "\r\n8d1c : 01 02\r\nL>", 0, 0xDEADBEEF},
                                           BytesCase{2, "\r\nno value\r\nL>", 0, 0xDEADBEEF}));

TEST_F(ConsoleLinkTest, ReadRegisterBytesRejectsCountsOutside1To4WithoutSending) {
    port_.setEcho(true);
    std::uint32_t value = 7;
    for (const int count : {0, 5, -1}) {
        EXPECT_EQ(link_.ReadRegisterBytes("8d1c", value, count), 0) << count;
    }
    EXPECT_EQ(value, 7u);
    EXPECT_EQ(port_.written(), "");
    EXPECT_EQ(trace_, "");
    EXPECT_TRUE(boxes_.empty());
}

// --- Side selection ---------------------------------------------------------------------------

struct PromptCase {
    const char* reply;
    int side;
};

void PrintTo(const PromptCase& c, std::ostream* os) {
    *os << ::testing::PrintToString(c.reply);
}

class QuerySideTest : public ConsoleLinkTest, public ::testing::WithParamInterface<PromptCase> {};

TEST_P(QuerySideTest, ClassifiesThePromptAndSendsOneEmptyLine) {
    port_.setEcho(true);
    port_.queue(GetParam().reply);
    EXPECT_EQ(link_.QuerySide(), GetParam().side);
    EXPECT_EQ(port_.written(), "\n");
    EXPECT_EQ(trace_, std::string("\n") + GetParam().reply);
}

INSTANTIATE_TEST_SUITE_P(Prompts, QuerySideTest,
                         ::testing::Values(PromptCase{"\r\nL>", 0}, PromptCase{"\r\nR>", 1},
                                           PromptCase{"R L>", 0}, PromptCase{"L R>", 1},
                                           PromptCase{">", -1}, PromptCase{"\r\nX>", -1},
                                           PromptCase{"\r\nl>", -1}, PromptCase{"\r\n>", -1}));

enum class Console { Local, Remote, Unrecognised, RemoteUnreachable };

// Plays the unit's console: echoes every byte, answers a line with the prompt of the unit it
// addresses and switches units on Ctrl-E, after which it sends a second prompt that only a purge
// removes.
class FakeConsole {
public:
    FakeConsole(ScriptedPort& port, Console state) : port_(port) {
        remote_ = state == Console::Remote;
        garbled_ = state == Console::Unrecognised;
        stuck_ = state == Console::RemoteUnreachable;
        port.setEcho(true);
        port.setWriteHook([this](std::uint8_t byte) { onByte(byte); });
    }

private:
    void onByte(std::uint8_t byte) {
        if (byte == 0x05) {
            remote_ = stuck_ ? remote_ : !remote_;
            port_.queue("\r\n" + prompt() + "\r\n" + prompt());
        } else if (byte == '\n') {
            port_.queue("\r\n" + prompt());
        }
    }
    std::string prompt() const { return garbled_ ? "?>" : remote_ ? "R>" : "L>"; }

    ScriptedPort& port_;
    bool remote_ = false;
    bool garbled_ = false;
    bool stuck_ = false;
};

struct SelectionCase {
    const char* name;
    int (CConsoleLink::*select)();
    Console start;
    int result;
    const char* traffic;
};

void PrintTo(const SelectionCase& c, std::ostream* os) {
    *os << c.name;
}

class SideSelectionTest : public ConsoleLinkTest,
                          public ::testing::WithParamInterface<SelectionCase> {};

TEST_P(SideSelectionTest, SwitchesAtMostOnce) {
    const SelectionCase& c = GetParam();
    FakeConsole console(port_, c.start);
    EXPECT_EQ((link_.*c.select)(), c.result);
    EXPECT_EQ(port_.traffic(), c.traffic);
    EXPECT_TRUE(boxes_.empty());
}

const char* const kSwitchAndQuery = "\n\x05[purge]\n\n";

INSTANTIATE_TEST_SUITE_P(
    Consoles, SideSelectionTest,
    ::testing::Values(
        SelectionCase{"LocalFromLocal", &CConsoleLink::SelectLocal, Console::Local, 1, "\n"},
        SelectionCase{"LocalFromRemote", &CConsoleLink::SelectLocal, Console::Remote, 1,
                      kSwitchAndQuery},
        SelectionCase{"LocalFromUnrecognised", &CConsoleLink::SelectLocal, Console::Unrecognised, 0,
                      kSwitchAndQuery},
        SelectionCase{"RemoteFromRemote", &CConsoleLink::SelectRemote, Console::Remote, 1, "\n"},
        SelectionCase{"RemoteFromLocal", &CConsoleLink::SelectRemote, Console::Local, 1,
                      kSwitchAndQuery},
        SelectionCase{"RemoteUnreachable", &CConsoleLink::SelectRemote, Console::RemoteUnreachable,
                      0, kSwitchAndQuery},
        SelectionCase{"RemoteFromUnrecognised", &CConsoleLink::SelectRemote, Console::Unrecognised,
                      0, "\n"},
        SelectionCase{"ToggleFromLocal", &CConsoleLink::ToggleSide, Console::Local, 1,
                      "\x05[purge]\n"},
        SelectionCase{"ToggleFromRemote", &CConsoleLink::ToggleSide, Console::Remote, 1,
                      "\x05[purge]\n"},
        SelectionCase{"ToggleFromUnrecognised", &CConsoleLink::ToggleSide, Console::Unrecognised, 1,
                      "\x05[purge]\n"}),
    [](const ::testing::TestParamInfo<SelectionCase>& param) { return param.param.name; });

TEST_F(ConsoleLinkTest, SelectLocalFromRemoteTracesEveryEchoAndReplyButNotThePurgedPrompt) {
    FakeConsole console(port_, Console::Remote);
    ASSERT_EQ(link_.SelectLocal(), 1);
    EXPECT_EQ(trace_, "\n\r\nR>"
                      "\x05\r\nL>"
                      "\n\r\nL>"
                      "\n\r\nL>");
}

TEST_F(ConsoleLinkTest, ToggleSideReturns1EvenWhenBothExchangesFailed) {
    g_fatalErrorsEnabled = 0;
    EXPECT_EQ(link_.ToggleSide(), 1);
    EXPECT_EQ(port_.traffic(), "\x05[purge]\n");
    EXPECT_EQ(trace_, std::string(kTimeoutError) + kSendWriteCommandFailed + kTimeoutError +
                          kSendWriteCommandFailed);
}

} // namespace
