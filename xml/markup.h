// Markup text: documents such as
//
//     <?xml version="1.0" encoding="gb2312"?>
//     <game title="zindle">
//         <server url="http://example/" port="80"/>
//         <motd>[[data|1 < 2|data]]</motd>
//         <![CDATA[raw <bytes>]]>
//         <!-- a comment -->
//     </game>
//
// read into an XMLDocument (XMLDocument::parseMarkup, loadMarkupFile):
//
//     tarvik::xml::XMLDocument doc;
//     doc.parseMarkup(text);               // throws XMLException with offset, line, column
//     doc.root().children.front()->name;   // "game"
//
// Grammar, over bytes (GB2312 passes through; "&" is an ordinary byte, so no
// entity or character reference is decoded or expanded):
//   document    := { markup | other bytes }          other bytes are skipped
//   markup      := cdata | comment | end-tag | instruction | doctype | element
//   element     := "<" name attributes ( "/>" | ">" content )
//   attributes  := { name "=" '"' { byte but '"' } '"' }      white space around "="
//   content     := "[[data" b { byte } b "data]]"   b is any byte but NUL; lets the text hold "<"
//                | { byte but "<" }                 the element's text, up to the next "<"
//   end-tag     := "</" name ">"
//   cdata       := "<![CDATA[" { byte } "]]>"      an XMLCData child, bytes kept as they are
//   comment     := "<!--" { byte } "-->"
//   instruction := "<?" name ... "?>"              only "<?xml" is read: its attributes
//                                                  are appended to the document's head
//   doctype     := "<!DOCTYPE" ws { literal | "[" subset "]" | byte but ">" } ">"
//                  skipped like a comment, once, before the first element or
//                  CDATA section (after comments and instructions); literal is
//                  '"' ... '"' or "'" ... "'", and the internal subset's own ">",
//                  comments and instructions do not end it. Elsewhere it is refused
//                  with messages::MisplacedTypeDeclaration at its "<".
//   name        := name-start { name-start | "-" | "." | ":" }, at most MaxNameLength bytes
//   name-start  := ASCII letter | ASCII digit | "_" | "[" | "]" | any byte from 0x7F up
// White space is TAB, LF, CR and space. A text drops its leading TAB, LF and
// CR (the layout before a first child) and every CR; spaces stay. Only the
// text between an opening tag and the next "<" is kept. This is the form
// XMLElement::print writes, so printed trees read back equal.
//
// Errors throw XMLException with a fixed GB2312 text of xml/messages.h, placed
// by parseMarkup (offset(), line(), column(); lines end at LF, columns count
// bytes from 1): at a wrong byte (no "=", quote, ">" or "?>"; a byte no name
// begins with; the first byte of a name past MaxNameLength); at the start of
// what never closes (an element whose text runs to the end, a comment,
// instruction, doctype, CDATA section, "[[data" escape or quoted value); at
// an end tag or "/>" that matches no open element, or an element or CDATA
// section after the root closed (messages::ElementMismatch); at the end for
// elements still open (messages::TagNotClosed). What was read stays.
//
// The parser keeps its place in the cursor and never recurses, and every scan
// reads only as far as it must: any depth parses, in time linear in the text.
#ifndef TARVIK_XML_MARKUP_H
#define TARVIK_XML_MARKUP_H

#include <cstdint>
#include <list>

#include "xml/document.h"
#include "xml/export.h"

namespace tarvik::xml {

// Size of a name buffer: the longest name and its NUL.
constexpr int32_t NameBufferSize = 80;
// Longest element or attribute name the parser accepts; longer ones throw
// messages::NameTooLong rather than being cut short.
constexpr int32_t MaxNameLength = NameBufferSize - 1;

// Reads a name at `position`, after any white space, into `out` (NameBufferSize
// bytes; "" when no name begins there). Returns the position after the name and its
// white space. Throws XMLException messages::NameTooLong. Neither may be null.
TARVIK_XML_API const char* scanName(char* out, const char* position);

// attributes := { name "=" '"' { byte but '"' } '"' }: appends each pair, in
// order and duplicates too, to `element`. Returns the first byte after them
// and their white space. Throws XMLException messages::AttributeMissingEquals,
// AttributeMissingQuote, IllegalCharacter (no closing quote) or NameTooLong;
// attributes read before stay.
TARVIK_XML_API const char* parseAttributes(const char* position, XMLElement& element);

// A markup handler: an XMLDocument member that reads from its token's position
// and returns where reading goes on.
using XMLTokenHandler = const char* (XMLDocument::*)(const char*);

// Size of a token field: a token of up to 79 bytes and its NUL (the longest
// in use, "<![CDATA[", has 9).
constexpr int32_t TokenBufferSize = 80;

// A token table entry: the text that begins a piece of markup, and its handler.
struct XMLToken {
    char token[TokenBufferSize];  // NUL-terminated
    XMLTokenHandler handler;
};

// The token table in the order the parser tries it: "<![CDATA[" (parseCData),
// "<!--" (parseComment), "</" (parseEndTag), "<?" (parseDeclaration), "<"
// (parseElement); the first whose token begins the text wins. Built during
// static initialisation and never changed; the parser reaches it through its
// own accessor, so parsing from another static initialiser is safe.
extern TARVIK_XML_API const std::list<XMLToken>& markupTokens;

}  // namespace tarvik::xml

#endif  // TARVIK_XML_MARKUP_H
