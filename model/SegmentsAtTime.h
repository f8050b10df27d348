#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

class Segment;
class Track;
class TrackList;

// The segments of each track whose inclusive bounds hold a time, kept from
// one call to the next. While a video plays the time moves a frame at a time
// and a track holds the same segments until the time crosses one of its
// bounds, so only the tracks whose nearest bound was crossed are searched
// again, and a track searched more than once in a revision is indexed by
// time: with thousands of segments a track, the tick no longer reads every
// segment of every track.
//
// Everything kept points into the tracks; it is dropped as soon as the
// revision differs from the one it was found at, and never read before.
class SegmentsAtTime {
public:
    // Brings each track's list to time `t`; true when any list changed.
    bool Update(const TrackList& tracks, uint64_t revision, double t);
    // The segments of the track at `position` holding the time, in track
    // order; empty outside the list.
    const std::vector<const Segment*>& At(int position) const;

private:
    // A track's segments by start, with the latest end below each node of a
    // tree over them, and every bound in order: which segments hold a time
    // and which bounds are nearest it, without reading the others.
    struct Index {
        std::vector<std::size_t> byStart;  // positions in the track
        std::vector<double> starts;        // their starts, in that order
        std::vector<double> latestEnd;     // the tree, leaves from `leaves` on
        std::vector<double> bounds;        // sorted
        std::size_t leaves = 0;

        explicit Index(const Track& track);
        void Collect(std::size_t node, std::size_t first, std::size_t count, std::size_t within, double t,
                     std::vector<std::size_t>& positions) const;
    };

    // Which times give the same list: the open interval between the nearest
    // bounds either side of the time searched at, or that time alone when it
    // falls on a bound (or cannot be compared with one).
    struct Held {
        std::vector<const Segment*> segments;
        double low = 0.0;
        double high = 0.0;
        bool onBound = true;
        int searches = 0;
        std::optional<Index> index; // made at the second search

        bool Holds(double t) const;
    };

    // Searches the track at `t`; true when its list changed.
    static bool Search(const Track& track, double t, Held& held);
    static void ScanAll(const Track& track, double t, Held& held, std::vector<const Segment*>& found);
    static void LookUp(const Track& track, double t, Held& held, std::vector<const Segment*>& found);

    std::vector<Held> m_tracks;
    uint64_t m_revision = 0;
};
