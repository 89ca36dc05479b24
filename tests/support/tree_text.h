// Test helpers: a compact one-line picture of a tree, so expected trees can be
// written as strings in tables.
#ifndef TESTS_SUPPORT_TREE_TEXT_H
#define TESTS_SUPPORT_TREE_TEXT_H

#include <string>

#include "xml/document.h"

namespace testing_support {

// "<name a='1' [1]='x' text='t' <child ...>>": attributes in order, then the
// text when it is not empty, then the children.
inline std::string treeText(const tarvik::xml::XMLElement& element) {
    std::string out = "<" + element.name;
    for (const auto& attribute : element.attributes)
        out += " " + attribute.name + "='" + attribute.value + "'";
    if (!element.text.empty())
        out += " text='" + element.text + "'";
    for (const auto& child : element.children)
        out += " " + treeText(*child);
    return out + ">";
}

// True when every attribute in the tree carries the hash of its name and every
// child points back at its parent.
inline bool treeIsConsistent(const tarvik::xml::XMLElement& element) {
    for (const auto& attribute : element.attributes)
        if (attribute.hash != tarvik::xml::nameHash(attribute.name.c_str()))
            return false;
    for (const auto& child : element.children)
        if (child->parent != &element || !treeIsConsistent(*child))
            return false;
    return true;
}

}  // namespace testing_support

#endif  // TESTS_SUPPORT_TREE_TEXT_H
