#include "xml/xml_reader.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "xml/messages.h"
#include "xml/node_class.h"
#include "xml/xml_chars.h"

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define TARVIK_XML_READER_SSE2 1
#endif

namespace tarvik::xml {

namespace {

using xmlchars::AsciiClasses;
using xmlchars::assignExactly;
using xmlchars::ByteValues;
using xmlchars::DecimalDigits;
using xmlchars::Encoding;
using xmlchars::HexadecimalDigits;
using xmlchars::isSpace;
using xmlchars::lengthOf;
using xmlchars::NotADigit;

// ------------------------------------------------------------ the text

// The UTF-8 byte-order mark, skipped before the first markup.
constexpr char Utf8Mark[] = "\xEF\xBB\xBF";
constexpr std::size_t Utf8MarkLength = sizeof Utf8Mark - 1;

// True when `text` begins with `prefix`; stops at the first difference, so
// it never reads past a NUL.
template <std::size_t Size>
bool startsWith(const char* text, const char (&prefix)[Size]) {
    for (std::size_t i = 0; i + 1 < Size; ++i) {
        if (text[i] != prefix[i])
            return false;
    }
    return true;
}

// Where an error stands in the text as given.
struct Place {
    std::size_t offset;
    std::size_t line;
    std::size_t column;
};

// NUL bytes kept after a text: a scan may load a whole block of this many
// bytes at any place up to the text's end.
constexpr std::size_t ScanBlock = 16;

// Copies bytes from `in` to `out` up to the first CR or `length` bytes,
// and returns how many it copied: the copy and the search for line ends
// to normalise are one pass.
std::size_t copyUpToCarriageReturn(char* out, const char* in, std::size_t length) {
    std::size_t at = 0;
#ifdef TARVIK_XML_READER_SSE2
    const __m128i carriageReturn = _mm_set1_epi8('\r');
    for (; at + ScanBlock <= length; at += ScanBlock) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + at));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + at), block);
        const auto bits =
            static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, carriageReturn)));
        if (bits != 0)
            return at + static_cast<std::size_t>(xmlchars::lowestSetBit(bits));
    }
#endif
    for (; at < length && in[at] != '\r'; ++at)
        out[at] = in[at];
    return at;
}

// A text ready to read: its bytes with every line end (CR LF, CR) turned
// into LF, as XML 1.0 section 2.11 has it done before parsing, and NUL bytes
// after them; and the text as given, to place errors in.
class XmlText {
public:
    // Copies `length` bytes at `text`, which must stay put while the text is read.
    XmlText(const char* text, std::size_t length)
        : copy_(new char[length + ScanBlock]), given_(text), givenLength_(length) {
        read_ = copy_.get();
        const std::size_t plain = copyUpToCarriageReturn(copy_.get(), text, length);
        length_ = plain < length ? normalise(copy_.get(), plain) : length;
        std::memset(copy_.get() + length_, 0, ScanBlock);
    }
    // Takes `bytes` over.
    explicit XmlText(std::string&& bytes) : kept_(std::move(bytes)) {
        given_ = kept_.data();
        givenLength_ = kept_.size();
        const void* carriageReturn = std::memchr(given_, '\r', givenLength_);
        if (carriageReturn) {
            copy_.reset(new char[givenLength_ + ScanBlock]);
            read_ = copy_.get();
            const auto plain =
                static_cast<std::size_t>(static_cast<const char*>(carriageReturn) - given_);
            std::memcpy(copy_.get(), given_, plain);
            length_ = normalise(copy_.get(), plain);
            std::memset(copy_.get() + length_, 0, ScanBlock);
        } else {
            length_ = givenLength_;
            kept_.append(ScanBlock - 1, '\0');  // and the string's own NUL
            given_ = read_ = kept_.data();
        }
    }

    XmlText(const XmlText&) = delete;
    XmlText& operator=(const XmlText&) = delete;

    const char* begin() const { return read_; }
    // The first NUL after the bytes; ScanBlock - 1 more follow it.
    const char* end() const { return read_ + length_; }
    std::size_t length() const { return length_; }

    // The place, in the text as given, of the byte at `offset` of the read text.
    Place placeOf(std::size_t offset) const {
        std::size_t given = offset;
        if (normalised_) {
            // Each CR LF became one LF: walk both texts side by side.
            given = 0;
            for (std::size_t read = 0; read < offset && given < givenLength_; ++read) {
                const bool pair =
                    given_[given] == '\r' && given + 1 < givenLength_ && given_[given + 1] == '\n';
                given += pair ? 2 : 1;
            }
        }
        Place place{given, 1, 1};
        std::size_t lineStart = 0;
        for (std::size_t at = 0; at < given; ++at) {
            const char c = given_[at];
            const bool breaks =
                c == '\n' || (c == '\r' && (at + 1 >= givenLength_ || given_[at + 1] != '\n'));
            if (breaks) {
                ++place.line;
                lineStart = at + 1;
            }
        }
        place.column = given - lineStart + 1;
        return place;
    }

private:
    // Writes the given text from byte `from` on (the first CR; the bytes
    // before it are in place) to `out` with its line ends turned into LF, and
    // returns the length of the whole.
    std::size_t normalise(char* out, std::size_t from) {
        normalised_ = true;
        std::size_t kept = from;
        for (std::size_t at = from; at < givenLength_; ++at) {
            char c = given_[at];
            if (c == '\r') {
                c = '\n';
                if (at + 1 < givenLength_ && given_[at + 1] == '\n')
                    ++at;
            }
            out[kept++] = c;
        }
        return kept;
    }

    std::string kept_;              // the text as given, when taken over
    std::unique_ptr<char[]> copy_;  // the text read, when copied
    const char* read_ = nullptr;    // the text read: copy_ or kept_
    std::size_t length_ = 0;
    const char* given_ = nullptr;
    std::size_t givenLength_ = 0;
    bool normalised_ = false;  // line ends were turned into LF
};

// ------------------------------------------------------------ byte classes

// Bytes that end a run of character data: markup, a reference, a "]" that
// may begin "]]>", and the NUL that ends a text.
constexpr uint8_t TextStop = 1;
// Bytes that end a run of an attribute value's plain bytes: markup, a
// reference, either quote, white space that normalisation changes, the NUL.
constexpr uint8_t ValueStop = 2;
// Bytes that may end a comment, an instruction and a CDATA section, and the NUL.
constexpr uint8_t CommentStop = 4;
constexpr uint8_t InstructionStop = 8;
constexpr uint8_t CDataStop = 16;
// Bytes a scan checks one by one as characters of the encoding: the control
// bytes XML forbids (all below 0x20 but TAB, LF, CR and the NUL, which ends
// the text), and, where the encoding says which of them form characters
// (UTF-8, US-ASCII), every byte from 0x80 up.
constexpr uint8_t Unchecked = 32;

constexpr std::array<uint8_t, ByteValues> makeByteClasses(bool highBytesChecked) {
    std::array<uint8_t, ByteValues> classes{};
    for (const char c : {'<', '&', ']', '\0'})
        classes[static_cast<unsigned char>(c)] |= TextStop;
    for (const char c : {'<', '&', '"', '\'', '\t', '\n', '\r', '\0'})
        classes[static_cast<unsigned char>(c)] |= ValueStop;
    for (const char c : {'-', '\0'})
        classes[static_cast<unsigned char>(c)] |= CommentStop;
    for (const char c : {'?', '\0'})
        classes[static_cast<unsigned char>(c)] |= InstructionStop;
    for (const char c : {']', '\0'})
        classes[static_cast<unsigned char>(c)] |= CDataStop;
    for (std::size_t c = 1; c < 0x20; ++c) {
        if (c != '\t' && c != '\n' && c != '\r')
            classes[c] |= Unchecked;
    }
    for (std::size_t c = 0x80; highBytesChecked && c < classes.size(); ++c)
        classes[c] |= Unchecked;
    return classes;
}

// The classes in an encoding whose bytes from 0x80 up are checked, and in
// one that holds them byte for byte.
constexpr std::array<uint8_t, ByteValues> CheckedClasses = makeByteClasses(true);
constexpr std::array<uint8_t, ByteValues> HeldClasses = makeByteClasses(false);

// The first byte at or after `p` of a class in `mask`; four bytes a round.
const char* skipTo(const std::array<uint8_t, ByteValues>& classes, uint8_t mask, const char* p) {
    auto in = [&](char c) { return (classes[static_cast<unsigned char>(c)] & mask) != 0; };
    for (;;) {
        if (in(p[0]))
            return p;
        if (in(p[1]))
            return p + 1;
        if (in(p[2]))
            return p + 2;
        if (in(p[3]))
            return p + 3;
        p += 4;
    }
}

#ifdef TARVIK_XML_READER_SSE2
// The bytes of `block` below 0x20 (NUL included), and with HighChecked
// those from 0x80 up: a signed compare takes them as negative.
template <bool HighChecked>
__m128i lowOrHigh(__m128i block) {
    const __m128i low = _mm_cmplt_epi8(block, _mm_set1_epi8(0x20));
    if (HighChecked)
        return low;
    return _mm_and_si128(low, _mm_cmpgt_epi8(block, _mm_set1_epi8(-1)));
}

// The TAB, LF and CR bytes of `block`.
inline __m128i layoutIn(__m128i block) {
    return _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(block, _mm_set1_epi8('\t')),
                                     _mm_cmpeq_epi8(block, _mm_set1_epi8('\n'))),
                        _mm_cmpeq_epi8(block, _mm_set1_epi8('\r')));
}

// The first byte at or after `p` that `stops` marks in its block or that is
// of class Unchecked (or the NUL), a block at a time, for a place in the
// padded document. Most blocks hold no byte below 0x20 at all (nor, with
// HighChecked, from 0x80 up), so TAB, LF and CR are told apart only in a
// block that does.
template <bool HighChecked, typename Stops>
const char* skipCheckedBlocks(const char* p, Stops stops) {
    for (;; p += ScanBlock) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i stopped = stops(block);
        const __m128i low = lowOrHigh<HighChecked>(block);
        if (_mm_movemask_epi8(_mm_or_si128(stopped, low)) == 0)
            continue;
        const auto bits = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_or_si128(stopped, _mm_andnot_si128(layoutIn(block), low))));
        if (bits != 0)
            return p + xmlchars::lowestSetBit(bits);
    }
}

// The first byte at or after `p` that `hits` marks in its block, a block at
// a time, for a place in the padded document.
template <typename Hits>
const char* skipBlocks(const char* p, Hits hits) {
    for (;; p += ScanBlock) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const auto bits = static_cast<unsigned>(_mm_movemask_epi8(hits(block)));
        if (bits != 0)
            return p + xmlchars::lowestSetBit(bits);
    }
}

// skipTo(TextStop | Unchecked) a block at a time.
template <bool HighChecked>
const char* skipTextBlocks(const char* p) {
    return skipCheckedBlocks<HighChecked>(p, [](__m128i block) {
        return _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(block, _mm_set1_epi8('<')),
                                         _mm_cmpeq_epi8(block, _mm_set1_epi8('&'))),
                            _mm_cmpeq_epi8(block, _mm_set1_epi8(']')));
    });
}

// skipTo(ValueStop | Unchecked) a block at a time: both quotes, markup, a
// reference, and every byte below 0x20 (TAB, LF and CR are stops too).
template <bool HighChecked>
const char* skipValueBlocks(const char* p) {
    return skipBlocks(p, [](__m128i block) {
        const __m128i markup =
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(block, _mm_set1_epi8('<')),
                                      _mm_cmpeq_epi8(block, _mm_set1_epi8('&'))),
                         _mm_or_si128(_mm_cmpeq_epi8(block, _mm_set1_epi8('"')),
                                      _mm_cmpeq_epi8(block, _mm_set1_epi8('\''))));
        return _mm_or_si128(markup, lowOrHigh<HighChecked>(block));
    });
}

// skipTo(stop | Unchecked) a block at a time, for the one byte `stop` of a
// comment, an instruction or a CDATA section.
template <bool HighChecked>
const char* skipDelimitedBlocks(const char* p, char stop) {
    const __m128i wanted = _mm_set1_epi8(stop);
    return skipCheckedBlocks<HighChecked>(
        p, [wanted](__m128i block) { return _mm_cmpeq_epi8(block, wanted); });
}
#endif

const char* skipSpace(const char* p) {
    while (isSpace(*p))
        ++p;
    return p;
}

bool isAsciiNameStart(char c) {
    return (AsciiClasses[static_cast<unsigned char>(c)] & xmlchars::NameStartByte) != 0;
}

bool isAsciiNameByte(char c) {
    return (AsciiClasses[static_cast<unsigned char>(c)] & xmlchars::NameByte) != 0;
}

bool isWhiteSpace(std::string_view run) {
    for (const char c : run) {
        if (!isSpace(c))
            return false;
    }
    return true;
}

// The character a predefined entity stands for, or 0.
char predefinedEntity(std::string_view name) {
    if (name == "lt")
        return '<';
    if (name == "gt")
        return '>';
    if (name == "amp")
        return '&';
    if (name == "apos")
        return '\'';
    if (name == "quot")
        return '"';
    return 0;
}

// The character of the reference to a predefined entity at `p`, an "&",
// with `after` set past its ";"; or 0 when another reference stands there.
// Compares byte by byte, so it stops at the first difference.
char predefinedReference(const char* p, const char*& after) {
    struct Reference {
        std::string_view spelling;  // after the "&", the ";" included
        char character;
    };
    static constexpr Reference References[] = {
        {"lt;", '<'}, {"gt;", '>'}, {"amp;", '&'}, {"apos;", '\''}, {"quot;", '"'},
    };
    for (const Reference& reference : References) {
        std::size_t matched = 0;
        while (matched < reference.spelling.size() && p[1 + matched] == reference.spelling[matched])
            ++matched;
        if (matched == reference.spelling.size()) {
            after = p + 1 + matched;
            return reference.character;
        }
    }
    return 0;
}

// Significant digits of LastCodePoint (U+10FFFF, 1114111) in each base:
// a value with more lies past it (and may have wrapped around).
constexpr std::size_t MostHexadecimalDigits = 6;
constexpr std::size_t MostDecimalDigits = 7;

// PubidChar := #x20 | #xD | #xA | [a-zA-Z0-9] | [-'()+,./:=?;!*#@$_%]
bool isPublicIdByte(char c) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
        return true;
    return c != '\0' && std::strchr(" \r\n-'()+,./:=?;!*#@$_%", c) != nullptr;
}

// A content particle's optional occurrence mark, right after it.
const char* skipOccurrence(const char* p) {
    return *p == '?' || *p == '*' || *p == '+' ? p + 1 : p;
}

// Leading, trailing and repeated spaces dropped (XML 1.0 section 3.3.3, for
// attributes declared of a type other than CDATA). Other white space stays:
// it came from character references.
void collapseSpaces(std::string& value) {
    std::size_t kept = 0;
    for (const char c : value) {
        if (c == ' ' && (kept == 0 || value[kept - 1] == ' '))
            continue;
        value[kept++] = c;
    }
    if (kept > 0 && value[kept - 1] == ' ')
        --kept;
    value.resize(kept);
}

// Bytes gathered from pieces, for a run of character data: the storage
// doubles as it grows and is kept from run to run, so a document costs it a
// few allocations in all, and a piece of a few bytes is written in place.
class ByteBuffer {
public:
    void append(const char* begin, const char* end) {
        const auto count = static_cast<std::size_t>(end - begin);
        if (count > 0)
            std::memcpy(extend(count), begin, count);
    }
    ByteBuffer& operator+=(char c) {
        *extend(1) = c;
        return *this;
    }
    // Room for `count` bytes at the end, to be given back by drop() where unused.
    char* extend(std::size_t count) {
        if (capacity_ - size_ < count)
            grow(count);
        char* at = bytes_.get() + size_;
        size_ += count;
        return at;
    }
    void drop(std::size_t count) { size_ -= count; }
    void clear() { size_ = 0; }
    bool empty() const { return size_ == 0; }
    std::string_view view() const { return {bytes_.get(), size_}; }

private:
    // The first storage: most runs with a reference are a line or a paragraph.
    static constexpr std::size_t FirstCapacity = 256;

    void grow(std::size_t count) {
        const std::size_t capacity = std::max({FirstCapacity, capacity_ * 2, size_ + count});
        std::unique_ptr<char[]> bytes(new char[capacity]);
        if (size_ > 0)
            std::memcpy(bytes.get(), bytes_.get(), size_);
        bytes_ = std::move(bytes);
        capacity_ = capacity;
    }

    std::unique_ptr<char[]> bytes_;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
};

// ------------------------------------------------------------ the reader

// A well-formedness error and the byte it was found at: in the read text,
// or in the text of an entity.
struct ReadError {
    const char* message;
    const char* at;
};

// An entity declared in the internal subset.
struct Entity {
    std::string text;       // the replacement text of an internal entity
    bool external = false;  // SYSTEM or PUBLIC: never fetched
    bool unparsed = false;  // NDATA
    bool open = false;      // being expanded: a reference to it now is recursion
};

// An attribute an attribute-list declaration names.
struct DeclaredAttribute {
    std::string name;
    bool tokenized = false;  // a type other than CDATA: spaces collapse
    bool hasDefault = false;
    std::string value;     // the default, normalised
    uint64_t givenIn = 0;  // the last tag (by number) that gave it itself
};

// The word at `bytes`, wherever it stands.
template <typename Word>
Word loadWord(const char* bytes) {
    Word word;
    std::memcpy(&word, bytes, sizeof word);
    return word;
}

// A hash of `name` from whole words of it, the last two overlapping where
// its length is no multiple of theirs: no loop over the bytes of a short name.
inline uint64_t hashName(std::string_view name) {
    constexpr uint64_t Multiplier = 0x9E3779B97F4A7C15u;  // 2^64 over the golden ratio
    const char* bytes = name.data();
    const std::size_t size = name.size();
    uint64_t hash = size;
    auto mix = [&](uint64_t word) {
        hash = (hash ^ word) * Multiplier;
        hash ^= hash >> 32;
    };
    if (size >= sizeof(uint64_t)) {
        for (std::size_t at = 0; at + sizeof(uint64_t) < size; at += sizeof(uint64_t))
            mix(loadWord<uint64_t>(bytes + at));
        mix(loadWord<uint64_t>(bytes + size - sizeof(uint64_t)));
    } else if (size >= sizeof(uint32_t)) {
        mix(uint64_t{loadWord<uint32_t>(bytes)} << 32 |
            loadWord<uint32_t>(bytes + size - sizeof(uint32_t)));
    } else if (size > 0) {
        mix(uint64_t{static_cast<unsigned char>(bytes[0])} << 16 |
            uint64_t{static_cast<unsigned char>(bytes[size / 2])} << 8 |
            static_cast<unsigned char>(bytes[size - 1]));
    }
    return hash;
}

// True when the `count` bytes at `a` and at `b` are the same: whole words,
// the last two overlapping where `count` is no multiple of theirs, so a short
// name costs no call.
inline bool sameBytes(const char* a, const char* b, std::size_t count) {
    if (count >= sizeof(uint64_t)) {
        for (std::size_t at = 0; at + sizeof(uint64_t) < count; at += sizeof(uint64_t)) {
            if (loadWord<uint64_t>(a + at) != loadWord<uint64_t>(b + at))
                return false;
        }
        const std::size_t last = count - sizeof(uint64_t);
        return loadWord<uint64_t>(a + last) == loadWord<uint64_t>(b + last);
    }
    if (count >= sizeof(uint32_t)) {
        const std::size_t last = count - sizeof(uint32_t);
        return loadWord<uint32_t>(a) == loadWord<uint32_t>(b) &&
               loadWord<uint32_t>(a + last) == loadWord<uint32_t>(b + last);
    }
    for (std::size_t at = 0; at < count; ++at) {
        if (a[at] != b[at])
            return false;
    }
    return true;
}

// Values found by name in constant time, for the declarations a tag is
// checked against: open addressing, the name hashed a word at a time, so a
// lookup mostly costs one hash and one comparison. (A small
// std::unordered_map<std::string> compares the name with every key in turn
// in libstdc++, which on a tag cost more than reading it.) Values move as the
// table grows.
template <typename Value>
class NameIndex {
public:
    // The value named `name`, or null.
    Value* find(std::string_view name) {
        return count_ == 0 ? nullptr : find(name, hashName(name));
    }
    // The same for a name of hash `hash` (hashName).
    Value* find(std::string_view name, uint64_t hash) {
        for (std::size_t i = hash & (slots_.size() - 1);; i = (i + 1) & (slots_.size() - 1)) {
            Slot& slot = slots_[i];
            if (!slot.used)
                return nullptr;
            if (slot.hash == hash && slot.name == name)
                return &slot.value;
        }
    }
    // The value named `name`, added as Value() where there is none.
    Value& operator[](std::string_view name) {
        if (Value* found = find(name))
            return *found;
        if ((count_ + 1) * MostFilledPart > slots_.size())
            grow();
        ++count_;
        Slot& slot = emptySlotFor(hashName(name));
        slot.name = name;
        return slot.value;
    }

private:
    struct Slot {
        uint64_t hash = 0;
        bool used = false;
        std::string name;
        Value value{};
    };

    // At most one slot in this many is used, so probes stay short.
    static constexpr std::size_t MostFilledPart = 2;
    static constexpr std::size_t FirstSlots = 16;

    Slot& emptySlotFor(uint64_t hash) {
        std::size_t i = hash & (slots_.size() - 1);
        while (slots_[i].used)
            i = (i + 1) & (slots_.size() - 1);
        slots_[i].used = true;
        slots_[i].hash = hash;
        return slots_[i];
    }
    void grow() {
        std::vector<Slot> old(std::max(FirstSlots, slots_.size() * 2));
        old.swap(slots_);
        for (Slot& slot : old) {
            if (!slot.used)
                continue;
            Slot& moved = emptySlotFor(slot.hash);
            moved.name = std::move(slot.name);
            moved.value = std::move(slot.value);
        }
    }

    std::vector<Slot> slots_;
    std::size_t count_ = 0;
};

// The attributes declared for one element type, found by name in constant
// time: a tag costs time in step with what it holds and what it is given.
struct AttributeList {
    std::vector<DeclaredAttribute> attributes;  // in the order declared
    NameIndex<std::size_t> index;               // name to place in `attributes`
    std::vector<std::size_t> defaults;          // places of those with a default
    bool tokenized = false;                     // one of them is of a type other than CDATA
};

// An entity's text being read, and where to go on once it ends.
struct Frame {
    const char* resume;  // in the text that held the reference
    Entity* entity;
    std::size_t depth;  // open elements when it began
};

// An element whose content is being read.
struct OpenElement {
    XMLElement* element;
    std::size_t deferredMark;  // white-space runs held for it start here
    bool hasChild;             // a child element was read
    bool hasData;              // a run that is not white space only was read
};

// A white-space run of an element whose runs have all been white space so
// far, held back: it goes into the tree only if a run with data follows.
struct DeferredRun {
    const XMLElement* next;  // the child element it stands before
    const char* begin;       // in a text, which lasts as long as the reader; or null:
    std::size_t offset;      // in the deferred bytes, for a run built from pieces
    std::size_t length;
};

// What a read document gives its XMLDocument.
struct ReadDocument {
    std::unique_ptr<XMLElement> root;
    std::vector<std::pair<std::string, std::string>> declaration;
};

// Attributes of one tag checked for repeats pairwise as they come; a tag with
// more is checked once at its end by sorting, so no tag costs quadratic time.
constexpr std::size_t PairwiseAttributeCheck = 16;

// The names of the first attributes of a tag, where they stand in the text,
// and their hashes: what the pairwise check compares.
// Left uninitialised but for the two counters: a tag fills only what it uses.
struct TagNames {
    std::size_t count = 0;  // attributes read so far
    uint64_t seen = 0;      // a bit per hash value modulo 64: most names meet no earlier one
    int32_t hashes[PairwiseAttributeCheck];
    const char* starts[PairwiseAttributeCheck];
    std::size_t lengths[PairwiseAttributeCheck];
};

class XmlReader {
public:
    XmlReader(const XmlText& text, detail::NodeStore& store)
        : text_(text),
          doc_(text.begin()),
          end_(text.end()),
          store_(store),
          budget_(expansionBudget(text.length())) {}

    ReadDocument read();

private:
    static std::size_t expansionBudget(std::size_t length) {
        const std::size_t most = std::numeric_limits<std::size_t>::max();
        const std::size_t scaled =
            length > most / XmlExpansionRatio ? most : length * XmlExpansionRatio;
        return std::max(XmlExpansionFloor, scaled);
    }

    // ---- scanning: a block at a time in the document, a byte at a time in
    // an entity's text, which has no padding. Every byte a scan passes over
    // is checked as a character of the encoding on its way.
    bool inDocument(const char* p) const { return p >= doc_ && p <= end_; }
    // The first byte at or after `p` of class `Stop`.
    template <uint8_t Stop>
    const char* pass(const char* p) const {
        for (;;) {
            p = skipPlain<Stop>(p);
            if ((classOf(*p) & Stop) != 0)
                return p;
            p = checkCharacters(p);
        }
    }
    // The first byte at or after `p` of class `Stop` or Unchecked.
    template <uint8_t Stop>
    const char* skipPlain(const char* p) const {
#ifdef TARVIK_XML_READER_SSE2
        if (inDocument(p))
            return highChecked_ ? skipBlocksTo<Stop, true>(p) : skipBlocksTo<Stop, false>(p);
#endif
        return skipTo(*classes_, Stop | Unchecked, p);
    }
#ifdef TARVIK_XML_READER_SSE2
    template <uint8_t Stop, bool HighChecked>
    static const char* skipBlocksTo(const char* p) {
        if constexpr (Stop == TextStop)
            return skipTextBlocks<HighChecked>(p);
        else if constexpr (Stop == ValueStop)
            return skipValueBlocks<HighChecked>(p);
        else
            return skipDelimitedBlocks<HighChecked>(p, Stop == CommentStop       ? '-'
                                                       : Stop == InstructionStop ? '?'
                                                                                 : ']');
    }
#endif
    uint8_t classOf(char c) const {
        return (*classes_)[static_cast<unsigned char>(c)];
    }
    const char* checkCharacters(const char* p) const;
    const char* passTo(const char* p, char stop) const;

    // ---- element types with declared attributes (activeTypes_): one bit of
    // 64 chosen by the top bits of a name's hash (the table uses the low ones)
    static uint64_t typeBit(uint64_t hash) {
        return uint64_t{1} << (hash >> TypeBitShift);
    }
    static constexpr int TypeBitShift = 58;  // 64 - log2(64)

    // ---- errors
    [[noreturn]] void fail(const char* message, const char* at) const {
        throw ReadError{message, inDocument(at) ? at : (origin_ ? origin_ : doc_)};
    }
    void charge(std::size_t cost, const char* at) {
        if (cost > budget_)
            fail(messages::XmlEntityExpansionLimit, at);
        budget_ -= cost;
    }

    // ---- the document's parts
    const char* readXmlDeclaration(const char* p);
    const char* readPseudoAttribute(const char* p, std::string_view name,
                                    bool (*valid)(std::string_view));
    void chooseEncoding(const char* declared, bool marked);
    void refuseForbiddenBytes() const;
    const char* readProlog(const char* p);
    const char* readContent(const char* p);
    void readEpilog(const char* p);

    // ---- markup
    const char* readName(const char* p, const char* message);
    const char* readNameToken(const char* p, const char* message);
    const char* readReferenceName(const char* p);
    const char* highNameCharacter(const char* p, bool start) const;
    const char* readStartTag(const char* p);
    const char* readAttribute(const char* p, XMLElement& element, TagNames& names);
    const char* readValue(const char* p, std::string_view& value);
    const char* normaliseValue(const char* p, char quote, bool lenient, const char* unclosed);
    const char* valueReference(const char* p, bool lenient);
    void checkRepeats(const XMLElement& element, const char* at);
    void finishTag(XMLElement& element, const char* tagStart);
    const char* readEndTag(const char* p);
    void closeElement();
    const char* readComment(const char* p);
    const char* readInstruction(const char* p);
    const char* readCData(const char* p);
    const char* readReference(const char* p);
    const char* readCharacterReference(const char* p, uint32_t& code);
    char* encodeCode(uint32_t code, char* out, const char* at) const;
    void appendCode(uint32_t code, std::string& out, const char* at) const {
        char bytes[xmlchars::MaxUtf8Length];
        out.append(bytes, encodeCode(code, bytes, at));
    }
    void appendCode(uint32_t code, ByteBuffer& out, const char* at) const {
        char* bytes = out.extend(xmlchars::MaxUtf8Length);
        out.drop(static_cast<std::size_t>(bytes + xmlchars::MaxUtf8Length -
                                          encodeCode(code, bytes, at)));
    }

    // ---- entities
    Entity* findEntity(std::unordered_map<std::string, Entity>& table, std::string_view name) {
        const auto found = table.find(std::string(name));
        return found == table.end() ? nullptr : &found->second;
    }
    const char* enter(const char* reference, const char* resume, Entity& entity);
    // Enters the general entity the reference at `p` names, refusing one that
    // is unparsed, external (with `externalMessage`) or already open.
    const char* enterGeneral(const char* p, const char* nameEnd, Entity& entity,
                             const char* externalMessage);
    const char* leave();

    // ---- the document type declaration
    const char* requireSpace(const char* p);
    const char* readDoctype(const char* p);
    const char* readExternalId(const char* p, const char* message, bool publicIdAlone);
    const char* readSystemLiteral(const char* p, const char* message);
    const char* readPublicIdLiteral(const char* p, const char* message);
    const char* readInternalSubset(const char* p);
    const char* readDeclaration(const char* p);
    const char* readParameterReference(const char* p);
    const char* readElementDeclaration(const char* p);
    const char* readContentModel(const char* p);
    const char* readMixedContent(const char* p);
    const char* readAttributeListDeclaration(const char* p);
    const char* readAttributeType(const char* p, bool& tokenized);
    const char* readEnumeration(const char* p, bool names);
    const char* readEntityDeclaration(const char* p);
    const char* readEntityValue(const char* p, std::string& out);
    const char* readNotationDeclaration(const char* p);
    const char* declarationName(const char* p, const char* message);

    // ---- character data of the open element
    // Adds [begin, end) to the run; `white` when the bytes are known to be
    // white space only.
    void addRun(const char* begin, const char* end, bool white) {
        if (begin == end)
            return;
        runWhite_ = runWhite_ && white;
        if (!buffered_) {
            if (!runBegin_) {
                runBegin_ = begin;
                runEnd_ = end;
                return;
            }
            if (runEnd_ == begin) {
                runEnd_ = end;
                return;
            }
            bufferRun();
        }
        runBuffer_.append(begin, end);
    }
    // The run as a buffer to append to: what is appended is not known to be white space.
    ByteBuffer& bufferedRun() {
        bufferRun();
        runWhite_ = false;
        return runBuffer_;
    }
    void bufferRun() {
        if (buffered_)
            return;
        runBuffer_.clear();
        if (runBegin_)
            runBuffer_.append(runBegin_, runEnd_);
        buffered_ = true;
    }
    bool runEmpty() const {
        return buffered_ ? runBuffer_.empty() : runBegin_ == nullptr;
    }
    // True when the run is white space only.
    bool runIsWhite() const {
        return runWhite_ || isWhiteSpace(run());
    }
    std::string_view run() const {
        if (buffered_)
            return runBuffer_.view();
        if (!runBegin_)
            return {};
        return {runBegin_, static_cast<std::size_t>(runEnd_ - runBegin_)};
    }
    void clearRun() {
        runBegin_ = nullptr;
        buffered_ = false;
        runWhite_ = true;
    }
    void flushRun(OpenElement& open, const XMLElement* next);
    void appendData(XMLElement& element, std::string_view data);
    void placeDeferred(OpenElement& open);
    void dropDeferred(std::size_t mark) {
        if (deferred_.size() <= mark)
            return;
        deferredBytes_.resize(deferred_[mark].offset);
        deferred_.resize(mark);
    }
    std::string_view deferredRun(const DeferredRun& held) const {
        return {held.begin ? held.begin : deferredBytes_.data() + held.offset, held.length};
    }

    const XmlText& text_;
    const char* doc_;
    const char* end_;
    detail::NodeStore& store_;
    std::size_t budget_;
    Encoding encoding_ = Encoding::Utf8;
    // The byte classes of the encoding, and whether its bytes from 0x80 up are checked.
    const std::array<uint8_t, ByteValues>* classes_ = &CheckedClasses;
    bool highChecked_ = true;
    bool standalone_ = false;
    const char* encodingAt_ = nullptr;  // the declaration's encoding value
    bool skipDeclarations_ = false;     // after an external parameter entity, unread

    ReadDocument result_;
    std::unordered_map<std::string, Entity> general_;
    std::unordered_map<std::string, Entity> parameter_;
    NameIndex<AttributeList> attributeLists_;
    // A bit (typeBit) for the hash of each element type whose declared
    // attributes change its tags (a default, a tokenized type): most tags
    // need no lookup to tell that theirs do not.
    uint64_t activeTypes_ = 0;
    uint64_t tags_ = 0;  // tags of declared element types finished so far

    std::vector<Frame> frames_;
    const char* origin_ = nullptr;  // the reference in the document that began the frames

    std::vector<OpenElement> open_;
    std::vector<DeferredRun> deferred_;
    std::string deferredBytes_;

    const char* runBegin_ = nullptr;  // the run as one piece of a text, while it is one
    const char* runEnd_ = nullptr;
    ByteBuffer runBuffer_;  // the run, once it has more pieces
    bool buffered_ = false;
    bool runWhite_ = true;  // every piece of the run is known to be white space

    ByteBuffer value_;  // an attribute value being normalised
};

// document := prolog element Misc*
ReadDocument XmlReader::read() {
    const char* p = doc_;
    const bool marked = startsWith(p, Utf8Mark);
    if (marked)
        p += Utf8MarkLength;
    const std::size_t length = text_.length();
    // Without a mark, "<" in UTF-16 or UTF-32 opens with a zero byte or has
    // one after it; no other document may (a zero byte is no character).
    if (length >= 2 && (doc_[0] == '\0' || (doc_[0] == '<' && doc_[1] == '\0')))
        fail(messages::UnicodeFile, doc_);
    if (startsWith(doc_, "\xFE\xFF") || startsWith(doc_, "\xFF\xFE") ||
        (length >= 4 && std::memcmp(doc_, "\0\0\xFE\xFF", 4) == 0))
        fail(messages::UnicodeFile, doc_);
    const char* declared = nullptr;
    if (startsWith(p, "<?xml") && isSpace(p[lengthOf("<?xml")])) {
        p = readXmlDeclaration(p);
        for (const auto& [name, value] : result_.declaration) {
            if (name == "encoding")
                declared = value.c_str();
            if (name == "standalone")
                standalone_ = value == "yes";
        }
    }
    chooseEncoding(declared, marked);
    try {
        p = readStartTag(readProlog(p));
        if (!open_.empty())
            p = readContent(p);
        readEpilog(p);
    } catch (const ReadError&) {
        // The scans stop at the first forbidden byte they meet, but a markup
        // error may stand before it; the forbidden byte is the one to report.
        refuseForbiddenBytes();
        throw;
    }
    return std::move(result_);
}

// XMLDecl := "<?xml" VersionInfo EncodingDecl? SDDecl? S? "?>", each part
// after white space, in that order.
const char* XmlReader::readXmlDeclaration(const char* p) {
    const char* start = p;
    p = skipSpace(p + lengthOf("<?xml"));
    if (!startsWith(p, "version"))
        fail(messages::XmlBadDeclaration, p);
    p = readPseudoAttribute(p, "version", xmlchars::isVersionNumber);
    const char* before = p;
    p = skipSpace(p);
    if (p != before && startsWith(p, "encoding")) {
        p = readPseudoAttribute(p, "encoding", xmlchars::isEncodingName);
        before = p;
        p = skipSpace(p);
    }
    if (p != before && startsWith(p, "standalone")) {
        p = readPseudoAttribute(p, "standalone", xmlchars::isYesOrNo);
        p = skipSpace(p);
    }
    if (p[0] != '?' || p[1] != '>')
        fail(p[0] == '\0' ? messages::XmlInstructionNotClosed : messages::XmlBadDeclaration,
             p[0] == '\0' ? start : p);
    return p + 2;
}

// name Eq ( '"' value '"' | "'" value "'" ), Eq := S? "=" S?
const char* XmlReader::readPseudoAttribute(const char* p, std::string_view name,
                                           bool (*valid)(std::string_view)) {
    p = skipSpace(p + name.size());
    if (*p != '=')
        fail(messages::XmlBadDeclaration, p);
    p = skipSpace(p + 1);
    const char quote = *p;
    if (quote != '"' && quote != '\'')
        fail(messages::XmlBadDeclaration, p);
    const char* value = p + 1;
    const char* close = std::strchr(value, quote);
    if (!close || !valid(std::string_view(value, static_cast<std::size_t>(close - value))))
        fail(messages::XmlBadDeclaration, value);
    if (name == "encoding")
        encodingAt_ = value;
    result_.declaration.emplace_back(std::string(name), std::string(value, close));
    return close + 1;
}

void XmlReader::chooseEncoding(const char* declared, bool marked) {
    if (!declared)
        return;
    encoding_ = xmlchars::encodingNamed(declared);
    if (encoding_ == Encoding::Unicode)
        fail(messages::UnicodeFile, encodingAt_);
    if (marked && encoding_ != Encoding::Utf8)
        fail(messages::XmlEncodingMismatch, encodingAt_);
    highChecked_ = !xmlchars::heldByteForByte(encoding_);
    classes_ = highChecked_ ? &CheckedClasses : &HeldClasses;
}

// Every byte must stand for a character XML allows, in the document's
// encoding: refuses the first that does not, wherever it stands.
void XmlReader::refuseForbiddenBytes() const {
    const xmlchars::FaultAt fault = xmlchars::firstFault(doc_, text_.length(), encoding_);
    if (fault.fault == xmlchars::Fault::Character)
        fail(messages::XmlInvalidCharacter, doc_ + fault.offset);
    if (fault.fault == xmlchars::Fault::Encoding)
        fail(messages::XmlEncodingViolation, doc_ + fault.offset);
}

// prolog := XMLDecl? Misc* ( doctypedecl Misc* )?, Misc := Comment | PI | S.
// Returns the "<" of the root element.
const char* XmlReader::readProlog(const char* p) {
    bool typeDeclared = false;
    for (;;) {
        p = skipSpace(p);
        if (*p == '\0')
            fail(messages::XmlNoRootElement, p);
        if (*p != '<')
            fail(messages::XmlOutsideRoot, p);
        if (p[1] == '?') {
            p = readInstruction(p);
        } else if (startsWith(p, "<!--")) {
            p = readComment(p);
        } else if (startsWith(p, "<!DOCTYPE")) {
            if (typeDeclared)
                fail(messages::XmlMisplacedDoctype, p);
            typeDeclared = true;
            p = readDoctype(p);
        } else if (p[1] == '!') {
            fail(messages::XmlOutsideRoot, p);
        } else {
            return p;
        }
    }
}

// Misc* after the root element.
void XmlReader::readEpilog(const char* p) {
    for (;;) {
        p = skipSpace(p);
        if (*p == '\0') {
            if (p != end_)
                fail(messages::XmlInvalidCharacter, p);
            return;
        }
        if (p[0] == '<' && p[1] == '?') {
            p = readInstruction(p);
            continue;
        }
        if (startsWith(p, "<!--")) {
            p = readComment(p);
            continue;
        }
        if (startsWith(p, "<!DOCTYPE"))
            fail(messages::XmlMisplacedDoctype, p);
        if (p[0] == '<' && (isAsciiNameStart(p[1]) || static_cast<unsigned char>(p[1]) >= 0x80))
            fail(messages::XmlSecondRootElement, p);
        fail(messages::XmlOutsideRoot, p);
    }
}

// content := CharData? ( ( element | Reference | CDSect | PI | Comment ) CharData? )*
// The open elements are a stack, and an entity's text is read where it is
// referred to by pushing a frame: nothing recurses.
const char* XmlReader::readContent(const char* p) {
    while (!open_.empty()) {
        // Most runs between tags are a line end and indentation: passed over
        // a byte at a time, and known to be white space without a look back.
        const char* start = p;
        p = skipSpace(p);
        const bool white = *p == '<';
        while (!white) {
            p = pass<TextStop>(p);
            if (*p != ']')
                break;
            if (p[1] == ']' && p[2] == '>')
                fail(messages::XmlCDataEndInText, p);
            ++p;
        }
        addRun(start, p, white);
        if (*p == '<') {
            switch (p[1]) {
                case '/':
                    p = readEndTag(p);
                    break;
                case '?':
                    p = readInstruction(p);
                    break;
                case '!':
                    if (startsWith(p, "<!--"))
                        p = readComment(p);
                    else if (startsWith(p, "<![CDATA["))
                        p = readCData(p);
                    else
                        fail(messages::XmlBadMarkup, p);
                    break;
                default:
                    p = readStartTag(p);
                    break;
            }
        } else if (*p == '&') {
            p = readReference(p);
        } else if (frames_.empty()) {
            fail(messages::XmlElementNotClosed, p);
        } else {
            if (frames_.back().depth != open_.size())
                fail(messages::XmlEntityNotBalanced, p);
            p = leave();
        }
    }
    return p;
}

// ------------------------------------------------------------ characters

// Checks the characters from `p`, a byte of class Unchecked, up to the next
// byte of another class, and returns that byte: a control byte, a byte above
// 0x7F in US-ASCII and malformed UTF-8 are refused, and so are U+FFFE and
// U+FFFF.
const char* XmlReader::checkCharacters(const char* p) const {
    do {
        // Two-byte sequences (U+0080 to U+07FF) and three-byte ones led by
        // 0xE1 to 0xEC (U+1000 to U+CFFF, CJK among them) are characters XML
        // allows whenever their trailing bytes are continuation bytes.
        const auto lead = static_cast<unsigned char>(p[0]);
        const bool trails = (static_cast<unsigned char>(p[1]) & 0xC0) == 0x80;
        if (encoding_ == Encoding::Utf8 && trails) {
            if (lead >= 0xC2 && lead <= 0xDF) {
                p += 2;
                continue;
            }
            if (lead >= 0xE1 && lead <= 0xEC && (static_cast<unsigned char>(p[2]) & 0xC0) == 0x80) {
                p += 3;
                continue;
            }
        }
        if (static_cast<unsigned char>(*p) < 0x80)
            fail(messages::XmlInvalidCharacter, p);
        if (encoding_ != Encoding::Utf8)
            fail(messages::XmlEncodingViolation, p);
        uint32_t code = 0;
        const int length = xmlchars::decodeUtf8(p, code);
        if (length == 0)
            fail(messages::XmlEncodingViolation, p);
        if (!xmlchars::isXmlChar(code))
            fail(messages::XmlInvalidCharacter, p);
        p += length;
    } while ((classOf(*p) & Unchecked) != 0);
    return p;
}

// The first `stop` or NUL at or after `p`, a byte at a time, every byte
// before it checked: for the rare literals of a document type declaration.
const char* XmlReader::passTo(const char* p, char stop) const {
    while (*p != stop && *p != '\0')
        p = (classOf(*p) & Unchecked) != 0 ? checkCharacters(p) : p + 1;
    return p;
}

// ------------------------------------------------------------ names

// The end of the name character at `p`, a byte from 0x80 up, or null when it
// is none. In an encoding held byte for byte every such byte is one.
const char* XmlReader::highNameCharacter(const char* p, bool start) const {
    uint32_t code = static_cast<unsigned char>(*p);
    int length = 1;
    if (encoding_ == Encoding::Utf8) {
        length = xmlchars::decodeUtf8(p, code);
        if (length == 0)
            return nullptr;
    } else if (encoding_ == Encoding::Ascii) {
        return nullptr;
    } else if (encoding_ != Encoding::Latin1) {
        return xmlchars::heldNameCharacterEnd(p, encoding_);
    }
    const bool fits = start ? xmlchars::isNameStartCode(code) : xmlchars::isNameCode(code);
    return fits ? p + length : nullptr;
}

// Name := NameStartChar NameChar*; throws `message` at `p` when no name begins there.
const char* XmlReader::readName(const char* p, const char* message) {
    const char* q = p;
    if (isAsciiNameStart(*q)) {
        ++q;
    } else if (static_cast<unsigned char>(*q) >= 0x80 && (q = highNameCharacter(p, true))) {
    } else {
        fail(message, p);
    }
    for (;;) {
        // Four bytes a round: a byte is looked at only when the one before it
        // was a name byte, so never past the NUL.
        while (isAsciiNameByte(q[0])) {
            if (!isAsciiNameByte(q[1])) {
                q += 1;
                break;
            }
            if (!isAsciiNameByte(q[2])) {
                q += 2;
                break;
            }
            if (!isAsciiNameByte(q[3])) {
                q += 3;
                break;
            }
            q += 4;
        }
        if (static_cast<unsigned char>(*q) < 0x80)
            return q;
        const char* next = highNameCharacter(q, false);
        if (!next)
            return q;
        q = next;
    }
}

// Nmtoken := NameChar+
const char* XmlReader::readNameToken(const char* p, const char* message) {
    const char* q = p;
    for (;;) {
        if (isAsciiNameByte(*q)) {
            ++q;
            continue;
        }
        const char* next =
            static_cast<unsigned char>(*q) >= 0x80 ? highNameCharacter(q, false) : nullptr;
        if (!next)
            break;
        q = next;
    }
    if (q == p)
        fail(message, p);
    return q;
}

// EntityRef := "&" Name ";", PEReference := "%" Name ";", from the "&" or "%".
// Returns the ";"; a malformed reference is refused at its first byte.
const char* XmlReader::readReferenceName(const char* p) {
    const char* name = p + 1;
    if (!isAsciiNameStart(*name) && static_cast<unsigned char>(*name) < 0x80)
        fail(messages::XmlBadReference, p);
    const char* end = readName(name, messages::XmlBadReference);
    if (*end != ';')
        fail(messages::XmlBadReference, p);
    return end;
}

// ------------------------------------------------------------ tags

// STag := "<" Name ( S Attribute )* S? ">", EmptyElemTag := ... "/>"
// The element joins the tree before its attributes are read; a start tag
// opens it, an empty-element tag leaves it closed.
const char* XmlReader::readStartTag(const char* p) {
    const char* tag = p;
    const char* nameStart = p + 1;
    const unsigned char first = static_cast<unsigned char>(*nameStart);
    if (first < 0x80 && !isAsciiNameByte(*nameStart))
        fail(messages::XmlBareLessThan, tag);
    const char* nameEnd = readName(nameStart, messages::XmlInvalidName);
    // Default-initialised: every member has its initialiser, and "()" would
    // clear the whole node with a string of stores first.
    std::unique_ptr<XMLElement> made(new (store_) XMLElement);
    assignExactly(made->name, nameStart, static_cast<std::size_t>(nameEnd - nameStart));
    XMLElement* element;
    if (open_.empty()) {
        result_.root = std::move(made);
        element = result_.root.get();
    } else {
        OpenElement& parent = open_.back();
        flushRun(parent, made.get());
        parent.hasChild = true;
        element = appendChildIn(&store_, *parent.element, std::move(made));
    }
    p = nameEnd;
    TagNames names;
    for (;;) {
        const char* before = p;
        p = skipSpace(p);
        if (*p == '>') {
            finishTag(*element, tag);
            open_.push_back({element, deferred_.size(), false, false});
            return p + 1;
        }
        if (p[0] == '/' && p[1] == '>') {
            finishTag(*element, tag);
            return p + 2;
        }
        if (p == before) {
            const bool attributeNext =
                isAsciiNameStart(*p) || static_cast<unsigned char>(*p) >= 0x80;
            fail(attributeNext ? messages::XmlMissingSpace : messages::XmlBadTag, p);
        }
        p = readAttribute(p, *element, names);
    }
}

// Attribute := Name S? "=" S? AttValue
const char* XmlReader::readAttribute(const char* p, XMLElement& element, TagNames& names) {
    const char* nameStart = p;
    const char* nameEnd = readName(p, messages::XmlBadAttribute);
    p = skipSpace(nameEnd);
    if (*p != '=')
        fail(messages::XmlBadAttribute, p);
    p = skipSpace(p + 1);
    std::string_view value;
    p = readValue(p, value);
    const std::string_view name(nameStart, static_cast<std::size_t>(nameEnd - nameStart));
    const XMLAttribute& added = element.attributes.emplaceBackIn(&store_, name, value);
    if (names.count < PairwiseAttributeCheck) {
        const uint64_t bit = uint64_t{1} << (static_cast<uint32_t>(added.hash) % 64);
        if (names.seen & bit) {
            for (std::size_t i = 0; i < names.count; ++i) {
                if (names.hashes[i] == added.hash &&
                    std::string_view(names.starts[i], names.lengths[i]) == name)
                    fail(messages::XmlDuplicateAttribute, nameStart);
            }
        }
        names.seen |= bit;
        names.hashes[names.count] = added.hash;
        names.starts[names.count] = nameStart;
        names.lengths[names.count] = name.size();
    }
    ++names.count;
    return p;
}

// AttValue := '"' ( [^<&"] | Reference )* '"' | "'" ( [^<&'] | Reference )* "'"
// A value with nothing to change is handed out where it stands in the text.
const char* XmlReader::readValue(const char* p, std::string_view& value) {
    const char quote = *p;
    if (quote != '"' && quote != '\'')
        fail(messages::XmlBadAttribute, p);
    const char* start = p + 1;
    const char* q = start;
    for (;;) {
        q = pass<ValueStop>(q);
        if (*q == quote) {
            value = std::string_view(start, static_cast<std::size_t>(q - start));
            return q + 1;
        }
        if (*q != '"' && *q != '\'')
            break;
        ++q;  // the other quote is data
    }
    value_.clear();
    value_.append(start, q);
    q = normaliseValue(q, quote, false, p);
    value = value_.view();
    return q;
}

// The rest of a value from `p` appended to value_, normalised: TAB, LF and CR
// become spaces, references are replaced (an entity's text normalised in
// turn, through frames), and "<" is refused. A quote inside an entity's text
// is data. `lenient` lets a reference to an undeclared entity expand to
// nothing (a default read after an unread external parameter entity).
// Returns the byte after the closing quote; `unclosed` is where the value
// began, for the error when it never closes.
const char* XmlReader::normaliseValue(const char* p, char quote, bool lenient,
                                      const char* unclosed) {
    const std::size_t base = frames_.size();
    for (;;) {
        const char* start = p;
        p = pass<ValueStop>(p);
        value_.append(start, p);
        const char c = *p;
        if (c == quote && frames_.size() == base)
            return p + 1;
        switch (c) {
            case '"':
            case '\'':
                value_ += c;
                ++p;
                break;
            case '\t':
            case '\n':
            case '\r':
                value_ += ' ';
                ++p;
                break;
            case '<':
                fail(messages::XmlLessThanInAttribute, p);
            case '&':
                p = valueReference(p, lenient);
                break;
            default:  // the NUL that ends a text
                if (frames_.size() == base)
                    fail(messages::XmlBadAttribute, unclosed);
                p = leave();
                break;
        }
    }
}

// A reference in an attribute value: a character, a predefined entity, or
// an internal entity whose text is read next.
const char* XmlReader::valueReference(const char* p, bool lenient) {
    if (p[1] == '#') {
        uint32_t code = 0;
        const char* after = readCharacterReference(p, code);
        appendCode(code, value_, p);
        return after;
    }
    const char* after = nullptr;
    if (const char c = predefinedReference(p, after)) {
        value_ += c;
        return after;
    }
    const char* nameEnd = readReferenceName(p);
    const std::string_view name(p + 1, static_cast<std::size_t>(nameEnd - p - 1));
    Entity* entity = findEntity(general_, name);
    if (!entity) {
        if (lenient)
            return nameEnd + 1;
        fail(messages::XmlUndeclaredEntity, p);
    }
    return enterGeneral(p, nameEnd, *entity, messages::XmlExternalEntityInAttribute);
}

const char* XmlReader::enterGeneral(const char* p, const char* nameEnd, Entity& entity,
                                    const char* externalMessage) {
    if (entity.unparsed)
        fail(messages::XmlUnparsedEntity, p);
    if (entity.external)
        fail(externalMessage, p);
    if (entity.open)
        fail(messages::XmlRecursiveEntity, p);
    return enter(p, nameEnd + 1, entity);
}

// Attributes of one tag differ in name; those of a long tag are sorted to tell.
void XmlReader::checkRepeats(const XMLElement& element, const char* at) {
    std::vector<const XMLAttribute*> sorted;
    sorted.reserve(element.attributes.size());
    for (const XMLAttribute& attribute : element.attributes)
        sorted.push_back(&attribute);
    std::sort(sorted.begin(), sorted.end(), [](const XMLAttribute* a, const XMLAttribute* b) {
        return a->hash != b->hash ? a->hash < b->hash : a->name < b->name;
    });
    for (std::size_t i = 1; i < sorted.size(); ++i) {
        if (sorted[i - 1]->name == sorted[i]->name)
            fail(messages::XmlDuplicateAttribute, at);
    }
}

// What a complete tag still needs: the repeat check of a long tag, and the
// attributes the internal subset declares (defaults added, tokens collapsed).
void XmlReader::finishTag(XMLElement& element, const char* tagStart) {
    if (element.attributes.size() > PairwiseAttributeCheck)
        checkRepeats(element, tagStart);
    if (activeTypes_ == 0)
        return;
    const uint64_t hash = hashName(element.name);
    if ((activeTypes_ & typeBit(hash)) == 0)
        return;
    AttributeList* list = attributeLists_.find(element.name, hash);
    if (!list || (!list->tokenized && list->defaults.empty()))
        return;
    const uint64_t tag = ++tags_;
    for (XMLAttribute& given : element.attributes) {
        const std::size_t* declared = list->index.find(given.name);
        if (!declared)
            continue;
        DeclaredAttribute& attribute = list->attributes[*declared];
        attribute.givenIn = tag;
        if (attribute.tokenized)
            collapseSpaces(given.value);
    }
    // Each default added counts against the expansion bound, empty or not.
    for (const std::size_t place : list->defaults) {
        const DeclaredAttribute& attribute = list->attributes[place];
        if (attribute.givenIn == tag)
            continue;
        charge(attribute.value.size() + XmlExpansionReferenceCost, tagStart);
        element.attributes.emplaceBackIn(&store_, std::string_view(attribute.name),
                                         std::string_view(attribute.value));
    }
}

// ETag := "</" Name S? ">", naming the open element.
const char* XmlReader::readEndTag(const char* p) {
    const char* tag = p;
    const char* name = p + 2;
    const std::string& open = open_.back().element->name;
    // In the document a name that fits before the end is compared whole;
    // elsewhere a byte at a time, which stops at the NUL that ends the text.
    std::size_t matched = 0;
    if (inDocument(name) && static_cast<std::size_t>(end_ - name) >= open.size()) {
        if (sameBytes(name, open.data(), open.size()))
            matched = open.size();
    } else {
        while (matched < open.size() && name[matched] == open[matched])
            ++matched;
    }
    const char after = name[matched];
    if (matched < open.size() || isAsciiNameByte(after) ||
        static_cast<unsigned char>(after) >= 0x80)
        fail(isAsciiNameStart(name[0]) || static_cast<unsigned char>(name[0]) >= 0x80
                 ? messages::XmlEndTagMismatch
                 : messages::XmlBadTag,
             tag);
    p = skipSpace(name + matched);
    if (*p != '>')
        fail(messages::XmlBadTag, p);
    if (!frames_.empty() && open_.size() <= frames_.back().depth)
        fail(messages::XmlEntityNotBalanced, tag);
    closeElement();
    return p + 1;
}

// The element's character data goes into its text when it has no child
// element, and otherwise becomes its last run.
void XmlReader::closeElement() {
    OpenElement& open = open_.back();
    if (!open.hasChild) {
        const std::string_view data = run();
        if (!data.empty())
            assignExactly(open.element->text, data.data(), data.size());
    } else {
        flushRun(open, nullptr);
    }
    clearRun();
    dropDeferred(open.deferredMark);
    open_.pop_back();
}

// Comment := "<!--" ( ( Char - "-" ) | ( "-" ( Char - "-" ) ) )* "-->"
const char* XmlReader::readComment(const char* p) {
    for (const char* q = p + lengthOf("<!--");; ++q) {
        q = pass<CommentStop>(q);
        if (*q == '\0')
            fail(messages::XmlCommentNotClosed, p);
        if (q[1] == '-') {
            if (q[2] != '>')
                fail(messages::XmlBadComment, q);
            return q + 3;
        }
    }
}

// PI := "<?" PITarget ( S ( Char* - ( Char* "?>" Char* ) ) )? "?>", where
// PITarget is a Name other than "xml" in any case.
const char* XmlReader::readInstruction(const char* p) {
    const char* target = p + 2;
    const char* end = readName(target, messages::XmlBadInstruction);
    if (end - target == 3 && (target[0] | 0x20) == 'x' && (target[1] | 0x20) == 'm' &&
        (target[2] | 0x20) == 'l')
        fail(messages::XmlReservedTarget, p);
    if (end[0] == '?' && end[1] == '>')
        return end + 2;
    if (!isSpace(*end))
        fail(messages::XmlBadInstruction, end);
    for (const char* q = end;; ++q) {
        q = pass<InstructionStop>(q);
        if (*q == '\0')
            fail(messages::XmlInstructionNotClosed, p);
        if (q[1] == '>')
            return q + 2;
    }
}

// CDSect := "<![CDATA[" ( Char* - ( Char* "]]>" Char* ) ) "]]>": character data.
const char* XmlReader::readCData(const char* p) {
    const char* start = p + lengthOf("<![CDATA[");
    for (const char* q = start;; ++q) {
        q = pass<CDataStop>(q);
        if (*q == '\0')
            fail(messages::XmlCDataNotClosed, p);
        if (q[1] == ']' && q[2] == '>') {
            addRun(start, q, false);
            return q + 3;
        }
    }
}

// Reference := EntityRef | CharRef in content. An internal entity's text is
// read next, as content, in a frame of its own.
const char* XmlReader::readReference(const char* p) {
    if (p[1] == '#') {
        uint32_t code = 0;
        const char* after = readCharacterReference(p, code);
        appendCode(code, bufferedRun(), p);
        return after;
    }
    const char* after = nullptr;
    if (const char c = predefinedReference(p, after)) {
        bufferedRun() += c;
        return after;
    }
    const char* nameEnd = readReferenceName(p);
    const std::string_view name(p + 1, static_cast<std::size_t>(nameEnd - p - 1));
    Entity* entity = findEntity(general_, name);
    if (!entity)
        fail(messages::XmlUndeclaredEntity, p);
    return enterGeneral(p, nameEnd, *entity, messages::XmlExternalEntityNotRead);
}

// CharRef := "&#" [0-9]+ ";" | "&#x" [0-9a-fA-F]+ ";", naming a Char.
// Leading zeros are passed over, so that more significant digits than the
// largest code point has mean a value past it.
const char* XmlReader::readCharacterReference(const char* p, uint32_t& code) {
    const char* q = p + 2;
    const bool hexadecimal = *q == 'x';
    if (hexadecimal)
        ++q;
    const char* digits = q;
    while (*q == '0')
        ++q;
    const char* significant = q;
    uint32_t value = 0;
    if (hexadecimal) {
        for (uint8_t digit;
             (digit = HexadecimalDigits[static_cast<unsigned char>(*q)]) != NotADigit; ++q)
            value = value << 4 | digit;
    } else {
        for (uint8_t digit; (digit = DecimalDigits[static_cast<unsigned char>(*q)]) != NotADigit;
             ++q)
            value = value * xmlchars::DecimalBase + digit;
    }
    if (q == digits || *q != ';')
        fail(messages::XmlBadReference, p);
    const std::size_t mostDigits = hexadecimal ? MostHexadecimalDigits : MostDecimalDigits;
    if (static_cast<std::size_t>(q - significant) > mostDigits || !xmlchars::isXmlChar(value))
        fail(messages::XmlInvalidCharRef, p);
    code = value;
    return q + 1;
}

// Writes the character `code` in the document's encoding, where that needs
// no table, at `out` (room for MaxUtf8Length bytes); returns the end of
// what it wrote.
char* XmlReader::encodeCode(uint32_t code, char* out, const char* at) const {
    switch (encoding_) {
        case Encoding::Utf8:
            return out + xmlchars::encodeUtf8(code, out);
        case Encoding::Latin1:
            if (code > 0xFF)
                fail(messages::XmlCharRefNotEncodable, at);
            break;
        case Encoding::Ascii:
        case Encoding::Other:
        case Encoding::DoubleByte:
        case Encoding::Unicode:
            if (code > 0x7F)
                fail(messages::XmlCharRefNotEncodable, at);
            break;
    }
    *out = static_cast<char>(code);
    return out + 1;
}

// ------------------------------------------------------------ entities

// Reading goes on in `entity`'s text; `reference` is where it was referred
// to, `resume` where reading comes back to.
const char* XmlReader::enter(const char* reference, const char* resume, Entity& entity) {
    charge(entity.text.size() + XmlExpansionReferenceCost, reference);
    if (frames_.empty())
        origin_ = reference;
    entity.open = true;
    frames_.push_back({resume, &entity, open_.size()});
    return entity.text.c_str();
}

// Back from the innermost entity's text to where it was referred to.
const char* XmlReader::leave() {
    const Frame frame = frames_.back();
    frames_.pop_back();
    frame.entity->open = false;
    if (frames_.empty())
        origin_ = nullptr;
    return frame.resume;
}

// ------------------------------------------------------------ runs of character data

// The pending run goes where it belongs before `next` (or at the element's
// end, for null): held back while all runs are white space, otherwise into
// the tree after any runs held back so far.
void XmlReader::flushRun(OpenElement& open, const XMLElement* next) {
    if (runEmpty())
        return;
    const std::string_view data = run();
    if (!open.hasData) {
        if (runIsWhite()) {
            if (next) {
                deferred_.push_back(
                    {next, buffered_ ? nullptr : runBegin_, deferredBytes_.size(), data.size()});
                if (buffered_)
                    deferredBytes_.append(data);
            }
            clearRun();
            return;
        }
        open.hasData = true;
        placeDeferred(open);
    }
    appendData(*open.element, data);
    clearRun();
}

void XmlReader::appendData(XMLElement& element, std::string_view data) {
    std::unique_ptr<XMLElement> node(new (store_) XMLCData(std::string(data)));
    appendChildIn(&store_, element, std::move(node));
}

// The white-space runs held back for `open` go into the tree before the
// children they stood before.
void XmlReader::placeDeferred(OpenElement& open) {
    XMLElement& element = *open.element;
    auto child = element.children.begin();
    for (std::size_t i = open.deferredMark; i < deferred_.size(); ++i) {
        const DeferredRun& held = deferred_[i];
        while (child->get() != held.next)
            ++child;
        std::unique_ptr<XMLElement> node(new (store_) XMLCData(std::string(deferredRun(held))));
        node->parent = &element;
        element.children.emplaceIn(&store_, child, std::move(node));
    }
    dropDeferred(open.deferredMark);
}

// ------------------------------------------------------------ the document type declaration

const char* XmlReader::requireSpace(const char* p) {
    const char* after = skipSpace(p);
    if (after == p)
        fail(messages::XmlMissingSpace, p);
    return after;
}

// A name in a declaration; a parameter-entity reference where it should be
// is refused as such.
const char* XmlReader::declarationName(const char* p, const char* message) {
    if (*p == '%')
        fail(messages::XmlPEInDeclaration, p);
    return readName(p, message);
}

// doctypedecl := "<!DOCTYPE" S Name ( S ExternalID )? S? ( "[" intSubset "]" S? )? ">"
const char* XmlReader::readDoctype(const char* p) {
    p = requireSpace(p + lengthOf("<!DOCTYPE"));
    p = readName(p, messages::XmlBadDoctype);
    const char* afterName = p;
    p = skipSpace(p);
    if (p != afterName && (startsWith(p, "SYSTEM") || startsWith(p, "PUBLIC")))
        p = skipSpace(readExternalId(p, messages::XmlBadDoctype, false));
    if (*p == '[')
        p = skipSpace(readInternalSubset(p + 1));
    if (*p != '>')
        fail(messages::XmlBadDoctype, p);
    return p + 1;
}

// ExternalID := "SYSTEM" S SystemLiteral | "PUBLIC" S PubidLiteral S SystemLiteral
// PublicID   := "PUBLIC" S PubidLiteral      (a notation may stop there)
const char* XmlReader::readExternalId(const char* p, const char* message, bool publicIdAlone) {
    if (startsWith(p, "SYSTEM"))
        return readSystemLiteral(requireSpace(p + lengthOf("SYSTEM")), message);
    if (!startsWith(p, "PUBLIC"))
        fail(*p == '%' ? messages::XmlPEInDeclaration : message, p);
    p = readPublicIdLiteral(requireSpace(p + lengthOf("PUBLIC")), message);
    if (publicIdAlone) {
        const char* next = skipSpace(p);
        return next != p && (*next == '"' || *next == '\'') ? readSystemLiteral(next, message) : p;
    }
    return readSystemLiteral(requireSpace(p), message);
}

// SystemLiteral := '"' [^"]* '"' | "'" [^']* "'"
const char* XmlReader::readSystemLiteral(const char* p, const char* message) {
    const char quote = *p;
    if (quote != '"' && quote != '\'')
        fail(message, p);
    const char* close = passTo(p + 1, quote);
    if (*close == '\0')
        fail(message, p);
    return close + 1;
}

// PubidLiteral := '"' PubidChar* '"' | "'" ( PubidChar - "'" )* "'"
const char* XmlReader::readPublicIdLiteral(const char* p, const char* message) {
    const char quote = *p;
    if (quote != '"' && quote != '\'')
        fail(message, p);
    const char* q = p + 1;
    for (; *q != quote; ++q) {
        if (!isPublicIdByte(*q))
            fail(message, q);
    }
    return q + 1;
}

// intSubset := ( markupdecl | DeclSep )*, DeclSep := PEReference | S.
// A parameter entity's text is read in a frame; it must hold whole
// declarations. Returns the byte after "]".
const char* XmlReader::readInternalSubset(const char* p) {
    const std::size_t base = frames_.size();
    for (;;) {
        p = skipSpace(p);
        switch (*p) {
            case ']':
                if (frames_.size() != base)
                    fail(messages::XmlBadDtdContent, p);
                return p + 1;
            case '%':
                p = readParameterReference(p);
                break;
            case '<':
                p = readDeclaration(p);
                break;
            case '\0':
                if (frames_.size() == base)
                    fail(messages::XmlBadDoctype, p);
                p = leave();
                break;
            default:
                fail(messages::XmlBadDtdContent, p);
        }
    }
}

// markupdecl := elementdecl | AttlistDecl | EntityDecl | NotationDecl | PI | Comment
const char* XmlReader::readDeclaration(const char* p) {
    if (p[1] == '?')
        return readInstruction(p);
    if (startsWith(p, "<!--"))
        return readComment(p);
    if (startsWith(p, "<!ELEMENT"))
        return readElementDeclaration(p);
    if (startsWith(p, "<!ATTLIST"))
        return readAttributeListDeclaration(p);
    if (startsWith(p, "<!ENTITY"))
        return readEntityDeclaration(p);
    if (startsWith(p, "<!NOTATION"))
        return readNotationDeclaration(p);
    if (startsWith(p, "<!["))
        fail(messages::XmlConditionalSection, p);
    fail(messages::XmlBadDtdContent, p);
}

// PEReference := "%" Name ";" between declarations. An external parameter
// entity is not fetched; what it might declare is unknown, so later entity
// and attribute-list declarations are not used (XML 1.0 section 5.1),
// unless the document is standalone.
const char* XmlReader::readParameterReference(const char* p) {
    const char* nameEnd = readReferenceName(p);
    Entity* entity =
        findEntity(parameter_, std::string_view(p + 1, static_cast<std::size_t>(nameEnd - p - 1)));
    if (!entity)
        fail(messages::XmlUndeclaredEntity, p);
    if (entity->external) {
        skipDeclarations_ = skipDeclarations_ || !standalone_;
        return nameEnd + 1;
    }
    if (entity->open)
        fail(messages::XmlRecursiveEntity, p);
    return enter(p, nameEnd + 1, *entity);
}

// elementdecl := "<!ELEMENT" S Name S contentspec S? ">"
// contentspec := "EMPTY" | "ANY" | Mixed | children
const char* XmlReader::readElementDeclaration(const char* p) {
    p = requireSpace(p + lengthOf("<!ELEMENT"));
    p = requireSpace(declarationName(p, messages::XmlBadElementDecl));
    if (startsWith(p, "EMPTY"))
        p += lengthOf("EMPTY");
    else if (startsWith(p, "ANY"))
        p += lengthOf("ANY");
    else if (*p == '(')
        p = readContentModel(p);
    else
        fail(*p == '%' ? messages::XmlPEInDeclaration : messages::XmlBadElementDecl, p);
    p = skipSpace(p);
    if (*p != '>')
        fail(messages::XmlBadElementDecl, p);
    return p + 1;
}

// children := ( choice | seq ) ( "?" | "*" | "+" )?
// cp       := ( Name | choice | seq ) ( "?" | "*" | "+" )?
// choice   := "(" S? cp ( S? "|" S? cp )+ S? ")"
// seq      := "(" S? cp ( S? "," S? cp )* S? ")"
// Groups nest on a stack, each remembering its separator.
const char* XmlReader::readContentModel(const char* p) {
    p = skipSpace(p + 1);
    if (startsWith(p, "#PCDATA"))
        return readMixedContent(p + lengthOf("#PCDATA"));
    std::vector<char> separators{'\0'};  // per open group; none before its second cp
    for (;;) {
        if (*p == '(') {
            separators.push_back('\0');
            p = skipSpace(p + 1);
            continue;
        }
        p = skipOccurrence(declarationName(p, messages::XmlBadElementDecl));
        for (;;) {
            p = skipSpace(p);
            if (*p == ')') {
                separators.pop_back();
                p = skipOccurrence(p + 1);
                if (separators.empty())
                    return p;
                continue;
            }
            if (*p != ',' && *p != '|')
                fail(*p == '%' ? messages::XmlPEInDeclaration : messages::XmlBadElementDecl, p);
            char& separator = separators.back();
            if (separator != '\0' && separator != *p)
                fail(messages::XmlBadElementDecl, p);
            separator = *p;
            p = skipSpace(p + 1);
            break;
        }
    }
}

// Mixed := "(" S? "#PCDATA" ( S? "|" S? Name )* S? ")*" | "(" S? "#PCDATA" S? ")",
// from after "#PCDATA".
const char* XmlReader::readMixedContent(const char* p) {
    p = skipSpace(p);
    if (*p == ')')
        return p[1] == '*' ? p + 2 : p + 1;
    for (;;) {
        if (*p != '|')
            fail(*p == '%' ? messages::XmlPEInDeclaration : messages::XmlBadElementDecl, p);
        p = skipSpace(declarationName(skipSpace(p + 1), messages::XmlBadElementDecl));
        if (*p == ')') {
            if (p[1] != '*')
                fail(messages::XmlBadElementDecl, p + 1);
            return p + 2;
        }
    }
}

// AttlistDecl := "<!ATTLIST" S Name AttDef* S? ">"
// AttDef      := S Name S AttType S DefaultDecl
// DefaultDecl := "#REQUIRED" | "#IMPLIED" | ( ( "#FIXED" S )? AttValue )
// The first declaration of an attribute counts; a default is normalised
// (its references replaced) where it is declared.
const char* XmlReader::readAttributeListDeclaration(const char* p) {
    p = requireSpace(p + lengthOf("<!ATTLIST"));
    const char* elementStart = p;
    p = declarationName(p, messages::XmlBadAttlistDecl);
    const std::string element(elementStart, p);
    for (;;) {
        const char* before = p;
        p = skipSpace(p);
        if (*p == '>')
            return p + 1;
        if (p == before)
            fail(messages::XmlMissingSpace, p);
        const char* nameStart = p;
        p = declarationName(p, messages::XmlBadAttlistDecl);
        DeclaredAttribute declared;
        declared.name.assign(nameStart, p);
        p = requireSpace(readAttributeType(requireSpace(p), declared.tokenized));
        if (startsWith(p, "#REQUIRED")) {
            p += lengthOf("#REQUIRED");
        } else if (startsWith(p, "#IMPLIED")) {
            p += lengthOf("#IMPLIED");
        } else {
            if (startsWith(p, "#FIXED"))
                p = requireSpace(p + lengthOf("#FIXED"));
            if (*p != '"' && *p != '\'')
                fail(*p == '%' ? messages::XmlPEInDeclaration : messages::XmlBadAttlistDecl, p);
            value_.clear();
            p = normaliseValue(p + 1, *p, skipDeclarations_, p);
            declared.value = value_.view();
            if (declared.tokenized)
                collapseSpaces(declared.value);
            declared.hasDefault = true;
        }
        if (skipDeclarations_)
            continue;
        AttributeList& list = attributeLists_[element];
        if (list.index.find(declared.name))
            continue;
        list.index[declared.name] = list.attributes.size();
        if (declared.hasDefault)
            list.defaults.push_back(list.attributes.size());
        list.tokenized = list.tokenized || declared.tokenized;
        if (list.tokenized || !list.defaults.empty())
            activeTypes_ |= typeBit(hashName(element));
        list.attributes.push_back(std::move(declared));
    }
}

// AttType := "CDATA" | TokenizedType | EnumeratedType
// TokenizedType := "ID" | "IDREF" | "IDREFS" | "ENTITY" | "ENTITIES" | "NMTOKEN" | "NMTOKENS"
// EnumeratedType := "NOTATION" S "(" S? Name ( S? "|" S? Name )* S? ")" | Enumeration
const char* XmlReader::readAttributeType(const char* p, bool& tokenized) {
    tokenized = true;
    if (*p == '(')
        return readEnumeration(p, false);
    const char* end = p;
    while ((*end >= 'A' && *end <= 'Z'))
        ++end;
    const std::string_view word(p, static_cast<std::size_t>(end - p));
    if (word == "CDATA") {
        tokenized = false;
        return end;
    }
    if (word == "NOTATION")
        return readEnumeration(requireSpace(end), true);
    for (const char* type :
         {"ID", "IDREF", "IDREFS", "ENTITY", "ENTITIES", "NMTOKEN", "NMTOKENS"}) {
        if (word == type)
            return end;
    }
    fail(*p == '%' ? messages::XmlPEInDeclaration : messages::XmlBadAttlistDecl, p);
}

// Enumeration := "(" S? Nmtoken ( S? "|" S? Nmtoken )* S? ")", of Names
// for a notation type.
const char* XmlReader::readEnumeration(const char* p, bool names) {
    if (*p != '(')
        fail(messages::XmlBadAttlistDecl, p);
    p = skipSpace(p + 1);
    for (;;) {
        if (*p == '%')
            fail(messages::XmlPEInDeclaration, p);
        p = skipSpace(names ? readName(p, messages::XmlBadAttlistDecl)
                            : readNameToken(p, messages::XmlBadAttlistDecl));
        if (*p == ')')
            return p + 1;
        if (*p != '|')
            fail(messages::XmlBadAttlistDecl, p);
        p = skipSpace(p + 1);
    }
}

// EntityDecl := "<!ENTITY" S Name S EntityDef S? ">" | "<!ENTITY" S "%" S Name S PEDef S? ">"
// EntityDef  := EntityValue | ExternalID NDataDecl?,  PEDef := EntityValue | ExternalID
// NDataDecl  := S "NDATA" S Name
// The first declaration of a name counts; the predefined entities keep their meaning.
const char* XmlReader::readEntityDeclaration(const char* p) {
    p = requireSpace(p + lengthOf("<!ENTITY"));
    const bool parameter = *p == '%';
    if (parameter)
        p = requireSpace(p + 1);
    const char* nameStart = p;
    p = declarationName(p, messages::XmlBadEntityDecl);
    const std::string name(nameStart, p);
    p = requireSpace(p);
    Entity entity;
    if (*p == '"' || *p == '\'') {
        p = readEntityValue(p, entity.text);
    } else {
        p = readExternalId(p, messages::XmlBadEntityDecl, false);
        entity.external = true;
        const char* before = p;
        p = skipSpace(p);
        if (!parameter && startsWith(p, "NDATA")) {
            if (p == before)
                fail(messages::XmlMissingSpace, p);
            p = readName(requireSpace(p + lengthOf("NDATA")), messages::XmlBadEntityDecl);
            entity.unparsed = true;
        }
    }
    p = skipSpace(p);
    if (*p != '>')
        fail(messages::XmlBadEntityDecl, p);
    if (!skipDeclarations_ && (parameter || !predefinedEntity(name)))
        (parameter ? parameter_ : general_).emplace(name, std::move(entity));
    return p + 1;
}

// EntityValue := '"' ( [^%&"] | PEReference | Reference )* '"' | "'" ... "'".
// Character references are replaced now, entity references kept for where
// the entity is used; a parameter-entity reference cannot stand here in the
// internal subset.
const char* XmlReader::readEntityValue(const char* p, std::string& out) {
    const char quote = *p;
    const char* open = p;
    ++p;
    for (;;) {
        const char* start = p;
        while (*p != quote && *p != '%' && *p != '&' && *p != '\0')
            p = (classOf(*p) & Unchecked) != 0 ? checkCharacters(p) : p + 1;
        out.append(start, p);
        if (*p == quote)
            return p + 1;
        if (*p == '\0')
            fail(messages::XmlBadEntityDecl, open);
        if (*p == '%')
            fail(messages::XmlPEInDeclaration, p);
        if (p[1] == '#') {
            uint32_t code = 0;
            const char* after = readCharacterReference(p, code);
            appendCode(code, out, p);
            p = after;
            continue;
        }
        const char* nameEnd = readReferenceName(p);
        out.append(p, nameEnd + 1);
        p = nameEnd + 1;
    }
}

// NotationDecl := "<!NOTATION" S Name S ( ExternalID | PublicID ) S? ">"
const char* XmlReader::readNotationDeclaration(const char* p) {
    p = requireSpace(p + lengthOf("<!NOTATION"));
    p = requireSpace(declarationName(p, messages::XmlBadNotationDecl));
    p = skipSpace(readExternalId(p, messages::XmlBadNotationDecl, true));
    if (*p != '>')
        fail(messages::XmlBadNotationDecl, p);
    return p + 1;
}

}  // namespace

void XMLDocument::readXml(const char* text, std::size_t length, std::string* owned) {
    const std::unique_ptr<XmlText> source = owned ? std::make_unique<XmlText>(std::move(*owned))
                                                  : std::make_unique<XmlText>(text, length);
    store_.beginTree();
    ReadDocument read;
    try {
        read = XmlReader(*source, store_).read();
    } catch (const ReadError& error) {
        const auto offset = static_cast<std::size_t>(error.at - source->begin());
        const Place place = source->placeOf(offset);
        XMLException refused(error.message, static_cast<int64_t>(place.offset));
        const auto most = static_cast<std::size_t>(std::numeric_limits<int32_t>::max());
        refused.setLineColumn(static_cast<int32_t>(std::min(place.line, most)),
                              static_cast<int32_t>(std::min(place.column, most)));
        throw refused;
    }
    resetRoot();
    appendChildIn(&store_, root_, std::move(read.root));
    head_.clear();
    head_.name = HeadElementName;
    for (auto& [name, value] : read.declaration)
        head_.attributes.emplace_back(std::move(name), std::move(value));
    headFromXml_ = true;
    store_.trim();
}

void XMLDocument::parseXml(const char* text, std::size_t length) {
    readXml(text ? text : "", text ? length : 0, nullptr);
}

}  // namespace tarvik::xml
