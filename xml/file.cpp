#include "xml/file.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <istream>
#include <limits>
#include <new>
#include <stdexcept>
#include <utility>
#include <vector>

#include "xml/atomic_file.h"
#include "xml/bounded_input.h"
#include "xml/messages.h"
#include "xml/node_stream.h"
#include "xml/output_buffer.h"
#include "xml/own_text.h"
#include "xml/text_form.h"
#include "xml/text_printer.h"

namespace tarvik::xml {

namespace {

constexpr std::ios::openmode ReadMode = std::ios::in | std::ios::binary;

// Bytes of a markup file taken per step, each checked for zero bytes as it
// arrives, so that an endless source of zeros is refused at once.
constexpr std::size_t MarkupChunkSize = std::size_t{1} << 16;

// Byte-order marks that say a file is not GB2312 text. UTF-32 LE begins like
// UTF-16 LE, so the two-byte marks cover it.
constexpr unsigned char Utf16LittleEndianMark[] = {0xFF, 0xFE};
constexpr unsigned char Utf16BigEndianMark[] = {0xFE, 0xFF};
constexpr unsigned char Utf32BigEndianMark[] = {0x00, 0x00, 0xFE, 0xFF};
// Bytes needed to tell every mark.
constexpr std::size_t LongestMark = sizeof Utf32BigEndianMark;

XMLException fileError(const char* message, const std::string& path, int64_t offset = -1) {
    XMLException error(message, offset);
    error.setSource(path);
    return error;
}

// ------------------------------------------------------------ opening

#ifdef _WIN32
using FileStatus = struct _stat64;
int statusOf(const std::string& path, FileStatus& status) {
    return _stat64(path.c_str(), &status);
}
#else
using FileStatus = struct stat;
int statusOf(const std::string& path, FileStatus& status) {
    return ::stat(path.c_str(), &status);
}
#endif

// A file opened for a loader, and how far it may be read.
struct OpenedFile {
    std::filebuf buffer;
    bool sized = false;       // a regular file with a size to believe
    std::uint64_t bound = 0;  // that size, otherwise the stream limit
};

// Looks at the path before opening it: a directory is refused, a regular
// file's size bounds the read, anything else gets the stream limit. So does
// a regular file of size 0, as the files of /proc report whatever they
// hold: it is read to its end, as a pipe is.
void openForLoading(OpenedFile& file, const std::string& path, const LoadOptions& options) {
    FileStatus status{};
    if (statusOf(path, status) != 0)
        throw fileSystemError(messages::CannotOpenFile, path, errno);
    if ((status.st_mode & S_IFMT) == S_IFDIR)
        throw fileSystemError(messages::CannotOpenFile, path, EISDIR);
    file.sized = (status.st_mode & S_IFMT) == S_IFREG && status.st_size > 0;
    file.bound = file.sized ? static_cast<std::uint64_t>(status.st_size) : options.streamLimit;
    errno = 0;
    if (!file.buffer.open(path, ReadMode))
        throw fileSystemError(messages::CannotOpenFile, path, errno);
}

// ------------------------------------------------------------ markup text

bool opensWith(const std::string& bytes, const unsigned char* mark, std::size_t length) {
    return bytes.size() >= length && std::memcmp(bytes.data(), mark, length) == 0;
}

// A UTF-8 mark (EF BB BF) passes: it stands before the first markup, where
// the reader skips bytes, so offsets stay those of the file.
bool opensWithUnicodeMark(const std::string& bytes) {
    return opensWith(bytes, Utf16LittleEndianMark, sizeof Utf16LittleEndianMark) ||
           opensWith(bytes, Utf16BigEndianMark, sizeof Utf16BigEndianMark) ||
           opensWith(bytes, Utf32BigEndianMark, sizeof Utf32BigEndianMark);
}

// Reads the whole input as markup text. The text ends at the first zero
// byte, so a zero byte anywhere before the end would silently lose the rest:
// it is refused where it stands, and so is a UTF-16 or UTF-32 mark.
std::string readMarkupText(BoundedInput& input, std::uint64_t expected, const std::string& source) {
    if (expected >= std::string().max_size())
        throw std::bad_alloc();
    std::string content;
    content.reserve(static_cast<std::size_t>(expected));
    std::vector<char> chunk(MarkupChunkSize);
    std::size_t checked = 0;  // bytes already looked at for marks and zeros
    for (;;) {
        const auto got = static_cast<std::size_t>(
            input.sgetn(chunk.data(), static_cast<std::streamsize>(chunk.size())));
        content.append(chunk.data(), got);
        const bool ended = got == 0;
        if (checked == 0 && (content.size() >= LongestMark || ended) &&
            opensWithUnicodeMark(content))
            throw fileError(messages::UnicodeFile, source, 0);
        if (content.size() >= LongestMark || ended) {
            const void* zero =
                std::memchr(content.data() + checked, '\0', content.size() - checked);
            if (zero)
                throw fileError(messages::ZeroByteInFile, source,
                                static_cast<const char*>(zero) - content.data());
            checked = content.size();
        }
        if (ended)
            return content;
    }
}

// Checks what ended the input: a read error or a source past its bound.
void checkEnd(const BoundedInput& input, const std::string& source) {
    if (input.failed())
        throw fileError(messages::CannotOpenFile, source);
    if (input.overLimit())
        throw fileError(messages::InputTooLarge, source, static_cast<int64_t>(input.bound()));
}

void loadMarkupFrom(XMLDocument& document, BoundedInput& input, std::uint64_t expected,
                    const std::string& source) {
    const std::string content = readMarkupText(input, expected, source);
    checkEnd(input, source);
    try {
        document.parseMarkup(content.c_str());
    } catch (XMLException& error) {
        error.setSource(source);
        throw;
    }
}

// ------------------------------------------------------------ standard XML

// Room the XML reader adds after a text it takes over (a block of zero bytes
// its scans may read), reserved here so that adding it moves nothing.
constexpr std::size_t XmlReaderSlack = 64;

// Reads the whole input as it comes: the XML reader itself refuses what a
// document may not hold, with the line and column of the place.
std::string readWhole(BoundedInput& input, std::uint64_t expected) {
    if (expected >= std::string().max_size() - XmlReaderSlack)
        throw std::bad_alloc();
    std::string content;
    content.reserve(static_cast<std::size_t>(expected) + XmlReaderSlack);
    content.resize(static_cast<std::size_t>(expected));
    content.resize(static_cast<std::size_t>(
        input.sgetn(content.data(), static_cast<std::streamsize>(content.size()))));
    std::vector<char> chunk(MarkupChunkSize);
    for (;;) {
        const auto got = static_cast<std::size_t>(
            input.sgetn(chunk.data(), static_cast<std::streamsize>(chunk.size())));
        if (got == 0)
            return content;
        content.append(chunk.data(), got);
    }
}

// Runs `work` (a parse or a save's check), naming `source` in its error.
template <typename Work>
void naming(const std::string& source, Work work) {
    try {
        work();
    } catch (XMLException& error) {
        error.setSource(source);
        throw;
    }
}

// ------------------------------------------------------------ binary records

std::unique_ptr<XMLElement> loadBinaryFrom(BoundedInput& input, const std::string& source) {
    std::istream in(&input);
    // The input passes on only a source's running out of memory; with badbit
    // in the mask the reader lets it through to be reported as such, where
    // it would otherwise take it for the end of the data.
    in.exceptions(std::ios::badbit);
    std::unique_ptr<XMLElement> tree;
    try {
        tree = readTree(in);
    } catch (XMLException& error) {
        checkEnd(input, source);  // a cut-off source is reported as what cut it off
        error.setSource(source);
        throw;
    }
    // The record says where it ends; a source that goes on is not one we wrote.
    if (!std::istream::traits_type::eq_int_type(in.peek(), std::istream::traits_type::eof()) ||
        input.overLimit())
        throw fileError(messages::TrailingData, source, static_cast<int64_t>(input.consumed()));
    if (input.failed())
        throw fileError(messages::CannotOpenFile, source);
    return tree;
}

// Runs a loader, turning memory exhaustion into an error that names the source.
template <typename Load>
auto reportingMemory(const std::string& source, Load load) -> decltype(load()) {
    try {
        return load();
    } catch (const std::bad_alloc&) {
        throw fileError(messages::OutOfMemory, source);
    } catch (const std::length_error&) {
        throw fileError(messages::OutOfMemory, source);  // a size the string type cannot hold
    }
}

// ------------------------------------------------------------ saving

// The top-level nodes a saver writes, each with its 1-based position among
// its siblings, which errors name: a whole document's, or one tree at 1.
struct TopNodes {
    const XMLElement* single = nullptr;  // saveText's tree
    const XMLElement* root = nullptr;    // saveMarkupFile's root, whose children are written

    template <typename Visit>
    void forEach(Visit visit) const {
        if (single) {
            visit(*single, 1);
            return;
        }
        std::size_t position = 0;
        for (const auto& node : root->children) {
            ++position;
            if (node)
                visit(*node, position);
        }
    }
};

// The savers' output: the file's buffer, written to directly. Each node is
// checked as the walk reaches it, in document order, so a tree the text form
// cannot carry is refused at the fault checkTextForm would find first, and
// replaceFile throws the new file away. A checked string holds no zero byte,
// so its size is where print would end it.
class SavingOutput {
public:
    explicit SavingOutput(OutputBuffer& buffer) : buffer_(buffer) {}

    // Starts the top-level node `top`, at `position` among its siblings.
    void startTop(const XMLElement& top, std::size_t position) {
        top_ = &top;
        position_ = position;
    }

    void put(char byte) { buffer_.push(byte); }
    void write(const char* bytes, std::size_t count) { buffer_.append(bytes, count); }
    void text(const std::string& bytes) { write(bytes.data(), bytes.size()); }
    void tabs(int32_t count) { buffer_.repeat('\t', count); }
    void lineBreak() { buffer_.push('\n'); }
    void reach(const XMLElement& node) { checkNodeTextForm(node, *top_, position_); }
    // A node of a class derived outside the library writes its own subtree,
    // so the whole subtree is checked first; its bytes go through a stream
    // over the same buffer and fall in place between ours.
    void foreign(const XMLElement& node, int32_t depth) {
        checkSubtreeTextForm(node, *top_, position_);
        node.print(buffer_.stream(), depth);
    }

private:
    OutputBuffer& buffer_;
    const XMLElement* top_ = nullptr;
    std::size_t position_ = 0;
};

// The whole check of what the top-level nodes' text form carries.
void checkTopNodes(const TopNodes& nodes) {
    nodes.forEach(
        [](const XMLElement& top, std::size_t position) { checkTextForm(top, position); });
}

// Writes the top-level nodes to `path`, each printed at depth 0, followed by
// a line break when `lineAfterEach`. The nodes are checked as they are
// written; where replaceFile cannot throw a refused file away, or cannot
// write at all, the whole check runs on its own first, so that a refused
// tree is reported as such and nothing is written.
void saveTextForm(const TopNodes& nodes, bool lineAfterEach, const std::string& path) {
    const auto write = [&](OutputBuffer& buffer) {
        SavingOutput out(buffer);
        naming(path, [&] {
            nodes.forEach([&](const XMLElement& top, std::size_t position) {
                out.startTop(top, position);
                printing::printNode(out, top, 0);
                if (lineAfterEach)
                    out.lineBreak();
            });
        });
    };
    const auto check = [&] { naming(path, [&] { checkTopNodes(nodes); }); };
    replaceFile(path, write, check);
}

// A root saveMarkupFile can write: one that holds children alone.
bool rootIsPlain(const XMLElement& root) {
    return root.attributes.empty() && root.text.empty() && root.dataBracket == 0;
}

}  // namespace

void saveText(const XMLElement& tree, const std::string& path) {
    TopNodes nodes;
    nodes.single = &tree;
    saveTextForm(nodes, false, path);
}

void checkMarkupFile(const XMLDocument& document) {
    if (!rootIsPlain(document.root()))
        throw XMLException(messages::RootNotPlain);
    TopNodes nodes;
    nodes.root = &document.root();
    checkTopNodes(nodes);
}

void saveMarkupFile(const XMLDocument& document, const std::string& path) {
    const XMLElement& root = document.root();
    if (!rootIsPlain(root))
        throw fileError(messages::RootNotPlain, path);
    TopNodes nodes;
    nodes.root = &root;
    saveTextForm(nodes, true, path);
}

void saveBinary(const XMLElement& tree, const std::string& path) {
    replaceFile(path, [&tree](OutputBuffer& buffer) { tree.writeBinary(buffer.stream()); });
}

std::unique_ptr<XMLElement> loadBinary(const std::string& path, const LoadOptions& options) {
    return reportingMemory(path, [&] {
        OpenedFile file;
        openForLoading(file, path, options);
        BoundedInput input(file.buffer, file.bound, !file.sized);
        return loadBinaryFrom(input, path);
    });
}

std::unique_ptr<XMLElement> loadBinaryStream(std::istream& in, const std::string& source,
                                             const LoadOptions& options) {
    return reportingMemory(source, [&] {
        if (!in.rdbuf())
            throw fileError(messages::CannotOpenFile, source);
        BoundedInput input(*in.rdbuf(), options.streamLimit, true);
        return loadBinaryFrom(input, source);
    });
}

namespace {

// The document loaders' frame. The name (a path, or a stream's source name)
// is used after the parse, so one that lies in the document's own tree is
// copied first; memory running out is reported against it; and `read` gets
// the input bounded as the source allows, with the size it should have (0
// when unknown) and the name.
template <typename Read>
void loadStream(XMLDocument& document, std::istream& in, const std::string& sourceName,
                const LoadOptions& options, Read read) {
    std::string copy;
    const std::string& source = nameToKeep(document, sourceName, copy);
    reportingMemory(source, [&] {
        if (!in.rdbuf())
            throw fileError(messages::CannotOpenFile, source);
        BoundedInput input(*in.rdbuf(), options.streamLimit, true);
        read(input, 0, source);
    });
}

template <typename Read>
void loadFile(XMLDocument& document, const std::string& pathName, const LoadOptions& options,
              Read read) {
    std::string copy;
    const std::string& path = nameToKeep(document, pathName, copy);
    reportingMemory(path, [&] {
        OpenedFile file;
        openForLoading(file, path, options);
        BoundedInput input(file.buffer, file.bound, !file.sized);
        read(input, file.sized ? file.bound : 0, path);
    });
}

}  // namespace

void loadMarkupStream(XMLDocument& document, std::istream& in, const std::string& sourceName,
                      const LoadOptions& options) {
    loadStream(document, in, sourceName, options,
               [&](BoundedInput& input, std::uint64_t expected, const std::string& source) {
                   loadMarkupFrom(document, input, expected, source);
               });
}

void XMLDocument::loadMarkupFile(const std::string& pathName, const LoadOptions& options) {
    loadFile(*this, pathName, options,
             [&](BoundedInput& input, std::uint64_t expected, const std::string& path) {
                 loadMarkupFrom(*this, input, expected, path);
             });
}

void loadXmlStream(XMLDocument& document, std::istream& in, const std::string& sourceName,
                   const LoadOptions& options) {
    loadStream(document, in, sourceName, options,
               [&](BoundedInput& input, std::uint64_t expected, const std::string& source) {
                   const std::string content = readWhole(input, expected);
                   checkEnd(input, source);
                   naming(source, [&] { document.parseXml(content.data(), content.size()); });
               });
}

void XMLDocument::loadXmlFile(const std::string& pathName, const LoadOptions& options) {
    loadFile(*this, pathName, options,
             [&](BoundedInput& input, std::uint64_t expected, const std::string& path) {
                 std::string content = readWhole(input, expected);
                 checkEnd(input, path);
                 naming(path, [&] { readXml(nullptr, 0, &content); });
             });
}

void XMLDocument::saveMarkupFile(const std::string& path) const {
    tarvik::xml::saveMarkupFile(*this, path);
}

}  // namespace tarvik::xml
