#include "FrameInputs.h"

#include "CTimelineRenderer.h"
#include "Timeline.h"

FrameInputs FrameInputs::Read(CTimeline& timeline, uint64_t surfaceGeneration)
{
    FrameInputs inputs;
    inputs.timeX = CTimelineRenderer::TimeLineX(timeline);
    inputs.viewRect = timeline.m_viewRect;
    inputs.viewStart = timeline.ViewStart();
    inputs.viewSpan = timeline.ViewSpan();
    inputs.trackScroll = timeline.TrackScroll();
    inputs.selectedTrack = timeline.m_selectedTrack;
    inputs.currentSegment = timeline.m_currentSegment;
    inputs.revision = timeline.Revision();
    inputs.surfaceGeneration = surfaceGeneration;
    return inputs;
}

bool FrameInputs::OnlyPlaybackMoved(const FrameInputs& from, const FrameInputs& to)
{
    FrameInputs moved = from;
    moved.timeX = to.timeX;
    moved.currentSegment = to.currentSegment;
    return moved == to;
}
