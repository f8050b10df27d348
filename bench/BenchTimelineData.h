#pragma once

#include <functional>
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

// `tracks` tracks labelled by `label`, each with `perTrack` segments made by
// `make(track, segment)`: the annotations every benchmark builds its own way.
inline TrackList MakeTracks(int tracks, int perTrack, const std::function<std::string(int)>& label,
                            const std::function<std::unique_ptr<Segment>(int, int)>& make)
{
    TrackList list;
    for (int t = 0; t < tracks; ++t) {
        Track* track = list.AppendTrack();
        track->SetLabel(label(t));
        for (int s = 0; s < perTrack; ++s)
            track->AppendSegment(make(t, s));
    }
    return list;
}

// A segment from `start`, `length` long, titled.
inline std::unique_ptr<Segment> MakeSegment(double start, double length, const std::string& title)
{
    auto segment = std::make_unique<Segment>();
    segment->SetBounds(start, start + length);
    segment->SetTitle(title);
    return segment;
}

inline void Fill(CTimeline& timeline)
{
    timeline.ReplaceTracks(MakeTracks(
        kTracks, kSegmentsPerTrack, [](int t) { return "Piste " + std::to_string(t); },
        [](int t, int s) { return MakeSegment(s * kPitch + t * 0.1, 8.0, "S\xC3\xA9quence " + std::to_string(s)); }));
    timeline.m_selectedTrack = 3;
    timeline.SetView(timeline.ViewStart(), timeline.ViewSpan(), 0);
}

} // namespace BenchTimelineData
