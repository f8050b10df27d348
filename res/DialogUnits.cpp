#include "DialogUnits.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

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

double FitDialogScale(int width, int height, int availableWidth, int availableHeight, int frameWidth,
                      int frameHeight, double minimumScale)
{
    if (width <= 0 || height <= 0)
        return minimumScale;
    const double roomX = kScreenShare * availableWidth - frameWidth;
    const double roomY = kScreenShare * availableHeight - frameHeight;
    const auto fits = [&](double scale) {
        return DialogUnitsToPixelsX(width, scale) <= roomX && DialogUnitsToPixelsY(height, scale) <= roomY;
    };
    // A first guess from the unrounded sizes, then the rounded sizes decide.
    const double guess = std::min(roomX / (width * kDialogBaseUnitX / 4.0), roomY / (height * kDialogBaseUnitY / 8.0));
    if (!(guess > minimumScale))
        return minimumScale;
    double scale = std::floor(guess * 100.0 + 1.0) / 100.0;
    while (scale > minimumScale && !fits(scale))
        scale -= 0.01;
    return std::max(scale, minimumScale);
}

std::optional<double> ParseScaleOverride(std::string_view text)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    if (text.empty())
        return std::nullopt;
    // A decimal comma, as a French user may well type it.
    std::string number(text);
    if (const auto comma = number.find(','); comma != std::string::npos)
        number[comma] = '.';
    double value = 0.0;
    const char* end = number.data() + number.size();
    const auto [stop, error] = std::from_chars(number.data(), end, value, std::chars_format::fixed);
    if (error != std::errc() || stop != end || !std::isfinite(value))
        return std::nullopt;
    if (value < kSmallestScaleOverride || value > kLargestScaleOverride)
        return std::nullopt;
    return value;
}
