#pragma once

#include <atomic>
#include <optional>
#include <string>

#include "FrameTimes.h"

// Reads the presentation time of every video packet of `path` without
// decoding, on the container's own clock (the player counts from its
// demuxer's start time, which the caller subtracts).
// None when the file has no video, a packet carries no timestamp, or `stop`
// was raised meanwhile. Reads the whole file: call it off the GUI thread.
std::optional<FrameTimes> ReadFrameTimes(const std::string& path, const std::atomic<bool>& stop);
