#pragma once

// The Configuration page on the simulated unit pair: a working folder holding the test's
// speedconf.txt, a window standing for the main sheet with the page in it, and helpers to choose
// the range and read back what the search did.

#include "speed/configuration_page.h"
#include "support/sim_fixture.h"

#include <QComboBox>
#include <QDialog>
#include <QPushButton>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace speedtest {

// Four profiles per direction, slowest first; profile 0 of each is the units' default rate.
inline const std::string kFourByFour = "$UPSTREAM\n"
                                       "1.42;68;00;b7;\n"
                                       "1.90;58;00;b7;\n"
                                       "2.84;48;00;b7;\n"
                                       "5.69;44;00;b7;\n"
                                       "$DOWNSTREAM\n"
                                       "3.79;54;00;4b;\n"
                                       "5.69;44;00;4b;\n"
                                       "7.58;34;00;4b;\n"
                                       "11.38;32;00;4b;\n";
inline constexpr std::uint8_t kUpCodes[] = {0x68, 0x58, 0x48, 0x44};
inline constexpr std::uint8_t kDownCodes[] = {0x54, 0x44, 0x34, 0x32};

inline constexpr int kHighToLow = 0;
inline constexpr int kLowToHigh = 1;

// A pair of profile indexes as the search names them.
struct Pair {
    int us;
    int ds;
    bool operator==(const Pair&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const Pair& pair) {
    return out << "(us " << pair.us << ", ds " << pair.ds << ")";
}

class ConfigurationFixture : public simtest::SimFixture {
protected:
    void SetUp() override {
        SimFixture::SetUp();
        previousFolder_ = std::filesystem::current_path();
        std::random_device seed;
        folder_ = std::filesystem::temp_directory_path() /
                  ("quillon-config-" + std::to_string(seed()) + std::to_string(seed()));
        std::filesystem::create_directory(folder_);
        std::filesystem::current_path(folder_);
    }
    void TearDown() override {
        sheet_.reset();
        std::filesystem::current_path(previousFolder_);
        std::filesystem::remove_all(folder_);
        SimFixture::TearDown();
    }

    // Writes speedconf.txt (none when fileText is nullopt) and opens the page, which reads it.
    void openPage(const std::optional<std::string>& fileText = kFourByFour) {
        if (fileText)
            std::ofstream(folder_ / "speedconf.txt", std::ios::binary) << *fileText;
        sheet_ = std::make_unique<QDialog>();
        page_ = new CSet(sheet_.get());
        page_->ensureInitialized();
    }

    // The user picks an item, as a click in the list does.
    static void choose(QComboBox* list, int index) {
        list->setCurrentIndex(index);
        emit list->activated(index);
    }
    void setRange(Pair min, Pair max) {
        choose(page_->upMinList, min.us);
        choose(page_->upMaxList, max.us);
        choose(page_->downMinList, min.ds);
        choose(page_->downMaxList, max.ds);
    }
    void chooseAlgorithm(int item) { choose(page_->algorithmList, item); }
    void apply() { page_->applyButton->click(); }

    // The pairs loaded, in order, by the labels of the trace line of each attempt.
    std::vector<std::pair<std::string, std::string>> loadedLabels() const {
        std::vector<std::pair<std::string, std::string>> loaded;
        const std::string head = "\r\n- DS= ";
        for (std::size_t at = trace_.find(head); at != std::string::npos;
             at = trace_.find(head, at + 1)) {
            const std::size_t ds = at + head.size();
            const std::size_t separator = trace_.find(" - US= ", ds);
            const std::size_t us = separator + 7;
            loaded.emplace_back(trace_.substr(ds, separator - ds),
                                trace_.substr(us, trace_.find("\r\n", us) - us));
        }
        return loaded;
    }
    // The same as indexes of the four-by-four file.
    std::vector<Pair> attempts() const {
        static const std::vector<std::string> up = {"1.42", "1.90", "2.84", "5.69"};
        static const std::vector<std::string> down = {"3.79", "5.69", "7.58", "11.38"};
        auto indexOf = [](const std::vector<std::string>& labels, const std::string& label) {
            return static_cast<int>(std::find(labels.begin(), labels.end(), label) -
                                    labels.begin());
        };
        std::vector<Pair> pairs;
        for (const auto& [ds, us] : loadedLabels())
            pairs.push_back({indexOf(up, us), indexOf(down, ds)});
        return pairs;
    }

    std::vector<std::string> boxTexts() const {
        std::vector<std::string> texts;
        for (const auto& box : boxes_)
            texts.push_back(box.text);
        return texts;
    }
    int countInTrace(const std::string& text) const {
        int count = 0;
        for (std::size_t at = trace_.find(text); at != std::string::npos;
             at = trace_.find(text, at + 1))
            ++count;
        return count;
    }
    std::vector<std::string> commandsSince(std::size_t first) const {
        std::vector<std::string> texts;
        const auto& log = pair_->commandLog();
        for (std::size_t i = first; i < log.size(); ++i)
            texts.push_back(log[i].text);
        return texts;
    }
    std::string windowTitle() const { return sheet_->windowTitle().toStdString(); }

    std::unique_ptr<QDialog> sheet_;
    CSet* page_ = nullptr;

private:
    std::filesystem::path previousFolder_;
    std::filesystem::path folder_;
};

// What the line does with one pair of profiles of the four-by-four file.
enum class Verdict { Clean, LowSnrP, LowSnrS, ErrorsP, ErrorsS, NoTrain };

inline sim::LinkQuality qualityOf(Verdict verdict) {
    sim::LinkQuality quality = sim::LinkQuality::clean();
    switch (verdict) {
    case Verdict::Clean:
        break;
    // A ratio of 3 dB reads below 6 dB only where the 24-bit reading can reach it: for the
    // constellation of codes 68, 58 and 48 (k = 4), not for 44, 54, 34 or 32.
    case Verdict::LowSnrP: // the P side receives upstream
        quality.up.snrDb = 3.0;
        break;
    case Verdict::LowSnrS:
        quality.down.snrDb = 3.0;
        break;
    case Verdict::ErrorsP:
        quality.up = sim::LinkQuality::marginal().up;
        break;
    case Verdict::ErrorsS:
        quality.down = sim::LinkQuality::marginal().down;
        break;
    case Verdict::NoTrain:
        quality = sim::LinkQuality::absent();
        break;
    }
    return quality;
}

inline int indexOfCode(const std::uint8_t (&codes)[4], std::uint8_t code) {
    for (int i = 0; i < 4; ++i)
        if (codes[i] == code)
            return i;
    return -1;
}

// A line on which the pair (us, ds) of the four-by-four file behaves as judge says. Codes that
// are not in the file (none are) keep the model's behaviour.
inline sim::LineConfig lineWhere(std::function<Verdict(Pair)> judge) {
    sim::LineConfig line;
    line.override = [judge = std::move(judge)](std::uint8_t ds,
                                               std::uint8_t us) -> std::optional<sim::LinkQuality> {
        const int usIndex = indexOfCode(kUpCodes, us);
        const int dsIndex = indexOfCode(kDownCodes, ds);
        if (usIndex < 0 || dsIndex < 0)
            return std::nullopt;
        return qualityOf(judge({usIndex, dsIndex}));
    };
    return line;
}

} // namespace speedtest
