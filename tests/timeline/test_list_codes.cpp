#include <gtest/gtest.h>

#include <string>

#include "ListCodes.h"

namespace {

struct Decoding {
    const char* name;
    std::string utf8;
    std::string codes;
};

void PrintTo(const Decoding& d, std::ostream* os) { *os << d.name; }

class ListCodesTest : public testing::TestWithParam<Decoding> {};

} // namespace

TEST_P(ListCodesTest, OneCodePerLatin1Character)
{
    std::string out = "left over";
    ListCodes::FromUtf8(GetParam().utf8, out);
    EXPECT_EQ(out, GetParam().codes);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ListCodesTest,
    testing::Values(Decoding{"ascii", "Passe 12", "Passe 12"},
                    Decoding{"empty", "", ""},
                    Decoding{"accents", "\xC3\x89" "chauffement \xC3\xA0 d\xC3\xA9" "fense",
                             "\xC9" "chauffement \xE0 d\xE9" "fense"},
                    Decoding{"lowest two-byte code", "\xC2\x80", "\x80"},
                    Decoding{"mojibake stays two characters", "\xC3\x83\xC2\xA9", "\xC3\xA9"},
                    Decoding{"code point 255", "a\xC3\xBF" "b", "ab"},
                    Decoding{"euro and oe", "\xE2\x82\xAC\xC5\x93", ""},
                    Decoding{"four bytes", "x\xF0\x9F\x8E\xAC" "y", "xy"},
                    Decoding{"byte ff", "a\xFF" "b", "ab"},
                    Decoding{"lone continuation", "\xA9z", "z"},
                    Decoding{"truncated at end", "a\xC3", "a"},
                    Decoding{"lead before ascii", "\xC3z", "z"},
                    Decoding{"truncated three-byte keeps the next letter", "\xE2\x82z", "z"},
                    Decoding{"overlong two-byte", "\xC1\xA9", ""},
                    Decoding{"overlong three-byte", "\xE0\x83\xA9", ""},
                    Decoding{"surrogate", "\xED\xA0\x80", ""},
                    Decoding{"past U+10FFFF", "\xF4\x90\x80\x80", ""},
                    Decoding{"NUL ends the text", std::string("ab\0cd", 5), "ab"},
                    Decoding{"delete kept", "\x7F", "\x7F"}),
    [](const testing::TestParamInfo<Decoding>& info) {
        std::string name;
        for (const char* c = info.param.name; *c != '\0'; ++c)
            name += (*c >= 'a' && *c <= 'z') || (*c >= 'A' && *c <= 'Z') || (*c >= '0' && *c <= '9') ? *c : '_';
        return name;
    });
