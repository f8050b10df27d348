#include <clocale>

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <QSurfaceFormat>

#include "AllocatorTuning.h"
#include "CAnnotatorApp.h"
#include "CTimelineView.h"
#include "CommandLine.h"
#include "ExportCommand.h"

int main(int argc, char* argv[])
{
    // Before any window system is needed: --help and a typing error answer
    // on a terminal without a display.
    const CommandLine line = ParseCommandLine(argc, argv);
    if (!line.run)
        return ReportAndExit(line);
    // Exports run from scripts, on machines without any display.
    if (line.exportRequest)
        return RunExport(*line.exportRequest, stdout, stderr);
    // Before the application object, or the widgets' shared context lacks
    // the fixed-function pipeline the timeline draws with.
    QSurfaceFormat::setDefaultFormat(CTimelineView::SurfaceFormat());
    QApplication application(argc, argv);
    // Process-wide, once, before any player starts its threads: mpv refuses
    // to start under a locale whose decimal point is not '.', and playback
    // would otherwise fragment the C library's heaps (AllocatorTuning.cpp).
    std::setlocale(LC_NUMERIC, "C");
    KeepLargeBuffersOutOfHeaps();
    // The interface is French whatever the desktop's language: Qt's own
    // buttons and file dialogs too ("Annuler", not "Cancel"), where Qt's
    // translations are installed.
    QTranslator qtFrench;
    if (qtFrench.load(QLocale(QLocale::French), QStringLiteral("qtbase"), QStringLiteral("_"),
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        application.installTranslator(&qtFrench);
    CAnnotatorApp app(line.options);
    app.InitInstance();
    return app.ExitCode();
}
