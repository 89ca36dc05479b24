// Markup text from arbitrary bytes. parseMarkup must either accept the text or
// throw an XMLException that points inside it; an accepted tree must print and
// read back to an equal tree wherever the text form can carry it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "support/tree_compare.h"
#include "support/tree_text.h"
#include "xml/xml.h"

namespace {

using tarvik::xml::XMLCData;
using tarvik::xml::XMLDocument;
using tarvik::xml::XMLElement;
using tarvik::xml::XMLException;

void check(bool condition) {
    if (!condition)
        std::abort();
}

bool isCData(const XMLElement& node) {
    return dynamic_cast<const XMLCData*>(&node) != nullptr;
}

// The text form escapes nothing, so three shapes do not survive it: plain
// text that begins with "[[data" reads back as an escape; escaped text that
// holds its own terminator (bracket byte, "data]]"), which the reader can
// produce when it drops a CR from inside one, ends the escape early; and
// plain text followed by a first CDATA child gains the child's indentation.
// Everything else the reader can build, the writer writes back faithfully.
bool printsFaithfully(const XMLElement& element) {
    const bool plainText = !element.text.empty() && element.dataBracket == 0;
    if (plainText && element.text.compare(0, 6, "[[data") == 0)
        return false;
    if (plainText && !element.children.empty() && isCData(*element.children.front()))
        return false;
    const std::string terminator = static_cast<char>(element.dataBracket) + std::string("data]]");
    if (element.dataBracket != 0 && element.text.find(terminator) != std::string::npos)
        return false;
    for (const auto& child : element.children)
        if (!printsFaithfully(*child))
            return false;
    return true;
}

std::string printed(const XMLElement& root) {
    std::ostringstream out;
    for (const auto& child : root.children)
        child->print(out, 0);
    return out.str();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    XMLDocument document;
    try {
        document.parseMarkup(text.c_str());
    } catch (const XMLException& error) {
        // The place of the failure lies within the text the parser saw.
        const auto parsedLength =
            static_cast<int64_t>(std::char_traits<char>::length(text.c_str()));
        check(error.offset() >= 0 && error.offset() <= parsedLength);
        check(error.line() >= 1 && error.column() >= 1);
        check(testing_support::treeIsConsistent(document.root()));
        return 0;
    }
    check(testing_support::treeIsConsistent(document.root()));
    check(testing_support::treeIsConsistent(document.head()));
    if (!printsFaithfully(document.root()))
        return 0;

    XMLDocument again;
    again.parseMarkup(printed(document.root()).c_str());  // a throw here is a finding
    check(testing_support::treeDifference(document.root(), again.root()).empty());
    return 0;
}
