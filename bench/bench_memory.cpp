// Whether memory goes back: the heap a parsed document held after it is
// destroyed, the resident size over five rounds of parsing and destroying a
// 50 MB document in one process, and what one node kept from each of many
// documents costs once its document is gone.
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

#include <malloc.h>

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

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

// One node kept from each of many documents: the documents' size, how many
// rounds, and whether the node comes out of a clone of the parsed tree.
struct KeptNodeCase {
    const char* name;
    std::size_t documentBytes;
    int rounds;
    bool fromClone;
};
constexpr KeptNodeCase KeptNodeCases[] = {
    {"parse8MB", 8 * bench::Megabyte, 100, false},
    {"parse80KB", 80 * 1000, 1000, false},
    {"clone8MB", 8 * bench::Megabyte, 50, true},
};

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

using tarvik::xml::XMLElement;

// Moves the child in the middle of the document element's children out of
// the tree; its entry stays behind, empty.
std::unique_ptr<XMLElement> takeMiddle(XMLElement& root) {
    XMLElement::ChildList& children = root.children.front()->children;
    auto middle = std::next(children.begin(), static_cast<std::ptrdiff_t>(children.size() / 2));
    return std::move(*middle);
}

void keptNode(benchmark::State& state, const KeptNodeCase& keptCase) {
    const std::string text = bench::generate(Shape::Records, keptCase.documentBytes);
    tarvik::xml::XMLDocument source;
    if (keptCase.fromClone)
        source.parseMarkup(text.c_str());
    // One round kept nothing first, so the heap has grown to what a round needs.
    tarvik::xml::XMLDocument().parseMarkup(text.c_str());
    for (auto _ : state) {
        std::vector<std::unique_ptr<XMLElement>> kept;
        kept.reserve(static_cast<std::size_t>(keptCase.rounds));
        malloc_trim(0);
        const std::size_t before = bench::residentBytes();
        for (int round = 0; round < keptCase.rounds; ++round) {
            if (keptCase.fromClone) {
                kept.push_back(takeMiddle(*source.root().clone()));
            } else {
                auto document = std::make_unique<tarvik::xml::XMLDocument>();
                document->parseMarkup(text.c_str());
                kept.push_back(takeMiddle(document->root()));
            }
            malloc_trim(0);
        }
        const std::size_t growth = above(bench::residentBytes(), before);
        // What the kept records take on their own: copies of them, each in
        // memory of its own.
        const std::size_t heapBefore = bench::heapInUse();
        std::vector<std::unique_ptr<XMLElement>> copies;
        for (const auto& node : kept)
            copies.push_back(node->clone());
        const std::size_t keptBytes = above(bench::heapInUse(), heapBefore);
        const auto rounds = static_cast<double>(keptCase.rounds);
        state.counters["rss_growth_MiB"] = static_cast<double>(growth) / MiB;
        state.counters["rss_per_round_KiB"] = static_cast<double>(growth) / KiB / rounds;
        state.counters["kept_per_round_B"] = static_cast<double>(keptBytes) / rounds;
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
    for (const KeptNodeCase& keptCase : KeptNodeCases) {
        benchmark::RegisterBenchmark((std::string("memory/keptNode/") + keptCase.name).c_str(),
                                     keptNode, keptCase)
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond);
    }
    return bench::runRegistered(argc, argv);
}
