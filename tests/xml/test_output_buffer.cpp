// The buffer between the savers and a file: what reaches the destination,
// in how many pieces, and what a failed delivery does.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "xml/output_buffer.h"

using tarvik::xml::OutputBuffer;

namespace {

// Records every delivery; refuses them all from the `failFrom`-th on (0-based).
class RecordingBuffer : public OutputBuffer {
public:
    explicit RecordingBuffer(std::size_t failFrom = SIZE_MAX) : failFrom_(failFrom) {}

    std::string delivered;
    std::vector<std::size_t> pieces;  // the size of each delivery

protected:
    bool deliver(const char* bytes, std::size_t count) override {
        if (pieces.size() >= failFrom_)
            return false;
        pieces.push_back(count);
        delivered.append(bytes, count);
        return true;
    }

private:
    std::size_t failFrom_;
};

// What one case writes, through the buffer itself or its stream.
struct Writing {
    const char* what;
    std::function<std::string(OutputBuffer&)> write;  // returns the bytes it wrote
};

// Lines with a flush after each, as print writes them.
std::string flushedLines(OutputBuffer& buffer, int count) {
    std::string written;
    for (int i = 0; i < count; ++i) {
        const std::string line = "<item>" + std::to_string(i) + "</item>\n";
        buffer.stream() << line << std::flush;
        written += line;
    }
    return written;
}

const Writing Writings[] = {
    {"flushed lines", [](OutputBuffer& b) { return flushedLines(b, 30000); }},
    {"appends, pushes and tab runs mixed",
     [](OutputBuffer& b) {
         std::string written;
         for (int i = 0; i < 20000; ++i) {
             b.append("<a>", 3);
             b.push('x');
             b.repeat('\t', i % 40);
             written += "<a>x" + std::string(static_cast<std::size_t>(i % 40), '\t');
         }
         return written;
     }},
    {"one write larger than the buffer",
     [](OutputBuffer& b) {
         const std::string big(300000, 'b');
         b.push('<');
         b.stream().write(big.data(), static_cast<std::streamsize>(big.size()));
         return "<" + big;
     }},
};

TEST(OutputBuffer, DeliversEverythingInOrderInLargePieces) {
    // No piece but the last is smaller than this; a flush delivers nothing.
    constexpr std::size_t LargePiece = std::size_t{1} << 15;
    for (const Writing& w : Writings) {
        SCOPED_TRACE(w.what);
        RecordingBuffer buffer;
        const std::string written = w.write(buffer);
        EXPECT_TRUE(buffer.finish());
        EXPECT_EQ(buffer.delivered, written);
        ASSERT_FALSE(buffer.pieces.empty());
        for (std::size_t i = 0; i + 1 < buffer.pieces.size(); ++i)
            EXPECT_GE(buffer.pieces[i], LargePiece) << "piece " << i;
        EXPECT_LE(buffer.pieces.size(), written.size() / LargePiece + 1);
    }
}

// A destination that fails once fails for good: later bytes are dropped, the
// stream goes bad, and finish() says so.
TEST(OutputBuffer, AFailedDeliveryIsKept) {
    RecordingBuffer buffer(1);
    flushedLines(buffer, 30000);
    EXPECT_FALSE(buffer.finish());
    EXPECT_EQ(buffer.pieces.size(), 1u);
    EXPECT_FALSE(buffer.stream().good());
}

}  // namespace
