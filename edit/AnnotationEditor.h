#pragma once

#include <string>

#include <QUndoStack>

#include "SegmentFields.h"
#include "Timeline.h"

class CTimeline;
class Segment;
class Track;

// Every change that the editing commands make to the tracks and segments
// goes through here, as a command of the undo history, so that whoever must
// know of a change (the drawing, the unsaved-work check) learns of it in one
// place. A step that leaves the annotations as they were is no change: it is
// neither reported nor kept in the history.
//
// Undo puts back the very tracks and segments that a change took out, in
// their old places: the history keeps them meanwhile. Whatever an undo or a
// redo takes out of the lists is no longer the current segment.
//
// Tracks and segments are taken by identity: a command that waited on a
// dialog writes into what it started with, and if that is gone meanwhile,
// it writes nothing rather than into freed memory.
class AnnotationEditor {
public:
    // `timeline` is not owned and must outlive the editor. A load that
    // replaces its tracks forgets the history, whose commands refer to them.
    explicit AnnotationEditor(CTimeline& timeline);
    ~AnnotationEditor();

    AnnotationEditor(const AnnotationEditor&) = delete;
    AnnotationEditor& operator=(const AnnotationEditor&) = delete;

    // A new track labelled " " at the end.
    const Track* AddTrack();
    // Removes the track at `position`, if any, and forgets the current
    // segment, which may have been one of its segments.
    void DeleteTrack(int position);
    void MoveTrackUp(int position);
    void MoveTrackDown(int position);
    // False when `track` is no longer one of the timeline's.
    bool SetTrackLabel(const Track* track, const std::string& label);

    // The "[" button: the start of the segments that "]" cuts, at the
    // current time or at `time` (see MarkTime.h).
    void MarkStart() { MarkStart(m_timeline.m_currentTime); }
    void MarkStart(double time);
    // The "]" button: a segment from the start mark to the current time (or
    // to `end`) at the end of the track at `position`; none when there is no
    // such track.
    const Segment* CutSegment(int position) { return CutSegment(position, m_timeline.m_currentTime); }
    const Segment* CutSegment(int position, double end);
    // Removes `segment` if the track at `position` holds it, and forgets the
    // current segment. Nothing at all when there is no such track.
    void DeleteSegment(int position, const Segment* segment);
    // Bounds ordered as SetBounds orders them. False when `segment` is no
    // longer one of the timeline's.
    bool UpdateSegment(const Segment* segment, const SegmentFields& fields);

    bool HoldsTrack(const Track* track) const;
    bool HoldsSegment(const Segment* segment) const;

    void Undo() { m_history.undo(); }
    void Redo() { m_history.redo(); }
    // Its clean state is the saved one; its signals tell the window when to
    // refresh what it shows of the history.
    QUndoStack& History() { return m_history; }
    const QUndoStack& History() const { return m_history; }
    bool IsModified() const { return !m_history.isClean(); }
    void MarkSaved() { m_history.setClean(); }
    // Annotations that came from no saved file (an import): unsaved with an
    // empty history. No undo or redo can reach the clean state again; the
    // next save or load gives it back.
    void MarkUnsaved() { m_history.resetClean(); }
    // The commands refer to tracks that are gone. Leaves the history clean,
    // even an empty one that an import marked unsaved (clearing an empty
    // stack leaves its clean state as it was).
    void ForgetHistory()
    {
        m_history.clear();
        m_history.setClean();
    }

private:
    CTimeline& m_timeline;
    // The one key to the annotations; each command holds a copy.
    const AnnotationKey m_key;
    QUndoStack m_history;
};
