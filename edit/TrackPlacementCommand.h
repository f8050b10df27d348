#pragma once

#include <memory>

#include <QUndoCommand>

#include "Timeline.h"

class Track;

// Puts a track into the list or takes it out, at one position, and the
// reverse on undo. The track taken out is kept here, not destroyed, so that
// undo brings back that very object and whatever still refers to it (later
// commands of the history) finds it again.
class TrackPlacementCommand : public QUndoCommand {
public:
    // Inserts `track` at `position` on redo.
    TrackPlacementCommand(CTimeline& timeline, AnnotationKey key, int position, std::unique_ptr<Track> track,
                          const QString& text);
    // Takes the track at `position` out on redo.
    TrackPlacementCommand(CTimeline& timeline, AnnotationKey key, int position, const QString& text);
    ~TrackPlacementCommand() override;

    void redo() override;
    void undo() override;

private:
    void Insert();
    void TakeOut();

    CTimeline& m_timeline;
    const AnnotationKey m_key;
    const int m_position;
    const bool m_insertsOnRedo;
    std::unique_ptr<Track> m_detached; // while out of the list
};
