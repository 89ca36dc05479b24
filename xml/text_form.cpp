// The reader's rules, turned round: what print writes for a node, and what
// the markup reader (xml/markup.cpp) then makes of it.
//   name       read by scanName up to the first byte that cannot stand in a
//              name, at most MaxNameLength bytes: must be all of it
//   value      ends at the first double quote
//   text       ends at the first "<"; leading TAB, LF and CR and every CR
//              are dropped; a text that opens with "[[data" is an escape
//   escaped    ends at the first bracket byte followed by "data]]"; the
//              bracket comes back as a signed char
//   CDATA      ends at the first "]]>"; holds nothing but its text
//   a text followed by a CDATA child gains the tabs print writes before it
//   print passes over null child entries, but an element that has only
//   those still gets the tabs before its closing tag, which below the top
//   join a text
// Every string ends at its first zero byte when printed.
#include "xml/text_form.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "xml/markup.h"
#include "xml/markup_syntax.h"
#include "xml/messages.h"
#include "xml/node_class.h"
#include "xml/node_path.h"
#include "xml/search.h"

namespace tarvik::xml {

namespace {

bool holdsZero(const std::string& bytes) {
    return bytes.find('\0') != std::string::npos;
}

// True when scanName reads `name` back whole: no white space before it, no
// byte that would end it, not too long.
bool nameIsReadable(const std::string& name) {
    if (name.empty() || name.size() > static_cast<std::size_t>(MaxNameLength) || holdsZero(name))
        return false;
    char read[NameBufferSize];
    scanName(read, name.c_str());
    return name == read;
}

// True when the first `terminator` in text + terminator is the appended one.
bool endsOnlyAtItsEnd(const std::string& text, const std::string& terminator) {
    const std::string printed = text + terminator;
    return findText(printed.c_str(), terminator.c_str()) == printed.c_str() + text.size();
}

// The reason print's text of `element` does not read back, or null.
const char* textFault(const XMLElement& element) {
    const std::string& text = element.text;
    if (holdsZero(text))
        return messages::ZeroByteInTree;
    if (text.find('\r') != std::string::npos ||
        (!text.empty() && (text[0] == '\t' || text[0] == '\n')))
        return messages::LayoutInText;
    if (element.dataBracket == 0) {
        if (text.find('<') != std::string::npos)
            return messages::LessThanInText;
        if (text.compare(0, std::strlen(syntax::DataBracketOpen), syntax::DataBracketOpen) == 0)
            return messages::EscapeOpenerInText;
        return nullptr;
    }
    const auto bracket = static_cast<char>(element.dataBracket);
    if (!endsOnlyAtItsEnd(text, std::string(1, bracket) + syntax::DataBracketClose))
        return messages::TerminatorInText;
    return nullptr;
}

// The reader stores the bracket byte as a signed char.
bool bracketIsReadable(int32_t dataBracket) {
    return dataBracket >= std::numeric_limits<signed char>::min() &&
           dataBracket <= std::numeric_limits<signed char>::max();
}

// The first fault of an element's own fields and its first child, with the
// attribute at fault, if any.
struct Fault {
    const char* message = nullptr;
    const XMLAttribute* attribute = nullptr;
};

// The first child print writes, passing over null entries, or null.
const XMLElement* firstPrintedChild(const XMLElement& element) {
    for (const auto& child : element.children) {
        if (child)
            return child.get();
    }
    return nullptr;
}

// `isTop`: printed at depth 0, where a closing tag has no tabs before it.
Fault elementFault(const XMLElement& element, bool isTop) {
    if (!nameIsReadable(element.name))
        return {messages::NameNotReadable};
    for (const XMLAttribute& attribute : element.attributes) {
        if (!nameIsReadable(attribute.name))
            return {messages::NameNotReadable, &attribute};
        if (holdsZero(attribute.value))
            return {messages::ZeroByteInTree, &attribute};
        if (attribute.value.find('"') != std::string::npos)
            return {messages::QuoteInAttributeValue, &attribute};
    }
    if (!bracketIsReadable(element.dataBracket))
        return {messages::InvalidDataBracket};
    if (const char* fault = textFault(element))
        return {fault};
    const bool plainText = element.dataBracket == 0 && !element.text.empty();
    if (!plainText || element.children.empty())
        return {};
    const XMLElement* first = firstPrintedChild(element);
    if (first && nodeClassOf(*first) == NodeClass::CData)
        return {messages::TextBeforeCData};
    if (!first && !isTop)
        return {messages::NullChild};
    return {};
}

Fault cdataFault(const XMLElement& cdata) {
    if (!cdata.name.empty() || !cdata.attributes.empty() || cdata.dataBracket != 0 ||
        !cdata.children.empty())
        return {messages::CDataNotPlain};
    if (holdsZero(cdata.text))
        return {messages::ZeroByteInTree};
    if (!endsOnlyAtItsEnd(cdata.text, syntax::CDataClose))
        return {messages::TerminatorInText};
    return {};
}

[[noreturn]] void refuse(const Fault& fault, const XMLElement& node, const XMLElement& top,
                         std::size_t topPosition) {
    std::string path = nodePath(node, top, topPosition);
    if (fault.attribute)
        path += "@" + std::string(fault.attribute->name.c_str());
    XMLException error(fault.message);
    error.setNode(std::move(path));
    throw error;
}

}  // namespace

// Pre-order from a work list; each node's children go on it reversed, so
// the first fault found is the first in the file.
void checkTextForm(const XMLElement& top, std::size_t position) {
    std::vector<const XMLElement*> pending{&top};
    while (!pending.empty()) {
        const XMLElement* node = pending.back();
        pending.pop_back();
        const Fault fault = nodeClassOf(*node) == NodeClass::CData
                                ? cdataFault(*node)
                                : elementFault(*node, node == &top);
        if (fault.message)
            refuse(fault, *node, top, position);
        const std::size_t firstChild = pending.size();
        for (const auto& child : node->children) {
            if (child)  // print skips a hand-made null entry
                pending.push_back(child.get());
        }
        std::reverse(pending.begin() + static_cast<std::ptrdiff_t>(firstChild), pending.end());
    }
}

}  // namespace tarvik::xml
