// Every console fault of the simulator struck at every phase of the program that talks to the
// unit, on the virtual clock: the boxes shown, the exit status, what was left behind and how long
// the program waited from the strike. A fault strikes as its phase starts; in a search attempt,
// when the step's first command arrives, before the unit answers it.

#include "app/main_sheet.h"
#include "app/mode_dialog.h"
#include "app/process_objects.h"
#include "app/program.h"
#include "link/console_state.h"
#include "monitor/status_sheet.h"
#include "platform/modal_runner.h"
#include "platform/port_open.h"
#include "sim/simulated_port.h"
#include "sim/unitsim_options.h"
#include "speed/configuration_page.h"
#include "support/work_folder.h"

#include <QComboBox>
#include <QRadioButton>
#include <algorithm>
#include <array>
#include <cstdio>
#include <gtest/gtest.h>
#include <map>

namespace {

using sim::Side;

constexpr std::int64_t kReadWaitMs = 4010; // one byte's wait: 10 ms + the 4000 ms constant

enum class Phase { StartUp, ModeApply, VdslPoll, EnetPoll, ConfigStart, Attempt };

// As quillon-unitsim's --fault takes them; "no-value" takes the phase's register.
constexpr const char* kFaults[] = {"silent",     "no-echo",    "gap",        "garbage",
                                   "long-reply", "no-value",   "wrong-echo", "unreachable",
                                   "link-drop",  "cable-move", "hangup"};
constexpr std::size_t kNoValue = 5;

struct PhaseRow {
    const char* name;
    Phase phase;
    const char* step;      // in a search attempt: the command the fault strikes at
    const char* noValue;   // the register whose reply loses its value
    std::int64_t normalMs; // the longest the phase takes when nothing goes wrong
    // Per fault: the ending (see expectedBoxes), the read time-outs sat through (at least that
    // many waits of 4010 ms, at most that plus normalMs), a blank, then what it left behind.
    std::array<const char*, std::size(kFaults)> cells;
};

struct Row {
    const PhaseRow* phase;
    std::size_t fault;
    char end() const { return phase->cells[fault][0]; }
    int timeouts() const { return phase->cells[fault][1] - '0'; }
    std::string detail() const { return phase->cells[fault] + 3; }
};

std::string hex(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "%02x", value);
    return text;
}

std::string linkStateOfTitle(const QWidget& window) {
    const QString title = window.windowTitle();
    return title.endsWith("[link UP]") ? "UP" : title.endsWith("[link DOWN]") ? "DOWN" : "none";
}

// The status pages' sheet, unshown, stands ready for the polls; the other phases make their own
// main window.
class FaultMatrix : public monitortest::StatusSheet, public ::testing::WithParamInterface<Row> {
protected:
    void SetUp() override {
        StatusSheet::SetUp();
        platform::setMainWindow(nullptr);
        platform::setPortOpener(sim::simulatedPortOpener(*pair_, clock_));
        objects_.emplace();
        // The Configuration page reads the sample profiles from the working folder.
        std::filesystem::copy_file(QUILLON_SAMPLE_SPEEDCONF, folder_.path() / "speedconf.txt");
    }
    void TearDown() override {
        mainSheet_.reset();
        modeDialog_.reset();
        objects_.reset();
        StatusSheet::TearDown();
    }

    void strike() {
        const Row& row = GetParam();
        strikeMs_ = clock_.nowMs();
        sim::applyFault(*pair_,
                        {kFaults[row.fault], row.fault == kNoValue ? row.phase->noValue : "", 0});
    }

    // Runs the phase, which may end the process; the time counts from the strike.
    void run(const std::function<void()>& phase, bool strikeFirst = true) {
        if (strikeFirst)
            strike();
        if (const std::optional<int> status = testsupport::exitStatusOf(phase))
            exitStatus_ = status;
        elapsedMs_ = clock_.nowMs() - strikeMs_;
    }

    // Start-up from the port (the port dialog left as it is) to the main window it chooses.
    void startUp() {
        detail_ = "none";
        platform::setModalRunner([this](QDialog& dialog) {
            if (dynamic_cast<CMainTab*>(&dialog) != nullptr)
                detail_ = "main sheet";
            else if (dynamic_cast<CModeDlg*>(&dialog) != nullptr)
                detail_ = "mode dialog";
            return int{QDialog::Rejected};
        });
        run([this] { exitStatus_ = objects_->app.startUp() ? 0 : kExitNoAnswer; });
    }

    // Apply of the mode dialog, Install chosen, on an S unit in Normal mode cabled to the PC.
    void modeApply() {
        makePair({}, sim::PairOptions{.attached = Side::S});
        modeDialog_.emplace();
        platform::setMainWindow(&*modeDialog_);
        modeDialog_->show();
        modeDialog_->control<QRadioButton>(res::ids::mode::kInstall)->click();
        run([this] { modeDialog_->OnOK(); });
        detail_ = "mode " + hex(pair_->mode(Side::S));
    }

    // A tick of a status page that polls the remote unit, 4 s after the one before.
    void poll(platform::DialogPage& page, int tab, const std::function<std::string()>& watched) {
        platform::setMainWindow(sheet_.get());
        showTab(tab);
        click(page, kRemote);
        auto& ticked = dynamic_cast<platform::WindowTimerTarget&>(page);
        ticked.onWindowTimer(64);
        clock_.advance(4000);
        // A new noise reading on both units, so any successful read of it shows.
        for (Side side : {Side::P, Side::S})
            pair_->fixRegister(side, 0x8c99, 54321);
        const std::string before = watched();
        events_.clear();
        run([&ticked] { ticked.onWindowTimer(64); });
        if (exitStatus_) { // no tick may come while the fatal box is up
            EXPECT_EQ(events_.at(0), &page == vdsl_ ? "kill vdsl 64" : "kill enet 64");
        }
        detail_ = linkStateOfTitle(*sheet_) + (checked(page, kLocal) ? " Local " : " Remote ") +
                  (watched() == before ? "kept" : "new");
    }

    void configStart() {
        mainSheet_.emplace();
        platform::setMainWindow(&*mainSheet_);
        run([this] { mainSheet_->configPage.ensureInitialized(); });
        const CSet& page = mainSheet_->configPage;
        detail_ =
            linkStateOfTitle(*mainSheet_) + " " + page.downActualText + " " + page.upActualText;
    }

    // Apply on the Configuration page with a range of one pair (downstream 5.69, upstream 1.90).
    void attempt(const std::string& stepCommand) {
        mainSheet_.emplace();
        platform::setMainWindow(&*mainSheet_);
        CSet& page = mainSheet_->configPage;
        page.ensureInitialized();
        for (QComboBox* list : {page.upMinList, page.upMaxList, page.downMinList, page.downMaxList})
            list->setCurrentIndex(1); // each list's handler takes the selection
        bool attemptStarted = false;
        bool struck = false;
        pair_->onCommand([&, this](const sim::LoggedCommand& command) {
            attemptStarted = attemptStarted || command.text.starts_with("wr 8c10");
            if (attemptStarted && !struck && command.text.starts_with(stepCommand)) {
                struck = true;
                strike();
            }
        });
        run([&page] { page.Apply(); }, false);
        EXPECT_TRUE(struck) << "the step never came";
        const auto rates = [this](Side side) {
            const sim::RateSet set = pair_->runningRates(side);
            return hex(set.downCode()) + "/" + hex(set.upCode());
        };
        detail_ = rates(Side::P) + (rates(Side::P) == rates(Side::S) ? "" : " " + rates(Side::S));
    }

    void runPhase(const PhaseRow& row) {
        switch (row.phase) {
        case Phase::StartUp:
            return startUp();
        case Phase::ModeApply:
            return modeApply();
        case Phase::VdslPoll:
            return poll(*vdsl_, kVdslTab, [this] { return vdsl_->snrText; });
        case Phase::EnetPoll:
            return poll(*enet_, kEnetTab, [this] { return std::to_string(enet_->txFrames); });
        case Phase::ConfigStart:
            return configStart();
        case Phase::Attempt:
            return attempt(row.step);
        }
    }

    const testsupport::WorkFolder folder_{testsupport::WorkFolder::Enter};
    std::optional<ProcessObjects> objects_;
    std::optional<CModeDlg> modeDialog_;
    std::optional<CMainTab> mainSheet_;
    std::optional<int> exitStatus_;
    std::string detail_;
    std::int64_t elapsedMs_ = 0;
    std::int64_t strikeMs_ = 0;
};

// The box of each ending: N none (a main window ran, a poll completed), F the fatal box and
// status 1, D a mode changed, B no pair passed (defaults loaded), I the link lost for good.
std::vector<std::string> expectedBoxes(char end) {
    static const std::map<char, std::string> kTexts = {
        {'D', "      Done"},
        {'A', "No answer from device"},
        {'S', "S side must be connected to start this procedure"},
        {'V', "Configuration saved"},
        {'B', "Configuration can not be achieved\r\nDefault Configuration has been loaded"},
        {'I', "Please run this program on S side to set it in Install mode.\nIf S side is "
              "already in install mode,\nthen configuration can not be achieved"}};
    if (end == 'F')
        return {"Fatal Error: Communication error:\nthe program will be closed\nVerify serial "
                "connection and restart the program"};
    if (end == 'N')
        return {};
    return {platform::applicationName() + ": " + kTexts.at(end)};
}

TEST_P(FaultMatrix, EndsAsTheUserIsToldWithinTheTimeOuts) {
    const Row& row = GetParam();
    runPhase(*row.phase);

    std::vector<std::string> shown;
    for (const testsupport::RecordedBox& box : takeBoxes()) {
        shown.push_back(box.caption + ": " + box.text);
        EXPECT_TRUE(row.end() != 'F' || box.owner == platform::mainWindow());
    }
    EXPECT_EQ(shown, expectedBoxes(row.end()));
    const std::optional<int> startUpStatus =
        row.phase->phase == Phase::StartUp ? std::optional(row.end() == 'A' ? kExitNoAnswer : 0)
                                           : std::nullopt;
    EXPECT_EQ(exitStatus_, row.end() == 'F' ? std::optional(1) : startUpStatus);
    EXPECT_EQ(detail_, row.detail());
    EXPECT_GE(elapsedMs_, row.timeouts() * kReadWaitMs);
    EXPECT_LE(elapsedMs_, row.timeouts() * kReadWaitMs + row.phase->normalMs);
    if (row.end() == 'F') {
        EXPECT_EQ(g_portHandle, nullptr) << "the port is closed before the process ends";
    }
}

// Columns in the order of kFaults. Details: start-up, the main window that ran; mode Apply, the S
// unit's mode byte; polls, the title's link state, the side checked and whether the watched
// reading changed; Configuration start, the link state and the two Actual boxes; attempts, the
// rate codes down/up the P unit runs, then the S unit's when they differ. An attempt's normal
// time: link waits (5 s, then 50 s on the defaults), error checks (16 s), the 50 s fall-back.
// clang-format off
constexpr std::array<const char*, std::size(kFaults)> kPollCells = {
    "F1 UP Remote kept", "F1 UP Remote kept", "F1 UP Remote kept", "N0 DOWN Local kept",
    "F0 UP Remote kept", "N0 UP Remote kept", "N0 UP Remote new", "N0 DOWN Local new",
    "N0 DOWN Local new", "N0 UP Remote new", "F0 UP Remote kept"};
const PhaseRow kMatrix[] = {
    // The quiet side selection sits out its exchanges before the read of 8c70 fails: all four
    // when the unit is silent, two replies cut by the gap.
    {"StartUp", Phase::StartUp, "", "8c70", 2000, {
        "F5 none", "F1 none", "F3 none", "A0 none", "F0 none", "A0 none", "N0 main sheet",
        "N0 main sheet", "N0 main sheet", "N0 mode dialog", "F0 none"}},
    // The restart keeps the unit silent for 6 s.
    {"ModeApply", Phase::ModeApply, "", "8c70", 8000, {
        "F1 mode 05", "F1 mode 05", "F1 mode 05", "A0 mode 05", "F0 mode 05", "A0 mode 05",
        "D0 mode 01", "D0 mode 01", "D0 mode 01", "S0 mode 05", "F0 mode 05"}},
    {"VdslPoll", Phase::VdslPoll, "", "8C99", 2000, kPollCells},
    {"EnetPoll", Phase::EnetPoll, "", "8D1C", 2000, kPollCells},
    // A link found down is read again after a second.
    {"ConfigStart", Phase::ConfigStart, "", "8c71", 3000, {
        "F1 none  ", "F1 none  ", "F1 none  ", "N0 none - -", "F0 none  ", "N0 none 3.79 1.42",
        "N0 UP 3.79 1.42", "N0 UP 3.79 1.42", "N0 DOWN 3.79 1.42", "N0 UP 3.79 1.42",
        "F0 none  "}},
    // A cable moved in the middle of a command loses it: the echo never comes. A remote unit
    // that cannot be reached sends the S side's commands to the P unit (selections are not
    // checked): its restart then keeps the console silent past the time-out.
    {"AttemptLoad", Phase::Attempt, "wr 8c10", "8c71", 130000, {
        "F1 54/68", "F1 54/68", "F1 54/68", "I0 54/68", "F0 54/68", "I0 54/68", "V0 44/58",
        "B0 54/68", "B0 54/68", "F1 54/68", "F0 54/68"}},
    {"AttemptLinkWait", Phase::Attempt, "rd 8c71", "8c71", 130000, {
        "F1 44/58", "F1 44/58", "F1 44/58", "I0 54/68", "F0 44/58", "I0 54/68", "V0 44/58",
        "F1 44/58", "B0 54/68", "F1 44/58", "F0 44/58"}},
    // Garbage makes the side selection switch blindly: the fall-back's defaults go to the S unit.
    {"AttemptSnr", Phase::Attempt, "rd 8c99, 3", "8c99", 130000, {
        "F1 44/58", "F1 44/58", "F1 44/58", "B0 44/58 54/68", "F0 44/58", "B0 54/68", "V0 44/58",
        "F1 44/58", "B0 54/68", "F1 44/58", "F0 44/58"}},
    // A counter read without a value counts 0; so does the P unit's while the line is cut,
    // and the S side's check goes to the P unit while the remote one cannot be reached.
    {"AttemptErrors", Phase::Attempt, "rd 8C91, 4", "8C91", 130000, {
        "F1 44/58", "F2 44/58", "F1 44/58", "V0 44/58", "F0 44/58", "V0 44/58", "V0 44/58",
        "F1 44/58", "V0 44/58", "F1 44/58", "F0 44/58"}},
};
// clang-format on

std::vector<Row> allRows() {
    std::vector<Row> rows;
    for (const PhaseRow& phase : kMatrix)
        for (std::size_t fault = 0; fault < std::size(kFaults); ++fault)
            rows.push_back({&phase, fault});
    return rows;
}

INSTANTIATE_TEST_SUITE_P(Faults, FaultMatrix, ::testing::ValuesIn(allRows()),
                         [](const ::testing::TestParamInfo<Row>& cell) {
                             std::string name = std::string(cell.param.phase->name) + "_" +
                                                kFaults[cell.param.fault];
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

} // namespace
