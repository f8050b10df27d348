#include "TrackMoveCommand.h"

#include "Timeline.h"

TrackMoveCommand::TrackMoveCommand(CTimeline& timeline, int upper, const QString& text)
    : QUndoCommand(text), m_timeline(timeline), m_upper(upper)
{
}

void TrackMoveCommand::Exchange()
{
    m_timeline.m_tracks.MoveTrackDown(m_upper);
    m_timeline.NoteChange();
}
