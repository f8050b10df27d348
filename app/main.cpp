#include <clocale>

#include <QApplication>
#include <QSurfaceFormat>

#include "CAnnotatorApp.h"
#include "CTimelineView.h"
#include "CommandLine.h"

int main(int argc, char* argv[])
{
    // Before any window system is needed: --help and a typing error answer
    // on a terminal without a display.
    const CommandLine line = ParseCommandLine(argc, argv);
    if (!line.run)
        return ReportAndExit(line);
    // Before the application object, or the widgets' shared context lacks
    // the fixed-function pipeline the timeline draws with.
    QSurfaceFormat::setDefaultFormat(CTimelineView::SurfaceFormat());
    QApplication application(argc, argv);
    // mpv refuses to start under a locale whose decimal point is not '.'.
    std::setlocale(LC_NUMERIC, "C");
    CAnnotatorApp app(line.options);
    app.InitInstance();
    return app.ExitCode();
}
