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
//
// Two more set a floor under every operation that builds or frees the tree:
// writeFresh maps as many bytes as the tree's heap, huge pages advised as the
// node store advises them, and writes all of them; readBack reads one word of
// every cache line of that many warm bytes. Any way of building the tree
// writes that much fresh memory, and any way of freeing it must read back
// what might own heap memory, so these say how close the tree operations are
// to what the memory itself costs.
#include <benchmark/benchmark.h>
#include <sys/mman.h>

#include <cstdint>
#include <cstring>
#include <new>

#include <istream>
#include <memory>
#include <ostream>
#include <string>
#include <utility>

#include "bench/corpus.h"
#include "bench/heap.h"
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
        const std::size_t heapBefore = bench::heapInUse();
        document_ = std::make_unique<XMLDocument>();
        document_->parseMarkup(text_.c_str());
        treeBytes_ = bench::heapInUse() - heapBefore;
        binary_.clear();
        bench::StringSink sink(binary_);
        std::ostream out(&sink);
        document_->root().writeBinary(out);
        shape_ = shape;
    }

    const std::string& text() const { return text_; }
    const std::string& binary() const { return binary_; }
    const XMLElement& root() const { return document_->root(); }
    // Heap the parsed tree takes, mapped pages included.
    std::size_t treeBytes() const { return treeBytes_; }

private:
    Shape shape_ = Shape::Real;
    std::string text_;
    std::unique_ptr<XMLDocument> document_;
    std::string binary_;
    std::size_t treeBytes_ = 0;
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

// Fresh anonymous memory, unmapped when it goes: the kind of page a large tree lives in.
class FreshMemory {
public:
    explicit FreshMemory(std::size_t bytes) : bytes_(bytes) {
        void* mapping =
            mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (mapping == MAP_FAILED)
            throw std::bad_alloc();
        data_ = static_cast<char*>(mapping);
#ifdef MADV_HUGEPAGE
        madvise(data_, bytes, MADV_HUGEPAGE);
#endif
    }
    ~FreshMemory() {
        munmap(data_, bytes_);
    }
    FreshMemory(const FreshMemory&) = delete;
    FreshMemory& operator=(const FreshMemory&) = delete;

    char* data() const {
        return data_;
    }

private:
    char* data_;
    std::size_t bytes_;
};

void writeFresh(benchmark::State& state, Trees& trees) {
    bench::timeBuilding(state, [&] {
        auto memory = std::make_unique<FreshMemory>(trees.treeBytes());
        std::memset(memory->data(), 1, trees.treeBytes());
        benchmark::DoNotOptimize(memory->data());
        return memory;
    });
    report(state, trees.treeBytes(), trees.text().size());
}

void readBack(benchmark::State& state, Trees& trees) {
    constexpr std::size_t CacheLineBytes = 64;
    const std::size_t bytes = trees.treeBytes();
    FreshMemory memory(bytes);
    std::memset(memory.data(), 1, bytes);
    for (auto _ : state) {
        uint64_t sum = 0;
        for (std::size_t at = 0; at + sizeof sum <= bytes; at += CacheLineBytes) {
            uint64_t word;
            std::memcpy(&word, memory.data() + at, sizeof word);
            sum += word;
        }
        benchmark::DoNotOptimize(sum);
    }
    report(state, bytes, trees.text().size());
}

using Operation = void (*)(benchmark::State&, Trees&);

constexpr std::pair<const char*, Operation> Operations[] = {
    {"parse", parse}, {"print", print},     {"writeBinary", writeBinary}, {"readTree", readTree},
    {"clone", clone}, {"destroy", destroy}, {"writeFresh", writeFresh},   {"readBack", readBack},
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
