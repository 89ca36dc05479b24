// Stream buffers for the benchmarks: an output sink that appends to a string
// reserved once, and an input source over bytes already in memory, so that
// neither side copies or grows while it is timed.
#ifndef BENCH_STREAMS_H
#define BENCH_STREAMS_H

#include <streambuf>
#include <string>

namespace bench {

// Appends everything written to `out`.
class StringSink : public std::streambuf {
public:
    explicit StringSink(std::string& out) : out_(out) {}

protected:
    std::streamsize xsputn(const char* bytes, std::streamsize count) override {
        out_.append(bytes, static_cast<std::size_t>(count));
        return count;
    }
    int_type overflow(int_type c) override {
        if (!traits_type::eq_int_type(c, traits_type::eof()))
            out_.push_back(traits_type::to_char_type(c));
        return traits_type::not_eof(c);
    }

private:
    std::string& out_;
};

// Reads the bytes of `in`, which must outlive it, without copying them.
class MemorySource : public std::streambuf {
public:
    explicit MemorySource(const std::string& in) {
        char* begin = const_cast<char*>(in.data());
        setg(begin, begin, begin + in.size());
    }
};

}  // namespace bench

#endif  // BENCH_STREAMS_H
