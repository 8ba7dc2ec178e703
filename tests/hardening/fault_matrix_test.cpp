// Every console fault of the simulator struck at every phase of the program that talks to the
// unit, on the virtual clock: what the user is shown, how the process ends and how long the
// program waited from the strike. One table, one row per fault and phase. A fault is switched on
// as its phase starts, between two operations; in a search attempt it strikes when the step's
// first command arrives, before the unit answers it.

#include "app/main_sheet.h"
#include "app/port_dialog.h"
#include "app/process_objects.h"
#include "app/program.h"
#include "link/console_state.h"
#include "platform/message_box.h"
#include "platform/modal_runner.h"
#include "platform/port_open.h"
#include "platform/process_exit.h"
#include "platform/window_timers.h"
#include "procedures/mode_dialog.h"
#include "sim/simulated_port.h"
#include "sim/unitsim_options.h"
#include "speed/configuration_page.h"
#include "support/sim_fixture.h"

#include <QComboBox>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <unistd.h>

namespace {

using sim::Side;

constexpr std::int64_t kReadWaitMs = 4010; // one byte's wait: 10 ms + the 4000 ms constant
constexpr const char* kFatal = "Fatal Error: Communication error:\nthe program will be "
                               "closed\nVerify serial connection and restart the program";

enum class Phase {
    StartUp,
    ModeApply,
    VdslPoll,
    EnetPoll,
    ConfigStart,
    // The steps of a search attempt, struck when their first command arrives.
    AttemptLoad,     // the first rate write
    AttemptLinkWait, // the first link read after it
    AttemptSnr,      // the first signal/noise read
    AttemptErrors,   // the first error counter read
};

// How a phase ended, as the user sees it.
enum class End {
    Normal,        // the phase's own ending: a main window, "      Done", a completed poll
    NoAnswer,      // "No answer from device"
    SSideRequired, // "S side must be connected to start this procedure"
    Fatal,         // the fatal-error box, then exit status 1
    // How a search ends.
    Saved,       // "Configuration saved"
    FallBack,    // the defaults loaded after no pair passed
    InstallHint, // the link lost and not regained on the defaults
};

struct Row {
    const char* fault; // as quillon-unitsim's --fault takes it
    Phase phase;
    End end;
    // What the phase left behind (see the drivers); the exit status is checked through `end`.
    const char* detail;
    // Read time-outs the phase sat through: it took at least this many waits of 4010 ms and at
    // most that plus its own normal duration.
    int timeouts;
};

void PrintTo(const Row& row, std::ostream* out) {
    *out << row.fault << " at phase " << static_cast<int>(row.phase);
}

struct Observed {
    std::optional<int> exitStatus;
    std::vector<std::string> boxes; // "caption: text"
    std::string detail;
    std::int64_t elapsedMs = 0;
};

class FaultMatrix : public simtest::SimFixture, public ::testing::WithParamInterface<Row> {
protected:
    void SetUp() override {
        SimFixture::SetUp();
        platform::setPortOpener(sim::simulatedPortOpener(*pair_, clock_));
        platform::setMessageBoxHandler(
            [this](platform::WindowHandle, const std::string& text, const std::string& caption) {
                observed_.boxes.push_back(caption + ": " + text);
            });
        // Timers are recorded, never run: the test ticks the pages itself.
        platform::setWindowTimerBackend(
            {[](platform::WindowHandle, unsigned id, unsigned) { return id; },
             [](platform::WindowHandle, unsigned) { return true; }});
        objects_.emplace();
        // The Configuration page reads the sample profiles from the working folder.
        startFolder_ = std::filesystem::current_path();
        workFolder_ = std::filesystem::temp_directory_path() /
                      ("quillon-faults-" + std::to_string(::getpid()));
        std::filesystem::create_directories(workFolder_);
        std::filesystem::copy_file(QUILLON_SAMPLE_SPEEDCONF, workFolder_ / "speedconf.txt",
                                   std::filesystem::copy_options::overwrite_existing);
        std::filesystem::current_path(workFolder_);
    }
    void TearDown() override {
        std::filesystem::current_path(startFolder_);
        std::filesystem::remove_all(workFolder_);
        mainSheet_.reset();
        sheet_.reset();
        modeDialog_.reset();
        objects_.reset();
        platform::setModalRunner({});
        SimFixture::TearDown();
    }

    // Strikes the row's fault now, as quillon-unitsim's --fault does.
    void strike(const std::string& fault) {
        const std::size_t equals = fault.find('=');
        strikeMs_ = clock_.nowMs();
        sim::applyFault(*pair_, {fault.substr(0, equals),
                                 equals == std::string::npos ? "" : fault.substr(equals + 1), 0});
    }

    // Runs the phase, which may end the process. The time counts from the strike.
    void run(const std::function<void()>& phase) {
        try {
            phase();
        } catch (const platform::ProcessExit& exit) {
            observed_.exitStatus = exit.status;
        }
        observed_.elapsedMs = clock_.nowMs() - strikeMs_;
    }

    // --- The phases: each prepares the program up to the phase, strikes, then runs it ---

    // Start-up from the port (the port dialog left as it is) to the main window it chooses.
    // Detail: the main window that ran, or "none".
    void startUp(const std::string& fault) {
        std::string window = "none";
        platform::setModalRunner([&window](QDialog& dialog) {
            if (dynamic_cast<CMainTab*>(&dialog) != nullptr)
                window = "main sheet";
            else if (dynamic_cast<CModeDlg*>(&dialog) != nullptr)
                window = "mode dialog";
            return int{QDialog::Rejected};
        });
        strike(fault);
        run([this] { observed_.exitStatus = objects_->app.startUp() ? 0 : kExitNoAnswer; });
        observed_.detail = window;
    }

    // Apply of the mode dialog, Install chosen, on an S unit in Normal mode cabled to the PC.
    // Detail: the S unit's mode byte afterwards.
    void modeApply(const std::string& fault) {
        makePair({}, sim::PairOptions{.attached = Side::S});
        modeDialog_.emplace();
        platform::setMainWindow(&*modeDialog_);
        modeDialog_->show();
        modeDialog_->control<QRadioButton>(CModeDlg::kInstallId)->click();
        strike(fault);
        run([this] { modeDialog_->OnOK(); });
        char mode[3];
        std::snprintf(mode, sizeof mode, "%02x", pair_->mode(Side::S));
        observed_.detail = std::string("mode ") + mode;
    }

    // A tick of a status page that polls the remote unit, 4 s after the one before.
    // Detail: the link state of the title, the side checked, and whether the watched reading
    // (the VDSL page's signal/noise text, the Ethernet page's transmitted frames) took a new
    // value.
    template <class Page>
    void poll(const std::string& fault, Page& page, int tab,
              const std::function<std::string()>& watched) {
        tabs_->setCurrentIndex(tab);
        page.template control<QRadioButton>(1046)->click();
        page.onWindowTimer(64);
        clock_.advance(4000);
        // A new noise reading on both units, so any successful read of it shows.
        for (Side side : {Side::P, Side::S})
            pair_->fixRegister(side, 0x8c99, 54321);
        const std::string before = watched();
        strike(fault);
        run([&page] { page.onWindowTimer(64); });
        const bool local = page.template control<QRadioButton>(1045)->isChecked();
        observed_.detail = linkStateOfTitle(*sheet_) + (local ? " Local " : " Remote ") +
                           (watched() == before ? "kept" : "new");
    }

    // The Configuration page opening with the main sheet, on the sample profile file.
    // Detail: the link state of the title ("none" when no state was read) and the two Actual
    // boxes, downstream then upstream.
    void configStart(const std::string& fault) {
        openMainSheet();
        strike(fault);
        run([this] { mainSheet_->configPage.ensureInitialized(); });
        const CSet& page = mainSheet_->configPage;
        observed_.detail =
            linkStateOfTitle(*mainSheet_) + " " + page.downActualText + " " + page.upActualText;
    }

    // Apply on the Configuration page with a range of one pair (downstream 5.69, upstream
    // 1.90), the fault struck when the step's first command of the attempt arrives.
    // Detail: the rate codes the P and the S unit run afterwards, downstream/upstream.
    void attempt(const std::string& fault, const std::string& stepCommand) {
        openMainSheet();
        CSet& page = mainSheet_->configPage;
        page.ensureInitialized();
        for (QComboBox* list : {page.upMinList, page.upMaxList, page.downMinList, page.downMaxList})
            list->setCurrentIndex(1);
        page.OnSelChangeUpMin();
        page.OnSelChangeUpMax();
        page.OnSelChangeDownMin();
        page.OnSelChangeDownMax();
        bool attemptStarted = false;
        bool struck = false;
        pair_->onCommand([&, this](const sim::LoggedCommand& command) {
            attemptStarted = attemptStarted || command.text.starts_with("wr 8c10");
            if (attemptStarted && !struck && command.text.starts_with(stepCommand)) {
                struck = true;
                strike(fault);
            }
        });
        run([&page] { page.Apply(); });
        EXPECT_TRUE(struck) << "the step never came";
        observed_.detail = ratesOf(Side::P) + " " + ratesOf(Side::S);
    }

    void openMainSheet() {
        mainSheet_.emplace();
        platform::setMainWindow(&*mainSheet_);
    }

    std::string ratesOf(Side side) {
        const sim::RateSet rates = pair_->runningRates(side);
        char text[8];
        std::snprintf(text, sizeof text, "%02x/%02x", rates.downCode(), rates.upCode());
        return text;
    }

    static std::string linkStateOfTitle(const QWidget& window) {
        const QString title = window.windowTitle();
        if (title.endsWith("[link UP]"))
            return "UP";
        return title.endsWith("[link DOWN]") ? "DOWN" : "none";
    }

    void makeSheet() {
        sheet_ = std::make_unique<QDialog>();
        sheet_->setWindowTitle(QStringLiteral("Quillon Configurator"));
        tabs_ = new QTabWidget(sheet_.get());
        (new QVBoxLayout(sheet_.get()))->addWidget(tabs_);
        vdsl_ = new CStatus;
        enet_ = new CEnetStatus;
        // A blank first page, as the Configuration page opens before the status pages.
        tabs_->addTab(new QWidget, QStringLiteral("Configuration"));
        tabs_->addTab(vdsl_, vdsl_->windowTitle());
        tabs_->addTab(enet_, enet_->windowTitle());
        platform::setMainWindow(sheet_.get());
        sheet_->show();
    }

    void runPhase(const Row& row) {
        switch (row.phase) {
        case Phase::StartUp:
            return startUp(row.fault);
        case Phase::ModeApply:
            return modeApply(row.fault);
        case Phase::VdslPoll:
            makeSheet();
            return poll(row.fault, *vdsl_, 1, [this] { return vdsl_->snrText; });
        case Phase::EnetPoll:
            makeSheet();
            return poll(row.fault, *enet_, 2, [this] { return std::to_string(enet_->txFrames); });
        case Phase::ConfigStart:
            return configStart(row.fault);
        case Phase::AttemptLoad:
            return attempt(row.fault, "wr 8c10");
        case Phase::AttemptLinkWait:
            return attempt(row.fault, "rd 8c71");
        case Phase::AttemptSnr:
            return attempt(row.fault, "rd 8c99, 3");
        case Phase::AttemptErrors:
            return attempt(row.fault, "rd 8C91, 4");
        }
    }

    std::optional<ProcessObjects> objects_;
    std::optional<CModeDlg> modeDialog_;
    std::optional<CMainTab> mainSheet_;
    std::filesystem::path startFolder_;
    std::filesystem::path workFolder_;
    std::unique_ptr<QDialog> sheet_;
    QTabWidget* tabs_ = nullptr;
    CStatus* vdsl_ = nullptr;
    CEnetStatus* enet_ = nullptr;
    Observed observed_;
    std::int64_t strikeMs_ = 0;
};

// The boxes and exit status that each ending gives in each phase.
std::vector<std::string> expectedBoxes(const Row& row) {
    const std::string app = platform::applicationName() + ": ";
    switch (row.end) {
    case End::Normal:
        return row.phase == Phase::ModeApply ? std::vector<std::string>{app + "      Done"}
                                             : std::vector<std::string>{};
    case End::NoAnswer:
        return {app + "No answer from device"};
    case End::SSideRequired:
        return {app + "S side must be connected to start this procedure"};
    case End::Fatal:
        return {kFatal};
    case End::Saved:
        return {app + "Configuration saved"};
    case End::FallBack:
        return {app + "Configuration can not be achieved\r\nDefault Configuration has been loaded"};
    case End::InstallHint:
        return {app + "Please run this program on S side to set it in Install mode.\nIf S side "
                      "is already in install mode,\nthen configuration can not be achieved"};
    }
    return {};
}

std::optional<int> expectedExit(const Row& row) {
    if (row.end == End::Fatal)
        return 1;
    if (row.phase != Phase::StartUp)
        return std::nullopt;
    return row.end == End::NoAnswer ? kExitNoAnswer : 0;
}

// The longest a phase takes when nothing goes wrong, traffic and the unit's own pauses included.
std::int64_t normalDurationMs(Phase phase) {
    switch (phase) {
    case Phase::ModeApply:
        return 8000; // the restart keeps the unit silent for 6 s
    case Phase::StartUp:
    case Phase::VdslPoll:
    case Phase::EnetPoll:
        return 2000;
    case Phase::ConfigStart:
        return 3000; // a link found down is read again after a second
    case Phase::AttemptLoad:
    case Phase::AttemptLinkWait:
    case Phase::AttemptSnr:
    case Phase::AttemptErrors:
        // The rest of Apply at its longest: the attempt's link waits (5 s, then 50 s on the
        // defaults), its error checks (16 s) and the fall-back's 50 s wait.
        return 130000;
    }
    return 0;
}

TEST_P(FaultMatrix, EndsAsTheUserIsToldWithinTheTimeOuts) {
    const Row& row = GetParam();
    runPhase(row);

    EXPECT_EQ(observed_.boxes, expectedBoxes(row));
    EXPECT_EQ(observed_.exitStatus, expectedExit(row));
    EXPECT_EQ(observed_.detail, row.detail);
    EXPECT_GE(observed_.elapsedMs, row.timeouts * kReadWaitMs);
    EXPECT_LE(observed_.elapsedMs, row.timeouts * kReadWaitMs + normalDurationMs(row.phase));
    if (row.end == End::Fatal) {
        EXPECT_EQ(g_portHandle, nullptr) << "the port is closed before the process ends";
    }
}

std::string rowName(const ::testing::TestParamInfo<Row>& info) {
    static const char* const kPhases[] = {"StartUp",         "ModeApply",   "VdslPoll",
                                          "EnetPoll",        "ConfigStart", "AttemptLoad",
                                          "AttemptLinkWait", "AttemptSnr",  "AttemptErrors"};
    std::string name = kPhases[static_cast<int>(info.param.phase)] + std::string("_");
    for (const char* c = info.param.fault; *c != '\0' && *c != '='; ++c)
        name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
    return name;
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Faults, FaultMatrix, ::testing::Values(
    // The quiet side selection sits out its exchanges before the read of 8c70 fails: all four
    // when the unit is silent, two replies cut by the gap.
    Row{"silent",        Phase::StartUp,   End::Fatal,    "none",        5},
    Row{"no-echo",       Phase::StartUp,   End::Fatal,    "none",        1},
    Row{"gap",           Phase::StartUp,   End::Fatal,    "none",        3},
    Row{"garbage",       Phase::StartUp,   End::NoAnswer, "none",        0},
    Row{"long-reply",    Phase::StartUp,   End::Fatal,    "none",        0},
    Row{"no-value=8c70", Phase::StartUp,   End::NoAnswer, "none",        0},
    Row{"wrong-echo",    Phase::StartUp,   End::Normal,   "main sheet",  0},
    Row{"unreachable",   Phase::StartUp,   End::Normal,   "main sheet",  0},
    Row{"link-drop",     Phase::StartUp,   End::Normal,   "main sheet",  0},
    Row{"cable-move",    Phase::StartUp,   End::Normal,   "mode dialog", 0},
    Row{"hangup",        Phase::StartUp,   End::Fatal,    "none",        0},

    Row{"silent",        Phase::ModeApply, End::Fatal,    "mode 05", 1},
    Row{"no-echo",       Phase::ModeApply, End::Fatal,    "mode 05", 1},
    Row{"gap",           Phase::ModeApply, End::Fatal,    "mode 05", 1},
    Row{"garbage",       Phase::ModeApply, End::NoAnswer, "mode 05", 0},
    Row{"long-reply",    Phase::ModeApply, End::Fatal,    "mode 05", 0},
    Row{"no-value=8c70", Phase::ModeApply, End::NoAnswer, "mode 05", 0},
    Row{"wrong-echo",    Phase::ModeApply, End::Normal,   "mode 01", 0},
    Row{"unreachable",   Phase::ModeApply, End::Normal,   "mode 01", 0},
    Row{"link-drop",     Phase::ModeApply, End::Normal,   "mode 01", 0},
    Row{"cable-move",    Phase::ModeApply, End::SSideRequired, "mode 05", 0},
    Row{"hangup",        Phase::ModeApply, End::Fatal,    "mode 05", 0},

    Row{"silent",        Phase::VdslPoll,  End::Fatal,    "UP Remote kept",   1},
    Row{"no-echo",       Phase::VdslPoll,  End::Fatal,    "UP Remote kept",   1},
    Row{"gap",           Phase::VdslPoll,  End::Fatal,    "UP Remote kept",   1},
    Row{"garbage",       Phase::VdslPoll,  End::Normal,   "DOWN Local kept",  0},
    Row{"long-reply",    Phase::VdslPoll,  End::Fatal,    "UP Remote kept",   0},
    Row{"no-value=8C99", Phase::VdslPoll,  End::Normal,   "UP Remote kept",   0},
    Row{"wrong-echo",    Phase::VdslPoll,  End::Normal,   "UP Remote new",    0},
    Row{"unreachable",   Phase::VdslPoll,  End::Normal,   "DOWN Local new",   0},
    Row{"link-drop",     Phase::VdslPoll,  End::Normal,   "DOWN Local new",   0},
    Row{"cable-move",    Phase::VdslPoll,  End::Normal,   "UP Remote new",    0},
    Row{"hangup",        Phase::VdslPoll,  End::Fatal,    "UP Remote kept",   0},

    Row{"silent",        Phase::EnetPoll,  End::Fatal,    "UP Remote kept",   1},
    Row{"no-echo",       Phase::EnetPoll,  End::Fatal,    "UP Remote kept",   1},
    Row{"gap",           Phase::EnetPoll,  End::Fatal,    "UP Remote kept",   1},
    Row{"garbage",       Phase::EnetPoll,  End::Normal,   "DOWN Local kept",  0},
    Row{"long-reply",    Phase::EnetPoll,  End::Fatal,    "UP Remote kept",   0},
    Row{"no-value=8D1C", Phase::EnetPoll,  End::Normal,   "UP Remote kept",   0},
    Row{"wrong-echo",    Phase::EnetPoll,  End::Normal,   "UP Remote new",    0},
    Row{"unreachable",   Phase::EnetPoll,  End::Normal,   "DOWN Local new",   0},
    Row{"link-drop",     Phase::EnetPoll,  End::Normal,   "DOWN Local new",   0},
    Row{"cable-move",    Phase::EnetPoll,  End::Normal,   "UP Remote new",    0},
    Row{"hangup",        Phase::EnetPoll,  End::Fatal,    "UP Remote kept",   0},

    Row{"silent",        Phase::ConfigStart, End::Fatal,  "none  ",         1},
    Row{"no-echo",       Phase::ConfigStart, End::Fatal,  "none  ",         1},
    Row{"gap",           Phase::ConfigStart, End::Fatal,  "none  ",         1},
    Row{"garbage",       Phase::ConfigStart, End::Normal, "none - -",       0},
    Row{"long-reply",    Phase::ConfigStart, End::Fatal,  "none  ",         0},
    Row{"no-value=8c71", Phase::ConfigStart, End::Normal, "none 3.79 1.42", 0},
    Row{"wrong-echo",    Phase::ConfigStart, End::Normal, "UP 3.79 1.42",   0},
    Row{"unreachable",   Phase::ConfigStart, End::Normal, "UP 3.79 1.42",   0},
    Row{"link-drop",     Phase::ConfigStart, End::Normal, "DOWN 3.79 1.42", 0},
    Row{"cable-move",    Phase::ConfigStart, End::Normal, "UP 3.79 1.42",   0},
    Row{"hangup",        Phase::ConfigStart, End::Fatal,  "none  ",         0},

    // A cable moved in the middle of a command loses it: the echo never comes. A remote unit
    // that cannot be reached sends the S side's commands to the P unit (selections are not
    // checked): its restart then keeps the console silent past the time-out.
    Row{"silent",        Phase::AttemptLoad, End::Fatal,       "54/68 54/68", 1},
    Row{"no-echo",       Phase::AttemptLoad, End::Fatal,       "54/68 54/68", 1},
    Row{"gap",           Phase::AttemptLoad, End::Fatal,       "54/68 54/68", 1},
    Row{"garbage",       Phase::AttemptLoad, End::InstallHint, "54/68 54/68", 0},
    Row{"long-reply",    Phase::AttemptLoad, End::Fatal,       "54/68 54/68", 0},
    Row{"no-value=8c71", Phase::AttemptLoad, End::InstallHint, "54/68 54/68", 0},
    Row{"wrong-echo",    Phase::AttemptLoad, End::Saved,       "44/58 44/58", 0},
    Row{"unreachable",   Phase::AttemptLoad, End::FallBack,    "54/68 54/68", 0},
    Row{"link-drop",     Phase::AttemptLoad, End::FallBack,    "54/68 54/68", 0},
    Row{"cable-move",    Phase::AttemptLoad, End::Fatal,       "54/68 54/68", 1},
    Row{"hangup",        Phase::AttemptLoad, End::Fatal,       "54/68 54/68", 0},

    Row{"silent",        Phase::AttemptLinkWait, End::Fatal,       "44/58 44/58", 1},
    Row{"no-echo",       Phase::AttemptLinkWait, End::Fatal,       "44/58 44/58", 1},
    Row{"gap",           Phase::AttemptLinkWait, End::Fatal,       "44/58 44/58", 1},
    Row{"garbage",       Phase::AttemptLinkWait, End::InstallHint, "54/68 54/68", 0},
    Row{"long-reply",    Phase::AttemptLinkWait, End::Fatal,       "44/58 44/58", 0},
    Row{"no-value=8c71", Phase::AttemptLinkWait, End::InstallHint, "54/68 54/68", 0},
    Row{"wrong-echo",    Phase::AttemptLinkWait, End::Saved,       "44/58 44/58", 0},
    Row{"unreachable",   Phase::AttemptLinkWait, End::Fatal,       "44/58 44/58", 1},
    Row{"link-drop",     Phase::AttemptLinkWait, End::FallBack,    "54/68 54/68", 0},
    Row{"cable-move",    Phase::AttemptLinkWait, End::Fatal,       "44/58 44/58", 1},
    Row{"hangup",        Phase::AttemptLinkWait, End::Fatal,       "44/58 44/58", 0},

    // Garbage from the console makes the side selection switch blindly: the defaults of the
    // fall-back go to the S unit.
    Row{"silent",        Phase::AttemptSnr, End::Fatal,    "44/58 44/58", 1},
    Row{"no-echo",       Phase::AttemptSnr, End::Fatal,    "44/58 44/58", 1},
    Row{"gap",           Phase::AttemptSnr, End::Fatal,    "44/58 44/58", 1},
    Row{"garbage",       Phase::AttemptSnr, End::FallBack, "44/58 54/68", 0},
    Row{"long-reply",    Phase::AttemptSnr, End::Fatal,    "44/58 44/58", 0},
    Row{"no-value=8c99", Phase::AttemptSnr, End::FallBack, "54/68 54/68", 0},
    Row{"wrong-echo",    Phase::AttemptSnr, End::Saved,    "44/58 44/58", 0},
    Row{"unreachable",   Phase::AttemptSnr, End::Fatal,    "44/58 44/58", 1},
    Row{"link-drop",     Phase::AttemptSnr, End::FallBack, "54/68 54/68", 0},
    Row{"cable-move",    Phase::AttemptSnr, End::Fatal,    "44/58 44/58", 1},
    Row{"hangup",        Phase::AttemptSnr, End::Fatal,    "44/58 44/58", 0},

    // A counter read without a value counts 0; so does the P unit's while the line is cut,
    // and the S side's check goes to the P unit while the remote one cannot be reached.
    Row{"silent",        Phase::AttemptErrors, End::Fatal, "44/58 44/58", 1},
    Row{"no-echo",       Phase::AttemptErrors, End::Fatal, "44/58 44/58", 2},
    Row{"gap",           Phase::AttemptErrors, End::Fatal, "44/58 44/58", 1},
    Row{"garbage",       Phase::AttemptErrors, End::Saved, "44/58 44/58", 0},
    Row{"long-reply",    Phase::AttemptErrors, End::Fatal, "44/58 44/58", 0},
    Row{"no-value=8C91", Phase::AttemptErrors, End::Saved, "44/58 44/58", 0},
    Row{"wrong-echo",    Phase::AttemptErrors, End::Saved, "44/58 44/58", 0},
    Row{"unreachable",   Phase::AttemptErrors, End::Fatal, "44/58 44/58", 1},
    Row{"link-drop",     Phase::AttemptErrors, End::Saved, "44/58 44/58", 0},
    Row{"cable-move",    Phase::AttemptErrors, End::Fatal, "44/58 44/58", 1},
    Row{"hangup",        Phase::AttemptErrors, End::Fatal, "44/58 44/58", 0}),
    rowName);
// clang-format on

} // namespace
