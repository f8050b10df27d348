#include "BenchApplication.h"

#include <QSurfaceFormat>

#include "CTimelineView.h"
#include "ProcessSetUp.h"

BenchApplication::BenchApplication(int& argc, char** argv) : QApplication(WithProgramSurfaceFormat(argc), argv)
{
    SetUpPlayerProcess();
}

int& BenchApplication::WithProgramSurfaceFormat(int& argc)
{
    QSurfaceFormat::setDefaultFormat(CTimelineView::SurfaceFormat());
    return argc;
}
