// Internal: the one buffer between the library's writers and a file. Bytes
// are collected in a large block and handed on whole; a flush from a writer
// (print ends every line with one) does not reach the destination, so the
// destination sees a few large writes instead of one per line.
#ifndef TARVIK_XML_OUTPUT_BUFFER_H
#define TARVIK_XML_OUTPUT_BUFFER_H

#include <cstddef>
#include <cstring>
#include <ostream>
#include <streambuf>
#include <vector>

namespace tarvik::xml {

// A stream buffer that collects bytes and hands them on through deliver() when
// full and at finish(); stream() writes into the same buffer, keeping the order.
class OutputBuffer : public std::streambuf {
public:
    OutputBuffer();
    ~OutputBuffer() override = default;
    OutputBuffer(const OutputBuffer&) = delete;
    OutputBuffer& operator=(const OutputBuffer&) = delete;

    // A stream over this buffer, for writers that take one.
    std::ostream& stream() { return stream_; }

    // Appends `count` bytes.
    void append(const char* bytes, std::size_t count) {
        if (count <= room())
            take(bytes, count);
        else
            appendLong(bytes, count);
    }
    // Appends one byte.
    void push(char byte) {
        if (room() > 0)
            take(&byte, 1);
        else
            overflow(traits_type::to_int_type(byte));
    }
    // Appends `count` copies of `byte`; nothing when count <= 0.
    void repeat(char byte, std::ptrdiff_t count);

    // Hands every byte still held to deliver(). False when any delivery has
    // failed; bytes after a failure are dropped.
    bool finish();

protected:
    // Passes `count` bytes on to the destination; false when they did not all arrive.
    virtual bool deliver(const char* bytes, std::size_t count) = 0;

    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* bytes, std::streamsize count) override;
    // A flush stays in the buffer; only a failure shows.
    int sync() override { return failed_ ? -1 : 0; }

private:
    std::size_t room() const { return static_cast<std::size_t>(epptr() - pptr()); }
    // Copies bytes that fit into the free part of the buffer.
    void take(const char* bytes, std::size_t count) {
        std::memcpy(pptr(), bytes, count);
        pbump(static_cast<int>(count));
    }
    void appendLong(const char* bytes, std::size_t count);
    // Delivers what the buffer holds and empties it; false once a delivery failed.
    bool drain();

    std::vector<char> buffer_;
    bool failed_ = false;
    std::ostream stream_;
};

}  // namespace tarvik::xml

#endif  // TARVIK_XML_OUTPUT_BUFFER_H
