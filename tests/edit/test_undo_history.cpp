#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include <malloc.h>

#include "AnnotationEditor.h"
#include "FileContents.h"
#include "TestTracks.h"
#include "Timeline.h"

namespace fs = std::filesystem;

namespace {

// Everything a change may touch, identities included: undo must bring back
// the very objects, in their places, with every field bit for bit.
struct SegmentState {
    const Segment* identity;
    std::string title;
    std::string comment;
    int32_t video;
    uint64_t start;
    uint64_t end;
    bool operator==(const SegmentState&) const = default;
};
struct TrackState {
    const Track* identity;
    std::string label;
    std::vector<SegmentState> segments;
    bool operator==(const TrackState&) const = default;
};
using State = std::vector<TrackState>;

State Capture(const CTimeline& timeline)
{
    State state;
    for (const auto& track : timeline.Tracks()) {
        TrackState row{track, track->GetLabel(), {}};
        for (const auto& s : track->GetSegments())
            row.segments.push_back({s, s->m_title, s->m_comment, s->m_videoNumber,
                                    std::bit_cast<uint64_t>(s->m_start), std::bit_cast<uint64_t>(s->m_end)});
        state.push_back(std::move(row));
    }
    return state;
}

// Tracks A, B, C, each with two segments, A selected; the history is clean.
class Undo : public testing::Test {
protected:
    void SetUp() override
    {
        TrackList tracks;
        for (const char* label : {"A", "B", "C"}) {
            Track* track = tracks.AppendTrack();
            track->SetLabel(label);
            for (double start : {10.0, 30.0})
                track->AppendSegment(MakeSegment(start, start + 5.0, std::string(label) + std::to_string(int(start))));
        }
        m_timeline.ReplaceTracks(std::move(tracks));
        m_timeline.m_selectedTrack = 0;
    }

    const Track* TrackAt(int position) const { return m_timeline.Tracks().GetTrack(position); }
    const Segment* SegmentAt(int track, int index) const { return TrackAt(track)->GetSegments()[index]; }

    // The change, then undo gives back the state before it and redo the one
    // after it, twice over.
    template <class Change>
    void ExpectUndoable(const char* what, Change&& change)
    {
        SCOPED_TRACE(what);
        const State before = Capture(m_timeline);
        const int index = m_editor.History().index();
        change();
        const State after = Capture(m_timeline);
        ASSERT_NE(after, before) << "the change changed nothing";
        ASSERT_EQ(m_editor.History().index(), index + 1) << "one step of the history per change";
        EXPECT_TRUE(m_editor.IsModified());
        for (int round = 0; round < 2; ++round) {
            const uint64_t revision = m_timeline.Revision();
            m_editor.Undo();
            EXPECT_EQ(Capture(m_timeline), before);
            EXPECT_GT(m_timeline.Revision(), revision) << "the drawing must learn of an undo";
            m_editor.Redo();
            EXPECT_EQ(Capture(m_timeline), after);
        }
    }

    CTimeline m_timeline;
    AnnotationEditor m_editor{m_timeline};
};

TEST_F(Undo, EveryCommandIsUndoneAndRedoneExactly)
{
    ExpectUndoable("]", [&] {
        m_timeline.m_currentTime = 50.0;
        m_editor.MarkStart();
        m_timeline.m_currentTime = 42.0;
        m_editor.CutSegment(1);
    });
    ExpectUndoable("segment Modifier", [&] {
        m_editor.UpdateSegment(SegmentAt(1, 0), {"Titre", "Commentaire é", 99.0, 3.5});
    });
    ExpectUndoable("segment Supprimer, first of its track", [&] { m_editor.DeleteSegment(2, SegmentAt(2, 0)); });
    ExpectUndoable("track Ajouter", [&] { m_editor.AddTrack(); });
    ExpectUndoable("track Supprimer, in the middle", [&] { m_editor.DeleteTrack(1); });
    ExpectUndoable("track Modifier", [&] { m_editor.SetTrackLabel(TrackAt(0), "Gestes"); });
    ExpectUndoable("track Monter", [&] { m_editor.MoveTrackUp(2); });
    ExpectUndoable("track Descendre", [&] { m_editor.MoveTrackDown(0); });
    EXPECT_EQ(m_editor.History().undoText(), QString("Descendre la piste"));
}

TEST_F(Undo, BoundsReadReversedComeBackReversed)
{
    TrackList tracks;
    tracks.AppendTrack()->AppendSegment(MakeSegment(9.0, 3.0)); // as a file may hold them
    m_timeline.ReplaceTracks(std::move(tracks));
    m_editor.ForgetHistory();
    const Segment* segment = SegmentAt(0, 0);
    ExpectUndoable("segment Modifier", [&] { m_editor.UpdateSegment(segment, {" ", " ", 9.0, 3.0}); });
    m_editor.Undo();
    EXPECT_EQ(segment->m_start, 9.0);
    EXPECT_EQ(segment->m_end, 3.0);
}

TEST_F(Undo, SeveralInARowThenANewChangeDropsTheRedo)
{
    const State start = Capture(m_timeline);
    m_editor.AddTrack();
    m_editor.DeleteTrack(0);
    m_editor.MoveTrackDown(0);
    const State three = Capture(m_timeline);
    m_editor.Undo();
    m_editor.Undo();
    m_editor.Undo();
    EXPECT_EQ(Capture(m_timeline), start);
    EXPECT_FALSE(m_editor.History().canUndo());
    m_editor.Undo(); // nothing left: nothing happens
    EXPECT_EQ(Capture(m_timeline), start);
    m_editor.Redo();
    m_editor.Redo();
    m_editor.Redo();
    EXPECT_EQ(Capture(m_timeline), three);

    m_editor.Undo();
    m_editor.Undo();
    const State one = Capture(m_timeline);
    m_editor.SetTrackLabel(TrackAt(0), "Nouveau");
    EXPECT_FALSE(m_editor.History().canRedo());
    m_editor.Redo();
    EXPECT_EQ(TrackAt(0)->GetLabel(), "Nouveau");
    m_editor.Undo();
    EXPECT_EQ(Capture(m_timeline), one);
}

TEST_F(Undo, SteppingPastTheSavedStateShowsUnsavedWork)
{
    EXPECT_FALSE(m_editor.IsModified());
    m_editor.AddTrack();
    m_editor.MarkSaved();
    EXPECT_FALSE(m_editor.IsModified());
    m_editor.Undo();
    EXPECT_TRUE(m_editor.IsModified());
    m_editor.Redo();
    EXPECT_FALSE(m_editor.IsModified());

    // A change made after undoing past the save loses the way back to it.
    m_editor.Undo();
    m_editor.MoveTrackUp(1);
    m_editor.Undo();
    EXPECT_TRUE(m_editor.IsModified());

    // No-op steps are no change and leave the saved state.
    m_editor.MarkSaved();
    const int index = m_editor.History().index();
    m_editor.MoveTrackUp(0);
    m_editor.MoveTrackDown(2);
    m_editor.DeleteTrack(7);
    m_editor.DeleteSegment(0, nullptr);
    m_editor.SetTrackLabel(TrackAt(0), TrackAt(0)->GetLabel());
    m_editor.UpdateSegment(SegmentAt(0, 0), {SegmentAt(0, 0)->m_title, " ", 10.0, 15.0});
    EXPECT_FALSE(m_editor.IsModified());
    EXPECT_EQ(m_editor.History().index(), index);

    m_editor.AddTrack();
    m_editor.ForgetHistory();
    EXPECT_FALSE(m_editor.IsModified());
    EXPECT_FALSE(m_editor.History().canUndo());
}

// Imported annotations come from no saved file: unsaved with nothing to
// undo, whatever the steps after, until a save or a load.
TEST_F(Undo, ImportedAnnotationsStayUnsavedUntilSavedOrLoaded)
{
    std::vector<bool> told;
    QObject::connect(&m_editor.History(), &QUndoStack::cleanChanged, [&](bool clean) { told.push_back(clean); });
    const auto import = [this] {
        m_timeline.ReplaceTracks(TrackList());
        m_editor.MarkUnsaved();
    };
    import();
    EXPECT_TRUE(m_editor.IsModified());
    EXPECT_FALSE(m_editor.History().canUndo());
    EXPECT_EQ(told, std::vector<bool>{false}) << "the caption learns of it";

    m_editor.AddTrack();
    m_editor.Undo();
    EXPECT_TRUE(m_editor.IsModified()) << "undoing to the import is no way back to a saved state";
    m_editor.MarkSaved();
    EXPECT_FALSE(m_editor.IsModified());

    import();
    EXPECT_TRUE(m_editor.IsModified()) << "a second import after a save";
    m_timeline.ReplaceTracks(TrackList());
    EXPECT_FALSE(m_editor.IsModified()) << "a load that follows an import is saved work";
    EXPECT_FALSE(m_editor.History().canUndo());
}

// Nothing may point at a segment that is out of the lists: the drawing and
// the segment commands would use it.
TEST_F(Undo, TakingOutForgetsTheCurrentSegmentThatWasInIt)
{
    m_timeline.m_currentTime = 40.0;
    m_editor.MarkStart();
    const Segment* cut = m_editor.CutSegment(0);
    m_timeline.m_currentSegment = cut;
    m_editor.Undo();
    EXPECT_EQ(m_timeline.m_currentSegment, nullptr);
    m_editor.Redo();

    // An undo that takes out something else leaves it.
    m_timeline.m_currentSegment = SegmentAt(1, 0);
    m_editor.Undo();
    EXPECT_EQ(m_timeline.m_currentSegment, SegmentAt(1, 0));

    // Redo of a deletion.
    const Segment* doomed = SegmentAt(1, 1);
    m_timeline.m_currentSegment = doomed;
    m_editor.DeleteSegment(1, doomed);
    m_editor.Undo();
    m_timeline.m_currentSegment = doomed;
    m_editor.Redo();
    EXPECT_EQ(m_timeline.m_currentSegment, nullptr);

    // A track taken out with its segments, by redo and by undo.
    m_editor.DeleteTrack(2);
    m_editor.Undo();
    m_timeline.m_currentSegment = SegmentAt(2, 1);
    m_editor.Redo();
    EXPECT_EQ(m_timeline.m_currentSegment, nullptr);
    m_editor.Undo();
    EXPECT_EQ(m_timeline.Tracks().GetCount(), 3);
}

TEST_F(Undo, ACommandWaitingOnItsDialogWritesNothingIntoWhatWasUndone)
{
    const Track* added = m_editor.AddTrack();
    const Segment* segment = SegmentAt(0, 0);
    m_editor.DeleteSegment(0, segment);
    m_editor.Undo();
    m_editor.Undo();
    // The dialogs' commands check that their track or segment is still shown.
    EXPECT_FALSE(m_editor.SetTrackLabel(added, "x"));
    m_editor.Redo();
    m_editor.Redo();
    EXPECT_FALSE(m_editor.UpdateSegment(segment, {"x", "y", 1.0, 2.0}));
    EXPECT_FALSE(m_editor.History().canRedo());
}

// Random commands, undos and redos over a generated timeline: each step of the
// history shows what it showed when it was first reached, and undoing
// everything saves the file that was loaded, byte for byte.
TEST(UndoProperty, RandomCommandsThenUndoToTheStartGiveTheOriginalFile)
{
    const fs::path dir = fs::path(QUILL_TEST_DATA_DIR) / "undo-property";
    fs::remove_all(dir);
    fs::create_directories(dir);
    const std::vector<std::string> texts = {" ", "", "Geste", "Élève — <main> & \"pied\" 'x'", "a\nb\tc",
                                            std::string(300, 'z'), "\xE2\x82\xAC 12,5"};

    for (unsigned seed : {1u, 2u, 3u}) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 random(seed);
        const auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
        const auto time = [&] { return pick(-200, 20000) / 7.0; };
        const auto text = [&] { return texts[static_cast<std::size_t>(pick(0, int(texts.size()) - 1))]; };

        CTimeline timeline;
        TrackList tracks;
        for (int t = pick(2, 5); t > 0; --t) {
            Track* track = tracks.AppendTrack();
            track->SetLabel(text());
            for (int s = pick(0, 6); s > 0; --s) {
                auto segment = std::make_unique<Segment>();
                segment->SetTitle(text());
                segment->SetComment(text());
                segment->m_start = time(); // unordered, as a file may hold them
                segment->m_end = time();
                segment->m_videoNumber = pick(0, 9);
                track->AppendSegment(std::move(segment));
            }
        }
        timeline.ReplaceTracks(std::move(tracks));
        const fs::path original = dir / "original.xml";
        ASSERT_TRUE(timeline.SaveFile(original.string()));
        AnnotationEditor editor(timeline);

        const auto randomSegment = [&]() -> const Segment* {
            const Track* track = timeline.Tracks().GetTrack(pick(0, timeline.Tracks().GetCount()));
            if (track == nullptr || track->GetSegments().empty())
                return nullptr;
            return track->GetSegments()[static_cast<std::size_t>(pick(0, int(track->GetSegments().size()) - 1))];
        };

        std::vector<State> shown = {Capture(timeline)};
        for (int step = 0; step < 1000; ++step) {
            // What the tick does between commands.
            timeline.m_selectedTrack = pick(0, timeline.Tracks().GetCount());
            timeline.m_currentTime = time();
            timeline.UpdateCurrentSegment();

            const int before = editor.History().index();
            const int count = timeline.Tracks().GetCount();
            bool historyStep = false;
            switch (pick(0, 11)) {
            case 0: editor.AddTrack(); break;
            case 1: editor.DeleteTrack(pick(-1, count)); break;
            case 2: editor.MoveTrackUp(pick(-1, count)); break;
            case 3: editor.MoveTrackDown(pick(-1, count)); break;
            case 4: editor.SetTrackLabel(timeline.Tracks().GetTrack(pick(0, count)), text()); break;
            case 5:
                if (pick(0, 2) == 0)
                    editor.MarkStart();
                editor.CutSegment(timeline.m_selectedTrack);
                break;
            case 6: editor.DeleteSegment(timeline.m_selectedTrack, timeline.m_currentSegment); break;
            case 7: editor.DeleteSegment(pick(0, count), randomSegment()); break;
            case 8: {
                const Segment* segment = randomSegment();
                SegmentFields fields{text(), text(), time(), time()};
                if (segment != nullptr && pick(0, 3) == 0)
                    fields = {segment->m_title, segment->m_comment, segment->m_start, segment->m_end};
                editor.UpdateSegment(segment, fields);
                break;
            }
            case 9:
            case 10:
                editor.Undo();
                historyStep = true;
                break;
            default:
                editor.Redo();
                historyStep = true;
            }

            ASSERT_TRUE(timeline.m_currentSegment == nullptr || editor.HoldsSegment(timeline.m_currentSegment))
                << "step " << step;
            const int index = editor.History().index();
            if (!historyStep && index != before) {
                ASSERT_EQ(index, before + 1) << "step " << step;
                shown.resize(static_cast<std::size_t>(index));
                shown.push_back(Capture(timeline));
                continue;
            }
            ASSERT_EQ(Capture(timeline), shown[static_cast<std::size_t>(index)]) << "step " << step;
        }

        while (editor.History().canUndo())
            editor.Undo();
        const fs::path after = dir / "after.xml";
        ASSERT_TRUE(timeline.SaveFile(after.string()));
        EXPECT_EQ(ReadFileContents(after), ReadFileContents(original));
        EXPECT_FALSE(editor.IsModified());
    }
}

#if !defined(QUILL_SANITIZED_BUILD)
// The history keeps every "]" of a long session: what it costs on top of the
// segments themselves, reported for the record and bounded so that a history
// that copied the annotations per change would fail here.
TEST(UndoMemory, TenThousandCutsCostLittleBeyondTheirSegments)
{
    constexpr int kCuts = 10000;
    const auto heap = [] { return static_cast<long long>(mallinfo2().uordblks); };

    Track plain;
    const long long plainStart = heap();
    for (int i = 0; i < kCuts; ++i) {
        auto segment = std::make_unique<Segment>();
        segment->SetBounds(i, i + 0.5);
        plain.AppendSegment(std::move(segment));
    }
    const long long segmentsOnly = heap() - plainStart;

    CTimeline timeline;
    AnnotationEditor editor(timeline);
    const long long start = heap();
    for (int i = 0; i < kCuts; ++i) {
        timeline.m_currentTime = i + 0.5;
        editor.CutSegment(0);
        timeline.m_markStart = timeline.m_currentTime;
    }
    const long long withHistory = heap() - start;
    const long long history = withHistory - segmentsOnly;
    std::printf("[ memory ] %d cuts: segments %lld bytes, with the undo history %lld bytes; history %lld bytes "
                "(%lld per command)\n",
                kCuts, segmentsOnly, withHistory, history, history / kCuts);
    EXPECT_EQ(editor.History().count(), kCuts);
    EXPECT_LT(history, 1024LL * kCuts);
}
#endif

} // namespace
