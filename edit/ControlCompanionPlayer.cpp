#include "ControlCompanionPlayer.h"

#include "CQTControl.h"

CQTMoviePtr ControlCompanionPlayer::GetMovie()
{
    return m_control.GetMovie();
}

void ControlCompanionPlayer::SetSource(const std::string& path)
{
    m_control.SetSource(path);
}
