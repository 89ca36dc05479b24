// Everyday access to an element: its children by name, its attributes by
// name, read as numbers, set, removed and renamed.
#include <charconv>
#include <cstdint>
#include <limits>
#include <string_view>
#include <system_error>
#include <utility>

#include "xml/document.h"
#include "xml/own_text.h"
#include "xml/xml_chars.h"

namespace tarvik::xml {

namespace {

using xmlchars::DecimalBase;
using xmlchars::HexadecimalBase;
using xmlchars::isSpace;

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

// The length of "0x"; a hexadecimal number has at least one digit after it.
constexpr size_t HexadecimalPrefixLength = 2;

// An integer text's sign and magnitude.
struct Integer {
    bool negative = false;
    uint64_t magnitude = 0;
};

// integer := [ "+" | "-" ] ( digit { digit } | ( "0x" | "0X" ) hex { hex } )
// False for anything else, or a magnitude past 64 bits.
bool readInteger(std::string_view text, Integer& number) {
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        number.negative = text.front() == '-';
        text.remove_prefix(1);
    }
    uint64_t base = DecimalBase;
    if (text.size() > HexadecimalPrefixLength && text[0] == '0' &&
        (text[1] == 'x' || text[1] == 'X')) {
        base = HexadecimalBase;
        text.remove_prefix(HexadecimalPrefixLength);
    }
    if (text.empty())
        return false;
    for (char c : text) {
        const uint64_t digit = xmlchars::HexadecimalDigits[static_cast<unsigned char>(c)];
        if (digit >= base ||
            number.magnitude > (std::numeric_limits<uint64_t>::max() - digit) / base)
            return false;
        number.magnitude = number.magnitude * base + digit;
    }
    return true;
}

// `text` as a signed integer of type Int, or `fallback` (also for no text).
template <typename Int>
Int integerOf(const std::string* text, Int fallback) {
    Integer number;
    if (!text || !readInteger(trimmed(*text), number))
        return fallback;
    constexpr auto Largest = static_cast<uint64_t>(std::numeric_limits<Int>::max());
    if (!number.negative)
        return number.magnitude <= Largest ? static_cast<Int>(number.magnitude) : fallback;
    if (number.magnitude > Largest + 1)
        return fallback;
    // The most negative value has no positive twin to negate.
    if (number.magnitude == Largest + 1)
        return std::numeric_limits<Int>::min();
    return static_cast<Int>(-static_cast<Int>(number.magnitude));
}

bool isDecimalStart(char c) {
    return (c >= '0' && c <= '9') || c == '.';
}

// Compares ASCII letters without regard to case, and every other byte as it is.
bool sameWord(std::string_view text, std::string_view word) {
    if (text.size() != word.size())
        return false;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != word[i])
            return false;
    }
    return true;
}

// number := [ "+" | "-" ] ( digit | "." ) ... as std::from_chars reads a
// decimal; the first byte after the sign rules out "inf", "nan" and a second sign.
double doubleOf(const std::string* text, double fallback) {
    if (!text)
        return fallback;
    std::string_view number = trimmed(*text);
    if (number.size() > 1 && number.front() == '+' && isDecimalStart(number[1]))
        number.remove_prefix(1);  // from_chars takes "-" only
    const size_t first = !number.empty() && number.front() == '-' ? 1 : 0;
    if (number.size() <= first || !isDecimalStart(number[first]))
        return fallback;
    double value = 0;
    const char* end = number.data() + number.size();
    const auto [stop, error] =
        std::from_chars(number.data(), end, value, std::chars_format::general);
    return error == std::errc() && stop == end ? value : fallback;
}

bool boolOf(const std::string* text, bool fallback) {
    if (!text)
        return fallback;
    const std::string_view word = trimmed(*text);
    if (sameWord(word, "true") || sameWord(word, "yes") || sameWord(word, "1"))
        return true;
    if (sameWord(word, "false") || sameWord(word, "no") || sameWord(word, "0"))
        return false;
    return fallback;
}

const std::string* valueOf(const XMLAttribute* record) {
    return record ? &record->value : nullptr;
}

// The characters of a number as std::to_chars writes it.
template <typename Number>
std::string charsOf(Number value) {
    // Enough for any 64-bit integer and the longest shortest-form double.
    char digits[32];
    const auto [end, error] = std::to_chars(digits, digits + sizeof digits, value);
    return error == std::errc() ? std::string(digits, end) : std::string();
}

}  // namespace

bool XMLElement::isCData() const {
    return false;
}

bool XMLCData::isCData() const {
    return true;
}

const XMLElement* XMLElement::firstChild(const char* childName) const {
    const auto range = childElements(childName);
    return range.empty() ? nullptr : &*range.begin();
}

XMLElement* XMLElement::firstChild(const char* childName) {
    return const_cast<XMLElement*>(std::as_const(*this).firstChild(childName));
}

const XMLElement* XMLElement::firstChild(std::string_view childName) const {
    const auto range = childElements(childName);
    return range.empty() ? nullptr : &*range.begin();
}

XMLElement* XMLElement::firstChild(std::string_view childName) {
    return const_cast<XMLElement*>(std::as_const(*this).firstChild(childName));
}

ChildElementRange<XMLElement> XMLElement::childElements(const char* childName) {
    return {*this, orEmpty(childName), childName == nullptr};
}

ChildElementRange<const XMLElement> XMLElement::childElements(const char* childName) const {
    return {*this, orEmpty(childName), childName == nullptr};
}

ChildElementRange<XMLElement> XMLElement::childElements(std::string_view childName) {
    return {*this, childName, false};
}

ChildElementRange<const XMLElement> XMLElement::childElements(std::string_view childName) const {
    return {*this, childName, false};
}

namespace {

// The first element after `element` among its parent's children that is
// named `name` (any name when `anyName`), or null.
const XMLElement* nextSibling(const XMLElement& element, std::string_view name, bool anyName) {
    if (!element.parent)
        return nullptr;
    const XMLElement::ChildList& siblings = element.parent->children;
    auto at = siblings.begin();
    while (at != siblings.end() && at->get() != &element)
        ++at;
    if (at == siblings.end())
        return nullptr;
    for (++at; at != siblings.end(); ++at) {
        if (*at && !(*at)->isCData() && (anyName || (*at)->name == name))
            return at->get();
    }
    return nullptr;
}

}  // namespace

const XMLElement* XMLElement::nextSiblingElement(const char* siblingName) const {
    return nextSibling(*this, orEmpty(siblingName), siblingName == nullptr);
}

XMLElement* XMLElement::nextSiblingElement(const char* siblingName) {
    return const_cast<XMLElement*>(std::as_const(*this).nextSiblingElement(siblingName));
}

const XMLElement* XMLElement::nextSiblingElement(std::string_view siblingName) const {
    return nextSibling(*this, siblingName, false);
}

XMLElement* XMLElement::nextSiblingElement(std::string_view siblingName) {
    return const_cast<XMLElement*>(std::as_const(*this).nextSiblingElement(siblingName));
}

// The same gate as findAttribute: the hash first, the bytes only when it agrees.
const XMLAttribute* XMLElement::attribute(std::string_view attributeName) const {
    const int32_t hash = nameHash(attributeName);
    for (const XMLAttribute& record : attributes) {
        if (record.hash == hash && record.name == attributeName)
            return &record;
    }
    return nullptr;
}

XMLAttribute* XMLElement::attribute(std::string_view attributeName) {
    return const_cast<XMLAttribute*>(std::as_const(*this).attribute(attributeName));
}

const XMLAttribute* XMLElement::attribute(const char* attributeName) const {
    return attribute(std::string_view(orEmpty(attributeName)));
}

XMLAttribute* XMLElement::attribute(const char* attributeName) {
    return attribute(std::string_view(orEmpty(attributeName)));
}

int32_t XMLElement::intAttribute(const char* attributeName, int32_t fallback) const {
    return integerOf(valueOf(attribute(attributeName)), fallback);
}

int64_t XMLElement::int64Attribute(const char* attributeName, int64_t fallback) const {
    return integerOf(valueOf(attribute(attributeName)), fallback);
}

double XMLElement::doubleAttribute(const char* attributeName, double fallback) const {
    return doubleOf(valueOf(attribute(attributeName)), fallback);
}

bool XMLElement::boolAttribute(const char* attributeName, bool fallback) const {
    return boolOf(valueOf(attribute(attributeName)), fallback);
}

int32_t XMLElement::intAttribute(std::string_view attributeName, int32_t fallback) const {
    return integerOf(valueOf(attribute(attributeName)), fallback);
}

int64_t XMLElement::int64Attribute(std::string_view attributeName, int64_t fallback) const {
    return integerOf(valueOf(attribute(attributeName)), fallback);
}

double XMLElement::doubleAttribute(std::string_view attributeName, double fallback) const {
    return doubleOf(valueOf(attribute(attributeName)), fallback);
}

bool XMLElement::boolAttribute(std::string_view attributeName, bool fallback) const {
    return boolOf(valueOf(attribute(attributeName)), fallback);
}

int32_t XMLElement::intText(int32_t fallback) const {
    return integerOf(&text, fallback);
}

int64_t XMLElement::int64Text(int64_t fallback) const {
    return integerOf(&text, fallback);
}

double XMLElement::doubleText(double fallback) const {
    return doubleOf(&text, fallback);
}

bool XMLElement::boolText(bool fallback) const {
    return boolOf(&text, fallback);
}

void XMLElement::setAttribute(const char* attributeName, const char* value) {
    setAttribute(std::string_view(orEmpty(attributeName)), std::string_view(orEmpty(value)));
}

void XMLElement::setAttribute(std::string_view attributeName, std::string_view value) {
    if (XMLAttribute* record = attribute(attributeName))
        record->value = value;
    else
        appendAttribute(XMLAttribute(attributeName, value));
}

std::string XMLElement::numberText(bool value) {
    return value ? "true" : "false";
}

std::string XMLElement::numberText(float value) {
    return charsOf(value);
}

std::string XMLElement::numberText(double value) {
    return charsOf(value);
}

std::string XMLElement::signedText(long long value) {
    return charsOf(value);
}

std::string XMLElement::unsignedText(unsigned long long value) {
    return charsOf(value);
}

bool XMLElement::removeAttribute(const char* attributeName) {
    return removeAttribute(std::string_view(orEmpty(attributeName)));
}

bool XMLElement::removeAttribute(std::string_view attributeName) {
    const XMLAttribute* record = attribute(attributeName);
    if (!record)
        return false;
    for (auto at = attributes.begin(); at != attributes.end(); ++at) {
        if (&*at == record) {
            attributes.erase(at);
            return true;
        }
    }
    return false;
}

bool XMLElement::renameAttribute(const char* attributeName, const char* newName) {
    return renameAttribute(std::string_view(orEmpty(attributeName)),
                           std::string_view(orEmpty(newName)));
}

bool XMLElement::renameAttribute(std::string_view attributeName, std::string_view newName) {
    XMLAttribute* record = attribute(attributeName);
    if (!record)
        return false;
    record->name = newName;
    record->hash = nameHash(newName);
    return true;
}

}  // namespace tarvik::xml
