// Markup parser throughput on a comment- and CDATA-heavy document of 1, 10
// and 50 MB. Every comment, CDATA section and data-bracket escape makes the
// parser search for its terminator; the MB/s column stays level from size to
// size only when no search reads further than its own match.
//
//     cmake --preset bench && cmake --build --preset bench && build/bench/bin/bench_markup
#include <benchmark/benchmark.h>

#include <string>

#include "xml/document.h"

namespace {

// One megabyte, as the sizes on the command line count it.
constexpr size_t Megabyte = 1000000;

// A repeating block: a comment, a CDATA section, an escaped text, an element
// with attributes and GB2312 bytes, and an empty element.
std::string block(size_t index) {
    const std::string n = std::to_string(index);
    return "  <!-- entry " + n +
           ": -- dashes, <tags> and ]]> inside -->\n"
           "  <![CDATA[raw <bytes> ]] " +
           n +
           " & more]]>\n"
           "  <motd>[[data|1 < 2 < " +
           n +
           "|data]]</motd>\n"
           "  <item id=\"" +
           n + "\" name=\"\xD4\xAA\xCB\xD8\">\xD6\xD0\xCE\xC4 " + n +
           "</item>\n"
           "  <flag on=\"1\"/>\n";
}

// A document of at least `bytes` bytes under one top-level element.
std::string document(size_t bytes) {
    std::string text = "<?xml version=\"1.0\" encoding=\"gb2312\"?>\n<entries>\n";
    for (size_t index = 0; text.size() < bytes; ++index)
        text += block(index);
    return text + "</entries>\n";
}

void parseMarkup(benchmark::State& state) {
    const std::string text = document(static_cast<size_t>(state.range(0)) * Megabyte);
    for (auto _ : state) {
        tarvik::xml::XMLDocument parsed;
        parsed.parseMarkup(text.c_str());
        benchmark::DoNotOptimize(parsed.root().children.size());
    }
    const double bytes = static_cast<double>(text.size()) * static_cast<double>(state.iterations());
    state.counters["MB/s"] = benchmark::Counter(bytes / Megabyte, benchmark::Counter::kIsRate);
}

BENCHMARK(parseMarkup)->Arg(1)->Arg(10)->Arg(50)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
