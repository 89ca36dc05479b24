// tarvik::xml — a small in-memory markup document: an element tree with
// attributes, read from standard XML (xml/xml_reader.h), brace notation or
// the library's markup text, and written as standard XML (xml/xml_writer.h),
// indented text or a binary node stream.
//
//     #include "xml/document.h"
//
//     tarvik::xml::XMLDocument doc;
//     if (doc.parseBrace("url='http://example/', connstate=2, extra=(a, b)")) {
//         const char* url = doc.root().findAttribute("url");   // "http://example/"
//         for (const auto& child : doc.root().children)        // the group "extra"
//             child->print(std::cout, 0);                      // <extra [1]="a" [2]="b"></extra>
//     }
//
// Text encoding: every string the library holds is a byte string exactly as
// it was read: GB2312 (code page 936) from brace notation and markup text,
// the document's own encoding from standard XML. The library never converts
// code pages; it compares single bytes with ASCII delimiters and passes every
// other byte, including 0x80-0xFF, through untouched.
//
// Ownership: an element owns its attributes and children (children through
// std::unique_ptr) and deletes them when cleared or destroyed. `parent` and the
// document's cursor never own. Destroying, clearing, cloning, printing and
// writing trees does not recurse on the call stack for the library's own node
// classes, so a tree of any depth is safe to handle.
//
// Memory: parsed nodes live in the pages of an arena (xml/detail/node_store.h)
// that each node keeps alive, so a child moved out of `children` outlives its document.
//
// Errors are reported by exceptions: XMLException from the markup parser
// (xml/markup.h), a standard exception from the brace-notation parser (caught
// by parseBrace, which keeps its reason in lastBraceError()).
//
// Everyday access, for finding, reading and changing a tree in one call:
//
//     XMLElement* window = doc.root().firstChild("window");       // or null
//     int32_t width = window->intAttribute("w", 800);             // 800 if absent or no number
//     window->setAttribute("title", "\xD6\xD0\xCE\xC4");           // replaces or appends
//     window->removeAttribute("h");
#ifndef TARVIK_XML_DOCUMENT_H
#define TARVIK_XML_DOCUMENT_H

#include <cstddef>
#include <cstdint>
#include <exception>
#include <istream>
#include <iterator>
#include <memory>
#include <new>
#include <ostream>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

#include "xml/detail/node_allocation.h"
#include "xml/error_code.h"
#include "xml/export.h"
#include "xml/load_options.h"
#include "xml/node_list.h"

namespace tarvik::xml {

template <typename Element>
class ChildElementRange;

// Fixed names of the document's two own elements.
inline constexpr char RootElementName[] = "AbsoluteRoot";
inline constexpr char HeadElementName[] = "head";

// Hash of a NUL-terminated name: h = h * 31 + c over its bytes, each taken as a
// signed char, wrapping in 32 bits. Null and "" hash to 0.
TARVIK_XML_API int32_t nameHash(const char* name);
// The same over the bytes of `name` up to its first NUL, as a stored name hashes.
TARVIK_XML_API int32_t nameHash(std::string_view name);

// True for the number types setAttribute writes as text: integers, floating
// point and bool, but not the character types, whose values read as letters.
template <typename Number>
inline constexpr bool IsAttributeNumber =
    std::is_arithmetic_v<Number> && !std::is_same_v<Number, char> &&
    !std::is_same_v<Number, signed char> && !std::is_same_v<Number, unsigned char> &&
    !std::is_same_v<Number, wchar_t> && !std::is_same_v<Number, char16_t> &&
    !std::is_same_v<Number, char32_t>;

// A named value on an element. `hash` is always nameHash(name): set the name
// through a constructor or setName so the two never disagree.
//
// Renaming: the hash is the gate of every lookup. findAttribute and
// XMLElement::attribute compare it first and take a record whose hash
// disagrees for another name, so a lookup costs one integer compare per record
// that does not match. Comparing names whenever the hashes differ would spend
// a byte comparison on every such record, the work the hash is there to save,
// and would change what findAttribute has always answered. So a rename goes
// through setName or XMLElement::renameAttribute, which recompute the hash;
// constructors, parsers, readBinary, clone and setAttribute keep the two in
// step too, and assigning `name` itself is the one way to set them apart.
struct TARVIK_XML_API XMLAttribute {
    std::string name;
    std::string value;
    int32_t hash;

    // Copies both texts (null counts as empty) and hashes the name.
    XMLAttribute(const char* name, const char* value);
    // Takes both strings by value (move them in) and hashes the name up to its first NUL.
    XMLAttribute(std::string name, std::string value);
    // Copies both byte ranges, NULs included, and hashes the name up to its first NUL.
    XMLAttribute(std::string_view name, std::string_view value);

    // Replaces the name and recomputes the hash.
    void setName(const char* newName);
};

// An element node. XMLCData derives from it; node kinds are told apart by their
// class through the virtual operations, never by a field.
class TARVIK_XML_API XMLElement : public detail::NodeAllocation {
public:
    // The attribute records, in insertion order (std::list-like, see xml/node_list.h).
    using AttributeList = NodeList<XMLAttribute>;
    // The owned children, in document order; an entry may be null only if put
    // there by hand. A child that enters the list, whichever way, gets the
    // list's element as its parent (see xml/node_list.h).
    using ChildList = NodeList<std::unique_ptr<XMLElement>, XMLElement>;

    std::string name;                      // empty for an unnamed element
    std::string text;                      // character content
    AttributeList attributes;              // insertion order, duplicates allowed
    ChildList children = ChildList(this);  // owned, in document order
    XMLElement* parent = nullptr;          // enclosing element; never owns
    int32_t dataBracket = 0;               // bracket byte of a "[[data" text escape, 0 for none

    XMLElement() = default;
    // An element with the given name and nothing else.
    explicit XMLElement(std::string elementName);

    // Elements are linked by address (parent pointers), so they are neither
    // copied nor moved: use clone() for a deep copy.
    XMLElement(const XMLElement&) = delete;
    XMLElement& operator=(const XMLElement&) = delete;

    // Writes this node and its subtree as indented markup text, with children
    // at depth + 1 and one tab per level (none at depth <= 0). Nothing is
    // escaped; strings end at their first zero byte; each line break flushes.
    // Writes no indentation before its own opening tag. Returns `out`, whose
    // state is never tested.
    virtual std::ostream& print(std::ostream& out, int32_t depth) const;
    // Writes this node and its subtree as one binary node record (type tag,
    // body, child count, child records; see xml/node_stream.h). `out` must be
    // in binary mode; its state is never tested. A name, text or value of
    // 2^31 bytes or more (or as many attributes or children) has no length
    // field to hold it: `out` is marked bad there and the record is not finished.
    virtual void writeBinary(std::ostream& out) const;
    // Reads one record body (name, data bracket, text, attributes) into this
    // node: replaces name, text and dataBracket, appends the attributes. Reads
    // neither the type tag nor the child count; readTree reads whole records.
    // Bad data never throws: a short stream shows only in the stream's state
    // (what arrived stays, an attribute cut short is left out), a negative
    // length fails the stream, a negative attribute count reads none, and a
    // length is believed only as far as bytes really arrive.
    virtual void readBinary(std::istream& in);
    // Returns a deep copy of the same class. The copy's parent is this node's
    // parent, but the copy is not in that parent's child list; the caller owns it.
    virtual std::unique_ptr<XMLElement> clone() const;
    // Writes the 32-bit type tag that opens this node's record (1 for an element).
    virtual std::ostream& writeTypeTag(std::ostream& out) const;
    // Clears the element (see clear()).
    virtual ~XMLElement();

    // Appends a copy of the attribute after the existing ones.
    void appendAttribute(const XMLAttribute& attribute);
    // Appends the child after the existing ones, makes this element its parent,
    // and returns it. A null child is ignored and null is returned.
    XMLElement* appendChild(std::unique_ptr<XMLElement> child);
    // Value of the first attribute with this name, or null. The hash is compared
    // before the bytes, so lookups stay cheap on long attribute lists.
    const char* findAttribute(const char* attributeName) const;
    // Empties name and text, resets dataBracket and parent, and deletes every
    // attribute and the whole subtree. The subtree is taken apart from the top
    // without recursion: the destructor of a class derived from XMLElement
    // meets its node's attributes and children already taken away and its
    // `parent` null.
    void clear();

protected:
    // Copies this node's own fields (not its children) into `copy`.
    void copyFieldsTo(XMLElement& copy) const { copyFieldsTo(copy, nullptr); }
    // Deep-copies the children of this node under `copy`.
    void cloneChildrenTo(XMLElement& copy) const { cloneChildrenTo(copy, nullptr); }
    // The same, with the copies' nodes and links from `store` (null: the heap).
    void copyFieldsTo(XMLElement& copy, detail::NodeStore* store) const;
    void cloneChildrenTo(XMLElement& copy, detail::NodeStore* store) const;
    // clone() of the library's classes (Node is XMLElement or XMLCData): a
    // new Node with this node's fields and subtree, carved from a store of
    // its own when there is a subtree to copy.
    template <typename Node>
    std::unique_ptr<XMLElement> cloneAs() const;

public:
    // ---------------------------------------------------------- everyday access
    // Find, read and change a tree in one call (xml/element_access.cpp). Names
    // are NUL-terminated GB2312 texts compared byte for byte; a null name of
    // an attribute counts as empty, as for findAttribute.

    // True for a CDATA section: XMLCData overrides it, so kinds stay told apart by class.
    virtual bool isCData() const;

    // Every call below that takes a name as `const char*` also takes a
    // std::string_view (a std::string, say), whose bytes are compared whole.

    // The first child that is an element (not CDATA) named `childName`, or
    // null; a null name matches any element. Null entries are passed over.
    XMLElement* firstChild(const char* childName);
    const XMLElement* firstChild(const char* childName) const;
    XMLElement* firstChild(std::string_view childName);
    const XMLElement* firstChild(std::string_view childName) const;

    // The child elements named `childName` (every child element for a null
    // name), in order, without CDATA sections or null entries:
    //     for (XMLElement& item : list.childElements("item")) ...
    // The range keeps its own copy of the name; its iterators belong to it.
    ChildElementRange<XMLElement> childElements(const char* childName = nullptr);
    ChildElementRange<const XMLElement> childElements(const char* childName = nullptr) const;
    ChildElementRange<XMLElement> childElements(std::string_view childName);
    ChildElementRange<const XMLElement> childElements(std::string_view childName) const;

    // The next element after this one among its parent's children named
    // `siblingName` (any element for a null name), or null; null without a
    // parent. Finding this element in the parent's list costs a step per
    // earlier sibling: to visit many, loop over childElements instead.
    XMLElement* nextSiblingElement(const char* siblingName = nullptr);
    const XMLElement* nextSiblingElement(const char* siblingName = nullptr) const;
    XMLElement* nextSiblingElement(std::string_view siblingName);
    const XMLElement* nextSiblingElement(std::string_view siblingName) const;

    // The first attribute record named `attributeName`, or null, for reading
    // its value or changing it in place; found as findAttribute finds it.
    XMLAttribute* attribute(const char* attributeName);
    const XMLAttribute* attribute(const char* attributeName) const;
    XMLAttribute* attribute(std::string_view attributeName);
    const XMLAttribute* attribute(std::string_view attributeName) const;

    // The first attribute named `attributeName` read as a number: decimal
    // with an optional sign, or "0x"/"0X" and hexadecimal digits after the
    // sign, white space (TAB, LF, CR, space) around it allowed. `fallback`
    // when the attribute is absent, is not wholly such a number, or is out of
    // the type's range (hexadecimal is a value, not a bit pattern:
    // "0xFFFFFFFF" is out of an int32_t's range).
    int32_t intAttribute(const char* attributeName, int32_t fallback) const;
    int64_t int64Attribute(const char* attributeName, int64_t fallback) const;
    // The same for a decimal floating-point number ("-1.5", ".5", "2e3");
    // `fallback` for hexadecimal, "inf", "nan", or beyond a double's range.
    double doubleAttribute(const char* attributeName, double fallback) const;
    // The same for "true", "yes", "1" and "false", "no", "0" in any case;
    // `fallback` for anything else.
    bool boolAttribute(const char* attributeName, bool fallback) const;
    int32_t intAttribute(std::string_view attributeName, int32_t fallback) const;
    int64_t int64Attribute(std::string_view attributeName, int64_t fallback) const;
    double doubleAttribute(std::string_view attributeName, double fallback) const;
    bool boolAttribute(std::string_view attributeName, bool fallback) const;

    // `text` read as a number or truth value, by the rules of the attribute
    // readers above; `fallback` when it is not one.
    int32_t intText(int32_t fallback) const;
    int64_t int64Text(int64_t fallback) const;
    double doubleText(double fallback) const;
    bool boolText(bool fallback) const;

    // Replaces the value of the first attribute named `attributeName`, or
    // appends the attribute when there is none. A null value counts as empty.
    void setAttribute(const char* attributeName, const char* value);
    void setAttribute(std::string_view attributeName, std::string_view value);
    // The same with a number's text, which the readers above read back as
    // the same value: decimal digits for an integer, "true" or "false" for a
    // bool, and the shortest text that reads back as the same value for
    // floating point ("inf" and "nan" too, which doubleAttribute refuses).
    template <typename Number, typename = std::enable_if_t<IsAttributeNumber<Number>>>
    void setAttribute(const char* attributeName, Number value) {
        setAttribute(attributeName, numberText(value).c_str());
    }
    template <typename Number, typename = std::enable_if_t<IsAttributeNumber<Number>>>
    void setAttribute(std::string_view attributeName, Number value) {
        setAttribute(attributeName, std::string_view(numberText(value)));
    }
    // Removes the first attribute named `attributeName`; false when there was none.
    bool removeAttribute(const char* attributeName);
    bool removeAttribute(std::string_view attributeName);
    // Renames the first attribute named `attributeName` to `newName` in its
    // place, hash recomputed (see XMLAttribute); false when there was none.
    bool renameAttribute(const char* attributeName, const char* newName);
    bool renameAttribute(std::string_view attributeName, std::string_view newName);

private:
    // The text setAttribute writes for a number (see there).
    static std::string numberText(bool value);
    static std::string numberText(float value);
    static std::string numberText(double value);
    static std::string numberText(long double value) {
        return numberText(static_cast<double>(value));
    }
    template <typename Integer>
    static std::string numberText(Integer value) {
        if constexpr (std::is_signed_v<Integer>)
            return signedText(static_cast<long long>(value));
        else
            return unsignedText(static_cast<unsigned long long>(value));
    }
    static std::string signedText(long long value);
    static std::string unsignedText(unsigned long long value);
};

// A CDATA section: its content is `text`; it prints as <![CDATA[...]]> and
// writes type tag 2. The markup parser gives it no name, attributes or children.
class TARVIK_XML_API XMLCData : public XMLElement {
public:
    XMLCData() = default;
    // A CDATA node holding the given content.
    explicit XMLCData(std::string content);

    // Writes `depth` tabs (none at depth <= 0), "<![CDATA[", the text up to
    // its first zero byte, "]]>" and a line break. Name, attributes, data
    // bracket and children are not printed, and "]]>" in the text is not
    // escaped. Returns `out`.
    std::ostream& print(std::ostream& out, int32_t depth) const override;
    // Returns a deep copy that is again an XMLCData; the caller owns it.
    std::unique_ptr<XMLElement> clone() const override;
    // Writes type tag 2. Returns `out`.
    std::ostream& writeTypeTag(std::ostream& out) const override;
    // True: this node is a CDATA section.
    bool isCData() const override;
};

// The child elements of one element that bear one name (or all of them), as
// XMLElement::childElements returns them: a forward range of Element&.
template <typename Element>
class ChildElementRange {
    using ListIterator =
        std::conditional_t<std::is_const_v<Element>, XMLElement::ChildList::const_iterator,
                           XMLElement::ChildList::iterator>;

public:
    class iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = XMLElement;
        using difference_type = std::ptrdiff_t;
        using pointer = Element*;
        using reference = Element&;

        iterator() = default;
        reference operator*() const { return **at_; }
        pointer operator->() const { return at_->get(); }
        iterator& operator++() {
            at_ = range_->nextMatch(std::next(at_));
            return *this;
        }
        iterator operator++(int) {
            iterator before = *this;
            ++*this;
            return before;
        }
        friend bool operator==(const iterator& a, const iterator& b) { return a.at_ == b.at_; }
        friend bool operator!=(const iterator& a, const iterator& b) { return a.at_ != b.at_; }

    private:
        friend class ChildElementRange;
        iterator(const ChildElementRange* range, ListIterator at) : range_(range), at_(at) {}

        const ChildElementRange* range_ = nullptr;
        ListIterator at_;
    };

    // The children of `parent` named `name`; every child element when `anyName`.
    ChildElementRange(Element& parent, std::string_view name, bool anyName)
        : first_(parent.children.begin()),
          end_(parent.children.end()),
          name_(name),
          anyName_(anyName) {}

    iterator begin() const { return iterator(this, nextMatch(first_)); }
    iterator end() const { return iterator(this, end_); }
    // True when no child matches.
    bool empty() const { return begin() == end(); }

private:
    ListIterator nextMatch(ListIterator at) const {
        while (at != end_ && !(*at && !(*at)->isCData() && (anyName_ || (*at)->name == name_)))
            ++at;
        return at;
    }

    ListIterator first_;
    ListIterator end_;
    std::string name_;
    bool anyName_;
};

// The library's exception: one fixed GB2312 message text, plus where the
// failure was found when that is known. what() is always the bare message;
// describe() adds the place for people to read.
class TARVIK_XML_API XMLException : public std::exception {
public:
    // Keeps a copy of the NUL-terminated message (null counts as empty).
    explicit XMLException(const char* message);
    // The same, found at a byte offset of the input.
    XMLException(const char* message, int64_t offset);

    // The message, as given.
    const char* what() const noexcept override;
    // What went wrong, for a program to act on: the code of the message
    // (ErrorCode::Other for a message the library does not list).
    ErrorCode code() const { return code_; }

    // Byte offset of the failure in its input, or -1 when unknown.
    int64_t offset() const { return offset_; }
    // 1-based line and column (in bytes) of the failure in a text, or 0 when unknown.
    int32_t line() const { return line_; }
    int32_t column() const { return column_; }
    // The file the input came from, or empty.
    const std::string& source() const { return source_; }
    // The node at fault in a tree that cannot be saved, as a path of names
    // with 1-based positions among all siblings ("/game[1]/motd[2]", CDATA
    // sections as "#cdata[3]", an attribute after "@"), or empty.
    const std::string& node() const { return node_; }
    // Names the node at fault (see node()).
    void setNode(std::string node) { node_ = std::move(node); }

    // The operating system's reason for a file that could not be opened,
    // read or written ("No such file or directory"), or empty.
    const std::string& systemReason() const { return systemReason_; }
    void setSystemReason(std::string reason) { systemReason_ = std::move(reason); }

    // Records where the failure was found.
    void setOffset(int64_t offset) { offset_ = offset; }
    void setLineColumn(int32_t line, int32_t column);
    void setSource(std::string source) { source_ = std::move(source); }

    // "source:line:column: message", "source: byte N: message", or the parts
    // of that which are known, with ": node" after the place when a node is
    // named, and " (system reason)" after the message when there is one. The
    // message stays in GB2312.
    std::string describe() const;

private:
    std::string message_;
    std::string source_;
    std::string node_;
    std::string systemReason_;
    ErrorCode code_;
    int64_t offset_ = -1;
    int32_t line_ = 0;
    int32_t column_ = 0;
};

// A document: the root element "AbsoluteRoot" that parsers fill, the head
// element "head" (encoding="gb2312", never part of the root's tree) and the
// cursor, the element a parser is currently filling.
class TARVIK_XML_API XMLDocument {
public:
    // Builds the root, then the head; the cursor starts on the root.
    XMLDocument();
    // Clears the tree first, so no element outlives the document.
    virtual ~XMLDocument();

    XMLDocument(const XMLDocument&) = delete;
    XMLDocument& operator=(const XMLDocument&) = delete;

    // The root element; parsed top-level items are its children and attributes.
    XMLElement& root() { return root_; }
    const XMLElement& root() const { return root_; }
    // The head element, which collects the attributes of an xml declaration.
    XMLElement& head() { return head_; }
    const XMLElement& head() const { return head_; }
    // The encoding the text declared: the value of the head's last "encoding"
    // record ("gb2312" in a new document; the last declaration's after a
    // parse), or "gb2312" when the head holds none. Valid until the head changes.
    const char* encoding() const;
    // The element a parser is filling; null when no element is open.
    XMLElement* cursor() const { return cursor_; }
    // Moves the cursor. The document never owns what it points to.
    void setCursor(XMLElement* element) { cursor_ = element; }
    // The pages this document's parsers carve nodes from.
    detail::NodeStore& nodeStore() { return store_; }

    // Parses a NUL-terminated brace-notation text into a cleared root (see
    // xml/brace.h for the grammar). Returns false if the text was refused (an
    // unclosed group, nesting too deep, out of memory): the reason goes to the
    // debugger output and to lastBraceError(), and the root keeps what was
    // complete before the error. The text may lie in this document's own
    // tree (a value read back as a text) or be lastBraceError() itself: it
    // is then copied before the root and the error are cleared.
    bool parseBrace(const char* text);

    // Parses a NUL-terminated markup text (grammar in xml/markup.h) into a
    // cleared root, with the cursor starting on the root; a null text counts as
    // empty. Throws XMLException carrying the failure's offset, line and
    // column; the tree then keeps what was read before the error.
    // The head starts each call as a new document has it, the encoding =
    // "gb2312" record alone, and each "<?xml" declaration of this text appends
    // to it: what a parse leaves in the root and the head depends only on its
    // own text, however often the document is parsed. As with parseBrace,
    // a text that lies in this document's own tree is copied first.
    void parseMarkup(const char* text);
    // Reads the file at `path` in binary mode, as bounded by `options` (see
    // xml/load_options.h), and parses it with parseMarkup. A UTF-8 byte-order
    // mark at its start is skipped. Throws XMLException, every one naming the
    // path as its source(): messages::CannotOpenFile when the file cannot be
    // opened or is a directory, InputTooLarge past the options' limit,
    // OutOfMemory when memory runs out, ZeroByteInFile at the first zero byte
    // (the text would end there and the rest be lost) and UnicodeFile for a
    // UTF-16 or UTF-32 byte-order mark, with offset() the byte; then the
    // parser's errors. As with parseMarkup, a path that lies in this
    // document's own tree (a value naming the next file) is copied first.
    void loadMarkupFile(const std::string& path, const LoadOptions& options = LoadOptions());
    // Writes the root's children, each printed at depth 0 and followed by a
    // line break, to the file at `path`, replacing it only once every byte is
    // on the disk (see saveText in xml/file.h). loadMarkupFile reads back the
    // same root; the head is not written. Throws as saveText does, and
    // messages::RootNotPlain for a root with attributes, a text or a data bracket.
    void saveMarkupFile(const std::string& path) const;

    // The markup parser's building blocks, one per entry of markupTokens
    // (xml/markup.h). Each takes the position of its token in a NUL-terminated
    // text, reads that piece of markup into the tree, the cursor or the head,
    // and returns the position at which reading goes on. Each trusts that its
    // token stands at the position and skips it unchecked. They throw
    // XMLException without a position; parseMarkup adds it.

    // At the "<" of an opening tag: appends a new element to the cursor's
    // children, makes it the cursor, and reads its attributes and text.
    // Returns the next "<" after the text, the byte after a "[[data" escape's
    // terminator, or the byte after "/>" (the cursor then back on the parent).
    // Throws messages::ElementMismatch when no element is open.
    const char* parseElement(const char* position);
    // At the "<" of "<?": appends the attributes of an "<?xml" declaration to
    // the head; skips any other instruction. Returns the byte after "?>".
    const char* parseDeclaration(const char* position);
    // At the "<" of "<!--": skips the comment. Returns the byte after "-->".
    const char* parseComment(const char* position);
    // At the "<" of "</": closes the open element of that name, moving the
    // cursor to its parent (null after the root). Returns the byte after ">".
    const char* parseEndTag(const char* position);
    // At the "/" of "/>": closes the open element, moving the cursor to its
    // parent. Returns the byte after "/>".
    const char* closeEmptyElement(const char* position);
    // At (or before) "<![CDATA[": appends an XMLCData child holding the
    // section's bytes to the cursor, which stays. Returns the first byte after
    // "]]>" that is not white space. Throws messages::ElementMismatch when no
    // element is open.
    const char* parseCData(const char* position);

    // ------------------------------------------- buffers and refusal reasons

    // Parses exactly `length` bytes at `text` as parseMarkup(text) parses a
    // NUL-terminated text (xml/markup_buffer.cpp); the bytes need no NUL
    // after them, and a null text counts as empty. A zero byte among them
    // would end the text there and lose the rest, so it is refused before
    // anything is read, as loadMarkupFile refuses one: XMLException
    // messages::ZeroByteInFile with offset() the zero byte's, and the
    // document keeps what it held.
    void parseMarkup(const char* text, std::size_t length);

    // ------------------------------------------------------- standard XML

    // Parses `length` bytes at `text` as a standard XML 1.0 document
    // (xml/xml_reader.h says how the tree holds it) and puts its tree in
    // place of the root's children: the root element becomes the root's one
    // child, and the declaration's version, encoding and standalone replace
    // the head's attributes. The bytes need no NUL after them, are copied
    // first (so they may lie in this document's own tree), and a null text
    // counts as empty. Throws XMLException with the broken rule's message
    // (messages::Xml...), offset(), line() and column() for a document that is
    // not well-formed, and messages::UnicodeFile for UTF-16 or UTF-32; the
    // document then holds exactly what it held before. Running out of memory
    // throws std::bad_alloc, with the same guarantee.
    void parseXml(const char* text, std::size_t length);
    // Reads the file at `path` in binary mode, as bounded by `options`, and
    // parses it with parseXml. Throws XMLException naming the path as its
    // source(): messages::CannotOpenFile, InputTooLarge and OutOfMemory as
    // loadMarkupFile does, then parseXml's errors. The document is left as it
    // was on any error.
    void loadXmlFile(const std::string& path, const LoadOptions& options = LoadOptions());
    // Writes the document as standard XML, indented (see writeXml in
    // xml/xml_writer.h), to the file at `path`, replacing the file only once
    // every byte is on the disk; loadXmlFile reads back the same tree and
    // head. Throws XMLException naming the node at fault for a tree XML
    // cannot hold, and messages::CannotWriteFile as saveText does; the file
    // at `path` is then as it was.
    void saveXmlFile(const std::string& path) const;

    // Why the last parseBrace refused its text: the GB2312 message, after
    // "byte N: " when the place is known (the end of the text for an open
    // group), as XMLException::describe() puts it. Empty after a parseBrace
    // that succeeded, and before the first.
    const std::string& lastBraceError() const { return lastBraceError_; }
    // The code of that refusal (ErrorCode::None after a success and before the first).
    ErrorCode lastBraceErrorCode() const { return lastBraceErrorCode_; }

private:
    // Empties the root, names it "AbsoluteRoot" again and puts the cursor on it.
    void resetRoot();
    // Gives the head back the one record a new document's head holds.
    void resetHead();
    // True while the head holds just what a new document's head holds.
    bool headIsNew() const;

    // parseXml and loadXmlFile: reads `length` bytes at `text`, or the bytes
    // of `owned`, taken over, when it is not null (xml/xml_reader.cpp).
    void readXml(const char* text, std::size_t length, std::string* owned);

    XMLElement root_;
    XMLElement head_;
    XMLElement* cursor_;
    detail::NodeStore store_;
    std::string lastBraceError_;                      // see lastBraceError()
    ErrorCode lastBraceErrorCode_ = ErrorCode::None;  // see lastBraceErrorCode()
};

}  // namespace tarvik::xml

#endif  // TARVIK_XML_DOCUMENT_H
