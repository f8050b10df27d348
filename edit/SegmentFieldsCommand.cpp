#include "SegmentFieldsCommand.h"

#include "Timeline.h"

SegmentFieldsCommand::SegmentFieldsCommand(CTimeline& timeline, AnnotationKey key, const Segment& segment,
                                           SegmentFields fields, const QString& text)
    : QUndoCommand(text), m_timeline(timeline), m_key(key), m_segment(segment),
      m_old{segment.m_title, segment.m_comment, segment.m_start, segment.m_end}, m_new(std::move(fields))
{
}

void SegmentFieldsCommand::Apply(const SegmentFields& fields)
{
    // Written directly: SetBounds would widen or reorder what undo restores.
    Segment& segment = m_timeline.EditSegment(m_key, m_segment);
    segment.m_start = fields.start;
    segment.m_end = fields.end;
    segment.SetTitle(fields.title);
    segment.SetComment(fields.comment);
}
