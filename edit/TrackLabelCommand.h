#pragma once

#include <string>

#include <QUndoCommand>

#include "Timeline.h"


// Gives a track a new label; undo gives back the old one.
class TrackLabelCommand : public QUndoCommand {
public:
    // `track` outlives the command's turns in the history (see
    // SegmentPlacementCommand).
    TrackLabelCommand(CTimeline& timeline, AnnotationKey key, const Track& track, std::string label,
                      const QString& text);

    void redo() override { Apply(m_newLabel); }
    void undo() override { Apply(m_oldLabel); }

private:
    void Apply(const std::string& label);

    CTimeline& m_timeline;
    const AnnotationKey m_key;
    const Track& m_track;
    const std::string m_oldLabel;
    const std::string m_newLabel;
};
