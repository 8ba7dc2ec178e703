#pragma once

#include "link/console_link.h"
#include "sim/simulated_port.h"
#include "sim/unit_pair.h"
#include "support/platform_fixture.h"

#include <cstdint>
#include <memory>
#include <string>

namespace simtest {

// A unit pair on the test's virtual clock, cabled to the program's one serial port, and a
// console link to drive it the way the program does.
class SimFixture : public testsupport::PlatformFixture {
protected:
    void SetUp() override;
    void TearDown() override;

    // Rebuilds the pair (and the port) with another line or options.
    void makePair(sim::LineConfig line = {}, sim::PairOptions options = {});

    // One register read through the link: the value, or -1 when the reply held no value.
    int readByte(const char* reg);
    std::int64_t readBytes(const char* reg, int count);
    // Sends a command and returns the reply as received (echo not included).
    std::string exchange(const std::string& command);
    // Lets virtual time pass.
    void wait(std::int64_t ms) { clock_.advance(ms); }

    std::unique_ptr<sim::UnitPair> pair_;
    sim::SimulatedPort* port_ = nullptr;
    CConsoleLink link_;
};

} // namespace simtest
