#pragma once

#include <cstdint>

#include <QPointer>
#include <QSize>

#include "LayerComposition.h"

class CGLFont;
class GlyphSet;
class QOpenGLContext;

// What the layer's composition takes from the driver on trust, found out by
// drawing and reading back once per context: that key colours come back
// byte for byte, and that the font's bitmaps land where the composition's
// placement puts them. Another driver may round raster positions its own
// way; then the layer is drawn, not put together.
class CompositionChecks {
public:
    enum class Check : uint8_t { KeyColours = 1, BitmapPlacement = 2 };

    // Whether the current context's driver passes both checks for `place`.
    // The first call for a context or placement draws into the lower-left
    // corner of the bound framebuffer, `width` x `height` pixels, and leaves
    // it drawn on; later calls only answer. False, and nothing drawn or
    // kept, while the framebuffer is too small to check in.
    bool Trust(CGLFont& font, LayerComposition::Placement place, int width, int height);

    // Answers as a driver that fails `check` would, whatever this one does:
    // how the composition is seen refused on a driver that passes.
    void Fail(Check check);

    // The checks themselves, run now; each draws in the lower-left corner
    // of the bound framebuffer and leaves it drawn on.
    // Keys: 256 pixels, one value of each channel each.
    static bool KeyColoursAreExact(int width, int height);
    // Short titles drawn through the font's own lists from raster positions
    // on, between and a hair either side of whole pixels, against the same
    // titles stamped with `place`. False if the area does not fit.
    static bool BitmapsLandAsPlaced(CGLFont& font, LayerComposition::Placement place, int width, int height);
    // The corner the placement check draws in, for that font's glyphs.
    static QSize PlacementArea(const GlyphSet& glyphs);

private:
    // The context the verdict is for; cleared by Qt when it goes.
    QPointer<QOpenGLContext> m_context;
    LayerComposition::Placement m_place = nullptr;
    bool m_trusted = false;
    uint8_t m_failed = 0;
};
