// Internal: strings the library is handed. A null C string stands for the
// empty text; a string handed to a parse or a load may lie in the document
// being filled. Every parse clears the document before it reads, so a text,
// path or source name read back from the document's own tree would be freed
// under the reader's feet; these decide when to read a copy instead.
#ifndef TARVIK_XML_OWN_TEXT_H
#define TARVIK_XML_OWN_TEXT_H

#include <string>

#include "xml/document.h"

namespace tarvik::xml {

// `text`, or the empty text when it is null.
inline const char* orEmpty(const char* text) {
    return text ? text : "";
}

// True when `bytes` may lie in memory that a parse into `document` frees or
// overwrites (a conservative answer: a copy costs less than a walk of the tree).
bool mayLieInDocument(const XMLDocument& document, const char* bytes);

// What a parse into `document` is to read: `text` itself, or a copy of it
// held in `copy` when it may lie in the document. `text` must not be null.
const char* textToRead(const XMLDocument& document, const char* text, std::string& copy);

// The same for a string a loader goes on using after the parse (a path, a
// source name): `name` itself, or `copy` holding it, zero bytes included.
const std::string& nameToKeep(const XMLDocument& document, const std::string& name,
                              std::string& copy);

}  // namespace tarvik::xml

#endif  // TARVIK_XML_OWN_TEXT_H
