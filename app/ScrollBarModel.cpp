#include "ScrollBarModel.h"

#include <algorithm>
#include <utility>

void ScrollBarModel::SetRange(int min, int max)
{
    if (min > max)
        std::swap(min, max);
    m_min = min;
    m_max = max;
    Clamp();
}

void ScrollBarModel::SetPage(int page)
{
    m_page = page;
    Clamp();
}

void ScrollBarModel::SetPosition(int position)
{
    m_position = position;
    Clamp();
}

void ScrollBarModel::Set(int min, int max, int page, int position)
{
    m_page = page;
    m_position = position;
    SetRange(min, max);
}

std::int64_t ScrollBarModel::GetPositionCount() const
{
    return std::int64_t{m_max} - m_min + 1;
}

int ScrollBarModel::GetMaxPosition() const
{
    if (m_page == 0)
        return m_max;
    // page >= 1 keeps this within min..max, so it fits an int.
    return static_cast<int>(std::int64_t{m_max} - m_page + 1);
}

void ScrollBarModel::Clamp()
{
    m_page = static_cast<int>(std::clamp<std::int64_t>(m_page, 0, GetPositionCount()));
    m_position = std::clamp(m_position, m_min, GetMaxPosition());
}
