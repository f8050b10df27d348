#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "TimelineColours.h"

class GlyphSet;

// The bars-and-titles layer put together on the CPU, pixel for pixel as the
// bar-then-title drawing of every segment would leave it, at a fraction of
// its cost: drawn one bitmap at a time, thousands of titles cost a draw per
// glyph.
//
// Every bar and title gets a key that grows in drawing order; the last thing
// drawn over a pixel is the one with the largest key there. OpenGL draws the
// bars alone with their keys as colours (bar coverage is the rasteriser's
// business), titles are stamped here from their raster positions exactly as
// the driver places bitmaps, and each pixel then takes the colour of its
// winner: text, bar or background.
class LayerComposition {
public:
    using Rgba = std::array<uint8_t, 4>;

    // Keys ride in the red, green and blue bytes of a colour.
    static constexpr uint32_t kKeyLimit = 1u << 24;
    static constexpr Rgba kTextColour = TimelineColours::kText.Rgba();
    static constexpr Rgba kBarColour = TimelineColours::kBar.Rgba();

    // Segment n of the frame (counted in drawing order from 0) is drawn as
    // its bar, then its title.
    static uint32_t BarKey(uint32_t segment) { return 2 * segment + 1; }
    static uint32_t TitleKey(uint32_t segment) { return 2 * segment + 2; }
    // How many segments one frame can key.
    static constexpr uint32_t kSegmentLimit = (kKeyLimit - 2) / 2;

    static Rgba KeyColour(uint32_t key);
    static uint32_t KeyOf(const uint8_t* rgba);

    // The driver's bitmap placement: the window pixel where a bitmap with
    // origin `origin` lands for raster coordinate `raster`. Floored with a
    // small bias, through float rounding that sends the tiniest negatives
    // to 0 rather than -1, as the driver does.
    static int PlaceBitmap(float raster, float origin);
    using Placement = int (*)(float raster, float origin);

    // The placement titles are stamped with: the driver's own rule, to be
    // used only where the driver was seen to follow it.
    void SetPlacement(Placement place) { m_place = place; }
    Placement GetPlacement() const { return m_place; }

    // A layer of that many pixels with no title in it.
    void Reset(int width, int height);

    // The glyphs of `codes` (font codes) drawn from the valid raster position
    // (rasterX, rasterY), each moving the pen by its advance as glBitmap
    // does, clipped to the layer, with `key`.
    void StampTitle(float rasterX, float rasterY, std::string_view codes, const GlyphSet& glyphs, uint32_t key);

    // `pixels` holds the bars' keys as read back (RGBA rows bottom-up); each
    // becomes the colour of its pixel's winner.
    void Compose(std::vector<uint8_t>& pixels, const Rgba& background) const;

private:
    void StampGlyph(int left, int bottom, int width, int height, const uint8_t* bits, uint32_t key);

    Placement m_place = &PlaceBitmap;
    int m_width = 0;
    int m_height = 0;
    // Largest title key per pixel, rows bottom-up; 0 where no text is.
    std::vector<uint32_t> m_titleKeys;
};
