#include "xml/xml_chars.h"

#include <cctype>
#include <cstring>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define TARVIK_XML_HAVE_SSE2 1
#endif

namespace tarvik::xml::xmlchars {

namespace {

// Spellings of the encodings the reader treats apart, lower case.
constexpr const char* Utf8Names[] = {"utf-8", "utf8"};
constexpr const char* AsciiNames[] = {"us-ascii", "ascii",         "ansi_x3.4-1968", "iso646-us",
                                      "iso-ir-6", "cp367",         "ibm367",         "us",
                                      "csascii",  "ansi_x3.4-1986"};
// Double-byte encodings whose second bytes may be ASCII ones.
constexpr const char* DoubleByteNames[] = {
    "shift_jis",   "shift-jis", "sjis",       "windows-31j", "cp932", "ms_kanji",
    "csshiftjis",  "big5",      "big5-hkscs", "cp950",       "gbk",   "cp936",
    "windows-936", "gb18030",   "gb2312",     "euc-cn",      "uhc",   "cp949"};
constexpr const char* Latin1Names[] = {"iso-8859-1",  "iso_8859-1",     "iso8859-1", "latin1",
                                       "l1",          "iso-ir-100",     "cp819",     "ibm819",
                                       "csisolatin1", "iso_8859-1:1987"};
// Every name that begins so is a UTF-16 or UTF-32 form.
constexpr const char* UnicodePrefixes[] = {"utf-16", "utf16", "utf-32", "utf32",         "ucs-2",
                                           "ucs2",   "ucs-4", "ucs4",   "iso-10646-ucs", "unicode"};

bool equalsLower(std::string_view name, const char* lower) {
    const std::size_t length = std::strlen(lower);
    if (name.size() != length)
        return false;
    for (std::size_t i = 0; i < length; ++i) {
        if (std::tolower(static_cast<unsigned char>(name[i])) != lower[i])
            return false;
    }
    return true;
}

bool startsLower(std::string_view name, const char* lower) {
    const std::size_t length = std::strlen(lower);
    return name.size() >= length && equalsLower(name.substr(0, length), lower);
}

template <std::size_t Count>
bool namedIn(std::string_view name, const char* const (&names)[Count]) {
    for (const char* candidate : names) {
        if (equalsLower(name, candidate))
            return true;
    }
    return false;
}

// A range of code points, both ends included.
struct Range {
    uint32_t first;
    uint32_t last;
};

// NameStartChar from 0x80 up (XML 1.0 Fifth Edition, production [4]).
constexpr Range NameStartRanges[] = {
    {0xC0, 0xD6},     {0xD8, 0xF6},     {0xF8, 0x2FF},    {0x370, 0x37D},
    {0x37F, 0x1FFF},  {0x200C, 0x200D}, {0x2070, 0x218F}, {0x2C00, 0x2FEF},
    {0x3001, 0xD7FF}, {0xF900, 0xFDCF}, {0xFDF0, 0xFFFD}, {0x10000, 0xEFFFF},
};
// What NameChar adds to it from 0x80 up (production [4a]).
constexpr Range NameOnlyRanges[] = {{0xB7, 0xB7}, {0x300, 0x36F}, {0x203F, 0x2040}};

template <std::size_t Count>
bool inRanges(uint32_t c, const Range (&ranges)[Count]) {
    for (const Range& range : ranges) {
        if (c < range.first)
            return false;  // the ranges ascend
        if (c <= range.last)
            return true;
    }
    return false;
}

// The fault of the character at `p` in encoding `E`, and its length in bytes.
template <Encoding E>
Fault faultAt(const char* p, int& length) {
    const auto byte = static_cast<unsigned char>(*p);
    length = 1;
    if (byte < 0x20)
        return isSpace(*p) ? Fault::None : Fault::Character;
    if (byte < 0x80 || heldByteForByte(E))
        return Fault::None;
    if (E != Encoding::Utf8)
        return Fault::Encoding;
    uint32_t code = 0;
    length = decodeUtf8(p, code);
    if (length == 0) {
        length = 1;
        return Fault::Encoding;
    }
    return isXmlChar(code) ? Fault::None : Fault::Character;
}

// Plain bytes in a row after which the check goes back to whole blocks.
constexpr std::size_t QuietStretch = 16;

// Bytes that every encoding lets pass unlooked-at: printable ASCII, TAB, LF,
// CR, and from 0x80 up where the encoding takes every byte.
bool passesUnlooked(unsigned char byte, bool highBytesPass) {
    if (byte >= 0x80)
        return highBytesPass;
    return byte >= 0x20 || byte == '\t' || byte == '\n' || byte == '\r';
}

#ifdef TARVIK_XML_HAVE_SSE2
// Bytes a 16-byte block is checked in, and how many blocks one step takes.
constexpr std::size_t BlockBytes = 16;
constexpr std::size_t StepBytes = 4 * BlockBytes;

// The bytes of the block at `p` that need a closer look, as a vector.
__m128i suspectIn(const char* p, bool highBytesPass) {
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    // Signed: bytes from 0x80 up are negative, so "below 0x20" takes them too.
    __m128i suspect = _mm_cmplt_epi8(block, _mm_set1_epi8(0x20));
    if (highBytesPass)
        suspect = _mm_and_si128(suspect, _mm_cmpgt_epi8(block, _mm_set1_epi8(-1)));
    const __m128i layout = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(block, _mm_set1_epi8('\t')),
                                                     _mm_cmpeq_epi8(block, _mm_set1_epi8('\n'))),
                                        _mm_cmpeq_epi8(block, _mm_set1_epi8('\r')));
    return _mm_andnot_si128(layout, suspect);
}

// A bit per byte of the block at `p` that needs a closer look.
unsigned suspectBytes(const char* p, bool highBytesPass) {
    return static_cast<unsigned>(_mm_movemask_epi8(suspectIn(p, highBytesPass)));
}

// The offset from `p` of the first byte of the StepBytes at `p` that needs a
// closer look, or StepBytes when none does.
std::size_t firstSuspect(const char* p, bool highBytesPass) {
    const __m128i blocks[] = {suspectIn(p, highBytesPass), suspectIn(p + BlockBytes, highBytesPass),
                              suspectIn(p + 2 * BlockBytes, highBytesPass),
                              suspectIn(p + 3 * BlockBytes, highBytesPass)};
    const __m128i any =
        _mm_or_si128(_mm_or_si128(blocks[0], blocks[1]), _mm_or_si128(blocks[2], blocks[3]));
    if (_mm_movemask_epi8(any) == 0)
        return StepBytes;
    for (std::size_t i = 0;; ++i) {
        const auto bits = static_cast<unsigned>(_mm_movemask_epi8(blocks[i]));
        if (bits != 0)
            return i * BlockBytes + static_cast<std::size_t>(lowestSetBit(bits));
    }
}
#endif

}  // namespace

Encoding encodingNamed(std::string_view name) {
    if (namedIn(name, Utf8Names))
        return Encoding::Utf8;
    if (namedIn(name, AsciiNames))
        return Encoding::Ascii;
    if (namedIn(name, Latin1Names))
        return Encoding::Latin1;
    if (namedIn(name, DoubleByteNames))
        return Encoding::DoubleByte;
    for (const char* prefix : UnicodePrefixes) {
        if (startsLower(name, prefix))
            return Encoding::Unicode;
    }
    return Encoding::Other;
}

bool isNameStartCode(uint32_t c) {
    return inRanges(c, NameStartRanges);
}

bool isNameCode(uint32_t c) {
    return inRanges(c, NameStartRanges) || inRanges(c, NameOnlyRanges);
}

namespace {

// firstFault for one encoding, so that the byte-at-a-time loop asks no
// question about it.
template <Encoding E>
FaultAt firstFaultIn(const char* text, std::size_t length) {
    constexpr bool highBytesPass = heldByteForByte(E);
    std::size_t at = 0;
    while (at < length) {
#ifdef TARVIK_XML_HAVE_SSE2
        while (at + StepBytes <= length) {
            const std::size_t clean = firstSuspect(text + at, highBytesPass);
            at += clean;
            if (clean < StepBytes)
                break;
        }
        while (at + StepBytes > length && at + BlockBytes <= length) {
            const unsigned suspect = suspectBytes(text + at, highBytesPass);
            if (suspect != 0) {
                at += static_cast<std::size_t>(lowestSetBit(suspect));
                break;
            }
            at += BlockBytes;
        }
        if (at >= length)
            break;
#endif
        // A byte at a time until a quiet stretch: text in a script beyond
        // ASCII would otherwise send each character back to the blocks.
        for (std::size_t quiet = 0; at < length && quiet < QuietStretch;) {
            if (passesUnlooked(static_cast<unsigned char>(text[at]), highBytesPass)) {
                ++at;
                ++quiet;
                continue;
            }
            int step = 1;
            const Fault fault = faultAt<E>(text + at, step);
            // A sequence running past the end is cut short: the NUL after the
            // text stops decodeUtf8, so it never counts as whole.
            if (fault != Fault::None)
                return {at, fault};
            at += static_cast<std::size_t>(step);
            quiet = 0;
        }
    }
    return {length, Fault::None};
}

}  // namespace

// The first byte of `text` that is no XML character in `encoding`: for
// UTF-8 each sequence is decoded and its code point checked; in every other
// encoding only the ASCII control bytes (all of 0x00-0x1F but TAB, LF and CR)
// are refused, and in US-ASCII every byte from 0x80 up. `text` must be
// followed by a readable NUL (a std::string's, say); a zero byte inside it is
// a fault. Clean ASCII goes 16 bytes a step where the processor allows.
FaultAt firstFault(const char* text, std::size_t length, Encoding encoding) {
    switch (encoding) {
        case Encoding::Utf8:
            return firstFaultIn<Encoding::Utf8>(text, length);
        case Encoding::Ascii:
            return firstFaultIn<Encoding::Ascii>(text, length);
        case Encoding::Latin1:
            return firstFaultIn<Encoding::Latin1>(text, length);
        case Encoding::Other:
            return firstFaultIn<Encoding::Other>(text, length);
        case Encoding::DoubleByte:
            return firstFaultIn<Encoding::DoubleByte>(text, length);
        case Encoding::Unicode:
            break;
    }
    return firstFaultIn<Encoding::Unicode>(text, length);
}

// True when `name` is an XML Name: a name-start character, then name
// characters. In UTF-8 and ISO-8859-1 the code points are checked; in any
// other encoding a byte from 0x80 up passes, as the reader takes it (and
// US-ASCII refuses it through firstFault). `name` must be followed by a
// readable NUL.
bool isXmlName(std::string_view name, Encoding encoding) {
    std::size_t at = 0;
    while (at < name.size()) {
        const auto byte = static_cast<unsigned char>(name[at]);
        const uint8_t wanted = at == 0 ? NameStartByte : NameByte;
        if (byte < 0x80) {
            if ((AsciiClasses[byte] & wanted) == 0)
                return false;
            ++at;
            continue;
        }
        uint32_t code = byte;
        int length = 1;
        if (encoding == Encoding::Utf8) {
            length = decodeUtf8(name.data() + at, code);
            if (length == 0 || at + static_cast<std::size_t>(length) > name.size())
                return false;
        } else if (encoding != Encoding::Latin1) {
            // Held byte for byte: any byte from 0x80 up stands in a name.
            at = static_cast<std::size_t>(heldNameCharacterEnd(name.data() + at, encoding) -
                                          name.data());
            continue;
        }
        if (!(at == 0 ? isNameStartCode(code) : isNameCode(code)))
            return false;
        at += static_cast<std::size_t>(length);
    }
    return !name.empty();
}

bool isVersionNumber(std::string_view value) {
    if (value.size() < 3 || value[0] != '1' || value[1] != '.')
        return false;
    for (std::size_t i = 2; i < value.size(); ++i) {
        if (value[i] < '0' || value[i] > '9')
            return false;
    }
    return true;
}

bool isEncodingName(std::string_view value) {
    auto letter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    if (value.empty() || !letter(value[0]))
        return false;
    for (const char c : value) {
        if (!letter(c) && !(c >= '0' && c <= '9') && c != '.' && c != '_' && c != '-')
            return false;
    }
    return true;
}

bool isYesOrNo(std::string_view value) {
    return value == "yes" || value == "no";
}

}  // namespace tarvik::xml::xmlchars
