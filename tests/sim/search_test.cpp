// The sample profile file against the line model: which pair each search order settles on, by
// reasoning on the model and by running the Configuration page's search over the console.
#include "sim/rate_code.h"
#include "speed/configuration_fixture.h"
#include "speed/speed_profile_file.h"

#include <QLineEdit>
#include <algorithm>
#include <fstream>
#include <gtest/gtest.h>

namespace speedtest {
namespace {

using sim::Side;

// The pair the README promises for both orders on the default line.
constexpr const char* kReadmeDown = "7.58";
constexpr const char* kReadmeUp = "5.69";

const std::string kSampleFile = QUILLON_SOURCE_DIR "/examples/speedconf.txt";

std::string readFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::uint8_t codeOf(const CSpeedEntry& profile) {
    return static_cast<std::uint8_t>(parseRateCode(profile.rateCode).value_or(0xff));
}

// What the model says of a pair: the link trains, both sides read at least 6 dB and no errors
// are counted.
bool passesOnTheLine(const sim::LineModel& line, const CSpeedEntry& us, const CSpeedEntry& ds) {
    const sim::LinkQuality quality = line.quality(codeOf(ds), codeOf(us));
    return quality.trains() && quality.up.snrDb >= 6.0 && quality.down.snrDb >= 6.0 &&
           quality.up.correctedPerSecond == 0.0 && quality.down.correctedPerSecond == 0.0;
}

struct Labels {
    std::string down;
    std::string up;
};

// HIGH to LOW keeps the fastest downstream profile that passes with any upstream profile, and
// with it the fastest upstream profile that passes.
Labels highToLowOnTheModel(const SpeedProfileFile& file, const sim::LineModel& line) {
    for (auto ds = file.downstream.rbegin(); ds != file.downstream.rend(); ++ds)
        for (auto us = file.upstream.rbegin(); us != file.upstream.rend(); ++us)
            if (passesOnTheLine(line, *us, *ds))
                return {ds->label, us->label};
    return {};
}

// LOW to HIGH, on a line that judges a pair the same way every time, stops one profile below the
// first failure of each direction: downstream with the slowest upstream profile, then upstream.
Labels lowToHighOnTheModel(const SpeedProfileFile& file, const sim::LineModel& line) {
    std::size_t ds = 0;
    while (ds + 1 < file.downstream.size() &&
           passesOnTheLine(line, file.upstream[0], file.downstream[ds + 1]))
        ++ds;
    std::size_t us = 0;
    while (us + 1 < file.upstream.size() &&
           passesOnTheLine(line, file.upstream[us + 1], file.downstream[ds]))
        ++us;
    return {file.downstream[ds].label, file.upstream[us].label};
}

TEST(SampleProfiles, BothOrdersSettleOnTheReadmesPairBelowTheFastest) {
    const SpeedProfileFile file = parseSpeedProfiles(readFile(kSampleFile));
    ASSERT_EQ(file.result, 1);
    ASSERT_GE(file.upstream.size(), 4U);
    ASSERT_GE(file.downstream.size(), 4U);
    EXPECT_EQ(file.downstream.front().rateCode, "54");
    EXPECT_EQ(file.upstream.front().rateCode, "68");
    for (const auto* list : {&file.upstream, &file.downstream})
        for (std::size_t i = 1; i < list->size(); ++i)
            EXPECT_GT(sim::lineRateMbps(codeOf((*list)[i])),
                      sim::lineRateMbps(codeOf((*list)[i - 1])))
                << (*list)[i].label;

    const sim::LineModel line(sim::LineConfig{});
    for (const Labels& found : {highToLowOnTheModel(file, line), lowToHighOnTheModel(file, line)}) {
        EXPECT_EQ(found.down, kReadmeDown);
        EXPECT_EQ(found.up, kReadmeUp);
        EXPECT_NE(found.down, file.downstream.back().label);
        EXPECT_NE(found.up, file.upstream.back().label);
    }
    const std::string readme = readFile(QUILLON_SOURCE_DIR "/README.md");
    EXPECT_NE(readme.find(std::string("downstream ") + kReadmeDown + " and upstream " + kReadmeUp),
              std::string::npos);
}

// --- The page's search over the console -----------------------------------------------------

class SampleSearch : public ConfigurationFixture {
protected:
    void SetUp() override {
        ConfigurationFixture::SetUp();
        file_ = parseSpeedProfiles(readFile(kSampleFile));
    }
    // Opens the page on the sample file with its whole range chosen.
    void openOnSample(int order) {
        openPage(readFile(kSampleFile));
        setRange({0, 0}, {file_.upLastIndex(), file_.downLastIndex()});
        chooseAlgorithm(order);
    }
    const CSpeedEntry& profile(const std::vector<CSpeedEntry>& list, const std::string& label) {
        return *std::find_if(list.begin(), list.end(),
                             [&](const CSpeedEntry& entry) { return entry.label == label; });
    }
    void expectBothUnitsRunAndStore(const Labels& labels) {
        const std::uint8_t down = codeOf(profile(file_.downstream, labels.down));
        const std::uint8_t up = codeOf(profile(file_.upstream, labels.up));
        for (Side side : {Side::P, Side::S}) {
            EXPECT_EQ(pair_->runningRates(side).downCode(), down);
            EXPECT_EQ(pair_->runningRates(side).upCode(), up);
            EXPECT_EQ(pair_->eeprom(side, 0x8c10), down);
            EXPECT_EQ(pair_->eeprom(side, 0x8c11), up);
        }
        EXPECT_EQ(pair_->mode(Side::S), 0x05);
    }

    SpeedProfileFile file_;
};

struct OrderCase {
    const char* name;
    int order;
    std::size_t attempts;
};

class SampleSearchOrder : public SampleSearch, public ::testing::WithParamInterface<OrderCase> {};

TEST_P(SampleSearchOrder, OnTheDefaultLineSavesThePairTheModelGives) {
    const sim::LineModel line(sim::LineConfig{});
    const Labels expected = GetParam().order == kHighToLow ? highToLowOnTheModel(file_, line)
                                                           : lowToHighOnTheModel(file_, line);
    openOnSample(GetParam().order);
    apply();
    EXPECT_EQ(boxTexts(), std::vector<std::string>{"Configuration saved"});
    const auto loaded = loadedLabels();
    ASSERT_EQ(loaded.size(), GetParam().attempts);
    EXPECT_EQ(loaded.back().first, expected.down);
    EXPECT_EQ(loaded.back().second, expected.up);
    EXPECT_EQ(page_->downActualText, expected.down);
    EXPECT_EQ(page_->upActualText, expected.up);
    expectBothUnitsRunAndStore(expected);
    wait(3000);
    EXPECT_TRUE(pair_->linkUp());
}

// Starting new rates leaves the unit's answer unread and drops the link while the console is on
// the S side; the side switches after it must bring the exchanges back in step, or the next link
// read takes the tail of that answer for its reply.
TEST_P(SampleSearchOrder, ReadsTheLinkStateAtEveryRead) {
    openOnSample(GetParam().order);
    std::vector<std::string> statuses;
    QObject::connect(page_->control<QLineEdit>(1010), &QLineEdit::textChanged,
                     [&statuses](const QString& text) { statuses.push_back(text.toStdString()); });
    apply();
    ASSERT_EQ(boxTexts(), std::vector<std::string>{"Configuration saved"});
    EXPECT_EQ(std::count(statuses.begin(), statuses.end(), "can't read link status"), 0);
}

INSTANTIATE_TEST_SUITE_P(Orders, SampleSearchOrder,
                         ::testing::Values(OrderCase{"HighToLow", kHighToLow, 7},
                                           OrderCase{"LowToHigh", kLowToHigh, 10}),
                         [](const auto& param) { return std::string(param.param.name); });

sim::LineConfig fastestDownstreamNeverTrains() {
    sim::LineConfig line;
    line.override = [](std::uint8_t ds, std::uint8_t) -> std::optional<sim::LinkQuality> {
        if (ds == 0x32)
            return sim::LinkQuality::absent();
        return std::nullopt;
    };
    return line;
}

TEST_F(SampleSearch, PairThatNeverTrainsIsRecoveredByTheWatchdogInInstallMode) {
    makePair(fastestDownstreamNeverTrains());
    openOnSample(kHighToLow);
    apply();
    EXPECT_EQ(boxTexts(), std::vector<std::string>{"Configuration saved"});
    EXPECT_EQ(page_->downActualText, kReadmeDown);
    EXPECT_EQ(page_->upActualText, kReadmeUp);
}

// Without the Install-mode step of Apply the S unit has no watchdog: it stays on the rates that
// never train, and the P side on its defaults cannot reach it again.
TEST_F(SampleSearch, PairThatNeverTrainsLosesTheSUnitInNormalMode) {
    makePair(fastestDownstreamNeverTrains());
    openOnSample(kHighToLow);
    EXPECT_EQ(page_->RunSearch(), 0);
    EXPECT_EQ(loadedLabels().size(), 1U);
    EXPECT_EQ(boxTexts(),
              std::vector<std::string>{"Please run this program on S side to set it in "
                                       "Install mode.\nIf S side is already in install "
                                       "mode,\nthen configuration can not be achieved"});
    EXPECT_FALSE(pair_->linkUp());
    EXPECT_EQ(pair_->runningRates(Side::S).downCode(), 0x32);
    EXPECT_EQ(pair_->runningRates(Side::P).downCode(), 0x54);
}

} // namespace
} // namespace speedtest
