#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "CGLFont.h"
#include "CompositionChecks.h"
#include "LayerCache.h"
#include "LayerComposition.h"
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
    static double TimeToX(const CTimeline& timeline, float t);
    // The x at which the current time's line is drawn, as OpenGL gets it.
    static float TimeLineX(const CTimeline& timeline);
    // The columns, in device pixels at `scale` of them per pixel, that the
    // highlight of `segment` may cover on the current view: its bar and its
    // title. Read with the font of the frame drawn last.
    std::pair<double, double> HighlightColumns(const Segment& segment, double scale);

    // Skipping what cannot reach the area leaves the picture unchanged; off
    // is the reference the tests compare against.
    void SetCulling(bool enabled) { m_culling = enabled; }
    // The bars and titles are kept between frames and redrawn only when the
    // view, the track scroll or the annotations change; off draws them on
    // every frame, the reference the tests compare against.
    void SetLayerCache(bool enabled) { m_layerCache = enabled; }
    // A layer made anew is put together from the bars' keys and the titles'
    // raster positions when it can be; off draws it, bar then title.
    void SetLayerComposition(bool enabled) { m_layerComposition = enabled; }
    // How the composition expects the driver to place the titles' bitmaps;
    // used only on a context whose driver was seen to follow it.
    void SetBitmapPlacement(LayerComposition::Placement place) { m_composition.SetPlacement(place); }
    // The composition refused as on a driver that fails `check`.
    void FailCompositionCheck(CompositionChecks::Check check) { m_checks.Fail(check); }

    const CGLFont& Font() const { return m_font; }
    // Whether the last frame that made its bars-and-titles layer anew put
    // it together rather than drew it; the tests' proof that they compared
    // the two.
    bool LastLayerWasComposed() const { return m_lastLayerComposed; }

private:
    bool CanDraw() const;
    // The timeline's area, which the pointer mapping reads too.
    const PixelRect& ViewRect() const;
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
    // Text at (x, y), unless only part of the area is drawn and the text
    // lies beside it.
    void PrintText(std::string_view text, float x, float y, const FrameCulling& culling);

    // The layer put together from the bars' keys and the titles' raster
    // positions instead of drawn; false, having changed nothing, when this
    // context or its state cannot give the drawing's exact pixels that way.
    bool ComposeBarsAndTitles();
    bool CanCompose();
    void StampTitles(const FrameCulling& culling);
    void DrawBarKeys(const FrameCulling& culling);
    // Visits the segments of the rows the culling keeps, in drawing order,
    // with the row's matrix in force, the row's top and the segment's
    // number in the frame.
    template <typename Visit>
    void ForEachReachableSegment(const FrameCulling& culling, Visit&& visit);

    CGLFont m_font;
    CTimeline* m_pTimeline = nullptr;
    bool m_culling = true;
    bool m_layerCache = true;
    bool m_layerComposition = true;
    LayerCache m_layer;

    LayerComposition m_composition;
    std::vector<uint8_t> m_layerPixels;
    std::string m_titleCodes;
    CompositionChecks m_checks;
    bool m_lastLayerComposed = false;
};
