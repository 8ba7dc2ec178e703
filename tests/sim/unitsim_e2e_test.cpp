// quillon-unitsim as a child process, reached over a real pseudo-terminal through the POSIX
// transport and the program's console link.
#include "link/console_link.h"
#include "link/console_state.h"
#include "platform/serial_port_posix.h"
#include "support/platform_fixture.h"
#include "support/unitsim_process.h"

#include <gtest/gtest.h>

namespace {

using UnitsimE2e = testsupport::PlatformFixture;

TEST_F(UnitsimE2e, ConsoleReachesBothUnitsAndLogsEveryCommandWithItsUnit) {
    testsupport::UnitsimProcess process(QUILLON_UNITSIM_PATH, {});
    ASSERT_TRUE(process.ready()) << process.output();
    g_portHandle = platform::openPosixSerialPort(process.devicePath()).port;
    ASSERT_NE(g_portHandle, nullptr);
    CConsoleLink link;
    std::uint8_t p = 0;
    std::uint8_t s = 0;
    EXPECT_EQ(link.SelectLocal(), 1);
    ASSERT_EQ(link.ReadRegister("8c70", p), 1);
    EXPECT_EQ(link.SelectRemote(), 1);
    ASSERT_EQ(link.ReadRegister("8c70", s), 1);
    EXPECT_EQ(p * 0x100 + s, 0x0212); // the identities of the P and the S unit
    g_portHandle.reset();
    const std::string log = process.log();
    for (const char* line : {" P rd 8c70\n", " P <05>\n", " S rd 8c70\n"})
        EXPECT_NE(log.find(line), std::string::npos) << line << " not in " << log;
}

} // namespace
