#include <filesystem>
#include <fstream>
#include <string>

#include <QImage>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include "EngineFrame.h"
#include "PlayerError.h"
#include "PlayerSession.h"
#include "TestVideo.h"

namespace {

constexpr int kWaitMs = 5000;

std::string Clip()
{
    static const std::string path = MakeTestVideo(QUILL_TEST_DATA_DIR, "background-clip.mov", 2.0, 160, 120);
    return path;
}

std::string Other()
{
    static const std::string path = MakeTestVideo(QUILL_TEST_DATA_DIR, "background-other.mp4", 3.0, 160, 120);
    return path;
}

std::string Text() { return MakeNotAVideo(QUILL_TEST_DATA_DIR, "background-", NotAVideo::Text); }
std::string Empty() { return MakeNotAVideo(QUILL_TEST_DATA_DIR, "background-", NotAVideo::Empty); }
std::string Sound() { return MakeNotAVideo(QUILL_TEST_DATA_DIR, "background-", NotAVideo::Sound); }
std::string Picture() { return MakeNotAVideo(QUILL_TEST_DATA_DIR, "background-", NotAVideo::Picture); }

class Background : public testing::Test {
protected:
    MpvEngine& Engine() { return m_session.Engine(); }

    PlayerSession m_session{MpvEngine::Output::Headless, AudioOutput::Silent()};
    QSignalSpy m_failures{&m_session.Engine(), &MpvEngine::LoadFailed};
};

} // namespace

TEST_F(Background, ReturnsBeforeTheFileIsOpenThenShowsItsFirstFrame)
{
    m_session.StartSource(Clip());
    EXPECT_TRUE(Engine().IsOpening());
    EXPECT_FALSE(Engine().IsLoaded());
    ASSERT_NE(m_session.GetMovie(), nullptr);

    ASSERT_TRUE(QTest::qWaitFor([&] { return Engine().IsLoaded(); }, kWaitMs));
    EXPECT_FALSE(Engine().IsOpening());
    EXPECT_NEAR(m_session.GetMovie()->GetDuration(), 2000, 25);
    // Loaded means open, not yet decoded: the first picture follows shortly.
    EXPECT_TRUE(QTest::qWaitFor([&] {
        const QImage frame = GrabVideoFrame(Engine());
        return ReadFrameNumber(frame, frame.rect(), 160) == 0;
    }, kWaitMs));
    m_session.GetMovie()->SetTime(1000);
    EXPECT_TRUE(QTest::qWaitFor([&] {
        const QImage shown = GrabVideoFrame(Engine());
        return !Engine().SeekInFlight() && ReadFrameNumber(shown, shown.rect(), 160) == 25;
    }, kWaitMs));
    EXPECT_EQ(m_failures.count(), 0);
}

TEST_F(Background, MissingFileThrowsAtOnceAndNothingFollows)
{
    const std::string path = std::string(QUILL_TEST_DATA_DIR) + "/no-such-annotation.mov";
    EXPECT_THROW(m_session.StartSource(path), PlayerError);
    EXPECT_FALSE(Engine().IsOpening());
    EXPECT_EQ(m_session.GetMovie(), nullptr);
    // The engine stays usable, and no late report comes for the missing file.
    m_session.SetSource(Clip());
    EXPECT_TRUE(Engine().IsLoaded());
    EXPECT_EQ(m_failures.count(), 0);
}

struct BadFile {
    const char* label;
    std::string (*make)();
};

class UnplayableInBackground : public testing::TestWithParam<BadFile> {};

TEST_P(UnplayableInBackground, IsReportedOnceWithTheTextLoadWouldThrow)
{
    PlayerSession session(MpvEngine::Output::Headless, AudioOutput::Silent());
    QSignalSpy failures(&session.Engine(), &MpvEngine::LoadFailed);
    const std::string path = GetParam().make();
    std::string thrown;
    try {
        session.SetSource(path);
    } catch (const PlayerError& error) {
        thrown = error.what();
    }
    ASSERT_FALSE(thrown.empty());

    session.StartSource(path);
    ASSERT_TRUE(QTest::qWaitFor([&] { return failures.count() > 0; }, kWaitMs));
    EXPECT_EQ(failures.takeFirst().at(0).toString().toStdString(), thrown);
    EXPECT_FALSE(session.Engine().IsOpening());
    EXPECT_FALSE(session.Engine().IsLoaded());

    // Once only, and the engine loads the next file as usual.
    session.SetSource(Clip());
    EXPECT_TRUE(session.Engine().IsLoaded());
    EXPECT_EQ(failures.count(), 0);
}

INSTANTIATE_TEST_SUITE_P(Kinds, UnplayableInBackground,
                         testing::Values(BadFile{"text", &Text}, BadFile{"empty", &Empty}, BadFile{"sound", &Sound},
                                         BadFile{"picture", &Picture}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST_F(Background, ALaterLoadOrUnloadDropsTheOneOpening)
{
    m_session.StartSource(Text());
    m_session.StartSource(Other());
    ASSERT_TRUE(QTest::qWaitFor([&] { return Engine().IsLoaded(); }, kWaitMs));
    EXPECT_NEAR(Engine().Duration(), 3000, 25);

    m_session.StartSource(Clip());
    m_session.SetSource("");
    EXPECT_FALSE(Engine().IsOpening());
    // A file loaded afterwards, waiting, lets every event of the dropped one through.
    m_session.SetSource(Other());
    EXPECT_NEAR(Engine().Duration(), 3000, 25);
    m_session.StartSource(Text());
    m_session.SetSource(Other());
    QCoreApplication::processEvents();
    EXPECT_TRUE(Engine().IsLoaded());
    EXPECT_NEAR(Engine().Duration(), 3000, 25);
    EXPECT_EQ(m_failures.count(), 0);
}

namespace {

int CountEntries(const char* folder)
{
    int count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder))
        ++count;
    return count;
}

bool Settles(PlayerSession& session, const std::string& path)
{
    session.StartSource(path);
    MpvEngine& engine = session.Engine();
    return QTest::qWaitFor([&] { return engine.IsLoaded() && engine.HasFrameTimes(); }, kWaitMs);
}

} // namespace

// Its first frame may come before the core has answered what the file is.
TEST_F(Background, EveryFileGetsItsFrameTimes)
{
    for (int i = 0; i < 30; ++i)
        ASSERT_TRUE(Settles(m_session, i % 2 == 0 ? Other() : Clip()))
            << "load " << i << (Engine().IsLoaded() ? ": no frame times" : ": not loaded");
}

// The companion opens a file per segment for hours: each one's descriptors
// and threads (the core's, and the frame time reader's) must go with it.
TEST_F(Background, ManySwitchesLeaveNoDescriptorOrThreadBehind)
{
    const auto settle = [&](const std::string& path) { return Settles(m_session, path); };
    ASSERT_TRUE(settle(Other()));
    ASSERT_TRUE(settle(Clip()));
    const int descriptors = CountEntries("/proc/self/fd");
    const int threads = CountEntries("/proc/self/task");

    for (int i = 0; i < 40; ++i) {
        // Some are dropped while opening, the others read to the end.
        m_session.StartSource(i % 3 == 0 ? Text() : Clip());
        ASSERT_TRUE(settle(i % 2 == 0 ? Other() : Clip())) << "switch " << i;
    }
    ASSERT_TRUE(settle(Clip()));
    // Threads of the last file but one may still be on their way out.
    EXPECT_TRUE(QTest::qWaitFor([&] { return CountEntries("/proc/self/task") <= threads; }, kWaitMs))
        << CountEntries("/proc/self/task") << " threads, " << threads << " before";
    EXPECT_TRUE(QTest::qWaitFor([&] { return CountEntries("/proc/self/fd") <= descriptors; }, kWaitMs))
        << CountEntries("/proc/self/fd") << " descriptors, " << descriptors << " before";
    EXPECT_EQ(m_failures.count(), 0);
}
