#include "Timeline.h"

#include <algorithm>

const char* const CTimeline::kSampleComment =
    "Exemple de segment d'annotation. Vous pouvez cr\xC3\xA9" "er d'autres segments d'annotation en utilisant "
    "les boutons ''['' et '']'' pour indiquer le d\xC3\xA9" "but et la fin d'une annotation. Pour faire "
    "appara\xC3\xAEtre le menu contextuel, s\xC3\xA9lectionnez les segments avec un clic droit.";

CTimeline::CTimeline()
{
    m_tracks.AppendTrack();
    m_tracks.GetTrack(m_tracks.GetCount() - 1)->SetLabel(" ");
    auto sample = std::make_unique<Segment>();
    sample->SetBounds(1.0, 100.0);
    sample->SetTitle("PL");
    sample->SetComment(kSampleComment);
    m_tracks.GetTrack(m_tracks.GetCount() - 1)->AppendSegment(std::move(sample));
    m_selectedTrack = 0;
    m_fontReady = 0;
}

const SegmentsAtTime& CTimeline::AtCurrentTime() const
{
    m_atTime.Update(m_tracks, m_revision, m_currentTime);
    return m_atTime;
}

const Segment* CTimeline::FirstAtCurrentTime(const std::vector<const Segment*>& held) const
{
    return m_currentTime > 0 && !held.empty() ? held.front() : nullptr;
}

void CTimeline::GetSegmentText(std::string& out) const
{
    out.clear();
    const SegmentsAtTime& held = AtCurrentTime();
    for (int position = 0; position < m_tracks.GetCount(); ++position) {
        for (const Segment* segment : held.At(position)) {
            out += segment->m_comment;
            out += "  |  ";
        }
    }
}

int CTimeline::GetCompanionVideoNumber() const
{
    int result = 0;
    const SegmentsAtTime& held = AtCurrentTime();
    for (int position = 0; position < m_tracks.GetCount(); ++position) {
        const Segment* segment = FirstAtCurrentTime(held.At(position));
        if (segment != nullptr && segment->m_videoNumber != 0) {
            result = segment->m_videoNumber;
            if (position == m_selectedTrack)
                break;
        }
    }
    return result;
}

const Segment* CTimeline::UpdateCurrentSegment()
{
    m_currentSegment = FirstAtCurrentTime(AtCurrentTime().At(m_selectedTrack));
    return m_currentSegment;
}

TrackList& CTimeline::EditTracks(AnnotationKey)
{
    NoteChange();
    return m_tracks;
}

Track& CTimeline::EditTrack(AnnotationKey, const Track& track)
{
    // The tracks are this object's own, never const objects.
    NoteChange();
    return const_cast<Track&>(track);
}

Segment& CTimeline::EditSegment(AnnotationKey, const Segment& segment)
{
    NoteChange();
    return const_cast<Segment&>(segment);
}

void CTimeline::ExchangeTracks(TrackList& tracks)
{
    m_currentSegment = nullptr;
    m_tracks.Swap(tracks);
    TracksReplaced();
}

void CTimeline::TracksReplaced()
{
    NoteChange();
    if (m_tracksReplaced)
        m_tracksReplaced();
}

void CTimeline::SetView(int32_t viewStart, int32_t viewSpan, int32_t trackScroll)
{
    m_viewStart = viewStart;
    m_viewSpan = std::max<int32_t>(1, viewSpan);
    m_trackScroll = trackScroll;
}

void CTimeline::Draw()
{
    if (!m_renderer)
        return;
    if (m_fontReady == 0) {
        m_renderer->InitFont();
        m_fontReady = 1;
    }
    m_renderer->Draw();
}
