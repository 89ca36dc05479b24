#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>

#include "support/debug_capture.h"
#include "support/tree_compare.h"
#include "support/tree_text.h"
#include "xml/brace.h"
#include "xml/messages.h"

using tarvik::xml::ErrorCode;
using tarvik::xml::MaxBraceDepth;
using tarvik::xml::writeBrace;
using tarvik::xml::XMLAttribute;
using tarvik::xml::XMLCData;
using tarvik::xml::XMLDocument;
using tarvik::xml::XMLElement;
using tarvik::xml::XMLException;
using testing_support::captureDebugOutput;
using testing_support::DebugOutputIsCapturable;
using testing_support::treeDifference;
using testing_support::treeIsConsistent;
using testing_support::treeText;
namespace messages = tarvik::xml::messages;

namespace {

struct BraceCase {
    const char* text;
    bool parsed;
    const char* tree;  // treeText of the root afterwards
};

// Worked examples of the notation, the decision table and its edge cases.
const BraceCase BraceCases[] = {
    {"url='a''b', connstate=1, waitClose=0x10", true,
     "<AbsoluteRoot url='a'b' connstate='1' waitClose='0x10'>"},
    {"(url=x, connstate=y)", true, "<AbsoluteRoot < url='x' connstate='y'>>"},
    {"a, b, c", true, "<AbsoluteRoot [1]='a' [2]='b' text='c'>"},
    {"(a, b, c)", true, "<AbsoluteRoot < [1]='a' [2]='b' [3]='c'>>"},
    {"x = {y = 1}", true, "<AbsoluteRoot <x y='1'>>"},
    {"x (y = 1)", true, "<AbsoluteRoot <x y='1'>>"},
    {"-- launch parameters\nurl = x", true, "<AbsoluteRoot url='x'>"},
    {"url = x -- note\nconnstate = 2", true, "<AbsoluteRoot url='x' connstate='2'>"},
    {"url = x -- note\r\nconnstate = 2", true, "<AbsoluteRoot url='x' connstate='2'>"},
    {"x = (a b)", true, "<AbsoluteRoot <x text='b'>>"},
    {"x = (a, b)", true, "<AbsoluteRoot <x [1]='a' [2]='b'>>"},
    {"x = (a, b q)", true, "<AbsoluteRoot <x [1]='a' [2]='q' text='b'>>"},
    {"a = 1, 'b', q = 2", true, "<AbsoluteRoot a='1' [1]='b' q='2'>"},
    {"x = (a = 1), url = y", true, "<AbsoluteRoot [1]='' url='y' <x a='1'>>"},
    {"x = (a = 1) url = y", true, "<AbsoluteRoot url='y' <x a='1'>>"},
    {"x = (y = (z = 1))", true, "<AbsoluteRoot <x <y z='1'>>>"},
    {"url = x) connstate = 1", true, "<AbsoluteRoot url='x'>"},
    {"x = (a = 1", false, "<AbsoluteRoot>"},
    {"url = x, y = (a = 1", false, "<AbsoluteRoot url='x'>"},
    {"x = {y = 1)", true, "<AbsoluteRoot <x y='1'>>"},
    {"x = (y = 1}", true, "<AbsoluteRoot <x y='1'>>"},
    {"a = ''", true, "<AbsoluteRoot a=''''>"},
    {"a =", true, "<AbsoluteRoot>"},
    {"a = , b = 2", true, "<AbsoluteRoot a='' b='2'>"},
    {"= 5", true, "<AbsoluteRoot ='5'>"},
    {"a = b = 1", true, "<AbsoluteRoot a='b' ='1'>"},
    {"url = a=b", true, "<AbsoluteRoot url='a' ='b'>"},
    {"a = '--5'\n7", true, "<AbsoluteRoot a='7'>"},
    {"a = 1--x", true, "<AbsoluteRoot a='1--x'>"},
    {"a = 'b'q", true, "<AbsoluteRoot a='b' text='q'>"},
    {"'a b' = 1", true, "<AbsoluteRoot a b='1'>"},
    {"ab'q = 1", true, "<AbsoluteRoot ab'q='1'>"},
    {"x=()", true, "<AbsoluteRoot <x>>"},
    {"()", true, "<AbsoluteRoot <>>"},
    {"x = (,)", true, "<AbsoluteRoot <x [1]=''>>"},
    {"", true, "<AbsoluteRoot>"},
    {" \t\r\n ", true, "<AbsoluteRoot>"},
    {"-- one\n-- two\n", true, "<AbsoluteRoot>"},
    // End of text.
    {"url = x", true, "<AbsoluteRoot url='x'>"},
    {"url = 'a b", true, "<AbsoluteRoot url='a b'>"},
    {"url = '", true, "<AbsoluteRoot url=''>"},
    {"a = (x = 1) , ", true, "<AbsoluteRoot [1]='' <a x='1'>>"},
    // Comments between a name and its value leave the name waiting.
    {"a = -- why\n5", true, "<AbsoluteRoot a='5'>"},
    {"a = -- why\n", true, "<AbsoluteRoot>"},
    // A name waiting when an empty token meets a closing bracket is dropped.
    {"x = (a = )", true, "<AbsoluteRoot <x>>"},
    // Unnamed values before a closing bracket: text only while no index was made.
    {"x = (a)", true, "<AbsoluteRoot <x text='a'>>"},
    {"x = (a, b)", true, "<AbsoluteRoot <x [1]='a' [2]='b'>>"},
    {"x = (k = 1, a)", true, "<AbsoluteRoot <x k='1' text='a'>>"},
    // In an unnamed element every unnamed value is indexed.
    {"(a b)", true, "<AbsoluteRoot < [1]='a' [2]='b'>>"},
    {"(a)", true, "<AbsoluteRoot < [1]='a'>>"},
    // Text: the last unnamed value wins; trailing white space at the end
    // makes an empty token, a comment does not.
    {"hello x = (y=1)", true, "<AbsoluteRoot text='hello' <x y='1'>>"},
    {"hello x = (y=1) ", true, "<AbsoluteRoot <x y='1'>>"},
    {"hello x = (y=1) -- done", true, "<AbsoluteRoot text='hello' <x y='1'>>"},
    {"a b c", true, "<AbsoluteRoot text='c'>"},
    // A pending name followed by a bracket stores the value, then opens an unnamed group.
    {"a = 1 (b = 2)", true, "<AbsoluteRoot a='1' < b='2'>>"},
    // Counters are per group and reach two digits.
    {"1,2,3,4,5,6,7,8,9,10,11,", true,
     "<AbsoluteRoot [1]='1' [2]='2' [3]='3' [4]='4' [5]='5' [6]='6' [7]='7' [8]='8' [9]='9' "
     "[10]='10' [11]='11'>"},
    {"a, (b, c), d,", true, "<AbsoluteRoot [1]='a' [2]='' [3]='d' < [1]='b' [2]='c'>>"},
    // Duplicates and empty names are stored.
    {"url=x, url=y", true, "<AbsoluteRoot url='x' url='y'>"},
    // ";" behaves as "," in every element, named or not.
    {"a; b; c", true, "<AbsoluteRoot [1]='a' [2]='b' text='c'>"},
    {"; a = 1", true, "<AbsoluteRoot [1]='' a='1'>"},
    {"x = (a = 1); url = y", true, "<AbsoluteRoot [1]='' url='y' <x a='1'>>"},
    {"x = (; a)", true, "<AbsoluteRoot <x [1]='' [2]='a'>>"},
    {"(a; b)", true, "<AbsoluteRoot < [1]='a' [2]='b'>>"},
    {"a = 1; b = 2", true, "<AbsoluteRoot a='1' b='2'>"},
    // Unclosed groups at several depths keep only the complete ones.
    {"a = 1, x = (b = 2), y = (c = (d = 3)", false, "<AbsoluteRoot a='1' [1]='' <x b='2'>>"},
    {"(", false, "<AbsoluteRoot>"},
    {"x (", false, "<AbsoluteRoot>"},
    {"url=x, (", false, "<AbsoluteRoot url='x'>"},
    {"a = '(' , b = ')'", true, "<AbsoluteRoot a='(' b=')'>"},
};

class BraceTable : public testing::TestWithParam<BraceCase> {};

// What writeBrace writes for `tree`, or "refused: MESSAGE at NODE" with
// nothing written.
std::string written(const XMLElement& tree) {
    std::ostringstream out;
    try {
        writeBrace(tree, out);
    } catch (const XMLException& error) {
        return "refused: " + std::string(error.what()) + " at " + error.node() +
               (out.str().empty() ? "" : ", yet wrote " + out.str());
    }
    return out.str();
}

// Empty when parseBrace reads `text` back as `tree`, the root's name excepted.
std::string readBackDifference(const std::string& text, const XMLElement& tree) {
    XMLDocument again;
    if (!again.parseBrace(text.c_str()))
        return "refused: " + again.lastBraceError();
    again.root().name = tree.name;
    return treeDifference(tree, again.root());
}

TEST_P(BraceTable, ParsesToTree) {
    const BraceCase& c = GetParam();
    XMLDocument document;
    captureDebugOutput([&] { EXPECT_EQ(document.parseBrace(c.text), c.parsed); });
    EXPECT_EQ(treeText(document.root()), c.tree);
    EXPECT_TRUE(treeIsConsistent(document.root()));
    EXPECT_EQ(document.cursor(), &document.root());
    EXPECT_EQ(document.lastBraceError().empty(), c.parsed);
    // Every tree the parser builds, a refused text's too, is written and reads back.
    const std::string text = written(document.root());
    EXPECT_EQ(readBackDifference(text, document.root()), "") << text;
}

INSTANTIATE_TEST_SUITE_P(Notation, BraceTable, testing::ValuesIn(BraceCases));

// Bytes from 0x80 up are ordinary token bytes; a trail byte equal to an ASCII
// delimiter still acts as that delimiter, since the parser sees single bytes.
TEST(Brace, Gb2312BytesPassThrough) {
    XMLDocument document;
    // url=中文, 名=值
    ASSERT_TRUE(document.parseBrace("url=\xD6\xD0\xCE\xC4, \xC3\xFB=\xD6\xB5"));
    EXPECT_STREQ(document.root().findAttribute("url"), "\xD6\xD0\xCE\xC4");
    EXPECT_STREQ(document.root().findAttribute("\xC3\xFB"), "\xD6\xB5");

    // 0x81 0x3D: a GBK character whose trail byte is "=".
    ASSERT_TRUE(document.parseBrace("a\x81=b"));
    EXPECT_EQ(treeText(document.root()), "<AbsoluteRoot a\x81='b'>");
}

TEST(Brace, FailureReportsBracketMismatchOnDebugOutput) {
    if (!DebugOutputIsCapturable)
        GTEST_SKIP() << "checked on the debugger by the Wine suite";
    XMLDocument document;
    const std::string output =
        captureDebugOutput([&] { EXPECT_FALSE(document.parseBrace("url = x, y = (a = 1")); });
    EXPECT_NE(output.find(messages::BracketMismatch), std::string::npos);
}

TEST(Brace, GroupThrowsStandardExceptionWithMessage) {
    XMLElement element("x");
    try {
        tarvik::xml::parseBraceGroup("a = (b", element, 0);
        FAIL() << "an unclosed group must throw";
    } catch (const std::exception& error) {
        EXPECT_STREQ(error.what(), messages::BracketMismatch);
        EXPECT_EQ(dynamic_cast<const tarvik::xml::XMLException*>(&error), nullptr);
    }
}

TEST(Brace, ReparseStartsFromAnEmptyRoot) {
    XMLDocument document;
    ASSERT_TRUE(document.parseBrace("a = 1, x = (b = 2) text"));
    document.root().name = "renamed";
    ASSERT_TRUE(document.parseBrace("c = 3"));
    EXPECT_EQ(treeText(document.root()), "<AbsoluteRoot c='3'>");
}

std::string nested(int depth, bool closed) {
    return std::string(static_cast<size_t>(depth), '(') +
           (closed ? std::string(static_cast<size_t>(depth), ')') : std::string());
}

TEST(Brace, NestingUpToTheBoundIsAccepted) {
    XMLDocument document;
    ASSERT_TRUE(document.parseBrace(nested(MaxBraceDepth, true).c_str()));
    int depth = 0;
    for (const XMLElement* e = &document.root(); !e->children.empty();
         e = e->children.front().get())
        ++depth;
    EXPECT_EQ(depth, MaxBraceDepth);
}

// A command line can hold 16,000 nested groups; recursing into all of them
// would overflow the stack.
TEST(Brace, NestingPastTheBoundIsRefused) {
    for (const std::string& text : {nested(MaxBraceDepth + 1, true), nested(16000, false),
                                    nested(16000, true), "url = x, " + nested(100000, true)}) {
        XMLDocument document;
        const std::string output =
            captureDebugOutput([&] { EXPECT_FALSE(document.parseBrace(text.c_str())); });
        if (DebugOutputIsCapturable) {
            EXPECT_NE(output.find(messages::BracketsTooDeep), std::string::npos);
        }
        EXPECT_TRUE(document.root().children.empty());
    }
}

TEST(Brace, LastBraceErrorSaysWhyTheLastParseWasRefused) {
    XMLDocument document;
    EXPECT_EQ(document.lastBraceError(), "");
    captureDebugOutput([&] {
        EXPECT_FALSE(document.parseBrace("url = x, y = (a = 1"));
        EXPECT_EQ(document.lastBraceError(), std::string("byte 19: ") + messages::BracketMismatch);
        EXPECT_EQ(document.lastBraceErrorCode(), ErrorCode::BracketMismatch);
        EXPECT_FALSE(document.parseBrace(nested(MaxBraceDepth + 1, true).c_str()));
        EXPECT_EQ(document.lastBraceError(), messages::BracketsTooDeep);
        EXPECT_EQ(document.lastBraceErrorCode(), ErrorCode::BracketsTooDeep);
    });
    EXPECT_TRUE(document.parseBrace("url = x"));
    EXPECT_EQ(document.lastBraceError(), "");
    EXPECT_EQ(document.lastBraceErrorCode(), ErrorCode::None);
}

// One token in every place a tree holds one: how it is written as a value,
// and that as a name, a group's name or a text it reads back or is refused alike.
struct TokenWriteCase {
    std::string token;
    const char* asValue;  // writeBrace of a root holding t=token, or the refusal
};

const std::string Refused = "refused: ";

const TokenWriteCase TokenWriteCases[] = {
    {"x", "t=x"},
    {"", "t=,"},  // "t=" alone would be dropped, "t=''" is two quotes
    {"a b", "t='a b'"},
    {"it's", "t=it's"},
    {"a'b c", "t='a''b c'"},
    {"''x", "t=''x"},
    {"a=b", "t='a=b'"},
    {"1--x", "t=1--x"},
    {"\xD6\xD0\xCE\xC4", "t=\xD6\xD0\xCE\xC4"},  // 中文
    {"a\x81=", "t='a\x81='"},                    // a GBK trail byte that is "="
    {"--", "refused: "},
    {"--5", "refused: "},
    {"'", "refused: "},
    {"'' x", "refused: "},
    {std::string("a\0b", 3), "refused: "},
};

TEST(BraceWriter, QuotesTokensAsTheReaderNeeds) {
    for (const TokenWriteCase& c : TokenWriteCases) {
        SCOPED_TRACE(testing::PrintToString(c.token));
        XMLDocument document;
        XMLElement& root = document.root();
        root.appendAttribute(XMLAttribute(std::string("t"), c.token));
        const std::string value = written(root);
        const bool refused = std::string(c.asValue) == Refused;
        EXPECT_EQ(refused ? value.substr(0, Refused.size()) : value, c.asValue);
        root.clear();
        root.appendAttribute(XMLAttribute(c.token, std::string("v")));
        root.appendChild(std::make_unique<XMLElement>(c.token))->setAttribute("k", "1");
        root.appendChild(std::make_unique<XMLElement>("c"))->text = c.token;
        root.text = c.token;
        const std::string all = written(root);
        EXPECT_EQ(refused ? all.substr(0, Refused.size()) : readBackDifference(all, root),
                  refused ? Refused : "")
            << all;
    }
}

TEST(BraceWriter, RefusesWhatTheNotationCannotHoldNamingTheNode) {
    XMLDocument document;
    XMLElement& root = document.root();
    XMLElement* group = root.appendChild(std::make_unique<XMLElement>("g"));
    group->appendAttribute(XMLAttribute("a", "1"));
    group->appendAttribute(XMLAttribute("--b", "2"));
    const std::string at = " at /AbsoluteRoot[1]/g[1]";
    EXPECT_EQ(written(root), Refused + messages::BraceCommentMarker + at + "@--b");
    group->attributes.pop_back();
    group->dataBracket = '|';
    EXPECT_EQ(written(root), Refused + messages::BraceCannotHoldDataBracket + at);
    group->dataBracket = 0;
    group->name.clear();
    group->text = "t";
    EXPECT_EQ(written(root), Refused + messages::BraceTextWithoutName + " at /AbsoluteRoot[1]/[1]");
    group->text.clear();
    group->appendChild(std::make_unique<XMLCData>("c"));
    EXPECT_EQ(written(root),
              Refused + messages::BraceCannotHoldCData + " at /AbsoluteRoot[1]/[1]/#cdata[1]");
    group->children.front().reset();
    EXPECT_EQ(written(root), Refused + messages::NullChild + " at /AbsoluteRoot[1]/[1]");
    EXPECT_EQ(written(XMLCData("c")), Refused + messages::BraceCannotHoldCData + " at /#cdata[1]");

    group->children.clear();
    group->text = "t";  // the top group reads as named, whatever its name
    EXPECT_EQ(written(*group), "a=1, t");

    XMLDocument deep;
    ASSERT_TRUE(deep.parseBrace(nested(MaxBraceDepth, true).c_str()));
    EXPECT_EQ(readBackDifference(written(deep.root()), deep.root()), "");
    XMLElement* innermost = &deep.root();
    while (!innermost->children.empty())
        innermost = innermost->children.front().get();
    innermost->appendChild(std::make_unique<XMLElement>());
    EXPECT_EQ(written(deep.root()).rfind(Refused + messages::BracketsTooDeep, 0), 0u);
}

struct TokenCase {
    const char* text;
    const char* token;
    int consumed;  // bytes up to the returned position
};

const TokenCase TokenCases[] = {
    {"abc,", "abc", 3},
    {"  abc def", "abc", 5},
    {"'a b'x", "a b", 5},
    {"'it''s'", "it's", 7},
    {"''x", "''x", 3},
    {"'open", "open", 5},
    {"'", "", 1},
    {",", "", 0},
    {"  =", "", 2},
    {"a'b c", "a'b", 3},
    {"'(=,;)'", "(=,;)", 7},
    {"x\x81y(", "x\x81y", 3},
    {"", "", 0},
    {"'a\nb'", "a\nb", 5},
    {"tab\tz", "tab", 3},
};

TEST(Brace, ReadTokenTable) {
    for (const TokenCase& c : TokenCases) {
        SCOPED_TRACE(c.text);
        std::string token = "stale";
        const char* end = tarvik::xml::readBraceToken(c.text, token);
        EXPECT_EQ(token, c.token);
        EXPECT_EQ(end - c.text, c.consumed);
    }
    std::string untouched = "kept";
    EXPECT_EQ(tarvik::xml::readBraceToken(nullptr, untouched), nullptr);
    EXPECT_EQ(untouched, "kept");
}

TEST(Brace, Skippers) {
    const char* text = " \t\r\n,;x";
    EXPECT_EQ(tarvik::xml::skipWhite(text), text + 4);
    EXPECT_EQ(tarvik::xml::skipSeparators(text), text + 6);
    EXPECT_EQ(tarvik::xml::skipSeparators(nullptr), nullptr);
    const char* vertical = "\v\f x";  // only tab, LF, CR and space are white space
    EXPECT_EQ(tarvik::xml::skipWhite(vertical), vertical);
}

}  // namespace
