#include "TrackMoveCommand.h"

#include "Timeline.h"

TrackMoveCommand::TrackMoveCommand(CTimeline& timeline, AnnotationKey key, int upper, const QString& text)
    : QUndoCommand(text), m_timeline(timeline), m_key(key), m_upper(upper)
{
}

void TrackMoveCommand::Exchange()
{
    m_timeline.EditTracks(m_key).MoveTrackDown(m_upper);
}
