#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace scanora::bench {

// Console output plus, at the end, every benchmark's time as a ratio to the reference run named
// for its prefix, so that results compare across machines.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    // `references`: benchmark name prefix -> name of the reference run it is measured against.
    explicit RatioReporter(std::vector<std::pair<std::string, std::string>> references)
        : references_(std::move(references))
    {
    }

    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration && !run.error_occurred)
                seconds_[run.benchmark_name()] =
                    run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
        }
    }

    void Finalize() override
    {
        ConsoleReporter::Finalize();
        std::printf("\nRatio to the reference run (lower is faster):\n");
        for (const auto& [name, seconds] : seconds_) {
            for (const auto& [prefix, reference] : references_) {
                const auto found = seconds_.find(reference);
                if (name.rfind(prefix, 0) != 0 || name == reference || found == seconds_.end())
                    continue;
                std::printf("  %-40s %8.2f x %s\n", name.c_str(), seconds / found->second,
                            reference.c_str());
            }
        }
    }

private:
    std::vector<std::pair<std::string, std::string>> references_;
    std::map<std::string, double> seconds_;
};

// A benchmark program's main: runs the benchmarks the arguments select and reports each one's
// ratio to its reference run.
inline int RunWithRatios(int argc, char** argv,
                         std::vector<std::pair<std::string, std::string>> references)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RatioReporter reporter(std::move(references));
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}

}  // namespace scanora::bench
