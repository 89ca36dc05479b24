#include "xml/xml_writer.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "xml/atomic_file.h"
#include "xml/messages.h"
#include "xml/node_path.h"
#include "xml/xml_chars.h"

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define TARVIK_XML_WRITER_SSE2 1
#endif

namespace tarvik::xml {

namespace {

using xmlchars::Encoding;

// Bytes gathered before they go to the stream in one write.
constexpr std::size_t FlushBytes = std::size_t{1} << 16;

// The escape of each byte that needs one, in text and in attribute values.
using Escapes = std::array<std::string_view, xmlchars::ByteValues>;

constexpr Escapes makeEscapes(bool value) {
    Escapes escapes{};
    escapes[static_cast<unsigned char>('&')] = "&amp;";
    escapes[static_cast<unsigned char>('<')] = "&lt;";
    escapes[static_cast<unsigned char>('\r')] = "&#13;";
    if (value) {
        escapes[static_cast<unsigned char>('"')] = "&quot;";
        escapes[static_cast<unsigned char>('\t')] = "&#9;";
        escapes[static_cast<unsigned char>('\n')] = "&#10;";
    } else {
        escapes[static_cast<unsigned char>('>')] = "&gt;";
    }
    return escapes;
}

constexpr Escapes TextEscapes = makeEscapes(false);
constexpr Escapes ValueEscapes = makeEscapes(true);

// What the writer does with each byte of a text or value.
enum ByteAction : uint8_t {
    Copy,    // goes out as it is
    Escape,  // goes out as its escape
    Look,    // a control byte, or one from 0x80 up that the encoding must be asked about
};

using Actions = std::array<uint8_t, xmlchars::ByteValues>;

Actions actionsFor(const Escapes& escapes, Encoding encoding) {
    Actions actions{};
    const bool highBytesPass = xmlchars::heldByteForByte(encoding);
    for (std::size_t c = 0; c < actions.size(); ++c) {
        if (!escapes[c].empty())
            actions[c] = Escape;
        else if (c < 0x20 ? !xmlchars::isSpace(static_cast<char>(c)) : c >= 0x80 && !highBytesPass)
            actions[c] = Look;
        else
            actions[c] = Copy;
    }
    return actions;
}

// The declaration's three records, in the order XML 1.0 gives them.
constexpr const char* DeclarationRecords[] = {"version", "encoding", "standalone"};
constexpr char DefaultVersion[] = "1.0";

// Attributes of an element checked for repeats pairwise; more are sorted.
constexpr std::size_t PairwiseAttributeCheck = 16;

// True for a name of ASCII name characters that begins with a name-start
// one: most names, told without asking the encoding.
bool isAsciiName(const std::string& name) {
    if (name.empty() || (xmlchars::AsciiClasses[static_cast<unsigned char>(name[0])] &
                         xmlchars::NameStartByte) == 0)
        return false;
    for (const char c : name) {
        if ((xmlchars::AsciiClasses[static_cast<unsigned char>(c)] & xmlchars::NameByte) == 0)
            return false;
    }
    return true;
}

// What a child list holds, as far as the writer cares.
struct Contents {
    bool any = false;   // a child that is not null
    bool data = false;  // an XMLCData child among them
};

// The children are walked from both ends at once, until the walks meet or
// one finds an XMLCData child: each step of a walk waits for memory (the
// next link, the child's class), and two walks wait side by side. An element
// of tens of thousands of children is walked here before any is written.
Contents contentsOf(const XMLElement& element) {
    Contents contents;
    auto note = [&contents](const std::unique_ptr<XMLElement>& child) {
        if (!child)
            return;
        contents.any = true;
        contents.data = contents.data || child->isCData();
    };
    auto forward = element.children.begin();
    auto backward = element.children.end();
    while (forward != backward && !contents.data) {
        note(*forward++);
        if (forward == backward || contents.data)
            break;
        note(*--backward);
    }
    return contents;
}

#ifdef TARVIK_XML_WRITER_SSE2
// A bit for each byte of the 16 at `p` that may need more than a copy: "&",
// "<", the quote of a value or the ">" of text, every byte below 0x20 (TAB
// and LF included, which text copies), and with `highLooked` every byte from
// 0x80 up (a signed compare takes them as negative).
unsigned candidatesIn(const char* p, char closing, bool highLooked) {
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    __m128i low = _mm_cmplt_epi8(block, _mm_set1_epi8(0x20));
    if (!highLooked)
        low = _mm_and_si128(low, _mm_cmpgt_epi8(block, _mm_set1_epi8(-1)));
    const __m128i markup = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(block, _mm_set1_epi8('&')),
                                                     _mm_cmpeq_epi8(block, _mm_set1_epi8('<'))),
                                        _mm_cmpeq_epi8(block, _mm_set1_epi8(closing)));
    return static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(markup, low)));
}
#endif

// Bytes of a piece up to which the writer copies it with plain moves
// instead of a call: two overlapping words cover any length up to twice theirs.
constexpr std::size_t SmallCopyBytes = 16;

// Copies `count` bytes, sizeof(Word) to 2 * sizeof(Word), as two words that
// may overlap: the first and the last of the range.
template <typename Word>
inline void copyHeadAndTail(char* out, const char* in, std::size_t count) {
    Word head;
    Word tail;
    std::memcpy(&head, in, sizeof head);
    std::memcpy(&tail, in + count - sizeof tail, sizeof tail);
    std::memcpy(out, &head, sizeof head);
    std::memcpy(out + count - sizeof tail, &tail, sizeof tail);
}

// Copies `count` bytes (at most SmallCopyBytes) from `in` to `out`.
inline void copySmall(char* out, const char* in, std::size_t count) {
    if (count >= sizeof(uint64_t)) {
        copyHeadAndTail<uint64_t>(out, in, count);
    } else if (count >= sizeof(uint32_t)) {
        copyHeadAndTail<uint32_t>(out, in, count);
    } else if (count > 0) {
        out[0] = in[0];
        out[count / 2] = in[count / 2];
        out[count - 1] = in[count - 1];
    }
}

// Writes standard XML to a stream, or, without one, only checks what it
// would write. The stream gets the bytes in large pieces.
class XmlWriter {
public:
    XmlWriter(std::ostream* out, XmlLayout layout, Encoding encoding)
        : out_(out),
          layout_(layout),
          encoding_(encoding),
          textActions_(actionsFor(TextEscapes, encoding)),
          valueActions_(actionsFor(ValueEscapes, encoding)),
          highLooked_(!xmlchars::heldByteForByte(encoding)) {
        if (out_)
            buffer_.reset(new char[FlushBytes]);
    }

    // Writes `top`, which stands at `position` (from 1) among its siblings:
    // the first step of the paths that name nodes in errors.
    void writeTree(const XMLElement& top, std::size_t position);
    // Writes the declaration the head holds, if any.
    void writeDeclaration(const XMLElement& head);
    void lineBreak() { put('\n'); }
    // Hands what is left to the stream.
    void flush() {
        if (out_ && used_ > 0)
            out_->write(buffer_.get(), static_cast<std::streamsize>(used_));
        used_ = 0;
    }

private:
    // An element whose children are being written.
    struct Frame {
        const XMLElement* element;
        XMLElement::ChildList::const_iterator next;
        int32_t depth;
        bool indent;  // its children each on a line of their own
    };

    void put(char c) {
        if (!out_)
            return;
        if (used_ == FlushBytes)
            flush();
        buffer_[used_++] = c;
    }
    // Small pieces are gathered; a piece larger than the buffer goes out whole.
    void put(std::string_view bytes) {
        if (!out_)
            return;
        if (bytes.size() > FlushBytes - used_) {
            flush();
            if (bytes.size() >= FlushBytes) {
                out_->write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
                return;
            }
        }
        if (bytes.size() <= SmallCopyBytes)
            copySmall(buffer_.get() + used_, bytes.data(), bytes.size());
        else
            std::memcpy(buffer_.get() + used_, bytes.data(), bytes.size());
        used_ += bytes.size();
    }
    void putChecked(const std::string& bytes, const Escapes& escapes, const Actions& actions,
                    const XMLElement& node, const XMLAttribute* attribute);
    // The first byte from `p` to `end` that `actions` does not copy, or
    // `end`; TAB and LF may stop it in text too. `closing` is '"' for a value
    // and '>' for text.
    const char* nextToLook(const char* p, const char* end, const Actions& actions,
                           char closing) const {
#ifdef TARVIK_XML_WRITER_SSE2
        for (; end - p >= static_cast<std::ptrdiff_t>(ScanBytes); p += ScanBytes) {
            if (const unsigned bits = candidatesIn(p, closing, highLooked_))
                return p + xmlchars::lowestSetBit(bits);
        }
#else
        (void)closing;
#endif
        while (p < end && actions[static_cast<unsigned char>(*p)] == Copy)
            ++p;
        return p;
    }
    // Bytes the writer looks at a block at a time.
    static constexpr std::size_t ScanBytes = 16;
    void indent(int32_t depth);
    // The end of the character of the document's encoding at `p` (a byte
    // from 0x80 up) that XML allows; refuses anything else.
    const char* passUtf8Character(const char* p, const char* end, const XMLElement& node,
                                  const XMLAttribute* attribute) const {
        if (encoding_ != Encoding::Utf8)
            refuse(messages::XmlEncodingViolation, node, attribute);
        // Two-byte sequences and three-byte ones led by 0xE1 to 0xEC (CJK
        // among them) are characters XML allows whenever their trailing bytes
        // are continuation bytes.
        const auto lead = static_cast<unsigned char>(p[0]);
        auto trails = [p](int at) { return (static_cast<unsigned char>(p[at]) & 0xC0) == 0x80; };
        if (trails(1)) {
            if (lead >= 0xC2 && lead <= 0xDF)
                return p + 2;
            if (lead >= 0xE1 && lead <= 0xEC && trails(2))
                return p + 3;
        }
        uint32_t code = 0;
        const int length = xmlchars::decodeUtf8(p, code);
        if (length == 0 || length > end - p)
            refuse(messages::XmlEncodingViolation, node, attribute);
        if (!xmlchars::isXmlChar(code))
            refuse(messages::XmlTextNotWritable, node, attribute);
        return p + length;
    }

    [[noreturn]] void refuse(const char* message, const XMLElement& node,
                             const XMLAttribute* attribute) const;
    void checkName(const std::string& name, const XMLElement& node,
                   const XMLAttribute* attribute) const;
    void checkAttributes(const XMLElement& element) const;
    void checkData(const XMLElement& data) const;

    // Writes the opening of `element` (the whole of an empty one), and
    // returns whether it stays open for its content.
    bool open(const XMLElement& element, int32_t depth, bool indentable);

    std::ostream* out_;
    XmlLayout layout_;
    Encoding encoding_;
    Actions textActions_;
    Actions valueActions_;
    bool highLooked_;                 // bytes from 0x80 up are checked (UTF-8, US-ASCII)
    std::unique_ptr<char[]> buffer_;  // what goes to the stream next
    std::size_t used_ = 0;
    const XMLElement* top_ = nullptr;
    std::size_t topPosition_ = 1;
    std::vector<Frame> open_;
};

// Writes `bytes` escaped, checking each character on the way: one pass
// both for the check and for the writing.
void XmlWriter::putChecked(const std::string& bytes, const Escapes& escapes, const Actions& actions,
                           const XMLElement& node, const XMLAttribute* attribute) {
    const char* start = bytes.data();
    const char* end = start + bytes.size();
    const char closing = &escapes == &ValueEscapes ? '"' : '>';
    for (const char* p = start;;) {
        p = nextToLook(p, end, actions, closing);
        if (p == end)
            break;
        const uint8_t action = actions[static_cast<unsigned char>(*p)];
        if (action == Copy) {
            ++p;
            continue;
        }
        if (action == Escape) {
            put(std::string_view(start, static_cast<std::size_t>(p - start)));
            put(escapes[static_cast<unsigned char>(*p)]);
            start = ++p;
            continue;
        }
        // A control byte, a byte above 0x7F in US-ASCII, or UTF-8 sequences
        // to decode, all those that follow one another: the string's own NUL
        // after it stops one cut short.
        if (static_cast<unsigned char>(*p) < 0x80)
            refuse(messages::XmlTextNotWritable, node, attribute);
        do {
            p = passUtf8Character(p, end, node, attribute);
        } while (p < end && static_cast<unsigned char>(*p) >= 0x80);
    }
    put(std::string_view(start, static_cast<std::size_t>(end - start)));
}

void XmlWriter::indent(int32_t depth) {
    static const std::string tabs(XmlMaxIndentLevels, '\t');
    lineBreak();
    put(std::string_view(tabs).substr(
        0, static_cast<std::size_t>(std::min(depth, XmlMaxIndentLevels))));
}

void XmlWriter::refuse(const char* message, const XMLElement& node,
                       const XMLAttribute* attribute) const {
    XMLException error(message);
    std::string path = nodePath(node, *top_, topPosition_);
    if (attribute)
        path += "@" + attribute->name;
    error.setNode(std::move(path));
    throw error;
}

// A Name of XML 1.0 section 2.3, in bytes of the encoding.
void XmlWriter::checkName(const std::string& name, const XMLElement& node,
                          const XMLAttribute* attribute) const {
    if (isAsciiName(name))
        return;
    // isXmlName decodes UTF-8 and takes any other byte from 0x80 up as a
    // name character; US-ASCII has none.
    const bool inEncoding =
        encoding_ != Encoding::Ascii ||
        xmlchars::firstFault(name.data(), name.size(), encoding_).fault == xmlchars::Fault::None;
    if (!inEncoding || !xmlchars::isXmlName(name, encoding_))
        refuse(messages::XmlNameNotWritable, node, attribute);
}

// Names, and no name twice (a tree may hold the same name twice; XML may not).
void XmlWriter::checkAttributes(const XMLElement& element) const {
    std::vector<const XMLAttribute*> many;
    std::size_t count = 0;
    for (const XMLAttribute& attribute : element.attributes) {
        checkName(attribute.name, element, &attribute);
        if (++count > PairwiseAttributeCheck)
            continue;
        for (const XMLAttribute& earlier : element.attributes) {
            if (&earlier == &attribute)
                break;
            if (earlier.name == attribute.name)
                refuse(messages::XmlDuplicateAttribute, element, &attribute);
        }
    }
    if (count <= PairwiseAttributeCheck)
        return;
    for (const XMLAttribute& attribute : element.attributes)
        many.push_back(&attribute);
    std::stable_sort(many.begin(), many.end(), [](const XMLAttribute* a, const XMLAttribute* b) {
        return a->name < b->name;
    });
    for (std::size_t i = 1; i < many.size(); ++i) {
        if (many[i - 1]->name == many[i]->name)
            refuse(messages::XmlDuplicateAttribute, element, many[i]);
    }
}

// A run of character data holds its text and nothing else.
void XmlWriter::checkData(const XMLElement& data) const {
    const bool plain = data.name.empty() && data.attributes.empty() && data.dataBracket == 0 &&
                       !contentsOf(data).any;
    if (!plain)
        refuse(messages::CDataNotPlain, data, nullptr);
}

bool XmlWriter::open(const XMLElement& element, int32_t depth, bool indentable) {
    checkName(element.name, element, nullptr);
    if (element.dataBracket != 0)
        refuse(messages::XmlDataBracketNotWritable, element, nullptr);
    checkAttributes(element);
    put('<');
    put(element.name);
    for (const XMLAttribute& attribute : element.attributes) {
        put(' ');
        put(attribute.name);
        put("=\"");
        putChecked(attribute.value, ValueEscapes, valueActions_, element, &attribute);
        put('"');
    }
    const Contents contents = contentsOf(element);
    if (element.text.empty() && !contents.any) {
        put("/>");
        return false;
    }
    put('>');
    putChecked(element.text, TextEscapes, textActions_, element, nullptr);
    open_.push_back({&element, element.children.begin(), depth,
                     indentable && element.text.empty() && !contents.data});
    return true;
}

// Pre-order from a stack of open elements, so that no depth is too deep.
void XmlWriter::writeTree(const XMLElement& top, std::size_t position) {
    top_ = &top;
    topPosition_ = position;
    open(top, 0, layout_ == XmlLayout::Indented);
    while (!open_.empty()) {
        Frame& frame = open_.back();
        if (frame.next == frame.element->children.end()) {
            if (frame.indent)
                indent(frame.depth);
            put("</");
            put(frame.element->name);
            put('>');
            open_.pop_back();
            continue;
        }
        const XMLElement* child = (frame.next++)->get();
        if (!child)
            continue;
        if (child->isCData()) {
            checkData(*child);
            putChecked(child->text, TextEscapes, textActions_, *child, nullptr);
            continue;
        }
        if (frame.indent)
            indent(frame.depth + 1);
        open(*child, frame.depth + 1, frame.indent);  // `frame` may be gone after this
    }
}

// XMLDecl := "<?xml" VersionInfo EncodingDecl? SDDecl? "?>", from the head's
// records; the head holds nothing else, and each record once (or repeated
// with the same value, as a markup document's head may hold it).
void XmlWriter::writeDeclaration(const XMLElement& head) {
    top_ = &head;
    topPosition_ = 1;
    if (!head.text.empty() || head.dataBracket != 0 || contentsOf(head).any)
        refuse(messages::XmlBadDeclaration, head, nullptr);
    const std::string* values[std::size(DeclarationRecords)] = {};
    for (const XMLAttribute& attribute : head.attributes) {
        const auto record =
            std::find_if(std::begin(DeclarationRecords), std::end(DeclarationRecords),
                         [&](const char* name) { return attribute.name == name; });
        if (record == std::end(DeclarationRecords))
            refuse(messages::XmlBadDeclaration, head, &attribute);
        const std::string*& value = values[record - std::begin(DeclarationRecords)];
        if (value && *value != attribute.value)
            refuse(messages::XmlBadDeclaration, head, &attribute);
        value = &attribute.value;
        const bool valid = record == std::begin(DeclarationRecords)
                               ? xmlchars::isVersionNumber(attribute.value)
                           : record == std::begin(DeclarationRecords) + 1
                               ? xmlchars::isEncodingName(attribute.value)
                               : xmlchars::isYesOrNo(attribute.value);
        if (!valid)
            refuse(messages::XmlBadDeclaration, head, &attribute);
    }
    if (head.attributes.empty())
        return;
    put("<?xml version=\"");
    put(values[0] ? std::string_view(*values[0]) : std::string_view(DefaultVersion));
    put('"');
    for (std::size_t i = 1; i < std::size(DeclarationRecords); ++i) {
        if (!values[i])
            continue;
        put(' ');
        put(DeclarationRecords[i]);
        put("=\"");
        put(*values[i]);
        put('"');
    }
    put("?>");
    if (layout_ == XmlLayout::Indented)
        lineBreak();
}

// The encoding the head declares (UTF-8 when it declares none); one XML
// cannot be written in here is refused.
Encoding declaredEncoding(const XMLElement& head) {
    const char* name = head.findAttribute("encoding");
    const Encoding encoding = name ? xmlchars::encodingNamed(name) : Encoding::Utf8;
    if (encoding == Encoding::Unicode) {
        XMLException error(messages::UnicodeFile);
        error.setNode(nodePath(head, head, 1) + "@encoding");
        throw error;
    }
    return encoding;
}

// The root's one element, and where it stands; a root that holds anything
// else is refused.
std::pair<const XMLElement*, std::size_t> rootElement(const XMLElement& root) {
    if (!root.attributes.empty() || !root.text.empty() || root.dataBracket != 0)
        throw XMLException(messages::XmlOutsideRoot);
    const XMLElement* found = nullptr;
    std::size_t foundAt = 0;
    std::size_t position = 0;
    for (const auto& child : root.children) {
        ++position;
        if (!child)
            continue;
        const char* fault = child->isCData() ? messages::XmlOutsideRoot
                            : found          ? messages::XmlSecondRootElement
                                             : nullptr;
        if (fault) {
            XMLException error(fault);
            error.setNode(nodePath(*child, *child, position));
            throw error;
        }
        found = child.get();
        foundAt = position;
    }
    if (!found)
        throw XMLException(messages::XmlNoRootElement);
    return {found, foundAt};
}

// Writes `document` with `writer`'s stream, or checks it without one.
void writeDocument(const XMLDocument& document, std::ostream* out, XmlLayout layout) {
    const auto [element, position] = rootElement(document.root());
    XmlWriter writer(out, layout, declaredEncoding(document.head()));
    writer.writeDeclaration(document.head());
    writer.writeTree(*element, position);
    if (layout == XmlLayout::Indented)
        writer.lineBreak();
    writer.flush();
}

void writeElement(const XMLElement& element, std::ostream* out, XmlLayout layout) {
    XmlWriter writer(out, layout, Encoding::Other);
    writer.writeTree(element, 1);
    writer.flush();
}

}  // namespace

void writeXml(const XMLElement& element, std::ostream& out, XmlLayout layout) {
    writeElement(element, nullptr, layout);
    writeElement(element, &out, layout);
}

void writeXml(const XMLDocument& document, std::ostream& out, XmlLayout layout) {
    writeDocument(document, nullptr, layout);
    writeDocument(document, &out, layout);
}

void saveXmlFile(const XMLDocument& document, const std::string& path, XmlLayout layout) {
    try {
        // One pass: a refusal midway removes the temporary file, and the
        // file at `path` is only ever replaced whole. Where it is written in
        // place (a device, a FIFO), the check runs alone first.
        replaceFile(
            path, [&](OutputBuffer& buffer) { writeDocument(document, &buffer.stream(), layout); },
            [&] { writeDocument(document, nullptr, layout); });
    } catch (XMLException& error) {
        error.setSource(path);
        throw;
    }
}

void XMLDocument::saveXmlFile(const std::string& path) const {
    tarvik::xml::saveXmlFile(*this, path, XmlLayout::Indented);
}

}  // namespace tarvik::xml
