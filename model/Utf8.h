#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

// One character of UTF-8 text: its code point and how many bytes it takes.
struct Utf8Char {
    char32_t code = 0;
    std::size_t length = 0;
};

// The well-formed sequence at text[at] (Unicode's table 3-7: no overlong
// form, no surrogate, nothing past U+10FFFF, no sequence cut short), or
// none. Every reader of the program's UTF-8 text decodes through this one.
std::optional<Utf8Char> DecodeUtf8At(std::string_view text, std::size_t at);
