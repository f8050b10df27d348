#include "SegmentsAtTime.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <numeric>

#include "Segment.h"
#include "Track.h"
#include "TrackList.h"

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

// A segment with a bound that compares with nothing holds no time.
bool Comparable(const Segment& segment)
{
    return !std::isnan(segment.m_start) && !std::isnan(segment.m_end);
}

} // namespace

SegmentsAtTime::Index::Index(const Track& track)
{
    const auto segments = track.GetSegments();
    for (std::size_t position = 0; position < segments.size(); ++position) {
        if (!Comparable(*segments[position]))
            continue;
        byStart.push_back(position);
        bounds.push_back(segments[position]->m_start);
        bounds.push_back(segments[position]->m_end);
    }
    std::stable_sort(byStart.begin(), byStart.end(),
                     [&](std::size_t a, std::size_t b) { return segments[a]->m_start < segments[b]->m_start; });
    std::sort(bounds.begin(), bounds.end());
    leaves = std::bit_ceil(std::max<std::size_t>(byStart.size(), 1));
    latestEnd.assign(2 * leaves, -kInfinity);
    for (std::size_t i = 0; i < byStart.size(); ++i) {
        starts.push_back(segments[byStart[i]]->m_start);
        latestEnd[leaves + i] = segments[byStart[i]]->m_end;
    }
    for (std::size_t node = leaves - 1; node >= 1; --node)
        latestEnd[node] = std::max(latestEnd[2 * node], latestEnd[2 * node + 1]);
}

// Adds the positions of the leaves below `node` (covering `count` leaves from
// `first`) that lie before `within` and end at or after t.
void SegmentsAtTime::Index::Collect(std::size_t node, std::size_t first, std::size_t count, std::size_t within,
                                    double t, std::vector<std::size_t>& positions) const
{
    if (first >= within || !(latestEnd[node] >= t))
        return;
    if (count == 1) {
        positions.push_back(byStart[first]);
        return;
    }
    Collect(2 * node, first, count / 2, within, t, positions);
    Collect(2 * node + 1, first + count / 2, count / 2, within, t, positions);
}

bool SegmentsAtTime::Held::Holds(double t) const
{
    if (searches == 0)
        return false;
    return onBound ? (low <= t && t <= high) : (low < t && t < high);
}

bool SegmentsAtTime::Update(const TrackList& tracks, uint64_t revision, double t)
{
    bool changed = false;
    if (revision != m_revision || m_tracks.size() != static_cast<std::size_t>(tracks.GetCount())) {
        m_tracks.clear();
        m_tracks.resize(static_cast<std::size_t>(tracks.GetCount()));
        m_revision = revision;
        changed = true;
    }
    for (int position = 0; position < tracks.GetCount(); ++position) {
        Held& held = m_tracks[static_cast<std::size_t>(position)];
        if (!held.Holds(t))
            changed |= Search(*tracks.GetTrack(position), t, held);
    }
    return changed;
}

bool SegmentsAtTime::Search(const Track& track, double t, Held& held)
{
    std::vector<const Segment*> found;
    // A track looked at once in a revision is read through; one the time
    // keeps leaving is worth its index.
    if (held.searches == 0 || std::isnan(t))
        ScanAll(track, t, held, found);
    else
        LookUp(track, t, held, found);
    if (held.onBound || std::isnan(t)) {
        held.low = t;
        held.high = t;
        held.onBound = true;
    }
    const bool changed = held.searches == 0 || found != held.segments;
    held.segments = std::move(found);
    ++held.searches;
    return changed;
}

void SegmentsAtTime::ScanAll(const Track& track, double t, Held& held, std::vector<const Segment*>& found)
{
    held.low = -kInfinity;
    held.high = kInfinity;
    held.onBound = false;
    for (const Segment* segment : track.GetSegments()) {
        if (segment->m_start <= t && t <= segment->m_end)
            found.push_back(segment);
        for (const double bound : {segment->m_start, segment->m_end}) {
            if (bound < t && bound > held.low)
                held.low = bound;
            else if (bound > t && bound < held.high)
                held.high = bound;
            else if (bound == t)
                held.onBound = true;
        }
    }
}

void SegmentsAtTime::LookUp(const Track& track, double t, Held& held, std::vector<const Segment*>& found)
{
    if (!held.index)
        held.index.emplace(track);
    const Index& index = *held.index;
    const auto& bounds = index.bounds;
    const auto below = std::lower_bound(bounds.begin(), bounds.end(), t);
    const auto above = std::upper_bound(below, bounds.end(), t);
    held.low = below == bounds.begin() ? -kInfinity : *(below - 1);
    held.high = above == bounds.end() ? kInfinity : *above;
    held.onBound = below != above;

    const auto startsUpToT = static_cast<std::size_t>(
        std::upper_bound(index.starts.begin(), index.starts.end(), t) - index.starts.begin());
    std::vector<std::size_t> positions;
    index.Collect(1, 0, index.leaves, startsUpToT, t, positions);
    std::sort(positions.begin(), positions.end());
    const auto segments = track.GetSegments();
    for (const std::size_t position : positions)
        found.push_back(segments[position]);
}

const std::vector<const Segment*>& SegmentsAtTime::At(int position) const
{
    static const std::vector<const Segment*> kNone;
    if (position < 0 || static_cast<std::size_t>(position) >= m_tracks.size())
        return kNone;
    return m_tracks[static_cast<std::size_t>(position)].segments;
}
