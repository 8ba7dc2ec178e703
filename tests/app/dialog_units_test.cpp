#include "platform/dialog_units.h"
#include "res/templates.h"

#include <gtest/gtest.h>

namespace {

using platform::BaseUnits;
using platform::ControlKind;
using platform::ControlTemplate;
using platform::PixelRect;

TEST(MulDivTest, RoundsHalvesAwayFromZero) {
    struct Case {
        int a, b, c, expected;
    };
    for (const Case& t : {Case{3, 7, 4, 5}, Case{2, 6, 4, 3}, Case{1, 6, 4, 2}, Case{1, 5, 4, 1},
                          Case{-1, 6, 4, -2}, Case{0, 13, 8, 0}, Case{167, 13, 8, 271}})
        EXPECT_EQ(platform::mulDiv(t.a, t.b, t.c), t.expected) << t.a << "*" << t.b << "/" << t.c;
}

TEST(DluToPixelsTest, ConvertsEdgesSoNeighboursStillMeet) {
    const BaseUnits units{7, 13};
    const PixelRect upper = platform::dluToPixels(139, 85, 8, 8, units);
    const PixelRect lower = platform::dluToPixels(139, 93, 8, 8, units);
    EXPECT_EQ(upper.bottom(), lower.y);
    EXPECT_EQ(upper.x, 243); // 139 * 7 / 4 = 243.25
    EXPECT_EQ(upper.right(), 257);
}

// The base units of the dialog font at 100 % (MS Sans Serif 8 pt at 96 dpi) and at 200 %.
constexpr BaseUnits kScalings[] = {{6, 13}, {12, 26}};

// A closed combo box is one line high; its template height is that of the dropped list.
PixelRect closedRect(const ControlTemplate& control, BaseUnits units) {
    ControlTemplate closed = control;
    if (control.kind == ControlKind::ComboBox)
        closed.height = std::min(control.height, 14);
    return platform::dluToPixels(closed, units);
}

bool overlap(const PixelRect& a, const PixelRect& b) {
    return a.x < b.right() && b.x < a.right() && a.y < b.bottom() && b.y < a.bottom();
}

class TemplateScalingTest : public ::testing::TestWithParam<int> {};

TEST_P(TemplateScalingTest, EveryControlLiesInsideItsDialog) {
    const platform::DialogTemplate& dialog = res::dialogTemplate(GetParam());
    for (const BaseUnits units : kScalings) {
        const PixelRect frame = platform::dluToPixels(0, 0, dialog.width, dialog.height, units);
        for (const ControlTemplate& control : dialog.controls) {
            const PixelRect rect = platform::dluToPixels(control, units);
            EXPECT_TRUE(rect.x >= 0 && rect.y >= 0 && rect.right() <= frame.width &&
                        rect.bottom() <= frame.height)
                << "template " << dialog.id << " control " << control.id << " '" << control.text
                << "' at base units " << units.x << "x" << units.y;
        }
    }
}

TEST_P(TemplateScalingTest, NoTwoControlsOverlapExceptInsideGroupBoxes) {
    const platform::DialogTemplate& dialog = res::dialogTemplate(GetParam());
    for (const BaseUnits units : kScalings) {
        for (std::size_t i = 0; i < dialog.controls.size(); ++i) {
            for (std::size_t j = i + 1; j < dialog.controls.size(); ++j) {
                const ControlTemplate& a = dialog.controls[i];
                const ControlTemplate& b = dialog.controls[j];
                if (a.kind == ControlKind::GroupBox || b.kind == ControlKind::GroupBox)
                    continue;
                EXPECT_FALSE(overlap(closedRect(a, units), closedRect(b, units)))
                    << "template " << dialog.id << ": '" << a.text << "' (" << a.id << ") and '"
                    << b.text << "' (" << b.id << ") at base units " << units.x << "x" << units.y;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(AllTemplates, TemplateScalingTest,
                         ::testing::ValuesIn(res::dialogTemplateIds()));

} // namespace
