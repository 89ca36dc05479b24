// Internal: whether the text form can carry a tree, so that the markup
// reader gives back the same tree from what print writes.
#ifndef TARVIK_XML_TEXT_FORM_H
#define TARVIK_XML_TEXT_FORM_H

#include <cstddef>

#include "xml/document.h"

namespace tarvik::xml {

// Checks that print writes `top` (a top-level node, 1-based `position` among its
// siblings) and its subtree so that the reader reads them back as they are; throws XMLException.
void checkTextForm(const XMLElement& top, std::size_t position);

// Checks `subtree` (`top` or a node under it) as checkTextForm does, naming
// a node at fault by its path from `top` at `position`.
void checkSubtreeTextForm(const XMLElement& subtree, const XMLElement& top, std::size_t position);

// Checks `node` alone (its fields, a text before a CDATA first child); each node
// checked in document order, the first fault is checkTextForm's. Throws as it does.
void checkNodeTextForm(const XMLElement& node, const XMLElement& top, std::size_t position);

}  // namespace tarvik::xml

#endif  // TARVIK_XML_TEXT_FORM_H
