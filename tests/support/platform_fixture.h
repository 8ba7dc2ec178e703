#pragma once

#include "platform/virtual_clock.h"
#include "platform/window.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace testsupport {

struct RecordedBox {
    platform::WindowHandle owner;
    std::string text;
    std::string caption;
};

// Replaces every seam of the platform layer for the length of a test: a virtual clock, a trace
// recorder, a message-box recorder and an exit that throws platform::ProcessExit. Restores the
// real ones and the initial console state afterwards.
class PlatformFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    platform::VirtualClock clock_;
    std::string trace_;
    std::vector<RecordedBox> boxes_;
};

} // namespace testsupport
