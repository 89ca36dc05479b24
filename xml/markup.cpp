#include "xml/markup.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "xml/brace.h"
#include "xml/markup_syntax.h"
#include "xml/messages.h"
#include "xml/node_class.h"
#include "xml/own_text.h"
#include "xml/search.h"
#include "xml/xml_chars.h"

namespace tarvik::xml {

namespace {

// The tokens of the table. Each handler skips exactly its own token.
constexpr const auto& CDataToken = syntax::CDataOpen;
constexpr const auto& CommentToken = syntax::CommentOpen;
constexpr const auto& EndTagToken = syntax::EndTagOpen;
constexpr const auto& InstructionToken = syntax::InstructionOpen;
constexpr char ElementToken[] = "<";

// What closes the pieces of markup.
constexpr const auto& CDataEnd = syntax::CDataClose;
constexpr const auto& CommentEnd = syntax::CommentClose;
constexpr const auto& InstructionEnd = syntax::InstructionClose;
constexpr const auto& EmptyElementEnd = syntax::EmptyElementClose;
constexpr char AttributeQuote[] = "\"";

// An escaped text opens with this right after ">", then one bracket byte b,
// and closes with b followed by "data]]".
constexpr const auto& DataBracketOpen = syntax::DataBracketOpen;
constexpr char DataBracketCloseFormat[] = "%cdata]]";
// The bracket byte, "data]]" and a NUL.
constexpr size_t DataBracketCloseSize = sizeof syntax::DataBracketClose + 1;

// The one instruction whose attributes are read.
constexpr char DeclarationName[] = "xml";

using syntax::isNameByte;
using syntax::isNameStart;
using xmlchars::assignExactly;
using xmlchars::ByteValues;
using xmlchars::lengthOf;

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

// Bytes looked at one by one before a search for a byte hands over to the C
// library: most tags, names and values are shorter, and the library's
// vectorised search costs more than this to start.
constexpr int32_t InlineScanLength = 16;

// The first `wanted` byte at or after `position`, or null when the text's NUL
// comes first; `wanted` must not be NUL.
const char* findByte(const char* position, char wanted) {
    for (int32_t i = 0; i < InlineScanLength; ++i, ++position) {
        if (*position == wanted)
            return position;
        if (*position == '\0')
            return nullptr;
    }
    return std::strchr(position, wanted);
}

// A name in the text: its bytes [begin, end), empty when begin == end, and
// `next`, where reading goes on after it and the white space that follows.
struct NameSpan {
    const char* begin;
    const char* end;
    const char* next;

    bool empty() const { return begin == end; }
    size_t length() const { return static_cast<size_t>(end - begin); }
    // True when `name` holds exactly these bytes.
    bool equals(std::string_view name) const {
        return name.size() == length() && std::memcmp(name.data(), begin, length()) == 0;
    }
};

// Appends `bytes` to `text`. An empty text takes the bytes over whole, so its
// storage is exactly as large as they are (append would round it up).
void appendBytes(std::string& text, std::string&& bytes) {
    if (text.empty())
        text = std::move(bytes);
    else
        text += bytes;
}

// [begin, end) without its CR bytes, in storage of exactly that size.
std::string withoutCarriageReturns(const char* begin, const char* end) {
    std::string kept(static_cast<size_t>(end - begin - std::count(begin, end, '\r')), '\0');
    std::remove_copy(begin, end, kept.begin(), '\r');
    return kept;
}

// Appends content bytes to `text`: leading TAB, LF and CR are the layout
// between a tag and its first child and are dropped (a space is text); CR is
// dropped everywhere, so CRLF line ends read as LF.
void appendText(std::string& text, const char* begin, const char* end) {
    while (begin < end && (*begin == '\t' || *begin == '\n' || *begin == '\r'))
        ++begin;
    if (begin == end)
        return;
    const auto length = static_cast<size_t>(end - begin);
    if (std::memchr(begin, '\r', length))
        appendBytes(text, withoutCarriageReturns(begin, end));
    else
        appendBytes(text, std::string(begin, length));
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
    const char* end = findByte(content, ElementToken[0]);
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

// The token table sorted by the byte after "<": for each value of that byte,
// the entries that can begin there, in table order. Finding the token at a
// "<" then compares only the one or two entries that can match, not all five.
class TokenIndex {
public:
    explicit TokenIndex(const std::list<XMLToken>& table) {
        for (size_t byte = 0; byte < ByteValues; ++byte) {
            for (const XMLToken& entry : table) {
                if (canBeginAfterMarkupByte(entry.token, static_cast<char>(byte)))
                    candidates_[byte].push_back(&entry);
            }
        }
    }

    // The first table entry whose token begins the text at `position`, a
    // "<", or null.
    const XMLToken* tokenAt(const char* position) const {
        for (const XMLToken* entry : candidates_[static_cast<unsigned char>(position[1])]) {
            if (startsWith(position, entry->token))
                return entry;
        }
        return nullptr;
    }

private:
    // Whether `token` may begin a text that starts with "<" and `next`.
    static bool canBeginAfterMarkupByte(const char* token, char next) {
        if (token[0] == '\0')
            return true;
        return token[0] == ElementToken[0] && (token[1] == '\0' || token[1] == next);
    }

    std::array<std::vector<const XMLToken*>, ByteValues> candidates_;
};

// Built from the table on first use and never changed afterwards.
const TokenIndex& tokenIndex() {
    static const TokenIndex index(tokenTable());
    return index;
}

// Every token begins with "<", so the parser may pass over all other bytes at
// once: the next "<", or the text's NUL.
const char* skipToMarkup(const char* position) {
    const char* markup = findByte(position, ElementToken[0]);
    return markup ? markup : position + std::strlen(position);
}

// The byte after the first `token` at or after `position`. The parser calls
// with the token right at `position`, which needs no search; anywhere else
// it is searched for as findAfter does, throwing when it never comes.
template <size_t Size>
const char* passToken(const char* position, const char (&token)[Size]) {
    if (startsWith(position, token))
        return position + lengthOf(token);
    return findAfter(position, token);
}

// name := name-start { name-byte }, after white space; the white space after
// it is skipped as well. The scan stops one byte past MaxNameLength, so an
// overlong name is refused without being read to its end. The parser reads
// names in place; scanName copies them out.
NameSpan findName(const char* position) {
    const char* start = skipWhite(position);
    if (!isNameStart(*start))
        return {start, start, start};
    // Four bytes a round, the length checked once a round. A byte is looked at
    // only when the one before it was a name byte, so never past the NUL.
    const char* end = start + 1;
    while (isNameByte(end[0])) {
        if (!isNameByte(end[1])) {
            end += 1;
            break;
        }
        if (!isNameByte(end[2])) {
            end += 2;
            break;
        }
        if (!isNameByte(end[3])) {
            end += 3;
            break;
        }
        end += 4;
        if (end - start > MaxNameLength)
            break;
    }
    if (end - start > MaxNameLength)
        throw MarkupError(messages::NameTooLong, start);
    return {start, end, skipWhite(end)};
}

// attributes := { name ws "=" ws '"' { byte but '"' } '"' ws }
// The list ends at the first byte that cannot begin a name; no white space
// is needed between one attribute and the next. The records' links come from
// `store` (null: the heap).
const char* readAttributes(const char* position, XMLElement& element, detail::NodeStore* store) {
    for (;;) {
        const NameSpan name = findName(position);
        if (name.empty())
            return name.next;
        const char* at = name.next;
        if (*at != '=')
            throw MarkupError(messages::AttributeMissingEquals, at);
        const char* quote = skipWhite(at + 1);
        if (*quote != AttributeQuote[0])
            throw MarkupError(messages::AttributeMissingQuote, quote);
        // Values run longer than the text between tags: the C library's
        // vectorised search pays for its start here.
        const char* close = std::strchr(quote + 1, AttributeQuote[0]);
        if (!close)
            throw MarkupError(messages::IllegalCharacter, quote);
        // Each string built once, at its size, in its place.
        element.attributes.emplaceBackIn(
            store, std::string_view(name.begin, name.length()),
            std::string_view(quote + 1, static_cast<size_t>(close - quote - 1)));
        position = skipWhite(close + 1);
    }
}

}  // namespace

const std::list<XMLToken>& markupTokens = tokenTable();

const char* scanName(char* out, const char* position) {
    out[0] = '\0';
    const NameSpan name = findName(position);
    std::memcpy(out, name.begin, name.length());
    out[name.length()] = '\0';
    return name.next;
}

const char* parseAttributes(const char* position, XMLElement& element) {
    return readAttributes(position, element, nullptr);
}

namespace {

// A document type declaration: "<!DOCTYPE", white space, then its name, ids
// and internal subset, read past but never interpreted.
constexpr char TypeDeclarationToken[] = "<!DOCTYPE";
constexpr char InternalSubsetOpen = '[';
constexpr char InternalSubsetClose = ']';

// True when a document type declaration begins at `position`, a "<" whose
// token is the bare element token.
bool isTypeDeclaration(const char* position) {
    const char* after = position + lengthOf(TypeDeclarationToken);
    return startsWith(position, TypeDeclarationToken) && skipWhite(after) != after;
}

// The byte after the document type declaration at `position`: its closing
// ">" is the first one outside quoted literals and outside the internal
// subset, whose comments and instructions may hold any byte. Throws
// messages::TagNotClosed when the text ends first.
const char* passTypeDeclaration(const char* position) {
    bool inSubset = false;
    for (const char* at = position + lengthOf(TypeDeclarationToken);; ++at) {
        if (*at == '\0')
            throw XMLException(messages::TagNotClosed);
        if (*at == '"' || *at == '\'') {
            at = findByte(at + 1, *at);
            if (!at)
                throw XMLException(messages::TagNotClosed);
        } else if (inSubset && startsWith(at, CommentToken)) {
            at = findAfter(at + lengthOf(CommentToken), CommentEnd) - 1;
        } else if (inSubset && startsWith(at, InstructionToken)) {
            at = findAfter(at + lengthOf(InstructionToken), InstructionEnd) - 1;
        } else if (*at == InternalSubsetOpen || *at == InternalSubsetClose) {
            inSubset = *at == InternalSubsetOpen;
        } else if (*at == '>' && !inSubset) {
            return at + 1;
        }
    }
}

}  // namespace

// document := { other bytes | token handled by its handler }
// At each "<" the first entry of the token table whose token begins there
// chooses the handler; every handler returns a position past its token, so
// the walk always moves on. The cursor keeps the nesting: no recursion.
// A document type declaration has no token of its own: it begins like an
// element, so the driver looks for one only at a "<!" that the table gave to
// the element handler, which costs nothing on documents without one.
void XMLDocument::parseMarkup(const char* text) {
    const bool clearsHead = !headIsNew();
    std::string copy;
    text = textToRead(*this, text ? text : "", copy);
    resetRoot();
    if (clearsHead)
        resetHead();
    const char* position = text;
    const char* tokenStart = text;
    const TokenIndex& tokens = tokenIndex();
    bool typeDeclarationSeen = false;
    try {
        while (*(position = skipToMarkup(position))) {
            const XMLToken* entry = tokens.tokenAt(position);
            if (!entry) {
                ++position;
                continue;
            }
            tokenStart = position;
            if (position[1] == '!' && entry->handler == &XMLDocument::parseElement &&
                isTypeDeclaration(position)) {
                // Skipped where it belongs, before the first element, once.
                if (typeDeclarationSeen || cursor_ != &root_ || !root_.children.empty())
                    throw MarkupError(messages::MisplacedTypeDeclaration, position);
                typeDeclarationSeen = true;
                position = passTypeDeclaration(position);
                continue;
            }
            position = (this->*entry->handler)(position);
        }
        if (cursor_ && cursor_ != &root_)
            throw MarkupError(messages::TagNotClosed, position);
        store_.trim();
    } catch (const MarkupError& error) {
        throw located(error, text, error.position());
    } catch (const XMLException& error) {
        // A search that found no terminator: the place is the token it began.
        throw located(error, text, tokenStart);
    }
}

// element := "<" ws name ws attributes ( "/>" | ">" content )
// The element joins the tree before its attributes and text are read, and
// stays open (as the cursor) until its end tag.
const char* XMLDocument::parseElement(const char* position) {
    XMLElement& parent = openElement(cursor_, position);
    const NameSpan name = findName(position + lengthOf(ElementToken));
    if (name.empty())
        throw MarkupError(messages::MissingElementName, name.next);
    std::unique_ptr<XMLElement> created(new (store_) XMLElement());
    assignExactly(created->name, name.begin, static_cast<size_t>(name.end - name.begin));
    XMLElement& element = *appendChildIn(&store_, parent, std::move(created));
    cursor_ = &element;
    const char* tagEnd = readAttributes(name.next, element, &store_);
    if (startsWith(tagEnd, EmptyElementEnd))
        return closeEmptyElement(tagEnd);
    if (*tagEnd != '>')
        throw MarkupError(messages::TagNotClosed, tagEnd);
    return readContent(element, position, tagEnd + 1);
}

// instruction := "<?" ws name ws ( attributes "?>"   when name is "xml"
//                                | { byte } "?>" )     otherwise, skipped
const char* XMLDocument::parseDeclaration(const char* position) {
    const NameSpan name = findName(position + lengthOf(InstructionToken));
    if (!name.equals(DeclarationName))
        return findAfter(name.next, InstructionEnd);
    const char* end = readAttributes(name.next, head_, &store_);
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
    const NameSpan name = findName(position + lengthOf(EndTagToken));
    if (*name.next != '>')
        throw MarkupError(messages::EndTagMissingGreater, name.next);
    if (!cursor_ || !name.equals(cursor_->name))
        throw MarkupError(messages::ElementMismatch, position);
    cursor_ = cursor_->parent;
    return name.next + 1;
}

const char* XMLDocument::closeEmptyElement(const char* position) {
    cursor_ = openElement(cursor_, position).parent;
    return passToken(position, EmptyElementEnd);
}

// cdata := "<![CDATA[" { byte } "]]>" ws; the bytes are kept as they stand,
// CR included, and the section ends at the first "]]>".
const char* XMLDocument::parseCData(const char* position) {
    XMLElement& parent = openElement(cursor_, position);
    const char* content = passToken(position, CDataToken);
    const char* end = findText(content, CDataEnd);
    if (!end)
        throw MarkupError(messages::CDataNotClosed, content - lengthOf(CDataToken));
    appendChildIn(&store_, parent,
                  std::unique_ptr<XMLElement>(new (store_) XMLCData(std::string(content, end))));
    return skipWhite(end + lengthOf(CDataEnd));
}

}  // namespace tarvik::xml
