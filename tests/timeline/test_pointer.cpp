// The pointer over the timeline without a window: the row and time under a
// pixel, and what one tick's polling decides from a sample.
#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <optional>
#include <string>

#include "PointerDecision.h"
#include "Timeline.h"

namespace {

// The frame on screen; the timeline area is 750 x 244 like the main window's.
constexpr PixelRect kFrame{40, 300, 790, 544};

Segment* AddSegment(Track& track, double start, double end)
{
    auto segment = std::make_unique<Segment>();
    segment->m_start = start;
    segment->m_end = end;
    Segment* added = segment.get();
    track.AppendSegment(std::move(segment));
    return added;
}

// Three rows; 100 .. 385 in view, two pixels per time unit right of the
// label column: x = 180 + 2 (t - 100).
struct ThreeTracks {
    ThreeTracks()
    {
        TrackList tracks;
        Track* top = tracks.AppendTrack();
        Track* middle = tracks.AppendTrack();
        tracks.AppendTrack();
        topSegment = AddSegment(*top, 110.0, 120.0);
        middleSegment = AddSegment(*middle, 200.0, 300.0);
        timeline.ReplaceTracks(std::move(tracks));
        timeline.m_viewRect = {0, 0, 750, 244};
        timeline.SetView(100, 285, timeline.TrackScroll());
        timeline.m_selectedTrack = 1;
        timeline.m_currentTime = 150.0;
    }

    CTimeline timeline;
    Segment* topSegment = nullptr;
    Segment* middleSegment = nullptr;
};

PointerSample At(int x, int y, bool left, bool right)
{
    PointerSample sample;
    sample.windowActive = true;
    sample.frame = kFrame;
    sample.cursorX = kFrame.left + x;
    sample.cursorY = kFrame.top + y;
    sample.leftDown = left;
    sample.rightDown = right;
    return sample;
}

enum Buttons { kNone, kLeft, kRight, kBoth };
enum Found { kNoSegment, kTopSegment, kMiddleSegment };

struct Row {
    std::string name;
    int stateBefore;
    Buttons buttons;
    int x, y;
    // Expected: the seek (player units), the menu, the state, and the
    // timeline after the decision is carried out.
    std::optional<int32_t> seek;
    PointerMenu menu;
    int stateAfter;
    int selectedAfter;
    double timeAfter;
    Found segmentAfter;
};

std::ostream& operator<<(std::ostream& out, const Row& row) { return out << row.name; }

class Transitions : public testing::TestWithParam<Row> {};

// Before every row: track 1 selected, current time 150, no current segment.
const Row kRows[] = {
    // Idle: a press selects the row under y and seeks to the time under x.
    {"IdleNothingDown", 0, kNone, 300, 10, {}, PointerMenu::None, 0, 1, 150.0, kNoSegment},
    {"IdleLeftInTimeArea", 0, kLeft, 300, 10, 1600, PointerMenu::None, 0, 0, 160.0, kNoSegment},
    {"IdleLeftInLabelColumnSeeksToItsOwnTime", 0, kLeft, 100, 60, 1500, PointerMenu::None, 0, 2, 150.0,
     kNoSegment},
    {"IdleRightOnASegmentOfTheRowSelectsSeeksAndOpensItsMenu", 0, kRight, 210, 10, 1150, PointerMenu::Segment, 1,
     0, 115.0, kTopSegment},
    {"IdleBothButtonsCountAsTheRight", 0, kBoth, 210, 10, 1150, PointerMenu::Segment, 1, 0, 115.0, kTopSegment},
    {"IdleRightWhereTheRowHasNoSegmentSelectsAndSeeksOnly", 0, kRight, 600, 60, 3100, PointerMenu::None, 0, 2,
     310.0, kNoSegment},
    {"IdleRightInLabelColumnOpensTheTrackMenu", 0, kRight, 100, 30, 1500, PointerMenu::Track, 1, 1, 150.0,
     kNoSegment},
    {"IdleRightBelowTheLastRowLooksUpTheSelectedTrack", 0, kRight, 400, 200, 2100, PointerMenu::Segment, 1, 1,
     210.0, kMiddleSegment},
    // After a menu: the next press is swallowed, its release ends the wait.
    {"MenuShownNothingDown", 1, kNone, 300, 10, {}, PointerMenu::None, 1, 1, 150.0, kNoSegment},
    {"MenuShownLeftPressIsSwallowed", 1, kLeft, 300, 10, {}, PointerMenu::None, 2, 1, 150.0, kNoSegment},
    {"MenuShownRightInLabelColumnOpensTheMenuWithoutSelecting", 1, kRight, 100, 60, {}, PointerMenu::Track, 1, 1,
     150.0, kNoSegment},
    {"MenuShownRightWhereNoSegmentWaitsForRelease", 1, kRight, 600, 10, {}, PointerMenu::None, 2, 1, 310.0,
     kNoSegment},
    {"WaitReleaseNothingDownReturnsToIdle", 2, kNone, 300, 10, {}, PointerMenu::None, 0, 1, 150.0, kNoSegment},
    {"WaitReleaseStillHeld", 2, kLeft, 300, 10, {}, PointerMenu::None, 2, 1, 150.0, kNoSegment},
    {"WaitReleaseRightOnASegmentOfTheSelectedTrackOpensItsMenu", 2, kRight, 400, 10, {}, PointerMenu::Segment, 1,
     1, 210.0, kMiddleSegment},
};

} // namespace

TEST_P(Transitions, DecisionAndItsEffectOnTheTimeline)
{
    const Row& row = GetParam();
    ThreeTracks data;
    CTimeline& timeline = data.timeline;
    const bool left = row.buttons == kLeft || row.buttons == kBoth;
    const bool right = row.buttons == kRight || row.buttons == kBoth;

    const PointerDecision decision = DecidePointer(At(row.x, row.y, left, right), row.stateBefore, timeline);
    EXPECT_TRUE(decision.polled);
    EXPECT_EQ(decision.x, row.x);
    EXPECT_EQ(decision.y, row.y);
    EXPECT_EQ(decision.seek, row.seek);
    EXPECT_EQ(decision.menu, row.menu);
    EXPECT_EQ(decision.state, row.stateAfter);
    EXPECT_EQ(timeline.m_selectedTrack, 1) << "deciding changes nothing";
    EXPECT_EQ(timeline.m_currentTime, 150.0) << "deciding changes nothing";

    ApplyPointerDecision(decision, timeline);
    EXPECT_EQ(timeline.m_selectedTrack, row.selectedAfter);
    EXPECT_DOUBLE_EQ(timeline.m_currentTime, row.timeAfter);
    const Segment* expected = row.segmentAfter == kTopSegment      ? data.topSegment
                              : row.segmentAfter == kMiddleSegment ? data.middleSegment
                                                                   : nullptr;
    EXPECT_EQ(timeline.m_currentSegment, expected);
    EXPECT_EQ(decision.segment, expected);
}

INSTANTIATE_TEST_SUITE_P(Pointer, Transitions, testing::ValuesIn(kRows),
                         [](const testing::TestParamInfo<Row>& info) { return info.param.name; });

TEST(PointerSampling, EdgePixelsAnInactiveWindowAndClosingLeaveEverythingAlone)
{
    ThreeTracks data;
    const struct {
        const char* what;
        PointerSample sample;
        int state;
    } ignored[] = {
        {"left edge", At(0, 10, true, true), 0},
        {"right edge", At(750, 10, true, true), 0},
        {"top edge", At(300, 0, true, true), 0},
        {"bottom edge", At(300, 244, true, true), 0},
        {"left of the frame", At(-5, 10, true, true), 0},
        {"below the frame", At(300, 400, true, true), 2},
        {"another window in front", [] { PointerSample s = At(210, 10, true, true); s.windowActive = false; return s; }(), 0},
        {"another window in front, waiting", [] { PointerSample s = At(210, 10, false, false); s.windowActive = false; return s; }(), 2},
        {"closing", At(210, 10, false, true), MOUSE_CLOSING},
    };
    for (const auto& test : ignored) {
        const PointerDecision decision = DecidePointer(test.sample, test.state, data.timeline);
        EXPECT_FALSE(decision.polled) << test.what;
        EXPECT_EQ(decision.state, test.state) << test.what;
        EXPECT_EQ(decision.menu, PointerMenu::None) << test.what;
        EXPECT_FALSE(decision.seek) << test.what;
        ApplyPointerDecision(decision, data.timeline);
        EXPECT_EQ(data.timeline.m_selectedTrack, 1) << test.what;
        EXPECT_EQ(data.timeline.m_currentTime, 150.0) << test.what;
        EXPECT_EQ(data.timeline.m_currentSegment, nullptr) << test.what;
    }
    // The pixels just inside the edges are polled.
    EXPECT_TRUE(DecidePointer(At(1, 1, false, false), 0, data.timeline).polled);
    EXPECT_TRUE(DecidePointer(At(749, 243, false, false), 0, data.timeline).polled);
}

TEST(PointerSampling, MenuThenSwallowedPressThenReleaseThenANormalPress)
{
    ThreeTracks data;
    CTimeline& timeline = data.timeline;
    int state = 0;
    const auto tick = [&](const PointerSample& sample) {
        const PointerDecision decision = DecidePointer(sample, state, timeline);
        ApplyPointerDecision(decision, timeline);
        state = decision.state;
        return decision;
    };

    EXPECT_EQ(tick(At(100, 10, false, true)).menu, PointerMenu::Track);
    EXPECT_EQ(timeline.m_selectedTrack, 0);
    EXPECT_EQ(state, 1);
    // The release of that press, then the cursor wanders: nothing.
    tick(At(100, 10, false, false));
    tick(At(500, 60, false, false));
    EXPECT_EQ(state, 1);
    // The press that chooses an item, over the timeline: swallowed.
    EXPECT_FALSE(tick(At(500, 60, true, false)).seek);
    EXPECT_EQ(state, 2);
    EXPECT_EQ(timeline.m_selectedTrack, 0);
    EXPECT_FALSE(tick(At(520, 60, true, false)).seek);
    tick(At(520, 60, false, false));
    EXPECT_EQ(state, 0);
    // The press after that works again, and holding it scrubs.
    EXPECT_EQ(tick(At(500, 60, true, false)).seek, 2600);
    EXPECT_EQ(timeline.m_selectedTrack, 2);
    EXPECT_EQ(tick(At(540, 60, true, false)).seek, 2800);
    EXPECT_EQ(tick(At(540, 60, true, false)).seek, 2800) << "a still cursor holds the time";
    EXPECT_EQ(state, 0);
}

TEST(PointerSampling, RightPressOnALabelColumnEdgeUsesTheCurrentTime)
{
    ThreeTracks data;
    CTimeline& timeline = data.timeline;
    timeline.m_selectedTrack = 0;
    timeline.m_currentTime = 115.0;
    // x = 180 is not right of the column: no time under it, the lookup
    // takes the current time, and the menu is the segment's.
    PointerDecision decision = DecidePointer(At(180, 10, false, true), 0, timeline);
    EXPECT_EQ(decision.seek, 1150);
    EXPECT_EQ(decision.menu, PointerMenu::Segment);
    EXPECT_EQ(decision.segment, data.topSegment);
    decision = DecidePointer(At(179, 10, false, true), 0, timeline);
    EXPECT_EQ(decision.menu, PointerMenu::Track);
}

TEST(PointerSampling, SelectedIndexNamingNoTrackFindsNoSegment)
{
    for (int selected : {-1, 3, 7}) {
        ThreeTracks data;
        data.timeline.m_selectedTrack = selected;
        // Below the last row the selection stays, so the lookup has no track.
        const PointerDecision decision = DecidePointer(At(400, 200, false, true), 0, data.timeline);
        EXPECT_EQ(decision.menu, PointerMenu::None) << selected;
        EXPECT_EQ(decision.state, 0) << selected;
        EXPECT_EQ(decision.seek, 2100) << selected;
        ApplyPointerDecision(decision, data.timeline);
        EXPECT_EQ(data.timeline.m_selectedTrack, selected);
        EXPECT_EQ(data.timeline.m_currentSegment, nullptr);
    }
}

TEST(PointerSampling, NoTracksNoSelectionChangeAndNoMenuOverTheTimeArea)
{
    ThreeTracks data;
    data.timeline.ReplaceTracks(TrackList());
    data.timeline.m_selectedTrack = 0;
    for (int y : {-3, 0, 1, 10, 100}) {
        const PointerDecision decision = DecidePointer(At(400, y, false, true), 0, data.timeline);
        EXPECT_EQ(decision.menu, PointerMenu::None);
        ApplyPointerDecision(decision, data.timeline);
        EXPECT_EQ(data.timeline.m_selectedTrack, 0) << y;
    }
}

TEST(PointerHitTest, RowsOfTwentyFivePixelsScrolledByTheTrackScroll)
{
    ThreeTracks data;
    CTimeline& timeline = data.timeline;
    const struct {
        int scroll, y;
        std::optional<int> row;
    } cases[] = {
        {0, 1, 0},   {0, 25, 0},  {0, 26, 1},  {0, 50, 1},  {0, 51, 2},  {0, 75, 2},
        {0, 76, {}}, {0, 243, {}}, {10, 16, 1}, {10, 15, 0}, {10, 65, 2}, {10, 66, {}},
        {60, 1, 2},  {60, 16, {}}, {0, 0, 0},
    };
    for (const auto& c : cases) {
        timeline.SetView(timeline.ViewStart(), timeline.ViewSpan(), c.scroll);
        EXPECT_EQ(timeline.TrackRowAt(c.y), c.row) << "scroll " << c.scroll << " y " << c.y;
        timeline.m_selectedTrack = 1;
        timeline.SelectTrackAt(400, c.y);
        EXPECT_EQ(timeline.m_selectedTrack, c.row.value_or(1)) << "scroll " << c.scroll << " y " << c.y;
    }
    timeline.ReplaceTracks(TrackList());
    timeline.SetView(timeline.ViewStart(), timeline.ViewSpan(), 0);
    timeline.m_selectedTrack = 4;
    for (int y : {0, 1, 26})
        timeline.SelectTrackAt(400, y);
    EXPECT_EQ(timeline.m_selectedTrack, 4) << "no tracks: the selection never changes";
}

TEST(PointerHitTest, TimeUnderXIsTheDrawingsInverse)
{
    ThreeTracks data;
    CTimeline& timeline = data.timeline;
    EXPECT_DOUBLE_EQ(timeline.TimeFromX(181, 10), 100.0 + 285.0 / 570.0);
    EXPECT_EQ(timeline.m_currentTime, 100.0 + 285.0 / 570.0);
    EXPECT_DOUBLE_EQ(timeline.TimeFromX(749, 10), 100.0 + 569.0 * 285.0 / 570.0);
    // Over the label column, its edge included, the time is left alone.
    timeline.m_currentTime = 150.0;
    for (int x : {180, 179, 1, 0, -20})
        EXPECT_EQ(timeline.TimeFromX(x, 10), 150.0) << x;
    // The width is right minus left, so a shifted rectangle maps the same.
    timeline.m_viewRect = {30, 0, 780, 244};
    EXPECT_DOUBLE_EQ(timeline.TimeFromX(300, 10), 160.0);
    // Exactly this order of operations: (x - 180) x span / (W - 180) + start.
    timeline.m_viewRect = {0, 0, 750, 244};
    timeline.SetView(-3, 7, timeline.TrackScroll());
    EXPECT_EQ(timeline.TimeFromX(200, 10), (200.0 - 180.0) * 7.0 / 570.0 + -3.0);
}

TEST(PointerHitTest, AreaNoWiderThanTheLabelColumnHasNoTimeInsteadOfDividingByZero)
{
    ThreeTracks data;
    CTimeline& timeline = data.timeline;
    for (int width : {180, 100, 0}) {
        timeline.m_viewRect = {0, 0, width, 244};
        timeline.m_currentTime = 150.0;
        EXPECT_EQ(timeline.TimeFromX(181, 10), 150.0) << width;
        EXPECT_EQ(timeline.TimeFromX(400, 10), 150.0) << width;
    }
}

TEST(PointerSeek, PlayerUnitsAreTheTimeTimesTenTruncatedTowardZero)
{
    EXPECT_EQ(PlayerTimeOf(123.45), 1234);
    EXPECT_EQ(PlayerTimeOf(100.5), 1005);
    EXPECT_EQ(PlayerTimeOf(-0.05), 0);
    EXPECT_EQ(PlayerTimeOf(-1.29), -12);
    // The tick reads player units x 0.1: seeking back to that time must not
    // move the video, or a press in the label column would creep it back.
    for (int32_t units = 0; units < 2000000; units += 7)
        ASSERT_EQ(PlayerTimeOf(units * 0.1), units);
    // Far outside the player's range: held at its ends, never undefined.
    EXPECT_EQ(PlayerTimeOf(1e12), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(PlayerTimeOf(-1e12), std::numeric_limits<int32_t>::min());
    EXPECT_EQ(PlayerTimeOf(std::numeric_limits<double>::quiet_NaN()), 0);
}
