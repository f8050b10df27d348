#include "FrameTimes.h"

#include <algorithm>
#include <stdexcept>

FrameTimes::FrameTimes(std::vector<int64_t> startsNs) : m_starts(std::move(startsNs))
{
    if (m_starts.empty())
        throw std::invalid_argument("FrameTimes needs at least one frame");
    std::sort(m_starts.begin(), m_starts.end());
    m_starts.erase(std::unique(m_starts.begin(), m_starts.end()), m_starts.end());
}

void FrameTimes::Shift(int64_t ns)
{
    for (int64_t& start : m_starts)
        start += ns;
}

int64_t FrameTimes::StartNs(int64_t index) const
{
    return m_starts[static_cast<size_t>(std::clamp<int64_t>(index, 0, Count() - 1))];
}

int64_t FrameTimes::IndexAt(int64_t ns) const
{
    const auto after = std::upper_bound(m_starts.begin(), m_starts.end(), ns);
    return std::max<int64_t>(0, (after - m_starts.begin()) - 1);
}

int32_t FrameTimes::FirstMillisecond(int64_t index) const
{
    const int64_t ns = std::max<int64_t>(0, StartNs(index));
    // Ceiling division: a frame starting at 33.366667 ms is first seen at 34.
    return static_cast<int32_t>(std::min<int64_t>((ns + 999'999) / 1'000'000, INT32_MAX));
}
