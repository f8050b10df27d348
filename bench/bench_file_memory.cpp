// Peak memory of loading a large annotation file: 1,000,000 segments on
// 10 tracks, about 130 MB as the program writes it. Each load runs in a child
// process so that its peak resident size is its own (the kernel reports it
// through wait4); the figures are counters, not times.

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include <benchmark/benchmark.h>

#include "BenchTimelineData.h"
#include "Timeline.h"

namespace {

constexpr int kTracks = 10;
constexpr int kSegmentsPerTrack = 100000;

void Fill(CTimeline& timeline)
{
    timeline.ReplaceTracks(BenchTimelineData::MakeTracks(
        kTracks, kSegmentsPerTrack, [](int t) { return "Piste " + std::to_string(t); },
        [](int t, int s) {
            auto segment = BenchTimelineData::MakeSegment(s * 3.6 + t * 0.1, 3.0, "Passe " + std::to_string(s));
            segment->SetComment("Relance " + std::to_string(s));
            return segment;
        }));
}

// Peak resident size in MB of `work` run in a child process, or -1.
template <typename Work>
double ChildPeakMegabytes(Work work)
{
    const pid_t child = ::fork();
    if (child < 0)
        return -1;
    if (child == 0)
        ::_exit(work() ? 0 : 1);
    int status = 0;
    rusage usage{};
    if (::wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    return usage.ru_maxrss / 1024.0;
}

const std::string& FilePath()
{
    static const std::string path = [] {
        const auto p = std::filesystem::temp_directory_path()
            / ("quill-bench-memory-" + std::to_string(::getpid()) + ".xml");
        // Written by a child so that this process stays small for the next forks.
        ChildPeakMegabytes([&] {
            CTimeline timeline;
            Fill(timeline);
            return timeline.SaveFile(p.string());
        });
        return p.string();
    }();
    return path;
}

double FileMegabytes()
{
    struct stat info {};
    return ::stat(FilePath().c_str(), &info) == 0 ? info.st_size / (1024.0 * 1024.0) : -1;
}

void BM_LoadFilePeakMemory(benchmark::State& state)
{
    double peak = 0;
    for (auto _ : state) {
        peak = ChildPeakMegabytes([] {
            CTimeline timeline;
            return timeline.LoadFile(FilePath())
                && timeline.Tracks().GetCount() == kTracks
                && timeline.Tracks().GetTrack(kTracks - 1)->GetSegments().size() == kSegmentsPerTrack;
        });
    }
    state.counters["file_MB"] = FileMegabytes();
    state.counters["peak_MB"] = peak;
    state.counters["peak_per_file_byte"] = peak / FileMegabytes();
}

// Baseline: the same file read whole into one string.
void BM_ReadBytesPeakMemory(benchmark::State& state)
{
    double peak = 0;
    for (auto _ : state) {
        peak = ChildPeakMegabytes([] {
            std::ifstream in(FilePath(), std::ios::binary);
            const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            benchmark::DoNotOptimize(bytes.data());
            return !bytes.empty();
        });
    }
    state.counters["file_MB"] = FileMegabytes();
    state.counters["peak_MB"] = peak;
}

} // namespace

BENCHMARK(BM_ReadBytesPeakMemory)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadFilePeakMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    // Written before any measured child exists: a child's figure covers the
    // children it waited for.
    FilePath();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove(FilePath());
    return 0;
}
