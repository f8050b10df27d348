#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QPixmap>
#include <QScreen>
#include <QTest>
#include <QWidget>

#include <GL/gl.h>

#include "CTimelineRenderer.h"
#include "CTimelineView.h"
#include "GLSupport.h"
#include "Timeline.h"
#include "TimelineFixture.h"

using Surface = TimelineFixture;

TEST_F(Surface, StartsWhiteUntilTheFirstFrame)
{
    const QImage frame = m_view.GrabFrame();
    ASSERT_EQ(frame.size(), QSize(kWidth, kHeight));
    EXPECT_TRUE(HasColour(frame, 0, 0, kWhite));
    EXPECT_TRUE(HasColour(frame, 600, 200, kWhite));
    EXPECT_EQ(m_view.m_rect.right, kWidth);
    EXPECT_EQ(m_view.m_rect.bottom, kHeight);
}

TEST_F(Surface, PaintEventsShowTheLastFrameAndDrawNothing)
{
    Track& track = AddTrack();
    AddSegment(track, 0.0, 50.0);
    const QImage drawn = DrawFrame();
    EXPECT_EQ(QOpenGLContext::currentContext(), nullptr) << "the frame released its context";

    m_view.Surface()->repaint();
    m_frame.repaint();
    QTest::qWait(50);
    EXPECT_EQ(m_view.GrabFrame(), drawn);

    // Drawing between frames reaches nothing.
    AddSegment(track, 50.0, 100.0);
    m_timeline.Draw();
    EXPECT_EQ(m_view.GrabFrame(), drawn);
}

TEST_F(Surface, SwappedFrameReachesTheScreen)
{
    Track& track = AddTrack();
    AddSegment(track, 0.0, 100.0);
    DrawFrame();
    QScreen* screen = QGuiApplication::primaryScreen();
    ASSERT_NE(screen, nullptr);
    QImage shown;
    QElapsedTimer clock;
    clock.start();
    do {
        QTest::qWait(20);
        shown = screen->grabWindow(m_frame.winId()).toImage();
    } while (!(HasColour(shown, 400, 100, kBackground) && HasColour(shown, 400, 10, kBar)) && clock.elapsed() < 5000);
    EXPECT_TRUE(HasColour(shown, 400, 100, kBackground));
    EXPECT_TRUE(HasColour(shown, 400, 10, kBar));
    EXPECT_TRUE(HasColour(shown, 100, 100, kLabelColumn));
}

// What runs in the tick after the drawing (a popup menu, the players'
// surfaces) may make its own context current; presenting must not release
// it or flush into it.
TEST_F(Surface, DrawingReleasesItsContextAndPresentingLeavesOthersAlone)
{
    Track& track = AddTrack();
    AddSegment(track, 0.0, 100.0);
    m_view.BeginFrame();
    m_timeline.Draw();
    m_view.EndFrame();
    EXPECT_EQ(QOpenGLContext::currentContext(), nullptr);

    QOpenGLContext foreign;
    foreign.setFormat(GLSupport::CompatibilityFormat());
    ASSERT_TRUE(foreign.create());
    QOffscreenSurface offscreen;
    offscreen.setFormat(foreign.format());
    offscreen.create();
    ASSERT_TRUE(foreign.makeCurrent(&offscreen));
    m_view.SwapGLBuffers();
    EXPECT_EQ(QOpenGLContext::currentContext(), &foreign);
    foreign.doneCurrent();

    const QImage frame = m_view.GrabFrame();
    EXPECT_TRUE(HasColour(frame, 400, 10, kBar));
    EXPECT_TRUE(HasColour(frame, 400, 100, kBackground));
    EXPECT_EQ(QOpenGLContext::currentContext(), nullptr);
}

TEST(SurfaceRect, EmptyRectangleDrawsNothingAndDoesNotCrash)
{
    QWidget frame;
    ASSERT_TRUE(ShowBlackFrame(frame, 100, 100));
    CTimelineView view;
    ASSERT_TRUE(view.CreateGL(QRect(0, 0, 0, 40), &frame));
    CTimeline timeline;
    auto renderer = std::make_unique<CTimelineRenderer>(&timeline);
    timeline.m_viewRect = {0, 0, 0, 40};
    timeline.SetRenderer(std::move(renderer));
    view.BeginFrame();
    EXPECT_EQ(QOpenGLContext::currentContext(), nullptr);
    timeline.Draw();
    view.SwapGLBuffers();
    EXPECT_FALSE(view.CreateGL(QRect(0, 0, 50, 50), &frame)) << "created once only";
}

// The seam: a probe that says no stands for a machine without OpenGL.
TEST(NoContext, TimelineAreaStaysTheFrameAndEveryCallIsANoOp)
{
    QWidget frame;
    ASSERT_TRUE(ShowBlackFrame(frame, 300, 120));
    CTimelineView view([] { return false; });
    EXPECT_FALSE(view.CreateGL(QRect(0, 0, 300, 120), &frame));
    EXPECT_FALSE(view.HasSurface());
    EXPECT_TRUE(frame.findChildren<QWidget*>().isEmpty());

    CTimeline timeline;
    auto renderer = std::make_unique<CTimelineRenderer>(&timeline);
    timeline.m_viewRect = {0, 0, 300, 120};
    timeline.SetRenderer(std::move(renderer));
    timeline.SetView(timeline.ViewStart(), 0, timeline.TrackScroll());
    for (int tick = 0; tick < 3; ++tick) {
        view.BeginFrame();
        timeline.Draw();
        view.SwapGLBuffers();
    }
    EXPECT_EQ(timeline.ViewSpan(), 1) << "the pointer handling after the drawing still gets a usable span";
    EXPECT_TRUE(view.GrabFrame().isNull());
    const QImage shown = frame.grab().toImage();
    EXPECT_TRUE(HasColour(shown, 150, 60, kBlack));
}

TEST(NoContext, FailedFrameLeavesNoOtherContextToDrawInto)
{
    QOpenGLContext foreign;
    foreign.setFormat(GLSupport::CompatibilityFormat());
    ASSERT_TRUE(foreign.create());
    QOffscreenSurface offscreen;
    offscreen.setFormat(foreign.format());
    offscreen.create();
    ASSERT_TRUE(foreign.makeCurrent(&offscreen));

    CTimelineView view([] { return false; });
    view.BeginFrame();
    EXPECT_EQ(QOpenGLContext::currentContext(), nullptr);

    CTimeline timeline;
    timeline.SetRenderer(std::make_unique<CTimelineRenderer>(&timeline));
    timeline.Draw();
    ASSERT_TRUE(foreign.makeCurrent(&offscreen));
    EXPECT_EQ(glIsList(1000), GL_FALSE) << "the font went into someone else's context";
    foreign.doneCurrent();
}
