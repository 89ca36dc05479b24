// parseBrace on the longest command line Windows passes (32,767 characters)
// and on a 1 MB brace text. Each call first clears the tree the call before
// built, as a program that parses again would.
//
//     build/bench/bin/bench_brace
#include <benchmark/benchmark.h>

#include <cstddef>
#include <string>

#include "bench/corpus.h"
#include "xml/document.h"

namespace {

// The longest command line CreateProcess accepts, in characters.
constexpr std::size_t CommandLineLength = 32767;
// Bytes of the large brace text.
constexpr std::size_t LargeTextBytes = bench::Megabyte;

// The launch parameters, then groups of settings with quoted and bare values,
// indexed values and a comment line, until `bytes` is reached; cut to exactly
// `bytes` at the end of a group, so the text stays well formed.
std::string braceText(std::size_t bytes) {
    std::string text = "url='http://example.org/game?id=1&mode=''full''', connstate=2, waitClose=0";
    for (std::size_t index = 0;; ++index) {
        const std::string n = std::to_string(index);
        std::string group = ", window" + n + "=(w=800, h=600, title='\xD3\xCE\xCF\xB7 " + n +
                            "', flags={1, 2, 3; 4}, pos(x=" + n + ", y=" + n + ")) -- settings " +
                            n + "\n";
        if (text.size() + group.size() > bytes)
            return text;
        text += group;
    }
}

void parseBrace(benchmark::State& state, std::size_t bytes) {
    const std::string text = braceText(bytes);
    tarvik::xml::XMLDocument document;
    if (!document.parseBrace(text.c_str())) {
        state.SkipWithError("the text was refused");
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(document.parseBrace(text.c_str()));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(text.size()));
}

BENCHMARK_CAPTURE(parseBrace, commandLine, CommandLineLength)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(parseBrace, megabyte, LargeTextBytes)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
