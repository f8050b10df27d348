#include "PlayerTimeText.h"

#include <algorithm>
#include <cstdio>

std::string FormatPlayerTime(int32_t ms)
{
    const int64_t total = std::max<int32_t>(0, ms);
    const int64_t hours = total / 3'600'000;
    const int64_t minutes = total / 60'000 % 60;
    const int64_t seconds = total / 1000 % 60;
    const int64_t millis = total % 1000;
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld.%03lld", static_cast<long long>(hours),
                  static_cast<long long>(minutes), static_cast<long long>(seconds), static_cast<long long>(millis));
    return text;
}

std::string FormatPlayerPosition(int32_t timeMs, int32_t durationMs)
{
    return FormatPlayerTime(timeMs) + " / " + FormatPlayerTime(durationMs);
}
