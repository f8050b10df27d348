#include <gtest/gtest.h>

#include <memory>

#include "CTimelineRenderer.h"
#include "Timeline.h"

namespace {

struct Mapping : testing::Test {
    void SetUp() override
    {
        auto owned = std::make_unique<CTimelineRenderer>(&timeline);
        renderer = owned.get();
        timeline.m_viewRect = {0, 0, 750, 244};
        timeline.SetRenderer(std::move(owned));
        timeline.SetView(100, 285, timeline.TrackScroll());
    }

    CTimeline timeline;
    CTimelineRenderer* renderer = nullptr;
};

} // namespace

TEST_F(Mapping, ViewStartAtTheLabelEdgeAndViewEndAtTheRightEdge)
{
    EXPECT_DOUBLE_EQ(renderer->TimeToX(100.0f), 180.0);
    EXPECT_DOUBLE_EQ(renderer->TimeToX(157.0f), 294.0);
    EXPECT_DOUBLE_EQ(renderer->TimeToX(385.0f), 750.0);
    EXPECT_DOUBLE_EQ(renderer->TimeToX(42.0f), 180.0 - 570.0 * 58.0 / 285.0) << "left of the view: negative side";
    EXPECT_DOUBLE_EQ(renderer->TimeToX(670.0f), 1320.0) << "past the view: not clamped";
}

TEST_F(Mapping, WidthIsRightMinusLeft)
{
    timeline.m_viewRect = {30, 0, 780, 244};
    EXPECT_DOUBLE_EQ(renderer->TimeToX(157.0f), 294.0);
}

TEST_F(Mapping, TimeIsTakenAsAFloat)
{
    // 0.1 has no exact float: the mapping sees the float nearest to it.
    timeline.SetView(0, 570, timeline.TrackScroll());
    EXPECT_DOUBLE_EQ(renderer->TimeToX(static_cast<float>(0.1)), 180.0 + double(0.1f));
    EXPECT_NE(renderer->TimeToX(static_cast<float>(0.1)), 180.1);
}

TEST_F(Mapping, SpanBelowOneIsRaisedToOneAndStored)
{
    for (int span : {0, -1, -285}) {
        timeline.SetView(timeline.ViewStart(), span, timeline.TrackScroll());
        EXPECT_DOUBLE_EQ(renderer->TimeToX(101.0f), 750.0) << "span " << span;
        EXPECT_EQ(timeline.ViewSpan(), 1);
    }
}

TEST_F(Mapping, DrawWithoutAContextOnlyRaisesTheSpan)
{
    timeline.SetView(timeline.ViewStart(), 0, timeline.TrackScroll());
    timeline.Draw();
    EXPECT_EQ(timeline.ViewSpan(), 1);
    EXPECT_EQ(timeline.m_fontReady, 1);
    EXPECT_EQ(renderer->Font().Glyphs(), nullptr) << "nothing to build the lists in";
    renderer->DrawSegments();
    renderer->DrawLabels();
}
