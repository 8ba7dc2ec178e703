// The dialog-template builder, its dialog-unit arithmetic, the modal run, and the program's own
// templates built at 100 % and 200 %.
#include "platform/dialog_builder.h"
#include "platform/modal_runner.h"
#include "res/icons.h"
#include "res/templates.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTimer>
#include <array>
#include <gtest/gtest.h>
#include <map>
#include <string>

namespace {

using platform::ControlKind;
using platform::kNoId;

TEST(DialogUnitsTest, RoundLikeMulDivAndConvertEdgesSoNeighboursStillMeet) {
    for (const auto& [a, b, c, expected] :
         {std::array{3, 7, 4, 5}, std::array{1, 6, 4, 2}, std::array{1, 5, 4, 1},
          std::array{-1, 6, 4, -2}, std::array{167, 13, 8, 271}})
        EXPECT_EQ(platform::mulDiv(a, b, c), expected) << a << "*" << b << "/" << c;
    const platform::BaseUnits units{7, 13};
    const platform::PixelRect upper = platform::dluToPixels(139, 85, 8, 8, units);
    EXPECT_EQ(upper.bottom(), platform::dluToPixels(139, 93, 8, 8, units).y);
    EXPECT_EQ(upper.x, 243); // 139 * 7 / 4 = 243.25
    EXPECT_EQ(upper.right(), 257);
}

TEST(DialogBuilderTest, BuildsEachControlUnderItsIdInAFixedSizeWindow) {
    constexpr int kGo = 10, kPlainLabel = 12, kSortedList = 30;
    // clang-format off
    const platform::DialogTemplate sample{1, "Sample", 200, 150, 0,
        {{kGo, ControlKind::DefPushButton, "&Go", 5, 5, 40, 14},
         {kNoId, ControlKind::GroupBox, "Frame", 0, 20, 100, 60},
         {kNoId, ControlKind::Static, "A && B &x", 5, 30, 60, 8},
         {kPlainLabel, ControlKind::Static, "a & b", 5, 40, 60, 8, platform::style::kNoPrefix},
         {kSortedList, ControlKind::ComboBox, "", 5, 85, 50, 40,
          platform::style::kDropDownList | platform::style::kSort},
         {kGo, ControlKind::PushButton, "Second with id 10", 130, 130, 60, 14}}};
    // clang-format on
    QDialog host;
    const platform::DialogControls controls = platform::buildDialog(sample, host, {});
    EXPECT_EQ(controls.all().size(), sample.controls.size());
    EXPECT_EQ(controls.widget(kNoId), nullptr);
    EXPECT_EQ(controls.control<QPushButton>(kGo)->text(), "&Go"); // the first with its id
    EXPECT_EQ(controls.control<QLabel>(kGo), nullptr);
    EXPECT_EQ(host.minimumSize(), host.maximumSize());
    EXPECT_EQ(qobject_cast<QLabel*>(controls.all()[2])->text(), "A & B x");
    EXPECT_EQ(controls.control<QLabel>(kPlainLabel)->text(), "a & b");
    // Group boxes lie under their controls and let clicks through.
    auto* group = qobject_cast<QGroupBox*>(controls.all()[1]);
    EXPECT_TRUE(group->testAttribute(Qt::WA_TransparentForMouseEvents));
    EXPECT_EQ(host.children().indexOf(group), 0);
    // A sorted list inserts in order, equal texts after, and selects nothing.
    auto* sorted = controls.control<QComboBox>(kSortedList);
    QSignalSpy changes(sorted, &QComboBox::currentIndexChanged);
    EXPECT_EQ(platform::addComboString(*sorted, "LOW  -> HIGH", 1), 0);
    EXPECT_EQ(platform::addComboString(*sorted, "HIGH -> LOW", 0), 0);
    EXPECT_EQ(platform::addComboString(*sorted, "high -> low", 2), 1);
    EXPECT_EQ(sorted->itemData(2).toInt(), 1);
    EXPECT_EQ(sorted->currentIndex(), -1);
    EXPECT_EQ(changes.count(), 0);
}

// A modal run disables only its owner chain, so the ownerless trace window stays usable.
TEST(ModalRunnerTest, RealRunIsModalToItsOwnerOnly) {
    QDialog owner;
    QDialog dialog(&owner);
    Qt::WindowModality during = Qt::NonModal;
    QTimer::singleShot(0, &dialog, [&] {
        during = dialog.windowModality();
        dialog.accept();
    });
    EXPECT_EQ(platform::runModal(dialog), QDialog::Accepted);
    EXPECT_EQ(during, Qt::WindowModal);
}

// Width the control needs to show its text (or picture) whole, 0 when it shows none.
int neededWidth(QWidget& widget) {
    if (auto* group = qobject_cast<QGroupBox*>(&widget))
        return group->fontMetrics().horizontalAdvance(group->title());
    if (auto* label = qobject_cast<QLabel*>(&widget))
        return label->pixmap().isNull() ? label->fontMetrics().horizontalAdvance(label->text())
                                        : label->pixmap().width();
    auto* button = qobject_cast<QAbstractButton*>(&widget);
    if (button == nullptr || button->text().isEmpty())
        return 0;
    if (qobject_cast<QCheckBox*>(button) != nullptr || qobject_cast<QRadioButton*>(button))
        return button->sizeHint().width();
    return button->fontMetrics().horizontalAdvance(button->text().remove(u'&'));
}

class BuiltTemplateTest : public ::testing::TestWithParam<std::tuple<int, int>> {};

// Nothing is clipped or overlaps at either scaling: every control lies inside the window and
// shows its text and indicator whole, and no two overlap except with group boxes.
TEST_P(BuiltTemplateTest, ControlsFitInsideTheWindowWholeAndApart) {
    const auto [templateId, percent] = GetParam();
    QFont font = platform::dialogFont();
    font.setPointSizeF(font.pointSizeF() * percent / 100.0);
    QWidget host;
    const std::vector<QWidget*> all =
        platform::buildDialog(res::dialogTemplate(templateId), host, &res::icon, font).all();
    for (std::size_t i = 0; i < all.size(); ++i) {
        QWidget* widget = all[i];
        const std::string name =
            (widget->metaObject()->className() + QStringLiteral(" ") +
             widget->property("text").toString() + widget->property("title").toString())
                .toStdString();
        EXPECT_TRUE(host.rect().contains(widget->geometry())) << name;
        EXPECT_LE(neededWidth(*widget), widget->width()) << name;
        const bool label = qobject_cast<QLabel*>(widget) != nullptr &&
                           !widget->property("text").toString().isEmpty();
        EXPECT_TRUE(!label || widget->fontMetrics().height() <= widget->height()) << name;
        const bool radio = qobject_cast<QRadioButton*>(widget) != nullptr;
        if (radio || qobject_cast<QCheckBox*>(widget) != nullptr) {
            QStyleOptionButton option;
            option.initFrom(widget);
            EXPECT_TRUE(widget->rect().contains(widget->style()->subElementRect(
                radio ? QStyle::SE_RadioButtonIndicator : QStyle::SE_CheckBoxIndicator, &option,
                widget)))
                << name;
        }
        for (std::size_t j = 0; j < i; ++j) {
            const bool group = qobject_cast<QGroupBox*>(widget) != nullptr ||
                               qobject_cast<QGroupBox*>(all[j]) != nullptr;
            EXPECT_TRUE(group || !widget->geometry().intersects(all[j]->geometry()))
                << name << " overlaps " << all[j]->metaObject()->className();
        }
    }
}

std::string caseName(const ::testing::TestParamInfo<BuiltTemplateTest::ParamType>& info) {
    const auto [id, percent] = info.param;
    const std::map<int, std::string> names = {{res::kAboutBox, "AboutBox"},
                                              {res::kConfigurationPage, "ConfigurationPage"},
                                              {res::kVdslStatusPage, "VdslStatusPage"},
                                              {res::kEthernetStatusPage, "EthernetStatusPage"},
                                              {res::kTraceWindow, "TraceWindow"},
                                              {res::kModeDialog, "ModeDialog"},
                                              {res::kPortDialog, "PortDialog"},
                                              {res::kReportDetailsDialog, "ReportDetailsDialog"}};
    const auto name = names.find(id);
    return (name != names.end() ? name->second : "Template" + std::to_string(id)) + "_At" +
           std::to_string(percent) + "Percent";
}

INSTANTIATE_TEST_SUITE_P(AllTemplatesAtTwoScalings, BuiltTemplateTest,
                         ::testing::Combine(::testing::ValuesIn(res::dialogTemplateIds()),
                                            ::testing::Values(100, 200)),
                         caseName);

} // namespace
