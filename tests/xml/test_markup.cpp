#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "support/document_file.h"
#include "support/text_checks.h"
#include "support/tree_text.h"
#include "support/trees.h"
#include "xml/markup.h"
#include "xml/messages.h"

using tarvik::xml::markupTokens;
using tarvik::xml::MaxNameLength;
using tarvik::xml::NameBufferSize;
using tarvik::xml::parseAttributes;
using tarvik::xml::scanName;
using tarvik::xml::XMLAttribute;
using tarvik::xml::XMLCData;
using tarvik::xml::XMLDocument;
using tarvik::xml::XMLElement;
using tarvik::xml::XMLException;
using tarvik::xml::XMLTokenHandler;
using testing_support::exactCopy;
using testing_support::sameTree;
using testing_support::thrownBy;
using testing_support::thrownMessage;
using testing_support::treeIsConsistent;
namespace messages = tarvik::xml::messages;

namespace {

// Like treeText, and also shows CDATA nodes as such and the data bracket:
// "<a bracket=124 text='x<y' <![CDATA[raw]]>>".
std::string picture(const XMLElement& element) {
    if (dynamic_cast<const XMLCData*>(&element))
        return "<![CDATA[" + element.text + "]]>";
    std::string out = "<" + element.name;
    for (const auto& attribute : element.attributes)
        out += " " + attribute.name + "='" + attribute.value + "'";
    if (element.dataBracket != 0)
        out += " bracket=" + std::to_string(element.dataBracket);
    if (!element.text.empty())
        out += " text='" + element.text + "'";
    for (const auto& child : element.children)
        out += " " + picture(*child);
    return out + ">";
}

const char* const FreshHead = "<head encoding='gb2312'>";

// The fixture: a document and a helper that parses a literal into it.
class Markup : public testing::Test {
protected:
    // Parses `literal` (from an exact heap copy) and returns the picture of the root.
    std::string parse(const std::string& literal) {
        const auto text = exactCopy(literal);
        document.parseMarkup(text.get());
        return picture(document.root());
    }
    // The same through parseMarkup(text, length), from a heap copy with no
    // NUL after it, into a fresh document; the error it threw, if any.
    static std::optional<XMLException> parseBuffer(const std::string& literal, XMLDocument& into) {
        const std::vector<char> bytes(literal.begin(), literal.end());
        return thrownBy([&] { into.parseMarkup(bytes.data(), bytes.size()); });
    }

    XMLDocument document;
};

TEST(MarkupTokens, HoldsTheFiveTokensInOrder) {
    struct Expected {
        const char* token;
        XMLTokenHandler handler;
    };
    const Expected expected[] = {
        {"<![CDATA[", &XMLDocument::parseCData}, {"<!--", &XMLDocument::parseComment},
        {"</", &XMLDocument::parseEndTag},       {"<?", &XMLDocument::parseDeclaration},
        {"<", &XMLDocument::parseElement},
    };
    ASSERT_EQ(markupTokens.size(), 5u);
    size_t index = 0;
    for (const auto& entry : markupTokens) {
        SCOPED_TRACE(index);
        EXPECT_STREQ(entry.token, expected[index].token);
        EXPECT_TRUE(entry.handler == expected[index].handler);
        // The parser skips everything up to a "<" without asking the table.
        EXPECT_EQ(entry.token[0], '<');
        ++index;
    }
}

struct NameCase {
    std::string text;
    std::string name;
    int consumed;  // bytes up to the returned position
};

const std::string LongestName(MaxNameLength, 'n');

const NameCase NameCases[] = {
    {"abc def", "abc", 4},
    {"  \t\r\nabc>", "abc", 8},
    {"x.y-z:1=", "x.y-z:1", 7},
    {"[1] =", "[1]", 4},
    {"_a b", "_a", 3},
    {"9lives/", "9lives", 6},
    {"-x", "", 0},
    {".x", "", 0},
    {"  >", "", 2},
    {"", "", 0},
    {"   ", "", 3},
    {"\xD4\xAA\xCB\xD8 =", "\xD4\xAA\xCB\xD8", 5},  // 元素
    {"a\x7F"
     "b>",
     "a\x7F"
     "b",
     3},
    {"\x7F>", "\x7F", 1},
    {"a\"b", "a", 1},
    {"a'b", "a", 1},
    {LongestName + ">", LongestName, MaxNameLength},
};

TEST(ScanName, Table) {
    for (const NameCase& c : NameCases) {
        SCOPED_TRACE(c.text);
        const auto text = exactCopy(c.text);
        char out[NameBufferSize];
        std::memset(out, '?', sizeof out);
        const char* end = scanName(out, text.get());
        EXPECT_EQ(std::string(out), c.name);
        EXPECT_EQ(end - text.get(), c.consumed);
    }
}

// The name classes spelled out byte by byte, as the grammar gives them.
bool isReferenceNameStart(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '[' || c == ']' || c >= 0x7F;
}

bool isReferenceNameByte(unsigned char c) {
    return isReferenceNameStart(c) || c == '-' || c == '.' || c == ':';
}

TEST(ScanName, ClassesEveryByteValue) {
    for (int value = 1; value < 256; ++value) {
        const auto c = static_cast<unsigned char>(value);
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r')
            continue;  // white space before a name is skipped
        SCOPED_TRACE(value);
        char out[NameBufferSize];
        const auto first = exactCopy(std::string(1, static_cast<char>(c)) + "x");
        scanName(out, first.get());
        EXPECT_EQ(out[0] != '\0', isReferenceNameStart(c));
        const auto inner = exactCopy("a" + std::string(1, static_cast<char>(c)) + "=");
        scanName(out, inner.get());
        EXPECT_EQ(std::strlen(out), isReferenceNameByte(c) ? 2u : 1u);
    }
}

TEST(ScanName, RefusesNamesLongerThanTheBuffer) {
    for (const std::string& text :
         {std::string(MaxNameLength + 1, 'n'), " " + std::string(MaxNameLength + 1, 'n') + ">",
          std::string(100000, '\xD6')}) {
        SCOPED_TRACE(text.size());
        const auto copy = exactCopy(text);
        char out[NameBufferSize];
        EXPECT_EQ(thrownMessage([&] { scanName(out, copy.get()); }), messages::NameTooLong);
    }
}

TEST(ParseAttributes, ReadsPairsInOrderWithOrWithoutWhiteSpace) {
    for (const char* text :
         {"x = \"1\"  y=\"2\"/>", "x=\"1\"y=\"2\"/>", "\n x\t=\r\n\"1\"\ty =\"2\" />"}) {
        SCOPED_TRACE(text);
        XMLElement element("a");
        const char* end = parseAttributes(text, element);
        EXPECT_EQ(picture(element), "<a x='1' y='2'>");
        EXPECT_STREQ(end, "/>");
        EXPECT_TRUE(treeIsConsistent(element));
    }
}

TEST(ParseAttributes, KeepsValueBytesAndDuplicates) {
    XMLElement element("a");
    const char* text = "v=\"<b>\r\n&amp; \xD6\xB5\" e=\"\" v=\"2\">rest";
    EXPECT_STREQ(parseAttributes(text, element), ">rest");
    EXPECT_EQ(picture(element), "<a v='<b>\r\n&amp; \xD6\xB5' e='' v='2'>");
    EXPECT_STREQ(element.findAttribute("v"), "<b>\r\n&amp; \xD6\xB5");
}

TEST(ParseAttributes, StopsWhereNoNameCanBegin) {
    XMLElement element("a");
    const char* text = "  ?>";
    EXPECT_EQ(parseAttributes(text, element), text + 2);
    EXPECT_TRUE(element.attributes.empty());
    const char* empty = "";
    EXPECT_EQ(parseAttributes(empty, element), empty);
}

struct AttributeErrorCase {
    const char* text;
    const char* message;
    const char* survivors;  // picture of the element afterwards
};

const AttributeErrorCase AttributeErrorCases[] = {
    {"x=\"1\" y>", messages::AttributeMissingEquals, "<a x='1'>"},
    {"x", messages::AttributeMissingEquals, "<a>"},
    {"x='1'", messages::AttributeMissingQuote, "<a>"},
    {"x=", messages::AttributeMissingQuote, "<a>"},
    {"x=1", messages::AttributeMissingQuote, "<a>"},
    {"x=\"1\" y=\"2", messages::IllegalCharacter, "<a x='1'>"},
    {"x=\"", messages::IllegalCharacter, "<a>"},
};

TEST(ParseAttributes, ErrorTable) {
    for (const AttributeErrorCase& c : AttributeErrorCases) {
        SCOPED_TRACE(c.text);
        const auto text = exactCopy(c.text);
        XMLElement element("a");
        EXPECT_EQ(thrownMessage([&] { parseAttributes(text.get(), element); }), c.message);
        EXPECT_EQ(picture(element), c.survivors);
    }
}

struct HandlerCase {
    const char* text;
    XMLTokenHandler handler;
    int returned;        // index of the position the handler returns
    const char* cursor;  // name of the cursor afterwards
    const char* tree;    // picture of the element "a" afterwards
};

// Each handler runs with an element "a" open under the root.
const HandlerCase HandlerCases[] = {
    {"<b>  x</b>", &XMLDocument::parseElement, 6, "b", "<a <b text='  x'>>"},
    {"<b>\r\n\tx\r\ny<c>", &XMLDocument::parseElement, 10, "b", "<a <b text='x\ny'>>"},
    {"<b><c>", &XMLDocument::parseElement, 3, "b", "<a <b>>"},
    {"<b k=\"v\"/>z", &XMLDocument::parseElement, 10, "a", "<a <b k='v'>>"},
    {"<b>[[data|x<y|data]]z", &XMLDocument::parseElement, 20, "b",
     "<a <b bracket=124 text='x<y'>>"},
    {"</a>z", &XMLDocument::parseEndTag, 4, "AbsoluteRoot", "<a>"},
    {"</ a \r\n>z", &XMLDocument::parseEndTag, 8, "AbsoluteRoot", "<a>"},
    {"/>z", &XMLDocument::closeEmptyElement, 2, "AbsoluteRoot", "<a>"},
    // Called away from "/>", the handler still goes on after the next one.
    {"x />z", &XMLDocument::closeEmptyElement, 4, "AbsoluteRoot", "<a>"},
    {"<!-- x -->z", &XMLDocument::parseComment, 10, "a", "<a>"},
    {"<!---->z", &XMLDocument::parseComment, 7, "a", "<a>"},
    {"<?pi <a> ?>z", &XMLDocument::parseDeclaration, 11, "a", "<a>"},
    {"<?xml v=\"1\" ?>z", &XMLDocument::parseDeclaration, 14, "a", "<a>"},
    {"<![CDATA[x]]> \n z", &XMLDocument::parseCData, 16, "a", "<a <![CDATA[x]]>>"},
    {"ab <![CDATA[]]>z", &XMLDocument::parseCData, 15, "a", "<a <![CDATA[]]>>"},
};

TEST(Handlers, ReturnWhereReadingGoesOn) {
    for (const HandlerCase& c : HandlerCases) {
        SCOPED_TRACE(c.text);
        XMLDocument document;
        XMLElement* open = document.root().appendChild(std::make_unique<XMLElement>("a"));
        document.setCursor(open);
        const auto text = exactCopy(c.text);
        const char* returned = (document.*c.handler)(text.get());
        EXPECT_EQ(returned - text.get(), c.returned);
        ASSERT_NE(document.cursor(), nullptr);
        EXPECT_EQ(document.cursor()->name, c.cursor);
        EXPECT_EQ(picture(*open), c.tree);
    }
}

TEST(Handlers, CloseEmptyElementWithNoElementOpenIsAMismatch) {
    XMLDocument document;
    document.setCursor(nullptr);
    EXPECT_EQ(thrownMessage([&] { document.closeEmptyElement("/>"); }), messages::ElementMismatch);
}

struct ParseCase {
    const char* text;
    const char* tree;  // picture of the root afterwards
};

const ParseCase ParseCases[] = {
    // Text: leading TAB, LF and CR go, spaces stay, CR goes everywhere.
    {"<a>\n\thi\r\n</a>", "<AbsoluteRoot <a text='hi\n'>>"},
    {"<a>  x</a>", "<AbsoluteRoot <a text='  x'>>"},
    {"<a> </a>", "<AbsoluteRoot <a text=' '>>"},
    {"<a>\t\r\n</a>", "<AbsoluteRoot <a>>"},
    {"<a>x\ry\r</a>", "<AbsoluteRoot <a text='xy'>>"},
    {"<a></a>", "<AbsoluteRoot <a>>"},
    {"<a>&lt;&amp;</a>", "<AbsoluteRoot <a text='&lt;&amp;'>>"},
    // Only the text right after an opening tag is kept.
    {"<a>t<b/>u</a>v", "<AbsoluteRoot <a text='t' <b>>>"},
    {"<a><b></b>tail</a>", "<AbsoluteRoot <a <b>>>"},
    {"<a>t</a>after<b/>  more", "<AbsoluteRoot <a text='t'> <b>>"},
    {"", "<AbsoluteRoot>"},
    {"just text", "<AbsoluteRoot>"},
    // Data-bracket escape.
    {"<a>[[data|x<y|data]]</a>", "<AbsoluteRoot <a bracket=124 text='x<y'>>"},
    {"<a>[[data||data]]</a>", "<AbsoluteRoot <a bracket=124>>"},
    {"<a>[[data|data]]|data]]</a>", "<AbsoluteRoot <a bracket=124 text='data]]'>>"},
    {"<a>[[data#\r\n\tx\r\n#data]]junk<b/></a>", "<AbsoluteRoot <a bracket=35 text='x\n' <b>>>"},
    {"<a>[[data\xA1<\xA1"
     "data]]</a>",
     "<AbsoluteRoot <a bracket=-95 text='<'>>"},
    {"<a> [[data|x|data]]</a>", "<AbsoluteRoot <a text=' [[data|x|data]]'>>"},
    // Attributes and empty elements.
    {"<a x = \"1\"  y=\"2\"/>", "<AbsoluteRoot <a x='1' y='2'>>"},
    {"<a x=\"1\"y=\"2\"/>", "<AbsoluteRoot <a x='1' y='2'>>"},
    {"<a x=\"1\" />", "<AbsoluteRoot <a x='1'>>"},
    {"<[1] x.y-z:1=\"v\"/>", "<AbsoluteRoot <[1] x.y-z:1='v'>>"},
    {"<9a/><_b/>", "<AbsoluteRoot <9a> <_b>>"},
    {"< a >x</ a >", "<AbsoluteRoot <a text='x'>>"},
    {"<a\x7F"
     "b c=\"1\"/>",
     "<AbsoluteRoot <a\x7F"
     "b c='1'>>"},
    // GB2312: <元素 名="值">中文</元素>
    {"<\xD4\xAA\xCB\xD8 \xC3\xFB=\"\xD6\xB5\">\xD6\xD0\xCE\xC4</\xD4\xAA\xCB\xD8>",
     "<AbsoluteRoot <\xD4\xAA\xCB\xD8 \xC3\xFB='\xD6\xB5' text='\xD6\xD0\xCE\xC4'>>"},
    // Comments and instructions add nothing.
    {"<a><!-- -- < <b> --></a>", "<AbsoluteRoot <a>>"},
    {"<a><!-->x<b/>--></a>", "<AbsoluteRoot <a>>"},
    {"<?xml-stylesheet href=\"s\"?><?XML v=\"1\"?><?xml?><a/>", "<AbsoluteRoot <a>>"},
    {"<?pi <a> ?><a/>", "<AbsoluteRoot <a>>"},
    // A document type declaration before the first element is skipped, its
    // literals and internal subset whole; entity references stay as they are.
    {"<?pi?>\n<!DOCTYPE fontconfig SYSTEM \"urn:fonts.dtd\">\n<a/>", "<AbsoluteRoot <a>>"},
    {"<!-- c --><!DOCTYPE a [\n<!ENTITY e \"]>\">\n<!-- ]>' -->\n<?pi ]>\"?>\n]>\n<a>&e;</a>",
     "<AbsoluteRoot <a text='&e;'>>"},
    {"<!DOCTYPE\ta PUBLIC '-//x>[' \"y\"><a/>", "<AbsoluteRoot <a>>"},
    // CDATA sections keep their bytes; white space after them is skipped.
    {"<a><![CDATA[x]]y]]>  \n<b/></a>", "<AbsoluteRoot <a <![CDATA[x]]y]]> <b>>>"},
    {"<a><![CDATA[\r\n <b>&]]></a>", "<AbsoluteRoot <a <![CDATA[\r\n <b>&]]>>>"},
    {"<![CDATA[top]]>", "<AbsoluteRoot <![CDATA[top]]>>"},
    // Closing the root leaves nothing open; comments and instructions may follow.
    {"</AbsoluteRoot>", "<AbsoluteRoot>"},
    {"<a/></AbsoluteRoot><!-- end --><?pi?> text", "<AbsoluteRoot <a>>"},
};

TEST_F(Markup, ParsesToTree) {
    for (const ParseCase& c : ParseCases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(parse(c.text), c.tree);
        EXPECT_TRUE(treeIsConsistent(document.root()));
        EXPECT_EQ(picture(document.head()), FreshHead);
        const bool rootClosed = std::strstr(c.text, "</AbsoluteRoot>") != nullptr;
        EXPECT_EQ(document.cursor(), rootClosed ? nullptr : &document.root());
        XMLDocument buffered;
        EXPECT_FALSE(parseBuffer(c.text, buffered));
        EXPECT_EQ(picture(buffered.root()), c.tree);
    }
}

// Short searches run byte by byte and long ones in the C library: values and
// texts on both sides of that switch read whole.
TEST_F(Markup, ValuesAndTextsOfEveryShortLengthReadWhole) {
    for (size_t length = 0; length <= 40; ++length) {
        SCOPED_TRACE(length);
        const std::string value(length, 'v');
        const std::string text(length, 't');
        const std::string expected =
            "<AbsoluteRoot <a k='" + value + "'" + (length ? " text='" + text + "'" : "") + ">>";
        EXPECT_EQ(parse("<a k=\"" + value + "\">" + text + "</a>"), expected);
    }
}

TEST_F(Markup, DataBracketFrom0x80UpIsNegative) {
    parse(
        "<a>[[data\xA1x\xA1"
        "data]]</a><b>[[data\xFFy\xFF"
        "data]]</b>");
    ASSERT_EQ(document.root().children.size(), 2u);
    EXPECT_EQ(document.root().children.front()->dataBracket, -95);
    EXPECT_EQ(document.root().children.front()->text, "x");
    EXPECT_EQ(document.root().children.back()->dataBracket, -1);
}

// Found by fuzzing the print-and-read-back round trip: a CR inside what would
// be an escape's terminator ("|\rdata]]") does not end the escape, and since
// CR bytes are dropped from the text, the text then holds the terminator. The
// text form escapes nothing, so such a text does not survive printing: the
// printed terminator closes the escape early when read back.
TEST_F(Markup, CrInsideAnEscapesTerminatorIsDroppedFromTheText) {
    parse("<a>[[data|x|\rdata]]y|data]]</a>");
    const XMLElement& a = *document.root().children.front();
    EXPECT_EQ(a.dataBracket, '|');
    EXPECT_EQ(a.text, "x|data]]y");

    std::ostringstream printed;
    a.print(printed, 0);
    EXPECT_EQ(printed.str(), "<a>[[data|x|data]]y|data]]</a>");
    XMLDocument again;
    again.parseMarkup(printed.str().c_str());  // "y|data]]" is skipped as stray bytes
    EXPECT_EQ(again.root().children.front()->text, "x");
}

TEST_F(Markup, XmlDeclarationAppendsToTheHead) {
    parse("<?xml version=\"1.0\" encoding=\"GB2312\" ?>\n<a/>");
    EXPECT_EQ(picture(document.head()), "<head encoding='gb2312' version='1.0' encoding='GB2312'>");
    EXPECT_STREQ(document.head().findAttribute("encoding"), "gb2312");
    EXPECT_EQ(picture(document.root()), "<AbsoluteRoot <a>>");
}

// The reported case: a million re-parses of a text with a declaration left
// 2,000,001 attributes on the head. Each parse now starts from a fresh head.
TEST_F(Markup, ReparsingStartsFromAFreshHead) {
    const char* declared = "<?xml version=\"1.0\" encoding=\"gb2312\"?><a/>";
    const char* fresh = "<head encoding='gb2312' version='1.0' encoding='gb2312'>";
    for (int i = 0; i < 3; ++i)
        parse(declared);
    EXPECT_EQ(picture(document.head()), fresh);
    parse("<b/>");
    EXPECT_EQ(picture(document.head()), FreshHead);
}

TEST_F(Markup, ReparsingStartsFromAFreshRoot) {
    parse("<a x=\"1\"><b/></a>");
    document.root().name = "renamed";
    EXPECT_EQ(parse("<c/>"), "<AbsoluteRoot <c>>");
    EXPECT_EQ(document.cursor(), &document.root());
    // After the root was closed, the next parse opens it again.
    parse("</AbsoluteRoot>");
    EXPECT_EQ(parse("<d/>"), "<AbsoluteRoot <d>>");
}

TEST_F(Markup, NullTextIsEmpty) {
    document.parseMarkup(nullptr);
    EXPECT_EQ(picture(document.root()), "<AbsoluteRoot>");
}

struct ErrorCase {
    std::string text;
    const char* message;
    const char* tree;    // picture of the root afterwards
    const char* cursor;  // name of the cursor afterwards, null when none is open
    long long offset;
    int line;
    int column;
    const char* head = FreshHead;  // picture of the head afterwards
};

const std::string TooLong(MaxNameLength + 1, 'n');

const ErrorCase ErrorCases[] = {
    // No name after "<": the byte that cannot begin one.
    {"<>", messages::MissingElementName, "<AbsoluteRoot>", "AbsoluteRoot", 1, 1, 2},
    {"<a>< -x>", messages::MissingElementName, "<AbsoluteRoot <a>>", "a", 5, 1, 6},
    {"<", messages::MissingElementName, "<AbsoluteRoot>", "AbsoluteRoot", 1, 1, 2},
    // Opening tag: the byte that is neither ">" nor "/>".
    {"<a x=\"1\"", messages::TagNotClosed, "<AbsoluteRoot <a x='1'>>", "a", 8, 1, 9},
    {"<a x=\"1\" ?>", messages::TagNotClosed, "<AbsoluteRoot <a x='1'>>", "a", 9, 1, 10},
    {"<a /", messages::TagNotClosed, "<AbsoluteRoot <a>>", "a", 3, 1, 4},
    // Text that never ends: the element's "<", or the escape's "[[data".
    {"<a>\n<b>text", messages::TagNotClosed, "<AbsoluteRoot <a <b>>>", "b", 4, 2, 1},
    {"<a>[[data", messages::TagNotClosed, "<AbsoluteRoot <a>>", "a", 3, 1, 4},
    {"<a>[[data|", messages::TagNotClosed, "<AbsoluteRoot <a bracket=124>>", "a", 3, 1, 4},
    {"<a>[[data|x<y|data]", messages::TagNotClosed, "<AbsoluteRoot <a bracket=124>>", "a", 3, 1, 4},
    {"<a>[[dat", messages::TagNotClosed, "<AbsoluteRoot <a>>", "a", 0, 1, 1},
    // Comments and instructions that never close: their "<".
    {"<a>\n  <!-- never", messages::TagNotClosed, "<AbsoluteRoot <a text='  '>>", "a", 6, 2, 3},
    {"<?pi never", messages::TagNotClosed, "<AbsoluteRoot>", "AbsoluteRoot", 0, 1, 1},
    {"<?", messages::TagNotClosed, "<AbsoluteRoot>", "AbsoluteRoot", 0, 1, 1},
    // An xml declaration whose attributes are not followed by "?>".
    {"<?xml version=\"1.0\">", messages::DeclarationNotClosed, "<AbsoluteRoot>", "AbsoluteRoot", 19,
     1, 20, "<head encoding='gb2312' version='1.0'>"},
    {"<?xml v=\"1\" w", messages::AttributeMissingEquals, "<AbsoluteRoot>", "AbsoluteRoot", 13, 1,
     14, "<head encoding='gb2312' v='1'>"},
    // End tags.
    {"<a></a b>", messages::EndTagMissingGreater, "<AbsoluteRoot <a>>", "a", 7, 1, 8},
    {"<a></a", messages::EndTagMissingGreater, "<AbsoluteRoot <a>>", "a", 6, 1, 7},
    {"<a></b>", messages::ElementMismatch, "<AbsoluteRoot <a>>", "a", 3, 1, 4},
    {"<a>\r\n<b>\r\n</c>", messages::ElementMismatch, "<AbsoluteRoot <a <b>>>", "b", 10, 3, 1},
    {"</AbsoluteRoot></x>", messages::ElementMismatch, "<AbsoluteRoot>", nullptr, 15, 1, 16},
    {"<a>x</a></AbsoluteRoot></AbsoluteRoot>", messages::ElementMismatch,
     "<AbsoluteRoot <a text='x'>>", nullptr, 23, 1, 24},
    // Markup that needs an open element after the root was closed.
    {"</AbsoluteRoot><a/>", messages::ElementMismatch, "<AbsoluteRoot>", nullptr, 15, 1, 16},
    {"</AbsoluteRoot>\n <![CDATA[x]]>", messages::ElementMismatch, "<AbsoluteRoot>", nullptr, 17, 2,
     2},
    // CDATA without "]]>": nothing is added.
    {"<a><![CDATA[x]]", messages::CDataNotClosed, "<AbsoluteRoot <a>>", "a", 3, 1, 4},
    // Attributes.
    {"<a x=\"1\" y>", messages::AttributeMissingEquals, "<AbsoluteRoot <a x='1'>>", "a", 10, 1, 11},
    {"<a x='1'>", messages::AttributeMissingQuote, "<AbsoluteRoot <a>>", "a", 5, 1, 6},
    {"<a>\n  <b x=\"1\" y=2/>\n</a>", messages::AttributeMissingQuote,
     "<AbsoluteRoot <a text='  ' <b x='1'>>>", "b", 17, 2, 14},
    {"<a x=\"1>", messages::IllegalCharacter, "<AbsoluteRoot <a>>", "a", 5, 1, 6},
    // Columns count bytes: a GB2312 character is two.  <元素>\n<素 名>
    {"<\xD4\xAA\xCB\xD8>\n<\xCB\xD8 \xC3\xFB>", messages::AttributeMissingEquals,
     "<AbsoluteRoot <\xD4\xAA\xCB\xD8 <\xCB\xD8>>>", "\xCB\xD8", 13, 2, 7},
    // Names too long for the name buffer: the name's first byte.
    {"<" + TooLong + ">", messages::NameTooLong, "<AbsoluteRoot>", "AbsoluteRoot", 1, 1, 2},
    {"<a " + TooLong + "=\"1\"/>", messages::NameTooLong, "<AbsoluteRoot <a>>", "a", 3, 1, 4},
    {"<a></" + TooLong + ">", messages::NameTooLong, "<AbsoluteRoot <a>>", "a", 5, 1, 6},
    // A document type declaration anywhere but before the first element: its
    // "<"; one that never closes: its "<"; without white space it is no token.
    {"<a/>\n<!DOCTYPE a>", messages::MisplacedTypeDeclaration, "<AbsoluteRoot <a>>", "AbsoluteRoot",
     5, 2, 1},
    {"<a><!DOCTYPE a></a>", messages::MisplacedTypeDeclaration, "<AbsoluteRoot <a>>", "a", 3, 1, 4},
    {"<!DOCTYPE a><!DOCTYPE b><a/>", messages::MisplacedTypeDeclaration, "<AbsoluteRoot>",
     "AbsoluteRoot", 12, 1, 13},
    {"<!DOCTYPE a [ <!ENTITY e \">\"> ", messages::TagNotClosed, "<AbsoluteRoot>", "AbsoluteRoot",
     0, 1, 1},
    {"<!DOCTYPE a \"never>", messages::TagNotClosed, "<AbsoluteRoot>", "AbsoluteRoot", 0, 1, 1},
    {"<!DOCTYPEa><a/>", messages::MissingElementName, "<AbsoluteRoot>", "AbsoluteRoot", 1, 1, 2},
    // Elements still open at the end: the end of the text.
    {"<a><b>x</b>", messages::TagNotClosed, "<AbsoluteRoot <a <b text='x'>>>", "a", 11, 1, 12},
    {"<a>\n", messages::TagNotClosed, "<AbsoluteRoot <a>>", "a", 0, 1, 1},
    {"<a>\n<b/>\n", messages::TagNotClosed, "<AbsoluteRoot <a <b>>>", "a", 9, 3, 1},
};

TEST_F(Markup, ErrorTable) {
    for (const ErrorCase& c : ErrorCases) {
        SCOPED_TRACE(c.text);
        XMLDocument fresh;
        const auto text = exactCopy(c.text);
        if (const auto error = thrownBy([&] { fresh.parseMarkup(text.get()); })) {
            EXPECT_STREQ(error->what(), c.message);
            EXPECT_EQ(error->offset(), c.offset);
            EXPECT_EQ(error->line(), c.line);
            EXPECT_EQ(error->column(), c.column);
        } else {
            ADD_FAILURE() << "expected XMLException";
        }
        EXPECT_EQ(picture(fresh.root()), c.tree);
        EXPECT_EQ(picture(fresh.head()), c.head);
        if (c.cursor) {
            ASSERT_NE(fresh.cursor(), nullptr);
            EXPECT_EQ(fresh.cursor()->name, c.cursor);
        } else {
            EXPECT_EQ(fresh.cursor(), nullptr);
        }
        EXPECT_TRUE(treeIsConsistent(fresh.root()));
        XMLDocument buffered;  // the same error and tree from a buffer of that length
        const auto error = parseBuffer(c.text, buffered);
        ASSERT_TRUE(error);
        EXPECT_STREQ(error->what(), c.message);
        EXPECT_EQ(error->offset(), c.offset);
        EXPECT_EQ(picture(buffered.root()), c.tree);
    }
}

// The length is the end: bytes after it are never read, and a zero byte
// inside is refused where it stands before anything is parsed.
TEST_F(Markup, ABufferIsReadToItsLength) {
    const char text[] = "<a/><b/>";
    document.parseMarkup(text, 4);
    EXPECT_EQ(picture(document.root()), "<AbsoluteRoot <a>>");
    document.parseMarkup(text, sizeof text - 1);
    const auto error = parseBuffer(std::string("<c/>\0<d/>", 9), document);
    ASSERT_TRUE(error);
    EXPECT_STREQ(error->what(), messages::ZeroByteInFile);
    EXPECT_EQ(error->offset(), 4);
    EXPECT_EQ(picture(document.root()), "<AbsoluteRoot <a> <b>>");
}

TEST_F(Markup, DescribeNamesLineAndColumn) {
    if (const auto error = thrownBy([&] { parse("<a>\n<b x=1/>"); })) {
        EXPECT_EQ(error->describe(), std::string("line 2:6: ") + messages::AttributeMissingQuote);
    } else {
        ADD_FAILURE() << "expected XMLException";
    }
}

// ---------------------------------------------------------------- round trips

// Random trees within what the text form can carry: names the parser reads,
// values without '"', element text that does not start with TAB, LF or CR,
// holds no CR, and holds "<" only when escaped.
class TreeMaker {
public:
    explicit TreeMaker(uint32_t seed) : random_(seed) {}

    // Gives `element` up to three children, each filled in turn, down to `depth` levels.
    void addChildren(XMLElement& element, int depth) {
        const int children = depth > 0 ? pick(4) : 0;
        const bool plainText = element.dataBracket == 0 && !element.text.empty();
        for (int i = 0; i < children; ++i) {
            // The writer puts a CDATA child's indent right after the text, so
            // a first CDATA child follows no plain text.
            if (pick(4) == 0 && (!plainText || i > 0)) {
                element.appendChild(std::make_unique<XMLCData>(bytes("ab <]&\r\n\t\xD6\xD0", 8)));
            } else {
                fill(*element.appendChild(std::make_unique<XMLElement>(pickName())), depth - 1);
            }
        }
    }

private:
    int pick(int count) { return std::uniform_int_distribution<int>(0, count - 1)(random_); }

    std::string pickName() {
        static const char* const names[] = {"a",  "item",   "x.y-z:1",          "[1]",
                                            "_n", "9lives", "\xD4\xAA\xCB\xD8", "a\x7F"};
        return pick(20) == 0 ? std::string(MaxNameLength, 'L') : names[pick(8)];
    }

    std::string bytes(const char* pool, int most) {
        std::string out;
        const int length = pick(most + 1);
        for (int i = 0; i < length; ++i)
            out += pool[pick(static_cast<int>(std::strlen(pool)))];
        return out;
    }

    void fill(XMLElement& element, int depth) {
        const int attributes = pick(4);
        for (int i = 0; i < attributes; ++i)
            element.appendAttribute(XMLAttribute(pickName(), bytes("ab <>&\n\r=/\xD6\xB5", 6)));
        if (pick(3) == 0) {
            const char brackets[] = {'|', '#', '\xA1'};
            element.dataBracket = static_cast<signed char>(brackets[pick(3)]);
            element.text = "x" + bytes("ab <>/\n\t\xD6\xD0", 6);
        } else if (pick(2) == 0) {
            element.text = "t" + bytes("ab >&/\n\t\xD6\xD0", 6);
        }
        addChildren(element, depth);
    }

    std::mt19937 random_;
};

TEST(MarkupRoundTrip, PrintedTreesReadBackEqual) {
    for (uint32_t seed = 1; seed <= 200; ++seed) {
        SCOPED_TRACE(seed);
        XMLElement source("AbsoluteRoot");
        TreeMaker(seed).addChildren(source, 5);
        std::ostringstream out;
        for (const auto& child : source.children)
            child->print(out, 0);
        XMLDocument document;
        ASSERT_NO_THROW(document.parseMarkup(out.str().c_str())) << out.str();
        EXPECT_TRUE(sameTree(source, document.root())) << out.str() << "\n"
                                                       << picture(document.root()) << "\n"
                                                       << picture(source);
    }
}

TEST(MarkupRoundTrip, EscapedTextHoldingALessThanSurvives) {
    XMLElement source("AbsoluteRoot");
    XMLElement& element = *source.appendChild(std::make_unique<XMLElement>("a"));
    element.text = "1 < 2 <b>";
    element.dataBracket = '|';
    element.appendChild(std::make_unique<XMLElement>("c"));
    std::ostringstream out;
    element.print(out, 0);
    XMLDocument document;
    document.parseMarkup(out.str().c_str());
    EXPECT_TRUE(sameTree(source, document.root())) << out.str();
}

// ----------------------------------------------------------------- deep trees

// A million levels: the parser keeps its place in the cursor, not on the
// call stack, and the model destroys and clones without recursion.
TEST(MarkupDepth, AMillionLevelsParseCloneAndDestroy) {
    constexpr size_t Depth = 1000000;
    std::string text;
    text.reserve(Depth * 7);
    for (size_t i = 0; i < Depth; ++i)
        text += "<a>";
    for (size_t i = 0; i < Depth; ++i)
        text += "</a>";
    auto document = std::make_unique<XMLDocument>();
    document->parseMarkup(text.c_str());
    size_t depth = 0;
    for (const XMLElement* e = &document->root(); !e->children.empty();
         e = e->children.front().get())
        ++depth;
    EXPECT_EQ(depth, Depth);
    std::unique_ptr<XMLElement> copy = document->root().clone();
    document.reset();
    depth = 0;
    for (const XMLElement* e = copy.get(); !e->children.empty(); e = e->children.front().get())
        ++depth;
    EXPECT_EQ(depth, Depth);
}

TEST(MarkupDepth, AMillionOpenLevelsFailAtTheEnd) {
    constexpr size_t Depth = 1000000;
    std::string text;
    for (size_t i = 0; i < Depth; ++i)
        text += "<a>";
    text += "<b/>";
    XMLDocument document;
    if (const auto error = thrownBy([&] { document.parseMarkup(text.c_str()); })) {
        EXPECT_STREQ(error->what(), messages::TagNotClosed);
        EXPECT_EQ(error->offset(), static_cast<long long>(text.size()));
    } else {
        ADD_FAILURE() << "expected XMLException";
    }
}

// ---------------------------------------------------------------------- files

using MarkupFile = testing_support::DocumentFile;

TEST_F(MarkupFile, LoadsInBinaryMode) {
    write("<?xml version=\"1.0\"?>\r\n<a x=\"1\">\r\n\t<b>\xD6\xD0\r\n</b>\r\n</a>\r\n");
    document.loadMarkupFile(path_);
    EXPECT_EQ(picture(document.root()), "<AbsoluteRoot <a x='1' <b text='\xD6\xD0\n'>>>");
    EXPECT_STREQ(document.head().findAttribute("version"), "1.0");
}

TEST_F(MarkupFile, EmptyFileIsAnEmptyDocument) {
    write("");
    document.loadMarkupFile(path_);
    EXPECT_EQ(picture(document.root()), "<AbsoluteRoot>");
}

TEST_F(MarkupFile, ErrorsNameTheFileLineAndColumn) {
    write("<a>\n<b/>\n</c>\n");
    if (const auto error = thrownBy([&] { document.loadMarkupFile(path_); })) {
        EXPECT_STREQ(error->what(), messages::ElementMismatch);
        EXPECT_EQ(error->source(), path_);
        EXPECT_EQ(error->line(), 3);
        EXPECT_EQ(error->column(), 1);
        EXPECT_EQ(error->describe(), path_ + ":3:1: " + messages::ElementMismatch);
    } else {
        ADD_FAILURE() << "expected XMLException";
    }
}

TEST_F(MarkupFile, MissingFileOrFolderCannotBeOpened) {
    for (const std::string& path : {path_ + ".missing", testing::TempDir()}) {
        SCOPED_TRACE(path);
        if (const auto error = thrownBy([&] { document.loadMarkupFile(path); })) {
            EXPECT_STREQ(error->what(), messages::CannotOpenFile);
            EXPECT_EQ(error->source(), path);
        } else {
            ADD_FAILURE() << "expected XMLException";
        }
    }
}

// The reported cases: a UTF-16 file read as 0 elements, and every byte after
// a zero byte was lost without a word.
TEST_F(MarkupFile, ZeroBytesAndUnicodeMarksAreRefusedWhereTheyStand) {
    struct Case {
        const char* what;
        std::string bytes;
        const char* message;
        int64_t offset;
    };
    const Case cases[] = {
        {"a zero byte inside", std::string("<a/>\0<b/>", 9), messages::ZeroByteInFile, 4},
        {"UTF-16 without a mark", std::string("<\0a\0/\0>\0", 8), messages::ZeroByteInFile, 1},
        {"UTF-16 LE", std::string("\xFF\xFE<\0a\0/\0>\0", 10), messages::UnicodeFile, 0},
        {"UTF-16 BE", std::string("\xFE\xFF\0<\0a\0/\0>", 10), messages::UnicodeFile, 0},
        {"UTF-32 LE", std::string("\xFF\xFE\0\0<\0\0\0", 8), messages::UnicodeFile, 0},
        {"UTF-32 BE", std::string("\0\0\xFE\xFF\0\0\0<", 8), messages::UnicodeFile, 0},
        {"a lone mark", "\xFF\xFE", messages::UnicodeFile, 0},
        {"a zero byte at the very end", std::string("<a/>\0", 5), messages::ZeroByteInFile, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        write(c.bytes);
        if (const auto error = thrownBy([&] { document.loadMarkupFile(path_); })) {
            EXPECT_STREQ(error->what(), c.message);
            EXPECT_EQ(error->source(), path_);
            EXPECT_EQ(error->offset(), c.offset);
        } else {
            ADD_FAILURE() << "expected XMLException";
        }
    }
}

// A UTF-8 mark stands where the reader skips bytes: it is read past, and
// positions stay those of the file.
TEST_F(MarkupFile, AUtf8MarkIsReadPast) {
    write("\xEF\xBB\xBF<a/>\n<b>");
    if (const auto error = thrownBy([&] { document.loadMarkupFile(path_); })) {
        EXPECT_STREQ(error->what(), messages::TagNotClosed);
        EXPECT_EQ(error->offset(), 8);
    } else {
        ADD_FAILURE() << "expected XMLException";
    }
    write("\xEF\xBB\xBF<a/>");
    document.loadMarkupFile(path_);
    EXPECT_EQ(picture(document.root()), "<AbsoluteRoot <a>>");
}

}  // namespace
