// What the tick asks at each time (the comments under it, the companion's
// video, the current segment) must not depend on the times asked before:
// random annotations are walked in frame steps, jumps, backward steps and
// stops exactly on bounds, and every answer is compared with a search of
// every segment.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "SegmentsAtTime.h"
#include "TestTracks.h"
#include "Timeline.h"

namespace {

// Bounds on a coarse grid, so that steps land on them and segments touch,
// nest and overlap; some reversed, zero-length or negative.
TrackList RandomTracks(std::mt19937& random, int trackCount, int segmentsPerTrack)
{
    std::uniform_int_distribution<int> grid(-4, 80);
    std::uniform_int_distribution<int> length(-3, 12);
    std::uniform_int_distribution<int> video(0, 3);
    TrackList tracks;
    int serial = 0;
    for (int t = 0; t < trackCount; ++t) {
        Track* track = tracks.AppendTrack();
        for (int s = 0; s < segmentsPerTrack; ++s) {
            const double start = grid(random) * 0.5;
            const double end = start + length(random) * 0.5;
            track->AppendSegment(MakeSegment(start, end, " ", "c" + std::to_string(serial++), video(random)));
        }
    }
    return tracks;
}

std::vector<double> RandomWalk(std::mt19937& random, int steps)
{
    std::uniform_int_distribution<int> kind(0, 9);
    std::uniform_int_distribution<int> anywhere(-10, 170);
    std::vector<double> times;
    double t = 0.0;
    for (int i = 0; i < steps; ++i) {
        switch (kind(random)) {
        case 0: t = anywhere(random) * 0.25; break;             // a seek, often onto a bound
        case 1: t -= 0.04; break;                                // a frame back
        case 2: t = std::nextafter(t, HUGE_VAL); break;          // a hair past
        case 3: t = std::nan(""); break;                         // nothing comparable
        case 4: t = 0.0; break;
        default: t = (std::isnan(t) ? 0.0 : t) + 0.04; break;   // playing
        }
        times.push_back(t);
    }
    return times;
}

std::string ExpectedText(const CTimeline& timeline)
{
    std::string text;
    for (const Track* track : timeline.Tracks())
        for (const Segment* segment : track->GetSegments())
            if (segment->m_start <= timeline.m_currentTime && timeline.m_currentTime <= segment->m_end)
                text += segment->m_comment + "  |  ";
    return text;
}

int ExpectedVideo(const CTimeline& timeline)
{
    int result = 0;
    for (int position = 0; position < timeline.Tracks().GetCount(); ++position) {
        const Segment* segment = timeline.Tracks().GetTrack(position)->FindSegmentAt(timeline.m_currentTime);
        if (segment != nullptr && segment->m_videoNumber != 0) {
            result = segment->m_videoNumber;
            if (position == timeline.m_selectedTrack)
                break;
        }
    }
    return result;
}

} // namespace

TEST(SegmentsAtTime, EveryAnswerAlongAWalkIsTheFullSearchs)
{
    for (unsigned seed = 1; seed <= 12; ++seed) {
        SCOPED_TRACE(seed);
        std::mt19937 random(seed);
        EmptyTimeline timeline;
        timeline.ReplaceTracks(RandomTracks(random, 1 + seed % 5, static_cast<int>(seed * 3)));
        const auto times = RandomWalk(random, 600);
        for (std::size_t i = 0; i < times.size(); ++i) {
            // The annotations are replaced now and then mid-walk: whatever was
            // kept about the old ones must go with them.
            if (i % 150 == 149)
                timeline.ReplaceTracks(RandomTracks(random, 1 + (seed + i) % 4, 9));
            timeline.m_currentTime = times[i];
            timeline.m_selectedTrack = static_cast<int>(i % 6) - 1;
            SCOPED_TRACE(testing::Message() << "step " << i << " at " << times[i]);
            std::string text;
            timeline.GetSegmentText(text);
            ASSERT_EQ(text, ExpectedText(timeline));
            ASSERT_EQ(timeline.GetCompanionVideoNumber(), ExpectedVideo(timeline));
            const Track* selected = timeline.Tracks().GetTrack(timeline.m_selectedTrack);
            ASSERT_EQ(timeline.UpdateCurrentSegment(),
                      selected != nullptr ? selected->FindSegmentAt(times[i]) : nullptr);
        }
    }
}

TEST(SegmentsAtTime, TellsWhenAListChangedAndSearchesOnlyTracksWhoseBoundWasCrossed)
{
    TrackList tracks;
    tracks.AppendTrack()->AppendSegment(MakeSegment(1.0, 2.0));
    tracks.AppendTrack()->AppendSegment(MakeSegment(1.5, 9.0));
    SegmentsAtTime held;
    EXPECT_TRUE(held.Update(tracks, 1, 0.5));
    EXPECT_FALSE(held.Update(tracks, 1, 0.9)) << "no bound crossed";
    EXPECT_TRUE(held.Update(tracks, 1, 1.0)) << "onto a start";
    EXPECT_EQ(held.At(0).size(), 1u);
    EXPECT_FALSE(held.Update(tracks, 1, 1.2));
    EXPECT_TRUE(held.Update(tracks, 1, 1.6));
    EXPECT_EQ(held.At(1).size(), 1u);
    EXPECT_FALSE(held.Update(tracks, 1, 2.0)) << "an end is still inside";
    EXPECT_TRUE(held.Update(tracks, 1, 2.1));
    EXPECT_TRUE(held.At(0).empty());
    EXPECT_TRUE(held.Update(tracks, 2, 2.1)) << "a new revision keeps nothing";
    EXPECT_TRUE(held.At(5).empty());
    EXPECT_TRUE(held.At(-1).empty());
}
