#pragma once

#include <memory>
#include <string>
#include <utility>

#include "Timeline.h"

// Annotations for tests, built apart and handed to a timeline whole, as a
// load hands it a file's.

// A segment as a file may give it: the bounds stored as they are.
inline std::unique_ptr<Segment> MakeSegment(double start, double end, const std::string& title = " ",
                                            const std::string& comment = " ", int video = 0)
{
    auto segment = std::make_unique<Segment>();
    segment->m_start = start;
    segment->m_end = end;
    segment->m_title = title;
    segment->m_comment = comment;
    segment->m_videoNumber = video;
    return segment;
}

// A timeline holding no track at all.
class EmptyTimeline : public CTimeline {
public:
    EmptyTimeline() { ReplaceTracks(TrackList()); }
};
