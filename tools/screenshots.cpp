// Renders every window of the configurator to PNG files, offscreen, with the windows driven
// against the in-process unit-pair simulator on a virtual clock, so the pages show live values.
// The scale comes from the environment (QT_SCALE_FACTOR); each file name carries it.
//
// Usage: quillon_screenshots OUTPUT_FOLDER SPEEDCONF   (see scripts/screenshots)

#include "app/main_sheet.h"
#include "app/mode_dialog.h"
#include "app/port_dialog.h"
#include "app/process_objects.h"
#include "link/console_state.h"
#include "monitor/line_history_window.h"
#include "platform/clock.h"
#include "platform/message_box.h"
#include "platform/port_list.h"
#include "platform/port_open.h"
#include "platform/virtual_clock.h"
#include "platform/window_seams.h"
#include "platform/window_timers.h"
#include "res/control_ids.h"
#include "sim/simulated_port.h"
#include "sim/unit_pair.h"
#include "speed/installation_report.h"
#include "speed/report_details_dialog.h"
#include "speed/report_pdf.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

// Every box the program may show, as caption and text (an empty caption is the application's
// name).
const std::vector<std::pair<std::string, std::string>> kBoxes = {
    {"", "No answer from device"},
    {"Fatal Error", "Communication error:\nthe program will be closed\nVerify serial connection "
                    "and restart the program"},
    {"", "P side must be connected to start this procedure"},
    {"", "S side must be connected to start this procedure"},
    {"", "Failed to create Timer"},
    {"", "errore di SendCommand"},
    {"", "errore di ReadResult"},
    {"", "      Done"},
    {"", "Configuration file was not found"},
    {"", "syntax error in configuration file"},
    {"", "Max speed cannot be lower than min speed:\nselect different values"},
    {"", "Configuration saved"},
    {"", "Configuration can not be achieved\r\nDefault Configuration has been loaded"},
    {"", "Configuration can not be achieved"},
    {"", "Please run this program on S side to set it in Install mode.\nIf S side is already in "
         "install mode,\nthen configuration can not be achieved"},
    {"", "Select the Algorithm"},
    {"", "can't read link status"},
    {"", "Can't read link status"},
    {"", "The report could not be saved to\n/media/usb/installation-2026-03-01-0900.pdf"},
    {"", "The history could not be saved to\n/media/usb/line_history_2026-03-01_0900.csv"},
    {"", "The trace could not be saved to\n/media/usb/trace-2026-03-01-090000.txt"},
};

// The installation report's first pages are enough to show its layout.
constexpr int kReportPagesShown = 3;

class Renderer {
public:
    explicit Renderer(std::string folder) : folder_(std::move(folder)) {
        const int scale = static_cast<int>(qApp->devicePixelRatio() * 100 + 0.5);
        suffix_ = '@';
        suffix_ += std::to_string(scale);
        suffix_ += ".png";
    }

    // Shows the window as the program would, lets it lay out and paint, and saves it.
    void render(QWidget& window, const std::string& name) {
        if (!window.isVisible())
            window.show();
        QCoreApplication::processEvents();
        save(window.grab().toImage(), name);
    }
    void save(const QImage& image, const std::string& name) {
        const std::string path = folder_ + "/" + name + suffix_;
        if (!image.save(QString::fromStdString(path)))
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
        ++count_;
    }
    int dotsPerInch() const { return static_cast<int>(96 * qApp->devicePixelRatio() + 0.5); }
    int count() const { return count_; }

private:
    std::string folder_;
    std::string suffix_;
    int count_ = 0;
};

// File names: lower case letters and digits, the rest as single underscores.
std::string slug(const std::string& text) {
    std::string name;
    for (char c : text) {
        const bool keep = (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
        const bool upper = c >= 'A' && c <= 'Z';
        if (keep || upper)
            name += upper ? static_cast<char>(c - 'A' + 'a') : c;
        else if (!name.empty() && name.back() != '_')
            name += '_';
        if (name.size() >= 40)
            break;
    }
    while (!name.empty() && name.back() == '_')
        name.pop_back();
    return name;
}

// An hour of polls on the VDSL page: the remote unit from minute 20, a line cut at minute 35 that
// puts the page back on the local unit until the link is up again a minute later.
void renderLineHistory(Renderer& renderer, CStatus& page, sim::UnitPair& pair,
                       platform::VirtualClock& clock) {
    constexpr int kPollsPerMinute = 15;
    for (int poll = 1; poll <= 60 * kPollsPerMinute; ++poll) {
        if (poll == 20 * kPollsPerMinute)
            page.control<QRadioButton>(res::ids::status_side::kRemote)->click();
        if (poll == 35 * kPollsPerMinute)
            pair.dropLink(60000);
        clock.advance(4000);
        page.onWindowTimer(64);
    }
    page.showLineHistory();
    auto* window = page.findChild<LineHistoryWindow*>();
    renderer.render(*window, "line_history");
    window->close();
}

// The port dialog on a machine without further ports, then with two USB adapters plugged in,
// one of them chosen, and its list dropped.
void renderPortDialogs(Renderer& renderer) {
    platform::setPortLister([] { return std::vector<platform::SystemPort>{}; });
    {
        CPortDlg dialog;
        renderer.render(dialog, "port_dialog");
    }
    platform::setPortLister([] {
        return std::vector<platform::SystemPort>{{"ttyUSB0", "/dev/ttyUSB0", "FT232R USB UART"},
                                                 {"ttyACM0", "/dev/ttyACM0", "Arduino Uno"}};
    });
    {
        CPortDlg dialog;
        dialog.show();
        dialog.portCombo->setCurrentIndex(dialog.portCombo->findText(QStringLiteral("ttyUSB0")));
        renderer.render(dialog, "port_dialog_usb");
        dialog.portCombo->showPopup();
        renderer.render(*dialog.portCombo->view()->window(), "port_dialog_usb_list");
        dialog.portCombo->hidePopup();
    }
    platform::setPortLister({});
    platform::setPortDevices({});
}

void reportUnexpectedBox(platform::WindowHandle, const std::string& text,
                         const std::string& caption) {
    std::fprintf(stderr, "box while rendering [%s] %s\n", caption.c_str(), text.c_str());
}

// Apply over the whole range, HIGH to LOW, then the page with Report... enabled and the report.
void renderAfterApply(Renderer& renderer, CMainTab& sheet) {
    CSet& page = sheet.configPage;
    sheet.tabs()->setCurrentIndex(0);
    for (QComboBox* list : {page.upMaxList, page.downMaxList})
        list->setCurrentIndex(list->count() - 1);
    page.OnSelChangeUpMax();
    page.OnSelChangeDownMax();
    page.algorithmList->setCurrentIndex(0);
    // The search ends with a box of its own, rendered with the others.
    platform::setMessageBoxHandler(
        [](platform::WindowHandle, const std::string&, const std::string&) {});
    page.applyButton->click();
    platform::setMessageBoxHandler(reportUnexpectedBox);
    renderer.render(sheet, "main_sheet_configuration_after_apply");
    const ReportChoices choices{{"Mill Road cabinet 4", "VD-0417", "A. Installer"}};
    ReportDetailsDialog details(choices.details);
    renderer.render(details, "report_details_dialog");
    const std::vector<QImage> pages = reportPageImages(
        installationReportHtml(*page.installationRecord(), choices), renderer.dotsPerInch());
    for (std::size_t i = 0; i < pages.size() && i < kReportPagesShown; ++i)
        renderer.save(pages[i], "installation_report_p" + std::to_string(i + 1));
}

void renderMainSheet(Renderer& renderer, sim::UnitPair& pair, platform::VirtualClock& clock) {
    g_portHandle = std::make_unique<sim::SimulatedPort>(pair, clock);
    CMainTab sheet;
    platform::setMainWindow(&sheet);
    renderer.render(sheet, "main_sheet_configuration");
    sheet.tabs()->setCurrentIndex(1);
    clock.advance(4000);
    sheet.vdslPage.onWindowTimer(64);
    renderer.render(sheet, "main_sheet_vdsl_status");
    renderLineHistory(renderer, sheet.vdslPage, pair, clock);
    // A minute of traffic on the counters.
    clock.advance(60000);
    sheet.tabs()->setCurrentIndex(2);
    renderer.render(sheet, "main_sheet_ethernet_status");
    renderAfterApply(renderer, sheet);
    platform::setMainWindow(nullptr);
}

void renderModeDialog(Renderer& renderer, platform::VirtualClock& clock) {
    sim::UnitPair pair(clock, {}, sim::PairOptions{.attached = sim::Side::S, .sMode = 0x01});
    g_portHandle = std::make_unique<sim::SimulatedPort>(pair, clock);
    CModeDlg dialog;
    platform::setMainWindow(&dialog);
    renderer.render(dialog, "mode_dialog");
    platform::setMainWindow(nullptr);
    g_portHandle.reset();
}

void renderTraceWindow(Renderer& renderer, CDebugDlg& traceWindow) {
    // Where start-up places it.
    traceWindow.setFixedSize(QSize(350, 300).expandedTo(traceWindow.size()));
    traceWindow.move(0, 0);
    renderer.render(traceWindow, "trace_window");
}

void renderBoxes(Renderer& renderer) {
    for (const auto& [caption, text] : kBoxes) {
        const std::unique_ptr<QMessageBox> box = platform::makeMessageBox(
            nullptr, text, caption.empty() ? platform::applicationName() : caption);
        renderer.render(*box, "box_" + slug(text));
    }
}

} // namespace

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    platform::installWindowSeams();
    if (argc != 3) {
        std::fprintf(stderr, "usage: quillon_screenshots OUTPUT_FOLDER SPEEDCONF\n");
        return 2;
    }
    const std::string folder = std::filesystem::absolute(argv[1]).string();
    std::filesystem::create_directories(folder);
    // The Configuration page reads speedconf.txt from the working folder.
    const std::filesystem::path work = std::filesystem::temp_directory_path() / "quillon-shots";
    std::filesystem::create_directories(work);
    std::filesystem::copy_file(argv[2], work / "speedconf.txt",
                               std::filesystem::copy_options::overwrite_existing);
    std::filesystem::current_path(work);

    platform::VirtualClock clock;
    platform::setClock(&clock);
    // Timers are not run: the tool ticks the pages itself.
    platform::setWindowTimerBackend(
        {[](platform::WindowHandle, unsigned id, unsigned) { return id; },
         [](platform::WindowHandle, unsigned) { return true; }});
    platform::setMessageBoxHandler(reportUnexpectedBox);
    Renderer renderer(folder);
    {
        ProcessObjects objects;
        objects.traceWindow.Create();
        sim::UnitPair pair(clock);
        renderPortDialogs(renderer);
        renderer.render(objects.aboutBox, "about_box");
        objects.aboutBox.hide();
        renderMainSheet(renderer, pair, clock);
        renderModeDialog(renderer, clock);
        renderTraceWindow(renderer, objects.traceWindow);
        renderBoxes(renderer);
        g_portHandle.reset();
    }
    std::filesystem::current_path(folder);
    std::filesystem::remove_all(work);
    platform::setClock(nullptr);
    std::printf("%d windows rendered to %s\n", renderer.count(), folder.c_str());
    return 0;
}
