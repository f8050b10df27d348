// The companion annotation video and its folder.

#include "CAnnotatorDlg.h"

void CAnnotatorDlg::OnChooseAnnotationFolder() {}
void CAnnotatorDlg::UpdateCompanionVideo() {}
