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
    Open(path, &MpvEngine::Load);
}

void PlayerSession::StartSource(const std::string& path)
{
    Open(path, &MpvEngine::LoadInBackground);
}

void PlayerSession::Open(const std::string& path, void (MpvEngine::*load)(const std::string&))
{
    ReleaseMovie();
    (m_engine.get()->*load)(path);
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
