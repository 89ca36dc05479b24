#include "xml/node_stream.h"

#include <utility>
#include <vector>

#include "xml/messages.h"
#include "xml/node_class.h"
#include "xml/node_record.h"

namespace tarvik::xml {

namespace {

// One node read from its record, with the number of child records that follow.
struct RecordHead {
    std::unique_ptr<XMLElement> node;
    int32_t childCount = 0;
};

// A node whose child records are still being read.
struct OpenNode {
    XMLElement* node;
    int32_t childrenLeft;
};

// The class a type tag names; UserDefined for any other tag, since a stream can
// only name the library's own classes.
NodeClass nodeClassOfTag(int32_t tag) {
    switch (tag) {
        case ElementTypeTag:
            return NodeClass::Element;
        case CDataTypeTag:
            return NodeClass::CData;
        default:
            return NodeClass::UserDefined;
    }
}

// tag:int32  body  childCount:int32 -- everything of a record but its children.
// Throws at the first fault, so no half-read node is ever linked into a tree.
RecordHead readRecordHead(RecordReader& reader, detail::NodeStore& store) {
    const int64_t tagOffset = reader.offset();
    const int32_t tag = reader.readInt32();
    reader.throwIfFaulted();
    RecordHead head;
    head.node = newNodeOf(nodeClassOfTag(tag), &store);
    if (!head.node)
        throw XMLException(messages::UnknownNodeType, tagOffset);
    readBody(reader, *head.node, &store);  // the very routine readBinary runs
    head.childCount = reader.readCount();
    reader.throwIfFaulted();  // the first fault, in the body or the count
    return head;
}

}  // namespace

// Pre-order with an explicit stack of open nodes instead of recursion: read a
// record head, attach the node to the innermost open node, and open it in turn
// when child records follow; a node closes once its count is used up. Each
// node joins the tree as soon as it is read, so on a throw the tree under
// construction is freed whole and nothing leaks. The nodes come from a store
// of the tree's own, whose pages the tree keeps until its nodes are freed.
std::unique_ptr<XMLElement> readTree(std::istream& in) {
    detail::NodeStore store;
    RecordReader reader(in);
    RecordHead top = readRecordHead(reader, store);
    std::vector<OpenNode> open;
    if (top.childCount > 0)
        open.push_back({top.node.get(), top.childCount});
    while (!open.empty()) {
        OpenNode& parent = open.back();
        if (parent.childrenLeft == 0) {
            open.pop_back();
            continue;
        }
        --parent.childrenLeft;
        XMLElement* parentNode = parent.node;
        RecordHead child = readRecordHead(reader, store);
        XMLElement* node = appendChildIn(&store, *parentNode, std::move(child.node));
        if (child.childCount > 0)
            open.push_back({node, child.childCount});
    }
    return std::move(top.node);
}

}  // namespace tarvik::xml
