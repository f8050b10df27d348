#include "NumberField.h"

#include <charconv>
#include <cmath>

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Length of the run of digits at `pos`.
std::size_t Digits(std::string_view text, std::size_t pos)
{
    std::size_t end = pos;
    while (end < text.size() && IsDigit(text[end]))
        ++end;
    return end - pos;
}

// Length of the decimal number at the front of `text`, 0 for none. Written
// out rather than left to strtod, which also takes "inf", "nan", hex and the
// locale's decimal separator.
std::size_t NumberLength(std::string_view text)
{
    std::size_t pos = 0;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-'))
        ++pos;
    const std::size_t whole = Digits(text, pos);
    pos += whole;
    std::size_t fraction = 0;
    if (pos < text.size() && text[pos] == '.') {
        fraction = Digits(text, pos + 1);
        pos += 1 + fraction;
    }
    if (whole == 0 && fraction == 0)
        return 0;
    if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
        std::size_t exponent = pos + 1;
        if (exponent < text.size() && (text[exponent] == '+' || text[exponent] == '-'))
            ++exponent;
        const std::size_t digits = Digits(text, exponent);
        // "1e" is the number 1 followed by a stray "e".
        if (digits > 0)
            pos = exponent + digits;
    }
    return pos;
}

} // namespace

std::optional<double> ReadNumberField(std::string_view text)
{
    text = text.substr(0, kNumberFieldReadLength);
    std::size_t first = 0;
    while (first < text.size() && IsBlank(text[first]))
        ++first;
    text.remove_prefix(first);

    const std::size_t length = NumberLength(text);
    if (length == 0)
        return std::nullopt;
    for (std::size_t pos = length; pos < text.size(); ++pos) {
        if (!IsBlank(text[pos]))
            return std::nullopt;
    }

    // from_chars takes no "+" and never looks at the locale.
    std::string_view number = text.substr(0, length);
    if (number.front() == '+')
        number.remove_prefix(1);
    double value = 0.0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (end != number.data() + number.size())
        return std::nullopt;
    if (error == std::errc::result_out_of_range) {
        // Within the characters read, only a negative exponent can take a
        // number out of range, and then it is too small to tell from zero;
        // anything else out of range is too large for a segment bound.
        if (number.find("e-") == std::string_view::npos && number.find("E-") == std::string_view::npos)
            return std::nullopt;
        value = 0.0;
    } else if (error != std::errc()) {
        return std::nullopt;
    }
    if (!std::isfinite(value))
        return std::nullopt;
    if (value == 0.0 && text.front() != '0')
        return std::nullopt;
    return value;
}

std::string FormatNumberField(double value)
{
    char buffer[64];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
    if (error != std::errc())
        return {};
    return std::string(buffer, end);
}
