// A stream buffer that hands out its bytes and then, instead of reporting
// the end, throws: a device lost, a source out of memory.
#ifndef TESTING_SUPPORT_THROWING_BUFFER_H
#define TESTING_SUPPORT_THROWING_BUFFER_H

#include <sstream>
#include <string>
#include <utility>

namespace testing_support {

template <typename Exception>
class ThrowingBuffer : public std::stringbuf {
public:
    explicit ThrowingBuffer(const std::string& bytes, Exception error = Exception())
        : std::stringbuf(bytes, std::ios::in), error_(std::move(error)) {}

protected:
    int_type underflow() override {
        const int_type next = std::stringbuf::underflow();
        if (traits_type::eq_int_type(next, traits_type::eof()))
            throw error_;
        return next;
    }

private:
    Exception error_;
};

}  // namespace testing_support

#endif  // TESTING_SUPPORT_THROWING_BUFFER_H
