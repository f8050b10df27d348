// Playback speed: the steps, and the engine playing at each of them with
// video time kept as video time and the sound kept at its pitch.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include <QTest>

#include <gtest/gtest.h>

#include <mpv/client.h>

#include "EngineFrame.h"
#include "FileContents.h"
#include "PlaybackSpeed.h"
#include "PlayerSession.h"
#include "TestVideo.h"

namespace {

constexpr int kWidth = 160;
constexpr int kHeight = 120;
constexpr int kWaitMs = 5000;
constexpr int32_t kFrameMs = 1000 / kTestVideoFrameRate;
constexpr double kToneHz = 440.0; // the test videos' sound

std::string Clip()
{
    static const std::string path = MakeTestVideo(QUILL_TEST_DATA_DIR, "speed-clip.mp4", 3.0, kWidth, kHeight);
    return path;
}

// Long enough for 2 s and more of wall time at the fastest step.
std::string LongClip()
{
    static const std::string path = MakeTestVideo(QUILL_TEST_DATA_DIR, "speed-long.mp4", 12.0, kWidth, kHeight);
    return path;
}

// Short enough to hear out at the slowest step.
std::string ShortClip()
{
    static const std::string path = MakeTestVideo(QUILL_TEST_DATA_DIR, "speed-short.mp4", 0.6, kWidth, kHeight);
    return path;
}

double CoreSpeed(const MpvEngine& engine)
{
    double speed = 0.0;
    mpv_get_property(engine.Handle(), "speed", MPV_FORMAT_DOUBLE, &speed);
    return speed;
}

std::string CoreFilters(const MpvEngine& engine)
{
    char* chain = mpv_get_property_string(engine.Handle(), "af");
    const std::string text = chain != nullptr ? chain : "";
    mpv_free(chain);
    return text;
}

// Channel 0 of what ao=pcm wrote as 16-bit samples.
struct Recording {
    int rate = 0;
    std::vector<int16_t> samples;
};

std::optional<Recording> ReadWave(const std::string& path)
{
    const std::string bytes = ReadFileContents(path);
    const auto u16 = [&](std::size_t at) { return static_cast<uint16_t>(uint8_t(bytes[at]) | uint8_t(bytes[at + 1]) << 8); };
    const auto u32 = [&](std::size_t at) { return uint32_t(u16(at)) | uint32_t(u16(at + 2)) << 16; };
    Recording recording;
    int channels = 0;
    for (std::size_t at = 12; at + 8 <= bytes.size();) {
        const std::string id = bytes.substr(at, 4);
        const uint32_t size = u32(at + 4);
        if (id == "fmt " && at + 24 <= bytes.size()) {
            channels = u16(at + 10);
            recording.rate = static_cast<int>(u32(at + 12));
            if (u16(at + 22) != 16)
                return std::nullopt;
        }
        if (id == "data") {
            // The size stays 0 in a header that was never finished.
            const std::size_t end = size == 0 ? bytes.size() : std::min<std::size_t>(bytes.size(), at + 8 + size);
            for (std::size_t s = at + 8; channels > 0 && s + 2 * channels <= end; s += 2 * channels)
                recording.samples.push_back(static_cast<int16_t>(u16(s)));
            return recording;
        }
        at += 8 + size + (size & 1);
    }
    return std::nullopt;
}

} // namespace

struct StepCase {
    double from;
    double slower;
    double faster;
    const char* text;
};

class SpeedStep : public testing::TestWithParam<StepCase> {};

TEST_P(SpeedStep, NeighboursAndText)
{
    const StepCase& c = GetParam();
    EXPECT_DOUBLE_EQ(SlowerSpeed(c.from), c.slower);
    EXPECT_DOUBLE_EQ(FasterSpeed(c.from), c.faster);
    EXPECT_EQ(SpeedText(c.from), c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Table, SpeedStep,
    testing::Values(StepCase{0.1, 0.1, 0.25, "×0.1"}, StepCase{0.25, 0.1, 0.5, "×0.25"},
                    StepCase{0.5, 0.25, 0.75, "×0.5"}, StepCase{0.75, 0.5, 1.0, "×0.75"},
                    StepCase{1.0, 0.75, 1.25, "×1"}, StepCase{1.25, 1.0, 1.5, "×1.25"},
                    StepCase{1.5, 1.25, 2.0, "×1.5"}, StepCase{2.0, 1.5, 4.0, "×2"}, StepCase{4.0, 2.0, 4.0, "×4"},
                    // Between steps, beyond them, and not a number at all.
                    StepCase{0.3, 0.25, 0.5, "×0.3"}, StepCase{3.0, 2.0, 4.0, "×3"},
                    StepCase{0.01, 0.1, 0.25, "×0.1"}, StepCase{100.0, 2.0, 4.0, "×4"},
                    StepCase{NAN, 0.75, 1.25, "×1"}, StepCase{1.0 + 1e-12, 0.75, 1.25, "×1"}));

TEST(SpeedSteps, AreOrderedAndEveryOneIsReachedByTheKeysFromOne)
{
    const auto steps = SpeedSteps();
    EXPECT_TRUE(std::is_sorted(steps.begin(), steps.end()));
    std::vector<double> down, up;
    for (double speed = kNormalSpeed; down.empty() || down.back() != speed; speed = SlowerSpeed(speed))
        down.push_back(speed);
    for (double speed = kNormalSpeed; up.empty() || up.back() != speed; speed = FasterSpeed(speed))
        up.push_back(speed);
    std::vector<double> reached(down.rbegin(), down.rend());
    reached.insert(reached.end(), up.begin() + 1, up.end());
    EXPECT_EQ(reached, std::vector<double>(steps.begin(), steps.end()));
}

TEST(TempoFilter, OursOnlyBelowWhatMpvsOwnTakes)
{
    for (const double speed : SpeedSteps())
        EXPECT_EQ(TempoFilter(speed).empty(), speed >= 0.25) << speed;
    EXPECT_EQ(TempoFilter(0.1), "scaletempo2=min-speed=0.10");
}

class AtSpeed : public testing::TestWithParam<double> {
protected:
    PlayerSession m_session{MpvEngine::Output::Headless, AudioOutput::Silent()};
};

// Measured from one change of the reported time to another, each stamped as
// it arrives, so the reading waits for nothing but the playback itself.
TEST_P(AtSpeed, PlaybackAdvancesBySpeedTimesWallTime)
{
    const double speed = GetParam();
    m_session.SetSource(LongClip());
    MpvEngine& engine = m_session.Engine();
    engine.SetSpeed(speed);
    ASSERT_DOUBLE_EQ(engine.Speed(), speed);

    using Clock = std::chrono::steady_clock;
    struct Sample {
        Clock::time_point wall;
        int32_t video;
    };
    std::vector<Sample> samples;
    int32_t last = engine.Time();
    const auto connection = QObject::connect(&engine, &MpvEngine::StateChanged, [&] {
        if (engine.Time() != last && engine.IsPlaying() && !engine.SeekInFlight())
            samples.push_back({Clock::now(), engine.Time()});
        last = engine.Time();
    });
    engine.SetPlaying(true);
    // The first frame after the start comes late, while the sound starts:
    // measured from the next change on.
    const auto spanned = [&] { return samples.size() >= 3 && samples.back().wall - samples[1].wall >= std::chrono::seconds(2); };
    const bool measured = QTest::qWaitFor(spanned, 20000);
    QObject::disconnect(connection);
    engine.SetPlaying(false);
    ASSERT_TRUE(measured) << samples.size() << " changes of time seen";

    const double wallMs = std::chrono::duration<double, std::milli>(samples.back().wall - samples[1].wall).count();
    const double videoMs = samples.back().video - samples[1].video;
    const double expected = speed * wallMs;
    std::printf("x%g: %.0f ms of video in %.0f ms of wall time, %.3f of the speed\n", speed, videoMs, wallMs,
                videoMs / expected);
    EXPECT_NEAR(videoMs, expected, std::max(0.1 * expected, double(kFrameMs)))
        << "over " << wallMs << " ms of wall time";
}

TEST_P(AtSpeed, PausedSeeksAndStepsShowTheFrameCoveringTheTime)
{
    m_session.SetSource(Clip());
    MpvEngine& engine = m_session.Engine();
    engine.SetSpeed(GetParam());
    struct Case {
        int32_t requested, frame;
    };
    for (const Case& c : {Case{1210, 30}, Case{1239, 30}, Case{1240, 31}, Case{2960, 74}, Case{0, 0}, Case{40, 1}}) {
        engine.Seek(c.requested);
        EXPECT_EQ(engine.Time(), c.requested);
        EXPECT_EQ(ShownFrame(engine, kWidth), c.frame) << c.requested;
    }
    engine.StepFrames(1);
    EXPECT_EQ(engine.Time(), 2 * kFrameMs);
    EXPECT_EQ(ShownFrame(engine, kWidth), 2);
}

// The speed is the engine's, not the file's: it outlives a load, an unload
// and a file that fails.
TEST_P(AtSpeed, IsKeptWhenAnotherVideoIsOpened)
{
    const double speed = GetParam();
    MpvEngine& engine = m_session.Engine();
    engine.SetSpeed(speed);
    m_session.SetSource(Clip());
    m_session.SetSource(ShortClip());
    EXPECT_THROW(m_session.SetSource(std::string(QUILL_TEST_DATA_DIR) + "/absent.mp4"), PlayerError);
    m_session.SetSource("");
    m_session.SetSource(Clip());
    EXPECT_DOUBLE_EQ(engine.Speed(), speed);
    EXPECT_TRUE(QTest::qWaitFor([&] { return CoreSpeed(engine) == speed; }, kWaitMs)) << CoreSpeed(engine);
    EXPECT_EQ(CoreFilters(engine).find("scaletempo2") != std::string::npos, !TempoFilter(speed).empty())
        << CoreFilters(engine);
}

// Played out through ao=pcm into a file: the test videos' 440 Hz tone comes
// out at 440 Hz at every step, for as long as the speed stretches it.
TEST_P(AtSpeed, SoundKeepsItsPitch)
{
    const double speed = GetParam();
    const std::string wave = std::string(QUILL_TEST_DATA_DIR) + "/speed-" + std::to_string(speed) + ".wav";
    {
        PlayerSession session(MpvEngine::Output::Headless, AudioOutput{"pcm"});
        MpvEngine& engine = session.Engine();
        ASSERT_GE(mpv_set_property_string(engine.Handle(), "ao-pcm-file", wave.c_str()), 0);
        ASSERT_GE(mpv_set_property_string(engine.Handle(), "audio-format", "s16"), 0);
        engine.SetSpeed(speed);
        session.SetSource(ShortClip());
        engine.SetPlaying(true);
        ASSERT_TRUE(QTest::qWaitFor([&] { return engine.AtEnd(); }, 30000));
    } // the core goes, and the file is finished
    const auto recording = ReadWave(wave);
    ASSERT_TRUE(recording && recording->rate > 0 && !recording->samples.empty());

    // The middle half, away from the filter's ramps at both ends.
    const std::vector<int16_t>& all = recording->samples;
    const std::vector<int16_t> middle(all.begin() + all.size() / 4, all.end() - all.size() / 4);
    double energy = 0.0;
    int crossings = 0;
    for (std::size_t i = 0; i < middle.size(); ++i) {
        energy += double(middle[i]) * middle[i];
        if (i > 0 && middle[i - 1] < 0 && middle[i] >= 0)
            ++crossings;
    }
    const double seconds = double(all.size()) / recording->rate;
    const double rms = std::sqrt(energy / middle.size());
    const double hertz = crossings * double(recording->rate) / middle.size();
    std::printf("x%g: %.3f s of sound at %.1f Hz, level %.0f\n", speed, seconds, hertz, rms);
    EXPECT_GT(rms, 20.0) << "muted";
    EXPECT_NEAR(hertz, kToneHz, 0.03 * kToneHz);
    EXPECT_NEAR(seconds, 0.6 / speed, 0.15 * 0.6 / speed);
}

INSTANTIATE_TEST_SUITE_P(EverySpeed, AtSpeed, testing::ValuesIn(SpeedSteps().begin(), SpeedSteps().end()),
                         [](const auto& info) {
                             std::string name = SpeedText(info.param).substr(std::strlen("×"));
                             std::replace(name.begin(), name.end(), '.', '_');
                             return "x" + name;
                         });
