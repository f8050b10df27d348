#pragma once

#include <QUndoCommand>

class CTimeline;

// Exchanges the tracks at `upper` and `upper` + 1; undo exchanges them back.
class TrackMoveCommand : public QUndoCommand {
public:
    TrackMoveCommand(CTimeline& timeline, int upper, const QString& text);

    void redo() override { Exchange(); }
    void undo() override { Exchange(); }

private:
    void Exchange();

    CTimeline& m_timeline;
    const int m_upper;
};
