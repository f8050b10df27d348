#include "LayerComposition.h"

#include <algorithm>
#include <bit>

#include "GlyphSet.h"

LayerComposition::Rgba LayerComposition::KeyColour(uint32_t key)
{
    return {static_cast<uint8_t>(key & 0xFF), static_cast<uint8_t>((key >> 8) & 0xFF),
            static_cast<uint8_t>((key >> 16) & 0xFF), 255};
}

uint32_t LayerComposition::KeyOf(const uint8_t* rgba)
{
    return uint32_t(rgba[0]) | (uint32_t(rgba[1]) << 8) | (uint32_t(rgba[2]) << 16);
}

int LayerComposition::PlaceBitmap(float raster, float origin)
{
    // The bias and the order of the float operations are the driver's: a
    // raster position a hair below a whole pixel counts as on it.
    const float position = raster + 0.0001f - origin;
    // f + 0.5 and 0.5 - f rounded to integers in a float's mantissa near
    // 3 * 2^22, their difference halved: floor for every |f| below 2^22,
    // except that (-1e-9, 0) gives 0.
    constexpr double kRounder = 12582912.5;
    const auto up = std::bit_cast<int32_t>(static_cast<float>(kRounder + double(position)));
    const auto down = std::bit_cast<int32_t>(static_cast<float>(kRounder - double(position)));
    return (up - down) >> 1;
}

void LayerComposition::Reset(int width, int height)
{
    m_width = std::max(0, width);
    m_height = std::max(0, height);
    m_titleKeys.assign(static_cast<size_t>(m_width) * static_cast<size_t>(m_height), 0);
}

void LayerComposition::StampTitle(float rasterX, float rasterY, std::string_view codes, const GlyphSet& glyphs,
                                  uint32_t key)
{
    for (const char c : codes) {
        const Glyph& glyph = glyphs.At(static_cast<unsigned char>(c));
        if (glyph.width > 0 && glyph.height > 0 && !glyph.bits.empty())
            StampGlyph(m_place(rasterX, glyph.xorig), m_place(rasterY, glyph.yorig), glyph.width,
                       glyph.height, glyph.bits.data(), key);
        rasterX += glyph.advance;
    }
}

void LayerComposition::StampGlyph(int left, int bottom, int width, int height, const uint8_t* bits, uint32_t key)
{
    const int rowBytes = (width + 7) / 8;
    const int firstRow = std::max(0, -bottom);
    const int lastRow = std::min(height, m_height - bottom);
    const int firstColumn = std::max(0, -left);
    const int lastColumn = std::min(width, m_width - left);
    for (int row = firstRow; row < lastRow; ++row) {
        const uint8_t* rowBits = bits + static_cast<size_t>(row) * rowBytes;
        const size_t line = static_cast<size_t>(bottom + row) * static_cast<size_t>(m_width);
        for (int column = firstColumn; column < lastColumn; ++column) {
            if ((rowBits[column >> 3] & (0x80 >> (column & 7))) == 0)
                continue;
            uint32_t& pixel = m_titleKeys[line + static_cast<size_t>(left + column)];
            pixel = std::max(pixel, key);
        }
    }
}

void LayerComposition::Compose(std::vector<uint8_t>& pixels, const Rgba& background) const
{
    const size_t count = std::min(pixels.size() / 4, m_titleKeys.size());
    for (size_t i = 0; i < count; ++i) {
        uint8_t* pixel = pixels.data() + 4 * i;
        const uint32_t bar = KeyOf(pixel);
        const Rgba& colour = m_titleKeys[i] > bar ? kTextColour : bar != 0 ? kBarColour : background;
        std::copy(colour.begin(), colour.end(), pixel);
    }
}
