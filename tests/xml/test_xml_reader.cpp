#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "support/document_file.h"
#include "support/text_checks.h"
#include "support/tree_text.h"
#include "support/trees.h"
#include "xml/messages.h"
#include "xml/xml_reader.h"

using tarvik::xml::XMLAttribute;
using tarvik::xml::XMLDocument;
using tarvik::xml::XMLElement;
using tarvik::xml::XMLException;
using testing_support::sameTree;
using testing_support::thrownBy;
using testing_support::treeIsConsistent;
namespace messages = tarvik::xml::messages;

namespace {

// "<a x='1' text='t' [run] <b>>": attributes in order, the text, then the
// children, a CDATA node (a run of character data) as [its text].
std::string picture(const XMLElement& element) {
    if (element.isCData())
        return "[" + element.text + "]";
    std::string out = "<" + element.name;
    for (const XMLAttribute& attribute : element.attributes)
        out += " " + attribute.name + "='" + attribute.value + "'";
    if (!element.text.empty())
        out += " text='" + element.text + "'";
    for (const auto& child : element.children)
        out += " " + picture(*child);
    return out + ">";
}

// The head's attributes, "version=1.0 encoding=UTF-8".
std::string headPicture(const XMLDocument& document) {
    std::string out;
    for (const XMLAttribute& attribute : document.head().attributes)
        out += (out.empty() ? "" : " ") + attribute.name + "=" + attribute.value;
    return out;
}

// Parses `text` from a heap copy with nothing after its bytes, so the
// sanitizer build sees any read past the end.
void parse(XMLDocument& document, const std::string& text) {
    const std::vector<char> bytes(text.begin(), text.end());
    document.parseXml(bytes.data(), bytes.size());
}

// The picture of the root element `text` reads as.
std::string readAs(const std::string& text) {
    XMLDocument document;
    parse(document, text);
    EXPECT_EQ(document.root().children.size(), 1u);
    EXPECT_TRUE(treeIsConsistent(document.root()));
    return picture(*document.root().children.front());
}

// ------------------------------------------------------------------ the tree

struct TreeCase {
    const char* what;
    std::string text;
    std::string tree;
};

const TreeCase TreeCases[] = {
    {"attributes in both quotes", "<a x=\"1\" y='2'/>", "<a x='1' y='2'>"},
    {"white space around = and before the end", "<a x = '1' ></a >", "<a x='1'>"},
    {"text only", "<a>Hello, world</a>", "<a text='Hello, world'>"},
    {"white space only text is text", "<a>\n  </a>", "<a text='\n  '>"},
    {"mixed content keeps every run", "<p>Hello <b>bold</b> tail</p>",
     "<p [Hello ] <b text='bold'> [ tail]>"},
    {"indentation is dropped", "<a>\n  <b/>\n  <c>x</c>\n</a>", "<a <b> <c text='x'>>"},
    {"white space kept where another run holds data", "<a>\n <b/> x <c/>\n</a>",
     "<a [\n ] <b> [ x ] <c> [\n]>"},
    {"CDATA sections join their run", "<a>x<![CDATA[<y> & ]]>z</a>", "<a text='x<y> & z'>"},
    {"CDATA between child elements", "<a><b/><![CDATA[ ]]><c/></a>", "<a <b> <c>>"},
    {"comments and instructions leave no trace", "<a>x<!-- c -->y<?pi data?>z</a>",
     "<a text='xyz'>"},
    {"predefined entities", "<a v='&lt;&gt;&amp;&apos;&quot;'>&lt;&gt;&amp;&apos;&quot;</a>",
     "<a v='<>&'\"' text='<>&'\"'>"},
    {"character references", "<a>&#65;&#x42;&#x4E2D;&#0000067;</a>",
     "<a text='AB\xE4\xB8\xAD"
     "C'>"},
    {"an internal entity with markup",
     "<!DOCTYPE a [<!ENTITY e \"<b>x</b>&#38;amp;\">]><a>1&e;2</a>", "<a [1] <b text='x'> [&2]>"},
    {"entities within entities",
     "<!DOCTYPE a [<!ENTITY f 'F'><!ENTITY e '[&f;]'>]><a v='&e;'>&e;</a>",
     "<a v='[F]' text='[F]'>"},
    {"attribute values normalised", "<a v='x\ty\nz&#9;&#10;&#13;w' u=\"it's\"/>",
     "<a v='x y z\t\n\rw' u='it's'>"},
    {"white space from an entity normalised",
     "<!DOCTYPE a [<!ENTITY e '&#13;&#10;'>]><a v='x&e;y'/>", "<a v='x  y'>"},
    {"declared defaults and tokens",
     "<!DOCTYPE a [<!ATTLIST a t NMTOKENS #IMPLIED d CDATA 'D' f CDATA #FIXED ' f '>]>"
     "<a t='  1   2 '/>",
     "<a t='1 2' d='D' f=' f '>"},
    {"the first declaration counts",
     "<!DOCTYPE a [<!ATTLIST a d CDATA 'one'><!ATTLIST a d CDATA 'two'>"
     "<!ENTITY e 'E1'><!ENTITY e 'E2'>]><a>&e;</a>",
     "<a d='one' text='E1'>"},
    {"an internal parameter entity declares",
     "<!DOCTYPE a [<!ENTITY % p \"<!ENTITY e 'P'>\"> %p;]><a>&e;</a>", "<a text='P'>"},
    {"declarations after an unread external entity are not used",
     "<!DOCTYPE a [<!ENTITY % x SYSTEM 'x.ent'> %x; <!ATTLIST a d CDATA 'D'>]><a/>", "<a>"},
    {"unless the document stands alone",
     "<?xml version='1.0' standalone='yes'?><!DOCTYPE a [<!ENTITY % x SYSTEM 'x.ent'> %x; "
     "<!ATTLIST a d CDATA 'D'>]><a/>",
     "<a d='D'>"},
    {"line ends become LF", "<a v='1\r\n2'>x\r\ny\rz</a>", "<a v='1 2' text='x\ny\nz'>"},
    {"a character reference to CR stays", "<a>x&#13;\r\n</a>", "<a text='x\r\n'>"},
    {"UTF-8 byte-order mark", "\xEF\xBB\xBF<a/>", "<a>"},
    {"names beyond ASCII", "<\xE5\x90\x8D \xC3\xA9t\xC3\xA9='1'/>",
     "<\xE5\x90\x8D \xC3\xA9t\xC3\xA9='1'>"},
    {"GB2312 held byte for byte",
     "<?xml version='1.0' encoding='gb2312'?><\xD6\xD0 "
     "\xCE\xC4='\xD3\xCE'>\xCF\xB7&#65;</\xD6\xD0>",
     "<\xD6\xD0 \xCE\xC4='\xD3\xCE' text='\xCF\xB7"
     "A'>"},
    // コード: the second byte of ー is "[".
    {"Shift_JIS names whose second bytes are ASCII",
     "<?xml version='1.0' encoding='Shift_JIS'?><\x83\x52\x81\x5B "
     "a\x81\x5B='\x83\x68'>x</\x83\x52\x81\x5B>",
     "<\x83\x52\x81\x5B a\x81\x5B='\x83\x68' text='x'>"},
    {"ISO-8859-1 references become bytes",
     "<?xml version='1.0' encoding='ISO-8859-1'?><a>&#xE9;\xE9</a>", "<a text='\xE9\xE9'>"},
    {"prolog and epilog", "<?pi x?>\n<!-- c -->\n<!DOCTYPE a>\n<a/>\n<!-- d --><?pi?>\n", "<a>"},
};

TEST(XmlReader, BuildsTheTreeTheHeaderDescribes) {
    for (const TreeCase& c : TreeCases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(readAs(c.text), c.tree);
    }
}

TEST(XmlReader, TheDeclarationReplacesTheHead) {
    struct Case {
        std::string text;
        std::string head;
    };
    const Case cases[] = {
        {"<?xml version='1.0' encoding=\"UTF-8\" standalone='no'?><a/>",
         "version=1.0 encoding=UTF-8 standalone=no"},
        {"<?xml version=\"1.1\"?><a/>", "version=1.1"},
        {"<a/>", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        XMLDocument document;  // a new document's head says gb2312
        parse(document, c.text);
        EXPECT_EQ(headPicture(document), c.head);
    }
}

// ------------------------------------------------------------------ errors

struct ErrorCase {
    const char* what;
    std::string text;
    const char* message;
    int line;
    int column;
};

const ErrorCase ErrorCases[] = {
    {"empty", "", messages::XmlNoRootElement, 1, 1},
    {"white space only", " \n ", messages::XmlNoRootElement, 2, 2},
    {"plain text", "hello", messages::XmlOutsideRoot, 1, 1},
    {"text after the root", "<a/>\nx", messages::XmlOutsideRoot, 2, 1},
    {"a reference after the root", "<a/>&#32;", messages::XmlOutsideRoot, 1, 5},
    {"two roots", "<a/>\n<b/>", messages::XmlSecondRootElement, 2, 1},
    {"unclosed", "<a>\n<b>\n</b>", messages::XmlElementNotClosed, 3, 5},
    {"mismatched", "<a>\n  <b></c>\n</a>", messages::XmlEndTagMismatch, 2, 6},
    {"end tag case", "<doc></DOC>", messages::XmlEndTagMismatch, 1, 6},
    {"name starting with a digit", "<a><1/></a>", messages::XmlInvalidName, 1, 5},
    {"bare <", "<a>1 < 2</a>", messages::XmlBareLessThan, 1, 6},
    {"bare &", "<a>A & B</a>", messages::XmlBadReference, 1, 6},
    {"reference without ;", "<a>&amp x</a>", messages::XmlBadReference, 1, 4},
    {"hexadecimal X", "<a>&#X41;</a>", messages::XmlBadReference, 1, 4},
    {"]]> in text", "<a>x]]>y</a>", messages::XmlCDataEndInText, 1, 5},
    {"a control character", "<a>\x0C</a>", messages::XmlInvalidCharacter, 1, 4},
    {"U+FFFE", "<a>\xEF\xBF\xBE</a>", messages::XmlInvalidCharacter, 1, 4},
    {"bad UTF-8", "<a>\n\xC3(</a>", messages::XmlEncodingViolation, 2, 1},
    {"a surrogate in UTF-8", "<a>\xED\xA0\x80</a>", messages::XmlEncodingViolation, 1, 4},
    {"a three-byte sequence cut short", "<a>\xE4\xB8</a>", messages::XmlEncodingViolation, 1, 4},
    {"above U+007F in US-ASCII", "<?xml version='1.0' encoding='us-ascii'?><a>\xE9</a>",
     messages::XmlEncodingViolation, 1, 45},
    {"above U+007F in a US-ASCII name", "<?xml version='1.0' encoding='us-ascii'?><a\xE9/>",
     messages::XmlEncodingViolation, 1, 44},
    {"a control character in GB2312 text", "<?xml version='1.0' encoding='gb2312'?><a>\xD6\x01</a>",
     messages::XmlInvalidCharacter, 1, 44},
    {"a control character in a value", "<a b='x\x1F'/>", messages::XmlInvalidCharacter, 1, 8},
    {"a control character in a comment", "<a><!-- \x01 --></a>", messages::XmlInvalidCharacter, 1,
     9},
    {"bad UTF-8 in an instruction", "<a><?pi \xFF?></a>", messages::XmlEncodingViolation, 1, 9},
    {"U+FFFF in a CDATA section", "<a><![CDATA[\xEF\xBF\xBF]]></a>", messages::XmlInvalidCharacter,
     1, 13},
    {"an overlong form in an entity value", "<!DOCTYPE a [<!ENTITY e '\xC0\x80'>]><a/>",
     messages::XmlEncodingViolation, 1, 26},
    {"a control character in a system literal", "<!DOCTYPE a SYSTEM '\x02'><a/>",
     messages::XmlInvalidCharacter, 1, 21},
    {"a zero byte after the root", std::string("<a/>\0", 5), messages::XmlInvalidCharacter, 1, 5},
    {"a forbidden byte after a markup error", "<a></b>\n\x01", messages::XmlInvalidCharacter, 2, 1},
    {"reference to a forbidden character", "<a>&#1;</a>", messages::XmlInvalidCharRef, 1, 4},
    {"reference past U+10FFFF", "<a>&#x110000;</a>", messages::XmlInvalidCharRef, 1, 4},
    {"reference without a table", "<?xml version='1.0' encoding='gb2312'?><a>&#x4E2D;</a>",
     messages::XmlCharRefNotEncodable, 1, 43},
    {"reference beyond Latin-1", "<?xml version='1.0' encoding='latin1'?><a>&#256;</a>",
     messages::XmlCharRefNotEncodable, 1, 43},
    {"attribute without value", "<a b></a>", messages::XmlBadAttribute, 1, 5},
    {"attribute without quotes", "<a b=1/>", messages::XmlBadAttribute, 1, 6},
    {"attributes run together", "<a b='1'c='2'/>", messages::XmlMissingSpace, 1, 9},
    {"< in a value", "<a b='<'/>", messages::XmlLessThanInAttribute, 1, 7},
    {"< from an entity in a value", "<!DOCTYPE a [<!ENTITY e '&#60;'>]><a b='&e;'/>",
     messages::XmlLessThanInAttribute, 1, 41},
    {"duplicate attribute", "<a b='1' c='2' b='3'/>", messages::XmlDuplicateAttribute, 1, 16},
    {"tag not closed", "<a b='1'", messages::XmlBadTag, 1, 9},
    {"undeclared entity", "<a>&nbsp;</a>", messages::XmlUndeclaredEntity, 1, 4},
    {"recursive entity", "<!DOCTYPE a [<!ENTITY e '&f;'><!ENTITY f '&e;'>]><a>&e;</a>",
     messages::XmlRecursiveEntity, 1, 53},
    {"external entity in text", "<!DOCTYPE a [<!ENTITY e SYSTEM 'e.xml'>]><a>&e;</a>",
     messages::XmlExternalEntityNotRead, 1, 45},
    {"external entity in a value", "<!DOCTYPE a [<!ENTITY e SYSTEM 'e.xml'>]><a v='&e;'/>",
     messages::XmlExternalEntityInAttribute, 1, 48},
    {"unparsed entity", "<!DOCTYPE a [<!ENTITY e SYSTEM 'e' NDATA n>]><a>&e;</a>",
     messages::XmlUnparsedEntity, 1, 49},
    {"element across an entity's end", "<!DOCTYPE a [<!ENTITY e '<b>'>]><a>&e;</b></a>",
     messages::XmlEntityNotBalanced, 1, 36},
    {"-- in a comment", "<a><!-- x -- y --></a>", messages::XmlBadComment, 1, 11},
    {"comment not closed", "<a>\n<!-- x", messages::XmlCommentNotClosed, 2, 1},
    {"CDATA not closed", "<a><![CDATA[x</a>", messages::XmlCDataNotClosed, 1, 4},
    {"CDATA misspelt", "<a><![cdata[x]]></a>", messages::XmlBadMarkup, 1, 4},
    {"instruction without target", "<a><? x?></a>", messages::XmlBadInstruction, 1, 6},
    {"instruction not closed", "<a><?pi x></a>", messages::XmlInstructionNotClosed, 1, 4},
    {"declaration not first", "\n<?xml version='1.0'?><a/>", messages::XmlReservedTarget, 2, 1},
    {"declaration without version", "<?xml encoding='UTF-8'?><a/>", messages::XmlBadDeclaration, 1,
     7},
    {"declaration out of order", "<?xml version='1.0' standalone='yes' encoding='UTF-8'?><a/>",
     messages::XmlBadDeclaration, 1, 38},
    {"standalone in capitals", "<?xml version='1.0' standalone='YES'?><a/>",
     messages::XmlBadDeclaration, 1, 33},
    {"UTF-16 declared", "<?xml version='1.0' encoding='UTF-16'?><a/>", messages::UnicodeFile, 1,
     31},
    {"UTF-16 without a mark", std::string("<\0a\0/\0>\0", 8), messages::UnicodeFile, 1, 1},
    {"UTF-16 with a mark", std::string("\xFF\xFE<\0a\0/\0>\0", 10), messages::UnicodeFile, 1, 1},
    {"UTF-32", std::string("\0\0\0<\0\0\0a", 8), messages::UnicodeFile, 1, 1},
    {"a mark against the declaration", "\xEF\xBB\xBF<?xml version='1.0' encoding='latin1'?><a/>",
     messages::XmlEncodingMismatch, 1, 34},
    {"second document type", "<!DOCTYPE a><!DOCTYPE a><a/>", messages::XmlMisplacedDoctype, 1, 13},
    {"document type after the root", "<a/><!DOCTYPE a>", messages::XmlMisplacedDoctype, 1, 5},
    {"document type not closed", "<!DOCTYPE a [", messages::XmlBadDoctype, 1, 14},
    {"stray text in the subset", "<!DOCTYPE a [ x ]><a/>", messages::XmlBadDtdContent, 1, 15},
    {"content model mixing , and |", "<!DOCTYPE a [<!ELEMENT a (b, c | d)>]><a/>",
     messages::XmlBadElementDecl, 1, 32},
    {"mixed content without *", "<!DOCTYPE a [<!ELEMENT a (#PCDATA | b)>]><a/>",
     messages::XmlBadElementDecl, 1, 39},
    {"unknown attribute type", "<!DOCTYPE a [<!ATTLIST a b NAME #IMPLIED>]><a/>",
     messages::XmlBadAttlistDecl, 1, 28},
    {"public id with [", "<!DOCTYPE a [<!ENTITY e PUBLIC '[' 'e'>]><a/>",
     messages::XmlBadEntityDecl, 1, 33},
    {"notation not closed", "<!DOCTYPE a [<!NOTATION n SYSTEM 'n' x>]><a/>",
     messages::XmlBadNotationDecl, 1, 38},
    {"parameter entity inside a declaration",
     "<!DOCTYPE a [<!ENTITY % p 'x'><!ENTITY e '%p;'>]><a/>", messages::XmlPEInDeclaration, 1, 43},
    {"conditional section", "<!DOCTYPE a [<![INCLUDE[]]>]><a/>", messages::XmlConditionalSection, 1,
     14},
};

TEST(XmlReader, RefusesWhatIsNotWellFormedWithTheRuleAndThePlace) {
    for (const ErrorCase& c : ErrorCases) {
        SCOPED_TRACE(c.what);
        XMLDocument document;
        if (const auto error = thrownBy([&] { parse(document, c.text); })) {
            EXPECT_STREQ(error->what(), c.message);
            EXPECT_EQ(error->line(), c.line);
            EXPECT_EQ(error->column(), c.column);
            EXPECT_GE(error->offset(), 0);
        } else {
            ADD_FAILURE() << "accepted: " << picture(document.root());
        }
    }
}

// Offsets, lines and columns count the text as given, CR LF included.
TEST(XmlReader, PlacesErrorsInTheTextAsGiven) {
    struct Case {
        std::string text;
        int64_t offset;
        int line;
        int column;
    };
    const Case cases[] = {
        {"<a>\r\n<b>\r\n</c>", 10, 3, 1},
        {"<a>\r<b>\r</c>", 8, 3, 1},
        {"<a>\r\n\r\n&x;</a>", 7, 3, 1},
        {"\xEF\xBB\xBF<a/>x", 7, 1, 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        XMLDocument document;
        if (const auto error = thrownBy([&] { parse(document, c.text); })) {
            EXPECT_EQ(error->offset(), c.offset);
            EXPECT_EQ(error->line(), c.line);
            EXPECT_EQ(error->column(), c.column);
        } else {
            ADD_FAILURE() << "accepted";
        }
    }
}

// A tag with many attributes is checked by sorting, not pair by pair.
TEST(XmlReader, RepeatsAmongManyAttributesAreFound) {
    std::string tag = "<a";
    for (int i = 0; i < 40; ++i)
        tag += " n" + std::to_string(i) + "='" + std::to_string(i) + "'";
    EXPECT_EQ(thrownBy([&] { readAs(tag + "/>"); }), std::nullopt);
    const auto error = thrownBy([&] { readAs(tag + " n3='again'/>"); });
    ASSERT_TRUE(error);
    EXPECT_STREQ(error->what(), messages::XmlDuplicateAttribute);
}

// ------------------------------------------------------------------ the document

TEST(XmlReader, ARefusedTextLeavesTheDocumentAsItWas) {
    XMLDocument document;
    parse(document, "<?xml version='1.0'?><game><server port='80'/>text</game>");
    const std::unique_ptr<XMLElement> before = document.root().clone();
    for (const char* bad :
         {"<game><server/>", "<?xml version='1.0' encoding='latin1'?><x>&#300;</x>", "<a/><b/>",
          ""}) {
        SCOPED_TRACE(bad);
        EXPECT_TRUE(thrownBy([&] { parse(document, bad); }));
        EXPECT_TRUE(sameTree(*before, document.root()));
        EXPECT_EQ(headPicture(document), "version=1.0");
    }
}

// A text held in the document's own tree is copied before the tree goes.
TEST(XmlReader, ReadsATextHeldInItsOwnTree) {
    XMLDocument document;
    parse(document, "<outer>&lt;inner a='1'&gt;x&lt;/inner&gt;</outer>");
    const std::string& inner = document.root().children.front()->text;
    document.parseXml(inner.data(), inner.size());
    EXPECT_EQ(picture(document.root()), "<AbsoluteRoot <inner a='1' text='x'>>");
}

TEST(XmlReader, ANullTextIsEmpty) {
    XMLDocument document;
    const auto error = thrownBy([&] { document.parseXml(nullptr, 5); });
    ASSERT_TRUE(error);
    EXPECT_STREQ(error->what(), messages::XmlNoRootElement);
}

// ------------------------------------------------------------------ bounds

// The classic: ten levels of ten references, 10^10 bytes if expanded.
std::string billionLaughs(const std::string& innermost) {
    std::string text = "<!DOCTYPE a [<!ENTITY e0 '" + innermost + "'>";
    for (int level = 1; level <= 10; ++level) {
        std::string refs;
        for (int i = 0; i < 10; ++i)
            refs += "&e" + std::to_string(level - 1) + ";";
        text += "<!ENTITY e" + std::to_string(level) + " '" + refs + "'>";
    }
    return text + "]><a v='&e10;'>&e10;</a>";
}

TEST(XmlReader, EntityExpansionIsBounded) {
    for (const char* innermost : {"lol", ""}) {
        SCOPED_TRACE(innermost);
        XMLDocument document;
        const auto error = thrownBy([&] { parse(document, billionLaughs(innermost)); });
        ASSERT_TRUE(error);
        EXPECT_STREQ(error->what(), messages::XmlEntityExpansionLimit);
    }
    // Below the bound, the same entities expand in full.
    std::string text = "<!DOCTYPE a [<!ENTITY e 'lol'><!ENTITY f '&e;&e;&e;'>]><a>&f;&f;</a>";
    EXPECT_EQ(readAs(text), "<a text='lollollollollollol'>");
}

// Defaults added to tags count too: 2,000 empty defaults on each of 2,000
// tags would make four million attributes out of 50 KB.
TEST(XmlReader, DeclaredDefaultsCountAgainstTheBound) {
    std::string text = "<!DOCTYPE r [<!ATTLIST a";
    for (int i = 0; i < 2000; ++i)
        text += " d" + std::to_string(i) + " CDATA ''";
    text += ">]><r>";
    for (int i = 0; i < 2000; ++i)
        text += "<a/>";
    text += "</r>";
    XMLDocument document;
    const auto error = thrownBy([&] { parse(document, text); });
    ASSERT_TRUE(error);
    EXPECT_STREQ(error->what(), messages::XmlEntityExpansionLimit);
}

TEST(XmlReader, AMillionLevelsDeepReadAndFree) {
    constexpr size_t Depth = 1000000;
    std::string text;
    text.reserve(Depth * 8);
    for (size_t i = 0; i < Depth; ++i)
        text += "<n>";
    text += "x";
    for (size_t i = 0; i < Depth; ++i)
        text += "</n>";
    XMLDocument document;
    parse(document, text);
    EXPECT_EQ(testing_support::chainDepth(document.root()), static_cast<int>(Depth));
}

// ------------------------------------------------------------------ files

using XmlFile = testing_support::DocumentFile;

TEST_F(XmlFile, LoadsAFile) {
    write(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<a x='&amp;'>\r\n  "
        "<b>\xE4\xB8\xAD</b>\r\n</a>\r\n");
    document.loadXmlFile(path_);
    EXPECT_EQ(picture(document.root()), "<AbsoluteRoot <a x='&' <b text='\xE4\xB8\xAD'>>>");
    EXPECT_STREQ(document.head().findAttribute("encoding"), "UTF-8");
}

TEST_F(XmlFile, ErrorsNameTheFileLineAndColumn) {
    for (const std::string& content : {std::string(""), std::string("<a>\r\n<b/>\r\n</c>\r\n")}) {
        SCOPED_TRACE(content);
        write(content);
        const auto error = thrownBy([&] { document.loadXmlFile(path_); });
        ASSERT_TRUE(error);
        EXPECT_EQ(error->source(), path_);
        const int line = content.empty() ? 1 : 3;
        const char* message =
            content.empty() ? messages::XmlNoRootElement : messages::XmlEndTagMismatch;
        EXPECT_EQ(error->describe(), path_ + ":" + std::to_string(line) + ":1: " + message);
    }
}

TEST_F(XmlFile, MissingFileCannotBeOpened) {
    const auto error = thrownBy([&] { document.loadXmlFile(path_ + ".missing"); });
    ASSERT_TRUE(error);
    EXPECT_STREQ(error->what(), messages::CannotOpenFile);
}

}  // namespace
