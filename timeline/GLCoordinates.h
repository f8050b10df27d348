#pragma once

#include <algorithm>

// Times and pixel positions go to OpenGL as floats, and every such
// conversion is clamped here. A bound typed as 1e300 is a fine double but no
// float: converting it would be undefined. And a vertex far outside the area
// is clipped in float arithmetic whose error grows with the coordinate, so
// at 1e30 pixels a bar's visible edge lands anywhere: positions stop a
// hundred thousand pixels out, beyond any screen.
inline constexpr double kFarthestTime = 1e30;
inline constexpr double kFarthestPixel = 1e5;

inline float TimeForGL(double time)
{
    return static_cast<float>(std::clamp(time, -kFarthestTime, kFarthestTime));
}

inline float PixelForGL(double x)
{
    return static_cast<float>(std::clamp(x, -kFarthestPixel, kFarthestPixel));
}

