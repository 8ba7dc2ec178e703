// Each console fault drives the link layer down its failure path.
#include "link/console_state.h"
#include "support/sim_fixture.h"

#include <functional>
#include <gtest/gtest.h>

namespace simtest {
namespace {

using sim::Side;

constexpr const char* kTimeoutLine = "\r\ncommunication timeout error\r\n";
constexpr const char* kErrorLine = "\r\ncommunication error\r\n";

class FaultFixture : public SimFixture {
protected:
    void SetUp() override {
        SimFixture::SetUp();
        g_fatalErrorsEnabled = 0; // failures come back to the test instead of ending it
    }
    bool traced(const std::string& text) const { return trace_.find(text) != std::string::npos; }
};

struct ReadFaultCase {
    const char* name;
    std::function<void(sim::Faults&)> strike;
    int value; // of "rd 8c70", -1 when the read fails or holds no value
    std::vector<std::string> traceHas;
    std::vector<std::string> traceLacks;
};

class ReadUnderFault : public FaultFixture, public ::testing::WithParamInterface<ReadFaultCase> {};

TEST_P(ReadUnderFault, TakesTheLinkLayersPath) {
    const ReadFaultCase& c = GetParam();
    c.strike(pair_->faults());
    EXPECT_EQ(readByte("8c70"), c.value);
    for (const std::string& text : c.traceHas)
        EXPECT_TRUE(traced(text)) << text << " missing from " << trace_;
    for (const std::string& text : c.traceLacks)
        EXPECT_FALSE(traced(text)) << text << " found in " << trace_;
}

INSTANTIATE_TEST_SUITE_P(
    Faults, ReadUnderFault,
    ::testing::Values(ReadFaultCase{"Silent",
                                    [](sim::Faults& f) { f.silent = true; },
                                    -1,
                                    {std::string(kTimeoutLine) + "\r\nSendCommand failed\r\n"},
                                    {}},
                      ReadFaultCase{"NoEcho",
                                    [](sim::Faults& f) { f.noEcho = true; },
                                    -1,
                                    {std::string(kTimeoutLine) + "\r\nSendCommand failed\r\n"},
                                    {}},
                      ReadFaultCase{
                          "GapLongerThanTheTimeout",
                          [](sim::Faults& f) { f.replyGapMs = 4500; },
                          -1,
                          {"rd 8c70\n", std::string(kTimeoutLine) + "\r\nReadResult failed\r\n"},
                          {}},
                      ReadFaultCase{"GapShorterThanTheTimeout",
                                    [](sim::Faults& f) { f.replyGapMs = 3900; },
                                    0x02,
                                    {"\r\n8c70 : 02\r\nL>"},
                                    {"failed"}},
                      ReadFaultCase{"Garbage",
                                    [](sim::Faults& f) { f.garbage = true; },
                                    -1,
                                    {">"},
                                    {"failed", "communication"}},
                      ReadFaultCase{"ReplyOver99Characters",
                                    [](sim::Faults& f) { f.longReply = true; },
                                    -1,
                                    {std::string(kErrorLine) + "\r\nReadResult failed\r\n"},
                                    {}},
                      ReadFaultCase{"NoValueForThisRegister",
                                    [](sim::Faults& f) { f.noValueRegister = "8C70"; },
                                    -1,
                                    {"\r\n8c70 not available\r\nL>"},
                                    {"failed"}},
                      ReadFaultCase{"NoValueForAnotherRegister",
                                    [](sim::Faults& f) { f.noValueRegister = "8c71"; },
                                    0x02,
                                    {},
                                    {"failed"}},
                      ReadFaultCase{"WrongEcho",
                                    [](sim::Faults& f) { f.wrongEcho = '#'; },
                                    0x02,
                                    {"########\r\n8c70 : 02\r\nL>"},
                                    {"failed"}},
                      ReadFaultCase{"HangUp",
                                    [](sim::Faults& f) { f.hangUp = true; },
                                    -1,
                                    {"\r\nSendCommand failed\r\n"},
                                    {"communication"}}),
    [](const auto& param) { return std::string(param.param.name); });

TEST_F(FaultFixture, GarbageLeavesThePromptUnrecognised) {
    pair_->faults().garbage = true;
    EXPECT_EQ(link_.QuerySide(), -1);
    EXPECT_EQ(link_.SelectRemote(), 0);
}

TEST_F(FaultFixture, UnreachableRemoteUnitKeepsTheConsoleLocalWithTheLinkUp) {
    pair_->faults().remoteUnreachable = true;
    EXPECT_TRUE(pair_->linkUp());
    EXPECT_EQ(link_.SelectRemote(), 0);
    EXPECT_EQ(link_.QuerySide(), 0);
    EXPECT_TRUE(traced("\r\nremote unit unreachable\r\nL>"));
}

TEST_F(FaultFixture, HangUpAtTheSecondRateStartFailsItsEcho) {
    int starts = 0;
    pair_->onCommand([&](const sim::LoggedCommand& command) {
        if (command.text == "or 8c00 04" && ++starts == 2)
            pair_->faults().hangUp = true;
    });
    EXPECT_EQ(link_.SendWriteCommand("or 8c00 04\n"), 1);
    EXPECT_FALSE(traced(kErrorLine));
    EXPECT_EQ(link_.SendWriteCommand("or 8c00 04\n"), 0);
    EXPECT_TRUE(traced(std::string(kErrorLine) + "\r\nSendWriteCommand failed\r\n"));
    EXPECT_EQ(port_->readByte().status, platform::ReadStatus::Failure);
    EXPECT_FALSE(port_->writeByte('\n'));
}

TEST_F(FaultFixture, CableMovedWhileACommandArrivesLosesItsAnswer) {
    pair_->onCommand([&](const sim::LoggedCommand& command) {
        if (command.text == "rd 8c70" && pair_->attached() == Side::P)
            pair_->setAttached(Side::S);
    });
    EXPECT_EQ(readByte("8c70"), -1);
    EXPECT_TRUE(traced(std::string(kTimeoutLine) + "\r\nSendCommand failed\r\n"));
    EXPECT_EQ(readByte("8c70"), 0x12);
}

TEST_F(FaultFixture, LinkDropComesBackAfterTheLineReturns) {
    pair_->dropLink(5000);
    EXPECT_EQ(readByte("8c71"), 0x00);
    wait(4900);
    EXPECT_FALSE(pair_->linkUp());
    wait(3100);
    EXPECT_TRUE(pair_->linkUp());
    EXPECT_EQ(readByte("8c71"), 0xae);
    EXPECT_EQ(readByte("8D38"), 1);
}

TEST_F(FaultFixture, SilentUnitIgnoresWhatItReceives) {
    pair_->faults().silent = true;
    link_.WriteCommand("wr 9000 01\n");
    pair_->faults().silent = false;
    EXPECT_EQ(pair_->reg(Side::P, 0x9000), 0);
    EXPECT_TRUE(pair_->commandLog().empty());
}

TEST_F(FaultFixture, NoEchoStillCarriesOutTheCommand) {
    pair_->faults().noEcho = true;
    for (char c : std::string("wr 9000 01\n"))
        port_->writeByte(static_cast<std::uint8_t>(c));
    char reply[CConsoleLink::kBufferSize];
    ASSERT_EQ(link_.ReadResult(reply), 1);
    EXPECT_STREQ(reply, "\r\nL>");
    EXPECT_EQ(pair_->reg(Side::P, 0x9000), 1);
}

} // namespace
} // namespace simtest
