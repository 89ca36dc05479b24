#include "xml/markup.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <limits>
#include <memory>
#include <string>

#include "xml/brace.h"
#include "xml/messages.h"
#include "xml/search.h"

namespace tarvik::xml {

namespace {

// The tokens of the table. Each handler skips exactly its own token.
constexpr char CDataToken[] = "<![CDATA[";
constexpr char CommentToken[] = "<!--";
constexpr char EndTagToken[] = "</";
constexpr char InstructionToken[] = "<?";
constexpr char ElementToken[] = "<";

// What closes the pieces of markup.
constexpr char CDataEnd[] = "]]>";
constexpr char CommentEnd[] = "-->";
constexpr char InstructionEnd[] = "?>";
constexpr char EmptyElementEnd[] = "/>";
constexpr char AttributeQuote[] = "\"";

// An escaped text opens with this right after ">", then one bracket byte b,
// and closes with b followed by "data]]".
constexpr char DataBracketOpen[] = "[[data";
constexpr char DataBracketCloseFormat[] = "%cdata]]";
// The bracket byte, "data]]" and a NUL.
constexpr size_t DataBracketCloseSize = 8;

// The one instruction whose attributes are read.
constexpr char DeclarationName[] = "xml";

// From DEL up every byte may stand in a name: GB2312 lead and trail bytes
// are all 0xA1 or above.
constexpr unsigned char FirstHighNameByte = 0x7F;

template <size_t Size>
constexpr size_t lengthOf(const char (&)[Size]) {
    return Size - 1;
}

// ASCII only and independent of the locale, unlike isalpha and isalnum.
bool isAsciiLetterOrDigit(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

bool isNameStart(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return isAsciiLetterOrDigit(byte) || c == '_' || c == '[' || c == ']' ||
           byte >= FirstHighNameByte;
}

bool isNameByte(char c) {
    return isNameStart(c) || c == '-' || c == '.' || c == ':';
}

// True when `text` begins with `prefix`. Stops at the first difference, so
// it never reads past the text's NUL.
bool startsWith(const char* text, const char* prefix) {
    for (; *prefix; ++text, ++prefix) {
        if (*text != *prefix)
            return false;
    }
    return true;
}

// An XMLException that remembers where in the text it was found, so that
// parseMarkup can report the offset, line and column there.
class MarkupError : public XMLException {
public:
    MarkupError(const char* message, const char* position)
        : XMLException(message), position_(position) {}
    const char* position() const { return position_; }

private:
    const char* position_;
};

// The element being filled; throws when no element is open (the root was closed).
XMLElement& openElement(XMLElement* cursor, const char* position) {
    if (!cursor)
        throw MarkupError(messages::ElementMismatch, position);
    return *cursor;
}

// Appends content bytes to `text`: leading TAB, LF and CR are the layout
// between a tag and its first child and are dropped (a space is text); CR is
// dropped everywhere, so CRLF line ends read as LF.
void appendText(std::string& text, const char* begin, const char* end) {
    while (begin < end && (*begin == '\t' || *begin == '\n' || *begin == '\r'))
        ++begin;
    while (begin < end) {
        const char* lineEnd = std::find(begin, end, '\r');
        text.append(begin, lineEnd);
        begin = lineEnd == end ? end : lineEnd + 1;
    }
}

// escaped := "[[data" b { byte } b "data]]", with `escape` at "[[data".
// The terminator is searched from the byte after b, so b never begins it.
const char* readEscapedText(XMLElement& element, const char* escape) {
    const char bracket = escape[lengthOf(DataBracketOpen)];
    if (bracket == '\0')
        throw MarkupError(messages::TagNotClosed, escape);
    element.dataBracket = static_cast<signed char>(bracket);
    char terminator[DataBracketCloseSize];
    std::snprintf(terminator, sizeof terminator, DataBracketCloseFormat, bracket);
    const char* content = escape + lengthOf(DataBracketOpen) + 1;
    const char* end = findText(content, terminator);
    if (!end)
        throw MarkupError(messages::TagNotClosed, escape);
    appendText(element.text, content, end);
    return end + DataBracketCloseSize - 1;
}

// content := escaped | { byte but "<" }, with `content` just after ">" and
// `tag` at the element's "<". Plain text ends before the next "<".
const char* readContent(XMLElement& element, const char* tag, const char* content) {
    if (startsWith(content, DataBracketOpen))
        return readEscapedText(element, content);
    const char* end = findText(content, ElementToken);
    if (!end)
        throw MarkupError(messages::TagNotClosed, tag);
    appendText(element.text, content, end);
    return end;
}

int32_t clampToInt32(int64_t value) {
    return static_cast<int32_t>(std::min<int64_t>(value, std::numeric_limits<int32_t>::max()));
}

// A plain XMLException with the place of `at` in `text`: its byte offset,
// and its line (lines end at LF) and column (bytes, from 1).
XMLException located(const XMLException& error, const char* text, const char* at) {
    XMLException copy(error);
    int64_t line = 1;
    const char* lineStart = text;
    for (const char* p = text; p < at; ++p) {
        if (*p == '\n') {
            ++line;
            lineStart = p + 1;
        }
    }
    copy.setOffset(at - text);
    copy.setLineColumn(clampToInt32(line), clampToInt32(at - lineStart + 1));
    return copy;
}

XMLToken makeToken(const char* text, XMLTokenHandler handler) {
    XMLToken token{};
    std::snprintf(token.token, sizeof token.token, "%s", text);
    token.handler = handler;
    return token;
}

// Built on first use, which the definition of markupTokens below makes
// happen during static initialisation; destroyed at exit.
const std::list<XMLToken>& tokenTable() {
    static const std::list<XMLToken> table{
        makeToken(CDataToken, &XMLDocument::parseCData),
        makeToken(CommentToken, &XMLDocument::parseComment),
        makeToken(EndTagToken, &XMLDocument::parseEndTag),
        makeToken(InstructionToken, &XMLDocument::parseDeclaration),
        makeToken(ElementToken, &XMLDocument::parseElement),
    };
    return table;
}

// The first table entry whose token begins the text at `position`, or null.
const XMLToken* tokenAt(const char* position) {
    for (const XMLToken& entry : tokenTable()) {
        if (startsWith(position, entry.token))
            return &entry;
    }
    return nullptr;
}

// Every token begins with "<", so the parser may pass over all other bytes at once.
const char* skipToMarkup(const char* position) {
    return position + std::strcspn(position, ElementToken);
}

// Read size for files. Reading in chunks rather than asking the file for its
// size first keeps a directory or a device from passing for a huge file.
constexpr size_t ReadChunkSize = size_t{1} << 16;

// Appends a whole file to `content`. False when it cannot be opened or read.
bool readWholeFile(const std::string& path, std::string& content) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    while (in) {
        const size_t filled = content.size();
        content.resize(filled + ReadChunkSize);
        in.read(&content[filled], static_cast<std::streamsize>(ReadChunkSize));
        content.resize(filled + static_cast<size_t>(in.gcount()));
    }
    return !in.bad();
}

}  // namespace

const std::list<XMLToken>& markupTokens = tokenTable();

// name := name-start { name-byte }, after white space; the white space after
// it is skipped as well. The copy stops one byte past MaxNameLength, so an
// overlong name is refused without being read to its end.
const char* scanName(char* out, const char* position) {
    out[0] = '\0';
    const char* start = skipWhite(position);
    if (!isNameStart(*start))
        return start;
    const char* end = start;
    while (isNameByte(*end) && end - start <= MaxNameLength)
        ++end;
    const auto length = static_cast<size_t>(end - start);
    if (length > static_cast<size_t>(MaxNameLength))
        throw MarkupError(messages::NameTooLong, start);
    std::memcpy(out, start, length);
    out[length] = '\0';
    return skipWhite(end);
}

// attributes := { name ws "=" ws '"' { byte but '"' } '"' ws }
// The list ends at the first byte that cannot begin a name; no white space
// is needed between one attribute and the next.
const char* parseAttributes(const char* position, XMLElement& element) {
    char name[NameBufferSize];
    for (;;) {
        const char* at = scanName(name, position);
        if (name[0] == '\0')
            return at;
        at = skipWhite(at);
        if (*at != '=')
            throw MarkupError(messages::AttributeMissingEquals, at);
        const char* quote = skipWhite(at + 1);
        if (*quote != AttributeQuote[0])
            throw MarkupError(messages::AttributeMissingQuote, quote);
        const char* close = findText(quote + 1, AttributeQuote);
        if (!close)
            throw MarkupError(messages::IllegalCharacter, quote);
        element.appendAttribute(XMLAttribute(std::string(name), std::string(quote + 1, close)));
        position = skipWhite(close + 1);
    }
}

// document := { other bytes | token handled by its handler }
// At each "<" the first entry of the token table whose token begins there
// chooses the handler; every handler returns a position past its token, so
// the walk always moves on. The cursor keeps the nesting: no recursion.
void XMLDocument::parseMarkup(const char* text) {
    resetRoot();
    text = text ? text : "";
    const char* position = text;
    const char* tokenStart = text;
    try {
        while (*(position = skipToMarkup(position))) {
            const XMLToken* entry = tokenAt(position);
            if (!entry) {
                ++position;
                continue;
            }
            tokenStart = position;
            position = (this->*entry->handler)(position);
        }
        if (cursor_ && cursor_ != &root_)
            throw MarkupError(messages::TagNotClosed, position);
    } catch (const MarkupError& error) {
        throw located(error, text, error.position());
    } catch (const XMLException& error) {
        // A search that found no terminator: the place is the token it began.
        throw located(error, text, tokenStart);
    }
}

void XMLDocument::loadMarkupFile(const std::string& path) {
    std::string content;
    if (!readWholeFile(path, content)) {
        XMLException error(messages::CannotOpenFile);
        error.setSource(path);
        throw error;
    }
    try {
        parseMarkup(content.c_str());
    } catch (XMLException& error) {
        error.setSource(path);
        throw;
    }
}

// element := "<" ws name ws attributes ( "/>" | ">" content )
// The element joins the tree before its attributes and text are read, and
// stays open (as the cursor) until its end tag.
const char* XMLDocument::parseElement(const char* position) {
    XMLElement& parent = openElement(cursor_, position);
    char name[NameBufferSize];
    const char* afterName = scanName(name, position + lengthOf(ElementToken));
    if (name[0] == '\0')
        throw MarkupError(messages::MissingElementName, afterName);
    XMLElement& element = *parent.appendChild(std::make_unique<XMLElement>(std::string(name)));
    cursor_ = &element;
    const char* tagEnd = parseAttributes(afterName, element);
    if (startsWith(tagEnd, EmptyElementEnd))
        return closeEmptyElement(tagEnd);
    if (*tagEnd != '>')
        throw MarkupError(messages::TagNotClosed, tagEnd);
    return readContent(element, position, tagEnd + 1);
}

// instruction := "<?" ws name ws ( attributes "?>"   when name is "xml"
//                                | { byte } "?>" )     otherwise, skipped
const char* XMLDocument::parseDeclaration(const char* position) {
    char name[NameBufferSize];
    const char* afterName = scanName(name, position + lengthOf(InstructionToken));
    if (std::strcmp(name, DeclarationName) != 0)
        return findAfter(afterName, InstructionEnd);
    const char* end = parseAttributes(afterName, head_);
    if (!startsWith(end, InstructionEnd))
        throw MarkupError(messages::DeclarationNotClosed, end);
    return end + lengthOf(InstructionEnd);
}

// comment := "<!--" { byte } "-->"; the search starts after "<!--", so "<!-->"
// does not close it.
const char* XMLDocument::parseComment(const char* position) {
    return findAfter(position + lengthOf(CommentToken), CommentEnd);
}

// end-tag := "</" ws name ws ">", naming the open element.
const char* XMLDocument::parseEndTag(const char* position) {
    char name[NameBufferSize];
    const char* end = scanName(name, position + lengthOf(EndTagToken));
    if (*end != '>')
        throw MarkupError(messages::EndTagMissingGreater, end);
    if (!cursor_ || cursor_->name != name)
        throw MarkupError(messages::ElementMismatch, position);
    cursor_ = cursor_->parent;
    return end + 1;
}

const char* XMLDocument::closeEmptyElement(const char* position) {
    cursor_ = openElement(cursor_, position).parent;
    return findAfter(position, EmptyElementEnd);
}

// cdata := "<![CDATA[" { byte } "]]>" ws; the bytes are kept as they stand,
// CR included, and the section ends at the first "]]>".
const char* XMLDocument::parseCData(const char* position) {
    XMLElement& parent = openElement(cursor_, position);
    const char* content = findAfter(position, CDataToken);
    const char* end = findText(content, CDataEnd);
    if (!end)
        throw MarkupError(messages::CDataNotClosed, content - lengthOf(CDataToken));
    parent.appendChild(std::make_unique<XMLCData>(std::string(content, end)));
    return skipWhite(end + lengthOf(CDataEnd));
}

}  // namespace tarvik::xml
