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
#include "support/data_rows.h"
#include "support/work_folder.h"

#include <QComboBox>
#include <QRadioButton>
#include <algorithm>
#include <gtest/gtest.h>
#include <map>
#include <stdexcept>

namespace {

using sim::Side;

constexpr std::int64_t kReadWaitMs = 4010; // one byte's wait: 10 ms + the 4000 ms constant

// A line of data/fault_matrix.txt, which says what its fields and cells mean.
struct PhaseRow {
    std::string name, step, noValue;
    std::int64_t normalMs = 0;
    std::vector<std::string> cells;
};

struct Matrix {
    std::vector<std::string> faults;
    std::map<char, testdata::Row> boxes; // by ending: the caption and text, none for no box
    std::vector<PhaseRow> phases;
};

const Matrix& matrix() {
    static const Matrix kMatrix = [] {
        Matrix m;
        for (const testdata::Row& f : testdata::rows(QUILLON_FAULT_MATRIX)) {
            if (f[0] == "fault")
                m.faults.assign(f.begin() + 1, f.end());
            else if (f[0] == "box")
                m.boxes[f[1].at(0)].assign(f.begin() + 2, f.end());
            else if (f.size() != 4 + m.faults.size())
                throw std::runtime_error("fault matrix: a cell too many or too few: " + f[0]);
            else
                m.phases.push_back({f[0], f[1], f[2], std::stoll(f[3]), {f.begin() + 4, f.end()}});
        }
        return m;
    }();
    return kMatrix;
}

struct Row {
    const PhaseRow* phase;
    std::size_t fault;
    char end() const { return phase->cells.at(fault)[0]; }
    int timeouts() const { return phase->cells.at(fault)[1] - '0'; }
    std::string detail() const { return phase->cells.at(fault).substr(3); }
};

std::string hex(unsigned value) {
    return QString("%1").arg(value, 2, 16, QChar('0')).toStdString();
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
        const std::string& fault = matrix().faults[row.fault];
        sim::applyFault(*pair_, {fault, fault == "no-value" ? row.phase->noValue : "", 0});
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
        detail_ = linkStateOfTitle(*mainSheet_) + " [" + page.downActualText + "] [" +
                  page.upActualText + "]";
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
        if (row.name == "StartUp")
            return startUp();
        if (row.name == "ModeApply")
            return modeApply();
        if (row.name == "VdslPoll")
            return poll(*vdsl_, kVdslTab, [this] { return vdsl_->snrText; });
        if (row.name == "EnetPoll")
            return poll(*enet_, kEnetTab, [this] { return std::to_string(enet_->txFrames); });
        if (row.name == "ConfigStart")
            return configStart();
        ASSERT_TRUE(row.name.starts_with("Attempt")) << row.name;
        attempt(row.step);
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

// The box of each ending, as data/fault_matrix.txt tells it.
std::vector<std::string> expectedBoxes(char end) {
    const testdata::Row& box = matrix().boxes.at(end);
    if (box.empty())
        return {};
    return {(box[0].empty() ? platform::applicationName() : box[0]) + ": " + box[1]};
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
        row.phase->name == "StartUp" ? std::optional(row.end() == 'A' ? kExitNoAnswer : 0)
                                     : std::nullopt;
    EXPECT_EQ(exitStatus_, row.end() == 'F' ? std::optional(1) : startUpStatus);
    EXPECT_EQ(detail_, row.detail());
    EXPECT_GE(elapsedMs_, row.timeouts() * kReadWaitMs);
    EXPECT_LE(elapsedMs_, row.timeouts() * kReadWaitMs + row.phase->normalMs);
    if (row.end() == 'F') {
        EXPECT_EQ(g_portHandle, nullptr) << "the port is closed before the process ends";
    }
}

std::vector<Row> allRows() {
    std::vector<Row> rows;
    for (const PhaseRow& phase : matrix().phases)
        for (std::size_t fault = 0; fault < matrix().faults.size(); ++fault)
            rows.push_back({&phase, fault});
    return rows;
}

INSTANTIATE_TEST_SUITE_P(Faults, FaultMatrix, ::testing::ValuesIn(allRows()),
                         [](const ::testing::TestParamInfo<Row>& cell) {
                             std::string name =
                                 cell.param.phase->name + "_" + matrix().faults[cell.param.fault];
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

} // namespace
