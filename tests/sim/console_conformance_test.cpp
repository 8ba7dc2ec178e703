#include "sim_fixture.h"

#include <gtest/gtest.h>

namespace simtest {
namespace {

using ConsoleConformance = SimFixture;

TEST_F(ConsoleConformance, SelectsEitherUnitAndReadsItsIdentity) {
    EXPECT_EQ(link_.SelectLocal(), 1);
    EXPECT_EQ(readByte("8c70"), 0x02);
    EXPECT_EQ(link_.SelectRemote(), 1);
    EXPECT_EQ(readByte("8c70"), 0x12);
    EXPECT_EQ(pair_->addressedUnit(), sim::Side::S);
}

} // namespace
} // namespace simtest
