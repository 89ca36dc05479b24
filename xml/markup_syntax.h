// Internal: the fixed texts of the markup text form and the bytes a name is
// made of. The reader and the writer share them, so what one writes is what
// the other looks for.
#ifndef TARVIK_XML_MARKUP_SYNTAX_H
#define TARVIK_XML_MARKUP_SYNTAX_H

#include <array>
#include <cstddef>
#include <cstdint>

#include "xml/xml_chars.h"

namespace tarvik::xml::syntax {

inline constexpr char CDataOpen[] = "<![CDATA[";
inline constexpr char CDataClose[] = "]]>";
inline constexpr char CommentOpen[] = "<!--";
inline constexpr char CommentClose[] = "-->";
inline constexpr char InstructionOpen[] = "<?";
inline constexpr char InstructionClose[] = "?>";
inline constexpr char EndTagOpen[] = "</";
inline constexpr char EmptyElementClose[] = "/>";
// An escaped text: "[[data", one bracket byte b, the text, b, "data]]".
inline constexpr char DataBracketOpen[] = "[[data";
inline constexpr char DataBracketClose[] = "data]]";

// From DEL up every byte may stand in a name: GB2312 lead and trail bytes
// are all 0xA1 or above.
inline constexpr unsigned char FirstHighNameByte = 0x7F;

// Byte classes of the markup form, one table lookup per byte.
enum ByteClass : uint8_t {
    NameStartByte = 1,  // may begin a name
    NameInnerByte = 2,  // may stand inside a name (every name-start byte too)
};

// ASCII only and independent of the locale, unlike isalpha and isalnum.
constexpr bool isAsciiLetterOrDigit(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

constexpr uint8_t classOf(unsigned char c) {
    const bool start =
        isAsciiLetterOrDigit(c) || c == '_' || c == '[' || c == ']' || c >= FirstHighNameByte;
    const bool inner = start || c == '-' || c == '.' || c == ':';
    return static_cast<uint8_t>((start ? NameStartByte : 0) | (inner ? NameInnerByte : 0));
}

constexpr std::array<uint8_t, xmlchars::ByteValues> makeByteClasses() {
    std::array<uint8_t, xmlchars::ByteValues> classes{};
    for (std::size_t c = 0; c < xmlchars::ByteValues; ++c)
        classes[c] = classOf(static_cast<unsigned char>(c));
    return classes;
}

inline constexpr std::array<uint8_t, xmlchars::ByteValues> ByteClasses = makeByteClasses();

// True when `c` may begin a name.
inline bool isNameStart(char c) {
    return (ByteClasses[static_cast<unsigned char>(c)] & NameStartByte) != 0;
}

// True when `c` may stand inside a name; a zero byte may not.
inline bool isNameByte(char c) {
    return (ByteClasses[static_cast<unsigned char>(c)] & NameInnerByte) != 0;
}

}  // namespace tarvik::xml::syntax

#endif  // TARVIK_XML_MARKUP_SYNTAX_H
