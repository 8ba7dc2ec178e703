#pragma once

#include <vector>

// Dialogs and property pages are described as data: a table of controls with their numeric ids,
// texts and positions in dialog units, the way the program's windows were laid out originally.
// The builder (dialog_builder.h) turns a template into Qt widgets.
namespace platform {

// Controls that code never addresses share this id; the builder does not record them.
constexpr int kNoId = -1;
// In a dialog, the button with this id gives the OK command and the one with kIdCancel the Cancel
// command, whatever their text.
constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;

enum class ControlKind {
    PushButton,
    DefPushButton,
    GroupBox,
    Static,
    Edit,
    ComboBox,
    CheckBox,
    AutoRadioButton,
    Icon, // text holds the icon's resource id, e.g. "128"
};

// Style flags of a control; which ones apply depends on its kind.
namespace style {
enum : unsigned {
    kNone = 0,
    kHidden = 1u << 0,
    kDisabled = 1u << 1,
    // static text
    kCenter = 1u << 2,         // also edit: centred text
    kCenterVertical = 1u << 3, // single line, vertically centred
    kNoPrefix = 1u << 4,       // '&' shown as it stands
    // edit
    kMultiLine = 1u << 5,
    kReadOnly = 1u << 6,
    kBorder = 1u << 7,
    kDigitsOnly = 1u << 8,
    kVScroll = 1u << 9,      // also combo box: scroll bar in the list
    kAutoHScroll = 1u << 10, // lines are not wrapped
    // combo box
    kDropDownList = 1u << 11, // no edit field
    kDropDown = 1u << 12,     // with an edit field
    kSort = 1u << 13,
};
} // namespace style

struct ControlTemplate {
    int id;
    ControlKind kind;
    const char* text;
    int x, y, width, height; // dialog units
    unsigned style = style::kNone;
};

// Window style of the dialog itself.
namespace window_style {
enum : unsigned {
    kCaption = 1u << 0,
    kSysMenu = 1u << 1, // system menu and close box
    kModalFrame = 1u << 2,
    kChild = 1u << 3, // a property page, shown inside the main sheet
};
} // namespace window_style

struct DialogTemplate {
    int id;
    const char* title;
    int width, height; // dialog units
    unsigned windowStyle;
    std::vector<ControlTemplate> controls;
};

} // namespace platform
