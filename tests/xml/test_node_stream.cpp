// The whole-tree reader: well-formed records come back field for field, and
// every hostile stream ends in a clean XMLException naming the field at fault.
#include <gtest/gtest.h>

#include <cstdint>
#include <ios>
#include <memory>
#include <random>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "support/allocation_probe.h"
#include "support/record_bytes.h"
#include "support/throwing_buffer.h"
#include "support/trees.h"
#include "xml/document.h"
#include "xml/messages.h"
#include "xml/node_record.h"
#include "xml/node_stream.h"

namespace messages = tarvik::xml::messages;
using tarvik::xml::readTree;
using tarvik::xml::XMLAttribute;
using tarvik::xml::XMLCData;
using tarvik::xml::XMLElement;
using tarvik::xml::XMLException;
using testing_support::AllocationProbe;
using testing_support::chainDepth;
using testing_support::deepChain;
using testing_support::RecordBytes;
using testing_support::sameTree;
using testing_support::written;

namespace {

using NodePtr = testing_support::NodePtr;

// Far more than any record in these tests needs at once, far less than the
// gigabytes the hostile streams claim.
constexpr std::size_t AllocationCeiling = 1u << 20;

NodePtr readBytes(const std::string& bytes) {
    std::istringstream in(bytes, std::ios::binary);
    return readTree(in);
}

// The XMLException that reading `bytes` throws, or a failure when none comes.
testing::AssertionResult throwsAt(const std::string& bytes, const char* message, int64_t offset) {
    try {
        readBytes(bytes);
    } catch (const XMLException& error) {
        if (std::string(error.what()) != message)
            return testing::AssertionFailure() << "wrong message at " << error.offset();
        if (error.offset() != offset)
            return testing::AssertionFailure()
                   << "offset " << error.offset() << ", want " << offset;
        return testing::AssertionSuccess();
    }
    return testing::AssertionFailure() << "no XMLException";
}

// An element record up to its attribute count: tag 1, name "a", data bracket
// 0 and an empty text.
RecordBytes upToAttributes() {
    return RecordBytes().int32(1).string("a").int32(0).string("");
}
// Where the attribute count of upToAttributes() goes.
constexpr int64_t AttributeCountAt = 17;

// The head of an element record: upToAttributes(), no attributes, `children` children.
RecordBytes elementHead(int32_t children) {
    return upToAttributes().int32(0).int32(children);
}

// a(k="v") > [ b > CDATA "x", c ]: every field kind, nesting and both tags.
RecordBytes sampleRecord() {
    return RecordBytes()
        .int32(1)
        .string("a")
        .int32('|')
        .string("t")
        .int32(1)
        .string("k")
        .string("v")
        .int32(2)
        .append(elementHead(1))
        .leaf(2, "", "x")
        .leaf(1, "c", "");
}

// ---------------------------------------------------------------- good input

TEST(ReadTree, ReadsTheSampleRecord) {
    const NodePtr tree = readBytes(sampleRecord().bytes());
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ(tree->parent, nullptr);
    EXPECT_EQ(tree->name, "a");
    EXPECT_EQ(tree->dataBracket, '|');
    EXPECT_STREQ(tree->findAttribute("k"), "v");
    ASSERT_EQ(tree->children.size(), 2u);
    const XMLElement& first = *tree->children.front();
    ASSERT_EQ(first.children.size(), 1u);
    EXPECT_NE(dynamic_cast<const XMLCData*>(first.children.front().get()), nullptr);
    EXPECT_EQ(first.children.front()->text, "x");
    const XMLElement& last = *tree->children.back();  // clang warns on typeid of a call
    EXPECT_EQ(typeid(last), typeid(XMLElement));
    EXPECT_EQ(written(*tree), sampleRecord().bytes());
}

TEST(ReadTree, StopsRightAfterItsRecord) {
    const std::string one = RecordBytes().leaf(1, "a", "").bytes();
    const std::string two = RecordBytes().leaf(2, "", "x").bytes();
    std::istringstream in(one + two, std::ios::binary);
    EXPECT_EQ(readTree(in)->name, "a");
    EXPECT_EQ(in.tellg(), static_cast<std::streamoff>(one.size()));
    EXPECT_EQ(readTree(in)->text, "x");
    EXPECT_EQ(in.peek(), std::istringstream::traits_type::eof());
}

TEST(ReadTree, OffsetsCountFromWhereTheStreamStood) {
    constexpr std::size_t Cut = 10;  // inside the data bracket, which starts at byte 9
    const RecordBytes record = sampleRecord();
    std::istringstream in("junk" + record.bytes().substr(0, Cut), std::ios::binary);
    in.ignore(4);
    try {
        readTree(in);
        FAIL() << "no XMLException";
    } catch (const XMLException& error) {
        EXPECT_EQ(error.offset(), static_cast<int64_t>(record.fieldStartAt(Cut)));
        EXPECT_EQ(error.offset(), 9);
        EXPECT_STREQ(error.what(), messages::StreamTruncated);
    }
}

// Bytes that exercise everything the text and record forms treat specially.
std::string randomBytes(std::mt19937& rng, int maxLength) {
    static const std::string special("\0\"'<>&=[]|\n\r\t\x1A\x80\xA1\xD6\xFE\xFF", 20);
    std::uniform_int_distribution<int> length(0, maxLength);
    std::uniform_int_distribution<int> anyByte(0, 255);
    std::uniform_int_distribution<std::size_t> pick(0, special.size() - 1);
    std::string bytes(static_cast<std::size_t>(length(rng)), '\0');
    for (char& c : bytes)
        c = (rng() % 2) ? special[pick(rng)] : static_cast<char>(anyByte(rng));
    return bytes;
}

int32_t randomBracket(std::mt19937& rng) {
    const int32_t brackets[] = {0,  0,   0,         '|',       '!',
                                -1, -95, INT32_MIN, INT32_MAX, static_cast<int32_t>(rng())};
    return brackets[rng() % (sizeof brackets / sizeof brackets[0])];
}

NodePtr randomNode(std::mt19937& rng) {
    NodePtr node =
        (rng() % 4 == 0) ? NodePtr(std::make_unique<XMLCData>()) : std::make_unique<XMLElement>();
    node->name = randomBytes(rng, 8);
    node->text = randomBytes(rng, 24);
    node->dataBracket = randomBracket(rng);
    for (unsigned i = rng() % 4; i > 0; --i)
        node->appendAttribute(XMLAttribute(randomBytes(rng, 6), randomBytes(rng, 12)));
    return node;
}

NodePtr randomTree(std::mt19937& rng, int nodeCount) {
    NodePtr top = randomNode(rng);
    std::vector<XMLElement*> nodes{top.get()};
    for (int i = 1; i < nodeCount; ++i)
        nodes.push_back(nodes[rng() % nodes.size()]->appendChild(randomNode(rng)));
    return top;
}

TEST(ReadTree, RandomTreesComeBackFieldForField) {
    constexpr int Trees = 300;
    constexpr int MaxNodes = 40;
    std::mt19937 rng(20240611);
    for (int i = 0; i < Trees; ++i) {
        SCOPED_TRACE("tree " + std::to_string(i));
        const NodePtr tree = randomTree(rng, 1 + static_cast<int>(rng() % MaxNodes));
        const std::string bytes = written(*tree);
        std::istringstream in(bytes, std::ios::binary);
        const NodePtr copy = readTree(in);
        ASSERT_NE(copy, nullptr);
        EXPECT_TRUE(sameTree(*tree, *copy));
        EXPECT_EQ(copy->parent, nullptr);
        EXPECT_EQ(in.peek(), std::istringstream::traits_type::eof());
        EXPECT_EQ(written(*copy), bytes);
    }
}

TEST(ReadTree, DeepChainRoundTripsWithoutRecursion) {
    constexpr int Depth = 1000000;
    const NodePtr chain = deepChain(Depth);
    const std::string bytes = written(*chain);
    const NodePtr copy = readBytes(bytes);
    EXPECT_EQ(chainDepth(*copy), Depth);
    EXPECT_TRUE(sameTree(*chain, *copy));
    EXPECT_EQ(written(*copy), bytes);
}

// ------------------------------------------------------------- hostile input

TEST(ReadTree, EveryTruncationNamesTheFieldItCuts) {
    const RecordBytes record = sampleRecord();
    for (std::size_t cut = 0; cut < record.size(); ++cut) {
        SCOPED_TRACE("cut at " + std::to_string(cut));
        EXPECT_TRUE(throwsAt(record.bytes().substr(0, cut), messages::StreamTruncated,
                             static_cast<int64_t>(record.fieldStartAt(cut))));
    }
    EXPECT_NE(readBytes(record.bytes()), nullptr);
}

struct HostileCase {
    const char* what;
    std::string bytes;
    const char* message;
    int64_t offset;
};

// Each row's offset is where its bad field begins.
std::vector<HostileCase> hostileCases() {
    const std::string twenty(20, 'x');
    const RecordBytes withOneChild = elementHead(1).leaf(1, "b", "");
    return {
        {"tag 0", RecordBytes().leaf(0, "a", "").bytes(), messages::UnknownNodeType, 0},
        {"tag 3", RecordBytes().leaf(3, "a", "").bytes(), messages::UnknownNodeType, 0},
        {"tag -1", RecordBytes().leaf(-1, "a", "").bytes(), messages::UnknownNodeType, 0},
        {"tag 1 written big-endian", RecordBytes().leaf(0x01000000, "a", "").bytes(),
         messages::UnknownNodeType, 0},
        {"unknown tag in a child", elementHead(1).leaf(9, "b", "").bytes(),
         messages::UnknownNodeType, static_cast<int64_t>(elementHead(1).size())},
        {"negative name length", RecordBytes().int32(1).int32(-1).bytes(), messages::InvalidLength,
         4},
        {"negative text length",
         RecordBytes().int32(1).string("a").int32(0).int32(INT32_MIN).bytes(),
         messages::InvalidLength, 13},
        {"negative attribute count", upToAttributes().int32(-1).int32(0).bytes(),
         messages::InvalidLength, AttributeCountAt},
        {"negative attribute name length", upToAttributes().int32(1).int32(-2).bytes(),
         messages::InvalidLength, AttributeCountAt + 4},
        {"negative attribute value length", upToAttributes().int32(1).string("k").int32(-1).bytes(),
         messages::InvalidLength, AttributeCountAt + 9},
        {"negative child count", elementHead(-1).bytes(), messages::InvalidLength,
         AttributeCountAt + 4},
        {"negative child count in a child", elementHead(1).append(elementHead(-7)).bytes(),
         messages::InvalidLength, 25 + AttributeCountAt + 4},
        {"name claims 2 GiB, 20 bytes come",
         RecordBytes().int32(1).claimedString(0x7FFFFFFF, twenty.substr(4)).bytes(),
         messages::StreamTruncated, 4},
        {"text claims 2 GiB",
         RecordBytes().int32(1).string("a").int32(0).claimedString(0x7FFFFFFF, twenty).bytes(),
         messages::StreamTruncated, 13},
        {"attribute name claims 2 GiB",
         upToAttributes().int32(1).claimedString(0x7FFFFFFF, twenty).bytes(),
         messages::StreamTruncated, AttributeCountAt + 4},
        {"attribute value claims 2 GiB",
         upToAttributes().int32(1).string("k").claimedString(0x7FFFFFFF, twenty).bytes(),
         messages::StreamTruncated, AttributeCountAt + 9},
        {"attribute count claims 2^31-1, one comes",
         upToAttributes().int32(0x7FFFFFFF).string("k").string("v").bytes(),
         messages::StreamTruncated, AttributeCountAt + 14},
        {"child count claims 2^31-1, one comes", elementHead(0x7FFFFFFF).leaf(1, "b", "").bytes(),
         messages::StreamTruncated, static_cast<int64_t>(withOneChild.size())},
        {"child count claims two, one comes", elementHead(2).leaf(1, "b", "").bytes(),
         messages::StreamTruncated, static_cast<int64_t>(withOneChild.size())},
    };
}

TEST(ReadTree, HostileStreamsEndInACleanException) {
    for (const HostileCase& c : hostileCases()) {
        SCOPED_TRACE(c.what);
        AllocationProbe probe;
        EXPECT_TRUE(throwsAt(c.bytes, c.message, c.offset));
        EXPECT_LT(probe.largest(), AllocationCeiling);
    }
}

TEST(ReadTree, DeepHostileNestingEndsInACleanException) {
    // A million records, each promising one child, and then the stream ends.
    constexpr int Depth = 1000000;
    const std::string level = RecordBytes().leaf(1, "", "").bytes();
    std::string bytes;
    bytes.reserve(level.size() * Depth);
    for (int i = 0; i < Depth; ++i)
        bytes += level.substr(0, level.size() - 4) + std::string("\x01\0\0\0", 4);
    EXPECT_TRUE(throwsAt(bytes, messages::StreamTruncated, static_cast<int64_t>(bytes.size())));
}

// A buffer that loses its device after the bytes it was given.
using ThrowingBuffer = testing_support::ThrowingBuffer<std::runtime_error>;
const std::runtime_error DeviceLost("device lost");

// As with istream::read: a buffer that throws leaves the stream bad and
// nothing escapes, unless the stream asks for exceptions on badbit.
TEST(ReadTree, AThrowingBufferMakesTheStreamBad) {
    const std::string bytes = sampleRecord().bytes();
    ThrowingBuffer quiet(bytes.substr(0, 30), DeviceLost);
    std::istream in(&quiet);
    try {
        readTree(in);
        ADD_FAILURE() << "no XMLException";
    } catch (const XMLException& error) {
        EXPECT_STREQ(error.what(), messages::StreamTruncated);
    }
    EXPECT_TRUE(in.bad());

    ThrowingBuffer loud(bytes.substr(0, 30), DeviceLost);
    std::istream raising(&loud);
    raising.exceptions(std::ios::badbit);
    EXPECT_THROW(readTree(raising), std::runtime_error);
    EXPECT_TRUE(raising.bad());
}

// A record read to its end leaves the stream good; one more read fails it.
TEST(ReadTree, LeavesTheStreamGoodAfterACompleteRecord) {
    std::istringstream in(sampleRecord().bytes(), std::ios::binary);
    readTree(in);
    EXPECT_TRUE(in.good());
    EXPECT_THROW(readTree(in), XMLException);
    EXPECT_TRUE(in.eof() && in.fail());
}

// A length of 2^31 or more has no field: the writer fails the stream rather
// than write one that reads back as another length.
TEST(WriteBinary, ALengthWithoutAFieldFailsTheStream) {
    constexpr std::size_t Largest = 0x7FFFFFFF;
    std::ostringstream fits;
    tarvik::xml::writeLength(fits, Largest);
    EXPECT_TRUE(fits.good());
    EXPECT_EQ(fits.str(), std::string("\xFF\xFF\xFF\x7F"));
    std::ostringstream over;
    tarvik::xml::writeLength(over, Largest + 1);
    EXPECT_TRUE(over.bad());
    EXPECT_TRUE(over.str().empty());
}

TEST(ReadTree, AStreamThatRaisesPassesItsExceptionOn) {
    std::istringstream in(sampleRecord().bytes().substr(0, 30), std::ios::binary);
    in.exceptions(std::ios::failbit | std::ios::badbit);
    EXPECT_THROW(readTree(in), std::ios_base::failure);
}

}  // namespace
