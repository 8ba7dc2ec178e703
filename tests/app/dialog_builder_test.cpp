#include "platform/dialog_builder.h"
#include "platform/modal_runner.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTimer>
#include <QValidator>
#include <gtest/gtest.h>

namespace {

using platform::ControlKind;
using platform::DialogTemplate;
using platform::kNoId;
namespace st = platform::style;
namespace ws = platform::window_style;

const DialogTemplate kSample{
    1,
    "Sample",
    200,
    150,
    ws::kCaption | ws::kModalFrame,
    {
        {10, ControlKind::DefPushButton, "&Go", 5, 5, 40, 14},
        {11, ControlKind::PushButton, "Stop", 50, 5, 40, 14, st::kDisabled},
        {kNoId, ControlKind::GroupBox, "Frame", 0, 20, 100, 60},
        {kNoId, ControlKind::Static, "A && B &x", 5, 30, 60, 8},
        {12, ControlKind::Static, "a & b", 5, 40, 60, 8, st::kNoPrefix | st::kCenter},
        {13, ControlKind::Static, "Middle", 5, 50, 60, 14, st::kCenterVertical | st::kHidden},
        {20, ControlKind::Edit, "", 100, 20, 60, 12, st::kBorder | st::kCenter | st::kDigitsOnly},
        {21, ControlKind::Edit, "", 100, 35, 60, 40,
         st::kMultiLine | st::kReadOnly | st::kBorder | st::kVScroll | st::kAutoHScroll},
        {22, ControlKind::Edit, "", 100, 80, 60, 12, st::kReadOnly},
        {30, ControlKind::ComboBox, "", 5, 85, 50, 40, st::kDropDownList | st::kSort},
        {31, ControlKind::ComboBox, "", 5, 100, 50, 40, st::kDropDown},
        {40, ControlKind::CheckBox, "Check", 5, 115, 50, 10},
        {50, ControlKind::AutoRadioButton, "One", 60, 115, 30, 10},
        {51, ControlKind::AutoRadioButton, "Two", 90, 115, 30, 10},
        {kNoId, ControlKind::Static, "between", 120, 115, 40, 8},
        {52, ControlKind::AutoRadioButton, "Three", 60, 130, 30, 10},
        {53, ControlKind::AutoRadioButton, "Four", 90, 130, 30, 10},
        {10, ControlKind::PushButton, "Second with id 10", 130, 130, 60, 14},
    }};

class DialogBuilderTest : public ::testing::Test {
protected:
    QDialog host;
    platform::DialogControls controls = platform::buildDialog(kSample, host, {});
};

TEST_F(DialogBuilderTest, RecordsRealIdsOnlyAndTheFirstOfTwoControlsWithOneId) {
    EXPECT_EQ(controls.all().size(), kSample.controls.size());
    EXPECT_EQ(controls.widget(kNoId), nullptr);
    EXPECT_EQ(controls.widget(99), nullptr);
    ASSERT_NE(controls.control<QPushButton>(10), nullptr);
    EXPECT_EQ(controls.control<QPushButton>(10)->text(), "&Go");
    EXPECT_EQ(controls.control<QCheckBox>(10), nullptr); // wrong kind
}

TEST_F(DialogBuilderTest, SizesAndTitlesTheHost) {
    const platform::BaseUnits units = platform::baseUnitsOf(platform::dialogFont());
    EXPECT_EQ(host.size(),
              QSize(platform::dluToPixelsX(200, units), platform::dluToPixelsY(150, units)));
    EXPECT_EQ(host.minimumSize(), host.maximumSize());
    EXPECT_EQ(host.windowTitle(), "Sample");
    EXPECT_FALSE(host.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_TRUE(host.windowFlags() & Qt::WindowTitleHint);
    const platform::PixelRect expected = platform::dluToPixels(kSample.controls[6], units);
    EXPECT_EQ(controls.widget(20)->geometry(),
              QRect(expected.x, expected.y, expected.width, expected.height));
}

TEST_F(DialogBuilderTest, ButtonsAndFlags) {
    EXPECT_TRUE(controls.control<QPushButton>(10)->isDefault());
    EXPECT_FALSE(controls.control<QPushButton>(11)->isDefault());
    EXPECT_FALSE(controls.widget(11)->isEnabled());
    EXPECT_TRUE(controls.widget(13)->isHidden());
    EXPECT_FALSE(controls.widget(12)->isHidden());
}

TEST_F(DialogBuilderTest, StaticTextsTakeAmpersandsAsPrefixesUnlessToldNot) {
    EXPECT_EQ(qobject_cast<QLabel*>(controls.all()[3])->text(), "A & B x");
    auto* literal = controls.control<QLabel>(12);
    EXPECT_EQ(literal->text(), "a & b");
    EXPECT_TRUE(literal->alignment() & Qt::AlignHCenter);
    EXPECT_TRUE(controls.control<QLabel>(13)->alignment() & Qt::AlignVCenter);
    EXPECT_FALSE(controls.control<QLabel>(13)->wordWrap());
}

TEST_F(DialogBuilderTest, GroupBoxesLieUnderAndLetClicksThrough) {
    auto* group = qobject_cast<QGroupBox*>(controls.all()[2]);
    ASSERT_NE(group, nullptr);
    EXPECT_TRUE(group->testAttribute(Qt::WA_TransparentForMouseEvents));
    EXPECT_EQ(host.children().indexOf(group), 0); // lowest of the siblings
}

TEST_F(DialogBuilderTest, EditKinds) {
    auto* digits = controls.control<QLineEdit>(20);
    ASSERT_NE(digits->validator(), nullptr);
    QString number = "4294967295";
    QString word = "12a";
    int position = 0;
    EXPECT_EQ(digits->validator()->validate(number, position), QValidator::Acceptable);
    EXPECT_EQ(digits->validator()->validate(word, position), QValidator::Invalid);
    EXPECT_TRUE(digits->alignment() & Qt::AlignHCenter);
    EXPECT_TRUE(digits->hasFrame());

    auto* log = controls.control<QPlainTextEdit>(21);
    ASSERT_NE(log, nullptr);
    EXPECT_TRUE(log->isReadOnly());
    EXPECT_EQ(log->lineWrapMode(), QPlainTextEdit::NoWrap);
    EXPECT_EQ(log->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_FALSE(log->isUndoRedoEnabled());

    auto* plain = controls.control<QLineEdit>(22);
    EXPECT_TRUE(plain->isReadOnly());
    EXPECT_FALSE(plain->hasFrame());
}

TEST_F(DialogBuilderTest, ComboBoxesAreOneLineHighAndEditableOnlyAsDropDowns) {
    auto* list = controls.control<QComboBox>(30);
    auto* withEdit = controls.control<QComboBox>(31);
    EXPECT_FALSE(list->isEditable());
    EXPECT_TRUE(withEdit->isEditable());
    EXPECT_EQ(list->height(), list->sizeHint().height());
}

TEST_F(DialogBuilderTest, SortedComboKeepsItsOrderAndStartsWithNoSelection) {
    auto* sorted = controls.control<QComboBox>(30);
    QSignalSpy changes(sorted, &QComboBox::currentIndexChanged);
    EXPECT_EQ(platform::addComboString(*sorted, "LOW  -> HIGH", 1), 0);
    EXPECT_EQ(platform::addComboString(*sorted, "HIGH -> LOW", 0), 0);
    EXPECT_EQ(platform::addComboString(*sorted, "high -> low", 2), 1); // equal: after
    EXPECT_EQ(sorted->itemText(0), "HIGH -> LOW");
    EXPECT_EQ(sorted->itemText(2), "LOW  -> HIGH");
    EXPECT_EQ(sorted->itemData(2).toInt(), 1);
    EXPECT_EQ(sorted->currentIndex(), -1);
    EXPECT_EQ(changes.count(), 0);

    auto* unsorted = controls.control<QComboBox>(31);
    EXPECT_EQ(platform::addComboString(*unsorted, "b"), 0);
    EXPECT_EQ(platform::addComboString(*unsorted, "a"), 1);
    EXPECT_EQ(unsorted->currentIndex(), -1);
    unsorted->setCurrentIndex(1);
    platform::addComboString(*unsorted, "c");
    EXPECT_EQ(unsorted->currentIndex(), 1); // a selection stays
}

TEST_F(DialogBuilderTest, EachRunOfRadioButtonsIsOneExclusiveGroup) {
    auto* one = controls.control<QRadioButton>(50);
    auto* two = controls.control<QRadioButton>(51);
    auto* three = controls.control<QRadioButton>(52);
    auto* four = controls.control<QRadioButton>(53);
    ASSERT_NE(one->group(), nullptr);
    EXPECT_EQ(one->group(), two->group());
    EXPECT_EQ(three->group(), four->group());
    EXPECT_NE(one->group(), three->group());
    EXPECT_TRUE(one->group()->exclusive());
    one->setChecked(true);
    three->setChecked(true);
    two->setChecked(true);
    EXPECT_FALSE(one->isChecked());
    EXPECT_TRUE(three->isChecked());
}

TEST(DialogFontTest, EightPointSansSerif) {
    const QFont font = platform::dialogFont();
    EXPECT_EQ(font.pointSize(), 8);
    const platform::BaseUnits units = platform::baseUnitsOf(font);
    EXPECT_GT(units.x, 0);
    EXPECT_GT(units.y, units.x);
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
