#pragma once

#include <cstdint>

// The timeline's pixel layout. The drawing and the pointer mapping both read
// these numbers, so that a press lands on the row and the time it shows.
namespace TimelineGeometry {
// The track labels' column at the left of the area.
inline constexpr int kLabelWidth = 180;
// Track rows from the top, before the track scroll.
inline constexpr int kRowHeight = 25;
// From a row's top down to its text's baseline.
inline constexpr int kBaseline = 17;
} // namespace TimelineGeometry

// A rectangle in pixels with exclusive right and bottom edges, the way the
// frame's client area is measured: width = right - left.
struct PixelRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    int32_t Width() const { return right - left; }
    int32_t Height() const { return bottom - top; }
    bool operator==(const PixelRect&) const = default;
};
