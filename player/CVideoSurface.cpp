#include "CVideoSurface.h"

#include <QEvent>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QOpenGLFunctions>
#include <QVBoxLayout>
#include <QWindow>

#include "MpvEngine.h"

CVideoSurface::CVideoSurface(MpvEngine& engine, QWidget* parent) : QWidget(parent), m_engine(engine)
{
    setFocusPolicy(Qt::NoFocus);
    m_window = new QWindow;
    m_window->setSurfaceType(QSurface::OpenGLSurface);
    m_window->setFormat(QSurfaceFormat::defaultFormat());
    // Clicks go to the widgets under it: one on the picture gives the
    // control the focus.
    m_window->setFlag(Qt::WindowTransparentForInput);
    m_window->installEventFilter(this);
    QWidget* container = QWidget::createWindowContainer(m_window, this);
    container->setFocusPolicy(Qt::NoFocus);
    container->setAttribute(Qt::WA_TransparentForMouseEvents);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(container);
    connect(&m_engine, &MpvEngine::StateChanged, this, &CVideoSurface::OnEngineState);
}

CVideoSurface::~CVideoSurface()
{
    ReleaseRenderContext();
    m_window->removeEventFilter(this);
}

bool CVideoSurface::MakeCurrent()
{
    if (!m_context) {
        m_context = std::make_unique<QOpenGLContext>();
        m_context->setFormat(m_window->requestedFormat());
        if (!m_context->create())
            return false;
    }
    if (!m_context->isValid())
        return false;
    if (m_window->handle() != nullptr)
        return m_context->makeCurrent(m_window);
    if (!m_offscreen) {
        m_offscreen = std::make_unique<QOffscreenSurface>();
        m_offscreen->setFormat(m_context->format());
        m_offscreen->create();
    }
    return m_context->makeCurrent(m_offscreen.get());
}

bool CVideoSurface::PrepareRenderContext()
{
    if (m_render)
        return true;
    if (!MakeCurrent())
        return false;
    m_render = MpvRenderContext::Create(m_engine.Handle(), &CVideoSurface::GetProcAddress,
                                        &CVideoSurface::OnRenderUpdate, this);
    m_context->doneCurrent();
    if (!m_render)
        return false;
    m_engine.RestoreVideo();
    return true;
}

void CVideoSurface::Draw(unsigned framebuffer, QSize size)
{
    if (m_render && m_engine.IsLoaded()) {
        m_render->Render(static_cast<int>(framebuffer), size.width(), size.height());
        ++m_presented;
        return;
    }
    QOpenGLFunctions* gl = m_context->functions();
    gl->glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    gl->glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    gl->glClear(GL_COLOR_BUFFER_BIT);
}

void CVideoSurface::Present(QImage* readBack)
{
    if (!m_window->isExposed() || !PrepareRenderContext() || !MakeCurrent())
        return;
    const qreal ratio = m_window->devicePixelRatio();
    const QSize size(static_cast<int>(m_window->width() * ratio), static_cast<int>(m_window->height() * ratio));
    const uint64_t drawn = m_presented;
    Draw(m_context->defaultFramebufferObject(), size);
    if (readBack != nullptr) {
        QImage picture(size, QImage::Format_RGBA8888);
        m_context->functions()->glReadPixels(0, 0, size.width(), size.height(), GL_RGBA, GL_UNSIGNED_BYTE,
                                             picture.bits());
        *readBack = picture.mirrored().convertToFormat(QImage::Format_RGB32);
    }
    m_context->swapBuffers(m_window);
    if (m_render)
        m_render->ReportSwap();
    m_context->doneCurrent();
    if (m_presented != drawn)
        emit framePresented();
}

QImage CVideoSurface::GrabFrame()
{
    QImage picture;
    if (m_window->isExposed()) {
        Present(&picture);
        return picture;
    }
    if (!PrepareRenderContext() || !MakeCurrent())
        return {};
    const qreal ratio = m_window->devicePixelRatio();
    const QSize size(static_cast<int>(width() * ratio), static_cast<int>(height() * ratio));
    const uint64_t drawn = m_presented;
    if (!size.isEmpty()) {
        QOpenGLFramebufferObject aside(size);
        Draw(aside.handle(), size);
        picture = aside.toImage().convertToFormat(QImage::Format_RGB32);
    }
    m_context->doneCurrent();
    if (m_presented != drawn)
        emit framePresented();
    return picture;
}

bool CVideoSurface::eventFilter(QObject* watched, QEvent* event)
{
    // The window's pixels are the X server's to lose: draw them again.
    if (watched == m_window && event->type() == QEvent::Expose && m_window->isExposed())
        Present();
    return QWidget::eventFilter(watched, event);
}

void* CVideoSurface::GetProcAddress(void* /*context*/, const char* name)
{
    QOpenGLContext* current = QOpenGLContext::currentContext();
    if (current == nullptr)
        return nullptr;
    return reinterpret_cast<void*>(current->getProcAddress(name));
}

void CVideoSurface::OnRenderUpdate(void* self)
{
    // Runs on one of mpv's threads, where no render call is allowed.
    auto* surface = static_cast<CVideoSurface*>(self);
    QMetaObject::invokeMethod(surface, &CVideoSurface::TakeRenderUpdate, Qt::QueuedConnection);
}

void CVideoSurface::TakeRenderUpdate()
{
    if (m_render && m_render->TakeFrameUpdate())
        Present();
}

void CVideoSurface::OnEngineState()
{
    if (m_engine.IsLoaded() == m_showsVideo)
        return;
    m_showsVideo = m_engine.IsLoaded();
    Present();
}

void CVideoSurface::ReleaseRenderContext()
{
    if (!m_render)
        return;
    // Freed with its GL context current, and before the core goes.
    const bool current = MakeCurrent();
    m_render.reset();
    if (current)
        m_context->doneCurrent();
}
