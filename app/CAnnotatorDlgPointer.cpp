// The pointer over the timeline, polled by the tick.

#include "CAnnotatorDlg.h"

void CAnnotatorDlg::PollPointer() {}
