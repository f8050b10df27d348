#include "ListCodes.h"

#include <cstddef>

namespace ListCodes {

namespace {

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// Length of the well-formed sequence at `at` (Unicode table 3-7), or 0. The
// second byte's narrower ranges reject overlong forms, surrogates and code
// points past U+10FFFF.
std::size_t SequenceLength(std::string_view s, std::size_t at)
{
    const auto lead = static_cast<unsigned char>(s[at]);
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0;
        if (lead == 0xED)
            high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90;
        if (lead == 0xF4)
            high = 0x8F;
    } else {
        return 0;
    }
    if (at + length > s.size())
        return 0;
    const auto second = static_cast<unsigned char>(s[at + 1]);
    if (second < low || second > high)
        return 0;
    for (std::size_t i = 2; i < length; ++i)
        if (!IsContinuation(static_cast<unsigned char>(s[at + i])))
            return 0;
    return length;
}

} // namespace

void FromUtf8(std::string_view utf8, std::string& out)
{
    out.clear();
    std::size_t at = 0;
    while (at < utf8.size()) {
        const auto byte = static_cast<unsigned char>(utf8[at]);
        if (byte == 0)
            return;
        if (byte < 0x80) {
            out.push_back(static_cast<char>(byte));
            ++at;
            continue;
        }
        const std::size_t length = SequenceLength(utf8, at);
        if (length == 0) {
            // A stray byte draws nothing; what follows it is decoded afresh.
            ++at;
            continue;
        }
        if (length == 2) {
            const unsigned code = ((byte & 0x1Fu) << 6) | (static_cast<unsigned char>(utf8[at + 1]) & 0x3Fu);
            if (code < kGlyphCount)
                out.push_back(static_cast<char>(code));
        }
        at += length;
    }
}

} // namespace ListCodes
