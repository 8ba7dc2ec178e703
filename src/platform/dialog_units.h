#pragma once

#include "platform/dialog_template.h"

#include <cstdint>

// Dialog units scale with the dialog font: a horizontal unit is a quarter of the font's average
// character width, a vertical unit an eighth of its character height. Pure arithmetic, so the
// layout can be checked at any scaling without a display.
namespace platform {

struct BaseUnits {
    int x; // average character width in pixels
    int y; // character height in pixels
};

// a * b / c (c > 0) rounded to the nearest integer, halves away from zero, as Windows' MulDiv.
constexpr int mulDiv(int a, int b, int c) {
    const std::int64_t product = static_cast<std::int64_t>(a) * b;
    const std::int64_t rounded = product >= 0 ? product + c / 2 : product - c / 2;
    return static_cast<int>(rounded / c);
}

struct PixelRect {
    int x, y, width, height;
    constexpr int right() const { return x + width; }
    constexpr int bottom() const { return y + height; }
};

constexpr int dluToPixelsX(int dlu, BaseUnits units) {
    return mulDiv(dlu, units.x, 4);
}
constexpr int dluToPixelsY(int dlu, BaseUnits units) {
    return mulDiv(dlu, units.y, 8);
}

// Converts the edges rather than position and size separately, so a control that ends where
// another begins (or where the dialog ends) still does after rounding.
constexpr PixelRect dluToPixels(int x, int y, int width, int height, BaseUnits units) {
    const int left = dluToPixelsX(x, units);
    const int top = dluToPixelsY(y, units);
    return {left, top, dluToPixelsX(x + width, units) - left,
            dluToPixelsY(y + height, units) - top};
}

constexpr PixelRect dluToPixels(const ControlTemplate& control, BaseUnits units) {
    return dluToPixels(control.x, control.y, control.width, control.height, units);
}

} // namespace platform
