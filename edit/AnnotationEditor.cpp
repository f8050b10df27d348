#include "AnnotationEditor.h"

#include <memory>

#include "SegmentFieldsCommand.h"
#include "SegmentPlacementCommand.h"
#include "Timeline.h"
#include "TrackLabelCommand.h"
#include "TrackMoveCommand.h"
#include "TrackPlacementCommand.h"

AnnotationEditor::AnnotationEditor(CTimeline& timeline) : m_timeline(timeline)
{
    m_timeline.SetTracksReplacedListener([this] { ForgetHistory(); });
}

AnnotationEditor::~AnnotationEditor()
{
    m_timeline.SetTracksReplacedListener({});
}

const Track* AnnotationEditor::AddTrack()
{
    auto track = std::make_unique<Track>();
    const Track* added = track.get();
    m_history.push(new TrackPlacementCommand(m_timeline, m_key, m_timeline.Tracks().GetCount(), std::move(track),
                                             QStringLiteral("Ajouter une piste")));
    return added;
}

void AnnotationEditor::DeleteTrack(int position)
{
    if (m_timeline.Tracks().GetTrack(position) != nullptr)
        m_history.push(new TrackPlacementCommand(m_timeline, m_key, position, QStringLiteral("Supprimer la piste")));
    m_timeline.m_currentSegment = nullptr;
}

void AnnotationEditor::MoveTrackUp(int position)
{
    if (position < 1 || m_timeline.Tracks().GetTrack(position) == nullptr)
        return;
    m_history.push(new TrackMoveCommand(m_timeline, m_key, position - 1, QStringLiteral("Monter la piste")));
}

void AnnotationEditor::MoveTrackDown(int position)
{
    const TrackList& tracks = m_timeline.Tracks();
    if (tracks.GetTrack(position) == nullptr || tracks.GetTrack(position + 1) == nullptr)
        return;
    m_history.push(new TrackMoveCommand(m_timeline, m_key, position, QStringLiteral("Descendre la piste")));
}

bool AnnotationEditor::SetTrackLabel(const Track* track, const std::string& label)
{
    if (!HoldsTrack(track))
        return false;
    if (track->GetLabel() == label)
        return true;
    m_history.push(new TrackLabelCommand(m_timeline, m_key, *track, label, QStringLiteral("Modifier la piste")));
    return true;
}

void AnnotationEditor::MarkStart(double time)
{
    // The mark is the user's place, not part of the annotations.
    m_timeline.m_markStart = time;
}

const Segment* AnnotationEditor::CutSegment(int position, double end)
{
    const Track* track = m_timeline.Tracks().GetTrack(position);
    if (track == nullptr)
        return nullptr;
    auto segment = std::make_unique<Segment>();
    segment->SetBounds(m_timeline.m_markStart, end);
    const Segment* cut = segment.get();
    m_history.push(new SegmentPlacementCommand(m_timeline, m_key, *track, track->GetSegments().size(), std::move(segment),
                                               QStringLiteral("Nouveau segment")));
    return cut;
}

void AnnotationEditor::DeleteSegment(int position, const Segment* segment)
{
    const Track* track = m_timeline.Tracks().GetTrack(position);
    if (track == nullptr)
        return;
    const ConstSegments segments = track->GetSegments();
    for (std::size_t index = 0; index < segments.size(); ++index) {
        if (segments[index] != segment)
            continue;
        m_history.push(new SegmentPlacementCommand(m_timeline, m_key, *track, index, *segment,
                                                   QStringLiteral("Supprimer le segment")));
        break;
    }
    m_timeline.m_currentSegment = nullptr;
}

bool AnnotationEditor::UpdateSegment(const Segment* segment, const SegmentFields& fields)
{
    if (!HoldsSegment(segment))
        return false;
    Segment updated;
    updated.SetBounds(fields.start, fields.end);
    // Compared field by field: a segment read from a file may hold its bounds
    // the wrong way round, and putting them in order is a change.
    const bool same = segment->m_start == updated.m_start && segment->m_end == updated.m_end &&
                      segment->m_title == fields.title && segment->m_comment == fields.comment;
    if (same)
        return true;
    m_history.push(new SegmentFieldsCommand(m_timeline, m_key, *segment,
                                            {fields.title, fields.comment, updated.m_start, updated.m_end},
                                            QStringLiteral("Modifier le segment")));
    return true;
}

bool AnnotationEditor::HoldsTrack(const Track* track) const
{
    if (track == nullptr)
        return false;
    for (const Track* held : m_timeline.Tracks()) {
        if (held == track)
            return true;
    }
    return false;
}

bool AnnotationEditor::HoldsSegment(const Segment* segment) const
{
    if (segment == nullptr)
        return false;
    for (const Track* track : m_timeline.Tracks()) {
        for (const Segment* held : track->GetSegments()) {
            if (held == segment)
                return true;
        }
    }
    return false;
}
