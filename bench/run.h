// Shared pieces of the benchmark programs.
#ifndef BENCH_RUN_H
#define BENCH_RUN_H

#include <benchmark/benchmark.h>

namespace bench {

// Times `build()` (which returns an owning pointer) once per iteration and
// drops what it built with the timer paused, so only building is measured.
template <typename Build>
void timeBuilding(benchmark::State& state, Build build) {
    for (auto _ : state) {
        auto built = build();
        state.PauseTiming();
        built.reset();
        state.ResumeTiming();
    }
}

// Runs the benchmarks registered so far with Google Benchmark's command
// line; returns the program's exit code.
inline int runRegistered(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

}  // namespace bench

#endif  // BENCH_RUN_H
