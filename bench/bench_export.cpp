// Exporting 100,000 segments as a TSV table against saving the same
// annotations to the program's own file: an export should cost no more
// than a save. Both are written through the same atomic writer.

#include <unistd.h>

#include <filesystem>
#include <string>

#include "AtomicFile.h"
#include "BenchRatios.h"
#include "BenchTimelineData.h"
#include "Export.h"

namespace {

std::string TemporaryPath(const char* suffix)
{
    return (std::filesystem::temp_directory_path() / ("quill-bench-export-" + std::to_string(::getpid()) + suffix))
        .string();
}

// The shared 100,000 segments, each with a comment of a line or two, as
// annotators write them, with characters the table must quote.
CTimeline& Annotations()
{
    static CTimeline timeline;
    static const bool filled = [] {
        BenchTimelineData::Fill(timeline);
        const std::string comment = "Relance côté gauche, appel \"en profondeur\"";
        int n = 0;
        TrackList tracks;
        timeline.ExchangeTracks(tracks);
        for (Track* track : tracks)
            for (Segment* segment : track->GetSegments())
                segment->SetComment(++n % 3 == 0 ? comment + "\ncentre en retrait" : comment);
        timeline.ExchangeTracks(tracks);
        return true;
    }();
    (void)filled;
    return timeline;
}

void BM_SaveFile(benchmark::State& state)
{
    const CTimeline& timeline = Annotations();
    const std::string path = TemporaryPath(".xml");
    for (auto _ : state)
        benchmark::DoNotOptimize(timeline.SaveFile(path));
    state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(path));
    std::filesystem::remove(path);
}

void BM_ExportTsv(benchmark::State& state)
{
    const CTimeline& timeline = Annotations();
    const std::string path = TemporaryPath(".tsv");
    const ExportFormat& tsv = *FindExportFormat("tsv");
    for (auto _ : state)
        benchmark::DoNotOptimize(WriteFileAtomically(path, Export(tsv, timeline.Tracks(), {}).bytes));
    state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(path));
    std::filesystem::remove(path);
}

// The table alone, in memory.
void BM_ExportTsvBytes(benchmark::State& state)
{
    const CTimeline& timeline = Annotations();
    const ExportFormat& tsv = *FindExportFormat("tsv");
    for (auto _ : state)
        benchmark::DoNotOptimize(Export(tsv, timeline.Tracks(), {}).bytes.size());
}

} // namespace

BENCHMARK(BM_SaveFile)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_ExportTsv)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_ExportTsvBytes)->Unit(benchmark::kMillisecond)->MinTime(2.0);

int main(int argc, char** argv)
{
    return RunWithRatios(argc, argv,
                         {{"TSV export / SaveFile (target at most 1.0)", "BM_ExportTsv", "BM_SaveFile"},
                          {"TSV bytes alone / SaveFile", "BM_ExportTsvBytes", "BM_SaveFile"}});
}
