#pragma once

#include <functional>
#include <optional>

#include <QImage>
#include <QPointer>
#include <QRect>
#include <QSurfaceFormat>

#include "FrameInputs.h"
#include "TimelineGeometry.h"
#include "TimelineSurface.h"

class CTimeline;
class QWidget;

// The OpenGL surface of the timeline, laid over a frame's client area. The
// refresh tick's drawing step calls BeginFrame, CTimeline::Draw and EndFrame
// together, so that nothing run later in the tick (a popup menu, the
// players' own surfaces) finds the timeline's context current; the end of
// the tick calls SwapGLBuffers. A tick on which only the time line moved
// draws and presents the columns it left and reached, nothing else.
// Where no OpenGL context can be had the view creates nothing: the frame
// stays as it is and every call is a no-op.
class CTimelineView {
public:
    // Answers whether a compatibility-profile context can be created; tests
    // pass one that says no.
    using ContextProbe = std::function<bool()>;

    // The format to make the default before the QApplication exists.
    static QSurfaceFormat SurfaceFormat();

    CTimelineView();
    explicit CTimelineView(ContextProbe probe);
    ~CTimelineView();

    CTimelineView(const CTimelineView&) = delete;
    CTimelineView& operator=(const CTimelineView&) = delete;

    // Creates the surface once, as a child of `parent` at `rect` (in the
    // parent's coordinates). False when there is no OpenGL or it was already
    // created. The surface starts white.
    bool CreateGL(QRect rect, QWidget* parent);
    // Makes the context current, clears to the background and sets the
    // drawing coordinates: origin at the area's top-left, y up, pixels. If
    // that fails, leaves no context current, so that drawing calls until the
    // next frame are no-ops instead of landing in another widget's context.
    void BeginFrame();
    // Finishes the frame's drawing and releases the context.
    void EndFrame();
    // Schedules the finished frame for the screen; touches no context. A
    // frame still open is ended first. With no frame finished since the last
    // call there is nothing new to show, and nothing is scheduled.
    void SwapGLBuffers();

    // The tick's drawing step: BeginFrame, the timeline's Draw and EndFrame,
    // unless the timeline's state would draw the picture already on the
    // surface. True when a frame was drawn.
    bool DrawFrame(CTimeline& timeline);
    // Frames scheduled for the screen so far.
    uint64_t PresentedFrames() const { return m_presented; }
    // Frames DrawFrame drew in part, as only the time line and the current
    // segment had moved.
    uint64_t PartFrames() const { return m_partFrames; }

    bool HasSurface() const { return m_surface != nullptr; }
    // True once the surface can draw: it was created and has been shown
    // inside a shown window.
    bool IsReady();
    // The picture last presented or being drawn; null without a surface.
    QImage GrabFrame();
    // The widget holding the surface's window, or null; owned by its parent
    // widget.
    QWidget* Surface() const;

    // The rectangle given to CreateGL, right and bottom exclusive.
    PixelRect m_rect;

private:
    // BeginFrame, drawing only inside `area` (device pixels, origin at the
    // bottom left) when there is one.
    void OpenFrame(const std::optional<QRect>& area);
    // The columns a frame drawn from `to` changes on one drawn from `from`,
    // when they differ only as playing moves them: empty when no pixel
    // changes, nothing when the columns cannot be told (the whole frame).
    std::optional<QRect> ChangedColumns(CTimeline& timeline, const FrameInputs& from, const FrameInputs& to) const;

    ContextProbe m_probe;
    // Owned by the parent widget as a Qt child; cleared by Qt if the parent
    // goes first, deleted here otherwise. The container owns the surface.
    QPointer<QWidget> m_container;
    QPointer<TimelineSurface> m_surface;
    bool m_frameOpen = false;
    // What the open frame draws, in device pixels.
    QRect m_frameArea;
    bool m_unpresented = false;
    uint64_t m_presented = 0;
    uint64_t m_partFrames = 0;
    FrameSkip m_skip;
};
