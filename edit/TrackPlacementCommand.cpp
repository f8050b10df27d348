#include "TrackPlacementCommand.h"

#include <utility>

#include "Timeline.h"

TrackPlacementCommand::TrackPlacementCommand(CTimeline& timeline, AnnotationKey key, int position,
                                             std::unique_ptr<Track> track, const QString& text)
    : QUndoCommand(text), m_timeline(timeline), m_key(key), m_position(position), m_insertsOnRedo(true),
      m_detached(std::move(track))
{
}

TrackPlacementCommand::TrackPlacementCommand(CTimeline& timeline, AnnotationKey key, int position,
                                             const QString& text)
    : QUndoCommand(text), m_timeline(timeline), m_key(key), m_position(position), m_insertsOnRedo(false)
{
}

TrackPlacementCommand::~TrackPlacementCommand() = default;

void TrackPlacementCommand::redo()
{
    m_insertsOnRedo ? Insert() : TakeOut();
}

void TrackPlacementCommand::undo()
{
    m_insertsOnRedo ? TakeOut() : Insert();
}

void TrackPlacementCommand::Insert()
{
    m_timeline.EditTracks(m_key).InsertTrack(m_position, std::move(m_detached));
}

void TrackPlacementCommand::TakeOut()
{
    m_detached = m_timeline.EditTracks(m_key).TakeTrack(m_position);
    if (!m_detached)
        return;
    // The current segment must not outlive its place in the lists: the
    // drawing and the segment commands take it as one of the shown segments.
    for (const Segment* segment : std::as_const(*m_detached).GetSegments()) {
        if (segment == m_timeline.m_currentSegment)
            m_timeline.m_currentSegment = nullptr;
    }
}
