#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include <QFont>

#include "ListCodes.h"

// One character of the bitmap font, in the form glBitmap takes it.
struct Glyph {
    int32_t width = 0;
    int32_t height = 0;
    // From the bitmap's lower-left corner to the pen position on the baseline.
    float xorig = 0.0f;
    float yorig = 0.0f;
    float advance = 0.0f;
    // Rows bottom-up, most significant bit first, each row in whole bytes.
    std::vector<uint8_t> bits;
};

// Latin-1 codes 0 to 254 rasterised once, without antialiasing, from a
// scalable font. Needs a QGuiApplication (font database).
class GlyphSet {
public:
    // DejaVu Sans at a pixel size whose tallest Latin-1 glyph stays inside a
    // 25-pixel row when the baseline is 17 pixels below the row's top, times
    // `pixelRatio`: on a screen with more device pixels per pixel the glyphs
    // are drawn in device pixels and grow with them.
    static QFont DefaultFont(double pixelRatio = 1.0);

    explicit GlyphSet(const QFont& font);

    const Glyph& At(unsigned code) const { return m_glyphs.at(code); }
    // Farthest any glyph reaches above and below the baseline, in pixels.
    int32_t Ascent() const { return m_ascent; }
    int32_t Descent() const { return m_descent; }

private:
    void Rasterise(const QFont& font, unsigned code);

    std::array<Glyph, ListCodes::kGlyphCount> m_glyphs;
    int32_t m_ascent = 0;
    int32_t m_descent = 0;
};
