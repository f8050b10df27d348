#pragma once

#include <cstdint>
#include <string>
#include <vector>

class Segment;
class Track;
class TrackList;

// Where a segment stands, for the warnings that name it: positions from 1.
struct SegmentPlace {
    int trackNumber = 0;
    const std::string* label = nullptr;
    int segmentNumber = 0;
};

// "piste 2 « Buts », segment 3" (the label left out when it is blank).
std::string SegmentName(const SegmentPlace& place);
// The warning for a segment stored with its end before its start, and what
// the format made of it.
std::string ReversedWarning(const SegmentPlace& place, int64_t start, int64_t end, const char* consequence);
// True for an empty text or one of white space only.
bool IsBlank(const std::string& text);

// A segment with bounds that the millisecond formats (ELAN, subtitles) can
// carry: rounded to the millisecond, a negative time written as 0, reversed
// bounds put in order and a zero-length interval lasting 1 ms.
struct TimedSegment {
    const Segment* segment = nullptr;
    int trackIndex = 0; // from 0
    int64_t startMs = 0;
    int64_t endMs = 0;
};

// The segments of one track so timed, in their order, each change named in
// a French warning.
std::vector<TimedSegment> TimeTrack(const Track& track, int trackIndex, std::vector<std::string>& warnings);
