#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <string>

#include "NumberField.h"

namespace {

struct ReadCase {
    const char* text;
    std::optional<double> expected;
};

void PrintTo(const ReadCase& c, std::ostream* out) { *out << '"' << c.text << '"'; }

class ReadNumber : public testing::TestWithParam<ReadCase> {};

TEST_P(ReadNumber, FollowsTheFieldRule)
{
    const ReadCase& c = GetParam();
    const std::optional<double> read = ReadNumberField(c.text);
    ASSERT_EQ(read.has_value(), c.expected.has_value());
    if (read) {
        EXPECT_EQ(*read, *c.expected);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, ReadNumber,
    testing::Values(
        // The decimal separator is the point whatever the desktop says.
        ReadCase{"12,5", std::nullopt}, ReadCase{"7.25", 7.25},
        // Blanks and tabs around the number, and only those.
        ReadCase{" 7.25 ", 7.25}, ReadCase{"\t7.25\t", 7.25}, ReadCase{"  \t 7.25", 7.25},
        ReadCase{"7.25\n", std::nullopt}, ReadCase{"7 .25", std::nullopt},
        // Nothing at all is no number, and neither is a zero that does not
        // start with the digit 0.
        ReadCase{"", std::nullopt}, ReadCase{"   ", std::nullopt}, ReadCase{"0", 0.0}, ReadCase{"0.0", 0.0},
        ReadCase{"0e5", 0.0}, ReadCase{" 0 ", 0.0}, ReadCase{"00", 0.0}, ReadCase{"+0", std::nullopt},
        ReadCase{".0", std::nullopt}, ReadCase{"-0", std::nullopt}, ReadCase{"-0.0", std::nullopt},
        // Signs, points and exponents.
        ReadCase{"1e3", 1000.0}, ReadCase{"1E3", 1000.0}, ReadCase{"2.5e-1", 0.25}, ReadCase{"-12", -12.0},
        ReadCase{"+12", 12.0}, ReadCase{".5", 0.5}, ReadCase{"5.", 5.0}, ReadCase{"1e+2", 100.0},
        ReadCase{"1e", std::nullopt}, ReadCase{"1e+", std::nullopt}, ReadCase{"-", std::nullopt},
        ReadCase{".", std::nullopt}, ReadCase{"+-1", std::nullopt}, ReadCase{"1.2.3", std::nullopt},
        // Trailing rubbish, and what strtod alone would have taken.
        ReadCase{"12abc", std::nullopt}, ReadCase{"inf", std::nullopt}, ReadCase{"nan", std::nullopt},
        ReadCase{"0x10", std::nullopt}, ReadCase{"infinity", std::nullopt},
        // Far bounds are numbers; a number no double can hold is not.
        ReadCase{"1e300", 1e300}, ReadCase{"-1e300", -1e300}, ReadCase{"1e-300", 1e-300},
        ReadCase{"1e400", std::nullopt}, ReadCase{"1e-400", std::nullopt}, ReadCase{"0e-400", 0.0},
        // Only the first 31 characters count: 40 digits read as 31, and what
        // lies past the 31st character is never looked at.
        ReadCase{"1234567890123456789012345678901234567890", 1234567890123456789012345678901.0},
        ReadCase{"7.25                           xyz", 7.25},
        ReadCase{"                              7", 7.0}, ReadCase{"                               7", std::nullopt}));

TEST(FormatNumber, WritesUpToFifteenSignificantDigits)
{
    EXPECT_EQ(FormatNumberField(12.5), "12.5");
    EXPECT_EQ(FormatNumberField(100.0), "100");
    EXPECT_EQ(FormatNumberField(0.1 + 0.2), "0.3");
    EXPECT_EQ(FormatNumberField(0.0), "0");
    EXPECT_EQ(FormatNumberField(-2.25), "-2.25");
    EXPECT_EQ(FormatNumberField(1e300), "1e+300");
    EXPECT_EQ(FormatNumberField(123456789012345678.0), "1.23456789012346e+17");
}

TEST(FormatNumber, WhatItWritesReadsBack)
{
    for (const double value : {0.0, 12.5, 100.0, 1e300, -1e300, 1e-300, 3.25e-7, 123.4, -0.5})
        EXPECT_EQ(ReadNumberField(FormatNumberField(value)), value) << value;
}

// A French desktop writes "12,5" for 12.5; the fields must not follow it.
TEST(NumberFieldLocale, FrenchNumericLocaleChangesNothing)
{
    const std::string dir = std::string(QUILL_TEST_DATA_DIR) + "/locales";
    const std::string command = "mkdir -p '" + dir + "' && localedef -i fr_FR -f UTF-8 '" + dir +
                                "/fr_FR.UTF-8' >/dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << "localedef could not build fr_FR.UTF-8";
    setenv("LOCPATH", dir.c_str(), 1);
    ASSERT_NE(std::setlocale(LC_NUMERIC, "fr_FR.UTF-8"), nullptr);
    // The locale really is French: the C library now reads the comma.
    ASSERT_EQ(std::strtod("12,5", nullptr), 12.5);

    const std::optional<double> point = ReadNumberField(" 7.25 ");
    const std::optional<double> comma = ReadNumberField("12,5");
    const std::string written = FormatNumberField(12.5);
    std::setlocale(LC_NUMERIC, "C");
    unsetenv("LOCPATH");

    EXPECT_EQ(point, 7.25);
    EXPECT_EQ(comma, std::nullopt);
    EXPECT_EQ(written, "12.5");
}

} // namespace
