// The node operations that write and read the two external forms of a tree:
// indented markup text (print) and the binary node stream (writeTypeTag,
// writeBinary, readBinary).
//
// print and writeBinary walk the subtree with a work list on the heap instead
// of recursing, so a tree of any depth is safe. A child of exactly the
// library's own classes is handled inline, with the bytes its virtual
// operation would write; a child of a class derived outside the library gets
// its own virtual call, so a user's override is still honoured.
#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "xml/document.h"
#include "xml/markup_syntax.h"
#include "xml/node_class.h"
#include "xml/node_record.h"
#include "xml/node_stream.h"

namespace tarvik::xml {

namespace {

// Tabs per stream write when indenting: one write covers the usual depths.
constexpr int32_t TabRunLength = 16;
constexpr char TabRun[TabRunLength + 1] = "\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t";

constexpr char ValueOpening[] = "=\"";
// The bracket character is the low byte of dataBracket.
constexpr int32_t BracketByteMask = 0xFF;

// Writes a fixed ASCII text.
template <std::size_t Size>
void writeLiteral(std::ostream& out, const char (&literal)[Size]) {
    out.write(literal, static_cast<std::streamsize>(Size - 1));
}

// The text form ends every string at its first zero byte.
void writeText(std::ostream& out, const std::string& text) {
    out.write(text.data(), static_cast<std::streamsize>(std::strlen(text.c_str())));
}

// A line break ends with a flush, so a reader at the other end of the stream
// sees each line as it is finished.
void writeLineBreak(std::ostream& out) {
    out.put('\n');
    out.flush();
}

// `count` tabs; none when count <= 0.
void writeTabs(std::ostream& out, int32_t count) {
    while (count > 0) {
        const int32_t run = std::min(count, TabRunLength);
        out.write(TabRun, run);
        count -= run;
    }
}

// depth + 1, wrapping instead of overflowing at the end of the 32-bit range.
int32_t childDepth(int32_t depth) {
    return static_cast<int32_t>(static_cast<uint32_t>(depth) + 1u);
}

// "<name a="v" ...>", then the text, between "[[data"c and c"data]]" when the
// element has a data bracket, then the line break that opens the child lines
// of an element with children and no text.
void printOpening(std::ostream& out, const XMLElement& element) {
    out.put('<');
    writeText(out, element.name);
    for (const XMLAttribute& attribute : element.attributes) {
        out.put(' ');
        writeText(out, attribute.name);
        writeLiteral(out, ValueOpening);
        writeText(out, attribute.value);
        out.put('"');
    }
    out.put('>');
    const char bracket = static_cast<char>(element.dataBracket & BracketByteMask);
    if (element.dataBracket != 0) {
        writeLiteral(out, syntax::DataBracketOpen);
        out.put(bracket);
    }
    writeText(out, element.text);
    if (element.dataBracket != 0) {
        out.put(bracket);
        writeLiteral(out, syntax::DataBracketClose);
    }
    if (!element.children.empty() && element.text.empty())
        writeLineBreak(out);
}

// The indentation before the closing tag of an element with children, then "</name>".
void printClosing(std::ostream& out, const XMLElement& element, int32_t depth) {
    if (!element.children.empty())
        writeTabs(out, depth);
    writeLiteral(out, syntax::EndTagOpen);
    writeText(out, element.name);
    out.put('>');
}

// An element being printed and the next of its children to print.
struct PrintFrame {
    const XMLElement* element;
    int32_t depth;
    XMLElement::ChildList::const_iterator next;
};

// The element text form of `top` at `depth`, whatever top's own class. Each
// child line is: depth + 1 tabs (only when its parent has no text), the child
// at depth + 1, a line break. The line break after an inline child
// is written when that child's frame closes.
void printElementTree(std::ostream& out, const XMLElement& top, int32_t depth) {
    std::vector<PrintFrame> open;
    printOpening(out, top);
    open.push_back({&top, depth, top.children.begin()});
    while (!open.empty()) {
        PrintFrame& frame = open.back();
        if (frame.next == frame.element->children.end()) {
            printClosing(out, *frame.element, frame.depth);
            open.pop_back();
            if (!open.empty())
                writeLineBreak(out);
            continue;
        }
        const XMLElement* child = (frame.next++)->get();
        if (!child)
            continue;  // only a hand-edited child list holds nulls
        const int32_t depthOfChild = childDepth(frame.depth);
        if (frame.element->text.empty())
            writeTabs(out, depthOfChild);  // none below depth 0
        if (nodeClassOf(*child) == NodeClass::Element) {
            printOpening(out, *child);
            open.push_back({child, depthOfChild, child->children.begin()});  // `frame` dies here
        } else {
            child->print(out, depthOfChild);  // a CDATA node is a leaf in the text form
            writeLineBreak(out);
        }
    }
}

bool isLibraryNode(const XMLElement& node) {
    return nodeClassOf(node) != NodeClass::Foreign;
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
    printElementTree(out, *this, depth);
    return out;
}

std::ostream& XMLCData::print(std::ostream& out, int32_t depth) const {
    writeTabs(out, depth);
    writeLiteral(out, syntax::CDataOpen);
    writeText(out, text);
    writeLiteral(out, syntax::CDataClose);
    writeLineBreak(out);
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
