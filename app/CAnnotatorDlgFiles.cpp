// The file commands of the main window: the video, the annotation file.

#include "CAnnotatorDlg.h"

void CAnnotatorDlg::OnOpenVideo() {}
void CAnnotatorDlg::OnOpenAnnotationFile() {}
void CAnnotatorDlg::OnSaveAnnotationFile() {}
