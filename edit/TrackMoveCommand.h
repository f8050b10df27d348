#pragma once

#include <QUndoCommand>

#include "Timeline.h"


// Exchanges the tracks at `upper` and `upper` + 1; undo exchanges them back.
class TrackMoveCommand : public QUndoCommand {
public:
    TrackMoveCommand(CTimeline& timeline, AnnotationKey key, int upper, const QString& text);

    void redo() override { Exchange(); }
    void undo() override { Exchange(); }

private:
    void Exchange();

    CTimeline& m_timeline;
    const AnnotationKey m_key;
    const int m_upper;
};
