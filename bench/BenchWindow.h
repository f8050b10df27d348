#pragma once

#include <QCoreApplication>

#include "CAnnotatorDlg.h"
#include "ModelScrollBar.h"

// Helpers of the benchmarks that drive the main window.

// Delivers the paint a tick scheduled without running the window's own
// timer, which would add ticks of its own to the measure.
inline void Present()
{
    QCoreApplication::sendPostedEvents();
}

// Puts the time bar's range, page and position as the user would leave them.
inline void ShowRange(CAnnotatorDlg& window, int max, int page, int position)
{
    window.m_timeBar->Model().Set(0, max, page, position);
    window.m_timeBar->SyncFromModel();
}
