#include "BenchApplication.h"

#include <clocale>

#include <QSurfaceFormat>

#include "CTimelineView.h"
#include "MpvEngine.h"

BenchApplication::BenchApplication(int& argc, char** argv) : QApplication(WithProgramSurfaceFormat(argc), argv)
{
    // mpv refuses to start under a locale whose decimal point is not '.'.
    std::setlocale(LC_NUMERIC, "C");
    MpvEngine::SetAudioOutput("null");
}

int& BenchApplication::WithProgramSurfaceFormat(int& argc)
{
    QSurfaceFormat::setDefaultFormat(CTimelineView::SurfaceFormat());
    return argc;
}
