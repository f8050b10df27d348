#pragma once

#include <array>
#include <cstdint>

// The timeline's colours, named once for the drawing and for the layer put
// together on the CPU, which must colour each pixel as the drawing would.
struct TimelineColour {
    float red;
    float green;
    float blue;

    // As OpenGL stores the colour in an 8-bit framebuffer: components of 0
    // and 1 only, which every driver writes as 0 and 255 exactly.
    constexpr std::array<uint8_t, 4> Rgba() const
    {
        return {ToByte(red), ToByte(green), ToByte(blue), 255};
    }

private:
    static constexpr uint8_t ToByte(float value) { return value >= 1.0f ? 255 : 0; }
};

namespace TimelineColours {
inline constexpr TimelineColour kLine{0.0f, 0.0f, 0.0f};
inline constexpr TimelineColour kBar{0.0f, 1.0f, 0.0f};
inline constexpr TimelineColour kText{1.0f, 0.0f, 0.0f};
inline constexpr TimelineColour kCurrentBar{0.0f, 0.5f, 0.2f};
inline constexpr TimelineColour kLabelColumn{0.0f, 0.0f, 0.7f};
inline constexpr TimelineColour kSelectedLabel{0.0f, 0.5f, 0.5f};
} // namespace TimelineColours
