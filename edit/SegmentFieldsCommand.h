#pragma once

#include <QUndoCommand>

#include "SegmentFields.h"
#include "Timeline.h"

// Writes a segment's title, comment and bounds; undo writes back what it
// held, bounds included exactly as they were (a file may hold them reversed).
class SegmentFieldsCommand : public QUndoCommand {
public:
    // `fields` are stored as given: the caller has ordered the bounds.
    // `segment` outlives the command's turns in the history (see
    // SegmentPlacementCommand).
    SegmentFieldsCommand(CTimeline& timeline, AnnotationKey key, const Segment& segment, SegmentFields fields,
                         const QString& text);

    void redo() override { Apply(m_new); }
    void undo() override { Apply(m_old); }

private:
    void Apply(const SegmentFields& fields);

    CTimeline& m_timeline;
    const AnnotationKey m_key;
    const Segment& m_segment;
    const SegmentFields m_old;
    const SegmentFields m_new;
};
