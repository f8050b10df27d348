#include "SegmentPlacementCommand.h"

#include "Timeline.h"

SegmentPlacementCommand::SegmentPlacementCommand(CTimeline& timeline, AnnotationKey key, const Track& track,
                                                 std::size_t index, std::unique_ptr<Segment> segment,
                                                 const QString& text)
    : QUndoCommand(text), m_timeline(timeline), m_key(key), m_track(track), m_index(index), m_insertsOnRedo(true),
      m_segment(segment.get()), m_detached(std::move(segment))
{
}

SegmentPlacementCommand::SegmentPlacementCommand(CTimeline& timeline, AnnotationKey key, const Track& track,
                                                 std::size_t index, const Segment& segment, const QString& text)
    : QUndoCommand(text), m_timeline(timeline), m_key(key), m_track(track), m_index(index), m_insertsOnRedo(false),
      m_segment(&segment)
{
}

SegmentPlacementCommand::~SegmentPlacementCommand() = default;

void SegmentPlacementCommand::redo()
{
    m_insertsOnRedo ? Insert() : TakeOut();
}

void SegmentPlacementCommand::undo()
{
    m_insertsOnRedo ? TakeOut() : Insert();
}

void SegmentPlacementCommand::Insert()
{
    m_timeline.EditTrack(m_key, m_track).InsertSegment(m_index, std::move(m_detached));
}

void SegmentPlacementCommand::TakeOut()
{
    m_detached = m_timeline.EditTrack(m_key, m_track).TakeSegment(m_segment);
    if (!m_detached)
        return;
    if (m_timeline.m_currentSegment == m_segment)
        m_timeline.m_currentSegment = nullptr;
}
