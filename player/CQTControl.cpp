#include "CQTControl.h"

#include <QKeyEvent>
#include <QVBoxLayout>

#include "CTransportBar.h"
#include "CVideoSurface.h"
#include "PlayerError.h"

CQTControl::CQTControl(const AudioOutput& audio, QWidget* parent)
    : QWidget(parent),
      m_session(MpvEngine::Output::Render, audio),
      m_surface(std::make_unique<CVideoSurface>(m_session.Engine(), this)),
      m_transport(new CTransportBar(this))
{
    setFocusPolicy(Qt::StrongFocus);
    setAutoFillBackground(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_surface.get(), 1);
    layout->addWidget(m_transport);

    MpvEngine& engine = m_session.Engine();
    connect(m_transport, &CTransportBar::playPauseRequested, &engine, &MpvEngine::TogglePlaying);
    connect(m_transport, &CTransportBar::stepRequested, &engine, &MpvEngine::StepFrames);
    connect(m_transport, &CTransportBar::seekRequested, &engine, &MpvEngine::Seek);
    connect(m_transport, &CTransportBar::muteRequested, &engine, &MpvEngine::SetMuted);
    connect(m_transport, &CTransportBar::speedRequested, &engine, &MpvEngine::SetSpeed);
    connect(&engine, &MpvEngine::StateChanged, this, &CQTControl::RefreshTransport);
    connect(&engine, &MpvEngine::LoadFailed, this, &CQTControl::SourceFailed);
}

CQTControl::~CQTControl() = default;

void CQTControl::SetSource(const std::string& path)
{
    PrepareSurface(path);
    m_session.SetSource(path);
}

void CQTControl::StartSource(const std::string& path)
{
    PrepareSurface(path);
    m_session.StartSource(path);
}

void CQTControl::PrepareSurface(const std::string& path)
{
    // mpv plays without a picture a file loaded before its render context
    // exists; a control not shown yet gets its GL context this way.
    if (!path.empty() && !m_surface->HasRenderContext())
        m_surface->grabFramebuffer();
    if (!path.empty() && !m_surface->HasRenderContext())
        throw PlayerError("Impossible d'ouvrir la vidéo : " + path + " (affichage OpenGL indisponible)");
}

void CQTControl::keyPressEvent(QKeyEvent* event)
{
    MpvEngine& engine = m_session.Engine();
    switch (event->key()) {
    case Qt::Key_Space:
        if (!event->isAutoRepeat())
            engine.TogglePlaying();
        return;
    case Qt::Key_Left:
        engine.StepFrames(-1);
        return;
    case Qt::Key_Right:
        engine.StepFrames(1);
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

void CQTControl::RefreshTransport()
{
    const MpvEngine& engine = m_session.Engine();
    CTransportBar::State state;
    state.loaded = engine.IsLoaded();
    state.playing = engine.IsPlaying();
    state.muted = engine.IsMuted();
    state.timeMs = engine.Time();
    state.durationMs = engine.Duration();
    state.speed = engine.Speed();
    m_transport->Show(state);
}
