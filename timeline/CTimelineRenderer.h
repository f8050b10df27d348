#pragma once

#include "CGLFont.h"
#include "LayerCache.h"
#include "TimelineGeometry.h"
#include "TimelineRenderer.h"

class CTimeline;
class FrameCulling;
class Segment;
class Track;

// Draws the timeline's state with fixed-function OpenGL into whatever context
// is current: the view's, between its BeginFrame and EndFrame. With no
// current context every drawing call is a no-op.
class CTimelineRenderer : public TimelineRenderer {
public:
    static constexpr int kLabelWidth = TimelineGeometry::kLabelWidth;
    static constexpr int kRowHeight = TimelineGeometry::kRowHeight;
    static constexpr int kBaseline = TimelineGeometry::kBaseline;
    static constexpr int kTextInset = 10;
    // How many area heights the label column and the time line reach down.
    static constexpr int kDepthFactor = 5;

    // `timeline` is the timeline that owns this renderer: not owned here, and
    // it outlives the renderer by construction.
    explicit CTimelineRenderer(CTimeline* timeline);

    void InitFont() override;
    void Draw() override;
    void DrawSegments();
    void DrawLabels();

    // x pixel of timeline time t; raises the timeline's span to at least 1
    // first, so that whoever reads it later in the tick never divides by 0.
    double TimeToX(float t);
    static double TimeToX(CTimeline& timeline, float t);
    // The x at which the current time's line is drawn, as OpenGL gets it.
    static float TimeLineX(CTimeline& timeline);

    // Skipping what cannot reach the area leaves the picture unchanged; off
    // is the reference the tests compare against.
    void SetCulling(bool enabled) { m_culling = enabled; }
    // The bars and titles are kept between frames and redrawn only when the
    // view, the track scroll or the annotations change; off draws them on
    // every frame, the reference the tests compare against.
    void SetLayerCache(bool enabled) { m_layerCache = enabled; }

    const CGLFont& Font() const { return m_font; }

private:
    bool CanDraw() const;
    // The timeline's area, which the pointer mapping reads too.
    const PixelRect& ViewRect() const;
    void RaiseSpan();
    // Glyphs as many device pixels large as the viewport has per pixel.
    void MatchFontToViewport();
    void DrawTimeLine();
    // The layer under the highlight: every segment's bar and title.
    void DrawBarsAndTitles();
    // The current segment, over the selected track's row.
    void DrawHighlight();
    // False when the kept layer cannot be had: then draw it directly.
    bool CompositeBarsAndTitles();
    void DrawRow(const Track& track, double rowTop, const FrameCulling& culling);

    CGLFont m_font;
    CTimeline* m_pTimeline = nullptr;
    bool m_culling = true;
    bool m_layerCache = true;
    LayerCache m_layer;
};
