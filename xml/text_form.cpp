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
#include <array>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "xml/markup.h"
#include "xml/markup_syntax.h"
#include "xml/messages.h"
#include "xml/node_class.h"
#include "xml/node_path.h"
#include "xml/search.h"
#include "xml/xml_chars.h"

namespace tarvik::xml {

namespace {

// The bytes a check looks for in values and texts, one bit for each.
enum ByteKind : uint8_t {
    ZeroByte = 1,            // ends a string when printed
    QuoteByte = 2,           // ends an attribute value
    LessThanByte = 4,        // ends a text
    CarriageReturnByte = 8,  // dropped from a text
};

// A string at least this long is searched with the C library's vectorised
// memchr, once for each kind of byte; a shorter one in one pass of its own,
// where the calls would cost more than the bytes.
constexpr std::size_t LongString = 64;

constexpr uint8_t kindOf(char c) {
    switch (c) {
        case '\0':
            return ZeroByte;
        case '"':
            return QuoteByte;
        case '<':
            return LessThanByte;
        case '\r':
            return CarriageReturnByte;
        default:
            return 0;
    }
}

constexpr std::array<uint8_t, xmlchars::ByteValues> makeByteKinds() {
    std::array<uint8_t, xmlchars::ByteValues> kinds{};
    for (std::size_t c = 0; c < xmlchars::ByteValues; ++c)
        kinds[c] = kindOf(static_cast<char>(c));
    return kinds;
}

// kindOf for every byte, looked up in one step.
constexpr std::array<uint8_t, xmlchars::ByteValues> ByteKinds = makeByteKinds();

// The kinds among `wanted` of the bytes `bytes` holds.
uint8_t kindsIn(const std::string& bytes, uint8_t wanted) {
    uint8_t found = 0;
    if (bytes.size() >= LongString) {
        for (const char c : {'\0', '"', '<', '\r'}) {
            if ((kindOf(c) & wanted) && std::memchr(bytes.data(), c, bytes.size()))
                found |= kindOf(c);
        }
        return found;
    }
    for (const char c : bytes)
        found |= ByteKinds[static_cast<unsigned char>(c)];
    return found & wanted;
}

bool holdsZero(const std::string& bytes) {
    return kindsIn(bytes, ZeroByte) != 0;
}

// True when scanName reads `name` back whole: it begins with a byte that may
// begin a name (so no white space is skipped before it), every other byte may
// stand inside one (a zero byte may not), and it is not too long.
bool nameIsReadable(const std::string& name) {
    if (name.empty() || name.size() > static_cast<std::size_t>(MaxNameLength) ||
        !syntax::isNameStart(name.front()))
        return false;
    return std::all_of(name.begin() + 1, name.end(), syntax::isNameByte);
}

// True when the first `terminator` in text + terminator is the appended one:
// there is none in the text, and none that begins in the text's last bytes
// and ends in the appended one (the text ends in the terminator's first k
// bytes, and the rest of the terminator repeats its start).
bool endsOnlyAtItsEnd(const std::string& text, const char* terminator) {
    if (findText(text.c_str(), terminator))
        return false;
    const std::string_view whole(terminator);
    const std::string_view printed(text);
    for (std::size_t inText = 1; inText < whole.size() && inText <= printed.size(); ++inText) {
        if (printed.substr(printed.size() - inText) == whole.substr(0, inText) &&
            whole.substr(inText) == whole.substr(0, whole.size() - inText))
            return false;
    }
    return true;
}

// The reason print's text of `element` does not read back, or null.
const char* textFault(const XMLElement& element) {
    const std::string& text = element.text;
    const uint8_t kinds = kindsIn(text, ZeroByte | CarriageReturnByte | LessThanByte);
    if (kinds & ZeroByte)
        return messages::ZeroByteInTree;
    if ((kinds & CarriageReturnByte) || (!text.empty() && (text[0] == '\t' || text[0] == '\n')))
        return messages::LayoutInText;
    if (element.dataBracket == 0) {
        if (kinds & LessThanByte)
            return messages::LessThanInText;
        if (text.compare(0, std::strlen(syntax::DataBracketOpen), syntax::DataBracketOpen) == 0)
            return messages::EscapeOpenerInText;
        return nullptr;
    }
    // The bracket byte, then "data]]" and its NUL.
    char terminator[1 + sizeof syntax::DataBracketClose] = {static_cast<char>(element.dataBracket)};
    std::memcpy(terminator + 1, syntax::DataBracketClose, sizeof syntax::DataBracketClose);
    if (!endsOnlyAtItsEnd(text, terminator))
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
        const uint8_t kinds = kindsIn(attribute.value, ZeroByte | QuoteByte);
        if (kinds & ZeroByte)
            return {messages::ZeroByteInTree, &attribute};
        if (kinds & QuoteByte)
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

// Checks `node` alone, a node in the subtree of `top` at `position`: its own
// fields, and for an element whether a plain text comes before a CDATA first
// child. A writer that checks each node as it reaches it, in document order,
// finds the fault checkTextForm would find first. Throws as checkTextForm does.
void checkNodeTextForm(const XMLElement& node, const XMLElement& top, std::size_t position) {
    const Fault fault = nodeClassOf(node) == NodeClass::CData ? cdataFault(node)
                                                              : elementFault(node, &node == &top);
    if (fault.message)
        refuse(fault, node, top, position);
}

// Pre-order from a work list; each node's children go on it reversed, so
// the first fault found is the first in the file.
void checkSubtreeTextForm(const XMLElement& subtree, const XMLElement& top, std::size_t position) {
    std::vector<const XMLElement*> pending{&subtree};
    while (!pending.empty()) {
        const XMLElement* node = pending.back();
        pending.pop_back();
        checkNodeTextForm(*node, top, position);
        const std::size_t firstChild = pending.size();
        for (const auto& child : node->children) {
            if (child)  // print skips a hand-made null entry
                pending.push_back(child.get());
        }
        std::reverse(pending.begin() + static_cast<std::ptrdiff_t>(firstChild), pending.end());
    }
}

// Checks `top`, a top-level node of a file at the 1-based `position` among
// its siblings, and its whole subtree, without recursion. Throws
// XMLException at the first node in document order that print would write in
// a way the reader does not read back as it is, with node() naming it and
// one of these messages: NameNotReadable, QuoteInAttributeValue,
// ZeroByteInTree, LessThanInText, TerminatorInText, LayoutInText,
// EscapeOpenerInText, InvalidDataBracket, TextBeforeCData, NullChild,
// CDataNotPlain. Null child entries are passed over, as print passes over
// them, wherever that leaves the text as it is.
void checkTextForm(const XMLElement& top, std::size_t position) {
    checkSubtreeTextForm(top, top, position);
}

}  // namespace tarvik::xml
