// The reaction delay rule and the delay's text, both ways a user gives it.
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "MarkTime.h"

namespace {

struct MarkCase {
    double current; // timeline time: player milliseconds / 10
    bool playing;
    int delayMs;
    double speed;
    double expected;
};

class MarkRule : public testing::TestWithParam<MarkCase> {};

TEST_P(MarkRule, SubtractsTheDelayInRealTimeOnlyWhilePlaying)
{
    const MarkCase& c = GetParam();
    EXPECT_DOUBLE_EQ(MarkTime(c.current, c.playing, c.delayMs, c.speed), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, MarkRule,
    testing::Values(
        // 300 ms is 30 time units of video at speed 1, 15 at 0.5, 120 at 4.
        MarkCase{500.0, true, 300, 1.0, 470.0}, MarkCase{500.0, true, 300, 0.5, 485.0},
        MarkCase{500.0, true, 300, 4.0, 380.0}, MarkCase{500.0, true, 300, 0.1, 497.0},
        MarkCase{123.4, true, 0, 1.0, 123.4},
        // Paused: the frame on screen was chosen, whatever the delay.
        MarkCase{500.0, false, 300, 1.0, 500.0}, MarkCase{500.0, false, 2000, 0.5, 500.0},
        // Near the start the mark stops at 0, and exactly 0 stays 0.
        MarkCase{20.0, true, 300, 1.0, 0.0}, MarkCase{30.0, true, 300, 1.0, 0.0},
        MarkCase{0.0, true, 2000, 4.0, 0.0}, MarkCase{10.0, true, 300, 0.5, 0.0},
        MarkCase{200.0, true, 2000, 1.0, 0.0}, MarkCase{201.0, true, 2000, 1.0, 1.0}));

struct DelayText {
    const char* text;
    std::optional<int> delay;
};

class DelayField : public testing::TestWithParam<DelayText> {};

TEST_P(DelayField, TakesWholeMillisecondsFromZeroToTwoThousand)
{
    EXPECT_EQ(ReadReactionDelay(GetParam().text), GetParam().delay) << '"' << GetParam().text << '"';
}

INSTANTIATE_TEST_SUITE_P(
    Table, DelayField,
    testing::Values(DelayText{"0", 0}, DelayText{"300", 300}, DelayText{"2000", 2000}, DelayText{" 250\t", 250},
                    DelayText{"0300", 300}, DelayText{"000000002", 2},
                    DelayText{"", std::nullopt}, DelayText{"  ", std::nullopt}, DelayText{"2001", std::nullopt},
                    DelayText{"-1", std::nullopt}, DelayText{"+5", std::nullopt}, DelayText{"1.5", std::nullopt},
                    DelayText{"1,5", std::nullopt}, DelayText{"300 ms", std::nullopt}, DelayText{"3 00", std::nullopt},
                    DelayText{"1e3", std::nullopt}, DelayText{"0x10", std::nullopt},
                    DelayText{"99999999999999999999", std::nullopt}, DelayText{"٣٠٠", std::nullopt}));

// Every delay the range allows reads back from its own digits.
TEST(DelayField, EveryDelayInRangeReadsBack)
{
    for (int delay = kMinReactionDelayMs; delay <= kMaxReactionDelayMs; ++delay)
        ASSERT_EQ(ReadReactionDelay(std::to_string(delay)), delay);
}

} // namespace
