#include "AnnotationEditor.h"

#include <memory>

#include "Timeline.h"

Track* AnnotationEditor::AddTrack()
{
    Track* track = m_timeline.m_tracks.AppendTrack();
    m_timeline.NoteChange();
    return track;
}

void AnnotationEditor::DeleteTrack(int position)
{
    const int before = m_timeline.m_tracks.GetCount();
    m_timeline.m_tracks.RemoveTrack(position);
    m_timeline.m_currentSegment = nullptr;
    if (m_timeline.m_tracks.GetCount() != before)
        m_timeline.NoteChange();
}

void AnnotationEditor::MoveTrackUp(int position)
{
    const Track* moved = m_timeline.m_tracks.GetTrack(position);
    m_timeline.m_tracks.MoveTrackUp(position);
    if (moved != nullptr && m_timeline.m_tracks.GetTrack(position) != moved)
        m_timeline.NoteChange();
}

void AnnotationEditor::MoveTrackDown(int position)
{
    const Track* moved = m_timeline.m_tracks.GetTrack(position);
    m_timeline.m_tracks.MoveTrackDown(position);
    if (moved != nullptr && m_timeline.m_tracks.GetTrack(position) != moved)
        m_timeline.NoteChange();
}

bool AnnotationEditor::SetTrackLabel(Track* track, const std::string& label)
{
    if (!HoldsTrack(track))
        return false;
    if (track->GetLabel() == label)
        return true;
    track->SetLabel(label);
    m_timeline.NoteChange();
    return true;
}

void AnnotationEditor::MarkStart()
{
    // The mark is the user's place, not part of the annotations.
    m_timeline.m_markStart = m_timeline.m_currentTime;
}

Segment* AnnotationEditor::CutSegment(int position)
{
    Track* track = m_timeline.m_tracks.GetTrack(position);
    if (track == nullptr)
        return nullptr;
    auto segment = std::make_unique<Segment>();
    segment->SetBounds(m_timeline.m_markStart, m_timeline.m_currentTime);
    Segment* cut = segment.get();
    track->AppendSegment(std::move(segment));
    m_timeline.NoteChange();
    return cut;
}

void AnnotationEditor::DeleteSegment(int position, const Segment* segment)
{
    Track* track = m_timeline.m_tracks.GetTrack(position);
    if (track == nullptr)
        return;
    const std::size_t before = track->GetSegments().size();
    track->RemoveSegment(segment);
    m_timeline.m_currentSegment = nullptr;
    if (track->GetSegments().size() != before)
        m_timeline.NoteChange();
}

bool AnnotationEditor::UpdateSegment(Segment* segment, const SegmentFields& fields)
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
    segment->SetBounds(fields.start, fields.end);
    segment->SetTitle(fields.title);
    segment->SetComment(fields.comment);
    m_timeline.NoteChange();
    return true;
}

bool AnnotationEditor::HoldsTrack(const Track* track) const
{
    if (track == nullptr)
        return false;
    for (const auto& held : m_timeline.m_tracks) {
        if (held.get() == track)
            return true;
    }
    return false;
}

bool AnnotationEditor::HoldsSegment(const Segment* segment) const
{
    if (segment == nullptr)
        return false;
    for (const auto& track : m_timeline.m_tracks) {
        for (const auto& held : track->GetSegments()) {
            if (held.get() == segment)
                return true;
        }
    }
    return false;
}
