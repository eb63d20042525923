// The main of a benchmark program whose report is a list of ratios between benchmarks of
// the same run: each row names its pair and a target, or a note in its place for ratios
// that only give scale. Whatever else the program reports comes after the rows.
#pragma once

#include <initializer_list>

#include "bench_times.h"

struct BenchRatio {
    const char* pLabel;
    const char* pOurs;
    const char* pBaseline;
    double target;                // the ratio is to be at most this, unless
    const char* pNote = nullptr;  // a note stands in its place
};

inline int RunRatioBenchmarks(int argc, char** argv, std::initializer_list<BenchRatio> ratios,
                              void (*pAfter)() = nullptr)
{
    BenchTimes times;
    return RunBenchmarks(argc, argv, times, [&](const BenchTimes& t) {
        for (const BenchRatio& ratio : ratios) {
            if (ratio.pNote)
                t.PrintRatio(ratio.pLabel, ratio.pOurs, ratio.pBaseline, ratio.pNote);
            else
                t.PrintRatio(ratio.pLabel, ratio.pOurs, ratio.pBaseline, ratio.target);
        }
        if (pAfter) pAfter();
    });
}
