#include "StoredTime.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include "TimeValue.h"

int32_t StoredTime(double t)
{
    // The writer's text is the one rule; reading it back keeps the two from
    // ever drifting apart.
    const std::string text = FormatTimeValue(t);
    int32_t n = 0;
    std::from_chars(text.data(), text.data() + text.size(), n);
    return n;
}

double TimeFromStored(int64_t n)
{
    n = std::clamp<int64_t>(n, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max());
    double t = static_cast<double>(n) / 100.0;
    // The nearest double to n / 100 can fall just short of n once multiplied
    // back; a few steps of one unit in the last place always reach it.
    for (int step = 0; step < 8 && StoredTime(t) != n; ++step)
        t = std::nextafter(t, StoredTime(t) < n ? HUGE_VAL : -HUGE_VAL);
    return t;
}

std::string SecondsText(int64_t n, char decimalPoint)
{
    // Through unsigned, so that the most negative value has a magnitude.
    const uint64_t magnitude = n < 0 ? 0 - static_cast<uint64_t>(n) : static_cast<uint64_t>(n);
    char text[32];
    char* at = text;
    if (n < 0)
        *at++ = '-';
    at = std::to_chars(at, text + sizeof text, magnitude / 10000).ptr;
    *at++ = decimalPoint;
    const uint64_t fraction = magnitude % 10000;
    for (uint64_t unit = 1000; unit > 0; unit /= 10)
        *at++ = static_cast<char>('0' + fraction / unit % 10);
    return std::string(text, static_cast<size_t>(at - text));
}

int64_t RoundedQuotient(int64_t numerator, int64_t denominator)
{
    const int64_t quotient = numerator / denominator;
    const int64_t remainder = numerator % denominator;
    // |remainder| * 2 >= denominator, without overflowing.
    if (remainder >= denominator - remainder)
        return quotient + 1;
    if (-remainder >= denominator + remainder)
        return quotient - 1;
    return quotient;
}
