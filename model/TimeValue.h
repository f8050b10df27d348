#pragma once

#include <cstdint>
#include <string>

// Number texts of the annotation file.

// Time t as the decimal integer trunc(t * 100), saturated to 32 bits; NaN
// gives "0".
std::string FormatTimeValue(double t);
// Leading white space, optional sign, digits up to the first other character;
// no digits give 0; saturates to 32 bits instead of overflowing.
int32_t ParseIntValue(const char* text);
// ParseIntValue(text) * 0.01.
double ParseTimeValue(const char* text);
