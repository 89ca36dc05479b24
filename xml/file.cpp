#include "xml/file.h"

#include <fstream>
#include <istream>
#include <utility>

#include "xml/messages.h"
#include "xml/node_stream.h"

namespace tarvik::xml {

namespace {

// Binary mode for both forms: no line-end translation, no end-of-file byte.
constexpr std::ios::openmode WriteMode = std::ios::out | std::ios::trunc | std::ios::binary;
constexpr std::ios::openmode ReadMode = std::ios::in | std::ios::binary;

XMLException fileError(const char* message, const std::string& path) {
    XMLException error(message);
    error.setSource(path);
    return error;
}

// Opens `path` for writing, lets `write` fill it, and checks that every byte
// reached the file, the closing flush included.
template <typename Write>
void saveFile(const std::string& path, Write write) {
    std::ofstream out(path, WriteMode);
    if (!out)
        throw fileError(messages::CannotWriteFile, path);
    write(out);
    out.close();
    if (!out)
        throw fileError(messages::CannotWriteFile, path);
}

}  // namespace

void saveText(const XMLElement& tree, const std::string& path) {
    saveFile(path, [&tree](std::ostream& out) { tree.print(out, 0); });
}

void saveBinary(const XMLElement& tree, const std::string& path) {
    saveFile(path, [&tree](std::ostream& out) { tree.writeBinary(out); });
}

std::unique_ptr<XMLElement> loadBinary(const std::string& path) {
    std::ifstream in(path, ReadMode);
    if (!in)
        throw fileError(messages::CannotOpenFile, path);
    try {
        std::unique_ptr<XMLElement> tree = readTree(in);
        // The record says where it ends; a file that goes on is not one we wrote.
        const std::istream::pos_type end = in.tellg();
        if (in.peek() != std::istream::traits_type::eof())
            throw XMLException(messages::TrailingData, static_cast<int64_t>(end));
        return tree;
    } catch (XMLException& error) {
        error.setSource(path);
        throw;
    }
}

}  // namespace tarvik::xml
