#include "PlaybackSpeed.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

namespace {

constexpr std::array<double, 9> kSteps = {0.1, 0.25, 0.5, 0.75, 1.0, 1.25, 1.5, 2.0, 4.0};
// mpv's own tempo filter mutes the sound below this speed (its min-speed).
constexpr double kDefaultFilterMinimum = 0.25;
// Speeds come back from arithmetic and from mpv as doubles.
constexpr double kSameSpeed = 1e-9;

} // namespace

std::span<const double> SpeedSteps()
{
    return kSteps;
}

double ClampSpeed(double speed)
{
    if (!std::isfinite(speed))
        return kNormalSpeed;
    return std::clamp(speed, kSteps.front(), kSteps.back());
}

double SlowerSpeed(double speed)
{
    speed = ClampSpeed(speed);
    for (auto step = kSteps.rbegin(); step != kSteps.rend(); ++step)
        if (*step < speed - kSameSpeed)
            return *step;
    return kSteps.front();
}

double FasterSpeed(double speed)
{
    speed = ClampSpeed(speed);
    for (double step : kSteps)
        if (step > speed + kSameSpeed)
            return step;
    return kSteps.back();
}

std::string SpeedText(double speed)
{
    char digits[32];
    const auto result = std::to_chars(digits, digits + sizeof digits, ClampSpeed(speed), std::chars_format::general, 3);
    return "\u00d7" + std::string(digits, result.ptr);
}

std::string TempoFilter(double speed)
{
    if (ClampSpeed(speed) >= kDefaultFilterMinimum - kSameSpeed)
        return {};
    char minimum[32];
    const auto result = std::to_chars(minimum, minimum + sizeof minimum, kSteps.front(), std::chars_format::fixed, 2);
    return "scaletempo2=min-speed=" + std::string(minimum, result.ptr);
}
