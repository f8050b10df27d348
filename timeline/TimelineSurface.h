#pragma once

#include <cstdint>
#include <memory>

#include <QImage>
#include <QRect>
#include <QRegion>
#include <QWindow>

#include "SubBufferCopy.h"

class QOpenGLContext;
class QOpenGLFramebufferObject;

// The native window under the timeline view, laid over its frame through a
// window container. Frames are drawn by the refresh tick into a framebuffer
// kept between frames, never from a paint event; presenting puts what was
// drawn since on the screen, and an expose shows the last frame again.
// A window of its own is shown alone: a frame costs the pixels it changed,
// where an OpenGL widget's update has Qt compose the whole top-level window.
class TimelineSurface : public QWindow {
public:
    TimelineSurface();
    ~TimelineSurface() override;

    TimelineSurface(const TimelineSurface&) = delete;
    TimelineSurface& operator=(const TimelineSurface&) = delete;

    // True once the window exists (it is shown inside a shown window) and
    // has a context: from then on MakeCurrent succeeds.
    bool IsReady();
    // True when its context is current with the kept framebuffer bound, at
    // the window's size in device pixels.
    bool MakeCurrent();
    void DoneCurrent();

    // Changes each time the framebuffer is made anew (first use, resize, new
    // screen) and so no longer holds the last frame: the framebuffer the
    // next frame draws into, made first if the window's size asks for it.
    uint64_t Generation();

    // `area` of the kept frame (device pixels, origin at the bottom left as
    // OpenGL has it) was drawn and waits to be presented.
    void MarkDrawn(const QRect& area);
    // Presents what was drawn since the last time once the event loop runs,
    // leaving the current context alone meanwhile.
    void SchedulePresent();
    // The kept frame: what is presented, or being drawn. Leaves the context
    // current only if it was. Null until the window is ready.
    QImage Grab();

protected:
    void exposeEvent(QExposeEvent* event) override;

private:
    QSize DeviceSize() const;
    bool EnsureFrame();
    void Present();

    std::unique_ptr<QOpenGLContext> m_context;
    std::unique_ptr<QOpenGLFramebufferObject> m_frame;
    SubBufferCopy m_copy;
    // Drawn since the last present, in the kept frame's pixels.
    QRegion m_drawn;
    bool m_presentPosted = false;
    uint64_t m_generation = 0;
};
