#include "CTimelineView.h"

#include <GL/gl.h>

#include <QOpenGLContext>
#include <QWidget>

#include "GLSupport.h"
#include "Timeline.h"
#include "TimelineSurface.h"

QSurfaceFormat CTimelineView::SurfaceFormat()
{
    return GLSupport::CompatibilityFormat();
}

CTimelineView::CTimelineView()
    : CTimelineView(&GLSupport::CanCreateCompatibilityContext)
{
}

CTimelineView::CTimelineView(ContextProbe probe)
    : m_probe(std::move(probe))
{
}

CTimelineView::~CTimelineView()
{
    delete m_surface.data();
}

bool CTimelineView::CreateGL(QRect rect, QWidget* parent)
{
    if (m_surface != nullptr || parent == nullptr)
        return false;
    m_rect = {rect.x(), rect.y(), rect.x() + rect.width(), rect.y() + rect.height()};
    if (!m_probe || !m_probe())
        return false;
    m_surface = new TimelineSurface(parent);
    m_surface->setGeometry(rect);
    m_surface->show();
    return true;
}

void CTimelineView::BeginFrame()
{
    const int width = m_rect.Width();
    const int height = m_rect.Height();
    m_frameOpen = m_surface != nullptr && width > 0 && height > 0 && m_surface->MakeCurrent();
    // Whatever is drawn in this frame, the picture is no longer the one the
    // skip rule remembers; DrawFrame records its inputs once it is done.
    m_skip.Forget();
    if (!m_frameOpen) {
        if (QOpenGLContext* stray = QOpenGLContext::currentContext())
            stray->doneCurrent();
        return;
    }
    // Our mapping of "the viewport is the whole window": a frame drawn
    // outside paintGL has to set it itself.
    const qreal ratio = m_surface->devicePixelRatioF();
    // Device pixels, rounded as the widget sizes its framebuffer; the
    // renderer sizes its glyphs from this against the area's pixels.
    glViewport(0, 0, static_cast<GLsizei>(qRound(m_surface->width() * ratio)),
               static_cast<GLsizei>(qRound(m_surface->height() * ratio)));
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);

    glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glLoadIdentity();
    glTranslatef(-1.0f, 1.0f, 0.0f);
    glScalef(2.0f / static_cast<float>(width), 2.0f / static_cast<float>(height), 1.0f);
}

void CTimelineView::EndFrame()
{
    if (!m_frameOpen)
        return;
    m_frameOpen = false;
    if (m_surface == nullptr)
        return;
    m_unpresented = true;
    glFlush();
    m_surface->doneCurrent();
}

void CTimelineView::SwapGLBuffers()
{
    EndFrame();
    if (m_surface == nullptr || !m_unpresented)
        return;
    m_unpresented = false;
    ++m_presented;
    m_surface->update();
}

bool CTimelineView::DrawFrame(CTimeline& timeline)
{
    const FrameInputs inputs = FrameInputs::Read(timeline, m_surface != nullptr ? m_surface->Generation() : 0);
    if (!m_skip.NeedsDrawing(inputs))
        return false;
    BeginFrame();
    const bool open = m_frameOpen;
    timeline.Draw();
    EndFrame();
    // A frame that could not be drawn leaves the surface as it was, whatever
    // that is: the next tick tries again.
    if (open)
        m_skip.Drawn(inputs);
    return open;
}

QImage CTimelineView::GrabFrame()
{
    if (m_surface == nullptr || !m_surface->isValid())
        return {};
    QImage frame = m_surface->grabFramebuffer();
    // Grabbing makes the context current; put things back as they were.
    if (m_frameOpen)
        m_surface->MakeCurrent();
    else
        m_surface->doneCurrent();
    return frame;
}

QWidget* CTimelineView::Surface() const
{
    return m_surface.data();
}
