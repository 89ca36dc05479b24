// Markup text from a buffer of known length, which need not end with a NUL.
#include <cstring>
#include <string>

#include "xml/document.h"
#include "xml/messages.h"

namespace tarvik::xml {

// The parser reads up to a NUL, so the bytes are copied behind one. A zero
// byte inside would end the text early and silently drop the rest, so it is
// refused first, with the same message and offset as in a file.
void XMLDocument::parseMarkup(const char* text, std::size_t length) {
    if (!text || length == 0) {
        parseMarkup("");
        return;
    }
    if (const void* zero = std::memchr(text, '\0', length))
        throw XMLException(messages::ZeroByteInFile, static_cast<const char*>(zero) - text);
    const std::string terminated(text, length);
    parseMarkup(terminated.c_str());
}

}  // namespace tarvik::xml
