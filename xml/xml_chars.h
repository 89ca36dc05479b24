// Internal: bytes and characters as the library's readers and writers test
// and keep them: tables indexed by byte, white space, digits, names copied
// out of a text, and the characters of
// standard XML 1.0 (Fifth Edition): encodings by name, UTF-8 sequences, the
// Char, NameStartChar and NameChar classes, and one fast pass that finds the
// first byte a document's encoding or XML forbids.
#ifndef TARVIK_XML_XML_CHARS_H
#define TARVIK_XML_XML_CHARS_H

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tarvik::xml::xmlchars {

// Number of byte values, the size of a table indexed by byte.
inline constexpr std::size_t ByteValues = 256;

// The bases of the numbers the library reads and writes.
inline constexpr unsigned DecimalBase = 10;
inline constexpr unsigned HexadecimalBase = 16;

// The value of each byte as a digit of base 10 and of base 16, NotADigit
// for a byte that is none (and so never below a base).
inline constexpr uint8_t NotADigit = 0xFF;

constexpr std::array<uint8_t, ByteValues> makeDigitValues(bool hexadecimal) {
    std::array<uint8_t, ByteValues> values{};
    for (std::size_t c = 0; c < values.size(); ++c) {
        values[c] = NotADigit;
        if (c >= '0' && c <= '9')
            values[c] = static_cast<uint8_t>(c - '0');
        else if (hexadecimal && c >= 'a' && c <= 'f')
            values[c] = static_cast<uint8_t>(c - 'a' + DecimalBase);
        else if (hexadecimal && c >= 'A' && c <= 'F')
            values[c] = static_cast<uint8_t>(c - 'A' + DecimalBase);
    }
    return values;
}

inline constexpr std::array<uint8_t, ByteValues> DecimalDigits = makeDigitValues(false);
inline constexpr std::array<uint8_t, ByteValues> HexadecimalDigits = makeDigitValues(true);

// The length of a string literal, without its NUL.
template <std::size_t Size>
constexpr std::size_t lengthOf(const char (&)[Size]) {
    return Size - 1;
}

// Sets `target` to the `length` bytes at `begin`, in storage of exactly that size.
inline void assignExactly(std::string& target, const char* begin, std::size_t length) {
    // Assigning to a growing string would round its capacity up; bytes that
    // fit are appended to the emptied string, the cheapest way in.
    if (length <= target.capacity()) {
        target.clear();
        target.append(begin, length);
    } else {
        target = std::string(begin, length);
    }
}

// How the bytes of a document stand for characters.
enum class Encoding {
    Utf8,    // UTF-8: every sequence decoded and checked
    Ascii,   // US-ASCII: bytes up to 0x7F only
    Latin1,  // ISO-8859-1: every byte is the character of that number
    Other,   // any other ASCII-compatible encoding: bytes from 0x80 up pass as they are
    // Shift_JIS, Big5, GBK, GB18030 and GB2312 (a label GBK text often
    // carries): as Other, but a byte from 0x81 up and a second byte in
    // 0x40-0x7E ("[", "@" and the like) are one character of a name.
    DoubleByte,
    Unicode,  // UTF-16 or UTF-32 (or UCS-2, UCS-4): not ASCII-compatible, refused
};

// True for an encoding whose bytes from 0x80 up all pass unchecked.
constexpr bool heldByteForByte(Encoding encoding) {
    return encoding == Encoding::Latin1 || encoding == Encoding::Other ||
           encoding == Encoding::DoubleByte;
}

// Where the name character at `p` (a byte from 0x80 up) ends, in an encoding
// held byte for byte other than ISO-8859-1.
inline const char* heldNameCharacterEnd(const char* p, Encoding encoding) {
    // A double-byte encoding's lead byte takes a second byte in 0x40-0x7E with it.
    const auto lead = static_cast<unsigned char>(p[0]);
    const auto trail = static_cast<unsigned char>(p[1]);
    const bool pair =
        encoding == Encoding::DoubleByte && lead >= 0x81 && trail >= 0x40 && trail <= 0x7E;
    return p + (pair ? 2 : 1);
}

// The encoding an encoding declaration names, compared without regard to case.
Encoding encodingNamed(std::string_view name);

// Largest code point of Unicode.
inline constexpr uint32_t LastCodePoint = 0x10FFFF;

// Char of XML 1.0 section 2.2.
constexpr bool isXmlChar(uint32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
           (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= LastCodePoint);
}

// NameStartChar and NameChar of XML 1.0 (Fifth Edition) section 2.3, for
// code points from 0x80 up; ASCII goes through the byte table below.
bool isNameStartCode(uint32_t c);
bool isNameCode(uint32_t c);

// Byte classes of ASCII: one table lookup per byte.
enum AsciiClass : uint8_t {
    SpaceByte = 1,      // S: TAB, LF, CR, space
    NameStartByte = 2,  // letters, "_" and ":"
    NameByte = 4,       // name-start bytes, digits, "-" and "."
};

constexpr uint8_t asciiClassOf(unsigned char c) {
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    const bool start = letter || c == '_' || c == ':';
    const bool inner = start || (c >= '0' && c <= '9') || c == '-' || c == '.';
    const bool space = c == ' ' || c == '\t' || c == '\n' || c == '\r';
    return static_cast<uint8_t>((space ? SpaceByte : 0) | (start ? NameStartByte : 0) |
                                (inner ? NameByte : 0));
}

constexpr std::array<uint8_t, ByteValues> makeAsciiClasses() {
    std::array<uint8_t, ByteValues> classes{};
    for (std::size_t c = 0; c < 0x80; ++c)
        classes[c] = asciiClassOf(static_cast<unsigned char>(c));
    return classes;
}

inline constexpr std::array<uint8_t, ByteValues> AsciiClasses = makeAsciiClasses();

// White space: TAB, LF, CR and space, in XML (S) and in brace notation alike.
inline bool isSpace(char c) {
    return (AsciiClasses[static_cast<unsigned char>(c)] & SpaceByte) != 0;
}

// The length (1 to 4) of the well-formed UTF-8 sequence at `text`, its code point
// in `code`; 0 for anything else. Reads no further than the bytes stay well-formed.
inline int decodeUtf8(const char* text, uint32_t& code) {
    const auto* p = reinterpret_cast<const unsigned char*>(text);
    const uint32_t lead = p[0];
    if (lead < 0x80) {
        code = lead;
        return 1;
    }
    auto continues = [](unsigned char c) { return (c & 0xC0) == 0x80; };
    if (lead < 0xC2)
        return 0;
    if (lead < 0xE0) {
        if (!continues(p[1]))
            return 0;
        code = ((lead & 0x1F) << 6) | (p[1] & 0x3F);
        return 2;
    }
    if (lead < 0xF0) {
        const unsigned char low = lead == 0xE0 ? 0xA0 : 0x80;   // no overlong form
        const unsigned char high = lead == 0xED ? 0x9F : 0xBF;  // no surrogate
        if (p[1] < low || p[1] > high || !continues(p[2]))
            return 0;
        code = ((lead & 0x0F) << 12) | ((p[1] & 0x3Fu) << 6) | (p[2] & 0x3F);
        return 3;
    }
    if (lead < 0xF5) {
        const unsigned char low = lead == 0xF0 ? 0x90 : 0x80;   // no overlong form
        const unsigned char high = lead == 0xF4 ? 0x8F : 0xBF;  // nothing past U+10FFFF
        if (p[1] < low || p[1] > high || !continues(p[2]) || !continues(p[3]))
            return 0;
        code =
            ((lead & 0x07) << 18) | ((p[1] & 0x3Fu) << 12) | ((p[2] & 0x3Fu) << 6) | (p[3] & 0x3F);
        return 4;
    }
    return 0;
}

// Most bytes one code point takes in UTF-8.
inline constexpr int MaxUtf8Length = 4;

// Writes `code` (at most LastCodePoint) as UTF-8 to `out`, which has room
// for MaxUtf8Length bytes; returns how many it wrote.
inline int encodeUtf8(uint32_t code, char* out) {
    if (code < 0x80) {
        out[0] = static_cast<char>(code);
        return 1;
    }
    if (code < 0x800) {
        out[0] = static_cast<char>(0xC0 | (code >> 6));
        out[1] = static_cast<char>(0x80 | (code & 0x3F));
        return 2;
    }
    if (code < 0x10000) {
        out[0] = static_cast<char>(0xE0 | (code >> 12));
        out[1] = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out[2] = static_cast<char>(0x80 | (code & 0x3F));
        return 3;
    }
    out[0] = static_cast<char>(0xF0 | (code >> 18));
    out[1] = static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out[2] = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out[3] = static_cast<char>(0x80 | (code & 0x3F));
    return 4;
}

// Index of the lowest set bit of a non-zero mask.
inline int lowestSetBit(unsigned bits) {
#if defined(__GNUC__)
    return __builtin_ctz(bits);
#else
    int index = 0;
    while ((bits & 1u) == 0) {
        bits >>= 1;
        ++index;
    }
    return index;
#endif
}

// What is wrong with a byte that firstFault finds.
enum class Fault {
    None,
    Character,  // a well-formed character that XML forbids (a control byte, U+FFFE, U+FFFF)
    Encoding,   // bytes that are not a character of the encoding at all
};

// Where the first fault of a text lies.
struct FaultAt {
    std::size_t offset;  // the text's length when there is none
    Fault fault;
};

// The first byte of `text` that is no XML character in `encoding`; `text` must
// be followed by a readable NUL, and a zero byte inside it is a fault.
FaultAt firstFault(const char* text, std::size_t length, Encoding encoding);

// True when `name` (followed by a readable NUL) is an XML Name: in UTF-8 and
// ISO-8859-1 by code point, otherwise any byte from 0x80 up passes.
bool isXmlName(std::string_view name, Encoding encoding);

// The values an xml declaration may give (XML 1.0 section 2.8, 4.3.3):
// VersionNum := "1." [0-9]+
bool isVersionNumber(std::string_view value);
// EncName := [A-Za-z] ( [A-Za-z0-9._] | "-" )*
bool isEncodingName(std::string_view value);
// "yes" or "no", for standalone.
bool isYesOrNo(std::string_view value);

}  // namespace tarvik::xml::xmlchars

#endif  // TARVIK_XML_XML_CHARS_H
