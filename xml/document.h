// tarvik::xml: a small in-memory markup document, an element tree with
// attributes. Reads standard XML (xml/xml_reader.h), brace notation
// (xml/brace.h) and markup text (xml/markup.h); writes standard XML
// (xml/xml_writer.h), indented text or a binary node stream (xml/node_stream.h).
//
//     #include "xml/document.h"
//
//     tarvik::xml::XMLDocument doc;
//     if (doc.parseBrace("url='http://example/', connstate=2, window=(w=800)")) {
//         const char* url = doc.root().findAttribute("url");       // "http://example/"
//         XMLElement* window = doc.root().firstChild("window");    // or null
//         int32_t width = window->intAttribute("w", 640);          // 800; 640 if absent
//         window->setAttribute("title", "\xD6\xD0\xCE\xC4");        // replaces or appends
//         window->print(std::cout, 0);  // <window w="800" title="..."></window>
//     }
//
// Encoding: every string is a byte string exactly as read (GB2312 from brace
// notation and markup text, the document's own encoding from standard XML);
// the library never converts, and passes bytes 0x80-0xFF through untouched.
// Ownership: an element owns its attributes (by value) and its children
// (std::unique_ptr); `parent` and the cursor never own. Nothing recurses over
// a tree's depth, except the brace reader, whose nesting stops at MaxBraceDepth.
// Memory: parsed nodes live in the pages of an arena (xml/detail/node_store.h)
// that each node keeps alive, so a child moved out of `children` outlives its document.
// Errors: XMLException (below); parseBraceGroup throws std::runtime_error
// (xml/brace.h); parseBrace returns false and keeps the reason.
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

// h = h * 31 + c over the bytes of a NUL-terminated name, each a signed char,
// wrapping in 32 bits. Null and "" hash to 0.
TARVIK_XML_API int32_t nameHash(const char* name);
// The same over `name` up to its first NUL, as a stored name hashes.
TARVIK_XML_API int32_t nameHash(std::string_view name);

// The number types setAttribute writes as text: integers, floating point and
// bool, not the character types (their values read as letters).
template <typename Number>
inline constexpr bool IsAttributeNumber =
    std::is_arithmetic_v<Number> && !std::is_same_v<Number, char> &&
    !std::is_same_v<Number, signed char> && !std::is_same_v<Number, unsigned char> &&
    !std::is_same_v<Number, wchar_t> && !std::is_same_v<Number, char16_t> &&
    !std::is_same_v<Number, char32_t>;

// A named value on an element. Lookups compare `hash` (always nameHash(name)) before the
// bytes: rename through setName or XMLElement::renameAttribute, never by assigning `name`.
struct TARVIK_XML_API XMLAttribute {
    std::string name;
    std::string value;
    int32_t hash;

    // Copies both texts (null counts as empty) and hashes the name.
    XMLAttribute(const char* name, const char* value);
    // Takes both strings (move them in) and hashes the name up to its first NUL.
    XMLAttribute(std::string name, std::string value);
    // Copies both byte ranges, NULs included, and hashes the name up to its first NUL.
    XMLAttribute(std::string_view name, std::string_view value);

    // Replaces the name and recomputes the hash.
    void setName(const char* newName);
};

// An element node. XMLCData derives from it: node kinds differ by class, never by a field.
class TARVIK_XML_API XMLElement : public detail::NodeAllocation {
public:
    // The attribute records, in insertion order (std::list-like, xml/node_list.h).
    using AttributeList = NodeList<XMLAttribute>;
    // The owned children, in document order; null only if put there by hand. A
    // child entering the list, whichever way, gets the list's element as parent.
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

    // Linked by address (parent pointers): neither copied nor moved; clone() copies.
    XMLElement(const XMLElement&) = delete;
    XMLElement& operator=(const XMLElement&) = delete;

    // Writes the subtree as markup text, children at depth + 1, a tab per level
    // (none before its own tag or at depth <= 0). Escapes nothing; strings end
    // at their first zero byte; each line break flushes. Returns `out`, untested.
    virtual std::ostream& print(std::ostream& out, int32_t depth) const;
    // Writes the subtree as one binary node record (xml/node_stream.h) to a
    // binary-mode `out`, untested. A string or list of 2^31 or more has no
    // length field to hold it: `out` is marked bad there, the record unfinished.
    virtual void writeBinary(std::ostream& out) const;
    // Reads one record body (not the type tag or child count; readTree reads
    // whole records): replaces name, text and dataBracket, appends attributes.
    // Never throws: a short stream or a negative length fails the stream (what
    // arrived stays, a cut attribute is left out); a negative count reads none.
    virtual void readBinary(std::istream& in);
    // A deep copy of the same class, owned by the caller; its parent is this
    // node's parent, though it is not in that parent's child list.
    virtual std::unique_ptr<XMLElement> clone() const;
    // Writes the 32-bit type tag that opens this node's record (1). Returns `out`.
    virtual std::ostream& writeTypeTag(std::ostream& out) const;
    // Clears the element (clear()).
    virtual ~XMLElement();

    // Appends a copy of the attribute after the existing ones.
    void appendAttribute(const XMLAttribute& attribute);
    // Appends the child, makes this element its parent and returns it; null
    // for a null child, which is ignored.
    XMLElement* appendChild(std::unique_ptr<XMLElement> child);
    // Value of the first attribute with this name, or null; valid until it changes.
    const char* findAttribute(const char* attributeName) const;
    // Empties name and text, resets dataBracket and parent, and deletes every
    // attribute and the subtree, top down without recursion: a derived class's
    // destructor finds its attributes and children gone and `parent` null.
    void clear();

    // ---------------------------------------------------------- everyday access
    // Names are NUL-terminated texts compared byte for byte (a null attribute
    // name counts as empty); each also takes a std::string_view, compared whole.

    // True for a CDATA section (XMLCData overrides it).
    virtual bool isCData() const;

    // The first child element (not CDATA, not null) named `childName` (any for null), or null.
    XMLElement* firstChild(const char* childName);
    const XMLElement* firstChild(const char* childName) const;
    XMLElement* firstChild(std::string_view childName);
    const XMLElement* firstChild(std::string_view childName) const;

    // The child elements named `childName` (all for null), in order, skipping CDATA
    // and null; the range copies the name: `for (XMLElement& e : x.childElements("item"))`.
    ChildElementRange<XMLElement> childElements(const char* childName = nullptr);
    ChildElementRange<const XMLElement> childElements(const char* childName = nullptr) const;
    ChildElementRange<XMLElement> childElements(std::string_view childName);
    ChildElementRange<const XMLElement> childElements(std::string_view childName) const;

    // The next sibling element named `siblingName` (any for null), or null.
    // Costs a step per earlier sibling: to visit many, loop over childElements.
    XMLElement* nextSiblingElement(const char* siblingName = nullptr);
    const XMLElement* nextSiblingElement(const char* siblingName = nullptr) const;
    XMLElement* nextSiblingElement(std::string_view siblingName);
    const XMLElement* nextSiblingElement(std::string_view siblingName) const;

    // The first attribute record named `attributeName`, or null, to read or change in place.
    XMLAttribute* attribute(const char* attributeName);
    const XMLAttribute* attribute(const char* attributeName) const;
    XMLAttribute* attribute(std::string_view attributeName);
    const XMLAttribute* attribute(std::string_view attributeName) const;

    // The attribute read as a signed decimal or "0x" hexadecimal number, white
    // space around it allowed; `fallback` when absent, not wholly a number, or
    // out of range (hexadecimal is a value: "0xFFFFFFFF" is no int32_t).
    int32_t intAttribute(const char* attributeName, int32_t fallback) const;
    int64_t int64Attribute(const char* attributeName, int64_t fallback) const;
    // The same for a decimal floating-point number ("-1.5", ".5", "2e3");
    // `fallback` for hexadecimal, "inf", "nan" or beyond a double's range.
    double doubleAttribute(const char* attributeName, double fallback) const;
    // The same for "true", "yes", "1", "false", "no", "0" in any case.
    bool boolAttribute(const char* attributeName, bool fallback) const;
    int32_t intAttribute(std::string_view attributeName, int32_t fallback) const;
    int64_t int64Attribute(std::string_view attributeName, int64_t fallback) const;
    double doubleAttribute(std::string_view attributeName, double fallback) const;
    bool boolAttribute(std::string_view attributeName, bool fallback) const;

    // `text` read by the rules of the attribute readers above.
    int32_t intText(int32_t fallback) const;
    int64_t int64Text(int64_t fallback) const;
    double doubleText(double fallback) const;
    bool boolText(bool fallback) const;

    // Replaces the first such attribute's value, or appends one; null counts as empty.
    void setAttribute(const char* attributeName, const char* value);
    void setAttribute(std::string_view attributeName, std::string_view value);
    // The same with a number's text: decimal, "true"/"false", or the shortest text that
    // reads back as the same double ("inf" and "nan" too, which doubleAttribute refuses).
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
    // Renames the first such attribute in place, hash recomputed; false when there was none.
    bool renameAttribute(const char* attributeName, const char* newName);
    bool renameAttribute(std::string_view attributeName, std::string_view newName);

protected:
    // Copies this node's own fields (not its children) into `copy`.
    void copyFieldsTo(XMLElement& copy) const { copyFieldsTo(copy, nullptr); }
    // Deep-copies the children of this node under `copy`.
    void cloneChildrenTo(XMLElement& copy) const { cloneChildrenTo(copy, nullptr); }
    // The same, the copies allocated from the arena `store` (null: the heap).
    void copyFieldsTo(XMLElement& copy, detail::NodeStore* store) const;
    void cloneChildrenTo(XMLElement& copy, detail::NodeStore* store) const;
    // clone() of a library class Node (XMLElement or XMLCData), the copy in
    // an arena of its own when there is a subtree to copy.
    template <typename Node>
    std::unique_ptr<XMLElement> cloneAs() const;

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

// A CDATA section: its content is `text`. The parsers give it no name,
// attributes or children.
class TARVIK_XML_API XMLCData : public XMLElement {
public:
    XMLCData() = default;
    // A CDATA node holding the given content.
    explicit XMLCData(std::string content);

    // Writes `depth` tabs, "<![CDATA[", the text up to its first zero byte,
    // "]]>" (not escaped in the text) and a line break; nothing else. Returns `out`.
    std::ostream& print(std::ostream& out, int32_t depth) const override;
    // A deep copy that is again an XMLCData, owned by the caller.
    std::unique_ptr<XMLElement> clone() const override;
    // Writes type tag 2. Returns `out`.
    std::ostream& writeTypeTag(std::ostream& out) const override;
    // True.
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

// The library's exception: a fixed GB2312 message (what()) and, when known,
// where the failure was found; describe() puts both together for people.
class TARVIK_XML_API XMLException : public std::exception {
public:
    // Keeps a copy of the NUL-terminated message (null counts as empty).
    explicit XMLException(const char* message);
    // The same, found at a byte offset of the input.
    XMLException(const char* message, int64_t offset);

    // The message, as given.
    const char* what() const noexcept override;
    // The message's code (ErrorCode::Other for one the library does not list).
    ErrorCode code() const { return code_; }

    // Byte offset of the failure in its input, or -1 when unknown.
    int64_t offset() const { return offset_; }
    // 1-based line and column (in bytes) of the failure in a text, or 0 when unknown.
    int32_t line() const { return line_; }
    int32_t column() const { return column_; }
    // The file the input came from, or empty.
    const std::string& source() const { return source_; }
    // The node at fault in a tree that cannot be saved, or empty: a path with
    // 1-based positions among all siblings ("/game[1]/motd[2]", "#cdata[3]", "@attr").
    const std::string& node() const { return node_; }
    // Names the node at fault (see node()).
    void setNode(std::string node) { node_ = std::move(node); }

    // The system's reason a file failed ("No such file or directory"), or empty.
    const std::string& systemReason() const { return systemReason_; }
    void setSystemReason(std::string reason) { systemReason_ = std::move(reason); }

    // Records where the failure was found.
    void setOffset(int64_t offset) { offset_ = offset; }
    void setLineColumn(int32_t line, int32_t column);
    void setSource(std::string source) { source_ = std::move(source); }

    // "source:line:column: message" or "source: byte N: message" (the known
    // parts), ": node" after the place, " (reason)" after the message; in GB2312.
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
// element "head" (encoding="gb2312", outside the root's tree) and the cursor,
// the element a parser is filling.
class TARVIK_XML_API XMLDocument {
public:
    // Builds the root, then the head; the cursor starts on the root.
    XMLDocument();
    // Clears the tree, so no element of it outlives the document.
    virtual ~XMLDocument();

    XMLDocument(const XMLDocument&) = delete;
    XMLDocument& operator=(const XMLDocument&) = delete;

    // The root element; parsed top-level items become its children and attributes.
    XMLElement& root() { return root_; }
    const XMLElement& root() const { return root_; }
    // The head element, which holds the attributes of an xml declaration.
    XMLElement& head() { return head_; }
    const XMLElement& head() const { return head_; }
    // The value of the head's last "encoding" record; without one, "UTF-8" where
    // standard XML filled the head, else "gb2312". Valid until the head changes.
    const char* encoding() const;
    // The element a parser is filling; null when no element is open.
    XMLElement* cursor() const { return cursor_; }
    // Moves the cursor. The document never owns what it points to.
    void setCursor(XMLElement* element) { cursor_ = element; }

    // Parses a NUL-terminated brace-notation text (xml/brace.h) into a cleared
    // root. False if refused (unclosed group, too deep, out of memory): the
    // reason goes to the debugger output (standard error off Windows) and
    // lastBraceError(), and the root
    // keeps what was complete. The text may lie in this document's own tree.
    bool parseBrace(const char* text);
    // Why the last parseBrace refused its text ("byte N: " and the GB2312
    // message, as describe() puts it); empty after a success and before the first.
    const std::string& lastBraceError() const { return lastBraceError_; }
    // The code of that refusal (ErrorCode::None after a success and before the first).
    ErrorCode lastBraceErrorCode() const { return lastBraceErrorCode_; }

    // Parses a NUL-terminated markup text (xml/markup.h; null counts as empty)
    // into a cleared root and a new head, which its "<?xml" declarations
    // extend. Throws XMLException with offset, line and column; the tree keeps
    // what was read. The text may lie in this document's own tree.
    void parseMarkup(const char* text);
    // Parses exactly `length` bytes (no NUL needed; null counts as empty) as
    // parseMarkup(text) does. A zero byte among them is refused before anything
    // is read: XMLException messages::ZeroByteInFile, offset() the byte.
    void parseMarkup(const char* text, std::size_t length);
    // Reads the file at `path` (bounded by `options`, a UTF-8 byte-order mark
    // skipped) and parses it with parseMarkup. Throws XMLException with the
    // path as source(): messages::CannotOpenFile (also a directory),
    // InputTooLarge, OutOfMemory, ZeroByteInFile and UnicodeFile (UTF-16/32,
    // offset() the byte), then the parser's. `path` may lie in the tree.
    void loadMarkupFile(const std::string& path, const LoadOptions& options = LoadOptions());
    // Writes the root's children, each printed at depth 0 and followed by a line
    // break, replacing `path` atomically (saveText, xml/file.h); loadMarkupFile reads
    // back the same root. Throws as saveText, and messages::RootNotPlain for a
    // root with attributes, a text or a data bracket. The head is not written.
    void saveMarkupFile(const std::string& path) const;

    // ------------------------------------------------------- standard XML

    // Parses `length` bytes (no NUL needed; copied first, so they may lie in
    // the tree) as standard XML 1.0 (xml/xml_reader.h): the root element becomes
    // the root's one child, the declaration replaces the head's attributes.
    // Throws XMLException (messages::Xml..., UnicodeFile) with offset, line and
    // column, or std::bad_alloc; the document then holds what it held before.
    void parseXml(const char* text, std::size_t length);
    // Reads the file at `path` (bounded by `options`) and parses it with parseXml.
    // Throws XMLException with the path as source(): CannotOpenFile, InputTooLarge,
    // OutOfMemory, then parseXml's errors; the document is left as it was.
    void loadXmlFile(const std::string& path, const LoadOptions& options = LoadOptions());
    // Writes the document as indented standard XML (writeXml, xml/xml_writer.h),
    // replacing `path` atomically. Throws XMLException naming the node XML cannot
    // hold, or messages::CannotWriteFile; the file is then as it was.
    void saveXmlFile(const std::string& path) const;

    // ------------------------------------------------ the markup parser's parts

    // The arena this document's parsers allocate nodes from (internal).
    detail::NodeStore& nodeStore() { return store_; }

    // The markup parser's handlers, one per entry of markupTokens (xml/markup.h):
    // each reads the markup at its token (trusted, skipped unchecked) into the
    // tree, cursor or head, and returns where reading goes on. They throw
    // XMLException without a position; parseMarkup adds it.

    // element := "<" name attributes ( "/>" | ">" text ): appends it to the
    // cursor and makes it the cursor (not for "/>"). Returns the "<" after the
    // text, or the byte after "/>" or a "[[data" escape. Throws
    // messages::ElementMismatch when no element is open.
    const char* parseElement(const char* position);
    // instruction := "<?" name ... "?>": an "<?xml" declaration's attributes go
    // to the head; others are skipped. Returns the byte after "?>".
    const char* parseDeclaration(const char* position);
    // comment := "<!--" ... "-->", skipped. Returns the byte after "-->".
    const char* parseComment(const char* position);
    // end-tag := "</" name ">": closes that open element, the cursor to its
    // parent (null after the root). Returns the byte after ">".
    const char* parseEndTag(const char* position);
    // "/>": closes the open element, the cursor to its parent. Returns the byte after.
    const char* closeEmptyElement(const char* position);
    // cdata := "<![CDATA[" ... "]]>" (at or before it): appends an XMLCData child
    // to the cursor. Returns the first non-white byte after "]]>". Throws
    // messages::ElementMismatch when no element is open.
    const char* parseCData(const char* position);

private:
    // Empties the root, names it "AbsoluteRoot" again and puts the cursor on it.
    void resetRoot();
    // Gives the head back the one record a new document's head holds.
    void resetHead();
    // True while the head holds just what a new document's head holds.
    bool headIsNew() const;

    // parseXml and loadXmlFile: reads `length` bytes at `text`, or takes over `owned`.
    void readXml(const char* text, std::size_t length, std::string* owned);

    XMLElement root_;
    XMLElement head_;
    XMLElement* cursor_;
    bool headFromXml_ = false;  // standard XML, whose undeclared encoding is UTF-8
    detail::NodeStore store_;
    std::string lastBraceError_;                      // see lastBraceError()
    ErrorCode lastBraceErrorCode_ = ErrorCode::None;  // see lastBraceErrorCode()
};

}  // namespace tarvik::xml

#endif  // TARVIK_XML_DOCUMENT_H
