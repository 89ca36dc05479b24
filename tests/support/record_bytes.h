// Test helper: the bytes of a binary node record, built field by field from
// integers and strings, so an expected record reads like its layout. It also
// remembers where each field starts, so a test knows which field any byte
// of the record belongs to.
#ifndef TESTS_SUPPORT_RECORD_BYTES_H
#define TESTS_SUPPORT_RECORD_BYTES_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

class RecordBytes {
public:
    // A 32-bit integer as 4 little-endian bytes.
    RecordBytes& int32(int32_t value) {
        startField();
        const auto bits = static_cast<uint32_t>(value);
        for (int shift = 0; shift < 32; shift += 8)
            bytes_ += static_cast<char>((bits >> shift) & 0xFFu);
        return *this;
    }
    // A string: its length, then its bytes, as one field.
    RecordBytes& string(const std::string& text) {
        int32(static_cast<int32_t>(text.size()));
        bytes_ += text;
        return *this;
    }
    // A length that claims `claimed` bytes followed by the bytes that really come.
    RecordBytes& claimedString(int32_t claimed, const std::string& actual) {
        int32(claimed);
        bytes_ += actual;
        return *this;
    }
    // The whole record of a node without attributes or children.
    RecordBytes& leaf(int32_t tag, const std::string& name, const std::string& text) {
        return int32(tag).string(name).int32(0).string(text).int32(0).int32(0);
    }
    // Appends another record's fields.
    RecordBytes& append(const RecordBytes& other) {
        for (std::size_t start : other.starts_)
            starts_.push_back(bytes_.size() + start);
        bytes_ += other.bytes_;
        return *this;
    }

    const std::string& bytes() const { return bytes_; }
    std::size_t size() const { return bytes_.size(); }

    // Offset of the field that holds byte `position` (a string's field starts
    // at its length).
    std::size_t fieldStartAt(std::size_t position) const {
        std::size_t start = 0;
        for (std::size_t s : starts_)
            if (s <= position)
                start = s;
        return start;
    }

private:
    void startField() {
        // A string's bytes belong to the field its length opened.
        starts_.push_back(bytes_.size());
    }

    std::string bytes_;
    std::vector<std::size_t> starts_;
};

}  // namespace testing_support

#endif  // TESTS_SUPPORT_RECORD_BYTES_H
