#include "TrackPlacementCommand.h"

#include "Timeline.h"

TrackPlacementCommand::TrackPlacementCommand(CTimeline& timeline, int position, std::unique_ptr<Track> track,
                                             const QString& text)
    : QUndoCommand(text), m_timeline(timeline), m_position(position), m_insertsOnRedo(true),
      m_detached(std::move(track))
{
}

TrackPlacementCommand::TrackPlacementCommand(CTimeline& timeline, int position, const QString& text)
    : QUndoCommand(text), m_timeline(timeline), m_position(position), m_insertsOnRedo(false)
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
    m_timeline.m_tracks.InsertTrack(m_position, std::move(m_detached));
    m_timeline.NoteChange();
}

void TrackPlacementCommand::TakeOut()
{
    m_detached = m_timeline.m_tracks.TakeTrack(m_position);
    if (!m_detached)
        return;
    // The current segment must not outlive its place in the lists: the
    // drawing and the segment commands take it as one of the shown segments.
    for (const auto& segment : m_detached->GetSegments()) {
        if (segment.get() == m_timeline.m_currentSegment)
            m_timeline.m_currentSegment = nullptr;
    }
    m_timeline.NoteChange();
}
