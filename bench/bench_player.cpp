// Our player layer against the same operations on a bare libmpv handle with
// the same options and its own render widget, in the same run: opening a
// file, an exact seek until its frame is on screen, and reading the time.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QOpenGLContext>
#include <QOpenGLWidget>
#include <QWidget>

#include <mpv/client.h>
#include <mpv/render.h>
#include <mpv/render_gl.h>

#include "BenchApplication.h"
#include "BenchRatios.h"
#include "CMovieDriver.h"
#include "CQTControl.h"
#include "CVideoSurface.h"
#include "SeekAccuracy.h"

namespace {

constexpr int kWaitMs = 5000;
// Seek targets spread over the file, each inside a frame.
constexpr int32_t kTargets[] = {7310, 1210, 5530, 250, 9010, 3330, 6650, 4470};

std::string BenchVideo()
{
    const std::filesystem::path path = std::filesystem::temp_directory_path() / "quillmark-bench-640x360.mp4";
    if (std::filesystem::exists(path))
        return path.string();
    const std::string command = "ffmpeg -v error -y -f lavfi -i testsrc=size=640x360:rate=25:duration=10 "
                                "-f lavfi -i sine=duration=10 -c:v libx264 -preset veryfast -pix_fmt yuv420p "
                                "-c:a aac -shortest '" + path.string() + "'";
    if (std::system(command.c_str()) != 0)
        std::abort();
    return path.string();
}

// Runs the event loop until `done` holds or the wait runs out.
template <class Predicate>
bool Spin(Predicate done)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > kWaitMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
    }
    return true;
}

// The baseline: mpv's render API wired into a widget the plainest way.
class BareMpv : public QOpenGLWidget {
public:
    explicit BareMpv(QWidget* parent) : QOpenGLWidget(parent)
    {
        m_mpv = mpv_create();
        for (const char* option :
             {"vo=libmpv", "ao=null", "pause=yes", "idle=yes", "keep-open=yes", "hr-seek=yes", "hwdec=no",
              "gpu-hwdec-interop=no", "audio-display=no", "osd-level=0", "config=no", "load-scripts=no", "ytdl=no",
              "input-default-bindings=no", "input-vo-keyboard=no", "terminal=no"}) {
            const std::string text = option;
            const auto equals = text.find('=');
            mpv_set_option_string(m_mpv, text.substr(0, equals).c_str(), text.substr(equals + 1).c_str());
        }
        mpv_initialize(m_mpv);
        mpv_observe_property(m_mpv, 1, "time-pos", MPV_FORMAT_DOUBLE);
        connect(this, &QOpenGLWidget::frameSwapped, this, [this] {
            ++m_swaps;
            if (m_render != nullptr)
                mpv_render_context_report_swap(m_render);
        });
    }
    ~BareMpv() override
    {
        makeCurrent();
        mpv_render_context_free(m_render);
        doneCurrent();
        mpv_terminate_destroy(m_mpv);
    }

    mpv_handle* Handle() const { return m_mpv; }
    bool Ready() const { return m_render != nullptr; }
    uint64_t Swaps() const { return m_swaps; }
    uint64_t Renders() const { return m_renders; }

    // Waits for `id` among the queued events; false on timeout.
    bool WaitEvent(mpv_event_id id)
    {
        for (;;) {
            const mpv_event* event = mpv_wait_event(m_mpv, kWaitMs / 1000.0);
            if (event->event_id == id)
                return true;
            if (event->event_id == MPV_EVENT_NONE)
                return false;
        }
    }
    // Drains without waiting; true when `id` was among the events.
    bool Drain(mpv_event_id id)
    {
        bool seen = false;
        for (const mpv_event* event = mpv_wait_event(m_mpv, 0); event->event_id != MPV_EVENT_NONE;
             event = mpv_wait_event(m_mpv, 0))
            seen = seen || event->event_id == id;
        return seen;
    }

protected:
    void initializeGL() override
    {
        mpv_opengl_init_params gl{[](void*, const char* name) {
                                      return reinterpret_cast<void*>(
                                          QOpenGLContext::currentContext()->getProcAddress(name));
                                  },
                                  nullptr};
        char api[] = MPV_RENDER_API_TYPE_OPENGL;
        mpv_render_param params[] = {{MPV_RENDER_PARAM_API_TYPE, api},
                                     {MPV_RENDER_PARAM_OPENGL_INIT_PARAMS, &gl},
                                     {MPV_RENDER_PARAM_INVALID, nullptr}};
        mpv_render_context_create(&m_render, m_mpv, params);
        mpv_render_context_set_update_callback(
            m_render,
            [](void* self) {
                QMetaObject::invokeMethod(
                    static_cast<BareMpv*>(self),
                    [self] {
                        auto* widget = static_cast<BareMpv*>(self);
                        if (mpv_render_context_update(widget->m_render) & MPV_RENDER_UPDATE_FRAME)
                            widget->update();
                    },
                    Qt::QueuedConnection);
            },
            this);
    }
    void paintGL() override
    {
        mpv_opengl_fbo fbo{static_cast<int>(defaultFramebufferObject()), width(), height(), 0};
        int flip = 1;
        int block = 0;
        mpv_render_param params[] = {{MPV_RENDER_PARAM_OPENGL_FBO, &fbo},
                                     {MPV_RENDER_PARAM_FLIP_Y, &flip},
                                     {MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME, &block},
                                     {MPV_RENDER_PARAM_INVALID, nullptr}};
        mpv_render_context_render(m_render, params);
        ++m_renders;
    }

private:
    mpv_handle* m_mpv = nullptr;
    mpv_render_context* m_render = nullptr;
    uint64_t m_swaps = 0;
    uint64_t m_renders = 0;
};

struct Ours {
    Ours()
    {
        window.resize(301, 216);
        control.setGeometry(0, 0, 301, 216);
        window.show();
        Spin([this] { return control.Surface().HasRenderContext(); });
        control.SetSource(BenchVideo());
        movie.Attach(control.GetMovie());
        QObject::connect(&control.Surface(), &CVideoSurface::framePresented, [this] { ++swaps; });
    }
    QWidget window;
    CQTControl control{AudioOutput::Silent(), &window};
    CMovieDriver movie;
    uint64_t swaps = 0;
};

// Both are hosted the same way, as children of a plain window of the same
// size: Qt presents a top-level GL widget on another, much slower path.
struct Bare {
    explicit Bare(std::string file = BenchVideo()) : path(std::move(file))
    {
        window.resize(301, 216);
        widget.setGeometry(0, 0, 301, 176);
        window.show();
        Spin([this] { return widget.Ready(); });
        Load();
    }
    void Load()
    {
        const char* command[] = {"loadfile", path.c_str(), nullptr};
        mpv_command(widget.Handle(), command);
        widget.WaitEvent(MPV_EVENT_FILE_LOADED);
        double duration = 0.0;
        mpv_get_property(widget.Handle(), "duration", MPV_FORMAT_DOUBLE, &duration);
        benchmark::DoNotOptimize(duration);
    }
    std::string path;
    QWidget window;
    BareMpv widget{&window};
};

void BM_OurSetSource(benchmark::State& state)
{
    Ours ours;
    const std::string path = BenchVideo();
    for (auto _ : state) {
        ours.control.SetSource(path);
        state.PauseTiming();
        Spin([&] { return !ours.control.Engine().SeekInFlight(); });
        state.ResumeTiming();
    }
}

void BM_BareLoad(benchmark::State& state)
{
    Bare bare;
    for (auto _ : state) {
        bare.Load();
        state.PauseTiming();
        Spin([&] { return bare.widget.Drain(MPV_EVENT_PLAYBACK_RESTART); });
        state.ResumeTiming();
    }
}

void BM_OurSeekToFrameShown(benchmark::State& state)
{
    Ours ours;
    ours.movie.SetProperty1082(100);
    Spin([&] { return !ours.control.Engine().SeekInFlight(); });
    size_t next = 0;
    for (auto _ : state) {
        const uint64_t rendered = ours.control.Surface().PresentedFrames();
        ours.movie.SetTime(kTargets[next++ % std::size(kTargets)]);
        // Qt reports a swap for any repaint of the window (the time label
        // changes at once): wait for a video render, then its swap.
        Spin([&] { return ours.control.Surface().PresentedFrames() > rendered; });
        const uint64_t swapped = ours.swaps;
        Spin([&] { return ours.swaps > swapped; });
        state.PauseTiming();
        Spin([&] { return !ours.control.Engine().SeekInFlight(); });
        state.ResumeTiming();
    }
}

void BM_BareSeekToFrameShown(benchmark::State& state)
{
    Bare bare;
    Spin([&] { return bare.widget.Drain(MPV_EVENT_PLAYBACK_RESTART); });
    size_t next = 0;
    for (auto _ : state) {
        const uint64_t rendered = bare.widget.Renders();
        const std::string target = std::to_string(kTargets[next++ % std::size(kTargets)] / 1000.0);
        const char* command[] = {"seek", target.c_str(), "absolute+exact", nullptr};
        mpv_command_async(bare.widget.Handle(), 0, command);
        // A client reads its events as they come, as our layer does.
        bool restarted = false;
        Spin([&] {
            restarted = bare.widget.Drain(MPV_EVENT_PLAYBACK_RESTART) || restarted;
            return bare.widget.Renders() > rendered;
        });
        const uint64_t swapped = bare.widget.Swaps();
        Spin([&] { return bare.widget.Swaps() > swapped; });
        state.PauseTiming();
        Spin([&] { return restarted || bare.widget.Drain(MPV_EVENT_PLAYBACK_RESTART); });
        state.ResumeTiming();
    }
}

void OurGetTime(benchmark::State& state, bool playing)
{
    Ours ours;
    ours.control.Engine().SetPlaying(playing);
    for (auto _ : state)
        benchmark::DoNotOptimize(ours.movie.GetTime());
}

void BareGetTime(benchmark::State& state, bool playing)
{
    Bare bare;
    int flag = playing ? 0 : 1;
    mpv_set_property(bare.widget.Handle(), "pause", MPV_FORMAT_FLAG, &flag);
    for (auto _ : state) {
        double position = 0.0;
        mpv_get_property(bare.widget.Handle(), "time-pos", MPV_FORMAT_DOUBLE, &position);
        benchmark::DoNotOptimize(position);
    }
}

void BM_OurGetTimePaused(benchmark::State& state) { OurGetTime(state, false); }
void BM_OurGetTimePlaying(benchmark::State& state) { OurGetTime(state, true); }
void BM_BareGetTimePaused(benchmark::State& state) { BareGetTime(state, false); }
void BM_BareGetTimePlaying(benchmark::State& state) { BareGetTime(state, true); }

// The frame times on the player's clock: the container's, less the
// player's zero.
std::vector<double> PlayerFrameTimes(const std::vector<double>& times, mpv_handle* mpv)
{
    double zero = 0.0;
    mpv_get_property(mpv, "demuxer-start-time", MPV_FORMAT_DOUBLE, &zero);
    std::vector<double> shifted = times;
    for (double& time : shifted)
        time -= zero;
    return shifted;
}

void RunSeekAccuracy()
{
    using namespace seek_accuracy;
    const auto spin = [](const std::function<bool()>& done) { return Spin(done); };
    std::printf("Paused seeks to %d random times per file; exact = the frame covering the time reached the screen:\n",
                seek_accuracy::kTargets);
    for (const Kind& kind : Kinds()) {
        const std::string path = Clip(kind);
        const std::vector<double> times = ProbeFrameTimes(path);
        {
            QWidget window;
            window.resize(301, 216);
            CQTControl control(AudioOutput::Silent(), &window);
            control.setGeometry(0, 0, 301, 216);
            window.show();
            Spin([&] { return control.Surface().HasRenderContext(); });
            control.SetSource(path);
            CMovieDriver movie;
            movie.Attach(control.GetMovie());
            Spin([&] { return control.Engine().HasFrameTimes(); });
            const auto shown = PlayerFrameTimes(times, control.Engine().Handle());
            Print(kind.label, "Quillmark", Measure(shown, movie.GetDuration(), [&](int ms) { movie.SetTime(ms); }, spin,
                                                   [&] { return FrameIn(control.Surface().GrabFrame()); }));
        }
        Bare bare(path);
        mpv_handle* mpv = bare.widget.Handle();
        const auto shown = PlayerFrameTimes(times, mpv);
        double seconds = 0.0;
        mpv_get_property(mpv, "duration", MPV_FORMAT_DOUBLE, &seconds);
        double fps = 0.0;
        mpv_get_property(mpv, "container-fps", MPV_FORMAT_DOUBLE, &fps);
        const int durationMs = static_cast<int>(std::lround(seconds * 1000.0));
        const auto seekTo = [&](double target) {
            bare.widget.Drain(MPV_EVENT_NONE);
            const std::string text = std::to_string(target);
            const char* command[] = {"seek", text.c_str(), "absolute+exact", nullptr};
            mpv_command_async(mpv, 0, command);
        };
        const auto onScreen = [&] { return FrameIn(bare.widget.grabFramebuffer()); };
        Print(kind.label, "bare mpv, exact seek to t", Measure(shown, durationMs, [&](int ms) { seekTo(ms / 1000.0); },
                                                               spin, onScreen));
        // What this layer did before reading frame times: frames assumed
        // evenly spaced at the declared rate, the time itself without one.
        Print(kind.label, "bare mpv, declared-rate frame", Measure(shown, durationMs, [&](int ms) {
                  seekTo(fps > 0.0 ? std::floor(ms * fps / 1000.0 + 1e-6) / fps : ms / 1000.0);
              }, spin, onScreen));
    }
}

} // namespace

BENCHMARK(BM_OurSetSource)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);
BENCHMARK(BM_BareLoad)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);
BENCHMARK(BM_OurSeekToFrameShown)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(40);
BENCHMARK(BM_BareSeekToFrameShown)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(40);
BENCHMARK(BM_OurGetTimePaused)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_BareGetTimePaused)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_OurGetTimePlaying)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_BareGetTimePlaying)->Unit(benchmark::kMicrosecond)->UseRealTime();

int main(int argc, char** argv)
{
    BenchApplication application(argc, argv);
    RunSeekAccuracy();
    return RunWithRatios(argc, argv,
                         {{"SetSource / bare load", "BM_OurSetSource", "BM_BareLoad"},
                          {"SetTime to frame shown / bare seek", "BM_OurSeekToFrameShown", "BM_BareSeekToFrameShown"},
                          {"GetTime / bare time-pos (paused)", "BM_OurGetTimePaused", "BM_BareGetTimePaused"},
                          {"GetTime / bare time-pos (playing)", "BM_OurGetTimePlaying", "BM_BareGetTimePlaying"}});
}
