#include "CQTMovie.h"

#include "MpvEngine.h"

int32_t CQTMovie::GetDuration() const
{
    return m_engine != nullptr ? m_engine->Duration() : 0;
}

int32_t CQTMovie::GetTime() const
{
    return m_engine != nullptr ? m_engine->Time() : 0;
}

void CQTMovie::SetTime(int32_t ms)
{
    if (m_engine != nullptr)
        m_engine->Seek(ms);
}

void CQTMovie::SetProperty1082(int32_t volumePercent)
{
    if (m_engine != nullptr)
        m_engine->SetVolume(volumePercent);
}
