#include "CVideoSurface.h"

#include <QOpenGLContext>
#include <QOpenGLFunctions>

#include "MpvEngine.h"

CVideoSurface::CVideoSurface(MpvEngine& engine, QWidget* parent) : QOpenGLWidget(parent), m_engine(engine)
{
    setFocusPolicy(Qt::NoFocus);
    connect(&m_engine, &MpvEngine::StateChanged, this, &CVideoSurface::OnEngineState);
    connect(this, &QOpenGLWidget::frameSwapped, this, [this] {
        if (m_render)
            m_render->ReportSwap();
    });
}

CVideoSurface::~CVideoSurface()
{
    ReleaseRenderContext();
    // The base destructor destroys the GL context, whose signal must not reach
    // this half-destroyed object.
    if (context() != nullptr)
        disconnect(context(), nullptr, this, nullptr);
}

void CVideoSurface::initializeGL()
{
    // The GL context is recreated when the widget moves to another window.
    connect(context(), &QOpenGLContext::aboutToBeDestroyed, this, &CVideoSurface::ReleaseRenderContext,
            Qt::UniqueConnection);
    if (m_render)
        return;
    m_render = MpvRenderContext::Create(m_engine.Handle(), &CVideoSurface::GetProcAddress,
                                        &CVideoSurface::OnRenderUpdate, this);
    if (m_render)
        m_engine.RestoreVideo();
}

void CVideoSurface::paintGL()
{
    if (m_render && m_engine.IsLoaded()) {
        const qreal ratio = devicePixelRatioF();
        m_render->Render(static_cast<int>(defaultFramebufferObject()), static_cast<int>(width() * ratio),
                         static_cast<int>(height() * ratio));
        ++m_presented;
        emit framePresented();
        return;
    }
    QOpenGLFunctions* gl = context()->functions();
    gl->glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    gl->glClear(GL_COLOR_BUFFER_BIT);
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
        update();
}

void CVideoSurface::OnEngineState()
{
    if (m_engine.IsLoaded() == m_showsVideo)
        return;
    m_showsVideo = m_engine.IsLoaded();
    update();
}

void CVideoSurface::ReleaseRenderContext()
{
    if (!m_render)
        return;
    const bool madeCurrent = context() != nullptr && QOpenGLContext::currentContext() != context();
    if (madeCurrent)
        makeCurrent();
    m_render.reset();
    if (madeCurrent)
        doneCurrent();
}
