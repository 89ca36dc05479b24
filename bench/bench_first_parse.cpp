// The first tree of a fresh process: parses one document once, clones its
// tree once and frees both, and prints the three times in milliseconds on one
// line. Every page these trees live in is new to the process, as it is for a
// program that reads its document once at start; the Google Benchmark
// programs instead build the same tree over and over, in memory the process
// has used before. Run it many times, one process each, and take medians:
//
//     build/bench/bin/bench_first_parse records 10   # shape, megabytes
//     build/bench/bin/bench_first_parse real 0       # the real document
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "bench/corpus.h"
#include "xml/document.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr bench::Shape Shapes[] = {bench::Shape::Records, bench::Shape::Text, bench::Shape::Markup,
                                   bench::Shape::Deep, bench::Shape::Real};

// The shape called `name`; false when there is none.
bool shapeNamed(const char* name, bench::Shape& shape) {
    for (bench::Shape candidate : Shapes) {
        if (std::strcmp(bench::shapeName(candidate), name) == 0) {
            shape = candidate;
            return true;
        }
    }
    return false;
}

double millisecondsBetween(Clock::time_point start, Clock::time_point end) {
    return std::chrono::duration<double, std::milli>(end - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    bench::Shape shape;
    if (argc != 3 || !shapeNamed(argv[1], shape)) {
        std::fprintf(stderr, "usage: %s records|text|markup|deep|real MEGABYTES\n", argv[0]);
        return 2;
    }
    const std::size_t megabytes = std::strtoul(argv[2], nullptr, 10);
    const std::string text = shape == bench::Shape::Real
                                 ? bench::realDocument()
                                 : bench::generate(shape, megabytes * bench::Megabyte);
    if (text.empty()) {
        std::fprintf(stderr, "no document: run tools/install-deps.sh bench\n");
        return 1;
    }
    const Clock::time_point start = Clock::now();
    auto document = std::make_unique<tarvik::xml::XMLDocument>();
    document->parseMarkup(text.c_str());
    const Clock::time_point parsed = Clock::now();
    std::unique_ptr<tarvik::xml::XMLElement> copy = document->root().clone();
    const Clock::time_point cloned = Clock::now();
    copy.reset();
    document.reset();
    const Clock::time_point freed = Clock::now();
    std::printf("%.3f %.3f %.3f\n", millisecondsBetween(start, parsed),
                millisecondsBetween(parsed, cloned), millisecondsBetween(cloned, freed));
    return 0;
}
