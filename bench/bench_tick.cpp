// The main window's refresh tick under llvmpipe, with the sample data and
// with 100,000 segments at a 1 % view, against an empty frame of the same
// window; and the time from process start to the first presented frame. The
// 100,000 segments are those of the drawing benchmark, ten rows in view.
// Without a video the time stands still, so after the first tick of a view
// the tick draws and presents nothing.

#include <cstdio>
#include <ctime>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>

#include "BenchApplication.h"
#include "BenchRatios.h"
#include "BenchTimelineData.h"
#include "BenchWindow.h"
#include "CAnnotatorDlg.h"
#include "CTimelineView.h"

namespace {

using BenchTimelineData::kRange;

CAnnotatorDlg* g_window = nullptr;

// Seconds the process has been alive, from the kernel's start time.
double ProcessAgeSeconds()
{
    std::ifstream stat("/proc/self/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    // The command name may hold spaces; fields are counted after its ')'.
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string field;
    unsigned long long startTicks = 0;
    for (int index = 3; fields >> field; ++index) {
        if (index == 22) {
            startTicks = std::stoull(field);
            break;
        }
    }
    timespec now {};
    clock_gettime(CLOCK_BOOTTIME, &now);
    return now.tv_sec + now.tv_nsec * 1e-9 - static_cast<double>(startTicks) / sysconf(_SC_CLK_TCK);
}

void BM_EmptyFrame(benchmark::State& state)
{
    for (auto _ : state) {
        g_window->View().BeginFrame();
        g_window->View().SwapGLBuffers();
        Present();
    }
}

void BM_TickSampleData(benchmark::State& state)
{
    // The window's own start: the sample track; this runs before the fill below.
    ShowRange(*g_window, 100, 0);
    for (auto _ : state) {
        g_window->OnTimer();
        Present();
    }
}

void BM_Tick100kOnePercent(benchmark::State& state)
{
    OpenBenchData(*g_window);
    ShowRange(*g_window, kRange / 100, kRange / 2);
    for (auto _ : state) {
        g_window->OnTimer();
        Present();
    }
}

// Paused at the whole range: a picture the tick would draw again unchanged.
void BM_Tick100kWholeRangeStill(benchmark::State& state)
{
    OpenBenchData(*g_window);
    ShowRange(*g_window, kRange, 0);
    g_window->OnTimer();
    for (auto _ : state) {
        g_window->OnTimer();
        Present();
    }
}

// Ticks whose picture changes while the view stays, as in playback: the
// time line moves by a second (a frame of the benchmark's video) and back,
// which redraws everything but the bars and titles.
void TicksWithAChange(benchmark::State& state)
{
    const int32_t base = g_window->TimeBar().GetPosition() * 10 + 200;
    int frame = 0;
    for (auto _ : state) {
        g_window->Movie().SetTime(base + (++frame % 2) * 1000);
        g_window->OnTimer();
        Present();
    }
}

void BM_TickSampleDataMoving(benchmark::State& state)
{
    ShowRange(*g_window, 100, 0);
    TicksWithAChange(state);
}

void BM_Tick100kOnePercentMoving(benchmark::State& state)
{
    OpenBenchData(*g_window);
    ShowRange(*g_window, kRange / 100, kRange / 2);
    g_window->OnTimer();
    TicksWithAChange(state);
}

void BM_Tick100kWholeRangeMoving(benchmark::State& state)
{
    OpenBenchData(*g_window);
    ShowRange(*g_window, kRange, 0);
    g_window->OnTimer();
    TicksWithAChange(state);
}

} // namespace

BENCHMARK(BM_EmptyFrame)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_TickSampleData)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_TickSampleDataMoving)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Tick100kOnePercent)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Tick100kWholeRangeStill)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Tick100kOnePercentMoving)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Tick100kWholeRangeMoving)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv)
{
    BenchApplication application(argc, argv);

    CAnnotatorDlg window(AudioOutput::Silent());
    g_window = &window;
    window.show();
    if (!window.View().HasSurface()) {
        std::fprintf(stderr, "no OpenGL surface\n");
        return 1;
    }
    // The surface shows white before the first tick; only a drawn timeline counts.
    const auto presented = [&window] {
        return window.View().PresentedFrames() > 0 && window.Timeline().m_fontReady != 0;
    };
    WaitFor(presented);
    std::printf("first frame presented %.0f ms after process start%s\n", ProcessAgeSeconds() * 1000.0,
                presented() ? "" : " (timed out)");
    // The video whose time moves in the ticks that change the picture.
    OpenBenchFiles(window, false);

    return RunWithRatios(argc, argv,
                         {{"sample-data tick / empty frame", "BM_TickSampleData", "BM_EmptyFrame"},
                          {"100k segments 1% tick / empty frame", "BM_Tick100kOnePercent", "BM_EmptyFrame"},
                          {"100k segments 1% tick / sample-data tick", "BM_Tick100kOnePercent", "BM_TickSampleData"},
                          {"100k segments whole range, still, tick / empty frame", "BM_Tick100kWholeRangeStill",
                           "BM_EmptyFrame"},
                          {"sample-data tick, picture changing / empty frame", "BM_TickSampleDataMoving",
                           "BM_EmptyFrame"},
                          {"100k segments 1% tick, picture changing / empty frame", "BM_Tick100kOnePercentMoving",
                           "BM_EmptyFrame"},
                          {"100k segments whole range tick, picture changing / empty frame",
                           "BM_Tick100kWholeRangeMoving", "BM_EmptyFrame"}});
}
