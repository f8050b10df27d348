#include "CompositionChecks.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string_view>
#include <vector>

#include <GL/gl.h>
#include <GL/glext.h>

#include <QOpenGLContext>

#include "CGLFont.h"
#include "GlyphSet.h"

namespace {

// A descender, then a wide glyph the pen reaches by a float advance; font
// codes are Latin-1.
constexpr std::string_view kTitle = "gW";

// Where each title's first glyph lands in its cell: its raster position
// minus its origin, from the cell's corner. On whole pixels, half-way, a
// hair either side of them and of the driver's 0.0001 bias, just short of
// the next pixel. Cells go in rows from the framebuffer's lower-left
// corner: the first column and the bottom row lie on its edges, where the
// negative offsets put glyphs astride pixel 0.
struct Offset {
    float x, y;
};
constexpr int kColumns = 5;
constexpr std::array<Offset, 20> kOffsets = {{
    {-1e-5f, -1e-5f}, {0.5f, -1e-4f}, {0.0f, -2e-4f}, {0.25f, -0.5f}, {-2e-7f, -2e-7f},
    {-1.1e-4f, 0.0f}, {0.75f, 0.5f}, {-5e-5f, 0.99995f}, {1e-5f, -1e-5f}, {0.99995f, 0.25f},
    {-0.5f, 0.75f}, {-1e-4f, -5e-5f}, {2e-7f, -1.1e-4f}, {0.9998f, 2e-7f}, {-2e-4f, 1e-5f},
    {-0.99f, -1e-4f}, {-1e-5f, 0.9998f}, {0.5f, -0.99f}, {-2e-7f, -2e-4f}, {0.0f, 0.5f},
}};
// Two more rows of cells whose titles start on the very edges of the
// placement being checked, in each axis: its first raster position on the
// cell's pixel, or the last before it. Where a rule differs by a float's
// rounding, only there does it place another way.
constexpr int kEdgeRows = 2;
constexpr int kRows = static_cast<int>(kOffsets.size()) / kColumns + kEdgeRows;

// The least raster position `place` puts on `pixel` or past it, for a bitmap
// with that origin: found by halving within half a pixel of pixel + origin,
// where any rule close to the driver's moves on to that pixel.
float FirstReaching(LayerComposition::Placement place, float origin, int pixel)
{
    float low = float(pixel) + origin - 0.5f;
    float high = float(pixel) + origin + 0.5f;
    while (std::nextafter(low, high) < high) {
        const float middle = low / 2.0f + high / 2.0f;
        if (middle <= low || middle >= high)
            break;
        (place(middle, origin) >= pixel ? high : low) = middle;
    }
    return high;
}

float EdgeOf(LayerComposition::Placement place, float origin, int pixel, bool reaching)
{
    const float first = FirstReaching(place, origin, pixel);
    return reaching ? first : std::nextafter(first, -1e9f);
}

// A title's cell: its ink from the first glyph's lower-left corner, with a
// pixel either way for the offsets and a pixel between cells.
QSize CellSize(const GlyphSet& glyphs)
{
    const Glyph& first = glyphs.At(static_cast<unsigned char>(kTitle.front()));
    float pen = 0.0f;
    int right = 0, top = 0;
    for (const char c : kTitle) {
        const Glyph& glyph = glyphs.At(static_cast<unsigned char>(c));
        right = std::max(right, static_cast<int>(std::ceil(first.xorig + pen - glyph.xorig)) + glyph.width);
        top = std::max(top, static_cast<int>(std::ceil(first.yorig - glyph.yorig)) + glyph.height);
        pen += glyph.advance;
    }
    return {right + 2, top + 2};
}

// RGBA rows bottom-up, tightly packed whatever the caller left in the
// pixel store.
void ReadCorner(int width, int height, uint8_t* rgba)
{
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    glPixelStorei(GL_PACK_SKIP_ROWS, 0);
    glPixelStorei(GL_PACK_SKIP_PIXELS, 0);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    glPopClientAttrib();
}

} // namespace

bool CompositionChecks::Trust(CGLFont& font, LayerComposition::Placement place, int width, int height)
{
    QOpenGLContext* context = QOpenGLContext::currentContext();
    if (context == nullptr)
        return false;
    if (m_context == context && m_place == place)
        return m_trusted;
    const GlyphSet* glyphs = font.Glyphs();
    if (glyphs == nullptr)
        return false;
    const QSize area = PlacementArea(*glyphs);
    if (width < std::max(16, area.width()) || height < std::max(16, area.height()))
        return false;
    m_trusted = (m_failed & uint8_t(Check::KeyColours)) == 0 && KeyColoursAreExact(width, height) &&
                (m_failed & uint8_t(Check::BitmapPlacement)) == 0 && BitmapsLandAsPlaced(font, place, width, height);
    m_context = context;
    m_place = place;
    return m_trusted;
}

void CompositionChecks::Fail(Check check)
{
    m_failed |= uint8_t(check);
    m_context = nullptr;
}

bool CompositionChecks::KeyColoursAreExact(int width, int height)
{
    constexpr int kSide = 16;
    if (QOpenGLContext::currentContext() == nullptr || width < kSide || height < kSide)
        return false;
    const auto colourOf = [](int k) {
        return LayerComposition::Rgba{static_cast<uint8_t>(k), static_cast<uint8_t>(255 - k),
                                      static_cast<uint8_t>(k ^ 0xA5), 255};
    };
    glPushAttrib(GL_COLOR_BUFFER_BIT | GL_CURRENT_BIT | GL_LIGHTING_BIT | GL_TRANSFORM_BIT);
    glDisable(GL_DITHER);
    glShadeModel(GL_FLAT);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0.0, width, 0.0, height, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    for (int k = 0; k < kSide * kSide; ++k) {
        const LayerComposition::Rgba colour = colourOf(k);
        glColor4ub(colour[0], colour[1], colour[2], colour[3]);
        glRectf(float(k % kSide), float(k / kSide), float(k % kSide + 1), float(k / kSide + 1));
    }
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glPopAttrib();

    std::array<uint8_t, kSide * kSide * 4> read{};
    ReadCorner(kSide, kSide, read.data());
    bool exact = true;
    for (int k = 0; k < kSide * kSide; ++k) {
        const LayerComposition::Rgba colour = colourOf(k);
        for (int channel = 0; channel < 3; ++channel)
            exact = exact && read[static_cast<size_t>(4 * k + channel)] == colour[static_cast<size_t>(channel)];
    }
    return exact;
}

QSize CompositionChecks::PlacementArea(const GlyphSet& glyphs)
{
    const QSize cell = CellSize(glyphs);
    return {cell.width() * kColumns, cell.height() * kRows};
}

bool CompositionChecks::BitmapsLandAsPlaced(CGLFont& font, LayerComposition::Placement place, int width,
                                            int height)
{
    QOpenGLContext* context = QOpenGLContext::currentContext();
    const GlyphSet* glyphs = font.Glyphs();
    if (context == nullptr || glyphs == nullptr)
        return false;
    // Window coordinates set exactly, whatever the transform, and a raster
    // position valid even left of or below the framebuffer.
    const auto windowPos = reinterpret_cast<PFNGLWINDOWPOS2FPROC>(context->getProcAddress("glWindowPos2f"));
    const QSize cell = CellSize(*glyphs);
    const QSize area = PlacementArea(*glyphs);
    if (windowPos == nullptr || area.width() > width || area.height() > height)
        return false;

    const Glyph& first = glyphs->At(static_cast<unsigned char>(kTitle.front()));
    LayerComposition stamped;
    stamped.SetPlacement(place);
    stamped.Reset(area.width(), area.height());
    glPushAttrib(GL_COLOR_BUFFER_BIT | GL_CURRENT_BIT);
    glDisable(GL_DITHER);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    const LayerComposition::Rgba text = LayerComposition::kTextColour;
    glColor4ub(text[0], text[1], text[2], text[3]);
    for (int i = 0; i < kColumns * kRows; ++i) {
        const int column = i % kColumns;
        const int row = i / kColumns;
        const int left = column * cell.width();
        const int bottom = row * cell.height();
        if (i < static_cast<int>(kOffsets.size())) {
            const Offset& offset = kOffsets[static_cast<size_t>(i)];
            windowPos(float(left) + first.xorig + offset.x, float(bottom) + first.yorig + offset.y);
        } else {
            windowPos(EdgeOf(place, first.xorig, left, i % 2 == 0), EdgeOf(place, first.yorig, bottom, i % 4 < 2));
        }
        // Stamped from the position the driver reports, as the layer's
        // titles are.
        std::array<GLfloat, 4> position{};
        glGetFloatv(GL_CURRENT_RASTER_POSITION, position.data());
        font.DrawCodes(kTitle);
        stamped.StampTitle(position[0], position[1], kTitle, *glyphs, 1);
    }
    glPopAttrib();

    std::vector<uint8_t> drawn(static_cast<size_t>(area.width()) * static_cast<size_t>(area.height()) * 4);
    ReadCorner(area.width(), area.height(), drawn.data());
    std::vector<uint8_t> expected(drawn.size(), 0);
    stamped.Compose(expected, LayerComposition::Rgba{0, 0, 0, 0});
    // Colour only: a framebuffer without alpha reads it as 255.
    bool inked = false;
    for (size_t i = 0; i < drawn.size(); i += 4) {
        if (!std::equal(&drawn[i], &drawn[i] + 3, &expected[i]))
            return false;
        inked = inked || expected[i] == text[0];
    }
    // A font without these glyphs would prove nothing.
    return inked;
}
