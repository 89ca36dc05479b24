// Standard XML from arbitrary bytes. parseXml must either build a tree or
// throw an XMLException that points inside the input and leaves the document
// as it was; a tree it builds must write (writeXml) and read back equal.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "support/tree_compare.h"
#include "support/tree_text.h"
#include "xml/xml.h"

namespace {

using tarvik::xml::XMLDocument;
using tarvik::xml::XMLException;

void check(bool condition) {
    if (!condition)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* text = reinterpret_cast<const char*>(data);
    XMLDocument document;
    document.parseXml("<kept a='1'/>", 13);
    try {
        document.parseXml(text, size);
    } catch (const XMLException& error) {
        check(error.offset() >= 0 && error.offset() <= static_cast<int64_t>(size));
        check(error.line() >= 1 && error.column() >= 1);
        // A refused parse leaves the document as it was.
        check(document.root().children.size() == 1 &&
              document.root().children.front()->name == "kept");
        return 0;
    }
    check(testing_support::treeIsConsistent(document.root()));

    for (const auto layout : {tarvik::xml::XmlLayout::Indented, tarvik::xml::XmlLayout::Compact}) {
        std::ostringstream out;
        tarvik::xml::writeXml(document, out, layout);  // a throw here is a finding
        const std::string written = out.str();
        XMLDocument again;
        again.parseXml(written.data(), written.size());  // and here
        check(testing_support::treeDifference(document.root(), again.root()).empty());
    }
    return 0;
}
