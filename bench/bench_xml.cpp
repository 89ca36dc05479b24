// Standard XML side by side: our parseXml and saveXmlFile against pugixml
// (load_buffer with parse_default, save_file) and TinyXML-2 (Parse, SaveFile)
// on the same bytes and the same trees: every shape of bench/corpus.h as
// standard XML with entity and character references (generateXml), and the
// real document with its internal DTD.
//
//     cmake --preset bench && cmake --build --preset bench && build/bench/bin/bench_xml
//
// parseXml/<shape>/<MB>/<library> times building the tree from the buffer
// (the tree is dropped with the timer paused); saveXml/<shape>/<library>
// times writing the library's own tree of that document to a file in the
// temporary folder, each library indenting as it does by default. Both count
// the input document's bytes per second, so the libraries compare directly.
#include <benchmark/benchmark.h>

#include <tinyxml2.h>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <pugixml.hpp>
#include <string>

#include "bench/corpus.h"
#include "bench/run.h"
#include "xml/document.h"

namespace {

using bench::Shape;

constexpr std::size_t Sizes[] = {1, 10};
// Saving is timed on trees of this many MB of source text, large enough that
// the file system's fixed costs do not dominate.
constexpr std::size_t SaveSize = 10;
constexpr Shape GeneratedShapes[] = {Shape::Records, Shape::Text, Shape::Markup, Shape::Deep};

std::string documentOf(Shape shape, std::size_t megabytes) {
    return shape == Shape::Real ? bench::realXmlDocument()
                                : bench::generateXml(shape, megabytes * bench::Megabyte);
}

// One library: how it builds a tree from a buffer and saves a tree it built.
struct Library {
    const char* name;
    std::shared_ptr<void> (*build)(const std::string& text);
    bool (*save)(void* tree, const char* path);
};

std::shared_ptr<void> buildOurs(const std::string& text) {
    auto document = std::make_shared<tarvik::xml::XMLDocument>();
    try {
        document->parseXml(text.data(), text.size());
    } catch (const tarvik::xml::XMLException&) {
        return nullptr;
    }
    return document;
}

bool saveOurs(void* tree, const char* path) {
    try {
        static_cast<tarvik::xml::XMLDocument*>(tree)->saveXmlFile(path);
        return true;
    } catch (const tarvik::xml::XMLException&) {
        return false;
    }
}

std::shared_ptr<void> buildPugixml(const std::string& text) {
    auto document = std::make_shared<pugi::xml_document>();
    return document->load_buffer(text.data(), text.size(), pugi::parse_default) ? document
                                                                                : nullptr;
}

bool savePugixml(void* tree, const char* path) {
    return static_cast<pugi::xml_document*>(tree)->save_file(path);
}

std::shared_ptr<void> buildTinyxml2(const std::string& text) {
    auto document = std::make_shared<tinyxml2::XMLDocument>();
    return document->Parse(text.data(), text.size()) == tinyxml2::XML_SUCCESS ? document : nullptr;
}

bool saveTinyxml2(void* tree, const char* path) {
    return static_cast<tinyxml2::XMLDocument*>(tree)->SaveFile(path) == tinyxml2::XML_SUCCESS;
}

constexpr Library Libraries[] = {
    {"tarvik", buildOurs, saveOurs},
    {"pugixml", buildPugixml, savePugixml},
    {"tinyxml2", buildTinyxml2, saveTinyxml2},
};

void setRate(benchmark::State& state, std::size_t bytes) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes));
    state.counters["input_MB"] = static_cast<double>(bytes) / bench::Megabyte;
}

void parse(benchmark::State& state, Shape shape, std::size_t megabytes, const Library& library) {
    const std::string text = documentOf(shape, megabytes);
    if (text.empty() || !library.build(text)) {
        state.SkipWithError(text.empty() ? "no document: run tools/install-deps.sh bench"
                                         : "the library refused the document");
        return;
    }
    bench::timeBuilding(state, [&] { return library.build(text); });
    setRate(state, text.size());
}

void save(benchmark::State& state, Shape shape, const Library& library) {
    const std::string text = documentOf(shape, SaveSize);
    const std::shared_ptr<void> tree = text.empty() ? nullptr : library.build(text);
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("bench_xml_" + std::string(library.name) + ".xml"))
                                 .string();
    if (!tree || !library.save(tree.get(), path.c_str())) {
        state.SkipWithError("no tree to save, or the library could not save it");
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(library.save(tree.get(), path.c_str()));
    std::remove(path.c_str());
    setRate(state, text.size());
}

void registerShape(Shape shape) {
    const bool real = shape == Shape::Real;
    for (const Library& library : Libraries) {
        const std::string name = std::string(bench::shapeName(shape)) + "/";
        for (std::size_t megabytes : Sizes) {
            const std::string size = real ? "full" : std::to_string(megabytes);
            benchmark::RegisterBenchmark(("parseXml/" + name + size + "/" + library.name).c_str(),
                                         parse, shape, megabytes, std::cref(library))
                ->Unit(benchmark::kMillisecond)
                ->UseRealTime();
            if (real)
                break;
        }
    }
    for (const Library& library : Libraries) {
        benchmark::RegisterBenchmark(
            ("saveXml/" + std::string(bench::shapeName(shape)) + "/" + library.name).c_str(), save,
            shape, std::cref(library))
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    }
}

}  // namespace

int main(int argc, char** argv) {
    for (Shape shape : GeneratedShapes)
        registerShape(shape);
    registerShape(Shape::Real);
    return bench::runRegistered(argc, argv);
}
