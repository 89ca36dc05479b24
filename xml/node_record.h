// Internal: the pieces of a binary node record, shared by the node operations
// (writeBinary, readBinary) and the whole-tree reader.
//
// Every integer is 32 bits little-endian, whatever the host's byte order, and
// goes out in one stream write; every string is its length and then all its
// bytes in one more write.
#ifndef TARVIK_XML_NODE_RECORD_H
#define TARVIK_XML_NODE_RECORD_H

#include <cstddef>
#include <cstdint>
#include <istream>
#include <ostream>
#include <string>
#include <string_view>

#include "xml/document.h"

namespace tarvik::xml {

// Bytes of one integer field.
inline constexpr std::size_t Int32Bytes = 4;

// How far a string's storage may run ahead of the bytes that really arrived, so
// a short stream claiming a 2 GiB string costs this much memory, not 2 GiB.
inline constexpr std::size_t ReadChunkBytes = 64 * 1024;

// Writes `value` as 4 little-endian bytes in one write.
void writeInt32(std::ostream& out, int32_t value);
// Writes a length or count into its signed 32-bit field; one of 2^31 or more
// marks `out` bad instead of writing a record that reads back wrong.
void writeLength(std::ostream& out, std::size_t length);

// Writes a record's body: name, data bracket, text and attributes.
void writeBody(std::ostream& out, const XMLElement& node);

// Reads record fields from a stream, counting the bytes it consumes and keeping
// the first fault it meets (message and offset); never throws on its own.
class RecordReader {
public:
    explicit RecordReader(std::istream& in) : in_(in) {}
    // Moves the stream's buffer past every byte consumed.
    ~RecordReader() { sync(); }

    RecordReader(const RecordReader&) = delete;
    RecordReader& operator=(const RecordReader&) = delete;

    // A 4-byte little-endian integer. When the stream ends first: 0, and a
    // StreamTruncated fault at the integer's offset.
    int32_t readInt32();
    // A length or count: as readInt32, but a negative value gives 0 and an
    // InvalidLength fault. The stream itself is left as it stands.
    int32_t readCount();
    // A length-prefixed string, its storage growing only as bytes arrive; a short
    // stream or a negative length gives what came and a fault (see node_record.cpp).
    std::string readString();
    // The same into `target`, reusing its storage.
    void readString(std::string& target);
    // A whole string field where it stands in the stream's buffer, consumed and valid
    // until the next read; false, consuming nothing, when readString must read it.
    bool takeString(std::string_view& bytes);

    // Records a fault unless an earlier one is already recorded.
    void fault(const char* message, int64_t offset);
    // False once the stream has failed: every later read gives nothing.
    bool streamOk() const { return !in_.fail(); }
    // Bytes consumed so far.
    int64_t offset() const { return offset_; }
    // Throws XMLException(message, offset) for the recorded fault, if any.
    void throwIfFaulted() const;

private:
    // The bytes the stream's buffer holds unread (at most INT_MAX of them);
    // empty when the stream is not good. Looked up in the stream once, then
    // kept until the reader next needs the stream itself.
    std::string_view buffered() {
        if (!windowOpen_)
            openWindow();
        return std::string_view(window_, static_cast<std::size_t>(windowEnd_ - window_));
    }
    // Moves past `count` of the buffered bytes. The buffer itself is moved on
    // later, by sync(): most fields cost no call into the stream at all.
    void consume(std::size_t count) {
        window_ += count;
        unsynced_ += static_cast<int>(count);
        offset_ += static_cast<int64_t>(count);
    }
    // Looks up the unread bytes of the stream's buffer.
    void openWindow();
    // Moves the stream's buffer past the bytes consumed from the window and
    // lets the window go: called before anything else reads the stream or
    // changes its state.
    void sync() noexcept;
    // The next `count` bytes where they stand in the stream's buffer, now
    // consumed; null, consuming nothing, when the buffer does not hold them
    // all or the stream is not good. The bytes stay valid until the next read.
    // Bytes already in the buffer need no wait, so the tied stream is not flushed.
    const char* take(std::size_t count);
    // Up to `length` bytes, fewer when the stream ends first.
    std::string readBytes(std::size_t length);
    // Reads up to `count` bytes into `out` and returns how many came. The
    // stream's state ends as istream::read leaves it (failbit when it was
    // not good, eofbit and failbit on a short read, badbit when the buffer
    // throws, each raising as the stream's exception mask asks), but the
    // bytes come from its buffer in one call, without the cost read pays per
    // call; gcount() is not updated.
    std::streamsize pull(char* out, std::streamsize count);

    std::istream& in_;
    // While windowOpen_: window_ is the next unread byte, windowEnd_ the end
    // of what the buffer holds, and the buffer still stands unsynced_ bytes
    // before window_.
    const char* window_ = nullptr;
    const char* windowEnd_ = nullptr;
    int unsynced_ = 0;
    bool windowOpen_ = false;
    int64_t offset_ = 0;
    const char* faultMessage_ = nullptr;
    int64_t faultOffset_ = -1;
};

// Reads a record's body (name, data bracket, text, attributes) into `node`, up to
// the first short read; attribute links come from `store` (null: the heap).
void readBody(RecordReader& reader, XMLElement& node, detail::NodeStore* store = nullptr);

}  // namespace tarvik::xml

#endif  // TARVIK_XML_NODE_RECORD_H
