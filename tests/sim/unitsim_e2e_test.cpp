// quillon-unitsim as a child process, reached over a real pseudo-terminal through the POSIX
// transport and the program's console link.
#include "link/console_link.h"
#include "link/console_state.h"
#include "platform/serial_port_posix.h"
#include "support/platform_fixture.h"
#include "support/unitsim_process.h"

#include <gtest/gtest.h>
#include <memory>

namespace {

class UnitsimE2e : public testsupport::PlatformFixture {
protected:
    void start(const std::vector<std::string>& args) {
        process_ = std::make_unique<testsupport::UnitsimProcess>(QUILLON_UNITSIM_PATH, args);
        ASSERT_TRUE(process_->ready()) << process_->output();
        platform::OpenResult opened = platform::openPosixSerialPort(process_->devicePath());
        ASSERT_TRUE(opened.port) << "error " << opened.errorCode;
        g_portHandle = std::move(opened.port);
    }
    void TearDown() override {
        g_portHandle.reset();
        process_.reset();
        PlatformFixture::TearDown();
    }

    std::unique_ptr<testsupport::UnitsimProcess> process_;
    CConsoleLink link_;
};

TEST_F(UnitsimE2e, SelectLocalAndIdentityWithThePUnitCabled) {
    start({});
    EXPECT_EQ(link_.SelectLocal(), 1);
    std::uint8_t identity = 0;
    ASSERT_EQ(link_.ReadRegister("8c70", identity), 1);
    EXPECT_EQ(identity & 0x10, 0);
    EXPECT_EQ(link_.SelectRemote(), 1);
    ASSERT_EQ(link_.ReadRegister("8c70", identity), 1);
    EXPECT_EQ(identity & 0x10, 0x10);
    EXPECT_NE(trace_.find("\r\n8c70 : 02\r\nL>"), std::string::npos) << trace_;
    const std::string log = process_->log();
    EXPECT_NE(log.find(" P rd 8c70\n"), std::string::npos) << log;
    EXPECT_NE(log.find(" P <05>\n"), std::string::npos) << log;
    EXPECT_NE(log.find(" S rd 8c70\n"), std::string::npos) << log;
}

TEST_F(UnitsimE2e, SelectLocalAndIdentityWithTheSUnitCabled) {
    start({"--attached", "s"});
    EXPECT_EQ(link_.SelectLocal(), 1);
    std::uint8_t identity = 0;
    ASSERT_EQ(link_.ReadRegister("8c70", identity), 1);
    EXPECT_EQ(identity, 0x12);
}

TEST_F(UnitsimE2e, HangUpFailsTheReadWithACommunicationError) {
    start({"--fault", "hangup@2"});
    g_fatalErrorsEnabled = 0;
    EXPECT_EQ(link_.SelectLocal(), 1);
    std::uint8_t identity = 0xee;
    EXPECT_EQ(link_.ReadRegister("8c70", identity), 0);
    EXPECT_EQ(identity, 0xee);
    EXPECT_NE(trace_.find("\r\ncommunication error\r\n\r\nSendCommand failed\r\n"),
              std::string::npos)
        << trace_;
    EXPECT_TRUE(process_->waitForExit(5000));
}

} // namespace
