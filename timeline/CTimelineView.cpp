#include "CTimelineView.h"

#include <cmath>
#include <limits>

#include <GL/gl.h>

#include <QOpenGLContext>
#include <QWidget>

#include "CTimelineRenderer.h"
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
    delete m_container.data();
}

bool CTimelineView::CreateGL(QRect rect, QWidget* parent)
{
    if (m_surface != nullptr || parent == nullptr)
        return false;
    m_rect = {rect.x(), rect.y(), rect.x() + rect.width(), rect.y() + rect.height()};
    if (!m_probe || !m_probe())
        return false;
    m_surface = new TimelineSurface();
    // A native window of its own inside the frame: shown alone, without the
    // top-level window being composed again for each frame.
    QWidget* container = QWidget::createWindowContainer(m_surface, parent);
    // The frame underneath keeps its clicks; the pointer is polled anyway.
    container->setAttribute(Qt::WA_TransparentForMouseEvents);
    container->setGeometry(rect);
    container->show();
    m_container = container;
    return true;
}

bool CTimelineView::IsReady()
{
    return m_surface != nullptr && m_surface->IsReady();
}

void CTimelineView::BeginFrame()
{
    OpenFrame(std::nullopt);
}

void CTimelineView::OpenFrame(const std::optional<QRect>& area)
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
    const qreal ratio = m_surface->devicePixelRatio();
    // Device pixels, rounded as the surface sizes its framebuffer; the
    // renderer sizes its glyphs from this against the area's pixels.
    const QRect whole(0, 0, qRound(m_surface->width() * ratio), qRound(m_surface->height() * ratio));
    glViewport(0, 0, whole.width(), whole.height());
    m_frameArea = area ? area->intersected(whole) : whole;
    // Each operation gives a pixel the colour it would in a whole frame, so
    // the pixels inside are those of the whole frame, and outside nothing
    // changes.
    if (area) {
        glScissor(m_frameArea.x(), m_frameArea.y(), m_frameArea.width(), m_frameArea.height());
        glEnable(GL_SCISSOR_TEST);
    } else {
        glDisable(GL_SCISSOR_TEST);
    }
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
    glDisable(GL_SCISSOR_TEST);
    glFlush();
    m_surface->MarkDrawn(m_frameArea);
    m_surface->DoneCurrent();
}

void CTimelineView::SwapGLBuffers()
{
    EndFrame();
    if (m_surface == nullptr || !m_unpresented)
        return;
    m_unpresented = false;
    ++m_presented;
    m_surface->SchedulePresent();
}

std::optional<QRect> CTimelineView::ChangedColumns(CTimeline& timeline, const FrameInputs& from,
                                                   const FrameInputs& to) const
{
    const int width = m_rect.Width();
    if (m_surface == nullptr || width <= 0)
        return std::nullopt;
    const qreal ratio = m_surface->devicePixelRatio();
    const int deviceWidth = qRound(m_surface->width() * ratio);
    const int deviceHeight = qRound(m_surface->height() * ratio);
    // Where the viewport puts each x: device pixels per pixel.
    const double scale = static_cast<double>(deviceWidth) / width;
    double left = std::numeric_limits<double>::infinity();
    double right = -left;
    // Two more columns on each side cover any rule the rasteriser has for
    // an edge on a pixel's boundary.
    const auto add = [&](double first, double last) {
        left = std::min(left, std::floor(first) - 2.0);
        right = std::max(right, std::floor(last) + 3.0);
    };
    // The one-pixel line lands on the column under it or a neighbour.
    for (const float x : {from.timeX, to.timeX}) {
        if (!std::isfinite(x))
            return std::nullopt;
        add(x * scale, x * scale);
    }
    if (from.currentSegment != to.currentSegment) {
        auto* renderer = dynamic_cast<CTimelineRenderer*>(timeline.GetRenderer());
        if (renderer == nullptr)
            return std::nullopt;
        // Equal revisions: both segments are still the timeline's, unchanged.
        for (const Segment* segment : {from.currentSegment, to.currentSegment})
            if (segment != nullptr) {
                const auto [first, last] = renderer->HighlightColumns(*segment, scale);
                add(first, last);
            }
    }
    if (!std::isfinite(left) || !std::isfinite(right))
        return std::nullopt;
    if (right <= 0.0 || left >= deviceWidth)
        return QRect();
    const int x0 = static_cast<int>(std::max(0.0, left));
    const int x1 = static_cast<int>(std::min<double>(deviceWidth, right));
    return QRect(x0, 0, x1 - x0, deviceHeight);
}

bool CTimelineView::DrawFrame(CTimeline& timeline)
{
    const FrameInputs inputs = FrameInputs::Read(timeline, m_surface != nullptr ? m_surface->Generation() : 0);
    if (!m_skip.NeedsDrawing(inputs))
        return false;
    std::optional<QRect> area;
    const std::optional<FrameInputs>& drawn = m_skip.Drawn();
    if (drawn && FrameInputs::OnlyPlaybackMoved(*drawn, inputs)) {
        area = ChangedColumns(timeline, *drawn, inputs);
        // Moved between places outside the area: no pixel changes.
        if (area && area->isEmpty()) {
            m_skip.Drawn(inputs);
            return false;
        }
    }
    OpenFrame(area);
    if (area && m_frameOpen)
        ++m_partFrames;
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
    if (m_surface == nullptr)
        return {};
    // Grabbing leaves an open frame current, and nothing otherwise.
    return m_surface->Grab();
}

QWidget* CTimelineView::Surface() const
{
    return m_container.data();
}
