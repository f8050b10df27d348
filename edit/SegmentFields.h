#pragma once

#include <string>

// What the segment dialog edits of a segment.
struct SegmentFields {
    std::string title;
    std::string comment;
    double start = 0.0;
    double end = 0.0;

    bool operator==(const SegmentFields&) const = default;
};
