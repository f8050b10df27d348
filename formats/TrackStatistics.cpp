#include "TrackStatistics.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "StoredTime.h"
#include "TableText.h"
#include "TimedSegments.h"
#include "TrackList.h"

namespace {

const char* const kColumns[] = {"piste", "n", "duree_totale_s", "duree_couverte_s", "duree_moyenne_s",
                                "ecart_type_s", "duree_min_s", "duree_mediane_s", "duree_max_s",
                                "part_de_la_video"};

// Length of the union of the intervals; touching ones add up exactly.
int64_t UnionLength(std::vector<std::pair<int64_t, int64_t>>& intervals)
{
    std::sort(intervals.begin(), intervals.end());
    int64_t length = 0;
    bool open = false;
    int64_t runStart = 0;
    int64_t runEnd = 0;
    for (const auto& [start, end] : intervals) {
        if (open && start <= runEnd) {
            runEnd = std::max(runEnd, end);
            continue;
        }
        if (open)
            length += runEnd - runStart;
        open = true;
        runStart = start;
        runEnd = end;
    }
    if (open)
        length += runEnd - runStart;
    return length;
}

void OptionalSeconds(TableText& table, const std::optional<int64_t>& value)
{
    if (value)
        table.Seconds(*value);
    else
        table.Empty();
}

} // namespace

TrackStatistics ComputeTrackStatistics(const Track& track, int trackIndex, std::vector<std::string>& warnings)
{
    TrackStatistics stats;
    std::vector<int64_t> durations;
    std::vector<std::pair<int64_t, int64_t>> intervals;
    SegmentPlace place{trackIndex + 1, &track.GetLabel(), 0};
    for (const auto& segment : track.GetSegments()) {
        ++place.segmentNumber;
        const int64_t start = StoredTime(segment->m_start);
        const int64_t end = StoredTime(segment->m_end);
        if (end < start) {
            warnings.push_back(ReversedWarning(place, start, end, "durée comptée 0"));
            durations.push_back(0);
            continue;
        }
        durations.push_back(end - start);
        intervals.emplace_back(start, end);
    }
    stats.count = static_cast<int64_t>(durations.size());
    if (durations.empty())
        return stats;

    for (const int64_t d : durations)
        stats.total += d;
    stats.covered = UnionLength(intervals);
    stats.mean = RoundedQuotient(stats.total, stats.count);
    std::sort(durations.begin(), durations.end());
    stats.minimum = durations.front();
    stats.maximum = durations.back();
    const size_t middle = durations.size() / 2;
    stats.median = durations.size() % 2 == 1 ? durations[middle]
                                               : RoundedQuotient(durations[middle - 1] + durations[middle], 2);
    if (stats.count >= 2) {
        // Durations reach 2^32 units: their squares need more than 64 bits.
        const long double mean = static_cast<long double>(stats.total) / stats.count;
        long double squares = 0;
        for (const int64_t d : durations)
            squares += (d - mean) * (d - mean);
        stats.standardDeviation = std::llround(std::sqrt(squares / (stats.count - 1)));
    }
    return stats;
}

std::string WriteStatisticsTable(const TrackList& tracks, std::optional<double> videoSeconds,
                                 std::vector<std::string>& warnings)
{
    std::string out;
    TableText table(kTsvDialect, out);
    for (const char* column : kColumns)
        table.Text(column);
    table.EndRow();
    const bool share = videoSeconds && std::isfinite(*videoSeconds) && *videoSeconds > 0;
    int trackIndex = 0;
    for (const auto& track : tracks) {
        const TrackStatistics stats = ComputeTrackStatistics(*track, trackIndex++, warnings);
        table.Text(track->GetLabel());
        table.Integer(stats.count);
        table.Seconds(stats.total);
        table.Seconds(stats.covered);
        OptionalSeconds(table, stats.mean);
        OptionalSeconds(table, stats.standardDeviation);
        OptionalSeconds(table, stats.minimum);
        OptionalSeconds(table, stats.median);
        OptionalSeconds(table, stats.maximum);
        if (share && stats.count > 0)
            // covered / (seconds * 10000) written with four decimals is the
            // same as this many ten-thousandths.
            table.Seconds(std::llround(static_cast<double>(stats.covered) / *videoSeconds));
        else
            table.Empty();
        table.EndRow();
    }
    return out;
}
