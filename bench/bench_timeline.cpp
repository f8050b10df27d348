// Timeline drawing at scale under llvmpipe: 100 tracks x 1,000 titled
// segments in a 750 x 244 area, against an empty frame of the same run.
// Playing moves the time line every frame at a fixed view (the kept layer of
// bars and titles is copied); scrolling moves the rows every frame (the layer
// is redrawn); "uncached" draws every layer on every frame.

#include <cstdio>
#include <memory>
#include <string>

#include <GL/gl.h>

#include <QApplication>
#include <QImage>
#include <QPalette>
#include <QRect>
#include <QSurfaceFormat>
#include <QElapsedTimer>
#include <QWindow>
#include <QWidget>

#include "BenchRatios.h"
#include "BenchTimelineData.h"
#include "CGLFont.h"
#include "CompositionChecks.h"
#include "CTimelineRenderer.h"
#include "CTimelineView.h"
#include "Timeline.h"

namespace {

using BenchTimelineData::kRange;

struct Scene {
    QWidget frame;
    CTimelineView view;
    CTimeline timeline;
    CTimelineRenderer* renderer = nullptr; // owned by timeline
};

Scene* g_scene = nullptr;

void Fill(CTimeline& timeline)
{
    BenchTimelineData::Fill(timeline);
    timeline.m_currentSegment = timeline.Tracks().GetTrack(3)->GetSegments()[500];
}

// One tick's share of the timeline: frame, drawing, presentation, and the
// paint that composes it. glFinish keeps llvmpipe's deferred work inside.
void Tick(bool draw)
{
    g_scene->view.BeginFrame();
    if (draw)
        g_scene->timeline.Draw();
    glFinish();
    g_scene->view.SwapGLBuffers();
    QCoreApplication::processEvents();
}

void BM_EmptyFrame(benchmark::State& state)
{
    for (auto _ : state)
        Tick(false);
}

void Visible(int start, int span, bool culling, bool cache = true)
{
    g_scene->timeline.SetView(start, span, g_scene->timeline.TrackScroll());
    g_scene->timeline.m_currentTime = start + span / 2.0;
    g_scene->timeline.SetView(g_scene->timeline.ViewStart(), g_scene->timeline.ViewSpan(), 0);
    g_scene->renderer->SetCulling(culling);
    g_scene->renderer->SetLayerCache(cache);
}

// A still picture; unculled frames also draw every layer, as a reference.
void BM_View(benchmark::State& state, int start, int span, bool culling)
{
    Visible(start, span, culling, culling);
    Tick(true); // the first frame of a view pays for llvmpipe's shader compiles
    for (auto _ : state)
        Tick(true);
}

// The time line crosses the view in 500 frames.
void BM_Playing(benchmark::State& state, int start, int span, bool cache)
{
    Visible(start, span, true, cache);
    Tick(true);
    int frame = 0;
    for (auto _ : state) {
        g_scene->timeline.m_currentTime = start + span * ((frame++ % 500) / 500.0);
        Tick(true);
    }
}

// The rows move by a pixel each frame; the layer is put together, or drawn.
void BM_Scrolling(benchmark::State& state, int start, int span, bool compose)
{
    Visible(start, span, true);
    g_scene->renderer->SetLayerComposition(compose);
    Tick(true);
    int frame = 0;
    for (auto _ : state) {
        g_scene->timeline.SetView(g_scene->timeline.ViewStart(), g_scene->timeline.ViewSpan(), ++frame % 50);
        Tick(true);
    }
    g_scene->renderer->SetLayerComposition(true);
}

// The span shrinks by a hundredth each frame, from the whole range down.
void BM_Zooming(benchmark::State& state, bool compose)
{
    Visible(0, kRange, true);
    g_scene->renderer->SetLayerComposition(compose);
    Tick(true);
    int frame = 0;
    for (auto _ : state) {
        const int step = ++frame % 50;
        g_scene->timeline.SetView(step * (kRange / 200), kRange - step * (kRange / 100), g_scene->timeline.TrackScroll());
        Tick(true);
    }
    g_scene->renderer->SetLayerComposition(true);
}

// What a context's first composed layer pays, once: the key and placement
// checks drawn and read back. The font is the renderer's own, its lists
// built again the same.
void BM_CompositionChecks(benchmark::State& state)
{
    CGLFont font;
    g_scene->view.BeginFrame();
    font.InitFont();
    g_scene->view.EndFrame();
    for (auto _ : state) {
        g_scene->view.BeginFrame();
        const bool trusted = CompositionChecks::KeyColoursAreExact(750, 244) &&
                             CompositionChecks::BitmapsLandAsPlaced(font, &LayerComposition::PlaceBitmap, 750, 244);
        glFinish();
        g_scene->view.EndFrame();
        if (!trusted)
            state.SkipWithError("the driver failed the checks");
    }
}

QImage WholeRangePicture(bool compose)
{
    Visible(0, kRange, true);
    g_scene->renderer->SetLayerComposition(compose);
    g_scene->timeline.SetView(g_scene->timeline.ViewStart(), g_scene->timeline.ViewSpan(), 7);
    Tick(true);
    g_scene->timeline.SetView(g_scene->timeline.ViewStart(), g_scene->timeline.ViewSpan(), 0);
    Tick(true);
    g_scene->renderer->SetLayerComposition(true);
    return g_scene->view.GrabFrame();
}

// The fast path must not change a pixel: said before the figures.
void ComparePictures()
{
    const QImage drawn = WholeRangePicture(false);
    const QImage composed = WholeRangePicture(true);
    long differing = drawn.size() == composed.size() ? 0 : -1;
    for (int y = 0; differing >= 0 && y < drawn.height(); ++y)
        for (int x = 0; x < drawn.width(); ++x)
            differing += drawn.pixel(x, y) != composed.pixel(x, y);
    std::printf("whole range, 100,000 segments: composed layer against drawn layer: %ld differing pixels of %d%s\n",
                differing, drawn.width() * drawn.height(), g_scene->renderer->LastLayerWasComposed() ? "" : " (NOT COMPOSED)");
}

} // namespace

BENCHMARK(BM_EmptyFrame)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_View, WholeRange, 0, kRange, true)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_View, OnePercent, kRange / 2, kRange / 100, true)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Playing, WholeRange, 0, kRange, true)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Playing, OnePercent, kRange / 2, kRange / 100, true)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Playing, WholeRangeUncached, 0, kRange, false)
    ->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK_CAPTURE(BM_Playing, OnePercentUncached, kRange / 2, kRange / 100, false)
    ->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Scrolling, WholeRange, 0, kRange, true)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);
BENCHMARK_CAPTURE(BM_Scrolling, WholeRangeDrawn, 0, kRange, false)
    ->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK_CAPTURE(BM_Scrolling, OnePercent, kRange / 2, kRange / 100, true)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Scrolling, OnePercentDrawn, kRange / 2, kRange / 100, false)
    ->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Zooming, WholeRange, true)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);
BENCHMARK_CAPTURE(BM_Zooming, WholeRangeDrawn, false)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_CompositionChecks)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_View, WholeRangeUnculled, 0, kRange, false)
    ->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK_CAPTURE(BM_View, OnePercentUnculled, kRange / 2, kRange / 100, false)
    ->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

int main(int argc, char** argv)
{
    QSurfaceFormat::setDefaultFormat(CTimelineView::SurfaceFormat());
    QApplication app(argc, argv);
    Scene scene;
    g_scene = &scene;

    QPalette palette = scene.frame.palette();
    palette.setColor(QPalette::Window, Qt::black);
    scene.frame.setPalette(palette);
    scene.frame.setAutoFillBackground(true);
    scene.frame.setFixedSize(750, 244);
    scene.frame.show();
    QElapsedTimer clock;
    clock.start();
    while (!(scene.frame.windowHandle() && scene.frame.windowHandle()->isExposed()) && clock.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    if (!scene.view.CreateGL(QRect(0, 0, 750, 244), &scene.frame))
        return 1;
    clock.restart();
    while (clock.elapsed() < 300)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);

    Fill(scene.timeline);
    auto renderer = std::make_unique<CTimelineRenderer>(&scene.timeline);
    scene.renderer = renderer.get();
    scene.timeline.m_viewRect = {0, 0, 750, 244};
    scene.timeline.SetRenderer(std::move(renderer));
    Tick(true); // builds the font lists outside the measurement
    ComparePictures();

    return RunWithRatios(argc, argv,
                         {{"whole range / empty frame", "BM_View/WholeRange", "BM_EmptyFrame"},
                          {"playing, whole range / empty frame", "BM_Playing/WholeRange", "BM_EmptyFrame"},
                          {"playing, 1 % visible / empty frame", "BM_Playing/OnePercent", "BM_EmptyFrame"},
                          {"playing uncached, whole range / empty frame", "BM_Playing/WholeRangeUncached", "BM_EmptyFrame"},
                          {"playing uncached, 1 % visible / empty frame", "BM_Playing/OnePercentUncached",
                           "BM_EmptyFrame"},
                          {"scrolling, whole range / empty frame", "BM_Scrolling/WholeRange", "BM_EmptyFrame"},
                          {"scrolling, whole range, layer drawn / empty frame", "BM_Scrolling/WholeRangeDrawn",
                           "BM_EmptyFrame"},
                          {"scrolling, whole range: composed / drawn", "BM_Scrolling/WholeRange",
                           "BM_Scrolling/WholeRangeDrawn"},
                          {"scrolling, 1 % visible: composed / drawn", "BM_Scrolling/OnePercent",
                           "BM_Scrolling/OnePercentDrawn"},
                          {"zooming, whole range / empty frame", "BM_Zooming/WholeRange", "BM_EmptyFrame"},
                          {"zooming, whole range, layer drawn / empty frame", "BM_Zooming/WholeRangeDrawn",
                           "BM_EmptyFrame"},
                          {"zooming, whole range: composed / drawn", "BM_Zooming/WholeRange",
                           "BM_Zooming/WholeRangeDrawn"},
                          {"composition checks, once per context / composed scrolling frame",
                           "BM_CompositionChecks", "BM_Scrolling/WholeRange"},
                          {"1 % visible / empty frame", "BM_View/OnePercent", "BM_EmptyFrame"},
                          {"whole range unculled / empty frame", "BM_View/WholeRangeUnculled", "BM_EmptyFrame"},
                          {"1 % visible unculled / empty frame", "BM_View/OnePercentUnculled", "BM_EmptyFrame"}});
}
