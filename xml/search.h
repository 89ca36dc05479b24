// Substring search for the markup parser: the leftmost match over raw bytes.
//
//     const char* at = findText(text, "-->");      // first byte of the match, or null
//     const char* next = findAfter(text, "-->");   // just past the match, or throws
//
// Bytes are compared as they stand (GB2312 passes through), and no search reads
// past the text's NUL. The text is read in growing windows rather than measured
// first, so a search costs time in step with the distance to its match (times
// the pattern's length at worst, past 16 bytes), and a parser that searches
// many times stays linear. No state is shared: any thread may search.
#ifndef TARVIK_XML_SEARCH_H
#define TARVIK_XML_SEARCH_H

#include <cstdint>

#include "xml/export.h"

namespace tarvik::xml {

// Largest shift a table entry holds: shifts are single bytes.
constexpr int32_t SkipTableCap = 255;

// One Horspool search: the pattern and, per byte value, how far the pattern may
// move when that byte stands under its last byte. Allocates nothing.
struct TARVIK_XML_API SkipTable {
    const char* pattern;  // the pattern's bytes; not owned, must outlive the searches
    int32_t length;       // the pattern's length in bytes
    uint8_t cap;          // length, capped at SkipTableCap
    uint8_t shift[256];   // per byte value (taken as unsigned)

    // Fills the table for the first `length` bytes of `pattern` (negative: 0):
    // each shift is `cap` but for the pattern's last `cap` bytes (its very last
    // excepted), which get their distance to its end, the later one winning:
    // the Horspool table up to 255 bytes ("-->": 1 for "-", 3 otherwise), and
    // never an unsafe shift beyond.
    void build(const char* pattern, int32_t length);

    // The leftmost match among the first `count` bytes of `text` (NUL ordinary),
    // or null, also for a count <= 0, an empty pattern or one longer than `count`.
    const char* search(const char* text, int32_t count) const;
};

// Longest pattern findText and findAfter search for: the window arithmetic is 32-bit.
constexpr int32_t MaxPatternLength = int32_t{1} << 30;

// The leftmost occurrence of NUL-terminated `pattern` in NUL-terminated `text`,
// or null (also for a null or empty text or pattern, or one past
// MaxPatternLength). Up to 16 bytes it scans for the first byte, beyond with a
// SkipTable. Never throws.
TARVIK_XML_API const char* findText(const char* text, const char* pattern);

// Just after the leftmost `pattern` in `text` (null for a null text). Throws
// XMLException messages::TagNotClosed when it does not occur (nor an empty one).
TARVIK_XML_API const char* findAfter(const char* text, const char* pattern);

}  // namespace tarvik::xml

#endif  // TARVIK_XML_SEARCH_H
