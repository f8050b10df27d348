// What a recovery copy costs the main window's refresh tick at 100,000
// segments (those of the drawing benchmark, a 1 % view, the time line
// moving by a frame each tick as in playback): the ordinary tick, the tick
// in which a copy is taken (the annotations copied as plain values on the
// GUI thread, then made into tracks, serialised and written on the
// autosaver's own thread), and the taking alone, which is the time such a
// tick holds the GUI thread longer. The writes overlap the ticks that
// follow, as they do in use.

#include <cstdio>

#include <QTemporaryDir>

#include "Autosaver.h"
#include "BenchApplication.h"
#include "BenchRatios.h"
#include "BenchWindow.h"
#include "CAnnotatorDlg.h"

namespace {

CAnnotatorDlg* g_window = nullptr;
Autosaver* g_saver = nullptr;

void Prepare()
{
    OpenBenchData(*g_window);
    ShowRange(*g_window, BenchTimelineData::kRange / 100, BenchTimelineData::kRange / 2);
    g_window->OnTimer();
}

// A tick whose picture changes: the time moves by a second and back.
void MovingTick(int& frame)
{
    const int32_t base = g_window->TimeBar().GetPosition() * 10 + 200;
    g_window->Movie().SetTime(base + (++frame % 2) * 1000);
    g_window->OnTimer();
}

void BM_Tick100k(benchmark::State& state)
{
    Prepare();
    int frame = 0;
    for (auto _ : state) {
        MovingTick(frame);
        Present();
    }
    g_saver->Flush();
}

void BM_Tick100kTakingACopy(benchmark::State& state)
{
    Prepare();
    int frame = 0;
    for (auto _ : state) {
        MovingTick(frame);
        g_saver->TakeCopy(g_window->Timeline(), {});
        Present();
    }
    g_saver->Flush();
}

void BM_TakeACopy100k(benchmark::State& state)
{
    Prepare();
    for (auto _ : state)
        g_saver->TakeCopy(g_window->Timeline(), {});
    g_saver->Flush();
}

} // namespace

BENCHMARK(BM_Tick100k)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Tick100kTakingACopy)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_TakeACopy100k)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv)
{
    BenchApplication application(argc, argv);
    // The window's own copies and these go to a folder of the run's own.
    const QTemporaryDir state;
    qputenv("XDG_STATE_HOME", state.path().toUtf8());

    CAnnotatorDlg window(AudioOutput::Silent());
    g_window = &window;
    window.show();
    if (!window.View().HasSurface()) {
        std::fprintf(stderr, "no OpenGL surface\n");
        return 1;
    }
    OpenBenchFiles(window, false);
    Autosaver saver(state.path() + QStringLiteral("/bench"), [](const std::optional<std::string>& failure) {
        if (failure)
            std::fprintf(stderr, "copy not written: %s\n", failure->c_str());
    });
    g_saver = &saver;

    return RunWithRatios(argc, argv,
                         {{"100k tick taking a copy / 100k tick", "BM_Tick100kTakingACopy", "BM_Tick100k"},
                          {"copy taken (time added to its tick) / 100k tick", "BM_TakeACopy100k", "BM_Tick100k"}});
}
