// The unit procedures of the console link on the simulated pair, the P unit cabled to the PC:
// the exact traffic from each side the console may start on, and the state they leave.

#include "link/console_state.h"
#include "support/command_log.h"
#include "support/data_rows.h"
#include "support/sim_fixture.h"

#include <gtest/gtest.h>
#include <map>
#include <optional>

namespace {

using sim::Side;
using testsupport::concat;
using testsupport::Lines;
using testsupport::receivedCommands;

const Lines kLocalToRemote{"P:", "P:<05>", "S:", "S:"};
const Lines kRemoteUnreachable{"P:", "P:<05>", "P:", "P:"};
// Bytes of a few commands at 9600 baud take well under this; a read time-out takes 4010 ms.
constexpr std::int64_t kTrafficBoundMs = 1000;

class UnitProceduresTest : public simtest::SimFixture {
protected:
    // Puts the console on the remote or local unit and forgets the traffic that took.
    void startOn(bool remote) {
        remote ? link_.SelectRemote() : link_.SelectLocal();
        pair_->clearCommandLog();
        trace_.clear();
        startNow_ = clock_.nowMs();
        startSlept_ = clock_.sleptMs();
    }
    std::int64_t startNow_ = 0, startSlept_ = 0;
};

// See data/unit_procedures.txt.
TEST_F(UnitProceduresTest, EachSendsItsSequenceAndLeavesUnitsAndConsoleAsSaid) {
    const std::map<std::string, int (CConsoleLink::*)(int)> procedures = {
        {"SetInstallMode", &CConsoleLink::SetInstallMode},
        {"SetNormalMode", &CConsoleLink::SetNormalMode},
        {"RestartUnit", &CConsoleLink::RestartUnit}};
    const std::vector<testdata::Row> cases =
        testdata::rows(QUILLON_LINK_DATA "/unit_procedures.txt");
    ASSERT_EQ(cases.size(), 11u);
    for (const testdata::Row& c : cases) {
        SCOPED_TRACE(c[0] + " " + c[1] + " from " + c[2]);
        // A P unit that boots within the normal read time-out, so its restart can be answered.
        makePair({}, sim::PairOptions{.bootMs = 3000, .sMode = 0x03});
        startOn(c[2] == "S");
        const bool unreachable = c[2] == "P!";
        pair_->faults().remoteUnreachable = unreachable;

        EXPECT_EQ((link_.*procedures.at(c[0]))(std::stoi(c[1])), unreachable ? 0 : 1);

        EXPECT_EQ(receivedCommands(*pair_), testdata::split(c[3], ", "));
        EXPECT_EQ(std::string(1, sim::sideLetter(pair_->addressedUnit())), c[4]);
        EXPECT_EQ(pair_->mode(Side::S), std::stoi(c[5], nullptr, 16));
        EXPECT_EQ(pair_->restartCount(Side::P), c[6] == "P" ? 1 : 0);
        EXPECT_EQ(pair_->restartCount(Side::S), c[6] == "S" ? 1 : 0);
        EXPECT_TRUE(c[6] == "P" || pair_->linkUp());
        // A mode change says in the trace which way LWD goes.
        const char* lwd = c[0] == "SetInstallMode" ? "\r\nEnabling LWD on S Side\r\n"
                                                   : "\r\nDisabling LWD on S Side\r\n";
        EXPECT_EQ(trace_.find(lwd) != std::string::npos, c[0] != "RestartUnit" && !unreachable);
        EXPECT_EQ(trace_.find("\r\nRemote unit not reachable\r\n") != std::string::npos,
                  unreachable);
        EXPECT_EQ(clock_.sleptMs() - startSlept_, c[6] == "S" ? 16000 : 0);
        const std::int64_t busyMs = c[6] == "S" ? 16000 : c[6] == "P" ? 3000 : 0;
        EXPECT_GE(clock_.nowMs() - startNow_, busyMs);
        EXPECT_LT(clock_.nowMs() - startNow_, busyMs + kTrafficBoundMs);
    }
}

// A unit is read three times (two pauses) when its first counted reading is 0, else twice; the
// S side is read only when the P side's sum is 0, and the result is 1 when both sums are 0.
// The reads of a unit are its uncounted first one and its counted ones.
TEST_F(UnitProceduresTest, CheckErrorsReadsEachUnitByTheReadingRule) {
    struct Case {
        std::optional<std::uint32_t> pCounter; // what every 8C91 read of the P unit gives
        std::optional<std::uint32_t> sThirdRead;
        bool noValueFromSecondRead; // every 8C91 reply from then on has no value
        int pReads, sReads;
        std::string pSum, sSum; // sSum empty: the S side is not read
        bool sUnreachable = false;
    };
    const Case cases[] = {
        {{}, {}, false, 3, 3, "0", "0"}, // a clean pair
        {20, {}, false, 2, 0, "20", ""},
        {{}, 1, false, 3, 3, "0", "1"},
        // A counted reading without a value adds 0, not the uncounted value read before it.
        {500, {}, true, 3, 3, "0", "0"},
        // The 32-bit counter at its top shows as a signed decimal.
        {0xFFFFFFFF, {}, false, 2, 0, "-1", ""},
        // Counted on the P unit, an unreachable S side's reading would pass: it is not made.
        {{}, {}, false, 3, 0, "0", "", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pSum + "/" + c.sSum);
        makePair();
        pair_->faults().remoteUnreachable = c.sUnreachable;
        pair_->fixRegister(Side::P, 0x8c91, c.pCounter);
        pair_->onCommand([&, reads = 0](const sim::LoggedCommand& command) mutable {
            if (command.text != "rd 8C91, 4")
                return;
            if (++reads == 2 && c.noValueFromSecondRead)
                pair_->faults().noValueRegister = "8C91";
            if (command.unit == Side::S && reads == c.pReads + 3)
                pair_->fixRegister(Side::S, 0x8c91, c.sThirdRead);
        });
        startOn(false);

        EXPECT_EQ(link_.CheckErrors(), c.pSum == "0" && c.sSum == "0" ? 1 : 0);

        const bool sRead = !c.sSum.empty();
        EXPECT_EQ(receivedCommands(*pair_),
                  concat({Lines(static_cast<std::size_t>(c.pReads), "P:rd 8C91, 4"),
                          sRead            ? kLocalToRemote
                          : c.sUnreachable ? kRemoteUnreachable
                                           : Lines{},
                          Lines(static_cast<std::size_t>(c.sReads), "S:rd 8C91, 4")}));
        EXPECT_NE(trace_.find("\r\nP Side Error= " + c.pSum + "\r\n"), std::string::npos);
        EXPECT_EQ(trace_.find("\r\nS Side Error= " + c.sSum + "\r\n") != std::string::npos, sRead);
        EXPECT_EQ(pair_->addressedUnit(), sRead ? Side::S : Side::P);
        const std::int64_t sleptMs = clock_.sleptMs() - startSlept_;
        EXPECT_EQ(sleptMs, (c.pReads - 1 + std::max(c.sReads - 1, 0)) * 4000);
        EXPECT_LT(clock_.nowMs() - startNow_, sleptMs + kTrafficBoundMs);
    }
}

} // namespace
