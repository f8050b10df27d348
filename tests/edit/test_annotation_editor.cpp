#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "AnnotationEditor.h"
#include "TestTracks.h"
#include "Timeline.h"

namespace {

// Three tracks A, B, C with no segments, track 0 selected.
class Editor : public testing::Test {
protected:
    void SetUp() override { SetTracks({}); }

    // Tracks A, B and C, A holding `onA`, as a file gives them.
    void SetTracks(std::vector<std::unique_ptr<Segment>> onA)
    {
        TrackList tracks;
        for (const char* label : {"A", "B", "C"})
            tracks.AppendTrack()->SetLabel(label);
        for (auto& segment : onA)
            tracks.GetTrack(0)->AppendSegment(std::move(segment));
        m_timeline.ReplaceTracks(std::move(tracks));
        m_timeline.m_selectedTrack = 0;
    }

    std::vector<std::string> Labels() const
    {
        std::vector<std::string> labels;
        for (const auto& track : m_timeline.Tracks())
            labels.push_back(track->GetLabel());
        return labels;
    }
    const auto Segments(int position) const { return m_timeline.Tracks().GetTrack(position)->GetSegments(); }

    // "[" at `from`, then "]" at `to`, on the selected track.
    const Segment* Cut(double from, double to)
    {
        m_timeline.m_currentTime = from;
        m_editor.MarkStart();
        m_timeline.m_currentTime = to;
        return m_editor.CutSegment(m_timeline.m_selectedTrack);
    }

    CTimeline m_timeline;
    AnnotationEditor m_editor{m_timeline};
};

using Labels = std::vector<std::string>;

TEST_F(Editor, MarksCutSegmentsFromTheMarkOnTheSelectedTrack)
{
    m_timeline.m_selectedTrack = 1;
    const uint64_t revision = m_timeline.Revision();
    m_timeline.m_currentTime = 12.5;
    m_editor.MarkStart();
    EXPECT_EQ(m_timeline.m_markStart, 12.5);
    EXPECT_EQ(m_timeline.Revision(), revision) << "a mark is no change to the annotations";

    // Two "]" after one "[": two segments with the same start, in order.
    m_timeline.m_currentTime = 20.0;
    const Segment* first = m_editor.CutSegment(1);
    m_timeline.m_currentTime = 31.0;
    const Segment* second = m_editor.CutSegment(1);
    ASSERT_EQ(Segments(1).size(), 2u);
    EXPECT_EQ(Segments(1)[0], first);
    EXPECT_EQ(Segments(1)[1], second);
    EXPECT_EQ(first->m_start, 12.5);
    EXPECT_EQ(first->m_end, 20.0);
    EXPECT_EQ(second->m_start, 12.5);
    EXPECT_EQ(second->m_end, 31.0);
    EXPECT_EQ(first->m_title, " ");
    EXPECT_EQ(first->m_comment, " ");
    EXPECT_EQ(first->m_videoNumber, 0);
    EXPECT_EQ(m_timeline.Revision(), revision + 2);
    EXPECT_TRUE(Segments(0).empty());
    EXPECT_TRUE(Segments(2).empty());
    EXPECT_EQ(m_timeline.m_currentSegment, nullptr) << "left to the next tick";

    // The video moved back before the mark: from the current time to the mark.
    m_timeline.m_currentTime = 4.0;
    const Segment* back = m_editor.CutSegment(1);
    EXPECT_EQ(back->m_start, 4.0);
    EXPECT_EQ(back->m_end, 12.5);

    // "]" right after "[": one time unit from the mark.
    const Segment* empty = Cut(7.0, 7.0);
    EXPECT_EQ(empty->m_start, 7.0);
    EXPECT_EQ(empty->m_end, 8.0);
}

TEST_F(Editor, BeforeAnyMarkTheMarkIsZero)
{
    m_timeline.m_currentTime = 9.0;
    const Segment* segment = m_editor.CutSegment(0);
    ASSERT_NE(segment, nullptr);
    EXPECT_EQ(segment->m_start, 0.0);
    EXPECT_EQ(segment->m_end, 9.0);
}

TEST_F(Editor, CutOnNoTrackDoesNothing)
{
    const uint64_t revision = m_timeline.Revision();
    EXPECT_EQ(m_editor.CutSegment(3), nullptr);
    EXPECT_EQ(m_editor.CutSegment(-1), nullptr);
    EXPECT_EQ(m_timeline.Revision(), revision);
    m_timeline.ReplaceTracks(TrackList());
    const uint64_t empty = m_timeline.Revision();
    EXPECT_EQ(m_editor.CutSegment(0), nullptr);
    EXPECT_EQ(m_timeline.Revision(), empty);
}

TEST_F(Editor, AddTrackAppendsABlankTrackAndKeepsTheSelection)
{
    m_timeline.m_selectedTrack = 1;
    const uint64_t revision = m_timeline.Revision();
    const Track* added = m_editor.AddTrack();
    EXPECT_EQ(m_timeline.Tracks().GetCount(), 4);
    EXPECT_EQ(m_timeline.Tracks().GetTrack(3), added);
    EXPECT_EQ(added->GetLabel(), " ");
    EXPECT_TRUE(added->GetSegments().empty());
    EXPECT_EQ(m_timeline.m_selectedTrack, 1);
    EXPECT_EQ(m_timeline.Revision(), revision + 1);
}

TEST_F(Editor, DeleteTrackRemovesTheIndexedTrackAndForgetsTheCurrentSegment)
{
    m_timeline.m_selectedTrack = 1;
    const Segment* segment = Cut(1.0, 5.0);
    m_timeline.m_currentSegment = segment;
    const uint64_t revision = m_timeline.Revision();
    m_editor.DeleteTrack(1);
    EXPECT_EQ(Labels(), (::Labels{"A", "C"}));
    EXPECT_EQ(m_timeline.m_currentSegment, nullptr);
    EXPECT_EQ(m_timeline.m_selectedTrack, 1) << "now names the track that followed";
    EXPECT_EQ(m_timeline.Revision(), revision + 1);

    // The last one, selected: the index then names no track.
    m_editor.DeleteTrack(1);
    EXPECT_EQ(Labels(), (::Labels{"A"}));
    EXPECT_EQ(m_timeline.Tracks().GetTrack(m_timeline.m_selectedTrack), nullptr);
    m_editor.DeleteTrack(1);
    EXPECT_EQ(Labels(), (::Labels{"A"}));
    EXPECT_EQ(m_timeline.Revision(), revision + 2);
    m_editor.DeleteTrack(0);
    m_editor.DeleteTrack(0);
    EXPECT_EQ(m_timeline.Tracks().GetCount(), 0);
    EXPECT_EQ(m_timeline.Revision(), revision + 3);
}

TEST_F(Editor, MovesSwapNeighboursAndNothingAtTheEnds)
{
    const uint64_t revision = m_timeline.Revision();
    m_editor.MoveTrackUp(0);
    m_editor.MoveTrackDown(2);
    m_editor.MoveTrackUp(3);
    m_editor.MoveTrackDown(-1);
    EXPECT_EQ(Labels(), (::Labels{"A", "B", "C"}));
    EXPECT_EQ(m_timeline.Revision(), revision);

    m_editor.MoveTrackUp(2);
    EXPECT_EQ(Labels(), (::Labels{"A", "C", "B"}));
    m_editor.MoveTrackUp(2);
    EXPECT_EQ(Labels(), (::Labels{"A", "B", "C"})) << "a second move puts them back";
    m_editor.MoveTrackDown(0);
    EXPECT_EQ(Labels(), (::Labels{"B", "A", "C"}));
    EXPECT_EQ(m_timeline.Revision(), revision + 3);

    m_editor.DeleteTrack(2);
    m_editor.DeleteTrack(1);
    const uint64_t single = m_timeline.Revision();
    m_editor.MoveTrackUp(0);
    m_editor.MoveTrackDown(0);
    EXPECT_EQ(Labels(), (::Labels{"B"}));
    EXPECT_EQ(m_timeline.Revision(), single);
}

TEST_F(Editor, LabelIsAChangeOnlyWhenItDiffers)
{
    const Track* track = m_timeline.Tracks().GetTrack(1);
    const uint64_t revision = m_timeline.Revision();
    EXPECT_TRUE(m_editor.SetTrackLabel(track, "B"));
    EXPECT_EQ(m_timeline.Revision(), revision);
    EXPECT_TRUE(m_editor.SetTrackLabel(track, "Gestes"));
    EXPECT_EQ(track->GetLabel(), "Gestes");
    EXPECT_EQ(m_timeline.Revision(), revision + 1);
}

TEST_F(Editor, DeleteSegmentRemovesOnlyFromTheSelectedTrack)
{
    const Segment* onA = Cut(1.0, 5.0);
    m_timeline.m_selectedTrack = 2;
    const Segment* onC = Cut(2.0, 6.0);
    const uint64_t revision = m_timeline.Revision();

    // The current segment is on another track than the selected one.
    m_timeline.m_currentSegment = onA;
    m_editor.DeleteSegment(2, m_timeline.m_currentSegment);
    EXPECT_EQ(Segments(0).size(), 1u);
    EXPECT_EQ(Segments(2).size(), 1u);
    EXPECT_EQ(m_timeline.m_currentSegment, nullptr);
    EXPECT_EQ(m_timeline.Revision(), revision);

    // No current segment: nothing removed, still none.
    m_editor.DeleteSegment(2, nullptr);
    EXPECT_EQ(Segments(2).size(), 1u);
    EXPECT_EQ(m_timeline.m_currentSegment, nullptr);

    m_timeline.m_currentSegment = onC;
    m_editor.DeleteSegment(2, m_timeline.m_currentSegment);
    EXPECT_TRUE(Segments(2).empty());
    EXPECT_EQ(m_timeline.m_currentSegment, nullptr);
    EXPECT_EQ(m_timeline.Revision(), revision + 1);

    // The index naming no track: nothing at all, the current segment kept.
    m_timeline.m_currentSegment = onA;
    m_editor.DeleteSegment(7, onA);
    EXPECT_EQ(Segments(0).size(), 1u);
    EXPECT_EQ(m_timeline.m_currentSegment, onA);
}

TEST_F(Editor, UpdateSegmentOrdersTheBoundsAndKeepsPlaceAndVideo)
{
    std::vector<std::unique_ptr<Segment>> onA;
    onA.push_back(MakeSegment(1.0, 5.0));
    onA.push_back(MakeSegment(2.0, 6.0, " ", " ", 4));
    SetTracks(std::move(onA));
    const Segment* first = Segments(0)[0];
    const Segment* second = Segments(0)[1];
    const uint64_t revision = m_timeline.Revision();

    EXPECT_TRUE(m_editor.UpdateSegment(second, {"Titre", "Un commentaire", 30.0, 10.0}));
    EXPECT_EQ(second->m_start, 10.0);
    EXPECT_EQ(second->m_end, 30.0);
    EXPECT_EQ(second->m_title, "Titre");
    EXPECT_EQ(second->m_comment, "Un commentaire");
    EXPECT_EQ(second->m_videoNumber, 4);
    EXPECT_EQ(Segments(0)[0], first) << "nothing is re-sorted";
    EXPECT_EQ(Segments(0)[1], second);
    EXPECT_EQ(m_timeline.Revision(), revision + 1);

    EXPECT_TRUE(m_editor.UpdateSegment(second, {"Titre", "Un commentaire", 12.0, 12.0}));
    EXPECT_EQ(second->m_start, 12.0);
    EXPECT_EQ(second->m_end, 13.0);

    // The same values again, even given the other way round, are no change.
    const uint64_t settled = m_timeline.Revision();
    EXPECT_TRUE(m_editor.UpdateSegment(second, {"Titre", "Un commentaire", 13.0, 12.0}));
    EXPECT_EQ(m_timeline.Revision(), settled);
}

TEST_F(Editor, BoundsReadTheWrongWayRoundAreOrderedAsAChange)
{
    std::vector<std::unique_ptr<Segment>> onA;
    onA.push_back(MakeSegment(9.0, 3.0)); // as a file may hold it
    SetTracks(std::move(onA));
    const Segment* segment = Segments(0)[0];
    const uint64_t revision = m_timeline.Revision();
    EXPECT_TRUE(m_editor.UpdateSegment(segment, {" ", " ", 9.0, 3.0}));
    EXPECT_EQ(segment->m_start, 3.0);
    EXPECT_EQ(segment->m_end, 9.0);
    EXPECT_EQ(m_timeline.Revision(), revision + 1);
}

// A command that waited on its dialog must not write into a track or a
// segment that went meanwhile.
TEST_F(Editor, WritesNothingIntoWhatIsGone)
{
    const Segment* segment = Cut(1.0, 5.0);
    const Track* track = m_timeline.Tracks().GetTrack(0);
    const Segment stranger;
    const Track loose;
    EXPECT_FALSE(m_editor.UpdateSegment(&stranger, {"x", "y", 1.0, 2.0}));
    EXPECT_FALSE(m_editor.SetTrackLabel(&loose, "x"));
    EXPECT_FALSE(m_editor.UpdateSegment(nullptr, {"x", "y", 1.0, 2.0}));
    EXPECT_FALSE(m_editor.SetTrackLabel(nullptr, "x"));

    const uint64_t revision = m_timeline.Revision();
    m_editor.DeleteTrack(0);
    EXPECT_FALSE(m_editor.HoldsSegment(segment));
    EXPECT_FALSE(m_editor.HoldsTrack(track));
    EXPECT_EQ(m_timeline.Revision(), revision + 1);
}

// Every way the program changes the annotations moves the revision that the
// drawing's cache, the still-frame skip and the unsaved-work check read.
TEST_F(Editor, EveryChangeMovesTheRevision)
{
    const std::string file = std::string(QUILL_TEST_DATA_DIR) + "/editor-revision.xml";
    ASSERT_TRUE(m_timeline.SaveFile(file));
    const std::vector<std::pair<std::string, std::function<void()>>> changes = {
        {"add a track", [&] { m_editor.AddTrack(); }},
        {"cut a segment", [&] { Cut(1.0, 5.0); }},
        {"edit a segment", [&] { m_editor.UpdateSegment(Segments(0)[0], {"t", "c", 2.0, 4.0}); }},
        {"label a track", [&] { m_editor.SetTrackLabel(m_timeline.Tracks().GetTrack(1), "Gestes"); }},
        {"move a track up", [&] { m_editor.MoveTrackUp(1); }},
        {"move a track down", [&] { m_editor.MoveTrackDown(0); }},
        {"delete a segment", [&] { m_editor.DeleteSegment(0, Segments(0)[0]); }},
        {"undo", [&] { m_editor.Undo(); }},
        {"redo", [&] { m_editor.Redo(); }},
        {"delete a track", [&] { m_editor.DeleteTrack(2); }},
        {"load a file", [&] { m_timeline.LoadFile(file); }},
        {"replace every track", [&] { m_timeline.ReplaceTracks(TrackList()); }},
    };
    for (const auto& [what, change] : changes) {
        const uint64_t before = m_timeline.Revision();
        change();
        EXPECT_GT(m_timeline.Revision(), before) << what;
    }
}

// Outside the editor the annotations are read, never changed in place: none
// of these compiles.
template <class Timeline>
constexpr bool kRelabels = requires(const Timeline& t) { t.Tracks().GetTrack(0)->SetLabel(std::string()); };
template <class Timeline>
constexpr bool kMovesBounds = requires(const Timeline& t) { t.Tracks().GetTrack(0)->GetSegments()[0]->m_start = 0.0; };
template <class Timeline>
constexpr bool kRetitlesTheCurrent = requires(Timeline& t) { t.m_currentSegment->m_title = std::string(); };
template <class Timeline>
constexpr bool kTakesTheTracks = requires(Timeline& t) { t.m_tracks.RemoveAll(); };
template <class Timeline>
constexpr bool kCountsBehindTheEditor = requires(Timeline& t) { t.NoteChange(); };
static_assert(!kRelabels<CTimeline> && !kMovesBounds<CTimeline> && !kRetitlesTheCurrent<CTimeline> &&
              !kTakesTheTracks<CTimeline> && !kCountsBehindTheEditor<CTimeline>);
static_assert(!std::is_default_constructible_v<AnnotationKey>, "only the editor makes a key");

} // namespace
