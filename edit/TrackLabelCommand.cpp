#include "TrackLabelCommand.h"

#include "Timeline.h"

TrackLabelCommand::TrackLabelCommand(CTimeline& timeline, Track& track, std::string label, const QString& text)
    : QUndoCommand(text), m_timeline(timeline), m_track(track), m_oldLabel(track.GetLabel()),
      m_newLabel(std::move(label))
{
}

void TrackLabelCommand::Apply(const std::string& label)
{
    m_track.SetLabel(label);
    m_timeline.NoteChange();
}
