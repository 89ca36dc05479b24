#include "xml/document.h"

#include <iterator>
#include <typeinfo>
#include <utility>
#include <vector>

#include "xml/node_class.h"

namespace tarvik::xml {

namespace {

const char* orEmpty(const char* text) {
    return text ? text : "";
}

// An empty node of the same library class as `source`, or null when `source`
// belongs to a class derived outside the library: such a node is copied by its
// own clone(), since only it knows its extra fields.
std::unique_ptr<XMLElement> emptyNodeLike(const XMLElement& source) {
    return newNodeOf(nodeClassOf(source));
}

}  // namespace

NodeClass nodeClassOf(const XMLElement& node) {
    if (typeid(node) == typeid(XMLElement))
        return NodeClass::Element;
    if (typeid(node) == typeid(XMLCData))
        return NodeClass::CData;
    return NodeClass::Foreign;
}

std::unique_ptr<XMLElement> newNodeOf(NodeClass nodeClass) {
    switch (nodeClass) {
        case NodeClass::Element:
            return std::make_unique<XMLElement>();
        case NodeClass::CData:
            return std::make_unique<XMLCData>();
        case NodeClass::Foreign:
            break;
    }
    return nullptr;
}

int32_t nameHash(const char* name) {
    // Unsigned arithmetic wraps without undefined behaviour; each byte still
    // contributes its signed-char value, as the hash is defined.
    uint32_t hash = 0;
    for (const char* p = orEmpty(name); *p; ++p)
        hash =
            hash * 31u + static_cast<uint32_t>(static_cast<int32_t>(static_cast<signed char>(*p)));
    return static_cast<int32_t>(hash);
}

// ---------------------------------------------------------------- XMLAttribute

XMLAttribute::XMLAttribute(const char* attributeName, const char* attributeValue)
    : name(orEmpty(attributeName)), value(orEmpty(attributeValue)), hash(nameHash(name.c_str())) {}

XMLAttribute::XMLAttribute(std::string attributeName, std::string attributeValue)
    : name(std::move(attributeName)),
      value(std::move(attributeValue)),
      hash(nameHash(name.c_str())) {}

void XMLAttribute::setName(const char* newName) {
    name = orEmpty(newName);
    hash = nameHash(name.c_str());
}

// ------------------------------------------------------------------ XMLElement

XMLElement::XMLElement(std::string elementName) : name(std::move(elementName)) {}

XMLElement::~XMLElement() {
    clear();
}

void XMLElement::appendAttribute(const XMLAttribute& attribute) {
    attributes.push_back(attribute);
}

XMLElement* XMLElement::appendChild(std::unique_ptr<XMLElement> child) {
    if (!child)
        return nullptr;
    child->parent = this;
    children.push_back(std::move(child));
    return children.back().get();
}

const char* XMLElement::findAttribute(const char* attributeName) const {
    const char* wanted = orEmpty(attributeName);
    const int32_t hash = nameHash(wanted);
    for (const XMLAttribute& attribute : attributes) {
        if (attribute.hash == hash && attribute.name == wanted)
            return attribute.value.c_str();
    }
    return nullptr;
}

void XMLElement::clear() {
    dataBracket = 0;
    name.clear();
    text.clear();
    attributes.clear();
    parent = nullptr;
    // Each child's own children are spliced in right behind it before the
    // child dies, so every destructor meets an empty list: deleting a tree of
    // any depth takes no stack and no allocation. Splicing them to the front
    // frees the nodes in document order, the order a parser allocated them
    // in, which keeps a large tree's memory traffic sequential.
    while (!children.empty()) {
        std::unique_ptr<XMLElement>& first = children.front();
        if (first)
            children.splice(std::next(children.begin()), first->children);
        children.pop_front();
    }
}

void XMLElement::copyFieldsTo(XMLElement& copy) const {
    copy.name = name;
    copy.text = text;
    copy.dataBracket = dataBracket;
    copy.attributes = attributes;  // hashes are copied, not recomputed
    copy.parent = parent;
}

void XMLElement::cloneChildrenTo(XMLElement& copy) const {
    // Pairs of (source, copy) whose children still have to be copied. Working
    // from this list instead of recursing keeps deep trees off the call stack.
    std::vector<std::pair<const XMLElement*, XMLElement*>> pending{{this, &copy}};
    while (!pending.empty()) {
        const auto [source, target] = pending.back();
        pending.pop_back();
        for (const std::unique_ptr<XMLElement>& child : source->children) {
            if (!child)
                continue;
            std::unique_ptr<XMLElement> node = emptyNodeLike(*child);
            if (!node) {
                target->appendChild(child->clone());
                continue;
            }
            child->copyFieldsTo(*node);
            pending.emplace_back(child.get(), target->appendChild(std::move(node)));
        }
    }
}

std::unique_ptr<XMLElement> XMLElement::clone() const {
    auto copy = std::make_unique<XMLElement>();
    copyFieldsTo(*copy);
    cloneChildrenTo(*copy);
    return copy;
}

// -------------------------------------------------------------------- XMLCData

XMLCData::XMLCData(std::string content) {
    text = std::move(content);
}

std::unique_ptr<XMLElement> XMLCData::clone() const {
    auto copy = std::make_unique<XMLCData>();
    copyFieldsTo(*copy);
    cloneChildrenTo(*copy);
    return copy;
}

// ---------------------------------------------------------------- XMLException

XMLException::XMLException(const char* message) : message_(orEmpty(message)) {}

XMLException::XMLException(const char* message, int64_t offset)
    : message_(orEmpty(message)), offset_(offset) {}

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
    return place.empty() ? message_ : place + ": " + message_;
}

// ----------------------------------------------------------------- XMLDocument

XMLDocument::XMLDocument() : root_(RootElementName), head_(HeadElementName), cursor_(&root_) {
    head_.appendAttribute(XMLAttribute("encoding", "gb2312"));
}

XMLDocument::~XMLDocument() {
    resetRoot();
}

void XMLDocument::resetRoot() {
    root_.clear();
    root_.name = RootElementName;
    cursor_ = &root_;
}

// The record the constructor gives the head.
void XMLDocument::resetHead() {
    head_.clear();
    head_.name = HeadElementName;
    head_.appendAttribute(XMLAttribute("encoding", "gb2312"));
}

}  // namespace tarvik::xml
