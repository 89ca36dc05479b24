#include "xml/own_text.h"

#include <functional>

namespace tarvik::xml {

namespace {

// True when `bytes` points into `string`, its final NUL included.
bool pointsInto(const char* bytes, const std::string& string) {
    const std::less_equal<const char*> notAfter;  // defined for unrelated pointers too
    return notAfter(string.data(), bytes) && notAfter(bytes, string.data() + string.size());
}

// True when `bytes` points into one of `element`'s own strings, or may lie
// under it: the head gains children only by hand, so any child counts.
bool pointsIntoFields(const char* bytes, const XMLElement& element) {
    if (!element.children.empty() || pointsInto(bytes, element.name) ||
        pointsInto(bytes, element.text))
        return true;
    for (const XMLAttribute& attribute : element.attributes) {
        if (pointsInto(bytes, attribute.name) || pointsInto(bytes, attribute.value))
            return true;
    }
    return false;
}

}  // namespace

// True when `bytes` may lie in memory that a parse into `document` frees or
// overwrites: the root's name, text and tree, the head's fields, or
// lastBraceError(), which parseBrace empties before it reads. A root
// with any attribute or child counts as a whole: a copy of the text costs
// less than a walk of its tree. A new document, which the launcher and the
// benchmarks parse into, holds none of it.
bool mayLieInDocument(const XMLDocument& document, const char* bytes) {
    const XMLElement& root = document.root();
    return !root.attributes.empty() || pointsIntoFields(bytes, root) ||
           pointsIntoFields(bytes, document.head()) || pointsInto(bytes, document.lastBraceError());
}

const char* textToRead(const XMLDocument& document, const char* text, std::string& copy) {
    if (!mayLieInDocument(document, text))
        return text;
    copy = text;
    return copy.c_str();
}

const std::string& nameToKeep(const XMLDocument& document, const std::string& name,
                              std::string& copy) {
    if (!mayLieInDocument(document, name.data()))
        return name;
    copy = name;
    return copy;
}

}  // namespace tarvik::xml
