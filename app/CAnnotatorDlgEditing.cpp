// The editing commands of the context menus and the mark buttons. Each acts
// on the track or segment it took when it started: the tick goes on under its
// dialog and may change the current segment meanwhile.

#include "CAnnotatorDlg.h"

void CAnnotatorDlg::OnMarkStart()
{
    m_editor.MarkStart(MarkTimeNow());
}

void CAnnotatorDlg::OnMarkEnd()
{
    m_editor.CutSegment(m_timeline.m_selectedTrack, MarkTimeNow());
}

void CAnnotatorDlg::OnEditTrack()
{
    const Track* track = m_timeline.Tracks().GetTrack(m_timeline.m_selectedTrack);
    if (track == nullptr)
        return;
    m_editor.SetTrackLabel(track, m_trackDlg.Run(track->GetLabel()));
}

void CAnnotatorDlg::OnAddTrack()
{
    m_editor.AddTrack();
}

void CAnnotatorDlg::OnDeleteTrack()
{
    if (Confirm("Etes-vous certain de vouloir supprimer cette piste ?"))
        m_editor.DeleteTrack(m_timeline.m_selectedTrack);
}

void CAnnotatorDlg::OnMoveTrackUp()
{
    m_editor.MoveTrackUp(m_timeline.m_selectedTrack);
}

void CAnnotatorDlg::OnMoveTrackDown()
{
    m_editor.MoveTrackDown(m_timeline.m_selectedTrack);
}

void CAnnotatorDlg::OnEditSegment()
{
    const Segment* segment = m_timeline.m_currentSegment;
    if (segment == nullptr)
        return;
    const auto confirmed =
        m_segmentDlg.Run({segment->m_title, segment->m_comment, segment->m_start, segment->m_end});
    if (confirmed)
        m_editor.UpdateSegment(segment, *confirmed);
}

void CAnnotatorDlg::OnDeleteSegment()
{
    m_editor.DeleteSegment(m_timeline.m_selectedTrack, m_timeline.m_currentSegment);
}
