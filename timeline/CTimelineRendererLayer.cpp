// The bars-and-titles layer: kept between frames, and put together rather
// than drawn when it must be made anew.

#include <array>

#include <GL/gl.h>

#include "CTimelineRenderer.h"
#include "FrameCulling.h"
#include "GLCoordinates.h"
#include "ListCodes.h"
#include "Timeline.h"

bool CTimelineRenderer::CompositeBarsAndTitles()
{
    if (!m_layerCache)
        return false;
    LayerCache::Key key = LayerCache::Key::FromCurrentState();
    key.viewStart = m_pTimeline->ViewStart();
    key.viewSpan = m_pTimeline->ViewSpan();
    key.areaWidth = ViewRect().Width();
    key.revision = m_pTimeline->Revision();
    key.culling = m_culling;
    switch (m_layer.Begin(key)) {
    case LayerCache::State::Unavailable:
        m_lastLayerComposed = false;
        return false;
    case LayerCache::State::Redraw:
        m_lastLayerComposed = ComposeBarsAndTitles();
        if (!m_lastLayerComposed)
            DrawBarsAndTitles();
        m_layer.EndRedraw();
        break;
    case LayerCache::State::UpToDate:
        break;
    }
    m_layer.Composite();
    return true;
}

template <typename Visit>
void CTimelineRenderer::ForEachReachableSegment(const FrameCulling& culling, Visit&& visit)
{
    glPushMatrix();
    double rowTop = 0.0;
    uint32_t number = 0;
    for (const auto& track : m_pTimeline->Tracks()) {
        if (culling.BandCanReach(rowTop, rowTop - kRowHeight)) {
            for (const auto& segment : track->GetSegments())
                visit(*segment, rowTop, number++);
        }
        glTranslatef(0.0f, -float(kRowHeight), 0.0f);
        rowTop -= kRowHeight;
    }
    glPopMatrix();
}

bool CTimelineRenderer::ComposeBarsAndTitles()
{
    if (!CanCompose())
        return false;
    // The layer as Begin cleared it: the frame's background, in the bytes the
    // driver made of it.
    LayerComposition::Rgba background{};
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, background.data());
    glPopClientAttrib();

    glPushAttrib(GL_COLOR_BUFFER_BIT | GL_CURRENT_BIT | GL_LIGHTING_BIT);
    glDisable(GL_DITHER);
    glShadeModel(GL_FLAT);
    // A context's first check draws in the layer: cleared either way.
    if (!m_checks.Trust(m_font, m_composition.GetPlacement(), m_layer.Width(), m_layer.Height())) {
        glPopAttrib();
        glClear(GL_COLOR_BUFFER_BIT);
        return false;
    }
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    m_composition.Reset(m_layer.Width(), m_layer.Height());
    const FrameCulling culling = FrameCulling::FromCurrentTransform();
    // Raster positions first: each one drawn between bars would turn every
    // bar into a draw of its own.
    StampTitles(culling);
    DrawBarKeys(culling);
    m_layer.ReadPixels(m_layerPixels);
    glPopAttrib();

    m_composition.Compose(m_layerPixels, background);
    m_layer.WritePixels(m_layerPixels);
    return true;
}

bool CTimelineRenderer::CanCompose()
{
    if (!m_culling || !m_layerComposition || m_font.Glyphs() == nullptr || m_layer.Width() < 16 || m_layer.Height() < 16)
        return false;
    // Whatever would make a fragment anything but the colour drawn, or drop
    // it where the stamping keeps it, leaves the drawing to OpenGL.
    for (const GLenum capability : {GL_BLEND, GL_COLOR_LOGIC_OP, GL_SCISSOR_TEST, GL_ALPHA_TEST, GL_STENCIL_TEST,
                                    GL_DEPTH_TEST, GL_TEXTURE_1D, GL_TEXTURE_2D, GL_FOG, GL_LIGHTING})
        if (glIsEnabled(capability))
            return false;
    std::array<GLboolean, 4> mask{};
    glGetBooleanv(GL_COLOR_WRITEMASK, mask.data());
    for (const GLboolean channel : mask)
        if (!channel)
            return false;
    GLint renderMode = 0;
    glGetIntegerv(GL_RENDER_MODE, &renderMode);
    if (renderMode != GL_RENDER)
        return false;
    uint32_t segments = 0;
    for (const auto& track : m_pTimeline->Tracks()) {
        if (track->GetSegments().size() > LayerComposition::kSegmentLimit - segments)
            return false;
        segments += static_cast<uint32_t>(track->GetSegments().size());
    }
    // Reading the layer back and writing it again costs about a millisecond:
    // measured, a lone title is drawn faster, twenty are put together eight
    // times faster than drawn.
    constexpr uint32_t kFewestWorthComposing = 4;
    return segments >= kFewestWorthComposing;
}

void CTimelineRenderer::StampTitles(const FrameCulling& culling)
{
    const GlyphSet& glyphs = *m_font.Glyphs();
    ForEachReachableSegment(culling, [&](const Segment& segment, double rowTop, uint32_t number) {
        const double anchor = TimeToX(TimeForGL(segment.m_start)) + kTextInset;
        if (!culling.PointCanReach(anchor, rowTop - kBaseline))
            return;
        ListCodes::FromUtf8(segment.m_title, m_titleCodes);
        if (m_titleCodes.empty())
            return;
        // Where the driver puts it, and whether at all: an anchor outside
        // the area leaves the raster position invalid and the title undrawn.
        glRasterPos2f(PixelForGL(anchor), -float(kBaseline));
        GLboolean valid = GL_FALSE;
        glGetBooleanv(GL_CURRENT_RASTER_POSITION_VALID, &valid);
        if (!valid)
            return;
        std::array<GLfloat, 4> position{};
        glGetFloatv(GL_CURRENT_RASTER_POSITION, position.data());
        m_composition.StampTitle(position[0], position[1], m_titleCodes, glyphs, LayerComposition::TitleKey(number));
    });
}

void CTimelineRenderer::DrawBarKeys(const FrameCulling& culling)
{
    ForEachReachableSegment(culling, [&](const Segment& segment, double, uint32_t number) {
        const double x0 = TimeToX(TimeForGL(segment.m_start));
        const double x1 = TimeToX(TimeForGL(segment.m_end));
        if (!culling.SpanCanReach(x0, x1))
            return;
        const LayerComposition::Rgba key = LayerComposition::KeyColour(LayerComposition::BarKey(number));
        glColor4ub(key[0], key[1], key[2], key[3]);
        glRectf(PixelForGL(x0), 0.0f, PixelForGL(x1), -float(kRowHeight));
    });
}
