#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
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

}  // namespace
