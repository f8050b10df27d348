#pragma once

#include <cstdint>
#include <string>

// "h:mm:ss.mmm" for a player time in milliseconds; negative times read 0.
std::string FormatPlayerTime(int32_t ms);

// "<time> / <duration>" as the transport bar shows it.
std::string FormatPlayerPosition(int32_t timeMs, int32_t durationMs);
