// The unit procedures of the console link, run against the simulated unit pair with the P unit
// cabled to the PC: the exact traffic from each side the console may start on, and the state of
// the units they leave.

#include "link/console_state.h"
#include "platform/clock.h"
#include "procedures/procedure_test_support.h"
#include "support/sim_fixture.h"

#include <functional>
#include <gtest/gtest.h>
#include <optional>

namespace {

using proctest::concat;
using proctest::containsInOrder;
using proctest::PrintTo;
using sim::Side;
using Lines = std::vector<std::string>;

enum class Start { Local, Remote };

const Lines kLocalToRemote{"P:", "P:<05>", "S:", "S:"};
const Lines kRemoteStays{"S:"};
const Lines kRemoteToLocal{"S:", "P:<05>", "P:", "P:"};
const Lines kLocalStays{"P:"};
const Lines kInstallWrites{"S:wr 8d00 a6", "S:wr c255 01", "S:wr 8d00 00"};
const Lines kNormalWrites{"S:wr 8d00 a6", "S:wr c255 05", "S:wr 8d00 00"};
// RestartUnit for the S side once the console is on it: the side query, then the restart.
const Lines kSRestartFromRemote{"S:", "S:or 8c00 20"};

constexpr std::int64_t kSRestartPauseMs = 16000;
// Bytes of a few commands at 9600 baud take well under this; a read time-out takes 4010 ms.
constexpr std::int64_t kTrafficBoundMs = 1000;

class UnitProceduresTest : public simtest::SimFixture {
protected:
    // Puts the console on the local or remote unit, then forgets the traffic that took.
    void startOn(Start start) {
        if (start == Start::Remote)
            link_.SelectRemote();
        else
            link_.SelectLocal();
        const Side local = pair_->attached();
        ASSERT_EQ(pair_->addressedUnit(), start == Start::Remote ? sim::otherSide(local) : local);
        pair_->clearCommandLog();
        trace_.clear();
        startMs_ = clock_.nowMs();
        sleptBefore_ = clock_.sleptMs();
    }
    Lines log() const { return proctest::logLines(*pair_); }
    std::int64_t elapsedMs() { return clock_.nowMs() - startMs_; }
    std::int64_t sleptMs() const { return clock_.sleptMs() - sleptBefore_; }

private:
    std::int64_t startMs_ = 0;
    std::int64_t sleptBefore_ = 0;
};

// --- SetInstallMode, SetNormalMode --------------------------------------------------------------

struct ModeCase {
    const char* name;
    bool install;
    int restart;
    Start start;
    Lines expectedLog;
    Side endSide;
    Lines expectedTrace;
};

class ModeProcedureTest : public UnitProceduresTest,
                          public ::testing::WithParamInterface<ModeCase> {};

TEST_P(ModeProcedureTest, SendsItsSequenceAndLeavesTheUnitInTheMode) {
    const ModeCase& c = GetParam();
    // The S unit starts in the other mode, so the change shows.
    makePair({}, sim::PairOptions{.sMode = static_cast<std::uint8_t>(c.install ? 0x05 : 0x01)});
    startOn(c.start);

    if (c.install)
        link_.SetInstallMode(c.restart);
    else
        link_.SetNormalMode(c.restart);

    EXPECT_EQ(log(), c.expectedLog);
    EXPECT_EQ(pair_->mode(Side::S), c.install ? 0x01 : 0x05);
    EXPECT_EQ(pair_->restartCount(Side::S), c.restart != 0 ? 1 : 0);
    EXPECT_EQ(pair_->restartCount(Side::P), 0);
    EXPECT_EQ(pair_->addressedUnit(), c.endSide);
    // After the restart pause the S unit is back and the link has trained again.
    EXPECT_TRUE(pair_->linkUp());
    const std::int64_t pause = c.restart != 0 ? kSRestartPauseMs : 0;
    EXPECT_EQ(sleptMs(), pause);
    EXPECT_LT(elapsedMs(), pause + kTrafficBoundMs);
    EXPECT_TRUE(containsInOrder(trace_, c.expectedTrace)) << trace_;
    EXPECT_TRUE(boxes_.empty());
}

const Lines kInstallTrace{"\r\nSetting Install Mode on S Side\r\n",
                          "\r\nEnabling LWD on S Side\r\n", "wr 8d00 a6\n", "wr c255 01\n",
                          "wr 8d00 00\n"};
const Lines kNormalTrace{"\r\nSetting Normal Mode on S Side\r\n", "\r\nDisabling LWD on S Side\r\n",
                         "wr 8d00 a6\n", "wr c255 05\n", "wr 8d00 00\n"};

INSTANTIATE_TEST_SUITE_P(
    Sequences, ModeProcedureTest,
    ::testing::Values(
        ModeCase{"InstallFromLocal", true, 0, Start::Local,
                 concat({kLocalToRemote, kInstallWrites, kRemoteToLocal}), Side::P, kInstallTrace},
        ModeCase{"InstallFromRemote", true, 0, Start::Remote,
                 concat({kRemoteStays, kInstallWrites, kRemoteToLocal}), Side::P, kInstallTrace},
        // The S unit's restart takes the console back to the local unit, where the final
        // selection finds it.
        ModeCase{"InstallWithRestart", true, 1, Start::Local,
                 concat({kLocalToRemote, kInstallWrites, kSRestartFromRemote, kLocalStays}),
                 Side::P, concat({kInstallTrace, {"\r\nRestart S Side \r\n"}})},
        // Normal mode selects nothing at its end: the console stays on the S unit.
        ModeCase{"NormalFromLocal", false, 0, Start::Local, concat({kLocalToRemote, kNormalWrites}),
                 Side::S, kNormalTrace},
        ModeCase{"NormalFromRemote", false, 0, Start::Remote, concat({kRemoteStays, kNormalWrites}),
                 Side::S, kNormalTrace},
        ModeCase{"NormalWithRestart", false, 1, Start::Remote,
                 concat({kRemoteStays, kNormalWrites, kSRestartFromRemote}), Side::P,
                 concat({kNormalTrace, {"\r\nRestart S Side \r\n"}})}),
    [](const ::testing::TestParamInfo<ModeCase>& row) { return row.param.name; });

// --- RestartUnit ------------------------------------------------------------------------------

struct RestartCase {
    const char* name;
    int pSide;
    Start start;
    Lines expectedLog;
};

class RestartUnitTest : public UnitProceduresTest,
                        public ::testing::WithParamInterface<RestartCase> {};

TEST_P(RestartUnitTest, RestartsTheNamedUnit) {
    const RestartCase& c = GetParam();
    // A P unit that boots within the normal read time-out, so its restart can be answered.
    makePair({}, sim::PairOptions{.bootMs = 3000});
    startOn(c.start);

    link_.RestartUnit(c.pSide);

    EXPECT_EQ(log(), c.expectedLog);
    const Side restarted = c.pSide != 0 ? Side::P : Side::S;
    EXPECT_EQ(pair_->restartCount(restarted), 1);
    EXPECT_EQ(pair_->restartCount(sim::otherSide(restarted)), 0);
    EXPECT_TRUE(containsInOrder(
        trace_,
        {c.pSide != 0 ? "\r\nRestart P Side \r\n" : "\r\nRestart S Side \r\n", "or 8c00 20\n"}));
    if (c.pSide != 0) {
        // Returns once the rebooted unit has prompted, with no pause of its own.
        EXPECT_EQ(sleptMs(), 0);
        EXPECT_GE(elapsedMs(), 3000);
        EXPECT_LT(elapsedMs(), 3000 + kTrafficBoundMs);
        EXPECT_FALSE(pair_->booting(Side::P));
    } else {
        EXPECT_EQ(sleptMs(), kSRestartPauseMs);
        EXPECT_LT(elapsedMs(), kSRestartPauseMs + kTrafficBoundMs);
        EXPECT_TRUE(pair_->linkUp());
    }
    EXPECT_TRUE(boxes_.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Sides, RestartUnitTest,
    ::testing::Values(
        RestartCase{"SSideFromLocal", 0, Start::Local, concat({kLocalToRemote, {"S:or 8c00 20"}})},
        RestartCase{"SSideFromRemote", 0, Start::Remote, kSRestartFromRemote},
        RestartCase{"PSideFromLocal", 1, Start::Local, concat({kLocalStays, {"P:or 8c00 20"}})},
        RestartCase{"PSideFromRemote", 1, Start::Remote,
                    concat({kRemoteToLocal, {"P:or 8c00 20"}})}),
    [](const ::testing::TestParamInfo<RestartCase>& row) { return row.param.name; });

// --- RestartWithLongTimeout -------------------------------------------------------------------

struct LongRestartCase {
    const char* name;
    Side attached;
    Start start;
    Side restarted;
};

class RestartWithLongTimeoutTest : public UnitProceduresTest,
                                   public ::testing::WithParamInterface<LongRestartCase> {};

TEST_P(RestartWithLongTimeoutTest, RestartsTheAddressedUnitUnderTheLongTimeout) {
    const LongRestartCase& c = GetParam();
    makePair({}, sim::PairOptions{.attached = c.attached});
    startOn(c.start);
    link_.SetReadTimeout(1234); // whatever was set before, 4000 is set after
    std::optional<std::uint32_t> timeoutDuringRestart;
    pair_->onCommand([&](const sim::LoggedCommand& command) {
        if (command.text == "or 8c00 20")
            timeoutDuringRestart = g_portHandle->timeouts().readTotalConstant;
    });

    link_.RestartWithLongTimeout();

    EXPECT_EQ(log(), Lines{std::string(1, sim::sideLetter(c.restarted)) + ":or 8c00 20"});
    EXPECT_EQ(pair_->restartCount(c.restarted), 1);
    EXPECT_EQ(timeoutDuringRestart, 20000u);
    EXPECT_EQ(g_portHandle->timeouts().readTotalConstant, 4000u);
    EXPECT_EQ(g_portHandle->timeouts().readTotalMultiplier, 10u);
    EXPECT_EQ(sleptMs(), 0);
    EXPECT_TRUE(containsInOrder(trace_, {"\r\nRestart S Side \r\n", "or 8c00 20\n"}));
    EXPECT_TRUE(boxes_.empty());
}

INSTANTIATE_TEST_SUITE_P(
    AddressedUnits, RestartWithLongTimeoutTest,
    ::testing::Values(
        // The attached unit answers only after its 6 s boot: the long time-out lets it.
        LongRestartCase{"AttachedPUnit", Side::P, Start::Local, Side::P},
        LongRestartCase{"RemoteSUnit", Side::P, Start::Remote, Side::S},
        LongRestartCase{"AttachedSUnit", Side::S, Start::Local, Side::S}),
    [](const ::testing::TestParamInfo<LongRestartCase>& row) { return row.param.name; });

// --- CheckErrors ------------------------------------------------------------------------------

// Lets a test act at the start of each of the program's pauses.
class PauseHookClock final : public platform::Clock {
public:
    PauseHookClock(platform::Clock& inner, std::function<void(int pause)> hook)
        : inner_(inner), hook_(std::move(hook)) {}
    std::int64_t nowMs() override { return inner_.nowMs(); }
    void sleepMs(std::int64_t ms) override {
        hook_(pauses_++);
        inner_.sleepMs(ms);
    }

private:
    platform::Clock& inner_;
    std::function<void(int)> hook_;
    int pauses_ = 0;
};

struct ErrorCase {
    const char* name;
    double pErrorsPerSecond; // corrected by the P unit (upstream)
    double sErrorsPerSecond; // corrected by the S unit (downstream)
    bool sErrorsFromSecondReading;
    bool noValueFromFirstCountedReading; // every 8C91 reply from then on has no value
    int expectedResult;
    int pReads;
    int sReads;
    const char* pSum;
    const char* sSum; // null: the S side is not read
};

class CheckErrorsTest : public UnitProceduresTest, public ::testing::WithParamInterface<ErrorCase> {
protected:
    void SetUp() override {
        UnitProceduresTest::SetUp();
        sim::LineConfig line;
        line.override = [this](std::uint8_t, std::uint8_t) {
            return std::optional<sim::LinkQuality>(
                sim::LinkQuality{direction(sErrors_), direction(pErrors_)});
        };
        pErrors_ = GetParam().pErrorsPerSecond;
        sErrors_ = GetParam().sErrorsPerSecond;
        makePair(std::move(line));
        if (GetParam().noValueFromFirstCountedReading)
            pair_->onCommand([this, reads = 0](const sim::LoggedCommand& command) mutable {
                if (command.text == "rd 8C91, 4" && ++reads == 2)
                    pair_->faults().noValueRegister = "8C91";
            });
    }

    static sim::DirectionQuality direction(double errorsPerSecond) {
        return {errorsPerSecond > 0 ? sim::LinkZone::Marginal : sim::LinkZone::Clean, 30.0,
                errorsPerSecond};
    }

    // During the S unit's second pause the line drops and retrains into a state where the S
    // unit corrects errors: 3.5 of them in the time it is up before the reading, read as 3.
    void strikeSErrorsAtSecondSPause(int pause) {
        const int kSecondSPause = 3; // P: pauses 0 and 1, S: pauses 2 and 3
        if (pause != kSecondSPause)
            return;
        const sim::RateSet rates = pair_->runningRates(Side::S);
        const std::int64_t upMs =
            4000 - pair_->lineModel().trainingMs(rates.downCode(), rates.upCode());
        sErrors_ = 3.5 * 1000.0 / static_cast<double>(upMs);
        pair_->dropLink(0);
    }

    double pErrors_ = 0.0;
    double sErrors_ = 0.0;
};

TEST_P(CheckErrorsTest, ReadsEachUnitByTheReadingRule) {
    const ErrorCase& c = GetParam();
    PauseHookClock hookedClock(clock_, [this](int pause) { strikeSErrorsAtSecondSPause(pause); });
    if (c.sErrorsFromSecondReading)
        platform::setClock(&hookedClock);
    startOn(Start::Local);

    const int result = link_.CheckErrors();

    EXPECT_EQ(result, c.expectedResult);
    const Lines pReads(static_cast<std::size_t>(c.pReads), "P:rd 8C91, 4");
    const Lines sReads(static_cast<std::size_t>(c.sReads), "S:rd 8C91, 4");
    EXPECT_EQ(log(), concat({pReads, c.sSum != nullptr ? kLocalToRemote : Lines{}, sReads}));
    Lines expectedTrace{"\r\nCheck Error on P Side\r\n",
                        std::string("\r\nP Side Error= ") + c.pSum + "\r\n"};
    if (c.sSum != nullptr) {
        expectedTrace.push_back("\r\nCheck Error on S Side\r\n");
        expectedTrace.push_back(std::string("\r\nS Side Error= ") + c.sSum + "\r\n");
        EXPECT_EQ(pair_->addressedUnit(), Side::S);
    } else {
        EXPECT_EQ(trace_.find("Check Error on S Side"), std::string::npos);
        EXPECT_EQ(pair_->addressedUnit(), Side::P); // where it was
    }
    EXPECT_TRUE(containsInOrder(trace_, expectedTrace)) << trace_;
    // One 4 s pause before each counted reading, the first reading of a unit being uncounted.
    const std::int64_t pauses = (c.pReads - 1) + (c.sReads > 0 ? c.sReads - 1 : 0);
    EXPECT_EQ(sleptMs(), pauses * 4000);
    EXPECT_LT(elapsedMs(), sleptMs() + kTrafficBoundMs);
    EXPECT_TRUE(boxes_.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Units, CheckErrorsTest,
    ::testing::Values(
        ErrorCase{"CleanPair", 0, 0, false, false, 1, 3, 3, "0", "0"},
        ErrorCase{"PSideErrorsStopAtTheFirstReading", 5, 0, false, false, 0, 2, 0, "20", nullptr},
        // One error a second: the fraction the S unit carries from the 8 s before its first
        // reading cannot tip the sum, whatever the console time.
        ErrorCase{"SSideErrorsAtTheFirstReading", 0, 1, false, false, 0, 3, 2, "0", "4"},
        ErrorCase{"SSideZeroThenThree", 0, 0, true, false, 0, 3, 3, "0", "3"},
        // A counted reading without a value adds 0, not the uncounted value read before it.
        ErrorCase{"ReadingsWithoutValueCountZero", 500, 0, false, true, 1, 3, 3, "0", "0"},
        // The 32-bit counter at its top shows as a signed decimal.
        ErrorCase{"FullCounterShowsSigned", 2e9, 0, false, false, 0, 2, 0, "-1", nullptr}),
    [](const ::testing::TestParamInfo<ErrorCase>& row) { return row.param.name; });

} // namespace
