#include "ControlCompanionPlayer.h"

#include "CQTControl.h"

CQTMoviePtr ControlCompanionPlayer::GetMovie()
{
    return m_control.GetMovie();
}

void ControlCompanionPlayer::SetSource(const std::string& path)
{
    // Opening a file takes longer than a tick: the tick must not wait for it.
    m_control.StartSource(path);
}
