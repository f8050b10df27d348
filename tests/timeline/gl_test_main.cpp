#include <gtest/gtest.h>

#include <QApplication>
#include <QSurfaceFormat>

#include "CTimelineView.h"
#include "GlDriverPin.h"

// The compatibility profile has to be the default before the application
// exists, or the widgets' shared context lacks the fixed-function pipeline.
int main(int argc, char** argv)
{
    QSurfaceFormat::setDefaultFormat(CTimelineView::SurfaceFormat());
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    const int status = RUN_ALL_TESTS();
    PinGlDriversForLeakReports();
    return status;
}
