#pragma once

#include <cstdint>

// A rectangle in pixels with exclusive right and bottom edges, the way the
// frame's client area is measured: width = right - left.
struct PixelRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    int32_t Width() const { return right - left; }
    int32_t Height() const { return bottom - top; }
};
