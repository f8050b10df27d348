#pragma once

#include <string>
#include <string_view>

// Text is held as UTF-8, the font has one display list per Latin-1 code
// 0 to 254. Calling one list per byte would show "é" as "Ã©".
namespace ListCodes {

constexpr unsigned kGlyphCount = 255;

// One byte per character to draw, each below kGlyphCount, in order. Code
// points from 255 up and invalid bytes yield nothing (no glyph, no advance);
// decoding stops at a NUL byte, where the 8-bit string would end. Appends to
// `out` after clearing it, so a caller can reuse the buffer every frame.
void FromUtf8(std::string_view utf8, std::string& out);

} // namespace ListCodes
