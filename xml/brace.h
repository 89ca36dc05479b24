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
// Tokens are bare (up to white space or one of ( ) { } , ; =) or quoted in
// single quotes, where '' stands for one quote and every other byte is kept.
//
// ";" is a separator with exactly the meaning of ",", in every element: a value
// without a name in front of it becomes the next indexed attribute.
//
// A group that the text ends inside fails with messages::BracketMismatch, and
// groups nested deeper than MaxBraceDepth fail with messages::BracketsTooDeep;
// both are std::runtime_error. A stray closing bracket simply ends its group.
//
// These functions are the parser's parts; most callers want
// XMLDocument::parseBrace, which catches the errors.
//
// Writing: writeBrace turns a tree back into the notation, for a launch link
// or a configuration file, in one canonical form:
//   group-content := { pair ", " } { group " " } [ text ]
//   pair          := [ token ] "=" [ token ]   an empty value is followed by ","
//   group         := [ token "=" ] "(" group-content ")"
// A token stands bare when that reads back whole (no delimiter, no single
// leading "'"), otherwise in quotes with each "'" doubled. Every attribute is
// a pair, the indexed ones too ("[1]=a"), so no counter can turn a text into
// an indexed attribute; the text comes last, where the reader takes it.
#ifndef TARVIK_XML_BRACE_H
#define TARVIK_XML_BRACE_H

#include <cstdint>
#include <ostream>
#include <string>

#include "xml/document.h"
#include "xml/export.h"

namespace tarvik::xml {

// Deepest group nesting accepted. A command line is at most 32,767 characters
// and could nest 16,000 groups; the parser recurses once per group, so a bound
// keeps it far inside a 1 MiB thread stack. Real launch texts nest one or two.
constexpr int32_t MaxBraceDepth = 256;

// First position at or after `position` that is not tab, LF, CR or space.
// `position` must not be null. Inline: both parsers call it between almost
// every two tokens, and most calls pass over nothing.
inline const char* skipWhite(const char* position) {
    while (*position == ' ' || *position == '\t' || *position == '\n' || *position == '\r')
        ++position;
    return position;
}

// Like skipWhite, but also passes "," and ";". Null gives null.
TARVIK_XML_API const char* skipSeparators(const char* position);

// Reads one token at `position` (after white space) into `token`: quoted,
// bare, or empty when a delimiter comes first. Returns the position after a
// quoted token's closing quote, or the delimiter that ended a bare token.
// Null gives null and leaves `token` alone.
TARVIK_XML_API const char* readBraceToken(const char* position, std::string& token);

// Fills `element` from the group's text at `position` (just after its opening
// bracket, or the start of the text for the root group at depth 0). Returns
// the position of the NUL or of the closing bracket that ended the group.
// Throws std::runtime_error for an unclosed child group or nesting past
// MaxBraceDepth; complete child groups are attached, unfinished ones freed.
TARVIK_XML_API const char* parseBraceGroup(const char* position, XMLElement& element,
                                           int32_t depth);

// Writes `element`'s attributes, child groups and text, without a line break,
// so that parseBrace on the output gives a root equal to `element` (names,
// values, texts, indexed attributes, groups, order; the root's own name
// excepted: the output is read as the root's content, named or not). Writes
// nothing and throws XMLException, node() naming the node (and "@attribute")
// at fault, for a tree the notation cannot carry back: messages::
// BraceCannotHoldCData (a CDATA node, the top one included),
// BraceCannotHoldDataBracket (a non-zero data bracket), NullChild (a null
// child entry; the parent is named), BracketsTooDeep (groups nested deeper
// than MaxBraceDepth below `element`), BraceTextWithoutName (a text on a
// group without a name, where every value becomes an indexed attribute),
// ZeroByteInTree (a name, value or text holding a zero byte, where the text
// would end), BraceCommentMarker (one that begins with "--": a comment marker,
// quoted or not) and BraceLeadingQuote (one that begins with "'" and cannot
// stand bare: quoted it would open with "''", which reads as a bare token).
// Every tree parseBrace builds is accepted. Does not recurse. `out`'s state is
// never tested.
TARVIK_XML_API void writeBrace(const XMLElement& element, std::ostream& out);

}  // namespace tarvik::xml

#endif  // TARVIK_XML_BRACE_H
