#include <cmath>
#include <limits>
#include <memory>
#include <stdexcept>
#include <utility>
#include <string>

#include <gtest/gtest.h>

#include "PlaybackClock.h"
#include "PlayerTimeText.h"

namespace {

// A clock on a loaded 10 s file at 25 fps whose load restart has arrived.
PlaybackClock LoadedClock(int32_t durationMs = 10000, double fps = 25.0)
{
    PlaybackClock clock;
    clock.StartFile(durationMs, fps, false);
    clock.OnRestart();
    return clock;
}

} // namespace

TEST(PlaybackClock, WithoutAFileEverythingReadsZeroAndNothingIsSent)
{
    PlaybackClock clock;
    clock.OnPosition(3.0);
    clock.OnEndReached(true);
    EXPECT_EQ(clock.Time(), 0);
    EXPECT_EQ(clock.Duration(), 0);
    EXPECT_FALSE(clock.RequestSeek(1000));
    EXPECT_FALSE(clock.OnRestart());

    clock = LoadedClock();
    clock.OnPosition(4.0);
    clock.Reset();
    EXPECT_EQ(clock.Time(), 0);
    EXPECT_FALSE(clock.HasFile());
}

struct SeekCase {
    double fps;
    int32_t requested;
    double targetSeconds; // what goes to the engine
    int32_t reported;     // what Time() says at once
};

class SeekTarget : public testing::TestWithParam<SeekCase> {};

TEST_P(SeekTarget, AimsAtTheFrameCoveringTheTimeAndReportsTheClampedRequest)
{
    const SeekCase& c = GetParam();
    PlaybackClock clock = LoadedClock(10000, c.fps);
    const auto sent = clock.RequestSeek(c.requested);
    ASSERT_TRUE(sent);
    EXPECT_NEAR(*sent, c.targetSeconds, 1e-9);
    EXPECT_EQ(clock.Time(), c.reported);
}

INSTANTIATE_TEST_SUITE_P(
    Table, SeekTarget,
    testing::Values(SeekCase{25.0, 3210, 3.2, 3210},          // inside a frame: that frame's start
                    SeekCase{25.0, 3200, 3.2, 3200},          // on a frame start
                    SeekCase{25.0, 3239, 3.2, 3239},          // last millisecond of the frame
                    SeekCase{25.0, 0, 0.0, 0},
                    SeekCase{25.0, -40, 0.0, 0},              // clamped to 0
                    SeekCase{25.0, 99999, 9.96, 10000},       // clamped to the duration, last frame shown
                    SeekCase{30000.0 / 1001.0, 1000, 29 * 1001.0 / 30000.0, 1000},
                    SeekCase{0.0, 1234, 1.234, 1234}));       // no frame rate: the time itself

TEST(PlaybackClock, RequestedTimeStandsWhilePausedAndGivesWayOncePlaybackRunsOn)
{
    PlaybackClock clock = LoadedClock();
    clock.OnPosition(1.0);
    ASSERT_TRUE(clock.RequestSeek(3210));
    // The old position still comes in while the seek is in flight.
    clock.OnPosition(1.0);
    EXPECT_EQ(clock.Time(), 3210);
    EXPECT_FALSE(clock.OnRestart());
    clock.OnPosition(3.2);
    clock.OnPosition(3.2);
    EXPECT_EQ(clock.Time(), 3210) << "a paused seek must not jump back to the frame start";

    clock.OnPosition(3.24); // still the frame right after: no backward jump
    EXPECT_EQ(clock.Time(), 3210);
    clock.OnPosition(3.28);
    EXPECT_EQ(clock.Time(), 3280);
    EXPECT_FALSE(clock.SeekPending());
}

TEST(PlaybackClock, SeekToTheFrameAlreadyShownStandsEvenWithoutANewPosition)
{
    PlaybackClock clock = LoadedClock();
    clock.OnPosition(3.2);
    ASSERT_TRUE(clock.RequestSeek(3230));
    clock.OnRestart();
    EXPECT_EQ(clock.Time(), 3230);
}

TEST(PlaybackClock, OneSeekInFlightAndTheNewestWaitingRequestWins)
{
    PlaybackClock clock;
    clock.StartFile(10000, 25.0, false);
    // Before the load's own restart, requests wait.
    EXPECT_FALSE(clock.RequestSeek(1000));
    EXPECT_EQ(clock.Time(), 1000);
    const auto first = clock.OnRestart();
    ASSERT_TRUE(first);
    EXPECT_DOUBLE_EQ(*first, 1.0);

    // A file whose first frame was shown before it was taken has had that
    // restart: waiting for it would freeze the picture on the first frame.
    PlaybackClock shown;
    shown.StartFile(10000, 25.0, true);
    const auto atOnce = shown.RequestSeek(1000);
    ASSERT_TRUE(atOnce);
    EXPECT_DOUBLE_EQ(*atOnce, 1.0);
    EXPECT_FALSE(shown.OnRestart());
    EXPECT_FALSE(shown.SeekInFlight());

    EXPECT_FALSE(clock.RequestSeek(2000));
    EXPECT_FALSE(clock.RequestSeek(5000));
    EXPECT_FALSE(clock.RequestSeek(4000));
    EXPECT_EQ(clock.Time(), 4000);
    const auto newest = clock.OnRestart();
    ASSERT_TRUE(newest);
    EXPECT_DOUBLE_EQ(*newest, 4.0);
    EXPECT_TRUE(clock.SeekInFlight());
    EXPECT_FALSE(clock.OnRestart());
    EXPECT_FALSE(clock.SeekInFlight());
    const auto next = clock.RequestSeek(100);
    ASSERT_TRUE(next);
    EXPECT_DOUBLE_EQ(*next, 0.08);
}

TEST(PlaybackClock, StalePositionAfterTheRestartDoesNotReplaceTheRequest)
{
    PlaybackClock clock = LoadedClock();
    clock.OnPosition(5.0);
    ASSERT_TRUE(clock.RequestSeek(2000));
    clock.OnRestart();
    clock.OnPosition(5.0); // delivered late, from before the seek
    EXPECT_EQ(clock.Time(), 2000);
    clock.OnPosition(2.0);
    EXPECT_EQ(clock.Time(), 2000);
}

TEST(PlaybackClock, SeekLandingElsewhereGivesWayOncePlaybackMoves)
{
    PlaybackClock clock = LoadedClock();
    ASSERT_TRUE(clock.RequestSeek(2000));
    clock.OnRestart();
    clock.OnPosition(7.0);
    EXPECT_EQ(clock.Time(), 2000);
    clock.OnPosition(7.04);
    EXPECT_EQ(clock.Time(), 7040);
}

TEST(PlaybackClock, RefusedSeekReportsThePositionOrSendsTheWaitingOne)
{
    PlaybackClock clock = LoadedClock();
    clock.OnPosition(1.5);
    ASSERT_TRUE(clock.RequestSeek(6000));
    EXPECT_FALSE(clock.RequestSeek(7000));
    const auto waiting = clock.OnSeekFailed();
    ASSERT_TRUE(waiting);
    EXPECT_DOUBLE_EQ(*waiting, 7.0);
    EXPECT_FALSE(clock.OnSeekFailed());
    EXPECT_EQ(clock.Time(), 1500);
    EXPECT_FALSE(clock.SeekInFlight());
}

TEST(PlaybackClock, PositionIsClampedToTheDurationAndTheEndReadsTheDuration)
{
    PlaybackClock clock = LoadedClock();
    clock.OnPosition(10.008); // audio runs a little past the last frame
    EXPECT_EQ(clock.Time(), 10000);
    clock.OnPosition(9.96);
    clock.OnEndReached(true);
    EXPECT_EQ(clock.Time(), 10000);
    EXPECT_TRUE(clock.AtEnd());
    clock.OnEndReached(false);
    EXPECT_EQ(clock.Time(), 9960);
    clock.OnPosition(-0.02);
    EXPECT_EQ(clock.Time(), 0);
    clock.OnPosition(std::nan(""));
    EXPECT_EQ(clock.Time(), 0);

    clock.OnDuration(12.5);
    EXPECT_EQ(clock.Duration(), 12500);
    clock.OnDuration(0.0);
    EXPECT_EQ(clock.Duration(), 12500);
}

TEST(PlaybackClock, FrameStepsMoveOneFrameAndStopAtBothEnds)
{
    PlaybackClock clock = LoadedClock();
    clock.RequestSeek(3210);
    EXPECT_EQ(clock.StepTarget(1), 3240);
    EXPECT_EQ(clock.StepTarget(-1), 3160);
    clock.RequestSeek(0);
    EXPECT_EQ(clock.StepTarget(-1), 0);
    clock.RequestSeek(10000);
    EXPECT_EQ(clock.StepTarget(1), 9960);
    EXPECT_EQ(clock.StepTarget(-1), 9920);

    // 29.97 fps: the step lands on a millisecond inside the next frame.
    PlaybackClock ntsc = LoadedClock(10000, 30000.0 / 1001.0);
    const int32_t next = ntsc.StepTarget(1);
    EXPECT_EQ(next, 34);
    EXPECT_EQ(ntsc.FrameIndexAt(next), 1);
    // Without a frame rate, steps still move by a plausible frame.
    PlaybackClock unknown = LoadedClock(10000, 0.0);
    EXPECT_EQ(unknown.StepTarget(1), 40);
}

TEST(PlaybackClock, SecondsBecomeMillisecondsByRounding)
{
    EXPECT_EQ(PlaybackClock::ToMilliseconds(0.29), 290);
    EXPECT_EQ(PlaybackClock::ToMilliseconds(3.2), 3200);
    EXPECT_EQ(PlaybackClock::ToMilliseconds(-1.0), 0);
    EXPECT_EQ(PlaybackClock::ToMilliseconds(std::numeric_limits<double>::infinity()), 0);
    EXPECT_EQ(PlaybackClock::ToMilliseconds(1e12), std::numeric_limits<int32_t>::max());
}

TEST(PlayerTimeText, HoursMinutesSecondsAndMilliseconds)
{
    EXPECT_EQ(FormatPlayerTime(0), "0:00:00.000");
    EXPECT_EQ(FormatPlayerTime(3200), "0:00:03.200");
    EXPECT_EQ(FormatPlayerTime(3'723'004), "1:02:03.004");
    EXPECT_EQ(FormatPlayerTime(-5), "0:00:00.000");
    EXPECT_EQ(FormatPlayerTime(std::numeric_limits<int32_t>::max()), "596:31:23.647");
    EXPECT_EQ(FormatPlayerPosition(3200, 10000), "0:00:03.200 / 0:00:10.000");
}

namespace {

// Frames 40, 20, 40, 20 ms long, as a variable-rate file has them; the
// declared rate (25 fps) is what a container would claim.
PlaybackClock VariableRateClock()
{
    PlaybackClock clock = LoadedClock(140, 25.0);
    clock.SetFrameTimes(std::make_shared<const FrameTimes>(
        FrameTimes({0, 40'000'000, 60'000'000, 100'000'000, 120'000'000})));
    return clock;
}

} // namespace

TEST(FrameTimes, UnorderedRepeatedTimesAndLookupsAtTheEdges)
{
    FrameTimes times({66'733'333, 0, 33'366'667, 33'366'667, 100'100'000});
    ASSERT_EQ(times.Count(), 4);
    EXPECT_EQ(times.IndexAt(-5), 0);
    EXPECT_EQ(times.IndexAt(33'366'666), 0);
    EXPECT_EQ(times.IndexAt(33'366'667), 1);
    EXPECT_EQ(times.IndexAt(1'000'000'000), 3);
    EXPECT_EQ(times.FirstMillisecond(1), 34);
    EXPECT_EQ(times.FirstMillisecond(3), 101);
    times.Shift(-23'000'000);
    EXPECT_EQ(times.FirstMillisecond(0), 0) << "a frame before the zero is first seen at 0";
    EXPECT_EQ(times.FirstMillisecond(1), 11);
    EXPECT_THROW(FrameTimes({}), std::invalid_argument);
}

TEST(PlaybackClock, FrameTimesDecideTheSeekTargetNotTheDeclaredRate)
{
    PlaybackClock clock = VariableRateClock();
    ASSERT_TRUE(clock.HasFrameTimes());
    // The declared rate would aim at 40 ms for 59 and 60, and at 120 for 130.
    const std::pair<int32_t, double> cases[] = {{59, 0.04}, {60, 0.06}, {99, 0.06}, {100, 0.1}, {130, 0.12}, {999, 0.12}};
    for (const auto& [requested, seconds] : cases) {
        const auto sent = clock.RequestSeek(requested);
        ASSERT_TRUE(sent) << requested;
        EXPECT_NEAR(*sent, seconds, 1e-12) << requested;
        clock.OnRestart();
    }
}

TEST(PlaybackClock, SeekOnAVariableRateFileStandsUntilPlaybackLeavesTheFrame)
{
    PlaybackClock clock = VariableRateClock();
    clock.OnPosition(0.0);
    ASSERT_TRUE(clock.RequestSeek(99));
    clock.OnRestart();
    clock.OnPosition(0.06);
    clock.OnPosition(0.06);
    EXPECT_EQ(clock.Time(), 99);
    clock.OnPosition(0.1); // the next frame: playing on
    EXPECT_EQ(clock.Time(), 100);
    EXPECT_FALSE(clock.SeekPending());
}

TEST(PlaybackClock, FrameStepsFollowTheFrameTimes)
{
    PlaybackClock clock = VariableRateClock();
    clock.RequestSeek(59);
    EXPECT_EQ(clock.StepTarget(1), 60);
    EXPECT_EQ(clock.StepTarget(-1), 0);
    EXPECT_EQ(clock.StepTarget(2), 100);
    clock.OnRestart();
    clock.RequestSeek(125);
    EXPECT_EQ(clock.StepTarget(1), 120) << "no frame after the last";
    EXPECT_EQ(clock.StepTarget(-1), 100);

    // A new file forgets the old file's times; none are taken without a file.
    clock.StartFile(140, 25.0, false);
    EXPECT_FALSE(clock.HasFrameTimes());
    clock.Reset();
    clock.SetFrameTimes(std::make_shared<const FrameTimes>(FrameTimes({0})));
    EXPECT_FALSE(clock.HasFrameTimes());
}
