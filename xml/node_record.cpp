#include "xml/node_record.h"

#include <algorithm>
#include <utility>

#include "xml/messages.h"

namespace tarvik::xml {

namespace {

// Bits in one byte, for assembling integers byte by byte.
constexpr unsigned ByteBits = 8;
// Mask of one byte's bits.
constexpr uint32_t ByteMask = 0xFF;

// Writes the length and then every byte of `text`, zero bytes included.
void writeString(std::ostream& out, const std::string& text) {
    writeInt32(out, static_cast<int32_t>(text.size()));
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
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

void writeBody(std::ostream& out, const XMLElement& node) {
    writeString(out, node.name);
    writeInt32(out, node.dataBracket);
    writeString(out, node.text);
    writeInt32(out, static_cast<int32_t>(node.attributes.size()));
    for (const XMLAttribute& attribute : node.attributes) {
        writeString(out, attribute.name);
        writeString(out, attribute.value);
    }
}

// ---------------------------------------------------------------- RecordReader

int32_t RecordReader::readInt32() {
    const int64_t start = offset_;
    unsigned char bytes[Int32Bytes] = {};
    in_.read(reinterpret_cast<char*>(bytes), static_cast<std::streamsize>(Int32Bytes));
    offset_ += in_.gcount();
    if (in_.gcount() != static_cast<std::streamsize>(Int32Bytes)) {
        fault(messages::StreamTruncated, start);
        return 0;
    }
    uint32_t bits = 0;
    for (std::size_t i = 0; i < Int32Bytes; ++i)
        bits |= static_cast<uint32_t>(bytes[i]) << (ByteBits * i);
    return static_cast<int32_t>(bits);
}

int32_t RecordReader::readCount() {
    const int64_t start = offset_;
    const int32_t count = readInt32();
    if (count >= 0)
        return count;
    fault(messages::InvalidLength, start);
    return 0;
}

std::string RecordReader::readString() {
    const int64_t start = offset_;
    const int32_t length = readInt32();
    if (length < 0) {
        fault(messages::InvalidLength, start);
        in_.setstate(std::ios::failbit);
        return std::string();
    }
    std::string bytes = readBytes(static_cast<std::size_t>(length));
    if (bytes.size() != static_cast<std::size_t>(length))
        fault(messages::StreamTruncated, start);
    return bytes;
}

std::string RecordReader::readBytes(std::size_t length) {
    // Each round asks for at most as much again as has arrived (and at least
    // one chunk), so the storage stays within twice the bytes read plus one
    // chunk, while long strings still need only a logarithmic number of rounds.
    std::string bytes;
    while (bytes.size() < length) {
        const std::size_t have = bytes.size();
        const std::size_t want = std::min(length - have, std::max(have, ReadChunkBytes));
        bytes.resize(have + want);
        in_.read(&bytes[have], static_cast<std::streamsize>(want));
        const auto got = static_cast<std::size_t>(in_.gcount());
        offset_ += in_.gcount();
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

// The body, fields in stream order:
//   name:string  dataBracket:int32  text:string  attributeCount:int32
//   attributeCount x ( name:string value:string )
// A count that reads as negative reads no attributes. An attribute joins the
// node only when it was read whole, and reading stops at the first short read,
// so a count the stream cannot back costs nothing.
void readBody(RecordReader& reader, XMLElement& node) {
    node.name = reader.readString();
    node.dataBracket = reader.readInt32();
    node.text = reader.readString();
    const int32_t count = reader.readCount();
    for (int32_t i = 0; i < count; ++i) {
        std::string attributeName = reader.readString();
        std::string attributeValue = reader.readString();
        if (!reader.streamOk())
            break;
        node.attributes.emplace_back(std::move(attributeName), std::move(attributeValue));
    }
}

}  // namespace tarvik::xml
