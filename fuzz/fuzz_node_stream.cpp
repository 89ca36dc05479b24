// Binary node streams from arbitrary bytes. readTree must either return a
// whole tree or throw an XMLException; an accepted tree must write back to
// exactly the bytes it was read from. readBinary on a fresh element must
// never crash and must hash every attribute name it reads.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "support/tree_text.h"
#include "xml/xml.h"

namespace {

void check(bool condition) {
    if (!condition)
        std::abort();
}

// How many bytes of `in` were consumed out of `size`.
size_t consumed(std::istream& in, size_t size) {
    in.clear();
    const std::streamoff position = in.tellg();
    return position < 0 ? size : static_cast<size_t>(position);
}

void checkWholeTreeReader(const std::string& bytes) {
    std::istringstream in(bytes, std::ios::binary);
    std::unique_ptr<tarvik::xml::XMLElement> tree;
    try {
        tree = tarvik::xml::readTree(in);
    } catch (const tarvik::xml::XMLException& error) {
        check(error.offset() >= 0 && error.offset() <= static_cast<int64_t>(bytes.size()));
        return;
    }
    check(tree != nullptr);
    check(testing_support::treeIsConsistent(*tree));
    std::ostringstream out(std::ios::binary);
    tree->writeBinary(out);
    check(out.str() == bytes.substr(0, consumed(in, bytes.size())));
}

void checkBodyReader(const std::string& bytes) {
    std::istringstream in(bytes, std::ios::binary);
    tarvik::xml::XMLElement element;
    element.readBinary(in);
    check(testing_support::treeIsConsistent(element));
    check(element.children.empty() && element.parent == nullptr);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    checkWholeTreeReader(bytes);
    checkBodyReader(bytes);
    return 0;
}
