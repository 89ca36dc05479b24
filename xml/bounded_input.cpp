#include "xml/bounded_input.h"

#include <algorithm>
#include <exception>
#include <new>

namespace tarvik::xml {

namespace {

// Bytes taken from the source per refill: large enough that a file is read in
// few calls, small enough to cost nothing beside a tree.
constexpr std::size_t RefillSize = std::size_t{1} << 16;

}  // namespace

// Hands out the bytes of another stream buffer up to `bound` and no further.
// With `probeBeyond` set, reaching the bound looks at one more byte of the
// source, so overLimit() tells a source that ends exactly there from one that
// goes on. Read errors of the source (a buffer that throws, as a file buffer
// on a directory does) end the input and show in failed().
BoundedInput::BoundedInput(std::streambuf& source, std::uint64_t bound, bool probeBeyond)
    : source_(source), bound_(bound), probeBeyond_(probeBeyond), buffer_(RefillSize) {}

std::uint64_t BoundedInput::consumed() const {
    return delivered_ - static_cast<std::uint64_t>(egptr() - gptr());
}

// Refill from the source, never past the bound; at the bound, one look at the
// next byte decides overLimit().
BoundedInput::int_type BoundedInput::underflow() {
    if (gptr() < egptr())
        return traits_type::to_int_type(*gptr());
    if (failed_)
        return traits_type::eof();
    try {
        if (delivered_ >= bound_) {
            if (probeBeyond_ && !overLimit_ &&
                !traits_type::eq_int_type(source_.sgetc(), traits_type::eof()))
                overLimit_ = true;
            return traits_type::eof();
        }
        const auto wanted =
            static_cast<std::streamsize>(std::min<std::uint64_t>(RefillSize, bound_ - delivered_));
        const std::streamsize got = source_.sgetn(buffer_.data(), wanted);
        if (got <= 0)
            return traits_type::eof();
        delivered_ += static_cast<std::uint64_t>(got);
        setg(buffer_.data(), buffer_.data(), buffer_.data() + got);
        return traits_type::to_int_type(*gptr());
    } catch (const std::bad_alloc&) {
        throw;  // the loaders report it as running out of memory
    } catch (const std::exception&) {
        failed_ = true;
        return traits_type::eof();
    }
}

}  // namespace tarvik::xml
