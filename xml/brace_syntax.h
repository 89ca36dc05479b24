// Internal: the fixed bytes of brace notation, shared by its reader and its
// writer so that the two agree on what ends a bare token.
#ifndef TARVIK_XML_BRACE_SYNTAX_H
#define TARVIK_XML_BRACE_SYNTAX_H

namespace tarvik::xml::syntax {

// Bytes that end a bare token: NUL, white space, the brackets and the
// separators. Bytes from 0x80 up are never delimiters.
constexpr bool isBraceDelimiter(unsigned char c) {
    switch (c) {
        case '\0':
        case '\t':
        case '\n':
        case '\r':
        case ' ':
        case '(':
        case ')':
        case '{':
        case '}':
        case ',':
        case ';':
        case '=':
            return true;
        default:
            return false;
    }
}

}  // namespace tarvik::xml::syntax

#endif  // TARVIK_XML_BRACE_SYNTAX_H
