#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// The text of a number field of the segment dialog, both ways. Both ignore
// the desktop's locale: the point is always ".", so a file of bounds typed on
// a French desktop reads the same as anywhere else.

// Only the first characters of a field are read, as many as this.
inline constexpr std::size_t kNumberFieldReadLength = 31;

// The value of `text`, or none when it is not a number: blanks and tabs
// around a decimal number (optional sign, optional "." part, optional
// exponent) and nothing else. A value of zero counts only when the first
// non-blank character is the digit 0, so "", "-0", "+0" and ".0" are
// rejected. A number too large for a double is rejected too.
std::optional<double> ReadNumberField(std::string_view text);

// Up to 15 significant digits, as "%.15g" writes them: 12.5, 100, 0.3.
std::string FormatNumberField(double value);
