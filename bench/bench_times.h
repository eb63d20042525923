// The reporter every benchmark program runs with: it prints the usual console table and keeps
// each benchmark's time per iteration, so that main can print ratios to the baseline measured
// in the same run. With --benchmark_repetitions the ratios are of the medians, and of the
// fastest runs beside them.
#pragma once

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "benchmark/benchmark.h"

class BenchTimes : public benchmark::ConsoleReporter {
public:
    // Time() and Best() give wall-clock times for benchmarks that measure real or manual time,
    // CPU time otherwise; Median() and Min() give either.
    explicit BenchTimes(bool bRealTime = false) : m_bRealTime(bRealTime) {}

    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            std::string name = run.run_name.str();
            name = name.substr(0, name.find("/repeats:"));
            const Sample sample = {run.GetAdjustedRealTime(), run.GetAdjustedCPUTime()};
            if (run.run_type == Run::RT_Iteration)
                m_times[name].push_back(sample);
            else if (run.aggregate_name == "median" && 0 == m_times.count(name))
                m_times[name].push_back(sample);  // aggregates only: the median stands for every run
        }
        ConsoleReporter::ReportRuns(runs);
    }

    // The median over the repetitions, in the benchmark's own unit; 0 when it did not run.
    double Time(const std::string& name) const { return Median(name, m_bRealTime); }
    // The fastest repetition; 0 when it did not run.
    double Best(const std::string& name) const { return Min(name, m_bRealTime); }

    double Median(const std::string& name, bool bRealTime) const
    {
        std::vector<double> v = Times(name, bRealTime);
        if (v.empty()) return 0;
        std::sort(v.begin(), v.end());
        return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
    }
    double Min(const std::string& name, bool bRealTime) const
    {
        std::vector<double> v = Times(name, bRealTime);
        return v.empty() ? 0 : *std::min_element(v.begin(), v.end());
    }
    // How many repetitions ran.
    std::size_t Count(const std::string& name) const
    {
        auto it = m_times.find(name);
        return it == m_times.end() ? 0 : it->second.size();
    }

    // "ratio LABEL = R (best B) (target <= T): met" on the medians, when both ran; returns R, or 0.
    double PrintRatio(const std::string& label, const std::string& ours, const std::string& baseline,
                      double target) const
    {
        const double r = Ratio(ours, baseline);
        if (r > 0)
            std::printf("ratio %s = %.3f (best %.3f) (target <= %.2f): %s\n", label.c_str(), r, BestRatio(ours, baseline),
                        target, r <= target ? "met" : "NOT met");
        return r;
    }

    // The same with a note in place of a target, for ratios that only give scale.
    double PrintRatio(const std::string& label, const std::string& ours, const std::string& baseline,
                      const char* pNote) const
    {
        const double r = Ratio(ours, baseline);
        if (r > 0) std::printf("ratio %s = %.3f (best %.3f) (%s)\n", label.c_str(), r, BestRatio(ours, baseline), pNote);
        return r;
    }

    double Ratio(const std::string& ours, const std::string& baseline) const
    {
        const double a = Time(ours), b = Time(baseline);
        return a > 0 && b > 0 ? a / b : 0;
    }
    double BestRatio(const std::string& ours, const std::string& baseline) const
    {
        const double a = Best(ours), b = Best(baseline);
        return a > 0 && b > 0 ? a / b : 0;
    }

private:
    struct Sample {
        double real, cpu;
    };
    std::vector<double> Times(const std::string& name, bool bRealTime) const
    {
        std::vector<double> v;
        auto it = m_times.find(name);
        if (it != m_times.end())
            for (const Sample& sample : it->second) v.push_back(bRealTime ? sample.real : sample.cpu);
        return v;
    }

    bool m_bRealTime;
    std::map<std::string, std::vector<Sample>> m_times;
};

// Runs the benchmarks of the program with a BenchTimes, then report(times) for the ratios.
// Returns main's exit status.
template <class Report>
int RunBenchmarks(int argc, char** argv, BenchTimes& times, Report report)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 2;
    benchmark::RunSpecifiedBenchmarks(&times);
    report(static_cast<const BenchTimes&>(times));
    benchmark::Shutdown();
    return 0;
}
