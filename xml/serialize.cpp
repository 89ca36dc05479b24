// The node operations that write and read the two external forms of a tree:
// indented markup text (print) and the binary node stream (writeTypeTag,
// writeBinary, readBinary).
//
// print writes through xml/text_printer.h. writeBinary walks the subtree with
// a work list on the heap instead of recursing, so a tree of any depth is
// safe. A child of exactly the library's own classes is handled inline, with
// the bytes its virtual operation would write; a child of a class derived
// outside the library gets its own virtual call, so a user's override is
// still honoured.
#include <memory>
#include <vector>

#include "xml/document.h"
#include "xml/node_class.h"
#include "xml/node_record.h"
#include "xml/node_stream.h"
#include "xml/text_printer.h"

namespace tarvik::xml {

namespace {

bool isLibraryNode(const XMLElement& node) {
    return nodeClassOf(node) != NodeClass::UserDefined;
}

// Everything of `node`'s record but its children: the tag (a virtual call, so
// each class writes its own), the body and the child count. The children are
// put on `pending` in reverse, so they come off it in document order.
void writeRecordHead(std::ostream& out, const XMLElement& node,
                     std::vector<const XMLElement*>& pending) {
    node.writeTypeTag(out);
    writeBody(out, node);
    const std::size_t firstPending = pending.size();
    for (auto child = node.children.rbegin(); child != node.children.rend(); ++child) {
        if (*child)  // a hand-edited null entry has no record, and is not counted
            pending.push_back(child->get());
    }
    writeLength(out, pending.size() - firstPending);
}

}  // namespace

std::ostream& XMLElement::print(std::ostream& out, int32_t depth) const {
    printing::StreamOutput output(out);
    printing::printElementTree(output, *this, depth);
    return out;
}

std::ostream& XMLCData::print(std::ostream& out, int32_t depth) const {
    printing::StreamOutput output(out);
    printing::printCData(output, *this, depth);
    return out;
}

std::ostream& XMLElement::writeTypeTag(std::ostream& out) const {
    writeInt32(out, ElementTypeTag);
    return out;
}

std::ostream& XMLCData::writeTypeTag(std::ostream& out) const {
    writeInt32(out, CDataTypeTag);
    return out;
}

// Pre-order from a work list of nodes whose records are still to be written.
void XMLElement::writeBinary(std::ostream& out) const {
    std::vector<const XMLElement*> pending;
    writeRecordHead(out, *this, pending);
    while (!pending.empty()) {
        const XMLElement* node = pending.back();
        pending.pop_back();
        if (isLibraryNode(*node))
            writeRecordHead(out, *node, pending);
        else
            node->writeBinary(out);
    }
}

void XMLElement::readBinary(std::istream& in) {
    RecordReader reader(in);
    readBody(reader, *this);
}

}  // namespace tarvik::xml
