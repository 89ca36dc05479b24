#include "xml/output_buffer.h"

#include <algorithm>

namespace tarvik::xml {

namespace {

// Bytes collected before each delivery: large enough that a file takes few
// writes per megabyte (16 at this size), small enough to stay in the cache.
constexpr std::size_t BufferSize = std::size_t{1} << 16;

}  // namespace

// A stream buffer that collects bytes and hands them on through deliver()
// when it is full and at finish(). Writers in the library append to it
// directly; writers that take a stream (a node class's own print) use
// stream(), which writes into the same buffer, so the bytes stay in order.
OutputBuffer::OutputBuffer() : buffer_(BufferSize), stream_(this) {
    setp(buffer_.data(), buffer_.data() + buffer_.size());
}

void OutputBuffer::repeat(char byte, std::ptrdiff_t count) {
    while (count > 0) {
        if (room() == 0)
            drain();
        const std::size_t run = std::min(room(), static_cast<std::size_t>(count));
        std::memset(pptr(), byte, run);
        pbump(static_cast<int>(run));
        count -= static_cast<std::ptrdiff_t>(run);
    }
}

bool OutputBuffer::finish() {
    return drain();
}

OutputBuffer::int_type OutputBuffer::overflow(int_type c) {
    if (!drain())
        return traits_type::eof();
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
        *pptr() = traits_type::to_char_type(c);
        pbump(1);
    }
    return traits_type::not_eof(c);
}

std::streamsize OutputBuffer::xsputn(const char* bytes, std::streamsize count) {
    if (count > 0)
        append(bytes, static_cast<std::size_t>(count));
    return failed_ ? 0 : count;
}

// Fills the buffer and delivers it; what is still as large as the whole
// buffer goes on directly, without a copy, and the rest waits in the buffer.
void OutputBuffer::appendLong(const char* bytes, std::size_t count) {
    const std::size_t first = room();
    take(bytes, first);
    bytes += first;
    count -= first;
    drain();
    if (count >= buffer_.size()) {
        if (!failed_ && !deliver(bytes, count))
            failed_ = true;
        return;
    }
    take(bytes, count);
}

bool OutputBuffer::drain() {
    const std::size_t pending = static_cast<std::size_t>(pptr() - pbase());
    if (pending > 0 && !failed_ && !deliver(pbase(), pending))
        failed_ = true;
    setp(buffer_.data(), buffer_.data() + buffer_.size());
    return !failed_;
}

}  // namespace tarvik::xml
