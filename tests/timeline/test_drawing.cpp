#include <gtest/gtest.h>

#include <QImage>
#include <QRect>

#include "TimelineFixture.h"

namespace {

// Either pixel row (or column) at a boundary may take a 1-pixel line.
bool BlackAtEither(const QImage& image, int x0, int y0, int x1, int y1)
{
    return IsColour(image.pixel(x0, y0), kBlack) || IsColour(image.pixel(x1, y1), kBlack);
}

} // namespace

using Drawing = TimelineFixture;

TEST_F(Drawing, NoTracksShowsBackgroundLabelColumnAndTimeLineOnly)
{
    m_timeline.m_currentTime = 50.0; // x = 180 + 570 / 2 = 465
    const QImage frame = DrawFrame();
    EXPECT_TRUE(HasColour(frame, 400, 100, kBackground));
    EXPECT_TRUE(HasColour(frame, 749, 243, kBackground));
    for (int y : {0, 120, 243}) {
        EXPECT_TRUE(HasColour(frame, 0, y, kLabelColumn));
        EXPECT_TRUE(HasColour(frame, 179, y, kLabelColumn));
        EXPECT_TRUE(BlackAtEither(frame, 464, y, 465, y)) << "time line at y " << y;
    }
    // No rows: nothing but background down a column away from the line.
    EXPECT_EQ(CountColour(frame, QRect(300, 0, 1, kHeight), kBackground), kHeight);
    EXPECT_EQ(CountColour(frame, QRect(0, 0, 180, kHeight), kText), 0);
}

TEST_F(Drawing, BarLiesWhereTheTimeMappingPutsIt)
{
    m_timeline.SetView(100, 285, m_timeline.TrackScroll());
    Track& track = AddTrack();
    AddSegment(track, 157.0, 385.0); // x 294 to 750
    AddTrack();
    const QImage frame = DrawFrame();
    EXPECT_TRUE(HasColour(frame, 292, 12, kBackground));
    EXPECT_TRUE(HasColour(frame, 295, 0, kBar));
    EXPECT_TRUE(HasColour(frame, 749, 23, kBar));
    EXPECT_TRUE(HasColour(frame, 400, 26, kBackground)) << "the bar stays in its row";
}

TEST_F(Drawing, SegmentStartingBeforeTheViewRunsUnderTheLabelColumn)
{
    Track& track = AddTrack();
    AddSegment(track, -50.0, 20.0); // x -105 to 294
    m_timeline.m_selectedTrack = 1;
    const QImage frame = DrawFrame();
    EXPECT_TRUE(HasColour(frame, 179, 3, kLabelColumn));
    EXPECT_TRUE(HasColour(frame, 181, 3, kBar));
    EXPECT_TRUE(HasColour(frame, 292, 3, kBar));
}

TEST_F(Drawing, SelectedTrackMarksItsLabelCellOnly)
{
    for (int i = 0; i < 3; ++i)
        AddTrack();
    m_timeline.m_selectedTrack = 1;
    QImage frame = DrawFrame();
    EXPECT_TRUE(HasColour(frame, 170, 12, kLabelColumn));
    EXPECT_TRUE(HasColour(frame, 170, 37, kSelectedCell));
    EXPECT_TRUE(HasColour(frame, 2, 30, kSelectedCell));
    EXPECT_TRUE(HasColour(frame, 170, 62, kLabelColumn));
    EXPECT_TRUE(HasColour(frame, 170, 200, kLabelColumn)) << "the column runs below the last row";

    m_timeline.m_selectedTrack = 3; // one past the end, as after removing the last track
    frame = DrawFrame();
    EXPECT_EQ(CountColour(frame, QRect(0, 0, 180, kHeight), kSelectedCell), 0);
}

TEST_F(Drawing, CurrentSegmentIsRedrawnOnTheSelectedRow)
{
    Track& first = AddTrack();
    Track& second = AddTrack();
    Segment& early = AddSegment(first, 10.0, 40.0);  // x 237 to 408
    AddSegment(second, 50.0, 80.0);                  // x 465 to 636
    m_timeline.m_selectedTrack = 1;

    QImage frame = DrawFrame();
    EXPECT_EQ(CountColour(frame, QRect(180, 0, 570, kHeight), kCurrentBar), 0) << "no current segment";

    // Its own track's row keeps the green bar; the highlight follows the selection.
    m_timeline.m_currentSegment = &early;
    frame = DrawFrame();
    EXPECT_TRUE(HasColour(frame, 300, 12, kBar));
    EXPECT_TRUE(HasColour(frame, 300, 37, kCurrentBar));
    EXPECT_TRUE(HasColour(frame, 500, 37, kBar));
    EXPECT_TRUE(HasColour(frame, 430, 37, kBackground));
}

TEST_F(Drawing, TimeLineIsBlackAcrossTheRows)
{
    Track& track = AddTrack();
    AddSegment(track, 100.0, 385.0);
    AddTrack();
    m_timeline.SetView(100, 285, m_timeline.TrackScroll());
    m_timeline.m_currentTime = 157.0; // x 294
    const QImage frame = DrawFrame();
    for (int y : {3, 20, 40, 240})
        EXPECT_TRUE(BlackAtEither(frame, 293, y, 294, y)) << "y " << y;
    EXPECT_TRUE(HasColour(frame, 296, 3, kBar));

    // Before the view it hides under the label column, after it past the edge.
    for (double time : {50.0, 400.0}) {
        m_timeline.m_currentTime = time;
        const QImage hidden = DrawFrame();
        EXPECT_EQ(CountColour(hidden, QRect(180, 55, 570, 180), kBlack), 0) << "time " << time;
    }
}

TEST_F(Drawing, RowSeparatorsCrossTheWholeWidthAndEveryTrackTakesARow)
{
    Track& full = AddTrack();
    AddSegment(full, 0.0, 100.0);
    AddTrack(); // no segments: still a row and a separator
    const QImage frame = DrawFrame();
    for (int x : {2, 100, 179, 181, 400, 748}) {
        EXPECT_TRUE(BlackAtEither(frame, x, 24, x, 25)) << "first separator at x " << x;
        EXPECT_TRUE(BlackAtEither(frame, x, 49, x, 50)) << "second separator at x " << x;
        EXPECT_FALSE(BlackAtEither(frame, x, 74, x, 75)) << "no third row at x " << x;
    }
}

TEST_F(Drawing, TrackScrollMovesRowsUp)
{
    AddTrack("a");
    AddTrack("b");
    Track& third = AddTrack("c");
    AddSegment(third, 0.0, 100.0);
    m_timeline.m_selectedTrack = 2;

    QImage frame = DrawFrame();
    EXPECT_TRUE(HasColour(frame, 400, 62, kBar));
    EXPECT_TRUE(HasColour(frame, 170, 62, kSelectedCell));

    m_timeline.SetView(m_timeline.ViewStart(), m_timeline.ViewSpan(), 50);
    frame = DrawFrame();
    EXPECT_TRUE(HasColour(frame, 400, 1, kBar)) << "the separator above may take row 0";
    EXPECT_TRUE(HasColour(frame, 400, 23, kBar));
    EXPECT_TRUE(HasColour(frame, 400, 30, kBackground));
    EXPECT_TRUE(HasColour(frame, 170, 12, kSelectedCell));
    EXPECT_TRUE(HasColour(frame, 170, 200, kLabelColumn));
}

TEST_F(Drawing, TitlesAndLabelsAreRedInsideTheirRows)
{
    Track& track = AddTrack("Piste");
    AddSegment(track, 20.0, 100.0, "D\xC3\xA9" "fense \xC3\xA0 trois"); // anchor x 304
    AddTrack();
    const QImage frame = DrawFrame();
    EXPECT_GT(CountColour(frame, QRect(304, 0, 200, 25), kText), 40);
    EXPECT_EQ(CountColour(frame, QRect(181, 0, 120, 25), kText), 0) << "nothing left of the anchor";
    EXPECT_GT(CountColour(frame, QRect(10, 0, 100, 25), kText), 20) << "the label";
    EXPECT_EQ(CountColour(frame, QRect(0, 25, kWidth, kHeight - 25), kText), 0);
}

TEST_F(Drawing, TitleAnchoredOutsideTheAreaIsNotDrawnAtAll)
{
    const std::string wide(40, 'W');
    // Anchor x = TimeToX(start) + 10, so start -34.21 puts it at -5 and
    // start -32.46 at +5; either way the title runs far past x = 180.
    Track& outside = AddTrack();
    AddSegment(outside, -195.0 / 5.7, 100.0, wide);
    Track& inside = AddTrack();
    AddSegment(inside, -185.0 / 5.7, 100.0, wide);
    const QImage frame = DrawFrame();
    EXPECT_EQ(CountColour(frame, QRect(181, 0, 569, 24), kText), 0);
    EXPECT_GT(CountColour(frame, QRect(181, 25, 569, 24), kText), 100);
}

TEST_F(Drawing, RowScrolledAboveItsBaselineShowsNoText)
{
    Track& track = AddTrack("gjpqy");
    AddSegment(track, 20.0, 100.0, "gjpqy");
    m_timeline.SetView(m_timeline.ViewStart(), m_timeline.ViewSpan(), 18); // baseline 1 pixel above the top, descenders below it
    const QImage frame = DrawFrame();
    EXPECT_TRUE(HasColour(frame, 600, 2, kBar));
    EXPECT_EQ(CountColour(frame, QRect(0, 0, kWidth, kHeight), kText), 0);
}

TEST_F(Drawing, SpanBelowOneIsDrawnAsOneAndStoredBack)
{
    Track& track = AddTrack();
    AddSegment(track, 0.5, 1.0); // with a span of 1: x 465 to 750
    for (int span : {0, -7}) {
        m_timeline.SetView(m_timeline.ViewStart(), span, m_timeline.TrackScroll());
        const QImage frame = DrawFrame();
        EXPECT_EQ(m_timeline.ViewSpan(), 1);
        EXPECT_TRUE(HasColour(frame, 463, 12, kBackground)) << "span " << span;
        EXPECT_TRUE(HasColour(frame, 467, 12, kBar)) << "span " << span;
        EXPECT_TRUE(HasColour(frame, 748, 12, kBar)) << "span " << span;
    }
}

TEST_F(Drawing, FontIsBuiltOnTheFirstDrawOnly)
{
    EXPECT_EQ(m_timeline.m_fontReady, 0);
    DrawFrame();
    EXPECT_EQ(m_timeline.m_fontReady, 1);
    ASSERT_NE(m_renderer->Font().Glyphs(), nullptr);
    const GlyphSet* glyphs = m_renderer->Font().Glyphs();
    DrawFrame();
    EXPECT_EQ(m_renderer->Font().Glyphs(), glyphs);
}
