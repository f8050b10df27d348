#include <climits>
#include <optional>

#include <gtest/gtest.h>

#include "ScrollBarModel.h"
#include "ScrollHandling.h"

namespace {

ScrollBarModel MakeBar(int min, int max, int page, int position)
{
    ScrollBarModel bar;
    bar.Set(min, max, page, position);
    return bar;
}

// The three bars as the main window starts them.
struct Bars {
    ScrollBarModel time = MakeBar(0, 100, 100, 0);
    ScrollBarModel zoom = MakeBar(0, 100, 0, 0);
    ScrollBarModel track = MakeBar(0, 400, 0, 0);
};

struct ClampCase {
    const char* name;
    int min, max, page, position;
    int expectedMin, expectedMax, expectedPage, expectedPosition;
};

class ModelClamping : public testing::TestWithParam<ClampCase> {};

TEST_P(ModelClamping, KeepsPageAndPositionInsideTheRange)
{
    const ClampCase& c = GetParam();
    const ScrollBarModel bar = MakeBar(c.min, c.max, c.page, c.position);
    EXPECT_EQ(bar.GetMin(), c.expectedMin);
    EXPECT_EQ(bar.GetMax(), c.expectedMax);
    EXPECT_EQ(bar.GetPage(), c.expectedPage);
    EXPECT_EQ(bar.GetPosition(), c.expectedPosition);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ModelClamping,
    testing::Values(ClampCase{"FullPageLeavesTwoPositions", 0, 100, 100, 5, 0, 100, 100, 1},
                    ClampCase{"NoPageAllowsTheMaximum", 0, 100, 0, 150, 0, 100, 0, 100},
                    ClampCase{"PositionBelowMinimum", 10, 100, 0, -5, 10, 100, 0, 10},
                    ClampCase{"PageWiderThanRange", 0, 100, 200, 50, 0, 100, 101, 0},
                    ClampCase{"NegativePageIsNone", 0, 100, -3, 100, 0, 100, 0, 100},
                    ClampCase{"PageOfOneAllowsTheMaximum", 0, 100, 1, 100, 0, 100, 1, 100},
                    ClampCase{"ReversedRangeIsPutInOrder", 100, 0, 0, 40, 0, 100, 0, 40},
                    ClampCase{"SinglePositionRange", 7, 7, 5, 9, 7, 7, 1, 7},
                    ClampCase{"FullIntRangeDoesNotOverflow", INT_MIN, INT_MAX, INT_MAX, INT_MAX, INT_MIN, INT_MAX,
                              INT_MAX, 1}),
    [](const testing::TestParamInfo<ClampCase>& info) { return info.param.name; });

TEST(ScrollBarModelTest, EverySetterReappliesTheLimits)
{
    ScrollBarModel bar = MakeBar(0, 1000, 0, 900);
    bar.SetPage(200);
    EXPECT_EQ(bar.GetPosition(), 801) << "a wider page pulls the position back";

    bar.SetPage(500);
    bar.SetPosition(400);
    bar.SetRange(0, 100);
    EXPECT_EQ(bar.GetPage(), 101) << "a narrower range shrinks the page";
    EXPECT_EQ(bar.GetPosition(), 0);

    bar.SetPage(0);
    bar.SetPosition(1000);
    EXPECT_EQ(bar.GetPosition(), 100);
    EXPECT_EQ(bar.GetPositionCount(), 101);
    EXPECT_EQ(bar.GetMaxPosition(), 100);
}

struct StepCase {
    int min, max, step;
};

class StepRule : public testing::TestWithParam<StepCase> {};

TEST_P(StepRule, IsAHundredthOfTheRangeTruncated)
{
    const StepCase& c = GetParam();
    EXPECT_EQ(ScrollStep(MakeBar(c.min, c.max, 0, 0)), c.step) << c.min << ".." << c.max;
}

INSTANTIATE_TEST_SUITE_P(Table, StepRule,
                         testing::Values(StepCase{0, 100, 1}, StepCase{0, 99, 0}, StepCase{0, 0, 0},
                                         StepCase{0, 199, 1}, StepCase{0, 200, 2}, StepCase{0, 400, 4},
                                         StepCase{0, 1000, 10}, StepCase{-50, 50, 1},
                                         StepCase{INT_MIN, INT_MAX, 42949672}));

struct CodeCase {
    const char* name;
    int min, max, page, start;
    int code, thumb;
    int expected;
};

class ScrollCodes : public testing::TestWithParam<CodeCase> {};

TEST_P(ScrollCodes, MoveTheSendingBarByTheStepRule)
{
    const CodeCase& c = GetParam();
    ScrollBarModel bar = MakeBar(c.min, c.max, c.page, c.start);
    ApplyScrollCode(c.code, c.thumb, bar);
    EXPECT_EQ(bar.GetPosition(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ScrollCodes,
    testing::Values(CodeCase{"LineLeft", 0, 1000, 0, 500, SB_LINELEFT, 0, 490},
                    CodeCase{"LineRight", 0, 1000, 0, 500, SB_LINERIGHT, 0, 510},
                    CodeCase{"PageLeftIsOneStep", 0, 1000, 0, 500, SB_PAGELEFT, 0, 490},
                    CodeCase{"PageRightIsOneStep", 0, 1000, 300, 500, SB_PAGERIGHT, 0, 510},
                    CodeCase{"ThumbPositionKeeps", 0, 1000, 0, 500, SB_THUMBPOSITION, 123, 500},
                    CodeCase{"ThumbTrackTakesTheThumb", 0, 1000, 0, 500, SB_THUMBTRACK, 123, 123},
                    CodeCase{"TopKeeps", 0, 1000, 0, 500, SB_TOP, 0, 500},
                    CodeCase{"BottomKeeps", 0, 1000, 0, 500, SB_BOTTOM, 0, 500},
                    CodeCase{"EndScrollKeeps", 0, 1000, 0, 500, SB_ENDSCROLL, 0, 500},
                    CodeCase{"UnknownCodeKeeps", 0, 1000, 0, 500, 9, 0, 500},
                    CodeCase{"NegativeCodeKeeps", 0, 1000, 0, 500, -1, 0, 500},
                    CodeCase{"ShortRangeArrowsDoNotMove", 0, 99, 0, 50, SB_LINERIGHT, 0, 50},
                    CodeCase{"ShortRangePageDoesNotMove", 0, 99, 0, 50, SB_PAGELEFT, 0, 50},
                    CodeCase{"ShortRangeDragMoves", 0, 99, 0, 50, SB_THUMBTRACK, 70, 70},
                    CodeCase{"StartRangeStillSteps", 0, 100, 100, 0, SB_LINERIGHT, 0, 1},
                    CodeCase{"TrackBarLineDown", 0, 400, 0, 0, SB_LINEDOWN, 0, 4},
                    CodeCase{"TrackBarPageDown", 0, 400, 0, 8, SB_PAGEDOWN, 0, 12},
                    CodeCase{"TrackBarLineUpAtTop", 0, 400, 0, 0, SB_LINEUP, 0, 0},
                    CodeCase{"ClampedAtTheEndOfThePage", 0, 1000, 100, 901, SB_LINERIGHT, 0, 901},
                    CodeCase{"DragBeyondTheEndIsClamped", 0, 1000, 100, 0, SB_THUMBTRACK, 5000, 901},
                    CodeCase{"DragBeforeTheStartIsClamped", 0, 1000, 100, 50, SB_THUMBTRACK, -20, 0},
                    CodeCase{"StepAtIntMaxDoesNotOverflow", INT_MIN, INT_MAX, 0, INT_MAX, SB_LINERIGHT, 0, INT_MAX},
                    CodeCase{"StepAtIntMinDoesNotOverflow", INT_MIN, INT_MAX, 0, INT_MIN, SB_LINELEFT, 0, INT_MIN}),
    [](const testing::TestParamInfo<CodeCase>& info) { return info.param.name; });

struct ZoomCase {
    int timeMax, zoom, page;
};

class ZoomRule : public testing::TestWithParam<ZoomCase> {};

TEST_P(ZoomRule, DividesTheSpanByTheHundredthRootPerStep)
{
    const ZoomCase& c = GetParam();
    Bars bars;
    bars.time.SetRange(0, c.timeMax);
    bars.zoom.SetPosition(c.zoom);
    ApplyZoom(bars.zoom, bars.time);
    EXPECT_EQ(bars.time.GetPage(), c.page) << "0.." << c.timeMax << " at z = " << c.zoom;
}

INSTANTIATE_TEST_SUITE_P(Table, ZoomRule,
                         testing::Values(ZoomCase{100, 0, 101}, ZoomCase{100, 1, 96}, ZoomCase{100, 50, 10},
                                         ZoomCase{100, 99, 1}, ZoomCase{100, 100, 1}, ZoomCase{1000, 1, 934},
                                         ZoomCase{1000, 50, 31}, ZoomCase{1000, 100, 1}, ZoomCase{0, 0, 1},
                                         ZoomCase{0, 73, 1}));

TEST(ZoomPageTest, OddZoomRangesNeitherOverflowNorGoNegative)
{
    EXPECT_EQ(ZoomPage(101, 101), 0);
    EXPECT_EQ(ZoomPage(101, -100000), INT_MAX);
    EXPECT_EQ(ZoomPage(0, 0), 0);
    EXPECT_EQ(ZoomPage(-5, 0), 0);
    EXPECT_EQ(ZoomPage(std::int64_t{1} << 32, 100), 1);
    EXPECT_EQ(ZoomPage(std::int64_t{1} << 32, 0), INT_MAX);
}

TEST(HScrollTest, PageLeftAtZoomZeroShowsTheWholeStartRange)
{
    Bars bars;
    HandleHScroll(SB_PAGELEFT, 0, bars.zoom, bars.zoom, bars.time);
    EXPECT_EQ(bars.zoom.GetPosition(), 0);
    EXPECT_EQ(bars.time.GetPage(), 101);
    EXPECT_EQ(bars.time.GetPosition(), 0);
}

TEST(HScrollTest, ZoomBarMessagesRecomputeTheTimePageForEveryCode)
{
    for (int code = 0; code <= 8; ++code) {
        Bars bars;
        bars.time.SetRange(0, 1000);
        bars.zoom.SetPosition(50);
        HandleHScroll(code, 50, bars.zoom, bars.zoom, bars.time);
        const int zoom = bars.zoom.GetPosition();
        EXPECT_EQ(bars.time.GetPage(), ZoomPage(1001, zoom)) << "code " << code;
        EXPECT_EQ(zoom, code == SB_LINELEFT || code == SB_PAGELEFT ? 49 : code == SB_LINERIGHT || code == SB_PAGERIGHT ? 51 : 50)
            << "code " << code;
    }
}

TEST(HScrollTest, ZoomMessageThatDoesNotMoveTheZoomStillReclampsTheTimeBar)
{
    for (int code : {SB_THUMBPOSITION, SB_ENDSCROLL}) {
        Bars bars;
        bars.time.SetRange(0, 1000);
        bars.zoom.SetPosition(50);
        ApplyZoom(bars.zoom, bars.time);
        bars.time.SetPosition(970);
        ASSERT_EQ(bars.time.GetPosition(), 970);
        // The zoom moved without its rule being applied: the next message,
        // whatever it is, catches the time bar up.
        bars.zoom.SetPosition(10);
        HandleHScroll(code, 0, bars.zoom, bars.zoom, bars.time);
        EXPECT_EQ(bars.zoom.GetPosition(), 10);
        EXPECT_EQ(bars.time.GetPage(), ZoomPage(1001, 10));
        EXPECT_EQ(bars.time.GetPosition(), 1001 - ZoomPage(1001, 10));
    }
}

TEST(HScrollTest, ZoomingInFromTheEndKeepsThePositionInsideTheNewPage)
{
    Bars bars;
    bars.time.SetRange(0, 1000);
    bars.time.SetPage(31);
    bars.time.SetPosition(970);
    bars.zoom.SetPosition(49);
    HandleHScroll(SB_LINELEFT, 0, bars.zoom, bars.zoom, bars.time);
    EXPECT_EQ(bars.zoom.GetPosition(), 48);
    const int page = ZoomPage(1001, 48);
    EXPECT_GT(page, 31);
    EXPECT_EQ(bars.time.GetPage(), page);
    EXPECT_EQ(bars.time.GetPosition(), 1001 - page);
}

TEST(HScrollTest, TimeBarMessagesLeaveItsPageAlone)
{
    Bars bars;
    bars.time.SetRange(0, 1000);
    bars.time.SetPage(40);
    bars.zoom.SetPosition(90);
    HandleHScroll(SB_LINERIGHT, 0, bars.time, bars.zoom, bars.time);
    HandleHScroll(SB_ENDSCROLL, 0, bars.time, bars.zoom, bars.time);
    EXPECT_EQ(bars.time.GetPosition(), 10);
    EXPECT_EQ(bars.time.GetPage(), 40);
    EXPECT_EQ(bars.zoom.GetPosition(), 90);
}

TEST(HScrollTest, AfterANewRangePageLeftRescalesTheSpan)
{
    // What opening a video does: a new time range, then a page-left on the
    // zoom bar for the span to follow it.
    Bars bars;
    bars.zoom.SetPosition(50);
    bars.time.SetRange(0, 1000);
    HandleHScroll(SB_PAGELEFT, 0, bars.zoom, bars.zoom, bars.time);
    EXPECT_EQ(bars.zoom.GetPosition(), 49);
    EXPECT_EQ(bars.time.GetPage(), ZoomPage(1001, 49));
}

TEST(VScrollTest, TrackBarMovesFourPixelsPerClick)
{
    Bars bars;
    HandleVScroll(SB_LINEDOWN, 0, bars.track);
    EXPECT_EQ(bars.track.GetPosition(), 4);
    HandleVScroll(SB_PAGEDOWN, 0, bars.track);
    EXPECT_EQ(bars.track.GetPosition(), 8);
    HandleVScroll(SB_PAGEUP, 0, bars.track);
    HandleVScroll(SB_LINEUP, 0, bars.track);
    HandleVScroll(SB_LINEUP, 0, bars.track);
    EXPECT_EQ(bars.track.GetPosition(), 0);
    HandleVScroll(SB_THUMBTRACK, 280, bars.track);
    EXPECT_EQ(bars.track.GetPosition(), 280);
    HandleVScroll(SB_THUMBTRACK, 999, bars.track);
    EXPECT_EQ(bars.track.GetPosition(), 400);
    EXPECT_EQ(bars.track.GetMax(), 400);
}

TEST(QtActionMapping, MapsSliderActionsOntoScrollCodes)
{
    struct Row {
        QAbstractSlider::SliderAction action;
        std::optional<int> code;
    };
    const Row rows[] = {
        {QAbstractSlider::SliderSingleStepSub, SB_LINELEFT}, {QAbstractSlider::SliderSingleStepAdd, SB_LINERIGHT},
        {QAbstractSlider::SliderPageStepSub, SB_PAGELEFT},   {QAbstractSlider::SliderPageStepAdd, SB_PAGERIGHT},
        {QAbstractSlider::SliderMove, SB_THUMBTRACK},        {QAbstractSlider::SliderToMinimum, SB_LEFT},
        {QAbstractSlider::SliderToMaximum, SB_RIGHT},        {QAbstractSlider::SliderNoAction, std::nullopt},
    };
    for (const Row& row : rows)
        EXPECT_EQ(ScrollCodeForAction(row.action), row.code) << row.action;
    ASSERT_EQ(std::size(kThumbReleaseCodes), 2u);
    EXPECT_EQ(kThumbReleaseCodes[0], SB_THUMBPOSITION);
    EXPECT_EQ(kThumbReleaseCodes[1], SB_ENDSCROLL);
}

} // namespace
