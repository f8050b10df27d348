#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "TestTracks.h"
#include "Timeline.h"

namespace {

std::unique_ptr<Segment> Made(double start, double end, const std::string& comment = " ", int video = 0)
{
    return MakeSegment(start, end, " ", comment, video);
}

std::vector<std::string> Labels(const TrackList& list)
{
    std::vector<std::string> labels;
    for (const auto& t : list)
        labels.push_back(t->GetLabel());
    return labels;
}

} // namespace

TEST(Sample, NewTimelineHoldsOneSampleTrackAndSegment)
{
    CTimeline timeline;
    ASSERT_EQ(timeline.Tracks().GetCount(), 1);
    const Track* track = timeline.Tracks().GetTrack(0);
    EXPECT_EQ(track->GetLabel(), " ");
    ASSERT_EQ(track->GetSegments().size(), 1u);
    const Segment& s = *track->GetSegments().front();
    EXPECT_EQ(s.m_start, 1.0);
    EXPECT_EQ(s.m_end, 100.0);
    EXPECT_EQ(s.m_title, "PL");
    EXPECT_EQ(s.m_videoNumber, 0);
    EXPECT_EQ(s.m_comment,
              "Exemple de segment d'annotation. Vous pouvez créer d'autres segments d'annotation en utilisant "
              "les boutons ''['' et '']'' pour indiquer le début et la fin d'une annotation. Pour faire "
              "apparaître le menu contextuel, sélectionnez les segments avec un clic droit.");
    EXPECT_EQ(timeline.m_selectedTrack, 0);
    EXPECT_EQ(timeline.m_fontReady, 0);
    EXPECT_EQ(timeline.m_currentSegment, nullptr);
}

struct BoundsCase {
    double a, b, start, end;
};
class SetBoundsTest : public testing::TestWithParam<BoundsCase> {};

TEST_P(SetBoundsTest, OrdersAndWidensEmptyInterval)
{
    Segment s;
    s.SetBounds(GetParam().a, GetParam().b);
    EXPECT_EQ(s.m_start, GetParam().start);
    EXPECT_EQ(s.m_end, GetParam().end);
}

INSTANTIATE_TEST_SUITE_P(Bounds, SetBoundsTest,
                         testing::Values(BoundsCase{5.0, 5.0, 5.0, 6.0}, BoundsCase{7.0, 3.0, 3.0, 7.0},
                                         BoundsCase{3.0, 7.0, 3.0, 7.0}, BoundsCase{-2.0, -2.0, -2.0, -1.0}));

TEST(FindSegmentAt, InclusiveBoundsAndNothingAtOrBelowZero)
{
    CTimeline timeline;
    const Track* sample = timeline.Tracks().GetTrack(0);
    const Segment* only = sample->GetSegments().front();
    EXPECT_EQ(sample->FindSegmentAt(1.0), only);
    EXPECT_EQ(sample->FindSegmentAt(100.0), only);
    EXPECT_EQ(sample->FindSegmentAt(0.5), nullptr);
    EXPECT_EQ(sample->FindSegmentAt(100.01), nullptr);

    Track fromZero;
    fromZero.AppendSegment(Made(0.0, 5.0));
    EXPECT_EQ(fromZero.FindSegmentAt(0.0), nullptr);
    EXPECT_EQ(fromZero.FindSegmentAt(-1.0), nullptr);
    EXPECT_NE(fromZero.FindSegmentAt(0.01), nullptr);
}

TEST(FindSegmentAt, FirstInInsertionOrderWinsAndInvertedNeverMatches)
{
    Track track;
    track.AppendSegment(Made(500.0, 1.0)); // inverted, as a file may give
    track.AppendSegment(Made(1.0, 10.0));
    track.AppendSegment(Made(5.0, 20.0));
    const Segment* first = track.GetSegments()[1];
    EXPECT_EQ(track.FindSegmentAt(7.0), first);
    EXPECT_EQ(track.FindSegmentAt(15.0), track.GetSegments()[2]);
    EXPECT_EQ(track.FindSegmentAt(300.0), nullptr);
}

TEST(GetSegmentText, SeparatorFollowsEveryEntryInTrackOrder)
{
    CTimeline timeline;
    std::string text = "stale";
    timeline.m_currentTime = 50.0;
    timeline.GetSegmentText(text);
    EXPECT_EQ(text, std::string(CTimeline::kSampleComment) + "  |  ");

    CTimeline two;
    TrackList tracks;
    tracks.AppendTrack()->AppendSegment(Made(1.0, 10.0, "a"));
    Track* second = tracks.AppendTrack();
    second->AppendSegment(Made(2.0, 9.0, "b"));
    second->AppendSegment(Made(3.0, 4.0, " "));
    second->AppendSegment(Made(9.0, 2.0, "inverted"));
    two.ReplaceTracks(std::move(tracks));
    two.m_currentTime = 3.5;
    two.GetSegmentText(text);
    EXPECT_EQ(text, "a  |  b  |     |  ");

    two.m_currentTime = 50.0;
    two.GetSegmentText(text);
    EXPECT_EQ(text, "");
}

TEST(LookupsAtTimeZero, TextCountsZeroWhileSegmentLookupsDoNot)
{
    CTimeline timeline;
    TrackList tracks;
    tracks.AppendTrack()->AppendSegment(Made(0.0, 5.0, "zero", 9));
    timeline.ReplaceTracks(std::move(tracks));
    timeline.m_currentTime = 0.0;
    std::string text;
    timeline.GetSegmentText(text);
    EXPECT_EQ(text, "zero  |  ");
    EXPECT_EQ(timeline.UpdateCurrentSegment(), nullptr);
    EXPECT_EQ(timeline.GetCompanionVideoNumber(), 0);
}

struct VideoCase {
    std::vector<int> numbers; // one track each, a segment 1..10 with that number
    int selected;
    int expected;
};
class CompanionNumberTest : public testing::TestWithParam<VideoCase> {};

TEST_P(CompanionNumberTest, SelectedTrackWinsElseLastNumberedTrack)
{
    CTimeline timeline;
    TrackList tracks;
    for (int n : GetParam().numbers)
        tracks.AppendTrack()->AppendSegment(Made(1.0, 10.0, " ", n));
    timeline.ReplaceTracks(std::move(tracks));
    timeline.m_currentTime = 5.0;
    timeline.m_selectedTrack = GetParam().selected;
    EXPECT_EQ(timeline.GetCompanionVideoNumber(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Numbers, CompanionNumberTest,
                         testing::Values(VideoCase{{3, 0, 5}, 0, 3}, VideoCase{{3, 0, 5}, 1, 5},
                                         VideoCase{{3, 0, 5}, 2, 5}, VideoCase{{3, 4}, 0, 3},
                                         VideoCase{{3, 4}, 1, 4}, VideoCase{{3, 4}, 7, 4},
                                         VideoCase{{0, 0}, 0, 0}, VideoCase{{}, 0, 0}));

TEST(UpdateCurrentSegment, FollowsSelectedTrackAndClearsWhenNothingThere)
{
    CTimeline timeline;
    TrackList tracks;
    tracks.AppendTrack()->AppendSegment(Made(1.0, 10.0));
    tracks.AppendTrack()->AppendSegment(Made(20.0, 30.0));
    timeline.ReplaceTracks(std::move(tracks));
    const Segment* onSecond = timeline.Tracks().GetTrack(1)->GetSegments().front();

    timeline.m_selectedTrack = 1;
    timeline.m_currentTime = 5.0; // only the unselected track has a segment here
    EXPECT_EQ(timeline.UpdateCurrentSegment(), nullptr);
    timeline.m_currentTime = 25.0;
    EXPECT_EQ(timeline.UpdateCurrentSegment(), onSecond);
    EXPECT_EQ(timeline.m_currentSegment, onSecond);

    timeline.m_selectedTrack = 2; // names no track
    EXPECT_EQ(timeline.UpdateCurrentSegment(), nullptr);
    EXPECT_EQ(timeline.m_currentSegment, nullptr);
}

TEST(TrackList, MovesSwapNeighboursAndIgnoreEdgesAndOutOfRange)
{
    TrackList list;
    for (const char* name : {"A", "B", "C"})
        list.AppendTrack()->SetLabel(name);
    const Track* c = list.GetTrack(2);

    list.MoveTrackUp(2);
    EXPECT_EQ(Labels(list), (std::vector<std::string>{"A", "C", "B"}));
    EXPECT_EQ(list.GetTrack(1), c); // identity kept
    list.MoveTrackUp(2);
    list.MoveTrackDown(0);
    EXPECT_EQ(Labels(list), (std::vector<std::string>{"B", "A", "C"}));

    for (int p : {0, -1, 3, 100})
        list.MoveTrackUp(p);
    for (int p : {2, -1, 3, 100})
        list.MoveTrackDown(p);
    EXPECT_EQ(Labels(list), (std::vector<std::string>{"B", "A", "C"}));

    TrackList single;
    single.AppendTrack()->SetLabel("only");
    single.MoveTrackUp(0);
    single.MoveTrackDown(0);
    single.MoveTrackUp(1);
    EXPECT_EQ(Labels(single), (std::vector<std::string>{"only"}));
}

TEST(TrackList, RemoveAndGetOutsideTheListChangeNothing)
{
    TrackList list;
    list.RemoveTrack(0);
    EXPECT_EQ(list.GetCount(), 0);
    EXPECT_EQ(list.GetTrack(0), nullptr);

    Track* added = list.AppendTrack();
    EXPECT_EQ(added->GetLabel(), " ");
    EXPECT_TRUE(added->GetSegments().empty());
    list.AppendTrack();
    list.RemoveTrack(-1);
    list.RemoveTrack(2);
    EXPECT_EQ(list.GetCount(), 2);
    EXPECT_EQ(list.GetTrack(-1), nullptr);
    EXPECT_EQ(list.GetTrack(2), nullptr);
    list.RemoveTrack(0);
    EXPECT_EQ(list.GetCount(), 1);
    list.RemoveAll();
    EXPECT_EQ(list.GetCount(), 0);
}

TEST(TrackList, ALoadWithFewerTracksLeavesSelectionNamingNoTrack)
{
    CTimeline timeline;
    TrackList two;
    two.AppendTrack();
    two.AppendTrack();
    timeline.ReplaceTracks(std::move(two));
    timeline.m_selectedTrack = 1;
    TrackList one;
    one.AppendTrack();
    timeline.ReplaceTracks(std::move(one));
    EXPECT_EQ(timeline.m_selectedTrack, timeline.Tracks().GetCount());
    EXPECT_EQ(timeline.Tracks().GetTrack(timeline.m_selectedTrack), nullptr);
    timeline.m_currentTime = 50.0;
    EXPECT_EQ(timeline.UpdateCurrentSegment(), nullptr);
}

TEST(Track, RemoveSegmentByIdentityOnly)
{
    Track track;
    track.AppendSegment(Made(1.0, 2.0));
    track.AppendSegment(Made(1.0, 2.0));
    Segment stranger;
    stranger.SetBounds(1.0, 2.0);
    track.RemoveSegment(&stranger);
    track.RemoveSegment(nullptr);
    track.AppendSegment(nullptr);
    ASSERT_EQ(track.GetSegments().size(), 2u);

    const Segment* second = track.GetSegments()[1];
    track.RemoveSegment(track.GetSegments()[0]);
    ASSERT_EQ(track.GetSegments().size(), 1u);
    EXPECT_EQ(track.GetSegments()[0], second);
}

namespace {

struct RecordingRenderer : TimelineRenderer {
    std::vector<std::string>* calls;
    explicit RecordingRenderer(std::vector<std::string>* c) : calls(c) {}
    void InitFont() override { calls->push_back("font"); }
    void Draw() override { calls->push_back("draw"); }
};

} // namespace

TEST(Draw, BuildsFontOnceThenDrawsEveryTime)
{
    CTimeline timeline;
    timeline.Draw(); // no renderer: nothing to do, nothing to crash
    EXPECT_EQ(timeline.m_fontReady, 0);

    std::vector<std::string> calls;
    timeline.SetRenderer(std::make_unique<RecordingRenderer>(&calls));
    timeline.Draw();
    timeline.Draw();
    EXPECT_EQ(calls, (std::vector<std::string>{"font", "draw", "draw"}));
    EXPECT_EQ(timeline.m_fontReady, 1);
}
