#include "MarkTime.h"

#include <algorithm>

namespace {

// Timeline times are player milliseconds / 10.
constexpr double kMillisecondsPerTimeUnit = 10.0;
// Enough digits for the largest delay with leading zeros to spare, few
// enough that the sum cannot overflow.
constexpr std::size_t kMaxDigits = 9;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

} // namespace

double MarkTime(double currentTime, bool playing, int delayMs, double speed)
{
    if (!playing || delayMs <= 0)
        return currentTime;
    const double delay = delayMs * speed / kMillisecondsPerTimeUnit;
    return std::max(0.0, currentTime - delay);
}

std::optional<int> ReadReactionDelay(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    if (text.empty() || text.size() > kMaxDigits)
        return std::nullopt;
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value < kMinReactionDelayMs || value > kMaxReactionDelayMs)
        return std::nullopt;
    return value;
}
