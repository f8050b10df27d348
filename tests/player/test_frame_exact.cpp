// Seeks and frame steps against the frame actually shown, on clips whose
// frames are evenly spaced, alternate, follow no pattern, or come from a
// container that declares no frame rate at all.
#include <algorithm>
#include <atomic>
#include <cmath>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <QTest>

#include <gtest/gtest.h>

#include <mpv/client.h>

#include "EngineFrame.h"
#include "FrameTimesReader.h"
#include "PlayerError.h"
#include "PlayerSession.h"
#include "TestVideo.h"

namespace {

constexpr int kWaitMs = 5000;
constexpr int kWidth = 160;
constexpr int kHeight = 120;
constexpr double kSeconds = 2.0;
constexpr int kRandomTargets = 30;
// ffprobe prints microseconds.
constexpr double kPrintSlack = 1e-6;

struct ClipKind {
    const char* label;
    const char* file;
    FrameSpacing spacing;
    bool sound;
    // mpv times MPEG-TS frames from the decoder, not from their packets: at a
    // few frames its time differs from the packet's by most of a frame, and a
    // seek to that frame's first millisecond shows the one before.
    bool packetTimedInPlayer = true;
};

const ClipKind kKinds[] = {
    {"Mp4Even25", "exact-even25.mp4", FrameSpacing::Even25, true},
    {"MkvNtscRounded", "exact-ntsc.mkv", FrameSpacing::Ntsc, true},
    {"MkvAlternating", "exact-alternating.mkv", FrameSpacing::Alternating, false},
    {"Mp4Irregular", "exact-irregular.mp4", FrameSpacing::Irregular, true},
    {"TsUndeclaredRate", "exact-irregular.ts", FrameSpacing::Irregular, true, false},
};

// The frame whose interval covers `ms`, from the times ffprobe reads.
int CoveringFrame(const std::vector<double>& times, int32_t ms)
{
    const auto after = std::upper_bound(times.begin(), times.end(), ms / 1000.0 + kPrintSlack);
    return std::max(0, static_cast<int>(after - times.begin()) - 1);
}

int32_t FirstMillisecond(double seconds)
{
    return static_cast<int32_t>(std::ceil(seconds * 1000.0 - kPrintSlack));
}

int ShownFrame(MpvEngine& engine)
{
    return ::ShownFrame(engine, kWidth, kWaitMs);
}

class FrameExact : public testing::TestWithParam<ClipKind> {
protected:
    void SetUp() override
    {
        const ClipKind& kind = GetParam();
        m_path = MakeTimedVideo(QUILL_TEST_DATA_DIR, kind.file, kSeconds, kWidth, kHeight, kind.spacing, kind.sound);
        m_times = ProbeFrameTimes(m_path);
        ASSERT_GT(m_times.size(), 40u);
        ASSERT_TRUE(std::is_sorted(m_times.begin(), m_times.end()));
        double shortest = 1.0;
        double longest = 0.0;
        for (size_t i = 1; i < m_times.size(); ++i) {
            shortest = std::min(shortest, m_times[i] - m_times[i - 1]);
            longest = std::max(longest, m_times[i] - m_times[i - 1]);
        }
        // The clip must really be what the case says it is.
        const bool variable = kind.spacing == FrameSpacing::Alternating || kind.spacing == FrameSpacing::Irregular;
        EXPECT_EQ(variable, longest - shortest > 0.015) << shortest << " .. " << longest;

        m_session.SetSource(m_path);
        ASSERT_TRUE(QTest::qWaitFor([&] { return Engine().HasFrameTimes(); }, kWaitMs));
        m_movie = m_session.GetMovie();
        // The player counts from its demuxer's start, not the container's.
        double zero = 0.0;
        ASSERT_GE(mpv_get_property(Engine().Handle(), "demuxer-start-time", MPV_FORMAT_DOUBLE, &zero), 0);
        m_shown = m_times;
        for (double& time : m_shown)
            time -= zero;
    }

    MpvEngine& Engine() { return m_session.Engine(); }

    // Seeks to each target and lists those that show another frame or
    // read back another time once shown.
    std::string Misses(const std::vector<int32_t>& targets)
    {
        std::ostringstream misses;
        int count = 0;
        for (const int32_t ms : targets) {
            m_movie->SetTime(ms);
            const int shown = ShownFrame(Engine());
            const int expected = CoveringFrame(m_shown, ms);
            const int32_t reported = m_movie->GetTime();
            if (shown == expected && reported == ms)
                continue;
            // The first few tell the story.
            if (++count <= 4)
                misses << ms << " ms: frame " << shown << " for " << expected << ", time " << reported << "\n";
        }
        if (count > 0)
            misses << count << " of " << targets.size() << " missed\n";
        return misses.str();
    }

    std::string m_path;
    std::vector<double> m_times;
    std::vector<double> m_shown;
    PlayerSession m_session{MpvEngine::Output::Headless, AudioOutput::Silent()};
    CQTMoviePtr m_movie;
};

} // namespace

TEST_P(FrameExact, EveryFrameBoundaryShowsTheFrameCoveringIt)
{
    if (!GetParam().packetTimedInPlayer)
        GTEST_SKIP() << "the player's frame times are not the packets' on this container";
    // The first millisecond of each frame, and the millisecond before it.
    std::vector<int32_t> targets;
    for (size_t i = 1; i < m_shown.size(); ++i) {
        const int32_t first = FirstMillisecond(m_shown[i]);
        targets.push_back(first);
        targets.push_back(first - 1);
    }
    EXPECT_EQ(Misses(targets), "");
}

TEST_P(FrameExact, RandomTimesShowTheFrameCoveringThem)
{
    std::mt19937 random(22);
    std::uniform_int_distribution<int32_t> pick(0, m_movie->GetDuration() - 1);
    std::vector<int32_t> targets;
    for (int i = 0; i < kRandomTargets; ++i)
        targets.push_back(pick(random));
    EXPECT_EQ(Misses(targets), "");
}

TEST_P(FrameExact, FrameStepsMoveExactlyOneFrame)
{
    m_movie->SetTime(0);
    ASSERT_EQ(ShownFrame(Engine()), 0);
    std::ostringstream misses;
    const int forward = std::min<int>(20, static_cast<int>(m_times.size()) - 1);
    for (int frame = 1; frame <= forward; ++frame) {
        Engine().StepFrames(1);
        const int shown = ShownFrame(Engine());
        if (shown != frame || Engine().Time() != std::max(0, FirstMillisecond(m_shown[frame])))
            misses << "forward to " << frame << ": shown " << shown << ", time " << Engine().Time() << "\n";
    }
    for (int frame = forward - 1; frame >= forward - 6; --frame) {
        Engine().StepFrames(-1);
        const int shown = ShownFrame(Engine());
        if (shown != frame || Engine().Time() != std::max(0, FirstMillisecond(m_shown[frame])))
            misses << "back to " << frame << ": shown " << shown << ", time " << Engine().Time() << "\n";
    }
    EXPECT_EQ(misses.str(), "");
}

TEST_P(FrameExact, FrameTimesReadAreTheStreamsOwn)
{
    const std::atomic<bool> stop{false};
    const auto read = ReadFrameTimes(m_path, stop);
    ASSERT_TRUE(read);
    ASSERT_EQ(read->Count(), static_cast<int64_t>(m_times.size()));
    for (size_t i = 0; i < m_times.size(); ++i)
        EXPECT_NEAR(read->StartNs(static_cast<int64_t>(i)) / 1e9, m_times[i], kPrintSlack) << i;
}

INSTANTIATE_TEST_SUITE_P(Kinds, FrameExact, testing::ValuesIn(kKinds),
                         [](const auto& info) { return std::string(info.param.label); });

TEST(FrameTimesReader, NothingFromAFileWithoutVideoOrAStoppedRead)
{
    std::atomic<bool> stop{false};
    EXPECT_FALSE(ReadFrameTimes(MakeTestAudio(QUILL_TEST_DATA_DIR, "sound.m4a", 1.0), stop));
    EXPECT_FALSE(ReadFrameTimes(std::string(QUILL_TEST_DATA_DIR) + "/no-such-video.mp4", stop));
    const std::string clip = MakeTimedVideo(QUILL_TEST_DATA_DIR, "exact-alternating.mkv", kSeconds, kWidth, kHeight,
                                            FrameSpacing::Alternating, false);
    stop = true;
    EXPECT_FALSE(ReadFrameTimes(clip, stop));
}

TEST(FrameTimesReader, UndeclaredRateCaseDeclaresNoRate)
{
    PlayerSession session(MpvEngine::Output::Headless, AudioOutput::Silent());
    session.SetSource(MakeTimedVideo(QUILL_TEST_DATA_DIR, "exact-irregular.ts", kSeconds, kWidth, kHeight,
                                     FrameSpacing::Irregular, true));
    EXPECT_EQ(session.Engine().FrameRate(), 0.0);
}
