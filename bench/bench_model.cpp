// Annotation data at scale: 100 tracks x 1,000 segments.

#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>

#include <libxml/parser.h>

#include "BenchRatios.h"
#include "BenchTimelineData.h"
#include "Timeline.h"

namespace {

constexpr int kTracks = 100;
constexpr int kSegmentsPerTrack = 1000;

void Fill(CTimeline& timeline)
{
    timeline.ReplaceTracks(BenchTimelineData::MakeTracks(
        kTracks, kSegmentsPerTrack, [](int t) { return "Piste " + std::to_string(t) + " — joueur"; },
        [](int t, int s) {
            const std::string title = "Passe décisive " + std::to_string(s);
            auto segment = BenchTimelineData::MakeSegment(s * 36.0 + t * 0.1, 30.0, title);
            segment->SetComment("Relance rapide côté gauche après récupération haute ; appel en profondeur "
                                "de l'ailier, centre en retrait, frappe contrée. Séquence n° " + std::to_string(s));
            segment->m_videoNumber = (s % 7 == 0) ? s : 0;
            return segment;
        }));
}

const std::string& FilePath()
{
    static const std::string path = [] {
        auto p = std::filesystem::temp_directory_path() / ("quill-bench-" + std::to_string(::getpid()) + ".xml");
        CTimeline timeline;
        Fill(timeline);
        timeline.SaveFile(p.string());
        return p.string();
    }();
    return path;
}

void BM_SaveFile(benchmark::State& state)
{
    CTimeline timeline;
    Fill(timeline);
    const std::string path = FilePath() + ".save";
    for (auto _ : state)
        benchmark::DoNotOptimize(timeline.SaveFile(path));
    std::filesystem::remove(path);
}

void BM_BareParse(benchmark::State& state)
{
    const std::string& path = FilePath();
    for (auto _ : state) {
        xmlDocPtr doc = xmlReadFile(path.c_str(), "UTF-8", XML_PARSE_RECOVER | XML_PARSE_NONET);
        benchmark::DoNotOptimize(doc);
        xmlFreeDoc(doc);
    }
}

void BM_LoadFile(benchmark::State& state)
{
    const std::string& path = FilePath();
    CTimeline timeline;
    for (auto _ : state)
        benchmark::DoNotOptimize(timeline.LoadFile(path));
    state.counters["segments"] = timeline.Tracks().GetCount() * kSegmentsPerTrack;
}

// What one refresh tick asks of the data: the text under the time, the
// current segment and the companion number, at a time that moves by the
// argument in tenths of a unit (40: a frame of 25 per second, as playing).
void BM_TickLookups(benchmark::State& state)
{
    CTimeline timeline;
    Fill(timeline);
    timeline.m_selectedTrack = 50;
    std::string text;
    double time = 100.0;
    for (auto _ : state) {
        timeline.m_currentTime = time;
        timeline.GetSegmentText(text);
        benchmark::DoNotOptimize(timeline.UpdateCurrentSegment());
        benchmark::DoNotOptimize(timeline.GetCompanionVideoNumber());
        time = time > 35000.0 ? 100.0 : time + static_cast<double>(state.range(0)) / 10.0;
    }
}

// Baseline: one pass over every segment reading its bounds.
void BM_WalkAllSegments(benchmark::State& state)
{
    CTimeline timeline;
    Fill(timeline);
    for (auto _ : state) {
        double sum = 0;
        for (const auto& track : timeline.Tracks())
            for (const auto& s : track->GetSegments())
                sum += s->m_start;
        benchmark::DoNotOptimize(sum);
    }
}

} // namespace

BENCHMARK(BM_SaveFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BareParse)->Unit(benchmark::kMillisecond)->MinTime(3.0);
BENCHMARK(BM_LoadFile)->Unit(benchmark::kMillisecond)->MinTime(3.0);
BENCHMARK(BM_TickLookups)->Arg(73)->Arg(40)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WalkAllSegments)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
    const int status = RunWithRatios(argc, argv,
                                     {{"LoadFile / bare parse", "BM_LoadFile", "BM_BareParse"},
                                      {"SaveFile / bare parse", "BM_SaveFile", "BM_BareParse"},
                                      {"tick lookups / one walk of all segments", "BM_TickLookups",
                                       "BM_WalkAllSegments"}});
    std::filesystem::remove(FilePath());
    return status;
}
