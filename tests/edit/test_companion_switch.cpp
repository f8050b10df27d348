#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "CompanionPlayer.h"
#include "CompanionSwitch.h"
#include "PlayerError.h"
#include "TestTracks.h"
#include "Timeline.h"

namespace {

// Records every call in order; the movie it hands out is watched so that a
// test can tell whether the switch still held it during the load.
class RecordingPlayer : public CompanionPlayer {
public:
    CQTMoviePtr GetMovie() override
    {
        calls.push_back("GetMovie");
        if (failGetMovie)
            throw PlayerError("movie");
        auto movie = std::make_shared<CQTMovie>(nullptr);
        handedOut = movie;
        return movie;
    }
    void SetSource(const std::string& path) override
    {
        calls.push_back("SetSource(" + path + ")");
        movieHeldDuringLoad = !handedOut.expired();
        if (failSetSource)
            throw PlayerError("Impossible d'ouvrir la vidéo : " + path);
    }

    std::vector<std::string> calls;
    std::weak_ptr<CQTMovie> handedOut;
    bool movieHeldDuringLoad = false;
    bool failGetMovie = false;
    bool failSetSource = false;
};

// One track: [10, 20] video 1, [25, 30] no video, [35, 40] and [40.5, 45]
// both video 2, [50, 55] video -3.
class Switch : public testing::Test {
protected:
    void SetUp() override { m_timeline.ReplaceTracks(Tracks(false)); }

    // The track above, and when asked a second one: [10, 20] video 9.
    static TrackList Tracks(bool second)
    {
        TrackList tracks;
        Track* track = tracks.AppendTrack();
        const struct {
            double start, end;
            int video;
        } segments[] = {{10, 20, 1}, {25, 30, 0}, {35, 40, 2}, {40.5, 45, 2}, {50, 55, -3}};
        for (const auto& s : segments)
            track->AppendSegment(MakeSegment(s.start, s.end, " ", " ", s.video));
        if (second)
            tracks.AppendTrack()->AppendSegment(MakeSegment(10, 20, " ", " ", 9));
        return tracks;
    }

    // Moves the time and runs one tick of the switch; returns the calls it made.
    std::vector<std::string> TickAt(double time, bool closing = false)
    {
        m_timeline.m_currentTime = time;
        m_player.calls.clear();
        m_switch.Update(m_timeline, m_folder, closing);
        return m_player.calls;
    }

    using Calls = std::vector<std::string>;
    CTimeline m_timeline;
    RecordingPlayer m_player;
    std::string m_folder = "/media/annotations";
    int m_shownVideo = 0;
    CompanionSwitch m_switch{m_player, m_shownVideo};
};

} // namespace

TEST(CompanionPath, JoinsFolderNameAndNumberAsTheyStand)
{
    const struct {
        const char* folder;
        int number;
        const char* path;
    } rows[] = {
        {"/media/annotations", 1, "/media/annotations/annotation1.mov"},
        {"", 5, "/annotation5.mov"},
        {"/", 5, "//annotation5.mov"},
        {"/media/x/", 12, "/media/x//annotation12.mov"},
        {"rel", -3, "rel/annotation-3.mov"},
        {"/a", 2147483647, "/a/annotation2147483647.mov"},
        {"/a", -2147483647 - 1, "/a/annotation-2147483648.mov"},
        {"/vidéos/été 2024", 7, "/vidéos/été 2024/annotation7.mov"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(CompanionVideoPath(row.folder, row.number), row.path) << row.folder << " " << row.number;
}

TEST_F(Switch, NewNumberLoadsItsFileWithTheMovieHeldAcrossTheLoad)
{
    EXPECT_EQ(TickAt(15), (Calls{"GetMovie", "SetSource(/media/annotations/annotation1.mov)"}));
    EXPECT_EQ(m_shownVideo, 1);
    EXPECT_TRUE(m_player.movieHeldDuringLoad);
    EXPECT_TRUE(m_player.handedOut.expired());

    EXPECT_EQ(TickAt(52), (Calls{"GetMovie", "SetSource(/media/annotations/annotation-3.mov)"}));
    EXPECT_EQ(m_shownVideo, -3);
}

TEST_F(Switch, UnchangedNumberMakesNoCall)
{
    EXPECT_EQ(TickAt(0), Calls{}); // no segment: 0, as shown
    EXPECT_EQ(TickAt(27), Calls{}); // a segment without video: 0 as well
    EXPECT_EQ(TickAt(36).size(), 2u);
    EXPECT_EQ(TickAt(36), Calls{});
    EXPECT_EQ(TickAt(39), Calls{});
    EXPECT_EQ(TickAt(42), Calls{}); // the next segment with the same number
    EXPECT_EQ(m_shownVideo, 2);
}

TEST_F(Switch, LeavingNumberedSegmentsEmptiesThePlayerOnce)
{
    TickAt(15);
    EXPECT_EQ(TickAt(22), Calls{"SetSource()"});
    EXPECT_EQ(m_shownVideo, 0);
    EXPECT_EQ(TickAt(27), Calls{});
    EXPECT_EQ(TickAt(60), Calls{});
}

TEST_F(Switch, NewFolderDoesNotReloadButServesTheNextNumber)
{
    TickAt(15);
    m_folder = "/other";
    EXPECT_EQ(TickAt(16), Calls{});
    EXPECT_EQ(TickAt(36), (Calls{"GetMovie", "SetSource(/other/annotation2.mov)"}));
}

TEST_F(Switch, ClosingStopsTheSwitch)
{
    TickAt(15);
    EXPECT_EQ(TickAt(36, true), Calls{});
    EXPECT_EQ(TickAt(22, true), Calls{});
    EXPECT_EQ(m_shownVideo, 1);
}

TEST_F(Switch, FailedLoadKeepsTheNewNumberAndIsNotRetried)
{
    m_player.failSetSource = true;
    EXPECT_THROW(TickAt(15), PlayerError);
    EXPECT_EQ(m_shownVideo, 1);
    EXPECT_TRUE(m_player.handedOut.expired()); // released on the way out
    EXPECT_EQ(TickAt(16), Calls{});

    // A failure in fetching the movie ends the step before any load.
    m_player.failGetMovie = true;
    EXPECT_THROW(TickAt(36), PlayerError);
    EXPECT_EQ(m_player.calls, Calls{"GetMovie"});
    EXPECT_EQ(m_shownVideo, 2);
    EXPECT_EQ(TickAt(37), Calls{});

    m_player.failGetMovie = false;
    EXPECT_THROW(TickAt(22), PlayerError); // emptying fails as well
    EXPECT_EQ(m_shownVideo, 0);
    EXPECT_EQ(TickAt(23), Calls{});
}

TEST_F(Switch, SelectedTrackWinsOverTheLastNumberedOne)
{
    m_timeline.ReplaceTracks(Tracks(true));

    m_timeline.m_selectedTrack = 0;
    EXPECT_EQ(TickAt(15).back(), "SetSource(/media/annotations/annotation1.mov)");
    m_timeline.m_selectedTrack = 1;
    EXPECT_EQ(TickAt(15).back(), "SetSource(/media/annotations/annotation9.mov)");
    m_timeline.m_selectedTrack = 5; // no such track: the last numbered one
    EXPECT_EQ(TickAt(15), Calls{});
}
