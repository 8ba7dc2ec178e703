// The sample profile file on the default simulated line: each search order, run by the
// Configuration page over the console, saves the pair that the line model gives, which is the
// pair the README promises.
#include "speed/configuration_fixture.h"
#include "speed/speed_profile_file.h"

#include <QLineEdit>
#include <algorithm>
#include <fstream>
#include <gtest/gtest.h>

namespace speedtest {
namespace {

std::string readFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::uint8_t codeOf(const CSpeedEntry& profile) {
    return static_cast<std::uint8_t>(parseRateCode(profile.rateCode).value_or(0xff));
}

// A pair passes when the link trains, both sides read at least 6 dB and no errors are counted.
bool passes(const CSpeedEntry& us, const CSpeedEntry& ds) {
    const sim::LinkQuality q = sim::LineModel(sim::LineConfig{}).quality(codeOf(ds), codeOf(us));
    return q.trains() && q.up.snrDb >= 6.0 && q.down.snrDb >= 6.0 &&
           q.up.correctedPerSecond == 0.0 && q.down.correctedPerSecond == 0.0;
}

// HIGH to LOW keeps the fastest downstream profile that passes with any upstream profile, and
// with it the fastest upstream one. LOW to HIGH, on a line that judges a pair the same way every
// time, stops below the first failure of each direction: downstream on the slowest upstream
// profile, then upstream. Both as "downstream label/upstream label".
std::string modelsPair(const SpeedProfileFile& file, int order) {
    const auto& ups = file.upstream;
    const auto& downs = file.downstream;
    if (order == kHL) {
        for (auto ds = downs.rbegin(); ds != downs.rend(); ++ds)
            for (auto us = ups.rbegin(); us != ups.rend(); ++us)
                if (passes(*us, *ds))
                    return ds->label + "/" + us->label;
        return "";
    }
    std::size_t ds = 0;
    std::size_t us = 0;
    while (ds + 1 < downs.size() && passes(ups[0], downs[ds + 1]))
        ++ds;
    while (us + 1 < ups.size() && passes(ups[us + 1], downs[ds]))
        ++us;
    return downs[ds].label + "/" + ups[us].label;
}

class SampleSearch : public ConfigurationFixture {};

TEST_F(SampleSearch, EachOrderSavesTheModelsPairWhichTheReadmeNames) {
    const std::string sample = readFile(QUILLON_SOURCE_DIR "/examples/speedconf.txt");
    const SpeedProfileFile file = parseSpeedProfiles(sample);
    ASSERT_EQ(file.result, 1);
    for (int order : {kHL, kLH}) {
        SCOPED_TRACE(order);
        const std::string expected = modelsPair(file, order);
        EXPECT_EQ(expected, "7.58/5.69");
        makePair();
        boxes_.clear();
        openPage(sample);
        setRange(
            "00",
            (std::to_string(file.upLastIndex()) + std::to_string(file.downLastIndex())).c_str());
        choose(page_->algorithmList, order);
        std::vector<std::string> statuses;
        QObject::connect(
            page_->control<QLineEdit>(1010), &QLineEdit::textChanged,
            [&statuses](const QString& text) { statuses.push_back(text.toStdString()); });
        page_->applyButton->click();
        EXPECT_EQ(boxTexts(), std::vector<std::string>{"Configuration saved"});
        // Starting new rates leaves the unit's answer unread and drops the link while the console
        // is on the S side; the side switches after it must bring the exchanges back in step, or
        // the next link read takes the tail of that answer for its reply.
        EXPECT_EQ(std::count(statuses.begin(), statuses.end(), "can't read link status"), 0);
        EXPECT_EQ(page_->downActualText + "/" + page_->upActualText, expected);
        const std::uint8_t down = pair_->eeprom(sim::Side::P, 0x8c10);
        const std::uint8_t up = pair_->eeprom(sim::Side::P, 0x8c11);
        for (sim::Side side : {sim::Side::P, sim::Side::S}) {
            EXPECT_EQ(pair_->runningRates(side).downCode(), down);
            EXPECT_EQ(pair_->runningRates(side).upCode(), up);
            EXPECT_EQ(pair_->eeprom(side, 0x8c10), down);
            EXPECT_EQ(pair_->eeprom(side, 0x8c11), up);
        }
    }
    const std::string readme = readFile(QUILLON_SOURCE_DIR "/README.md");
    EXPECT_NE(readme.find("downstream 7.58 and upstream 5.69"), std::string::npos);
}

} // namespace
} // namespace speedtest
