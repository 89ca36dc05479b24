// Internal: the element text form, written to any output. print writes it
// to a caller's stream (StreamOutput), where every line break flushes the
// stream; the library's own savers write it straight into the buffer of the
// file (xml/file.cpp), where a line break is one more byte, and check each
// node as they reach it. Both write the same bytes through the same walk.
//
// An output provides put, write, text (a string, which ends at its first zero
// byte), tabs, lineBreak, reach (called with each node of the library's
// classes before it is written) and foreign (writes a node of a class derived
// outside the library, and its subtree).
//
// The walk keeps a work list on the heap instead of recursing, so a tree of
// any depth is safe. A child of exactly the library's own classes is handled
// inline, with the bytes its virtual print would write; a child of a class
// derived outside the library gets its own virtual call, so a user's
// override is still honoured.
#ifndef TARVIK_XML_TEXT_PRINTER_H
#define TARVIK_XML_TEXT_PRINTER_H

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "xml/document.h"
#include "xml/markup_syntax.h"
#include "xml/node_class.h"

namespace tarvik::xml::printing {

// Tabs per stream write when indenting: one write covers the usual depths.
inline constexpr int32_t TabRunLength = 16;
inline constexpr char TabRun[TabRunLength + 1] = "\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t";
inline constexpr char ValueOpening[] = "=\"";
// The bracket character is the low byte of dataBracket.
inline constexpr int32_t BracketByteMask = 0xFF;

// print's output: a caller's stream, its state never tested; each line break
// flushes, so a reader sees every line once it is finished.
class StreamOutput {
public:
    explicit StreamOutput(std::ostream& out) : out_(out) {}

    void put(char byte) { out_.put(byte); }
    void write(const char* bytes, std::size_t count) {
        out_.write(bytes, static_cast<std::streamsize>(count));
    }
    // A string up to its first zero byte.
    void text(const std::string& bytes) { write(bytes.data(), std::strlen(bytes.c_str())); }
    // `count` tabs; none when count <= 0.
    void tabs(int32_t count) {
        while (count > 0) {
            const int32_t run = std::min(count, TabRunLength);
            out_.write(TabRun, run);
            count -= run;
        }
    }
    void lineBreak() {
        out_.put('\n');
        out_.flush();
    }
    // print writes any tree.
    void reach(const XMLElement&) {}
    // A node of a class derived outside the library prints itself.
    void foreign(const XMLElement& node, int32_t depth) { node.print(out_, depth); }

private:
    std::ostream& out_;
};

// Writes a fixed ASCII text.
template <typename Output, std::size_t Size>
void writeLiteral(Output& out, const char (&literal)[Size]) {
    out.write(literal, Size - 1);
}

// depth + 1, wrapping instead of overflowing at the end of the 32-bit range.
inline int32_t childDepth(int32_t depth) {
    return static_cast<int32_t>(static_cast<uint32_t>(depth) + 1u);
}

// "<name a="v" ...>", then the text, between "[[data"c and c"data]]" when the
// element has a data bracket, then the line break that opens the child lines
// of an element with children and no text.
template <typename Output>
void printOpening(Output& out, const XMLElement& element) {
    out.put('<');
    out.text(element.name);
    for (const XMLAttribute& attribute : element.attributes) {
        out.put(' ');
        out.text(attribute.name);
        writeLiteral(out, ValueOpening);
        out.text(attribute.value);
        out.put('"');
    }
    out.put('>');
    const char bracket = static_cast<char>(element.dataBracket & BracketByteMask);
    if (element.dataBracket != 0) {
        writeLiteral(out, syntax::DataBracketOpen);
        out.put(bracket);
    }
    out.text(element.text);
    if (element.dataBracket != 0) {
        out.put(bracket);
        writeLiteral(out, syntax::DataBracketClose);
    }
    if (!element.children.empty() && element.text.empty())
        out.lineBreak();
}

// The indentation before the closing tag of an element with children, then "</name>".
template <typename Output>
void printClosing(Output& out, const XMLElement& element, int32_t depth) {
    if (!element.children.empty())
        out.tabs(depth);
    writeLiteral(out, syntax::EndTagOpen);
    out.text(element.name);
    out.put('>');
}

// The CDATA text form: `depth` tabs, "<![CDATA[", the text, "]]>", a line break.
template <typename Output>
void printCData(Output& out, const XMLElement& cdata, int32_t depth) {
    out.tabs(depth);
    writeLiteral(out, syntax::CDataOpen);
    out.text(cdata.text);
    writeLiteral(out, syntax::CDataClose);
    out.lineBreak();
}

// An element being printed and the next of its children to print.
struct PrintFrame {
    const XMLElement* element;
    int32_t depth;
    XMLElement::ChildList::const_iterator next;
};

// The element text form of `top` at `depth`, whatever top's own class (the
// caller reaches `top` itself). Each child line is: depth + 1 tabs (only when
// its parent has no text), the child at depth + 1, a line break. The line
// break after an inline child is written when that child's frame closes.
template <typename Output>
void printElementTree(Output& out, const XMLElement& top, int32_t depth) {
    std::vector<PrintFrame> open;
    printOpening(out, top);
    open.push_back({&top, depth, top.children.begin()});
    while (!open.empty()) {
        PrintFrame& frame = open.back();
        if (frame.next == frame.element->children.end()) {
            printClosing(out, *frame.element, frame.depth);
            open.pop_back();
            if (!open.empty())
                out.lineBreak();
            continue;
        }
        const XMLElement* child = (frame.next++)->get();
        if (!child)
            continue;  // only a hand-edited child list holds nulls
        const int32_t depthOfChild = childDepth(frame.depth);
        if (frame.element->text.empty())
            out.tabs(depthOfChild);  // none below depth 0
        switch (nodeClassOf(*child)) {
            case NodeClass::Element:
                out.reach(*child);
                printOpening(out, *child);
                open.push_back(
                    {child, depthOfChild, child->children.begin()});  // `frame` dies here
                break;
            case NodeClass::CData:
                out.reach(*child);
                printCData(out, *child, depthOfChild);  // a CDATA node is a leaf in the text form
                out.lineBreak();
                break;
            case NodeClass::UserDefined:
                out.foreign(*child, depthOfChild);
                out.lineBreak();
                break;
        }
    }
}

// `node` as its print(out, depth) writes it: the library's classes inline,
// any other class through its own print.
template <typename Output>
void printNode(Output& out, const XMLElement& node, int32_t depth) {
    switch (nodeClassOf(node)) {
        case NodeClass::Element:
            out.reach(node);
            printElementTree(out, node, depth);
            break;
        case NodeClass::CData:
            out.reach(node);
            printCData(out, node, depth);
            break;
        case NodeClass::UserDefined:
            out.foreign(node, depth);
            break;
    }
}

}  // namespace tarvik::xml::printing

#endif  // TARVIK_XML_TEXT_PRINTER_H
