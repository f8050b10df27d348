#include "ListCodes.h"

#include <cstddef>

#include "Utf8.h"

namespace ListCodes {

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
        const auto character = DecodeUtf8At(utf8, at);
        if (!character) {
            // A stray byte draws nothing; what follows it is decoded afresh.
            ++at;
            continue;
        }
        if (character->code < kGlyphCount)
            out.push_back(static_cast<char>(character->code));
        at += character->length;
    }
}

} // namespace ListCodes
