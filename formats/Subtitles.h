#pragma once

#include <string>
#include <vector>

class TrackList;

// One cue per segment of every track, in start-time order (track order,
// then the track's own order, on ties), times as TimeTrack makes them.
// Text: "piste : titre" (the title alone when the label is blank, the label
// alone when the title is, "(sans titre)" when both are), then the
// comments' lines that are not blank.
std::string WriteSrt(const TrackList& tracks, std::vector<std::string>& warnings);
// The same cues in WebVTT, "&", "<" and ">" written as entities.
std::string WriteVtt(const TrackList& tracks, std::vector<std::string>& warnings);
