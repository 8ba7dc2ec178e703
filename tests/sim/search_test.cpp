// The sample profile file against the line model: which pair each search order settles on,
// by reasoning on the model and by running the whole search over the console.
#include "platform/clock.h"
#include "sim/rate_code.h"
#include "support/sim_fixture.h"

#include <cmath>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace simtest {
namespace {

using sim::Side;

// The pair the README promises for both orders on the default line.
constexpr const char* kReadmeDown = "7.58";
constexpr const char* kReadmeUp = "5.69";

struct Profile {
    std::string label;
    std::string rateCode;
    std::string tuningHigh;
    std::string tuningLow;
    std::uint8_t code() const {
        return static_cast<std::uint8_t>(std::stoul(rateCode, nullptr, 16));
    }
};

struct ProfileFile {
    std::vector<Profile> up;
    std::vector<Profile> down;
};

// Reads the sample file the way the configurator does: "#" comments, section lines, and
// "label;rateCode;tuningHigh;tuningLow;" profile lines.
ProfileFile readProfiles() {
    std::ifstream file(QUILLON_SOURCE_DIR "/examples/speedconf.txt");
    ProfileFile profiles;
    std::vector<Profile>* section = &profiles.up;
    std::string line;
    while (std::getline(file, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        if (line == "$UPSTREAM" || line == "$DOWNSTREAM") {
            section = line == "$UPSTREAM" ? &profiles.up : &profiles.down;
            continue;
        }
        std::vector<std::string> tokens;
        std::stringstream fields(line);
        for (std::string token; std::getline(fields, token, ';');)
            if (!token.empty())
                tokens.push_back(token);
        EXPECT_GE(tokens.size(), 4U) << line;
        if (tokens.size() >= 4)
            section->push_back({tokens[0], tokens[1], tokens[2], tokens[3]});
    }
    return profiles;
}

// A pair passes when the link trains, both sides read at least 6 dB and no errors are counted.
bool passesOnTheLine(const sim::LineModel& line, const Profile& us, const Profile& ds) {
    const sim::LinkQuality quality = line.quality(ds.code(), us.code());
    return quality.trains() && quality.up.snrDb >= 6.0 && quality.down.snrDb >= 6.0 &&
           quality.up.correctedPerSecond == 0.0 && quality.down.correctedPerSecond == 0.0;
}

using Pass = std::function<bool(int us, int ds)>;
struct Found {
    int us = -1;
    int ds = -1;
};

Found highToLow(int ups, int downs, const Pass& passes) {
    for (int ds = downs - 1; ds >= 0; --ds)
        for (int us = ups - 1; us >= 0; --us)
            if (passes(us, ds))
                return {us, ds};
    return {};
}

// Climbs each direction while attempts pass, steps back at the first failure.
Found lowToHigh(int ups, int downs, const Pass& passes) {
    int ds = 0;
    bool steppedBack = false;
    while (ds < downs) {
        if (passes(0, ds)) {
            if (steppedBack || ds == downs - 1)
                break;
            ++ds;
        } else {
            if (ds == 0)
                return {};
            steppedBack = true;
            --ds;
        }
    }
    int us = 1;
    steppedBack = false;
    while (us < ups) {
        if (passes(us, ds)) {
            if (steppedBack || us == ups - 1)
                break;
            ++us;
        } else {
            steppedBack = true;
            --us;
        }
    }
    return {std::min(us, ups - 1), ds};
}

std::string readFile(const std::string& path) {
    std::ifstream file(path);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

TEST(SampleProfiles, BothOrdersSettleOnTheReadmesPairBelowTheFastest) {
    const ProfileFile profiles = readProfiles();
    ASSERT_GE(profiles.up.size(), 4U);
    ASSERT_GE(profiles.down.size(), 4U);
    EXPECT_EQ(profiles.down.front().rateCode, "54");
    EXPECT_EQ(profiles.up.front().rateCode, "68");
    for (const auto* list : {&profiles.up, &profiles.down})
        for (std::size_t i = 1; i < list->size(); ++i)
            EXPECT_GT(sim::lineRateMbps((*list)[i].code()),
                      sim::lineRateMbps((*list)[i - 1].code()))
                << (*list)[i].label;

    const sim::LineModel line(sim::LineConfig{});
    const Pass passes = [&](int us, int ds) {
        return passesOnTheLine(line, profiles.up[static_cast<std::size_t>(us)],
                               profiles.down[static_cast<std::size_t>(ds)]);
    };
    const int ups = static_cast<int>(profiles.up.size());
    const int downs = static_cast<int>(profiles.down.size());
    for (const Found found : {highToLow(ups, downs, passes), lowToHigh(ups, downs, passes)}) {
        ASSERT_GE(found.ds, 0);
        EXPECT_LT(found.ds, downs - 1);
        EXPECT_LT(found.us, ups - 1);
        EXPECT_EQ(profiles.down[static_cast<std::size_t>(found.ds)].label, kReadmeDown);
        EXPECT_EQ(profiles.up[static_cast<std::size_t>(found.us)].label, kReadmeUp);
    }
    const std::string readme = readFile(QUILLON_SOURCE_DIR "/README.md");
    EXPECT_NE(readme.find(std::string("downstream ") + kReadmeDown + " and upstream " + kReadmeUp),
              std::string::npos);
}

// --- The whole search over the console ------------------------------------------------------

// The Apply procedure's console traffic for one search: Install mode and restart of the S unit,
// attempts (load both units, wait for the link, signal/noise and error checks), and saving the
// pair found.
class ConsoleSearch : public SimFixture {
protected:
    bool waitForLink(int count) {
        for (int i = 0;; ++i) {
            const int bits = readByte("8c71");
            if (bits >= 0 && (bits & 0x80) != 0)
                return true;
            if (i == count)
                return false;
            platform::sleepMs(1000);
        }
    }
    void write(const std::string& command) { link_.WriteCommand(command.c_str()); }
    void loadDefaults() {
        for (const char* command : {"wr 8c10 54\n", "wr 8c11 68\n", "wr 8c12 4b\n", "wr 8c13 00\n",
                                    "wr 8c14 b7\n", "wr 8c15 00\n"})
            write(command);
        link_.SendWriteCommand("or 8c00 04\n");
    }
    void writeSpeedRegisters(const Profile& us, const Profile& ds) {
        write("wr 8c10 " + ds.rateCode + "\n");
        write("wr 8c11 " + us.rateCode + "\n");
        write("wr 8c13 " + ds.tuningHigh + "\n");
        write("wr 8c12 " + ds.tuningLow + "\n");
        write("wr 8c15 " + us.tuningHigh + "\n");
        write("wr 8c14 " + us.tuningLow + "\n");
        write("\n");
    }
    void loadConfiguration(const Profile& us, const Profile& ds) {
        link_.SelectRemote();
        writeSpeedRegisters(us, ds);
        link_.SelectLocal();
        writeSpeedRegisters(us, ds);
        link_.SelectRemote();
        link_.SendWriteCommand("or 8c00 04\n");
        link_.SelectLocal();
        link_.SendWriteCommand("or 8c00 04\n");
    }
    bool snrPasses(std::uint8_t code) {
        const std::int64_t v = readBytes("8c99", 3);
        return v >= 0 &&
               sim::snrReferenceDb(code) - 10.0 * std::log10(static_cast<double>(v)) >= 6.0;
    }
    bool checkSnr(const Profile& us, const Profile& ds) {
        link_.SelectLocal();
        if (!snrPasses(us.code()))
            return false;
        link_.SelectRemote();
        const bool passes = snrPasses(ds.code());
        link_.SelectLocal();
        return passes;
    }
    std::int64_t errorSum() {
        readBytes("8C91", 4);
        std::int64_t sum = 0;
        for (int i = 0; i < 2; ++i) {
            platform::sleepMs(4000);
            const std::int64_t value = std::max<std::int64_t>(readBytes("8C91", 4), 0);
            sum += value;
            if (value != 0)
                break;
        }
        return sum;
    }
    bool checkErrors() {
        if (errorSum() != 0)
            return false;
        link_.SelectRemote();
        return errorSum() == 0;
    }
    void restartS() {
        link_.SelectRemote();
        write("or 8c00 20\n");
        platform::sleepMs(16000);
    }
    // Returns 1 for a pass, 0 for a failed attempt, -1 when the link never came back.
    int attempt(const Profile& us, const Profile& ds) {
        ++attempts_;
        loadConfiguration(us, ds);
        if (waitForLink(5))
            return checkSnr(us, ds) && checkErrors() ? 1 : 0;
        loadDefaults();
        return waitForLink(50) ? 0 : -1;
    }
    void prepare() {
        ASSERT_EQ(link_.SelectLocal(), 1);
        ASSERT_TRUE(waitForLink(1));
        link_.SelectRemote();
        for (const char* command : {"wr 8d00 a6\n", "wr c255 01\n", "wr 8d00 00\n"})
            write(command);
        link_.SelectLocal();
        restartS();
        link_.SelectLocal();
        ASSERT_TRUE(waitForLink(20));
    }
    void saveFound() {
        link_.SelectRemote();
        link_.SendWriteCommand("or 8c00 08\n");
        platform::sleepMs(2000);
        link_.SelectRemote();
        for (const char* command : {"wr 8d00 a6\n", "wr c255 05\n", "wr 8d00 00\n"})
            write(command);
        restartS();
        link_.SelectLocal();
        link_.SendWriteCommand("or 8c00 08\n");
        write("\n");
    }
    Found search(bool highToLowOrder) {
        const auto ups = static_cast<int>(profiles_.up.size());
        const auto downs = static_cast<int>(profiles_.down.size());
        bool lost = false;
        const Pass passes = [&](int us, int ds) {
            if (lost)
                return false;
            const int result = attempt(profiles_.up[static_cast<std::size_t>(us)],
                                       profiles_.down[static_cast<std::size_t>(ds)]);
            lost = result < 0;
            return result == 1;
        };
        const Found found =
            highToLowOrder ? highToLow(ups, downs, passes) : lowToHigh(ups, downs, passes);
        if (found.ds >= 0 && !lost)
            saveFound();
        return lost ? Found{} : found;
    }
    void expectBothUnitsRun(const Found& found) {
        const Profile& us = profiles_.up[static_cast<std::size_t>(found.us)];
        const Profile& ds = profiles_.down[static_cast<std::size_t>(found.ds)];
        for (Side side : {Side::P, Side::S}) {
            EXPECT_EQ(pair_->runningRates(side).downCode(), ds.code());
            EXPECT_EQ(pair_->runningRates(side).upCode(), us.code());
            EXPECT_EQ(pair_->eeprom(side, 0x8c10), ds.code());
            EXPECT_EQ(pair_->eeprom(side, 0x8c11), us.code());
        }
        EXPECT_EQ(pair_->mode(Side::S), 0x05);
    }

    ProfileFile profiles_ = readProfiles();
    int attempts_ = 0;
};

struct OrderCase {
    const char* name;
    bool highToLow;
    int attempts;
};

class SearchOrder : public ConsoleSearch, public ::testing::WithParamInterface<OrderCase> {};

TEST_P(SearchOrder, OnTheDefaultLineSavesTheReadmesPair) {
    prepare();
    const Found found = search(GetParam().highToLow);
    ASSERT_GE(found.ds, 0);
    EXPECT_EQ(profiles_.down[static_cast<std::size_t>(found.ds)].label, kReadmeDown);
    EXPECT_EQ(profiles_.up[static_cast<std::size_t>(found.us)].label, kReadmeUp);
    EXPECT_EQ(attempts_, GetParam().attempts);
    expectBothUnitsRun(found);
    wait(3000);
    EXPECT_TRUE(pair_->linkUp());
}

INSTANTIATE_TEST_SUITE_P(Orders, SearchOrder,
                         ::testing::Values(OrderCase{"HighToLow", true, 7},
                                           OrderCase{"LowToHigh", false, 10}),
                         [](const auto& param) { return std::string(param.param.name); });

TEST_F(ConsoleSearch, OnlyTheSlowestPairPassingTakesEveryAttemptOverMinutes) {
    sim::LineConfig line;
    line.override = [](std::uint8_t ds, std::uint8_t us) -> std::optional<sim::LinkQuality> {
        sim::LinkQuality quality = sim::LinkQuality::clean();
        if (ds != 0x54 || us != 0x68)
            quality.down = sim::LinkQuality::marginal().down; // errors on the S side only
        return quality;
    };
    makePair(line);
    const std::int64_t start = clock_.nowMs();
    prepare();
    const Found found = search(true);
    EXPECT_EQ(found.us, 0);
    EXPECT_EQ(found.ds, 0);
    EXPECT_EQ(attempts_, static_cast<int>(profiles_.up.size() * profiles_.down.size()));
    EXPECT_GT(clock_.nowMs() - start, 6 * 60 * 1000);
    expectBothUnitsRun(found);
}

sim::LineConfig fastestDownstreamNeverTrains() {
    sim::LineConfig line;
    line.override = [](std::uint8_t ds, std::uint8_t) -> std::optional<sim::LinkQuality> {
        if (ds == 0x32)
            return sim::LinkQuality::absent();
        return std::nullopt;
    };
    return line;
}

TEST_F(ConsoleSearch, PairThatNeverTrainsIsRecoveredByTheWatchdogInInstallMode) {
    makePair(fastestDownstreamNeverTrains());
    prepare();
    const Found found = search(true);
    ASSERT_GE(found.ds, 0);
    EXPECT_EQ(profiles_.down[static_cast<std::size_t>(found.ds)].label, kReadmeDown);
}

TEST_F(ConsoleSearch, PairThatNeverTrainsLosesTheSUnitInNormalMode) {
    makePair(fastestDownstreamNeverTrains());
    ASSERT_EQ(link_.SelectLocal(), 1);
    const Found found = search(true); // without Install mode
    EXPECT_LT(found.ds, 0);
    EXPECT_EQ(attempts_, 1);
    EXPECT_FALSE(pair_->linkUp());
    EXPECT_EQ(pair_->runningRates(Side::S).downCode(), 0x32);
}

} // namespace
} // namespace simtest
