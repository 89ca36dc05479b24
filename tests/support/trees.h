// Test helpers for whole trees: their binary record, a chain deeper than any
// call stack could recurse through, and a field-by-field comparison of two trees.
#ifndef TESTS_SUPPORT_TREES_H
#define TESTS_SUPPORT_TREES_H

#include <gtest/gtest.h>

#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <typeinfo>
#include <utility>
#include <vector>

#include "support/tree_compare.h"
#include "xml/document.h"

namespace testing_support {

// An owned node, as trees hold their children.
using NodePtr = std::unique_ptr<tarvik::xml::XMLElement>;

// The binary record of `node` and its subtree.
inline std::string written(const tarvik::xml::XMLElement& node) {
    std::ostringstream out(std::ios::binary);
    node.writeBinary(out);
    return out.str();
}

// "top" with a single line of `depth` descendants named "n" below it.
inline std::unique_ptr<tarvik::xml::XMLElement> deepChain(int depth) {
    using tarvik::xml::XMLElement;
    auto top = std::make_unique<XMLElement>("top");
    XMLElement* last = top.get();
    for (int i = 0; i < depth; ++i)
        last = last->appendChild(std::make_unique<XMLElement>("n"));
    return top;
}

// Number of levels below `top` along its first children.
inline int chainDepth(const tarvik::xml::XMLElement& top) {
    int depth = 0;
    for (const auto* e = &top; !e->children.empty(); e = e->children.front().get())
        ++depth;
    return depth;
}

// Success when both trees hold the same node classes, names, texts, data
// brackets, attributes (hashes included) and children, in the same order, and
// every child of `actual` points at its parent.
inline testing::AssertionResult sameTree(const tarvik::xml::XMLElement& expected,
                                         const tarvik::xml::XMLElement& actual) {
    const std::string difference = treeDifference(expected, actual);
    if (difference.empty())
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << difference;
}

}  // namespace testing_support

#endif  // TESTS_SUPPORT_TREES_H
