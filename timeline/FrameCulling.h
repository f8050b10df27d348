#pragma once

// Decides which parts of a frame cannot reach the drawing area, so that the
// renderer may skip them without changing a pixel. Judged in clip space from
// the transform in force, with a margin of one pixel, so that only what
// OpenGL would certainly discard is skipped.
class FrameCulling {
public:
    // Culls nothing.
    FrameCulling() = default;
    // clip = scale * coordinate + offset on each axis; viewport in pixels.
    FrameCulling(double scaleX, double offsetX, double scaleY, double offsetY, int viewportWidth,
                 int viewportHeight);

    // From the current projection, model-view and viewport. Culls nothing
    // when the transform is anything but a scale and a translation.
    static FrameCulling FromCurrentTransform();

    // A band between two heights, such as a row (whatever lies in it).
    bool BandCanReach(double y0, double y1) const;
    // A run between two x coordinates, such as a bar.
    bool SpanCanReach(double x0, double x1) const;
    // A raster position: text anchored outside the area is not drawn at all.
    bool PointCanReach(double x, double y) const;

    // Only part of the area is drawn (a scissor test is on).
    bool Scissored() const { return m_scissored; }
    // Text whose pen starts at x and whose glyphs cover at most `before`
    // device pixels left of it and `after` right of it: false when all of
    // that lies beside the part drawn.
    bool TextCanShow(double x, double before, double after) const;

private:
    static bool RangeCanReach(double clip0, double clip1, double margin);

    bool m_enabled = false;
    double m_scaleX = 1.0;
    double m_offsetX = 0.0;
    double m_scaleY = 1.0;
    double m_offsetY = 0.0;
    double m_marginX = 0.0;
    double m_marginY = 0.0;
    // The viewport's and the scissor box's columns, in device pixels.
    double m_viewportX = 0.0;
    double m_viewportWidth = 0.0;
    bool m_scissored = false;
    double m_scissorLeft = 0.0;
    double m_scissorRight = 0.0;
};
