// Brace notation from arbitrary bytes: parseBrace must never crash, what it
// builds must be a well-formed tree whatever the text, and writeBrace must
// write that tree so that it reads back equal.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "support/tree_compare.h"
#include "support/tree_text.h"
#include "xml/brace.h"

namespace {

// Nesting of the tree below `element`, counted without recursion depth limits mattering here.
int32_t depthBelow(const tarvik::xml::XMLElement& element) {
    int32_t deepest = 0;
    for (const auto& child : element.children) {
        const int32_t depth = 1 + depthBelow(*child);
        if (depth > deepest)
            deepest = depth;
    }
    return deepest;
}

void check(bool condition) {
    if (!condition)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    tarvik::xml::XMLDocument document;
    const bool parsed = document.parseBrace(text.c_str());
    const tarvik::xml::XMLElement& root = document.root();

    check(root.name == tarvik::xml::RootElementName);
    check(document.cursor() == &root);
    check(testing_support::treeIsConsistent(root));  // hashes match names, parents link back
    check(depthBelow(root) <= tarvik::xml::MaxBraceDepth);

    check(document.lastBraceError().empty() == parsed);

    // Parsing is a function of the text alone: a second parse into the same
    // document gives the same tree and the same verdict.
    const std::string first = testing_support::treeText(root);
    check(document.parseBrace(text.c_str()) == parsed);
    check(testing_support::treeText(root) == first);

    // Round trip: every tree the parser builds, a refused text's included, is
    // written, and the writing reads back as an equal tree, then writes the same.
    std::ostringstream written;
    try {
        tarvik::xml::writeBrace(root, written);
    } catch (const tarvik::xml::XMLException&) {
        check(false);
    }
    tarvik::xml::XMLDocument again;
    check(again.parseBrace(written.str().c_str()));
    check(testing_support::treeDifference(root, again.root()).empty());
    std::ostringstream rewritten;
    tarvik::xml::writeBrace(again.root(), rewritten);
    check(rewritten.str() == written.str());
    return 0;
}
