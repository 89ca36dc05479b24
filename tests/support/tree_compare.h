// Field-by-field comparison of two trees, free of any test framework so the
// fuzz targets can use it too.
#ifndef TESTS_SUPPORT_TREE_COMPARE_H
#define TESTS_SUPPORT_TREE_COMPARE_H

#include <string>
#include <typeinfo>
#include <utility>
#include <vector>

#include "xml/document.h"

namespace testing_support {

// Empty when both trees hold the same node classes, names, texts, data
// brackets, attributes (hashes included) and children, in the same order, and
// every child of `actual` points at its parent; otherwise the first difference.
// Walks without recursion, so trees of any depth compare.
inline std::string treeDifference(const tarvik::xml::XMLElement& expected,
                                  const tarvik::xml::XMLElement& actual) {
    using tarvik::xml::XMLElement;
    std::vector<std::pair<const XMLElement*, const XMLElement*>> pending{{&expected, &actual}};
    while (!pending.empty()) {
        const auto [want, got] = pending.back();
        pending.pop_back();
        const std::string where = "node '" + want->name + "': ";
        if (typeid(*want) != typeid(*got))
            return where + "class differs";
        if (want->name != got->name || want->text != got->text)
            return where + "name or text differs";
        if (want->dataBracket != got->dataBracket)
            return where + "dataBracket " + std::to_string(got->dataBracket) +
                   " != " + std::to_string(want->dataBracket);
        if (want->attributes.size() != got->attributes.size())
            return where + "attribute count differs";
        for (auto a = want->attributes.begin(), b = got->attributes.begin();
             a != want->attributes.end(); ++a, ++b) {
            if (a->name != b->name || a->value != b->value || a->hash != b->hash)
                return where + "attribute '" + a->name + "'";
        }
        if (want->children.size() != got->children.size())
            return where + "child count differs";
        for (auto a = want->children.begin(), b = got->children.begin(); a != want->children.end();
             ++a, ++b) {
            if ((*b)->parent != got)
                return where + "child's parent is wrong";
            pending.emplace_back(a->get(), b->get());
        }
    }
    return std::string();
}

}  // namespace testing_support

#endif  // TESTS_SUPPORT_TREE_COMPARE_H
