// Internal: telling the library's own node classes apart from classes derived
// outside it, and making nodes in a store. The walks that copy, write and print trees without
// recursion handle the library's classes inline, since they know every field of those; any other
// class keeps its own virtual operation.
#ifndef TARVIK_XML_NODE_CLASS_H
#define TARVIK_XML_NODE_CLASS_H

#include <memory>

#include "xml/document.h"

namespace tarvik::xml {

// The exact dynamic class of a node.
enum class NodeClass {
    Element,  // exactly XMLElement
    CData,    // exactly XMLCData
    Foreign,  // any class derived outside the library
};

// The exact class of `node`: a subclass of XMLElement or XMLCData counts as Foreign.
NodeClass nodeClassOf(const XMLElement& node);

// A new, empty node of a library class, owned by the caller, its memory from
// `store` (null: the heap); null for Foreign.
std::unique_ptr<XMLElement> newNodeOf(NodeClass nodeClass, NodeStore* store = nullptr);

// appendChild with the child's link from `store` (null: the heap).
XMLElement* appendChildIn(NodeStore* store, XMLElement& parent, std::unique_ptr<XMLElement> child);

}  // namespace tarvik::xml

#endif  // TARVIK_XML_NODE_CLASS_H
