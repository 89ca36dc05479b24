#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "support/tree_text.h"
#include "support/trees.h"
#include "xml/document.h"

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
    EXPECT_STREQ(error.what(), "m");
    EXPECT_EQ(XMLException("n", 4).offset(), 4);
}

}  // namespace
