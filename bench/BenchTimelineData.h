#pragma once

#include <memory>
#include <string>

#include "Timeline.h"

// The annotations the drawing and tick benchmarks share: 100 tracks of 1,000
// titled segments, 8 units long every 10 units, each track a little later
// than the one above; track 3 selected.
namespace BenchTimelineData {

constexpr int kTracks = 100;
constexpr int kSegmentsPerTrack = 1000;
constexpr double kPitch = 10.0;
constexpr int kRange = static_cast<int>(kSegmentsPerTrack * kPitch);

inline void Fill(CTimeline& timeline)
{
    TrackList tracks;
    for (int t = 0; t < kTracks; ++t) {
        Track* track = tracks.AppendTrack();
        track->SetLabel("Piste " + std::to_string(t));
        for (int s = 0; s < kSegmentsPerTrack; ++s) {
            auto segment = std::make_unique<Segment>();
            const double start = s * kPitch + t * 0.1;
            segment->SetBounds(start, start + 8.0);
            segment->SetTitle("S\xC3\xA9quence " + std::to_string(s));
            track->AppendSegment(std::move(segment));
        }
    }
    timeline.ReplaceTracks(std::move(tracks));
    timeline.m_selectedTrack = 3;
    timeline.SetView(timeline.ViewStart(), timeline.ViewSpan(), 0);
}

} // namespace BenchTimelineData
