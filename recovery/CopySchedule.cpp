#include "CopySchedule.h"

void CopySchedule::Changed(int64_t now)
{
    if (!m_firstPending)
        m_firstPending = now;
    m_lastChange = now;
}

bool CopySchedule::Due(int64_t now) const
{
    if (!m_firstPending)
        return false;
    return now - m_lastChange >= kQuietMs || now - *m_firstPending >= kLongestWaitMs;
}
