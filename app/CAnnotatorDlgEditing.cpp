// The editing commands of the context menus and the mark buttons. Each acts
// on the track or segment it took when it started: the tick goes on under its
// dialog and may change the current segment meanwhile.

#include "CAnnotatorDlg.h"

void CAnnotatorDlg::OnMarkStart()
{
    m_editor.MarkStart();
}

void CAnnotatorDlg::OnMarkEnd()
{
    m_editor.CutSegment(m_timeline.m_selectedTrack);
}

void CAnnotatorDlg::OnEditTrack()
{
    Track* track = m_timeline.m_tracks.GetTrack(m_timeline.m_selectedTrack);
    if (track == nullptr)
        return;
    m_trackDlg.m_name = track->GetLabel();
    m_trackDlg.exec(); // takes the text however it is closed
    m_editor.SetTrackLabel(track, m_trackDlg.m_name);
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
    Segment* segment = m_timeline.m_currentSegment;
    if (segment == nullptr)
        return;
    m_segmentDlg.m_titleText = segment->m_title;
    m_segmentDlg.m_commentText = segment->m_comment;
    m_segmentDlg.m_startTime = segment->m_start;
    m_segmentDlg.m_endTime = segment->m_end;
    // Only OK writes back: after a rejected number the members hold part of
    // that attempt, and Cancel must leave the segment as it was.
    if (m_segmentDlg.exec() != QDialog::Accepted)
        return;
    m_editor.UpdateSegment(segment, {m_segmentDlg.m_titleText, m_segmentDlg.m_commentText, m_segmentDlg.m_startTime,
                                     m_segmentDlg.m_endTime});
}

void CAnnotatorDlg::OnDeleteSegment()
{
    m_editor.DeleteSegment(m_timeline.m_selectedTrack, m_timeline.m_currentSegment);
}
