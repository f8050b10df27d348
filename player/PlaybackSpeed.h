#pragma once

#include <span>
#include <string>

// The playback speeds offered, slowest first: slow motion for fine
// behaviour, fast forward for reviewing long stretches. 1 is the video's own.
std::span<const double> SpeedSteps();
inline constexpr double kNormalSpeed = 1.0;

// The step one slower or one faster than `speed`; the slowest and the
// fastest step stay where they are. A speed between steps goes to the
// neighbouring step in that direction.
double SlowerSpeed(double speed);
double FasterSpeed(double speed);
// `speed` within the slowest and the fastest step (1 for a speed that is
// not a number).
double ClampSpeed(double speed);

// "×1", "×0.5", "×1.25": as the transport bar shows a speed, with a point
// whatever the desktop's locale.
std::string SpeedText(double speed);

// The audio filter chain that keeps the sound at its pitch at `speed`.
// mpv inserts its own tempo filter (scaletempo2) whenever the speed is not
// 1, but that one mutes the sound below 0.25; below that our own scaletempo2
// with its minimum lowered takes the sound down to the slowest step. ""
// leaves the chain to mpv, so that the normal speed plays exactly as it
// always has.
std::string TempoFilter(double speed);
