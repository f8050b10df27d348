#pragma once

#include <cstdint>
#include <optional>

#include <QAbstractSlider>

#include "ScrollBarModel.h"

// What a scroll message asks of its bar. Horizontal and vertical bars share
// the values.
enum ScrollCode : int {
    SB_LINELEFT = 0,
    SB_LINEUP = 0,
    SB_LINERIGHT = 1,
    SB_LINEDOWN = 1,
    SB_PAGELEFT = 2,
    SB_PAGEUP = 2,
    SB_PAGERIGHT = 3,
    SB_PAGEDOWN = 3,
    SB_THUMBPOSITION = 4,
    SB_THUMBTRACK = 5,
    SB_LEFT = 6,
    SB_TOP = 6,
    SB_RIGHT = 7,
    SB_BOTTOM = 7,
    SB_ENDSCROLL = 8,
};

// Line and page step of a bar: a hundredth of its range, truncated, so a
// range below 100 does not move by arrows or page clicks at all.
int ScrollStep(const ScrollBarModel& bar);

// Moves the bar for one scroll code; `position` is the thumb position a
// drag carries (code 5) and is ignored otherwise. Unknown codes change
// nothing.
void ApplyScrollCode(int code, int position, ScrollBarModel& bar);

// The visible span for zoom level `zoom` over `positionCount` positions: the
// hundredth root of the count raised to 100 - zoom, truncated, and kept
// within 0..INT_MAX so that an odd zoom range cannot overflow.
int ZoomPage(std::int64_t positionCount, int zoom);

// Sets the time bar's page from the zoom bar's position; the time bar then
// re-clamps its position to the new page.
void ApplyZoom(const ScrollBarModel& zoomBar, ScrollBarModel& timeBar);

// Horizontal scroll message from `sender`. A message from the zoom bar
// recomputes the time bar's page whatever its code, even when the zoom did
// not move.
void HandleHScroll(int code, int position, ScrollBarModel& sender, const ScrollBarModel& zoomBar,
                   ScrollBarModel& timeBar);
void HandleVScroll(int code, int position, ScrollBarModel& sender);

// The scroll code a Qt slider action stands for; none for SliderNoAction.
std::optional<int> ScrollCodeForAction(QAbstractSlider::SliderAction action);

// A released thumb reports its final position, then the end of scrolling.
inline constexpr int kThumbReleaseCodes[] = {SB_THUMBPOSITION, SB_ENDSCROLL};
