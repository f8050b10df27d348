// A window holding the player control with a video paused at a given time,
// for screenshots: player_demo <video> <time in ms> [seconds shown].

#include <cstdio>
#include <cstdlib>

#include <QApplication>
#include <QSurfaceFormat>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>

#include "CQTControl.h"
#include "CTimelineView.h"
#include "PlayerError.h"
#include "ProcessSetUp.h"

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: player_demo <video> <time in ms> [seconds shown]\n");
        return 2;
    }
    // The program's own default format, so the player runs as it does there.
    QSurfaceFormat::setDefaultFormat(CTimelineView::SurfaceFormat());
    QApplication app(argc, argv);
    SetUpPlayerProcess();
    const int seconds = argc > 3 ? std::atoi(argv[3]) : 5;

    QWidget window;
    window.setWindowTitle("Quillmark player");
    auto* layout = new QVBoxLayout(&window);
    auto* control = new CQTControl(AudioOutput::Silent(), &window);
    layout->addWidget(control);
    window.resize(660, 420);
    window.move(0, 0);
    window.show();
    try {
        control->SetSource(argv[1]);
        control->GetMovie()->SetTime(std::atoi(argv[2]));
    } catch (const PlayerError& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    QTimer::singleShot(seconds * 1000, &app, &QApplication::quit);
    return app.exec();
}
