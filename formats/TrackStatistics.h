#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class Track;
class TrackList;

// The figures of one track, in stored time units (tenths of a millisecond),
// each rounded to the unit; none where the track has too few segments.
struct TrackStatistics {
    int64_t count = 0;
    int64_t total = 0;   // sum of the durations
    int64_t covered = 0; // length of their union: overlaps counted once
    std::optional<int64_t> mean;
    std::optional<int64_t> standardDeviation; // sample, from 2 segments on
    std::optional<int64_t> minimum;
    std::optional<int64_t> median; // mean of the two middle ones for an even count
    std::optional<int64_t> maximum;
};

// A segment stored with its end before its start counts with duration 0
// and is named in `warnings`. Segments outside the video count as they are.
TrackStatistics ComputeTrackStatistics(const Track& track, int trackIndex, std::vector<std::string>& warnings);

// One row per track (TSV); `videoSeconds` gives each track's share of the
// video, left empty when the duration is unknown or not positive.
std::string WriteStatisticsTable(const TrackList& tracks, std::optional<double> videoSeconds,
                                 std::vector<std::string>& warnings);
