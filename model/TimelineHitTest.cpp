// Where a pixel of the timeline area lands: which row, which time. The
// inverse of the drawing's layout, from the same numbers.

#include "Timeline.h"

using TimelineGeometry::kLabelWidth;
using TimelineGeometry::kRowHeight;

std::optional<int> CTimeline::TrackRowAt(int y) const
{
    const int64_t unscrolled = int64_t{y} + m_trackScroll;
    const int count = m_tracks.GetCount();
    // Row i covers i * 25 + 1 ... (i + 1) * 25; the line above row 0 and
    // anything over it count as row 0.
    if (count == 0 || int64_t{count} * kRowHeight < unscrolled)
        return std::nullopt;
    if (unscrolled < 1)
        return 0;
    return static_cast<int>((unscrolled - 1) / kRowHeight);
}

std::optional<double> CTimeline::TimeAtX(int x) const
{
    const double timeWidth = double(m_viewRect.right) - m_viewRect.left - kLabelWidth;
    // An area no wider than the label column has no time to show.
    if (x <= kLabelWidth || timeWidth <= 0.0)
        return std::nullopt;
    return (double(x) - kLabelWidth) * m_viewSpan / timeWidth + m_viewStart;
}

void CTimeline::SelectTrackAt(int, int y)
{
    if (const std::optional<int> row = TrackRowAt(y))
        m_selectedTrack = *row;
}

double CTimeline::TimeFromX(int x, int)
{
    if (const std::optional<double> time = TimeAtX(x))
        m_currentTime = *time;
    return m_currentTime;
}
