#include "xml/search.h"

#include <algorithm>
#include <cstring>

#include "xml/document.h"
#include "xml/messages.h"

namespace tarvik::xml {

namespace {

// Bytes a window adds beyond the pattern's own length at first: about what
// building the table costs, so a match close by costs no more than the table.
constexpr int32_t FirstWindowStep = 128;
// Largest step: windows double up to this, so a far match is found in a
// number of windows that grows with the distance, each re-reading only the
// pattern's length. 64 KiB keeps a window inside the processor's cache.
constexpr int32_t MaxWindowStep = int32_t{1} << 16;

static_assert(MaxPatternLength - 1 + MaxWindowStep > 0, "window sizes must fit in 32 bits");

unsigned char byteAt(const char* text, int64_t index) {
    return static_cast<unsigned char>(text[index]);
}

// How many bytes before the NUL `text` holds, counting at most `limit`.
// Reads no byte after the NUL.
int32_t measure(const char* text, int32_t limit) {
    int32_t count = 0;
    while (count < limit && text[count] != '\0')
        ++count;
    return count;
}

// Searches a NUL-terminated text window by window. Each window holds the
// last length - 1 bytes of the one before, so a match that straddles two
// windows lies whole in the second; and since a window is searched only
// after all earlier ones failed, its first match is the leftmost overall.
const char* searchWindows(const SkipTable& table, const char* text) {
    const int32_t overlap = table.length - 1;
    int32_t step = FirstWindowStep;
    for (const char* start = text;; start += step, step = std::min(step * 2, MaxWindowStep)) {
        const int32_t wanted = overlap + step;
        const int32_t available = measure(start, wanted);
        if (const char* match = table.search(start, available))
            return match;
        if (available < wanted)
            return nullptr;  // the NUL lies in this window: nothing further to search
    }
}

// Patterns up to this long are found by looking for their first byte with
// the C library's vectorised strchr and comparing the rest where it stands:
// for the parser's terminators that beats building a table, and a candidate
// costs at most this many comparisons, so the search stays linear.
constexpr size_t ShortPatternLength = 16;

// The leftmost occurrence of `pattern` (2 to ShortPatternLength bytes) in
// `text`. A comparison stops at the first differing byte, and the text's NUL
// differs from every pattern byte, so no byte after the NUL is read.
const char* searchShort(const char* text, const char* pattern) {
    const char first = pattern[0];
    for (const char* candidate = std::strchr(text, first); candidate;
         candidate = std::strchr(candidate + 1, first)) {
        size_t i = 1;
        while (pattern[i] != '\0' && candidate[i] == pattern[i])
            ++i;
        if (pattern[i] == '\0')
            return candidate;
    }
    return nullptr;
}

}  // namespace

void SkipTable::build(const char* patternBytes, int32_t patternLength) {
    pattern = patternBytes;
    length = std::max(patternLength, int32_t{0});
    cap = static_cast<uint8_t>(std::min(length, SkipTableCap));
    std::memset(shift, cap, sizeof shift);
    // Only the last `cap` bytes can set a shift below `cap`; the last byte
    // itself is left out, so a byte that only ends the pattern moves it whole.
    for (int32_t i = length - cap; i < length - 1; ++i)
        shift[byteAt(pattern, i)] = static_cast<uint8_t>(length - 1 - i);
}

// Horspool: line the pattern's last byte up with text[pos]; when the bytes
// agree, compare the rest; then move by the shift of the byte under the
// pattern's last byte, whatever happened.
const char* SkipTable::search(const char* text, int32_t count) const {
    if (count <= 0 || length <= 0 || length > count)
        return nullptr;
    const int32_t last = length - 1;
    const unsigned char lastByte = byteAt(pattern, last);
    // 64-bit: a step from near the end of a count close to INT32_MAX must
    // not wrap around to before the text.
    for (int64_t pos = last; pos < count; pos += shift[byteAt(text, pos)]) {
        if (byteAt(text, pos) == lastByte && std::memcmp(text + pos - last, pattern, last) == 0)
            return text + pos - last;
    }
    return nullptr;
}

const char* findText(const char* text, const char* pattern) {
    if (!text || !pattern || pattern[0] == '\0')
        return nullptr;
    if (pattern[1] == '\0')
        return std::strchr(text, pattern[0]);
    const size_t length = std::strlen(pattern);
    if (length <= ShortPatternLength)
        return searchShort(text, pattern);
    if (length > static_cast<size_t>(MaxPatternLength))
        return nullptr;
    SkipTable table;
    table.build(pattern, static_cast<int32_t>(length));
    return searchWindows(table, text);
}

const char* findAfter(const char* text, const char* pattern) {
    if (!text)
        return nullptr;
    const char* match = findText(text, pattern);
    if (!match)
        throw XMLException(messages::TagNotClosed);
    return match + std::strlen(pattern);
}

}  // namespace tarvik::xml
