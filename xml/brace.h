// Brace notation: the short "name = value, group = (...)" texts the launcher
// receives on its command line, read into an element tree.
//
//     url='a''b', connstate=1, window=(w=800, h=600) -- a comment to the line end
//
// Mapping, within one group (the text itself is the root group):
//   name = value     an attribute; the value is exactly one token
//   value ,          an indexed attribute "[1]", "[2]", ... (a counter per group)
//   name = ( ... )   a child element called name; "name ( ... )" is the same, and
//                    either bracket kind, ( ) or { }, closes either
//   value            in a named element, a value without a name before the end
//                    of the text or before another token becomes the element's
//                    text; before a closing bracket only while no indexed
//                    attribute was made yet
//   -- ...           a token starting with "--" (even quoted) comments out the
//                    rest of its line
// Tokens are bare (up to white space or one of ( ) { } , ; =) or in single
// quotes, where '' stands for one quote. ";" means exactly what "," means.
// A group the text ends inside throws messages::BracketMismatch, nesting past
// MaxBraceDepth messages::BracketsTooDeep (both std::runtime_error); a stray
// closing bracket ends its group. Most callers want XMLDocument::parseBrace,
// which catches the errors.
//
// writeBrace writes a tree back in one canonical form:
//   group-content := { pair ", " } { group " " } [ text ]
//   pair          := [ token ] "=" [ token ]   an empty value is followed by ","
//   group         := [ token "=" ] "(" group-content ")"
// A token stands bare when it reads back whole, else quoted with each "'"
// doubled. Indexed attributes are pairs too ("[1]=a"), so no counter can turn
// a text into one; the text comes last, where the reader takes it.
#ifndef TARVIK_XML_BRACE_H
#define TARVIK_XML_BRACE_H

#include <cstdint>
#include <ostream>
#include <string>

#include "xml/document.h"
#include "xml/export.h"

namespace tarvik::xml {

// Deepest group nesting accepted: the parser recurses once per group, and a
// 32,767-character command line could nest 16,000; this stays far inside a 1 MiB stack.
constexpr int32_t MaxBraceDepth = 256;

// First position at or after `position` (not null) that is not TAB, LF, CR or
// space. Inline: called between almost every two tokens, mostly passing nothing.
inline const char* skipWhite(const char* position) {
    while (*position == ' ' || *position == '\t' || *position == '\n' || *position == '\r')
        ++position;
    return position;
}

// Like skipWhite, but also passes "," and ";". Null gives null.
TARVIK_XML_API const char* skipSeparators(const char* position);

// token := "'" { byte but "'" | "''" } "'" | bare, after white space, into `token`
// (empty at a delimiter). Returns the byte after the closing quote, or the
// delimiter that ended a bare token; null gives null, `token` untouched.
TARVIK_XML_API const char* readBraceToken(const char* position, std::string& token);

// Fills `element` from a group's text at `position` (after its opening bracket;
// the text's start for the root at depth 0). Returns the NUL or closing bracket
// that ended it. Throws std::runtime_error (above); complete child groups stay.
TARVIK_XML_API const char* parseBraceGroup(const char* position, XMLElement& element,
                                           int32_t depth);

// Writes `element`'s attributes, groups and text (no line break) so that
// parseBrace gives back a root equal to it but for the root's own name. Writes
// nothing and throws XMLException naming the node (node()) for a tree the
// notation cannot carry: messages::BraceCannotHoldCData,
// BraceCannotHoldDataBracket, NullChild (the parent named), BracketsTooDeep,
// BraceTextWithoutName (text on an unnamed group), ZeroByteInTree,
// BraceCommentMarker (a token starting "--") or BraceLeadingQuote (one
// starting "'" that cannot stand bare). Accepts every tree parseBrace builds;
// does not recurse; `out`'s state is untested.
TARVIK_XML_API void writeBrace(const XMLElement& element, std::ostream& out);

}  // namespace tarvik::xml

#endif  // TARVIK_XML_BRACE_H
