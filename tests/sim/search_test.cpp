// The sample profile file on the default simulated line: each search order, run by the
// Configuration page over the console, saves the pair the README promises on both units.
#include "res/control_ids.h"
#include "speed/configuration_fixture.h"
#include "speed/speed_profile_file.h"
#include "support/work_folder.h"

#include <QLineEdit>
#include <algorithm>
#include <gtest/gtest.h>

namespace speedtest {
namespace {

using testsupport::readFile;

using SampleSearch = ConfigurationFixture;

TEST_F(SampleSearch, EachOrderSavesTheSamplePairWhichTheReadmeNames) {
    const std::string sample = readFile(QUILLON_SOURCE_DIR "/examples/speedconf.txt");
    const SpeedProfileFile file = parseSpeedProfiles(sample);
    ASSERT_EQ(file.result, 1);
    for (int order : {kHL, kLH}) {
        SCOPED_TRACE(order);
        makePair();
        openPage(sample);
        setRange(
            "00",
            (std::to_string(file.upLastIndex()) + std::to_string(file.downLastIndex())).c_str());
        choose(page_->algorithmList, order);
        std::vector<std::string> statuses;
        QObject::connect(
            page_->control<QLineEdit>(res::ids::configuration::kStatus), &QLineEdit::textChanged,
            [&statuses](const QString& text) { statuses.push_back(text.toStdString()); });
        page_->applyButton->click();
        EXPECT_EQ(takeBoxTexts(), std::vector<std::string>{"Configuration saved"});
        // Starting new rates leaves the unit's answer unread while the console is on the S side;
        // the side switches after it must bring the exchanges back in step.
        EXPECT_EQ(std::count(statuses.begin(), statuses.end(), "can't read link status"), 0);
        EXPECT_EQ(page_->downActualText + "/" + page_->upActualText, "7.58/5.69");
        const std::uint8_t down = pair_->eeprom(sim::Side::P, 0x8c10);
        const std::uint8_t up = pair_->eeprom(sim::Side::P, 0x8c11);
        for (sim::Side side : {sim::Side::P, sim::Side::S}) {
            EXPECT_EQ(pair_->runningRates(side).downCode() * 256 +
                          pair_->runningRates(side).upCode(),
                      down * 256 + up);
            EXPECT_EQ(pair_->eeprom(side, 0x8c10) * 256 + pair_->eeprom(side, 0x8c11),
                      down * 256 + up);
        }
    }
    const std::string readme = readFile(QUILLON_SOURCE_DIR "/README.md");
    EXPECT_NE(readme.find("downstream 7.58 and upstream 5.69"), std::string::npos);
}

} // namespace
} // namespace speedtest
