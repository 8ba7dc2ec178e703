#include "res/templates.h"

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
                {1, ControlKind::DefPushButton, "OK", 178, 7, 50, 14},
            }};
}

DialogTemplate configurationPage() {
    return {kConfigurationPage,
            "Configuration",
            350,
            242,
            ws::kChild,
            {
                group("Upstream", 10, 7, 159, 117),
                label("Actual (Mbps)", 28, 26, 46, 12),
                {1020, ControlKind::Edit, "", 98, 26, 52, 12, st::kDisabled | st::kBorder},
                label("Min (Mbps)", 28, 58, 46, 12),
                {1002, ControlKind::ComboBox, "", 98, 58, 52, 50, kRateList},
                label("Max (Mbps)", 28, 92, 46, 12),
                {1003, ControlKind::ComboBox, "", 98, 92, 52, 50, kRateList},
                group("Downstream", 181, 7, 159, 117),
                label("Actual (Mbps)", 198, 26, 46, 12),
                {1011, ControlKind::Edit, "", 269, 26, 52, 12, st::kDisabled | st::kBorder},
                label("Min (Mbps)", 198, 58, 46, 12),
                {1004, ControlKind::ComboBox, "", 269, 58, 52, 50, kRateList},
                label("Max (Mbps)", 198, 92, 46, 12),
                {1005, ControlKind::ComboBox, "", 269, 92, 52, 50, kRateList},
                label("Status:", 10, 144, 32, 11),
                {1010, ControlKind::Edit, "", 48, 142, 292, 14,
                 st::kDisabled | st::kReadOnly | st::kBorder},
                {1, ControlKind::DefPushButton, "&Apply", 152, 169, 55, 18},
                {2, ControlKind::DefPushButton, "About", 256, 169, 55, 18},
                {1059, ControlKind::ComboBox, "", 141, 193, 76, 39, st::kDropDown | st::kSort},
                // Saves the installation report of the last Apply; enabled once there is one.
                {1061, ControlKind::PushButton, "Report...", 48, 169, 55, 18, st::kDisabled},
            }};
}

DialogTemplate vdslStatusPage() {
    DialogTemplate page{kVdslStatusPage, "VDSL Status", 350, 210, ws::kChild, {}};
    auto& c = page.controls;
    c.push_back(group("", 7, 7, 336, 54));
    c.push_back(label("SNR of Received Signal", 14, 21, 84));
    c.push_back({1009, ControlKind::Edit, "", 102, 18, 34, 14, kReadout});
    c.push_back(label("dB", 140, 21, 20));
    c.push_back(label("Corrected RS errors / s", 14, 42, 84));
    c.push_back({1011, ControlKind::Edit, "", 102, 39, 34, 14, kReadout});
    c.push_back(label("/s", 140, 42, 20));
    c.push_back(label("Mean Square Error", 176, 21, 70));
    c.push_back({1010, ControlKind::Edit, "", 250, 18, 34, 14, kReadout});
    c.push_back(label("dB", 288, 21, 20));
    // Transmitted power is computed on every refresh but not shown.
    c.push_back(label("Transmitted Power", 176, 42, 70, 8, st::kHidden));
    c.push_back({1026, ControlKind::Edit, "", 250, 39, 34, 14, kReadout | st::kHidden});
    c.push_back(label("dBm/Hz", 288, 42, 36, 8, st::kHidden));

    c.push_back(group("", 7, 63, 151, 87));
    addIndicator(c, "Full Constellation Link", 1028, 16, 118, 139, 85);
    addIndicator(c, "Reduced Constellation Link", 1029, 16, 118, 139, 93);
    addIndicator(c, "TC Synchronized", 1030, 16, 118, 139, 103);
    addIndicator(c, "Ethernet Encapsulation Sync", 1032, 16, 118, 139, 111);
    addIndicator(c, "Remote I/F Synchronized", 1033, 16, 118, 139, 121);
    addIndicator(c, "Signal Detected", 1034, 16, 118, 139, 130);

    c.push_back(group("", 172, 63, 171, 30));
    c.push_back(label("Link Fail Counter", 180, 75, 80));
    c.push_back({1027, ControlKind::Edit, "", 266, 73, 34, 12, kReadout});

    c.push_back(group("", 172, 95, 171, 55));
    addIndicator(c, "Micro Interruption Occurred", 1035, 185, 110, 300, 111);
    addIndicator(c, "AGC Converged", 1036, 185, 110, 300, 119);
    addIndicator(c, "Timing Converged", 1037, 185, 110, 300, 127);
    addIndicator(c, "ADC Saturation", 1038, 185, 110, 300, 135);

    // Opens the line history window; the page's polls feed it, it never talks to the unit.
    c.push_back({1047, ControlKind::PushButton, "History...", 14, 166, 55, 18});
    c.push_back(group("", 223, 158, 120, 30));
    c.push_back({1045, ControlKind::AutoRadioButton, "Local", 231, 166, 52, 18});
    c.push_back({1046, ControlKind::AutoRadioButton, "Remote", 291, 166, 48, 18});
    return page;
}

DialogTemplate ethernetStatusPage() {
    DialogTemplate page{kEthernetStatusPage, "Ethernet Status", 350, 210, ws::kChild, {}};
    auto& c = page.controls;
    c.push_back(group("Tx Rx Counters", 7, 7, 336, 79));
    addCounter(c, "Transmitted Frames", 1042, 14, 78, 96, 20);
    addCounter(c, "Transmitted Pause Fr.", 1043, 14, 78, 96, 37);
    addCounter(c, "Transmitted Octets", 1044, 14, 78, 96, 53);
    addCounter(c, "Received Frames", 1012, 184, 82, 270, 20);
    addCounter(c, "Received Pause Frames", 1013, 184, 82, 270, 36);
    addCounter(c, "Received Octets", 1014, 184, 82, 270, 53);
    addCounter(c, "Received Broadcast Fr.", 1015, 184, 82, 270, 69);

    c.push_back(group("Collision Counters", 7, 94, 161, 83));
    addCounter(c, "Single Collisions", 1016, 14, 78, 96, 106);
    addCounter(c, "Multiple Collisions", 1017, 14, 78, 96, 123);
    addCounter(c, "Late Collisions", 1018, 14, 78, 96, 140);
    addCounter(c, "Excessive Collisions", 1019, 14, 78, 96, 157);

    c.push_back(group("Error Counters", 176, 94, 167, 83));
    addCounter(c, "Receive Errors", 1020, 184, 82, 270, 106);
    addCounter(c, "Carrier Sense Errors", 1021, 184, 82, 270, 123);
    addCounter(c, "Frame Too Long Errors", 1022, 184, 82, 270, 140);
    addCounter(c, "Frame Check Seq. Er.", 1023, 184, 82, 270, 157);

    c.push_back({1031, ControlKind::PushButton, "Clear", 92, 186, 55, 18});
    c.push_back({1039, ControlKind::PushButton, "Start", 177, 186, 55, 18});
    c.push_back(group("", 243, 177, 100, 28));
    c.push_back({1045, ControlKind::AutoRadioButton, "Local", 252, 185, 41, 15});
    c.push_back({1046, ControlKind::AutoRadioButton, "Remote", 294, 185, 41, 15});
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
                {2, ControlKind::PushButton, "Cancel", 165, 146, 50, 14},
                {1009, ControlKind::Edit, "", 7, 7, 147, 153,
                 st::kMultiLine | st::kReadOnly | st::kBorder | st::kVScroll | st::kAutoHScroll},
                // Ours: saves the whole trace to a file, above Cancel.
                {1010, ControlKind::PushButton, "Save...", 165, 128, 50, 14},
            }};
}

DialogTemplate modeDialog() {
    return {kModeDialog,
            "Quillon Configurator",
            227,
            132,
            kPopup,
            {
                {1, ControlKind::DefPushButton, "Apply", 91, 111, 50, 14},
                {2, ControlKind::PushButton, "Close", 170, 111, 50, 14},
                group("Select Mode", 7, 7, 213, 88),
                {1017, ControlKind::AutoRadioButton, "Normal", 27, 30, 107, 14},
                {1018, ControlKind::AutoRadioButton, "Install", 27, 58, 107, 14},
            }};
}

DialogTemplate portDialog() {
    return {kPortDialog,
            "Quillon Configurator",
            155,
            74,
            kPopup,
            {
                {1, ControlKind::DefPushButton, "OK", 15, 53, 50, 14},
                {1022, ControlKind::ComboBox, "", 83, 20, 55, 45,
                 st::kDropDownList | st::kSort | st::kVScroll},
                group("", 5, 7, 145, 38),
                label("Select Serial Port:", 15, 19, 58, 14, st::kCenterVertical),
                {1024, ControlKind::PushButton, "About", 88, 53, 50, 14},
                // The selected port's device and description, one line under the list.
                {1023, ControlKind::Static, "", 15, 35, 130, 8, st::kNoPrefix},
            }};
}

const std::map<int, DialogTemplate>& allTemplates() {
    static const std::map<int, DialogTemplate> templates = [] {
        std::map<int, DialogTemplate> map;
        for (DialogTemplate t : {aboutBox(), configurationPage(), vdslStatusPage(),
                                 ethernetStatusPage(), traceWindow(), modeDialog(), portDialog()})
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
