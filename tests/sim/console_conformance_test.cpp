// The simulated console driven through the program's own console link: the corrected-error
// counter counts since its previous read, which the line history's rate rests on. (The rest of
// the console, every test of the program against the pair relies on.)
#include "support/sim_fixture.h"

#include <gtest/gtest.h>

namespace simtest {
namespace {

using Conformance = SimFixture;

TEST_F(Conformance, CorrectedErrorsCountOnlySinceThePreviousRead) {
    makePair({.override = [](std::uint8_t, std::uint8_t) {
        return std::optional(sim::LinkQuality::marginal(20.0, 10.0));
    }});
    readBytes("8C91", 4); // whatever was there at power-up
    wait(4000);
    EXPECT_NEAR(static_cast<double>(readBytes("8C91", 4)), 40.0, 1.0);
    EXPECT_LE(readBytes("8C91", 4), 1);
    wait(2000);
    EXPECT_NEAR(static_cast<double>(readBytes("8C91", 4)), 20.0, 1.0);
}

} // namespace
} // namespace simtest
