// The dialog-template builder, the dialog-unit arithmetic under it and the modal run.
#include "platform/dialog_builder.h"
#include "platform/modal_runner.h"

#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <array>
#include <gtest/gtest.h>

namespace {

using platform::ControlKind;
using platform::kNoId;
namespace st = platform::style;

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

const platform::DialogTemplate kSample{
    1,
    "Sample",
    200,
    150,
    0,
    {{10, ControlKind::DefPushButton, "&Go", 5, 5, 40, 14},
     {kNoId, ControlKind::GroupBox, "Frame", 0, 20, 100, 60},
     {kNoId, ControlKind::Static, "A && B &x", 5, 30, 60, 8},
     {12, ControlKind::Static, "a & b", 5, 40, 60, 8, st::kNoPrefix},
     {30, ControlKind::ComboBox, "", 5, 85, 50, 40, st::kDropDownList | st::kSort},
     {10, ControlKind::PushButton, "Second with id 10", 130, 130, 60, 14}}};

TEST(DialogBuilderTest, BuildsEachControlUnderItsIdInAFixedSizeWindow) {
    QDialog host;
    const platform::DialogControls controls = platform::buildDialog(kSample, host, {});
    EXPECT_EQ(controls.all().size(), kSample.controls.size());
    EXPECT_EQ(controls.widget(kNoId), nullptr);
    EXPECT_EQ(controls.control<QPushButton>(10)->text(), "&Go"); // the first with its id
    EXPECT_EQ(controls.control<QLabel>(10), nullptr);            // not of that kind
    const platform::BaseUnits units = platform::baseUnitsOf(platform::dialogFont());
    EXPECT_EQ(host.size(),
              QSize(platform::dluToPixelsX(200, units), platform::dluToPixelsY(150, units)));
    EXPECT_EQ(host.minimumSize(), host.maximumSize());
    // Static texts take ampersands as prefixes unless told not to.
    EXPECT_EQ(qobject_cast<QLabel*>(controls.all()[2])->text(), "A & B x");
    EXPECT_EQ(controls.control<QLabel>(12)->text(), "a & b");
    // Group boxes lie under their controls and let clicks through.
    auto* group = qobject_cast<QGroupBox*>(controls.all()[1]);
    EXPECT_TRUE(group->testAttribute(Qt::WA_TransparentForMouseEvents));
    EXPECT_EQ(host.children().indexOf(group), 0);
    // A sorted list inserts in order, equal texts after, and selects nothing.
    auto* sorted = controls.control<QComboBox>(30);
    QSignalSpy changes(sorted, &QComboBox::currentIndexChanged);
    EXPECT_EQ(platform::addComboString(*sorted, "LOW  -> HIGH", 1), 0);
    EXPECT_EQ(platform::addComboString(*sorted, "HIGH -> LOW", 0), 0);
    EXPECT_EQ(platform::addComboString(*sorted, "high -> low", 2), 1);
    EXPECT_EQ((std::pair{sorted->itemText(2), sorted->itemData(2).toInt()}),
              (std::pair{QString("LOW  -> HIGH"), 1}));
    EXPECT_EQ(sorted->currentIndex(), -1);
    EXPECT_EQ(changes.count(), 0);
}

// A modal run disables only its owner chain, so an ownerless window (the trace window) stays
// usable while the program's dialogs and message boxes run.
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

} // namespace
