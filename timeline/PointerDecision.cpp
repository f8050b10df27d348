#include "PointerDecision.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "Timeline.h"

namespace {

// The frame's edge pixels are not inside.
bool StrictlyInside(const PointerSample& sample)
{
    const PixelRect& frame = sample.frame;
    return frame.left < sample.cursorX && sample.cursorX < frame.right && frame.top < sample.cursorY &&
           sample.cursorY < frame.bottom;
}

} // namespace

int32_t PlayerTimeOf(double time)
{
    const double units = std::trunc(time * 10.0);
    // Past the player's range the conversion would be undefined; the player
    // clamps to the video anyway.
    if (std::isnan(units))
        return 0;
    using Limits = std::numeric_limits<int32_t>;
    return static_cast<int32_t>(std::clamp(units, double(Limits::min()), double(Limits::max())));
}

PointerDecision DecidePointer(const PointerSample& sample, int state, const CTimeline& timeline)
{
    PointerDecision decision;
    decision.state = state;
    if (state == MOUSE_CLOSING || !sample.windowActive || !StrictlyInside(sample))
        return decision;
    decision.polled = true;
    decision.x = sample.cursorX - sample.frame.left;
    decision.y = sample.cursorY - sample.frame.top;

    // What the timeline will hold once the decision is carried out: the
    // segment lookup sees the selection and the time the press made.
    int selected = timeline.m_selectedTrack;
    double time = timeline.m_currentTime;
    const std::optional<double> timeUnder = timeline.TimeAtX(decision.x);

    const bool pressed = sample.leftDown || sample.rightDown;
    if (pressed) {
        if (state == MOUSE_IDLE) {
            decision.select = true;
            if (const std::optional<int> row = timeline.TrackRowAt(decision.y))
                selected = *row;
            time = timeUnder.value_or(time);
            decision.seek = PlayerTimeOf(time);
        }
        if (state == MOUSE_MENU_SHOWN)
            decision.state = MOUSE_WAIT_RELEASE;
    } else if (state == MOUSE_WAIT_RELEASE) {
        decision.state = MOUSE_IDLE;
    }

    if (!sample.rightDown)
        return decision;
    if (decision.x < TimelineGeometry::kLabelWidth) {
        decision.state = MOUSE_MENU_SHOWN;
        decision.menu = PointerMenu::Track;
        return decision;
    }
    decision.takeTime = true;
    time = timeUnder.value_or(time);
    const Track* track = timeline.Tracks().GetTrack(selected);
    const Segment* segment = track != nullptr ? track->FindSegmentAt(time) : nullptr;
    if (segment == nullptr)
        return decision;
    decision.segment = segment;
    decision.state = MOUSE_MENU_SHOWN;
    decision.menu = PointerMenu::Segment;
    return decision;
}

void ApplyPointerDecision(const PointerDecision& decision, CTimeline& timeline)
{
    if (!decision.polled)
        return;
    if (decision.select)
        timeline.SelectTrackAt(decision.x, decision.y);
    if (decision.select || decision.takeTime)
        timeline.TimeFromX(decision.x, decision.y);
    if (decision.segment != nullptr)
        timeline.m_currentSegment = decision.segment;
}
