#pragma once

#include <cstddef>
#include <memory>

#include <QUndoCommand>

#include "Timeline.h"

class Segment;
class Track;

// Puts a segment into a track's list or takes it out, at one index, and the
// reverse on undo. As with tracks, the segment taken out is kept here, so
// that undo brings back that very object in its old place.
class SegmentPlacementCommand : public QUndoCommand {
public:
    // Inserts `segment` at `index` of `track` on redo.
    SegmentPlacementCommand(CTimeline& timeline, AnnotationKey key, const Track& track, std::size_t index,
                            std::unique_ptr<Segment> segment, const QString& text);
    // Takes `segment`, which `track` holds at `index`, out on redo.
    SegmentPlacementCommand(CTimeline& timeline, AnnotationKey key, const Track& track, std::size_t index,
                            const Segment& segment, const QString& text);
    ~SegmentPlacementCommand() override;

    void redo() override;
    void undo() override;

    const Segment* GetSegment() const { return m_segment; }

private:
    void Insert();
    void TakeOut();

    CTimeline& m_timeline;
    const AnnotationKey m_key;
    // Outlives this command's turns in the history: a track taken out later
    // is kept by the command that took it, and before this command runs again
    // that command is undone.
    const Track& m_track;
    const std::size_t m_index;
    const bool m_insertsOnRedo;
    const Segment* m_segment; // in the list, or the one held below
    std::unique_ptr<Segment> m_detached;
};
