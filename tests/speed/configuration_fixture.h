#pragma once

// The best-speed search and the Configuration page on the simulated pair, in a working folder of
// its own for speedconf.txt. A pair of profiles is written as two index digits, upstream first:
// "31" is upstream profile 3 with downstream profile 1.

#include "speed/best_speed_search.h"
#include "speed/configuration_page.h"
#include "speed/speed_profile_file.h"
#include "support/sim_fixture.h"
#include "support/test_sheet.h"
#include "support/work_folder.h"

#include <QComboBox>
#include <QDialog>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <cctype>
#include <regex>

namespace speedtest {

using testsupport::countOf;
using Texts = std::vector<std::string>;

// Four profiles per direction, slowest first; profile 0 of each is the units' default rate.
inline const std::string kFourByFour =
    "1.42;68;00;b7;\n1.90;58;00;b7;\n2.84;48;00;b7;\n5.69;44;00;b7;\n"
    "$DOWNSTREAM\n3.79;54;00;4b;\n5.69;44;00;4b;\n7.58;34;00;4b;\n11.38;32;00;4b;\n";
inline constexpr std::uint8_t kUpCodes[] = {0x68, 0x58, 0x48, 0x44};
inline constexpr std::uint8_t kDownCodes[] = {0x54, 0x44, 0x34, 0x32};
inline constexpr int kHL = 0, kLH = 1; // the direction list's items HIGH -> LOW, LOW  -> HIGH

// The pair of the four-by-four file with these rate codes; a code outside it gives the digit 4.
inline std::string pairOf(std::uint8_t up, std::uint8_t down) {
    return std::to_string(std::ranges::find(kUpCodes, up) - kUpCodes) +
           std::to_string(std::ranges::find(kDownCodes, down) - kDownCodes);
}

// A line on which each pair of the four-by-four file behaves as its letter in verdicts says, in
// groups of four by downstream profile: c clean, p low ratio at the P side (3 dB: below 6 for codes
// 68, 58, 48), e corrected errors at the S side, n no training. A capital is c until a pair with a
// faster upstream profile than profile 0 has been on the line.
inline sim::LineConfig lineWhere(std::string verdicts) {
    std::erase(verdicts, ' ');
    sim::LineConfig line;
    line.override = [verdicts, fasterUpSeen = std::make_shared<bool>(false)](
                        std::uint8_t ds, std::uint8_t us) -> std::optional<sim::LinkQuality> {
        const std::string pair = pairOf(us, ds);
        if (pair.find('4') != std::string::npos)
            return std::nullopt;
        *fasterUpSeen = *fasterUpSeen || pair[0] > '0';
        const char letter = verdicts[static_cast<std::size_t>((pair[1] - '0') * 4 + pair[0] - '0')];
        const auto v =
            static_cast<char>(std::isupper(letter) && !*fasterUpSeen ? 'c' : std::tolower(letter));
        sim::LinkQuality quality =
            v == 'n' ? sim::LinkQuality::absent() : sim::LinkQuality::clean();
        quality.up.snrDb = v == 'p' ? 3.0 : quality.up.snrDb;
        quality.down = v == 'e' ? sim::LinkQuality::marginal().down : quality.down;
        return quality;
    };
    return line;
}

// What the search shows, as the page would.
struct Shown : SearchObserver {
    void showStatus(const std::string& text, bool) override { status = text; }
    void showActualRates(const std::string& d, const std::string& u) override { actual = {d, u}; }
    void showMessage(const std::string& text) override { messages.push_back(text); }
    void busyChanged(bool isBusy) override { busy.push_back(isBusy); }
    std::string status;
    std::pair<std::string, std::string> actual; // downstream, upstream
    std::vector<std::string> messages;
    std::vector<bool> busy;
};

class ConfigurationFixture : public simtest::SimFixture {
protected:
    ConfigurationFixture() { search_.addObserver(shown_); }

    // The search on the profiles of the file's text, all of its lines read.
    void useFile(const std::string& fileText = kFourByFour) {
        const SpeedProfileFile file = parseSpeedProfiles(fileText);
        profiles_ = {file.upstream, file.downstream};
        search_.setProfiles(profiles_);
        search_.setProfilesLoaded(1);
    }
    // The search's range from min to max, each a pair.
    void setSearchRange(const char* min, const char* max) {
        search_.setSelection({min[0] - '0', max[0] - '0', min[1] - '0', max[1] - '0'});
    }
    // Writes speedconf.txt, if given, and opens the page, which reads it.
    void openPage(const std::optional<std::string>& fileText = kFourByFour) {
        if (fileText) {
            folder_.write(kSpeedFileName, *fileText);
            useFile(*fileText);
        }
        sheet_ = std::make_unique<testsupport::TestSheet>();
        page_ = new CSet(sheet_.get());
        page_->ensureInitialized();
    }
    // The user picks an item with the arrow keys.
    static void choose(QComboBox* list, int index) {
        for (int key = 0; key < list->count() && list->currentIndex() != index; ++key)
            QTest::keyClick(list, list->currentIndex() < index ? Qt::Key_Down : Qt::Key_Up);
    }
    void setRange(const char* min, const char* max) {
        choose(page_->upMinList, min[0] - '0');
        choose(page_->upMaxList, max[0] - '0');
        choose(page_->downMinList, min[1] - '0');
        choose(page_->downMaxList, max[1] - '0');
    }

    // The pair with these labels, and the pairs loaded, in order, by the labels of each attempt's
    // trace line: "33 23".
    std::string labelled(const std::string& up, const std::string& down) const {
        const auto indexOf = [](const std::vector<CSpeedEntry>& profiles,
                                const std::string& label) {
            return std::to_string(std::ranges::find(profiles, label, &CSpeedEntry::label) -
                                  profiles.begin());
        };
        return indexOf(profiles_.upstream, up) + indexOf(profiles_.downstream, down);
    }
    std::string attempts() const {
        static const std::regex loaded("\r\n- DS= (.*?) - US= (.*?)\r\n");
        std::string pairs;
        for (std::sregex_iterator it(trace_.begin(), trace_.end(), loaded), end; it != end; ++it)
            pairs += (pairs.empty() ? "" : " ") + labelled((*it)[2], (*it)[1]);
        return pairs;
    }
    // The commands the units received since the first'th, as "P:rd 8c71|S:wr 8c10 54|".
    std::string sentSince(std::size_t first) const {
        std::string sent;
        for (std::size_t i = first; i < pair_->commandLog().size(); ++i)
            sent +=
                sideLetter(pair_->commandLog()[i].unit) + (":" + pair_->commandLog()[i].text + "|");
        return sent;
    }

    const testsupport::WorkFolder folder_{testsupport::WorkFolder::Enter};
    SpeedProfiles profiles_;
    Shown shown_;
    BestSpeedSearch search_{link_};
    std::unique_ptr<QDialog> sheet_;
    CSet* page_ = nullptr;
};

} // namespace speedtest
