#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

#include "support/text_checks.h"
#include "support/trees.h"
#include "xml/messages.h"
#include "xml/xml_reader.h"
#include "xml/xml_writer.h"

using tarvik::xml::writeXml;
using tarvik::xml::XMLAttribute;
using tarvik::xml::XMLCData;
using tarvik::xml::XMLDocument;
using tarvik::xml::XMLElement;
using tarvik::xml::XmlLayout;
using testing_support::NodePtr;
using testing_support::thrownBy;
namespace messages = tarvik::xml::messages;

namespace {

// An element with attributes given as name, value, name, value...
NodePtr element(const std::string& name, const std::vector<std::string>& attributes = {},
                const std::string& text = "") {
    auto made = std::make_unique<XMLElement>(name);
    for (std::size_t i = 0; i + 1 < attributes.size(); i += 2)
        made->appendAttribute(XMLAttribute(attributes[i], attributes[i + 1]));
    made->text = text;
    return made;
}

NodePtr data(const std::string& text) {
    return std::make_unique<XMLCData>(text);
}

// `parent` with `children` appended, in order; returns it.
template <typename... Children>
NodePtr with(NodePtr parent, Children... children) {
    (parent->appendChild(std::move(children)), ...);
    return parent;
}

std::string written(const XMLElement& tree, XmlLayout layout) {
    std::ostringstream out;
    writeXml(tree, out, layout);
    return out.str();
}

std::string written(const XMLDocument& document, XmlLayout layout = XmlLayout::Indented) {
    std::ostringstream out;
    writeXml(document, out, layout);
    return out.str();
}

// ------------------------------------------------------------------ the text

struct TextCase {
    const char* what;
    NodePtr (*tree)();
    std::string indented;
    std::string compact;
};

const TextCase TextCases[] = {
    {"an empty element",
     [] {
         return element("a", {"x", "1"});
     },
     "<a x=\"1\"/>", "<a x=\"1\"/>"},
    {"text escaped", [] { return element("a", {}, "1 < 2 && 3 > 2 ]]> \"q\" 'a'\r\n\t"); },
     "<a>1 &lt; 2 &amp;&amp; 3 &gt; 2 ]]&gt; \"q\" 'a'&#13;\n\t</a>",
     "<a>1 &lt; 2 &amp;&amp; 3 &gt; 2 ]]&gt; \"q\" 'a'&#13;\n\t</a>"},
    {"values escaped",
     [] {
         return element("a", {"v", "<&>\"'\t\n\r"});
     },
     "<a v=\"&lt;&amp;>&quot;'&#9;&#10;&#13;\"/>", "<a v=\"&lt;&amp;>&quot;'&#9;&#10;&#13;\"/>"},
    {"element-only content indented",
     [] { return with(element("a"), with(element("b"), element("c")), element("d", {}, "x")); },
     "<a>\n\t<b>\n\t\t<c/>\n\t</b>\n\t<d>x</d>\n</a>", "<a><b><c/></b><d>x</d></a>"},
    {"mixed content kept whole, to any depth",
     [] {
         return with(element("p"), data("Hi "),
                     with(element("b"), with(element("i"), element("u"))), data(" there"));
     },
     "<p>Hi <b><i><u/></i></b> there</p>", "<p>Hi <b><i><u/></i></b> there</p>"},
    {"character data escaped", [] { return with(element("a"), data("<&>"), element("b")); },
     "<a>&lt;&amp;&gt;<b/></a>", "<a>&lt;&amp;&gt;<b/></a>"},
    {"text before the children", [] { return with(element("a", {}, "t"), element("b")); },
     "<a>t<b/></a>", "<a>t<b/></a>"},
    {"null entries skipped",
     [] {
         NodePtr a = element("a");
         a->children.push_back(nullptr);
         a->appendChild(element("b"));
         return a;
     },
     "<a>\n\t<b/>\n</a>", "<a><b/></a>"},
    {"names beyond ASCII",
     [] {
         return element("\xD6\xD0", {"\xCE\xC4", "\xD3\xCE"});
     },
     "<\xD6\xD0 \xCE\xC4=\"\xD3\xCE\"/>", "<\xD6\xD0 \xCE\xC4=\"\xD3\xCE\"/>"},
};

TEST(XmlWriter, WritesTheTextTheHeaderDescribes) {
    for (const TextCase& c : TextCases) {
        SCOPED_TRACE(c.what);
        const NodePtr tree = c.tree();
        EXPECT_EQ(written(*tree, XmlLayout::Indented), c.indented);
        EXPECT_EQ(written(*tree, XmlLayout::Compact), c.compact);
    }
}

TEST(XmlWriter, TheDeclarationComesFromTheHead) {
    struct Case {
        std::vector<std::string> head;
        std::string declaration;
    };
    const Case cases[] = {
        {{}, ""},
        {{"version", "1.0"}, "<?xml version=\"1.0\"?>\n"},
        {{"standalone", "yes", "encoding", "UTF-8"},
         "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"},
        {{"encoding", "gb2312", "version", "1.0", "encoding", "gb2312"},
         "<?xml version=\"1.0\" encoding=\"gb2312\"?>\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.declaration);
        XMLDocument document;
        document.head().attributes.clear();
        for (std::size_t i = 0; i + 1 < c.head.size(); i += 2)
            document.head().appendAttribute(XMLAttribute(c.head[i], c.head[i + 1]));
        document.root().appendChild(element("a"));
        EXPECT_EQ(written(document), c.declaration + "<a/>\n");
        EXPECT_EQ(written(document, XmlLayout::Compact),
                  c.declaration.empty()
                      ? "<a/>"
                      : c.declaration.substr(0, c.declaration.size() - 1) + "<a/>");
    }
}

// A stream buffer that only counts what it is given.
class CountingBuffer : public std::streambuf {
public:
    std::size_t count = 0;

protected:
    std::streamsize xsputn(const char*, std::streamsize size) override {
        count += static_cast<std::size_t>(size);
        return size;
    }
    int_type overflow(int_type c) override {
        ++count;
        return c;
    }
};

// Indentation stops growing, so a deep tree's text grows in step with it.
TEST(XmlWriter, AMillionLevelsDeepWriteInStepWithTheirSize) {
    constexpr int Depth = 1000000;
    const NodePtr chain = testing_support::deepChain(Depth);
    for (const XmlLayout layout : {XmlLayout::Indented, XmlLayout::Compact}) {
        CountingBuffer counted;
        std::ostream out(&counted);
        writeXml(*chain, out, layout);
        // "<n>" and "</n>" a level, and at most a line break and the tabs' cap twice.
        const std::size_t most = Depth * (7 + 2 * (1 + tarvik::xml::XmlMaxIndentLevels));
        EXPECT_LT(counted.count, most);
        EXPECT_GT(counted.count, static_cast<std::size_t>(Depth) * 7);
    }
    // Deep indentation stays at the cap.
    const NodePtr deep = testing_support::deepChain(tarvik::xml::XmlMaxIndentLevels + 5);
    const std::string text = written(*deep, XmlLayout::Indented);
    EXPECT_NE(text.find("\n" + std::string(tarvik::xml::XmlMaxIndentLevels, '\t') + "<n>"),
              std::string::npos);
    EXPECT_EQ(text.find(std::string(tarvik::xml::XmlMaxIndentLevels + 1, '\t')), std::string::npos);
}

// ------------------------------------------------------------------ refusals

struct RefusalCase {
    const char* what;
    void (*build)(XMLDocument&);
    const char* message;
    std::string node;
};

void addTree(XMLDocument& document, NodePtr tree) {
    document.root().appendChild(std::move(tree));
}

const RefusalCase RefusalCases[] = {
    {"element name with a space", [](XMLDocument& d) { addTree(d, element("a b")); },
     messages::XmlNameNotWritable, "/a b[1]"},
    {"empty element name", [](XMLDocument& d) { addTree(d, with(element("a"), element(""))); },
     messages::XmlNameNotWritable, "/a[1]/[1]"},
    {"name starting with a digit", [](XMLDocument& d) { addTree(d, element("1a")); },
     messages::XmlNameNotWritable, "/1a[1]"},
    {"attribute name with =",
     [](XMLDocument& d) {
         addTree(d, element("a", {"x=", "1"}));
     },
     messages::XmlNameNotWritable, "/a[1]@x="},
    {"zero byte in text",
     [](XMLDocument& d) { addTree(d, element("a", {}, std::string("x\0y", 3))); },
     messages::XmlTextNotWritable, "/a[1]"},
    {"control byte in a value",
     [](XMLDocument& d) {
         addTree(d, element("a", {"v", "\x01"}));
     },
     messages::XmlTextNotWritable, "/a[1]@v"},
    {"control byte in character data",
     [](XMLDocument& d) { addTree(d, with(element("a"), element("b"), data("\x1B"))); },
     messages::XmlTextNotWritable, "/a[1]/#cdata[2]"},
    {"GB2312 bytes in a UTF-8 document",
     [](XMLDocument& d) {
         d.head().attributes.clear();
         addTree(d, element("a", {}, "\xD6\xD0"));
     },
     messages::XmlEncodingViolation, "/a[1]"},
    {"a byte above 0x7F in US-ASCII",
     [](XMLDocument& d) {
         d.head().attribute("encoding")->value = "US-ASCII";
         addTree(d, element("a", {"v", "caf\xC3\xA9"}));
     },
     messages::XmlEncodingViolation, "/a[1]@v"},
    {"repeated attribute",
     [](XMLDocument& d) {
         addTree(d, element("a", {"x", "1", "x", "2"}));
     },
     messages::XmlDuplicateAttribute, "/a[1]@x"},
    {"data bracket",
     [](XMLDocument& d) {
         NodePtr a = element("a", {}, "1 < 2");
         a->dataBracket = '|';
         addTree(d, with(element("top"), std::move(a)));
     },
     messages::XmlDataBracketNotWritable, "/top[1]/a[1]"},
    {"character data with a name",
     [](XMLDocument& d) {
         NodePtr named = data("x");
         named->name = "n";
         addTree(d, with(element("a"), std::move(named)));
     },
     messages::CDataNotPlain, "/a[1]/#cdata[1]"},
    {"a head record XML has not",
     [](XMLDocument& d) {
         d.head().appendAttribute(XMLAttribute("valid", "no"));
         addTree(d, element("a"));
     },
     messages::XmlBadDeclaration, "/head[1]@valid"},
    {"a version XML has not",
     [](XMLDocument& d) {
         d.head().appendAttribute(XMLAttribute("version", "2.0"));
         addTree(d, element("a"));
     },
     messages::XmlBadDeclaration, "/head[1]@version"},
    {"two encodings",
     [](XMLDocument& d) {
         d.head().appendAttribute(XMLAttribute("encoding", "UTF-8"));
         addTree(d, element("a"));
     },
     messages::XmlBadDeclaration, "/head[1]@encoding"},
    {"UTF-16",
     [](XMLDocument& d) {
         d.head().attribute("encoding")->value = "UTF-16";
         addTree(d, element("a"));
     },
     messages::UnicodeFile, "/head[1]@encoding"},
    {"no element", [](XMLDocument&) {}, messages::XmlNoRootElement, ""},
    {"two elements",
     [](XMLDocument& d) {
         addTree(d, element("a"));
         addTree(d, element("b"));
     },
     messages::XmlSecondRootElement, "/b[2]"},
    {"character data beside the root element",
     [](XMLDocument& d) {
         addTree(d, data("x"));
         addTree(d, element("a"));
     },
     messages::XmlOutsideRoot, "/#cdata[1]"},
    {"an attribute on the root itself",
     [](XMLDocument& d) {
         d.root().appendAttribute(XMLAttribute("url", "x"));
         addTree(d, element("a"));
     },
     messages::XmlOutsideRoot, ""},
};

TEST(XmlWriter, RefusesWhatXmlCannotHoldBeforeWritingAByte) {
    for (const RefusalCase& c : RefusalCases) {
        SCOPED_TRACE(c.what);
        XMLDocument document;
        c.build(document);
        std::ostringstream out;
        if (const auto error = thrownBy([&] { writeXml(document, out); })) {
            EXPECT_STREQ(error->what(), c.message);
            EXPECT_EQ(error->node(), c.node);
        } else {
            ADD_FAILURE() << "written: " << out.str();
        }
        EXPECT_EQ(out.str(), "");
    }
}

// The element form checks no encoding: any byte from 0x80 up is held.
TEST(XmlWriter, TheElementFormHoldsAnyHighByte) {
    const NodePtr tree = element("a", {"v", "\xD6\xD0"}, "\xFF");
    EXPECT_EQ(written(*tree, XmlLayout::Compact), "<a v=\"\xD6\xD0\">\xFF</a>");
    const NodePtr bad = with(element("a"), element("b", {}, std::string(1, '\0')));
    std::ostringstream out;
    const auto error = thrownBy([&] { writeXml(*bad, out); });
    ASSERT_TRUE(error);
    EXPECT_STREQ(error->what(), messages::XmlTextNotWritable);
    EXPECT_EQ(error->node(), "/a[1]/b[1]");
    EXPECT_EQ(out.str(), "");
}

// ------------------------------------------------------------------ round trips

// Random well-formed documents that use what the reader decodes: a
// declaration, an internal subset with entities and attribute defaults,
// references of every kind, CDATA sections, comments, instructions, mixed
// content, indentation, line ends of all three kinds, names and text beyond
// ASCII. The same seed always gives the same document.
class RandomDocument {
public:
    explicit RandomDocument(unsigned seed) : random_(seed) {}

    std::string make() {
        std::string text;
        if (chance(2))
            text += pick({"<?xml version=\"1.0\"?>", "<?xml version='1.0' encoding='UTF-8'?>",
                          "<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"yes\"?>"});
        text += pick({"\n", "\r\n", ""});
        if (chance(2)) {
            text +=
                "<!DOCTYPE root [\n<!ENTITY plain 'Tom &#38;amp; Jerry'>\n"
                "<!ENTITY markup \"<i k='1'>in&#x4E2D;</i> tail\">\n"
                "<!ENTITY breaks '&#13;&#10;'>\n"
                "<!ATTLIST item kind CDATA 'plain' tokens NMTOKENS #IMPLIED>\n]>\n";
            entities_ = true;
        }
        text += "<!-- made -->\n";
        element(text, 0, "root");
        text += pick({"", "\n", "\n<!-- after --><?pi after?>\n"});
        return text;
    }

private:
    bool chance(unsigned in) { return random_() % in == 0; }
    template <std::size_t Count>
    const char* pick(const char* const (&choices)[Count]) {
        return choices[random_() % Count];
    }
    std::string pick(std::initializer_list<const char*> choices) {
        return *(choices.begin() + random_() % choices.size());
    }

    // Character data: in a value, no entity that brings markup in.
    std::string characters(bool inValue) {
        std::string out;
        const unsigned pieces = random_() % 5;
        for (unsigned i = 0; i < pieces; ++i) {
            out += pick({"word",
                         " ",
                         "caf\xC3\xA9",
                         "\xE4\xB8\xAD\xE6\x96\x87",
                         "\xF0\x9F\x98\x80",
                         "&amp;",
                         "&lt;",
                         "&gt;",
                         "&quot;",
                         "&apos;",
                         "&#x4E2D;",
                         "&#13;",
                         "&#9;",
                         "&#10;",
                         "]]",
                         "]",
                         ">",
                         "\t",
                         "\n",
                         "\r\n",
                         "\r",
                         "'",
                         "\""});
            if (entities_ && chance(6))
                out += inValue ? pick({"&plain;", "&breaks;"})
                               : pick({"&plain;", "&breaks;", "&markup;"});
        }
        // "]]>" may not stand in text, and two pieces may have made one.
        for (std::size_t at; (at = out.find("]]>")) != std::string::npos;)
            out.replace(at + 2, 1, "&gt;");
        return out;
    }

    std::string value() {
        std::string raw = characters(true);
        std::string quoted;
        for (const char c : raw)
            quoted += c == '"' ? std::string("&quot;") : std::string(1, c);
        return quoted;
    }

    void element(std::string& text, int depth, const std::string& name) {
        text += "<" + name;
        const unsigned attributes = random_() % 4;
        const char* const names[] = {"id", "v", "x:lang", "\xC3\xA9t\xC3\xA9", "tokens"};
        for (unsigned i = 0; i < attributes; ++i)
            text += std::string(i == 0 ? " " : pick({" ", "\n\t", "  "})) + names[i] +
                    pick({"=", " = "}) + "\"" + value() + "\"";
        if (chance(5)) {
            text += "/>";
            return;
        }
        text += ">";
        const unsigned items = depth > 5 ? 0 : random_() % 6;
        const bool indented = chance(2);
        for (unsigned i = 0; i < items; ++i) {
            if (indented)
                text += "\n" + std::string(static_cast<std::size_t>(depth + 1), '\t');
            switch (random_() % 6) {
                case 0:
                    text += characters(false);
                    break;
                case 1:
                    text += "<![CDATA[" + pick({"", "<raw> & ", "]", "x]]y", "\r\n"}) + "]]>";
                    break;
                case 2:
                    text += pick({"<!-- note -->", "<?pi data?>", "<!---->"});
                    break;
                default:
                    element(text, depth + 1,
                            pick({"item", "a", "b",
                                  "donn\xC3\xA9"
                                  "es",
                                  "\xE5\x90\x8D\xE5\x89\x8D", "x:y", "_z"}));
            }
        }
        if (indented && items > 0)
            text += "\n" + std::string(static_cast<std::size_t>(depth), '\t');
        text += "</" + name + ">";
    }

    std::mt19937 random_;
    bool entities_ = false;
};

constexpr unsigned RoundTripDocuments = 300;

std::string headText(const XMLDocument& document) {
    std::string out;
    for (const XMLAttribute& attribute : document.head().attributes)
        out += attribute.name + "=" + attribute.value + ";";
    return out;
}

// For every tree parseXml builds, parseXml(writeXml(tree)) builds it again,
// in either layout, head and all.
TEST(XmlWriter, WhatParseXmlBuildsReadsBackTheSame) {
    for (unsigned seed = 1; seed <= RoundTripDocuments; ++seed) {
        const std::string text = RandomDocument(seed).make();
        SCOPED_TRACE(text);
        XMLDocument parsed;
        parsed.parseXml(text.data(), text.size());
        for (const XmlLayout layout : {XmlLayout::Indented, XmlLayout::Compact}) {
            const std::string again = written(parsed, layout);
            SCOPED_TRACE(again);
            XMLDocument back;
            back.parseXml(again.data(), again.size());
            EXPECT_TRUE(testing_support::sameTree(parsed.root(), back.root()));
            EXPECT_EQ(headText(back), headText(parsed));
        }
    }
}

// ------------------------------------------------------------------ files

class XmlSave : public testing::Test {
protected:
    void SetUp() override {
        directory_ = testing::TempDir() + "tarvik_xml_writer_" +
                     testing::UnitTest::GetInstance()->current_test_info()->name();
        std::filesystem::create_directories(directory_);
        path_ = directory_ + "/saved.xml";
    }
    void TearDown() override { std::filesystem::remove_all(directory_); }

    std::string fileText() const {
        std::ifstream in(path_, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    std::string directory_;
    std::string path_;
};

TEST_F(XmlSave, SavesAndLoadsBack) {
    XMLDocument document;
    const std::string text =
        "<?xml version=\"1.0\" encoding=\"gb2312\"?>\n<game title=\"\xD6\xD0&amp;\">\n"
        "\t<motd>1 &lt; 2</motd>\n\t<p>a <b>b</b> c</p>\n</game>\n";
    document.parseXml(text.data(), text.size());
    document.saveXmlFile(path_);
    EXPECT_EQ(fileText(), text);
    XMLDocument back;
    back.loadXmlFile(path_);
    EXPECT_TRUE(testing_support::sameTree(document.root(), back.root()));
}

TEST_F(XmlSave, ARefusedTreeLeavesTheFileAsItWas) {
    {
        std::ofstream old(path_, std::ios::binary);
        old << "old";
    }
    XMLDocument document;
    document.root().appendChild(with(element("a"), element("ok"), element("bad name")));
    const auto error = thrownBy([&] { document.saveXmlFile(path_); });
    ASSERT_TRUE(error);
    EXPECT_STREQ(error->what(), messages::XmlNameNotWritable);
    EXPECT_EQ(error->source(), path_);
    EXPECT_EQ(error->node(), "/a[1]/bad name[2]");
    EXPECT_EQ(fileText(), "old");
    // No temporary file is left beside it.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(directory_),
                            std::filesystem::directory_iterator()),
              1);
}

// Every file saveXmlFile writes is well-formed to libxml2 as well, where its
// xmllint is installed (tools/install-deps.sh base).
TEST_F(XmlSave, XmllintAcceptsWhatIsSaved) {
    if (std::system("xmllint --version >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "xmllint is not installed";
    std::vector<std::string> texts;
    for (unsigned seed = 1; seed <= RoundTripDocuments; seed += 7)
        texts.push_back(RandomDocument(seed).make());
    texts.push_back(
        "<?xml version='1.0' encoding='gb2312'?><\xD6\xD0 "
        "\xCE\xC4='\xD3\xCE&#9;'>\xCF\xB7</\xD6\xD0>");
    texts.push_back("<?xml version='1.0' encoding='ISO-8859-1'?><a v='\xE9'>&#xE9;\xFF</a>");
    texts.push_back(
        "<?xml version='1.0' encoding='Shift_JIS'?><\x83\x52\x81\x5B>\x83\x68</\x83\x52\x81\x5B>");
    for (const std::string& text : texts) {
        SCOPED_TRACE(text);
        XMLDocument document;
        document.parseXml(text.data(), text.size());
        for (const XmlLayout layout : {XmlLayout::Indented, XmlLayout::Compact}) {
            tarvik::xml::saveXmlFile(document, path_, layout);
            EXPECT_EQ(std::system(("xmllint --noout '" + path_ + "'").c_str()), 0) << fileText();
        }
    }
}

}  // namespace
