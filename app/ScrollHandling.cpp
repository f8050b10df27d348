#include "ScrollHandling.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

// Positions are computed unbounded and clamped by the bar; saturating first
// keeps a step near the ends of the int range from overflowing.
int Saturate(std::int64_t value)
{
    return static_cast<int>(std::clamp<std::int64_t>(value, INT_MIN, INT_MAX));
}

} // namespace

int ScrollStep(const ScrollBarModel& bar)
{
    return static_cast<int>((std::int64_t{bar.GetMax()} - bar.GetMin()) / 100);
}

void ApplyScrollCode(int code, int position, ScrollBarModel& bar)
{
    const std::int64_t current = bar.GetPosition();
    const int step = ScrollStep(bar);
    switch (code) {
    case SB_LINELEFT:
    case SB_PAGELEFT:
        bar.SetPosition(Saturate(current - step));
        return;
    case SB_LINERIGHT:
    case SB_PAGERIGHT:
        bar.SetPosition(Saturate(current + step));
        return;
    case SB_THUMBTRACK:
        bar.SetPosition(position);
        return;
    default:
        return;
    }
}

int ZoomPage(std::int64_t positionCount, int zoom)
{
    if (positionCount < 1)
        return 0;
    const double root = std::exp(std::log(static_cast<double>(positionCount)) * 0.01);
    const double page = std::trunc(std::pow(root, 100 - zoom));
    if (!(page >= 0.0))
        return 0;
    if (page >= static_cast<double>(INT_MAX))
        return INT_MAX;
    return static_cast<int>(page);
}

void ApplyZoom(const ScrollBarModel& zoomBar, ScrollBarModel& timeBar)
{
    timeBar.SetPage(ZoomPage(timeBar.GetPositionCount(), zoomBar.GetPosition()));
}

void HandleHScroll(int code, int position, ScrollBarModel& sender, const ScrollBarModel& zoomBar,
                   ScrollBarModel& timeBar)
{
    ApplyScrollCode(code, position, sender);
    if (&sender == &zoomBar)
        ApplyZoom(zoomBar, timeBar);
}

void HandleVScroll(int code, int position, ScrollBarModel& sender)
{
    ApplyScrollCode(code, position, sender);
}

std::optional<int> ScrollCodeForAction(QAbstractSlider::SliderAction action)
{
    switch (action) {
    case QAbstractSlider::SliderSingleStepSub:
        return SB_LINELEFT;
    case QAbstractSlider::SliderSingleStepAdd:
        return SB_LINERIGHT;
    case QAbstractSlider::SliderPageStepSub:
        return SB_PAGELEFT;
    case QAbstractSlider::SliderPageStepAdd:
        return SB_PAGERIGHT;
    case QAbstractSlider::SliderMove:
        return SB_THUMBTRACK;
    case QAbstractSlider::SliderToMinimum:
        return SB_LEFT;
    case QAbstractSlider::SliderToMaximum:
        return SB_RIGHT;
    case QAbstractSlider::SliderNoAction:
        break;
    }
    return std::nullopt;
}
