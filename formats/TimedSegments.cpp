#include "TimedSegments.h"

#include <algorithm>
#include <utility>

#include "StoredTime.h"
#include "TrackList.h"

std::string SegmentName(const SegmentPlace& place)
{
    std::string name = "piste " + std::to_string(place.trackNumber);
    if (place.label != nullptr && !IsBlank(*place.label))
        name += " « " + *place.label + " »";
    return name + ", segment " + std::to_string(place.segmentNumber);
}

std::string ReversedWarning(const SegmentPlace& place, int64_t start, int64_t end, const char* consequence)
{
    return SegmentName(place) + " : la fin (" + SecondsText(end) + " s) précède le début (" + SecondsText(start)
        + " s) ; " + consequence + ".";
}

bool IsBlank(const std::string& text)
{
    return text.find_first_not_of(" \t\r\n\v\f") == std::string::npos;
}

std::vector<TimedSegment> TimeTrack(const Track& track, int trackIndex, std::vector<std::string>& warnings)
{
    std::vector<TimedSegment> timed;
    timed.reserve(track.GetSegments().size());
    SegmentPlace place{trackIndex + 1, &track.GetLabel(), 0};
    for (const auto& segment : track.GetSegments()) {
        ++place.segmentNumber;
        int64_t start = StoredTime(segment->m_start);
        int64_t end = StoredTime(segment->m_end);
        if (end < start) {
            warnings.push_back(ReversedWarning(place, start, end, "bornes remises dans l'ordre"));
            std::swap(start, end);
        }
        if (start < 0) {
            warnings.push_back(SegmentName(place) + " : temps négatif (" + SecondsText(start) + " s) écrit 0.");
        }
        TimedSegment entry{segment, trackIndex, std::max<int64_t>(0, StoredToMilliseconds(start)),
                           std::max<int64_t>(0, StoredToMilliseconds(end))};
        if (entry.endMs == entry.startMs) {
            warnings.push_back(SegmentName(place) + " : durée nulle, portée à 1 ms.");
            ++entry.endMs;
        }
        timed.push_back(entry);
    }
    return timed;
}
