#pragma once

#include <string>

#include "TableText.h"

class TrackList;

// The header line of the segments table, without its line end: a file that
// begins with it is read back as a table.
const std::string& SegmentTableHeader();

// One row per segment, tracks in order, segments in their order within the
// track, times as the annotation file stores them.
std::string WriteSegmentTable(const TrackList& tracks, const TableDialect& dialect);
