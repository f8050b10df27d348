#include "TimelineSurface.h"

#include <GL/gl.h>

#include <QExposeEvent>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLExtraFunctions>
#include <QOpenGLFramebufferObject>

#include "GLSupport.h"

#ifndef GL_READ_FRAMEBUFFER
#define GL_READ_FRAMEBUFFER 0x8CA8
#define GL_DRAW_FRAMEBUFFER 0x8CA9
#endif
#ifndef GL_RGB8
#define GL_RGB8 0x8051
#endif

namespace {

// What was current before a present, made current again after it.
class CurrentContext {
public:
    CurrentContext() : m_context(QOpenGLContext::currentContext())
    {
        if (m_context != nullptr)
            m_surface = m_context->surface();
    }
    ~CurrentContext()
    {
        if (m_context != nullptr && m_surface != nullptr)
            m_context->makeCurrent(m_surface);
        else if (QOpenGLContext* current = QOpenGLContext::currentContext())
            current->doneCurrent();
    }
    CurrentContext(const CurrentContext&) = delete;
    CurrentContext& operator=(const CurrentContext&) = delete;

private:
    QOpenGLContext* m_context = nullptr;
    QSurface* m_surface = nullptr;
};

} // namespace

TimelineSurface::TimelineSurface()
{
    setSurfaceType(QSurface::OpenGLSurface);
    setFormat(GLSupport::CompatibilityFormat());
    // The frame underneath keeps its clicks; the pointer is polled anyway.
    setFlag(Qt::WindowTransparentForInput);
}

TimelineSurface::~TimelineSurface()
{
    if (!m_context)
        return;
    // The framebuffer goes with its context current; the window may be gone
    // from the screen already.
    QOffscreenSurface offscreen;
    offscreen.setFormat(m_context->format());
    offscreen.create();
    if (m_context->makeCurrent(&offscreen)) {
        m_frame.reset();
        m_context->doneCurrent();
    }
}

bool TimelineSurface::IsReady()
{
    if (m_context)
        return m_context->isValid();
    if (handle() == nullptr)
        return false;
    m_context = std::make_unique<QOpenGLContext>();
    m_context->setFormat(format());
    m_context->setScreen(screen());
    if (!m_context->create())
        return false;
    return true;
}

bool TimelineSurface::MakeCurrent()
{
    if (!IsReady() || !m_context->makeCurrent(this))
        return false;
    if (!EnsureFrame()) {
        m_context->doneCurrent();
        return false;
    }
    m_frame->bind();
    return true;
}

void TimelineSurface::DoneCurrent()
{
    if (m_context && QOpenGLContext::currentContext() == m_context.get())
        m_context->doneCurrent();
}

uint64_t TimelineSurface::Generation()
{
    if ((m_frame && m_frame->size() == DeviceSize()) || !IsReady())
        return m_generation;
    const CurrentContext previous;
    if (m_context->makeCurrent(this))
        EnsureFrame();
    return m_generation;
}

QSize TimelineSurface::DeviceSize() const
{
    // Rounded as the view sizes its viewport.
    const qreal ratio = devicePixelRatio();
    return {qRound(width() * ratio), qRound(height() * ratio)};
}

bool TimelineSurface::EnsureFrame()
{
    const QSize size = DeviceSize();
    if (m_frame && m_frame->size() == size)
        return true;
    m_frame.reset();
    if (size.isEmpty() || !QOpenGLFramebufferObject::hasOpenGLFramebufferObjects())
        return false;
    auto frame = std::make_unique<QOpenGLFramebufferObject>(size, QOpenGLFramebufferObject::NoAttachment,
                                                            GL_TEXTURE_2D, GL_RGB8);
    if (!frame->isValid())
        return false;
    m_frame = std::move(frame);
    m_frame->bind();
    // White until the first frame clears to the background.
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    ++m_generation;
    m_drawn = QRect(QPoint(0, 0), size);
    m_copy = SubBufferCopy::For(*m_context, *this);
    return true;
}

void TimelineSurface::MarkDrawn(const QRect& area)
{
    m_drawn += area;
}

void TimelineSurface::SchedulePresent()
{
    if (m_presentPosted)
        return;
    m_presentPosted = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_presentPosted = false;
            Present();
        },
        Qt::QueuedConnection);
}

void TimelineSurface::Present()
{
    // A window not on screen gets the whole frame when it is exposed.
    if (m_drawn.isEmpty() || !isExposed() || !m_context)
        return;
    const CurrentContext previous;
    if (!m_context->makeCurrent(this) || !EnsureFrame())
        return;
    const QRect whole(QPoint(0, 0), m_frame->size());
    const QRegion drawn = m_drawn.intersected(whole);
    m_drawn = QRegion();
    QOpenGLExtraFunctions* gl = m_context->extraFunctions();
    gl->glBindFramebuffer(GL_READ_FRAMEBUFFER, m_frame->handle());
    gl->glBindFramebuffer(GL_DRAW_FRAMEBUFFER, m_context->defaultFramebufferObject());
    // Only the parts drawn are copied and shown when the platform can show
    // part of a window; the rest of the screen holds them already.
    const bool part = m_copy.Available() && drawn.boundingRect() != whole;
    for (const QRect& area : part ? drawn : QRegion(whole)) {
        const int x1 = area.x() + area.width();
        const int y1 = area.y() + area.height();
        gl->glBlitFramebuffer(area.x(), area.y(), x1, y1, area.x(), area.y(), x1, y1, GL_COLOR_BUFFER_BIT,
                              GL_NEAREST);
    }
    if (part) {
        for (const QRect& area : drawn)
            m_copy.Copy(area.x(), area.y(), area.width(), area.height());
    } else {
        m_context->swapBuffers(this);
    }
    gl->glBindFramebuffer(GL_FRAMEBUFFER, m_frame->handle());
}

QImage TimelineSurface::Grab()
{
    const bool wasCurrent = m_context && QOpenGLContext::currentContext() == m_context.get();
    if (!MakeCurrent())
        return {};
    QImage frame = m_frame->toImage();
    frame.setDevicePixelRatio(devicePixelRatio());
    if (!wasCurrent)
        m_context->doneCurrent();
    return frame;
}

void TimelineSurface::exposeEvent(QExposeEvent* event)
{
    QWindow::exposeEvent(event);
    if (!isExposed() || !IsReady())
        return;
    // The window's pixels are the X server's to lose: show the whole frame.
    const CurrentContext previous;
    if (!m_context->makeCurrent(this) || !EnsureFrame())
        return;
    m_drawn = QRect(QPoint(0, 0), m_frame->size());
    Present();
}
