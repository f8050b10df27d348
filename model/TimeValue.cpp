#include "TimeValue.h"

#include <cmath>
#include <limits>

namespace {

constexpr int64_t kMax = std::numeric_limits<int32_t>::max();
constexpr int64_t kMin = std::numeric_limits<int32_t>::min();

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

} // namespace

std::string FormatTimeValue(double t)
{
    // trunc(t * 100) of a huge or non-finite time cannot be converted to int;
    // saturate instead of invoking undefined behaviour.
    const double scaled = std::trunc(t * 100.0);
    int32_t stored = 0;
    if (std::isnan(scaled))
        stored = 0;
    else if (scaled >= static_cast<double>(kMax))
        stored = static_cast<int32_t>(kMax);
    else if (scaled <= static_cast<double>(kMin))
        stored = static_cast<int32_t>(kMin);
    else
        stored = static_cast<int32_t>(scaled);
    return std::to_string(stored);
}

int32_t ParseIntValue(const char* text)
{
    if (text == nullptr)
        return 0;
    const char* p = text;
    while (IsSpace(*p))
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        ++p;
    }
    // Accumulate as a negative number so that INT32_MIN fits, and stop
    // growing once past the limit: further digits only keep it saturated.
    int64_t value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        if (value > kMax + 1)
            continue;
        value = value * 10 + (*p - '0');
    }
    if (negative)
        return value > -kMin ? static_cast<int32_t>(kMin) : static_cast<int32_t>(-value);
    return value > kMax ? static_cast<int32_t>(kMax) : static_cast<int32_t>(value);
}

double ParseTimeValue(const char* text)
{
    return ParseIntValue(text) * 0.01;
}
