// The main window with a video loaded in its player, at 0.5 s so that the
// sample segment's comment shows, for screenshots:
//   window_demo <video> [seconds shown] [speed]
// A speed other than 1 is shown in the transport bar as the user sees it.

#include <cstdio>
#include <cstdlib>

#include <QApplication>
#include <QSurfaceFormat>
#include <QTimer>

#include "CAnnotatorDlg.h"
#include "CTimelineView.h"
#include "PlayerError.h"
#include "ProcessSetUp.h"

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: window_demo <video> [seconds shown] [speed]\n");
        return 2;
    }
    QSurfaceFormat::setDefaultFormat(CTimelineView::SurfaceFormat());
    QApplication app(argc, argv);
    SetUpPlayerProcess();
    const int seconds = argc > 2 ? std::atoi(argv[2]) : 5;

    CAnnotatorDlg window(AudioOutput::Silent());
    window.move(0, 0);
    window.show();
    try {
        window.OpenVideo(argv[1]);
        window.Movie().SetTime(500);
        if (argc > 3)
            window.Player().Engine().SetSpeed(std::atof(argv[3]));
    } catch (const PlayerError& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    QTimer::singleShot(seconds * 1000, &app, &QApplication::quit);
    return app.exec();
}
