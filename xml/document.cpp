#include "xml/document.h"

#include <cstddef>
#include <iterator>
#include <type_traits>
#include <utility>
#include <vector>

#include "xml/node_class.h"
#include "xml/own_text.h"

namespace tarvik::xml {

namespace {

// The one record of a new document's head.
const struct {
    const char* name;
    const char* value;
} NewHeadRecord = {"encoding", "gb2312"};

// The allocation base holds nothing, and costs a polymorphic node no byte.
static_assert(std::is_empty_v<detail::NodeAllocation>, "the allocation base holds no data");
struct BaseSizeProbe : detail::NodeAllocation {
    virtual ~BaseSizeProbe() = default;
    void* field;
};
static_assert(sizeof(BaseSizeProbe) == 2 * sizeof(void*), "the allocation base adds no byte");
#if defined(__x86_64__) && defined(__GLIBCXX__)
// XMLElement's size on x86_64 with libstdc++, where it is known: nodes must not grow.
constexpr std::size_t ElementBytesX64 = 144;
static_assert(sizeof(XMLElement) == ElementBytesX64, "XMLElement keeps its size");
#endif

}  // namespace

namespace {

template <typename Node>
std::unique_ptr<XMLElement> newNodeIn(detail::NodeStore* store) {
    return std::unique_ptr<XMLElement>(store ? new (*store) Node() : new Node());
}

}  // namespace

std::unique_ptr<XMLElement> newNodeOf(NodeClass nodeClass, detail::NodeStore* store) {
    switch (nodeClass) {
        case NodeClass::Element:
            return newNodeIn<XMLElement>(store);
        case NodeClass::CData:
            return newNodeIn<XMLCData>(store);
        case NodeClass::UserDefined:
            break;
    }
    return nullptr;
}

XMLElement* appendChildIn(detail::NodeStore* store, XMLElement& parent,
                          std::unique_ptr<XMLElement> child) {
    if (!child)
        return nullptr;
    return parent.children.emplaceBackIn(store, std::move(child)).get();
}

int32_t nameHash(const char* name) {
    return nameHash(std::string_view(orEmpty(name)));
}

int32_t nameHash(std::string_view name) {
    // Unsigned arithmetic wraps without undefined behaviour; each byte still
    // contributes its signed-char value, as the hash is defined.
    uint32_t hash = 0;
    for (const char c : name) {
        if (c == '\0')
            break;
        hash =
            hash * 31u + static_cast<uint32_t>(static_cast<int32_t>(static_cast<signed char>(c)));
    }
    return static_cast<int32_t>(hash);
}

// ---------------------------------------------------------------- XMLAttribute

XMLAttribute::XMLAttribute(const char* attributeName, const char* attributeValue)
    : name(orEmpty(attributeName)),
      value(orEmpty(attributeValue)),
      hash(nameHash(std::string_view(name))) {}

XMLAttribute::XMLAttribute(std::string attributeName, std::string attributeValue)
    : name(std::move(attributeName)),
      value(std::move(attributeValue)),
      hash(nameHash(std::string_view(name))) {}

XMLAttribute::XMLAttribute(std::string_view attributeName, std::string_view attributeValue)
    : name(attributeName), value(attributeValue), hash(nameHash(std::string_view(name))) {}

void XMLAttribute::setName(const char* newName) {
    name = orEmpty(newName);
    hash = nameHash(std::string_view(name));
}

// ------------------------------------------------------------------ XMLElement

XMLElement::XMLElement(std::string elementName) : name(std::move(elementName)) {}

XMLElement::~XMLElement() {
    // A tree being freed meets its nodes with their lists already emptied:
    // the check spares each of them the whole of clear().
    if (!attributes.empty() || !children.empty())
        clear();
}

void XMLElement::appendAttribute(const XMLAttribute& attribute) {
    attributes.push_back(attribute);
}

XMLElement* XMLElement::appendChild(std::unique_ptr<XMLElement> child) {
    return appendChildIn(nullptr, *this, std::move(child));
}

const char* XMLElement::findAttribute(const char* attributeName) const {
    const XMLAttribute* record = attribute(attributeName);
    return record ? record->value.c_str() : nullptr;
}

namespace {

// Destroys a node whose lists are already empty, its memory freed through
// `released`. A class derived outside the library may bring its own
// operator delete, so it is deleted as it asks. Its parent may be gone by
// now (a tree is freed from the top), so its destructor meets `parent` null
// rather than pointing at freed memory.
void destroyEmptied(XMLElement* node, detail::BlockRelease& released) {
    if (nodeClassOf(*node) == NodeClass::UserDefined) {
        node->parent = nullptr;
        delete node;
        return;
    }
    node->~XMLElement();
    released.release(node);
}

}  // namespace

void XMLElement::clear() {
    dataBracket = 0;
    name.clear();
    text.clear();
    parent = nullptr;
    detail::BlockRelease released;
    attributes.clear(released);
    // Each child's own children are spliced in where it stood before it dies,
    // so every destructor meets empty lists: deleting a tree of any depth
    // takes no stack and no allocation. They go to the front, so the nodes
    // are freed in document order, the order a parser allocated them in,
    // which keeps a large tree's memory traffic sequential and lets
    // `released` take a page's blocks off its count in one step. A drain
    // writes as little as it can into the memory it is about to free.
    // The outer loop is for a destructor of a class derived outside the
    // library that gives this element new children while it is cleared.
    while (!children.empty()) {
        ChildList::Drain drain(children);
        while (!drain.empty()) {
            XMLElement* child = drain.front().release();
            drain.popFront(released);
            if (!child)
                continue;
            drain.spliceFront(child->children);
            child->attributes.clear(released);
            destroyEmptied(child, released);
        }
    }
}

void XMLElement::copyFieldsTo(XMLElement& copy, detail::NodeStore* store) const {
    if (&copy == this)
        return;
    copy.name = name;
    copy.text = text;
    copy.dataBracket = dataBracket;
    copy.attributes.clear();
    for (const XMLAttribute& attribute : attributes)
        copy.attributes.emplaceBackIn(store, attribute);  // hashes are copied, not recomputed
    copy.parent = parent;
}

namespace {

// A source element whose children are being copied, its copy, and the next
// child to copy.
struct CopyFrame {
    const XMLElement* source;
    XMLElement* target;
    XMLElement::ChildList::const_iterator next;
};

}  // namespace

void XMLElement::cloneChildrenTo(XMLElement& copy, detail::NodeStore* store) const {
    // Pre-order from a stack of open elements instead of recursing keeps deep
    // trees off the call stack. Each child's link is read just before the
    // child itself: a parser put the two side by side, so both trees are
    // walked front to back in memory.
    std::vector<CopyFrame> open{{this, &copy, children.begin()}};
    while (!open.empty()) {
        CopyFrame& frame = open.back();
        if (frame.next == frame.source->children.end()) {
            open.pop_back();
            continue;
        }
        const XMLElement* child = (frame.next++)->get();
        if (!child)
            continue;
        XMLElement& target = *frame.target;
        std::unique_ptr<XMLElement> node = newNodeOf(nodeClassOf(*child), store);
        if (!node) {
            // Only a foreign class knows its own fields: it copies itself.
            appendChildIn(store, target, child->clone());
            continue;
        }
        child->copyFieldsTo(*node, store);
        XMLElement* added = appendChildIn(store, target, std::move(node));
        open.push_back({child, added, child->children.begin()});  // `frame` dies here
    }
}

template <typename Node>
std::unique_ptr<XMLElement> XMLElement::cloneAs() const {
    // A lone node goes to the heap: a page of its own would hold just it.
    detail::NodeStore store;
    detail::NodeStore* pages = children.empty() ? nullptr : &store;
    std::unique_ptr<XMLElement> copy = newNodeIn<Node>(pages);
    copyFieldsTo(*copy, pages);
    cloneChildrenTo(*copy, pages);
    return copy;
}

std::unique_ptr<XMLElement> XMLElement::clone() const {
    return cloneAs<XMLElement>();
}

// -------------------------------------------------------------------- XMLCData

XMLCData::XMLCData(std::string content) {
    text = std::move(content);
}

std::unique_ptr<XMLElement> XMLCData::clone() const {
    return cloneAs<XMLCData>();
}

// ---------------------------------------------------------------- XMLException

XMLException::XMLException(const char* message)
    : message_(orEmpty(message)), code_(errorCodeOf(message)) {}

XMLException::XMLException(const char* message, int64_t offset)
    : message_(orEmpty(message)), code_(errorCodeOf(message)), offset_(offset) {}

const char* XMLException::what() const noexcept {
    return message_.c_str();
}

void XMLException::setLineColumn(int32_t line, int32_t column) {
    line_ = line;
    column_ = column;
}

std::string XMLException::describe() const {
    std::string place = source_;
    if (line_ > 0) {
        place +=
            (place.empty() ? "line " : ":") + std::to_string(line_) + ":" + std::to_string(column_);
    } else if (offset_ >= 0) {
        place += (place.empty() ? "byte " : ": byte ") + std::to_string(offset_);
    }
    if (!node_.empty())
        place += (place.empty() ? "" : ": ") + node_;
    const std::string message =
        systemReason_.empty() ? message_ : message_ + " (" + systemReason_ + ")";
    return place.empty() ? message : place + ": " + message;
}

// ----------------------------------------------------------------- XMLDocument

XMLDocument::XMLDocument() : root_(RootElementName), head_(HeadElementName), cursor_(&root_) {
    resetHead();
}

XMLDocument::~XMLDocument() {
    resetRoot();
}

void XMLDocument::resetRoot() {
    store_.beginTree();  // first: the old tree's pages then go back as they empty
    root_.clear();
    root_.name = RootElementName;
    cursor_ = &root_;
}

// The head as a new document has it: its name and the encoding record alone.
void XMLDocument::resetHead() {
    head_.clear();
    head_.name = HeadElementName;
    head_.appendAttribute(XMLAttribute(NewHeadRecord.name, NewHeadRecord.value));
    headFromXml_ = false;
}

const char* XMLDocument::encoding() const {
    const char* declared = headFromXml_ ? "UTF-8" : NewHeadRecord.value;
    for (const XMLAttribute& record : head_.attributes) {
        if (record.name == NewHeadRecord.name)
            declared = record.value.c_str();
    }
    return declared;
}

bool XMLDocument::headIsNew() const {
    if (!head_.children.empty() || !head_.text.empty() || head_.dataBracket != 0 ||
        head_.name != HeadElementName || head_.attributes.size() != 1)
        return false;
    const XMLAttribute& record = head_.attributes.front();
    return record.name == NewHeadRecord.name && record.value == NewHeadRecord.value;
}

}  // namespace tarvik::xml
