// Apply and the best-speed search on the simulated pair, without a window: attempts, outcomes,
// the units' state and what the search shows.
#include "speed/configuration_fixture.h"
#include "support/data_rows.h"
#include "support/work_folder.h"

#include <gtest/gtest.h>

namespace speedtest {
namespace {

using sim::Side;

const std::string kSaved = "Configuration saved";
const std::string kFallBack =
    "Configuration can not be achieved\r\nDefault Configuration has been loaded";

// An Apply run of data/search_cases.txt; event says what differs from a P-side unit with the link
// up at Apply.
struct SearchCase {
    std::string name, order, line, attempts, message, running;
    long linkReads = 0;
    std::string event = "None", range = "00 33", file = kFourByFour;
};

std::vector<SearchCase> searchCases() {
    std::vector<SearchCase> cases;
    for (testdata::Row f : testdata::rows(QUILLON_SPEED_DATA "/search_cases.txt")) {
        f.resize(10); // the optional fields left out keep their defaults
        SearchCase c{f[0], f[1], f[2], f[3], f[4], f[5], std::stol(f[6])};
        c.event = f[7].empty() ? c.event : f[7];
        c.range = f[8].empty() ? c.range : f[8];
        c.file = f[9].empty() ? c.file : f[9];
        cases.push_back(c);
    }
    return cases;
}

// A search that saves leaves both units on the pair, stored, the S side in Normal mode and the
// Actual boxes on its labels (on the defaults after a fall-back); one that does not stores
// nothing and leaves the S side in Install mode if Apply put it there.
TEST_F(ConfigurationFixture, ApplyTriesThePairsInOrderAndEndsAsItShould) {
    const std::vector<SearchCase> cases = searchCases();
    ASSERT_EQ(cases.size(), 25u);
    const std::string events =
        " None NoAnswer SSide Lost Gone Down DownAWhile Unreachable UnreachableAtSave ";
    for (const SearchCase& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_NE(events.find(" " + c.event + " "), std::string::npos);
        makePair(lineWhere(c.line));
        useFile(c.file);
        setSearchRange(c.range.c_str(), c.range.c_str() + 3);
        search_.setAlgorithm(c.order == "HL" ? kHL : c.order == "LH" ? kLH : kNoAlgorithm);
        shown_ = Shown();
        pair_->faults().noValueRegister = c.event == "NoAnswer" ? "8c70" : "";
        pair_->setAttached(c.event == "SSide" ? Side::S : Side::P);
        const bool unreachable = c.event == "Unreachable";
        pair_->faults().remoteUnreachable = unreachable;
        const bool upAtApply = c.event != "Down" && c.event != "DownAWhile";
        if (!upAtApply)
            pair_->dropLink(c.event == "Down" ? -1 : 1500);
        pair_->onCommand([this, &c](const sim::LoggedCommand& command) {
            if (c.event == "Lost" && command.text == "rd 8c71" && pair_->restartCount(Side::S) == 1)
                pair_->dropLink(-1);
            if (c.event == "UnreachableAtSave" && command.text == "or 8c00 08")
                pair_->faults().remoteUnreachable = true;
        });
        const std::int64_t sleptBefore = clock_.sleptMs();
        const std::size_t before = pair_->commandLog().size();
        trace_.clear();
        search_.Apply();

        const bool started = c.attempts != "refused";
        const bool saved = c.message == kSaved;
        EXPECT_EQ(attempts(), started ? c.attempts : "");
        EXPECT_EQ(shown_.messages, std::vector<std::string>{c.message});
        for (Side side : {Side::P, Side::S}) {
            const sim::RateSet rates = pair_->runningRates(side);
            if (side == Side::P || saved) {
                EXPECT_EQ(pairOf(rates.upCode(), rates.downCode()), c.running);
            }
            EXPECT_EQ(pairOf(pair_->eeprom(side, 0x8c11), pair_->eeprom(side, 0x8c10)),
                      saved ? c.running : "00");
        }
        // An S side out of reach from the start is left as it is.
        const bool prepared = started && upAtApply && !unreachable;
        EXPECT_EQ(pair_->mode(Side::S), prepared && !saved ? 0x01 : 0x05);
        EXPECT_EQ(pair_->restartCount(Side::S), int{prepared} + int{saved});
        if (saved || c.message == kFallBack) {
            EXPECT_EQ(labelled(shown_.actual.second, shown_.actual.first), c.running);
        }
        const std::string sent = sentSince(before);
        const bool lost = c.event == "Lost";
        const bool defaults = c.message == kFallBack || !upAtApply || lost ||
                              c.line.find_first_of("nN") != std::string::npos;
        const std::vector<std::tuple<const std::string*, std::string, bool>> parts = {
            {&trace_, "\r\nNo Link After Restart\r\n", lost},
            {&trace_, "\r\nRemote unit not reachable\r\n",
             unreachable || c.event == "UnreachableAtSave"},
            // The defaults in their own order, started, on the P side.
            {&sent,
             "P:wr 8c10 54|P:wr 8c11 68|P:wr 8c12 4b|P:wr 8c13 00|P:wr 8c14 b7|P:wr 8c15 00|P:or "
             "8c00 04|",
             defaults},
            // The S side stores the pair, then the P side, with an empty command after.
            {&sent, "S:or 8c00 08|", saved || c.event == "UnreachableAtSave"},
            {&sent, "P:or 8c00 08|P:|", saved}};
        for (const auto& [text, part, present] : parts)
            EXPECT_EQ(countOf(*text, part) > 0, present) << part;
        EXPECT_EQ(countOf(sent, "rd 8c71"), c.linkReads);
        const char* typeRead = c.event == "SSide" ? "S:|S:rd 8c70|" : "P:|P:rd 8c70|";
        EXPECT_TRUE(started || sent == typeRead) << sent; // on the local unit
        EXPECT_EQ(shown_.status, started ? "Done" : "");
        EXPECT_EQ(shown_.busy, (started ? std::vector<bool>{true, false} : std::vector<bool>{}));
        EXPECT_EQ(trace_.ends_with("\r\nDone\r\n"), started);
        if (&c == &cases[0]) {
            // The clean search sleeps the fixed pauses only: S restart 16 s, four error-count
            // pauses of 4 s, S save 2 s, S restart 16 s, 1 s before each link read but the first.
            const long waits = c.linkReads - countOf(trace_, "\nLooking for link status");
            EXPECT_EQ(clock_.sleptMs() - sleptBefore,
                      16000 + 4 * 4000 + 2000 + 16000 + 1000 * waits);
            EXPECT_EQ(countOf(trace_, "timeout"), 0);
        }
    }
}

// The P side is judged by the upstream profile's code, the S side by the downstream one's (68, 58:
// 2630267 reads 6.0 dB, 2630268 less). Loading a pair writes each unit's registers in the pair's
// order, an empty command after a field that kept its line feed, then starts the S side first.
TEST_F(ConfigurationFixture, CheckSnrAndLoadConfigurationTalkToEachSideInTurn) {
    useFile("1.42;68;00;b7\nk7;6e;00;b7;\nnone;zz;00;b7;\n$DOWNSTREAM\n1.90;58;00;4b;\n3.79;54;00;"
            "4b;\n");
    // Upstream profile, P and S readings, register without value (or the S side out of reach),
    // result, reads of 8c99. No reading, constellation 7 (no reference ratio), a code without a
    // digit or an S side that cannot be reached fails.
    const std::vector<std::tuple<int, std::uint32_t, std::uint32_t, const char*, int, long>> cases =
        {{0, 2630267, 2630267, "", 1, 2},
         {0, 2630268, 2630267, "", 0, 1},
         {0, 2630267, 2630268, "", 0, 2},
         {0, 1, 1, "8c99", 0, 1},
         {1, 1, 1, "", 0, 1},
         {2, 1, 1, "", 0, 1},
         {0, 1, 1, "unreachable", 0, 1}};
    for (const auto& [us, p, s, noValueRegister, result, reads] : cases) {
        SCOPED_TRACE(testing::Message() << us << " " << p << " " << s << noValueRegister);
        pair_->fixRegister(Side::P, 0x8c99, p);
        pair_->fixRegister(Side::S, 0x8c99, s);
        pair_->faults().remoteUnreachable = noValueRegister == std::string("unreachable");
        pair_->faults().noValueRegister = pair_->faults().remoteUnreachable ? "" : noValueRegister;
        const std::size_t before = pair_->commandLog().size();
        EXPECT_EQ(search_.CheckSnr(us, 0), result);
        EXPECT_EQ(countOf(sentSince(before), "rd 8c99, 3"), reads);
        EXPECT_EQ(pair_->addressedUnit(), Side::P);
        EXPECT_EQ(shown_.status, "Checking signal/noise ratio...");
    }
    pair_->faults().remoteUnreachable = false;
    // Each side is judged with the code it receives: 20000000 is 6.19 dB for the downstream code 54
    // and would fail for the upstream code 68.
    pair_->fixRegister(Side::S, 0x8c99, 20000000);
    EXPECT_EQ(search_.CheckSnr(0, 1), 1);

    const std::size_t before = pair_->commandLog().size();
    EXPECT_EQ(search_.LoadConfiguration(0, 0), 1);
    const std::string sent = sentSince(before);
    // Starting the S side drops the link; the console goes back to the P side, which starts last.
    const std::string expected =
        "P:|P:<05>|S:|S:|S:wr 8c10 58|S:wr 8c11 68|S:wr 8c13 00|S:wr 8c12 4b|S:wr 8c15 00|"
        "S:wr 8c14 b7|S:|S:|S:|P:<05>|P:|P:|P:wr 8c10 58|P:wr 8c11 68|P:wr 8c13 00|P:wr 8c12 4b|"
        "P:wr 8c15 00|P:wr 8c14 b7|P:|P:|P:|P:<05>|S:|S:|S:or 8c00 04|";
    EXPECT_EQ(sent.substr(0, expected.size()), expected);
    EXPECT_TRUE(sent.ends_with("|P:or 8c00 04|")) << sent;
    EXPECT_EQ(shown_.status, "Loading a configuration - DS= 1.90 - US= 1.42");
    EXPECT_EQ(countOf(trace_, "\r\nLoading a configuration ... \r\n- DS= 1.90 - US= 1.42\r\n"), 1);
    search_.LoadDefaults();
    EXPECT_EQ(countOf(trace_, "\r\nLoading defaults\r\n"), 1);
}

// The label of the first profile whose code, read as a number, matches the rate in use; else the
// rate its code gives; else "-".
TEST_F(ConfigurationFixture, ActualRateIsTheFirstMatchingProfilesLabelOrTheComputedRate) {
    useFile("1.42;68;00;b7;\n$DOWNSTREAM\nfirst;44;00;4b;\nsecond;44;00;4b;\nx; 0X34zz;00;4b;\n"
            "too large;10000000000000054;00;4b;\nthree digits;154;00;4b;\n");
    for (const auto& [code, shown] : std::vector<std::pair<std::string, std::string>>{
             {"54", "3.7917"}, {"44", "first"}, {"34", "x"}, {"b0", "-"}, {"", "-"}}) {
        pair_->faults().noValueRegister = code.empty() ? "8c40" : ""; // "": a reply without value
        exchange("wr 8c10 " + (code.empty() ? "54" : code) + "\n");   // the P side runs it
        exchange("or 8c00 04\n");
        search_.ReadLineSpeed();
        EXPECT_EQ(shown_.actual.first, shown) << code;
    }
}

} // namespace
} // namespace speedtest
