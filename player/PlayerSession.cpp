#include "PlayerSession.h"

PlayerSession::PlayerSession(MpvEngine::Output output, const AudioOutput& audio)
    : m_engine(std::make_unique<MpvEngine>(output, audio))
{
}

PlayerSession::~PlayerSession()
{
    ReleaseMovie();
}

void PlayerSession::SetSource(const std::string& path)
{
    ReleaseMovie();
    m_engine->Load(path);
    if (path.empty())
        return;
    m_source = path;
    m_movie = std::make_shared<CQTMovie>(m_engine.get());
}

void PlayerSession::StartSource(const std::string& path)
{
    ReleaseMovie();
    m_engine->LoadInBackground(path);
    if (path.empty())
        return;
    m_source = path;
    m_movie = std::make_shared<CQTMovie>(m_engine.get());
}

void PlayerSession::ReleaseMovie()
{
    if (m_movie)
        m_movie->Detach();
    m_movie.reset();
    m_source.clear();
}
