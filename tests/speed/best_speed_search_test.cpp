// Apply and the best-speed search on the simulated pair: the order of the attempts, every way a
// search can end, and what the units are left with.
#include "link/console_state.h"
#include "platform/message_box.h"
#include "speed/configuration_fixture.h"
#include "support/counting_port.h"

#include <QLineEdit>
#include <QTimer>
#include <gtest/gtest.h>
#include <iostream>

namespace speedtest {
namespace {

using sim::Side;

constexpr const char* kSaved = "Configuration saved";
constexpr const char* kFallBack =
    "Configuration can not be achieved\r\nDefault Configuration has been loaded";
constexpr const char* kInstallHint =
    "Please run this program on S side to set it in Install mode.\nIf S side is already in "
    "install mode,\nthen configuration can not be achieved";
constexpr const char* kNotAchieved = "Configuration can not be achieved";
constexpr const char* kSelectAlgorithm = "Select the Algorithm";

constexpr Pair kDefaults{0, 0}; // profile 0 of each direction holds the units' default rates
constexpr std::uint8_t kInstallMode = 0x01;
constexpr std::uint8_t kNormalMode = 0x05;

class BestSpeedSearch : public ConfigurationFixture {
protected:
    // Opens the page on a line where each pair behaves as judge says, over the whole range.
    void openOn(std::function<Verdict(Pair)> judge, int order) {
        makePair(lineWhere(std::move(judge)));
        openPage();
        setRange({0, 0}, {3, 3});
        chooseAlgorithm(order);
    }

    void expectRunning(Side side, Pair pair) {
        const sim::RateSet rates = pair_->runningRates(side);
        EXPECT_EQ(rates.upCode(), kUpCodes[pair.us]) << sim::sideLetter(side);
        EXPECT_EQ(rates.downCode(), kDownCodes[pair.ds]) << sim::sideLetter(side);
    }
    void expectStored(Pair pair) {
        for (Side side : {Side::P, Side::S}) {
            EXPECT_EQ(pair_->eeprom(side, 0x8c11), kUpCodes[pair.us]) << sim::sideLetter(side);
            EXPECT_EQ(pair_->eeprom(side, 0x8c10), kDownCodes[pair.ds]) << sim::sideLetter(side);
        }
    }
    // Every Apply that started ends the same way, whatever the search did.
    void expectDone() {
        EXPECT_EQ(page_->statusText, "Done");
        EXPECT_EQ(page_->control<QLineEdit>(1010)->text(), "Done");
        EXPECT_TRUE(page_->applyButton->isEnabled());
        EXPECT_TRUE(trace_.ends_with("\r\nDone\r\n"));
    }
    // Saved: both units run the pair and have stored it, the S side is back in Normal mode.
    void expectSaved(Pair pair) {
        EXPECT_EQ(boxTexts(), std::vector<std::string>{kSaved});
        for (Side side : {Side::P, Side::S})
            expectRunning(side, pair);
        expectStored(pair);
        EXPECT_EQ(pair_->mode(Side::S), kNormalMode);
        expectDone();
    }
    int sRestarts() const { return pair_->restartCount(Side::S); }
};

// --- Outcomes -----------------------------------------------------------------------------------

TEST_F(BestSpeedSearch, SavedPairIsRunStoredAndShown) {
    openOn([](Pair) { return Verdict::Clean; }, kHighToLow);
    apply();
    EXPECT_EQ(attempts(), (std::vector<Pair>{{3, 3}}));
    expectSaved({3, 3});
    EXPECT_EQ(sRestarts(), 2); // into Install mode, back to Normal mode
    EXPECT_EQ(page_->downActualText, "11.38");
    EXPECT_EQ(page_->upActualText, "5.69");
    wait(3000);
    EXPECT_TRUE(pair_->linkUp());
}

// The last error check counted on the S side, so the console addresses it; the defaults still go
// to the P side, where the S side's watchdog finds them.
TEST_F(BestSpeedSearch, NoPairPassingBringsBothUnitsBackToTheDefaults) {
    openOn([](Pair) { return Verdict::ErrorsS; }, kHighToLow);
    setRange({1, 1}, {3, 3});
    apply();
    EXPECT_EQ(attempts().size(), 9u);
    EXPECT_EQ(boxTexts(), std::vector<std::string>{kFallBack});
    expectRunning(Side::P, kDefaults);
    expectRunning(Side::S, kDefaults);
    EXPECT_TRUE(pair_->linkUp());
    expectStored(kDefaults);
    EXPECT_EQ(pair_->mode(Side::S), kInstallMode);
    EXPECT_EQ(page_->downActualText, "3.79");
    EXPECT_EQ(page_->upActualText, "1.42");
    expectDone();
}

TEST_F(BestSpeedSearch, LinkLostAndNotRegainedEndsWithTheInstallHint) {
    openOn([](Pair) { return Verdict::Clean; }, kHighToLow);
    pair_->onCommand([this](const sim::LoggedCommand& command) {
        if (command.unit == Side::P && command.text == "or 8c00 04" && attempts().size() == 1)
            pair_->dropLink(-1);
    });
    apply();
    EXPECT_EQ(attempts(), (std::vector<Pair>{{3, 3}}));
    EXPECT_EQ(boxTexts(), std::vector<std::string>{kInstallHint});
    expectRunning(Side::P, kDefaults);
    expectStored(kDefaults);
    EXPECT_EQ(pair_->mode(Side::S), kInstallMode);
    expectDone();
}

struct RetryCase {
    const char* name;
    Verdict retry; // what (upMin, ds) does when the upstream phase steps back to it
    const char* message;
    Pair running; // what both units are left with
};

class UpstreamPhaseAtItsMinimum : public BestSpeedSearch,
                                  public ::testing::WithParamInterface<RetryCase> {};

// The upstream phase fails one step up and then on the pair that passed in the downstream phase.
TEST_P(UpstreamPhaseAtItsMinimum, EndsTheSearchWithoutSaving) {
    auto upstreamPhase = std::make_shared<bool>(false);
    const Verdict retry = GetParam().retry;
    openOn(
        [upstreamPhase, retry](Pair pair) {
            if (pair.us > 0)
                return Verdict::ErrorsS;
            return *upstreamPhase && pair.ds == 3 ? retry : Verdict::Clean;
        },
        kLowToHigh);
    pair_->onCommand([upstreamPhase](const sim::LoggedCommand& command) {
        if (command.text == "wr 8c11 58")
            *upstreamPhase = true;
    });
    apply();
    EXPECT_EQ(attempts(), (std::vector<Pair>{{0, 0}, {0, 1}, {0, 2}, {0, 3}, {1, 3}, {0, 3}}));
    EXPECT_EQ(boxTexts(), std::vector<std::string>{GetParam().message});
    expectRunning(Side::P, GetParam().running);
    expectRunning(Side::S, GetParam().running);
    expectStored(kDefaults);
    EXPECT_EQ(pair_->mode(Side::S), kInstallMode);
    expectDone();
}

// Failed checks leave the last pair tried loaded; a link that came back on the defaults falls back.
INSTANTIATE_TEST_SUITE_P(
    Retries, UpstreamPhaseAtItsMinimum,
    ::testing::Values(
        RetryCase{"ChecksFailGiveTheInstallHint", Verdict::LowSnrP, kInstallHint, {0, 3}},
        RetryCase{"LinkBackOnDefaultsFallsBack", Verdict::NoTrain, kFallBack, kDefaults}),
    [](const auto& param) { return std::string(param.param.name); });

TEST_F(BestSpeedSearch, NoLinkAfterTheRestartNorOnTheDefaultsCannotBeAchieved) {
    openOn([](Pair) { return Verdict::Clean; }, kHighToLow);
    pair_->onCommand([this](const sim::LoggedCommand& command) {
        if (command.unit == Side::S && command.text == "or 8c00 20")
            pair_->dropLink(-1);
    });
    apply();
    EXPECT_TRUE(attempts().empty());
    EXPECT_EQ(boxTexts(), std::vector<std::string>{kNotAchieved});
    EXPECT_EQ(countInTrace("\r\nNo Link After Restart\r\n"), 1);
    EXPECT_EQ(countInTrace("\r\nNo Link After Restart and LWD\r\n"), 1);
    expectRunning(Side::P, kDefaults);
    expectStored(kDefaults);
    EXPECT_EQ(pair_->mode(Side::S), kInstallMode);
    expectDone();
}

struct NoAlgorithmCase {
    const char* name;
    bool linkDownAtApply;
    bool typedText; // a text of its own in the edit field, else no item
};

class NoAlgorithm : public BestSpeedSearch,
                    public ::testing::WithParamInterface<NoAlgorithmCase> {};

// The direction is looked at only when the search starts: after the S side was put in Install
// mode and restarted, or after the P side got the defaults and the link came back.
TEST_P(NoAlgorithm, IsReportedOnlyWhenTheSearchStarts) {
    openOn([](Pair) { return Verdict::Clean; }, kHighToLow);
    if (GetParam().typedText)
        page_->algorithmList->setEditText("FASTEST");
    else
        page_->algorithmList->setCurrentIndex(-1);
    if (GetParam().linkDownAtApply)
        pair_->dropLink(1500);
    apply();
    EXPECT_EQ(boxTexts(), std::vector<std::string>{kSelectAlgorithm});
    EXPECT_TRUE(attempts().empty());
    if (GetParam().linkDownAtApply) {
        EXPECT_EQ(countInTrace("\r\nLoading defaults\r\n"), 1);
        EXPECT_EQ(pair_->mode(Side::S), kNormalMode);
        EXPECT_EQ(sRestarts(), 0);
    } else {
        EXPECT_EQ(pair_->mode(Side::S), kInstallMode);
        EXPECT_EQ(sRestarts(), 1);
    }
    EXPECT_EQ(page_->algorithmList->count(), 2);
    expectRunning(Side::P, kDefaults);
    expectRunning(Side::S, kDefaults);
    expectStored(kDefaults);
    expectDone();
}

INSTANTIATE_TEST_SUITE_P(Cases, NoAlgorithm,
                         ::testing::Values(NoAlgorithmCase{"NoItemLinkUp", false, false},
                                           NoAlgorithmCase{"TypedTextLinkUp", false, true},
                                           NoAlgorithmCase{"NoItemLinkDown", true, false}),
                         [](const auto& param) { return std::string(param.param.name); });

TEST_F(BestSpeedSearch, LinkDownAtApplyAndAfterTheDefaultsGivesTheInstallHint) {
    openOn([](Pair) { return Verdict::Clean; }, kHighToLow);
    pair_->dropLink(-1);
    const std::size_t before = pair_->commandLog().size();
    apply();
    EXPECT_EQ(boxTexts(), std::vector<std::string>{kInstallHint});
    EXPECT_TRUE(attempts().empty());
    const std::vector<std::string> commands = commandsSince(before);
    EXPECT_EQ(std::count(commands.begin(), commands.end(), "wr c255 01"), 0);
    EXPECT_EQ(std::count(commands.begin(), commands.end(), "rd 8c71"), 2 + 51);
    expectRunning(Side::P, kDefaults);
    EXPECT_EQ(pair_->mode(Side::S), kNormalMode);
    expectDone();
}

TEST_F(BestSpeedSearch, LinkBackOnTheDefaultsRunsTheSearchWithoutInstallMode) {
    openOn([](Pair) { return Verdict::Clean; }, kHighToLow);
    pair_->dropLink(1500);
    apply();
    EXPECT_EQ(attempts(), (std::vector<Pair>{{3, 3}}));
    EXPECT_EQ(countInTrace("\r\nSetting Install Mode on S Side\r\n"), 0);
    EXPECT_EQ(sRestarts(), 1); // only the success sequence's
    expectSaved({3, 3});
}

enum class Refusal {
    NoAnswer,
    SSideAttached,
    UpMaxBelowMin,
    DownMaxBelowMin,
    NoUpstream,
    NoDownstream
};

struct RefusalCase {
    const char* name;
    Refusal refusal;
    const char* message;
};

class ApplyRefused : public BestSpeedSearch, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(ApplyRefused, StartsNothing) {
    const Refusal refusal = GetParam().refusal;
    if (refusal == Refusal::NoUpstream)
        openPage("$DOWNSTREAM\n3.79;54;00;4b;\n");
    else
        openPage(refusal == Refusal::NoDownstream ? "1.42;68;00;b7;\n" : kFourByFour);
    if (refusal == Refusal::NoAnswer)
        pair_->faults().noValueRegister = "8c70";
    if (refusal == Refusal::SSideAttached)
        pair_->setAttached(Side::S);
    if (refusal == Refusal::UpMaxBelowMin)
        setRange({2, 0}, {1, 3});
    if (refusal == Refusal::DownMaxBelowMin)
        setRange({0, 3}, {3, 2});
    const std::size_t before = pair_->commandLog().size();
    apply();
    EXPECT_EQ(boxTexts(), std::vector<std::string>{GetParam().message});
    for (const std::string& command : commandsSince(before))
        EXPECT_TRUE(command.empty() || command == "<05>" || command == "rd 8c70") << command;
    EXPECT_EQ(page_->statusText, "Select speed to set");
    EXPECT_TRUE(page_->applyButton->isEnabled());
    EXPECT_EQ(countInTrace("\r\nStarting procedure\r\n"), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Refusals, ApplyRefused,
    ::testing::Values(
        RefusalCase{"NoAnswerFromDevice", Refusal::NoAnswer, "No answer from device"},
        RefusalCase{"SSideAttached", Refusal::SSideAttached,
                    "P side must be connected to start this procedure"},
        RefusalCase{"UpstreamMaxBelowMin", Refusal::UpMaxBelowMin,
                    "Max speed cannot be lower than min speed:\nselect different values"},
        RefusalCase{"DownstreamMaxBelowMin", Refusal::DownMaxBelowMin,
                    "Max speed cannot be lower than min speed:\nselect different values"},
        RefusalCase{"NoUpstreamProfile", Refusal::NoUpstream,
                    "No upstream speed in configuration file"},
        RefusalCase{"NoDownstreamProfile", Refusal::NoDownstream,
                    "No downstream speed in configuration file"}),
    [](const auto& param) { return std::string(param.param.name); });

// --- Search orders ------------------------------------------------------------------------------

struct OrderCase {
    const char* name;
    int order;
    std::function<Verdict(Pair)> judge;
    Pair min;
    Pair max;
    std::vector<Pair> attempts;
    std::optional<Pair> saved; // none: the fall-back
};

std::ostream& operator<<(std::ostream& out, const OrderCase& c) {
    return out << c.name;
}

class SearchOrder : public BestSpeedSearch, public ::testing::WithParamInterface<OrderCase> {};

TEST_P(SearchOrder, TriesThePairsInOrderAndKeepsTheRightOne) {
    const OrderCase& c = GetParam();
    openOn(c.judge, c.order);
    setRange(c.min, c.max);
    apply();
    EXPECT_EQ(attempts(), c.attempts);
    if (c.saved) {
        expectSaved(*c.saved);
    } else {
        EXPECT_EQ(boxTexts(), std::vector<std::string>{kFallBack});
        expectStored(kDefaults);
        expectDone();
    }
}

std::vector<Pair> everyPairFromTheFastest() {
    std::vector<Pair> pairs;
    for (int ds = 3; ds >= 0; --ds)
        for (int us = 3; us >= 0; --us)
            pairs.push_back({us, ds});
    return pairs;
}

INSTANTIATE_TEST_SUITE_P(
    Orders, SearchOrder,
    ::testing::Values(
        OrderCase{"HighToLowOnlyTheSlowestPasses",
                  kHighToLow,
                  [](Pair pair) { return pair == kDefaults ? Verdict::Clean : Verdict::ErrorsS; },
                  {0, 0},
                  {3, 3},
                  everyPairFromTheFastest(),
                  kDefaults},
        OrderCase{"HighToLowLostLinkCountsAsAFailure",
                  kHighToLow,
                  [](Pair pair) { return pair.us == 3 ? Verdict::NoTrain : Verdict::Clean; },
                  {0, 0},
                  {3, 3},
                  {{3, 3}, {2, 3}},
                  Pair{2, 3}},
        OrderCase{"LowToHighEveryAttemptPasses",
                  kLowToHigh,
                  [](Pair) { return Verdict::Clean; },
                  {0, 0},
                  {3, 3},
                  {{0, 0}, {0, 1}, {0, 2}, {0, 3}, {1, 3}, {2, 3}, {3, 3}},
                  Pair{3, 3}},
        OrderCase{"LowToHighStepsBackDownstream",
                  kLowToHigh,
                  [](Pair pair) { return pair.ds >= 2 ? Verdict::ErrorsP : Verdict::Clean; },
                  {0, 0},
                  {3, 3},
                  {{0, 0}, {0, 1}, {0, 2}, {0, 1}, {1, 1}, {2, 1}, {3, 1}},
                  Pair{3, 1}},
        OrderCase{"LowToHighStepsBackUpstream",
                  kLowToHigh,
                  [](Pair pair) { return pair.us >= 2 ? Verdict::LowSnrP : Verdict::Clean; },
                  {0, 0},
                  {3, 3},
                  {{0, 0}, {0, 1}, {0, 2}, {0, 3}, {1, 3}, {2, 3}, {1, 3}},
                  Pair{1, 3}},
        OrderCase{"LowToHighLostLinkStepsBack",
                  kLowToHigh,
                  [](Pair pair) { return pair.ds == 2 ? Verdict::NoTrain : Verdict::Clean; },
                  {0, 0},
                  {3, 3},
                  {{0, 0}, {0, 1}, {0, 2}, {0, 1}, {1, 1}, {2, 1}, {3, 1}},
                  Pair{3, 1}},
        OrderCase{"LowToHighSlowestDownstreamFails",
                  kLowToHigh,
                  [](Pair pair) { return pair.ds == 1 ? Verdict::ErrorsP : Verdict::Clean; },
                  {0, 1},
                  {3, 3},
                  {{0, 1}},
                  std::nullopt},
        OrderCase{"HighToLowMinEqualsMax",
                  kHighToLow,
                  [](Pair) { return Verdict::Clean; },
                  {2, 1},
                  {2, 1},
                  {{2, 1}},
                  Pair{2, 1}},
        OrderCase{"LowToHighMinEqualsMax",
                  kLowToHigh,
                  [](Pair) { return Verdict::Clean; },
                  {2, 1},
                  {2, 1},
                  {{2, 1}},
                  Pair{2, 1}}),
    [](const auto& param) { return std::string(param.param.name); });

// --- One pair -----------------------------------------------------------------------------------

// Each unit gets the six registers in the pair's own order, then both start, the S side first.
// A tuning field that kept the line's line feed sends an empty command after its write.
TEST_F(BestSpeedSearch, LoadConfigurationWritesBothUnitsAndStartsThemSSideFirst) {
    openPage("1.42;68;00;b7\n$DOWNSTREAM\n3.79;54;00;4b;\n");
    const std::size_t before = pair_->commandLog().size();
    EXPECT_EQ(page_->LoadConfiguration(0, 0), 1);
    std::vector<std::string> sent;
    for (std::size_t i = before; i < pair_->commandLog().size(); ++i) {
        const sim::LoggedCommand& command = pair_->commandLog()[i];
        sent.push_back(std::string(1, sim::sideLetter(command.unit)) + ":" + command.text);
    }
    const std::vector<std::string> toRemote = {"P:", "P:<05>", "S:", "S:"};
    const std::vector<std::string> toLocal = {"S:", "P:<05>", "P:", "P:"};
    auto registers = [](char unit) {
        const std::string u(1, unit);
        return std::vector<std::string>{
            u + ":wr 8c10 54", u + ":wr 8c11 68", u + ":wr 8c13 00", u + ":wr 8c12 4b",
            u + ":wr 8c15 00", u + ":wr 8c14 b7", u + ":",           u + ":"};
    };
    std::vector<std::string> expected = toRemote;
    for (const auto& part : {registers('S'), toLocal, registers('P'), toRemote})
        expected.insert(expected.end(), part.begin(), part.end());
    expected.push_back("S:or 8c00 04");
    ASSERT_GT(sent.size(), expected.size());
    EXPECT_EQ(std::vector<std::string>(sent.begin(), sent.begin() + expected.size()), expected);
    // Starting the S side drops the link; the console goes back to the P side, which starts last.
    EXPECT_EQ(sent.back(), "P:or 8c00 04");
    EXPECT_EQ(pair_->addressedUnit(), Side::P);
    EXPECT_NE(trace_.find("\r\nLoading a configuration ... \r\n- DS= 3.79 - US= 1.42\r\n"),
              std::string::npos);
    EXPECT_EQ(page_->statusText, "Loading a configuration - DS= 3.79 - US= 1.42");
}

struct SnrCase {
    const char* name;
    int us;
    Verdict line;
    bool noValue;
    int result;
    int reads; // of 8c99
};

class CheckSnr : public BestSpeedSearch, public ::testing::WithParamInterface<SnrCase> {};

// The units run the defaults; the profiles judged differ in their rate codes. The downstream
// profile's code 58 lets the S side's low ratio show (see qualityOf).
TEST_P(CheckSnr, JudgesEachSideWithTheCodeItReceivesAndEndsOnThePSide) {
    const SnrCase& c = GetParam();
    makePair(lineWhere([verdict = c.line](Pair) { return verdict; }));
    openPage("1.42;68;00;b7;\nk7;6e;00;b7;\nnone;zz;00;b7;\n$DOWNSTREAM\n1.90;58;00;4b;\n");
    pair_->faults().noValueRegister = c.noValue ? "8c99" : "";
    const std::size_t before = pair_->commandLog().size();
    EXPECT_EQ(page_->CheckSnr(c.us, 0), c.result);
    const std::vector<std::string> commands = commandsSince(before);
    EXPECT_EQ(std::count(commands.begin(), commands.end(), "rd 8c99, 3"), c.reads);
    EXPECT_EQ(pair_->addressedUnit(), Side::P);
    EXPECT_EQ(page_->statusText, "Checking signal/noise ratio...");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CheckSnr,
    ::testing::Values(SnrCase{"BothSidesClean", 0, Verdict::Clean, false, 1, 2},
                      SnrCase{"PSideLow", 0, Verdict::LowSnrP, false, 0, 1},
                      SnrCase{"SSideLow", 0, Verdict::LowSnrS, false, 0, 2},
                      SnrCase{"ReadingWithoutValueFails", 0, Verdict::Clean, true, 0, 1},
                      SnrCase{"ConstellationWithoutReferenceFails", 1, Verdict::Clean, false, 0, 1},
                      SnrCase{"RateCodeWithoutDigitFails", 2, Verdict::Clean, false, 0, 1}),
    [](const auto& param) { return std::string(param.param.name); });

// --- Robustness ---------------------------------------------------------------------------------

TEST_F(BestSpeedSearch, LabelsOfAnyLengthAreTracedAndShownWhole) {
    const std::string up(200, 'u');
    const std::string down(240, 'd'); // a line holds at most 259 characters
    openPage(up + ";68;00;b7;\n$DOWNSTREAM\n" + down + ";54;00;4b;\n");
    chooseAlgorithm(kHighToLow);
    apply();
    EXPECT_EQ(boxTexts(), std::vector<std::string>{kSaved});
    EXPECT_EQ(
        countInTrace("\r\nLoading a configuration ... \r\n- DS= " + down + " - US= " + up + "\r\n"),
        1);
    EXPECT_EQ(page_->downActualText, down);
    EXPECT_EQ(page_->upActualText, up);
}

// The search blocks the program: nothing the user or a timer queued is handled before it ends.
TEST_F(BestSpeedSearch, NoQueuedEventIsHandledWhileTheSearchRuns) {
    openOn([](Pair) { return Verdict::Clean; }, kLowToHigh);
    bool fired = false;
    QObject timerOwner; // the timer goes with the test if it never fires
    QTimer::singleShot(0, &timerOwner, [&fired] { fired = true; });
    std::vector<bool> firedAtBox;
    platform::setMessageBoxHandler([&](platform::WindowHandle, const std::string&,
                                       const std::string&) { firedAtBox.push_back(fired); });
    apply();
    EXPECT_EQ(firedAtBox, std::vector<bool>{false});
    EXPECT_FALSE(fired);
}

// --- Time ---------------------------------------------------------------------------------------

// A clean HIGH to LOW search over 4 x 4 profiles whose first pair passes: the program waits
// exactly the fixed pauses of the procedure, and the rest is console time at 9600 baud.
TEST_F(BestSpeedSearch, CleanSearchTakesTheFixedWaitsPlusConsoleTime) {
    openOn([](Pair) { return Verdict::Clean; }, kHighToLow);
    auto counting = std::make_unique<testsupport::CountingPort>(std::move(g_portHandle));
    testsupport::CountingPort& port = *counting;
    g_portHandle = std::move(counting);
    const std::int64_t start = clock_.nowMs();
    const std::int64_t sleptBefore = clock_.sleptMs();
    const int linkWaitsBefore = countInTrace("\r\nLooking for link status\r\n");
    const std::size_t logBefore = pair_->commandLog().size();
    apply();
    ASSERT_EQ(boxTexts(), std::vector<std::string>{kSaved});

    const std::vector<std::string> commands = commandsSince(logBefore);
    const auto linkReads = std::count(commands.begin(), commands.end(), "rd 8c71");
    const int linkWaits = countInTrace("\r\nLooking for link status\r\n") - linkWaitsBefore;
    const std::int64_t oneSecondWaits = linkReads - linkWaits;
    // S restart 16 s, four error-count pauses of 4 s, S save 2 s, S restart 16 s, and the
    // one-second pauses of the link waits.
    const std::int64_t fixedMs = 16000 + 4 * 4000 + 2000 + 16000 + 1000 * oneSecondWaits;
    const std::int64_t elapsedMs = clock_.nowMs() - start;
    const std::int64_t sleptMs = clock_.sleptMs() - sleptBefore;
    EXPECT_EQ(sleptMs, fixedMs);
    // Every byte takes one character time (10 bits at 9600 baud) on the line, and each side
    // switch waits 50 ms (the quiet read time-out) for the console to fall quiet, nothing more.
    const std::int64_t consoleMs = elapsedMs - sleptMs;
    const auto switches = std::count(commands.begin(), commands.end(), "<05>");
    EXPECT_LE(consoleMs, port.bytes() * 1041667 / 1000000 + switches * 50 + 1);
    EXPECT_EQ(countInTrace("timeout"), 0);
    std::cout << "clean 4 x 4 HIGH to LOW: " << elapsedMs << " ms virtual = " << sleptMs
              << " ms fixed waits (" << oneSecondWaits << " one-second link waits) + " << consoleMs
              << " ms console time for " << port.bytes() << " bytes and " << switches
              << " side switches\n";
}

} // namespace
} // namespace speedtest
