// The node operations print, writeTypeTag, writeBinary and readBinary: the
// exact text and record of each node shape, and how they treat odd streams.
#include <gtest/gtest.h>

#include <ios>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "support/allocation_probe.h"
#include "support/record_bytes.h"
#include "support/trees.h"
#include "xml/document.h"
#include "xml/node_stream.h"

using tarvik::xml::nameHash;
using tarvik::xml::XMLAttribute;
using tarvik::xml::XMLCData;
using tarvik::xml::XMLElement;
using testing_support::AllocationProbe;
using testing_support::chainDepth;
using testing_support::deepChain;
using testing_support::RecordBytes;
using testing_support::written;

namespace {

using NodePtr = testing_support::NodePtr;

// An element with a name, a text and children, in order.
template <typename... Children>
NodePtr element(std::string name, std::string text, Children... children) {
    auto node = std::make_unique<XMLElement>(std::move(name));
    node->text = std::move(text);
    (node->appendChild(std::move(children)), ...);
    return node;
}

NodePtr cdata(std::string content) {
    return std::make_unique<XMLCData>(std::move(content));
}

NodePtr withBracket(NodePtr node, int32_t bracket) {
    node->dataBracket = bracket;
    return node;
}

NodePtr withAttribute(NodePtr node, std::string name, std::string value) {
    node->appendAttribute(XMLAttribute(std::move(name), std::move(value)));
    return node;
}

std::string printed(const XMLElement& node, int32_t depth) {
    std::ostringstream out;
    node.print(out, depth);
    return out.str();
}

// An output buffer that records the size of every block write and where in
// the output each flush happened.
class RecordingBuffer : public std::stringbuf {
public:
    std::vector<std::streamsize> writes;
    std::vector<std::size_t> flushedAt;

protected:
    std::streamsize xsputn(const char* bytes, std::streamsize count) override {
        writes.push_back(count);
        return std::stringbuf::xsputn(bytes, count);
    }
    int sync() override {
        flushedAt.push_back(str().size());
        return std::stringbuf::sync();
    }
};

// An output buffer that takes nothing, so every write fails the stream.
class RefusingBuffer : public std::streambuf {
protected:
    std::streamsize xsputn(const char*, std::streamsize) override { return 0; }
    int_type overflow(int_type) override { return traits_type::eof(); }
};

// A class derived outside the library, with its own output and call counts.
class ForeignElement : public XMLElement {
public:
    mutable int printCalls = 0;
    mutable int writeCalls = 0;
    std::ostream& print(std::ostream& out, int32_t depth) const override {
        ++printCalls;
        return out << "{foreign " << depth << "}";
    }
    void writeBinary(std::ostream& out) const override {
        ++writeCalls;
        out.write("FOREIGN", 7);
    }
};

// A class derived outside the library that only brings its own type tag.
class TaggedElement : public XMLElement {
public:
    static constexpr int32_t Tag = 7;
    std::ostream& writeTypeTag(std::ostream& out) const override {
        const char bytes[4] = {Tag, 0, 0, 0};
        return out.write(bytes, 4);
    }
};

// ---------------------------------------------------------------- text form

struct PrintCase {
    const char* what;
    NodePtr (*build)();
    int32_t depth;
    std::string expected;
};

TEST(Print, WritesTheTextFormOfEachShape) {
    const PrintCase cases[] = {
        {"childless element: no line break at all", [] { return element("a", ""); }, 0, "<a></a>"},
        {"two children at depth 0: one tab each",
         [] { return element("a", "", element("b", ""), element("c", "")); }, 0,
         "<a>\n\t<b></b>\n\t<c></c>\n</a>"},
        {"two children at depth 2: three tabs each, two before the closing tag",
         [] { return element("a", "", element("b", ""), element("c", "")); }, 2,
         "<a>\n\t\t\t<b></b>\n\t\t\t<c></c>\n\t\t</a>"},
        {"text: no line break after the opening part, no tabs",
         [] { return element("a", "hi", element("b", ""), element("c", "")); }, 0,
         "<a>hi<b></b>\n<c></c>\n</a>"},
        {"text at depth 1: one tab, before the closing tag only",
         [] { return element("a", "hi", element("b", ""), element("c", "")); }, 1,
         "<a>hi<b></b>\n<c></c>\n\t</a>"},
        {"depth -1: no tabs, children printed at depth 0",
         [] { return element("a", "", element("b", "", element("c", ""))); }, -1,
         "<a>\n<b>\n\t<c></c>\n</b>\n</a>"},
        {"three levels at depth 0",
         [] { return element("a", "", element("b", "", element("c", ""))); }, 0,
         "<a>\n\t<b>\n\t\t<c></c>\n\t</b>\n</a>"},
        {"data bracket around unescaped text", [] { return withBracket(element("a", "x<y"), '|'); },
         0, "<a>[[data|x<y|data]]</a>"},
        {"data bracket with empty text and a child: the pair, then the child line",
         [] { return withBracket(element("a", "", element("b", "")), '|'); }, 0,
         "<a>[[data||data]]\n\t<b></b>\n</a>"},
        {"data bracket character is the low byte",
         [] { return withBracket(element("a", "t"), 0x100 + '!'); }, 0, "<a>[[data!t!data]]</a>"},
        {"negative data bracket: its low byte, a GB2312 lead byte",
         [] { return withBracket(element("a", ""), -95); }, 0,
         "<a>[[data\xA1\xA1"
         "data]]</a>"},
        {"attributes in order, a double quote in a value unchanged",
         [] { return withAttribute(withAttribute(element("a", ""), "k", "say \"hi\""), "m", ""); },
         0, "<a k=\"say \"hi\"\" m=\"\"></a>"},
        {"nothing is escaped", [] { return element("a", "<&>\"'"); }, 0, "<a><&>\"'</a>"},
        {"strings end at their first zero byte",
         [] {
             return withAttribute(element(std::string("a\0b", 3), std::string("t\0u", 3)),
                                  std::string("k\0x", 3), std::string("v\0y", 3));
         },
         0, "<a k=\"v\">t</a>"},
        {"GB2312 bytes pass through",
         [] { return withAttribute(element("\xD6\xD0", "\xCE\xC4"), "\xC3\xFB", "\xD6\xB5"); }, 0,
         "<\xD6\xD0 \xC3\xFB=\"\xD6\xB5\">\xCE\xC4</\xD6\xD0>"},
        {"CDATA child of an empty-text element: two tabs, then an empty line",
         [] { return element("a", "", cdata("x")); }, 0, "<a>\n\t\t<![CDATA[x]]>\n\n</a>"},
        {"CDATA child of an element with text: its own tab only",
         [] { return element("a", "t", cdata("x")); }, 0, "<a>t\t<![CDATA[x]]>\n\n</a>"},
        {"CDATA alone at depth 0", [] { return cdata("x"); }, 0, "<![CDATA[x]]>\n"},
        {"CDATA alone at depth 2", [] { return cdata("x"); }, 2, "\t\t<![CDATA[x]]>\n"},
        {"CDATA alone at a negative depth", [] { return cdata("x"); }, -3, "<![CDATA[x]]>\n"},
        {"CDATA keeps ]]> and ends at a zero byte",
         [] { return cdata(std::string("a]]>b\0c", 7)); }, 0, "<![CDATA[a]]>b]]>\n"},
        {"CDATA prints neither name, attributes, bracket nor children",
         [] {
             NodePtr node = withBracket(withAttribute(cdata("x"), "k", "v"), '|');
             node->name = "n";
             node->appendChild(element("hidden", ""));
             return node;
         },
         0, "<![CDATA[x]]>\n"},
    };
    for (const PrintCase& c : cases) {
        SCOPED_TRACE(c.what);
        const NodePtr node = c.build();
        EXPECT_EQ(printed(*node, c.depth), c.expected);
    }
}

TEST(Print, ReturnsTheStreamAndChangesNothing) {
    const NodePtr node = element("a", "t", element("b", ""));
    const std::string before = written(*node);
    std::ostringstream out;
    EXPECT_EQ(&node->print(out, 0), &out);
    EXPECT_EQ(&static_cast<const XMLElement&>(XMLCData("x")).print(out, 0), &out);
    EXPECT_EQ(written(*node), before);
}

TEST(Print, FlushesAfterEveryLineBreakOnly) {
    const NodePtr node = element("a", "", cdata("x"), element("b", "t", element("c", "")));
    RecordingBuffer buffer;
    std::ostream out(&buffer);
    node->print(out, 0);
    const std::string text = buffer.str();
    std::vector<std::size_t> lineEnds;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (text[i] == '\n')
            lineEnds.push_back(i + 1);
    ASSERT_FALSE(lineEnds.empty());
    EXPECT_EQ(buffer.flushedAt, lineEnds);
}

TEST(Print, DeepChainWithoutRecursion) {
    constexpr int Depth = 1000000;
    const NodePtr chain = deepChain(Depth);
    // Far below zero every level stays at a negative depth, so no tabs are
    // written and the output stays a few megabytes.
    const std::string text = printed(*chain, -2 * Depth);
    EXPECT_EQ(text.find('\t'), std::string::npos);
    std::size_t opened = 0;
    for (std::size_t at = text.find("<n>"); at != std::string::npos; at = text.find("<n>", at + 1))
        ++opened;
    EXPECT_EQ(opened, static_cast<std::size_t>(Depth));
    EXPECT_EQ(text.rfind("<top>\n<n>\n<n>\n", 0), 0u);
    const std::string ending = "</n>\n</n>\n</top>";
    ASSERT_GE(text.size(), ending.size());
    EXPECT_EQ(text.substr(text.size() - ending.size()), ending);
}

TEST(Print, ForeignChildrenPrintThemselves) {
    auto inner = std::make_unique<ForeignElement>();
    auto outer = std::make_unique<ForeignElement>();
    const ForeignElement& innerRef = *inner;
    const NodePtr tree = element("a", "", element("b", "", std::move(inner)), std::move(outer));
    EXPECT_EQ(printed(*tree, 0), "<a>\n\t<b>\n\t\t{foreign 2}\n\t</b>\n\t{foreign 1}\n</a>");
    EXPECT_EQ(innerRef.printCalls, 1);
}

// ------------------------------------------------------------------- records

TEST(WriteTypeTag, WritesOneLittleEndianInteger) {
    std::ostringstream out(std::ios::binary);
    EXPECT_EQ(&XMLElement().writeTypeTag(out), &out);
    EXPECT_EQ(&XMLCData().writeTypeTag(out), &out);
    EXPECT_EQ(out.str(), std::string("\x01\0\0\0\x02\0\0\0", 8));
    EXPECT_EQ(tarvik::xml::ElementTypeTag, 1);
    EXPECT_EQ(tarvik::xml::CDataTypeTag, 2);
}

TEST(WriteBinary, ElementAloneIs25Bytes) {
    const std::string expected(
        "\x01\0\0\0"  // tag
        "\x01\0\0\0"  // nameLength
        "a"
        "\0\0\0\0"   // dataBracket
        "\0\0\0\0"   // textLength
        "\0\0\0\0"   // attributeCount
        "\0\0\0\0",  // childCount
        25);
    EXPECT_EQ(written(*element("a", "")), expected);
}

TEST(WriteBinary, IntegersAreLittleEndianOnEveryHost) {
    const std::string bytes = written(*withBracket(element("", ""), 0x04030201));
    ASSERT_EQ(bytes.size(), 24u);
    EXPECT_EQ(bytes.substr(8, 4), "\x01\x02\x03\x04");
}

struct RecordCase {
    const char* what;
    NodePtr (*build)();
    RecordBytes expected;
};

TEST(WriteBinary, WritesTheRecordOfEachShape) {
    const RecordCase cases[] = {
        {"unnamed empty element: 24 bytes", [] { return element("", ""); },
         RecordBytes().leaf(1, "", "")},
        {"CDATA: tag 2 and the element's body", [] { return cdata("x<y"); },
         RecordBytes().leaf(2, "", "x<y")},
        {"every field, zero and high bytes carried whole",
         [] {
             NodePtr node = withBracket(element("a", std::string("t\0u", 3)), -95);
             node = withAttribute(std::move(node), "k", "v\"");
             return withAttribute(std::move(node), "\xD6\xD0", std::string("\0\xFF", 2));
         },
         RecordBytes()
             .int32(1)
             .string("a")
             .int32(-95)
             .string(std::string("t\0u", 3))
             .int32(2)
             .string("k")
             .string("v\"")
             .string("\xD6\xD0")
             .string(std::string("\0\xFF", 2))
             .int32(0)},
        {"children nested in pre-order",
         [] { return element("a", "", element("b", "", cdata("x")), element("c", "")); },
         RecordBytes()
             .int32(1)
             .string("a")
             .int32(0)
             .string("")
             .int32(0)
             .int32(2)
             .int32(1)
             .string("b")
             .int32(0)
             .string("")
             .int32(0)
             .int32(1)
             .leaf(2, "", "x")
             .leaf(1, "c", "")},
        {"a CDATA node with a child keeps it",
         [] {
             NodePtr node = cdata("x");
             node->appendChild(element("c", ""));
             return node;
         },
         RecordBytes().int32(2).string("").int32(0).string("x").int32(0).int32(1).leaf(1, "c", "")},
    };
    for (const RecordCase& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(written(*c.build()), c.expected.bytes());
    }
}

TEST(WriteBinary, OneStreamWritePerIntegerAndPerString) {
    const NodePtr node = withAttribute(element("ab", ""), "k", "vv");
    RecordingBuffer buffer;
    std::ostream out(&buffer);
    node->writeBinary(out);
    // tag, name, bracket, text, count, attribute name and value, child count
    const std::vector<std::streamsize> expected = {4, 4, 2, 4, 4, 0, 4, 4, 1, 4, 2, 4};
    EXPECT_EQ(buffer.writes, expected);
}

TEST(WriteBinary, ForeignNodesWriteThemselves) {
    auto foreign = std::make_unique<ForeignElement>();
    const ForeignElement& foreignRef = *foreign;
    const NodePtr tree = element("a", "", std::move(foreign), std::make_unique<TaggedElement>());
    const RecordBytes head =
        RecordBytes().int32(1).string("a").int32(0).string("").int32(0).int32(2);
    EXPECT_EQ(written(*tree), head.bytes() + "FOREIGN" + RecordBytes().leaf(7, "", "").bytes());
    EXPECT_EQ(foreignRef.writeCalls, 1);
    EXPECT_EQ(written(TaggedElement()), RecordBytes().leaf(7, "", "").bytes());
}

TEST(WriteBinary, NullEntriesInAHandEditedChildListAreSkipped) {
    const NodePtr tree = element("a", "", element("b", ""));
    tree->children.push_front(nullptr);
    const RecordBytes expected =
        RecordBytes().int32(1).string("a").int32(0).string("").int32(0).int32(1).leaf(1, "b", "");
    EXPECT_EQ(written(*tree), expected.bytes());
    EXPECT_EQ(printed(*tree, 0), "<a>\n\t<b></b>\n</a>");
}

TEST(WriteBinary, DeepChainWithoutRecursion) {
    constexpr int Depth = 1000000;
    const NodePtr chain = deepChain(Depth);
    const std::string bytes = written(*chain);
    // top's record head plus one 25-byte record per "n".
    EXPECT_EQ(bytes.size(), 27u + 25u * Depth);
    EXPECT_EQ(bytes.substr(bytes.size() - 25), RecordBytes().leaf(1, "n", "").bytes());
}

TEST(Writers, AFailedStreamStillWalksTheWholeTree) {
    auto foreign = std::make_unique<ForeignElement>();
    const ForeignElement& foreignRef = *foreign;
    const NodePtr tree = element("a", "", element("b", "", std::move(foreign)));
    RefusingBuffer buffer;
    std::ostream out(&buffer);
    tree->writeBinary(out);
    EXPECT_EQ(&tree->print(out, 0), &out);
    EXPECT_TRUE(out.bad());
    EXPECT_EQ(foreignRef.writeCalls, 1);
    EXPECT_EQ(foreignRef.printCalls, 1);
}

TEST(Writers, AStreamThatRaisesPassesItsExceptionOn) {
    const NodePtr tree = element("a", "", element("b", ""));
    RefusingBuffer buffer;
    std::ostream out(&buffer);
    out.exceptions(std::ios::badbit);
    EXPECT_THROW(tree->writeBinary(out), std::ios_base::failure);
    out.clear();
    EXPECT_THROW(tree->print(out, 0), std::ios_base::failure);
}

// --------------------------------------------------------------- readBinary

// A stream over `bytes` whose 4-byte tag has already been read.
std::istringstream afterTag(const std::string& bytes) {
    std::istringstream in(bytes, std::ios::binary);
    in.ignore(4);
    return in;
}

TEST(ReadBinary, ReadsTheBodyAndLeavesTheChildCount) {
    const std::string record = RecordBytes().leaf(1, "a", "").bytes();
    ASSERT_EQ(record.size(), 25u);
    std::istringstream in = afterTag(record);
    XMLElement node;
    node.readBinary(in);
    EXPECT_EQ(node.name, "a");
    EXPECT_EQ(node.dataBracket, 0);
    EXPECT_EQ(node.text, "");
    EXPECT_TRUE(node.attributes.empty());
    EXPECT_TRUE(in.good());
    EXPECT_EQ(in.tellg(), 21);  // 17 bytes of body after the tag
}

TEST(ReadBinary, ReplacesFieldsAppendsAttributesLeavesChildrenAndParent) {
    XMLElement parent("p");
    XMLElement* node = parent.appendChild(element("old", "old text", element("kept", "")));
    node->dataBracket = '|';
    node->appendAttribute(XMLAttribute("k", "1"));
    const std::string body = RecordBytes()
                                 .string(std::string("n\0m", 3))
                                 .int32(-95)
                                 .string(std::string("t\0u", 3))
                                 .int32(2)
                                 .string("k")
                                 .string("2")
                                 .string(std::string("\xD6\0x", 3))
                                 .string("v")
                                 .bytes();
    std::istringstream in(body, std::ios::binary);
    node->readBinary(in);
    EXPECT_EQ(node->name, std::string("n\0m", 3));
    EXPECT_EQ(node->text, std::string("t\0u", 3));
    EXPECT_EQ(node->dataBracket, -95);
    ASSERT_EQ(node->attributes.size(), 3u);
    EXPECT_STREQ(node->findAttribute("k"), "1");
    EXPECT_EQ(std::next(node->attributes.begin())->value, "2");
    for (const XMLAttribute& attribute : node->attributes)
        EXPECT_EQ(attribute.hash, nameHash(attribute.name.c_str()));
    EXPECT_EQ(node->attributes.back().hash, nameHash("\xD6"));
    ASSERT_EQ(node->children.size(), 1u);
    EXPECT_EQ(node->children.front()->name, "kept");
    EXPECT_EQ(node->parent, &parent);
    EXPECT_TRUE(in.good());
}

TEST(ReadBinary, ANegativeAttributeCountReadsNone) {
    for (int32_t count : {0, -1, INT32_MIN}) {
        SCOPED_TRACE(count);
        const std::string record =
            RecordBytes().int32(1).string("a").int32(0).string("").int32(count).int32(0).bytes();
        std::istringstream in = afterTag(record);
        XMLElement node;
        node.readBinary(in);
        EXPECT_TRUE(node.attributes.empty());
        EXPECT_TRUE(in.good());
        EXPECT_EQ(in.tellg(), 21);
    }
}

TEST(ReadBinary, AShortStreamKeepsWhatArrivedAndFailsTheStream) {
    struct Case {
        const char* what;
        std::string body;
        std::string name;
        std::string text;
        std::size_t attributes;
    };
    const Case cases[] = {
        {"empty", "", "", "", 0},
        {"name cut short", RecordBytes().claimedString(5, "ab").bytes(), "ab", "", 0},
        {"text cut short", RecordBytes().string("a").int32(0).claimedString(9, "xyz").bytes(), "a",
         "xyz", 0},
        {"count cut short",
         RecordBytes().string("a").int32(0).string("t").bytes() + std::string("\x02\0", 2), "a",
         "t", 0},
        {"second attribute cut short: the first stays",
         RecordBytes()
             .string("a")
             .int32(0)
             .string("t")
             .int32(2)
             .string("k")
             .string("v")
             .string("k2")
             .claimedString(4, "v")
             .bytes(),
         "a", "t", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        XMLElement node("old");
        node.text = "old";
        std::istringstream in(c.body, std::ios::binary);
        node.readBinary(in);
        EXPECT_TRUE(in.fail());
        EXPECT_EQ(node.name, c.name);
        EXPECT_EQ(node.text, c.text);
        EXPECT_EQ(node.attributes.size(), c.attributes);
    }
}

TEST(ReadBinary, ANegativeLengthFailsTheStreamWithoutThrowing) {
    const std::string body = RecordBytes().int32(-1).int32('|').string("t").int32(0).bytes();
    std::istringstream in(body, std::ios::binary);
    XMLElement node("old");
    node.text = "old";
    node.readBinary(in);
    EXPECT_TRUE(in.fail());
    EXPECT_EQ(node.name, "");
    EXPECT_EQ(node.text, "");  // nothing after the bad length is trusted
    EXPECT_EQ(node.dataBracket, 0);
}

TEST(ReadBinary, AHugeClaimedLengthCostsOnlyWhatArrives) {
    const std::string body = RecordBytes().claimedString(0x7FFFFFFF, std::string(20, 'x')).bytes();
    std::istringstream in(body, std::ios::binary);
    XMLElement node;
    AllocationProbe probe;
    node.readBinary(in);
    EXPECT_LT(probe.largest(), 1u << 20);
    EXPECT_EQ(node.name, std::string(20, 'x'));
    EXPECT_TRUE(in.fail());
}

TEST(ReadBinary, AHugeAttributeCountStopsWhereTheStreamEnds) {
    const std::string body = RecordBytes()
                                 .string("a")
                                 .int32(0)
                                 .string("")
                                 .int32(0x7FFFFFFF)
                                 .string("k")
                                 .string("v")
                                 .bytes();
    std::istringstream in(body, std::ios::binary);
    XMLElement node;
    node.readBinary(in);
    ASSERT_EQ(node.attributes.size(), 1u);
    EXPECT_STREQ(node.findAttribute("k"), "v");
    EXPECT_TRUE(in.fail());
}

TEST(ReadBinary, StringsLongerThanOneReadChunkArriveWhole) {
    std::string text(300 * 1024 + 7, '\0');
    for (std::size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<char>(i * 7 % 251);
    std::istringstream in(RecordBytes().string("a").int32(0).string(text).int32(0).bytes(),
                          std::ios::binary);
    XMLElement node;
    node.readBinary(in);
    EXPECT_TRUE(in.good());
    EXPECT_EQ(node.text, text);
}

TEST(ReadBinary, CDataInheritsTheBodyReader) {
    std::istringstream in = afterTag(RecordBytes().leaf(2, "", "x<y").bytes());
    XMLCData node;
    node.readBinary(in);
    EXPECT_EQ(node.text, "x<y");
    EXPECT_EQ(chainDepth(node), 0);
}

}  // namespace
