#include "platform/dialog_builder.h"
#include "res/icons.h"
#include "res/templates.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <gtest/gtest.h>
#include <set>
#include <string>

namespace {

using platform::ControlKind;
using platform::ControlTemplate;
using platform::DialogTemplate;
namespace st = platform::style;

struct DialogExpectation {
    int id;
    const char* title;
    int width, height;
    bool child;
};

TEST(DialogTemplatesTest, TitlesSizesAndStyles) {
    const DialogExpectation expected[] = {
        {100, "About Quillon Configurator", 235, 55, false},
        {129, "Configuration", 350, 242, true},
        {131, "VDSL Status", 350, 210, true},
        {132, "Ethernet Status", 350, 210, true},
        {134, "Debug", 222, 167, false},
        {135, "Quillon Configurator", 227, 132, false},
        {137, "Quillon Configurator", 155, 74, false},
    };
    ASSERT_EQ(res::dialogTemplateIds().size(), std::size(expected));
    for (const DialogExpectation& e : expected) {
        const DialogTemplate& t = res::dialogTemplate(e.id);
        EXPECT_STREQ(t.title, e.title);
        EXPECT_EQ(t.width, e.width) << e.id;
        EXPECT_EQ(t.height, e.height) << e.id;
        EXPECT_EQ((t.windowStyle & platform::window_style::kChild) != 0, e.child) << e.id;
    }
    // The trace window has no system menu, hence no close box; the others have one.
    EXPECT_EQ(res::dialogTemplate(134).windowStyle & platform::window_style::kSysMenu, 0u);
    for (int id : {100, 135, 137})
        EXPECT_NE(res::dialogTemplate(id).windowStyle & platform::window_style::kSysMenu, 0u);
}

struct ControlExpectation {
    int dialog;
    int id;
    ControlKind kind;
    const char* text;
    int x, y, width, height;
    unsigned style;
};

constexpr unsigned kList = st::kDropDownList | st::kVScroll;
constexpr unsigned kReadout = st::kDisabled | st::kBorder | st::kCenter;
constexpr unsigned kCounter = st::kDisabled | st::kBorder | st::kDigitsOnly;
constexpr ControlKind kButton = ControlKind::PushButton;
constexpr ControlKind kDefault = ControlKind::DefPushButton;
constexpr ControlKind kEdit = ControlKind::Edit;
constexpr ControlKind kCombo = ControlKind::ComboBox;
constexpr ControlKind kCheck = ControlKind::CheckBox;
constexpr ControlKind kRadio = ControlKind::AutoRadioButton;

// Every control that code reaches by id, as the windows were laid out.
const ControlExpectation kControls[] = {
    {100, 1, kDefault, "OK", 178, 7, 50, 14, 0},
    {129, 1020, kEdit, "", 98, 26, 52, 12, st::kDisabled | st::kBorder},
    {129, 1002, kCombo, "", 98, 58, 52, 50, kList},
    {129, 1003, kCombo, "", 98, 92, 52, 50, kList},
    {129, 1011, kEdit, "", 269, 26, 52, 12, st::kDisabled | st::kBorder},
    {129, 1004, kCombo, "", 269, 58, 52, 50, kList},
    {129, 1005, kCombo, "", 269, 92, 52, 50, kList},
    {129, 1010, kEdit, "", 48, 142, 292, 14, st::kDisabled | st::kReadOnly | st::kBorder},
    {129, 1, kDefault, "&Apply", 152, 169, 55, 18, 0},
    {129, 2, kDefault, "About", 256, 169, 55, 18, 0},
    {129, 1059, kCombo, "", 141, 193, 76, 39, st::kDropDown | st::kSort},
    {131, 1009, kEdit, "", 102, 18, 34, 14, kReadout},
    {131, 1011, kEdit, "", 102, 39, 34, 14, kReadout},
    {131, 1010, kEdit, "", 250, 18, 34, 14, kReadout},
    {131, 1026, kEdit, "", 250, 39, 34, 14, kReadout | st::kHidden},
    {131, 1028, kCheck, "", 139, 85, 8, 8, st::kDisabled},
    {131, 1029, kCheck, "", 139, 93, 8, 8, st::kDisabled},
    {131, 1030, kCheck, "", 139, 103, 8, 8, st::kDisabled},
    {131, 1032, kCheck, "", 139, 111, 8, 8, st::kDisabled},
    {131, 1033, kCheck, "", 139, 121, 8, 8, st::kDisabled},
    {131, 1034, kCheck, "", 139, 130, 8, 8, st::kDisabled},
    {131, 1027, kEdit, "", 266, 73, 34, 12, kReadout},
    {131, 1035, kCheck, "", 300, 111, 8, 8, st::kDisabled},
    {131, 1036, kCheck, "", 300, 119, 8, 8, st::kDisabled},
    {131, 1037, kCheck, "", 300, 127, 8, 8, st::kDisabled},
    {131, 1038, kCheck, "", 300, 135, 8, 8, st::kDisabled},
    {131, 1045, kRadio, "Local", 231, 166, 52, 18, 0},
    {131, 1046, kRadio, "Remote", 291, 166, 48, 18, 0},
    {132, 1042, kEdit, "", 96, 20, 63, 12, kCounter},
    {132, 1043, kEdit, "", 96, 37, 63, 12, kCounter},
    {132, 1044, kEdit, "", 96, 53, 63, 12, kCounter},
    {132, 1012, kEdit, "", 270, 20, 63, 12, kCounter},
    {132, 1013, kEdit, "", 270, 36, 63, 12, kCounter},
    {132, 1014, kEdit, "", 270, 53, 63, 12, kCounter},
    {132, 1015, kEdit, "", 270, 69, 63, 12, kCounter},
    {132, 1016, kEdit, "", 96, 106, 63, 12, kCounter},
    {132, 1017, kEdit, "", 96, 123, 63, 12, kCounter},
    {132, 1018, kEdit, "", 96, 140, 63, 12, kCounter},
    {132, 1019, kEdit, "", 96, 157, 63, 12, kCounter},
    {132, 1020, kEdit, "", 270, 106, 63, 12, kCounter},
    {132, 1021, kEdit, "", 270, 123, 63, 12, kCounter},
    {132, 1022, kEdit, "", 270, 140, 63, 12, kCounter},
    {132, 1023, kEdit, "", 270, 157, 63, 12, kCounter},
    {132, 1031, kButton, "Clear", 92, 186, 55, 18, 0},
    {132, 1039, kButton, "Start", 177, 186, 55, 18, 0},
    {132, 1045, kRadio, "Local", 252, 185, 41, 15, 0},
    {132, 1046, kRadio, "Remote", 294, 185, 41, 15, 0},
    {134, 2, kButton, "Cancel", 165, 146, 50, 14, 0},
    {134, 1009, kEdit, "", 7, 7, 147, 153,
     st::kMultiLine | st::kReadOnly | st::kBorder | st::kVScroll | st::kAutoHScroll},
    {135, 1, kDefault, "Apply", 91, 111, 50, 14, 0},
    {135, 2, kButton, "Close", 170, 111, 50, 14, 0},
    {135, 1017, kRadio, "Normal", 27, 30, 107, 14, 0},
    {135, 1018, kRadio, "Install", 27, 58, 107, 14, 0},
    {137, 1, kDefault, "OK", 15, 53, 50, 14, 0},
    {137, 1022, kCombo, "", 83, 20, 55, 45, st::kDropDownList | st::kSort | st::kVScroll},
    {137, 1024, kButton, "About", 88, 53, 50, 14, 0},
};

const ControlTemplate* findControl(const DialogTemplate& dialog, int id) {
    for (const ControlTemplate& control : dialog.controls)
        if (control.id == id)
            return &control;
    return nullptr;
}

TEST(DialogTemplatesTest, ControlsWithIdsHaveTheirKindTextPlaceAndStyle) {
    for (const ControlExpectation& e : kControls) {
        const ControlTemplate* c = findControl(res::dialogTemplate(e.dialog), e.id);
        ASSERT_NE(c, nullptr) << e.dialog << "/" << e.id;
        EXPECT_EQ(c->kind, e.kind) << e.dialog << "/" << e.id;
        EXPECT_STREQ(c->text, e.text) << e.dialog << "/" << e.id;
        EXPECT_EQ((std::array{c->x, c->y, c->width, c->height}),
                  (std::array{e.x, e.y, e.width, e.height}))
            << e.dialog << "/" << e.id;
        EXPECT_EQ(c->style, e.style) << e.dialog << "/" << e.id;
    }
    // No template holds a real id that is not listed above.
    for (int dialog : res::dialogTemplateIds()) {
        for (const ControlTemplate& c : res::dialogTemplate(dialog).controls) {
            if (c.id == platform::kNoId)
                continue;
            const bool listed = std::any_of(
                std::begin(kControls), std::end(kControls),
                [&](const ControlExpectation& e) { return e.dialog == dialog && e.id == c.id; });
            EXPECT_TRUE(listed) << dialog << "/" << c.id;
        }
    }
}

// Texts of the controls without an id: labels, units and group box captions.
struct TextExpectation {
    int dialog;
    std::set<std::string> texts;
    std::set<std::string> hidden;
};

TEST(DialogTemplatesTest, LabelsAndGroupCaptions) {
    const TextExpectation expected[] = {
        {100,
         {"128", "Quillon Configurator Version 2-0-1", "VDSL extender set-up and status",
          "Copyright (C) Quillon developers"},
         {}},
        {129,
         {"Upstream", "Downstream", "Actual (Mbps)", "Min (Mbps)", "Max (Mbps)", "Status:"},
         {}},
        {131,
         {"", "SNR of Received Signal", "Corrected RS errors / s", "Mean Square Error",
          "Transmitted Power", "dB", "/s", "dBm/Hz", "Full Constellation Link",
          "Reduced Constellation Link", "TC Synchronized", "Ethernet Encapsulation Sync",
          "Remote I/F Synchronized", "Signal Detected", "Link Fail Counter",
          "Micro Interruption Occurred", "AGC Converged", "Timing Converged", "ADC Saturation"},
         {"Transmitted Power", "dBm/Hz"}},
        {132,
         {"", "Tx Rx Counters", "Collision Counters", "Error Counters", "Transmitted Frames",
          "Transmitted Pause Fr.", "Transmitted Octets", "Received Frames", "Received Pause Frames",
          "Received Octets", "Received Broadcast Fr.", "Single Collisions", "Multiple Collisions",
          "Late Collisions", "Excessive Collisions", "Receive Errors", "Carrier Sense Errors",
          "Frame Too Long Errors", "Frame Check Seq. Er."},
         {}},
        {134, {}, {}},
        {135, {"Select Mode"}, {}},
        {137, {"", "Select Serial Port:"}, {}},
    };
    for (const TextExpectation& e : expected) {
        std::set<std::string> texts;
        std::set<std::string> hidden;
        for (const ControlTemplate& c : res::dialogTemplate(e.dialog).controls) {
            if (c.id != platform::kNoId)
                continue;
            texts.insert(c.text);
            if ((c.style & st::kHidden) != 0)
                hidden.insert(c.text);
        }
        EXPECT_EQ(texts, e.texts) << e.dialog;
        EXPECT_EQ(hidden, e.hidden) << e.dialog;
    }
}

// --- Built windows --------------------------------------------------------------------------

QFont scaledFont(int percent) {
    QFont font = platform::dialogFont();
    font.setPointSizeF(font.pointSizeF() * percent / 100.0);
    return font;
}

// Width the control needs to show its text whole, or 0 when it has none to show.
int neededWidth(QWidget& widget) {
    if (auto* group = qobject_cast<QGroupBox*>(&widget))
        return group->fontMetrics().horizontalAdvance(group->title());
    if (auto* label = qobject_cast<QLabel*>(&widget))
        return label->pixmap().isNull() ? label->fontMetrics().horizontalAdvance(label->text())
                                        : label->pixmap().width();
    if (qobject_cast<QCheckBox*>(&widget) != nullptr || qobject_cast<QRadioButton*>(&widget))
        return static_cast<QAbstractButton&>(widget).text().isEmpty() ? 0
                                                                      : widget.sizeHint().width();
    if (auto* button = qobject_cast<QAbstractButton*>(&widget))
        return button->fontMetrics().horizontalAdvance(button->text().remove(u'&'));
    return 0;
}

// The rectangle in which the style draws a check box's or radio button's indicator.
QRect indicatorRect(QAbstractButton& button) {
    QStyleOptionButton option;
    option.initFrom(&button);
    const bool radio = qobject_cast<QRadioButton*>(&button) != nullptr;
    return button.style()->subElementRect(
        radio ? QStyle::SE_RadioButtonIndicator : QStyle::SE_CheckBoxIndicator, &option, &button);
}

class BuiltTemplateTest : public ::testing::TestWithParam<std::tuple<int, int>> {};

TEST_P(BuiltTemplateTest, ControlsFitInsideTheWindowAndShowTheirTextWhole) {
    const auto [templateId, percent] = GetParam();
    QWidget host;
    const platform::DialogControls controls = platform::buildDialog(
        res::dialogTemplate(templateId), host, &res::icon, scaledFont(percent));
    const QRect frame = host.rect();
    for (QWidget* widget : controls.all()) {
        const QString what = widget->metaObject()->className() + QStringLiteral(" ") +
                             widget->property("text").toString() +
                             widget->property("title").toString();
        EXPECT_TRUE(frame.contains(widget->geometry())) << what.toStdString();
        EXPECT_LE(neededWidth(*widget), widget->width()) << what.toStdString();
        if (qobject_cast<QCheckBox*>(widget) != nullptr ||
            qobject_cast<QRadioButton*>(widget) != nullptr) {
            auto* button = static_cast<QAbstractButton*>(widget);
            EXPECT_TRUE(button->rect().contains(indicatorRect(*button))) << what.toStdString();
        }
        if (qobject_cast<QLabel*>(widget) != nullptr &&
            !widget->property("text").toString().isEmpty()) {
            EXPECT_LE(widget->fontMetrics().height(), widget->height()) << what.toStdString();
        }
    }
}

INSTANTIATE_TEST_SUITE_P(AllTemplatesAtTwoScalings, BuiltTemplateTest,
                         ::testing::Combine(::testing::ValuesIn(res::dialogTemplateIds()),
                                            ::testing::Values(100, 200)));

} // namespace
