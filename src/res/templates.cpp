#include "res/templates.h"

#include "res/control_ids.h"
#include "res/icons.h"

#include <map>
#include <stdexcept>

namespace res {

namespace {

using platform::ControlKind;
using platform::ControlTemplate;
using platform::DialogTemplate;
using platform::kNoId;
namespace st = platform::style;
namespace ws = platform::window_style;
namespace cfg = ids::configuration;
namespace vdsl = ids::vdsl_status;
namespace enet = ids::ethernet_status;
namespace side = ids::status_side;

// A dialog's OK and Cancel buttons carry the ids that the dialog host gives those commands.
static_assert(ids::about::kOk == platform::kIdOk && ids::port::kOk == platform::kIdOk);
static_assert(ids::mode::kApply == platform::kIdOk && ids::mode::kClose == platform::kIdCancel);
static_assert(ids::trace::kCancel == platform::kIdCancel);
static_assert(ids::report_details::kOk == platform::kIdOk &&
              ids::report_details::kCancel == platform::kIdCancel);

constexpr unsigned kPopup = ws::kCaption | ws::kSysMenu | ws::kModalFrame;
constexpr unsigned kReadout = st::kDisabled | st::kBorder | st::kCenter;
constexpr unsigned kRateList = st::kDropDownList | st::kVScroll;
constexpr unsigned kIndicator = st::kDisabled;

ControlTemplate label(const char* text, int x, int y, int width, int height = 8,
                      unsigned style = st::kNone) {
    return {kNoId, ControlKind::Static, text, x, y, width, height, style};
}

ControlTemplate group(const char* text, int x, int y, int width, int height) {
    return {kNoId, ControlKind::GroupBox, text, x, y, width, height};
}

// A check box of 8 x 8 units that shows one bit, its label at labelX on the same line.
void addIndicator(std::vector<ControlTemplate>& controls, const char* text, int id, int labelX,
                  int labelWidth, int boxX, int y) {
    controls.push_back(label(text, labelX, y, labelWidth));
    controls.push_back({id, ControlKind::CheckBox, "", boxX, y, 8, 8, kIndicator});
}

// A counter box of 63 x 12 units with its label to the left.
void addCounter(std::vector<ControlTemplate>& controls, const char* text, int id, int labelX,
                int labelWidth, int boxX, int y) {
    controls.push_back(label(text, labelX, y + 2, labelWidth));
    controls.push_back({id, ControlKind::Edit, "", boxX, y, 63, 12,
                        st::kDisabled | st::kBorder | st::kDigitsOnly});
}

DialogTemplate aboutBox() {
    return {kAboutBox,
            "About Quillon Configurator",
            235,
            55,
            kPopup,
            {
                {kNoId, ControlKind::Icon, "128", 11, 17, 20, 20},
                label("Quillon Configurator Version 2-0-1", 46, 7, 122, 8, st::kNoPrefix),
                label("VDSL extender set-up and status", 46, 19, 122),
                label("Copyright (C) Quillon developers", 46, 31, 122),
                {ids::about::kOk, ControlKind::DefPushButton, "OK", 178, 7, 50, 14},
            }};
}

DialogTemplate configurationPage() {
    return {
        kConfigurationPage,
        "Configuration",
        350,
        242,
        ws::kChild,
        {
            group("Upstream", 10, 7, 159, 117),
            label("Actual (Mbps)", 28, 26, 46, 12),
            {cfg::kUpActual, ControlKind::Edit, "", 98, 26, 52, 12, st::kDisabled | st::kBorder},
            label("Min (Mbps)", 28, 58, 46, 12),
            {cfg::kUpMinList, ControlKind::ComboBox, "", 98, 58, 52, 50, kRateList},
            label("Max (Mbps)", 28, 92, 46, 12),
            {cfg::kUpMaxList, ControlKind::ComboBox, "", 98, 92, 52, 50, kRateList},
            group("Downstream", 181, 7, 159, 117),
            label("Actual (Mbps)", 198, 26, 46, 12),
            {cfg::kDownActual, ControlKind::Edit, "", 269, 26, 52, 12, st::kDisabled | st::kBorder},
            label("Min (Mbps)", 198, 58, 46, 12),
            {cfg::kDownMinList, ControlKind::ComboBox, "", 269, 58, 52, 50, kRateList},
            label("Max (Mbps)", 198, 92, 46, 12),
            {cfg::kDownMaxList, ControlKind::ComboBox, "", 269, 92, 52, 50, kRateList},
            label("Status:", 10, 144, 32, 11),
            {cfg::kStatus, ControlKind::Edit, "", 48, 142, 292, 14,
             st::kDisabled | st::kReadOnly | st::kBorder},
            {cfg::kApply, ControlKind::DefPushButton, "&Apply", 152, 169, 55, 18},
            {cfg::kAbout, ControlKind::DefPushButton, "About", 256, 169, 55, 18},
            {cfg::kAlgorithmList, ControlKind::ComboBox, "", 141, 193, 76, 39,
             st::kDropDown | st::kSort},
            // Saves the installation report of the last Apply; enabled once there is one.
            {cfg::kReport, ControlKind::PushButton, "Report...", 48, 169, 55, 18, st::kDisabled},
        }};
}

DialogTemplate vdslStatusPage() {
    DialogTemplate page{kVdslStatusPage, "VDSL Status", 350, 210, ws::kChild, {}};
    auto& c = page.controls;
    c.push_back(group("", 7, 7, 336, 54));
    c.push_back(label("SNR of Received Signal", 14, 21, 84));
    c.push_back({vdsl::kSnr, ControlKind::Edit, "", 102, 18, 34, 14, kReadout});
    c.push_back(label("dB", 140, 21, 20));
    c.push_back(label("Corrected RS errors / s", 14, 42, 84));
    c.push_back({vdsl::kRsErrors, ControlKind::Edit, "", 102, 39, 34, 14, kReadout});
    c.push_back(label("/s", 140, 42, 20));
    c.push_back(label("Mean Square Error", 176, 21, 70));
    c.push_back({vdsl::kMse, ControlKind::Edit, "", 250, 18, 34, 14, kReadout});
    c.push_back(label("dB", 288, 21, 20));
    // Transmitted power is computed on every refresh but not shown.
    c.push_back(label("Transmitted Power", 176, 42, 70, 8, st::kHidden));
    c.push_back(
        {vdsl::kTransmitPower, ControlKind::Edit, "", 250, 39, 34, 14, kReadout | st::kHidden});
    c.push_back(label("dBm/Hz", 288, 42, 36, 8, st::kHidden));

    c.push_back(group("", 7, 63, 151, 87));
    addIndicator(c, "Full Constellation Link", vdsl::kFullConstellationLink, 16, 118, 139, 85);
    addIndicator(c, "Reduced Constellation Link", vdsl::kReducedConstellationLink, 16, 118, 139,
                 93);
    addIndicator(c, "TC Synchronized", vdsl::kTcSynchronized, 16, 118, 139, 103);
    addIndicator(c, "Ethernet Encapsulation Sync", vdsl::kEthernetEncapsulationSync, 16, 118, 139,
                 111);
    addIndicator(c, "Remote I/F Synchronized", vdsl::kRemoteInterfaceSynchronized, 16, 118, 139,
                 121);
    addIndicator(c, "Signal Detected", vdsl::kSignalDetected, 16, 118, 139, 130);

    c.push_back(group("", 172, 63, 171, 30));
    c.push_back(label("Link Fail Counter", 180, 75, 80));
    c.push_back({vdsl::kLinkFailCounter, ControlKind::Edit, "", 266, 73, 34, 12, kReadout});

    c.push_back(group("", 172, 95, 171, 55));
    addIndicator(c, "Micro Interruption Occurred", vdsl::kMicroInterruption, 185, 110, 300, 111);
    addIndicator(c, "AGC Converged", vdsl::kAgcConverged, 185, 110, 300, 119);
    addIndicator(c, "Timing Converged", vdsl::kTimingConverged, 185, 110, 300, 127);
    addIndicator(c, "ADC Saturation", vdsl::kAdcSaturation, 185, 110, 300, 135);

    // Opens the line history window; the page's polls feed it, it never talks to the unit.
    c.push_back({vdsl::kHistory, ControlKind::PushButton, "History...", 14, 166, 55, 18});
    c.push_back(group("", 223, 158, 120, 30));
    c.push_back({side::kLocal, ControlKind::AutoRadioButton, "Local", 231, 166, 52, 18});
    c.push_back({side::kRemote, ControlKind::AutoRadioButton, "Remote", 291, 166, 48, 18});
    return page;
}

DialogTemplate ethernetStatusPage() {
    DialogTemplate page{kEthernetStatusPage, "Ethernet Status", 350, 210, ws::kChild, {}};
    auto& c = page.controls;
    c.push_back(group("Tx Rx Counters", 7, 7, 336, 79));
    addCounter(c, "Transmitted Frames", enet::kTxFrames, 14, 78, 96, 20);
    addCounter(c, "Transmitted Pause Fr.", enet::kTxPauseFrames, 14, 78, 96, 37);
    addCounter(c, "Transmitted Octets", enet::kTxOctets, 14, 78, 96, 53);
    addCounter(c, "Received Frames", enet::kRxFrames, 184, 82, 270, 20);
    addCounter(c, "Received Pause Frames", enet::kRxPauseFrames, 184, 82, 270, 36);
    addCounter(c, "Received Octets", enet::kRxOctets, 184, 82, 270, 53);
    addCounter(c, "Received Broadcast Fr.", enet::kRxBroadcastFrames, 184, 82, 270, 69);

    c.push_back(group("Collision Counters", 7, 94, 161, 83));
    addCounter(c, "Single Collisions", enet::kSingleCollisions, 14, 78, 96, 106);
    addCounter(c, "Multiple Collisions", enet::kMultipleCollisions, 14, 78, 96, 123);
    addCounter(c, "Late Collisions", enet::kLateCollisions, 14, 78, 96, 140);
    addCounter(c, "Excessive Collisions", enet::kExcessiveCollisions, 14, 78, 96, 157);

    c.push_back(group("Error Counters", 176, 94, 167, 83));
    addCounter(c, "Receive Errors", enet::kReceiveErrors, 184, 82, 270, 106);
    addCounter(c, "Carrier Sense Errors", enet::kCarrierSenseErrors, 184, 82, 270, 123);
    addCounter(c, "Frame Too Long Errors", enet::kFrameTooLongErrors, 184, 82, 270, 140);
    addCounter(c, "Frame Check Seq. Er.", enet::kFcsErrors, 184, 82, 270, 157);

    c.push_back({enet::kClear, ControlKind::PushButton, "Clear", 92, 186, 55, 18});
    c.push_back({enet::kStartStop, ControlKind::PushButton, "Start", 177, 186, 55, 18});
    c.push_back(group("", 243, 177, 100, 28));
    c.push_back({side::kLocal, ControlKind::AutoRadioButton, "Local", 252, 185, 41, 15});
    c.push_back({side::kRemote, ControlKind::AutoRadioButton, "Remote", 294, 185, 41, 15});
    return page;
}

DialogTemplate traceWindow() {
    // No system menu, so no close box; not visible, so it is created hidden.
    return {kTraceWindow,
            "Debug",
            222,
            167,
            ws::kCaption | ws::kModalFrame,
            {
                {ids::trace::kCancel, ControlKind::PushButton, "Cancel", 165, 146, 50, 14},
                {ids::trace::kText, ControlKind::Edit, "", 7, 7, 147, 153,
                 st::kMultiLine | st::kReadOnly | st::kBorder | st::kVScroll | st::kAutoHScroll},
                // Ours: saves the whole trace to a file, above Cancel.
                {ids::trace::kSave, ControlKind::PushButton, "Save...", 165, 128, 50, 14},
            }};
}

DialogTemplate modeDialog() {
    return {kModeDialog,
            "Quillon Configurator",
            227,
            132,
            kPopup,
            {
                {ids::mode::kApply, ControlKind::DefPushButton, "Apply", 91, 111, 50, 14},
                {ids::mode::kClose, ControlKind::PushButton, "Close", 170, 111, 50, 14},
                group("Select Mode", 7, 7, 213, 88),
                {ids::mode::kNormal, ControlKind::AutoRadioButton, "Normal", 27, 30, 107, 14},
                {ids::mode::kInstall, ControlKind::AutoRadioButton, "Install", 27, 58, 107, 14},
            }};
}

DialogTemplate portDialog() {
    return {kPortDialog,
            "Quillon Configurator",
            155,
            74,
            kPopup,
            {
                {ids::port::kOk, ControlKind::DefPushButton, "OK", 15, 53, 50, 14},
                {ids::port::kList, ControlKind::ComboBox, "", 83, 20, 55, 45,
                 st::kDropDownList | st::kSort | st::kVScroll},
                group("", 5, 7, 145, 38),
                label("Select Serial Port:", 15, 19, 58, 14, st::kCenterVertical),
                {ids::port::kAbout, ControlKind::PushButton, "About", 88, 53, 50, 14},
                // The selected port's device and description, one line under the list.
                {ids::port::kDetail, ControlKind::Static, "", 15, 35, 130, 8, st::kNoPrefix},
            }};
}

// Asked by Report... before the save question; the three lines start as last given.
DialogTemplate reportDetailsDialog() {
    namespace rd = ids::report_details;
    return {
        kReportDetailsDialog,
        "Installation report",
        220,
        98,
        kPopup,
        {
            label("Site:", 7, 10, 40),
            {rd::kSite, ControlKind::Edit, "", 50, 8, 163, 12, st::kBorder | st::kAutoHScroll},
            label("Circuit:", 7, 26, 40),
            {rd::kCircuit, ControlKind::Edit, "", 50, 24, 163, 12, st::kBorder | st::kAutoHScroll},
            label("Installer:", 7, 42, 40),
            {rd::kInstaller, ControlKind::Edit, "", 50, 40, 163, 12,
             st::kBorder | st::kAutoHScroll},
            {rd::kTrace, ControlKind::CheckBox, "Trace of the run as appendix", 50, 58, 163, 10},
            {rd::kOk, ControlKind::DefPushButton, "OK", 107, 77, 50, 14},
            {rd::kCancel, ControlKind::PushButton, "Cancel", 163, 77, 50, 14},
        }};
}

const std::map<int, DialogTemplate>& allTemplates() {
    static const std::map<int, DialogTemplate> templates = [] {
        std::map<int, DialogTemplate> map;
        for (DialogTemplate t :
             {aboutBox(), configurationPage(), vdslStatusPage(), ethernetStatusPage(),
              traceWindow(), modeDialog(), portDialog(), reportDetailsDialog()})
            map.emplace(t.id, std::move(t));
        return map;
    }();
    return templates;
}

} // namespace

const platform::DialogTemplate& dialogTemplate(int id) {
    return allTemplates().at(id);
}

const std::vector<int>& dialogTemplateIds() {
    static const std::vector<int> ids = [] {
        std::vector<int> out;
        for (const auto& [id, unused] : allTemplates())
            out.push_back(id);
        return out;
    }();
    return ids;
}

platform::DialogControls buildDialog(int id, QWidget& host) {
    return platform::buildDialog(dialogTemplate(id), host, &icon);
}

} // namespace res
