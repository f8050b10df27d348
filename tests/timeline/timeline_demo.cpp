// A timeline window with a few tracks, drawn by a 40 ms tick the way the main
// window does it, for screenshots: timeline_demo [seconds].

#include <cstdlib>
#include <memory>
#include <string>

#include <QApplication>
#include <QFrame>
#include <QPalette>
#include <QSurfaceFormat>
#include <QTimer>
#include <QWidget>

#include "CTimelineRenderer.h"
#include "CTimelineView.h"
#include "Timeline.h"

namespace {

Segment* Add(Track& track, double start, double end, const std::string& title)
{
    auto segment = std::make_unique<Segment>();
    segment->SetBounds(start, end);
    segment->SetTitle(title);
    Segment* added = segment.get();
    track.AppendSegment(std::move(segment));
    return added;
}

void Fill(CTimeline& timeline)
{
    TrackList tracks;
    Track* warmUp = tracks.AppendTrack();
    warmUp->SetLabel("\xC3\x89quipe A");
    Add(*warmUp, 5.0, 60.0, "\xC3\x89" "chauffement");
    Add(*warmUp, 80.0, 140.0, "PL");
    Track* defence = tracks.AppendTrack();
    defence->SetLabel("D\xC3\xA9" "fense");
    Add(*defence, 20.0, 70.0, "Pressing haut");
    Segment* current = Add(*defence, 90.0, 150.0, "D\xC3\xA9" "fense \xC3\xA0 trois");
    Track* attack = tracks.AppendTrack();
    attack->SetLabel("Attaque plac\xC3\xA9" "e");
    Add(*attack, 40.0, 110.0, "Contre-attaque \xC3\xA9" "clair");
    Track* empty = tracks.AppendTrack();
    empty->SetLabel("Rempla\xC3\xA7" "ants");
    timeline.ReplaceTracks(std::move(tracks));

    timeline.SetView(0, 160, 0);
    timeline.m_selectedTrack = 1;
    timeline.m_currentTime = 120.0;
    timeline.m_currentSegment = current;
}

} // namespace

int main(int argc, char** argv)
{
    QSurfaceFormat::setDefaultFormat(CTimelineView::SurfaceFormat());
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 5;

    QWidget window;
    window.setWindowTitle("Quillmark timeline");
    window.setFixedSize(780, 274);
    auto* frame = new QFrame(&window);
    frame->setGeometry(15, 15, 750, 244);
    QPalette palette = frame->palette();
    palette.setColor(QPalette::Window, Qt::black);
    frame->setPalette(palette);
    frame->setAutoFillBackground(true);
    window.move(0, 0);
    window.show();

    CTimelineView view;
    CTimeline timeline;
    Fill(timeline);
    const QRect client(0, 0, frame->width(), frame->height());
    view.CreateGL(client, frame);
    auto renderer = std::make_unique<CTimelineRenderer>(&timeline);
    timeline.m_viewRect = {0, 0, client.width(), client.height()};
    timeline.SetRenderer(std::move(renderer));

    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, &window, [&] {
        view.BeginFrame();
        timeline.Draw();
        view.SwapGLBuffers();
    });
    tick.start(40);
    QTimer::singleShot(seconds * 1000, &app, &QApplication::quit);
    return app.exec();
}
