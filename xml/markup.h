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
// Grammar, over bytes (GB2312 passes through untouched; "&" is an ordinary
// byte: no entity or character reference is decoded, so "&lt;", "&#20013;"
// and "&name;" pass through into texts and values as they stand, and an
// entity a document type declaration defines is never expanded):
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
// White space is TAB, LF, CR and space. An element's text drops its leading
// TAB, LF and CR bytes (the layout between a tag and its first child) and every
// CR, so CRLF files read like LF ones; spaces stay. Only the text between an
// opening tag and the next "<" is kept: text after an end tag, an empty
// element or a CDATA section is skipped. This is the form XMLElement::print
// writes, so printed trees read back equal.
//
// Errors throw XMLException with one of the texts of xml/messages.h; what()
// is that fixed GB2312 text. parseMarkup adds where the failure was found
// (offset(), line(), column(); lines end at LF, columns count bytes from 1):
//   - at the offending byte when a wrong byte was met: the byte after an
//     attribute name that is not "=", a missing quote, a missing ">" or "?>",
//     a byte that cannot begin an element name, the first byte of a name that
//     is too long (messages::NameTooLong);
//   - at the start of what never closes: the "<" of an element whose text
//     runs to the end, of a comment, instruction, document type declaration
//     or CDATA section; the
//     "[[data" of an escape; the opening quote of an attribute value;
//   - at the "<" of an end tag (or the "/" of "/>") that matches no open
//     element, and of an element or CDATA section met when no element is open
//     (after an end tag closed the root): messages::ElementMismatch;
//   - at the end of the text when elements are still open there:
//     messages::TagNotClosed, since an opening tag was never closed.
// What was read before an error stays in the tree, and the cursor stays
// where it stood.
//
// Depth: the parser keeps its place in the document's cursor and never
// recurses, so documents of any depth parse; memory grows in step with the
// text. Time: every search and scan reads only as far as it must, so a text
// is parsed in time proportional to its length.
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

// Reads a name at `position`, after any white space, into `out`, a buffer of
// NameBufferSize bytes that receives the name and its NUL, or "" when the
// first byte after the white space cannot begin a name (the text's NUL
// included). Returns the position after the name and the white space that
// follows it, or where the empty name was found. Throws XMLException
// messages::NameTooLong for a name longer than MaxNameLength. Neither argument may be null.
TARVIK_XML_API const char* scanName(char* out, const char* position);

// Reads `name="value"` pairs at `position` and appends them, in order, to
// `element`'s attributes (duplicates too). Values are copied byte for byte
// and may hold "<", ">" and line breaks. Returns the first byte after the
// list and its white space that cannot begin a name. Throws XMLException:
// messages::AttributeMissingEquals, AttributeMissingQuote (a value must be in
// double quotes), IllegalCharacter (the closing quote never comes), or
// NameTooLong. Attributes read before the error stay on the element.
TARVIK_XML_API const char* parseAttributes(const char* position, XMLElement& element);

// A markup handler: a member of XMLDocument that takes the position of its
// token in the text and returns the position at which reading goes on.
using XMLTokenHandler = const char* (XMLDocument::*)(const char*);

// Size of a token field: a token of up to 79 bytes and its NUL (the longest
// in use, "<![CDATA[", has 9).
constexpr int32_t TokenBufferSize = 80;

// One entry of the token table: the text that begins a piece of markup and
// the handler that reads it.
struct XMLToken {
    char token[TokenBufferSize];  // NUL-terminated
    XMLTokenHandler handler;
};

// The markup token table, in the order the parser tries it: "<![CDATA["
// (parseCData), "<!--" (parseComment), "</" (parseEndTag), "<?"
// (parseDeclaration), "<" (parseElement). Every token begins with "<", and
// the bare "<" comes last, so the first entry whose token begins the text is
// the right one. Built during static initialisation, before main runs, never
// changed afterwards, and destroyed at exit. The parser reaches the table
// through its own accessor, so parsing from another static initialiser is safe.
extern TARVIK_XML_API const std::list<XMLToken>& markupTokens;

}  // namespace tarvik::xml

#endif  // TARVIK_XML_MARKUP_H
