// Internal: the byte source of the file loaders, read at most up to a bound.
#ifndef TARVIK_XML_BOUNDED_INPUT_H
#define TARVIK_XML_BOUNDED_INPUT_H

#include <cstdint>
#include <streambuf>
#include <vector>

namespace tarvik::xml {

// Hands out the bytes of another stream buffer up to `bound` and no further;
// with `probeBeyond`, overLimit() tells a source that ends there from one that goes on.
class BoundedInput : public std::streambuf {
public:
    // Reads from `source`, which must outlive this buffer.
    BoundedInput(std::streambuf& source, std::uint64_t bound, bool probeBeyond);

    // True once the bound was reached with bytes still to come.
    bool overLimit() const { return overLimit_; }
    // True once reading the source failed.
    bool failed() const { return failed_; }
    // Bytes handed out so far, the offset of the next one.
    std::uint64_t consumed() const;
    // The bound given at construction.
    std::uint64_t bound() const { return bound_; }

protected:
    int_type underflow() override;

private:
    std::streambuf& source_;
    std::uint64_t bound_;
    bool probeBeyond_;
    std::uint64_t delivered_ = 0;  // bytes taken from the source into the buffer
    bool overLimit_ = false;
    bool failed_ = false;
    std::vector<char> buffer_;
};

}  // namespace tarvik::xml

#endif  // TARVIK_XML_BOUNDED_INPUT_H
