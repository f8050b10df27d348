#include <gtest/gtest.h>

#include <memory>

#include <QImage>
#include <QRect>
#include <QWidget>

#include "CTimelineRenderer.h"
#include "CTimelineView.h"
#include "GLSupport.h"
#include "Timeline.h"

// Run on the offscreen platform, which can make GLX contexts when a display
// is around but crashes on the first paint of an OpenGL widget.
TEST(WithoutGLWidgets, ViewCreatesNothingAndTheTicksGoOn)
{
    EXPECT_FALSE(GLSupport::CanCreateCompatibilityContext());
    QWidget frame;
    frame.resize(300, 120);
    frame.show();
    CTimelineView view;
    EXPECT_FALSE(view.CreateGL(QRect(0, 0, 300, 120), &frame));

    CTimeline timeline;
    auto renderer = std::make_unique<CTimelineRenderer>(&timeline);
    timeline.m_viewRect = {0, 0, 300, 120};
    timeline.SetRenderer(std::move(renderer));
    for (int tick = 0; tick < 3; ++tick) {
        view.BeginFrame();
        timeline.Draw();
        view.SwapGLBuffers();
    }
    frame.repaint();
    EXPECT_TRUE(view.GrabFrame().isNull());
}
