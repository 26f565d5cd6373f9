#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace bench {

// A figure measured beside its baseline, each named as the console names it without the
// repetitions ("Name/118/12"); the goal is the largest ratio wanted, 0 for none.
struct Ratio {
    std::string measured;
    std::string baseline;
    double goal = 0;
};

// Shows the aggregates of the repeated runs, then for every ratio the minimum and the median
// CPU time per iteration of both benchmarks over their repetitions, and the two ratios.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    explicit RatioReporter(std::vector<Ratio> ratios) : m_ratios(std::move(ratios)) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        std::vector<Run> shown;
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Aggregate || run.repetitions <= 1)
                shown.push_back(run);
            if (run.run_type == Run::RT_Iteration && !run.error_occurred)
                m_times[Name(run)].push_back(run.GetAdjustedCPUTime() * Nanoseconds(run));
        }
        if (!shown.empty())
            ConsoleReporter::ReportRuns(shown);
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        std::printf("\nCPU time per iteration over %s repetitions, min / median:\n",
                    m_times.empty() ? "0" : std::to_string(m_times.begin()->second.size()).c_str());
        for (const Ratio& r : m_ratios) {
            auto measured = m_times.find(r.measured), baseline = m_times.find(r.baseline);
            if (measured == m_times.end() || baseline == m_times.end())
                continue;
            const auto [mMin, mMedian] = MinMedian(measured->second);
            const auto [bMin, bMedian] = MinMedian(baseline->second);
            std::printf("%-28s %10.1f / %10.1f ns  beside %-24s %9.1f / %9.1f ns  ratio %6.2f / "
                        "%6.2f",
                        r.measured.c_str(), mMin, mMedian, r.baseline.c_str(), bMin, bMedian,
                        mMin / bMin, mMedian / bMedian);
            if (r.goal > 0)
                std::printf("  (goal <= %.1f)", r.goal);
            std::printf("\n");
        }
    }

private:
    static std::string Name(const Run& run) {
        std::string name = run.run_name.function_name;
        if (!run.run_name.args.empty())
            name += "/" + run.run_name.args;
        return name;
    }
    static double Nanoseconds(const Run& run) {
        switch (run.time_unit) {
        case benchmark::kSecond:
            return 1e9;
        case benchmark::kMillisecond:
            return 1e6;
        case benchmark::kMicrosecond:
            return 1e3;
        default:
            return 1;
        }
    }
    static std::pair<double, double> MinMedian(std::vector<double> times) {
        std::sort(times.begin(), times.end());
        return {times.front(), times[times.size() / 2]};
    }

    std::vector<Ratio> m_ratios;
    std::map<std::string, std::vector<double>> m_times;
};

// Runs the program's benchmarks, by default 15 repetitions of each interleaved at random
// (options given on the command line come later and win), and prints the ratios.
inline void RunWithRatios(int argc, char** argv, std::vector<Ratio> ratios) {
    std::vector<char*> args{argv[0]};
    static char repetitions[] = "--benchmark_repetitions=15";
    static char interleaving[] = "--benchmark_enable_random_interleaving=true";
    args.push_back(repetitions);
    args.push_back(interleaving);
    args.insert(args.end(), argv + 1, argv + argc);
    int count = static_cast<int>(args.size());
    args.push_back(nullptr);
    benchmark::Initialize(&count, args.data());
    RatioReporter reporter(std::move(ratios));
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
}

} // namespace bench
