#pragma once

#include <memory>
#include <string>
#include <string_view>

#include <QPointer>

#include "GlyphSet.h"

class QOpenGLContext;

// The timeline's bitmap font: display lists kFirstList + c drawing Latin-1
// code c (0 to 254) with glBitmap, called through glCallLists.
class CGLFont {
public:
    static constexpr unsigned kFirstList = 1000;

    CGLFont();
    ~CGLFont();

    CGLFont(const CGLFont&) = delete;
    CGLFont& operator=(const CGLFont&) = delete;

    // Flat shading, then the glyphs (rasterised once, on first need)
    // compiled into the current context's lists. A no-op without a current
    // context; PrintString builds the lists itself if they are missing.
    void InitFont();
    // Draws UTF-8 text with its pen starting at (x, y) in the current drawing
    // coordinates, in the current colour. Nothing happens without a current
    // context, or when (x, y) lies outside the drawing area.
    void PrintString(std::string_view text, float x, float y);
    // Font codes (ListCodes) drawn from the current raster position, each
    // glyph moving it by its advance.
    void DrawCodes(std::string_view codes);

    // How far the glyphs of UTF-8 text reach from its pen, in device
    // pixels: at most `before` left of it and `after` right of it.
    struct Reach {
        double before = 0.0;
        double after = 0.0;
    };
    Reach TextReach(std::string_view text);

    // Device pixels per drawing unit. Glyphs are drawn in device pixels, so
    // a ratio above 1 (a HiDPI screen) needs them rasterised that much larger
    // to keep their size against the rows; a change rebuilds the lists.
    void SetPixelRatio(double ratio);
    double PixelRatio() const { return m_pixelRatio; }

    // Null until the lists were first built.
    const GlyphSet* Glyphs() const { return m_glyphs.get(); }

private:
    // True when the current context can call the lists, building them first
    // if they were made in a context it does not share with (or never).
    bool EnsureLists();

    std::unique_ptr<GlyphSet> m_glyphs;
    // The context the lists were compiled in; cleared by Qt when it goes, as
    // happens when the widget moves to another top-level window.
    QPointer<QOpenGLContext> m_listContext;
    std::string m_codes;
    std::string m_reachCodes;
    double m_pixelRatio = 1.0;
};
