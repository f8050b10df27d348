#include "DialogUnits.h"

#include <cmath>

namespace {

// Values a floating-point hair away from a half still count as the half:
// the scaled products are not exact.
int RoundHalfToEven(double value)
{
    const double lower = std::floor(value);
    const double fraction = value - lower;
    constexpr double kTolerance = 1e-9;
    if (std::fabs(fraction - 0.5) < kTolerance) {
        const bool lowerIsEven = std::fmod(lower, 2.0) == 0.0;
        return static_cast<int>(lowerIsEven ? lower : lower + 1.0);
    }
    return static_cast<int>(std::floor(value + 0.5));
}

} // namespace

int DialogUnitsToPixelsX(int units, double scale)
{
    return RoundHalfToEven(units * static_cast<double>(kDialogBaseUnitX) / 4.0 * scale);
}

int DialogUnitsToPixelsY(int units, double scale)
{
    return RoundHalfToEven(units * static_cast<double>(kDialogBaseUnitY) / 8.0 * scale);
}

DialogPixelRect DialogRectToPixels(int x, int y, int width, int height, double scale)
{
    const int left = DialogUnitsToPixelsX(x, scale);
    const int top = DialogUnitsToPixelsY(y, scale);
    return {left, top, DialogUnitsToPixelsX(x + width, scale) - left, DialogUnitsToPixelsY(y + height, scale) - top};
}
