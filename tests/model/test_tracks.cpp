#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Timeline.h"

namespace {

std::unique_ptr<Segment> MakeSegment(double start, double end, const std::string& comment = " ", int video = 0)
{
    auto s = std::make_unique<Segment>();
    s->m_start = start;
    s->m_end = end;
    s->m_comment = comment;
    s->m_videoNumber = video;
    return s;
}

// A timeline with no tracks, for tests that build their own.
struct EmptyTimeline : CTimeline {
    EmptyTimeline() { m_tracks.RemoveAll(); }
};

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
    ASSERT_EQ(timeline.m_tracks.GetCount(), 1);
    const Track* track = timeline.m_tracks.GetTrack(0);
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
    Track* sample = timeline.m_tracks.GetTrack(0);
    const Segment* only = sample->GetSegments().front().get();
    EXPECT_EQ(sample->FindSegmentAt(1.0), only);
    EXPECT_EQ(sample->FindSegmentAt(100.0), only);
    EXPECT_EQ(sample->FindSegmentAt(0.5), nullptr);
    EXPECT_EQ(sample->FindSegmentAt(100.01), nullptr);

    Track fromZero;
    fromZero.AppendSegment(MakeSegment(0.0, 5.0));
    EXPECT_EQ(fromZero.FindSegmentAt(0.0), nullptr);
    EXPECT_EQ(fromZero.FindSegmentAt(-1.0), nullptr);
    EXPECT_NE(fromZero.FindSegmentAt(0.01), nullptr);
}

TEST(FindSegmentAt, FirstInInsertionOrderWinsAndInvertedNeverMatches)
{
    Track track;
    track.AppendSegment(MakeSegment(500.0, 1.0)); // inverted, as a file may give
    track.AppendSegment(MakeSegment(1.0, 10.0));
    track.AppendSegment(MakeSegment(5.0, 20.0));
    const Segment* first = track.GetSegments()[1].get();
    EXPECT_EQ(track.FindSegmentAt(7.0), first);
    EXPECT_EQ(track.FindSegmentAt(15.0), track.GetSegments()[2].get());
    EXPECT_EQ(track.FindSegmentAt(300.0), nullptr);
}

TEST(GetSegmentText, SeparatorFollowsEveryEntryInTrackOrder)
{
    CTimeline timeline;
    std::string text = "stale";
    timeline.m_currentTime = 50.0;
    timeline.GetSegmentText(text);
    EXPECT_EQ(text, std::string(CTimeline::kSampleComment) + "  |  ");

    EmptyTimeline two;
    two.m_tracks.AppendTrack()->AppendSegment(MakeSegment(1.0, 10.0, "a"));
    Track* second = two.m_tracks.AppendTrack();
    second->AppendSegment(MakeSegment(2.0, 9.0, "b"));
    second->AppendSegment(MakeSegment(3.0, 4.0, " "));
    second->AppendSegment(MakeSegment(9.0, 2.0, "inverted"));
    two.m_currentTime = 3.5;
    two.GetSegmentText(text);
    EXPECT_EQ(text, "a  |  b  |     |  ");

    two.m_currentTime = 50.0;
    two.GetSegmentText(text);
    EXPECT_EQ(text, "");
}

TEST(LookupsAtTimeZero, TextCountsZeroWhileSegmentLookupsDoNot)
{
    EmptyTimeline timeline;
    timeline.m_tracks.AppendTrack()->AppendSegment(MakeSegment(0.0, 5.0, "zero", 9));
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
    EmptyTimeline timeline;
    for (int n : GetParam().numbers)
        timeline.m_tracks.AppendTrack()->AppendSegment(MakeSegment(1.0, 10.0, " ", n));
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
    EmptyTimeline timeline;
    timeline.m_tracks.AppendTrack()->AppendSegment(MakeSegment(1.0, 10.0));
    timeline.m_tracks.AppendTrack()->AppendSegment(MakeSegment(20.0, 30.0));
    const Segment* onSecond = timeline.m_tracks.GetTrack(1)->GetSegments().front().get();

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

TEST(TrackList, RemovingSelectedLastTrackLeavesSelectionNamingNoTrack)
{
    CTimeline timeline;
    timeline.m_tracks.AppendTrack();
    timeline.m_selectedTrack = 1;
    timeline.m_tracks.RemoveTrack(timeline.m_selectedTrack);
    EXPECT_EQ(timeline.m_selectedTrack, timeline.m_tracks.GetCount());
    EXPECT_EQ(timeline.m_tracks.GetTrack(timeline.m_selectedTrack), nullptr);
    timeline.m_currentTime = 50.0;
    EXPECT_EQ(timeline.UpdateCurrentSegment(), nullptr);
}

TEST(Track, RemoveSegmentByIdentityOnly)
{
    Track track;
    track.AppendSegment(MakeSegment(1.0, 2.0));
    track.AppendSegment(MakeSegment(1.0, 2.0));
    Segment stranger;
    stranger.SetBounds(1.0, 2.0);
    track.RemoveSegment(&stranger);
    track.RemoveSegment(nullptr);
    track.AppendSegment(nullptr);
    ASSERT_EQ(track.GetSegments().size(), 2u);

    const Segment* second = track.GetSegments()[1].get();
    track.RemoveSegment(track.GetSegments()[0].get());
    ASSERT_EQ(track.GetSegments().size(), 1u);
    EXPECT_EQ(track.GetSegments()[0].get(), second);
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
