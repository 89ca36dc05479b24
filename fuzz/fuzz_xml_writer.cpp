// writeXml on arbitrary trees, built from the bytes by the binary node stream
// reader (any names, texts, data brackets, CDATA nodes and nesting). The
// writer must either refuse the tree with an XMLException that names a node,
// or write text that parseXml reads as GB2312: it never writes what XML
// software cannot read.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>

#include "xml/xml.h"

namespace {

constexpr char Declaration[] = "<?xml version=\"1.0\" encoding=\"GB2312\"?>";

void check(bool condition) {
    if (!condition)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size), std::ios::binary);
    std::unique_ptr<tarvik::xml::XMLElement> tree;
    try {
        tree = tarvik::xml::readTree(in);
    } catch (const tarvik::xml::XMLException&) {
        return 0;
    }
    // A document's root is an element: a lone CDATA node is character data,
    // which no reader takes for a document.
    if (!tree || tree->isCData())
        return 0;
    std::ostringstream out;
    try {
        tarvik::xml::writeXml(*tree, out, tarvik::xml::XmlLayout::Compact);
    } catch (const tarvik::xml::XMLException& error) {
        check(!error.node().empty());
        return 0;
    }
    // An element is written without a declaration, its bytes as the tree
    // holds them: GB2312, the library's own text, says the declaration here.
    const std::string written = Declaration + out.str();
    tarvik::xml::XMLDocument document;
    document.parseXml(written.data(), written.size());  // a throw here is a finding
    return 0;
}
