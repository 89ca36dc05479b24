// Internal: whether the text form can carry a tree, so that the markup
// reader gives back the same tree from what print writes.
#ifndef TARVIK_XML_TEXT_FORM_H
#define TARVIK_XML_TEXT_FORM_H

#include <cstddef>

#include "xml/document.h"

namespace tarvik::xml {

// Checks `top`, a top-level node of a file at the 1-based `position` among
// its siblings, and its whole subtree, without recursion. Throws
// XMLException at the first node in document order that print would write in
// a way the reader does not read back as it is, with node() naming it and
// one of these messages: NameNotReadable, QuoteInAttributeValue,
// ZeroByteInTree, LessThanInText, TerminatorInText, LayoutInText,
// EscapeOpenerInText, InvalidDataBracket, TextBeforeCData, NullChild,
// CDataNotPlain. Null child entries are passed over, as print passes over
// them, wherever that leaves the text as it is.
void checkTextForm(const XMLElement& top, std::size_t position);

// Checks `subtree`, `top` itself or a node under it, and everything under
// `subtree`, as checkTextForm does, naming a node at fault by its path from
// `top` at `position`.
void checkSubtreeTextForm(const XMLElement& subtree, const XMLElement& top, std::size_t position);

// Checks `node` alone, a node in the subtree of `top` at `position`: its own
// fields, and for an element whether a plain text comes before a CDATA first
// child. A writer that checks each node as it reaches it, in document order,
// finds the fault checkTextForm would find first. Throws as checkTextForm does.
void checkNodeTextForm(const XMLElement& node, const XMLElement& top, std::size_t position);

}  // namespace tarvik::xml

#endif  // TARVIK_XML_TEXT_FORM_H
