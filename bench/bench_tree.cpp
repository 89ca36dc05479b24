// What happens to a tree after parsing, per shape at 10 MB and on the real
// document: printing it as text, writing and reading the binary form,
// cloning and destroying it, with parseMarkup of the same text alongside.
//
//     build/bench/bin/bench_tree
//
// Benchmarks are named <operation>/<shape>. bytes_per_second counts the text
// form's bytes for parse and print, and the binary form's bytes for
// writeBinary and readTree; "vs_text_MB/s" restates every operation in bytes
// of the text form per second, so operations on the same tree compare
// directly (readTree against parse, say).
#include <benchmark/benchmark.h>

#include <istream>
#include <memory>
#include <ostream>
#include <string>
#include <utility>

#include "bench/corpus.h"
#include "bench/run.h"
#include "bench/streams.h"
#include "xml/document.h"
#include "xml/node_stream.h"

namespace {

using bench::Shape;
using tarvik::xml::XMLDocument;
using tarvik::xml::XMLElement;

// One size is enough here: bench_markup shows how time grows with size.
constexpr std::size_t TreeMegabytes = 10;
constexpr Shape Shapes[] = {Shape::Records, Shape::Text, Shape::Markup, Shape::Deep, Shape::Real};

// The text, its tree and the tree's binary form, for the shape now running.
class Trees {
public:
    void select(Shape shape) {
        if (shape == shape_ && document_)
            return;
        document_.reset();
        text_ = shape == Shape::Real ? bench::realDocument()
                                     : bench::generate(shape, TreeMegabytes * bench::Megabyte);
        document_ = std::make_unique<XMLDocument>();
        document_->parseMarkup(text_.c_str());
        binary_.clear();
        bench::StringSink sink(binary_);
        std::ostream out(&sink);
        document_->root().writeBinary(out);
        shape_ = shape;
    }

    const std::string& text() const { return text_; }
    const std::string& binary() const { return binary_; }
    const XMLElement& root() const { return document_->root(); }

private:
    Shape shape_ = Shape::Real;
    std::string text_;
    std::unique_ptr<XMLDocument> document_;
    std::string binary_;
};

// Byte counts for one run: the bytes the operation handled, and the text form.
void report(benchmark::State& state, std::size_t bytes, std::size_t textBytes) {
    const auto iterations = static_cast<double>(state.iterations());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes));
    state.counters["vs_text_MB/s"] = benchmark::Counter(
        iterations * static_cast<double>(textBytes) / bench::Megabyte, benchmark::Counter::kIsRate);
}

void parse(benchmark::State& state, Trees& trees) {
    bench::timeBuilding(state, [&] {
        auto document = std::make_unique<XMLDocument>();
        document->parseMarkup(trees.text().c_str());
        return document;
    });
    report(state, trees.text().size(), trees.text().size());
}

// Writes through `write` into a string reserved once, so only the writer is timed.
template <typename Write>
void writeOut(benchmark::State& state, Trees& trees, Write write) {
    std::string out;
    out.reserve(trees.text().size() * 2);
    for (auto _ : state) {
        out.clear();
        bench::StringSink sink(out);
        std::ostream stream(&sink);
        write(stream);
    }
    report(state, out.size(), trees.text().size());
}

void print(benchmark::State& state, Trees& trees) {
    writeOut(state, trees, [&](std::ostream& out) { trees.root().print(out, 0); });
}

void writeBinary(benchmark::State& state, Trees& trees) {
    writeOut(state, trees, [&](std::ostream& out) { trees.root().writeBinary(out); });
}

void readTree(benchmark::State& state, Trees& trees) {
    bench::timeBuilding(state, [&] {
        bench::MemorySource source(trees.binary());
        std::istream in(&source);
        return tarvik::xml::readTree(in);
    });
    report(state, trees.binary().size(), trees.text().size());
}

void clone(benchmark::State& state, Trees& trees) {
    bench::timeBuilding(state, [&] { return trees.root().clone(); });
    report(state, trees.text().size(), trees.text().size());
}

void destroy(benchmark::State& state, Trees& trees) {
    for (auto _ : state) {
        state.PauseTiming();
        auto document = std::make_unique<XMLDocument>();
        document->parseMarkup(trees.text().c_str());
        state.ResumeTiming();
        document.reset();
    }
    report(state, trees.text().size(), trees.text().size());
}

using Operation = void (*)(benchmark::State&, Trees&);

constexpr std::pair<const char*, Operation> Operations[] = {
    {"parse", parse},       {"print", print}, {"writeBinary", writeBinary},
    {"readTree", readTree}, {"clone", clone}, {"destroy", destroy},
};

}  // namespace

int main(int argc, char** argv) {
    Trees trees;
    for (Shape shape : Shapes) {
        for (const auto& [name, operation] : Operations) {
            const std::string label = std::string(name) + "/" + bench::shapeName(shape);
            benchmark::RegisterBenchmark(label.c_str(),
                                         [&trees, shape, op = operation](benchmark::State& state) {
                                             trees.select(shape);
                                             op(state, trees);
                                         })
                ->Unit(benchmark::kMillisecond)
                ->UseRealTime();
        }
    }
    return bench::runRegistered(argc, argv);
}
