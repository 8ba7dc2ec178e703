// The windows built from the program's dialog templates at 100 % and 200 %.
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

namespace {

// Width the control needs to show its text whole, or 0 when it has none to show.
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

// The rectangle in which the style draws a check box's or radio button's indicator.
QRect indicatorRect(QAbstractButton& button) {
    QStyleOptionButton option;
    option.initFrom(&button);
    const bool radio = qobject_cast<QRadioButton*>(&button) != nullptr;
    return button.style()->subElementRect(
        radio ? QStyle::SE_RadioButtonIndicator : QStyle::SE_CheckBoxIndicator, &option, &button);
}

class BuiltTemplateTest : public ::testing::TestWithParam<std::tuple<int, int>> {};

// Nothing is clipped or overlaps: every control lies inside the window and shows its text and
// indicator whole, and no two controls overlap except inside group boxes.
TEST_P(BuiltTemplateTest, ControlsFitInsideTheWindowWholeAndApart) {
    const auto [templateId, percent] = GetParam();
    QFont font = platform::dialogFont();
    font.setPointSizeF(font.pointSizeF() * percent / 100.0);
    QWidget host;
    const platform::DialogControls controls =
        platform::buildDialog(res::dialogTemplate(templateId), host, &res::icon, font);
    const auto name = [](const QWidget* widget) {
        return (widget->metaObject()->className() + QStringLiteral(" ") +
                widget->property("text").toString() + widget->property("title").toString())
            .toStdString();
    };
    const std::vector<QWidget*>& all = controls.all();
    for (std::size_t i = 0; i < all.size(); ++i) {
        QWidget* widget = all[i];
        EXPECT_TRUE(host.rect().contains(widget->geometry())) << name(widget);
        EXPECT_LE(neededWidth(*widget), widget->width()) << name(widget);
        const bool label = qobject_cast<QLabel*>(widget) != nullptr &&
                           !widget->property("text").toString().isEmpty();
        EXPECT_TRUE(!label || widget->fontMetrics().height() <= widget->height()) << name(widget);
        if (qobject_cast<QCheckBox*>(widget) != nullptr || qobject_cast<QRadioButton*>(widget)) {
            auto* button = static_cast<QAbstractButton*>(widget);
            EXPECT_TRUE(button->rect().contains(indicatorRect(*button))) << name(widget);
        }
        for (std::size_t j = 0; j < i; ++j) {
            const bool group = qobject_cast<QGroupBox*>(widget) != nullptr ||
                               qobject_cast<QGroupBox*>(all[j]) != nullptr;
            EXPECT_TRUE(group || !widget->geometry().intersects(all[j]->geometry()))
                << name(widget) << " and " << name(all[j]);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(AllTemplatesAtTwoScalings, BuiltTemplateTest,
                         ::testing::Combine(::testing::ValuesIn(res::dialogTemplateIds()),
                                            ::testing::Values(100, 200)));

} // namespace
