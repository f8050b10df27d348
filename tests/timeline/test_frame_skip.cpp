#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include <QImage>
#include <QTest>

#include "TimelineFixture.h"

namespace {

// The tick's drawing step, which skips a picture already on the surface,
// against the plain drawing of the same state.
class FrameSkipping : public TimelineFixture {
protected:
    void SetUp() override
    {
        TimelineFixture::SetUp();
        Track& first = AddTrack("Piste A");
        m_first = &AddSegment(first, 10.0, 30.0, "Premier");
        Track& second = AddTrack("Piste B");
        m_second = &AddSegment(second, 20.0, 60.0, "\xC3\x89t\xC3\xA9");
        m_timeline.m_currentTime = 25.0;
        m_timeline.m_currentSegment = m_first;
    }

    // One tick's drawing and presentation; true when it drew.
    bool Tick()
    {
        const bool drawn = m_view.DrawFrame(m_timeline);
        m_view.SwapGLBuffers();
        return drawn;
    }

    Segment* m_first = nullptr;
    Segment* m_second = nullptr;
};

} // namespace

TEST_F(FrameSkipping, AnUnchangedStateIsNeitherDrawnNorPresentedAgain)
{
    ASSERT_TRUE(Tick());
    const QImage drawn = m_view.GrabFrame();
    const uint64_t presented = m_view.PresentedFrames();
    EXPECT_FALSE(Tick());
    EXPECT_FALSE(Tick());
    EXPECT_EQ(m_view.PresentedFrames(), presented);
    EXPECT_EQ(m_view.GrabFrame(), drawn);

    // A time that moves less than the line can show draws the same line.
    m_timeline.m_currentTime = 25.0 + 1e-9;
    EXPECT_FALSE(Tick());
}

TEST_F(FrameSkipping, EachInputOfThePictureCausesADrawThatMatchesThePlainOne)
{
    const std::vector<std::pair<std::string, std::function<void()>>> changes = {
        {"view start", [this] { m_timeline.SetView(5, m_timeline.ViewSpan(), m_timeline.TrackScroll()); }},
        {"view span", [this] { m_timeline.SetView(m_timeline.ViewStart(), 50, m_timeline.TrackScroll()); }},
        {"track scroll", [this] { m_timeline.SetView(m_timeline.ViewStart(), m_timeline.ViewSpan(), 7); }},
        {"selected track", [this] { m_timeline.m_selectedTrack = 1; }},
        {"current time", [this] { m_timeline.m_currentTime = 40.0; }},
        {"current segment", [this] { m_timeline.m_currentSegment = m_second; }},
        {"no current segment", [this] { m_timeline.m_currentSegment = nullptr; }},
        {"title", [this] { ChangeTracks([this](TrackList&) { m_second->SetTitle("Autre titre"); }); }},
        {"bounds", [this] { ChangeTracks([this](TrackList&) { m_first->SetBounds(0.0, 90.0); }); }},
        {"label", [this] {
             ChangeTracks([](TrackList& tracks) { tracks.GetTrack(0)->SetLabel("Renomm\xC3\xA9" "e"); });
         }},
        {"new track", [this] { AddTrack("Piste C"); }},
    };
    ASSERT_TRUE(Tick());
    for (const auto& [name, change] : changes) {
        SCOPED_TRACE(name);
        const QImage before = m_view.GrabFrame();
        change();
        EXPECT_TRUE(Tick());
        const QImage skipped = m_view.GrabFrame();
        EXPECT_NE(skipped, before) << "the change shows";
        EXPECT_EQ(skipped, DrawFrame()) << "the same picture as the plain drawing";
        EXPECT_TRUE(Tick()) << "a plain frame in between is not remembered as the tick's";
        EXPECT_FALSE(Tick());
    }
}

TEST_F(FrameSkipping, ASpanBelowOneIsRaisedEvenWhenNothingIsDrawn)
{
    m_timeline.SetView(m_timeline.ViewStart(), 0, m_timeline.TrackScroll());
    ASSERT_TRUE(Tick());
    EXPECT_EQ(m_timeline.ViewSpan(), 1);
    // The next tick copies the scroll bar's page of 0 again.
    m_timeline.SetView(m_timeline.ViewStart(), 0, m_timeline.TrackScroll());
    EXPECT_FALSE(Tick());
    EXPECT_EQ(m_timeline.ViewSpan(), 1);
}

// A resized surface has lost its picture: the same state is drawn again.
TEST_F(FrameSkipping, AResizedSurfaceIsDrawnAgain)
{
    ASSERT_TRUE(Tick());
    ASSERT_FALSE(Tick());
    m_view.Surface()->resize(kWidth - 10, kHeight);
    QTest::qWait(0);
    ASSERT_TRUE(QTest::qWaitFor([this] { return m_view.Surface()->width() == kWidth - 10; }, 2000));
    m_view.GrabFrame(); // gets the new framebuffer made
    EXPECT_TRUE(Tick());
}
