#include "xml/file.h"

#include <sys/stat.h>

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
#include "xml/text_form.h"

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
    bool regular = false;
    std::uint64_t bound = 0;  // its size when regular, otherwise the stream limit
};

// Looks at the path before opening it: a directory is refused, a regular
// file's size bounds the read, anything else gets the stream limit.
void openForLoading(OpenedFile& file, const std::string& path, const LoadOptions& options) {
    FileStatus status{};
    if (statusOf(path, status) != 0 || (status.st_mode & S_IFMT) == S_IFDIR)
        throw fileError(messages::CannotOpenFile, path);
    file.regular = (status.st_mode & S_IFMT) == S_IFREG;
    file.bound = file.regular ? static_cast<std::uint64_t>(status.st_size) : options.streamLimit;
    if (!file.buffer.open(path, ReadMode))
        throw fileError(messages::CannotOpenFile, path);
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

// Runs `parse`, naming `source` in its error.
template <typename Parse>
void naming(const std::string& source, Parse parse) {
    try {
        parse();
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

// Runs the text-form check, naming the file in its error.
void checkForSaving(const XMLElement& node, std::size_t position, const std::string& path) {
    try {
        checkTextForm(node, position);
    } catch (XMLException& error) {
        error.setSource(path);
        throw;
    }
}

}  // namespace

void saveText(const XMLElement& tree, const std::string& path) {
    checkForSaving(tree, 1, path);
    replaceFile(path, [&tree](std::ostream& out) { tree.print(out, 0); });
}

void saveMarkupFile(const XMLDocument& document, const std::string& path) {
    const XMLElement& root = document.root();
    if (!root.attributes.empty() || !root.text.empty() || root.dataBracket != 0)
        throw fileError(messages::RootNotPlain, path);
    std::size_t position = 0;
    for (const auto& node : root.children) {
        ++position;
        if (node)
            checkForSaving(*node, position, path);
    }
    replaceFile(path, [&root](std::ostream& out) {
        for (const auto& node : root.children) {
            if (node)
                node->print(out, 0) << '\n';
        }
    });
}

void saveBinary(const XMLElement& tree, const std::string& path) {
    replaceFile(path, [&tree](std::ostream& out) { tree.writeBinary(out); });
}

std::unique_ptr<XMLElement> loadBinary(const std::string& path, const LoadOptions& options) {
    return reportingMemory(path, [&] {
        OpenedFile file;
        openForLoading(file, path, options);
        BoundedInput input(file.buffer, file.bound, !file.regular);
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

void loadMarkupStream(XMLDocument& document, std::istream& in, const std::string& source,
                      const LoadOptions& options) {
    reportingMemory(source, [&] {
        if (!in.rdbuf())
            throw fileError(messages::CannotOpenFile, source);
        BoundedInput input(*in.rdbuf(), options.streamLimit, true);
        loadMarkupFrom(document, input, 0, source);
    });
}

void XMLDocument::loadMarkupFile(const std::string& path, const LoadOptions& options) {
    reportingMemory(path, [&] {
        OpenedFile file;
        openForLoading(file, path, options);
        BoundedInput input(file.buffer, file.bound, !file.regular);
        loadMarkupFrom(*this, input, file.regular ? file.bound : 0, path);
    });
}

void loadXmlStream(XMLDocument& document, std::istream& in, const std::string& source,
                   const LoadOptions& options) {
    reportingMemory(source, [&] {
        if (!in.rdbuf())
            throw fileError(messages::CannotOpenFile, source);
        BoundedInput input(*in.rdbuf(), options.streamLimit, true);
        const std::string content = readWhole(input, 0);
        checkEnd(input, source);
        naming(source, [&] { document.parseXml(content.data(), content.size()); });
    });
}

void XMLDocument::loadXmlFile(const std::string& path, const LoadOptions& options) {
    reportingMemory(path, [&] {
        OpenedFile file;
        openForLoading(file, path, options);
        BoundedInput input(file.buffer, file.bound, !file.regular);
        std::string content = readWhole(input, file.regular ? file.bound : 0);
        checkEnd(input, path);
        naming(path, [&] { readXml(nullptr, 0, &content); });
    });
}

void XMLDocument::saveMarkupFile(const std::string& path) const {
    tarvik::xml::saveMarkupFile(*this, path);
}

}  // namespace tarvik::xml
