// Markup parsing side by side: our parseMarkup against pugixml, TinyXML-2 and
// Expat, and memchr over the same bytes as the physical floor, on the same
// in-memory buffers: every shape of bench/corpus.h at 1, 10 and 50 MB, and
// the real document.
//
//     cmake --preset bench && cmake --build --preset bench && build/bench/bin/bench_markup
//
// Each benchmark is named parse/<shape>/<MB>/<library> ("full" for the real
// document). Its bytes_per_second
// counts input bytes; "heap_x" is the heap the finished tree holds (glibc's
// mallinfo2 before and after one parse, headers and rounding included) as a
// multiple of the input. Only parsing is timed: each document is destroyed
// with the timer paused. The peers run as their users would run them:
// pugixml load_buffer with parse_default, TinyXML-2 XMLDocument::Parse,
// Expat with no-op element and text handlers (a streaming floor that builds
// no tree), each reading the buffer with its length.
#include <benchmark/benchmark.h>
#include <expat.h>

#include <tinyxml2.h>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <pugixml.hpp>
#include <string>
#include <utility>

#include "bench/corpus.h"
#include "bench/heap.h"
#include "bench/run.h"
#include "xml/document.h"

namespace {

using bench::Shape;

// Document sizes in MB: linear time shows as a level MB/s across them.
constexpr std::size_t Sizes[] = {1, 10, 50};
constexpr Shape GeneratedShapes[] = {Shape::Records, Shape::Text, Shape::Markup, Shape::Deep};

// Expat decodes its input; Latin-1 takes every byte as one character, so it
// reads GB2312 (and UTF-8) bytes untouched, as the other libraries do.
constexpr char ExpatByteEncoding[] = "ISO-8859-1";
// A byte no document holds, so memchr reads the whole buffer.
constexpr int AbsentByte = 0x01;

// The document of the benchmark running now. Benchmarks run in registration
// order, one document after another, so one is kept at a time.
class Documents {
public:
    const std::string& get(Shape shape, std::size_t megabytes) {
        const auto key = std::make_pair(shape, megabytes);
        if (!key_ || key != *key_) {
            text_.clear();
            text_.shrink_to_fit();
            text_ = shape == Shape::Real ? bench::realDocument()
                                         : bench::generate(shape, megabytes * bench::Megabyte);
            key_ = key;
        }
        return text_;
    }

private:
    std::optional<std::pair<Shape, std::size_t>> key_;  // none before the first
    std::string text_;
};

// One library's way to build a tree from a buffer and to drop it again.
struct Library {
    const char* name;
    // Builds a tree of `text` and returns it owned by a type-erased handle.
    std::shared_ptr<void> (*build)(const std::string& text);
};

std::shared_ptr<void> buildOurs(const std::string& text) {
    auto document = std::make_shared<tarvik::xml::XMLDocument>();
    document->parseMarkup(text.c_str());
    return document;
}

std::shared_ptr<void> buildPugixml(const std::string& text) {
    auto document = std::make_shared<pugi::xml_document>();
    const pugi::xml_parse_result result =
        document->load_buffer(text.data(), text.size(), pugi::parse_default);
    return result ? document : nullptr;
}

std::shared_ptr<void> buildTinyxml2(const std::string& text) {
    auto document = std::make_shared<tinyxml2::XMLDocument>();
    return document->Parse(text.data(), text.size()) == tinyxml2::XML_SUCCESS ? document : nullptr;
}

void XMLCALL ignoreStart(void*, const XML_Char*, const XML_Char**) {}
void XMLCALL ignoreEnd(void*, const XML_Char*) {}
void XMLCALL ignoreText(void*, const XML_Char*, int) {}

// Expat keeps no tree: the handle only says that the parse succeeded.
std::shared_ptr<void> buildExpat(const std::string& text) {
    XML_Parser parser = XML_ParserCreate(ExpatByteEncoding);
    XML_SetElementHandler(parser, ignoreStart, ignoreEnd);
    XML_SetCharacterDataHandler(parser, ignoreText);
    const bool ok =
        XML_Parse(parser, text.data(), static_cast<int>(text.size()), 1) == XML_STATUS_OK;
    XML_ParserFree(parser);
    return ok ? std::make_shared<int>(0) : nullptr;
}

// memchr for a byte that is not there: reading the bytes once, and no more.
std::shared_ptr<void> scanMemchr(const std::string& text) {
    const void* found = std::memchr(text.data(), AbsentByte, text.size());
    benchmark::DoNotOptimize(found);
    return found ? nullptr : std::make_shared<int>(0);
}

constexpr Library Libraries[] = {
    {"tarvik", buildOurs}, {"pugixml", buildPugixml}, {"tinyxml2", buildTinyxml2},
    {"expat", buildExpat}, {"memchr", scanMemchr},
};

// The heap one tree of `text` holds, in bytes.
std::size_t treeHeap(const Library& library, const std::string& text) {
    const std::size_t before = bench::heapInUse();
    std::shared_ptr<void> tree = library.build(text);
    const std::size_t after = bench::heapInUse();
    return after > before ? after - before : 0;
}

void parse(benchmark::State& state, Documents& documents, Shape shape, std::size_t megabytes,
           const Library& library) {
    const std::string& text = documents.get(shape, megabytes);
    if (text.empty()) {
        state.SkipWithError("no document: run tools/install-deps.sh bench");
        return;
    }
    if (!library.build(text)) {
        state.SkipWithError("the library refused the document");
        return;
    }
    const double heap = static_cast<double>(treeHeap(library, text));
    bench::timeBuilding(state, [&] { return library.build(text); });
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(text.size()));
    state.counters["heap_x"] = heap / static_cast<double>(text.size());
    state.counters["input_MB"] = static_cast<double>(text.size()) / bench::Megabyte;
}

void registerShape(Documents& documents, Shape shape, std::size_t megabytes) {
    for (const Library& library : Libraries) {
        const std::string size = megabytes ? std::to_string(megabytes) : "full";
        const std::string name =
            std::string("parse/") + bench::shapeName(shape) + "/" + size + "/" + library.name;
        benchmark::RegisterBenchmark(name.c_str(), parse, std::ref(documents), shape, megabytes,
                                     std::cref(library))
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    }
}

}  // namespace

int main(int argc, char** argv) {
    Documents documents;
    for (Shape shape : GeneratedShapes) {
        for (std::size_t megabytes : Sizes)
            registerShape(documents, shape, megabytes);
    }
    registerShape(documents, Shape::Real, 0);
    return bench::runRegistered(argc, argv);
}
