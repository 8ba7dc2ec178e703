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
#include "monitor/line_plot.h"
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
#include <QMouseEvent>
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

// Polls of the VDSL page for the given minutes; the remote unit from minute remoteAt, a line cut
// at minute cutAt that puts the page back on the local unit until the link is up a minute later.
void pollMinutes(CStatus& page, sim::UnitPair& pair, platform::VirtualClock& clock, int minutes,
                 int remoteAt = -1, int cutAt = -1) {
    constexpr int kPollsPerMinute = 15;
    for (int poll = 1; poll <= minutes * kPollsPerMinute; ++poll) {
        if (poll == remoteAt * kPollsPerMinute)
            page.control<QRadioButton>(res::ids::status_side::kRemote)->click();
        if (poll == cutAt * kPollsPerMinute)
            pair.dropLink(60000);
        clock.advance(4000);
        page.onWindowTimer(64);
    }
}

// The whole history, then a zoom around the Apply with the reading under the pointer.
void renderLineHistory(Renderer& renderer, CStatus& page) {
    page.showLineHistory();
    auto* window = page.findChild<LineHistoryWindow*>();
    renderer.render(*window, "line_history");
    const auto& samples = page.lineHistory().samples();
    const double end = static_cast<double>(samples.back().wallTimeMs);
    window->showRange(end - 75 * 60000.0, 60 * 60000.0);
    QCoreApplication::processEvents();
    LinePlot* plot = window->signalPlot();
    const monitor::LineSample& pointed = samples[samples.size() - 40 * 15];
    QMouseEvent move(QEvent::MouseMove,
                     QPointF(plot->xOf(static_cast<double>(pointed.wallTimeMs)),
                             plot->yOf(pointed.snrDb().value_or(0), false)),
                     plot->mapToGlobal(QPointF(0, 0)), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(plot, &move);
    renderer.render(*window, "line_history_zoomed");
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

// Two hours of the VDSL page around an Apply: an hour with a side change and a line cut, ten
// minutes on the Ethernet page (a gap in the history), half an hour more, the Apply, half an
// hour after it.
void renderMainSheet(Renderer& renderer, sim::UnitPair& pair, platform::VirtualClock& clock) {
    g_portHandle = std::make_unique<sim::SimulatedPort>(pair, clock);
    CMainTab sheet;
    platform::setMainWindow(&sheet);
    renderer.render(sheet, "main_sheet_configuration");
    sheet.tabs()->setCurrentIndex(1);
    clock.advance(4000);
    sheet.vdslPage.onWindowTimer(64);
    renderer.render(sheet, "main_sheet_vdsl_status");
    pollMinutes(sheet.vdslPage, pair, clock, 60, 20, 35);
    sheet.tabs()->setCurrentIndex(2);
    clock.advance(10 * 60000);
    renderer.render(sheet, "main_sheet_ethernet_status");
    sheet.tabs()->setCurrentIndex(1);
    pollMinutes(sheet.vdslPage, pair, clock, 20);
    renderAfterApply(renderer, sheet);
    sheet.tabs()->setCurrentIndex(1);
    pollMinutes(sheet.vdslPage, pair, clock, 30);
    renderLineHistory(renderer, sheet.vdslPage);
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
