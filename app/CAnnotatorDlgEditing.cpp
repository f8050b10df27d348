// The editing commands of the context menus and the mark buttons.

#include "CAnnotatorDlg.h"

void CAnnotatorDlg::OnMarkStart() {}
void CAnnotatorDlg::OnMarkEnd() {}
void CAnnotatorDlg::OnEditTrack() {}
void CAnnotatorDlg::OnAddTrack() {}
void CAnnotatorDlg::OnDeleteTrack() {}
void CAnnotatorDlg::OnMoveTrackUp() {}
void CAnnotatorDlg::OnMoveTrackDown() {}
void CAnnotatorDlg::OnEditSegment() {}
void CAnnotatorDlg::OnDeleteSegment() {}
