#include "TrackLabelCommand.h"

#include "Timeline.h"

TrackLabelCommand::TrackLabelCommand(CTimeline& timeline, AnnotationKey key, const Track& track, std::string label,
                                     const QString& text)
    : QUndoCommand(text), m_timeline(timeline), m_key(key), m_track(track), m_oldLabel(track.GetLabel()),
      m_newLabel(std::move(label))
{
}

void TrackLabelCommand::Apply(const std::string& label)
{
    m_timeline.EditTrack(m_key, m_track).SetLabel(label);
}
