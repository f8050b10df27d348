#include <clocale>

#include <QApplication>
#include <QSurfaceFormat>

#include "CAnnotatorApp.h"
#include "CTimelineView.h"

int main(int argc, char* argv[])
{
    // Before the application object, or the widgets' shared context lacks
    // the fixed-function pipeline the timeline draws with.
    QSurfaceFormat::setDefaultFormat(CTimelineView::SurfaceFormat());
    QApplication application(argc, argv);
    // mpv refuses to start under a locale whose decimal point is not '.'.
    std::setlocale(LC_NUMERIC, "C");
    CAnnotatorApp app;
    app.InitInstance();
    return 0;
}
