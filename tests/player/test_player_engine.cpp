#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <malloc.h>

#include <QTest>

#include <gtest/gtest.h>

#include "AllocatorTuning.h"
#include "CMovieDriver.h"
#include "EngineFrame.h"
#include "PlayerError.h"
#include "PlayerSession.h"
#include "TestVideo.h"

namespace {

constexpr int kWaitMs = 5000;
constexpr int kWidth = 160;
constexpr int kHeight = 120;

std::string Clip()
{
    static const std::string path = MakeTestVideo(QUILL_TEST_DATA_DIR, "engine-clip.mp4", 3.0, kWidth, kHeight);
    return path;
}

std::string MovClip()
{
    static const std::string path = MakeTestVideo(QUILL_TEST_DATA_DIR, "engine-clip.mov", 2.0, kWidth, kHeight);
    return path;
}

// The frame the headless engine shows now, once its seek has landed.
int ShownFrame(MpvEngine& engine)
{
    return ::ShownFrame(engine, kWidth, kWaitMs);
}

class Session : public testing::Test {
protected:
    PlayerSession m_session{MpvEngine::Output::Headless, AudioOutput::Silent()};
};

} // namespace

struct LoadCase {
    const char* label;
    std::string (*make)();
    int32_t durationMs;
};

class LoadedFile : public testing::TestWithParam<LoadCase> {};

TEST_P(LoadedFile, MovieAndDurationAreThereWhenSetSourceReturns)
{
    PlayerSession session(MpvEngine::Output::Headless, AudioOutput::Silent());
    session.SetSource(GetParam().make());
    const CQTMoviePtr movie = session.GetMovie();
    ASSERT_NE(movie, nullptr);
    EXPECT_NEAR(movie->GetDuration(), GetParam().durationMs, 25);
    EXPECT_EQ(movie->GetTime(), 0);
    EXPECT_EQ(ShownFrame(session.Engine()), 0);
}

INSTANTIATE_TEST_SUITE_P(Containers, LoadedFile,
                         testing::Values(LoadCase{"mp4", &Clip, 3000}, LoadCase{"mov", &MovClip, 2000}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST_F(Session, SetTimeReadsBackAtOnceAndShowsTheFrameCoveringIt)
{
    m_session.SetSource(Clip());
    const CQTMoviePtr movie = m_session.GetMovie();
    ASSERT_NE(movie, nullptr);
    struct Case {
        int32_t requested, reported, frame;
    };
    const std::vector<Case> cases = {
        {1210, 1210, 30}, {1239, 1239, 30}, {1240, 1240, 31}, {0, 0, 0},
        {2960, 2960, 74}, {99999, 3000, 74}, {-500, 0, 0}, {40, 40, 1},
    };
    for (const Case& c : cases) {
        movie->SetTime(c.requested);
        EXPECT_EQ(movie->GetTime(), c.reported) << c.requested << " right after the call";
        EXPECT_EQ(ShownFrame(m_session.Engine()), c.frame) << c.requested;
        EXPECT_EQ(movie->GetTime(), c.reported) << c.requested << " once shown";
    }
}

TEST_F(Session, ScrubbingEndsOnTheLastRequestedFrame)
{
    m_session.SetSource(Clip());
    const CQTMoviePtr movie = m_session.GetMovie();
    // A seek per tick, the way a held mouse button drives it, and straight
    // after the load, before the engine's first restart.
    for (int32_t t : {2500, 300, 1800, 900, 2200, 1610}) {
        movie->SetTime(t);
        EXPECT_EQ(movie->GetTime(), t);
        QTest::qWait(5);
    }
    EXPECT_EQ(ShownFrame(m_session.Engine()), 40);
    EXPECT_EQ(movie->GetTime(), 1610);
}

TEST_F(Session, PlaybackAdvancesTheTimeAndKeepsTheLastFrameAtTheEnd)
{
    m_session.SetSource(Clip());
    const CQTMoviePtr movie = m_session.GetMovie();
    MpvEngine& engine = m_session.Engine();
    movie->SetTime(2500);
    engine.SetPlaying(true);
    int32_t last = movie->GetTime();
    bool monotonic = true;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            const int32_t now = movie->GetTime();
            monotonic = monotonic && now >= last;
            last = now;
            return engine.AtEnd();
        },
        kWaitMs));
    EXPECT_TRUE(monotonic);
    EXPECT_TRUE(engine.IsLoaded());
    EXPECT_EQ(m_session.GetMovie(), movie);
    EXPECT_EQ(movie->GetTime(), movie->GetDuration());
    EXPECT_FALSE(engine.IsPlaying());
    EXPECT_EQ(ShownFrame(engine), 74);

    // Play at the end starts over.
    engine.SetPlaying(true);
    EXPECT_EQ(movie->GetTime(), 0);
    engine.SetPlaying(false);
    EXPECT_LT(ShownFrame(engine), 40);
}

TEST_F(Session, FrameStepsPauseAndMoveOneFrame)
{
    m_session.SetSource(Clip());
    MpvEngine& engine = m_session.Engine();
    engine.Seek(1210);
    engine.SetPlaying(true);
    engine.StepFrames(1);
    EXPECT_FALSE(engine.IsPlaying());
    EXPECT_EQ(engine.Time(), 1240);
    EXPECT_EQ(ShownFrame(engine), 31);
    engine.StepFrames(-1);
    engine.StepFrames(-1);
    EXPECT_EQ(engine.Time(), 1160);
    EXPECT_EQ(ShownFrame(engine), 29);
}

TEST_F(Session, EmptySourceUnloadsAndTurnsTheMovieStale)
{
    m_session.SetSource(Clip());
    const CQTMoviePtr movie = m_session.GetMovie();
    movie->SetTime(1000);
    m_session.SetSource("");
    EXPECT_EQ(m_session.GetMovie(), nullptr);
    EXPECT_FALSE(m_session.Engine().IsLoaded());
    EXPECT_TRUE(movie->IsStale());
    EXPECT_EQ(movie->GetTime(), 0);
    EXPECT_EQ(movie->GetDuration(), 0);
    movie->SetTime(500);
    movie->SetProperty1082(10);
    EXPECT_EQ(m_session.Engine().Time(), 0);
    EXPECT_TRUE(GrabVideoFrame(m_session.Engine()).isNull());
    m_session.SetSource(""); // twice is harmless
}

TEST_F(Session, MovieFromBeforeANewSourceIsStaleAndReleasingItFreesNothingTwice)
{
    m_session.SetSource(Clip());
    CQTMoviePtr first = m_session.GetMovie();
    m_session.SetSource(MovClip());
    const CQTMoviePtr second = m_session.GetMovie();
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);
    EXPECT_EQ(first->GetDuration(), 0);
    first->SetTime(1500); // must not move the new file
    EXPECT_EQ(second->GetTime(), 0);

    CMovieDriver driver;
    driver.Attach(first);
    first.reset();
    driver.Attach(second);
    EXPECT_EQ(second.use_count(), 3); // session, driver, this test
    EXPECT_NEAR(driver.GetDuration(), 2000, 25);
}

TEST(SessionLifetime, MovieOutlivingItsSessionIsSafe)
{
    CMovieDriver driver;
    {
        PlayerSession session(MpvEngine::Output::Headless, AudioOutput::Silent());
        session.SetSource(Clip());
        driver.Attach(session.GetMovie());
        driver.SetTime(700);
        EXPECT_EQ(driver.GetTime(), 700);
    }
    EXPECT_TRUE(driver.HasMovie());
    EXPECT_EQ(driver.GetTime(), 0);
    EXPECT_EQ(driver.GetDuration(), 0);
    driver.SetTime(100);
    driver.SetProperty1082(100);
    driver.Release();
    EXPECT_FALSE(driver.HasMovie());
}

// Freeing a large mapped block would otherwise raise glibc's mapping limit to
// its size, and the next picture-sized block would come from a heap that
// playback fragments. main() made the setting, as the program's does.
TEST(PlayerMemory, PictureSizedBlocksStayMappedAfterALargerOneIsFreed)
{
    if (!KeepLargeBuffersOutOfHeaps())
        GTEST_SKIP() << "the sanitizers' allocator ignores glibc's settings";
    static void* volatile block = nullptr;
    block = std::malloc(8 << 20);
    ASSERT_NE(block, nullptr);
    std::free(block);
    const size_t mappedBefore = mallinfo2().hblkhd;
    block = std::malloc(512 << 10);
    ASSERT_NE(block, nullptr);
    const size_t mappedAfter = mallinfo2().hblkhd;
    std::free(block);
    EXPECT_GE(mappedAfter, mappedBefore + (512 << 10)) << "a 512 KB block was served from a heap";
}

// Process-wide settings are main()'s: starting an engine leaves the locale
// as it found it (C.UTF-8 reads numbers as C does, and mpv takes it).
TEST(PlayerProcess, AnEngineLeavesTheNumericLocaleAlone)
{
    ASSERT_NE(std::setlocale(LC_NUMERIC, "C.UTF-8"), nullptr);
    EXPECT_NO_THROW(MpvEngine(MpvEngine::Output::Headless, AudioOutput::Silent()));
    const std::string after = std::setlocale(LC_NUMERIC, nullptr);
    std::setlocale(LC_NUMERIC, "C");
    EXPECT_EQ(after, "C.UTF-8");
}

TEST(MovieDriver, EmptyDriverMakesNoCallAndYieldsZero)
{
    CMovieDriver driver;
    EXPECT_FALSE(driver.HasMovie());
    EXPECT_EQ(driver.GetTime(), 0);
    EXPECT_EQ(driver.GetDuration(), 0);
    driver.SetTime(10);
    driver.SetProperty1082(100);
    driver.Attach(nullptr);
    EXPECT_FALSE(driver.HasMovie());
}

TEST_F(Session, DriverForwardsTimeAndVolume)
{
    m_session.SetSource(Clip());
    CMovieDriver driver;
    driver.Attach(m_session.GetMovie());
    ASSERT_TRUE(driver.HasMovie());
    driver.SetProperty1082(100);
    EXPECT_EQ(m_session.Engine().Volume(), 100);
    driver.SetProperty1082(40);
    EXPECT_EQ(m_session.Engine().Volume(), 40);
    driver.SetProperty1082(250);
    EXPECT_EQ(m_session.Engine().Volume(), 100);
    driver.SetProperty1082(-3);
    EXPECT_EQ(m_session.Engine().Volume(), 0);
    EXPECT_NEAR(driver.GetDuration(), 3000, 25);
    driver.SetTime(2040);
    EXPECT_EQ(driver.GetTime(), 2040);
    EXPECT_EQ(ShownFrame(m_session.Engine()), 51);
}

struct BadFile {
    const char* label;
    std::string (*make)();
};

class UnplayableFile : public testing::TestWithParam<BadFile> {};

TEST_P(UnplayableFile, RaisesAFrenchErrorNamingItAndLeavesTheSessionEmptyAndUsable)
{
    PlayerSession session(MpvEngine::Output::Headless, AudioOutput::Silent());
    session.SetSource(Clip());
    const CQTMoviePtr before = session.GetMovie();
    const std::string path = GetParam().make();
    try {
        session.SetSource(path);
        FAIL() << "no error for " << path;
    } catch (const PlayerError& error) {
        const std::string text = error.what();
        EXPECT_EQ(text.rfind("Impossible d'ouvrir la vidéo : " + path, 0), 0u) << text;
    }
    EXPECT_EQ(session.GetMovie(), nullptr);
    EXPECT_FALSE(session.Engine().IsLoaded());
    EXPECT_EQ(before->GetTime(), 0);

    session.SetSource(Clip());
    ASSERT_NE(session.GetMovie(), nullptr);
    session.GetMovie()->SetTime(400);
    EXPECT_EQ(ShownFrame(session.Engine()), 10);
}

namespace {

std::string Missing() { return std::string(QUILL_TEST_DATA_DIR) + "/no-such-video.mp4"; }
std::string Text() { return MakeNotAVideo(QUILL_TEST_DATA_DIR, "", NotAVideo::Text); }
std::string Empty() { return MakeNotAVideo(QUILL_TEST_DATA_DIR, "", NotAVideo::Empty); }
std::string Sound() { return MakeNotAVideo(QUILL_TEST_DATA_DIR, "", NotAVideo::Sound); }
std::string Folder() { return QUILL_TEST_DATA_DIR; }
std::string Picture() { return MakeNotAVideo(QUILL_TEST_DATA_DIR, "", NotAVideo::Picture); }

} // namespace

INSTANTIATE_TEST_SUITE_P(Kinds, UnplayableFile,
                         testing::Values(BadFile{"missing", &Missing}, BadFile{"text", &Text}, BadFile{"empty", &Empty},
                                         BadFile{"sound", &Sound}, BadFile{"picture", &Picture},
                                         BadFile{"folder", &Folder}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST_F(Session, OddPathsAreTakenAsPlainFiles)
{
    const std::filesystem::path dir = std::filesystem::path(QUILL_TEST_DATA_DIR) / "odd paths";
    std::filesystem::create_directories(dir);
    for (const char* name : {"-start=2 dash.mp4", "a'b\"c,d;e.mp4", "http:x.mp4", "vidéo à noter.mov"}) {
        const std::filesystem::path copy = dir / name;
        std::filesystem::copy_file(Clip(), copy, std::filesystem::copy_options::overwrite_existing);
        m_session.SetSource(copy.string());
        ASSERT_NE(m_session.GetMovie(), nullptr) << name;
        EXPECT_NEAR(m_session.GetMovie()->GetDuration(), 3000, 25) << name;
    }
    // Relative to the working directory.
    const std::filesystem::path relative = std::filesystem::relative(Clip());
    m_session.SetSource(relative.string());
    EXPECT_NE(m_session.GetMovie(), nullptr);
}
