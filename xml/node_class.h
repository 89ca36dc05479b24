// Internal: tells the library's own node classes from user-defined ones, and
// makes nodes in an arena. The walks that copy, write and print trees without
// recursion handle the library's classes inline, since they know every field
// of those; a user-defined class keeps its own virtual operation.
#ifndef TARVIK_XML_NODE_CLASS_H
#define TARVIK_XML_NODE_CLASS_H

#include <memory>
#include <typeinfo>

#include "xml/document.h"

namespace tarvik::xml {

// The exact dynamic class of a node.
enum class NodeClass {
    Element,      // exactly XMLElement
    CData,        // exactly XMLCData
    UserDefined,  // any class derived outside the library
};

// The exact class of `node`; a subclass of XMLElement or XMLCData is UserDefined.
// Inline: every walk asks this of every node.
inline NodeClass nodeClassOf(const XMLElement& node) {
    const std::type_info& type = typeid(node);
    if (type == typeid(XMLElement))
        return NodeClass::Element;
    if (type == typeid(XMLCData))
        return NodeClass::CData;
    return NodeClass::UserDefined;
}

// A new, empty node of a library class, owned by the caller, its memory from
// the arena `store` (null: the heap); null for UserDefined. Throws std::bad_alloc.
std::unique_ptr<XMLElement> newNodeOf(NodeClass nodeClass, detail::NodeStore* store = nullptr);

// appendChild with the child's link from the arena `store` (null: the heap).
XMLElement* appendChildIn(detail::NodeStore* store, XMLElement& parent,
                          std::unique_ptr<XMLElement> child);

}  // namespace tarvik::xml

#endif  // TARVIK_XML_NODE_CLASS_H
