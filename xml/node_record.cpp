#include "xml/node_record.h"

#include <algorithm>
#include <limits>
#include <streambuf>
#include <string_view>
#include <utility>

#include "xml/messages.h"

namespace tarvik::xml {

namespace {

// Bits in one byte, for assembling integers byte by byte.
constexpr unsigned ByteBits = 8;
// Mask of one byte's bits.
constexpr uint32_t ByteMask = 0xFF;
// Strings up to this size are read through a buffer on the stack, which
// spares them the zero fill and the second resize of a growing string.
constexpr std::size_t SmallStringBytes = 256;
// Reads up to this many bytes go byte by byte: a call through the buffer's
// virtual sgetn costs more than that for the integers and short names.
constexpr std::streamsize InlinePullBytes = 16;

// Writes the length and then every byte of `text`, zero bytes included.
void writeString(std::ostream& out, const std::string& text) {
    writeLength(out, text.size());
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

// Up to `count` bytes from `buffer`. A few bytes are taken one at a time,
// which stays inline while the buffer holds them; more go in one sgetn.
std::streamsize pullFrom(std::streambuf& buffer, char* out, std::streamsize count) {
    if (count > InlinePullBytes)
        return buffer.sgetn(out, count);
    for (std::streamsize got = 0; got < count; ++got) {
        const std::streambuf::int_type byte = buffer.sbumpc();
        if (std::streambuf::traits_type::eq_int_type(byte, std::streambuf::traits_type::eof()))
            return got;
        out[got] = std::streambuf::traits_type::to_char_type(byte);
    }
    return count;
}

// The get area of a stream buffer is protected, but a member pointer formed
// through a derived class reaches it on any buffer: what lets a record be
// read where its bytes already stand, with no copy and no virtual call.
struct GetArea : std::streambuf {
    static char* next(std::streambuf& buffer) { return (buffer.*&GetArea::gptr)(); }
    static char* end(std::streambuf& buffer) { return (buffer.*&GetArea::egptr)(); }
    static void skip(std::streambuf& buffer, int count) { (buffer.*&GetArea::gbump)(count); }
};

// Decodes 4 little-endian bytes.
int32_t decodeInt32(const unsigned char* bytes) {
    // Spelled out so that compilers read it as one load on little-endian hosts.
    const uint32_t bits = static_cast<uint32_t>(bytes[0]) |
                          static_cast<uint32_t>(bytes[1]) << ByteBits |
                          static_cast<uint32_t>(bytes[2]) << (2 * ByteBits) |
                          static_cast<uint32_t>(bytes[3]) << (3 * ByteBits);
    return static_cast<int32_t>(bits);
}

}  // namespace

void writeInt32(std::ostream& out, int32_t value) {
    // Built byte by byte rather than copied from memory, so the order is
    // little-endian on every host.
    const auto bits = static_cast<uint32_t>(value);
    char bytes[Int32Bytes];
    for (std::size_t i = 0; i < Int32Bytes; ++i)
        bytes[i] = static_cast<char>((bits >> (ByteBits * i)) & ByteMask);
    out.write(bytes, static_cast<std::streamsize>(Int32Bytes));
}

// Writes a length or count into its signed 32-bit field. One of 2^31 or more
// has no field that reads back: instead of writing a record that reads back
// wrong, it marks `out` bad (so a file being saved keeps its old content).
void writeLength(std::ostream& out, std::size_t length) {
    if (length > static_cast<std::size_t>(std::numeric_limits<int32_t>::max()))
        out.setstate(std::ios::badbit);
    else
        writeInt32(out, static_cast<int32_t>(length));
}

void writeBody(std::ostream& out, const XMLElement& node) {
    writeString(out, node.name);
    writeInt32(out, node.dataBracket);
    writeString(out, node.text);
    writeLength(out, node.attributes.size());
    for (const XMLAttribute& attribute : node.attributes) {
        writeString(out, attribute.name);
        writeString(out, attribute.value);
    }
}

// ---------------------------------------------------------------- RecordReader

// A fault's offset counts from where the reader started. The whole-tree
// reader turns the fault into an exception, while readBinary keeps the
// stream's state as its only report.

std::streamsize RecordReader::pull(char* out, std::streamsize count) {
    sync();
    if (!in_.good()) {
        in_.setstate(std::ios::failbit);
        return 0;
    }
    if (std::ostream* tied = in_.tie())
        tied->flush();
    std::streamsize got = 0;
    try {
        got = pullFrom(*in_.rdbuf(), out, count);
    } catch (...) {
        // As istream::read: mark the stream bad, and let the buffer's own
        // exception through only when the stream asks for exceptions on badbit.
        const bool rethrow = (in_.exceptions() & std::ios::badbit) != 0;
        try {
            in_.setstate(std::ios::badbit);
        } catch (const std::ios::failure&) {
        }
        if (rethrow)
            throw;
        return 0;
    }
    offset_ += got;
    if (got != count)
        in_.setstate(std::ios::eofbit | std::ios::failbit);
    return got;
}

void RecordReader::openWindow() {
    windowOpen_ = true;
    window_ = windowEnd_ = nullptr;
    unsynced_ = 0;
    std::streambuf* buffer = in_.rdbuf();
    if (!in_.good() || !buffer)
        return;
    window_ = GetArea::next(*buffer);
    // The buffer is moved on with gbump, which counts in int.
    const auto held = std::min(static_cast<std::size_t>(GetArea::end(*buffer) - window_),
                               static_cast<std::size_t>(std::numeric_limits<int>::max()));
    windowEnd_ = window_ + held;
}

void RecordReader::sync() noexcept {
    if (unsynced_ > 0)
        GetArea::skip(*in_.rdbuf(), unsynced_);
    unsynced_ = 0;
    windowOpen_ = false;
}

const char* RecordReader::take(std::size_t count) {
    const std::string_view held = buffered();
    if (held.size() < count)
        return nullptr;
    consume(count);
    return held.data();
}

int32_t RecordReader::readInt32() {
    if (const char* bytes = take(Int32Bytes))
        return decodeInt32(reinterpret_cast<const unsigned char*>(bytes));
    const int64_t start = offset_;
    unsigned char bytes[Int32Bytes] = {};
    const std::streamsize got =
        pull(reinterpret_cast<char*>(bytes), static_cast<std::streamsize>(Int32Bytes));
    if (got != static_cast<std::streamsize>(Int32Bytes)) {
        fault(messages::StreamTruncated, start);
        return 0;
    }
    return decodeInt32(bytes);
}

int32_t RecordReader::readCount() {
    const int64_t start = offset_;
    const int32_t count = readInt32();
    if (count >= 0)
        return count;
    fault(messages::InvalidLength, start);
    return 0;
}

// A whole string field where it stands in the stream's buffer, consumed:
// false, consuming nothing, when the buffer does not hold it whole or
// its length is negative (readString then reads or reports it). The
// bytes stay valid until the next read.
bool RecordReader::takeString(std::string_view& bytes) {
    const std::string_view held = buffered();
    if (held.size() < Int32Bytes)
        return false;
    const int32_t length = decodeInt32(reinterpret_cast<const unsigned char*>(held.data()));
    if (length < 0 || static_cast<std::size_t>(length) > held.size() - Int32Bytes)
        return false;  // the careful path reports it, or reads on past the buffer
    // Bytes already in the buffer need no wait, so the tied stream is not flushed.
    consume(Int32Bytes + static_cast<std::size_t>(length));
    bytes = held.substr(Int32Bytes, static_cast<std::size_t>(length));
    return true;
}

void RecordReader::readString(std::string& target) {
    std::string_view bytes;
    if (takeString(bytes))
        target.assign(bytes.data(), bytes.size());
    else
        target = readString();
}

// A length-prefixed string, read in chunks that grow only as bytes arrive.
// A stream that ends early gives the bytes that came and a StreamTruncated
// fault at the length's offset; a negative length gives "", an
// InvalidLength fault and a failed stream, since nothing after it can be
// trusted to be in step.
std::string RecordReader::readString() {
    const int64_t start = offset_;
    const int32_t length = readInt32();
    if (length < 0) {
        fault(messages::InvalidLength, start);
        sync();
        in_.setstate(std::ios::failbit);
        return std::string();
    }
    std::string bytes = readBytes(static_cast<std::size_t>(length));
    if (bytes.size() != static_cast<std::size_t>(length))
        fault(messages::StreamTruncated, start);
    return bytes;
}

std::string RecordReader::readBytes(std::size_t length) {
    // Most names, values and texts are short: read them into a local buffer
    // and build the string once, at its size.
    if (length == 0)
        return std::string();  // nothing to read, and the stream is not touched
    if (const char* bytes = take(length))
        return std::string(bytes, length);
    if (length <= SmallStringBytes) {
        char buffer[SmallStringBytes];
        const std::streamsize got = pull(buffer, static_cast<std::streamsize>(length));
        return std::string(buffer, static_cast<std::size_t>(got));
    }
    // Each round asks for at most as much again as has arrived (and at least
    // one chunk), so the storage stays within twice the bytes read plus one
    // chunk, while long strings still need only a logarithmic number of rounds.
    std::string bytes;
    while (bytes.size() < length) {
        const std::size_t have = bytes.size();
        const std::size_t want = std::min(length - have, std::max(have, ReadChunkBytes));
        bytes.resize(have + want);
        const auto got =
            static_cast<std::size_t>(pull(&bytes[have], static_cast<std::streamsize>(want)));
        bytes.resize(have + got);
        if (got != want)
            break;
    }
    return bytes;
}

void RecordReader::fault(const char* message, int64_t offset) {
    if (faultMessage_)
        return;
    faultMessage_ = message;
    faultOffset_ = offset;
}

void RecordReader::throwIfFaulted() const {
    if (faultMessage_)
        throw XMLException(faultMessage_, faultOffset_);
}

// Reads a record's body (name, data bracket, text, attributes) into `node`:
// replaces name, text and dataBracket and appends the attributes. Reading
// stops at the first short read: a name or text keeps the bytes that arrived,
// an attribute cut short is left out. The attributes' links come from `store`
// (null: the heap).
//
// The body, fields in stream order:
//   name:string  dataBracket:int32  text:string  attributeCount:int32
//   attributeCount x ( name:string value:string )
// A count that reads as negative reads no attributes. An attribute joins the
// node only when it was read whole, and reading stops at the first short read,
// so a count the stream cannot back costs nothing.
void readBody(RecordReader& reader, XMLElement& node, detail::NodeStore* store) {
    reader.readString(node.name);
    node.dataBracket = reader.readInt32();
    reader.readString(node.text);
    const int32_t count = reader.readCount();
    for (int32_t i = 0; i < count; ++i) {
        // Most attributes stand whole in the stream's buffer: built from it in place.
        std::string_view nameBytes;
        std::string_view valueBytes;
        std::string attributeName;
        if (reader.takeString(nameBytes)) {
            if (reader.takeString(valueBytes)) {
                node.attributes.emplaceBackIn(store, nameBytes, valueBytes);
                continue;
            }
            attributeName.assign(nameBytes.data(), nameBytes.size());  // before reading on
        } else {
            attributeName = reader.readString();
        }
        std::string attributeValue = reader.readString();
        if (!reader.streamOk())
            break;
        node.attributes.emplaceBackIn(store, std::move(attributeName), std::move(attributeValue));
    }
}

}  // namespace tarvik::xml
