// What the pointer polling costs in each tick with 100,000 segments: the real
// sampling of the window (active window, cursor, frame, buttons) and the
// decision, against the whole tick of the same window. The decision's worst
// case is a right press over the time area: one walk of the selected track's
// segments, here 100,000 on one track with none under the cursor.

#include <cstdio>
#include <memory>
#include <string>

#include <QApplication>
#include <QCursor>
#include <QElapsedTimer>
#include <QFrame>

#include "BenchApplication.h"
#include "BenchRatios.h"
#include "BenchTimelineData.h"
#include "BenchWindow.h"
#include "CAnnotatorDlg.h"
#include "PointerDecision.h"

namespace {

using BenchTimelineData::kRange;

CAnnotatorDlg* g_window = nullptr;

void CursorOnTimeline(int x, int y)
{
    QCursor::setPos(g_window->Control(kTimelineFrameId)->mapToGlobal(QPoint(x, y)));
    QCoreApplication::processEvents();
}

void BM_Tick100kOnePercent(benchmark::State& state)
{
    CursorOnTimeline(400, 30);
    for (auto _ : state) {
        g_window->OnTimer();
        Present();
    }
}

void BM_PollOverTimeArea(benchmark::State& state)
{
    CursorOnTimeline(400, 30);
    for (auto _ : state)
        g_window->PollPointer();
}

void BM_PollOutsideTimeline(benchmark::State& state)
{
    QCursor::setPos(g_window->mapToGlobal(QPoint(g_window->width() - 5, g_window->height() - 5)));
    QCoreApplication::processEvents();
    for (auto _ : state)
        g_window->PollPointer();
}

// The decision alone for a right press in a swallowing state (no seek, no
// menu): the walk of one track of 100,000 segments, none under the cursor.
void BM_DecideRightPressWalk100k(benchmark::State& state)
{
    CTimeline timeline;
    TrackList tracks;
    Track* track = tracks.AppendTrack();
    for (int s = 0; s < 100000; ++s) {
        auto segment = std::make_unique<Segment>();
        segment->SetBounds(s * 10.0, s * 10.0 + 8.0);
        track->AppendSegment(std::move(segment));
    }
    timeline.ReplaceTracks(std::move(tracks));
    timeline.m_viewRect = {0, 0, 750, 244};
    timeline.SetView(2000000, 100, timeline.TrackScroll());
    PointerSample sample;
    sample.windowActive = true;
    sample.frame = {100, 100, 850, 344};
    sample.cursorX = 500;
    sample.cursorY = 120;
    sample.rightDown = true;
    for (auto _ : state) {
        PointerDecision decision = DecidePointer(sample, MOUSE_WAIT_RELEASE, timeline);
        benchmark::DoNotOptimize(decision);
    }
}

} // namespace

BENCHMARK(BM_Tick100kOnePercent)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_PollOverTimeArea)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_PollOutsideTimeline)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_DecideRightPressWalk100k)->Unit(benchmark::kMicrosecond)->UseRealTime();

int main(int argc, char** argv)
{
    BenchApplication application(argc, argv);

    CAnnotatorDlg window(AudioOutput::Silent());
    g_window = &window;
    window.show();
    window.activateWindow();
    if (!WaitFor([&window] { return QApplication::activeWindow() == &window; })) {
        std::fprintf(stderr, "the window never became active\n");
        return 1;
    }
    OpenBenchData(window);
    ShowRange(window, kRange / 100, kRange / 2);
    window.OnTimer(); // the font and the span, outside the measurement

    return RunWithRatios(argc, argv,
                         {{"poll over the time area / tick", "BM_PollOverTimeArea", "BM_Tick100kOnePercent"},
                          {"poll outside / tick", "BM_PollOutsideTimeline", "BM_Tick100kOnePercent"},
                          {"right-press walk of 100k / tick", "BM_DecideRightPressWalk100k",
                           "BM_Tick100kOnePercent"}});
}
