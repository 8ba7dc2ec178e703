#include "support/sim_fixture.h"

#include "link/console_state.h"

namespace simtest {

void SimFixture::SetUp() {
    PlatformFixture::SetUp();
    makePair();
}

void SimFixture::TearDown() {
    g_portHandle.reset();
    port_ = nullptr;
    pair_.reset();
    PlatformFixture::TearDown();
}

void SimFixture::makePair(sim::LineConfig line, sim::PairOptions options) {
    g_portHandle.reset();
    pair_ = std::make_unique<sim::UnitPair>(clock_, std::move(line), options);
    auto port = std::make_unique<sim::SimulatedPort>(*pair_, clock_);
    port_ = port.get();
    g_portHandle = std::move(port);
}

int SimFixture::readByte(const char* reg) {
    std::uint8_t value = 0;
    return link_.ReadRegister(reg, value) == 1 ? value : -1;
}

std::int64_t SimFixture::readBytes(const char* reg, int count) {
    std::uint32_t value = 0;
    return link_.ReadRegisterBytes(reg, value, count) == 1 ? std::int64_t{value} : -1;
}

std::string SimFixture::exchange(const std::string& command) {
    char buffer[CConsoleLink::kBufferSize];
    if (link_.SendCommand(command.c_str()) != 1)
        return "<send failed>";
    if (link_.ReadResult(buffer) != 1)
        return std::string("<read failed>") + buffer;
    return buffer;
}

} // namespace simtest
