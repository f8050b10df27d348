#include "BenchApplication.h"

#include <QSurfaceFormat>

#include "CTimelineView.h"
#include "MpvEngine.h"
#include "ProcessSetUp.h"

BenchApplication::BenchApplication(int& argc, char** argv) : QApplication(WithProgramSurfaceFormat(argc), argv)
{
    SetUpPlayerProcess();
    MpvEngine::SetAudioOutput("null");
}

int& BenchApplication::WithProgramSurfaceFormat(int& argc)
{
    QSurfaceFormat::setDefaultFormat(CTimelineView::SurfaceFormat());
    return argc;
}
