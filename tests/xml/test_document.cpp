#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <utility>

#include "support/tree_text.h"
#include "support/trees.h"
#include "xml/document.h"
#include "xml/file.h"

using tarvik::xml::loadMarkupStream;
using tarvik::xml::nameHash;
using tarvik::xml::XMLAttribute;
using tarvik::xml::XMLCData;
using tarvik::xml::XMLDocument;
using tarvik::xml::XMLElement;
using tarvik::xml::XMLException;
using testing_support::chainDepth;
using testing_support::deepChain;
using testing_support::treeIsConsistent;
using testing_support::treeText;

namespace {

TEST(NameHash, FollowsTheDefinition) {
    EXPECT_EQ(nameHash(""), 0);
    EXPECT_EQ(nameHash(nullptr), 0);
    EXPECT_EQ(nameHash("a"), 97);
    EXPECT_EQ(nameHash("ab"), 3105);
    // Bytes from 0x80 count as negative: 0xD6 is -42, 0xD0 is -48.
    EXPECT_EQ(nameHash("\xD6"), -42);
    EXPECT_EQ(nameHash("\xD6\xD0"), -42 * 31 - 48);
}

TEST(NameHash, WrapsIn32Bits) {
    // Long names overflow many times; the result must equal the wrapped sum
    // computed in 64 bits (and the sanitizer build catches signed overflow).
    const std::string name(200, 'z');
    uint32_t expected = 0;
    for (char c : name)
        expected = expected * 31u + static_cast<uint32_t>(c);
    EXPECT_EQ(nameHash(name.c_str()), static_cast<int32_t>(expected));
    const std::string high(200, '\xFF');
    uint64_t wide = 0;
    for (size_t i = 0; i < high.size(); ++i)
        wide = wide * 31u - 1u;
    EXPECT_EQ(nameHash(high.c_str()), static_cast<int32_t>(static_cast<uint32_t>(wide)));
}

TEST(Attribute, KeepsHashInStepWithName) {
    XMLAttribute byText("name", "value");
    EXPECT_EQ(byText.hash, nameHash("name"));
    XMLAttribute byString(std::string("k"), std::string("v"));
    EXPECT_EQ(byString.hash, nameHash("k"));
    byString.setName("other");
    EXPECT_EQ(byString.name, "other");
    EXPECT_EQ(byString.hash, nameHash("other"));
    XMLAttribute nulls(static_cast<const char*>(nullptr), nullptr);
    EXPECT_EQ(nulls.name, "");
    EXPECT_EQ(nulls.hash, 0);
}

TEST(Element, FindAttributeReturnsTheEarliestMatch) {
    XMLElement element;
    element.appendAttribute(XMLAttribute("a", "1"));
    element.appendAttribute(XMLAttribute("b", "2"));
    element.appendAttribute(XMLAttribute("a", "3"));
    EXPECT_STREQ(element.findAttribute("a"), "1");
    EXPECT_STREQ(element.findAttribute("b"), "2");
    EXPECT_EQ(element.findAttribute("c"), nullptr);
    EXPECT_EQ(XMLElement().findAttribute("a"), nullptr);
}

TEST(Element, FindAttributeTellsCollidingHashesApart) {
    // "Aa" and "BB" share the hash 2112.
    ASSERT_EQ(nameHash("Aa"), nameHash("BB"));
    XMLElement element;
    element.appendAttribute(XMLAttribute("Aa", "first"));
    element.appendAttribute(XMLAttribute("BB", "second"));
    EXPECT_STREQ(element.findAttribute("BB"), "second");
    EXPECT_STREQ(element.findAttribute("Aa"), "first");
}

TEST(Element, FindAttributeComparesTheHashFirst) {
    // A record whose hash was tampered with no longer matches: the hash is the gate.
    XMLElement element;
    element.appendAttribute(XMLAttribute("a", "1"));
    element.attributes.front().hash += 1;
    EXPECT_EQ(element.findAttribute("a"), nullptr);
}

// Fallbacks that no row produces, so a fallback is told from a value.
constexpr int32_t IntFallback = -7;
constexpr int64_t Int64Fallback = -7;
constexpr double DoubleFallback = -0.25;
constexpr int BoolFallback = -1;  // neither true (1) nor false (0)

struct NumberCase {
    std::string value;
    int32_t asInt;
    int64_t asInt64;
    double asDouble;
    int asBool;
};

const NumberCase NumberCases[] = {
    {"42", 42, 42, 42, BoolFallback},
    {" \t42\r\n ", 42, 42, 42, BoolFallback},
    {"-42", -42, -42, -42, BoolFallback},
    {" 0X1f ", 31, 31, DoubleFallback, BoolFallback},
    {"-0x10", -16, -16, DoubleFallback, BoolFallback},
    {"2147483648", IntFallback, 2147483648LL, 2147483648.0, BoolFallback},
    {"-2147483648", INT32_MIN, INT32_MIN, -2147483648.0, BoolFallback},
    {"0xFFFFFFFF", IntFallback, 0xFFFFFFFFLL, DoubleFallback, BoolFallback},
    {"-9223372036854775808", IntFallback, INT64_MIN, -9223372036854775808.0, BoolFallback},
    {"9223372036854775808", IntFallback, Int64Fallback, 9223372036854775808.0, BoolFallback},
    {"0x10000000000000000", IntFallback, Int64Fallback, DoubleFallback, BoolFallback},
    {"1.5", IntFallback, Int64Fallback, 1.5, BoolFallback},
    {"+.5", IntFallback, Int64Fallback, 0.5, BoolFallback},
    {"-2e3", IntFallback, Int64Fallback, -2000, BoolFallback},
    {"1e400", IntFallback, Int64Fallback, DoubleFallback, BoolFallback},
    {"1", 1, 1, 1, true},
    {"0", 0, 0, 0, false},
    {" TRUE ", IntFallback, Int64Fallback, DoubleFallback, true},
    {"Yes", IntFallback, Int64Fallback, DoubleFallback, true},
    {"fAlSe", IntFallback, Int64Fallback, DoubleFallback, false},
    {"NO", IntFallback, Int64Fallback, DoubleFallback, false},
    // Not wholly a number of any kind.
    {"", IntFallback, Int64Fallback, DoubleFallback, BoolFallback},
    {"0x", IntFallback, Int64Fallback, DoubleFallback, BoolFallback},
    {"4 2", IntFallback, Int64Fallback, DoubleFallback, BoolFallback},
    {"42abc", IntFallback, Int64Fallback, DoubleFallback, BoolFallback},
    {"+-1", IntFallback, Int64Fallback, DoubleFallback, BoolFallback},
    {"inf", IntFallback, Int64Fallback, DoubleFallback, BoolFallback},
    {"\v1", IntFallback, Int64Fallback, DoubleFallback, BoolFallback},
    {std::string("1\0", 2), IntFallback, Int64Fallback, DoubleFallback, BoolFallback},
    {"truex", IntFallback, Int64Fallback, DoubleFallback, BoolFallback},
};

TEST(ElementAccess, ReadsNumbersOrGivesTheFallback) {
    for (const NumberCase& c : NumberCases) {
        SCOPED_TRACE(testing::PrintToString(c.value));
        XMLElement element;
        element.appendAttribute(XMLAttribute("v", "first"));
        element.appendAttribute(XMLAttribute(std::string("n"), c.value));
        element.appendAttribute(XMLAttribute("n", "5"));  // the first of a name counts
        EXPECT_EQ(element.intAttribute("n", IntFallback), c.asInt);
        EXPECT_EQ(element.int64Attribute("n", Int64Fallback), c.asInt64);
        EXPECT_DOUBLE_EQ(element.doubleAttribute("n", DoubleFallback), c.asDouble);
        const bool whenTrue = element.boolAttribute("n", true);
        const bool whenFalse = element.boolAttribute("n", false);
        EXPECT_EQ(whenTrue == whenFalse ? int{whenTrue} : BoolFallback, c.asBool);
        // The text readers and the std::string_view forms follow the same rules.
        element.text = c.value;
        const std::string name = "n";
        EXPECT_EQ(element.intText(IntFallback), element.intAttribute(name, IntFallback));
        EXPECT_EQ(element.int64Text(Int64Fallback), element.int64Attribute(name, Int64Fallback));
        EXPECT_DOUBLE_EQ(element.doubleText(DoubleFallback), c.asDouble);
        EXPECT_EQ(element.boolText(true), element.boolAttribute(name, true));
        EXPECT_EQ(element.boolText(false), element.boolAttribute(name, false));
    }
    EXPECT_EQ(XMLElement().int64Attribute(nullptr, Int64Fallback), Int64Fallback);  // absent
}

TEST(ElementAccess, FindsChildElementsByName) {
    XMLElement parent("p");
    parent.appendChild(std::make_unique<XMLCData>("x"));
    parent.children.emplace_back(nullptr);  // put there by hand
    XMLElement* a = parent.appendChild(std::make_unique<XMLElement>("a"));
    XMLElement* b = parent.appendChild(std::make_unique<XMLElement>("b"));
    parent.appendChild(std::make_unique<XMLCData>("y"));
    XMLElement* a2 = parent.appendChild(std::make_unique<XMLElement>("a"));
    EXPECT_EQ(parent.firstChild("a"), a);
    EXPECT_EQ(parent.firstChild(nullptr), a);
    EXPECT_EQ(parent.firstChild(""), nullptr);
    EXPECT_EQ(parent.firstChild(std::string("b")), b);
    EXPECT_EQ(std::as_const(parent).firstChild("c"), nullptr);
    EXPECT_TRUE(parent.children.front()->isCData());
    EXPECT_FALSE(a->isCData());

    const auto names = [](auto&& range) {
        std::string found;
        for (const XMLElement& element : range)
            found += element.name;
        return found;
    };
    EXPECT_EQ(names(parent.childElements("a")), "aa");
    EXPECT_EQ(names(parent.childElements()), "aba");
    EXPECT_EQ(names(std::as_const(parent).childElements(std::string("b"))), "b");
    EXPECT_TRUE(parent.childElements("c").empty());
    EXPECT_TRUE(XMLElement().childElements().empty());

    EXPECT_EQ(a->nextSiblingElement("a"), a2);
    EXPECT_EQ(a->nextSiblingElement(), b);
    EXPECT_EQ(std::as_const(*b).nextSiblingElement(std::string("a")), a2);
    EXPECT_EQ(a2->nextSiblingElement(), nullptr);
    EXPECT_EQ(parent.nextSiblingElement(), nullptr);  // no parent
}

TEST(ElementAccess, SetsNumbersAsTextTheReadersReadBack) {
    XMLElement element;
    element.setAttribute("i", INT32_MIN);
    element.setAttribute("l", INT64_MAX);
    element.setAttribute("u", UINT64_MAX);
    element.setAttribute("d", 0.1);
    element.setAttribute("f", 0.1f);
    element.setAttribute(std::string("e"), -1e300);
    element.setAttribute("t", true);
    element.setAttribute("z", 0);
    element.setAttribute("z", false);  // replaces
    EXPECT_EQ(treeText(element),
              "< i='-2147483648' l='9223372036854775807' "
              "u='18446744073709551615' d='0.1' f='0.1' e='-1e+300' "
              "t='true' z='false'>");
    EXPECT_EQ(element.intAttribute("i", 0), INT32_MIN);
    EXPECT_EQ(element.int64Attribute("l", 0), INT64_MAX);
    EXPECT_EQ(element.doubleAttribute("d", 0), 0.1);
    EXPECT_EQ(element.doubleAttribute("e", 0), -1e300);
    EXPECT_TRUE(element.boolAttribute("t", false));
    EXPECT_FALSE(element.boolAttribute("z", true));
}

TEST(ElementAccess, SetsRemovesAndRenamesTheFirstOfAName) {
    XMLElement element;
    element.setAttribute("a", "1");
    element.setAttribute("b", "2");
    element.appendAttribute(XMLAttribute("a", "3"));
    element.setAttribute("a", "9");  // the first a only
    element.setAttribute(nullptr, nullptr);
    EXPECT_EQ(treeText(element), "< a='9' b='2' a='3' =''>");
    element.attribute("b")->value = "changed";
    EXPECT_STREQ(element.findAttribute("b"), "changed");
    EXPECT_EQ(std::as_const(element).attribute("c"), nullptr);
    EXPECT_TRUE(element.removeAttribute("a"));
    EXPECT_TRUE(element.removeAttribute(""));
    EXPECT_FALSE(element.removeAttribute("c"));
    EXPECT_EQ(treeText(element), "< b='changed' a='3'>");
    // Renamed in place, the hash along with the name: found by the new name only.
    EXPECT_TRUE(element.renameAttribute("b", "\xC3\xFB"));  // 名
    EXPECT_FALSE(element.renameAttribute("b", "x"));
    element.attribute("a")->setName("c");
    EXPECT_EQ(treeText(element), "< \xC3\xFB='changed' c='3'>");
    EXPECT_STREQ(element.findAttribute("\xC3\xFB"), "changed");
    EXPECT_EQ(element.findAttribute("b"), nullptr);
    EXPECT_TRUE(treeIsConsistent(element));
    // Assigning the field leaves the old hash, which keeps the record from
    // matching either name: the documented way is the only one.
    element.attribute("c")->name = "d";
    EXPECT_EQ(element.findAttribute("d"), nullptr);
    EXPECT_EQ(element.attribute("c"), nullptr);
}

TEST(ElementAccess, TakesNamesAndValuesAsStringViews) {
    XMLElement element;
    const std::string zeroName("a\0b", 3);
    element.setAttribute(zeroName, std::string_view("v\0w", 3));
    element.setAttribute(std::string("a"), "x");
    ASSERT_NE(element.attribute(zeroName), nullptr);
    EXPECT_EQ(element.attribute(zeroName)->value, std::string("v\0w", 3));
    EXPECT_EQ(element.attribute(std::string_view("a"))->value, "x");
    EXPECT_TRUE(element.renameAttribute(zeroName, std::string("c")));
    EXPECT_EQ(element.attribute(std::string("c"))->hash, nameHash("c"));
    EXPECT_TRUE(element.removeAttribute(std::string("c")));
    EXPECT_FALSE(element.removeAttribute(std::string("c")));
    EXPECT_EQ(treeText(element), "< a='x'>");
}

TEST(Element, AppendChildSetsParentAndIgnoresNull) {
    XMLElement parent("p");
    XMLElement* child = parent.appendChild(std::make_unique<XMLElement>("c"));
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(child->parent, &parent);
    EXPECT_EQ(parent.appendChild(nullptr), nullptr);
    EXPECT_EQ(parent.children.size(), 1u);
}

TEST(Element, CloneCopiesDeeplyAndRelinksParents) {
    XMLElement outer("outer");
    XMLElement* source = outer.appendChild(std::make_unique<XMLElement>("a"));
    source->text = "t";
    source->dataBracket = -95;
    source->appendAttribute(XMLAttribute("k", "v"));
    source->attributes.back().hash = 12345;  // copied as held, not recomputed
    source->appendChild(std::make_unique<XMLElement>("b"))
        ->appendChild(std::make_unique<XMLCData>("x<y"));
    source->appendChild(std::make_unique<XMLElement>("c"));

    std::unique_ptr<XMLElement> copy = source->clone();
    EXPECT_EQ(treeText(*copy), treeText(*source));
    EXPECT_EQ(copy->parent, &outer);
    EXPECT_EQ(outer.children.size(), 1u);
    EXPECT_EQ(copy->dataBracket, -95);
    EXPECT_EQ(copy->attributes.front().hash, 12345);
    ASSERT_EQ(copy->children.size(), 2u);
    for (const auto& child : copy->children)
        EXPECT_EQ(child->parent, copy.get());
    const XMLElement& cdata = *copy->children.front()->children.front();
    EXPECT_NE(dynamic_cast<const XMLCData*>(&cdata), nullptr);
    EXPECT_EQ(cdata.parent, copy->children.front().get());
    // Deep: changing the copy leaves the source alone.
    copy->children.front()->name = "changed";
    EXPECT_EQ(source->children.front()->name, "b");
}

TEST(Element, CDataClonesAsCData) {
    XMLCData node("content");
    std::unique_ptr<XMLElement> copy = node.clone();
    EXPECT_NE(dynamic_cast<XMLCData*>(copy.get()), nullptr);
    EXPECT_EQ(copy->text, "content");
}

// A class derived outside the library keeps its own clone().
class TaggedElement : public XMLElement {
public:
    int tag = 0;
    std::unique_ptr<XMLElement> clone() const override {
        auto copy = std::make_unique<TaggedElement>();
        copy->name = name;
        copy->tag = tag;
        return copy;
    }
};

TEST(Element, CloneUsesTheVirtualCloneOfForeignClasses) {
    XMLElement root("r");
    auto tagged = std::make_unique<TaggedElement>();
    tagged->tag = 7;
    root.appendChild(std::move(tagged));
    std::unique_ptr<XMLElement> copy = root.clone();
    auto* copied = dynamic_cast<TaggedElement*>(copy->children.front().get());
    ASSERT_NE(copied, nullptr);
    EXPECT_EQ(copied->tag, 7);
    EXPECT_EQ(copied->parent, copy.get());
}

// Notes, as it dies, the name of the parent it still points to.
class WatchedElement : public XMLElement {
public:
    explicit WatchedElement(std::vector<std::string>& parents) : parents_(parents) {}
    ~WatchedElement() override { parents_.push_back(parent ? parent->name : "(none)"); }
    std::unique_ptr<XMLElement> clone() const override {
        return std::make_unique<WatchedElement>(parents_);
    }

private:
    std::vector<std::string>& parents_;
};

TEST(Element, ForeignDestructorsMeetNoFreedParent) {
    // A tree is freed from the top: by the time a grandchild dies its parent
    // is gone, and reading it would read freed memory (the sanitizer build).
    std::vector<std::string> parents;
    auto top = std::make_unique<XMLElement>("top");
    top->appendChild(std::make_unique<XMLElement>("middle"))
        ->appendChild(std::make_unique<WatchedElement>(parents));
    top->appendChild(std::make_unique<WatchedElement>(parents));
    top.reset();
    EXPECT_EQ(parents, (std::vector<std::string>{"(none)", "(none)"}));
}

TEST(Element, ClearEmptiesEverything) {
    XMLElement parent("p");
    XMLElement* element = parent.appendChild(std::make_unique<XMLElement>("e"));
    element->text = "t";
    element->dataBracket = '|';
    element->appendAttribute(XMLAttribute("a", "1"));
    element->appendChild(std::make_unique<XMLElement>("c"));
    element->clear();
    EXPECT_EQ(treeText(*element), "<>");
    EXPECT_EQ(element->dataBracket, 0);
    EXPECT_EQ(element->parent, nullptr);
}

TEST(Element, DeepTreesAreClonedClearedAndDestroyedWithoutRecursion) {
    constexpr int Depth = 1000000;
    std::unique_ptr<XMLElement> chain = deepChain(Depth);
    std::unique_ptr<XMLElement> copy = chain->clone();
    EXPECT_EQ(chainDepth(*copy), Depth);
    copy->clear();
    EXPECT_TRUE(copy->children.empty());
    chain.reset();  // destructor path
}

TEST(Document, StartsWithRootHeadAndCursor) {
    XMLDocument document;
    EXPECT_EQ(treeText(document.root()), "<AbsoluteRoot>");
    EXPECT_EQ(document.root().parent, nullptr);
    EXPECT_EQ(treeText(document.head()), "<head encoding='gb2312'>");
    EXPECT_EQ(document.cursor(), &document.root());
    EXPECT_TRUE(treeIsConsistent(document.head()));
}

TEST(Document, AnswersTheEncodingTheTextDeclared) {
    XMLDocument document;
    EXPECT_STREQ(document.encoding(), "gb2312");
    document.parseMarkup("<?xml version=\"1.0\" encoding=\"UTF-8\"?><a/>");
    EXPECT_STREQ(document.encoding(), "UTF-8");
    document.parseMarkup("<?xml encoding=\"big5\"?><?xml encoding=\"latin1\"?><a/>");
    EXPECT_STREQ(document.encoding(), "latin1");  // the last declaration's
    document.parseMarkup("<a/>");
    EXPECT_STREQ(document.encoding(), "gb2312");
    document.head().attributes.clear();
    EXPECT_STREQ(document.encoding(), "gb2312");
    const std::string undeclared = "<a/>";
    document.parseXml(undeclared.data(), undeclared.size());
    EXPECT_STREQ(document.encoding(), "UTF-8");  // XML's own default
    document.parseMarkup("<a/>");
    EXPECT_STREQ(document.encoding(), "gb2312");
}

TEST(Document, ClearingTheRootLeavesTheHead) {
    XMLDocument document;
    ASSERT_TRUE(document.parseBrace("a = 1, x = (y = 2)"));
    document.root().clear();
    EXPECT_TRUE(document.root().children.empty());
    EXPECT_TRUE(document.root().attributes.empty());
    EXPECT_EQ(treeText(document.head()), "<head encoding='gb2312'>");
}

TEST(Document, CursorIsSettable) {
    XMLDocument document;
    XMLElement* child = document.root().appendChild(std::make_unique<XMLElement>("c"));
    document.setCursor(child);
    EXPECT_EQ(document.cursor(), child);
    document.setCursor(nullptr);
    EXPECT_EQ(document.cursor(), nullptr);
}

// What a parse or load left in a document: the root's tree, then the error
// it reported (with the source it named), if any.
std::string outcome(const std::function<void()>& run, const XMLDocument& document) {
    std::string reported;
    try {
        run();
    } catch (const XMLException& error) {
        reported = " / " + error.describe();
    }
    return treeText(document.root()) + reported + " / " + document.lastBraceError();
}

// Where the string of most cases lies: the value of the root's attribute "t".
const std::string& valueOfT(const XMLDocument& document) {
    return document.root().attribute("t")->value;
}

// A parse clears the document before it reads; a text, path or source name
// that lies in what it clears (read back from the document's own tree, or
// the last brace error) is read as a copy would be. The loaders name their source in the error of
// <a><b></a>, after the tree it names is gone.
TEST(Document, ParsesATextThatLiesInItsOwnTree) {
    const std::string brace = "x=(y=1), b='a value long enough for the heap', c=1";
    const std::string markup = "<a k=\"a value long enough for the heap\">text</a>";
    const std::string declared = "<?xml version=\"<b/> a version long enough\"?><a/>";
    const std::string broken = "<a><b></a>";
    const std::string file = testing::TempDir() + "next-document-with-a-long-name.xml";
    std::ofstream(file, std::ios::binary) << broken;
    using Read = std::function<void(XMLDocument&, const std::string&)>;
    using Find = std::function<const std::string&(const XMLDocument&)>;
    const struct {
        const char* what;
        std::string held;  // brace text that leaves the string in the document
        Read read;         // takes the string where it lies
        Find find = valueOfT;
    } cases[] = {
        {"brace from a value", "t='" + brace + "'",
         [](XMLDocument& d, const std::string& t) { d.parseBrace(t.c_str()); }},
        {"markup from a value", "t='" + markup + "'",
         [](XMLDocument& d, const std::string& t) { d.parseMarkup(t.c_str()); }},
        {"a markup file named by a value", "t='" + file + "'",
         [](XMLDocument& d, const std::string& t) { d.loadMarkupFile(t); }},
        {"a stream's source named by a value", "t='" + file + "'",
         [&broken](XMLDocument& d, const std::string& t) {
             std::istringstream in(broken);
             loadMarkupStream(d, in, t);
         }},
        {"brace from its own last error", "a=(b",
         [](XMLDocument& d, const std::string& t) { d.parseBrace(t.c_str()); },
         [](const XMLDocument& d) -> const std::string& { return d.lastBraceError(); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        XMLDocument expected;
        XMLDocument document;
        document.parseBrace(c.held.c_str());
        const std::string& held = c.find(document);
        const std::string copy = held;
        EXPECT_EQ(outcome([&] { c.read(document, held); }, document),
                  outcome([&] { c.read(expected, copy); }, expected));
    }
    std::remove(file.c_str());
    // The head is cleared too, unless it is as new.
    XMLDocument document;
    document.parseMarkup(declared.c_str());
    document.parseMarkup(document.head().findAttribute("version"));
    EXPECT_EQ(treeText(document.root()), "<AbsoluteRoot <b>>");
    EXPECT_EQ(document.head().attributes.size(), 1u);
}

TEST(Exception, CarriesItsMessage) {
    const XMLException error("\xB1\xEA\xC7\xA9");
    EXPECT_STREQ(error.what(), "\xB1\xEA\xC7\xA9");
    const XMLException copy = error;
    EXPECT_STREQ(copy.what(), "\xB1\xEA\xC7\xA9");
    EXPECT_STREQ(XMLException(nullptr).what(), "");
}

TEST(Exception, DescribesWhereItWasFound) {
    XMLException error("m");
    EXPECT_EQ(error.offset(), -1);
    EXPECT_EQ(error.describe(), "m");
    error.setOffset(17);
    EXPECT_EQ(error.describe(), "byte 17: m");
    error.setSource("a.bin");
    EXPECT_EQ(error.describe(), "a.bin: byte 17: m");
    error.setLineColumn(3, 9);
    EXPECT_EQ(error.describe(), "a.bin:3:9: m");
    error.setSystemReason("No such file or directory");
    EXPECT_EQ(error.describe(), "a.bin:3:9: m (No such file or directory)");
    EXPECT_STREQ(error.what(), "m");
    EXPECT_EQ(XMLException("n", 4).offset(), 4);
}

}  // namespace
