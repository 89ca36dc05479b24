// Internal: telling the library's own node classes apart from classes derived
// outside it, and making nodes in a store. The walks that copy, write and print trees without
// recursion handle the library's classes inline, since they know every field of those; any other
// class keeps its own virtual operation.
#ifndef TARVIK_XML_NODE_CLASS_H
#define TARVIK_XML_NODE_CLASS_H

#include <memory>
#include <typeinfo>

#include "xml/document.h"

namespace tarvik::xml {

// The exact dynamic class of a node.
enum class NodeClass {
    Element,  // exactly XMLElement
    CData,    // exactly XMLCData
    Foreign,  // any class derived outside the library
};

// The exact class of `node`: a subclass of XMLElement or XMLCData counts as Foreign.
// Inline, and the type_info objects' addresses are compared first: every walk
// asks this of every node, and a failed std::type_info comparison goes on to
// compare the class names, which a CData node would otherwise pay for at the
// test for XMLElement. Equal addresses mean the same class; where they differ
// (a class's type_info held twice across modules), == has the last word.
inline NodeClass nodeClassOf(const XMLElement& node) {
    const std::type_info& type = typeid(node);
    if (&type == &typeid(XMLElement))
        return NodeClass::Element;
    if (&type == &typeid(XMLCData))
        return NodeClass::CData;
    if (type == typeid(XMLElement))
        return NodeClass::Element;
    if (type == typeid(XMLCData))
        return NodeClass::CData;
    return NodeClass::Foreign;
}

// A new, empty node of a library class, owned by the caller, its memory from
// `store` (null: the heap); null for Foreign.
std::unique_ptr<XMLElement> newNodeOf(NodeClass nodeClass, detail::NodeStore* store = nullptr);

// appendChild with the child's link from `store` (null: the heap).
XMLElement* appendChildIn(detail::NodeStore* store, XMLElement& parent,
                          std::unique_ptr<XMLElement> child);

}  // namespace tarvik::xml

#endif  // TARVIK_XML_NODE_CLASS_H
