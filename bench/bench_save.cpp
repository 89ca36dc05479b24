// Saving side by side: XMLDocument::saveMarkupFile against pugixml's
// save_file and TinyXML-2's SaveFile, each library saving its own tree of the
// same text (every shape of bench/corpus.h at 10 MB, and the real document)
// to a file in a scratch folder.
//
//     build/bench/bin/bench_save
//
// Each benchmark is named save/<shape>/<library>. bytes_per_second counts the
// bytes of the text the trees were read from, the same for every library, so
// the rates compare directly. "writes_per_MB" is the number of write system
// calls one save makes per MB (10^6 bytes) of the file it writes, counted
// around one untimed save from the process's own I/O accounting
// (/proc/self/io); "output_MB" is that file's size. The peers run as their
// users would run them: pugixml save_file with its default tab indentation
// and format, TinyXML-2 SaveFile in its default (indented) mode. Ours also
// flushes the file to the disk and renames it over the old one, which the
// peers do not: that is in its time.
//
// The scratch folder is made under TMPDIR (or /tmp) and removed at the end.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <tinyxml2.h>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <pugixml.hpp>
#include <string>
#include <system_error>

#include "bench/corpus.h"
#include "bench/run.h"
#include "xml/document.h"

namespace {

using bench::Shape;
namespace fs = std::filesystem;

// One size: saving is linear, and 10 MB is well past every buffer involved.
constexpr std::size_t SaveMegabytes = 10;
constexpr Shape Shapes[] = {Shape::Records, Shape::Text, Shape::Markup, Shape::Deep, Shape::Real};
// The line of /proc/self/io that counts write system calls (write, writev, pwrite...).
constexpr char WriteCallsField[] = "syscw:";

// Write system calls this process has made so far, or -1 where the system
// does not say.
int64_t writeCallsSoFar() {
    std::ifstream io("/proc/self/io");
    for (std::string field; io >> field;) {
        int64_t value = 0;
        if (!(io >> value))
            return -1;
        if (field == WriteCallsField)
            return value;
    }
    return -1;
}

// A folder of its own under the system's temporary folder, removed with it.
class ScratchFolder {
public:
    ScratchFolder() {
        std::string pattern = (fs::temp_directory_path() / "bench-save-XXXXXX").string();
        if (mkdtemp(pattern.data()))
            path_ = pattern;
    }
    ~ScratchFolder() {
        std::error_code ignored;
        if (!path_.empty())
            fs::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    // Empty when the folder could not be made.
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

// One library: reads a text into its own tree, then saves that tree to a path.
struct Library {
    const char* name;
    // Builds the tree of `text`; null when the library refuses the text.
    std::shared_ptr<void> (*load)(const std::string& text);
    // Saves a tree made by `load`; false when the library reports a failure.
    bool (*save)(const void* tree, const std::string& path);
};

std::shared_ptr<void> loadOurs(const std::string& text) {
    auto document = std::make_shared<tarvik::xml::XMLDocument>();
    document->parseMarkup(text.c_str());
    return document;
}

bool saveOurs(const void* tree, const std::string& path) {
    static_cast<const tarvik::xml::XMLDocument*>(tree)->saveMarkupFile(path);
    return true;  // a failure throws
}

std::shared_ptr<void> loadPugixml(const std::string& text) {
    auto document = std::make_shared<pugi::xml_document>();
    const pugi::xml_parse_result result =
        document->load_buffer(text.data(), text.size(), pugi::parse_default);
    return result ? document : nullptr;
}

bool savePugixml(const void* tree, const std::string& path) {
    return static_cast<const pugi::xml_document*>(tree)->save_file(path.c_str());
}

std::shared_ptr<void> loadTinyxml2(const std::string& text) {
    auto document = std::make_shared<tinyxml2::XMLDocument>();
    return document->Parse(text.data(), text.size()) == tinyxml2::XML_SUCCESS ? document : nullptr;
}

bool saveTinyxml2(const void* tree, const std::string& path) {
    // SaveFile is not const, although saving leaves the tree as it was.
    auto* document = static_cast<tinyxml2::XMLDocument*>(const_cast<void*>(tree));
    return document->SaveFile(path.c_str()) == tinyxml2::XML_SUCCESS;
}

constexpr Library Libraries[] = {
    {"tarvik", loadOurs, saveOurs},
    {"pugixml", loadPugixml, savePugixml},
    {"tinyxml2", loadTinyxml2, saveTinyxml2},
};

// The text of the shape now running, kept while its benchmarks run.
class Texts {
public:
    const std::string& get(Shape shape) {
        if (!loaded_ || shape != shape_) {
            text_ = shape == Shape::Real ? bench::realDocument()
                                         : bench::generate(shape, SaveMegabytes * bench::Megabyte);
            shape_ = shape;
            loaded_ = true;
        }
        return text_;
    }

private:
    bool loaded_ = false;
    Shape shape_ = Shape::Real;
    std::string text_;
};

void save(benchmark::State& state, Texts& texts, const ScratchFolder& scratch, Shape shape,
          const Library& library) {
    const std::string& text = texts.get(shape);
    if (text.empty()) {
        state.SkipWithError("no document: run tools/install-deps.sh bench");
        return;
    }
    if (scratch.path().empty()) {
        state.SkipWithError("no scratch folder");
        return;
    }
    const std::shared_ptr<void> tree = library.load(text);
    if (!tree) {
        state.SkipWithError("refused");
        return;
    }
    const std::string path = (scratch.path() / (std::string("saved-") + library.name)).string();
    // One untimed save first: it counts the write calls, and a tree the
    // library cannot save is reported instead of timed.
    const int64_t writesBefore = writeCallsSoFar();
    bool saved = false;
    try {
        saved = library.save(tree.get(), path);
    } catch (const std::exception& error) {
        state.SkipWithError(error.what());
        return;
    }
    const int64_t writes = writeCallsSoFar() - writesBefore;
    std::error_code sizeError;
    const auto outputBytes = static_cast<double>(fs::file_size(path, sizeError));
    if (!saved || sizeError) {
        state.SkipWithError("the save failed");
        return;
    }
    for (auto _ : state) {
        if (!library.save(tree.get(), path))
            state.SkipWithError("the save failed");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(text.size()));
    state.counters["output_MB"] = outputBytes / bench::Megabyte;
    if (writesBefore >= 0 && outputBytes > 0)
        state.counters["writes_per_MB"] =
            static_cast<double>(writes) / (outputBytes / bench::Megabyte);
}

}  // namespace

int main(int argc, char** argv) {
    Texts texts;
    ScratchFolder scratch;
    for (Shape shape : Shapes) {
        for (const Library& library : Libraries) {
            const std::string name =
                std::string("save/") + bench::shapeName(shape) + "/" + library.name;
            benchmark::RegisterBenchmark(name.c_str(), save, std::ref(texts), std::cref(scratch),
                                         shape, std::cref(library))
                ->Unit(benchmark::kMillisecond)
                ->UseRealTime();
        }
    }
    return bench::runRegistered(argc, argv);
}
