// Whether memory goes back: the heap a parsed document held after it is
// destroyed, and the resident size over five rounds of parsing and
// destroying a 50 MB document in one process.
//
//     build/bench/bin/bench_memory
//
// Each benchmark runs once. memory/heapLeft/<shape> parses a 10 MB document
// (after one round of the same to warm up) and reports heap_left_pct: the heap in use after the
// document is gone, above what it was before it was made, as a share of the heap the tree held (and
// heap_left_KiB, the same in KiB). memory/rounds/<shape> parses and destroys a 50 MB document five
// times and reports the resident size after the first and the last round (rss_first_MiB,
// rss_last_MiB) and their difference (rss_growth_MiB).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <string>

#include "bench/corpus.h"
#include "bench/heap.h"
#include "bench/run.h"
#include "xml/document.h"

namespace {

using bench::Shape;

constexpr std::size_t HeapTestMegabytes = 10;
constexpr std::size_t RoundsMegabytes = 50;
constexpr int Rounds = 5;
constexpr double KiB = 1024.0;
constexpr double MiB = 1024.0 * 1024.0;
constexpr double Percent = 100.0;

constexpr Shape Shapes[] = {Shape::Records, Shape::Text, Shape::Markup, Shape::Deep};

std::size_t above(std::size_t now, std::size_t before) {
    return now > before ? now - before : 0;
}

void heapLeft(benchmark::State& state, Shape shape) {
    const std::string text = bench::generate(shape, HeapTestMegabytes * bench::Megabyte);
    // One round first: lazily built tables, and glibc's per-thread cache of
    // freed blocks (which mallinfo2 counts as in use), are then the same
    // before and after the measured round.
    tarvik::xml::XMLDocument().parseMarkup(text.c_str());
    for (auto _ : state) {
        const std::size_t before = bench::heapInUse();
        auto document = std::make_unique<tarvik::xml::XMLDocument>();
        document->parseMarkup(text.c_str());
        const std::size_t held = above(bench::heapInUse(), before);
        document.reset();
        const std::size_t left = above(bench::heapInUse(), before);
        state.counters["heap_left_KiB"] = static_cast<double>(left) / KiB;
        state.counters["heap_left_pct"] = Percent * static_cast<double>(left) /
                                          static_cast<double>(std::max<std::size_t>(held, 1));
    }
}

void rounds(benchmark::State& state, Shape shape) {
    const std::string text = bench::generate(shape, RoundsMegabytes * bench::Megabyte);
    for (auto _ : state) {
        std::size_t first = 0;
        std::size_t last = 0;
        for (int round = 0; round < Rounds; ++round) {
            auto document = std::make_unique<tarvik::xml::XMLDocument>();
            document->parseMarkup(text.c_str());
            document.reset();
            last = bench::residentBytes();
            if (round == 0)
                first = last;
        }
        state.counters["rss_first_MiB"] = static_cast<double>(first) / MiB;
        state.counters["rss_last_MiB"] = static_cast<double>(last) / MiB;
        state.counters["rss_growth_MiB"] = static_cast<double>(above(last, first)) / MiB;
    }
}

}  // namespace

int main(int argc, char** argv) {
    for (Shape shape : Shapes) {
        const std::string name = bench::shapeName(shape);
        benchmark::RegisterBenchmark(("memory/heapLeft/" + name).c_str(), heapLeft, shape)
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond);
    }
    for (Shape shape : {Shape::Records, Shape::Deep}) {
        const std::string name = bench::shapeName(shape);
        benchmark::RegisterBenchmark(("memory/rounds/" + name).c_str(), rounds, shape)
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond);
    }
    return bench::runRegistered(argc, argv);
}
