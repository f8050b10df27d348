#pragma once

#include <cstdint>
#include <string>

// Times as the annotation file stores them: the integer n = trunc(t * 100)
// of a timeline time t, that is, tenths of a millisecond. Every export
// starts from it, so that an export and the saved file never disagree.

// n for the timeline time t, by the file writer's own rule (saturated to 32
// bits, 0 for NaN).
int32_t StoredTime(double t);

// A timeline time that the file writer stores as n. n * 0.01 is not always
// one: 0.29 * 100 is 28.999..., stored as 28.
double TimeFromStored(int64_t n);

// n / 10000 seconds with exactly four decimals, "-0.0050", "1.0400".
std::string SecondsText(int64_t n, char decimalPoint = '.');

// The integer rounded to the nearest, halves away from zero, of
// numerator / denominator (denominator > 0).
int64_t RoundedQuotient(int64_t numerator, int64_t denominator);

// Milliseconds to the nearest (halves away from zero).
inline int64_t StoredToMilliseconds(int64_t n) { return RoundedQuotient(n, 10); }
