#include "SegmentFieldsCommand.h"

#include "Timeline.h"

SegmentFieldsCommand::SegmentFieldsCommand(CTimeline& timeline, Segment& segment, SegmentFields fields,
                                           const QString& text)
    : QUndoCommand(text), m_timeline(timeline), m_segment(segment),
      m_old{segment.m_title, segment.m_comment, segment.m_start, segment.m_end}, m_new(std::move(fields))
{
}

void SegmentFieldsCommand::Apply(const SegmentFields& fields)
{
    // Written directly: SetBounds would widen or reorder what undo restores.
    m_segment.m_start = fields.start;
    m_segment.m_end = fields.end;
    m_segment.SetTitle(fields.title);
    m_segment.SetComment(fields.comment);
    m_timeline.NoteChange();
}
