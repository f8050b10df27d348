#include "FrameIndex.h"

#include <cmath>
#include <utility>

void FrameIndex::Start(const std::string& path, QObject* context, Ready ready)
{
    Reset();
    m_ready = std::move(ready);
    m_path = path;
    m_context = context;
}

void FrameIndex::ReadNow()
{
    if (m_job || m_path.empty())
        return;
    m_job = std::make_unique<FrameIndexJob>(m_path, m_context, [this](std::shared_ptr<const FrameTimes> times) {
        m_times = *times;
        Offer();
    });
}

void FrameIndex::SetZero(double seconds)
{
    if (m_path.empty() || !std::isfinite(seconds) || std::fabs(seconds) > 1e9)
        return;
    m_zeroNs = std::llround(seconds * 1e9);
    Offer();
}

void FrameIndex::Reset()
{
    m_job.reset();
    m_path.clear();
    m_context = nullptr;
    m_times.reset();
    m_zeroNs.reset();
    m_ready = nullptr;
}

void FrameIndex::Offer()
{
    if (!m_times || !m_zeroNs || !m_ready)
        return;
    FrameTimes times = std::move(*m_times);
    times.Shift(-*m_zeroNs);
    const Ready ready = std::move(m_ready);
    m_times.reset();
    m_ready = nullptr;
    ready(std::make_shared<const FrameTimes>(std::move(times)));
}
