#pragma once

#include <memory>
#include <string>
#include <vector>

#include "TrackList.h"

// Tracks read from a foreign file, and what the user must be told about the
// reading (in French, for the notice box or the standard error).
struct ImportedTracks {
    std::unique_ptr<TrackList> tracks = std::make_unique<TrackList>();
    std::vector<std::string> notices;
};
