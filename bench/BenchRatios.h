#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include <benchmark/benchmark.h>

// Console reporter that also prints, after the run, named ratios of one
// benchmark's time to another's measured in the same run: the machines are
// shared and noisy, so only ratios are comparable across runs.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    struct Ratio {
        std::string label, numerator, denominator;
    };
    explicit RatioReporter(std::vector<Ratio> ratios)
        : benchmark::ConsoleReporter(OO_None), m_ratios(std::move(ratios)) {}

    void ReportRuns(const std::vector<Run>& runs) override
    {
        // With --benchmark_repetitions the median stands for the benchmark.
        for (const auto& run : runs) {
            const std::string& name = run.run_name.function_name;
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
                m_times[name] = run.GetAdjustedRealTime();
                m_fromMedian[name] = true;
            } else if (run.run_type == Run::RT_Iteration && !m_fromMedian[name]) {
                m_times[name] = run.GetAdjustedRealTime();
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void Finalize() override
    {
        ConsoleReporter::Finalize();
        for (const auto& r : m_ratios) {
            auto n = m_times.find(r.numerator);
            auto d = m_times.find(r.denominator);
            if (n == m_times.end() || d == m_times.end() || d->second == 0)
                continue;
            GetOutputStream() << "ratio " << r.label << ": " << n->second / d->second << "\n";
        }
    }

private:
    std::vector<Ratio> m_ratios;
    std::map<std::string, double> m_times;
    std::map<std::string, bool> m_fromMedian;
};

// Runs the registered benchmarks with the ratios appended to the report.
inline int RunWithRatios(int argc, char** argv, std::vector<RatioReporter::Ratio> ratios)
{
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter(std::move(ratios));
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
