// Substring search for the markup parser: the leftmost match over raw bytes.
//
//     const char* at = findText(text, "-->");      // first byte of the match, or null
//     const char* next = findAfter(text, "-->");   // just past the match, or throws
//
// Bytes are compared as they stand (GB2312 passes through untouched). The
// texts are NUL-terminated, and every search stops at that NUL without
// reading past it. findText and findAfter look at the text in growing windows
// rather than measuring it first, so a search costs time in proportion to the
// distance to its match (or to the end of the text), never to the length of
// the rest of the text: a parser that searches many times stays linear. For
// a pattern over 16 bytes that time is, at worst, also in proportion to the
// pattern's length (a table search on a text built against it); the markup
// parser's own patterns are at most 9 bytes.
//
// All of this uses only its arguments and locals, so it may run on any thread.
#ifndef TARVIK_XML_SEARCH_H
#define TARVIK_XML_SEARCH_H

#include <cstdint>

#include "xml/export.h"

namespace tarvik::xml {

// Largest shift a table entry holds: shifts are single bytes.
constexpr int32_t SkipTableCap = 255;

// The working record of one Horspool search: the pattern and, for each byte
// value, how far the pattern may move when that byte stands under its last
// byte. Filled by build(); it lives for one search and allocates nothing.
struct TARVIK_XML_API SkipTable {
    const char* pattern;  // the pattern's bytes; not owned, must outlive the searches
    int32_t length;       // the pattern's length in bytes
    uint8_t cap;          // length, capped at SkipTableCap
    uint8_t shift[256];   // per byte value (taken as unsigned)

    // Fills the record for the first `length` bytes of `pattern` (a negative
    // length counts as 0). Every shift starts at `cap`; each byte among the
    // pattern's last `cap` bytes, its very last byte excepted, then gets its
    // distance to the end of the pattern, the later occurrence winning. For a
    // pattern of up to 255 bytes that is exactly the classic Horspool table
    // (for "-->": 1 for "-", 3 for every other byte); longer patterns stay
    // correct because no byte is ever shifted further than is safe.
    void build(const char* pattern, int32_t length);

    // The leftmost match among the first `count` bytes of `text`, or null.
    // Reads only those bytes; a NUL among them is an ordinary byte. A count
    // of 0 or less, an empty pattern, or a pattern longer than `count` give null.
    const char* search(const char* text, int32_t count) const;
};

// Longest pattern findText and findAfter search for: the window arithmetic is
// 32-bit, and the markup parser's own patterns are at most 9 bytes.
constexpr int32_t MaxPatternLength = int32_t{1} << 30;

// The first byte of the leftmost occurrence of the NUL-terminated `pattern` in
// the NUL-terminated `text`, or null. A null text, a null or empty pattern, a
// pattern longer than MaxPatternLength, and an empty text give null.
// A pattern of up to 16 bytes is found from the places of its first byte;
// longer ones use a SkipTable.
// Never throws.
TARVIK_XML_API const char* findText(const char* text, const char* pattern);

// The position just after the leftmost occurrence of `pattern` in `text`.
// A null text gives null. Throws XMLException messages::TagNotClosed when the
// pattern does not occur before the text's NUL (an empty pattern never does).
TARVIK_XML_API const char* findAfter(const char* text, const char* pattern);

}  // namespace tarvik::xml

#endif  // TARVIK_XML_SEARCH_H
